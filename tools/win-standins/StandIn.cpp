#include "tools/win-standins/StandIn.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "host/ComPorts.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "host/Text.h"

namespace standin {
namespace {

constexpr const char* kWinePortsKey = "Software\\Wine\\Ports";
constexpr const char* kSetupFolder = "\\setup\\";

std::string Lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

std::string Environment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string CdRoot(const std::string& programPath) {
    const std::string::size_type at = Lowered(programPath).rfind(kSetupFolder);
    return at == std::string::npos ? Folder(programPath) : programPath.substr(0, at);
}

bool AppendLog(const std::string& what) {
    const std::string path =
        Environment("VORMATIC_DEMO_LOG", CdRoot(ProgramPath()) + "\\demo-install.log");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[16] = "??:??:??";
    if (::localtime_s(&local, &now) == 0) {
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    }
    std::FILE* log = std::fopen(path.c_str(), "ab");
    if (log == nullptr) {
        return false;
    }
    const bool written = std::fprintf(log, "%s %s\r\n", stamp, what.c_str()) > 0;
    return std::fclose(log) == 0 && written;
}

void WaitForInstallation() {
    const double seconds = std::atof(Environment("VORMATIC_DEMO_INSTALL_SECONDS", "2").c_str());
    if (seconds > 0) {
        ::Sleep(static_cast<DWORD>(seconds * 1000));
    }
}

std::string FileName(const std::string& path) {
    const std::string::size_type cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Folder(const std::string& path) {
    const std::string::size_type cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

std::string RegisterPort(const std::string& port, const std::string& device,
                         const std::string& deviceName) {
    try {
        reg::WriteString(reg::Root::LocalMachine, kWinePortsKey, port, device);
        reg::WriteString(reg::Root::LocalMachine, kSerialCommKey, deviceName, port);
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

std::string FreePortName() {
    PortList taken;
    static_cast<void>(ListComPorts(&taken));
    try {
        for (const std::string& name : reg::ValueNames(reg::Root::LocalMachine, kWinePortsKey)) {
            taken.push_back(name);
        }
    } catch (const std::exception&) {
        // Not Wine, or its list cannot be read: SERIALCOMM alone decides.
    }
    for (int number = 3; number <= 256; ++number) {
        const std::string name = "COM" + std::to_string(number);
        bool used = false;
        for (const std::string& port : taken) {
            used = used || SameTextIgnoringCase(port, name);
        }
        if (!used) {
            return name;
        }
    }
    return {};
}

}  // namespace standin
