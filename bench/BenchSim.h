#pragma once
// Starting printer simulators for the benchmarks: each runs on its own pseudo-terminal and
// is stopped with SIGTERM when its object goes.

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

// The simulator beside this build: <build>/tools/vormatic-printer-sim, found from the
// benchmark's own path (<build>/bench/...); $VORMATIC_PRINTER_SIM overrides it.
inline std::string SimulatorPath() {
    if (const char* path = std::getenv("VORMATIC_PRINTER_SIM"); path != nullptr && *path) {
        return path;
    }
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    dir = dir.substr(0, dir.find_last_of('/'));
    dir = dir.substr(0, dir.find_last_of('/'));
    return dir + "/tools/vormatic-printer-sim";
}

class BenchSim {
public:
    explicit BenchSim(const std::vector<std::string>& options) {
        const std::string program = SimulatorPath();
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& option : options) {
            argv.push_back(const_cast<char*>(option.c_str()));
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        pollfd p{out[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') {
            path_ += c;
        }
        ::close(out[0]);
    }
    ~BenchSim() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    BenchSim(const BenchSim&) = delete;
    BenchSim& operator=(const BenchSim&) = delete;

    // The port's device path; empty when the simulator did not start.
    const std::string& Path() const { return path_; }

private:
    pid_t pid_ = -1;
    std::string path_;
};

// Time on the wire at 19200 baud, 8N1 (10 bits a byte), in milliseconds.
inline double LineMs(std::size_t bytes) {
    return static_cast<double>(bytes) * 10.0 * 1000.0 / 19200.0;
}
