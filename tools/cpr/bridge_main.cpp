// vormatic-cpr-bridge: one virtual COM port of the demo CD's stand-in redirector.
//
//   vormatic-cpr-bridge HOST PORT
//
// Opens a pseudo-terminal, registers its slave in the emulated HKLM SERIALCOMM key (see
// SerialCommEntry.h) as the value's owner (host/posix/PortOwner.h), prints the slave's path on the
// first line of stdout and relays bytes between the port and TCP HOST:PORT (see Relay.h) until
// SIGTERM, SIGINT or SIGHUP; then it removes its registry value and exits with 0. After the path,
// stdout is let go (pointed at /dev/null), so that a starter reading it sees its end; diagnostics
// go to stderr.
//
// With VORMATIC_CPR_OWNER_PID set to a process id, the bridge also ends (the same way) when
// that process ends, so that a test or a script that starts bridges through the manager can
// be sure that none outlives it, however it ends.

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/Registry.h"
#include "host/posix/PortOwner.h"
#include "tools/cpr/BridgeLog.h"
#include "tools/cpr/Endpoint.h"
#include "tools/cpr/PseudoTerminal.h"
#include "tools/cpr/Relay.h"
#include "tools/cpr/SerialCommEntry.h"

namespace {

const char kUsage[] = "usage: vormatic-cpr-bridge HOST PORT\n";

int g_stopPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 's';
    const ssize_t ignored = ::write(g_stopPipe[1], &c, 1);
    static_cast<void>(ignored);
}

bool InstallSignals() {
    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

// The owner named by VORMATIC_CPR_OWNER_PID: a pidfd that becomes readable when it ends, or
// (where pidfds are not available) only its pid, which the relay then polls. False when the
// owner has ended already.
bool WatchOwner(Relay::Stops* stops) {
    const char* text = std::getenv("VORMATIC_CPR_OWNER_PID");
    if (text == nullptr || *text == '\0') {
        return true;
    }
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    if (*end != '\0' || pid <= 0) {
        LogLine("VORMATIC_CPR_OWNER_PID=%s is not a process id; ignored", text);
        return true;
    }
    const long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0U);
    if (fd >= 0) {
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        stops->ownerFd = static_cast<int>(fd);
        return true;
    }
    if (errno == ESRCH) {
        return false;
    }
    stops->ownerPid = static_cast<pid_t>(pid);
    return ::kill(stops->ownerPid, 0) == 0 || errno != ESRCH;
}

void ReleaseStdout() {
    std::fflush(stdout);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, 1);
        ::close(null);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int tcpPort = 0;
    if (argc != 3 || !IsValidHost(argv[1]) || !ParseTcpPort(argv[2], &tcpPort)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const std::string host = argv[1];
    const std::string port = std::to_string(tcpPort);
    if (!InstallSignals()) {
        LogLine("cannot install the signal handlers: %s", std::strerror(errno));
        return 1;
    }
    Relay::Stops stops;
    stops.signalFd = g_stopPipe[0];
    if (!WatchOwner(&stops)) {
        LogLine("the owner process has ended already; no port made");
        return 1;
    }

    PseudoTerminal terminal;
    std::string error;
    if (!OpenPseudoTerminal(&terminal, &error)) {
        LogLine("cannot open a pseudo-terminal: %s", error.c_str());
        return 1;
    }
    portowner::OwnedPort owned;
    if (!owned.Register(CprValueName(terminal.path), terminal.path, &error)) {
        LogLine("cannot register %s: %s", terminal.path.c_str(), error.c_str());
        ClosePseudoTerminal(&terminal);
        return 1;
    }
    std::printf("%s\n", terminal.path.c_str());
    ReleaseStdout();
    LogLine("%s bridged to %s:%s", terminal.path.c_str(), host.c_str(), port.c_str());

    const bool clean = [&] {
        Relay relay(terminal.master, host, port);
        return relay.Run(stops);
    }();

    int status = clean ? 0 : 1;
    try {
        owned.Unregister();
    } catch (const reg::RegistryError& e) {
        LogLine("cannot unregister %s: %s", terminal.path.c_str(), e.what());
        status = 1;
    }
    ClosePseudoTerminal(&terminal);
    LogLine("%s closed", terminal.path.c_str());
    return status;
}
