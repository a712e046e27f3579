#pragma once
// IPv4 addresses and the PC's own subnet, for the XPort set-up: the adapter list, the PC's
// address and mask, the subnet test, the subnet's broadcast address and the default mask of an
// address class. Also the network seam's endpoints of the XPort protocol, which tests aim at a
// loopback address and port of their own.
//
// An address value is the 32-bit value that the sockets library's inet_addr returns: the four
// octets of a.b.c.d in memory order, first octet first (network byte order). AND, OR and NOT
// act octet by octet on it, so the subnet arithmetic needs no byte swapping.

#include <cstdint>
#include <stdexcept>
#include <string>

using AddressValue = std::uint32_t;

// Raised by GetAdapterAddressLists when the platform's adapter query fails.
class NetworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// inet_addr: a text that is not a valid address (the empty text included) gives all ones.
AddressValue ParseAddress(const std::string& text);
// inet_pton: four decimal numbers from 0 to 255 separated by dots, nothing else. Says
// whether the text parsed, so that a typed 255.255.255.255 can be told from text that is no
// address at all; `value` is set only on success.
bool TryParseAddress(const std::string& text, AddressValue& value);
// inet_ntoa: four decimal numbers without leading zeros, separated by dots.
std::string FormatAddress(AddressValue value);

// The octet at `index` (0 for the a of a.b.c.d).
std::uint8_t AddressOctet(AddressValue value, int index);
// The value whose octets are a, b, c, d.
AddressValue AddressFromOctets(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);

// Appends each adapter's first IPv4 address and that address's mask, comma-separated, in the
// platform's adapter order. VORMATIC_NETWORK_ADAPTERS ("addr/mask,addr/mask", in order), when
// set, replaces the live list; set and empty, it means a PC without any adapter. Raises
// NetworkError("Call to GetAdaptersInfo failed.") when the query fails or finds no adapter.
void GetAdapterAddressLists(std::string& addresses, std::string& masks);

// The first adapter's address and mask; both 0 when nothing was found. Never raises.
void GetLocalAddress(AddressValue& address, AddressValue& mask);

// True when `address` lies on the subnet of localAddress/localMask; a mask of 0 takes in
// every address.
bool IsOnLocalSubnet(AddressValue address, AddressValue localAddress, AddressValue localMask);

// localAddress OR NOT localMask, as dotted text.
std::string LocalBroadcastAddress(AddressValue localAddress, AddressValue localMask);

// The class mask of an address text: "255.0.0.0" below 128, "255.255.0.0" up to 191, else
// "255.255.255.0" (an unparsable text included).
std::string DefaultSubnetMask(const std::string& addressText);

// Where the XPort discovery query goes: 255.255.255.255, or VORMATIC_XPORT_QUERY_ADDRESS.
std::string XportQueryAddress();
// The XPort datagram port: 30718, or VORMATIC_XPORT_PORT.
std::uint16_t XportProtocolPort();

namespace netplatform {
// The platform half of GetAdapterAddressLists: fills both lists from the live adapters; false
// when the platform's query fails.
bool ReadAdapterLists(std::string& addresses, std::string& masks);
}  // namespace netplatform
