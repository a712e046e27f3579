// vormatic-printer-sim: a laser marking printer on a pseudo-terminal.
//
// Prints the slave device path on the first line of stdout, then answers the command "V"
// with its identity and every other command with NAK, until SIGTERM, SIGINT or SIGHUP (or the
// end of stdin with --stdin-eof-exit). Options: see kSimUsage.
//
// The simulator keeps a descriptor of the slave open for its whole life. Without one, the
// master reports a hang-up (POLLHUP, reads fail with EIO) whenever no program has the port
// open, and every host close would force a poll-and-retry loop that adds latency to the next
// open. Holding it does not get in the host's way: the host's exclusive open (TIOCEXCL and
// flock) only refuses opens that come after its own, and this descriptor never reads.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/ComPorts.h"
#include "host/Registry.h"
#include "host/posix/PortOwner.h"
#include "tools/printer-sim/LineCheck.h"
#include "tools/printer-sim/PrinterLine.h"
#include "tools/printer-sim/SimOptions.h"

namespace {

using Clock = std::chrono::steady_clock;
// One byte on the wire at 19200 baud, 8N1: start bit, 8 data bits, stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(10 * 1000000000LL / 19200);

int g_stopPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 's';
    const ssize_t ignored = ::write(g_stopPipe[1], &c, 1);
    static_cast<void>(ignored);
}

class Simulator {
public:
    Simulator(const SimOptions& options, int master) : options_(options), master_(master) {}

    // Serves the line until a stop signal or, if asked for, the end of stdin.
    void Run() {
        for (;;) {
            pollfd fds[3] = {{master_, POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}, {0, POLLIN, 0}};
            const nfds_t count = options_.stdinEofExit ? 3 : 2;
            if (::poll(fds, count, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[1].revents != 0 || (count == 3 && StdinEnded(fds[2].revents))) {
                return;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                if (!ReadLine()) {
                    return;
                }
            } else if (fds[0].revents != 0 && !SleepUntil(Clock::now() + kIdle)) {
                return;  // no slave side yet or any more: look again shortly
            }
        }
    }

private:
    static constexpr auto kIdle = std::chrono::milliseconds(10);

    static bool StdinEnded(short revents) {
        if (revents == 0) {
            return false;
        }
        char buffer[256];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        return n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN);
    }

    // Waits until `when` unless a stop signal comes first (then false).
    static bool SleepUntil(Clock::time_point when) {
        for (;;) {
            const auto left = when - Clock::now();
            if (left <= Clock::duration::zero()) {
                return true;
            }
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            const timespec ts{static_cast<time_t>(ns / 1000000000),
                              static_cast<long>(ns % 1000000000)};
            pollfd stop{g_stopPipe[0], POLLIN, 0};
            if (::ppoll(&stop, 1, &ts, nullptr) > 0) {
                return false;
            }
        }
    }

    bool ReadLine() {
        unsigned char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return true;
        }
        if (n <= 0) {
            return SleepUntil(Clock::now() + kIdle);  // EIO: no slave side at the moment
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (options_.pace) {
                // Received bytes count as arriving one byte time after another.
                lineClock_ = std::max(lineClock_, Clock::now()) + kByteTime;
            }
            if (auto frame = reader_.Feed(buffer[i])) {
                if (!Answer(*frame)) {
                    return false;
                }
            }
        }
        return true;
    }

    bool Answer(const HostFrame& frame) {
        if (options_.pace && !SleepUntil(lineClock_)) {
            return false;
        }
        termios line{};
        if (options_.checkLine && ::tcgetattr(master_, &line) == 0) {
            const std::string differences = LineDifferences(line);
            if (!differences.empty()) {
                std::fprintf(stderr, "line settings differ: %s\n", differences.c_str());
            } else {
                std::fprintf(stderr, "line settings: 19200 8N1, XON/XOFF\n");
            }
        }
        const std::string answer = BuildAnswer(frame, options_);
        if (!options_.quiet) {
            std::fprintf(stderr, "%s\n", DescribeExchange(frame, answer).c_str());
        }
        if (!SleepUntil(Clock::now() + std::chrono::milliseconds(options_.latencyMs))) {
            return false;
        }
        const auto start = Clock::now();
        for (std::size_t i = 0; i < answer.size();) {
            if (options_.pace && !SleepUntil(start + kByteTime * static_cast<long>(i + 1))) {
                return false;
            }
            const std::size_t chunk = options_.pace ? 1 : answer.size() - i;
            const ssize_t n = ::write(master_, answer.data() + i, chunk);
            if (n > 0) {
                i += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                return true;  // the host is gone; the answer goes with it
            } else if (!SleepUntil(Clock::now() + std::chrono::milliseconds(1))) {
                return false;
            }
        }
        lineClock_ = std::max(lineClock_, Clock::now());
        return true;
    }

    const SimOptions& options_;
    int master_;
    FrameReader reader_;
    Clock::time_point lineClock_{};
};

bool OpenPseudoTerminal(int* master, int* slave, std::string* path) {
    *master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (*master < 0 || ::grantpt(*master) != 0 || ::unlockpt(*master) != 0) {
        return false;
    }
    const char* name = ::ptsname(*master);
    if (name == nullptr) {
        return false;
    }
    *path = name;
    *slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (*slave < 0) {
        return false;
    }
    // Raw until the host configures the line, so that nothing is echoed back to us.
    // The speed stays at the driver's default, which --check-line reports.
    termios raw{};
    if (::tcgetattr(*slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(*slave, TCSANOW, &raw);
    }
    const int flags = ::fcntl(*master, F_GETFL);
    return flags >= 0 && ::fcntl(*master, F_SETFL, flags | O_NONBLOCK) == 0;
}

void InstallSignals() {
    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("vormatic-printer-sim: pipe");
        std::exit(1);
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    // SIGHUP too: closing the terminal window the simulator runs in must unregister it like
    // Ctrl-C does, or its SERIALCOMM value would name the next pseudo-terminal.
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vormatic-printer-sim: %s\n%s", error.c_str(), kSimUsage);
        return 2;
    }
    InstallSignals();
    int master = -1;
    int slave = -1;
    std::string path;
    if (!OpenPseudoTerminal(&master, &slave, &path)) {
        std::perror("vormatic-printer-sim: pseudo-terminal");
        return 1;
    }
    // The port appears in the emulated SERIALCOMM key the way a virtual port driver adds
    // itself on Windows: a device value name, the port name as data. The simulator owns the
    // value while it runs, so that the value does not outlive it as a port, however it ends.
    const std::string valueName =
        "\\Device\\VormaticPrinterSim" + path.substr(path.find_last_of('/') + 1);
    portowner::OwnedPort owned;
    if (options.registerPort && !owned.Register(valueName, path, &error)) {
        std::fprintf(stderr, "vormatic-printer-sim: cannot register %s: %s\n", path.c_str(),
                     error.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    if (!options.quiet) {
        std::fprintf(stderr, "printer on %s, identity \"%s\", fault %s\n", path.c_str(),
                     options.identity.c_str(), FaultName(options.fault));
    }

    Simulator(options, master).Run();

    int status = 0;
    if (options.registerPort) {
        try {
            owned.Unregister();
        } catch (const reg::RegistryError& e) {
            std::fprintf(stderr, "vormatic-printer-sim: cannot unregister %s: %s\n", path.c_str(),
                         e.what());
            status = 1;
        }
    }
    ::close(slave);
    ::close(master);
    return status;
}
