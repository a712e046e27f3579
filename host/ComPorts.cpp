#include "host/ComPorts.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <optional>
#include <utility>

#include "host/Registry.h"
#include "host/Text.h"

namespace {

constexpr const char* kBeforePortsValue = "BeforePorts";

}  // namespace

std::string ListComPorts(PortList* target) {
    std::vector<std::string> names;
    std::string failure;
    try {
        names = reg::ValueNames(reg::Root::LocalMachine, kSerialCommKey);
    } catch (const reg::PartialValueList& error) {
        // The names read before the failure are listed, and the failure is reported.
        names = error.names;
        failure = error.what();
    } catch (const std::exception& error) {
        return error.what();
    }
    try {
        for (const std::string& name : names) {
            if (IsOrphanedPortValue(name)) {
                continue;
            }
            // The value name is the device; its data is the port name the serial driver opens.
            const std::optional<std::string> port =
                reg::ReadString(reg::Root::LocalMachine, kSerialCommKey, name);
            if (port && target != nullptr) {
                target->push_back(*port);
            }
        }
    } catch (const std::exception& error) {
        return error.what();
    }
    return failure;
}

std::string FindNewPortIn(const PortList& current, const PortList& before) {
    // Only a longer list can hold an added port; a port that replaced another is not reported.
    if (current.size() <= before.size()) {
        return {};
    }
    for (const std::string& port : current) {
        const bool known = std::any_of(before.begin(), before.end(), [&](const std::string& old) {
            return SameTextIgnoringCase(old, port);
        });
        if (!known) {
            return port;
        }
    }
    return {};
}

std::string FindNewPort(const PortList& before, std::string* failure) {
    PortList current;
    std::string error = ListComPorts(&current);
    if (failure != nullptr) {
        *failure = std::move(error);
    }
    return FindNewPortIn(current, before);
}

std::string FormatBeforePorts(const PortList& ports) {
    std::string text;
    for (const std::string& port : ports) {
        text += port;
        text += ',';
    }
    return text;
}

PortList ParseBeforePorts(const std::string& text) {
    // One pass from the front: cutting each name off the text would copy the rest each time.
    PortList ports;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            ports.emplace_back(text, start, end - start);
        }
        start = end + 1;
    }
    return ports;
}

std::string SaveBeforePorts(const PortList& ports) {
    try {
        reg::WriteString(reg::Root::CurrentUser, kInstallerPrefsKey, kBeforePortsValue,
                         FormatBeforePorts(ports));
    } catch (const std::exception& error) {
        // The older value stays; the caller decides whether the user must hear of it.
        return error.what();
    }
    return {};
}

PortList LoadBeforePorts() {
    return ReadBeforePorts().value_or(PortList{});
}

std::optional<PortList> ReadBeforePorts() {
    try {
        const std::optional<std::string> text =
            reg::ReadString(reg::Root::CurrentUser, kInstallerPrefsKey, kBeforePortsValue);
        if (!text) {
            return std::nullopt;
        }
        return ParseBeforePorts(*text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
