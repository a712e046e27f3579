// The Windows version on POSIX: there is no Windows, and nothing here needs a restart after a
// driver installation, so the program behaves as on Windows 7 (NT 6.1).

#include "host/OsVersion.h"

WindowsVersion SystemWindowsVersion() {
    WindowsVersion version;
    version.platformId = kPlatformWin32Nt;
    version.major = 6;
    version.minor = 1;
    return version;
}
