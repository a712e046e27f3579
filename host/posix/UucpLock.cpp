#include "host/posix/UucpLock.h"

#include <csignal>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "host/Text.h"
#include "host/posix/FileAccess.h"

namespace uucp {
namespace {

void AddNames(const std::string& path, std::vector<std::string>& names) {
    const auto add = [&](std::string name) {
        if (!name.empty() && std::find(names.begin(), names.end(), "LCK.." + name) == names.end()) {
            names.push_back("LCK.." + std::move(name));
        }
    };
    add(path.substr(path.rfind('/') + 1));
    if (path.rfind("/dev/", 0) == 0) {
        std::string below = path.substr(5);
        std::replace(below.begin(), below.end(), '/', '_');
        add(below);
    }
}

// The pid a lock file holds: ten ASCII columns (leading blanks, a line end after), or the
// four bytes of a binary int as the old UUCP wrote them.
std::optional<long> LockOwner(const std::string& content) {
    if (content.size() == sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, content.data(), sizeof binary);
        const bool printable = std::all_of(content.begin(), content.end(), [](char c) {
            return c == ' ' || (c >= '0' && c <= '9') || c == '\n';
        });
        if (!printable) {
            return binary > 0 ? std::optional<long>(binary) : std::nullopt;
        }
    }
    const char* text = content.c_str();
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(text, &end, 10);
    if (end == text || errno != 0 || pid <= 0 || pid > INT_MAX) {
        return std::nullopt;
    }
    return pid;
}

bool IsAlive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::vector<std::string> LockFolders() {
    const char* list = std::getenv("VORMATIC_UUCP_LOCK_DIRS");
    return SplitList(list != nullptr ? list : "/run/lock:/var/lock", ':');
}

std::vector<std::string> LockFileNames(const std::string& devicePath) {
    std::vector<std::string> names;
    AddNames(devicePath, names);
    const std::unique_ptr<char, void (*)(void*)> resolved(::realpath(devicePath.c_str(), nullptr),
                                                          &std::free);
    if (resolved) {
        AddNames(resolved.get(), names);
    }
    return names;
}

bool HeldByAnotherProcess(const std::string& devicePath) {
    const std::vector<std::string> names = LockFileNames(devicePath);
    for (const std::string& folder : LockFolders()) {
        for (const std::string& name : names) {
            std::string content;
            bool missing = false;
            std::string error;
            if (!fileaccess::ReadFile(folder + "/" + name, content, missing, error)) {
                continue;
            }
            const std::optional<long> owner = LockOwner(content.substr(0, 64));
            if (owner && IsAlive(*owner)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace uucp
