#include "host/posix/SerialDevices.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <tuple>

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
        const std::string ttyDir = classDir + "/" + name;
        if (!Exists(ttyDir + "/device")) {
            continue;  // virtual consoles, ptys and the like
        }
        if (name.rfind("ttyS", 0) == 0 && HasNoUart(ttyDir)) {
            continue;
        }
        names.push_back(name);
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
    std::vector<std::string> paths;
    const std::string text = list;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t colon = text.find(':', start);
        if (colon == std::string::npos) {
            colon = text.size();
        }
        if (colon > start) {
            paths.push_back(text.substr(start, colon - start));
        }
        start = colon + 1;
    }
    return paths;
}

std::vector<LiveDevice> LiveDevices() {
    std::vector<LiveDevice> devices;
    for (const std::string& path : LiveDevicePaths()) {
        devices.push_back({DeviceValueName(path), path});
    }
    return devices;
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
