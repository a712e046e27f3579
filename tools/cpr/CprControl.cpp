#include "tools/cpr/CprControl.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>

#include "host/Paths.h"
#include "host/posix/PortOwner.h"
#include "tools/cpr/BridgeProcess.h"
#include "tools/cpr/SerialCommEntry.h"

namespace {

constexpr std::chrono::milliseconds kStartLimit{5000};
constexpr std::chrono::milliseconds kStopGrace{3000};

// Removes the SERIALCOMM values of every virtual port whose owner has ended without removing
// its value (a bridge or a printer simulator that was killed), so that the key lists only
// ports someone holds. The inventory leaves such values out in any case; this tidies up.
// `error` (may be null) gets the failure.
bool PruneOrphans(std::string* error) {
    try {
        portowner::PruneOrphanedPorts();
        return true;
    } catch (const std::exception& e) {
        if (error != nullptr) {
            *error = std::string("cannot remove the values of ended ports: ") + e.what();
        }
        return false;
    }
}

// Stops the ports' bridges and removes their registry values. A bridge removes its own value
// when it ends; one that was killed cannot, so the value is removed here in any case.
bool Retire(const std::vector<CprPort>& ports, std::string* error) {
    std::vector<BridgeId> bridges;
    bridges.reserve(ports.size());
    for (const CprPort& port : ports) {
        bridges.push_back({port.pid, port.started});
    }
    StopBridges(bridges.data(), bridges.size(), kStopGrace);
    bool ok = PruneOrphans(error);
    for (const CprPort& port : ports) {
        try {
            UnregisterCprPort(port.device);
        } catch (const std::exception& e) {
            *error = "cannot remove " + port.device + " from the registry: " + e.what();
            ok = false;
        }
    }
    return ok;
}

}  // namespace

std::string BridgeProgramPath() {
    if (const char* path = std::getenv("VORMATIC_CPR_BRIDGE"); path != nullptr && *path != '\0') {
        return path;
    }
    return ProgramDirectory() + "vormatic-cpr-bridge";
}

bool AddCprPort(const std::string& host, int tcpPort, CprPort* added, std::string* error) {
    const std::string folder = CprStateFolder();
    const PortBookLock lock(folder);
    if (!lock.Error().empty()) {
        *error = lock.Error();
        return false;
    }
    std::vector<CprPort> ports;
    if (!LoadPorts(folder, &ports, error)) {
        return false;
    }
    PruneOrphans(nullptr);  // best effort: the port is what was asked for
    BridgeStart bridge;
    if (!StartBridge(BridgeProgramPath(), host, tcpPort, folder + "/bridges.log", kStartLimit,
                     &bridge, error)) {
        return false;
    }
    CprPort port{bridge.device, host, tcpPort, bridge.pid, bridge.started};
    // A line left by a bridge that ended without its manager names a device that the new
    // bridge may now have; it goes, so that each device is noted once.
    std::erase_if(ports, [&](const CprPort& old) { return old.device == port.device; });
    ports.push_back(port);
    if (!SavePorts(folder, ports, error)) {
        std::string ignored;
        Retire({port}, &ignored);
        return false;
    }
    *added = port;
    return true;
}

bool ListCprPorts(std::vector<CprPortStatus>* ports, std::string* error) {
    std::vector<CprPort> noted;
    const std::string folder = CprStateFolder();
    if (folder.empty()) {
        *error = "no configuration folder is known (set XDG_CONFIG_HOME or HOME)";
        return false;
    }
    if (!LoadPorts(folder, &noted, error)) {
        return false;
    }
    PruneOrphans(nullptr);  // best effort: the list is what was asked for
    ports->clear();
    for (const CprPort& port : noted) {
        ports->push_back({port, IsBridgeRunning(port.pid, port.started)});
    }
    return true;
}

bool RemoveCprPort(const std::string& device, std::string* error) {
    const std::string folder = CprStateFolder();
    const PortBookLock lock(folder);
    std::vector<CprPort> ports;
    if (!lock.Error().empty()) {
        *error = lock.Error();
        return false;
    }
    if (!LoadPorts(folder, &ports, error)) {
        return false;
    }
    const auto found = std::find_if(ports.begin(), ports.end(),
                                    [&](const CprPort& port) { return port.device == device; });
    if (found == ports.end()) {
        *error = "no virtual port " + device;
        return false;
    }
    const CprPort port = *found;
    ports.erase(found);
    const bool retired = Retire({port}, error);
    return SavePorts(folder, ports, error) && retired;
}

bool RemoveAllCprPorts(int* removed, std::string* error) {
    const std::string folder = CprStateFolder();
    const PortBookLock lock(folder);
    std::vector<CprPort> ports;
    if (!lock.Error().empty()) {
        *error = lock.Error();
        return false;
    }
    if (!LoadPorts(folder, &ports, error)) {
        return false;
    }
    *removed = static_cast<int>(ports.size());
    const bool retired = Retire(ports, error);
    return SavePorts(folder, {}, error) && retired;
}
