#include "host/Browser.h"

#include "host/Registry.h"

std::optional<std::string> RegisteredBrowserCommand() {
    try {
        if (!reg::KeyExists(reg::Root::ClassesRoot, "http\\shell\\open")) {
            return std::nullopt;
        }
        return reg::ReadString(reg::Root::ClassesRoot, "http\\shell\\open\\command", "")
            .value_or(std::string());
    } catch (const reg::RegistryError&) {
        return std::string();
    }
}
