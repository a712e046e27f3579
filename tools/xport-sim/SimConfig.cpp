#include "tools/xport-sim/SimConfig.h"

#include <cstdlib>

#include "host/Text.h"

const char* const kXportSimUsage =
    "usage: vormatic-xport-sim [options] --module ADDR[,option...] [--module ...]\n"
    "Simulated XPort modules: UDP discovery and set-up, the telnet set-up menu on TCP 9999 and\n"
    "the serial tunnel on TCP 10001 with a printer behind it.\n"
    "  --port P            UDP port of the datagram protocol (default 30718)\n"
    "  --module ADDR,...   one module at ADDR; options after commas:\n"
    "                        mac=00:20:4A:xx:xx:xx  its MAC (default derived from ADDR)\n"
    "                        dhcp=ADDR              the address DHCP gives it\n"
    "                        fault=NAME             silent, short, wrong-code, tiny, no-ack,\n"
    "                                               late-restart, telnet-refused, telnet-silent,\n"
    "                                               telnet-drop, unknown-prompt,\n"
    "                                               telnet-flood-text, telnet-flood-cr,\n"
    "                                               telnet-flood-sub\n"
    "                        identity=TEXT          the printer's answer to \"V\"\n"
    "  --restart-ms N      time a module is down after a set-up record (default 3000)\n"
    "  --ip-setup-ms N     time before an IP-SETUP address takes effect (default 3000)\n"
    "  --late-ms N         the down time of fault late-restart (default 20000)\n"
    "  --telnet-cut MODE   how the set-up menu's text is cut into segments: whole (default),\n"
    "                      split-last (the last byte of each piece a moment later), drip:MS\n"
    "                      (one byte every MS ms), random:SEED (random cuts and pauses)\n"
    "  --flood-bytes N     what a telnet-flood-* module sends (default 10 MB)\n"
    "  --status FILE       keeps each module's state in FILE (key=value lines)\n"
    "  --netns             runs in a network namespace made for it: may send beyond loopback\n"
    "  --stdin-eof-exit    ends when standard input ends\n"
    "Prints \"ready udp=PORT\" when it serves; ends on SIGTERM, SIGINT or SIGHUP.\n";

namespace {

const struct {
    const char* name;
    ModuleFault fault;
} kFaults[] = {
    {"none", ModuleFault::kNone},
    {"silent", ModuleFault::kSilent},
    {"short", ModuleFault::kShort},
    {"wrong-code", ModuleFault::kWrongCode},
    {"tiny", ModuleFault::kTiny},
    {"no-ack", ModuleFault::kNoAck},
    {"late-restart", ModuleFault::kLateRestart},
    {"telnet-refused", ModuleFault::kTelnetRefused},
    {"telnet-silent", ModuleFault::kTelnetSilent},
    {"telnet-drop", ModuleFault::kTelnetDrop},
    {"unknown-prompt", ModuleFault::kUnknownPrompt},
    {"telnet-flood-text", ModuleFault::kFloodText},
    {"telnet-flood-cr", ModuleFault::kFloodCr},
    {"telnet-flood-sub", ModuleFault::kFloodSub},
};

bool ParseNumber(const std::string& text, int low, int high, int* value) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < low || number > high) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

bool ParseDotted(const std::string& text, AddressValue* value) {
    int dots = 0;
    for (const char c : text) {
        dots += c == '.' ? 1 : 0;
    }
    *value = ParseAddress(text);
    return dots == 3 && *value != 0xFFFFFFFFU;
}

bool ParseCut(std::string text, TelnetCut* cut) {
    const std::string mode = SplitToken(text, ":");
    int number = 0;
    if (mode == "whole" || mode == "split-last") {
        cut->mode = mode == "whole" ? TelnetCut::Mode::kWhole : TelnetCut::Mode::kSplitLast;
        return text.empty();
    }
    if (!ParseNumber(text, 0, mode == "drip" ? 1000 : 0x7FFFFFFF, &number)) {
        return false;
    }
    if (mode == "drip") {
        cut->mode = TelnetCut::Mode::kDrip;
        cut->ms = number;
        return true;
    }
    cut->mode = TelnetCut::Mode::kRandom;
    cut->seed = static_cast<std::uint32_t>(number);
    return mode == "random";
}

bool ParseMac(std::string text, std::array<std::uint8_t, 6>* mac) {
    for (std::uint8_t& octet : *mac) {
        const std::string field = SplitToken(text, ":");
        char* end = nullptr;
        const unsigned long value = std::strtoul(field.c_str(), &end, 16);
        if (field.size() != 2 || *end != '\0') {
            return false;
        }
        octet = static_cast<std::uint8_t>(value);
    }
    return text.empty();
}

bool ParseModule(std::string text, bool netns, ModuleConfig* module, std::string* error) {
    const std::string address = SplitToken(text, ",");
    if (!ParseDotted(address, &module->address)) {
        *error = "not an IPv4 address: " + address;
        return false;
    }
    // Lantronix's prefix, then the address's last three octets: modules differ by address.
    module->mac = {0x00,
                   0x20,
                   0x4A,
                   AddressOctet(module->address, 1),
                   AddressOctet(module->address, 2),
                   AddressOctet(module->address, 3)};
    while (!text.empty()) {
        std::string option = SplitToken(text, ",");
        const std::string key = SplitToken(option, "=");
        if (key == "mac" && ParseMac(option, &module->mac)) {
            continue;
        }
        if (key == "dhcp" && ParseDotted(option, &module->dhcp)) {
            continue;
        }
        if (key == "fault" && ParseFault(option, &module->fault)) {
            continue;
        }
        if (key == "identity" && !option.empty()) {
            module->identity = option;
            continue;
        }
        *error = "bad module option: " + key + "=" + option;
        return false;
    }
    for (const AddressValue a : {module->address, module->dhcp}) {
        if (a != 0 && !netns && AddressOctet(a, 0) != 127) {
            *error = "without --netns every module address must lie in 127.0.0.0/8";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseFault(const std::string& name, ModuleFault* fault) {
    for (const auto& f : kFaults) {
        if (name == f.name) {
            *fault = f.fault;
            return true;
        }
    }
    return false;
}

const char* FaultName(ModuleFault fault) {
    for (const auto& f : kFaults) {
        if (fault == f.fault) {
            return f.name;
        }
    }
    return "?";
}

bool MaySendTo(AddressValue destination, bool netns) {
    return netns || AddressOctet(destination, 0) == 127;
}

bool ParseSimConfig(int argc, const char* const* argv, SimConfig* config, std::string* error) {
    std::vector<std::string> modules;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        int number = 0;
        if (arg == "--netns") {
            config->netns = true;
        } else if (arg == "--stdin-eof-exit") {
            config->stdinEofExit = true;
        } else if (arg == "--port" && hasValue && ParseNumber(argv[i + 1], 1, 65535, &number)) {
            config->port = static_cast<std::uint16_t>(number);
            ++i;
        } else if (arg == "--restart-ms" && hasValue &&
                   ParseNumber(argv[i + 1], 0, 600000, &config->restartMs)) {
            ++i;
        } else if (arg == "--ip-setup-ms" && hasValue &&
                   ParseNumber(argv[i + 1], 0, 600000, &config->ipSetupMs)) {
            ++i;
        } else if (arg == "--late-ms" && hasValue &&
                   ParseNumber(argv[i + 1], 0, 600000, &config->lateMs)) {
            ++i;
        } else if (arg == "--telnet-cut" && hasValue && ParseCut(argv[i + 1], &config->cut)) {
            ++i;
        } else if (arg == "--flood-bytes" && hasValue &&
                   ParseNumber(argv[i + 1], 0, 1 << 30, &number)) {
            config->floodBytes = number;
            ++i;
        } else if (arg == "--status" && hasValue) {
            config->statusPath = argv[++i];
        } else if (arg == "--module" && hasValue) {
            modules.emplace_back(argv[++i]);
        } else {
            *error = "bad argument: " + arg;
            return false;
        }
    }
    if (modules.empty()) {
        *error = "no --module given";
        return false;
    }
    for (const std::string& text : modules) {
        ModuleConfig module;
        if (!ParseModule(text, config->netns, &module, error)) {
            return false;
        }
        config->modules.push_back(module);
    }
    return true;
}
