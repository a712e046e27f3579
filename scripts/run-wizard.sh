#!/usr/bin/env bash
# Installs what is needed, builds the wizard, lays out the demo CD and starts the wizard from
# it with the printer simulator attached as a COM port and a simulated XPort module on a
# loopback subnet for the Ethernet road. Without a display it walks the serial road, the USB
# page and the Ethernet road offscreen instead and saves a screenshot of every page.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
build="$top/build"
headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    headless=1
fi
# Only what the demo runs: the wizard, the simulators and the stand-in redirector (the CD's
# other stand-ins are scripts); without a display, the walk that takes the screenshots, which
# lays out a CD of its own and needs the same programs but the wizard's executable.
# scripts/run-tests.sh builds the rest into the same folder with the same options.
targets=(vormatic-installer vormatic-printer-sim vormatic-xport-sim vormatic-cpr-manager
    vormatic-cpr-bridge)
[ $headless = 0 ] || targets=(ScreenshotTest)
echo "Building ${targets[*]} into $build (the first build takes minutes)"
"$top/scripts/build.sh" "$build" "${targets[@]}"

if [ $headless = 1 ]; then
    echo "No display is available: walking the serial road, the USB page and the Ethernet road offscreen instead."
    export VORMATIC_SCREENSHOT_DIR="$build/screenshots"
    QT_QPA_PLATFORM=offscreen "$build/tests/ScreenshotTest" >/dev/null
    echo "Screenshots of every page: $VORMATIC_SCREENSHOT_DIR"
    ls "$VORMATIC_SCREENSHOT_DIR"
    exit 0
fi

demo="$build/demo"
cd_dir="$demo/cd"
rm -rf "$cd_dir"
"$top/tools/make-demo-cd.sh" "$cd_dir" "$build/vormatic-installer" "$build/tools" >/dev/null

# The demo keeps its registry, its XDG folders and its settings inside the build folder.
export VORMATIC_REGISTRY_DIR="$demo/registry"
export XDG_CONFIG_HOME="$demo/config"
export XDG_CONFIG_DIRS="$demo/common-appdata"
export XDG_DATA_HOME="$demo/data"
# Only the simulated printers are offered unless the caller names real devices, or asks for
# the machine's live serial devices with VORMATIC_DEMO_LIVE_PORTS=1 (then a USB serial adapter
# plugged in while the USB page waits on its step 2 is found as the new port).
if [ "${VORMATIC_DEMO_LIVE_PORTS:-}" = 1 ]; then
    unset VORMATIC_SERIAL_DEVICES
else
    export VORMATIC_SERIAL_DEVICES="${VORMATIC_SERIAL_DEVICES-}"
fi
mkdir -p "$VORMATIC_REGISTRY_DIR" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" "$XDG_DATA_HOME"

# The stand-in USB driver installer "plugs in" a printer simulator some seconds after it has
# run and records its pid here; it must not outlive the demo either.
export VORMATIC_DEMO_STATE_DIR="$demo"
# A slide printer, so that it is told apart from the serial demo printer (a tag printer).
export VORMATIC_DEMO_USB_PRINTER_IDENTITY="${VORMATIC_DEMO_USB_PRINTER_IDENTITY:-MZ4-B Vormatic Slide Printer v1.0}"
unplug_usb_printer() {
    local pidfile="$demo/usb-printer.pid" pid
    [ -f "$pidfile" ] || return 0
    pid=$(cat "$pidfile")
    if [[ "$pid" =~ ^[0-9]+$ ]] && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null |
        grep -q -e vormatic-printer-sim -e 'setup/usb/setup.exe'; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
}
unplug_usb_printer

# The virtual COM ports made in the stand-in redirector's manager on the Ethernet road are
# bridge processes that outlive the manager; none may outlive the demo. Leftovers of a demo
# that was killed go first, and the redirector is installed afresh from this build's CD.
remove_redirector_ports() {
    "$build/tools/vormatic-cpr-manager" --remove-all || true
}
remove_redirector_ports
rm -rf "$XDG_DATA_HOME/lantronix"
# A resume entry left by an earlier demo would start a wizard at a real login: it lives in
# the demo's own XDG folder, which no session reads, but it must not resume this run.
autostart="$XDG_CONFIG_HOME/autostart/vormatic-installer.desktop"
rm -f "$autostart"
end_demo() {
    unplug_usb_printer
    remove_redirector_ports
}
trap end_demo EXIT

sim_out=$(mktemp)
"$build/tools/vormatic-printer-sim" --register >"$sim_out" 2>"$demo/printer-sim.log" &
sim=$!

# The Ethernet road: the PC's adapter is 127.77.0.1/24 and the discovery query goes to that
# subnet's broadcast address, where a simulated printer's XPort module answers. It takes
# 127.77.0.120 by DHCP; that is the Host to give the redirector's manager, with TCP port 10001.
export VORMATIC_NETWORK_ADAPTERS="127.77.0.1/255.255.255.0"
export VORMATIC_XPORT_QUERY_ADDRESS="127.77.0.255"
"$build/tools/vormatic-xport-sim" --module 127.77.0.20,dhcp=127.77.0.120 \
    --status "$demo/xport-sim.status" >/dev/null 2>"$demo/xport-sim.log" &
xsim=$!
trap 'kill $sim $xsim 2>/dev/null; wait $sim $xsim 2>/dev/null; rm -f "$sim_out"; end_demo' EXIT
for _ in $(seq 50); do
    [ -s "$sim_out" ] && break
    sleep 0.1
done
echo "Simulated printer on $(head -n 1 "$sim_out") (log: $demo/printer-sim.log)"
echo "Simulated XPort module at 127.77.0.20, to become 127.77.0.120 (log: $demo/xport-sim.log)"
echo "Demo CD: $cd_dir"

# The value of KEY in the desktop entry FILE, with the string escapes undone.
entry_value() {
    local raw c out="" i
    raw=$(sed -n "s/^$2=//p" "$1" | head -n 1)
    for ((i = 0; i < ${#raw}; i++)); do
        c=${raw:i:1}
        if [ "$c" = '\' ] && [ $((i + 1)) -lt ${#raw} ]; then
            i=$((i + 1))
            c=${raw:i:1}
            case $c in s) c=' ' ;; n) c=$'\n' ;; t) c=$'\t' ;; r) c=$'\r' ;; esac
        fi
        out+=$c
    done
    printf '%s' "$out"
}
# Splits an Exec value into the array EXEC_ARGS: blanks separate, double quotes group (with
# \", \`, \$ and \\ inside them), and "%%" stands for "%".
split_exec() {
    local text=$1 arg="" have=0 quoted=0 c i
    EXEC_ARGS=()
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        if [ $quoted = 1 ]; then
            if [ "$c" = '\' ]; then
                i=$((i + 1))
                arg+=${text:i:1}
            elif [ "$c" = '"' ]; then
                quoted=0
            else
                arg+=$c
            fi
        elif [ "$c" = '"' ]; then
            quoted=1
            have=1
        elif [ "$c" = ' ' ]; then
            [ $have = 1 ] && EXEC_ARGS+=("${arg//%%/%}")
            arg=""
            have=0
        else
            arg+=$c
            have=1
        fi
    done
    [ $have = 1 ] && EXEC_ARGS+=("${arg//%%/%}")
    return 0
}

cd "$cd_dir"
./vormatic-installer "$@" || true
# On the USB road with VORMATIC_WINDOWS_VERSION=6.0 the wizard registers itself to run once
# more after a restart and closes. The demo plays the restart: it starts the autostart entry's
# command as the next login would (in the entry's Path=, or else the home folder, from where
# the command changes to the CD folder itself), and the wizard resumes.
for _ in 1 2 3; do
    [ -f "$autostart" ] || break
    split_exec "$(entry_value "$autostart" Exec)"
    folder=$(entry_value "$autostart" Path)
    folder=${folder:-${HOME:-/}}
    [ ${#EXEC_ARGS[@]} -gt 0 ] && [ -d "$folder" ] || break
    echo "Restart: the wizard resumes as at the next login: ${EXEC_ARGS[*]} (in $folder)"
    (cd "$folder" && "${EXEC_ARGS[@]}") || true
done
