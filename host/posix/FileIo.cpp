// POSIX half of the file helpers: permission bits, write-then-rename replacement, in-place
// replacement where a folder takes no new file, and the folder lock of update cycles.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/FileIo.h"
#include "host/Paths.h"

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// The file that a rename must replace: a symbolic link is followed, so that the file it
// points at is updated and the link stays a link.
std::optional<std::string> ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    const std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr),
                                                          &std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return std::string(resolved.get());
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t wrote = ::write(fd, content.data() + done, content.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The process id in the name of a temporary file that a replacement of `name` made
// (".NAME.PID.N.tmp"), or 0 when `entry` is not such a file.
pid_t TemporaryOwner(const std::string& entry, const std::string& name) {
    const std::string prefix = "." + name + ".";
    const std::string suffix = ".tmp";
    if (entry.size() <= prefix.size() + suffix.size() || entry.rfind(prefix, 0) != 0 ||
        entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return 0;
    }
    const std::string middle =
        entry.substr(prefix.size(), entry.size() - prefix.size() - suffix.size());
    const std::string::size_type dot = middle.find('.');
    if (dot == 0 || dot == std::string::npos || dot > 9 || dot + 1 == middle.size() ||
        middle.find_first_not_of("0123456789.") != std::string::npos ||
        middle.find('.', dot + 1) != std::string::npos) {
        return 0;
    }
    return static_cast<pid_t>(std::stol(middle.substr(0, dot)));
}

// Removes the temporary files of earlier replacements of `name` whose writer has ended
// without renaming them (it was killed, or the machine went down). A writer that still runs,
// or whose id now belongs to another process, keeps its file.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TemporaryOwner(entry->d_name, name);
        if (owner > 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace

FileWriteState QueryFileWriteState(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? FileWriteState::Missing : FileWriteState::Unusable;
    }
    if (!S_ISREG(info.st_mode)) {
        return FileWriteState::Unusable;
    }
    // A file without any write bit is read-only by intent, like a file with the Windows
    // read-only attribute; the superuser could write it anyway, so test the bits themselves.
    if ((info.st_mode & kAnyWrite) == 0 || ::access(path.c_str(), W_OK) != 0) {
        return FileWriteState::ReadOnly;
    }
    return FileWriteState::Writable;
}

namespace {

enum class Replaced { Done, Failed, NoNewFileHere };

// Write-then-rename in the target's folder; NoNewFileHere when the folder refuses the new file.
Replaced ReplaceByRename(const std::string& target, const std::string& content) {
    const std::string folder = FolderOfFile(target);
    const std::string name = target.substr(folder.size());

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;

    RemoveStaleTemporaries(folder, name);
    // The temporary file sits in the same folder, so that the rename stays on one file system.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                    std::to_string(attempt) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == EACCES || errno == EPERM)) {
            return Replaced::NoNewFileHere;
        }
        if (fd < 0 && errno != EEXIST) {
            return Replaced::Failed;
        }
    }
    if (fd < 0) {
        return Replaced::Failed;
    }

    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
        if (ok && ::geteuid() == 0) {
            // Written by the superuser on someone's behalf: keep the owner. Best effort.
            static_cast<void>(::fchown(fd, existing.st_uid, existing.st_gid));
        }
    }
    ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return Replaced::Failed;
    }
    // Make the rename itself durable; a failure here no longer puts the content at risk.
    const std::string folderPath = folder.empty() ? "." : folder;
    const int folderFd = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        static_cast<void>(::fsync(folderFd));
        ::close(folderFd);
    }
    return Replaced::Done;
}

bool WriteAllAt(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t wrote =
            ::pwrite(fd, content.data() + done, content.size() - done, static_cast<off_t>(done));
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool ReadAll(int fd, std::string& content) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(content.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

// Overwrites the file itself. The room for a longer content is reserved before anything is
// overwritten (a full disk fails here, with the file as it was), and the old content is put
// back when a write fails after all.
bool ReplaceInPlace(const std::string& target, const std::string& content) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::string old;
    bool ok = ReadAll(fd, old);
    if (ok && content.size() > old.size()) {
        ok = ::posix_fallocate(fd, static_cast<off_t>(old.size()),
                               static_cast<off_t>(content.size() - old.size())) == 0;
        if (!ok) {
            static_cast<void>(::ftruncate(fd, static_cast<off_t>(old.size())));
        }
    }
    if (ok && !(WriteAllAt(fd, content) &&
                ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 && ::fsync(fd) == 0)) {
        static_cast<void>(WriteAllAt(fd, old));
        static_cast<void>(::ftruncate(fd, static_cast<off_t>(old.size())));
        static_cast<void>(::fsync(fd));
        ok = false;
    }
    return (::close(fd) == 0) && ok;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& content) {
    const std::optional<std::string> target = ResolveTarget(path);
    return target && !target->empty() && ReplaceByRename(*target, content) == Replaced::Done;
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::optional<std::string> target = ResolveTarget(path);
    if (!target || target->empty()) {
        return false;
    }
    switch (ReplaceByRename(*target, content)) {
        case Replaced::Done:
            return true;
        case Replaced::Failed:
            return false;
        case Replaced::NoNewFileHere:
            break;
    }
    return ::access(target->c_str(), W_OK) == 0 && ReplaceInPlace(*target, content);
}

FileUpdateLock::FileUpdateLock(const std::string& path) {
    const std::optional<std::string> target = ResolveTarget(path);
    const std::string file = target.value_or(path);
    const std::string ownFolder = FolderOfFile(file);
    const std::string folder = ownFolder.empty() ? "." : ownFolder;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    int result = ::flock(fd, LOCK_EX);
    while (result != 0 && errno == EINTR) {
        result = ::flock(fd, LOCK_EX);
    }
    if (result != 0) {
        ::close(fd);
        return;
    }
    handle_ = fd;
}

FileUpdateLock::~FileUpdateLock() {
    if (handle_ != kNone) {
        ::close(static_cast<int>(handle_));  // closing drops the lock
    }
}
