#include "tools/cpr/Relay.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "tools/cpr/BridgeLog.h"

namespace {

constexpr std::chrono::milliseconds kFirstPause{1000};
constexpr std::chrono::milliseconds kLongestPause{30000};
constexpr std::chrono::milliseconds kShortConnection{1000};
constexpr std::chrono::milliseconds kOwnerPoll{500};
constexpr std::size_t kChunk = 4096;
// Consumed bytes are moved out of the queue's way once they pass this mark.
constexpr std::size_t kCompactAt = std::size_t{16} * 1024;

}  // namespace

void ByteQueue::Consume(std::size_t count) {
    head_ += std::min(count, Size());
    if (head_ == data_.size()) {
        Clear();
    } else if (head_ >= kCompactAt) {
        data_.erase(0, head_);
        head_ = 0;
    }
}

void ByteQueue::Clear() {
    data_.clear();
    head_ = 0;
}

Relay::Relay(int master, std::string host, std::string port)
    : master_(master), host_(std::move(host)), port_(std::move(port)) {}

Relay::~Relay() {
    EndFailures();
    CloseSocket();
}

bool Relay::Run(const Stops& stops) {
    StartConnect();
    for (;;) {
        // A side with nothing to do is left out of the poll, so that a hang-up it reports
        // cannot spin the loop while the other side catches up.
        const short masterEvents = MasterEvents();
        const short socketEvents = SocketEvents();
        pollfd fds[4] = {{stops.signalFd, POLLIN, 0},
                         {stops.ownerFd, POLLIN, 0},
                         {masterEvents != 0 ? master_ : -1, masterEvents, 0},
                         {socketEvents != 0 ? socket_ : -1, socketEvents, 0}};
        if (::poll(fds, 4, TimeoutMs(stops)) < 0) {
            if (errno == EINTR) {
                continue;
            }
            LogLine("poll failed: %s", std::strerror(errno));
            return false;
        }
        if (fds[0].revents != 0 || fds[1].revents != 0) {
            return true;
        }
        if (stops.ownerFd < 0 && stops.ownerPid > 0 && ::kill(stops.ownerPid, 0) != 0 &&
            errno == ESRCH) {
            LogLine("owner %ld has ended", static_cast<long>(stops.ownerPid));
            return true;
        }
        if (fds[3].revents != 0) {
            if (link_ == Link::kConnecting) {
                FinishConnect();
            } else if (link_ == Link::kConnected) {
                if ((fds[3].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                    ReadSocket();
                }
                if (link_ == Link::kConnected && (fds[3].revents & POLLOUT) != 0) {
                    WriteSocket();
                }
            }
        }
        const short master = fds[2].revents;
        if ((master & POLLIN) != 0 && !ReadMaster()) {
            return false;
        }
        if ((master & POLLOUT) != 0 && !WriteMaster()) {
            return false;
        }
        if ((master & (POLLIN | POLLOUT)) == 0 && (master & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // Cannot happen while the slave is held open; end rather than spin.
            LogLine("the pseudo-terminal failed (poll events 0x%x)", static_cast<unsigned>(master));
            return false;
        }
        RunTimers();
    }
}

short Relay::MasterEvents() const {
    short events = 0;
    if (toTcp_.Size() < kBufferLimit) {
        events |= POLLIN;
    }
    if (!toPty_.Empty()) {
        events |= POLLOUT;
    }
    return events;
}

short Relay::SocketEvents() const {
    if (link_ == Link::kConnecting) {
        return POLLOUT;
    }
    short events = 0;
    if (link_ == Link::kConnected) {
        if (toPty_.Size() < kBufferLimit) {
            events |= POLLIN;
        }
        if (!toTcp_.Empty()) {
            events |= POLLOUT;
        }
    }
    return events;
}

int Relay::TimeoutMs(const Stops& stops) const {
    std::chrono::milliseconds wait{-1};
    const auto sooner = [&](std::chrono::milliseconds candidate) {
        candidate = std::max(candidate, std::chrono::milliseconds(0));
        if (wait.count() < 0 || candidate < wait) {
            wait = candidate;
        }
    };
    const Clock::time_point now = Clock::now();
    if (link_ == Link::kConnecting) {
        // Rounded up, so that the wake-up does not come a hair before the deadline.
        sooner(std::chrono::ceil<std::chrono::milliseconds>(connectDeadline_ - now));
    }
    if (link_ == Link::kIdle && retryPending_) {
        sooner(std::chrono::ceil<std::chrono::milliseconds>(retryAt_ - now));
    }
    if (stops.ownerFd < 0 && stops.ownerPid > 0) {
        sooner(kOwnerPoll);
    }
    return static_cast<int>(wait.count());
}

void Relay::RunTimers() {
    const Clock::time_point now = Clock::now();
    if (link_ == Link::kConnecting && now >= connectDeadline_) {
        CloseSocket();
        lastError_ = "no answer within " + std::to_string(kConnectTimeout.count()) + " s";
        TryNextAddress();
    } else if (link_ == Link::kIdle && retryPending_ && now >= retryAt_) {
        StartConnect();
    }
}

bool Relay::ReadMaster() {
    char buffer[kChunk];
    const std::size_t room = std::min(sizeof buffer, kBufferLimit - toTcp_.Size());
    const ssize_t n = ::read(master_, buffer, room);
    if (n > 0) {
        if (link_ != Link::kIdle) {
            toTcp_.Append(buffer, static_cast<std::size_t>(n));
        } else if (const Clock::time_point now = Clock::now(); now >= nextWriterTry_) {
            // The writer brings the next try forward, at most once per kFirstPause: the
            // background tries keep their growing pause whatever it writes.
            nextWriterTry_ = now + kFirstPause;
            toTcp_.Append(buffer, static_cast<std::size_t>(n));
            StartConnect();
        } else {
            // Nothing at the other end of the line.
            dropped_ += static_cast<std::size_t>(n);
        }
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    LogLine("reading the pseudo-terminal failed: %s", n < 0 ? std::strerror(errno) : "end of file");
    return false;
}

bool Relay::WriteMaster() {
    const ssize_t n = ::write(master_, toPty_.Data(), toPty_.Size());
    if (n > 0) {
        toPty_.Consume(static_cast<std::size_t>(n));
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    LogLine("writing the pseudo-terminal failed: %s", std::strerror(errno));
    return false;
}

void Relay::ReadSocket() {
    char buffer[kChunk];
    const std::size_t room = std::min(sizeof buffer, kBufferLimit - toPty_.Size());
    if (room == 0) {
        return;
    }
    const ssize_t n = ::recv(socket_, buffer, room, 0);
    if (n > 0) {
        toPty_.Append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
        Drop("closed by the printer");
    } else if (errno != EAGAIN && errno != EINTR) {
        Drop(std::strerror(errno));
    }
}

void Relay::WriteSocket() {
    const ssize_t n = ::send(socket_, toTcp_.Data(), toTcp_.Size(), MSG_NOSIGNAL);
    if (n > 0) {
        toTcp_.Consume(static_cast<std::size_t>(n));
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        Drop(std::strerror(errno));
    }
}

void Relay::StartConnect() {
    CloseSocket();
    retryPending_ = false;
    addresses_.clear();
    nextAddress_ = 0;
    // A host name is looked up here, which may take a moment; the printer's address is
    // normally given as a number, and then nothing waits.
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host_.c_str(), port_.c_str(), &hints, &found);
    if (status != 0) {
        lastError_ = ::gai_strerror(status);
        ConnectFailed();
        return;
    }
    for (const addrinfo* at = found; at != nullptr; at = at->ai_next) {
        Address address{};
        if (at->ai_addrlen <= sizeof address.storage) {
            std::memcpy(&address.storage, at->ai_addr, at->ai_addrlen);
            address.length = at->ai_addrlen;
            addresses_.push_back(address);
        }
    }
    ::freeaddrinfo(found);
    lastError_ = "no address";
    TryNextAddress();
}

void Relay::TryNextAddress() {
    while (nextAddress_ < addresses_.size()) {
        const Address& address = addresses_[nextAddress_++];
        const int fd =
            ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError_ = std::strerror(errno);
            continue;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) ==
            0) {
            socket_ = fd;
            Connected();
            return;
        }
        if (errno == EINPROGRESS) {
            socket_ = fd;
            link_ = Link::kConnecting;
            connectDeadline_ = Clock::now() + kConnectTimeout;
            return;
        }
        lastError_ = std::strerror(errno);
        ::close(fd);
    }
    ConnectFailed();
}

void Relay::FinishConnect() {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    if (error == 0) {
        Connected();
        return;
    }
    lastError_ = std::strerror(error);
    CloseSocket();
    TryNextAddress();
}

void Relay::Connected() {
    link_ = Link::kConnected;
    connectedAt_ = Clock::now();
    pause_ = kFirstPause;
    // Frames are short and answered one at a time: send each at once.
    const int on = 1;
    ::setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(socket_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    EndFailures();
    LogLine("connected to %s:%s", host_.c_str(), port_.c_str());
}

void Relay::ConnectFailed() {
    CloseSocket();
    const std::string failure = lastError_;
    const std::size_t dropped = toTcp_.Size();
    toTcp_.Clear();
    if (failure == lastFailure_) {
        // The same failure again: counted, and told once when something else happens.
        ++failures_;
        dropped_ += dropped;
    } else {
        EndFailures();
        lastFailure_ = failure;
        if (dropped != 0) {
            LogLine("cannot reach %s:%s (%s); %zu byte(s) from the port dropped", host_.c_str(),
                    port_.c_str(), failure.c_str(), dropped);
        } else {
            LogLine("cannot reach %s:%s (%s)", host_.c_str(), port_.c_str(), failure.c_str());
        }
    }
    ScheduleRetry();
}

void Relay::EndFailures() {
    if (failures_ != 0 || dropped_ != 0) {
        LogLine("cannot reach %s:%s (%s): %zu more failed tr%s; %zu byte(s) from the port dropped",
                host_.c_str(), port_.c_str(), lastFailure_.c_str(), failures_,
                failures_ == 1 ? "y" : "ies", dropped_);
    }
    lastFailure_.clear();
    failures_ = 0;
    dropped_ = 0;
}

void Relay::Drop(const std::string& reason) {
    EndFailures();
    LogLine("connection to %s:%s lost: %s", host_.c_str(), port_.c_str(), reason.c_str());
    const bool lasted = Clock::now() - connectedAt_ >= kShortConnection;
    CloseSocket();
    if (lasted) {
        StartConnect();
    } else {
        ScheduleRetry();
    }
}

void Relay::ScheduleRetry() {
    link_ = Link::kIdle;
    retryPending_ = true;
    retryAt_ = Clock::now() + pause_;
    pause_ = std::min(pause_ * 2, kLongestPause);
}

void Relay::CloseSocket() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    link_ = Link::kIdle;
}
