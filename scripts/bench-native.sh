# The native section of scripts/bench-search: trovfind built natively
# (optimised, no sanitizers, in BUILD/bench-native) side by side with GNU grep
# and ripgrep over the same tree, every command warm. Sourced by bench-search
# after the tree is set; native_cases needs root, build, tree, files, rounds,
# cpu and quick.
#
# Five searches: a rare literal, return, a literal ignoring case, whole
# words and the pattern [a-z_]+_lock\(. For each, in alternating rounds
# (scripts/bench_rounds.py): trovfind -j 1 and ripgrep -j1 pinned to
# processor $cpu, grep -r too (it has one thread), trovfind and ripgrep with
# their own thread counts on every processor; wall and processor time and
# the peak resident set of each. Goals: trovfind -j 1 within 1.1 times
# rg -j1, trovfind ahead of rg, trovfind -j 2 at least 1.8 times faster than
# -j 1, peak memory no higher than rg's.
#
# Every tool writes its lines (file, line number, text) to one file, as a
# user keeping them would: GNU grep stops at a file's first match when its
# output is /dev/null.
#
# Before the times, the matching lines each tool finds, which must agree.
# The peers are run so that they search what trovfind searches:
# - trovfind -t '*.c;*.h' is grep's --include='*.[ch]' and rg's -g '*.[ch]'
#   (trovfind's masks ignore case: a tree with *.C or *.H files would differ);
# - trovfind leaves out folders and files whose name begins with a dot, as rg
#   does by default and grep with --exclude-dir='.*' --exclude='.*';
# - rg honours .gitignore, .ignore and .rgignore files (the tree's own and
#   those of a repository around it): --no-ignore;
# - grep in the C locale: bytes, as trovfind reads a file in the code page
#   (a UTF-8 file is converted first, which keeps its lines); ASCII texts,
#   so that neither case folding nor word characters beyond ASCII come in;
# - neither peer reads a file that is a symbolic link while walking a folder;
#   trovfind searches it like a file. The lines of those links (13 in the
#   kernel tree) are counted aside and added to the peers';
# - empty files hold no line; binary files (a zero byte) hold no match of
#   these texts in the kernel tree, where grep and rg would stop or say so.

# Builds the native trovfind and prints its path; TROVIK_BENCH_NATIVE names
# one that runs as it is instead (another build's, to compare with).
native_trovfind() {
    [ -z "${TROVIK_BENCH_NATIVE:-}" ] || { echo "$TROVIK_BENCH_NATIVE"; return 0; }
    local dir=$build/bench-native log=$build/logs/bench-native-trovfind.log
    mkdir -p "$build/logs"
    if ! { cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTROVIK_SANITIZE=OFF &&
        cmake --build "$dir" -j "$(nproc)" --target trovfind; } >"$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "bench: the native trovfind did not build (log: $log)" >&2
        return 1
    fi
    echo "$dir/tools/trovfind"
}

# native_arguments TOOL SEARCH: the arguments of SEARCH for trovfind, grep or
# rg, quoted for the shell.
native_arguments() {
    local pattern='[a-z_]+_lock\('
    case $1:$2 in
    trovfind:rare) echo "$rare" ;;
    trovfind:return) echo return ;;
    trovfind:case) echo "-i error" ;;
    trovfind:words) echo "-w dev" ;;
    trovfind:pattern) echo "-p $(q "$pattern")" ;;
    *:rare) echo "-F $rare" ;;
    *:return) echo "-F return" ;;
    *:case) echo "-i -F error" ;;
    *:words) echo "-w -F dev" ;;
    grep:pattern) echo "-E $(q "$pattern")" ;;
    rg:pattern) q "$pattern" ;;
    esac
}

# The commands, each followed by the search's arguments and the tree.
native_commands() {
    local trovfind=$1
    ours="$(q "$trovfind") -t '*.c;*.h'"
    greps="env LC_ALL=C grep -r --include='*.[ch]' --exclude-dir='.*' --exclude='.*'"
    rgs="rg --no-ignore -g '*.[ch]'"
}

# The sum of the counts that grep -c or rg --count print (NAME:COUNT lines).
sum_counts() {
    awk -F: '{ n += $NF } END { print n + 0 }'
}

# Prints the matching lines of SEARCH for each tool and checks that they
# agree; fails when they do not.
native_counts() {
    local search=$1 links=$2 found linked wanted
    found=$(eval "$ours --records $(native_arguments trovfind "$search") $(q "$tree")" |
            grep -vc '^#' || true)
    linked=0
    if [ -s "$links" ]; then
        linked=$(eval "LC_ALL=C xargs -d '\n' grep -c $(native_arguments grep "$search") --" \
                 <"$links" | sum_counts)
    fi
    wanted=$(eval "$greps -c $(native_arguments grep "$search") $(q "$tree")" | sum_counts)
    figure "lines" "trovfind $found; grep -r $wanted + $linked in links to files"
    [ "$found" -eq $((wanted + linked)) ] ||
        { echo "bench: trovfind and grep find different lines for $search" >&2; return 1; }
    have rg || return 0
    wanted=$(eval "$rgs --count $(native_arguments rg "$search") $(q "$tree")" | sum_counts)
    figure "lines" "rg $wanted + $linked in links to files"
    [ "$found" -eq $((wanted + linked)) ] ||
        { echo "bench: trovfind and rg find different lines for $search" >&2; return 1; }
}

native_cases() {
    local trovfind search args links=$files/native-links out=$files/native.out
    trovfind=$(native_trovfind) || return 1
    native_commands "$trovfind"
    find "$tree" -type l -xtype f -name '*.[ch]' >"$links"
    echo "== Native: trovfind, grep -r and rg over $tree ($(wc -l <"$links") links to files);" \
         "-j 1, rg -j1 and grep pinned to processor $cpu, the others on every processor"
    for search in rare return case words pattern; do
        echo "== Native, $search: trovfind $(native_arguments trovfind "$search")"
        native_counts "$search" "$links" || return 1
        local at=$(q "$tree") pin="taskset -c $cpu" runs=()
        args=$(native_arguments trovfind "$search")
        runs+=("trovfind -j 1" "$pin $ours -j 1 $args $at >$out 2>/dev/null")
        have rg && runs+=("rg -j1" "$pin $rgs -n -j1 $(native_arguments rg "$search") $at >$out")
        runs+=("trovfind" "$ours $args $at >$out 2>/dev/null")
        have rg && runs+=("rg" "$rgs -n $(native_arguments rg "$search") $at >$out")
        runs+=("grep -r" "$pin $greps -n $(native_arguments grep "$search") $at >$out")
        python3 "$root/scripts/bench_rounds.py" "$rounds" 0 "${runs[@]}"
    done
    rm -f "$out"
}
