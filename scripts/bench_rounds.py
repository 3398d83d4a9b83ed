#!/usr/bin/env python3
"""Times shell commands in alternating rounds, for scripts/bench-search and bench-host.

    bench_rounds.py ROUNDS SERVER_PID NAME COMMAND [NAME COMMAND]...

Runs every command once per round, after one warm-up round, and prints each
command's wall time, processor time and peak memory, and the times' ratios
to the second command's (the reference: the floor, or trovfind). The
processor time is the command's own (all its processes) plus what the
wineserver SERVER_PID spent meanwhile, where Wine's file calls are served;
it counts no wait for a processor, so it is the steadier figure while others
use the machine. The server's part of it is shown on its own: the server is
one process that serves every thread's calls one at a time, the part of a
run that more threads cannot share. SERVER_PID 0: native commands, no
server. The peak memory is the largest resident set of the command's
processes (under Wine, of the Windows program's process, not its
working set). A command that fails stops the run with its exit status named.
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

TICK = os.sysconf("SC_CLK_TCK")
TIME = "/usr/bin/time"


def server_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except OSError:
        sys.exit(f"bench: the wineserver {pid} is no longer running")
    return (int(fields[11]) + int(fields[12])) / TICK  # utime, stime


def run(command, meter):
    """Runs COMMAND in a shell; returns its exit status, its processes'
    processor seconds and their largest resident set in KiB, or None without
    GNU time. GNU time takes that from wait4 for a process it forked itself:
    one forked from this interpreter would count the interpreter's own pages."""
    before = children_seconds()
    if not os.path.exists(TIME):
        done = subprocess.run(command, shell=True)
        return done.returncode, children_seconds() - before, None
    done = subprocess.run([TIME, "-f", "%M", "-o", meter, "sh", "-c", command])
    with open(meter) as figures:
        resident = figures.read().split()  # after a failure: a line on it, then the figure
    return done.returncode, children_seconds() - before, int(resident[-1]) if resident else None


def machine_busy_seconds():
    """The processor seconds that every processor of the machine has spent
    outside idle and waits since boot."""
    with open("/proc/stat") as stat:
        fields = [int(field) for field in stat.readline().split()[1:]]
    idle = fields[3] + fields[4]  # idle, iowait
    return (sum(fields[:8]) - idle) / TICK  # user .. steal; guest time lies within user


def children_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def measure(rounds, server_pid, pairs):
    wall = {name: [] for name, _ in pairs}
    cpu = {name: [] for name, _ in pairs}
    server = {name: [] for name, _ in pairs}
    peak = {name: None for name, _ in pairs}
    meter = tempfile.NamedTemporaryFile(prefix="bench-rounds-")
    served_by = (lambda: server_seconds(server_pid)) if server_pid else (lambda: 0.0)
    busy_before, start_all = machine_busy_seconds(), time.perf_counter()
    ours = 0.0  # the processor time of every run, the warm-up's too
    for round in range(rounds + 1):  # round 0 is the warm-up
        for name, command in pairs:
            server_before = served_by()
            start = time.perf_counter()
            status, used, resident = run(command, meter.name)
            elapsed = time.perf_counter() - start
            served = served_by() - server_before
            ours += used + served
            if status != 0:
                sys.exit(f"bench: {name} failed (exit {status}): {command}")
            if round:
                wall[name].append(elapsed)
                cpu[name].append(used + served)
                server[name].append(served)
                if resident is not None:
                    peak[name] = max(peak[name] or 0, resident)
    # What the rest of the machine used meanwhile: how quiet it was.
    others = machine_busy_seconds() - busy_before - ours
    return wall, cpu, server, peak, others / (time.perf_counter() - start_all)


def report(rounds, wall, cpu, server, peak, others):
    print(f"{'':<22}{'wall s: mean':>13}{'median':>8}{'min':>8}{'cpu s: mean':>13}{'median':>8}"
          f"{'min':>8}{'server':>8}{'peak MiB':>10}   ({rounds} rounds; server: its cpu s, median)")
    for name in wall:
        w, c = wall[name], cpu[name]
        print(f"{name:<22}{statistics.mean(w):13.3f}{statistics.median(w):8.3f}{min(w):8.3f}"
              f"{statistics.mean(c):13.3f}{statistics.median(c):8.3f}{min(c):8.3f}"
              f"{statistics.median(server[name]):8.3f}"
              f"{'-' if peak[name] is None else format(peak[name] / 1024, '.1f'):>10}")
    print(f"the rest of the machine used {others:.2f} processors on average meanwhile"
          f" (of {os.cpu_count()})")
    base = list(wall)[1]
    for name in wall:
        if name != base:
            def ratio(times, f):
                return f(times[name]) / f(times[base])
            print(f"{name} / {base}: wall median {ratio(wall, statistics.median):.3f}, "
                  f"min {ratio(wall, min):.3f}; cpu median {ratio(cpu, statistics.median):.3f}, "
                  f"min {ratio(cpu, min):.3f}")


def main(args):
    if len(args) < 6 or len(args) % 2:
        sys.exit("usage: bench_rounds.py ROUNDS SERVER_PID NAME COMMAND NAME COMMAND...")
    rounds, server_pid = int(args[0]), int(args[1])
    pairs = list(zip(args[2::2], args[3::2]))
    report(rounds, *measure(rounds, server_pid, pairs))


if __name__ == "__main__":
    main(sys.argv[1:])
