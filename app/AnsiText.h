#pragma once
// 8-bit texts of the host layer (the system's ANSI code page) to and from QString. On POSIX a
// text that is valid UTF-8 is read as UTF-8, any other as Windows-1252, the code page of the
// PCs the kits are made on. Every text FromAnsi made goes back to exactly its bytes through
// ToAnsi, also where two byte strings show alike; other texts (typed ones, the program's own)
// are written in the platform's code page.

#include <QString>
#include <string>

QString FromAnsi(const std::string& text);
std::string ToAnsi(const QString& text);
