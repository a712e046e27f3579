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
