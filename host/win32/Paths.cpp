// Win32 half of the path helpers: the shell's common application data folder, the module
// file name and CreateDirectoryA.
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "host/Paths.h"

namespace {

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string CommonAppDataPath() {
    char buffer[MAX_PATH] = {};
    const HRESULT result =
        ::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
    // S_FALSE (the folder does not exist) and every error leave no usable path.
    constexpr HRESULT kOk = 0;
    if (result != kOk) {
        return {};
    }
    return std::string(buffer);
}

void EnsureFileDirectory(const std::string& filePath) {
    // A bare file name lives in the current directory.
    const std::string directory = FolderOfFile(filePath);
    if (directory.empty() || IsDirectory(directory)) {
        return;
    }
    // Create each level in turn. The drive ("C:"), the server and share of a UNC path and
    // levels that exist already simply fail to be created, which is harmless; nothing is
    // reported, and the caller finds out when it opens the file.
    for (std::string::size_type i = 1; i < directory.size(); ++i) {
        if (IsPathSeparator(directory[i]) && !IsPathSeparator(directory[i - 1]) &&
            directory[i - 1] != ':') {
            const std::string level = directory.substr(0, i);
            static_cast<void>(::CreateDirectoryA(level.c_str(), nullptr));
        }
    }
}

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string ProgramPath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);  // truncated: try again with more room
    }
}

const char* PathSeparator() {
    return "\\";
}

std::string NativePath(const std::string& path) {
    return path;
}

std::string RedirectorManagerDefaultPath() {
    return "c:\\program files\\lantronix\\cpr4.3\\CprManager.exe";
}

std::string RedirectorBrowseFolder() {
    return "C:\\";
}
