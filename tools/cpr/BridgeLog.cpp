#include "tools/cpr/BridgeLog.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>

void LogLine(const char* format, ...) {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    char line[1024];
    int used = std::snprintf(line, sizeof line, "%02d:%02d:%02d.%03ld [%ld] ", local.tm_hour,
                             local.tm_min, local.tm_sec, static_cast<long>(now.tv_usec / 1000),
                             static_cast<long>(::getpid()));
    if (used < 0) {
        return;
    }
    va_list args;
    va_start(args, format);
    const int more =
        std::vsnprintf(line + used, sizeof line - static_cast<std::size_t>(used), format, args);
    va_end(args);
    if (more > 0) {
        used = std::min(static_cast<int>(sizeof line) - 2, used + more);
    }
    line[used] = '\n';
    // One write per line, so that lines of bridges sharing the log file do not interleave.
    const ssize_t ignored = ::write(2, line, static_cast<std::size_t>(used) + 1);
    static_cast<void>(ignored);
}
