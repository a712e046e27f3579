// Win32 half of the file helpers: the read-only attribute, replacement by ReplaceFileA or
// MoveFileExA, in-place replacement where a folder takes no new file, and the folder mutex.
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "host/FileIo.h"
#include "host/Paths.h"

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

namespace {

enum class Replaced { Done, Failed, NoNewFileHere };

Replaced ReplaceByMove(const std::string& path, const std::string& content) {
    const std::string ownFolder = FolderOfFile(path);
    const std::string folder = ownFolder.empty() ? "." : ownFolder;

    // GetTempFileNameA creates the (empty) temporary file in the target's own folder, so
    // that the move below is a rename on one volume.
    char temporary[MAX_PATH] = {};
    if (::GetTempFileNameA(folder.c_str(), "ini", 0, temporary) == 0) {
        return ::GetLastError() == ERROR_ACCESS_DENIED ? Replaced::NoNewFileHere : Replaced::Failed;
    }
    const HANDLE file = ::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ::DeleteFileA(temporary);
        return Replaced::Failed;
    }
    bool ok = WriteAll(file, content) && ::FlushFileBuffers(file) != 0;
    ok = (::CloseHandle(file) != 0) && ok;
    // ReplaceFileA keeps the existing file's attributes and access rights; a new file is
    // simply moved into place.
    const bool exists = ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    ok = ok && (exists ? ::ReplaceFileA(path.c_str(), temporary, nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                       : ::MoveFileExA(temporary, path.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
    if (!ok) {
        ::DeleteFileA(temporary);
        return Replaced::Failed;
    }
    return Replaced::Done;
}

bool ReadAll(HANDLE file, std::string& content) {
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        content.append(buffer, got);
    }
}

bool WriteFrom(HANDLE file, const std::string& content) {
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0 && WriteAll(file, content) &&
           ::SetEndOfFile(file) != 0 && ::FlushFileBuffers(file) != 0;
}

// Overwrites the file itself; the room for a longer content is taken first, and the old
// content is written back when the write fails.
bool ReplaceInPlace(const std::string& path, const std::string& content) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string old;
    bool ok = ReadAll(file, old);
    if (ok && content.size() > old.size()) {
        LARGE_INTEGER size{};
        size.QuadPart = static_cast<LONGLONG>(content.size());
        LARGE_INTEGER oldSize{};
        oldSize.QuadPart = static_cast<LONGLONG>(old.size());
        ok = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) != 0 && ::SetEndOfFile(file) != 0;
        if (!ok) {
            ::SetFilePointerEx(file, oldSize, nullptr, FILE_BEGIN);
            ::SetEndOfFile(file);
        }
    }
    if (ok && !WriteFrom(file, content)) {
        WriteFrom(file, old);
        ok = false;
    }
    return (::CloseHandle(file) != 0) && ok;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& content) {
    return ReplaceByMove(path, content) == Replaced::Done;
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    switch (ReplaceByMove(path, content)) {
        case Replaced::Done:
            return true;
        case Replaced::Failed:
            return false;
        case Replaced::NoNewFileHere:
            break;
    }
    return QueryFileWriteState(path) == FileWriteState::Writable && ReplaceInPlace(path, content);
}

FileUpdateLock::FileUpdateLock(const std::string& path) {
    // One mutex per folder, named by a hash of its full path without regard to case.
    char full[MAX_PATH] = {};
    char* name = nullptr;
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
    std::string folder = (length > 0 && length < MAX_PATH) ? std::string(full) : path;
    if (name != nullptr) {
        folder.resize(static_cast<std::size_t>(name - full));
    }
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (char c : folder) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        hash = (hash ^ static_cast<unsigned char>(lower)) * 1099511628211ULL;
    }
    char mutexName[64];
    std::snprintf(mutexName, sizeof mutexName, "Local\\VormaticFileUpdate-%016llx",
                  static_cast<unsigned long long>(hash));
    const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, mutexName);
    if (mutex == nullptr) {
        return;
    }
    const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

FileUpdateLock::~FileUpdateLock() {
    if (handle_ != kNone) {
        const auto mutex = reinterpret_cast<HANDLE>(handle_);
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
    }
}
