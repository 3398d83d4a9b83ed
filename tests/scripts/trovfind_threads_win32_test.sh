#!/usr/bin/env bash
# trovfind under Wine searching on 1, 2 and 8 threads gives the same output,
# byte for byte, in every mode: the records in walk order, the counters and
# the statistics. The corpus is this repository's sources and an empty file.
#
#   trovfind_threads_win32_test.sh DIR BUILD   (DIR: the test's folder; BUILD:
#                                              the windows build tree)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"
source "$root/scripts/wine-env.sh"
dir=$1 build=$2
tree=$dir/tree
rm -rf "$tree"
mkdir -p "$tree"
cp -r "$root/base" "$root/fs" "$root/search" "$root/host" "$root/tests/search" "$tree/"
: >"$tree/host/empty.h"

wine_env "$build" || { echo "FAIL wine_env"; exit 1; }
wtree=$(winepath -w "$tree")

# run_all ARGS...: the output and error of every thread count must agree.
run_all() {
    local first=
    for threads in 1 2 8; do
        local out
        out=$(wine "$build/tools/trovfind.exe" -j "$threads" "$@" "$wtree" 2>&1)
        if [ -z "$first" ]; then
            first=$out
            expect "-j 1 $* finds something" 1 "$([ -n "$out" ] && echo 1)"
        else
            expect "-j $threads $* equals -j 1" "$first" "$out"
        fi
    done
}

run_all --records -t "*.cpp;*.h" return
run_all --records -i -w -t "*.cpp;*.h" RESULTS
run_all --records -p -t "*.cpp" "Search[A-Z][a-z]+\("
run_all -l -t "*.h" pulse
run_all -s -t "*.cpp;*.h"
run_all --records -n -t "*.*" the

test_summary
