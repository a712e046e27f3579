// The Windows serial class and the printer protocol on COM ports that the printer simulator
// answers. scripts/test-windows.sh starts three simulators on pseudo-terminals, maps them to
// COM ports of the Wine prefix and names the ports here:
//   VORMATIC_WINE_COM_PRINTER   a printer (identity VORMATIC_WINE_COM_IDENTITY), --check-line
//   VORMATIC_WINE_COM_SILENT    a printer that never answers
//   VORMATIC_WINE_COM_NAK       a printer that refuses every command
// Without them (on a Windows PC, say) the tests skip and say why.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "host/ExtendedProtocol.h"
#include "host/PrinterProbe.h"
#include "host/SerialDriver.h"
#include "host/WaitClock.h"
#include "host/win32/SerialWinComm.h"
#include "tests/unit/TestPlatform.h"

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

const char kNoPort[] = " is not set: no simulated printer on a COM port";

// One "V" exchange through the real serial class; the result code and the answer.
int ExchangeV(const std::string& port, std::string* answer) {
    SerialWinComm driver(port.c_str(), 512, 512);
    EXPECT_EQ(driver.IsOpen(), 1) << port;
    ExtendedProtocol protocol(&driver);
    char text[128] = {};
    const int result = protocol.Exchange('V', "", text, sizeof text);
    *answer = text;
    return result;
}

}  // namespace

TEST(SerialWinComm, IdentifiesThePrinterOnAComPort) {
    const std::string port = Variable("VORMATIC_WINE_COM_PRINTER");
    if (port.empty()) {
        GTEST_SKIP() << "VORMATIC_WINE_COM_PRINTER" << kNoPort;
    }
    const std::string expected = Variable("VORMATIC_WINE_COM_IDENTITY");
    ASSERT_FALSE(expected.empty());
    const int handlesBefore = testplatform::OpenHandleCount();
    for (int round = 0; round < 3; ++round) {
        std::string identity;
        ASSERT_TRUE(IdentifyPrinter(port, &identity)) << "round " << round;
        EXPECT_EQ(identity, expected);
    }
    std::string answer;
    EXPECT_EQ(ExchangeV(port, &answer), ExtendedProtocol::kOk);
    EXPECT_EQ(answer, expected);
    // Every way out closed the port.
    EXPECT_EQ(testplatform::OpenHandleCount(), handlesBefore);
}

TEST(SerialWinComm, ConfiguresNineteenTwoHundredEightNOneWithXonXoffAndReopens) {
    const std::string port = Variable("VORMATIC_WINE_COM_PRINTER");
    if (port.empty()) {
        GTEST_SKIP() << "VORMATIC_WINE_COM_PRINTER" << kNoPort;
    }
    SerialWinComm driver(port.c_str(), 512, 512);
    ASSERT_EQ(driver.IsOpen(), 1);
    EXPECT_EQ(std::string(driver.DevicePath()), "\\\\.\\" + port);
    // A second handle on the port: Windows refuses it, as the port is held exclusively; Wine
    // does not enforce that, and the second handle shows the settings the port has.
    HANDLE other = ::CreateFileA(driver.DevicePath(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (!testplatform::UnderWine()) {
        EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    } else {
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        DCB line{};
        line.DCBlength = sizeof line;
        EXPECT_TRUE(::GetCommState(other, &line));
        ::CloseHandle(other);
        EXPECT_EQ(line.BaudRate, 19200U);
        EXPECT_EQ(line.ByteSize, 8);
        EXPECT_EQ(line.Parity, NOPARITY);
        EXPECT_EQ(line.StopBits, ONESTOPBIT);
        EXPECT_TRUE(line.fOutX && line.fInX);
        EXPECT_EQ(line.XonChar, 0x11);
        EXPECT_EQ(line.XoffChar, 0x13);
    }

    driver.Close();
    EXPECT_EQ(driver.IsOpen(), 0);
    // Reopened by the stored name, it is configured again and answers.
    ASSERT_TRUE(driver.Open(nullptr));
    driver.Configure(0, 1, 0, serial::kNone);
    ASSERT_EQ(driver.IsOpen(), 1);
    ExtendedProtocol protocol(&driver);
    char answer[128] = {};
    EXPECT_EQ(protocol.Exchange('V', "", answer, sizeof answer), ExtendedProtocol::kOk);
}

TEST(SerialWinComm, SilentAndRefusingPrintersGiveTheirResultCodes) {
    const struct {
        const char* variable;
        int result;
    } cases[] = {
        {"VORMATIC_WINE_COM_SILENT", ExtendedProtocol::kTimeout},
        {"VORMATIC_WINE_COM_NAK", ExtendedProtocol::kNak},
    };
    // Four tries of 1000 ms each pass on a clock ten times faster.
    const waits::ScopedSpeedup fast(10);
    for (const auto& c : cases) {
        const std::string port = Variable(c.variable);
        if (port.empty()) {
            GTEST_SKIP() << c.variable << kNoPort;
        }
        std::string answer;
        EXPECT_EQ(ExchangeV(port, &answer), c.result) << c.variable;
        std::string identity = "untouched";
        EXPECT_FALSE(IdentifyPrinter(port, &identity)) << c.variable;
    }
}

TEST(SerialWinComm, APortThatIsNoneStaysClosed) {
    const int handlesBefore = testplatform::OpenHandleCount();
    for (const char* name : {"COM250", "NOSUCHPORT", ""}) {
        SerialWinComm driver(name, 512, 512);
        EXPECT_EQ(driver.IsOpen(), 0) << name;
        int byte = 0;
        EXPECT_FALSE(driver.ReadByte(&byte)) << name;
        std::string identity;
        EXPECT_FALSE(IdentifyPrinter(name, &identity)) << name;
    }
    // A name longer than CreateFileA takes is refused whole, never cut short.
    SerialWinComm longName(std::string(400, 'C').c_str(), 512, 512);
    EXPECT_EQ(longName.IsOpen(), 0);
    EXPECT_EQ(testplatform::OpenHandleCount(), handlesBefore);
}
