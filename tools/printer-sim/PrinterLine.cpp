#include "tools/printer-sim/PrinterLine.h"

#include <cstdio>

namespace {

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kAck = 0x06;
constexpr char kCr = 0x0D;
constexpr char kNak = 0x15;

// Host data longer than this is no frame of ours (the host sends at most 499 bytes).
constexpr std::size_t kMaxHostData = 600;
constexpr std::size_t kLongAnswer = 512;

std::string Printable(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\') {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            text += hex;
        }
    }
    return text;
}

}  // namespace

std::string Checksum(char first, const std::string& data) {
    unsigned sum = static_cast<unsigned char>(first);
    for (char c : data) {
        sum += static_cast<unsigned char>(c);
    }
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03u", sum % 256);
    return digits;
}

void FrameReader::Restart(std::uint8_t byte) {
    ++discarded_;
    frame_ = HostFrame{};
    state_ = byte == static_cast<std::uint8_t>(kSoh) ? 1 : 0;
}

std::optional<HostFrame> FrameReader::Feed(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    switch (state_) {
        case 0:
            if (c == kSoh) {
                frame_ = HostFrame{};
                state_ = 1;
            } else {
                ++discarded_;
            }
            break;
        case 1:
            frame_.command = c;
            state_ = 2;
            break;
        case 2:
            if (c == kStx) {
                state_ = 3;
            } else {
                Restart(byte);
            }
            break;
        case 3:
            if (c == kEtx) {
                state_ = 4;
            } else if (frame_.data.size() < kMaxHostData) {
                frame_.data += c;
            } else {
                Restart(byte);
            }
            break;
        case 4:
            frame_.checksum += c;
            if (frame_.checksum.size() == 3) {
                state_ = 5;
            }
            break;
        default:
            if (c != kCr) {
                Restart(byte);
                break;
            }
            state_ = 0;
            frame_.checksumOk = frame_.checksum == Checksum(frame_.command, frame_.data);
            return frame_;
    }
    return std::nullopt;
}

std::string BuildAnswer(const HostFrame& frame, const SimOptions& options) {
    if (options.fault == Fault::kSilent) {
        return {};
    }
    const bool known = frame.checksumOk && frame.command == 'V';
    char echo = frame.command;
    char status = known ? kAck : kNak;
    std::string data = known ? options.identity : std::string();
    switch (options.fault) {
        case Fault::kNak:
            status = kNak;
            data.clear();
            break;
        case Fault::kWrongEcho:
            echo = static_cast<char>(frame.command == 'W' ? 'X' : 'W');
            break;
        case Fault::kLong:
            data = options.identity.empty() ? std::string("x") : options.identity;
            while (data.size() < kLongAnswer) {
                data += ' ';
                data += options.identity;
            }
            data.resize(kLongAnswer);
            break;
        default:
            break;
    }
    std::string checksum = Checksum(echo, data);
    if (options.fault == Fault::kBadChecksum) {
        checksum[2] = static_cast<char>(checksum[2] == '9' ? '0' : checksum[2] + 1);
    }
    std::string answer;
    if (options.fault == Fault::kNoise) {
        // Nothing here masks to SOH or is an XON/XOFF character.
        static const char kNoise[] = "\x7F\x00+++ noise \x80\xFE\r\n";
        answer.append(kNoise, sizeof kNoise);  // with the trailing NUL
    }
    answer += kSoh;
    answer += echo;
    answer += status;
    answer += kStx;
    answer += data;
    answer += kEtx;
    answer += checksum;
    if (options.fault != Fault::kNoCr) {
        answer += kCr;
    }
    if (options.fault == Fault::kBit7) {
        for (char& c : answer) {
            c = static_cast<char>(static_cast<unsigned char>(c) | 0x80u);
        }
    }
    return answer;
}

std::string DescribeExchange(const HostFrame& frame, const std::string& answer) {
    std::string line = "frame '" + Printable(std::string(1, frame.command)) + "' data \"" +
                       Printable(frame.data) + "\" checksum " + Printable(frame.checksum) +
                       (frame.checksumOk ? " ok" : " BAD");
    if (answer.empty()) {
        return line + " -> no answer";
    }
    return line + " -> answer " + Printable(answer) + " (" + std::to_string(answer.size()) +
           " bytes)";
}
