# The start that the search benchmarks (scripts/bench-search, bench-host)
# share: their arguments, the tree they search, the Windows programs they run,
# and their figure lines. Sourced after root is set; sets the variables named.
#
#   bench_arguments NAME ARGS...  [-j N] [ROUNDS [SUBDIR]] or --quick: sets
#                                 quick, threads (N, empty without -j; 2 in
#                                 quick mode), rounds and subdir; a usage
#                                 error exits 2
#   processors_for N              prints the processors (a taskset -c list)
#                                 that a run of N threads is pinned to: the
#                                 first N of the machine, all when it has fewer
#   pinned CPUS SERVER            prints the start of a command that runs on
#                                 processors CPUS, with the wineserver SERVER
#                                 moved there first (it serves every Wine
#                                 program's file calls, so it belongs to the
#                                 processors of the run it serves)
#   bench_tree PACKAGES...        installs PACKAGES (nothing in quick mode)
#                                 and sets tree: the kernel sources, or the
#                                 quick mode's few generated files
#   bench_programs TARGETS...     sets dir (the optimised Windows build, whose
#                                 folder holds the Wine prefix) and programs
#                                 (the build tree the programs come from)
#   bench_program FOLDER NAME     prints the path of program NAME.exe under
#                                 FOLDER of programs; fails when there is none
#   figure NAME VALUE...          prints one figure; fails when the value holds
#                                 no number (the command behind it broke)
#
# The quick mode goes through every step once on a small tree, so that a test
# finds a broken script; its times are no figures to quote.
# TROVIK_BENCH_PROGRAMS names a built Windows tree whose programs run as they
# are, with no build (the quick mode's test passes its own).

source "$root/scripts/kernel-tree.sh"
build=${TROVIK_BUILD:-$root/build}

bench_arguments() {
    local usage="usage: scripts/$1 [-j N] [ROUNDS [SUBDIR]] | --quick"
    shift
    quick= threads=
    if [ "${1:-}" = --quick ]; then
        [ "$#" -eq 1 ] || { echo "$usage" >&2; exit 2; }
        quick=1 threads=2
        shift
    elif [ "${1:-}" = -j ]; then
        threads=${2:-}
        [[ $threads =~ ^[1-9][0-9]*$ ]] || { echo "$usage" >&2; exit 2; }
        shift 2
    fi
    rounds=${1:-5}
    subdir=${2:-}
    [[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "$usage" >&2; exit 2; }
    [ -z "$quick" ] || rounds=1
}

processors_for() {
    local n=$1 available
    available=$(nproc)
    [ "$n" -le "$available" ] || n=$available
    echo "0-$((n - 1))"
}

pinned() {
    echo "taskset -a -p -c $1 $2 >/dev/null && taskset -c $1"
}

bench_tree() {
    if [ -n "$quick" ]; then
        "$root/scripts/setup"
        tree=$(quick_tree "$build/bench-quick-tree")
    else
        "$root/scripts/setup" "$@"
        tree=$(kernel_tree "$build" "$subdir") || exit 2
    fi
}

# Both literals of the benchmarks (PM_SUSPEND_PREPARE, rare, and return,
# common), the native section's error and dev and a match of their pattern,
# pm_lock(, in *.c and *.h files at two depths, and a file of another type
# that the searches leave out.
quick_tree() {
    local dir=$1 n
    rm -rf "$dir"
    mkdir -p "$dir/include/linux" "$dir/kernel/power" || return 1
    printf '#define PM_SUSPEND_PREPARE 3\nint suspend(int state); /* Error: the dev is busy */\nvoid pm_lock(void);\n' \
        >"$dir/include/linux/suspend.h"
    for n in 1 2 3; do
        printf '#include <linux/suspend.h>\n\nint step%d(int state)\n{\n\tif (state == PM_SUSPEND_PREPARE)\n\t\treturn %d;\n\treturn 0;\n}\n' \
            "$n" "$n" >"$dir/kernel/power/step$n.c"
    done
    printf 'return PM_SUSPEND_PREPARE\n' >"$dir/kernel/power/Makefile"
    echo "$dir"
}

bench_programs() {
    dir=$build/bench-windows
    programs=${TROVIK_BENCH_PROGRAMS:-$dir}
    [ -z "${TROVIK_BENCH_PROGRAMS:-}" ] || return 0
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target "$@" >/dev/null
}

bench_program() {
    local path
    path=$(find "$programs/$1" -name "$2.exe" -type f | head -n1)
    [ -n "$path" ] || { echo "bench: no $2.exe in $programs/$1" >&2; return 1; }
    echo "$path"
}

figure() {
    local name=$1
    shift
    printf '%-16s %s\n' "$name:" "$*"
    [[ $* =~ [0-9] ]] || { echo "bench: no figure for $name" >&2; return 1; }
}
