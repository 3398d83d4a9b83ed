#!/usr/bin/env bash
# The benchmark scripts' quick modes run to their end with every figure, so
# that a broken benchmark (a variable never set, a command that no longer
# gives its number) fails here rather than in the next measure; the quick
# modes of bench-search and bench-host go through their threads' sections too. The search
# benchmarks run the programs of the build tree BUILD; every script builds,
# and keeps its Wine prefix, under DIR.
#
#   bench_quick_win32_test.sh DIR BUILD
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"
dir=$1 programs=$2

for script in bench-search bench-host bench; do
    output=$(TROVIK_BUILD=$dir TROVIK_BENCH_PROGRAMS=$programs "$root/scripts/$script" --quick 2>&1)
    status=$?
    expect "scripts/$script --quick runs to its end" 0 "$status"
    [ "$status" -eq 0 ] || printf '%s\n' "$output" | tail -n 30
done

test_summary
