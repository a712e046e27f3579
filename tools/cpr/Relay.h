#pragma once
// The bridge's relay: every byte that a program writes to the virtual port goes to a TCP
// connection to the printer (its XPort's serial tunnel), and every byte from that connection
// goes back to the port, unchanged and in order, on one thread with poll().
//
// The TCP side
// - connects at start; when the printer cannot be reached, the relay goes on and tries again
//   as soon as the next byte comes from the port, and in the background after a pause that
//   grows from 1 s to 30 s. Writes bring a try forward at most once a second and do not
//   shorten the background pause, so a program that writes without end makes one try a
//   second, not one a write; bytes written in between are dropped. A failure that repeats
//   the one before is counted rather than logged, and the count is told with the next other
//   event, so that an unreachable printer costs a line or two of log, not one a try;
// - connects without blocking; bytes from the port wait for the connection, and are dropped
//   when it fails or takes longer than kConnectTimeout, as they would be on a serial line
//   with nothing at the other end;
// - reconnects at once when the printer closes or resets the connection; a connection that
//   lasted under a second is retried after the pause instead, so that a peer that closes
//   every connection at once is not hammered.
// Nothing blocks: each direction has a buffer of kBufferLimit bytes, and a side whose buffer
// is full is not read until there is room again. A port that nobody reads therefore holds
// the printer back through TCP's flow control, and a printer that does not take bytes holds
// the port's writer back through the port's output queue; no byte is lost to either.

#include <sys/socket.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// Bytes waiting to be written, taken from the front.
class ByteQueue {
public:
    std::size_t Size() const { return data_.size() - head_; }
    bool Empty() const { return Size() == 0; }
    const char* Data() const { return data_.data() + head_; }
    void Append(const char* bytes, std::size_t count) { data_.append(bytes, count); }
    void Consume(std::size_t count);
    void Clear();

private:
    std::string data_;
    std::size_t head_ = 0;
};

class Relay {
public:
    static constexpr std::size_t kBufferLimit = 64 * 1024;
    static constexpr std::chrono::seconds kConnectTimeout{5};

    // What ends Run: a readable `signalFd` (the signal handler's pipe), a readable `ownerFd`
    // (a pidfd of the owner), or, where no pidfd could be had, the end of process ownerPid.
    struct Stops {
        int signalFd = -1;
        int ownerFd = -1;
        pid_t ownerPid = 0;
    };

    // `master` is the pseudo-terminal's non-blocking master end; the relay does not own it.
    Relay(int master, std::string host, std::string port);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Relays until one of `stops` fires (true) or the pseudo-terminal fails (false, logged).
    bool Run(const Stops& stops);

private:
    using Clock = std::chrono::steady_clock;
    enum class Link { kIdle, kConnecting, kConnected };
    struct Address {
        sockaddr_storage storage;
        socklen_t length;
    };

    short MasterEvents() const;
    short SocketEvents() const;
    int TimeoutMs(const Stops& stops) const;
    void RunTimers();

    bool ReadMaster();
    bool WriteMaster();
    void ReadSocket();
    void WriteSocket();

    void StartConnect();
    void TryNextAddress();
    void FinishConnect();
    void Connected();
    void ConnectFailed();
    void EndFailures();
    void Drop(const std::string& reason);
    void ScheduleRetry();
    void CloseSocket();

    int master_;
    std::string host_;
    std::string port_;
    int socket_ = -1;
    Link link_ = Link::kIdle;
    ByteQueue toTcp_;
    ByteQueue toPty_;
    std::vector<Address> addresses_;
    std::size_t nextAddress_ = 0;
    std::string lastError_;
    Clock::time_point connectDeadline_{};
    Clock::time_point connectedAt_{};
    bool retryPending_ = false;
    Clock::time_point retryAt_{};
    std::chrono::milliseconds pause_{1000};
    Clock::time_point nextWriterTry_{};
    // Failed tries since the one logged (lastFailure_), and bytes from the port dropped since.
    std::string lastFailure_;
    std::size_t failures_ = 0;
    std::size_t dropped_ = 0;
};
