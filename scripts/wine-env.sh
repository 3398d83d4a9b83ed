# The Wine environment of the project's scripts, in one place. Sourced (not
# run) by scripts/test, run, bench, bench-search and the build tree's wine-run:
#
#   wine_env DIR        a 32-bit prefix DIR/wineprefix, created when missing
#   wine_start [IDLE]   the prefix's wineserver and Wine's services, started
#                       away from the caller's pipes; the server stays until
#                       wine_stop, or with IDLE (seconds) goes away by itself,
#                       services and all, once no program has run for that long
#   wine_stop           stops the prefix's server and every program in it
#   wine_server_pid     prints the process id of the prefix's running server
#   use_virtual_desktop the prefix's windows open in a virtual desktop (call
#                       it before wine_start)
#   start_display       an Xvfb display of its own, exported as DISPLAY
#   stop_display        stops that display
#
#   TROVIK_WINE_CPU     when set, wine_start pins the server and the services
#                       (or a server already running) to these processors
#                       (a taskset -c list)
#
# Each function reports its failure on standard error and returns non-zero.

# wine_env DIR: exports the prefix's environment; a new prefix is created once
# (several callers at a time wait for each other).
wine_env() {
    mkdir -p "$1" || return 1
    local dir
    dir=$(cd "$1" && pwd) || return 1 # Wine takes no relative prefix
    export WINEPREFIX=$dir/wineprefix WINEARCH=win32
    export WINEDEBUG=${WINEDEBUG:--all}
    # No .NET and no HTML engine: a new prefix would otherwise ask through a
    # dialog to download them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    local log=$dir/wineboot.log
    (
        flock 9
        [ -f "$WINEPREFIX/system.reg" ] && exit 0
        if ! wineboot -i </dev/null >"$log" 2>&1; then
            tail -n 20 "$log" >&2
            echo "wine_env: could not create the Wine prefix $WINEPREFIX (log: $log)" >&2
            exit 1
        fi
        # wineboot leaves a server with Wine's default time-out behind: once it
        # is gone, the next wine_start's server is the one that serves.
        wineserver -w
    ) 9>"$dir/wineprefix.lock"
}

# wine_start [IDLE_SECONDS]: a server already running in the prefix serves as
# it is (its time-out cannot be changed), pinned when TROVIK_WINE_CPU asks.
# The services outlive the program that starts them, so they are started here
# with no terminal and none of the caller's pipes (ctest reads a test's output
# until every writer has gone).
wine_start() {
    local pin=() status=0 log errors
    [ -n "${TROVIK_WINE_CPU:-}" ] && pin=(taskset -c "$TROVIK_WINE_CPU")
    log=$(mktemp) || return 1
    "${pin[@]}" wineserver "-p${1:-}" </dev/null >/dev/null 2>"$log" || status=$?
    errors=$(<"$log")
    rm -f "$log"
    case $status in
    0)
        # Starts the services; should they fail, the programs run later start
        # whatever they need themselves.
        "${pin[@]}" wine wineboot </dev/null >/dev/null 2>&1 || true
        ;;
    2) # already running, and so are the services
        if [ "${#pin[@]}" -gt 0 ]; then
            local pid
            if ! pid=$(wine_server_pid) ||
                ! taskset -a -p -c "$TROVIK_WINE_CPU" "$pid" >/dev/null; then
                echo "wine_start: could not pin the running wineserver" >&2
                return 1
            fi
        fi
        ;;
    *)
        [ -z "$errors" ] || echo "$errors" >&2
        echo "wine_start: the wineserver did not start (status $status)" >&2
        return 1
        ;;
    esac
}

wine_stop() {
    # Status 1: no server was running.
    wineserver -k </dev/null >/dev/null 2>&1 || [ "$?" -eq 1 ]
}

# The server works in a folder named after the prefix's device and inode
# numbers, by which its process is told from other prefixes' servers.
wine_server_pid() {
    local folder proc
    folder=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX")) || return 1
    for proc in /proc/[0-9]*; do
        if [[ $(readlink "$proc/exe" 2>/dev/null) == */wineserver* &&
              $(readlink "$proc/cwd" 2>/dev/null) == */"$folder" ]]; then
            echo "${proc#/proc/}"
            return 0
        fi
    done
    echo "wine_server_pid: no wineserver runs for $WINEPREFIX" >&2
    return 1
}

_trovik_display_pid=

# use_virtual_desktop: on a bare X display (no window manager) Wine waits two
# seconds for every top-level window it hides, which would make each dialog
# of a test or benchmark take seconds instead of milliseconds; in a virtual
# desktop it does not. A desktop's kind is fixed when its first window opens
# (Wine's services open one as the server starts), so the setting goes into
# the prefix's registry file while no server runs.
use_virtual_desktop() {
    grep -q '^"Desktop"="Default"' "$WINEPREFIX/user.reg" 2>/dev/null && return 0
    wine_stop && wineserver -w 2>/dev/null
    local stamp
    stamp=$(date +%s)
    printf '\n[Software\\\\Wine\\\\Explorer] %s\n"Desktop"="Default"\n' "$stamp" >>"$WINEPREFIX/user.reg" &&
        printf '\n[Software\\\\Wine\\\\Explorer\\\\Desktops] %s\n"Default"="1280x1024"\n' "$stamp" \
            >>"$WINEPREFIX/user.reg"
}

# start_display: Xvfb picks a free display number and writes it to a file.
start_display() {
    local file number tries=0
    file=$(mktemp) || return 1
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$file" </dev/null >/dev/null 2>&1 &
    _trovik_display_pid=$!
    while [ ! -s "$file" ] && [ "$tries" -lt 100 ] && kill -0 "$_trovik_display_pid" 2>/dev/null; do
        sleep 0.1
        tries=$((tries + 1))
    done
    number=$(head -n1 "$file")
    rm -f "$file"
    if [ -z "$number" ]; then
        stop_display
        echo "start_display: Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=:$number
}

stop_display() {
    [ -n "$_trovik_display_pid" ] || return 0
    kill "$_trovik_display_pid" 2>/dev/null || true
    wait "$_trovik_display_pid" 2>/dev/null || true
    _trovik_display_pid=
    unset DISPLAY
}
