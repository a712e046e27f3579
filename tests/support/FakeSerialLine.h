#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QString>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <utility>

// A pseudo-terminal standing in for a serial port. The test holds the master and one slave
// descriptor (so the line never hangs up between the probe's opens); a thread reads the
// probe's frames and, for a printer, answers each "V" with the identity. Without an identity
// the line stays silent.
class FakeSerialLine {
public:
    explicit FakeSerialLine(std::optional<std::string> identity = std::nullopt)
        : identity_(std::move(identity)) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            return;
        }
        const char* name = ::ptsname(master_);
        if (name == nullptr) {
            return;
        }
        path_ = name;
        slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        if (slave_ >= 0 && ::tcgetattr(slave_, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(slave_, TCSANOW, &raw);
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeSerialLine() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (slave_ >= 0) {
            ::close(slave_);
        }
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    FakeSerialLine(const FakeSerialLine&) = delete;
    FakeSerialLine& operator=(const FakeSerialLine&) = delete;

    bool ok() const { return slave_ >= 0 && thread_.joinable(); }
    QString path() const { return QString::fromStdString(path_); }
    // Command frames received so far ("V" frames: SOH 'V' STX ETX "086" CR).
    int frames() const { return frames_; }

private:
    void Serve() {
        std::string pending;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) {
                continue;
            }
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t cr = pending.find('\r'); cr != std::string::npos;
                 cr = pending.find('\r')) {
                const std::string frame = pending.substr(0, cr + 1);
                pending.erase(0, cr + 1);
                if (frame == std::string("\x01V\x02\x03"
                                         "086\r")) {
                    ++frames_;
                    if (identity_) {
                        Answer(*identity_);
                    }
                }
            }
        }
    }
    void Answer(const std::string& data) {
        unsigned sum = 'V';
        for (const char c : data) {
            sum += static_cast<unsigned char>(c);
        }
        char checksum[8];
        std::snprintf(checksum, sizeof checksum, "%03u", sum % 256U);
        const std::string answer = "\x01V\x06\x02" + data + "\x03" + checksum + "\r";
        const ssize_t written = ::write(master_, answer.data(), answer.size());
        static_cast<void>(written);
    }

    std::optional<std::string> identity_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::atomic<int> frames_{0};
    std::thread thread_;
};
