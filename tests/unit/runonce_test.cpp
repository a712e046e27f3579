#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host/Registry.h"
#include "host/RunOnce.h"
#include "tests/unit/RegistrySandbox.h"

namespace {

using reg::Root;

std::optional<std::string> StoredCommandLine() {
    return reg::ReadString(Root::CurrentUser, kRunOnceKey, kRunOnceValue);
}

}  // namespace

TEST(RunOnceCommandLine, QuotesOnlyAPathWithABlank) {
    EXPECT_EQ(RunOnceCommandLine("C:\\Setup\\Installer.exe", "-rusb"),
              "C:\\Setup\\Installer.exe -rusb");
    EXPECT_EQ(RunOnceCommandLine("C:\\Program Files\\Vormatic\\Installer.exe", "-rusb"),
              "\"C:\\Program Files\\Vormatic\\Installer.exe\" -rusb");
    EXPECT_EQ(RunOnceCommandLine("/media/cd rom/vormatic-installer", "-rusb"),
              "\"/media/cd rom/vormatic-installer\" -rusb");
}

TEST(RunOnceEntry, StoresTheCommandLineWithAndWithoutBlanksInThePath) {
    RegistrySandbox box;
    const struct {
        const char* program;
        const char* stored;
    } cases[] = {
        {"C:\\Setup\\Installer.exe", "C:\\Setup\\Installer.exe -rusb"},
        {"D:\\Vormatic CD\\Installer.exe", "\"D:\\Vormatic CD\\Installer.exe\" -rusb"},
        {"/media/cd rom/vormatic-installer", "\"/media/cd rom/vormatic-installer\" -rusb"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(RegisterRunOnceEntry(c.program, "-rusb")) << c.program;
        EXPECT_EQ(StoredCommandLine(), c.stored);
    }
    // Another program's entry in the same key stays as it is.
    reg::WriteString(Root::CurrentUser, kRunOnceKey, "SomeoneElse", "other -x");
    ASSERT_TRUE(RegisterRunOnceEntry("C:\\Setup\\Installer.exe", "-rusb"));
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kRunOnceKey, "SomeoneElse"), "other -x");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kRunOnceKey),
              InRegistryOrder({kRunOnceValue, "SomeoneElse"}));
}
