#!/usr/bin/env bash
# scripts/linux-names.awk: trovfind's Windows names back in the Linux form of
# the entries given, in each output format, and nothing else touched.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"

# check CASE FORMAT INPUT EXPECTED WINDOWS LINUX [WINDOWS LINUX]...
check() {
    local case=$1 format=$2 input=$3 expected=$4
    shift 4
    expect "$case" "$expected" \
        "$(printf '%s' "$input" | awk -f "$root/scripts/linux-names.awk" "$format" "$@")"
}

# ---- Hits: NAME(LINE): TEXT
check "relative entry" hits 'Z:\w\src\a\f.c(3): x' 'src/a/f.c(3): x' 'Z:\w\src' src
check "absolute entry" hits 'Z:\w\src\f.c(1): x' '/w/src/f.c(1): x' 'Z:\w\src' /w/src
check "entry with a trailing slash" hits 'Z:\w\src\f.c(1): x' 'src/f.c(1): x' 'Z:\w\src\' src/
check "dot entry" hits 'Z:\w\f.c(1): x' './f.c(1): x' 'Z:\w' .
check "drive root" hits 'Z:\etc\f(1): x' '/etc/f(1): x' 'Z:\' /
check "a file entry" hits 'Z:\w\f.c(9): x' 'f.c(9): x' 'Z:\w\f.c' f.c
check "the text keeps its backslashes and names" hits \
    'Z:\w\src\f.c(2): a\b Z:\w\src\g(1): y' 'src/f.c(2): a\b Z:\w\src\g(1): y' 'Z:\w\src' src
check "parentheses in a folder name" hits 'Z:\w\a(1)\f(2).c(7): x' 'd/a(1)/f(2).c(7): x' 'Z:\w' d
check "a sibling with the entry's name as prefix is not under it" hits \
    'Z:\w\srcx\f.c(1): x' 'Z:\w\srcx\f.c(1): x' 'Z:\w\src' src
check "the longest entry wins, in any order" hits \
    $'Z:\\w\\a\\b\\f(1): x\nZ:\\w\\a\\g(1): y' $'deep/f(1): x\ntop/g(1): y' \
    'Z:\w\a' top 'Z:\w\a\b' deep
check "a line that is no hit stays" hits 'usage: trovfind [options]' 'usage: trovfind [options]' 'Z:\w' .
check "a Linux name with spaces" hits 'Z:\w\my dir\f(1): x' 'my dir/f(1): x' 'Z:\w\my dir' 'my dir'

# ---- Names only (-l)
check "names" names $'Z:\\w\\src\\a\\f.c\nZ:\\w\\src' $'src/a/f.c\nsrc' 'Z:\w\src' src

# ---- Records: escaped fields, tab-separated, then the counters
check "record name mapped, escaped text kept" records \
    $'Z:\\\\w\\\\src\\\\f.c\t4\ta\\\\b\\tc' $'src/f.c\t4\ta\\\\b\\tc' 'Z:\w\src' src
check "an escaped tab in a record name stays" records \
    $'Z:\\\\w\\\\a\\tb\\\\f\t1\tx' $'d/a\\tb/f\t1\tx' 'Z:\w' d
check "a record's Linux name is escaped" records \
    $'Z:\\\\w\\\\f\t1\tx' $'a\\\\b/f\t1\tx' 'Z:\w' 'a\b'
check "counters line" records '#counters filesProcessed=1 filesWithHits=1 hitCount=1' \
    '#counters filesProcessed=1 filesWithHits=1 hitCount=1' 'Z:\w' .

# ---- Usage
awk -f "$root/scripts/linux-names.awk" hits 'Z:\w' </dev/null 2>/dev/null
expect "an entry without its Linux form is a usage error" 2 "$?"

test_summary
