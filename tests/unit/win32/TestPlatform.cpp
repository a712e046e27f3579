// Win32 half of the test helpers.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <stdlib.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/unit/TestPlatform.h"

namespace testplatform {
namespace {

struct Redirected {
    HKEY root;
    const char* name;
};
const Redirected kRoots[] = {{HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                                 {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                                 {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"}};

int g_sandboxes = 0;

}  // namespace

void SetVariable(const std::string& name, const char* value) {
    // An empty value removes the variable, from the C runtime's copy and the process's.
    ::_putenv_s(name.c_str(), value != nullptr ? value : "");
    if (value != nullptr && value[0] == '\0') {
        // _putenv_s cannot set an empty value; the process environment can, and getenv of
        // the runtime then reports it as missing, which the host code treats alike.
        ::SetEnvironmentVariableA(name.c_str(), "");
    }
}

std::string MakeTempFolder() {
    char base[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) {
        throw std::runtime_error("GetTempPathA failed");
    }
    std::string folder(base, length);
    while (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string path = folder + "\\vormatic-unit-" +
                                 std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(++counter);
        if (::CreateDirectoryA(path.c_str(), nullptr)) {
            return path;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot make a temporary folder in " + folder);
}

namespace {

// The sandboxes alive, innermost last; an inner one ending hands the roots back to the outer.
std::vector<std::string>& ActiveBases() {
    static std::vector<std::string> bases;
    return bases;
}

void RestoreRoots() {
    for (const Redirected& root : kRoots) {
        ::RegOverridePredefKey(root.root, nullptr);
    }
}

// Points the three roots at the keys below HKCU\`base` (made when missing).
void RedirectRoots(const std::string& base) {
    RestoreRoots();
    HKEY keys[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::string path = base + "\\" + kRoots[i].name;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &keys[i], nullptr) != ERROR_SUCCESS) {
            for (int j = 0; j < i; ++j) {
                ::RegCloseKey(keys[j]);
            }
            throw std::runtime_error("cannot create the test registry key " + path);
        }
    }
    // The override keeps its own duplicate of each key.
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        ok = ::RegOverridePredefKey(kRoots[i].root, keys[i]) == ERROR_SUCCESS && ok;
        ::RegCloseKey(keys[i]);
    }
    if (!ok) {
        RestoreRoots();
        throw std::runtime_error("RegOverridePredefKey failed");
    }
}

}  // namespace

RegistryRedirect::RegistryRedirect() {
    base_ = "Software\\VormaticUnitTest\\" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(++g_sandboxes);
    RedirectRoots(base_);
    ActiveBases().push_back(base_);
}

RegistryRedirect::~RegistryRedirect() {
    std::vector<std::string>& bases = ActiveBases();
    bases.pop_back();
    RestoreRoots();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    if (!bases.empty()) {
        try {
            RedirectRoots(bases.back());
        } catch (const std::exception&) {
            // the outer sandbox's test then fails on the real registry's contents
        }
    }
}

int OpenHandleCount() {
    DWORD count = 0;
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &count) || count == 0) {
        return -1;
    }
    return static_cast<int>(count);
}

}  // namespace testplatform
