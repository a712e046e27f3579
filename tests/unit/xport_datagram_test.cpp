#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xport/XportDatagrams.h"

namespace {

using xport::DatagramOutcome;

AddressValue A(const char* text) {
    return ParseAddress(text);
}

std::vector<std::uint8_t> Reply(std::size_t size, std::uint8_t code = xport::kQueryReply) {
    std::vector<std::uint8_t> bytes(size, 0x55);
    if (size > 3) {
        bytes[3] = code;
    }
    const std::uint8_t mac[6] = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    for (std::size_t i = 0; i < 6 && 24 + i < size; ++i) {
        bytes[24 + i] = mac[i];
    }
    return bytes;
}

DatagramOutcome Handle(int state, const std::vector<std::uint8_t>& bytes,
                       const char* source = "192.168.1.50") {
    return xport::HandleDatagram(state, bytes.data(), bytes.size(), source, A("192.168.1.5"),
                                 A("255.255.255.0"));
}

}  // namespace

TEST(XportDatagrams, MaskHostBitsCountsTheModulesWay) {
    const struct {
        const char* mask;
        int bits;
    } cases[] = {{"0.0.0.0", 0},         {"255.255.255.0", 8},   {"255.255.0.0", 16},
                 {"255.0.0.0", 24},      {"255.255.254.0", 8},   {"255.255.255.128", 0},
                 {"255.255.255.255", 0}, {"255.255.255.252", 0}, {"128.0.0.0", 24}};
    for (const auto& c : cases) {
        EXPECT_EQ(xport::MaskHostBits(A(c.mask)), c.bits) << c.mask;
    }
}

TEST(XportDatagrams, SetupRecordForDhcpAndStatic) {
    const AddressValue dhcp = xport::SetupAddress(0);
    EXPECT_EQ(FormatAddress(dhcp), "0.0.4.0");
    const auto record = xport::BuildSetupRecord(dhcp, 0, 0);
    std::vector<std::uint8_t> expected(124, 0);
    expected[3] = 0xFD;
    expected[6] = 0x04;
    expected[11] = 0x2D;
    expected[20] = 0x4C;
    expected[21] = 0x01;
    expected[22] = 0x01;
    expected[24] = 0x11;
    expected[25] = 0x27;
    expected[32] = 0xC0;
    EXPECT_EQ(std::vector<std::uint8_t>(record.begin(), record.end()), expected);

    const auto fixed = xport::BuildSetupRecord(xport::SetupAddress(A("192.168.1.77")),
                                               A("255.255.254.0"), A("192.168.1.1"));
    expected[4] = 192;
    expected[5] = 168;
    expected[6] = 1;
    expected[7] = 77;
    expected[10] = 8;
    expected[16] = 192;
    expected[17] = 168;
    expected[18] = 1;
    expected[19] = 1;
    EXPECT_EQ(std::vector<std::uint8_t>(fixed.begin(), fixed.end()), expected);
}

TEST(XportDatagrams, IpSetupTakesTheLastTwoMacFields) {
    const auto datagram = xport::BuildIpSetup("0A:1B:2C:3D:4E:5F", A("10.0.0.5"));
    const std::vector<std::uint8_t> expected = {0,   0,   0, 0xFC, 'I',  'P',  '-', 'S', 'E', 'T',
                                                'U', 'P', 0, 0,    0x4E, 0x5F, 10,  0,   0,   5};
    EXPECT_EQ(std::vector<std::uint8_t>(datagram.begin(), datagram.end()), expected);
    // A fault text has a single colon: both octets read as 0; so does an empty cell.
    for (const char* cell : {"Error Count : 29", "", "0A:1B"}) {
        const auto d = xport::BuildIpSetup(cell, 0);
        EXPECT_EQ(d[14], 0) << cell;
        EXPECT_EQ(d[15], 0) << cell;
        EXPECT_EQ(d[16] | d[17] | d[18] | d[19], 0);
    }
    // The module's hexadecimal reading, lowercase included, kept to 8 bits.
    EXPECT_EQ(xport::MacFieldValue("FF"), 0xFF);
    EXPECT_EQ(xport::MacFieldValue("4e"), static_cast<std::uint8_t>(4 * 16 + ('e' - 55)));
    EXPECT_EQ(xport::MacFieldValue("123"), 0x23);
}

TEST(XportDatagrams, SearchRowsNameEachFault) {
    const struct {
        std::vector<std::uint8_t> bytes;
        const char* mac;
    } cases[] = {
        {Reply(30), "0A:1B:2C:3D:4E:5F"},      {Reply(128), "0A:1B:2C:3D:4E:5F"},
        {Reply(400), "0A:1B:2C:3D:4E:5F"},     {Reply(29), "Error Count : 29"},
        {Reply(30, 0xF5), "Error Reply : F5"}, {Reply(4, 0x00), "Error Reply : 00"},
        {Reply(3), "Error Count : 3"},         {{}, "Error Count : 0"},
    };
    for (int state : {xport::kStateSearching, xport::kStateRechecking}) {
        for (const auto& c : cases) {
            const DatagramOutcome outcome = Handle(state, c.bytes);
            EXPECT_EQ(outcome.kind, DatagramOutcome::Kind::AddRow);
            EXPECT_EQ(outcome.ipCell, "192.168.1.50");
            EXPECT_EQ(outcome.macCell, c.mac) << c.bytes.size();
            EXPECT_FALSE(outcome.unreachable);
        }
    }
    EXPECT_TRUE(Handle(xport::kStateSearching, Reply(30), "10.0.0.9").unreachable);
}

TEST(XportDatagrams, OutOfTurnDatagramsOverwriteTheLastRow) {
    EXPECT_EQ(Handle(xport::kStateSetupSent, Reply(4, xport::kSetupAck)).kind,
              DatagramOutcome::Kind::SetupAcknowledged);
    const DatagramOutcome wrong = Handle(xport::kStateSetupSent, Reply(30));
    EXPECT_EQ(wrong.kind, DatagramOutcome::Kind::OverwriteLastRow);
    EXPECT_EQ(wrong.ipCell, "SET_IP_1_S:");
    EXPECT_EQ(wrong.macCell, "Invalid Reply : F7");
    EXPECT_EQ(Handle(xport::kStateSetupSent, Reply(2)).macCell, "Error Count : 2");
    for (int state : {0, 3, 4, 6, 8, 9, 10, 11}) {
        const DatagramOutcome late = Handle(state, Reply(30));
        EXPECT_EQ(late.kind, DatagramOutcome::Kind::OverwriteLastRow);
        EXPECT_EQ(late.ipCell, "UDPRead");
        EXPECT_EQ(late.macCell, "Invalid State : " + std::to_string(state));
    }
}
