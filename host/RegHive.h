#pragma once
// An in-memory registry hive and its REGEDIT4 text form, the storage of the POSIX registry.
//
// Keys are kept in file order under their full path ("HKEY_CURRENT_USER\Software\X"), values
// in insertion order; names are looked up without regard to ASCII letter case, and the
// spelling first used is kept. Four kinds of value exist:
//   String        "name"="text"            (REG_SZ; written as hex(1) when the text holds a
//                                           line break or a NUL, which a quoted line cannot)
//   ExpandString  "name"=hex(2):..,00      (REG_EXPAND_SZ, 8-bit text with its terminator)
//   Dword         "name"=dword:0000000a    (REG_DWORD)
//   Binary        "name"=hex:.. / hex(N):.. (REG_BINARY, or any other type N kept as bytes)
// The default value has the empty name and is written "@".
//
// Comment lines (";...") are kept where they stand: before the first key, before a value, or
// after a key's last value. Keys are indexed by their folded path, so finding one costs the
// same in a hive of 16,000 keys as in one of ten.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/Registry.h"

namespace reg {

enum class ValueKind { String, ExpandString, Dword, Binary };

inline constexpr std::uint32_t kTypeString = 1;        // REG_SZ
inline constexpr std::uint32_t kTypeExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kTypeBinary = 3;        // REG_BINARY
inline constexpr std::uint32_t kTypeDword = 4;         // REG_DWORD

struct RegValue {
    std::string name;  // "" = the default value
    ValueKind kind = ValueKind::String;
    std::string text;                        // String, ExpandString
    std::uint32_t dword = 0;                 // Dword
    std::uint32_t binaryType = kTypeBinary;  // Binary: the REG_ type number N of hex(N)
    std::vector<std::uint8_t> bytes;         // Binary
    std::vector<std::string> comments;       // comment lines just before the value

    static RegValue String(std::string valueName, std::string data);
    bool IsString() const { return kind == ValueKind::String || kind == ValueKind::ExpandString; }
    bool operator==(const RegValue&) const = default;
};

struct RegKey {
    std::string path;  // full path, root name first, single backslashes, no trailing one
    std::vector<RegValue> values;
    std::vector<std::string> trailingComments;  // comment lines after the last value

    const RegValue* FindValue(const std::string& name) const;
    RegValue* FindValue(const std::string& name);
    // Replaces the value of the same name in its place (keeping the stored spelling of the
    // name and the comments before it), or appends it. Raises RegistryError for a name with a
    // line break or NUL.
    void SetValue(RegValue value);
    // False when there was no such value. Its comments stay, before the value that follows.
    bool RemoveValue(const std::string& name);

    bool operator==(const RegKey&) const = default;
};

class Hive {
public:
    const std::vector<RegKey>& Keys() const { return keys_; }

    const RegKey* FindKey(const std::string& path) const;
    RegKey* FindKey(const std::string& path);
    // True when the key is stored or is the parent of a stored key: a parent needs no
    // section of its own, as in a file written by hand.
    bool KeyExists(const std::string& path) const;
    // The key, appended when missing. Raises RegistryError for a path that a file cannot
    // hold (empty, beginning with "-" once its leading backslashes are gone, or with a line
    // break or NUL).
    RegKey& EnsureKey(const std::string& path);

    // Comment lines between the header and the first key.
    std::vector<std::string> headerComments;

    bool operator==(const Hive& other) const {
        return keys_ == other.keys_ && headerComments == other.headerComments;
    }

private:
    std::vector<RegKey> keys_;
    std::unordered_map<std::string, std::size_t> index_;  // folded path -> place in keys_
    std::unordered_set<std::string> parents_;             // folded paths of every ancestor
};

// Case-insensitive (ASCII) equality of key and value names.
bool SameName(const std::string& a, const std::string& b);

// A key path with leading and trailing backslashes removed and runs of them collapsed into
// one: \Software\\X\ becomes Software\X.
std::string NormalizeKeyPath(const std::string& path);

// Reads a REGEDIT4 text. `sourceName` names the file in the error text. A text with nothing
// but blanks is an empty hive. Raises RegistryError "... <sourceName>, line <n>: <problem>".
// A text cut off inside a value is damaged: its last line, when it has no line end, may not
// hold a dword of fewer than eight digits or hex data (which could have gone on), since a
// hive taken as whole there would store a wrong number or lose bytes on its next write.
Hive ParseHive(const std::string& text, const std::string& sourceName);

// The REGEDIT4 text of the hive, CRLF line ends, a blank line after the header and after
// every key, long hex data wrapped with trailing backslashes as regedit does.
std::string SerializeHive(const Hive& hive);

}  // namespace reg
