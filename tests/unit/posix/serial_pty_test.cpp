// The POSIX serial class on pseudo-terminals made by the test: line settings, byte
// transfer, exclusive open, refused devices and a port that goes away.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "host/ExtendedProtocol.h"
#include "host/WaitClock.h"
#include "host/posix/SerialPosix.h"
#include "tests/unit/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Open descriptors of this process.
int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) {
            ++count;
        }
        ::closedir(dir);
    }
    return count;
}

// A pseudo-terminal pair; the slave path is the "port". The master stays with the test.
struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_GE(master, 0);
        EXPECT_EQ(::grantpt(master), 0);
        EXPECT_EQ(::unlockpt(master), 0);
        path = ::ptsname(master);
    }
    ~Pty() { CloseMaster(); }
    void CloseMaster() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }
    termios Settings() const {
        termios t{};
        EXPECT_EQ(::tcgetattr(master, &t), 0);  // the slave's settings
        return t;
    }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the port wrote, collected until `quiet` passes without a byte.
    std::string Received(milliseconds quiet = milliseconds(150)) const {
        std::string bytes;
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, static_cast<int>(quiet.count())) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    int master = -1;
    std::string path;
};

// Reads one byte, waiting up to a second for it to pass through the pseudo-terminal.
bool ReadWithin(SerialDriver& port, int* out) {
    const auto until = Clock::now() + milliseconds(1000);
    while (Clock::now() < until) {
        if (port.ReadByte(out)) {
            return true;
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
}

TEST(SerialPty, OpensAndConfiguresNineteenTwoHundredEightNOne) {
    Pty pty;
    SerialPosix port(pty.path.c_str(), 512, 512);
    ASSERT_EQ(port.IsOpen(), 1);
    EXPECT_STREQ(port.DevicePath(), pty.path.c_str());
    EXPECT_EQ(port.FlowMode(), serial::kFlowXonXoff);

    const termios t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXANY), 0u);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    // The factory builds the same class, opened and configured.
    const auto made = CreateSerialPort(pty.path.c_str(), 512, 512);
    EXPECT_EQ(made->IsOpen(), 0) << "the port is already held";
    port.Close();
    const auto again = CreateSerialPort(pty.path.c_str(), 512, 512);
    ASSERT_NE(dynamic_cast<SerialPosix*>(again.get()), nullptr);
    EXPECT_EQ(again->IsOpen(), 1);
}

TEST(SerialPty, FlowControlSwitchKeepsTheLine) {
    Pty pty;
    SerialPosix port(pty.path.c_str(), 512, 512);
    ASSERT_EQ(port.IsOpen(), 1);
    port.SetFlowControl(serial::kFlowHardware);
    termios t = pty.Settings();
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_lflag & ICANON, 0u);
    EXPECT_EQ(port.IsOpen(), 1);

    port.SetFlowControl(serial::kFlowXonXoff);
    t = pty.Settings();
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
}

TEST(SerialPty, ReadsBytesWithoutBlocking) {
    Pty pty;
    SerialPosix port(pty.path.c_str(), 512, 512);
    ASSERT_EQ(port.IsOpen(), 1);

    int value = 12345;
    const auto start = Clock::now();
    EXPECT_FALSE(port.ReadByte(&value));
    EXPECT_LT(Clock::now() - start, milliseconds(50));
    EXPECT_EQ(value, 12345) << "left untouched";

    pty.Send(
        std::string("\xC1"
                    "A\x00\x7F\x80\xFF",
                    6));
    const int expected[] = {-63, 'A', 0, 127, -128, -1};
    for (int e : expected) {
        ASSERT_TRUE(ReadWithin(port, &value));
        EXPECT_EQ(value, e);
    }
    value = 7;
    EXPECT_FALSE(port.ReadByte(&value));
    EXPECT_EQ(value, 7);
}

TEST(SerialPty, PurgeInputDropsWhatArrived) {
    Pty pty;
    SerialPosix port(pty.path.c_str(), 512, 512);
    ASSERT_EQ(port.IsOpen(), 1);
    int value = 0;
    pty.Send("xyz");
    ASSERT_TRUE(ReadWithin(port, &value));  // the bytes have arrived
    EXPECT_EQ(value, 'x');
    port.PurgeInput();
    EXPECT_FALSE(port.ReadByte(&value));
}

TEST(SerialPty, WriteBufferLengthZeroStopsAtNul) {
    Pty pty;
    SerialPosix port(pty.path.c_str(), 512, 512);
    ASSERT_EQ(port.IsOpen(), 1);
    const char bytes[] = {'A', 'B', '\0', 'C', 'D'};
    port.WriteBuffer(bytes, 0);
    EXPECT_EQ(pty.Received(), "AB");
    const char withNul[] = {'A', '\0', 'B'};
    port.WriteBuffer(withNul, 3);
    EXPECT_EQ(pty.Received(), std::string(withNul, 3));
    port.WriteByte('\xE9');
    EXPECT_EQ(pty.Received(), "\xE9");
}

TEST(SerialPty, OpenIsExclusive) {
    Pty pty;
    const int before = OpenDescriptors();
    {
        SerialPosix first(pty.path.c_str(), 512, 512);
        ASSERT_EQ(first.IsOpen(), 1);
        SerialPosix second(pty.path.c_str(), 512, 512);
        EXPECT_EQ(second.IsOpen(), 0);
        if (::geteuid() != 0) {  // TIOCEXCL does not hold root back
            const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            EXPECT_LT(fd, 0) << "a plain open of the held port succeeded";
            if (fd >= 0) {
                ::close(fd);
            }
        }
        EXPECT_EQ(first.IsOpen(), 1) << "the refused open did not disturb the holder";
    }
    EXPECT_EQ(OpenDescriptors(), before);

    // Free again once closed; and refused while another program holds the lock.
    {
        SerialPosix reopened(pty.path.c_str(), 512, 512);
        EXPECT_EQ(reopened.IsOpen(), 1);
    }
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    {
        SerialPosix locked(pty.path.c_str(), 512, 512);
        EXPECT_EQ(locked.IsOpen(), 0);
    }
    ::close(other);
}

TEST(SerialPty, RefusesWhatIsNotAPort) {
    char file[] = "/tmp/serial-pty-test-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const int before = OpenDescriptors();
    for (const char* name : {"/dev/null", static_cast<const char*>(file), "/no/such/device", "",
                             static_cast<const char*>(nullptr)}) {
        SerialPosix port(name, 512, 512);
        EXPECT_EQ(port.IsOpen(), 0) << (name ? name : "(null)");
        int value = 99;
        EXPECT_FALSE(port.ReadByte(&value));
        EXPECT_EQ(value, 99);
        port.WriteBuffer("V", 0);
        port.Configure(0, 1, 0, serial::kNone);
        port.SetFlowControl(0);
        port.PurgeInput();
        port.Flush();
        EXPECT_EQ(port.IsOpen(), 0);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    ::unlink(file);
}

TEST(SerialPty, LongNamesAreOpenedWhole) {
    Pty pty;
    // Stable names such as /dev/serial/by-id/usb-..-if00-port0 run far past 40 characters.
    TempDir dir;
    const std::string byId = dir / ("usb-Quorvanta_Vormatic_MZ4-B_Slide_Printer_" +
                                    std::string(60, '0') + "-if00-port0");
    ASSERT_EQ(::symlink(pty.path.c_str(), byId.c_str()), 0);
    {
        SerialPosix port(byId.c_str(), 512, 512);
        EXPECT_EQ(port.IsOpen(), 1);
        EXPECT_EQ(std::string(port.DevicePath()), byId);
    }
    // A name no file system takes fails as a missing port does, and is kept whole.
    const std::string huge = "/dev/" + std::string(5000, 'x');
    SerialPosix port(huge.c_str(), 512, 512);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_TRUE(std::string(port.DevicePath()) == huge);
}

TEST(SerialPty, FailedConfigureReleasesThePort) {
    Pty pty;
    const int before = OpenDescriptors();
    SerialPosix port(pty.path.c_str(), 512, 512);
    ASSERT_EQ(port.IsOpen(), 1);
    EXPECT_EQ(OpenDescriptors(), before + 1);
    port.Configure(5, 1, 0, serial::kNone);  // no sixth baud rate
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(OpenDescriptors(), before);
    {
        SerialPosix other(pty.path.c_str(), 512, 512);
        EXPECT_EQ(other.IsOpen(), 1) << "the failed port still holds the device";
    }
    // A null name reopens the stored path.
    EXPECT_TRUE(port.Open(nullptr));
    EXPECT_EQ(port.IsOpen(), 1);
    for (const int bad : {-1, 2}) {
        port.Configure(0, bad, 0, serial::kNone);
        EXPECT_EQ(port.IsOpen(), 0);
        EXPECT_TRUE(port.Open(nullptr));
    }
    port.Configure(0, 1, 0, 3);
    EXPECT_EQ(port.IsOpen(), 0);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(SerialPty, VanishedPortEndsInTimeOutWithoutHanging) {
    const waits::ScopedSpeedup fast(10);  // the four tries take 0.4 s
    auto pty = std::make_unique<Pty>();
    const int before = OpenDescriptors();
    {
        SerialPosix port(pty->path.c_str(), 512, 512);
        ASSERT_EQ(port.IsOpen(), 1);
        // The far end takes the frame, starts an answer and disappears.
        std::thread farEnd([&] {
            // Within the first try: a try lasts 100 ms of real time here.
            const std::string frame = pty->Received(milliseconds(20));
            EXPECT_EQ(frame, std::string("\x01V\x02\x03"
                                         "086\r"));
            pty->Send("\x01V\x06\x02RX2");
            std::this_thread::sleep_for(milliseconds(20));
            pty->CloseMaster();
        });
        ExtendedProtocol protocol(&port);
        char answer[128] = "unchanged";
        const auto start = Clock::now();
        EXPECT_EQ(protocol.Exchange('V', "", answer, sizeof answer), ExtendedProtocol::kTimeout);
        EXPECT_LT(Clock::now() - start, milliseconds(4500));
        farEnd.join();
        EXPECT_STREQ(answer, "unchanged");
        int value = 5;
        EXPECT_FALSE(port.ReadByte(&value));
        EXPECT_EQ(value, 5);
        port.WriteBuffer("more", 0);
        const auto closing = Clock::now();
        port.Close();
        EXPECT_LT(Clock::now() - closing, milliseconds(1000));
        EXPECT_EQ(port.IsOpen(), 0);
    }
    EXPECT_EQ(OpenDescriptors(), before - 1) << "the port and the closed master are released";
}

}  // namespace

namespace {

// What another program left on a port: 9600 baud, 7 data bits, even parity, a line
// discipline with echo and no flow control.
termios OtherProgramsSettings(const Pty& pty) {
    termios t = pty.Settings();
    t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARODD)) | CS7 | PARENB;
    t.c_iflag = (t.c_iflag & ~static_cast<tcflag_t>(IXON | IXOFF)) | ICRNL;
    t.c_lflag |= ICANON | ECHO;
    t.c_cc[VMIN] = 1;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    EXPECT_EQ(::tcsetattr(pty.master, TCSANOW, &t), 0);
    return pty.Settings();
}

bool SameLine(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) &&
           cfgetospeed(&a) == cfgetospeed(&b) &&
           std::equal(std::begin(a.c_cc), std::end(a.c_cc), std::begin(b.c_cc));
}

// UUCP lock files go to a folder of the test's own for the length of one test.
class LockFolder {
public:
    LockFolder() {
        ::setenv("VORMATIC_UUCP_LOCK_DIRS", (dir_.path() + ":/nonexistent").c_str(), 1);
    }
    ~LockFolder() { ::unsetenv("VORMATIC_UUCP_LOCK_DIRS"); }
    LockFolder(const LockFolder&) = delete;
    LockFolder& operator=(const LockFolder&) = delete;
    std::string operator/(const std::string& name) const { return dir_ / name; }

private:
    TempDir dir_;
};

}  // namespace

TEST(SerialPty, EveryWayOutPutsTheLineBackAsItWas) {
    const struct {
        const char* way;
        void (*leave)(std::unique_ptr<SerialPosix>&);
    } ways[] = {
        {"destroyed", [](std::unique_ptr<SerialPosix>& port) { port.reset(); }},
        {"closed", [](std::unique_ptr<SerialPosix>& port) { port->Close(); }},
        {"closed after a flow switch",
         [](std::unique_ptr<SerialPosix>& port) {
             port->SetFlowControl(serial::kFlowHardware);
             port->Close();
         }},
        {"failed Configure",
         [](std::unique_ptr<SerialPosix>& port) { port->Configure(0, 7, 0, serial::kNone); }},
    };
    for (const auto& way : ways) {
        Pty pty;
        const termios before = OtherProgramsSettings(pty);
        auto port = std::make_unique<SerialPosix>(pty.path.c_str(), 512, 512);
        ASSERT_EQ(port->IsOpen(), 1) << way.way;
        ASSERT_FALSE(SameLine(pty.Settings(), before)) << way.way;
        way.leave(port);
        EXPECT_TRUE(SameLine(pty.Settings(), before)) << way.way;
    }
}

TEST(SerialPty, AUucpLockOfALiveProcessRefusesThePortUntouched) {
    // A pid far above any pid_max: no such process, a stale lock.
    const std::string dead = "2147483600";
    const std::string own = std::to_string(::getpid());
    const int ownPid = ::getpid();
    const struct {
        const char* name;  // the lock file for /dev/pts/N: the name, then the device's number
        std::string content;
        bool refused;
    } cases[] = {
        {"LCK..", "      " + own + "\n", true},  // HDB: ten-column ASCII pid
        {"LCK..pts_", own + "\n", true},         // named by the path below /dev
        {"LCK..", std::string(reinterpret_cast<const char*>(&ownPid), sizeof ownPid), true},
        {"LCK..", "      " + dead + "\n", false},
        {"LCK..", "not a pid\n", false},
        {"LCK..", "", false},
        {"LCK..other", own + "\n", false},
    };
    for (const auto& c : cases) {
        LockFolder locks;
        Pty pty;
        const termios before = OtherProgramsSettings(pty);
        const std::string number = pty.path.substr(pty.path.rfind('/') + 1);
        const std::string name =
            std::string(c.name) +
            (std::string(c.name).back() == '.' || std::string(c.name).back() == '_' ? number : "");
        WriteBytes(locks / name, c.content);

        SerialPosix port(pty.path.c_str(), 512, 512);
        EXPECT_EQ(port.IsOpen(), c.refused ? 0 : 1) << name << " " << c.content;
        if (c.refused) {
            port.WriteBuffer("V", 0);
            EXPECT_TRUE(SameLine(pty.Settings(), before)) << name;
            EXPECT_EQ(pty.Received(milliseconds(50)), "") << name;
        }
    }
}
