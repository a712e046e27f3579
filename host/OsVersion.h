#pragma once
// The Windows version the program runs on, as GetVersionExA reports it. POSIX reports a
// version whose driver installations need no restart. VORMATIC_WINDOWS_VERSION ("6.0",
// "5.0", "10.0": major.minor of Windows NT) overrides both, so that every road that depends
// on the version can be walked on any machine.

#include <optional>
#include <string>

// The platform ids of OSVERSIONINFOA.dwPlatformId.
inline constexpr unsigned long kPlatformWin32s = 0;
inline constexpr unsigned long kPlatformWin32Windows = 1;  // Windows 95, 98, Me
inline constexpr unsigned long kPlatformWin32Nt = 2;

struct WindowsVersion {
    unsigned long platformId = 0;
    unsigned long major = 0;
    unsigned long minor = 0;
};

// VORMATIC_WINDOWS_VERSION when it is set and well formed, else SystemWindowsVersion().
WindowsVersion QueryWindowsVersion();

// What the system itself reports (platform half: host/win32, host/posix). All zero when the
// system cannot tell, which no road accepts.
WindowsVersion SystemWindowsVersion();

// "MAJOR.MINOR" (decimal, nothing else) as a Windows NT version; nullopt otherwise.
std::optional<WindowsVersion> ParseWindowsVersion(const std::string& text);
