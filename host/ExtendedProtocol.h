#pragma once
// The printers' framed, checksummed command protocol over a SerialDriver: frame builder,
// byte-by-byte receive parser and the exchange loop (four tries of 1000 ms each).
// Nothing is allocated during an exchange.

#include <cstdint>

class SerialDriver;

class ExtendedProtocol {
public:
    enum Result {
        kOk = 0,
        kNak = 1,
        kWrongEcho = 3,
        kBadStatus = 5,
        kNoStx = 6,
        kBadChecksum = 8,
        kTimeout = 9,
        kTooLong = 10,
        kNoExchangeYet = 11,
    };
    static constexpr int kTries = 4;
    static constexpr unsigned kTryMilliseconds = 1000;
    static constexpr unsigned kMaxData = 512;

    explicit ExtendedProtocol(SerialDriver* driver);
    virtual ~ExtendedProtocol() = default;
    ExtendedProtocol(const ExtendedProtocol&) = delete;
    ExtendedProtocol& operator=(const ExtendedProtocol&) = delete;

    virtual int ResultCode();
    // Sends `command` with `data` and waits for the answer; returns the result code.
    // On success copies at most answerSize - 1 answer characters into `answer` (NUL-ended).
    virtual int Exchange(char command, const char* data, char* answer, unsigned answerSize);
    virtual void SetResultCode(int code);
    // The receive parser; Exchange feeds it every byte it reads.
    virtual void FeedByte(char byte);

    // Builds the command frame into `frame` (NUL-terminated); returns its length without
    // the NUL. Exposed for tests.
    static unsigned BuildFrame(char command, const char* data, char* frame);

    // Parser state for tests: whether the last answer is complete and good.
    bool AnswerComplete() const { return answerComplete_ != 0; }
    bool AnswerGood() const { return answerGood_ != 0; }
    int AnswerError() const { return answerError_; }
    int ParserState() const { return parserState_; }
    const char* AnswerData() const { return answerData_; }
    void ExpectCommand(char command) { expectedCommand_ = static_cast<std::uint8_t>(command); }
    void StartTry();

private:
    SerialDriver* driver_;
    int result_ = kNoExchangeYet;
    int dataLength_ = 0;
    int endSeen_ = 0;
    int exchangeState_ = 0;
    int tryError_ = 0;
    int done_ = 0;
    int tries_ = 0;
    char answerData_[kMaxData] = {};
    char frame_[512] = {};
    char expectedChecksum_[4] = {};
    std::uint8_t answerGood_ = 1;
    std::uint8_t answerComplete_ = 0;
    std::uint8_t answerError_ = 0;
    std::uint8_t parserState_ = 0;
    std::uint8_t expectedCommand_ = 0;
    std::uint8_t receivedCommand_ = 0;
    std::uint8_t digitIndex_ = 0;
    std::uint8_t runningSum_ = 0;
};

// Milliseconds from `start` to `now` of waits::TickCountMs(); after a wrap (now below start) it is
// (0xFFFFFFFF - start) + now.
std::uint32_t ElapsedMs(std::uint32_t start, std::uint32_t now);
