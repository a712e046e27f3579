// RunOnce on POSIX: the registry value and the XDG autostart entry that carries it out.
#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(RunOnceEntry, WritesTheRegistryValueAndAnAutostartEntry) {
    RegistrySandbox box;
    std::filesystem::create_directories(box.dir() / "cd root");
    ScopedCwd cwd(box.dir() / "cd root");

    ASSERT_TRUE(RegisterRunOnceEntry("/media/cd rom/vormatic-installer", "-rusb"));
    EXPECT_EQ(StoredCommandLine(), "\"/media/cd rom/vormatic-installer\" -rusb");
    EXPECT_EQ(AutostartEntryPath(), box.configHome() + "/autostart/vormatic-installer.desktop");
    const std::string entry = ReadBytes(AutostartEntryPath());
    EXPECT_EQ(entry.substr(0, entry.find("Exec=")),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Vormatic Installer\n");
    // No Path=: the command changes to the CD folder itself (shown working below, by the
    // desktop's own launcher), and ends with the program and its argument.
    EXPECT_EQ(entry.find("Path="), std::string::npos) << entry;
    EXPECT_NE(entry.find(" \"" + box.dir().path() +
                         "/cd root\" \"/media/cd rom/vormatic-installer\" -rusb\n"
                         "Terminal=false\n"),
              std::string::npos)
        << entry;

    // Registering again replaces both; nothing accumulates.
    ASSERT_TRUE(RegisterRunOnceEntry("/opt/vormatic/installer", "-rusb"));
    EXPECT_EQ(StoredCommandLine(), "/opt/vormatic/installer -rusb");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kRunOnceKey),
              (std::vector<std::string>{kRunOnceValue}));
    EXPECT_NE(ReadBytes(AutostartEntryPath()).find(" /opt/vormatic/installer -rusb\n"),
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
    EXPECT_NE(entry.find(" \"/media/a\\\\$b\\\\\\\\c/100%%/inst\" -rusb\n"), std::string::npos)
        << entry;
}

TEST(RunOnceEntry, TheEntryRemovesItselfBeforeTheProgramStarts) {
    // Run the entry as a desktop session runs it at login (GLib's launcher). Windows deletes a
    // RunOnce value before running it; the entry must go even when the program cannot start
    // (the CD is not in the drive, or its folder is not even there), or it is tried again at
    // every login.
    if (::access("/usr/bin/gio", X_OK) != 0) {
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    }
    enum class Cd { Inserted, ProgramMissing, FolderGone };
    for (const Cd cd : {Cd::Inserted, Cd::ProgramMissing, Cd::FolderGone}) {
        const int row = static_cast<int>(cd);
        RegistrySandbox box;
        const std::string folder = box.dir() / "cd $root";
        std::filesystem::create_directories(folder);
        const std::string program = folder + "/vormatic installer";
        const std::string record = box.dir() / "record";
        if (cd == Cd::Inserted) {
            WriteBytes(program, "#!/bin/sh\n[ -e \"" + AutostartEntryPath() +
                                    "\" ] && echo entry-left > \"" + record +
                                    "\" || echo \"started $* in $(pwd)\" > \"" + record + "\"\n");
            ::chmod(program.c_str(), 0755);
        }
        {
            ScopedCwd cwd(folder);
            ASSERT_TRUE(RegisterRunOnceEntry(program, "-rusb")) << row;
        }
        if (cd == Cd::FolderGone) {
            std::filesystem::remove_all(folder);
        }
        const std::string launch = "/usr/bin/gio launch '" + AutostartEntryPath() + "' 2>/dev/null";
        EXPECT_EQ(std::system(launch.c_str()), 0) << row;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while ((Exists(AutostartEntryPath()) || (cd == Cd::Inserted && !Exists(record))) &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(Exists(AutostartEntryPath())) << row;
        if (cd == Cd::Inserted) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_EQ(ReadBytes(record), "started -rusb in " + folder + "\n");
        }
    }
}

TEST(RunOnceEntry, APathThatIsNotUtf8IsRefusedAndNothingIsWritten) {
    // Desktop entries are UTF-8; launchers reject an entry with other bytes in it.
    struct Row {
        const char* folder;
        const char* program;
    };
    for (const Row& row :
         {Row{"caf\xE9", "/opt/vormatic/installer"}, Row{"cd", "/media/caf\xE9/installer"}}) {
        RegistrySandbox box;
        std::filesystem::create_directories(box.dir().path() + "/" + row.folder);
        ScopedCwd cwd(box.dir().path() + "/" + row.folder);
        reg::WriteString(Root::CurrentUser, kRunOnceKey, kRunOnceValue, "/older/installer -rusb");
        EXPECT_FALSE(RegisterRunOnceEntry(row.program, "-rusb")) << row.folder;
        EXPECT_EQ(StoredCommandLine(), "/older/installer -rusb") << row.folder;
        EXPECT_FALSE(Exists(box.configHome() + "/autostart")) << row.folder;
    }
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
