// The Windows forms of the host services: the shell's folder for all users' data, native
// paths with drive letters and backslashes, the browser registered in HKCR, the adapter list
// and the version the system reports. Under Wine they meet the prefix's own registry, folders
// and the Linux machine's interfaces.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/Browser.h"
#include "host/IniFile.h"
#include "host/Network.h"
#include "host/OsVersion.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "tests/unit/RegistrySandbox.h"
#include "tests/unit/TempDir.h"
#include "tests/unit/TestPlatform.h"

using testplatform::UnderWine;

TEST(CommonAppDataPath, IsTheShellsFolderForAllUsers) {
    const std::string path = CommonAppDataPath();
    ASSERT_GE(path.size(), 3U) << path;
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_NE(path.back(), '\\') << path;
    EXPECT_TRUE(IsDirectoryAt(path)) << path;
    if (UnderWine()) {
        EXPECT_EQ(path, "C:\\ProgramData");
    }
}

TEST(EnsureFileDirectory, MakesTheProducerFolderBelowCommonAppData) {
    // The road writes Producer's configuration at CommonAppDataPath()\Quorvanta\VormaticCL.
    TempDir dir;
    const std::string drive = dir.path().substr(0, 2);
    ASSERT_EQ(drive[1], ':');
    const std::string file = dir / "Quorvanta\\VormaticCL\\config.ini";
    EnsureFileDirectory(file);
    ASSERT_TRUE(IsDirectoryAt(dir / "Quorvanta\\VormaticCL"));
    ASSERT_TRUE(WriteIniString(file, "Send", "PortName", "COM5"));
    EXPECT_EQ(ReadBytes(file), "[Send]\r\nPortName=COM5\r\n");
    // Forward slashes and a drive-relative mix reach the same folder.
    const std::string mixed = dir.path() + "/Quorvanta/VormaticCL\\config.ini";
    EXPECT_EQ(ReadIniString(mixed, "send", "portname"), "COM5");
}

TEST(NativePath, KeepsTheCdLayoutsBackslashes) {
    EXPECT_STREQ(PathSeparator(), "\\");
    EXPECT_EQ(NativePath("setup\\producer\\RX200\\VormaticProducer.exe"),
              "setup\\producer\\RX200\\VormaticProducer.exe");
    EXPECT_EQ(ProgramDirectory().substr(1, 2), ":\\");
}

TEST(RegisteredBrowserCommand, ComesFromTheHttpClassInHkcr) {
    RegistrySandbox box;
    EXPECT_EQ(RegisteredBrowserCommand(), std::nullopt);  // no http class at all
    reg::CreateKey(reg::Root::ClassesRoot, "http\\shell\\open");
    EXPECT_EQ(RegisteredBrowserCommand(), "");  // a verb without a command
    reg::WriteString(reg::Root::ClassesRoot, "http\\shell\\open\\command", "",
                     "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
    EXPECT_EQ(RegisteredBrowserCommand(),
              "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
    box.seed(reg::Root::ClassesRoot,
             "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\r\n"
             "@=dword:00000001\r\n\r\n");
    EXPECT_EQ(RegisteredBrowserCommand(), "");  // unreadable: no command to run
}

TEST(Adapters, LiveListComesFromGetAdaptersInfo) {
    ScopedEnv live("VORMATIC_NETWORK_ADAPTERS", nullptr);
    std::string addresses;
    std::string masks;
    GetAdapterAddressLists(addresses, masks);
    ASSERT_FALSE(addresses.empty());
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), ','),
              std::count(masks.begin(), masks.end(), ','));
    // Every entry is a dotted address; adapters without one report 0.0.0.0.
    std::string::size_type start = 0;
    while (start <= addresses.size()) {
        const std::string::size_type end = std::min(addresses.find(',', start), addresses.size());
        const std::string entry = addresses.substr(start, end - start);
        EXPECT_EQ(FormatAddress(ParseAddress(entry)), entry) << addresses;
        EXPECT_NE(entry.rfind("127.", 0), 0U) << addresses;
        start = end + 1;
    }
}

TEST(WindowsVersion, IsWhatGetVersionExReportsUnlessOverridden) {
    ScopedEnv unset("VORMATIC_WINDOWS_VERSION", nullptr);
    const WindowsVersion system = SystemWindowsVersion();
    EXPECT_EQ(system.platformId, kPlatformWin32Nt);
    EXPECT_GE(system.major, 6U);
    if (UnderWine()) {
        EXPECT_EQ(system.major, 6U);  // a fresh prefix is Windows 7
        EXPECT_EQ(system.minor, 1U);
    }
    const WindowsVersion queried = QueryWindowsVersion();
    EXPECT_EQ(queried.major, system.major);
    EXPECT_EQ(queried.minor, system.minor);

    ScopedEnv forced("VORMATIC_WINDOWS_VERSION", "5.0");
    const WindowsVersion old = QueryWindowsVersion();
    EXPECT_EQ(old.platformId, kPlatformWin32Nt);
    EXPECT_EQ(old.major, 5U);
    EXPECT_EQ(old.minor, 0U);
}
