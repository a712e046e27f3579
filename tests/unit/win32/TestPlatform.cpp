// Win32 half of the test helpers.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <stdlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/RegHive.h"
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
    // Windows knows no empty variables: an empty value removes the variable, as "set NAME="
    // does in a command prompt.
    ::_putenv_s(name.c_str(), value != nullptr ? value : "");
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

void SeedRegistry(const std::string&, const std::string& regeditText) {
    const reg::Hive hive = reg::ParseHive(regeditText, "seed");
    for (const reg::RegKey& key : hive.Keys()) {
        const std::size_t slash = key.path.find('\\');
        const std::string rootName = key.path.substr(0, slash);
        const std::string subKey = slash == std::string::npos ? "" : key.path.substr(slash + 1);
        HKEY root = nullptr;
        for (const Redirected& candidate : kRoots) {
            if (rootName == candidate.name) {
                root = candidate.root;
            }
        }
        if (root == nullptr) {
            throw std::runtime_error("no such root: " + rootName);
        }
        HKEY handle = nullptr;
        if (::RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                              nullptr) != ERROR_SUCCESS) {
            throw std::runtime_error("cannot create " + key.path);
        }
        LONG result = ERROR_SUCCESS;
        for (const reg::RegValue& value : key.values) {
            std::string text = value.text;
            const BYTE* data = nullptr;
            DWORD size = 0;
            DWORD type = REG_SZ;
            switch (value.kind) {
                case reg::ValueKind::String:
                case reg::ValueKind::ExpandString:
                    type = value.kind == reg::ValueKind::String ? REG_SZ : REG_EXPAND_SZ;
                    text.push_back('\0');
                    data = reinterpret_cast<const BYTE*>(text.data());
                    size = static_cast<DWORD>(text.size());
                    break;
                case reg::ValueKind::Dword:
                    type = REG_DWORD;
                    data = reinterpret_cast<const BYTE*>(&value.dword);
                    size = sizeof value.dword;
                    break;
                case reg::ValueKind::Binary:
                    type = value.binaryType;
                    data = value.bytes.data();
                    size = static_cast<DWORD>(value.bytes.size());
                    break;
            }
            result = ::RegSetValueExA(handle, value.name.c_str(), 0, type, data, size);
            if (result != ERROR_SUCCESS) {
                break;
            }
        }
        ::RegCloseKey(handle);
        if (result != ERROR_SUCCESS) {
            throw std::runtime_error("cannot write a value of " + key.path);
        }
    }
}

int RunProgram(const std::string& program, const std::string& workingDir, std::string* output) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return -1;
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    // The child reads nothing; it gets NUL rather than whatever this process was given.
    HANDLE nothing = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    const BOOL started = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          TRUE, 0, nullptr, workingDir.c_str(), &startup, &process);
    ::CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE) {
        ::CloseHandle(nothing);
    }
    if (!started) {
        ::CloseHandle(readEnd);
        return -1;
    }
    char chunk[256];
    DWORD got = 0;
    while (::ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        output->append(chunk, got);
    }
    ::CloseHandle(readEnd);
    // The C runtime writes text lines with CR LF; callers compare lines ending in LF.
    std::string::size_type at = 0;
    while ((at = output->find("\r\n", at)) != std::string::npos) {
        output->erase(at, 1);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return static_cast<int>(code);
}

namespace {

// One entry of the system's handle table as NtQuerySystemInformation(SystemHandleInformation)
// returns it; Windows keeps a 16-bit process id in the first field, Wine a 32-bit one, which
// agree in their low 16 bits.
struct SystemHandleEntry {
    ULONG ownerProcess;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    void* object;
    ULONG access;
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

// Wine does not count a process's handles in GetProcessHandleCount; its system handle table
// lists them with their owner.
int HandlesInTheSystemTable() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    const FARPROC found =
        ntdll != nullptr ? ::GetProcAddress(ntdll, "NtQuerySystemInformation") : nullptr;
    // Through void* because GetProcAddress hands every function back under one type.
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(found));
    if (query == nullptr) {
        return -1;
    }
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<std::uint64_t> buffer(8192);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t));
        const LONG status = query(kSystemHandleInformation, buffer.data(), size, &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (status != 0) {
            return -1;
        }
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + 1);
        const ULONG self = ::GetCurrentProcessId() & 0xFFFF;
        int mine = 0;
        for (ULONG i = 0; i < count; ++i) {
            mine += (entries[i].ownerProcess & 0xFFFF) == self ? 1 : 0;
        }
        return mine;
    }
    return -1;
}

}  // namespace

int OpenHandleCount() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count != 0) {
        return static_cast<int>(count);
    }
    return HandlesInTheSystemTable();
}

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool ValuesEnumerateInInsertionOrder() {
    // Windows enumerates a key's values in the order they were added; Wine's server keeps
    // them sorted by name.
    return !UnderWine();
}

}  // namespace testplatform
