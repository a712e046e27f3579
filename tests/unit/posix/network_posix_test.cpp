// The adapter override on POSIX, where a variable can be set and empty.
#include <gtest/gtest.h>

#include <string>

#include "host/Network.h"
#include "tests/unit/TestPlatform.h"

TEST(Adapters, AnEmptyAdapterVariableIsAPcWithoutAdapters) {
    ScopedEnv none("VORMATIC_NETWORK_ADAPTERS", "");
    std::string addresses;
    std::string masks;
    EXPECT_THROW(GetAdapterAddressLists(addresses, masks), NetworkError);
    AddressValue address = 7;
    AddressValue mask = 7;
    GetLocalAddress(address, mask);
    EXPECT_EQ(address, 0U);
    EXPECT_EQ(mask, 0U);
}
