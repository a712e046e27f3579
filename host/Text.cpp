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
