#include "host/posix/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fileaccess {
namespace {

std::string Reason(int errorNumber) {
    return std::strerror(errorNumber);
}

}  // namespace

bool MakeDirectories(const std::string& dir, std::string& error) {
    std::size_t pos = 0;
    while (pos <= dir.size()) {
        std::size_t slash = dir.find('/', pos);
        if (slash == std::string::npos) {
            slash = dir.size();
        }
        const std::string partial = dir.substr(0, slash);
        pos = slash + 1;
        if (partial.empty() || partial.back() == '/') {
            continue;
        }
        if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "Unable to create the folder " + partial + ": " + Reason(errno);
            return false;
        }
    }
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0) {
        error = "Unable to create the folder " + dir + ": " + Reason(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = "Unable to create the folder " + dir + ": " + Reason(ENOTDIR);
        return false;
    }
    return true;
}

bool ReadFile(const std::string& path, std::string& content, bool& missing, std::string& error) {
    content.clear();
    missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT || errno == ENOTDIR;
        error = "Unable to read the file " + path + ": " + Reason(errno);
        return false;
    }
    char buffer[8192];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = "Unable to read the file " + path + ": " + Reason(errno);
            ::close(fd);
            return false;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

}  // namespace fileaccess
