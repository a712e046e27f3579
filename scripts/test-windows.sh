#!/usr/bin/env bash
# Builds the Qt-free layers (host/ with its Windows half, the pure xport/ library) and their
# unit tests for 64-bit Windows with MinGW-w64, and runs every test program under Wine in a
# throwaway prefix inside the build folder: the registry tests on the prefix's registry, the
# paths on its C: drive, the adapter list from the Linux interfaces. Three printer simulators
# (build/tools/vormatic-printer-sim, built by the Linux build) answer on COM5, COM6 and COM7 of
# the prefix; the Windows serial class must identify the first, whose line check has to report
# 19200 8N1 with XON/XOFF, and get the result codes of a silent and a refusing printer from the
# other two. The first is plugged in by the Windows demo CD's stand-in USB driver installer;
# the CD's other stand-ins are run by their own test.
#
#   scripts/test-windows.sh            build folder build-win/, Linux build folder build/
#   VORMATIC_WIN_BUILD=dir VORMATIC_BUILD=dir scripts/test-windows.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VORMATIC_WIN_BUILD:-$top/build-win}
linux_build=${VORMATIC_BUILD:-$top/build}
started=$(date +%s)

# --- Tools -----------------------------------------------------------------------------------
# shellcheck source=scripts/wine-session.sh
. "$top/scripts/wine-session.sh"
missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[ -n "$(wine_loader)" ] || missing+=(wine64)
[ -f /usr/src/googletest/googletest/CMakeLists.txt ] || missing+=(googletest)
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
wine=$(wine_loader)

# --- Build -----------------------------------------------------------------------------------
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORMATIC_QT=OFF -DVORMATIC_BUILD_BENCH=OFF \
    -DVORMATIC_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" "${launcher[@]}" >/dev/null
ninja -C "$build" -j"${VORMATIC_JOBS:-2}"

printer_sim_build "$linux_build" "${launcher[@]}"
built=$(date +%s)

# --- A throwaway prefix, headless, with one wine server for the whole run ---------------------
logs=$build/wine-logs
wine_session_start "$build/wine-prefix" "$logs"

identity="RX200 Vormatic Tag Printer v2.14"
start_sim printer --check-line --identity "$identity"
start_sim silent --fault silent
start_sim nak --fault nak
printer_tty=$(head -n1 "$logs/printer.out")
silent_tty=$(head -n1 "$logs/silent.out")
nak_tty=$(head -n1 "$logs/nak.out")

# The Windows demo CD, whose stand-in installers a test runs.
cd_dir=$build/cd
"$top/scripts/make-windows-cd.sh" "$build" "$cd_dir" >/dev/null
# COM ports of the prefix are values under HKLM\Software\Wine\Ports; the server reads them
# when it starts. The printer comes as the USB driver's virtual port: the CD's stand-in driver
# installer registers it, so the serial tests find out whether its port opens after the restart.
VORMATIC_DEMO_USB_PRINTER_DEVICE=$printer_tty VORMATIC_DEMO_USB_PORT=COM5 \
    VORMATIC_DEMO_INSTALL_SECONDS=0 VORMATIC_DEMO_LOG="$logs/demo-install.log" \
    "$wine" "$cd_dir/setup/usb/setup.exe" </dev/null >>"$logs/wineboot.log" 2>&1
wine_reg_add 'HKLM\Software\Wine\Ports' COM6 "$silent_tty"
wine_reg_add 'HKLM\Software\Wine\Ports' COM7 "$nak_tty"
wine_restart

# --- The tests -------------------------------------------------------------------------------
export VORMATIC_WINE_COM_PRINTER=COM5 VORMATIC_WINE_COM_IDENTITY="$identity"
export VORMATIC_WINE_COM_SILENT=COM6 VORMATIC_WINE_COM_NAK=COM7
export VORMATIC_WIN_CD="Z:${cd_dir//\//\\}"
status=0
ctest --test-dir "$build" -j"${VORMATIC_JOBS:-2}" --output-on-failure --timeout 120 </dev/null ||
    status=1

# The simulators' side: the exchanges reached them, and the printer saw the line settings.
if ! grep -q "frame 'V'" "$logs/silent.log" || ! grep -q "frame 'V'" "$logs/nak.log"; then
    echo "the silent or the refusing printer never received a frame" >&2
    status=1
fi
if grep -q "line settings differ" "$logs/printer.log"; then
    grep "line settings differ" "$logs/printer.log" | sort -u >&2
    status=1
elif seen=$(grep -m1 "^line settings: " "$logs/printer.log"); then
    echo "printer simulator on $printer_tty (COM5): ${seen#line settings: }," \
        "$(grep -c "frame 'V'" "$logs/printer.log") identifications answered"
else
    echo "the printer simulator on COM5 was never asked for its identity" >&2
    status=1
fi

finished=$(date +%s)
echo "Windows host layer under Wine: built in $((built - started)) s," \
    "tests in $((finished - built)) s, $((finished - started)) s in all"
exit $status
