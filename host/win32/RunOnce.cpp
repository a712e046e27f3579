// RunOnce on Windows: the value under HKCU ...\RunOnce alone; Windows deletes it before it
// runs the command, so there is nothing to clear.

#include "host/RunOnce.h"

#include <exception>

#include "host/Registry.h"

bool RegisterRunOnceEntry(const std::string& programPath, const std::string& argument) {
    try {
        reg::WriteString(reg::Root::CurrentUser, kRunOnceKey, kRunOnceValue,
                         RunOnceCommandLine(programPath, argument));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ClearRunOnceEntry() {}

std::string AutostartEntryPath() {
    return {};
}
