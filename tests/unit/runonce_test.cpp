#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/Registry.h"
#include "host/RunOnce.h"
#include "tests/unit/RegistrySandbox.h"

namespace {

using reg::Root;

std::optional<std::string> StoredCommandLine() {
    return reg::ReadString(Root::CurrentUser, kRunOnceKey, kRunOnceValue);
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Runs the test body in `dir` as the current directory, and returns to the old one after.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ScopedCwd() { std::filesystem::current_path(old_); }
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::filesystem::path old_;
};

}  // namespace

TEST(RunOnceCommandLine, QuotesOnlyAPathWithABlank) {
    EXPECT_EQ(RunOnceCommandLine("C:\\Setup\\Installer.exe", "-rusb"),
              "C:\\Setup\\Installer.exe -rusb");
    EXPECT_EQ(RunOnceCommandLine("C:\\Program Files\\Vormatic\\Installer.exe", "-rusb"),
              "\"C:\\Program Files\\Vormatic\\Installer.exe\" -rusb");
    EXPECT_EQ(RunOnceCommandLine("/media/cd rom/vormatic-installer", "-rusb"),
              "\"/media/cd rom/vormatic-installer\" -rusb");
}

TEST(RunOnceEntry, WritesTheRegistryValueAndAnAutostartEntry) {
    RegistrySandbox box;
    std::filesystem::create_directories(box.dir() / "cd root");
    ScopedCwd cwd(box.dir() / "cd root");

    ASSERT_TRUE(RegisterRunOnceEntry("/media/cd rom/vormatic-installer", "-rusb"));
    EXPECT_EQ(StoredCommandLine(), "\"/media/cd rom/vormatic-installer\" -rusb");
    EXPECT_EQ(AutostartEntryPath(), box.configHome() + "/autostart/vormatic-installer.desktop");
    EXPECT_EQ(ReadBytes(AutostartEntryPath()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Vormatic Installer\n"
              "Exec=\"/media/cd rom/vormatic-installer\" -rusb\n"
              "Path=" +
                  box.dir().path() +
                  "/cd root\n"
                  "Terminal=false\n");

    // Registering again replaces both; nothing accumulates.
    ASSERT_TRUE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    EXPECT_EQ(StoredCommandLine(), "/opt/vormatic/installer -rusb");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kRunOnceKey),
              (std::vector<std::string>{kRunOnceValue}));
    EXPECT_NE(ReadBytes(AutostartEntryPath()).find("\nExec=/opt/vormatic/installer -rusb\n"),
              std::string::npos);
    EXPECT_EQ(FolderEntries(box.configHome() + "/autostart"),
              (std::vector<std::string>{"vormatic-installer.desktop"}));
}

TEST(RunOnceEntry, EscapesTheExecLineAsDesktopEntriesRequire) {
    RegistrySandbox box;
    // Inside quotes $ and \ take a backslash; the string escapes then double every backslash.
    // A % would start a field code and is doubled.
    ASSERT_TRUE(RegisterRunOnceEntry("/media/a$b\\c/100%/inst", "-rusb"));
    const std::string entry = ReadBytes(AutostartEntryPath());
    EXPECT_NE(entry.find("\nExec=\"/media/a\\\\$b\\\\\\\\c/100%%/inst\" -rusb\n"),
              std::string::npos)
        << entry;
}

TEST(RunOnceEntry, ClearRemovesBoth) {
    RegistrySandbox box;
    ASSERT_TRUE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    reg::WriteString(Root::CurrentUser, kRunOnceKey, "SomeoneElse", "other -x");
    ClearRunOnceEntry();
    EXPECT_EQ(StoredCommandLine(), std::nullopt);
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kRunOnceKey, "SomeoneElse"), "other -x");
    EXPECT_FALSE(Exists(AutostartEntryPath()));

    // Nothing registered: nothing to do, and nothing is created.
    RegistrySandbox empty;
    ClearRunOnceEntry();
    EXPECT_FALSE(Exists(empty.registryDir()));
    EXPECT_FALSE(Exists(AutostartEntryPath()));
}

TEST(RunOnceEntry, AnUnwritableRegistryFailsAndWritesNothing) {
    RegistrySandbox box;
    WriteBytes(box.dir() / "file", "x");
    box.setRegistryDir(box.dir() / "file/registry");
    EXPECT_FALSE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    EXPECT_FALSE(Exists(AutostartEntryPath()));
}

TEST(RunOnceEntry, ADamagedHiveFailsAndStaysAsItWas) {
    RegistrySandbox box;
    const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\r\n";
    box.writeHive(box.currentUserHive(), damaged);
    EXPECT_FALSE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    EXPECT_EQ(ReadBytes(box.currentUserHive()), damaged);
    EXPECT_EQ(FolderEntries(box.registryDir()),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg"}));
    EXPECT_FALSE(Exists(AutostartEntryPath()));
}

TEST(RunOnceEntry, AnUnwritableAutostartFolderFailsAndPutsTheValueBack) {
    RegistrySandbox box;
    std::filesystem::create_directories(box.configHome());
    WriteBytes(box.configHome() + "/autostart", "not a folder");

    EXPECT_FALSE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    EXPECT_EQ(StoredCommandLine(), std::nullopt);

    reg::WriteString(Root::CurrentUser, kRunOnceKey, kRunOnceValue, "/older/installer -rusb");
    EXPECT_FALSE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    EXPECT_EQ(StoredCommandLine(), "/older/installer -rusb");
    EXPECT_EQ(ReadBytes(box.configHome() + "/autostart"), "not a folder");
}
