#!/usr/bin/env bash
# The native trovfind against trovfind.exe under Wine over the same trees:
# /usr/include, a subtree of the Linux kernel sources, and a corpus of
# encodings (UTF-8 with and without its mark, UTF-16 and UTF-32 of both byte
# orders, Windows-1252 bytes, malformed UTF-8, files read whole and mapped)
# and of long paths, names outside the code page, links, hidden and empty
# files. In every mode (plain, -i, -w, -p, -l, -s) the records, counters and
# summaries must be the same, the Windows names (Z:\a\b) read as POSIX ones
# (/a/b). The native program is built in the native tree beside BUILD.
#
#   trovfind_same_records_win32_test.sh DIR BUILD   (DIR: the test's folder;
#                                                   BUILD: the windows build tree)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"
source "$root/scripts/wine-env.sh"
dir=$1 build=$2
native_build=$(dirname "$build")/native
mkdir -p "$dir"

if ! { [ -f "$native_build/CMakeCache.txt" ] ||
       cmake -S "$root" -B "$native_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
             -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc; } >"$dir/build.log" 2>&1 ||
   ! cmake --build "$native_build" -j 2 --target trovfind >>"$dir/build.log" 2>&1; then
    tail -n 20 "$dir/build.log"
    echo "FAIL the native trovfind could not be built"
    exit 1
fi

# A subtree of the kernel sources: the benchmarks' tree when it is unpacked,
# else the subtree alone, unpacked once into the test's folder.
kernel_subtree=lib
kernel=$(ls -d "$(dirname "$build")"/bench-data/linux-source-*/"$kernel_subtree" 2>/dev/null | head -n1)
if [ -z "$kernel" ]; then
    tarball=$(ls /usr/src/linux-source-*.tar.* | sort -V | tail -n1)
    top=$(basename "$tarball" | sed 's/\.tar\..*$//')
    kernel=$dir/kernel/$top/$kernel_subtree
    if [ ! -d "$kernel" ]; then
        rm -rf "$dir/kernel" && mkdir -p "$dir/kernel.part" &&
            tar -xf "$tarball" -C "$dir/kernel.part" "$top/$kernel_subtree" &&
            mv "$dir/kernel.part" "$dir/kernel" || { echo "FAIL unpacking $tarball"; exit 1; }
    fi
fi

# The corpus, made anew each time.
corpus=$dir/corpus
rm -rf "$corpus" "$dir/loop"
mkdir -p "$corpus" "$dir/loop/a/b"
python3 - "$corpus" <<'PYTHON'
import os, sys
top = sys.argv[1]
def write(relative, data):
    path = os.path.join(top, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
text = ("struct café { int size_t; };\r\n"
        "Error: “quoted” — dash – en ‘single’ … € Œuvre Šal ™\n"
        "α Greek, 日本 Japanese, 😀 beyond the BMP: INT error\r"
        "return caf\u00e9_t(x); // whole int words\n"
        "last line without its end: CAFÉ size_t")
write("utf8.txt", text.encode("utf-8"))
write("utf8mark.c", b"\xef\xbb\xbf" + text.encode("utf-8"))
write("utf16le.h", b"\xff\xfe" + text.encode("utf-16-le"))
write("utf16be.h", b"\xfe\xff" + text.encode("utf-16-be"))
write("utf32le.txt", b"\xff\xfe\x00\x00" + text.encode("utf-32-le"))
write("utf32be.txt", b"\x00\x00\xfe\xff" + text.encode("utf-32-be"))
write("cp1252.txt", text.encode("cp1252", errors="replace") + b"\x81\x8d int\n")
write("malformed.txt", b"struct \xe2\x82A error \xc0\xaf int\n\xff size_t\n")
# Read whole below 1 MiB, mapped above; one mapped file in UTF-16.
block = ("int line_%d; struct caf\u00e9 error size_t\n" * 1).encode("utf-8")
write("big/plain.c", b"".join(b"int line; struct x%d error size_t\n" % i for i in range(60000)))
write("big/wide.h", b"\xff\xfe" + "".join("int caf\u00e9 %d — error\r\n" % i for i in range(50000)).encode("utf-16-le"))
write("αλφα/日本.txt", "struct 日本 café\n".encode("utf-8"))
deep = "/".join(c * 60 for c in "abcdefg")
write(deep + "/deep.c", b"struct deep int\n")
write(".hidden.c", b"struct hidden\n")
write(".git/config.c", b"struct in a dot-folder\n")
write("empty.c", b"")
write("x./trailing.c", b"struct under a name with a trailing dot\n")
PYTHON
ln -s .. "$corpus/big/up"
ln -s / "$corpus/root"
ln -s ../utf8.txt "$corpus/big/linked.txt"
printf 'struct\n' >"$dir/loop/a/b/f.c"
ln -s ../.. "$dir/loop/a/b/back"

wine_env "$build" || { echo "FAIL wine_env"; exit 1; }

# as_posix FORMAT: Windows names (Z:\a\b, escaped in records) read as /a/b.
as_posix() {
    case $1 in
    records) sed -e '/^#/b' -e 's/^Z:\\\\/\//' -e ':a' -e 's/^\([^\t]*\)\\\\/\1\//' -e 'ta' ;;
    names) sed -e 's/^Z:\\/\//' -e 's/\\/\//g' ;;
    esac
}

# The Windows form of each entry, asked of Wine once (winepath starts a
# Wine program).
declare -A windows_form
windows_forms() {
    local entry
    while IFS= read -r entry; do
        windows_form[$entry]=$(winepath -w "$entry")
    done < <(printf '%s\n' "$@")
}

# compare NAME OPTIONS... -- ENTRY...: both programs with the options on the
# entries; the records (or, with -l, the names and the summary) must match.
compare() {
    local name=$1 options=() entries=() wentries=() format=records
    shift
    while [ "$1" != -- ]; do options+=("$1"); shift; done
    shift
    for entry in "$@"; do entries+=("$entry"); wentries+=("${windows_form[$entry]}"); done
    case " ${options[*]} " in *" -l "*) format=names ;; *) options=(--records "${options[@]}") ;; esac
    wine "$build/tools/trovfind.exe" -u "${options[@]}" "${wentries[@]}" 2>"$dir/windows.err" |
        as_posix "$format" >"$dir/windows.out"
    "$native_build/tools/trovfind" -u "${options[@]}" "${entries[@]}" \
        >"$dir/native.out" 2>"$dir/native.err"
    expect_same_files "$name: ${options[*]}" "$dir/windows.out" "$dir/native.out"
    [ "$format" = names ] && expect_same_files "$name: the summary of ${options[*]}" \
        "$dir/windows.err" "$dir/native.err"
    [ -s "$dir/native.out" ] || expect "$name: ${options[*]} found something" found nothing
}

# One run per mode over the three trees at once: Wine's start is paid once.
trees=(/usr/include "$kernel" "$corpus")
windows_forms "${trees[@]}" "$corpus/big" "$corpus/utf8.txt" "$dir/loop"
compare "the trees" struct -- "${trees[@]}"
compare "the trees" -i error -- "${trees[@]}"
compare "the trees" -w int -- "${trees[@]}"
compare "the trees" -p '[a-z_]+_t[ (;]' -- "${trees[@]}"
compare "the trees" -l size_t -- "${trees[@]}"
compare "the trees" -s -- "${trees[@]}"
compare corpus -i CAFÉ -- "$corpus"
compare corpus -p '“[a-z]+”' -- "$corpus"
compare corpus -t '*.h;*.c;!big\' int -- "$corpus"
compare "overlapping entries" -l struct -- "$corpus/big" "$corpus" "$corpus/utf8.txt"
compare "a link loop" -L -l struct -- "$dir/loop"

# The current folder, ".", an entry of one character: the native program
# names the files from it, as given.
windows_dot=$(cd "$corpus" && wine "$build/tools/trovfind.exe" -u -l struct . 2>/dev/null |
    as_posix names)
native_dot=$(cd "$corpus" && "$native_build/tools/trovfind" -u -l struct . 2>/dev/null |
    sed "s|^\./|$corpus/|")
expect "the current folder as ." "$windows_dot" "$native_dot"
expect "the current folder as . has files" 1 "$(printf '%s\n' "$native_dot" | grep -c '/utf8.txt$')"

test_summary
