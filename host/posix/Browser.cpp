#include "host/Browser.h"

#include <cstdlib>

std::optional<std::string> RegisteredBrowserCommand() {
    const char* browser = std::getenv("BROWSER");
    if (!browser) {
        return std::nullopt;
    }
    return std::string(browser);
}
