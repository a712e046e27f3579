#pragma once
// Which Windows versions the USB driver installer supports, and which of them must restart
// before the new COM port appears. Qt-free, so that the table can be tested on its own.

#include "host/OsVersion.h"

// The installer on the CD, relative to the current directory, as the CD layout writes it.
inline constexpr const char* kUsbDriverInstaller = "setup\\usb\\setup.exe";

struct UsbDriverPlan {
    bool supported = false;  // false: no installer for this version
    bool restart = false;    // the driver needs a restart; the wizard resumes after it
};

// NT 6.0 (Vista, Server 2008): supported, restart. NT 6.1 and later, NT 5.1 and 5.2 (XP,
// Server 2003): supported. Everything else (Windows 2000, NT 4, Windows 9x): not supported.
UsbDriverPlan ChooseUsbDriver(const WindowsVersion& version);
