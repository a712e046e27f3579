#include "host/posix/SerialDevices.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <tuple>

#include "host/Text.h"

namespace serialdev {
namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A ttyS port always exists in sysfs, with or without a UART; the `type` file holds the UART
// type, 0 (PORT_UNKNOWN) when there is none.
bool HasNoUart(const std::string& ttyDir) {
    std::ifstream typeFile(ttyDir + "/type");
    int type = -1;
    return typeFile >> type && type == 0;
}

// Sort key: the name split into its text and its trailing number.
std::tuple<std::string, long, std::string> NaturalKey(const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') {
        --digits;
    }
    if (digits == name.size() || name.size() - digits > 9) {
        return {name, -1, name};
    }
    return {name.substr(0, digits), std::strtol(name.c_str() + digits, nullptr, 10), name};
}

// A tty that the scan lists: it has a device behind it, and a ttyS port has a UART.
bool IsListedTty(const std::string& ttyDir, const std::string& name) {
    if (!Exists(ttyDir + "/device")) {
        return false;  // virtual consoles, ptys and the like
    }
    return name.rfind("ttyS", 0) != 0 || !HasNoUart(ttyDir);
}

}  // namespace

std::vector<std::string> ScanTtyClass(const std::string& classDir, const std::string& devDir) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(classDir.c_str());
    if (dir == nullptr) {
        return {};
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (IsListedTty(classDir + "/" + name, name)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return NaturalKey(a) < NaturalKey(b);
    });
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) {
        paths.push_back(devDir + "/" + name);
    }
    return paths;
}

std::vector<std::string> LiveDevicePaths() {
    const char* list = std::getenv("VORMATIC_SERIAL_DEVICES");
    if (list == nullptr) {
        return ScanTtyClass();
    }
    return SplitList(list, ':');
}

std::vector<LiveDevice> LiveDevices() {
    std::vector<LiveDevice> devices;
    for (const std::string& path : LiveDevicePaths()) {
        devices.push_back({DeviceValueName(path), path});
    }
    return devices;
}

std::string TtyClassDevice(const std::string& valueName, const std::string& classDir,
                           const std::string& devDir) {
    static const std::string prefix = "\\Device\\";
    if (valueName.size() < prefix.size() ||
        !SameTextIgnoringCase(valueName.substr(0, prefix.size()), prefix)) {
        return {};
    }
    const std::string name = valueName.substr(prefix.size());
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string::npos) {
        return {};
    }
    return IsListedTty(classDir + "/" + name, name) ? devDir + "/" + name : std::string();
}

std::string LiveDevicePath(const std::string& valueName) {
    if (std::getenv("VORMATIC_SERIAL_DEVICES") == nullptr) {
        return TtyClassDevice(valueName);
    }
    for (const LiveDevice& device : LiveDevices()) {
        if (SameTextIgnoringCase(device.valueName, valueName)) {
            return device.path;
        }
    }
    return {};
}

std::string DeviceValueName(const std::string& devicePath) {
    std::string rest = devicePath;
    if (rest.rfind("/dev/", 0) == 0) {
        rest.erase(0, 5);
    } else {
        while (!rest.empty() && rest[0] == '/') {
            rest.erase(0, 1);
        }
    }
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return "\\Device\\" + rest;
}

}  // namespace serialdev
