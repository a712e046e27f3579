#pragma once
// Command line of the XPort module simulator.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/Network.h"

enum class ModuleFault {
    kNone,
    kSilent,         // never answers a query
    kShort,          // a 29-byte query reply
    kWrongCode,      // a query reply with code F5
    kTiny,           // a 2-byte query reply
    kNoAck,          // never acknowledges a set-up record
    kLateRestart,    // stays down longer than the wizard waits
    kTelnetRefused,  // nothing listens on the set-up port
    kTelnetSilent,   // accepts the set-up connection and never speaks
    kTelnetDrop,     // closes the set-up connection among the channel questions
    kUnknownPrompt,  // its menu prompt is worded unlike a module's
    // Floods the set-up connection (--flood-bytes), then says nothing more:
    kFloodText,  // text without a line end
    kFloodCr,    // CR after CR
    kFloodSub,   // a subnegotiation that never ends
};

// How the module cuts what it says on its set-up port into TCP segments.
struct TelnetCut {
    enum class Mode { kWhole, kSplitLast, kDrip, kRandom };
    Mode mode = Mode::kWhole;
    int ms = 0;              // drip: the pause after each byte
    std::uint32_t seed = 0;  // random: where the cuts fall and the pauses between pieces
};

struct ModuleConfig {
    AddressValue address = 0;
    AddressValue dhcp = 0;  // the address "DHCP" gives it; 0: it keeps its own
    std::array<std::uint8_t, 6> mac{};
    ModuleFault fault = ModuleFault::kNone;
    std::string identity = "RX200 Vormatic Tag Printer v2.14";
};

struct SimConfig {
    std::uint16_t port = 30718;
    std::vector<ModuleConfig> modules;
    int restartMs = 3000;
    int ipSetupMs = 3000;
    int lateMs = 20000;
    std::string statusPath;
    bool netns = false;
    bool stdinEofExit = false;
    TelnetCut cut;
    long long floodBytes = 10LL << 20;
};

// Fills `config` from the arguments; false with a message in `error`.
bool ParseSimConfig(int argc, const char* const* argv, SimConfig* config, std::string* error);

// The fault named `name` ("no-ack", ...); false for an unknown name.
bool ParseFault(const std::string& name, ModuleFault* fault);
const char* FaultName(ModuleFault fault);

// Whether a datagram may go to `destination`: always within 127.0.0.0/8, elsewhere only when
// the simulator runs in a network namespace made for it.
bool MaySendTo(AddressValue destination, bool netns);

extern const char* const kXportSimUsage;
