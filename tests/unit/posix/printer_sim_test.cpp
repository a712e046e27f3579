// The real printer simulator on its pseudo-terminal, probed by the real serial class and
// protocol: identification, every fault mode, the line-settings check, registration in the
// emulated SERIALCOMM key and the ways the simulator ends.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/ComPorts.h"
#include "host/ExtendedProtocol.h"
#include "host/PrinterProbe.h"
#include "host/Registry.h"
#include "host/SerialDriver.h"
#include "host/WaitClock.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kSimulator = VORMATIC_BUILD_DIR "/tools/vormatic-printer-sim";
const std::string kDefaultIdentity = "RX200 Vormatic Tag Printer v2.14";

// One simulator process; stopped with SIGTERM when the object goes.
class Sim {
public:
    Sim(const std::vector<std::string>& options, const std::string& logPath) : log_(logPath) {
        int in[2];
        int out[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        ::posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv{const_cast<char*>(kSimulator.c_str())};
        for (const std::string& option : options) {
            argv.push_back(const_cast<char*>(option.c_str()));
        }
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, kSimulator.c_str(), &actions, nullptr, argv.data(), environ),
                  0);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        path_ = FirstLine(out[0]);
        ::close(out[0]);
    }
    ~Sim() {
        if (stdin_ >= 0) {
            ::close(stdin_);
        }
        if (pid_ > 0) {
            Stop();
        }
    }

    const std::string& Path() const { return path_; }
    pid_t Pid() const { return pid_; }

    // `signal` (SIGTERM unless told) and wait; the exit code, or -1 when it did not exit
    // normally.
    int Stop(int signal = SIGTERM) {
        ::kill(pid_, signal);
        return Wait(milliseconds(5000));
    }
    // Waits for the process to end by itself; -2 when it is still running at the deadline.
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
    void CloseStdin() {
        ::close(stdin_);
        stdin_ = -1;
    }
    std::string Log() const {
        std::ifstream file(log_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    static std::string FirstLine(int fd) {
        std::string line;
        const auto until = Clock::now() + milliseconds(5000);
        while (Clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (::read(fd, &c, 1) != 1 || c == '\n') {
                break;
            }
            line += c;
        }
        return line;
    }

    std::string log_;
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::string path_;
};

struct Probe {
    int result;
    std::string answer;
    milliseconds elapsed;  // on the protocol's clock (waits::TickCountMs)
};

// One "V" exchange on `port` through the real serial class.
Probe ExchangeV(const std::string& port) {
    const auto driver = CreateSerialPort(port.c_str(), 512, 512);
    EXPECT_EQ(driver->IsOpen(), 1) << port;
    ExtendedProtocol protocol(driver.get());
    char answer[128] = {};
    const std::uint32_t start = waits::TickCountMs();
    const int result = protocol.Exchange('V', "", answer, sizeof answer);
    return {result, answer, milliseconds(waits::TickCountMs() - start)};
}

class PrinterSim : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kSimulator.c_str(), X_OK) != 0) {
            GTEST_SKIP() << "simulator not built: " << kSimulator;
        }
        char dir[] = "/tmp/printer-sim-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
        ::setenv("VORMATIC_REGISTRY_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (!dir_.empty()) {
            const std::string command = "rm -rf '" + dir_ + "'";
            EXPECT_EQ(std::system(command.c_str()), 0);
        }
    }
    std::string LogPath(const std::string& name) const { return dir_ + "/" + name + ".log"; }

    std::string dir_;
};

TEST_F(PrinterSim, IdentifiesThePrinterAgainAndAgain) {
    Sim sim({}, LogPath("default"));
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    for (int i = 0; i < 3; ++i) {
        std::string identity = "old";
        EXPECT_TRUE(IdentifyPrinter(sim.Path(), &identity)) << "probe " << i;
        EXPECT_EQ(identity, kDefaultIdentity);
    }
    EXPECT_NE(sim.Log().find("frame 'V' data \"\" checksum 086 ok -> answer"), std::string::npos)
        << sim.Log();

    // While another program holds the port, the probe is refused at once.
    {
        const auto holder = CreateSerialPort(sim.Path().c_str(), 512, 512);
        ASSERT_EQ(holder->IsOpen(), 1);
        const auto start = Clock::now();
        std::string identity = "untouched";
        EXPECT_FALSE(IdentifyPrinter(sim.Path(), &identity));
        EXPECT_EQ(identity, "untouched");
        EXPECT_LT(Clock::now() - start, milliseconds(500));
    }

    Sim plate({"--identity", "PX40 Plate Printer", "--quiet"}, LogPath("plate"));
    std::string identity;
    EXPECT_TRUE(IdentifyPrinter(plate.Path(), &identity));
    EXPECT_EQ(identity, "PX40 Plate Printer");
    EXPECT_EQ(plate.Log(), "");
}

TEST_F(PrinterSim, FaultModesGiveTheirResultCodes) {
    struct Case {
        const char* fault;
        int result;
    };
    const Case cases[] = {
        {"nak", ExtendedProtocol::kNak},
        {"wrong-echo", ExtendedProtocol::kWrongEcho},
        {"bad-checksum", ExtendedProtocol::kBadChecksum},
        {"long", ExtendedProtocol::kTooLong},
        {"noise", ExtendedProtocol::kOk},
        {"bit7", ExtendedProtocol::kOk},
    };
    for (const Case& c : cases) {
        Sim sim({"--fault", c.fault}, LogPath(c.fault));
        const Probe probe = ExchangeV(sim.Path());
        EXPECT_EQ(probe.result, c.result) << c.fault;
        EXPECT_LT(probe.elapsed, milliseconds(1000)) << c.fault << ": answered, no time-out";
        std::string identity;
        EXPECT_EQ(IdentifyPrinter(sim.Path(), &identity), c.result == 0) << c.fault;
        if (c.result == 0) {
            EXPECT_EQ(probe.answer, kDefaultIdentity) << c.fault;
            EXPECT_EQ(identity, kDefaultIdentity) << c.fault;
        }
    }
}

TEST_F(PrinterSim, SilentAndUnendedAnswersTimeOut) {
    // Both time-outs at once: four tries of 1000 ms each, on a clock ten times faster.
    const waits::ScopedSpeedup fast(10);
    Sim silent({"--fault", "silent"}, LogPath("silent"));
    Sim noCr({"--fault", "no-cr"}, LogPath("no-cr"));
    Probe silentProbe{};
    Probe noCrProbe{};
    std::thread other([&] { noCrProbe = ExchangeV(noCr.Path()); });
    silentProbe = ExchangeV(silent.Path());
    other.join();
    for (const Probe& probe : {silentProbe, noCrProbe}) {
        EXPECT_EQ(probe.result, ExtendedProtocol::kTimeout);
        EXPECT_GE(probe.elapsed, milliseconds(3996));
        EXPECT_LT(probe.elapsed, milliseconds(4800));  // five tries would take five seconds
    }
    // Each try sent the frame again: four frames logged.
    for (const Sim* sim : {&silent, &noCr}) {
        const std::string log = sim->Log();
        std::size_t frames = 0;
        for (std::size_t at = log.find("frame 'V'"); at != std::string::npos;
             at = log.find("frame 'V'", at + 1)) {
            ++frames;
        }
        EXPECT_EQ(frames, 4u) << log;
    }
}

TEST_F(PrinterSim, EmptyIdentityIsNoPrinter) {
    Sim sim({"--identity", ""}, LogPath("empty"));
    const Probe probe = ExchangeV(sim.Path());
    EXPECT_EQ(probe.result, ExtendedProtocol::kOk);
    EXPECT_EQ(probe.answer, "");
    std::string identity = "untouched";
    EXPECT_FALSE(IdentifyPrinter(sim.Path(), &identity));
    EXPECT_EQ(identity, "untouched");
}

TEST_F(PrinterSim, ChecksTheLineSettings) {
    Sim sim({"--check-line"}, LogPath("line"));
    std::string identity;
    ASSERT_TRUE(IdentifyPrinter(sim.Path(), &identity));
    EXPECT_EQ(sim.Log().find("line settings differ"), std::string::npos) << sim.Log();
    EXPECT_NE(sim.Log().find("line settings: 19200 8N1, XON/XOFF\n"), std::string::npos)
        << sim.Log();

    // A host that opens the port at 9600 without XON/XOFF.
    const int fd = ::open(sim.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    t.c_cflag |= CSTOPB;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 5;
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    const std::string frame(
        "\x01V\x02\x03"
        "086\r");
    ASSERT_EQ(::write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    char answer[64] = {};
    EXPECT_GT(::read(fd, answer, sizeof answer), 0);
    ::close(fd);
    const std::string log = sim.Log();
    EXPECT_NE(log.find("line settings differ: speed 9600 (want 19200), 2 stop bits (want 1), "
                       "IXON off (want on), IXOFF off (want on)\n"),
              std::string::npos)
        << log;
}

TEST_F(PrinterSim, RegistersItsPortWhileRunning) {
    const auto registered = [](const std::string& path) {
        const std::vector<std::string> names =
            reg::ValueNames(reg::Root::LocalMachine, kSerialCommKey);
        return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return reg::ReadString(reg::Root::LocalMachine, kSerialCommKey, name) == path;
        });
    };
    Sim plain({}, LogPath("plain"));
    EXPECT_FALSE(registered(plain.Path()));

    // Every way a terminal ends it (Ctrl-C, kill, closing the terminal window) unregisters:
    // a stale value would name the user's next pseudo-terminal.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        Sim sim({"--register", "--quiet"}, LogPath("register"));
        EXPECT_TRUE(registered(sim.Path()));
        EXPECT_TRUE(registered(sim.Path())) << "still there";
        std::string identity;
        EXPECT_TRUE(IdentifyPrinter(sim.Path(), &identity));
        const std::string path = sim.Path();
        EXPECT_EQ(sim.Stop(signal), 0) << strsignal(signal);
        EXPECT_FALSE(registered(path)) << strsignal(signal);
    }
    // Killed outright it cannot: the value stays, but the inventory no longer lists it.
    Sim killed({"--register", "--quiet"}, LogPath("killed"));
    const std::string path = killed.Path();
    EXPECT_EQ(killed.Stop(SIGKILL), -1);
    EXPECT_TRUE(registered(path));
    PortList ports;
    EXPECT_EQ(ListComPorts(&ports), "");
    EXPECT_EQ(std::find(ports.begin(), ports.end(), path), ports.end());
}

TEST_F(PrinterSim, EndsOnStdinEofWhenAsked) {
    Sim sim({"--stdin-eof-exit", "--quiet"}, LogPath("eof"));
    Sim keeps({"--quiet"}, LogPath("keeps"));
    sim.CloseStdin();
    keeps.CloseStdin();
    EXPECT_EQ(sim.Wait(milliseconds(2000)), 0);
    EXPECT_EQ(keeps.Wait(milliseconds(200)), -2) << "ended without --stdin-eof-exit";
    std::string identity;
    EXPECT_TRUE(IdentifyPrinter(keeps.Path(), &identity));
    EXPECT_EQ(keeps.Stop(), 0);
}

TEST_F(PrinterSim, LatencyAndPacingDelayTheAnswer) {
    Sim slow({"--latency", "300", "--quiet"}, LogPath("slow"));
    Probe probe = ExchangeV(slow.Path());
    EXPECT_EQ(probe.result, 0);
    EXPECT_GE(probe.elapsed, milliseconds(300));
    EXPECT_LT(probe.elapsed, milliseconds(1000));

    // 8 frame bytes and 41 answer bytes at 10 bits each and 19200 baud: 25.5 ms.
    Sim paced({"--pace", "--quiet"}, LogPath("paced"));
    probe = ExchangeV(paced.Path());
    EXPECT_EQ(probe.result, 0);
    EXPECT_EQ(probe.answer, kDefaultIdentity);
    EXPECT_GE(probe.elapsed, milliseconds(25));
    EXPECT_LT(probe.elapsed, milliseconds(200));
}

TEST_F(PrinterSim, PrinterGoneWhileThePortIsOpen) {
    Sim sim({"--quiet"}, LogPath("gone"));
    const auto port = CreateSerialPort(sim.Path().c_str(), 512, 512);
    ASSERT_EQ(port->IsOpen(), 1);
    EXPECT_EQ(sim.Stop(), 0);
    int value = 3;
    EXPECT_FALSE(port->ReadByte(&value));
    EXPECT_EQ(value, 3);
    port->WriteBuffer(
        "\x01V\x02\x03"
        "086\r",
        0);
    const auto start = Clock::now();
    port->Close();
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
    EXPECT_EQ(port->IsOpen(), 0);
}

}  // namespace
