// The registry on Windows: the real registry through the ANSI functions of advapi32.
// Every handle is closed by KeyHandle on every path; every failure other than "not found"
// raises RegistryError with the system's own text.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "host/RegHive.h"
#include "host/Registry.h"

namespace reg {
namespace {

HKEY RootKey(Root root) {
    switch (root) {
        case Root::CurrentUser:
            return HKEY_CURRENT_USER;
        case Root::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case Root::ClassesRoot:
            return HKEY_CLASSES_ROOT;
    }
    return HKEY_CURRENT_USER;
}

std::string SystemMessage(LONG code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
    } else {
        text = "error " + std::to_string(code);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

std::string FailureText(const char* action, const std::string& fullPath, LONG code) {
    return std::string(action) + " " + fullPath + ": " + SystemMessage(code) + ".";
}

[[noreturn]] void Fail(const char* action, const std::string& fullPath, LONG code) {
    throw RegistryError(FailureText(action, fullPath, code));
}

std::string DisplayName(const std::string& valueName) {
    return valueName.empty() ? std::string("(Default)") : valueName;
}

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    HKEY Get() const { return key_; }
    PHKEY Out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// Opens an existing key. False when it does not exist; other failures raise.
bool OpenKey(Root root, const std::string& key, REGSAM access, KeyHandle& handle) {
    const LONG result = RegOpenKeyExA(RootKey(root), key.c_str(), 0, access, handle.Out());
    if (result == ERROR_FILE_NOT_FOUND) {
        return false;
    }
    if (result != ERROR_SUCCESS) {
        Fail("Unable to open the registry key", RootedKeyPath(root, key), result);
    }
    return true;
}

void CreateKeyHandle(Root root, const std::string& key, REGSAM access, KeyHandle& handle) {
    const LONG result =
        RegCreateKeyExA(RootKey(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, handle.Out(), nullptr);
    if (result != ERROR_SUCCESS) {
        Fail("Unable to create the registry key", RootedKeyPath(root, key), result);
    }
}

}  // namespace

std::string RegistryFolder() {
    return {};
}

bool KeyExists(Root root, const std::string& key) {
    const std::string path = NormalizeKeyPath(key);
    KeyHandle handle;
    const LONG result = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ, handle.Out());
    if (result == ERROR_SUCCESS || result == ERROR_ACCESS_DENIED) {
        return true;  // a key we may not read still exists
    }
    if (result == ERROR_FILE_NOT_FOUND) {
        return false;
    }
    Fail("Unable to open the registry key", RootedKeyPath(root, path), result);
}

void CreateKey(Root root, const std::string& key) {
    KeyHandle handle;
    CreateKeyHandle(root, NormalizeKeyPath(key), KEY_WRITE, handle);
}

std::vector<std::string> ValueNames(Root root, const std::string& key) {
    const std::string path = NormalizeKeyPath(key);
    std::vector<std::string> names;
    KeyHandle handle;
    if (!OpenKey(root, path, KEY_READ, handle)) {
        return names;
    }
    DWORD longestName = 0;
    LONG result = RegQueryInfoKeyA(handle.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, &longestName, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
        Fail("Unable to read the registry key", RootedKeyPath(root, path), result);
    }
    std::vector<char> name(static_cast<std::size_t>(longestName) + 2);
    DWORD index = 0;
    while (true) {
        DWORD length = static_cast<DWORD>(name.size());
        result = RegEnumValueA(handle.Get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                               nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result == ERROR_MORE_DATA && name.size() < 65536) {
            name.resize(name.size() * 2);  // a longer name was added meanwhile; try again
            continue;
        }
        if (result != ERROR_SUCCESS) {
            const std::string text =
                FailureText("Unable to read the registry key", RootedKeyPath(root, path), result);
            if (names.empty()) {
                throw RegistryError(text);
            }
            throw PartialValueList(text, std::move(names));
        }
        names.emplace_back(name.data(), length);
        ++index;
    }
    return names;
}

std::optional<std::string> ReadString(Root root, const std::string& key, const std::string& name) {
    const std::string path = NormalizeKeyPath(key);
    KeyHandle handle;
    if (!OpenKey(root, path, KEY_QUERY_VALUE, handle)) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data;
    // The value may grow between the two calls; ask again with the new size.
    for (int attempt = 0; result == ERROR_SUCCESS || result == ERROR_MORE_DATA; ++attempt) {
        if (attempt == 8) {
            break;
        }
        data.assign(static_cast<std::size_t>(size) + 1, 0);
        DWORD got = size;
        result = RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, data.data(), &got);
        if (result == ERROR_SUCCESS) {
            size = got;
            break;
        }
        if (result == ERROR_MORE_DATA) {
            size = got;
        }
    }
    if (result == ERROR_FILE_NOT_FOUND) {
        return std::nullopt;
    }
    if (result != ERROR_SUCCESS) {
        Fail("Unable to read a value of the registry key", RootedKeyPath(root, path), result);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        throw RegistryError("The registry value \"" + DisplayName(name) + "\" of " +
                            RootedKeyPath(root, path) + " is not a string.");
    }
    // The stored data may or may not carry its terminator; the text ends at the first NUL.
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        text.resize(nul);
    }
    return text;
}

void WriteString(Root root, const std::string& key, const std::string& name,
                 const std::string& value) {
    const std::string path = NormalizeKeyPath(key);
    KeyHandle handle;
    CreateKeyHandle(root, path, KEY_SET_VALUE, handle);
    const LONG result = RegSetValueExA(
        handle.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
        static_cast<DWORD>(value.size() + 1));  // with the terminator
    if (result != ERROR_SUCCESS) {
        Fail("Unable to write a value of the registry key", RootedKeyPath(root, path), result);
    }
}

void DeleteValue(Root root, const std::string& key, const std::string& name) {
    const std::string path = NormalizeKeyPath(key);
    KeyHandle handle;
    if (!OpenKey(root, path, KEY_SET_VALUE, handle)) {
        return;
    }
    const LONG result = RegDeleteValueA(handle.Get(), name.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        Fail("Unable to delete a value of the registry key", RootedKeyPath(root, path), result);
    }
}

}  // namespace reg
