// The INI updater on any file bytes, section, key and value.
//
// Properties: after an update a reader sees the value written (trimmed, as the profile
// functions read it); a second identical update changes nothing; every byte outside the
// changed entry is kept (a replaced value changes one line only, an added entry only inserts);
// another entry reads as before; a refused update is one of the refusals the updater names.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "host/IniFile.h"
#include "host/Text.h"

namespace {

std::string Trimmed(const std::string& text) {
    return std::string(TrimBlanks(text, kIniBlanks));
}

std::string Folded(std::string text) {
    for (char& c : text) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return Trimmed(text);
}

bool IsUnicodeFile(const std::string& bytes) {
    return bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string section = provider.ConsumeRandomLengthString(12);
    const std::string key = provider.ConsumeRandomLengthString(12);
    const std::string value = provider.ConsumeRandomLengthString(24);
    const std::string otherSection = provider.ConsumeRandomLengthString(12);
    const std::string otherKey = provider.ConsumeRandomLengthString(12);
    const std::string file = provider.ConsumeRemainingBytesAsString();
    const std::string what =
        Shown(file) + " [" + Shown(section) + "] " + Shown(key) + "=" + Shown(value);

    const std::optional<std::string> updated = IniUpdateFileBytes(file, section, key, value);
    if (!updated) {
        return 0;
    }
    FUZZ_REQUIRE(IniReadFileBytes(*updated, section, key) == Trimmed(value), what);
    FUZZ_REQUIRE(IniUpdateFileBytes(*updated, section, key, value) == updated, what);

    const bool sameEntry =
        Folded(section) == Folded(otherSection) && Folded(key) == Folded(otherKey);
    if (!sameEntry) {
        FUZZ_REQUIRE(IniReadFileBytes(*updated, otherSection, otherKey) ==
                         IniReadFileBytes(file, otherSection, otherKey),
                     what + " other " + Shown(otherSection) + "/" + Shown(otherKey));
    }

    // One contiguous change: what lies before and after it is the old file's.
    std::size_t prefix = 0;
    while (prefix < file.size() && prefix < updated->size() && file[prefix] == (*updated)[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < file.size() - prefix && suffix < updated->size() - prefix &&
           file[file.size() - 1 - suffix] == (*updated)[updated->size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string removed = file.substr(prefix, file.size() - prefix - suffix);
    if (IniReadFileBytes(file, section, key)) {
        // A replaced value: the change stays inside the entry's line.
        if (!IsUnicodeFile(file)) {
            FUZZ_REQUIRE(removed.find_first_of("\r\n") == std::string::npos, what);
        }
    } else {
        FUZZ_REQUIRE(removed.empty(), what);  // an added entry only inserts
    }
    return 0;
}
