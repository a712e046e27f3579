// Win32 half of the file helpers: the read-only attribute and replacement by MoveFileExA.
#include <windows.h>

#include "host/FileIo.h"

namespace {

bool WriteAll(HANDLE file, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t left = content.size() - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD wrote = 0;
        if (!::WriteFile(file, content.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return true;
}

}  // namespace

FileWriteState QueryFileWriteState(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                   ? FileWriteState::Missing
                   : FileWriteState::Unusable;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileWriteState::Unusable;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return FileWriteState::ReadOnly;
    }
    return FileWriteState::Writable;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& content) {
    const std::string::size_type cut = path.find_last_of("\\/");
    const std::string folder = (cut == std::string::npos) ? "." : path.substr(0, cut + 1);

    // GetTempFileNameA creates the (empty) temporary file in the target's own folder, so
    // that the move below is a rename on one volume.
    char temporary[MAX_PATH] = {};
    if (::GetTempFileNameA(folder.c_str(), "ini", 0, temporary) == 0) {
        return false;
    }
    const HANDLE file = ::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ::DeleteFileA(temporary);
        return false;
    }
    bool ok = WriteAll(file, content) && ::FlushFileBuffers(file) != 0;
    ok = (::CloseHandle(file) != 0) && ok;
    ok = ok && ::MoveFileExA(temporary, path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        ::DeleteFileA(temporary);
    }
    return ok;
}
