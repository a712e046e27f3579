// POSIX half of the test helpers.
#include <dirent.h>
#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "tests/unit/TestPlatform.h"

namespace testplatform {

void SetVariable(const std::string& name, const char* value) {
    if (value != nullptr) {
        ::setenv(name.c_str(), value, 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

std::string MakeTempFolder() {
    const char* base = std::getenv("TMPDIR");
    const std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/vormatic-unit-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed for " + pattern);
    }
    return buffer.data();
}

// The POSIX registry lives in files; RegistrySandbox points the folder variable at its own.
RegistryRedirect::RegistryRedirect() = default;
RegistryRedirect::~RegistryRedirect() = default;

int OpenHandleCount() {
    int count = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(fds)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(fds);
        return count - 1;  // the listing's own descriptor
    }
    return -1;
}

}  // namespace testplatform
