#pragma once
// The COM port inventory: the ports HKLM "HARDWARE\DEVICEMAP\SERIALCOMM" lists, the newly
// added port, and the saved list "BeforePorts" of the program's own registry key.

#include <optional>
#include <string>
#include <vector>

using PortList = std::vector<std::string>;

inline constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
inline constexpr const char* kInstallerPrefsKey = "Software\\Quorvanta\\VormaticInstaller\\Prefs";

// True when the SERIALCOMM value `valueName` was registered by a program that has ended since
// without removing it (POSIX, see host/posix/PortOwner.h): such a value names no port, and
// may name a terminal someone else now has. Never on Windows, where the key is the drivers'.
bool IsOrphanedPortValue(const std::string& valueName);

// Appends the current port names to `target` (may be null: the key is still read). Values
// whose owner is gone (IsOrphanedPortValue) are left out.
// Returns "" on success, or the failure's text when a value could not be read; the names
// read before the failure stay in `target`. A missing key is not a failure.
std::string ListComPorts(PortList* target);

// The first current port (case-insensitively) missing from `before`, or "" when the current
// list is not longer than `before` or every name is known. `current` is the list to compare.
std::string FindNewPortIn(const PortList& current, const PortList& before);
// The same against a fresh ListComPorts(). The listing's failure text, if any, goes to
// `failure` when given; the comparison then uses the names read before the failure.
std::string FindNewPort(const PortList& before, std::string* failure = nullptr);

// "COM1,COM3," for {COM1, COM3}; "" for an empty list.
std::string FormatBeforePorts(const PortList& ports);
// The inverse: "COM1,COM3," and "COM1,COM3" give {COM1, COM3}. An empty entry ("COM1,,COM3,",
// ",,,,") is no port and is left out, so that it cannot make the saved list look longer than
// the ports it names. Linear in the length of the text.
PortList ParseBeforePorts(const std::string& text);

// Stores/loads the list as "BeforePorts" under HKCU kInstallerPrefsKey. A failed save keeps
// the older value and returns the registry's failure text ("" on success); a failed load
// yields what was read.
std::string SaveBeforePorts(const PortList& ports);
PortList LoadBeforePorts();
// The stored list, or nullopt when none was saved or it cannot be read (a damaged hive, a
// value that is not a string): then nothing is known of the ports before. An empty list is
// a saved list of a PC that had no COM port.
std::optional<PortList> ReadBeforePorts();
