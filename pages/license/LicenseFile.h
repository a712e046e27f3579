#pragma once
// Reading the licence text file.

#include <QString>

// The licence file's name; a bare name, so it is looked up in the current directory.
inline constexpr const char* kLicenseFileName = "Quorvanta Software License.txt";

// The lines of the text file `fileName` joined with "\n" (CR LF, LF and CR all end a line).
// Throws std::runtime_error with the reason when the file cannot be opened or read.
QString ReadLicenseText(const QString& fileName);
