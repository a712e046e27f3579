#pragma once
// Command-line options of the printer simulator.

#include <string>

enum class Fault {
    kNone,
    kSilent,       // never answers
    kNak,          // answers NAK instead of ACK
    kWrongEcho,    // echoes another command byte
    kBadChecksum,  // last checksum digit off by one
    kNoise,        // line noise before the SOH
    kBit7,         // every answer byte with bit 7 set
    kLong,         // an answer of 512 data bytes
    kNoCr,         // the answer never ends with CR
};

struct SimOptions {
    std::string identity = "RX200 Vormatic Tag Printer v2.14";
    int latencyMs = 0;
    bool pace = false;
    Fault fault = Fault::kNone;
    bool registerPort = false;
    bool checkLine = false;
    bool quiet = false;
    bool stdinEofExit = false;
};

// Fills `options` from the arguments; false with a message in `error` on a bad argument.
bool ParseOptions(int argc, char** argv, SimOptions* options, std::string* error);

const char* FaultName(Fault fault);

extern const char* const kSimUsage;
