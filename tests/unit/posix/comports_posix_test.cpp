// COM ports on POSIX: the live serial devices in the emulated SERIALCOMM key, the sysfs scan,
// and the registry's hive files when they are damaged or cannot be written.
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/ComPorts.h"
#include "host/Registry.h"
#include "host/posix/PortOwner.h"
#include "host/posix/SerialDevices.h"
#include "tests/unit/RegistrySandbox.h"

using reg::Root;

TEST(BeforePortsStore, FailedSavesReportTheirFailureAndKeepTheOlderValue) {
    RegistrySandbox box;
    EXPECT_EQ(SaveBeforePorts({"COM1"}), "");
    const std::string damaged = ReadBytes(box.currentUserHive()) + "garbage line\r\n";
    box.writeHive(box.currentUserHive(), damaged);
    EXPECT_NE(SaveBeforePorts({"COM2"}), "");
    EXPECT_EQ(ReadBytes(box.currentUserHive()), damaged);
    EXPECT_EQ(LoadBeforePorts(), PortList{});

    WriteBytes(box.dir() / "file", "x");
    box.setRegistryDir(box.dir() / "file/registry");
    EXPECT_NE(SaveBeforePorts({"COM2"}), "");
    EXPECT_EQ(LoadBeforePorts(), PortList{});
}

TEST(ListComPorts, LiveDevicesComeFirstThenRegisteredPorts) {
    RegistrySandbox box;
    box.setSerialDevices("/dev/ttyS0::/dev/ttyUSB0:");
    reg::WriteString(Root::LocalMachine, kSerialCommKey, "VormaticSim", "/dev/pts/7");
    reg::WriteString(Root::LocalMachine, kSerialCommKey, "\\Device\\Redirector0", "COM9");

    PortList ports{"kept"};
    EXPECT_EQ(ListComPorts(&ports), "");
    EXPECT_EQ(ports, (PortList{"kept", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/pts/7", "COM9"}));
    EXPECT_EQ(reg::ValueNames(Root::LocalMachine, "hardware\\devicemap\\serialcomm"),
              (std::vector<std::string>{"\\Device\\ttyS0", "\\Device\\ttyUSB0", "VormaticSim",
                                        "\\Device\\Redirector0"}));
    EXPECT_EQ(ListComPorts(nullptr), "");

    // The live list is not stored: the hive holds the registered ports only.
    const std::string hive = ReadBytes(box.localMachineHive());
    EXPECT_EQ(hive.find("ttyUSB0"), std::string::npos) << hive;
}

TEST(ListComPorts, AValueWhoseOwnerIsGoneIsNoPortAndIsPruned) {
    RegistrySandbox box;
    reg::WriteString(Root::LocalMachine, kSerialCommKey, "\\Device\\Redirector0", "COM9");
    portowner::OwnedPort live;
    std::string error;
    ASSERT_TRUE(live.Register("\\Device\\VormaticLive0", "/dev/pts/70", &error)) << error;
    // An owner killed before it could remove its value.
    const pid_t killed = ::fork();
    ASSERT_GE(killed, 0);
    if (killed == 0) {
        portowner::OwnedPort port;
        std::string ignored;
        static_cast<void>(port.Register("\\Device\\VormaticGone0", "/dev/pts/71", &ignored));
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(reg::ValueNames(Root::LocalMachine, kSerialCommKey).size(), 3u);

    PortList ports;
    EXPECT_EQ(ListComPorts(&ports), "");
    EXPECT_EQ(ports, (PortList{"COM9", "/dev/pts/70"}));

    EXPECT_EQ(portowner::PruneOrphanedPorts(), 1);
    EXPECT_EQ(reg::ValueNames(Root::LocalMachine, kSerialCommKey),
              (std::vector<std::string>{"\\Device\\Redirector0", "\\Device\\VormaticLive0"}));
    live.Unregister();
    EXPECT_TRUE(FolderEntries(box.registryDir() + "/serialcomm-owners").empty());
}

TEST(ListComPorts, AStoredValueCannotHideBehindALiveName) {
    RegistrySandbox box;
    box.setSerialDevices("/dev/ttyACM0");
    reg::WriteString(Root::LocalMachine, kSerialCommKey, "\\device\\ttyacm0", "stale");
    PortList ports;
    EXPECT_EQ(ListComPorts(&ports), "");
    EXPECT_EQ(ports, (PortList{"/dev/ttyACM0"}));
}

TEST(ListComPorts, NoKeyAndNoDeviceIsAnEmptyListWithoutFailure) {
    RegistrySandbox box;
    PortList ports;
    EXPECT_EQ(ListComPorts(&ports), "");
    EXPECT_TRUE(ports.empty());
    EXPECT_FALSE(reg::KeyExists(Root::LocalMachine, kSerialCommKey));
    EXPECT_FALSE(IsDirectoryAt(box.registryDir()));

    box.setSerialDevices("/dev/ttyUSB3");
    EXPECT_TRUE(reg::KeyExists(Root::LocalMachine, kSerialCommKey));
}

TEST(ListComPorts, AFailureKeepsTheNamesReadBeforeIt) {
    RegistrySandbox box;
    box.setSerialDevices("/dev/ttyUSB0");
    box.writeHive(box.localMachineHive(),
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
                  "\"First\"=\"COM4\"\r\n\"Broken\"=dword:00000005\r\n\"Last\"=\"COM6\"\r\n\r\n");
    PortList ports;
    const std::string failure = ListComPorts(&ports);
    EXPECT_NE(failure.find("\"Broken\""), std::string::npos) << failure;
    EXPECT_EQ(ports, (PortList{"/dev/ttyUSB0", "COM4"}));

    std::string seen;
    EXPECT_EQ(FindNewPort({}, &seen), "/dev/ttyUSB0");
    EXPECT_EQ(seen, failure);
}

TEST(ListComPorts, ADamagedMachineHiveIsReportedAndLeftAlone) {
    RegistrySandbox box;
    box.setSerialDevices("/dev/ttyUSB0");
    const std::string damaged = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\HARDWARE\r\n\"x\"=\"y";
    box.writeHive(box.localMachineHive(), damaged);
    PortList ports;
    const std::string failure = ListComPorts(&ports);
    EXPECT_NE(failure.find(box.localMachineHive()), std::string::npos) << failure;
    // The live device read before the hive is kept, so Find still reaches a printer there.
    EXPECT_EQ(ports, (PortList{"/dev/ttyUSB0"}));
    EXPECT_EQ(ReadBytes(box.localMachineHive()), damaged);
}

TEST(FindNewPort, ComparesAFreshListingWithTheSavedList) {
    RegistrySandbox box;
    box.setSerialDevices("/dev/ttyS0");
    PortList before;
    ASSERT_EQ(ListComPorts(&before), "");
    SaveBeforePorts(before);

    // The driver installation adds a port; the comparison runs on the list saved before.
    reg::WriteString(Root::LocalMachine, kSerialCommKey, "\\Device\\VCP0", "/dev/ttyVCP0");
    EXPECT_EQ(FindNewPort(LoadBeforePorts()), "/dev/ttyVCP0");
    std::string failure = "untouched";
    EXPECT_EQ(FindNewPort(before, &failure), "/dev/ttyVCP0");
    EXPECT_EQ(failure, "");
    EXPECT_EQ(FindNewPort({"/dev/ttyS0", "/dev/ttyVCP0"}), "");
}

TEST(SerialDevices, ValueNamesFollowTheDevicePath) {
    EXPECT_EQ(serialdev::DeviceValueName("/dev/ttyUSB0"), "\\Device\\ttyUSB0");
    EXPECT_EQ(serialdev::DeviceValueName("/dev/pts/3"), "\\Device\\pts\\3");
    EXPECT_EQ(serialdev::DeviceValueName("/tmp/sim/tty"), "\\Device\\tmp\\sim\\tty");
}

TEST(SerialDevices, TheScanKeepsTtysWithADeviceAndAUart) {
    TempDir sys;
    const auto makeTty = [&](const std::string& name, bool device, const char* type) {
        std::filesystem::create_directories(sys / name);
        if (device) {
            std::filesystem::create_directory_symlink(sys.path(), sys / (name + "/device"));
        }
        if (type != nullptr) {
            WriteBytes(sys / (name + "/type"), type);
        }
    };
    makeTty("tty0", false, nullptr);  // a virtual console
    makeTty("ttyS0", true, "4\n");    // a 16550A
    makeTty("ttyS1", true, "0\n");    // a legacy slot without a UART
    makeTty("ttyS10", true, "4\n");
    makeTty("ttyS2", true, "4\n");
    makeTty("ttyUSB0", true, nullptr);  // USB adapters have no type file
    makeTty("ttyACM0", true, nullptr);
    makeTty("console", false, nullptr);

    EXPECT_EQ(serialdev::ScanTtyClass(sys.path(), "/dev"),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10",
                                        "/dev/ttyUSB0"}));
    EXPECT_TRUE(serialdev::ScanTtyClass(sys / "missing", "/dev").empty());

    // Looking up one name answers as the scan does, for every entry and a few that are none.
    const std::vector<std::string> listed = serialdev::ScanTtyClass(sys.path(), "/dev");
    for (const char* tty : {"tty0", "ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB0", "ttyACM0",
                            "console", "ttyUSB9", ".", "..", "", "ttyS0/device"}) {
        const std::string path = std::string("/dev/") + tty;
        const bool scanned = std::find(listed.begin(), listed.end(), path) != listed.end();
        EXPECT_EQ(serialdev::TtyClassDevice(std::string("\\Device\\") + tty, sys.path(), "/dev"),
                  scanned ? path : "")
            << tty;
    }
    EXPECT_EQ(serialdev::TtyClassDevice("\\DEVICE\\ttyUSB0", sys.path(), "/dev"), "/dev/ttyUSB0");
    EXPECT_EQ(serialdev::TtyClassDevice("ttyUSB0", sys.path(), "/dev"), "");
    EXPECT_EQ(serialdev::TtyClassDevice("\\Device\\..\\ttyUSB0", sys.path(), "/dev"), "");
}

TEST(SerialDevices, TheEnvironmentListReplacesTheScan) {
    RegistrySandbox box;
    EXPECT_TRUE(serialdev::LiveDevicePaths().empty());
    box.setSerialDevices(":/dev/pts/4::/tmp/x/tty:");
    EXPECT_EQ(serialdev::LiveDevicePaths(), (std::vector<std::string>{"/dev/pts/4", "/tmp/x/tty"}));
}

TEST(BeforePortsStore, ReadOfADamagedHiveIsAnUnknownList) {
    RegistrySandbox box;
    SaveBeforePorts({"COM1"});
    box.writeHive(box.currentUserHive(), "REGEDIT4\r\n\r\ngarbage line\r\n");
    EXPECT_EQ(ReadBeforePorts(), std::nullopt);
}
