#pragma once
// What the stand-in installers of the Windows demo CD share: they say that they ran, on the
// console and in the demo log, and take about as long as an installer would.
//
//   VORMATIC_DEMO_LOG               the log (default demo-install.log in the CD's top folder)
//   VORMATIC_DEMO_INSTALL_SECONDS   how long an installation takes (default 2)

#include <string>

namespace standin {

// The value of the environment variable, or `fallback` when it is unset or empty.
std::string Environment(const char* name, const std::string& fallback = {});

// The CD's top folder: the part of `programPath` before its last "\setup\" (any letter
// case), or the program's own folder when the path has none.
std::string CdRoot(const std::string& programPath);

// Appends "HH:MM:SS `what`" and a line end to the demo log. False when it cannot be written.
bool AppendLog(const std::string& what);

// Waits VORMATIC_DEMO_INSTALL_SECONDS seconds (default 2).
void WaitForInstallation();

// The file name of a path, without its folder.
std::string FileName(const std::string& path);

// The folder of a path, without a trailing separator.
std::string Folder(const std::string& path);

// Registers `port` (COM4) as a serial port that leads to `device`: under Wine the value that
// maps the port to a Unix device (HKLM\Software\Wine\Ports, read when the prefix starts), and
// on every system the SERIALCOMM value a port driver adds under the device name `device`Name
// (\Device\VormaticUsb0). Returns "" or the failure's text.
std::string RegisterPort(const std::string& port, const std::string& device,
                         const std::string& deviceName);

// The first of COM3 ... COM256 that SERIALCOMM and Wine's port list do not name yet.
std::string FreePortName();

}  // namespace standin
