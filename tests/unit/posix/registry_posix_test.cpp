// The POSIX registry's storage: one REGEDIT4 file per hive in the registry folder, written
// whole, never over a damaged file, safe against concurrent writers, quick in a large hive.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "host/RegHive.h"
#include "host/Registry.h"
#include "tests/unit/RegistrySandbox.h"

namespace {

using reg::Root;

constexpr const char* kPrefs = "Software\\Quorvanta\\VormaticInstaller\\Prefs";

}  // namespace

TEST(RegistryFiles, HoldWhatWasWrittenAsRegeditWritesIt) {
    RegistrySandbox box;
    reg::WriteString(Root::CurrentUser, kPrefs, "Zulu", "1");
    reg::WriteString(Root::CurrentUser, kPrefs, "Alpha", "2");
    reg::WriteString(Root::CurrentUser, "SOFTWARE\\quorvanta\\vormaticinstaller\\PREFS", "zulu",
                     "3");
    // One section, spelt as first written.
    EXPECT_EQ(ReadBytes(box.currentUserHive()),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Quorvanta\\VormaticInstaller\\Prefs]\r\n"
              "\"Zulu\"=\"3\"\r\n\"Alpha\"=\"2\"\r\n"
              "\r\n");
    reg::WriteString(Root::CurrentUser, "Software\\X", "", "the default");
    EXPECT_NE(ReadBytes(box.currentUserHive()).find("\r\n@=\"the default\"\r\n"),
              std::string::npos);
    reg::CreateKey(Root::CurrentUser, "Software\\A\\B\\C");
    EXPECT_NE(
        ReadBytes(box.currentUserHive()).find("\r\n[HKEY_CURRENT_USER\\Software\\A\\B\\C]\r\n\r\n"),
        std::string::npos);

    reg::WriteString(Root::LocalMachine, "HARDWARE\\X", "Name", "v");
    reg::WriteString(Root::ClassesRoot, "http\\shell\\open\\command", "", "browser \"%1\"");
    EXPECT_EQ(FolderEntries(box.registryDir()),
              (std::vector<std::string>{"HKEY_CLASSES_ROOT.reg", "HKEY_CURRENT_USER.reg",
                                        "HKEY_LOCAL_MACHINE.reg"}));
    EXPECT_NE(ReadBytes(box.hivePath("HKEY_CLASSES_ROOT")).find("@=\"browser \\\"%1\\\"\""),
              std::string::npos);
}

TEST(RegistryFiles, ReadsAndDeletesWriteNothing) {
    RegistrySandbox box;
    EXPECT_FALSE(reg::KeyExists(Root::CurrentUser, kPrefs));
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "BeforePorts"), std::nullopt);
    reg::DeleteValue(Root::CurrentUser, kPrefs, "BeforePorts");
    EXPECT_FALSE(IsDirectoryAt(box.registryDir()));

    reg::WriteString(Root::CurrentUser, kPrefs, "Other", "x");
    const std::string before = ReadBytes(box.currentUserHive());
    reg::DeleteValue(Root::CurrentUser, kPrefs, "BeforePorts");
    reg::DeleteValue(Root::CurrentUser, "Software\\Nowhere", "BeforePorts");
    EXPECT_EQ(ReadBytes(box.currentUserHive()), before);
}

TEST(RegistryFiles, WritingKeepsValuesOfOtherKindsByteForByte) {
    RegistrySandbox box;
    const std::string original =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"Count\"=dword:0000002a\r\n"
        "\"Expand\"=hex(2):41,00\r\n\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n";
    box.writeHive(box.currentUserHive(), original);
    reg::WriteString(Root::CurrentUser, "Software\\Y", "New", "v");
    EXPECT_EQ(ReadBytes(box.currentUserHive()),
              original + "[HKEY_CURRENT_USER\\Software\\Y]\r\n\"New\"=\"v\"\r\n\r\n");
}

TEST(RegistryFiles, CommentsStayWhereTheyStand) {
    const std::string text =
        "REGEDIT4\r\n"
        "; exported for the demo\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\X]\r\n"
        "; the port of the printer\r\n"
        "\"Port\"=\"COM3\"\r\n"
        "\"Model\"=\"RX200\"\r\n"
        "; end of X\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Y]\r\n"
        "; only a note\r\n"
        "\r\n";
    EXPECT_EQ(reg::SerializeHive(reg::ParseHive(text, "/media/cd/HKEY_CURRENT_USER.reg")), text);

    // Through the registry calls: a changed value keeps its comment, a removed one leaves it
    // before the value that followed.
    RegistrySandbox box;
    box.writeHive(box.currentUserHive(), text);
    reg::WriteString(Root::CurrentUser, "Software\\X", "Port", "COM4");
    reg::WriteString(Root::CurrentUser, "Software\\Y", "New", "v");
    reg::DeleteValue(Root::CurrentUser, "Software\\X", "Port");
    EXPECT_EQ(ReadBytes(box.currentUserHive()),
              "REGEDIT4\r\n"
              "; exported for the demo\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\X]\r\n"
              "; the port of the printer\r\n"
              "\"Model\"=\"RX200\"\r\n"
              "; end of X\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Y]\r\n"
              "\"New\"=\"v\"\r\n"
              "; only a note\r\n"
              "\r\n");
}

TEST(RegistryFiles, WritesReplaceTheFileWholeAndLeaveNoTemporaryFiles) {
    RegistrySandbox box;
    const std::string nested = box.dir() / "deep/er/registry";
    box.setRegistryDir(nested);
    for (int i = 0; i < 20; ++i) {
        reg::WriteString(Root::CurrentUser, kPrefs, "V" + std::to_string(i % 5), std::to_string(i));
    }
    reg::DeleteValue(Root::CurrentUser, kPrefs, "V0");
    EXPECT_EQ(FolderEntries(nested), (std::vector<std::string>{"HKEY_CURRENT_USER.reg"}));
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kPrefs),
              (std::vector<std::string>{"V1", "V2", "V3", "V4"}));
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "V4"), "19");
}

TEST(RegistryFiles, ADamagedHiveIsNeverWrittenOver) {
    RegistrySandbox box;
    const std::string damaged =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"Keep\"=\"precious\"\r\n"
        "\"Torn\"=hex:01,0\r\n";
    box.writeHive(box.currentUserHive(), damaged + "\x01\x02");
    const std::string before = ReadBytes(box.currentUserHive());

    try {
        reg::WriteString(Root::CurrentUser, "Software\\X", "New", "value");
        FAIL() << "a write over a damaged hive succeeded";
    } catch (const reg::RegistryError& error) {
        EXPECT_NE(std::string(error.what()).find(box.currentUserHive()), std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find("line 6"), std::string::npos) << error.what();
    }
    EXPECT_THROW(reg::DeleteValue(Root::CurrentUser, "Software\\X", "Keep"), reg::RegistryError);
    EXPECT_THROW(reg::CreateKey(Root::CurrentUser, "Software\\Z"), reg::RegistryError);
    EXPECT_THROW(reg::ReadString(Root::CurrentUser, "Software\\X", "Keep"), reg::RegistryError);
    EXPECT_THROW(reg::ValueNames(Root::CurrentUser, "Software\\X"), reg::RegistryError);
    EXPECT_THROW(reg::KeyExists(Root::CurrentUser, "Software\\X"), reg::RegistryError);

    EXPECT_EQ(ReadBytes(box.currentUserHive()), before);
    EXPECT_EQ(FolderEntries(box.registryDir()),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg"}));
    // The other hives are not affected.
    reg::WriteString(Root::LocalMachine, "Software\\X", "New", "value");
    EXPECT_EQ(reg::ReadString(Root::LocalMachine, "Software\\X", "New"), "value");
}

TEST(RegistryFiles, AnUnwritableFolderRaises) {
    RegistrySandbox box;
    // A folder below a regular file cannot be made, not even by the superuser.
    WriteBytes(box.dir() / "plain-file", "x");
    const std::string folder = box.dir() / "plain-file/registry";
    box.setRegistryDir(folder);
    try {
        reg::WriteString(Root::CurrentUser, kPrefs, "BeforePorts", "COM1,");
        FAIL() << "a write into an impossible folder succeeded";
    } catch (const reg::RegistryError& error) {
        EXPECT_NE(std::string(error.what()).find(box.dir() / "plain-file"), std::string::npos)
            << error.what();
    }
    EXPECT_THROW(reg::CreateKey(Root::CurrentUser, kPrefs), reg::RegistryError);
    // Reading finds nothing stored, which is no error.
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "BeforePorts"), std::nullopt);
    EXPECT_EQ(ReadBytes(box.dir() / "plain-file"), "x");
}

TEST(RegistryFiles, ConcurrentWritersLoseNoValue) {
    RegistrySandbox box;
    constexpr int kWriters = 6;
    constexpr int kValuesEach = 15;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int status = 0;
            try {
                for (int v = 0; v < kValuesEach; ++v) {
                    reg::WriteString(Root::CurrentUser, kPrefs,
                                     "W" + std::to_string(w) + "V" + std::to_string(v), "x");
                }
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kPrefs).size(),
              static_cast<std::size_t>(kWriters * kValuesEach));
    EXPECT_EQ(FolderEntries(box.registryDir()),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg"}));
}

TEST(RegistryFolder, ComesFromTheEnvironmentOrTheXdgConfigFolder) {
    RegistrySandbox box;
    EXPECT_EQ(reg::RegistryFolder(), box.registryDir());
    box.setRegistryDir("");
    EXPECT_EQ(reg::RegistryFolder(), box.configHome() + "/vormatic-installer/registry");
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
        ScopedEnv home("HOME", "/home/tester");
        EXPECT_EQ(reg::RegistryFolder(), "/home/tester/.config/vormatic-installer/registry");
    }
    {
        ScopedEnv unset("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", "/home/other");
        EXPECT_EQ(reg::RegistryFolder(), "/home/other/.config/vormatic-installer/registry");
    }
}

TEST(RegistryFiles, CallsCostLittleInAHiveOfSixteenThousandKeys) {
    // Each call reads the whole hive; finding a key must not cost a pass over all the others
    // (a write took seconds at this size when it did).
    RegistrySandbox box;
    std::string text = "REGEDIT4\r\n\r\n";
    for (int i = 0; i < 16000; ++i) {
        text += "[HKEY_CURRENT_USER\\Software\\Bench\\Key" + std::to_string(i) +
                "]\r\n\"Name\"=\"value\"\r\n\r\n";
    }
    box.writeHive(box.currentUserHive(), text);
    const auto start = std::chrono::steady_clock::now();
    reg::WriteString(Root::CurrentUser, "Software\\Bench\\Key8000", "Name", "changed");
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, "Software\\Bench\\Key15999", "Name"), "value");
    EXPECT_TRUE(reg::KeyExists(Root::CurrentUser, "Software\\Bench"));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // About 60 ms in all here (seconds each before the index); AddressSanitizer makes every
    // call about ten times slower.
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(elapsed, std::chrono::seconds(10));
#else
    EXPECT_LT(elapsed, std::chrono::seconds(1));
#endif
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, "Software\\Bench\\Key8000", "Name"), "changed");
}
