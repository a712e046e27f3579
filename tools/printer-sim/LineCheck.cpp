#include "tools/printer-sim/LineCheck.h"

namespace {

const char* SpeedText(speed_t speed) {
    switch (speed) {
        case B1200:
            return "1200";
        case B2400:
            return "2400";
        case B4800:
            return "4800";
        case B9600:
            return "9600";
        case B19200:
            return "19200";
        case B38400:
            return "38400";
        case B57600:
            return "57600";
        case B115200:
            return "115200";
        default:
            return "another rate";
    }
}

void Add(std::string& list, const std::string& item) {
    if (!list.empty()) {
        list += ", ";
    }
    list += item;
}

}  // namespace

std::string LineDifferences(const termios& settings) {
    std::string list;
    const speed_t out = cfgetospeed(&settings);
    const speed_t in = cfgetispeed(&settings);
    if (out != B19200) {
        Add(list, std::string("speed ") + SpeedText(out) + " (want 19200)");
    }
    // An input speed of 0 means "same as the output speed".
    if (in != B19200 && in != B0 && in != out) {
        Add(list, std::string("input speed ") + SpeedText(in) + " (want 19200)");
    }
    if ((settings.c_cflag & CSIZE) != CS8) {
        Add(list, "data bits not 8");
    }
    if ((settings.c_cflag & PARENB) != 0) {
        Add(list, (settings.c_cflag & PARODD) != 0 ? "odd parity (want none)"
                                                   : "even parity (want none)");
    }
    if ((settings.c_cflag & CSTOPB) != 0) {
        Add(list, "2 stop bits (want 1)");
    }
    if ((settings.c_iflag & IXON) == 0) {
        Add(list, "IXON off (want on)");
    }
    if ((settings.c_iflag & IXOFF) == 0) {
        Add(list, "IXOFF off (want on)");
    }
    return list;
}
