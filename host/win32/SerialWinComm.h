#pragma once
// SerialDriver on a Windows COM port through the Win32 communications functions.
//
// The port is opened exclusively (share mode 0), synchronously, as "\\.\" plus the port
// name; reads return at once (ReadIntervalTimeout MAXDWORD, no totals). DTR is raised while
// the port is open. Flow mode 1 is XON/XOFF, flow mode 0 the DTR/DSR handshake.
// A failing Configure step closes the handle at once, so a port that reports "not open"
// never keeps the device from other programs. Every way out (Close, destruction, a failed
// Configure) puts back the line settings and time-outs the port had when it was opened.
// The port name is never shortened: a name too long for CreateFileA is refused by Open.

#include <memory>
#include <string>

#include "host/SerialDriver.h"

class SerialWinComm : public SerialDriver {
public:
    // Opens `portName` (such as "COM3") and configures 19200 8N1 with XON/XOFF; check
    // IsOpen() afterwards.
    SerialWinComm(const char* portName, int inputQueueSize, int outputQueueSize);
    ~SerialWinComm() override;
    SerialWinComm(const SerialWinComm&) = delete;
    SerialWinComm& operator=(const SerialWinComm&) = delete;

    void Close() override;
    void Configure(int baudIndex, int dataBitsIndex, int stopBitsIndex, int parityIndex) override;
    void PurgeInput() override;
    void Flush() override;
    bool ReadByte(int* out) override;
    int IsOpen() override;
    bool Open(const char* portName) override;
    void WriteByte(char byte) override;
    void SetFlowControl(int mode) override;

    // "\\.\" and the last name given to Open.
    const char* DevicePath() const { return devicePath_.c_str(); }

private:
    // Puts back the line settings found at Open and closes the handle; the open flag
    // becomes 0.
    void Release();
    struct FoundLine;

    int open_ = 0;
    int inputQueueSize_ = 0;
    int outputQueueSize_ = 0;
    int flowMode_ = serial::kFlowXonXoff;
    std::string devicePath_;
    void* handle_;                      // HANDLE; INVALID_HANDLE_VALUE while closed
    std::unique_ptr<FoundLine> found_;  // the line as Open found it
};
