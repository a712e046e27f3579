#include "host/Text.h"

#include <cstddef>

std::string SplitToken(std::string& text, const std::string& separator) {
    // An empty separator never matches: splitting on it would return "" forever and leave
    // the text as it was, so a caller's token loop would never end.
    const std::size_t found = separator.empty() ? std::string::npos : text.find(separator);
    if (found == std::string::npos) {
        std::string whole;
        whole.swap(text);
        return whole;
    }
    std::string token = text.substr(0, found);
    text.erase(0, found + separator.size());
    return token;
}

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::u32string> DecodeUtf8(std::string_view text) {
    std::u32string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = -1;  // continuation bytes after the lead byte
        if (lead < 0x80) {
            extra = 0;
        } else if ((lead >> 5) == 0x6) {
            extra = 1;
        } else if ((lead >> 4) == 0xE) {
            extra = 2;
        } else if ((lead >> 3) == 0x1E) {
            extra = 3;
        }
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            return std::nullopt;
        }
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return std::nullopt;
        }
        out += c;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    return DecodeUtf8(text).has_value();
}
