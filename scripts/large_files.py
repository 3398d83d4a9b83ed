"""The large-file tests of trovfind (scripts/test-large): files of more than
2 GiB, exactly 4 GiB and more than 4 GiB, sparse ones (zeros, for the plain
search and the statistics) and ones of real text (for the pattern search as
well), with hits near their start, middle and end; and sparse ones of more
than 2 GiB in UTF-8 and UTF-16, whose hits straddle the sliding view's
edges, each beside a small file that must be searched too. The expected
records and statistics are worked out from how each file is made, not by
the search: a file in UTF-8 or UTF-16 gives those of its text in the code
page (Windows-1252).

    large_files.py DIR 'WINE TROVFIND.EXE'

Makes the files in DIR one after another, runs trovfind on each, and deletes
each file after its checks. Prints one line per check; exits 1 on any failure.
"""
import os
import shlex
import shutil
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
    """A file made of pieces at offsets; sparse gaps read as zeros. With a
    codec the text is written in it, after its byte-order mark; `total`
    counts the bytes of the text in the code page."""

    def __init__(self, path, codec=None, mark=b""):
        self.path = path
        self.codec = codec
        self.real = self.breaks = self.lines = 0
        self.line = 1        # the line number at the end of what was written
        self.size = 0
        self.total = 0
        self.unit = 2 if codec and "16" in codec else 1
        self.hits = []       # (line number, text) of each marker
        self.file = open(path, "wb")
        self.file.write(mark)
        self.size = len(mark)

    def gap(self, length):   # zeros without a line break: no line, no char
        self.size += length
        self.total += length // self.unit
        self.file.truncate(self.size)
        self.file.seek(self.size)

    def text(self, data, times=1, written=None):
        """`data`, in the code page, ends with LF, so each copy starts a
        line; `written` is its form in the file's codec."""
        if written is None:
            written = data.decode("cp1252").encode(self.codec) if self.codec else data
        r, b, l = stats_of(data)
        self.real += r * times
        self.breaks += b * times
        self.lines += l * times
        self.line += data.count(b"\n") * times
        for _ in range(times):
            self.file.write(written)
        self.size += len(written) * times
        self.total += len(data) * times

    def marker(self, words):
        text = "needle %s mark" % words
        # A character the code page lacks is one '?'.
        spelled = text.encode("cp1252", errors="replace")
        self.hits.append((self.line, spelled.decode("cp1252")))
        self.text(spelled + b"\n", written=(text + "\n").encode(self.codec or "cp1252"))

    def straddle(self, boundary, words, at):
        """A marker whose character `at` of `words` begins one unit before
        `boundary` (a line break in front of it)."""
        self.text(b"\n")
        prefix = ("needle " + words[:at]).encode(self.codec or "cp1252")
        self.gap(boundary - self.unit - len(prefix) - self.size)
        self.marker(words)

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


VIEW = 32 << 20  # the sliding view of a file that cannot be mapped whole


def encoded(path, size, codec, mark):
    """Sparse text in `codec`: hits at the start, with a character that
    straddles the view's first and second edges, past 2 GiB and at the end."""
    f = Layout(path, codec, mark)
    f.text(b"\n")
    f.marker("caf\u00e9 at the start")
    f.straddle(VIEW, "caf\u00e9 on the edge", 3)
    f.straddle(2 * VIEW, "\U0001F600 astral on the edge", 0)
    f.straddle(2 * GiB + VIEW, "CAF\u00c9 past 2 GiB", 3)
    f.gap(size - 80 - f.size)
    f.text(b"\n")
    f.marker("caf\u00e9 at the end")
    f.close()
    return f


def signed(value):
    value %= 1 << 32
    return value - (1 << 32) if value >= 1 << 31 else value


def run(trovfind, args):
    start = time.time()
    out = subprocess.run(shlex.split(trovfind) + args, capture_output=True)
    return out.stdout.decode("cp1252").replace("\r", ""), time.time() - start


def records_of(out):
    """(file, line, text) of each record of --records output."""
    return [(line.split("\t")[0].replace("\\\\", "\\"), int(line.split("\t")[1]),
             line.split("\t")[2])
            for line in out.splitlines() if not line.startswith("#")]


def winepath(path):
    return subprocess.run(["winepath", "-w", path], capture_output=True,
                          text=True).stdout.strip()


def check(ok, what, seconds, expected, got):
    print("%s %s, %.1f s" % ("ok  " if ok else "FAIL", what, seconds))
    if not ok:
        print("  expected %s\n  got      %s" % (expected, got))
    return 0 if ok else 1


def encoded_cases(directory, trovfind):
    """Each encoded file in a folder of its own with a small file after it
    in name order: both are searched. Returns (checks, failures)."""
    checks_run = failures = 0
    for name, size, codec, mark in (("utf8.txt", 2 * GiB + GiB // 2, "utf-8", b"\xef\xbb\xbf"),
                                    ("utf16le.txt", 2 * GiB + GiB // 2, "utf-16-le", b"\xff\xfe"),
                                    ("utf16be.txt", 2 * GiB + GiB // 5, "utf-16-be", b"\xfe\xff")):
        folder = os.path.join(directory, "encoded-" + codec)
        os.mkdir(folder)
        f = encoded(os.path.join(folder, "a-" + name), size, codec, mark)
        with open(os.path.join(folder, "b-small.txt"), "wb") as small:
            small.write(b"x\nneedle small mark\n")
        wfolder = winepath(folder)
        large, small = wfolder + "\\a-" + name, wfolder + "\\b-small.txt"
        for mode, args, words in (("plain", ["needle"], None),
                                  ("ignoring case", ["-i", "caf\u00c9"], "caf\u00e9"),
                                  ("pattern", ["-p", "ne+dle .* mark"], None)):
            out, seconds = run(trovfind, ["--records"] + args + [wfolder])
            expected = [(large, line, text) for line, text in f.hits
                        if words is None or words in text.lower()]
            if mode != "ignoring case":
                expected.append((small, 2, "needle small mark"))
            got = records_of(out)
            # The pattern search ends at the zeros of the sparse gap.
            if mode == "pattern":
                expected = [r for r in expected if r[1] <= f.hits[0][0] or r[0] == small]
            failures += check(sorted(got) == sorted(expected), "%s %s" % (name, mode),
                              seconds, expected, got)
            checks_run += 1
        out, seconds = run(trovfind, ["-s", large])
        expected = ['Number of "real" characters: %d (for a total of %d)'
                    % (signed(f.real), signed(f.total)),
                    'Number of "real" lines: %d (for a total of %d)'
                    % (signed(f.lines), signed(f.breaks))]
        failures += check(all(line in out.splitlines() for line in expected),
                          name + " statistics", seconds, expected, out.splitlines())
        checks_run += 1
        shutil.rmtree(folder)
    return checks_run, failures


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
    more_checks, more_failures = encoded_cases(directory, trovfind)
    checks_run += more_checks
    failures += more_failures
    print("large-files: %d passed, %d failed" % (checks_run - failures, failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
