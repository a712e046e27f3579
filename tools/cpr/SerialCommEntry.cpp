#include "tools/cpr/SerialCommEntry.h"

#include <optional>
#include <vector>

#include "host/ComPorts.h"
#include "host/Registry.h"
#include "host/Text.h"

namespace {

const std::string kValuePrefix = "\\Device\\VormaticCpr";

bool IsCprValueOf(const std::string& name, const std::string& devicePath) {
    if (name.size() < kValuePrefix.size() ||
        !SameTextIgnoringCase(name.substr(0, kValuePrefix.size()), kValuePrefix)) {
        return false;
    }
    const std::optional<std::string> data =
        reg::ReadString(reg::Root::LocalMachine, kSerialCommKey, name);
    return data && *data == devicePath;
}

}  // namespace

std::string CprValueName(const std::string& devicePath) {
    return kValuePrefix + devicePath.substr(devicePath.find_last_of('/') + 1);
}

void UnregisterCprPort(const std::string& devicePath) {
    for (const std::string& name : reg::ValueNames(reg::Root::LocalMachine, kSerialCommKey)) {
        if (IsCprValueOf(name, devicePath)) {
            reg::DeleteValue(reg::Root::LocalMachine, kSerialCommKey, name);
        }
    }
}

bool IsCprPortRegistered(const std::string& devicePath) {
    for (const std::string& name : reg::ValueNames(reg::Root::LocalMachine, kSerialCommKey)) {
        if (IsCprValueOf(name, devicePath)) {
            return true;
        }
    }
    return false;
}
