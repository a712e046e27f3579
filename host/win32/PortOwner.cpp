// On Windows the SERIALCOMM key is written by the port drivers themselves, which remove
// their values when a port goes; every value there is a port.

#include "host/ComPorts.h"

bool IsOrphanedPortValue(const std::string&) {
    return false;
}
