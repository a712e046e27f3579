// POSIX half of the path helpers: XDG folders, /proc/self/exe and mkdir.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "host/Paths.h"
#include "host/Text.h"
#include "host/posix/XdgConfig.h"

namespace {

const char kDefaultConfigDirs[] = "/etc/xdg";

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string CommonAppDataPath() {
    // The all-users configuration folder is the first usable entry of $XDG_CONFIG_DIRS.
    // Entries must be absolute; empty or relative ones are skipped, as XDG asks.
    const char* variable = std::getenv("XDG_CONFIG_DIRS");
    for (std::string entry : SplitList(variable != nullptr ? variable : "", ':')) {
        if (entry.front() == '/') {
            while (entry.size() > 1 && entry.back() == '/') {
                entry.pop_back();
            }
            return entry;
        }
    }
    return kDefaultConfigDirs;
}

void EnsureFileDirectory(const std::string& filePath) {
    // A bare file name lives in the current directory.
    const std::string directory = FolderOfFile(filePath);
    if (directory.empty() || IsDirectory(directory)) {
        return;
    }
    // Create each level in turn (mkdir -p). A level that exists already or cannot be made is
    // passed over; the helper reports nothing, and the caller finds out when it opens the file.
    for (std::string::size_type i = 1; i < directory.size(); ++i) {
        if (directory[i] == '/' && directory[i - 1] != '/') {
            const std::string level = directory.substr(0, i);
            static_cast<void>(::mkdir(level.c_str(), 0777));
        }
    }
}

bool IsPathSeparator(char c) {
    return c == '/';
}

std::string ProgramPath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        const auto used = static_cast<std::size_t>(length);
        if (used < buffer.size()) {
            return std::string(buffer.data(), used);
        }
        buffer.resize(buffer.size() * 2);  // possibly truncated: try again with more room
    }
}

const char* PathSeparator() {
    return "/";
}

std::string NativePath(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string RedirectorManagerDefaultPath() {
    const std::string dataHome = xdg::DataHome();
    return dataHome.empty() ? std::string() : dataHome + "/lantronix/cpr4.3/CprManager.exe";
}

std::string RedirectorBrowseFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) : std::string("/");
}
