// The registry on POSIX: one REGEDIT4 file per hive in the registry folder. Every call reads
// the hive file afresh (a missing file is an empty hive), so other processes' changes are
// seen at once. A change is written to a temporary file and renamed over the hive while the
// folder is locked (flock), so readers never see half a file and two writers never lose each
// other's changes. A hive file that cannot be parsed is never written over: every call on it
// raises RegistryError, and what it holds stays for the user to repair.
//
// HKLM HARDWARE\DEVICEMAP\SERIALCOMM lists the machine's live serial devices first (see
// SerialDevices.h; value name "\Device\ttyUSB0", data "/dev/ttyUSB0"), then the values stored
// in the key, where a virtual port such as the printer simulator registers itself.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "host/FileIo.h"
#include "host/RegHive.h"
#include "host/Registry.h"
#include "host/posix/FileAccess.h"
#include "host/posix/SerialDevices.h"
#include "host/posix/XdgConfig.h"

namespace reg {
namespace {

constexpr const char* kSerialCommPath = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::string FolderOrThrow() {
    std::string folder = RegistryFolder();
    if (folder.empty()) {
        throw RegistryError(
            "Unable to find the registry folder: neither VORMATIC_REGISTRY_DIR, "
            "XDG_CONFIG_HOME nor a home folder is known.");
    }
    return folder;
}

std::string HivePath(Root root) {
    return FolderOrThrow() + "/" + RootName(root) + ".reg";
}

Hive LoadHive(Root root) {
    const std::string path = HivePath(root);
    std::string content;
    std::string error;
    bool missing = false;
    if (!fileaccess::ReadFile(path, content, missing, error)) {
        if (missing) {
            return {};
        }
        throw RegistryError(error);
    }
    return ParseHive(content, path);
}

std::string FullPath(Root root, const std::string& key) {
    return RootedKeyPath(root, NormalizeKeyPath(key));
}

bool IsSerialComm(Root root, const std::string& key) {
    return root == Root::LocalMachine && SameName(NormalizeKeyPath(key), kSerialCommPath);
}

std::string DisplayName(const std::string& valueName) {
    return valueName.empty() ? std::string("(Default)") : valueName;
}

// Holds an exclusive flock on the registry folder while a hive is read, changed and replaced.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        int result = fd_ < 0 ? -1 : ::flock(fd_, LOCK_EX);
        while (result != 0 && fd_ >= 0 && errno == EINTR) {
            result = ::flock(fd_, LOCK_EX);
        }
        if (result != 0) {
            const std::string reason = std::strerror(errno);
            if (fd_ >= 0) {
                ::close(fd_);
            }
            throw RegistryError("Unable to lock the registry folder " + folder + ": " + reason);
        }
    }
    ~FolderLock() { ::close(fd_); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Applies `change` (a function of Hive& that returns whether it changed anything) to the hive
// and stores the result. A call that changes nothing neither creates the folder nor rewrites
// the file: without a folder there is no hive yet, and a first pass on the empty hive finds
// out whether there is anything to write before the folder is made.
template <typename Change>
void ChangeHive(Root root, Change change) {
    const std::string folder = FolderOrThrow();
    if (!IsFolder(folder)) {
        Hive probe;
        if (!change(probe)) {
            return;
        }
        std::string error;
        if (!fileaccess::MakeDirectories(folder, error)) {
            throw RegistryError("Unable to write to the registry: " + error);
        }
    }
    FolderLock lock(folder);
    Hive hive = LoadHive(root);
    const std::string path = HivePath(root);
    if (change(hive) && !ReplaceFileAtomically(path, SerializeHive(hive))) {
        throw RegistryError("Unable to write to the registry: the file " + path +
                            " cannot be replaced (" + std::strerror(errno) + ").");
    }
}

bool IsLiveName(const std::vector<serialdev::LiveDevice>& live, const std::string& name) {
    for (const serialdev::LiveDevice& device : live) {
        if (SameName(device.valueName, name)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string RegistryFolder() {
    if (const char* dir = std::getenv("VORMATIC_REGISTRY_DIR"); dir != nullptr && dir[0] != '\0') {
        return dir;
    }
    const std::string configHome = xdg::ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vormatic-installer/registry";
}

bool KeyExists(Root root, const std::string& key) {
    if (NormalizeKeyPath(key).empty()) {
        return true;  // a root key always exists
    }
    if (IsSerialComm(root, key) && !serialdev::LiveDevices().empty()) {
        return true;
    }
    return LoadHive(root).KeyExists(FullPath(root, key));
}

void CreateKey(Root root, const std::string& key) {
    if (NormalizeKeyPath(key).empty()) {
        return;
    }
    const std::string full = FullPath(root, key);
    ChangeHive(root, [&](Hive& hive) {
        if (hive.KeyExists(full)) {
            return false;
        }
        hive.EnsureKey(full);
        return true;
    });
}

std::vector<std::string> ValueNames(Root root, const std::string& key) {
    std::vector<std::string> names;
    std::vector<serialdev::LiveDevice> live;
    if (IsSerialComm(root, key)) {
        live = serialdev::LiveDevices();
        for (const serialdev::LiveDevice& device : live) {
            names.push_back(device.valueName);
        }
    }
    Hive hive;
    try {
        hive = LoadHive(root);
    } catch (const RegistryError& error) {
        // A damaged hive must not hide the live devices listed before its values.
        if (names.empty()) {
            throw;
        }
        throw PartialValueList(error.what(), std::move(names));
    }
    if (const RegKey* stored = hive.FindKey(FullPath(root, key))) {
        for (const RegValue& value : stored->values) {
            if (!IsLiveName(live, value.name)) {
                names.push_back(value.name);
            }
        }
    }
    return names;
}

std::optional<std::string> ReadString(Root root, const std::string& key, const std::string& name) {
    if (IsSerialComm(root, key)) {
        if (std::string live = serialdev::LiveDevicePath(name); !live.empty()) {
            return live;
        }
    }
    const std::string full = FullPath(root, key);
    const Hive hive = LoadHive(root);
    const RegKey* stored = hive.FindKey(full);
    const RegValue* value = stored != nullptr ? stored->FindValue(name) : nullptr;
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->IsString()) {
        throw RegistryError("The registry value \"" + DisplayName(name) + "\" of " + full +
                            " is not a string.");
    }
    return value->text;
}

void WriteString(Root root, const std::string& key, const std::string& name,
                 const std::string& value) {
    const std::string full = FullPath(root, key);
    ChangeHive(root, [&](Hive& hive) {
        RegKey& stored = hive.EnsureKey(full);
        RegValue wanted = RegValue::String(name, value);
        if (const RegValue* existing = stored.FindValue(name)) {
            wanted.name = existing->name;
            if (*existing == wanted) {
                return false;
            }
        }
        stored.SetValue(std::move(wanted));
        return true;
    });
}

void DeleteValue(Root root, const std::string& key, const std::string& name) {
    const std::string full = FullPath(root, key);
    ChangeHive(root, [&](Hive& hive) {
        RegKey* stored = hive.FindKey(full);
        return stored != nullptr && stored->RemoveValue(name);
    });
}

}  // namespace reg
