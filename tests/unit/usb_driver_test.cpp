// Which Windows versions get the USB driver and which must restart for it, and the version
// the program sees (the system's, or VORMATIC_WINDOWS_VERSION).

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "host/OsVersion.h"
#include "pages/usb/UsbDriverChoice.h"
#include "tests/unit/RegistrySandbox.h"

namespace {

struct ChoiceRow {
    const char* system;
    WindowsVersion version;
    bool supported;
    bool restart;
};

const ChoiceRow kChoices[] = {
    {"Windows 95", {kPlatformWin32Windows, 4, 0}, false, false},
    {"Windows 98 (9x reports minor 10)", {kPlatformWin32Windows, 4, 10}, false, false},
    {"Win32s", {kPlatformWin32s, 6, 1}, false, false},
    {"NT 4", {kPlatformWin32Nt, 4, 0}, false, false},
    {"2000", {kPlatformWin32Nt, 5, 0}, false, false},
    {"XP", {kPlatformWin32Nt, 5, 1}, true, false},
    {"Server 2003", {kPlatformWin32Nt, 5, 2}, true, false},
    {"Vista, Server 2008", {kPlatformWin32Nt, 6, 0}, true, true},
    {"7", {kPlatformWin32Nt, 6, 1}, true, false},
    {"8", {kPlatformWin32Nt, 6, 2}, true, false},
    {"8.1", {kPlatformWin32Nt, 6, 3}, true, false},
    {"10 and 11", {kPlatformWin32Nt, 10, 0}, true, false},
    {"nothing known", {0, 0, 0}, false, false},
};

}  // namespace

TEST(UsbDriverChoice, FollowsTheVersionTable) {
    for (const ChoiceRow& row : kChoices) {
        const UsbDriverPlan plan = ChooseUsbDriver(row.version);
        EXPECT_EQ(plan.supported, row.supported) << row.system;
        EXPECT_EQ(plan.restart, row.restart) << row.system;
    }
}

TEST(WindowsVersion, ParsesMajorDotMinorOnly) {
    const struct {
        const char* text;
        std::optional<std::pair<unsigned long, unsigned long>> expected;
    } rows[] = {
        {"6.0", std::pair{6UL, 0UL}},  {"5.1", std::pair{5UL, 1UL}}, {"10.0", std::pair{10UL, 0UL}},
        {"6.02", std::pair{6UL, 2UL}}, {"6", std::nullopt},          {"6.", std::nullopt},
        {".1", std::nullopt},          {"6.1.7601", std::nullopt},   {" 6.1", std::nullopt},
        {"6.1 ", std::nullopt},        {"six", std::nullopt},        {"", std::nullopt},
        {"-6.0", std::nullopt},        {"99999.0", std::nullopt},
    };
    for (const auto& row : rows) {
        const std::optional<WindowsVersion> parsed = ParseWindowsVersion(row.text);
        ASSERT_EQ(parsed.has_value(), row.expected.has_value()) << row.text;
        if (parsed) {
            EXPECT_EQ(parsed->platformId, kPlatformWin32Nt) << row.text;
            EXPECT_EQ(parsed->major, row.expected->first) << row.text;
            EXPECT_EQ(parsed->minor, row.expected->second) << row.text;
        }
    }
}

TEST(WindowsVersion, TheVariableOverridesTheSystemWhenWellFormed) {
    ScopedEnv forced("VORMATIC_WINDOWS_VERSION", nullptr);
    const WindowsVersion system = SystemWindowsVersion();
    // The POSIX build stands for a system that installs the driver without a restart.
    EXPECT_TRUE(ChooseUsbDriver(system).supported);
    EXPECT_FALSE(ChooseUsbDriver(system).restart);

    forced.Set("6.0");
    EXPECT_TRUE(ChooseUsbDriver(QueryWindowsVersion()).restart);
    forced.Set("5.0");
    EXPECT_FALSE(ChooseUsbDriver(QueryWindowsVersion()).supported);
    forced.Set("Vista");
    const WindowsVersion fallback = QueryWindowsVersion();
    EXPECT_EQ(fallback.major, system.major);
    EXPECT_EQ(fallback.minor, system.minor);
}
