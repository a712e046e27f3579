// The printer's answer parser on arbitrary byte streams, fed as a line would feed it.
//
// Properties: every result code and parser error is one of the defined codes; a good answer
// holds at most 511 data bytes and ends in a NUL inside the answer area; nothing is written past
// the 512-byte answer area (the command frame, which lies right behind it, is resent unchanged
// on every try); a good exchange hands over at most answerSize - 1 characters, NUL-ended.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "host/ExtendedProtocol.h"
#include "host/SerialDriver.h"

namespace {

bool IsResult(int code) {
    switch (code) {
        case ExtendedProtocol::kOk:
        case ExtendedProtocol::kNak:
        case ExtendedProtocol::kWrongEcho:
        case ExtendedProtocol::kBadStatus:
        case ExtendedProtocol::kNoStx:
        case ExtendedProtocol::kBadChecksum:
        case ExtendedProtocol::kTimeout:
        case ExtendedProtocol::kTooLong:
            return true;
        default:
            return false;
    }
}

// A line that delivers the fuzz bytes one by one, then a tail that ends any answer in any
// parser state and spoils the remaining tries, so that no exchange waits for its time-out.
class StreamLine : public SerialDriver {
public:
    explicit StreamLine(std::string bytes) : bytes_(std::move(bytes)) {
        bytes_ += "\x03\x03\x03\x03\r";
        for (int i = 0; i < ExtendedProtocol::kTries; ++i) {
            bytes_ += std::string("\x01\x00\r", 3);
        }
    }
    void Close() override {}
    void Configure(int, int, int, int) override {}
    void PurgeInput() override {}  // the stream stands for bytes still on their way
    void Flush() override {}
    bool ReadByte(int* out) override {
        if (next_ >= bytes_.size()) {
            return false;
        }
        *out = static_cast<signed char>(bytes_[next_++]);
        return true;
    }
    int IsOpen() override { return 1; }
    bool Open(const char*) override { return true; }
    void WriteByte(char byte) override { written_.back() += byte; }
    void WriteBuffer(const char* data, unsigned length) override {
        written_.emplace_back();
        SerialDriver::WriteBuffer(data, length);
    }
    void SetFlowControl(int) override {}

    const std::vector<std::string>& Written() const { return written_; }

private:
    std::string bytes_;
    std::size_t next_ = 0;
    std::vector<std::string> written_;
};

void CheckAnswerArea(const ExtendedProtocol& protocol, const std::string& input) {
    // A good answer holds at most 511 data bytes and its NUL, inside the area. (An answer
    // that overran fills all 512 bytes and is refused with code 10.)
    if (protocol.AnswerComplete() && protocol.AnswerGood()) {
        FUZZ_REQUIRE(::strnlen(protocol.AnswerData(), ExtendedProtocol::kMaxData) <
                         ExtendedProtocol::kMaxData,
                     Shown(input));
    }
    const int error = protocol.AnswerError();
    FUZZ_REQUIRE(error == 0 || (IsResult(error) && error != ExtendedProtocol::kTimeout),
                 std::to_string(error) + " for " + Shown(input));
    FUZZ_REQUIRE(protocol.ParserState() >= 0 && protocol.ParserState() <= 6, Shown(input));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // The parser byte by byte, a new try after each answer.
    {
        StreamLine unused("");
        ExtendedProtocol protocol(&unused);
        protocol.ExpectCommand('V');
        protocol.StartTry();
        for (const char byte : input) {
            protocol.FeedByte(byte);
            CheckAnswerArea(protocol, input);
            if (protocol.AnswerComplete()) {
                if (protocol.AnswerGood()) {
                    FUZZ_REQUIRE(protocol.AnswerError() == 0, Shown(input));
                }
                protocol.StartTry();
            }
        }
    }

    // Whole exchanges, with answer buffers of several sizes.
    for (const unsigned answerSize : {0U, 1U, 128U, 600U}) {
        StreamLine line(input);
        ExtendedProtocol protocol(&line);
        std::vector<char> answer(answerSize + 1, '\x7F');
        const int result =
            protocol.Exchange('V', "", answerSize ? answer.data() : nullptr, answerSize);
        FUZZ_REQUIRE(IsResult(result), std::to_string(result) + " for " + Shown(input));
        FUZZ_REQUIRE(result == protocol.ResultCode(), Shown(input));
        CheckAnswerArea(protocol, input);
        FUZZ_REQUIRE(
            !line.Written().empty() &&
                line.Written().size() <= static_cast<std::size_t>(ExtendedProtocol::kTries),
            Shown(input));
        for (const std::string& frame : line.Written()) {
            FUZZ_REQUIRE(frame ==
                             "\x01V\x02\x03"
                             "086\r",
                         Shown(frame) + " for " + Shown(input));
        }
        FUZZ_REQUIRE(answer[answerSize] == '\x7F', "wrote past the caller's buffer");
        if (result == ExtendedProtocol::kOk && answerSize > 0) {
            const std::size_t length = ::strnlen(answer.data(), answerSize);
            FUZZ_REQUIRE(length < answerSize, Shown(input));
            FUZZ_REQUIRE(std::string(answer.data(), length) ==
                             std::string(protocol.AnswerData()).substr(0, length),
                         Shown(input));
            for (std::size_t i = 0; i < length; ++i) {
                FUZZ_REQUIRE((static_cast<unsigned char>(answer[i]) & 0x80) == 0, Shown(input));
            }
        }
    }
    return 0;
}
