# shellcheck shell=bash
# Shell functions for the scripts that run Windows programs under Wine in a throwaway prefix,
# headless, with one wine server for the whole run (sourced by scripts/test-windows.sh and
# scripts/test-windows-wizard.sh).

wine_loader() {
    if [ -x /usr/lib/wine/wine64 ]; then
        echo /usr/lib/wine/wine64
    else
        command -v wine64 || command -v wine || true
    fi
}

wine_server() {
    if [ -x /usr/lib/wine/wineserver64 ]; then
        echo /usr/lib/wine/wineserver64
    else
        command -v wineserver || true
    fi
}

# printer_sim_build LINUX_BUILD [CMAKE_OPTIONS...]: builds the printer simulator in the Linux
# build folder (configuring it first, with the options given, when it has none) and sets `sim`.
printer_sim_build() {
    local linux_build=$1
    shift
    if [ ! -f "$linux_build/build.ninja" ]; then
        cmake -S "$(dirname "${BASH_SOURCE[0]}")/.." -B "$linux_build" -G Ninja \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    ninja -C "$linux_build" -j"${VORMATIC_JOBS:-2}" vormatic-printer-sim >/dev/null
    sim=$linux_build/tools/vormatic-printer-sim
}

# wine_session_start PREFIX LOGS: makes a new prefix in PREFIX (an older one there is ended and
# removed) and starts its server; logs go to the folder LOGS. Sets and exports WINEPREFIX,
# WINEDEBUG, WINEDLLOVERRIDES; sets `wine` and `wineserver`. The session ends when the script
# does (wine_session_end).
wine_session_start() {
    sim_pids=()
    trap wine_session_end EXIT
    wine=$(wine_loader)
    wineserver=$(wine_server)
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer dialogs
    unset DISPLAY WAYLAND_DISPLAY
    wine_logs=$2
    if [ -d "$WINEPREFIX" ]; then
        "$wineserver" -k 2>/dev/null || true  # a server left by an earlier run of this prefix
    fi
    rm -rf "$WINEPREFIX" "$wine_logs"
    mkdir -p "$WINEPREFIX" "$wine_logs"
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot -i </dev/null >"$wine_logs/wineboot.log" 2>&1
}

# wine_restart: what a restart of Windows is to the prefix. The server ends and a new one
# starts; its device manager makes the COM ports of HKLM\Software\Wine\Ports. One program
# then brings up the prefix's services, its output to a file: services started by a test
# program would inherit that program's output pipe, and CTest would wait for its end.
wine_restart() {
    "$wineserver" -k
    "$wineserver" -w
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" reg query 'HKLM\Software\Wine\Ports' </dev/null >>"$wine_logs/wineboot.log" 2>&1
}

# wine_session_end: ends the simulators that start_sim started, and the prefix's server with
# every Windows process of the run.
wine_session_end() {
    local pid
    for pid in "${sim_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    if [ -n "${wineserver:-}" ] && [ -n "${WINEPREFIX:-}" ]; then
        "$wineserver" -k 2>/dev/null || true
    fi
}

# wine_reg_add KEY NAME DATA: a string value in the prefix's registry.
wine_reg_add() {
    "$wine" reg add "$1" /v "$2" /d "$3" /f </dev/null >>"$wine_logs/wineboot.log" 2>&1
}

# start_sim NAME OPTIONS...: starts the printer simulator $sim with OPTIONS, its log in
# $wine_logs/NAME.log, its pid in sim_pids, and waits for the first line of its output: its
# pseudo-terminal, in $wine_logs/NAME.out.
start_sim() {
    local name=$1
    shift
    "$sim" "$@" >"$wine_logs/$name.out" 2>"$wine_logs/$name.log" </dev/null &
    sim_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$wine_logs/$name.out" ] && return
        sleep 0.05
    done
    echo "printer simulator $name did not start" >&2
    exit 1
}
