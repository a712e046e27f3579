// The platform-neutral half of the path helpers; the platform halves live in posix/ and win32/.
#include "host/Paths.h"

#include <filesystem>
#include <system_error>

namespace {
std::string& DirectoryOverride() {
    static std::string directory;
    return directory;
}
}  // namespace

void OverrideProgramDirectory(const std::string& directory) {
    DirectoryOverride() = directory;
}

std::string ProgramDirectory() {
    if (!DirectoryOverride().empty()) {
        return DirectoryOverride();
    }
    const std::string path = ProgramPath();
    const std::string::size_type cut = path.find_last_of(PathSeparator());
    if (cut == std::string::npos) {
        return {};
    }
    return path.substr(0, cut + 1);
}

std::string FolderOfFile(const std::string& path) {
    for (std::string::size_type end = path.size(); end > 0; --end) {
        if (IsPathSeparator(path[end - 1])) {
            return path.substr(0, end);
        }
    }
    return {};
}

bool FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}
