#pragma once
// SerialDriver on a POSIX terminal device (termios): /dev/ttyUSB0, /dev/ttyS0, /dev/pts/5.
//
// Mirrors SerialWinComm operation by operation:
// - the open is exclusive: TIOCEXCL refuses later opens by other programs, and an advisory
//   flock() also catches the programs that TIOCEXCL lets through (root, other lockers);
// - reads never block (O_NONBLOCK, VMIN = 0, VTIME = 0);
// - DTR is raised while the port is open, where the device has modem lines (a
//   pseudo-terminal has none, so that step is best effort);
// - flow mode 1 is XON/XOFF (IXON | IXOFF with DC1/DC3); flow mode 0 is the RTS/CTS
//   handshake (CRTSCTS), the closest termios offers to the DTR/DSR handshake, which POSIX
//   cannot express;
// - the queue sizes are kept for the record only: the kernel sizes its own buffers and sends
//   XOFF/XON at its own thresholds.
//
// Unlike the Win32 class, a failing Configure step releases the device at once (the object
// then reports "not open", so Close would never release it otherwise).
//
// A port is left as it was found: the line settings read when it was opened are put back on
// every way out (Close, destruction, a failed Configure), so a port that another program uses
// without any lock is not left at 19200 baud raw. A port whose UUCP lock file names a live
// process (see UucpLock.h) is refused before it is opened, so nothing reaches its line.
// The device path is kept whole: stable names under /dev/serial/by-id are long.

#include <termios.h>

#include <string>

#include "host/SerialDriver.h"

class SerialPosix : public SerialDriver {
public:
    // Opens `portName` and configures 19200 8N1 with XON/XOFF; check IsOpen() afterwards.
    SerialPosix(const char* portName, int inputQueueSize, int outputQueueSize);
    ~SerialPosix() override;
    SerialPosix(const SerialPosix&) = delete;
    SerialPosix& operator=(const SerialPosix&) = delete;

    void Close() override;
    void Configure(int baudIndex, int dataBitsIndex, int stopBitsIndex, int parityIndex) override;
    void PurgeInput() override;
    void Flush() override;
    bool ReadByte(int* out) override;
    int IsOpen() override;
    bool Open(const char* portName) override;
    void WriteByte(char byte) override;
    void SetFlowControl(int mode) override;

    // The path of the last Open with a name.
    const char* DevicePath() const { return devicePath_.c_str(); }
    int FlowMode() const { return flowMode_; }

    // How long WriteByte waits for room when the output is held (XOFF) or full, and how long
    // Flush waits for pending output to leave, in milliseconds.
    static constexpr int kWriteWaitMs = 100;
    static constexpr int kFlushWaitMs = 500;

private:
    // Puts the line settings back, closes the descriptor and drops the lock; the open flag
    // becomes 0.
    void Release();

    int open_ = 0;
    int inputQueueSize_ = 0;
    int outputQueueSize_ = 0;
    int flowMode_ = serial::kFlowXonXoff;
    std::string devicePath_;
    int fd_ = -1;
    termios found_{};  // the line settings when the port was opened
    // Set when a write gave up waiting for room; cleared by the next byte that goes out.
    bool writeStalled_ = false;
};
