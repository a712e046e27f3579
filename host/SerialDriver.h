#pragma once
// The byte channel to a COM port. Strictly polled: ReadByte never blocks.
// Implementations: SerialWinComm (host/win32) and SerialPosix (host/posix).

#include <memory>

class SerialDriver {
public:
    virtual ~SerialDriver() = default;
    virtual void Close() = 0;
    // Indexes into the line-setting tables below; the system uses (0, 1, 0, 2) = 19200 8N1.
    virtual void Configure(int baudIndex, int dataBitsIndex, int stopBitsIndex,
                           int parityIndex) = 0;
    virtual void PurgeInput() = 0;
    virtual void Flush() = 0;
    // Non-blocking read of one byte, sign-extended as a char (0xC1 arrives as -63).
    // Returns false and leaves *out untouched when nothing is waiting or the port is closed.
    virtual bool ReadByte(int* out) = 0;
    virtual int IsOpen() = 0;
    // Opens the port; a null name reopens the path stored by an earlier call.
    virtual bool Open(const char* portName) = 0;
    virtual void WriteByte(char byte) = 0;
    // Length 0 means: up to the first NUL of `data`. Writes one WriteByte per byte, the same
    // on every platform.
    virtual void WriteBuffer(const char* data, unsigned length);
    // 1 = XON/XOFF, 0 = DTR/DSR hardware handshake.
    virtual void SetFlowControl(int mode) = 0;
};

namespace serial {
inline constexpr int kBaudRates[] = {19200, 9600, 4800, 2400, 1200};
inline constexpr int kDataBits[] = {7, 8};
inline constexpr int kStopBits[] = {1, 2};
enum Parity { kEven = 0, kOdd = 1, kNone = 2 };
inline constexpr int kFlowXonXoff = 1;
inline constexpr int kFlowHardware = 0;
inline constexpr int kXonLim = 50;
inline constexpr int XoffLimFor(int outputQueueSize) {
    return outputQueueSize - outputQueueSize / 10;
}
}  // namespace serial

// Constructs the platform's serial class on `portName`: opens it and configures 19200 8N1
// with XON/XOFF; the caller checks IsOpen().
std::unique_ptr<SerialDriver> CreateSerialPort(const char* portName, int inputQueueSize,
                                               int outputQueueSize);
