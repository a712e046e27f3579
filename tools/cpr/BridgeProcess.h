#pragma once
// Starting, recognising and stopping bridge processes.

#include <chrono>
#include <string>

struct BridgeStart {
    long pid = 0;
    unsigned long long started = 0;
    std::string device;
};

// Starts `program HOST PORT` as a bridge that outlives its starter: in a session of its own,
// in "/", stdin from /dev/null, stderr appended to `logPath`, no other descriptor inherited.
// Waits up to `limit` for the device path that the bridge prints once its port is registered.
// False with `error` set when it could not start, ended first or said nothing in time (it is
// then killed).
bool StartBridge(const std::string& program, const std::string& host, int tcpPort,
                 const std::string& logPath, std::chrono::milliseconds limit, BridgeStart* bridge,
                 std::string* error);

// True while process `pid` runs and is the one that started at `started` (a process that
// has ended and waits to be reaped counts as ended). A process of ours that has ended is
// reaped on the way.
bool IsBridgeRunning(long pid, unsigned long long started);

// The start time of running process `pid` (see PortBook.h); 0 when there is none.
unsigned long long ProcessStartTime(long pid);

// Sends SIGTERM to each running bridge of the list, waits up to `grace` for them to end,
// and kills (SIGKILL) those that did not.
struct BridgeId {
    long pid;
    unsigned long long started;
};
void StopBridges(const BridgeId* bridges, std::size_t count, std::chrono::milliseconds grace);
