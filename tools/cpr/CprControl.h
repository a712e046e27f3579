#pragma once
// What the stand-in redirector's manager does, for its window and its command line alike:
// add a virtual port (start a bridge and note it in the book), list the ports with whether
// their bridges run, remove one or all (stop the bridge, drop its registry value and its line).

#include <string>
#include <vector>

#include "tools/cpr/PortBook.h"

struct CprPortStatus {
    CprPort port;
    bool running = false;
};

// $VORMATIC_CPR_BRIDGE when set, else "vormatic-cpr-bridge" beside the running program.
std::string BridgeProgramPath();

// Starts a bridge to `host`:`tcpPort` and notes it; `added` gets the new port.
bool AddCprPort(const std::string& host, int tcpPort, CprPort* added, std::string* error);

// The noted ports in the order they were added.
bool ListCprPorts(std::vector<CprPortStatus>* ports, std::string* error);

// Stops the bridge of `device` (when it still runs), removes its registry value and its line.
// False with `error` set when no port of that device is noted or the book cannot be changed.
bool RemoveCprPort(const std::string& device, std::string* error);

// The same for every noted port; `removed` gets their number.
bool RemoveAllCprPorts(int* removed, std::string* error);
