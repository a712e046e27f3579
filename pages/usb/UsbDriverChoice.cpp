#include "pages/usb/UsbDriverChoice.h"

UsbDriverPlan ChooseUsbDriver(const WindowsVersion& version) {
    UsbDriverPlan plan;
    if (version.platformId != kPlatformWin32Nt) {
        return plan;
    }
    if (version.major >= 6) {
        plan.supported = true;
        // Only Vista and Server 2008 (6.0). Later systems that report minor 0 (Windows 10 is
        // 10.0) install the driver without a restart, like 6.1 and later.
        plan.restart = version.major == 6 && version.minor == 0;
    } else if (version.major == 5 && version.minor >= 1) {
        plan.supported = true;
    }
    return plan;
}
