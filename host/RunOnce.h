#pragma once
// Running the wizard once more at the next logon. The value "VormaticInstaller" under
// HKCU kRunOnceKey holds the command line; on POSIX an XDG autostart entry carries it out,
// and the program removes both when it resumes.

#include <string>

inline constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunOnceValue = "VormaticInstaller";

// "path argument"; the path is quoted when it holds a blank.
std::string RunOnceCommandLine(const std::string& programPath, const std::string& argument);

// Writes the RunOnce value and the platform's launcher. False on any failure.
bool RegisterRunOnceEntry(const std::string& programPath, const std::string& argument);

// Removes what RegisterRunOnceEntry left for this program (POSIX; nothing on Windows,
// where the system deletes a RunOnce value before running it).
void ClearRunOnceEntry();

// POSIX: $XDG_CONFIG_HOME/autostart/vormatic-installer.desktop ("" on Windows).
std::string AutostartEntryPath();
