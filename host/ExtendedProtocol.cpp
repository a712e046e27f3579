#include "host/ExtendedProtocol.h"

#include "host/SerialDriver.h"
#include "host/WaitClock.h"

namespace {

// Control bytes of the frames.
namespace ctl {
constexpr std::uint8_t SOH = 0x01;
constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;
constexpr std::uint8_t ACK = 0x06;
constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t NAK = 0x15;
}  // namespace ctl

// Longer data is left out of the frame altogether.
constexpr unsigned kMaxFrameData = 500;

// Three decimal digits of an 8-bit sum ("%03u") and a NUL.
void FormatChecksum(std::uint8_t sum, char* out) {
    out[0] = static_cast<char>('0' + sum / 100);
    out[1] = static_cast<char>('0' + sum / 10 % 10);
    out[2] = static_cast<char>('0' + sum % 10);
    out[3] = '\0';
}

}  // namespace

std::uint32_t ElapsedMs(std::uint32_t start, std::uint32_t now) {
    return now < start ? (0xFFFFFFFFu - start) + now : now - start;
}

ExtendedProtocol::ExtendedProtocol(SerialDriver* driver) : driver_(driver) {}

int ExtendedProtocol::ResultCode() {
    return result_;
}

void ExtendedProtocol::SetResultCode(int code) {
    result_ = code;
}

unsigned ExtendedProtocol::BuildFrame(char command, const char* data, char* frame) {
    unsigned dataLength = 0;
    while (data != nullptr && dataLength < kMaxFrameData && data[dataLength] != '\0') {
        ++dataLength;
    }
    if (dataLength >= kMaxFrameData) {
        dataLength = 0;
    }
    unsigned n = 0;
    frame[n++] = static_cast<char>(ctl::SOH);
    frame[n++] = command;
    frame[n++] = static_cast<char>(ctl::STX);
    auto sum = static_cast<std::uint8_t>(command);
    for (unsigned i = 0; i < dataLength; ++i) {
        frame[n++] = data[i];
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(data[i]));
    }
    frame[n++] = static_cast<char>(ctl::ETX);
    FormatChecksum(sum, frame + n);
    n += 3;
    frame[n++] = static_cast<char>(ctl::CR);
    frame[n] = '\0';
    return n;
}

void ExtendedProtocol::StartTry() {
    answerError_ = 0;
    tryError_ = 0;
    answerGood_ = 1;
    answerComplete_ = 0;
    endSeen_ = 0;
}

void ExtendedProtocol::FeedByte(char byte) {
    const auto b = static_cast<std::uint8_t>(static_cast<std::uint8_t>(byte) & 0x7F);
    const auto fault = [this](int code) {
        answerGood_ = 0;
        answerError_ = static_cast<std::uint8_t>(code);
        parserState_ = 6;
    };
    const auto endOfAnswer = [this] {
        endSeen_ = 1;
        endSeen_ = 0;
        // With 512 data bytes stored there is no room for a NUL; such an answer is bad.
        if (dataLength_ < static_cast<int>(kMaxData)) {
            answerData_[dataLength_] = '\0';
        }
        answerComplete_ = 1;
        dataLength_ = 0;
        digitIndex_ = 0;
        parserState_ = 0;
    };

    switch (parserState_) {
        case 0:  // idle: everything before SOH is line noise
            if (b == ctl::SOH) {
                dataLength_ = 0;
                parserState_ = 1;
            }
            break;
        case 1:  // command echo
            receivedCommand_ = b;
            if (b == expectedCommand_) {
                runningSum_ = b;
                parserState_ = 2;
            } else {
                fault(kWrongEcho);
            }
            break;
        case 2:  // status
            if (b == ctl::ACK) {
                parserState_ = 3;
            } else {
                fault(b == ctl::NAK ? kNak : kBadStatus);
            }
            break;
        case 3:
            if (b == ctl::STX) {
                parserState_ = 4;
            } else {
                fault(kNoStx);
            }
            break;
        case 4:  // data
            if (dataLength_ >= static_cast<int>(kMaxData)) {
                fault(kTooLong);
            } else if (b == ctl::ETX) {
                answerData_[dataLength_] = '\0';
                FormatChecksum(runningSum_, expectedChecksum_);
                parserState_ = 5;
            } else {
                answerData_[dataLength_++] = static_cast<char>(b);
                runningSum_ = static_cast<std::uint8_t>(runningSum_ + b);
            }
            break;
        case 5:  // checksum digits; CR may end the answer early
            if (b == ctl::CR) {
                endOfAnswer();
                break;
            }
            if (b != static_cast<std::uint8_t>(expectedChecksum_[digitIndex_])) {
                fault(kBadChecksum);
            }
            if (++digitIndex_ >= 3) {
                parserState_ = 6;
            }
            break;
        default:  // 6, trailer: only CR may follow
            if (b == ctl::CR) {
                endOfAnswer();
            } else {
                answerGood_ = 0;
            }
            break;
    }
}

int ExtendedProtocol::Exchange(char command, const char* data, char* answer, unsigned answerSize) {
    BuildFrame(command, data, frame_);
    done_ = 0;
    tries_ = 0;
    exchangeState_ = 1;
    std::uint32_t start = 0;
    while (done_ == 0 && tries_ < kTries) {
        if (exchangeState_ == 1) {
            StartTry();
            expectedCommand_ = static_cast<std::uint8_t>(command);
            driver_->PurgeInput();
            driver_->WriteBuffer(frame_, 0);
            start = waits::TickCountMs();
            exchangeState_ = 2;
            continue;
        }
        int byte = 0;
        const bool received = driver_->ReadByte(&byte);
        if (received) {
            FeedByte(static_cast<char>(byte));
        }
        if (answerComplete_ != 0 && answerGood_ != 0) {
            if (answer != nullptr && answerSize > 0) {
                unsigned n = 0;
                while (n + 1 < answerSize && n < kMaxData && answerData_[n] != '\0') {
                    answer[n] = answerData_[n];
                    ++n;
                }
                answer[n] = '\0';
            }
            tryError_ = 0;
            done_ = 1;
        } else if (answerComplete_ != 0) {
            // An answer spoilt only by bytes after its checksum digits carries no error code;
            // it counts as a bad checksum field, so that a failed exchange never reports 0.
            tryError_ = answerError_ != 0 ? int{answerError_} : int{kBadChecksum};
            ++tries_;
            exchangeState_ = 1;
        } else if (ElapsedMs(start, waits::TickCountMs()) > kTryMilliseconds - 1) {
            tryError_ = kTimeout;
            ++tries_;
            exchangeState_ = 1;
        } else if (!received) {
            // No byte waiting: give the processor away for a moment instead of spinning;
            // it bounds how late a byte is noticed, well under a byte time at 19200 baud.
            waits::Pause();
        }
        if (tries_ >= kTries || done_ != 0) {
            result_ = tryError_;
            exchangeState_ = 0;
        }
    }
    return result_;
}
