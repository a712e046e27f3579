#pragma once
// A private registry and XDG configuration folder for one test, with an empty serial device
// list; the environment is put back, the registry handed back and the folders removed when
// the test ends. On POSIX the registry is a folder of hive files of its own; on Windows the
// process's three registry roots lead to empty keys of the test's own (TestPlatform.h).

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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
