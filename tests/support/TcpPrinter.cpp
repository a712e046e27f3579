#include "tests/support/TcpPrinter.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <future>

#include "tools/printer-sim/PrinterLine.h"

struct TcpPrinter::Connection {
    int fd = -1;
    FrameReader reader;
};

TcpPrinter::TcpPrinter(std::uint16_t port) : port_(port) {
    options_.quiet = true;
    static_cast<void>(::pipe2(wake_, O_CLOEXEC | O_NONBLOCK));
    Listen();
    thread_ = std::thread([this] { Serve(); });
}

TcpPrinter::~TcpPrinter() {
    Call([this] { stopping_ = true; });
    thread_.join();
    CloseConnections();
    if (listener_ >= 0) {
        ::close(listener_);
    }
    ::close(wake_[0]);
    ::close(wake_[1]);
}

bool TcpPrinter::Listen() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    port_ = ntohs(address.sin_port);
    listener_ = fd;
    return true;
}

void TcpPrinter::CloseConnections() {
    for (Connection* connection : connections_) {
        ::close(connection->fd);
        delete connection;
    }
    connections_.clear();
}

void TcpPrinter::Call(const std::function<void()>& call) {
    std::promise<void> done;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back([&] {
            call();
            done.set_value();
        });
    }
    const char c = 'c';
    static_cast<void>(::write(wake_[1], &c, 1));
    done.get_future().wait();
}

void TcpPrinter::Serve() {
    while (!stopping_) {
        std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (const Connection* connection : connections_) {
            fds.push_back({connection->fd, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        // Connections first, by the indices of this poll; calls may change the list after.
        std::vector<Connection*> closed;
        for (std::size_t i = 0; i < connections_.size(); ++i) {
            if (fds[i + 2].revents == 0) {
                continue;
            }
            Connection* connection = connections_[i];
            char buffer[4096];
            const ssize_t n = ::recv(connection->fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    closed.push_back(connection);
                }
                continue;
            }
            std::string answers;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                received_.append(buffer, static_cast<std::size_t>(n));
                for (ssize_t k = 0; k < n; ++k) {
                    if (auto frame =
                            connection->reader.Feed(static_cast<std::uint8_t>(buffer[k]))) {
                        if (answering_) {
                            answers += BuildAnswer(*frame, options_);
                            ++frames_;
                        }
                    }
                }
            }
            if (!answers.empty()) {
                static_cast<void>(
                    ::send(connection->fd, answers.data(), answers.size(), MSG_NOSIGNAL));
            }
        }
        for (Connection* connection : closed) {
            std::erase(connections_, connection);
            ::close(connection->fd);
            delete connection;
        }
        if (listener_ >= 0 && (fds[1].revents & POLLIN) != 0) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                const int on = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                connections_.push_back(new Connection{fd, {}});
                const std::lock_guard<std::mutex> lock(mutex_);
                ++accepted_;
            }
        }
        if ((fds[0].revents & POLLIN) != 0) {
            char drain[64];
            while (::read(wake_[0], drain, sizeof drain) > 0) {
            }
            std::deque<std::function<void()>> calls;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                calls.swap(calls_);
            }
            for (const auto& call : calls) {
                call();
            }
        }
    }
}

bool TcpPrinter::Listening() {
    bool listening = false;
    Call([&] { listening = listener_ >= 0; });
    return listening;
}

void TcpPrinter::SetAnswering(bool on) {
    Call([&] {
        const std::lock_guard<std::mutex> lock(mutex_);
        answering_ = on;
    });
}

void TcpPrinter::DropConnections() {
    Call([this] { CloseConnections(); });
}

void TcpPrinter::Stop() {
    Call([this] {
        CloseConnections();
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
    });
}

bool TcpPrinter::Restart() {
    bool listening = false;
    Call([&] { listening = listener_ >= 0 || Listen(); });
    return listening;
}

void TcpPrinter::Send(const std::string& bytes) {
    Call([&] {
        for (const Connection* connection : connections_) {
            static_cast<void>(::send(connection->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL));
        }
    });
}

int TcpPrinter::Accepted() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return accepted_;
}

int TcpPrinter::OpenConnections() {
    int open = 0;
    Call([&] { open = static_cast<int>(connections_.size()); });
    return open;
}

int TcpPrinter::Frames() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

std::string TcpPrinter::Received() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

bool TcpPrinter::WaitUntil(const std::function<bool()>& condition,
                           std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
