#pragma once
// What the unit tests need from the platform they run on, with one implementation per
// platform (posix/TestPlatform.cpp, win32/TestPlatform.cpp).

#include <cstdlib>
#include <optional>
#include <string>

namespace testplatform {

// Sets the environment variable, or removes it when `value` is null, for this process and the
// functions of the host layer that read it.
void SetVariable(const std::string& name, const char* value);

// Creates a new, empty folder for one test below the system's temporary folder and returns it
// without a trailing separator (Windows: a drive path with backslashes).
std::string MakeTempFolder();

// Gives the unit test's registry calls a private, empty registry until the sandbox ends:
// POSIX through the registry folder variable (RegistrySandbox.h), Windows by redirecting
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT of this process to keys made
// for the test in Wine's or Windows' own registry.
class RegistryRedirect {
public:
    RegistryRedirect();
    ~RegistryRedirect();
    RegistryRedirect(const RegistryRedirect&) = delete;
    RegistryRedirect& operator=(const RegistryRedirect&) = delete;

private:
    std::string base_;  // Windows: the key below HKCU that holds the three roots
};

// Stores the values of a REGEDIT4 text as another program would have: POSIX writes the text
// as the hive file `hivePath`; Windows writes each key and value of the text, of its own
// kind, into the (redirected) registry and ignores `hivePath`.
void SeedRegistry(const std::string& hivePath, const std::string& regeditText);

// Runs `program` (no arguments) in `workingDir` with this process's environment, collects what
// it writes to its standard output into `output` (lines ending in LF) and returns its exit code (-1
// when it could not be started).
int RunProgram(const std::string& program, const std::string& workingDir, std::string* output);

// The number of handles the process holds (registry keys, files, devices), or -1 where the
// system does not tell (POSIX: open descriptors).
int OpenHandleCount();

// True when the Windows program runs under Wine rather than on Windows itself.
bool UnderWine();

// False where the registry lists a key's values in another order than they were added (Wine
// sorts them by name); the program must not depend on that order there.
bool ValuesEnumerateInInsertionOrder();

}  // namespace testplatform

// Sets (or, with a null value, unsets) an environment variable until it goes out of scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const char* value) { testplatform::SetVariable(name_, value); }

private:
    std::string name_;
    std::optional<std::string> old_;
};
