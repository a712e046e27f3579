#!/usr/bin/env bash
# The Windows program under Wine: builds vormatic-installer.exe and the Qt page tests named by
# VORMATIC_WINDOWS_QT_TESTS (tests/CMakeLists.txt) against the static Qt for Windows of
# scripts/build-qt-windows.sh, lays out the Windows CD with it (scripts/make-windows-cd.sh), and
# runs the tests under Wine in a throwaway prefix on the offscreen platform:
#   1. the shell tests;
#   2. the serial road, with the printer simulator (the Linux build's) plugged in by the CD's
#      stand-in USB driver as COM5 (VORMATIC_WINE_COM_PRINTER);
#   3. the USB restart road: the test's first run ends on the restart step, then it runs the
#      RunOnce value as Explorer runs it at logon (Wine's own start-up leaves HKCU RunOnce
#      alone), which resumes the road in a second process.
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
# -O2, as the Linux build: GCC 12 at -O3 warns falsely (-Wrestrict) inside std::string.
"$prefix/bin/qt-cmake" -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$prefix/lib/cmake/vormatic-mingw-toolchain.cmake" \
    -DVORMATIC_BUILD_BENCH=ON -DVORMATIC_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
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
wine_reg_add 'HKCU\Environment' QT_QPA_FONTDIR 'Z:\usr\share\fonts\truetype\liberation2'
wine_reg_add 'HKCU\Environment' QT_FORCE_STDERR_LOGGING 1

# Two printers, each on a COM port of its own mapped by the CD's stand-in USB driver before the
# prefix restarts (Wine makes its ports when it starts): COM5 for the serial road, COM10 for the
# USB road (a name that CreateFile opens only as \\.\COM10). The sandbox of each test empties
# the list of ports; the serial test lists COM5, the wizard's driver installation COM10.
windows_path() { echo "Z:${1//\//\\}"; }
plug_printer() {
    local name=$1 port=$2 identity=$3
    start_sim "$name" --check-line --identity "$identity"
    VORMATIC_DEMO_USB_PRINTER_DEVICE=$(head -n1 "$logs/$name.out") VORMATIC_DEMO_USB_PORT=$port \
        VORMATIC_DEMO_INSTALL_SECONDS=0 VORMATIC_DEMO_LOG="$logs/demo-install.log" \
        "$wine" "$cd_dir/setup/usb/setup.exe" </dev/null >>"$logs/wineboot.log" 2>&1
}
serial_identity="RX200 Vormatic Tag Printer v2.14"
plug_printer printer COM5 "$serial_identity"
plug_printer usb-printer COM10 "MZ4-B Vormatic Slide Printer v1.0"
wine_restart
export VORMATIC_WINE_COM_PRINTER=COM5 VORMATIC_WINE_COM_IDENTITY="$serial_identity"
VORMATIC_WINE_COM_PRINTER_LOG=$(windows_path "$logs/printer.log")
VORMATIC_WINE_USB_PRINTER_DEVICE=$(head -n1 "$logs/usb-printer.out")
VORMATIC_WIN_CD=$(windows_path "$cd_dir")
export VORMATIC_WINE_COM_PRINTER_LOG VORMATIC_WINE_USB_PRINTER=COM10 VORMATIC_WINE_USB_PRINTER_DEVICE
export VORMATIC_WIN_CD

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

# The restart road: the test's first run ends on the restart step, then it starts the RunOnce
# command line as Explorer does at logon, which resumes the road in a second process.
run_tests "USB restart road" UsbRestartTest
# Every page of the Windows build, for docs/screenshots/windows/.
VORMATIC_SCREENSHOT_DIR=$(windows_path "$build/screenshots")
export VORMATIC_SCREENSHOT_DIR
run_tests "screenshots" ScreenshotTest

# Start-up of the wizard against a one-label window built the same way, on the offscreen
# platform (the prefix's environment), five fresh processes each.
# (Output to a file: the prefix's server would hold a pipe open.)
"$wine" "$build/bench/bench_startup.exe" 5 </dev/null >"$logs/startup.txt" 2>&1 || status=1
tr -d '\r' <"$logs/startup.txt" | sed 's/^/Windows start-up under Wine: /'

finished=$(date +%s)
echo "Windows program under Wine: built in $((built - started)) s," \
    "roads in $((finished - built)) s, $((finished - started)) s in all"
exit $status
