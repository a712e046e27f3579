#pragma once
// Whole-file reads and atomic replacement, shared by the branding store and the INI updater.

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
// permissions. False (and `path` untouched) on any failure.
bool ReplaceFileAtomically(const std::string& path, const std::string& content);
