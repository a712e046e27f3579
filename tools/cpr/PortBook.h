#pragma once
// The manager's list of the virtual ports it made, kept in a small text file so that a later
// start of the manager shows them and can remove them. One port a line, fields separated by
// tabs: device path, host, TCP port, the bridge's process id and the bridge's start time
// (clock ticks since boot, field 22 of /proc/PID/stat), which tells the bridge from a later
// process that happens to get the same id. Lines that do not fit are passed over.

#include <string>
#include <vector>

struct CprPort {
    std::string device;
    std::string host;
    int tcpPort = 0;
    long pid = 0;
    unsigned long long started = 0;
};

// $XDG_CONFIG_HOME/vormatic-cpr: the book ("ports"), its lock file and the bridges' log
// ("bridges.log"). "" when no configuration folder is known.
std::string CprStateFolder();

std::string FormatPorts(const std::vector<CprPort>& ports);
std::vector<CprPort> ParsePorts(const std::string& text);

// Holds an exclusive lock on the book of `folder` (creating the folder) for its lifetime, so
// that two managers at once do not lose each other's changes.
class PortBookLock {
public:
    explicit PortBookLock(const std::string& folder);
    ~PortBookLock();
    PortBookLock(const PortBookLock&) = delete;
    PortBookLock& operator=(const PortBookLock&) = delete;

    // "" when the lock is held, else why not.
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

// The ports of the book in `folder`; a missing book is an empty one. False with `error` set
// when the file cannot be read.
bool LoadPorts(const std::string& folder, std::vector<CprPort>* ports, std::string* error);
// Replaces the book atomically. False with `error` set when it cannot.
bool SavePorts(const std::string& folder, const std::vector<CprPort>& ports, std::string* error);
