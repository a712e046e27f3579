// The branding file (plstrings.txt) as any bytes a reseller's kit may hold.
//
// Properties: keys and values never hold a line end; a stored key is not empty-trimmed text,
// a comment or text with "="; whatever the file set stands in the file; a file with CR LF
// line ends reads like the same file with LF; a UTF-8 byte order mark changes nothing; the
// last line for a key wins; the private-label flag follows the file's size; keys the file
// does not name keep their defaults.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "host/BrandingStore.h"

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    static const BrandingStore defaults("");
    BrandingStore store("");
    store.ApplyBrandingFile(input);

    const bool marked = input.compare(0, 3, "\xEF\xBB\xBF") == 0;
    FUZZ_REQUIRE(store.IsPrivateLabel() == (input.size() > (marked ? 3U : 0U)), Shown(input));
    for (const auto& [key, value] : store.Entries()) {
        FUZZ_REQUIRE(key.find_first_of("\r\n=") == std::string::npos, Shown(key));
        FUZZ_REQUIRE(value.find_first_of("\r\n") == std::string::npos, Shown(value));
        if (!key.empty()) {
            FUZZ_REQUIRE(static_cast<unsigned char>(key.front()) > 32 && key.front() != '#',
                         Shown(key));
        }
        const auto fallback = defaults.Entries().find(key);
        if (fallback == defaults.Entries().end() || value != fallback->second) {
            FUZZ_REQUIRE(input.find(key) != std::string::npos, Shown(key));
            FUZZ_REQUIRE(input.find(value) != std::string::npos, Shown(value));
        }
    }
    for (const auto& [key, value] : defaults.Entries()) {
        if (input.find(key) == std::string::npos) {
            FUZZ_REQUIRE(store.GetString(key) == value, key);
        }
    }

    if (input.find("\r\n") != std::string::npos) {
        BrandingStore lf("");
        lf.ApplyBrandingFile(Replaced(input, "\r\n", "\n"));
        FUZZ_REQUIRE(lf.Entries() == store.Entries(), Shown(input));
    }

    // A byte order mark in front changes nothing, and a last line for a key wins.
    BrandingStore more("");
    more.ApplyBrandingFile((marked ? "" : "\xEF\xBB\xBF") + input +
                           "\nCompanyNameShort=`Last Line `\n");
    FUZZ_REQUIRE(more.GetString("CompanyNameShort") == "Last Line ", Shown(input));
    auto expected = store.Entries();
    expected["CompanyNameShort"] = "Last Line ";
    FUZZ_REQUIRE(more.Entries() == expected, Shown(input));
    return 0;
}
