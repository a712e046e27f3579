#include "host/OsVersion.h"

#include <cstdlib>

namespace {

// Reads a decimal number of at most four digits from `text` at `at`; false when there is none.
bool ReadNumber(const std::string& text, std::size_t& at, unsigned long& value) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 4) {
        value = value * 10 + static_cast<unsigned long>(text[at] - '0');
        ++at;
    }
    return at > start;
}

}  // namespace

std::optional<WindowsVersion> ParseWindowsVersion(const std::string& text) {
    std::size_t at = 0;
    WindowsVersion version;
    version.platformId = kPlatformWin32Nt;
    if (!ReadNumber(text, at, version.major) || at >= text.size() || text[at] != '.') {
        return std::nullopt;
    }
    ++at;
    if (!ReadNumber(text, at, version.minor) || at != text.size()) {
        return std::nullopt;
    }
    return version;
}

WindowsVersion QueryWindowsVersion() {
    if (const char* forced = std::getenv("VORMATIC_WINDOWS_VERSION"); forced != nullptr) {
        if (const std::optional<WindowsVersion> version = ParseWindowsVersion(forced)) {
            return *version;
        }
    }
    return SystemWindowsVersion();
}
