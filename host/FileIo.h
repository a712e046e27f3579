#pragma once
// Whole-file reads and atomic replacement, shared by the branding store and the INI updater.

#include <cstdint>
#include <optional>
#include <string>

// The file's bytes; nullopt when it cannot be opened or a read fails part way.
std::optional<std::string> ReadFileBytes(const std::string& path);

// What replacing a file would meet.
enum class FileWriteState {
    Missing,   // no file yet (its folder may or may not exist)
    Writable,  // a regular file that may be replaced
    ReadOnly,  // a regular file marked read-only (no write permission for anyone, or for us)
    Unusable,  // a folder, a device, or a path that cannot be examined
};
FileWriteState QueryFileWriteState(const std::string& path);

// Writes `content` to a new file in the folder of `path` and renames it over `path`, so that
// readers see either the old or the new file, never a part. A file that exists keeps its
// permissions. False (and `path` untouched) on any failure. POSIX: the new file is
// ".NAME.PID.N.tmp"; such files that an earlier writer of the same file left when it was
// killed (its process has ended) are removed first.
bool ReplaceFileAtomically(const std::string& path, const std::string& content);

// Replaces the content of the file at `path`, keeping its permissions: atomically as above
// where its folder lets a new file be made beside it; otherwise (a writable file in a folder
// the user may not write) in place, where the room for the new content is taken first and the
// old content is written back if the write fails, so that nothing of the file is lost.
bool ReplaceFileContent(const std::string& path, const std::string& content);

// Holds, among processes, the lock on read-modify-replace cycles of the files in the folder of
// `path` (POSIX: flock on the folder, which outlives the files renamed over each other;
// Windows: a named mutex for the folder). Where it cannot be taken (a folder that cannot be
// opened) the cycle runs unlocked, as before.
class FileUpdateLock {
public:
    explicit FileUpdateLock(const std::string& path);
    ~FileUpdateLock();
    FileUpdateLock(const FileUpdateLock&) = delete;
    FileUpdateLock& operator=(const FileUpdateLock&) = delete;
    bool Locked() const { return handle_ != kNone; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // descriptor or HANDLE
};
