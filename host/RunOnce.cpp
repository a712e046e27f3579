#include "host/RunOnce.h"

std::string RunOnceCommandLine(const std::string& programPath, const std::string& argument) {
    // Unquoted, a path with a blank would be cut at the blank by whoever splits the line
    // (Windows would even try "C:\Program.exe" first).
    const bool quote = programPath.find_first_of(" \t") != std::string::npos;
    return (quote ? "\"" + programPath + "\"" : programPath) + " " + argument;
}
