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

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            items.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return items;
}

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return text.substr(text.size());
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
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
