#pragma once
// A small INI updater with the profile-string semantics of Windows: section and key names
// compare without regard to case, a missing section is appended at the end, a missing key
// is added at the end of its section. Every other byte of the file (comments, other
// sections, line ends, blank lines) is kept as it was.

#include <optional>
#include <string>

// Pure text operations, for tests and for the file functions below.
std::string IniSetValue(const std::string& content, const std::string& section,
                        const std::string& key, const std::string& value);
std::optional<std::string> IniGetValue(const std::string& content, const std::string& section,
                                       const std::string& key);

// Rewrites the file with the entry set (the file is created when missing). Returns false when
// the file cannot be read or written; the file is then unchanged. The write is atomic.
bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);
std::optional<std::string> ReadIniString(const std::string& path, const std::string& section,
                                         const std::string& key);
