#include "tools/printer-sim/SimOptions.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr Fault kFaults[] = {Fault::kSilent, Fault::kNak,  Fault::kWrongEcho, Fault::kBadChecksum,
                             Fault::kNoise,  Fault::kBit7, Fault::kLong,      Fault::kNoCr};

bool ParseFault(const char* text, Fault* fault) {
    for (Fault f : kFaults) {
        if (std::strcmp(text, FaultName(f)) == 0) {
            *fault = f;
            return true;
        }
    }
    return false;
}

bool ParseMs(const char* text, int* ms) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 600000) {
        return false;
    }
    *ms = static_cast<int>(value);
    return true;
}

}  // namespace

const char* const kSimUsage =
    "usage: vormatic-printer-sim [--identity TEXT] [--latency MS] [--pace]\n"
    "         [--fault silent|nak|wrong-echo|bad-checksum|noise|bit7|long|no-cr]\n"
    "         [--register] [--check-line] [--quiet] [--stdin-eof-exit]\n"
    "Emulates a printer on a pseudo-terminal; prints the device path on the first line.\n";

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::kNone:
            return "none";
        case Fault::kSilent:
            return "silent";
        case Fault::kNak:
            return "nak";
        case Fault::kWrongEcho:
            return "wrong-echo";
        case Fault::kBadChecksum:
            return "bad-checksum";
        case Fault::kNoise:
            return "noise";
        case Fault::kBit7:
            return "bit7";
        case Fault::kLong:
            return "long";
        case Fault::kNoCr:
            return "no-cr";
    }
    return "?";
}

bool ParseOptions(int argc, char** argv, SimOptions* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--identity" && hasValue) {
            options->identity = argv[++i];
        } else if (arg == "--latency" && hasValue) {
            if (!ParseMs(argv[++i], &options->latencyMs)) {
                *error = "bad --latency value: " + std::string(argv[i]);
                return false;
            }
        } else if (arg == "--fault" && hasValue) {
            if (!ParseFault(argv[++i], &options->fault)) {
                *error = "unknown fault mode: " + std::string(argv[i]);
                return false;
            }
        } else if (arg == "--pace") {
            options->pace = true;
        } else if (arg == "--register") {
            options->registerPort = true;
        } else if (arg == "--check-line") {
            options->checkLine = true;
        } else if (arg == "--quiet") {
            options->quiet = true;
        } else if (arg == "--stdin-eof-exit") {
            options->stdinEofExit = true;
        } else {
            *error = "unknown or incomplete argument: " + arg;
            return false;
        }
    }
    return true;
}
