// The stand-in installers of the Windows demo CD (scripts/make-windows-cd.sh), run as the
// wizard runs them: each says that it ran, the USB driver adds the printer's COM port where
// the wizard looks for new ports, the redirector installer puts its manager at the manager's
// default path. VORMATIC_WIN_CD names the CD's folder (scripts/test-windows.sh sets it).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "host/ComPorts.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "tests/unit/TempDir.h"
#include "tests/unit/TestPlatform.h"

namespace {

std::string CdFolder() {
    const char* folder = std::getenv("VORMATIC_WIN_CD");
    return folder != nullptr ? folder : "";
}

struct ProgramRun {
    int code;
    std::string output;
    std::string log;
};

// Runs `program` with the demo log in `dir` and no installation delay.
ProgramRun RunFromCd(const TempDir& dir, const std::string& program) {
    const std::string log = dir / "demo-install.log";
    ScopedEnv logTo("VORMATIC_DEMO_LOG", log.c_str());
    ScopedEnv quick("VORMATIC_DEMO_INSTALL_SECONDS", "0");
    ProgramRun run{};
    run.code = testplatform::RunProgram(program, dir.path(), &run.output);
    run.log = FileExists(log) ? ReadBytes(log) : std::string();
    return run;
}

#define REQUIRE_CD()                                                                     \
    if (CdFolder().empty()) {                                                            \
        GTEST_SKIP() << "VORMATIC_WIN_CD names no CD (scripts/test-windows.sh sets it)"; \
    }

}  // namespace

TEST(DemoCd, ProducerStandInsNameTheProducerTheirFileNames) {
    REQUIRE_CD();
    const struct {
        const char* installer;
        const char* title;
    } cases[] = {{"RX200\\VormaticProducer.exe", "Vormatic Producer"},
                 {"MZ4-A\\VormaticProducerCL.exe", "Vormatic Producer CL"}};
    for (const auto& c : cases) {
        TempDir dir;
        const std::string program = CdFolder() + "\\setup\\producer\\" + c.installer;
        const ProgramRun run = RunFromCd(dir, program);
        EXPECT_EQ(run.code, 0) << program;
        EXPECT_NE(run.output.find(std::string(c.title) + ": done.\n"), std::string::npos)
            << run.output;
        EXPECT_NE(run.log.find(std::string(c.title) + " installed by " + program + "\r\n"),
                  std::string::npos)
            << run.log;
    }
}

TEST(DemoCd, UsbDriverPlugsThePrinterInAsANewPort) {
    REQUIRE_CD();
    const std::string program = CdFolder() + "\\setup\\usb\\setup.exe";
    PortList before;
    ASSERT_EQ(ListComPorts(&before), "");
    {
        // Without a printer the driver installs and adds no port.
        TempDir dir;
        ScopedEnv none("VORMATIC_DEMO_USB_PRINTER_DEVICE", nullptr);
        const ProgramRun run = RunFromCd(dir, program);
        EXPECT_EQ(run.code, 0);
        EXPECT_NE(run.log.find("no printer to plug in"), std::string::npos) << run.log;
        EXPECT_EQ(FindNewPort(before), "");
    }
    TempDir dir;
    ScopedEnv device("VORMATIC_DEMO_USB_PRINTER_DEVICE", "/dev/null");
    ScopedEnv port("VORMATIC_DEMO_USB_PORT", nullptr);
    const ProgramRun run = RunFromCd(dir, program);
    const std::string added = FindNewPort(before);
    const std::optional<std::string> mapped =
        reg::ReadString(reg::Root::LocalMachine, "Software\\Wine\\Ports", added);
    reg::DeleteValue(reg::Root::LocalMachine, kSerialCommKey, "\\Device\\VormaticUsb0");
    reg::DeleteValue(reg::Root::LocalMachine, "Software\\Wine\\Ports", added);
    EXPECT_EQ(run.code, 0) << run.output;
    ASSERT_EQ(added.rfind("COM", 0), 0U) << added;
    EXPECT_EQ(mapped, std::optional<std::string>("/dev/null"));
    EXPECT_NE(run.log.find("printer plugged in as " + added + " "), std::string::npos) << run.log;
}

TEST(DemoCd, RedirectorInstallerNeedsItsManagerAndInstallsItAtTheDefaultPath) {
    REQUIRE_CD();
    const std::string folder = CdFolder() + "\\setup\\ethernet\\com port redirector\\";
    const std::string installer = "setup_cpr_x86x64cd_4.3.0.2.exe";
    {
        // A CD folder without the manager: the installation fails, and says so.
        TempDir dir;
        ASSERT_TRUE(::CopyFileA((folder + installer).c_str(), (dir / installer).c_str(), FALSE));
        const ProgramRun run = RunFromCd(dir, dir / installer);
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.log.find("NOT installed"), std::string::npos) << run.log;
    }
    const std::string target = RedirectorManagerDefaultPath();
    ::DeleteFileA(target.c_str());
    TempDir dir;
    const ProgramRun run = RunFromCd(dir, folder + installer);
    EXPECT_EQ(run.code, 0) << run.output;
    ASSERT_TRUE(FileExists(target)) << target;
    EXPECT_EQ(ReadBytes(target), ReadBytes(folder + "CprManager.exe"));
    // The installed manager runs from there and logs that it did.
    const ProgramRun manager = RunFromCd(dir, target);
    EXPECT_EQ(manager.code, 0);
    EXPECT_NE(manager.log.find("manager started by " + target), std::string::npos) << manager.log;
    ::DeleteFileA(target.c_str());
}
