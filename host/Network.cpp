#include "host/Network.h"

#include <cstdlib>
#include <cstring>

#include "host/Text.h"

namespace {

constexpr const char* kAdapterQueryFailed = "Call to GetAdaptersInfo failed.";
constexpr std::uint16_t kXportProtocolPort = 30718;

void AppendEntry(std::string& list, const std::string& entry) {
    if (!list.empty()) {
        list += ",";
    }
    list += entry;
}

// VORMATIC_NETWORK_ADAPTERS: "addr/mask" entries separated by commas; an entry without a mask
// gets its class mask. False when the variable is not set.
bool ReadAdapterOverride(std::string& addresses, std::string& masks, bool& any) {
    const char* value = std::getenv("VORMATIC_NETWORK_ADAPTERS");
    if (value == nullptr) {
        return false;
    }
    std::string rest = value;
    any = false;
    while (!rest.empty()) {
        std::string entry = SplitToken(rest, ",");
        if (entry.empty()) {
            continue;
        }
        const std::string address = SplitToken(entry, "/");
        AppendEntry(addresses, address);
        AppendEntry(masks, entry.empty() ? DefaultSubnetMask(address) : entry);
        any = true;
    }
    return true;
}

}  // namespace

std::uint8_t AddressOctet(AddressValue value, int index) {
    std::uint8_t octets[4];
    std::memcpy(octets, &value, sizeof octets);
    return octets[index & 3];
}

AddressValue AddressFromOctets(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint8_t octets[4] = {a, b, c, d};
    AddressValue value = 0;
    std::memcpy(&value, octets, sizeof value);
    return value;
}

void GetAdapterAddressLists(std::string& addresses, std::string& masks) {
    bool any = false;
    if (ReadAdapterOverride(addresses, masks, any)) {
        if (!any) {
            throw NetworkError(kAdapterQueryFailed);  // as a PC without any adapter
        }
        return;
    }
    if (!netplatform::ReadAdapterLists(addresses, masks)) {
        throw NetworkError(kAdapterQueryFailed);
    }
}

void GetLocalAddress(AddressValue& address, AddressValue& mask) {
    address = 0;
    mask = 0;
    try {
        std::string addresses;
        std::string masks;
        GetAdapterAddressLists(addresses, masks);
        address = ParseAddress(SplitToken(addresses, ","));
        mask = ParseAddress(SplitToken(masks, ","));
    } catch (const std::exception&) {
        // Nothing found: both stay 0, and every printer counts as reachable.
    }
}

bool IsOnLocalSubnet(AddressValue address, AddressValue localAddress, AddressValue localMask) {
    return (address & localMask) == (localAddress & localMask);
}

std::string LocalBroadcastAddress(AddressValue localAddress, AddressValue localMask) {
    return FormatAddress(localAddress | ~localMask);
}

std::string DefaultSubnetMask(const std::string& addressText) {
    const std::uint8_t first = AddressOctet(ParseAddress(addressText), 0);
    if (first < 128) {
        return "255.0.0.0";
    }
    if (first < 192) {
        return "255.255.0.0";
    }
    return "255.255.255.0";
}

std::string XportQueryAddress() {
    const char* value = std::getenv("VORMATIC_XPORT_QUERY_ADDRESS");
    return value != nullptr && *value != '\0' ? std::string(value) : "255.255.255.255";
}

std::uint16_t XportProtocolPort() {
    const char* value = std::getenv("VORMATIC_XPORT_PORT");
    if (value != nullptr && *value != '\0') {
        char* end = nullptr;
        const unsigned long port = std::strtoul(value, &end, 10);
        if (*end == '\0' && port > 0 && port <= 65535) {
            return static_cast<std::uint16_t>(port);
        }
    }
    return kXportProtocolPort;
}
