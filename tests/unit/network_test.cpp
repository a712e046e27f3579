#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "host/Network.h"
#include "tests/unit/TestPlatform.h"

namespace {

// Sets VORMATIC_NETWORK_ADAPTERS (or unsets it for nullopt) for one test.
class AdapterOverride {
public:
    explicit AdapterOverride(const std::optional<std::string>& value)
        : env_("VORMATIC_NETWORK_ADAPTERS", value ? value->c_str() : nullptr) {}

private:
    ScopedEnv env_;
};

AddressValue A(const char* text) {
    return ParseAddress(text);
}

}  // namespace

TEST(Ipv4, ParsesAndPrintsTheSocketsLibraryWay) {
    EXPECT_EQ(FormatAddress(A("192.168.1.20")), "192.168.1.20");
    EXPECT_EQ(AddressOctet(A("192.168.1.20"), 0), 192);
    EXPECT_EQ(AddressOctet(A("192.168.1.20"), 3), 20);
    EXPECT_EQ(A("10.0.0.1"), AddressFromOctets(10, 0, 0, 1));
    for (const char* bad : {"", "abc", "1.2.3.256", "1.2.3.4.5", "255.255.255.255"}) {
        EXPECT_EQ(A(bad), 0xFFFFFFFFU) << bad;
    }
    EXPECT_EQ(FormatAddress(0), "0.0.0.0");
}

TEST(Ipv4, TryParseTellsAllOnesFromTextThatDoesNotParse) {
    for (const char* good : {"255.255.255.255", "0.0.0.0", "192.168.1.20", "10.0.0.1"}) {
        AddressValue value = 1;
        EXPECT_TRUE(TryParseAddress(good, value)) << good;
        EXPECT_EQ(FormatAddress(value), good);
    }
    for (const char* bad : {"", "abc", "1.2.3.256", "1.2.3.4.5", "1.2.3", "1.2.3.4 ", " 1.2.3.4",
                            "256.255.255.255", "1..2.3", "1.2.3.-4"}) {
        AddressValue value = 7;
        EXPECT_FALSE(TryParseAddress(bad, value)) << bad;
        EXPECT_EQ(value, 7U) << bad;
    }
}

TEST(Ipv4, DefaultMaskFollowsTheAddressClass) {
    const struct {
        const char* address;
        const char* mask;
    } cases[] = {
        {"10.1.2.3", "255.0.0.0"},      {"127.0.0.1", "255.0.0.0"},
        {"0.0.0.0", "255.0.0.0"},       {"128.0.0.1", "255.255.0.0"},
        {"191.255.0.1", "255.255.0.0"}, {"192.168.0.1", "255.255.255.0"},
        {"224.0.0.1", "255.255.255.0"}, {"255.255.255.255", "255.255.255.0"},
        {"", "255.255.255.0"},          {"abc", "255.255.255.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DefaultSubnetMask(c.address), c.mask) << c.address;
    }
}

TEST(Ipv4, SubnetTestAndBroadcastAddress) {
    const AddressValue pc = A("192.168.1.20");
    const AddressValue mask = A("255.255.255.0");
    EXPECT_TRUE(IsOnLocalSubnet(A("192.168.1.200"), pc, mask));
    EXPECT_FALSE(IsOnLocalSubnet(A("10.0.0.9"), pc, mask));
    EXPECT_FALSE(IsOnLocalSubnet(A("192.168.2.20"), pc, mask));
    EXPECT_EQ(LocalBroadcastAddress(pc, mask), "192.168.1.255");
    EXPECT_EQ(LocalBroadcastAddress(A("10.1.2.3"), A("255.0.0.0")), "10.255.255.255");
    // Nothing known about the PC: every address is reachable, the broadcast is all ones.
    EXPECT_TRUE(IsOnLocalSubnet(A("10.0.0.9"), 0, 0));
    EXPECT_EQ(LocalBroadcastAddress(0, 0), "255.255.255.255");
}

TEST(Adapters, TheFirstAdapterIsThePc) {
    AdapterOverride adapters("192.168.1.5/255.255.255.0,10.0.0.7/255.0.0.0");
    std::string addresses = "";
    std::string masks = "";
    GetAdapterAddressLists(addresses, masks);
    EXPECT_EQ(addresses, "192.168.1.5,10.0.0.7");
    EXPECT_EQ(masks, "255.255.255.0,255.0.0.0");

    AddressValue address = 1;
    AddressValue mask = 1;
    GetLocalAddress(address, mask);
    EXPECT_EQ(FormatAddress(address), "192.168.1.5");
    EXPECT_EQ(FormatAddress(mask), "255.255.255.0");
    EXPECT_FALSE(IsOnLocalSubnet(A("10.0.0.9"), address, mask));
    EXPECT_TRUE(IsOnLocalSubnet(A("192.168.1.200"), address, mask));
}

TEST(Adapters, OneAdapterHasNoComma) {
    AdapterOverride adapters("172.16.4.2/255.255.0.0");
    std::string addresses;
    std::string masks;
    GetAdapterAddressLists(addresses, masks);
    EXPECT_EQ(addresses, "172.16.4.2");
    EXPECT_EQ(masks, "255.255.0.0");
}

TEST(Adapters, NoAdapterGivesZeroesWithoutComplaint) {
    // A list without an entry (Windows has no empty variables; POSIX's empty one is tested
    // in posix/network_posix_test.cpp).
    AdapterOverride adapters(",");
    std::string addresses;
    std::string masks;
    EXPECT_THROW(
        {
            try {
                GetAdapterAddressLists(addresses, masks);
            } catch (const NetworkError& e) {
                EXPECT_STREQ(e.what(), "Call to GetAdaptersInfo failed.");
                throw;
            }
        },
        NetworkError);
    AddressValue address = 7;
    AddressValue mask = 7;
    GetLocalAddress(address, mask);
    EXPECT_EQ(address, 0U);
    EXPECT_EQ(mask, 0U);
}

TEST(Adapters, LiveListLeavesOutLoopback) {
    AdapterOverride adapters(std::nullopt);
    std::string addresses;
    std::string masks;
    try {
        GetAdapterAddressLists(addresses, masks);
    } catch (const NetworkError&) {
        GTEST_SKIP() << "this machine has no network adapter besides loopback";
    }
    EXPECT_EQ(addresses.find("127."), std::string::npos) << addresses;
    EXPECT_FALSE(addresses.empty());
    // One mask for each address.
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), ','),
              std::count(masks.begin(), masks.end(), ','));
}

TEST(XportEndpoints, DefaultsAndOverrides) {
    ScopedEnv query("VORMATIC_XPORT_QUERY_ADDRESS", nullptr);
    ScopedEnv port("VORMATIC_XPORT_PORT", nullptr);
    EXPECT_EQ(XportQueryAddress(), "255.255.255.255");
    EXPECT_EQ(XportProtocolPort(), 30718);
    query.Set("127.0.0.1");
    port.Set("40123");
    EXPECT_EQ(XportQueryAddress(), "127.0.0.1");
    EXPECT_EQ(XportProtocolPort(), 40123);
    port.Set("70000");
    EXPECT_EQ(XportProtocolPort(), 30718);
}
