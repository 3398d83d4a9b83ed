"""The large-file tests of trovfind (scripts/test-large): files of more than
2 GiB, exactly 4 GiB and more than 4 GiB, sparse ones (zeros, for the plain
search and the statistics) and ones of real text (for the pattern search as
well), with hits near their start, middle and end. The expected records and
statistics are worked out from how each file is made, not by the search.

    large_files.py DIR 'WINE TROVFIND.EXE'

Makes the files in DIR one after another, runs trovfind on each, and deletes
each file after its checks. Prints one line per check; exits 1 on any failure.
"""
import os
import shlex
import subprocess
import sys
import time

GiB = 1 << 30
REAL = bytes(range(0x21, 0x80))


def stats_of(data):
    """realChars, lineBreaks, realLines of `data`, which starts a line."""
    real = len(data) - len(data.translate(None, REAL))
    breaks = data.count(b"\r") + data.count(b"\n")
    lines = 0
    for line in data.replace(b"\r", b"\n").split(b"\n"):
        if len(line) != len(line.translate(None, REAL)):
            lines += 1
    return real, breaks, lines


class Layout:
    """A file made of pieces at offsets; sparse gaps read as zeros."""

    def __init__(self, path):
        self.path = path
        self.real = self.breaks = self.lines = 0
        self.line = 1        # the line number at the end of what was written
        self.size = 0
        self.hits = []       # (line number, text) of each marker
        self.file = open(path, "wb")

    def gap(self, length):   # zeros without a line break: no line, no char
        self.size += length
        self.file.truncate(self.size)
        self.file.seek(self.size)

    def text(self, data, times=1):
        """`data` ends with LF, so each copy starts a line."""
        r, b, l = stats_of(data)
        self.real += r * times
        self.breaks += b * times
        self.lines += l * times
        self.line += data.count(b"\n") * times
        for _ in range(times):
            self.file.write(data)
        self.size += len(data) * times

    def marker(self, words):
        text = "needle %s mark" % words
        self.hits.append((self.line, text))
        self.text(text.encode() + b"\n")

    def close(self):
        self.file.close()
        assert os.path.getsize(self.path) == self.size


def sparse(path, size):
    f = Layout(path)
    f.gap(100)
    f.text(b"\n")
    f.marker("near the start")
    f.gap(size // 2 - f.size)
    f.text(b"\n")
    f.marker("in the middle")
    f.gap(size - 40 - f.size)
    f.text(b"\n")
    f.marker("at the end")
    f.gap(size - f.size)  # exactly `size` bytes
    f.close()
    return f


BLOCK = b"".join(b"%s int value_%d = compute(%d); /* some text */\n"
                 % (b"  " if i % 3 else b"\t", i, i) for i in range(2000))
CHUNK = BLOCK * (32 * (1 << 20) // len(BLOCK))


def text(path, size):
    """Real text of about `size` bytes: markers at the start, past 2 GiB,
    past 4 GiB when the file is that long, and at the end."""
    f = Layout(path)
    f.marker("at the start")
    for boundary in (2 * GiB, 4 * GiB):
        if boundary + len(CHUNK) > size:
            break
        while f.size + len(CHUNK) < boundary:
            f.text(CHUNK)
        while f.size < boundary:
            f.text(BLOCK)
        f.marker("past the boundary")
    while f.size + len(CHUNK) < size:
        f.text(CHUNK)
    f.marker("at the end")
    f.close()
    return f


def signed(value):
    value %= 1 << 32
    return value - (1 << 32) if value >= 1 << 31 else value


def run(trovfind, args):
    start = time.time()
    out = subprocess.run(shlex.split(trovfind) + args, capture_output=True)
    return out.stdout.decode("latin-1").replace("\r", ""), time.time() - start


def main():
    directory, trovfind = sys.argv[1], sys.argv[2]
    failures = checks_run = 0
    cases = [("sparse-2.5g.bin", sparse, 2 * GiB + GiB // 2 + 12345, False),
             ("sparse-5g.bin", sparse, 5 * GiB + 12345, False),
             # the listing's low 32 bits of its size are 0, as an empty file's
             ("sparse-4g-exact.bin", sparse, 4 * GiB, False),
             ("text-4.2g.txt", text, 4 * GiB + GiB // 5, True),
             ("text-2.2g.txt", text, 2 * GiB + GiB // 5, True)]
    for name, make, size, patterns in cases:
        path = os.path.join(directory, name)
        f = make(path, size)
        wpath = subprocess.run(["winepath", "-w", path], capture_output=True,
                               text=True).stdout.strip()
        checks = [("plain", ["--records", "needle", wpath])]
        if patterns:
            checks.append(("pattern", ["--records", "-p", "ne+dle [a-z ]+ mark", wpath]))
        for mode, args in checks:
            out, seconds = run(trovfind, args)
            got = [(int(line.split("\t")[1]), line.split("\t")[2])
                   for line in out.splitlines() if not line.startswith("#")]
            ok = got == f.hits
            failures += not ok
            checks_run += 1
            print("%s %s %s: %d records, %.1f s" % ("ok  " if ok else "FAIL", name, mode,
                                                   len(got), seconds))
            if not ok:
                print("  expected %s\n  got      %s" % (f.hits, got))
        out, seconds = run(trovfind, ["-s", wpath])
        expected = ['Number of "real" characters: %d (for a total of %d)'
                    % (signed(f.real), signed(f.size)),
                    'Number of "real" lines: %d (for a total of %d)'
                    % (signed(f.lines), signed(f.breaks))]
        ok = all(line in out.splitlines() for line in expected)
        failures += not ok
        checks_run += 1
        print("%s %s statistics, %.1f s" % ("ok  " if ok else "FAIL", name, seconds))
        if not ok:
            print("  expected %s\n  got      %s" % (expected, out.splitlines()))
        os.remove(path)
    print("large-files: %d passed, %d failed" % (checks_run - failures, failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
