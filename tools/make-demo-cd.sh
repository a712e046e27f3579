#!/usr/bin/env bash
# Lays out a demo installation CD: the wizard, its licence text and manual, and stand-in
# installers for Producer, the USB driver and the COM port redirector (small scripts that say
# that they ran, log it and exit).
#
#   tools/make-demo-cd.sh CD_DIR [WIZARD_BINARY [TOOLS_DIR]]
#
# TOOLS_DIR is the build's tools/ folder; the stand-ins for the driver and redirector
# installers take the programs they install from there. An empty WIZARD_BINARY leaves the
# wizard out.
#
# The stand-in installers append a line to $VORMATIC_DEMO_LOG (default CD_DIR/demo-install.log)
# and wait $VORMATIC_DEMO_INSTALL_SECONDS seconds (default 2) before they exit.
set -euo pipefail

cd_dir=${1:?usage: make-demo-cd.sh CD_DIR [WIZARD_BINARY [TOOLS_DIR]]}
wizard=${2:-}
tools_dir=${3:-}
mkdir -p "$cd_dir"
cd_dir=$(cd "$cd_dir" && pwd)

if [ -n "$wizard" ]; then
    install -m 0755 "$wizard" "$cd_dir/vormatic-installer"
fi

cat > "$cd_dir/Quorvanta Software License.txt" <<'LICENSE'
QUORVANTA SOFTWARE LICENSE AGREEMENT

Please read this agreement carefully before installing the Vormatic(R) Producer software.
By choosing "I accept the terms of the license agreement" you agree to be bound by it.

1. Grant. Quorvanta Corporation grants you a non-exclusive licence to install and use the
   Vormatic Producer software and its drivers on computers that control Vormatic printers
   owned or leased by you.

2. Copies. You may make one copy of the software for backup purposes. You may not sell,
   rent or sublicense the software.

3. Ownership. The software is licensed, not sold. Quorvanta Corporation keeps all rights,
   title and interest in the software and its documentation.

4. Warranty. The software is provided "as is". Quorvanta Corporation does not warrant that
   it will meet your requirements or run without interruption or error.

5. Limitation of liability. In no event is Quorvanta Corporation liable for lost data or
   profits, or for indirect or consequential damages, arising from the use of the software.

6. Termination. This licence ends when you fail to comply with it. You must then destroy
   all copies of the software.

This is a demonstration CD. The installers on it only show that they ran.
LICENSE

# A one-page PDF manual. Offsets in the cross-reference table are computed as it is written.
write_pdf() {
    local out=$1 body="" offsets=() obj
    local text="BT /F1 18 Tf 72 720 Td (Vormatic Installer Manual) Tj 0 -28 Td /F1 11 Tf"
    text+=" (Demo CD edition: connect the printer, choose the COM port, install Producer.) Tj ET"
    local objects=(
        "<< /Type /Catalog /Pages 2 0 R >>"
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>"
        "<< /Length ${#text} >>
stream
$text
endstream"
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
    )
    body="%PDF-1.4"$'\n'
    local i=1
    for obj in "${objects[@]}"; do
        offsets+=("${#body}")
        body+="$i 0 obj"$'\n'"$obj"$'\n'"endobj"$'\n'
        i=$((i + 1))
    done
    local xref=${#body}
    body+="xref"$'\n'"0 $i"$'\n'"0000000000 65535 f "$'\n'
    for o in "${offsets[@]}"; do
        body+=$(printf '%010d 00000 n ' "$o")$'\n'
    done
    body+="trailer"$'\n'"<< /Size $i /Root 1 0 R >>"$'\n'"startxref"$'\n'"$xref"$'\n'"%%EOF"$'\n'
    printf '%s' "$body" > "$out"
}
LC_ALL=C write_pdf "$cd_dir/Vormatic Installer Manual.pdf"

make_installer() {
    local path="$cd_dir/setup/producer/$1" title=$2
    mkdir -p "$(dirname "$path")"
    cat > "$path" <<INSTALLER
#!/bin/sh
# Stand-in for the $title installer of the demo CD.
log=\${VORMATIC_DEMO_LOG:-"$cd_dir/demo-install.log"}
echo "\$(date '+%H:%M:%S') $title installed by \$0" >> "\$log"
echo "$title: demo installation running..."
sleep "\${VORMATIC_DEMO_INSTALL_SECONDS:-2}"
echo "$title: done."
exit 0
INSTALLER
    chmod 0755 "$path"
}
make_installer "RX200/VormaticProducer.exe" "Vormatic Producer"
make_installer "MZ4-A/VormaticProducerCL.exe" "Vormatic Producer CL"
make_installer "MZ4-B/VormaticProducerSL.exe" "Vormatic Producer SL"
make_installer "MZ4-E/VormaticProducerDL.exe" "Vormatic Producer DL"
make_installer "VF5Q/VormaticProducerAL.exe" "Vormatic Producer AL"
make_installer "RX200W/VormaticProducerPL.exe" "Vormatic Producer PL"

# --- USB driver ----------------------------------------------------------------------------
# The stand-in USB driver installer: it "installs" like the others and then, as if the user
# had plugged the printer in, starts the printer simulator (copied from TOOLS_DIR beside it)
# in the background, registered as a COM port the way the driver's virtual port appears.
#   VORMATIC_DEMO_USB_PLUG_SECONDS       delay from the installer's end to the printer (default 5)
#   VORMATIC_DEMO_USB_PRINTER_IDENTITY   the printer's identity (default the simulator's own)
#   VORMATIC_DEMO_USB_PRINTER_OPTIONS    further simulator options, split at blanks
#   VORMATIC_DEMO_STATE_DIR              where usb-printer.pid and usb-printer.log go
#                                        (default CD_DIR)
# A printer that an earlier run started is unplugged first; scripts/run-wizard.sh unplugs the
# last one when the wizard ends.
usb_dir="$cd_dir/setup/usb"
mkdir -p "$usb_dir"
if [ -n "$tools_dir" ]; then
    install -m 0755 "$tools_dir/vormatic-printer-sim" "$usb_dir/vormatic-printer-sim"
fi
cat > "$usb_dir/setup.exe" <<INSTALLER
#!/bin/sh
# Stand-in for the USB "virtual" COM port driver installer of the demo CD.
log=\${VORMATIC_DEMO_LOG:-"$cd_dir/demo-install.log"}
state=\${VORMATIC_DEMO_STATE_DIR:-"$cd_dir"}
here=\$(cd "\$(dirname "\$0")" && pwd)
pidfile="\$state/usb-printer.pid"
# Ends the printer that the pid file names, if it is still one of ours.
unplug() {
    [ -f "\$pidfile" ] || return 0
    pid=\$(cat "\$pidfile")
    case "\$pid" in ''|*[!0-9]*) rm -f "\$pidfile"; return 0 ;; esac
    if tr '\\0' ' ' < "/proc/\$pid/cmdline" 2>/dev/null |
            grep -q -e vormatic-printer-sim -e 'setup/usb/setup.exe'; then
        kill "\$pid" 2>/dev/null
    fi
    rm -f "\$pidfile"
}
echo "USB driver: demo installation running..."
unplug
sleep "\${VORMATIC_DEMO_INSTALL_SECONDS:-2}"
if [ ! -x "\$here/vormatic-printer-sim" ]; then
    # make-demo-cd.sh was given no tools folder: a driver without a printer to plug in.
    echo "\$(date '+%H:%M:%S') USB driver installed by \$0; no printer simulator on this CD" >> "\$log"
    echo "USB driver: done."
    exit 0
fi
mkdir -p "\$state"
identity=\${VORMATIC_DEMO_USB_PRINTER_IDENTITY:-}
# The printer is plugged in a few seconds after the driver is installed. Until then this
# background copy of the script waits (a TERM ends it and its sleep); then it becomes the
# simulator itself, so the pid file names the printer throughout.
(
    trap 'kill "\$sleeper" 2>/dev/null; exit 0' TERM INT HUP
    sleep "\${VORMATIC_DEMO_USB_PLUG_SECONDS:-5}" &
    sleeper=\$!
    wait "\$sleeper"
    trap - TERM INT HUP
    set -- --register
    if [ -n "\$identity" ]; then
        set -- "\$@" --identity "\$identity"
    fi
    # shellcheck disable=SC2086
    exec "\$here/vormatic-printer-sim" "\$@" \${VORMATIC_DEMO_USB_PRINTER_OPTIONS:-}
) </dev/null >>"\$state/usb-printer.log" 2>&1 &
echo \$! > "\$pidfile"
echo "\$(date '+%H:%M:%S') USB driver installed by \$0; printer plugged in after \${VORMATIC_DEMO_USB_PLUG_SECONDS:-5} s (pid \$(cat "\$pidfile"))" >> "\$log"
echo "USB driver: done."
exit 0
INSTALLER
chmod 0755 "$usb_dir/setup.exe"
# --- end of USB driver ---------------------------------------------------------------------

# --- COM port redirector -------------------------------------------------------------------
# The stand-in redirector: its manager (CprManager.exe, the build's vormatic-cpr-manager) and
# the bridge program that the manager starts for each virtual port, beside the installer that
# copies both to the manager's default path, $XDG_DATA_HOME/lantronix/cpr4.3/.
cpr_dir="$cd_dir/setup/ethernet/com port redirector"
mkdir -p "$cpr_dir"
if [ -n "$tools_dir" ]; then
    install -m 0755 "$tools_dir/vormatic-cpr-manager" "$cpr_dir/CprManager.exe"
    install -m 0755 "$tools_dir/vormatic-cpr-bridge" "$cpr_dir/vormatic-cpr-bridge"
fi
cat > "$cpr_dir/setup_cpr_x86x64cd_4.3.0.2.exe" <<INSTALLER
#!/bin/sh
# Stand-in for the COM Port Redirector installer of the demo CD: copies the stand-in manager
# and its bridge to where the wizard looks for the manager.
log=\${VORMATIC_DEMO_LOG:-"$cd_dir/demo-install.log"}
here=\$(cd "\$(dirname "\$0")" && pwd)
case "\${XDG_DATA_HOME:-}" in
    /*) data=\$XDG_DATA_HOME ;;
    *) data=\$HOME/.local/share ;;
esac
target=\$data/lantronix/cpr4.3
echo "COM Port Redirector: demo installation running..."
for file in CprManager.exe vormatic-cpr-bridge; do
    if [ ! -f "\$here/\$file" ]; then
        # make-demo-cd.sh was given no tools folder.
        echo "\$(date '+%H:%M:%S') COM Port Redirector NOT installed: no \$file" >> "\$log"
        echo "COM Port Redirector: \$file is not on this CD." >&2
        exit 1
    fi
done
mkdir -p "\$target"
for file in CprManager.exe vormatic-cpr-bridge; do
    # A new file renamed into place: a bridge still running from the old one keeps it.
    cp "\$here/\$file" "\$target/.\$file.new" && chmod 0755 "\$target/.\$file.new" &&
        mv -f "\$target/.\$file.new" "\$target/\$file" || exit 1
done
echo "\$(date '+%H:%M:%S') COM Port Redirector installed by \$0 into \$target" >> "\$log"
sleep "\${VORMATIC_DEMO_INSTALL_SECONDS:-2}"
echo "COM Port Redirector: done."
exit 0
INSTALLER
chmod 0755 "$cpr_dir/setup_cpr_x86x64cd_4.3.0.2.exe"
# --- end of COM port redirector ------------------------------------------------------------

echo "$cd_dir"
