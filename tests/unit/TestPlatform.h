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

// The number of handles the process holds (registry keys, files, devices), or -1 where the
// system does not tell (POSIX: open descriptors).
int OpenHandleCount();

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
