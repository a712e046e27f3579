#include "tools/cpr/BridgeProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct ProcessInfo {
    bool exists = false;
    bool ended = false;  // a zombie: ended, not yet reaped
    unsigned long long started = 0;
};

ProcessInfo ReadProcess(long pid) {
    ProcessInfo info;
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) {
        return info;
    }
    // "pid (name) state ppid ..."; the name may hold blanks and parentheses, so the fields are
    // counted from the last ')'. The start time is field 22, the 20th after the name.
    const std::string::size_type close = line.rfind(')');
    if (close == std::string::npos) {
        return info;
    }
    std::istringstream fields(line.substr(close + 1));
    std::string state;
    fields >> state;
    std::string field;
    for (int i = 0; i < 18 && fields >> field; ++i) {
    }
    unsigned long long started = 0;
    if (!(fields >> started)) {
        return info;
    }
    info.exists = true;
    info.ended = state == "Z" || state == "X";
    info.started = started;
    return info;
}

// Reads the first line that `fd` delivers before `deadline`; "" at its end or the deadline.
std::string ReadFirstLine(int fd, Clock::time_point deadline) {
    std::string line;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return {};
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return {};
        }
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return {};
        }
        line.append(buffer, static_cast<std::size_t>(n));
        const std::string::size_type end = line.find('\n');
        if (end != std::string::npos) {
            return line.substr(0, end);
        }
        if (line.size() > 4096) {
            return {};
        }
    }
}

std::string ExitText(int status) {
    if (WIFEXITED(status)) {
        return "exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return std::string("signal ") + ::strsignal(WTERMSIG(status));
    }
    return "status " + std::to_string(status);
}

}  // namespace

bool StartBridge(const std::string& program, const std::string& host, int tcpPort,
                 const std::string& logPath, std::chrono::milliseconds limit, BridgeStart* bridge,
                 std::string* error) {
    if (::access(program.c_str(), X_OK) != 0) {
        *error = "cannot run the bridge program " + program + ": " + std::strerror(errno);
        return false;
    }
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    ::posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                       0644);
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    ::posix_spawn_file_actions_addchdir_np(&actions, "/");

    // A session of its own: no terminal hang-up or job-control signal of the starter's
    // session reaches the bridge. Signals come with their default actions and unblocked,
    // whatever the starter had set up.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(
        &attributes,
        static_cast<short>(POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    sigset_t none;
    ::sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    ::sigemptyset(&defaults);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD, SIGQUIT}) {
        ::sigaddset(&defaults, signal);
    }
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);

    const std::string port = std::to_string(tcpPort);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(host.c_str()),
                            const_cast<char*>(port.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        *error = "cannot start " + program + ": " + std::strerror(spawned);
        return false;
    }
    const std::string device = ReadFirstLine(out[0], Clock::now() + limit);
    ::close(out[0]);
    if (device.empty() || device.front() != '/') {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            *error =
                "the bridge ended (" + ExitText(status) + ") without making a port; see " + logPath;
        } else {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            *error = "the bridge made no port within " + std::to_string(limit.count()) +
                     " ms; see " + logPath;
        }
        return false;
    }
    bridge->pid = pid;
    bridge->started = ReadProcess(pid).started;
    bridge->device = device;
    return true;
}

unsigned long long ProcessStartTime(long pid) {
    const ProcessInfo info = ReadProcess(pid);
    return info.exists && !info.ended ? info.started : 0;
}

bool IsBridgeRunning(long pid, unsigned long long started) {
    const ProcessInfo info = ReadProcess(pid);
    if (!info.exists || info.started != started) {
        return false;
    }
    if (info.ended) {
        // Ours to reap when we started it; for anyone else's child this does nothing.
        int status = 0;
        ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
        return false;
    }
    return true;
}

void StopBridges(const BridgeId* bridges, std::size_t count, std::chrono::milliseconds grace) {
    std::vector<BridgeId> running;
    for (std::size_t i = 0; i < count; ++i) {
        if (IsBridgeRunning(bridges[i].pid, bridges[i].started)) {
            ::kill(static_cast<pid_t>(bridges[i].pid), SIGTERM);
            running.push_back(bridges[i]);
        }
    }
    const auto deadline = Clock::now() + grace;
    while (!running.empty()) {
        std::erase_if(running,
                      [](const BridgeId& b) { return !IsBridgeRunning(b.pid, b.started); });
        if (running.empty()) {
            return;
        }
        if (Clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (const BridgeId& bridge : running) {
        ::kill(static_cast<pid_t>(bridge.pid), SIGKILL);
    }
    // Wait briefly for the kills to land, so that a caller that lists the ports next sees
    // them gone.
    const auto killDeadline = Clock::now() + std::chrono::milliseconds(1000);
    while (!running.empty() && Clock::now() < killDeadline) {
        std::erase_if(running,
                      [](const BridgeId& b) { return !IsBridgeRunning(b.pid, b.started); });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
