// POSIX half of the IPv4 helpers: the C library's inet_addr, inet_pton and inet_ntoa, and the
// adapter list from getifaddrs (IPv4 addresses of interfaces that are up, loopback left out, in
// the order the system lists them; an interface's first address counts).
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <set>

#include "host/Network.h"

AddressValue ParseAddress(const std::string& text) {
    return ::inet_addr(text.c_str());
}

bool TryParseAddress(const std::string& text, AddressValue& value) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1) {
        return false;
    }
    value = address.s_addr;
    return true;
}

std::string FormatAddress(AddressValue value) {
    in_addr address{};
    address.s_addr = value;
    return ::inet_ntoa(address);
}

namespace netplatform {

bool ReadAdapterLists(std::string& addresses, std::string& masks) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return false;
    }
    std::set<std::string> seen;
    bool any = false;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            entry->ifa_netmask == nullptr || (entry->ifa_flags & IFF_UP) == 0 ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0 || !seen.insert(entry->ifa_name).second) {
            continue;
        }
        sockaddr_in address{};
        sockaddr_in mask{};
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        std::memcpy(&mask, entry->ifa_netmask, sizeof mask);
        for (std::string* list_ : {&addresses, &masks}) {
            if (!list_->empty()) {
                *list_ += ",";
            }
        }
        addresses += FormatAddress(address.sin_addr.s_addr);
        masks += FormatAddress(mask.sin_addr.s_addr);
        any = true;
    }
    ::freeifaddrs(list);
    // A PC without any adapter fails the query, as GetAdaptersInfo does.
    return any;
}

}  // namespace netplatform
