#include "host/posix/PortOwner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "host/ComPorts.h"
#include "host/Registry.h"
#include "host/posix/FileAccess.h"

namespace portowner {
namespace {

constexpr const char* kOwnerFolder = "/serialcomm-owners";
constexpr int kTakeTries = 50;
constexpr std::chrono::milliseconds kTakePause{10};

std::string OwnerFolder() {
    const std::string registry = reg::RegistryFolder();
    return registry.empty() ? std::string() : registry + kOwnerFolder;
}

std::string EncodeName(const std::string& valueName) {
    std::string out;
    for (const char raw : valueName) {
        const char c = (raw >= 'A' && raw <= 'Z') ? static_cast<char>(raw - 'A' + 'a') : raw;
        // A leading dot is escaped too: the file must not pass for a hidden one.
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c == '.' && !out.empty()) ||
            c == '_' || c == '-') {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        }
    }
    return out;
}

std::string DecodeName(const std::string& fileName) {
    std::string out;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const std::string hex = fileName.substr(i + 1, 2);
        if (fileName[i] == '%' && hex.size() == 2 &&
            hex.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) {
            out += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
            i += 2;
        } else {
            out += fileName[i];
        }
    }
    return out;
}

// Takes a write lock on the whole file for the open file description `fd`; false when
// someone else holds one.
bool TakeLock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// True when nobody holds a lock on the file of `fd`. Only asks: a starting owner is never kept
// from its lock by this.
bool NobodyHolds(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
}

// True when `fd` is still the file at `path` (nobody removed it after we opened it).
bool StillThere(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Takes the owner file at `path` of a gone owner: the open, locked descriptor, or -1 when the
// file is missing or a live owner holds it.
int TakeAbandoned(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (!TakeLock(fd) || !StillThere(fd, path)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string OwnerFilePath(const std::string& valueName) {
    const std::string folder = OwnerFolder();
    return folder.empty() ? std::string() : folder + "/" + EncodeName(valueName);
}

bool OwnerGone(const std::string& valueName) {
    const std::string path = OwnerFilePath(valueName);
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool gone = NobodyHolds(fd);
    ::close(fd);
    return gone;
}

OwnedPort::~OwnedPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool OwnedPort::Register(const std::string& valueName, const std::string& devicePath,
                         std::string* error) {
    const std::string path = OwnerFilePath(valueName);
    if (path.empty()) {
        *error = "no registry folder is known";
        return false;
    }
    if (!fileaccess::MakeDirectories(OwnerFolder(), *error)) {
        return false;
    }
    for (int attempt = 0; attempt < kTakeTries && fd_ < 0; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            *error = "cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
        // Held for a moment by a pruner, or for good by a live owner of the same name; a file
        // that a pruner removed after we opened it is opened again.
        if (TakeLock(fd) && StillThere(fd, path)) {
            fd_ = fd;
        } else {
            ::close(fd);
            std::this_thread::sleep_for(kTakePause);
        }
    }
    if (fd_ < 0) {
        *error = valueName + " is held by another process";
        return false;
    }
    // The content is only a note for people; the lock is what counts.
    const std::string note = devicePath + "\n";
    if (::ftruncate(fd_, 0) == 0) {
        const ssize_t ignored = ::write(fd_, note.data(), note.size());
        static_cast<void>(ignored);
    }
    try {
        reg::WriteString(reg::Root::LocalMachine, kSerialCommKey, valueName, devicePath);
    } catch (const reg::RegistryError& e) {
        *error = e.what();
        ::unlink(path.c_str());
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    valueName_ = valueName;
    file_ = path;
    return true;
}

void OwnedPort::Unregister() {
    if (fd_ < 0) {
        return;
    }
    reg::DeleteValue(reg::Root::LocalMachine, kSerialCommKey, valueName_);
    ::unlink(file_.c_str());
    ::close(fd_);
    fd_ = -1;
}

int PruneOrphanedPorts() {
    const std::string folder = OwnerFolder();
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    std::vector<std::string> files;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            files.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    int pruned = 0;
    for (const std::string& file : files) {
        const std::string path = folder + "/" + file;
        const int fd = TakeAbandoned(path);
        if (fd < 0) {
            continue;
        }
        const std::string valueName = DecodeName(file);
        try {
            if (reg::ReadString(reg::Root::LocalMachine, kSerialCommKey, valueName)) {
                reg::DeleteValue(reg::Root::LocalMachine, kSerialCommKey, valueName);
                ++pruned;
            }
        } catch (const reg::RegistryError&) {
            ::close(fd);
            throw;
        }
        ::unlink(path.c_str());
        ::close(fd);
    }
    return pruned;
}

}  // namespace portowner

bool IsOrphanedPortValue(const std::string& valueName) {
    return portowner::OwnerGone(valueName);
}
