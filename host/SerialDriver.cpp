#include "host/SerialDriver.h"

#include <cstring>

void SerialDriver::WriteBuffer(const char* data, unsigned length) {
    if (data == nullptr) {
        return;
    }
    if (length == 0) {
        length = static_cast<unsigned>(std::strlen(data));
    }
    for (unsigned i = 0; i < length; ++i) {
        WriteByte(data[i]);
    }
}
