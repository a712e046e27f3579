#pragma once
// Asks the printer on one COM port for its identity with the command "V".

#include <string>

// Opens `portName` (512-byte queues, 19200 8N1, XON/XOFF), exchanges "V" and closes the port
// again on every path. True when a printer gave a good, non-empty answer; `identity` then
// holds the whole answer (at most 127 characters).
bool IdentifyPrinter(const std::string& portName, std::string* identity);
