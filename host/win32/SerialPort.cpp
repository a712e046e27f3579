#include <memory>

#include "host/SerialDriver.h"
#include "host/win32/SerialWinComm.h"

std::unique_ptr<SerialDriver> CreateSerialPort(const char* portName, int inputQueueSize,
                                               int outputQueueSize) {
    return std::make_unique<SerialWinComm>(portName, inputQueueSize, outputQueueSize);
}
