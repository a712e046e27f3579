#include <memory>

#include "host/SerialDriver.h"
#include "host/posix/SerialPosix.h"

std::unique_ptr<SerialDriver> CreateSerialPort(const char* portName, int inputQueueSize,
                                               int outputQueueSize) {
    return std::make_unique<SerialPosix>(portName, inputQueueSize, outputQueueSize);
}
