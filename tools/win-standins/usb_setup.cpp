// Stand-in for the USB virtual COM port driver installer of the Windows demo CD. It installs
// like the others and then "plugs the printer in": it registers a COM port as the driver's
// virtual port would appear, leading to the printer simulator's device.
//
//   VORMATIC_DEMO_USB_PRINTER_DEVICE   where the port leads (under Wine, the Unix path of the
//                                      simulator's pseudo-terminal); unset: no printer
//   VORMATIC_DEMO_USB_PORT             the port's name (default the first free of COM3...)
//
// Wine makes the ports of HKLM\Software\Wine\Ports when the prefix starts, so the port can be
// opened after the restart that the driver's installation asks for.

#include <cstdio>
#include <string>

#include "host/Paths.h"
#include "tools/win-standins/StandIn.h"

int main() {
    const std::string self = ProgramPath();
    std::printf("USB driver: demo installation running...\n");
    std::fflush(stdout);
    standin::WaitForInstallation();
    const std::string device = standin::Environment("VORMATIC_DEMO_USB_PRINTER_DEVICE");
    if (device.empty()) {
        standin::AppendLog("USB driver installed by " + self + "; no printer to plug in");
        std::printf("USB driver: done.\n");
        return 0;
    }
    const std::string port =
        standin::Environment("VORMATIC_DEMO_USB_PORT", standin::FreePortName());
    const std::string failure = port.empty()
                                    ? std::string("no free COM port name")
                                    : standin::RegisterPort(port, device, "\\Device\\VormaticUsb0");
    if (!failure.empty()) {
        standin::AppendLog("USB driver NOT installed by " + self + ": " + failure);
        std::fprintf(stderr, "USB driver: %s\n", failure.c_str());
        return 1;
    }
    standin::AppendLog("USB driver installed by " + self + "; printer plugged in as " + port +
                       " (" + device + ")");
    std::printf("USB driver: done.\n");
    return 0;
}
