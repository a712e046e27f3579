// The chosen COM port written into the preferences of the Producer the wizard installed: the
// "Send" key below HKCU for most models, config.ini below the all-users application data folder
// for the cassette printers. On Windows these are the prefix's registry and C:\ProgramData.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/IniFile.h"
#include "host/Registry.h"
#include "pages/model/ModelTable.h"
#include "pages/producer/PortRegistration.h"
#include "tests/unit/RegistrySandbox.h"
#include "tests/unit/TestPlatform.h"

TEST(RegisterComPort, WritesTheSendKeyOfEachModelsProducer) {
    RegistrySandbox box;
    const struct {
        const char* model;
        const char* port;
    } cases[] = {
        {"RX200", "COM5"},
        {"RX200W", "COM12"},
        {"unknown", "COM3"},
    };
    for (const auto& c : cases) {
        const models::PreferencesStore store = models::PreferencesStoreFor(c.model);
        ASSERT_EQ(store.kind, models::PreferencesStore::Kind::Registry) << c.model;
        ASSERT_TRUE(RegisterComPort(c.model, c.port)) << c.model;
        EXPECT_EQ(reg::ReadString(reg::Root::CurrentUser, store.key + "\\Send", "PortName"), c.port)
            << c.model;
        EXPECT_TRUE(reg::KeyExists(reg::Root::CurrentUser, store.key)) << c.model;
    }
}

TEST(RegisterComPort, WritesTheCassettePrintersConfigIni) {
    RegistrySandbox box;
    // POSIX: the first XDG configuration folder is the all-users folder; Windows: the shell's.
    ScopedEnv common("XDG_CONFIG_DIRS", box.dir().path().c_str());
    const std::string path = CassetteConfigPath();
    if (std::filesystem::exists(path)) {
        GTEST_SKIP() << path << " exists: this PC has a Producer whose settings stay untouched";
    }
    const std::string model = "MZ4-A";
    ASSERT_EQ(models::PreferencesStoreFor(model).kind, models::PreferencesStore::Kind::IniFile);
    ASSERT_TRUE(RegisterComPort(model, "COM7"));
    EXPECT_EQ(ReadIniString(path, "Send", "PortName"), "COM7");
    EXPECT_EQ(ReadIniString(path, "Printer", "Model"), model);
    EXPECT_EQ(ReadBytes(path), "[Send]\r\nPortName=COM7\r\n\r\n[Printer]\r\nModel=MZ4-A\r\n");
    // The folders the test made go too (a folder that holds anything else stays).
    std::error_code ignored;
    const std::filesystem::path file(path);
    std::filesystem::remove(file, ignored);
    std::filesystem::remove(file.parent_path(), ignored);
    std::filesystem::remove(file.parent_path().parent_path(), ignored);
}
