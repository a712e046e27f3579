#pragma once
// A small INI updater with the profile-string semantics of Windows: section and key names
// compare without regard to case, a missing section is appended at the end, a missing key
// is added at the end of its section. Every other byte of the file (comments, other
// sections, line ends, blank lines) is kept as it was.

#include <optional>
#include <string>
#include <string_view>

// What a reader trims from names and values: blank, tab, CR, VT and FF.
inline constexpr std::string_view kIniBlanks = " \t\r\v\f";

// Pure text operations, for tests and for the file functions below.
std::string IniSetValue(const std::string& content, const std::string& section,
                        const std::string& key, const std::string& value);
std::optional<std::string> IniGetValue(const std::string& content, const std::string& section,
                                       const std::string& key);

// The whole file: the bytes of an INI file after setting the entry, in the file's own
// encoding (UTF-16 or UTF-8 with a byte order mark, otherwise 8-bit text). nullopt when the
// file cannot be updated faithfully: an 8-bit file holding NUL (UTF-16 without a mark), cut
// UTF-16, a value a Unicode file cannot hold as UTF-8, or an entry a reader would not see.
std::optional<std::string> IniUpdateFileBytes(const std::string& fileBytes,
                                              const std::string& section, const std::string& key,
                                              const std::string& value);
// The value a reader of those bytes sees (UTF-8 for a Unicode file).
std::optional<std::string> IniReadFileBytes(const std::string& fileBytes,
                                            const std::string& section, const std::string& key);

// Sets the entry in the file (created when missing, its folder is not). Returns false when
// the file cannot be read, updated faithfully or written; the file is then unchanged. The
// read-modify-replace runs under a lock that other writers of the folder's files take too;
// the file is replaced atomically where its folder allows, else updated in place, and keeps
// its permissions.
bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);
std::optional<std::string> ReadIniString(const std::string& path, const std::string& section,
                                         const std::string& key);
