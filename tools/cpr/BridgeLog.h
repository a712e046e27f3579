#pragma once
// One line of the bridge's diagnostics on stderr: "HH:MM:SS.mmm [pid] text". The manager
// points every bridge's stderr at one log file, so the pid tells the bridges apart.

void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
