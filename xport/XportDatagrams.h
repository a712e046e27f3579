#pragma once
// The XPort module's datagram protocol on UDP port 30718, as bytes: the discovery query, the
// set-up record, the IP-SETUP datagram, and what the configuration page makes of a received
// datagram. Every datagram starts with four bytes whose fourth is the message code.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/Network.h"

namespace xport {

inline constexpr std::uint8_t kQuery = 0xF6;
inline constexpr std::uint8_t kQueryReply = 0xF7;
inline constexpr std::uint8_t kSetupAck = 0xFB;
inline constexpr std::uint8_t kIpSetup = 0xFC;
inline constexpr std::uint8_t kSetupRecord = 0xFD;

inline constexpr std::size_t kReadLimit = 128;         // bytes read of a received datagram
inline constexpr std::size_t kQueryReplyMinimum = 30;  // a reply shorter than this is faulty
inline constexpr std::size_t kMacOffset = 24;          // the module's MAC in a reply
inline constexpr std::size_t kSetupRecordSize = 124;
inline constexpr std::size_t kIpSetupSize = 20;

// TCP ports of the module: its set-up menu (telnet) and its serial tunnel.
inline constexpr std::uint16_t kTelnetSetupPort = 9999;
inline constexpr std::uint16_t kSerialTunnelPort = 10001;

using QueryDatagram = std::array<std::uint8_t, 4>;
using SetupRecordDatagram = std::array<std::uint8_t, kSetupRecordSize>;
using IpSetupDatagram = std::array<std::uint8_t, kIpSetupSize>;

// 00 00 00 F6.
QueryDatagram BuildQuery();

// Host bits of a mask as the module counts them: the zero bits before the first one bit,
// reading the fourth octet from its top bit down, then the third, second and first; 0 for
// 0.0.0.0. 255.255.255.0 gives 8, 255.255.254.0 gives 8, 255.255.255.128 gives 0.
std::uint8_t MaskHostBits(AddressValue mask);

// The address a set-up record carries: 0.0.0.0 (DHCP) becomes 0.0.4.0.
AddressValue SetupAddress(AddressValue newAddress);

// The 124-byte set-up record for `newAddress` (already passed through SetupAddress), mask and
// gateway: interface mode 4C, TCP port 10001.
SetupRecordDatagram BuildSetupRecord(AddressValue newAddress, AddressValue newMask,
                                     AddressValue newGateway);

// One field of a MAC text read as hexadecimal the module's way: per character, value * 16 +
// (c - '0') for c up to '9', else (c - 'A' + 10), kept to 8 bits.
std::uint8_t MacFieldValue(const std::string& field);

// The 20-byte IP-SETUP datagram: "IP-SETUP", the fifth and sixth fields of `macText` (0 when
// missing) and `newAddress` unchanged.
IpSetupDatagram BuildIpSetup(const std::string& macText, AddressValue newAddress);

// "0A:1B:2C:3D:4E:5F" for the six bytes at `bytes`.
std::string MacText(const std::uint8_t* bytes);
// Two uppercase hexadecimal digits.
std::string HexByte(std::uint8_t value);

// The page states in which datagrams mean something.
inline constexpr int kStateSearching = 1;
inline constexpr int kStateRechecking = 2;
inline constexpr int kStateSetupSent = 5;

// What the configuration page does with one received datagram.
struct DatagramOutcome {
    enum class Kind {
        AddRow,             // a search lists it: a new row (unless the last row is empty)
        OverwriteLastRow,   // a fault or a datagram out of turn, written over the last row
        SetupAcknowledged,  // the module took the set-up record
    };
    Kind kind = Kind::AddRow;
    std::string ipCell;
    std::string macCell;
    bool unreachable = false;  // AddRow: the source lies off the PC's subnet
};

// Handles the first `count` bytes (at most kReadLimit are looked at) of a datagram from
// `source` (dotted text) that arrived in page state `state`.
DatagramOutcome HandleDatagram(int state, const std::uint8_t* data, std::size_t count,
                               const std::string& source, AddressValue localAddress,
                               AddressValue localMask);

}  // namespace xport
