#pragma once
// Paths of the running program and of the machine's shared folders.

#include <string>

// The all-users application data folder (Windows: CSIDL_COMMON_APPDATA; POSIX: the first
// entry of $XDG_CONFIG_DIRS, default /etc/xdg). No trailing separator; "" on failure.
std::string CommonAppDataPath();

// True for a character that separates a path's folders: '/', and on Windows '\\' too.
bool IsPathSeparator(char c);

// The folder part of `path`, up to and including its last separator; "" for a bare name.
std::string FolderOfFile(const std::string& path);

// Creates the folder part of `filePath` (up to its last separator) with every missing
// parent. Failures are not reported.
void EnsureFileDirectory(const std::string& filePath);

// Directory of the running program's file, ending in the platform's separator.
std::string ProgramDirectory();

// Makes ProgramDirectory() return `directory` (ending in a separator) instead of the
// program's own folder; "" undoes it. For tests that lay out a CD tree of their own.
void OverrideProgramDirectory(const std::string& directory);

// Full path of the running program's file.
std::string ProgramPath();

// The platform's path separator as text: "\\" on Windows, "/" elsewhere.
const char* PathSeparator();

// Turns a path written with backslashes (as the CD layout names them) into a native path.
std::string NativePath(const std::string& path);

bool FileExists(const std::string& path);

// Where the COM port redirector's installer puts its manager program: Windows
// "c:\program files\lantronix\cpr4.3\CprManager.exe"; POSIX, where a user installs without
// root, $XDG_DATA_HOME/lantronix/cpr4.3/CprManager.exe (default ~/.local/share/...).
std::string RedirectorManagerDefaultPath();

// Where the Browse dialog for the manager starts: Windows "C:\\"; POSIX the home folder.
std::string RedirectorBrowseFolder();
