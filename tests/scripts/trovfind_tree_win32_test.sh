#!/usr/bin/env bash
# trovfind under Wine over a tree with what a real one holds: a path longer
# than 400 characters, names in Japanese and Greek, files in UTF-8 and
# UTF-16, a link to an ancestor and a link to the root (Wine shows Unix
# symlinks as reparse points); with -L a link loop. And scripts/run, which
# prints the names and line texts in UTF-8.
#
#   trovfind_tree_win32_test.sh DIR BUILD   (DIR: the test's folder; BUILD: the
#                                           windows build tree)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"
source "$root/scripts/wine-env.sh"
dir=$1 build=$2
tree=$dir/tree
rm -rf "$tree" "$dir/loop"
mkdir -p "$tree/sub" "$dir/loop/a/b"

deep=$tree
for level in a b c d e f g; do deep=$deep/$(printf "$level%.0s" {1..60}); done
mkdir -p "$deep" "$tree/αλφα"
printf 'needle deep\n' >"$deep/deep.c"
printf 'x\r\nneedle caf\xc3\xa9\r\n' >"$tree/αλφα/日本.txt"
printf '\xff\xfen\0e\0e\0d\0l\0e\0 \0\xfc\0\n\0' >"$tree/sub/utf16.txt"
printf 'needle\n' >"$tree/sub/a.c"
ln -s .. "$tree/sub/up"
ln -s / "$tree/root"
printf 'needle\n' >"$dir/loop/a/b/f.c"
ln -s ../.. "$dir/loop/a/b/back"

wine_env "$build" || { echo "FAIL wine_env"; exit 1; }
trovfind() { wine "$build/tools/trovfind.exe" "$@" 2>"$dir/err.txt"; }
windows() { winepath -w "$1"; }

wtree=$(windows "$tree")
records=$(trovfind -u --records needle "$wtree" | grep -v '^#' | sort)
expected=$(printf '%s\n' "$wtree\\$(printf '%s' "${deep#"$tree"/}" | tr / \\\\)\\deep.c	1	needle deep" \
    "$wtree\\sub\\a.c	1	needle" "$wtree\\sub\\utf16.txt	1	needle ü" \
    "$wtree\\αλφα\\日本.txt	2	needle café" | sed 's/\\/\\\\/g' | sort)
expect "each file once, by its full UTF-8 name, nothing past the links" "$expected" "$records"
trovfind -u needle "$wtree" >/dev/null
expect "nothing was left unread" "trovfind: 4 files searched, 4 with hits, 4 hits, 0 could not be read" \
    "$(cat "$dir/err.txt")"

names=$(trovfind -l needle "$wtree" | grep -v -e 'a\.c$' -e 'deep\.c$' -e 'utf16\.txt$')
expect "in the code page a name it cannot spell is its short name" 0 \
    "$(printf '%s\n' "$names" | grep -c '?')"
expect "the short name opens the file" 1 "$(wine cmd /c type "$names" 2>/dev/null | grep -c needle)"

trovfind -L needle "$(windows "$dir/loop")" >"$dir/out.txt"
expect "-L: each folder once" 1 "$(grep -c 'f.c' "$dir/out.txt")"
expect "-L: the loop is counted, the file searched" \
    "trovfind: 1 files searched, 1 with hits, 1 hits, 0 could not be read, folders that could not be listed: 1" "$(cat "$dir/err.txt")"

run=$(LC_ALL=C.UTF-8 TROVIK_BUILD=$(dirname "$build") "$root/scripts/run" café "$tree" 2>/dev/null)
expect "scripts/run prints UTF-8 names and texts" "$tree/αλφα/日本.txt(2): needle café" "$run"
run=$(TROVIK_BUILD=$(dirname "$build") "$root/scripts/run" -j 2 -t '*.c' needle "$tree/sub" 2>/dev/null)
expect "scripts/run passes an option's argument on" "$tree/sub/a.c(1): needle" "$run"
TROVIK_BUILD=$(dirname "$build") "$root/scripts/run" -x needle "$tree" >/dev/null 2>&1
expect "scripts/run refuses an option it does not know" 2 "$?"

# File types: every name the masks fit, exclusions, dot-folders, and each file
# once over overlapping entries and masks, in walk order, on 1 and 2 threads.
types=$dir/types
rm -rf "$types"
mkdir -p "$types/src/lib/obj" "$types/src/node_modules/pkg" "$types/src/.git" "$types/src/.github"
for file in Makefile README MainWindow.xaml.cs jquery.min.js foo.pb.h src/a.c src/lib/b.c \
            src/lib/obj/o.c src/node_modules/pkg/n.js src/.git/config src/.github/w.yml; do
    printf 'word\n' >"$types/$file"
done
wtypes=$(windows "$types")
# The files listed (trovfind -l), by their paths below the tree, with '/'.
files() { trovfind -l "$@" | tr -d '\r' | sed 's/^.*\\types\\//' | tr '\\\n' '/ ' | sed 's/ $//'; }
for threads in 1 2; do
    expect "-j $threads: *.* takes every name, none under a dot-folder" \
        "MainWindow.xaml.cs Makefile README foo.pb.h jquery.min.js src/a.c src/lib/b.c src/lib/obj/o.c src/node_modules/pkg/n.js" \
        "$(files -j $threads word "$wtypes" | tr ' ' '\n' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
    expect "-j $threads: exclusions of files and folders; a folder mask lets a dot-folder in" \
        "MainWindow.xaml.cs Makefile README foo.pb.h src/.github/w.yml src/a.c src/lib/b.c" \
        "$(files -j $threads -t '*.*;!*.min.js;!node_modules\;!OBJ\;.github\' word "$wtypes" |
            tr ' ' '\n' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
    expect "-j $threads: each file once, where the walk first reaches it" \
        "src/lib/b.c src/a.c src/lib/obj/o.c" \
        "$(files -j $threads -t '*.c;*.C;b*' word "$wtypes\\src\\lib\\b.c" "$wtypes\\src" \
            "$wtypes\\src\\lib" "$wtypes\\src\\lib\\b.c")"
done
expect "an excluded folder named as an entry is walked" "src/lib/obj/o.c" \
    "$(files -t '*.*;!obj\' word "$wtypes\\src\\lib\\obj")"

# Every file of a real tree: what find lists, less dot-files, dot-folders,
# empty files and links to folders.
expected=$(find /usr/include -name '.*' -prune -o -xtype f -print | while read -r f; do
    [ -s "$f" ] && echo; done | wc -l)
expect "*.* over /usr/include counts every file" "Number of files: $expected" \
    "$(trovfind -s "$(windows /usr/include)" | head -n1 | tr -d '\r')"
trovfind -s --records "$wtypes" | tail -c1 | od -An -c | grep -q '\\n'
expect "-s --records ends its last line" 0 "$?"

test_summary
