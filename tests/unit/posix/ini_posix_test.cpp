// The INI updater on POSIX files: permissions kept, symbolic links followed, the file
// replaced whole by a rename, concurrent writers and a folder that takes no new file.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "host/IniFile.h"
#include "host/Registry.h"
#include "tests/unit/RegistrySandbox.h"
#include "tests/unit/TempDir.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(WriteIniString, KeepsTheFilesPermissions) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    WriteBytes(path, "[Send]\r\nPortName=COM1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteIniString(path, "Send", "PortName", "COM3"));
    ASSERT_TRUE(WriteIniString(path, "Printer", "Model", "MZ4-A"));
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIniString, RefusesAFileThatFailsOnTheFirstRead) {
    // /proc/self/mem exists and looks writable but fails on the first read: rewriting it from
    // nothing would lose what it holds.
    TempDir dir;
    const std::string link = dir / "mem.ini";
    ASSERT_EQ(::symlink("/proc/self/mem", link.c_str()), 0);
    EXPECT_FALSE(WriteIniString(link, "Send", "PortName", "COM3"));
    EXPECT_EQ(ReadIniString(link, "Send", "PortName"), std::nullopt);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIniString, WritesThroughASymbolicLink) {
    TempDir dir;
    const std::string real = dir / "real.ini";
    const std::string link = dir / "config.ini";
    WriteBytes(real, "[Send]\nPortName=COM1\n");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteIniString(link, "Send", "PortName", "COM2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[Send]\nPortName=COM2\n");
}

TEST(WriteIniString, ReplacesTheFileAsAWhole) {
    // The update goes to a new file that is renamed over the old one, so a reader that
    // opened the old file keeps seeing the old content in full.
    TempDir dir;
    const std::string path = dir / "config.ini";
    WriteBytes(path, "[Send]\nPortName=COM1\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    FILE* reader = std::fopen(path.c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(WriteIniString(path, "Send", "PortName", "COM2"));
    char old[64] = {};
    const std::size_t got = std::fread(old, 1, sizeof old - 1, reader);
    std::fclose(reader);
    EXPECT_EQ(std::string(old, got), "[Send]\nPortName=COM1\n");
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadBytes(path), "[Send]\nPortName=COM2\n");
}

TEST(WriteIniString, ConcurrentWritersLoseNoEntry) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    WriteBytes(path, "[Send]\r\nPortName=COM1\r\n");
    pid_t writers[2] = {};
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            bool ok = true;
            for (int i = 0; i < 300; ++i) {
                ok = WriteIniString(path, "Keys",
                                    std::string(1, static_cast<char>('A' + w)) + std::to_string(i),
                                    std::to_string(i)) &&
                     ok;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
    }
    int kept = 0;
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < 300; ++i) {
            const std::string key = std::string(1, static_cast<char>('A' + w)) + std::to_string(i);
            kept += ReadIniString(path, "Keys", key) == std::to_string(i) ? 1 : 0;
        }
    }
    EXPECT_EQ(kept, 600);
    EXPECT_EQ(ReadIniString(path, "Send", "PortName"), "COM1");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIniString, AFolderThatCannotTakeANewFileIsUpdatedInPlace) {
    // A writable config.ini in a folder the user may not write: the file is updated in place,
    // keeping its permissions. The check runs as a user without rights to the folder (the
    // superuser writes any folder, so then a child process gives its rights away first).
    TempDir dir;
    const std::string folder = dir / "VormaticCL";
    const std::string path = folder + "/config.ini";
    std::filesystem::create_directory(folder);
    WriteBytes(path, "; Producer\r\n[Send]\r\nPortName=COM1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        const bool ok = WriteIniString(path, "Send", "PortName", "COM3") &&
                        WriteIniString(path, "Printer", "Model", "MZ4-A");
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadBytes(path),
              "; Producer\r\n[Send]\r\nPortName=COM3\r\n\r\n[Printer]\r\nModel=MZ4-A\r\n");
    EXPECT_EQ(ModeOf(path), 0666u);
    EXPECT_EQ(EntriesIn(folder), 1u);
    ::chmod(folder.c_str(), 0755);
}

TEST(WriteIniString, AWriterKilledMidReplaceLeavesNothingAfterTheNextWrite) {
    // config.ini and a registry hive, each written by a process killed (SIGKILL) while its
    // new file is not yet renamed into place.
    RegistrySandbox box;
    const std::string ini = box.dir() / "config.ini";
    const std::pair<std::string, std::function<void(const std::string&)>> rows[] = {
        {ini, [&](const std::string& v) { WriteIniString(ini, "Send", "PortName", v); }},
        {box.currentUserHive(), [](const std::string& v) {
             reg::WriteString(reg::Root::CurrentUser, "Software", "PortName", v);
         }}};
    for (const auto& [path, update] : rows) {
        update("COM1");
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        const std::string temporary = "." + std::filesystem::path(path).filename().string() + ".";
        const auto leftovers = [&] {
            std::size_t count = 0;
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                count += entry.path().filename().string().rfind(temporary, 0) == 0 ? 1 : 0;
            }
            return count;
        };
        for (int attempt = 0; attempt < 50 && leftovers() == 0; ++attempt) {
            const pid_t writer = ::fork();
            if (writer == 0) {
                for (;;) {
                    update(
                        std::string(std::size_t{1} << 21, static_cast<char>('a' + attempt % 26)));
                }
            }
            const auto mine = folder / (temporary + std::to_string(writer) + ".0.tmp");
            for (int tick = 0; tick < 2000 && !std::filesystem::exists(mine); ++tick) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ::kill(writer, SIGKILL);
            ::waitpid(writer, nullptr, 0);
        }
        ASSERT_GE(leftovers(), 1u) << path;
        // A writer that still runs (process 1 always does) and another file keep theirs.
        WriteBytes(folder / (temporary + "1.0.tmp"), "running");
        WriteBytes(folder / ".other.ini.999999999.0.tmp", "other");
        update("COM3");
        EXPECT_EQ(leftovers(), 1u) << path;
        EXPECT_TRUE(std::filesystem::exists(folder / ".other.ini.999999999.0.tmp")) << path;
        std::filesystem::remove(folder / (temporary + "1.0.tmp"));
    }
}
