#!/usr/bin/env bash
# Installs what is needed, builds the wizard, lays out the demo CD and starts the wizard from
# it with the printer simulator attached as a COM port and a simulated XPort module on a
# loopback subnet for the Ethernet road. Without a display it walks the serial and Ethernet
# roads offscreen instead and saves a screenshot of every page.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
build="$top/build"
"$top/scripts/build.sh" "$build"

demo="$build/demo"
cd_dir="$demo/cd"
rm -rf "$cd_dir"
"$top/tools/make-demo-cd.sh" "$cd_dir" "$build/vormatic-installer" "$build/tools" >/dev/null

# The demo keeps its registry, its XDG folders and its settings inside the build folder.
export VORMATIC_REGISTRY_DIR="$demo/registry"
export XDG_CONFIG_HOME="$demo/config"
export XDG_CONFIG_DIRS="$demo/common-appdata"
export XDG_DATA_HOME="$demo/data"
# Only the simulated printer is offered unless the caller names real devices.
export VORMATIC_SERIAL_DEVICES="${VORMATIC_SERIAL_DEVICES-}"
mkdir -p "$VORMATIC_REGISTRY_DIR" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" "$XDG_DATA_HOME"

# The virtual COM ports made in the stand-in redirector's manager on the Ethernet road are
# bridge processes that outlive the manager; none may outlive the demo. Leftovers of a demo
# that was killed go first, and the redirector is installed afresh from this build's CD.
remove_redirector_ports() {
    "$build/tools/vormatic-cpr-manager" --remove-all || true
}
remove_redirector_ports
rm -rf "$XDG_DATA_HOME/lantronix"
trap remove_redirector_ports EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display is available: walking the serial and Ethernet roads offscreen instead."
    export VORMATIC_SCREENSHOT_DIR="$build/screenshots"
    QT_QPA_PLATFORM=offscreen "$build/tests/ScreenshotTest" >/dev/null
    echo "Screenshots of every page: $VORMATIC_SCREENSHOT_DIR"
    ls "$VORMATIC_SCREENSHOT_DIR"
    exit 0
fi

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
trap 'kill $sim $xsim 2>/dev/null; wait $sim $xsim 2>/dev/null; rm -f "$sim_out"; remove_redirector_ports' EXIT
for _ in $(seq 50); do
    [ -s "$sim_out" ] && break
    sleep 0.1
done
echo "Simulated printer on $(head -n 1 "$sim_out") (log: $demo/printer-sim.log)"
echo "Simulated XPort module at 127.77.0.20, to become 127.77.0.120 (log: $demo/xport-sim.log)"
echo "Demo CD: $cd_dir"
cd "$cd_dir"
./vormatic-installer "$@"
