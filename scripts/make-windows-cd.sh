#!/usr/bin/env bash
# Lays out the Windows installation CD and packs it as a zip: the wizard (when built), its
# licence text and manual, and the stand-in installers built by the MinGW-w64 build
# (tools/win-standins) in the folders the wizard runs them from:
#   setup\producer\<model>\VormaticProducer*.exe
#   setup\usb\setup.exe
#   setup\ethernet\com port redirector\setup_cpr_x86x64cd_4.3.0.2.exe (and CprManager.exe)
#
#   scripts/make-windows-cd.sh WIN_BUILD_DIR CD_DIR [ZIP]
#
# WIN_BUILD_DIR is a Windows build folder (scripts/test-windows.sh or
# scripts/test-windows-wizard.sh make one); its vormatic-installer.exe goes on the CD when it
# is there. ZIP defaults to CD_DIR.zip. The licence text and the manual are the Linux demo
# CD's (tools/make-demo-cd.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: make-windows-cd.sh WIN_BUILD_DIR CD_DIR [ZIP]}
cd_dir=${2:?usage: make-windows-cd.sh WIN_BUILD_DIR CD_DIR [ZIP]}
zip_file=${3:-${cd_dir%/}.zip}
standins=$build/tools/win-standins
for program in producer-setup usb-setup cpr-setup cpr-manager; do
    if [ ! -f "$standins/vormatic-standin-$program.exe" ]; then
        echo "make-windows-cd.sh: $standins/vormatic-standin-$program.exe is not built" >&2
        exit 1
    fi
done
command -v zip >/dev/null || { echo "make-windows-cd.sh: needs zip" >&2; exit 1; }

rm -rf "$cd_dir"
mkdir -p "$cd_dir"
cd_dir=$(cd "$cd_dir" && pwd)

# The licence text and the manual, taken from a Linux demo CD made without wizard or tools.
linux_cd=$(mktemp -d)
trap 'rm -rf "$linux_cd"' EXIT
"$top/tools/make-demo-cd.sh" "$linux_cd" >/dev/null
cp "$linux_cd/Quorvanta Software License.txt" "$linux_cd/Vormatic Installer Manual.pdf" "$cd_dir/"

# Copies a program onto the CD without its debugging information.
put() {
    cp "$1" "$2"
    if command -v x86_64-w64-mingw32-strip >/dev/null; then
        x86_64-w64-mingw32-strip "$2"
    fi
}

if [ -f "$build/vormatic-installer.exe" ]; then
    put "$build/vormatic-installer.exe" "$cd_dir/vormatic-installer.exe"
fi

# One Producer stand-in serves every model: its file name says which Producer it installs.
for installer in RX200/VormaticProducer.exe MZ4-A/VormaticProducerCL.exe \
    MZ4-B/VormaticProducerSL.exe MZ4-E/VormaticProducerDL.exe VF5Q/VormaticProducerAL.exe \
    RX200W/VormaticProducerPL.exe; do
    mkdir -p "$cd_dir/setup/producer/$(dirname "$installer")"
    put "$standins/vormatic-standin-producer-setup.exe" "$cd_dir/setup/producer/$installer"
done
mkdir -p "$cd_dir/setup/usb"
put "$standins/vormatic-standin-usb-setup.exe" "$cd_dir/setup/usb/setup.exe"
cpr_dir="$cd_dir/setup/ethernet/com port redirector"
mkdir -p "$cpr_dir"
put "$standins/vormatic-standin-cpr-setup.exe" "$cpr_dir/setup_cpr_x86x64cd_4.3.0.2.exe"
put "$standins/vormatic-standin-cpr-manager.exe" "$cpr_dir/CprManager.exe"

mkdir -p "$(dirname "$zip_file")"
zip_file=$(cd "$(dirname "$zip_file")" && pwd)/$(basename "$zip_file")
rm -f "$zip_file"
(cd "$(dirname "$cd_dir")" && zip -q -r -X "$zip_file" "$(basename "$cd_dir")")
echo "$zip_file"
