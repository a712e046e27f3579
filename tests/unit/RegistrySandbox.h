#pragma once
// A private registry and XDG configuration folder for one test, with an empty serial device
// list; the environment is put back, the registry handed back and the folders removed when
// the test ends. On POSIX the registry is a folder of hive files of its own; on Windows the
// process's three registry roots lead to empty keys of the test's own (TestPlatform.h).

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "host/Registry.h"
#include "tests/unit/TempDir.h"
#include "tests/unit/TestPlatform.h"

class RegistrySandbox {
public:
    RegistrySandbox()
        : registryDir_(dir_ / "registry"),
          configHome_(dir_ / "config"),
          registryEnv_("VORMATIC_REGISTRY_DIR", registryDir_.c_str()),
          configEnv_("XDG_CONFIG_HOME", configHome_.c_str()),
          serialEnv_("VORMATIC_SERIAL_DEVICES", "") {}

    const TempDir& dir() const { return dir_; }
    // POSIX only: the hive files and the XDG folders.
    const std::string& registryDir() const { return registryDir_; }
    const std::string& configHome() const { return configHome_; }
    std::string hivePath(const char* rootName) const {
        return registryDir_ + "/" + rootName + ".reg";
    }
    std::string currentUserHive() const { return hivePath("HKEY_CURRENT_USER"); }
    std::string localMachineHive() const { return hivePath("HKEY_LOCAL_MACHINE"); }

    // Writes a hive file (or any file in the registry folder) as another program would.
    void writeHive(const std::string& path, const std::string& content) const {
        std::filesystem::create_directories(registryDir_);
        WriteBytes(path, content);
    }

    // Stores the keys and values of a REGEDIT4 text in the root's hive, on either platform.
    // The text is the whole hive: on POSIX it replaces the file, on Windows it adds to and
    // overwrites the registry's values.
    void seed(reg::Root root, const std::string& regeditText) const {
        if (!registryDir_.empty()) {
            std::filesystem::create_directories(registryDir_);
        }
        testplatform::SeedRegistry(hivePath(reg::RootName(root)), regeditText);
    }

    // Points the registry folder elsewhere for the rest of the test.
    void setRegistryDir(const std::string& dir) { registryEnv_.Set(dir.c_str()); }
    void setSerialDevices(const char* list) { serialEnv_.Set(list); }

private:
    TempDir dir_;
    std::string registryDir_;
    std::string configHome_;
    ScopedEnv registryEnv_;
    ScopedEnv configEnv_;
    ScopedEnv serialEnv_;
    testplatform::RegistryRedirect redirect_;
};

// `names` in the order the registry lists a key's values that were added in this order:
// unchanged, or sorted by name without regard to case where the registry sorts them (Wine).
inline std::vector<std::string> InRegistryOrder(std::vector<std::string> names) {
    if (!testplatform::ValuesEnumerateInInsertionOrder()) {
        const auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return text;
        };
        std::sort(names.begin(), names.end(),
                  [&](const std::string& a, const std::string& b) { return lower(a) < lower(b); });
    }
    return names;
}

// The names in a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
