// The stand-in redirector's bridge as a real process on a real pseudo-terminal, with a
// printer behind TCP on 127.0.0.1: identification through it with the real serial class and
// protocol, byte transparency, its SERIALCOMM value, the signals and the owner that end it,
// and a printer that drops the connection, is switched off and comes back.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/ComPorts.h"
#include "host/ExtendedProtocol.h"
#include "host/PrinterProbe.h"
#include "host/Registry.h"
#include "host/posix/SerialPosix.h"
#include "tests/support/TcpPrinter.h"
#include "tests/unit/RegistrySandbox.h"
#include "tools/cpr/SerialCommEntry.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kBridge = VORMATIC_BUILD_DIR "/tools/vormatic-cpr-bridge";

// One bridge process, started the way the manager starts it (stdout a pipe for the device
// path, stderr to a log file). Killed when the object goes, whatever the test did.
class Bridge {
public:
    Bridge(const std::string& host, int port, const std::string& logPath) : log_(logPath) {
        int out[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        ::posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(),
                                           O_WRONLY | O_CREAT | O_APPEND, 0644);
        const std::string portText = std::to_string(port);
        std::vector<char*> argv{const_cast<char*>(kBridge.c_str()), const_cast<char*>(host.c_str()),
                                const_cast<char*>(portText.c_str()), nullptr};
        EXPECT_EQ(::posix_spawn(&pid_, kBridge.c_str(), &actions, nullptr, argv.data(), environ),
                  0);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        path_ = FirstLine(out[0]);
        ::close(out[0]);
    }
    ~Bridge() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    const std::string& Path() const { return path_; }
    bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit code once it has ended by itself; -1 for a signal, -2 still running at `limit`.
    int Wait(milliseconds limit) {
        const auto until = Clock::now() + limit;
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > until) {
                return -2;
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Log() const { return ReadBytes(log_); }

private:
    static std::string FirstLine(int fd) {
        std::string line;
        const auto until = Clock::now() + milliseconds(5000);
        char c = 0;
        while (Clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                continue;
            }
            if (::read(fd, &c, 1) != 1 || c == '\n') {
                break;
            }
            line += c;
        }
        return line;
    }

    std::string log_;
    pid_t pid_ = -1;
    std::string path_;
};

bool Listed(const std::string& device) {
    PortList ports;
    EXPECT_EQ(ListComPorts(&ports), "");
    return std::find(ports.begin(), ports.end(), device) != ports.end();
}

// The slave opened raw, without flow control, so that every byte value is data.
int OpenRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios raw{};
    if (fd >= 0 && ::tcgetattr(fd, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
    }
    return fd;
}

std::string ReadFor(int fd, std::size_t count, milliseconds limit) {
    std::string bytes;
    const auto until = Clock::now() + limit;
    while (bytes.size() < count && Clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                bytes.append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    return bytes;
}

class CprBridge : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kBridge.c_str(), X_OK) != 0) {
            GTEST_SKIP() << "bridge not built: " << kBridge;
        }
    }
    std::string LogPath() const { return sandbox_.dir() / "bridge.log"; }

    RegistrySandbox sandbox_;
    // Should this test die before its bridges, they end with it.
    ScopedEnv owner_{"VORMATIC_CPR_OWNER_PID", std::to_string(::getpid()).c_str()};
};

TEST_F(CprBridge, IdentifiesThePrinterThroughTheBridgeAgainAndAgain) {
    TcpPrinter printer;
    Bridge bridge("127.0.0.1", printer.Port(), LogPath());
    ASSERT_EQ(bridge.Path().rfind("/dev/pts/", 0), 0u) << bridge.Log();
    EXPECT_TRUE(Listed(bridge.Path()));
    EXPECT_EQ(reg::ReadString(reg::Root::LocalMachine, kSerialCommKey, CprValueName(bridge.Path())),
              bridge.Path());

    // The serial class and the protocol as the probe uses them, at 19200 8N1 with XON/XOFF.
    for (int i = 0; i < 3; ++i) {
        SerialPosix port(bridge.Path().c_str(), 512, 512);
        ASSERT_EQ(port.IsOpen(), 1) << "open " << i;
        ExtendedProtocol protocol(&port);
        char answer[128] = {};
        const auto start = Clock::now();
        EXPECT_EQ(protocol.Exchange('V', "", answer, sizeof answer), ExtendedProtocol::kOk) << i;
        EXPECT_STREQ(answer, TcpPrinter::kIdentity);
        EXPECT_LT(Clock::now() - start, milliseconds(500)) << "answered on the first try";
    }
    // The probe opens and closes the port for every try of a search; the bridge keeps going.
    for (int i = 0; i < 40; ++i) {
        SerialPosix port(bridge.Path().c_str(), 512, 512);
        ASSERT_EQ(port.IsOpen(), 1) << "open " << i;
    }
    for (int i = 0; i < 5; ++i) {
        std::string identity;
        EXPECT_TRUE(IdentifyPrinter(bridge.Path(), &identity)) << "probe " << i;
        EXPECT_EQ(identity, TcpPrinter::kIdentity);
    }
    EXPECT_EQ(printer.Frames(), 8);
    EXPECT_EQ(printer.Accepted(), 1) << "one connection serves every open of the port";
    EXPECT_TRUE(bridge.Running());
}

TEST_F(CprBridge, PassesEveryByteValueUnchangedBothWays) {
    TcpPrinter printer;
    printer.SetAnswering(false);
    Bridge bridge("127.0.0.1", printer.Port(), LogPath());
    ASSERT_FALSE(bridge.Path().empty()) << bridge.Log();
    ASSERT_TRUE(
        TcpPrinter::WaitUntil([&] { return printer.OpenConnections() == 1; }, milliseconds(3000)));
    const int fd = OpenRaw(bridge.Path());
    ASSERT_GE(fd, 0);
    std::string every;
    for (int value = 0; value < 256; ++value) {
        every += static_cast<char>(value);
    }
    const std::string twice = every + std::string(every.rbegin(), every.rend());
    ASSERT_EQ(::write(fd, twice.data(), twice.size()), static_cast<ssize_t>(twice.size()));
    EXPECT_TRUE(
        TcpPrinter::WaitUntil([&] { return printer.Received() == twice; }, milliseconds(3000)));

    printer.Send(twice);
    EXPECT_EQ(ReadFor(fd, twice.size(), milliseconds(3000)), twice);
    ::close(fd);
}

TEST_F(CprBridge, EndsOnTermHupAndIntAndTakesItsPortAlong) {
    TcpPrinter printer;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        Bridge bridge("127.0.0.1", printer.Port(), LogPath());
        ASSERT_FALSE(bridge.Path().empty()) << bridge.Log();
        EXPECT_TRUE(IsCprPortRegistered(bridge.Path())) << strsignal(signal);
        // A program that has the port open does not keep the bridge alive.
        SerialPosix open(bridge.Path().c_str(), 512, 512);
        ASSERT_EQ(open.IsOpen(), 1);
        bridge.Signal(signal);
        EXPECT_EQ(bridge.Wait(milliseconds(3000)), 0) << strsignal(signal) << "\n" << bridge.Log();
        EXPECT_FALSE(IsCprPortRegistered(bridge.Path())) << strsignal(signal);
        EXPECT_FALSE(Listed(bridge.Path())) << strsignal(signal);
    }
}

TEST_F(CprBridge, EndsWithItsOwner) {
    // The owner is a small process of its own, ended while the bridge runs.
    pid_t owner = 0;
    const char* argv[] = {"/bin/sleep", "30", nullptr};
    ASSERT_EQ(::posix_spawn(&owner, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    owner_.Set(std::to_string(owner).c_str());
    TcpPrinter printer;
    Bridge bridge("127.0.0.1", printer.Port(), LogPath());
    ASSERT_FALSE(bridge.Path().empty()) << bridge.Log();
    EXPECT_TRUE(IsCprPortRegistered(bridge.Path()));
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
    EXPECT_EQ(bridge.Wait(milliseconds(3000)), 0) << bridge.Log();
    EXPECT_FALSE(IsCprPortRegistered(bridge.Path()));

    // An owner that has ended already: no port is made at all.
    Bridge late("127.0.0.1", printer.Port(), LogPath());
    EXPECT_EQ(late.Path(), "");
    EXPECT_EQ(late.Wait(milliseconds(3000)), 1);
    PortList ports;
    ListComPorts(&ports);
    EXPECT_TRUE(ports.empty());
}

TEST_F(CprBridge, FollowsThePrinterThroughDropsAndPowerCycles) {
    // The printer is off when the bridge starts: the port is made all the same.
    TcpPrinter printer;
    printer.Stop();
    const auto start = Clock::now();
    Bridge bridge("127.0.0.1", printer.Port(), LogPath());
    ASSERT_FALSE(bridge.Path().empty()) << bridge.Log();
    EXPECT_TRUE(IsCprPortRegistered(bridge.Path()));
    EXPECT_TRUE(TcpPrinter::WaitUntil(
        [&] { return bridge.Log().find("cannot reach") != std::string::npos; },
        milliseconds(2000)));

    // Switched on between the background tries (after 1 s, then 2 s more): the first frame
    // from the port makes the connection, and the first try is answered.
    std::this_thread::sleep_until(start + milliseconds(1300));
    ASSERT_TRUE(printer.Restart());
    std::string identity;
    const auto probe = Clock::now();
    EXPECT_TRUE(IdentifyPrinter(bridge.Path(), &identity)) << bridge.Log();
    EXPECT_LT(Clock::now() - probe, milliseconds(900));
    EXPECT_LT(Clock::now() - start, milliseconds(2900)) << "not the background try";
    EXPECT_EQ(printer.Accepted(), 1);

    // The printer closes the connection: the bridge connects again by itself.
    printer.DropConnections();
    EXPECT_TRUE(TcpPrinter::WaitUntil([&] { return printer.Accepted() == 2; }, milliseconds(3000)))
        << bridge.Log();
    EXPECT_TRUE(IdentifyPrinter(bridge.Path(), &identity)) << bridge.Log();

    // Switched off and on again while the port is idle.
    printer.Stop();
    EXPECT_TRUE(TcpPrinter::WaitUntil(
        [&] { return bridge.Log().find("lost: closed by the printer") != std::string::npos; },
        milliseconds(2000)));
    ASSERT_TRUE(printer.Restart());
    EXPECT_TRUE(IdentifyPrinter(bridge.Path(), &identity)) << bridge.Log();
    EXPECT_EQ(identity, TcpPrinter::kIdentity);
    EXPECT_TRUE(bridge.Running());
}

TEST_F(CprBridge, KeepsItsPauseAndItsLogWhateverTheWriterDoes) {
    // A program writes to the port without end while the printer cannot be reached.
    TcpPrinter printer;
    printer.Stop();
    Bridge bridge("127.0.0.1", printer.Port(), LogPath());
    ASSERT_FALSE(bridge.Path().empty()) << bridge.Log();
    const int fd = OpenRaw(bridge.Path());
    ASSERT_GE(fd, 0);
    const auto start = Clock::now();
    while (Clock::now() - start < milliseconds(3000)) {
        EXPECT_EQ(::write(fd, "\x02V", 2), 2);
        std::this_thread::sleep_for(milliseconds(1));
    }
    ::close(fd);
    // One line for the first failure; the rest are counted, and told when the bridge ends.
    std::string log = bridge.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    bridge.Signal(SIGTERM);
    EXPECT_EQ(bridge.Wait(milliseconds(3000)), 0);
    log = bridge.Log();
    const std::size_t told = log.find("): ");
    ASSERT_NE(told, std::string::npos) << log;
    // About one try a second from the writer, and the background's growing pause.
    const int tries = std::atoi(log.c_str() + told + 3);
    EXPECT_GE(tries, 2) << log;
    EXPECT_LE(tries, 7) << log;
}

}  // namespace
