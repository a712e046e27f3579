#include "host/win32/SerialWinComm.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr DWORD kBaudRates[] = {19200, 9600, 4800, 2400, 1200};
constexpr BYTE kByteSizes[] = {7, 8};
constexpr BYTE kStopBits[] = {ONESTOPBIT, TWOSTOPBITS};
constexpr BYTE kParities[] = {EVENPARITY, ODDPARITY, NOPARITY};

template <typename T, std::size_t N>
bool InTable(const T (&)[N], int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N;
}

// The flow-control fields of the device control block for `mode`.
void ApplyFlow(DCB& dcb, int mode, int outputQueueSize) {
    if (mode == serial::kFlowXonXoff) {
        dcb.fOutX = TRUE;
        dcb.fInX = TRUE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.XonLim = static_cast<WORD>(serial::kXonLim);
        dcb.XoffLim = static_cast<WORD>(serial::XoffLimFor(outputQueueSize));
        dcb.XonChar = 0x11;   // DC1
        dcb.XoffChar = 0x13;  // DC3
    } else {
        // XonLim, XoffLim, XonChar and XoffChar keep what the device had.
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = TRUE;
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        dcb.fTXContinueOnXoff = FALSE;
    }
}

}  // namespace

struct SerialWinComm::FoundLine {
    DCB dcb;
    COMMTIMEOUTS timeouts;
    bool valid = false;
};

SerialWinComm::SerialWinComm(const char* portName, int inputQueueSize, int outputQueueSize)
    : open_(0),
      inputQueueSize_(inputQueueSize),
      outputQueueSize_(outputQueueSize),
      flowMode_(serial::kFlowXonXoff),
      handle_(INVALID_HANDLE_VALUE) {
    Open(portName);
    Configure(0, 1, 0, serial::kNone);
}

SerialWinComm::~SerialWinComm() {
    SerialWinComm::Close();
}

bool SerialWinComm::Open(const char* portName) {
    if (open_ != 0) {
        return true;
    }
    if (portName != nullptr) {
        devicePath_ = std::string("\\\\.\\") + portName;
    }
    // CreateFileA takes at most MAX_PATH - 1 characters; a longer name is refused whole,
    // never cut to another device's name.
    if (devicePath_.empty() || devicePath_.size() >= MAX_PATH) {
        return false;
    }
    HANDLE handle = ::CreateFileA(devicePath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    found_ = std::make_unique<FoundLine>();
    std::memset(&found_->dcb, 0, sizeof found_->dcb);
    found_->dcb.DCBlength = sizeof found_->dcb;
    found_->valid =
        ::GetCommState(handle, &found_->dcb) && ::GetCommTimeouts(handle, &found_->timeouts);
    handle_ = handle;
    open_ = 1;
    return true;
}

void SerialWinComm::Configure(int baudIndex, int dataBitsIndex, int stopBitsIndex,
                              int parityIndex) {
    if (open_ == 0) {
        return;
    }
    if (!InTable(kBaudRates, baudIndex) || !InTable(kByteSizes, dataBitsIndex) ||
        !InTable(kStopBits, stopBitsIndex) || !InTable(kParities, parityIndex)) {
        Release();
        return;
    }
    ::SetupComm(handle_, static_cast<DWORD>(inputQueueSize_), static_cast<DWORD>(outputQueueSize_));
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) {
        Release();
        return;
    }
    dcb.BaudRate = kBaudRates[baudIndex];
    dcb.ByteSize = kByteSizes[dataBitsIndex];
    dcb.StopBits = kStopBits[stopBitsIndex];
    dcb.Parity = kParities[parityIndex];
    ApplyFlow(dcb, flowMode_, outputQueueSize_);
    // fParity, fRtsControl, fDsrSensitivity, fErrorChar, fNull and the other characters
    // keep what the device had.
    dcb.fBinary = TRUE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(handle_, &dcb)) {
        Release();
        return;
    }
    // Reads return at once with what has arrived; writes have no time-out.
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!::SetCommTimeouts(handle_, &timeouts)) {
        Release();
        return;
    }
    ::EscapeCommFunction(handle_, SETDTR);
}

void SerialWinComm::Close() {
    if (open_ == 0) {
        return;
    }
    SerialWinComm::Flush();
    SerialWinComm::PurgeInput();
    ::EscapeCommFunction(handle_, CLRDTR);
    Release();
}

void SerialWinComm::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        if (found_ && found_->valid) {
            ::SetCommState(handle_, &found_->dcb);
            ::SetCommTimeouts(handle_, &found_->timeouts);
        }
        found_.reset();
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    open_ = 0;
}

void SerialWinComm::PurgeInput() {
    if (open_ != 0) {
        ::PurgeComm(handle_, PURGE_RXCLEAR);
    }
}

void SerialWinComm::Flush() {
    if (open_ != 0) {
        ::FlushFileBuffers(handle_);
    }
}

bool SerialWinComm::ReadByte(int* out) {
    if (open_ == 0 || out == nullptr) {
        return false;
    }
    unsigned char byte = 0;
    DWORD read = 0;
    if (!::ReadFile(handle_, &byte, 1, &read, nullptr) || read != 1) {
        return false;
    }
    *out = static_cast<signed char>(byte);
    return true;
}

int SerialWinComm::IsOpen() {
    return open_;
}

void SerialWinComm::WriteByte(char byte) {
    if (open_ != 0) {
        DWORD written = 0;
        ::WriteFile(handle_, &byte, 1, &written, nullptr);
    }
}

void SerialWinComm::SetFlowControl(int mode) {
    if (open_ == 0) {
        return;
    }
    flowMode_ = mode;
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) {
        return;
    }
    ApplyFlow(dcb, mode, outputQueueSize_);
    ::SetCommState(handle_, &dcb);
}
