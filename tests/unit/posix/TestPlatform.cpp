// POSIX half of the test helpers.
#include <dirent.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

void SeedRegistry(const std::string& hivePath, const std::string& regeditText) {
    std::ofstream out(hivePath, std::ios::binary | std::ios::trunc);
    out << regeditText;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + hivePath);
    }
}

int RunProgram(const std::string& program, const std::string& workingDir, std::string* output) {
    const std::string command = "cd '" + workingDir + "' && '" + program + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char chunk[256];
    while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) {
        output->append(chunk, got);
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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

bool UnderWine() {
    return false;
}

bool ValuesEnumerateInInsertionOrder() {
    return true;
}

}  // namespace testplatform
