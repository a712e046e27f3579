#pragma once
// The registry seam. On Windows these functions reach the real registry; on POSIX they
// work on one REGEDIT4 text file per hive in the registry folder (see RegistryFolder()).
// Key paths use backslashes ("Software\\Quorvanta\\VormaticInstaller\\Prefs"); key and
// value names compare without regard to letter case; values enumerate in insertion order.
// Every failure raises RegistryError with a text that can be shown to the user.

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace reg {

enum class Root { CurrentUser, LocalMachine, ClassesRoot };

class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by ValueNames when only the first names of a key could be read: the emulated
// SERIALCOMM key lists the live devices before the values of a hive that may be damaged.
// `names` holds the names read before the failure.
class PartialValueList : public RegistryError {
public:
    PartialValueList(const std::string& what, std::vector<std::string> namesRead)
        : RegistryError(what), names(std::move(namesRead)) {}
    std::vector<std::string> names;
};

// True when the key exists (false, not an error, when it or its hive is missing).
bool KeyExists(Root root, const std::string& key);

// Creates the key and every missing parent. Raises RegistryError when it cannot.
void CreateKey(Root root, const std::string& key);

// The names of the key's values in enumeration order; empty when the key is missing.
// Raises PartialValueList when a failure came after some names were read.
std::vector<std::string> ValueNames(Root root, const std::string& key);

// The string value (REG_SZ or REG_EXPAND_SZ) "name" of the key; "" names the default value.
// nullopt when the key or the value is missing; RegistryError when the value is not a string.
std::optional<std::string> ReadString(Root root, const std::string& key, const std::string& name);

// Writes a REG_SZ value, creating the key first when it is missing.
void WriteString(Root root, const std::string& key, const std::string& name,
                 const std::string& value);

// Removes a value; a missing key or value is not an error.
void DeleteValue(Root root, const std::string& key, const std::string& name);

// "HKEY_CURRENT_USER" and so on, as regedit names the roots.
const char* RootName(Root root);
// "HKEY_CURRENT_USER\\Software\\X" for (CurrentUser, "Software\\X"); the root alone for "".
std::string RootedKeyPath(Root root, const std::string& key);

// POSIX only: the folder that holds the hive files ($VORMATIC_REGISTRY_DIR, or
// $XDG_CONFIG_HOME/vormatic-installer/registry). Empty on Windows.
std::string RegistryFolder();

}  // namespace reg
