#include "host/posix/XdgConfig.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace xdg {

namespace {

std::string HomeFolder() {
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
        home = env;
    } else {
        passwd entry{};
        passwd* found = nullptr;
        std::vector<char> buffer(16384);
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr) {
            home = found->pw_dir;
        }
    }
    return home;
}

// $`variable` when it is an absolute path, else `fallback` below the home folder.
std::string BaseFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + fallback;
}

}  // namespace

std::string ConfigHome() {
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string DataHome() {
    return BaseFolder("XDG_DATA_HOME", "/.local/share");
}

}  // namespace xdg
