#include "xport/XportDatagrams.h"

#include <algorithm>

#include "host/Text.h"

namespace xport {

QueryDatagram BuildQuery() {
    return {0, 0, 0, kQuery};
}

std::uint8_t MaskHostBits(AddressValue mask) {
    if (mask == 0) {
        return 0;
    }
    std::uint8_t count = 0;
    for (int octet = 3; octet >= 0; --octet) {
        const std::uint8_t bits = AddressOctet(mask, octet);
        for (int bit = 7; bit >= 0; --bit) {
            if ((bits >> bit) & 1U) {
                return count;
            }
            ++count;
        }
    }
    return count;
}

AddressValue SetupAddress(AddressValue newAddress) {
    return newAddress == 0 ? AddressFromOctets(0, 0, 4, 0) : newAddress;
}

namespace {

// Writes the four octets of `value` at `at`, first octet first.
void PutAddress(std::uint8_t* at, AddressValue value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = AddressOctet(value, i);
    }
}

}  // namespace

SetupRecordDatagram BuildSetupRecord(AddressValue newAddress, AddressValue newMask,
                                     AddressValue newGateway) {
    SetupRecordDatagram record{};
    record[3] = kSetupRecord;
    PutAddress(record.data() + 4, newAddress);
    record[10] = MaskHostBits(newMask);
    record[11] = 0x2D;
    PutAddress(record.data() + 16, newGateway);
    record[20] = 0x4C;  // interface mode, typed as "4C" over telnet too
    record[21] = 0x01;
    record[22] = 0x01;
    record[24] = static_cast<std::uint8_t>(kSerialTunnelPort & 0xFF);
    record[25] = static_cast<std::uint8_t>(kSerialTunnelPort >> 8);
    record[32] = 0xC0;
    return record;
}

std::uint8_t MacFieldValue(const std::string& field) {
    unsigned value = 0;
    for (const char ch : field) {
        const int c = static_cast<unsigned char>(ch);
        value = value * 16 + static_cast<unsigned>(c <= '9' ? c - 48 : c - 55);
    }
    return static_cast<std::uint8_t>(value & 0xFF);
}

IpSetupDatagram BuildIpSetup(const std::string& macText, AddressValue newAddress) {
    IpSetupDatagram datagram{};
    datagram[3] = kIpSetup;
    const char tag[] = "IP-SETUP";
    std::copy(tag, tag + 8, datagram.begin() + 4);
    std::string rest = macText;
    std::string fields[6];
    for (std::string& field : fields) {
        field = SplitToken(rest, ":");
    }
    datagram[14] = MacFieldValue(fields[4]);
    datagram[15] = MacFieldValue(fields[5]);
    PutAddress(datagram.data() + 16, newAddress);
    return datagram;
}

std::string HexByte(std::uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 0x0F]};
}

std::string MacText(const std::uint8_t* bytes) {
    std::string text;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            text += ":";
        }
        text += HexByte(bytes[i]);
    }
    return text;
}

DatagramOutcome HandleDatagram(int state, const std::uint8_t* data, std::size_t count,
                               const std::string& source, AddressValue localAddress,
                               AddressValue localMask) {
    count = std::min(count, kReadLimit);
    DatagramOutcome outcome;
    if (state == kStateSearching || state == kStateRechecking) {
        outcome.kind = DatagramOutcome::Kind::AddRow;
        outcome.ipCell = source;
        if (count < 4) {
            // No code byte was received: only the length can be told.
            outcome.macCell = "Error Count : " + std::to_string(count);
        } else if (data[3] != kQueryReply) {
            outcome.macCell = "Error Reply : " + HexByte(data[3]);
        } else if (count < kQueryReplyMinimum) {
            outcome.macCell = "Error Count : " + std::to_string(count);
        } else {
            outcome.macCell = MacText(data + kMacOffset);
        }
        outcome.unreachable = !IsOnLocalSubnet(ParseAddress(source), localAddress, localMask);
        return outcome;
    }
    if (state == kStateSetupSent) {
        if (count >= 4 && data[3] == kSetupAck) {
            outcome.kind = DatagramOutcome::Kind::SetupAcknowledged;
            return outcome;
        }
        outcome.kind = DatagramOutcome::Kind::OverwriteLastRow;
        outcome.ipCell = "SET_IP_1_S:";
        outcome.macCell = count < 4 ? "Error Count : " + std::to_string(count)
                                    : "Invalid Reply : " + HexByte(data[3]);
        return outcome;
    }
    outcome.kind = DatagramOutcome::Kind::OverwriteLastRow;
    outcome.ipCell = "UDPRead";
    outcome.macCell = "Invalid State : " + std::to_string(state);
    return outcome;
}

}  // namespace xport
