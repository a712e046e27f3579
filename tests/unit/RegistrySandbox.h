#pragma once
// A private registry folder and XDG configuration folder for one test, with an empty serial
// device list; the environment is put back and the folders removed when the test ends.

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/unit/TempDir.h"

// Sets (or, with a null value, unsets) an environment variable until it goes out of scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const char* value) {
        if (value != nullptr) {
            ::setenv(name_.c_str(), value, 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class RegistrySandbox {
public:
    RegistrySandbox()
        : registryDir_(dir_ / "registry"),
          configHome_(dir_ / "config"),
          registryEnv_("VORMATIC_REGISTRY_DIR", registryDir_.c_str()),
          configEnv_("XDG_CONFIG_HOME", configHome_.c_str()),
          serialEnv_("VORMATIC_SERIAL_DEVICES", "") {}

    const TempDir& dir() const { return dir_; }
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
};

// The names in a folder, sorted, without "." and "..".
inline std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* handle = ::opendir(dir.c_str())) {
        while (const dirent* entry = ::readdir(handle)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(handle);
    }
    std::sort(names.begin(), names.end());
    return names;
}
