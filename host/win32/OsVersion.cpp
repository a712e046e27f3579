// The Windows version from GetVersionExA. Without a manifest that names them, Windows 8.1 and
// later report themselves as 6.2.

#include <windows.h>

#include "host/OsVersion.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

WindowsVersion SystemWindowsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = 148;
    WindowsVersion version;
    if (::GetVersionExA(&info)) {
        version.platformId = info.dwPlatformId;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
    }
    return version;
}
