#include "host/posix/SerialPosix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "host/posix/UucpLock.h"

namespace {

constexpr speed_t kSpeeds[] = {B19200, B9600, B4800, B2400, B1200};
constexpr tcflag_t kSizes[] = {CS7, CS8};
constexpr tcflag_t kStops[] = {0, CSTOPB};
constexpr tcflag_t kParities[] = {PARENB, PARENB | PARODD, 0};

template <typename T, std::size_t N>
bool InTable(const T (&)[N], int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N;
}

// The flow-control part of a configuration; everything else stays as it is.
void ApplyFlow(termios& t, int mode) {
    if (mode == serial::kFlowXonXoff) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        t.c_cc[VSTART] = 0x11;  // DC1
        t.c_cc[VSTOP] = 0x13;   // DC3
    } else {
        // The DTR/DSR handshake has no termios form; RTS/CTS is the hardware handshake
        // that serial drivers offer. VSTART/VSTOP keep what the device had.
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
        t.c_cflag |= CRTSCTS;
    }
}

// Waits up to `ms` milliseconds for room to write (or for an error to show) on `fd`.
void WaitForRoom(int fd, int ms) {
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, ms);
}

}  // namespace

SerialPosix::SerialPosix(const char* portName, int inputQueueSize, int outputQueueSize)
    : inputQueueSize_(inputQueueSize),
      outputQueueSize_(outputQueueSize),
      flowMode_(serial::kFlowXonXoff) {
    Open(portName);
    Configure(0, 1, 0, serial::kNone);
}

SerialPosix::~SerialPosix() {
    SerialPosix::Close();
}

bool SerialPosix::Open(const char* portName) {
    if (open_ != 0) {
        return true;
    }
    if (portName != nullptr) {
        devicePath_ = portName;
    }
    if (devicePath_.empty()) {
        return false;
    }
    // A terminal program or modem daemon that holds the port by a UUCP lock would see our
    // bytes on its line: refuse before the device is even opened.
    if (uucp::HeldByAnotherProcess(devicePath_)) {
        return false;
    }
    int fd = -1;
    do {
        fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    // Only a terminal device is a serial port; the lock catches other programs (and root,
    // which TIOCEXCL lets through); TIOCEXCL refuses opens by programs that do not lock.
    if (::isatty(fd) == 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::tcgetattr(fd, &found_) != 0 ||
        ::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    open_ = 1;
    return true;
}

void SerialPosix::Configure(int baudIndex, int dataBitsIndex, int stopBitsIndex, int parityIndex) {
    if (open_ == 0) {
        return;
    }
    termios t{};
    if (!InTable(kSpeeds, baudIndex) || !InTable(kSizes, dataBitsIndex) ||
        !InTable(kStops, stopBitsIndex) || !InTable(kParities, parityIndex) ||
        ::tcgetattr(fd_, &t) != 0) {
        Release();
        return;
    }
    const auto baud = static_cast<std::size_t>(baudIndex);
    // Raw bytes in both directions: no echo, no line editing, no character translation.
    t.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD);
    t.c_cflag |=
        kSizes[dataBitsIndex] | kStops[stopBitsIndex] | kParities[parityIndex] | CLOCAL | CREAD;
    ApplyFlow(t, flowMode_);
    // Reads return at once with what has arrived.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    termios applied{};
    if (::cfsetispeed(&t, kSpeeds[baud]) != 0 || ::cfsetospeed(&t, kSpeeds[baud]) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &t) != 0 || ::tcgetattr(fd_, &applied) != 0 ||
        ::cfgetospeed(&applied) != kSpeeds[baud]) {
        // tcsetattr succeeds when any part applied; a rate the device refused shows here.
        Release();
        return;
    }
    // A pseudo-terminal has no modem lines and refuses this: nothing to raise then.
    int dtr = TIOCM_DTR;
    ::ioctl(fd_, TIOCMBIS, &dtr);
}

void SerialPosix::Close() {
    if (open_ == 0) {
        return;
    }
    SerialPosix::Flush();
    SerialPosix::PurgeInput();
    int dtr = TIOCM_DTR;
    ::ioctl(fd_, TIOCMBIC, &dtr);
    Release();
}

void SerialPosix::Release() {
    if (fd_ >= 0) {
        // Output that Flush could not get out (a port held by XOFF) is dropped, so that
        // close() does not wait for it.
        ::tcflush(fd_, TCOFLUSH);
        ::tcsetattr(fd_, TCSANOW, &found_);
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
    open_ = 0;
}

void SerialPosix::PurgeInput() {
    if (open_ != 0) {
        ::tcflush(fd_, TCIFLUSH);
    }
}

void SerialPosix::Flush() {
    // tcdrain() would wait forever on a port held by XOFF; wait a bounded time instead.
    if (open_ == 0) {
        return;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kFlushWaitMs);
    int pending = 0;
    while (::ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending > 0 &&
           std::chrono::steady_clock::now() < deadline) {
        ::poll(nullptr, 0, 1);
    }
}

bool SerialPosix::ReadByte(int* out) {
    if (open_ == 0 || out == nullptr) {
        return false;
    }
    unsigned char byte = 0;
    ssize_t n = 0;
    do {
        n = ::read(fd_, &byte, 1);
    } while (n < 0 && errno == EINTR);
    // Nothing waiting (EAGAIN), end of file or an error (EIO when the device went away).
    if (n != 1) {
        return false;
    }
    // NOLINTNEXTLINE(bugprone-signed-char-misuse): sign-extended on purpose, as ReadByte says
    *out = static_cast<signed char>(byte);
    return true;
}

int SerialPosix::IsOpen() {
    return open_;
}

void SerialPosix::WriteByte(char byte) {
    // A full or XOFF-held output queue gets a short wait for room rather than losing the
    // byte at once; a port that stays stuck costs that wait once, not once per byte.
    if (open_ == 0) {
        return;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteWaitMs);
    for (;;) {
        const ssize_t n = ::write(fd_, &byte, 1);
        if (n == 1) {
            writeStalled_ = false;
            return;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // EWOULDBLOCK is EAGAIN on every system this builds on.
        if (n < 0 && errno == EAGAIN && !writeStalled_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() > 0) {
                WaitForRoom(fd_, static_cast<int>(left.count()));
                continue;
            }
            writeStalled_ = true;
        }
        return;
    }
}

void SerialPosix::SetFlowControl(int mode) {
    if (open_ == 0) {
        return;
    }
    flowMode_ = mode;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        return;
    }
    ApplyFlow(t, mode);
    ::tcsetattr(fd_, TCSANOW, &t);
}
