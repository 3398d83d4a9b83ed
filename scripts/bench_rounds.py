#!/usr/bin/env python3
"""Times shell commands in alternating rounds, for scripts/bench-search and bench-host.

    bench_rounds.py ROUNDS SERVER_PID NAME COMMAND [NAME COMMAND]...

Runs every command once per round, after one warm-up round, and prints each
command's wall time and processor time, and their ratios to the second
command's (the reference: the floor, or trovfind). The processor time is the command's own (all its
processes) plus what the wineserver SERVER_PID spent meanwhile, where Wine's
file calls are served; it counts no wait for a processor, so it is the
steadier figure while others use the machine. The server's part of it is
shown on its own: the server is one process that serves every thread's
calls one at a time, the part of a run that more threads cannot share. A command that fails stops the
run with its exit status named.
"""
import os
import resource
import statistics
import subprocess
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def server_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except OSError:
        sys.exit(f"bench: the wineserver {pid} is no longer running")
    return (int(fields[11]) + int(fields[12])) / TICK  # utime, stime


def children_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def measure(rounds, server_pid, pairs):
    wall = {name: [] for name, _ in pairs}
    cpu = {name: [] for name, _ in pairs}
    server = {name: [] for name, _ in pairs}
    for round in range(rounds + 1):  # round 0 is the warm-up
        for name, command in pairs:
            children_before = children_seconds()
            server_before = server_seconds(server_pid)
            start = time.perf_counter()
            done = subprocess.run(command, shell=True)
            elapsed = time.perf_counter() - start
            served = server_seconds(server_pid) - server_before
            used = children_seconds() - children_before + served
            if done.returncode != 0:
                sys.exit(f"bench: {name} failed (exit {done.returncode}): {command}")
            if round:
                wall[name].append(elapsed)
                cpu[name].append(used)
                server[name].append(served)
    return wall, cpu, server


def report(rounds, wall, cpu, server):
    print(f"{'':<22}{'wall s: mean':>13}{'median':>8}{'min':>8}{'cpu s: mean':>13}{'median':>8}"
          f"{'min':>8}{'server':>8}   ({rounds} rounds; server: its cpu s, median)")
    for name in wall:
        w, c = wall[name], cpu[name]
        print(f"{name:<22}{statistics.mean(w):13.3f}{statistics.median(w):8.3f}{min(w):8.3f}"
              f"{statistics.mean(c):13.3f}{statistics.median(c):8.3f}{min(c):8.3f}"
              f"{statistics.median(server[name]):8.3f}")
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
