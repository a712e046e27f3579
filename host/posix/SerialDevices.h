#pragma once
// The machine's live serial devices, which the emulated HKLM SERIALCOMM key lists before its
// stored values. VORMATIC_SERIAL_DEVICES, when set, replaces the scan: a colon-separated list
// of device paths (empty entries skipped; an empty text means no device), so that tests and
// demos never touch the machine's real ports.

#include <string>
#include <vector>

namespace serialdev {

struct LiveDevice {
    std::string valueName;  // the SERIALCOMM value name, see DeviceValueName()
    std::string path;       // the value's data: the device path, e.g. /dev/ttyUSB0
};

// The device paths from VORMATIC_SERIAL_DEVICES, or else from ScanTtyClass().
std::vector<std::string> LiveDevicePaths();

// The live devices with their value names, in LiveDevicePaths() order.
std::vector<LiveDevice> LiveDevices();

// Scans `classDir` (normally /sys/class/tty) for ttys that have a `device` link, leaving out
// ttyS ports whose `type` file reads 0 (no UART behind them). Returns `devDir`/<name> for each,
// ordered by name with numbers compared by value (ttyS2 before ttyS10).
std::vector<std::string> ScanTtyClass(const std::string& classDir = "/sys/class/tty",
                                      const std::string& devDir = "/dev");

// The device path of the live device listed under `valueName`, or "" when there is none.
// The answer of a search of LiveDevices(), but a sysfs lookup of the one tty that the name
// stands for rather than a scan of them all (the COM port listing asks for every value, and
// the USB page lists the ports four times a second). A tty's own name is compared exactly, as
// ValueNames gives it; the rest of the name and the names of listed devices without case.
std::string LiveDevicePath(const std::string& valueName);

// The sysfs half: `devDir`/<tty> when `valueName` is "\Device\<tty>" and ScanTtyClass()
// would list <tty>; else "".
std::string TtyClassDevice(const std::string& valueName,
                           const std::string& classDir = "/sys/class/tty",
                           const std::string& devDir = "/dev");

// The value name under which a device is listed, in the style of Windows' "\Device\Serial0":
// "\Device\" followed by the path without its leading "/dev/" (or "/"), with "/" turned into
// "\": /dev/ttyUSB0 -> \Device\ttyUSB0, /dev/pts/3 -> \Device\pts\3.
std::string DeviceValueName(const std::string& devicePath);

}  // namespace serialdev
