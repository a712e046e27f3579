#include "host/PrinterProbe.h"

#include <memory>

#include "host/ExtendedProtocol.h"
#include "host/SerialDriver.h"

bool IdentifyPrinter(const std::string& portName, std::string* identity) {
    // Both objects live only for this probe; the protocol goes first, then the port (which
    // flushes, purges its input, drops DTR and closes).
    const std::unique_ptr<SerialDriver> port = CreateSerialPort(portName.c_str(), 512, 512);
    if (!port || port->IsOpen() == 0) {
        return false;
    }
    const auto protocol = std::make_unique<ExtendedProtocol>(port.get());
    char answer[128] = {};
    const int result = protocol->Exchange('V', "", answer, sizeof answer);
    if (result != ExtendedProtocol::kOk || answer[0] == '\0') {
        return false;
    }
    if (identity != nullptr) {
        *identity = answer;
    }
    return true;
}
