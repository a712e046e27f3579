// Win32 half of the IPv4 helpers: Winsock's inet_addr, inet_pton and inet_ntoa, and the adapter
// list from GetAdaptersInfo, first called with a 640-byte buffer (one adapter record in the
// 32-bit layout) and, when that does not succeed, once more with the size it asked for.
#include <winsock2.h>

#include <iphlpapi.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <memory>

#include "host/Network.h"

AddressValue ParseAddress(const std::string& text) {
    return ::inet_addr(text.c_str());
}

bool TryParseAddress(const std::string& text, AddressValue& value) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1) {
        return false;
    }
    value = address.S_un.S_addr;
    return true;
}

std::string FormatAddress(AddressValue value) {
    in_addr address{};
    address.S_un.S_addr = value;
    const char* text = ::inet_ntoa(address);
    return text != nullptr ? std::string(text) : std::string();
}

namespace netplatform {
namespace {

// A buffer of `bytes` bytes aligned for the adapter records' pointers.
std::unique_ptr<std::uint64_t[]> AdapterBuffer(ULONG bytes) {
    return std::make_unique<std::uint64_t[]>((bytes + sizeof(std::uint64_t) - 1) /
                                             sizeof(std::uint64_t));
}

}  // namespace

bool ReadAdapterLists(std::string& addresses, std::string& masks) {
    ULONG size = 640;
    auto buffer = AdapterBuffer(size);
    if (::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size) !=
        ERROR_SUCCESS) {
        buffer = AdapterBuffer(size);
        if (::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size) !=
            ERROR_SUCCESS) {
            return false;
        }
    }
    for (const IP_ADAPTER_INFO* adapter = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get());
         adapter != nullptr; adapter = adapter->Next) {
        for (std::string* list : {&addresses, &masks}) {
            if (!list->empty()) {
                *list += ",";
            }
        }
        addresses += adapter->IpAddressList.IpAddress.String;
        masks += adapter->IpAddressList.IpMask.String;
    }
    return true;
}

}  // namespace netplatform
