#pragma once
// Folder creation and whole-file reads that say why they failed, for callers that must tell
// "no file yet" from "cannot read" and show the reason. Writes go through FileIo.h.

#include <string>

namespace fileaccess {

// Creates `dir` with every missing parent. False with `error` set when it cannot.
bool MakeDirectories(const std::string& dir, std::string& error);

// The whole file into `content`. False when it cannot be read; `missing` then tells whether
// the file (or a folder on its path) does not exist, and `error` names the file and reason.
bool ReadFile(const std::string& path, std::string& content, bool& missing, std::string& error);

}  // namespace fileaccess
