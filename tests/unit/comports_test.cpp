#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "host/ComPorts.h"
#include "host/Registry.h"
#include "tests/unit/RegistrySandbox.h"

namespace {

using reg::Root;

std::string StoredBeforePorts() {
    return reg::ReadString(Root::CurrentUser, kInstallerPrefsKey, "BeforePorts").value_or("<none>");
}

}  // namespace

TEST(FindNewPort, ReportsTheFirstAddedPortOnlyWhenTheListGrew) {
    EXPECT_EQ(FindNewPortIn({"COM1", "COM3", "COM7"}, {"COM1", "COM3"}), "COM7");
    EXPECT_EQ(FindNewPortIn({"COM9", "COM1", "COM3", "COM7"}, {"COM1", "COM3"}), "COM9");
    // Same count: a port that replaced another is not reported.
    EXPECT_EQ(FindNewPortIn({"COM1", "COM4"}, {"COM1", "COM3"}), "");
    EXPECT_EQ(FindNewPortIn({"COM1"}, {"COM1", "COM3"}), "");
    EXPECT_EQ(FindNewPortIn({"COM1"}, {}), "COM1");
    EXPECT_EQ(FindNewPortIn({}, {}), "");
}

TEST(FindNewPort, ComparesNamesWithoutCase) {
    EXPECT_EQ(FindNewPortIn({"COM1", "COM3", "COM5"}, {"com3", "Com1"}), "COM5");
    EXPECT_EQ(FindNewPortIn({"COM3", "/dev/ttyUSB0"}, {"com3"}), "/dev/ttyUSB0");
}

TEST(FindNewPort, FindsNothingWhenEveryNameIsKnown) {
    // A saved list with duplicates can be shorter in names yet hold every current one.
    EXPECT_EQ(FindNewPortIn({"COM1", "COM3", "COM1"}, {"COM1", "COM3"}), "");
    EXPECT_EQ(FindNewPortIn({"COM1", "COM1"}, {"com1"}), "");
}

TEST(BeforePortsText, EachNameIsFollowedByAComma) {
    EXPECT_EQ(FormatBeforePorts({"COM1", "COM3"}), "COM1,COM3,");
    EXPECT_EQ(FormatBeforePorts({"COM1", "", "COM3"}), "COM1,,COM3,");
    EXPECT_EQ(FormatBeforePorts({}), "");
}

TEST(BeforePortsText, SplitsAtEveryCommaAndLeavesOutEmptyEntries) {
    EXPECT_EQ(ParseBeforePorts("COM1,COM3,"), (PortList{"COM1", "COM3"}));
    EXPECT_EQ(ParseBeforePorts("COM1,,COM3,"), (PortList{"COM1", "COM3"}));
    EXPECT_EQ(ParseBeforePorts("COM1"), (PortList{"COM1"}));
    EXPECT_EQ(ParseBeforePorts("COM1,COM3"), (PortList{"COM1", "COM3"}));
    EXPECT_EQ(ParseBeforePorts(",COM3,"), (PortList{"COM3"}));
    EXPECT_EQ(ParseBeforePorts(""), PortList{});
    EXPECT_EQ(ParseBeforePorts(",,,,"), PortList{});
    // Empty entries would make the list look longer than the ports it names, and hide a port
    // that was added since.
    EXPECT_EQ(FindNewPortIn({"COM1", "COM7"}, ParseBeforePorts("COM1,,,,")), "COM7");
}

TEST(BeforePortsText, AHugeStoredValueParsesInLinearTime) {
    // Megabytes of names and empty entries: cutting names off the front one by one copies the
    // rest each time and takes minutes; one pass takes milliseconds, even under sanitizers.
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text += "COM" + std::to_string(i % 100) + ",,,";
    }
    const auto started = std::chrono::steady_clock::now();
    const PortList ports = ParseBeforePorts(text);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(ports.size(), 200000U);
    EXPECT_EQ(ports.back(), "COM99");
    EXPECT_LT(took, std::chrono::seconds(10)) << text.size() << " bytes";
}

TEST(BeforePortsStore, SavesUnderTheInstallerKeyAndLoadsBack) {
    RegistrySandbox box;
    SaveBeforePorts({"COM1", "COM3"});
    EXPECT_EQ(StoredBeforePorts(), "COM1,COM3,");
    EXPECT_EQ(LoadBeforePorts(), (PortList{"COM1", "COM3"}));

    // Only the latest save survives.
    SaveBeforePorts({"/dev/ttyUSB0"});
    EXPECT_EQ(LoadBeforePorts(), (PortList{"/dev/ttyUSB0"}));
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kInstallerPrefsKey),
              (std::vector<std::string>{"BeforePorts"}));

    SaveBeforePorts({});
    EXPECT_EQ(StoredBeforePorts(), "");
    EXPECT_EQ(LoadBeforePorts(), PortList{});
}

TEST(BeforePortsStore, LoadsStoredTextsAsWritten) {
    RegistrySandbox box;
    reg::WriteString(Root::CurrentUser, kInstallerPrefsKey, "BeforePorts", "COM1,,COM3,");
    EXPECT_EQ(LoadBeforePorts(), (PortList{"COM1", "COM3"}));
    reg::WriteString(Root::CurrentUser, kInstallerPrefsKey, "beforeports", "COM1");
    EXPECT_EQ(LoadBeforePorts(), (PortList{"COM1"}));
}

TEST(BeforePortsStore, MissingOrUnreadableValuesLoadEmpty) {
    RegistrySandbox box;
    EXPECT_EQ(LoadBeforePorts(), PortList{});  // no hive at all
    reg::WriteString(Root::CurrentUser, kInstallerPrefsKey, "Other", "x");
    EXPECT_EQ(LoadBeforePorts(), PortList{});  // key without the value

    box.seed(Root::CurrentUser,
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvanta\\VormaticInstaller\\"
             "Prefs]\r\n\"BeforePorts\"=dword:00000001\r\n\r\n");
    EXPECT_EQ(LoadBeforePorts(), PortList{});
}

TEST(BeforePortsStore, ReadTellsAnUnknownListFromAnEmptyOne) {
    RegistrySandbox box;
    EXPECT_EQ(ReadBeforePorts(), std::nullopt);  // never saved
    SaveBeforePorts({});
    EXPECT_EQ(ReadBeforePorts(), PortList{});  // a PC that had no port
    SaveBeforePorts({"COM1"});
    EXPECT_EQ(ReadBeforePorts(), PortList{"COM1"});
    box.seed(Root::CurrentUser,
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvanta\\VormaticInstaller\\"
             "Prefs]\r\n\"BeforePorts\"=hex:43,4f,4d,31,2c\r\n\r\n");
    EXPECT_EQ(ReadBeforePorts(), std::nullopt);
}

TEST(ListComPorts, RegisteredPortsInTheirOrderAndAValueThatIsNoStringReported) {
    RegistrySandbox box;
    PortList ports;
    EXPECT_EQ(ListComPorts(&ports), "");  // no SERIALCOMM key at all
    EXPECT_TRUE(ports.empty());

    box.seed(Root::LocalMachine,
             "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
             "\"\\\\Device\\\\Serial0\"=\"COM1\"\r\n\"\\\\Device\\\\VCP0\"=\"COM4\"\r\n\r\n");
    ports = {"kept"};
    EXPECT_EQ(ListComPorts(&ports), "");
    EXPECT_EQ(ports, (PortList{"kept", "COM1", "COM4"}));

    // A driver that wrote its port as a number: the names before it are kept, the failure
    // names the value, and FindNewPort passes it on.
    box.seed(Root::LocalMachine,
             "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
             "\"\\\\Device\\\\Serial0\"=\"COM1\"\r\n\"\\\\Device\\\\VCP0\"=\"COM4\"\r\n"
             "\"Broken\"=dword:00000005\r\n\"Last\"=\"COM6\"\r\n\r\n");
    ports.clear();
    const std::string failure = ListComPorts(&ports);
    EXPECT_NE(failure.find("\"Broken\""), std::string::npos) << failure;
    EXPECT_EQ(ports, (PortList{"COM1", "COM4"}));
    std::string seen;
    EXPECT_EQ(FindNewPort({"COM1"}, &seen), "COM4");
    EXPECT_EQ(seen, failure);

    // A port the driver installation added shows up against the list saved before it.
    SaveBeforePorts({"COM1", "COM4"});
    reg::DeleteValue(Root::LocalMachine, kSerialCommKey, "Broken");
    EXPECT_EQ(FindNewPort(LoadBeforePorts()), "COM6");
    EXPECT_EQ(FindNewPort({"COM1", "COM4", "com6"}), "");
}
