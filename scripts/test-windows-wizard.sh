#!/usr/bin/env bash
# The Windows program under Wine: builds vormatic-installer.exe and the Qt page tests named by
# VORMATIC_WINDOWS_QT_TESTS (tests/CMakeLists.txt) against the static Qt for Windows of
# scripts/build-qt-windows.sh, lays out the Windows CD with it (scripts/make-windows-cd.sh), and
# runs the tests under Wine in a throwaway prefix on the offscreen platform:
#   1. the shell tests;
#   2. the serial road, with the printer simulator (the Linux build's) plugged in by the CD's
#      stand-in USB driver as COM5 (VORMATIC_WINE_COM_PRINTER);
#   3. the USB restart road: the test's first run ends on the restart step; the prefix then
#      restarts, and its RunOnce value is run as Explorer runs it at logon (Wine's own start-up
#      leaves HKCU RunOnce alone), which resumes the road in a second process.
# A road whose test is not among the Windows build's tests is reported as not run.
#
# Without a Qt for Windows in the cache (and no matching prebuilt copy to unpack), nothing is
# built: the script says why and exits 0, so that the other
# stages of CI still run.
#
#   scripts/test-windows-wizard.sh     build folder build-win-qt/, Linux build folder build/
#   VORMATIC_WIN_QT_BUILD=dir VORMATIC_BUILD=dir scripts/test-windows-wizard.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VORMATIC_WIN_QT_BUILD:-$top/build-win-qt}
linux_build=${VORMATIC_BUILD:-$top/build}
started=$(date +%s)
# shellcheck source=scripts/wine-session.sh
. "$top/scripts/wine-session.sh"

not_run() {
    echo "Windows program under Wine: NOT RUN: $*"
    exit 0
}

# --- What it needs ---------------------------------------------------------------------------
qt_script=$top/scripts/build-qt-windows.sh
prefix=$("$qt_script" --prefix)
if ! "$qt_script" --unpack; then
    not_run "no Qt for Windows in $prefix, and no prebuilt copy whose stamp matches;" \
        "scripts/build-qt-windows.sh builds one (about an hour on two cores)"
fi
wine=$(wine_loader)
if [ -z "$wine" ] || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    not_run "Wine or MinGW-w64 is not installed (scripts/test-windows.sh installs them)"
fi

# --- Build -----------------------------------------------------------------------------------
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
"$prefix/bin/qt-cmake" -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$prefix/lib/cmake/vormatic-mingw-toolchain.cmake" \
    -DVORMATIC_BUILD_BENCH=OFF -DVORMATIC_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
    "${launcher[@]}" >/dev/null
ninja -C "$build" -j"${VORMATIC_JOBS:-2}"
tests=$(sed -n 's/^VORMATIC_WINDOWS_QT_TESTS:STRING=//p' "$build/CMakeCache.txt" | tr ';' ' ')

printer_sim_build "$linux_build" "${launcher[@]}"
cd_dir=$build/cd
"$top/scripts/make-windows-cd.sh" "$build" "$cd_dir" >/dev/null
built=$(date +%s)

# --- The prefix: offscreen platform, fonts, QtTest's output on stderr -------------------------
logs=$build/wine-logs
wine_session_start "$build/wine-prefix" "$logs"
# Wine hands no QT_ variable of the Linux environment to its programs; the user's environment
# in the registry reaches them.
wine_reg_add 'HKCU\Environment' QT_QPA_PLATFORM offscreen
wine_reg_add 'HKCU\Environment' QT_QPA_FONTDIR 'Z:\usr\share\fonts\truetype\dejavu'
wine_reg_add 'HKCU\Environment' QT_FORCE_STDERR_LOGGING 1

identity="RX200 Vormatic Tag Printer v2.14"
start_sim printer --identity "$identity"
VORMATIC_DEMO_USB_PRINTER_DEVICE=$(head -n1 "$logs/printer.out") VORMATIC_DEMO_USB_PORT=COM5 \
    VORMATIC_DEMO_INSTALL_SECONDS=0 VORMATIC_DEMO_LOG="$logs/demo-install.log" \
    "$wine" "$cd_dir/setup/usb/setup.exe" </dev/null >>"$logs/wineboot.log" 2>&1
wine_restart
export VORMATIC_WINE_COM_PRINTER=COM5 VORMATIC_WINE_COM_IDENTITY="$identity"
export VORMATIC_WIN_CD="Z:${cd_dir//\//\\}"

# --- The roads -------------------------------------------------------------------------------
status=0
built_test() { [[ " $tests " == *" $1 "* ]]; }
run_tests() {
    local road=$1
    shift
    local names=() name
    for name in "$@"; do
        built_test "$name" && names+=("$name")
    done
    if [ ${#names[@]} -eq 0 ]; then
        echo "$road: NOT RUN: none of $* is among the Windows build's tests ($tests)"
        return
    fi
    local pattern
    pattern="^($(IFS='|'; echo "${names[*]}"))\$"
    ctest --test-dir "$build" -R "$pattern" --output-on-failure --timeout 300 </dev/null ||
        status=1
}
run_tests "shell" ShellTest FinishedAboutTest WelcomeLicenseTest
run_tests "serial road" SerialRoadTest

# The restart road in two runs of its test, with a restart of the prefix between them.
if built_test UsbRestartTest; then
    if ! "$wine" "$build/tests/UsbRestartTest.exe" </dev/null >"$logs/usb-restart-1.log" 2>&1; then
        cat "$logs/usb-restart-1.log"
        status=1
    else
        wine_restart
        if ! wine_run_once; then
            cat "$logs"/runonce-*.log
            status=1
        fi
    fi
else
    echo "USB restart road: NOT RUN: UsbRestartTest is not among the Windows build's tests"
fi

finished=$(date +%s)
echo "Windows program under Wine: built in $((built - started)) s," \
    "roads in $((finished - built)) s, $((finished - started)) s in all"
exit $status
