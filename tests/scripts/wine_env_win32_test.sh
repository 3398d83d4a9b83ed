#!/usr/bin/env bash
# scripts/wine-env.sh: a server that already runs serves the next caller, one
# started with an idle time goes away by itself with Wine's services, and
# wine_stop ends them at once. Runs in a prefix of its own under DIR.
#
#   wine_env_win32_test.sh DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"
source "$root/scripts/wine-env.sh"
dir=$1

# The Wine processes of this prefix: the server, the services and the
# programs all carry its WINEPREFIX in their environment.
prefix_processes() {
    local proc
    for proc in /proc/[0-9]*; do
        [[ $(readlink "$proc/exe" 2>/dev/null) == */wine* ]] &&
            grep -qzx "WINEPREFIX=$WINEPREFIX" "$proc/environ" 2>/dev/null && echo "${proc#/proc/}"
    done
}

# gone_within SECONDS: whether the prefix's processes are all gone in time.
gone_within() {
    local deadline=$((SECONDS + $1))
    while [ -n "$(prefix_processes)" ]; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

mkdir -p "$dir"
(cd "$dir" && wine_env . && echo "$WINEPREFIX") >"$dir/prefix.txt"
expect "a relative folder gives an absolute prefix" "$(cd "$dir" && pwd)/wineprefix" \
    "$(cat "$dir/prefix.txt")"

wine_env "$dir" || { echo "FAIL wine_env"; exit 1; }
wine_stop
gone_within 10
expect "nothing of an earlier run is left" 0 "$?"

# ---- A running server serves
# 5 seconds: room for the checks below on a busy machine before it goes.
wine_start 5
expect "a server starts with an idle time" 0 "$?"
server=$(wine_server_pid)
expect "the server is found" 1 "$([ -n "$server" ] && [ -d "/proc/$server" ] && echo 1)"
wine_start
expect "a second start leaves the running server serving" "0 $server" "$? $(wine_server_pid)"
wine cmd /c exit 3 </dev/null >/dev/null 2>&1
expect "programs run" 3 "$?"
expect "the services run" 1 "$([ "$(prefix_processes | wc -l)" -gt 1 ] && echo 1)"

# ---- Idle time, then Wine's own shutdown of the services
gone_within 25
expect "server and services go away by themselves after the idle time" 0 "$?"

# ---- wine_stop
wine_start
wine_stop
expect "wine_stop stops the server" 0 "$?"
gone_within 5
expect "wine_stop leaves no process of the prefix" 0 "$?"
wine_stop
expect "wine_stop with nothing running succeeds" 0 "$?"

test_summary
