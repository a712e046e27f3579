// The printer command protocol: frame bytes, the receive parser's states and the exchange
// loop's tries and result codes, over a scripted printer line.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "host/ExtendedProtocol.h"
#include "host/WaitClock.h"
#include "tests/support/ScriptedPrinterLine.h"

namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
const std::string kFrameV(
    "\x01V\x02\x03"
    "086\r");

std::string Frame(char command, const char* data) {
    char frame[512];
    const unsigned length = ExtendedProtocol::BuildFrame(command, data, frame);
    EXPECT_EQ(length, std::strlen(frame));
    return std::string(frame, length);
}

struct Outcome {
    int result;
    std::string answer;
    std::size_t frames;
    std::string sent;
};

// One "V" exchange against `script`, with a 128-byte answer buffer.
Outcome ExchangeV(std::vector<std::string> script) {
    ScriptedPrinterLine line(std::move(script));
    ExtendedProtocol protocol(&line);
    char answer[128];
    std::memset(answer, '#', sizeof answer);
    const int result = protocol.Exchange('V', "", answer, sizeof answer);
    EXPECT_EQ(protocol.ResultCode(), result);
    EXPECT_EQ(line.Purges(), static_cast<int>(line.Frames())) << "input purged before each try";
    return {result, result == 0 ? std::string(answer) : std::string(), line.Frames(), line.Sent()};
}

std::string Repeat(const std::string& frame, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i) {
        all += frame;
    }
    return all;
}

TEST(ProtocolFrame, CommandFrameBytes) {
    EXPECT_EQ(Frame('V', ""), kFrameV);
    EXPECT_EQ(Frame('V', nullptr), kFrameV);
    // 0x56 + 0x61 + 0x62 + 0x63 = 380 = 124 modulo 256.
    EXPECT_EQ(Frame('V', "abc"), std::string("\x01V\x02"
                                             "abc\x03"
                                             "124\r"));
    // Bytes above 0x7F add as unsigned 8-bit values: 0x41 + 0xE9 = 0x12A -> 42.
    EXPECT_EQ(Frame('A', "\xE9"), std::string("\x01"
                                              "A\x02\xE9\x03"
                                              "042\r"));
}

TEST(ProtocolFrame, DataOfFiveHundredBytesIsLeftOut) {
    const std::string kept(499, 'a');
    const std::string frame = Frame('V', kept.c_str());
    ASSERT_EQ(frame.size(), 8u + 499u);
    EXPECT_EQ(frame.substr(3, 499), kept);
    // 0x56 + 499 * 0x61 = 48489 -> 105.
    EXPECT_EQ(frame.substr(502),
              "\x03"
              "105\r");

    for (std::size_t size : {500u, 501u, 2000u}) {
        const std::string dropped(size, 'a');
        EXPECT_EQ(Frame('V', dropped.c_str()), kFrameV) << size << " data bytes";
    }
}

TEST(ProtocolParser, WalksTheAnswerStates) {
    ScriptedPrinterLine line;
    ExtendedProtocol protocol(&line);
    EXPECT_EQ(protocol.ResultCode(), ExtendedProtocol::kNoExchangeYet);
    protocol.ExpectCommand('V');
    protocol.StartTry();
    const std::string answer = AnswerFrame('V', kAck, "abc", "124");
    const int states[] = {1, 2, 3, 4, 4, 4, 4, 5, 5, 5, 6, 0};
    ASSERT_EQ(answer.size(), std::size(states));
    for (std::size_t i = 0; i < answer.size(); ++i) {
        EXPECT_FALSE(protocol.AnswerComplete()) << "before byte " << i;
        protocol.FeedByte(answer[i]);
        EXPECT_EQ(protocol.ParserState(), states[i]) << "after byte " << i;
    }
    EXPECT_TRUE(protocol.AnswerComplete());
    EXPECT_TRUE(protocol.AnswerGood());
    EXPECT_EQ(protocol.AnswerError(), 0);
    EXPECT_STREQ(protocol.AnswerData(), "abc");
}

TEST(ProtocolParser, FaultsGoToTheTrailerUntilCr) {
    struct Case {
        std::string bytes;
        int error;
    };
    const Case cases[] = {
        {"\x01W", 3},                                     // wrong echo
        {std::string("\x01V") + kNak, 1},                 // refused
        {"\x01V\x07", 5},                                 // neither ACK nor NAK
        {std::string("\x01V") + kAck + "x", 6},           // no STX
        {AnswerFrame('V', kAck, "abc", "13", false), 8},  // second digit wrong
    };
    for (const Case& c : cases) {
        ScriptedPrinterLine line;
        ExtendedProtocol protocol(&line);
        protocol.ExpectCommand('V');
        protocol.StartTry();
        for (char b : c.bytes) {
            protocol.FeedByte(b);
        }
        EXPECT_EQ(protocol.ParserState(), 6);
        EXPECT_EQ(protocol.AnswerError(), c.error);
        // Anything but CR keeps the parser in the trailer; the error stays.
        protocol.FeedByte('\x01');
        protocol.FeedByte('V');
        EXPECT_EQ(protocol.ParserState(), 6);
        EXPECT_FALSE(protocol.AnswerComplete());
        protocol.FeedByte('\r');
        EXPECT_EQ(protocol.ParserState(), 0);
        EXPECT_TRUE(protocol.AnswerComplete());
        EXPECT_FALSE(protocol.AnswerGood());
        EXPECT_EQ(protocol.AnswerError(), c.error);
    }
}

TEST(ProtocolParser, TrailerJunkSpoilsTheAnswerWithoutAnErrorCode) {
    ScriptedPrinterLine line;
    ExtendedProtocol protocol(&line);
    protocol.ExpectCommand('V');
    protocol.StartTry();
    for (char b : AnswerFrame('V', kAck, "abc", "1245")) {
        protocol.FeedByte(b);
    }
    EXPECT_TRUE(protocol.AnswerComplete());
    EXPECT_FALSE(protocol.AnswerGood());
    EXPECT_EQ(protocol.AnswerError(), 0);
}

TEST(ProtocolParser, FiveHundredTwelveDataBytesStayInsideTheArea) {
    ScriptedPrinterLine line;
    ExtendedProtocol protocol(&line);
    protocol.ExpectCommand('V');
    protocol.StartTry();
    for (char b : std::string("\x01V\x06\x02") + std::string(512, 'z')) {
        protocol.FeedByte(b);
    }
    EXPECT_EQ(protocol.ParserState(), 4);
    protocol.FeedByte('\x03');  // no room left: the answer is too long
    EXPECT_EQ(protocol.ParserState(), 6);
    EXPECT_EQ(protocol.AnswerError(), ExtendedProtocol::kTooLong);
    protocol.FeedByte('\r');
    EXPECT_TRUE(protocol.AnswerComplete());
    EXPECT_FALSE(protocol.AnswerGood());
    EXPECT_EQ(std::string(protocol.AnswerData(), ExtendedProtocol::kMaxData),
              std::string(512, 'z'));
}

TEST(ProtocolExchange, GoodAnswersAndTheirForms) {
    const std::string good = AnswerFrame('V', kAck, "abc", "124");
    struct Case {
        const char* name;
        std::string answer;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", good, "abc"},
        {"noise before SOH", std::string("\x7F\x00garbage\r\x03\x02", 12) + good, "abc"},
        {"CR right after ETX", AnswerFrame('V', kAck, "abc", ""), "abc"},
        {"CR after one matching digit", AnswerFrame('V', kAck, "abc", "1"), "abc"},
        {"no data", AnswerFrame('V', kAck, "", GoodChecksum('V', "")), ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = ExchangeV({c.answer});
        EXPECT_EQ(outcome.result, 0) << c.name;
        EXPECT_EQ(outcome.answer, c.expected) << c.name;
        EXPECT_EQ(outcome.frames, 1u) << c.name;
        EXPECT_EQ(outcome.sent, kFrameV) << c.name;
    }
}

TEST(ProtocolExchange, BitSevenIsMaskedBeforeParsing) {
    std::string answer = AnswerFrame('V', kAck, "RX200 x", GoodChecksum('V', "RX200 x"));
    for (char& c : answer) {
        c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    }
    const Outcome outcome = ExchangeV({answer});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.answer, "RX200 x");
}

TEST(ProtocolExchange, EveryFaultIsRetriedFourTimes) {
    struct Case {
        const char* name;
        std::string answer;
        int result;
    };
    const Case cases[] = {
        {"checksum 125", AnswerFrame('V', kAck, "abc", "125"), ExtendedProtocol::kBadChecksum},
        {"NAK", AnswerFrame('V', kNak, "", "086"), ExtendedProtocol::kNak},
        {"wrong echo", AnswerFrame('W', kAck, "abc", "125"), ExtendedProtocol::kWrongEcho},
        {"bad status", AnswerFrame('V', 'Q', "abc", "124"), ExtendedProtocol::kBadStatus},
        {"no STX", "\x01V\x06x\x03\r", ExtendedProtocol::kNoStx},
        {"512 data bytes",
         AnswerFrame('V', kAck, std::string(512, 'a'), GoodChecksum('V', std::string(512, 'a'))),
         ExtendedProtocol::kTooLong},
        // Junk after the digits: a bad answer without an error code; reported as a bad
        // checksum field, never as success.
        {"junk after the digits", AnswerFrame('V', kAck, "abc", "124x"),
         ExtendedProtocol::kBadChecksum},
    };
    for (const Case& c : cases) {
        const Outcome outcome = ExchangeV({c.answer});
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(outcome.frames, 4u) << c.name;
        EXPECT_EQ(outcome.sent, Repeat(kFrameV, 4)) << c.name << ": the command is resent";
    }
}

TEST(ProtocolExchange, ALaterTryCanStillSucceed) {
    const std::string good = AnswerFrame('V', kAck, "abc", "124");
    const Outcome outcome = ExchangeV({AnswerFrame('V', kAck, "abc", "125"), good});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.answer, "abc");
    EXPECT_EQ(outcome.frames, 2u);
}

TEST(ProtocolExchange, AnswerLengthLimits) {
    const std::string longest(511, 'q');
    ScriptedPrinterLine line({AnswerFrame('V', kAck, longest, GoodChecksum('V', longest))});
    ExtendedProtocol protocol(&line);
    char big[600];
    EXPECT_EQ(protocol.Exchange('V', "", big, sizeof big), 0);
    EXPECT_EQ(std::string(big), longest);

    // A 128-byte buffer gets 127 characters and its NUL, nothing beyond.
    const std::string text(300, 'r');
    ScriptedPrinterLine line2({AnswerFrame('V', kAck, text, GoodChecksum('V', text))});
    ExtendedProtocol protocol2(&line2);
    char buffer[140];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(protocol2.Exchange('V', "", buffer, 128), 0);
    EXPECT_EQ(std::string(buffer), std::string(127, 'r'));
    EXPECT_EQ(std::string(buffer + 128, 12), std::string(12, '#'));

    // No buffer, or one with room for the NUL only.
    ScriptedPrinterLine line3({AnswerFrame('V', kAck, "abc", "124")});
    ExtendedProtocol protocol3(&line3);
    EXPECT_EQ(protocol3.Exchange('V', "", nullptr, 0), 0);
    char one = '#';
    EXPECT_EQ(protocol3.Exchange('V', "", &one, 1), 0);
    EXPECT_EQ(one, '\0');
}

TEST(ProtocolExchange, AnswerWithoutCrTimesOutAfterFourSeconds) {
    // Four seconds on the protocol's clock, run 20 times faster than real time.
    const waits::ScopedSpeedup fast(20);
    const std::uint32_t start = waits::TickCountMs();
    const Outcome outcome = ExchangeV({AnswerFrame('V', kAck, "abc", "124", false)});
    const std::uint32_t elapsed = waits::TickCountMs() - start;
    EXPECT_EQ(outcome.result, ExtendedProtocol::kTimeout);
    EXPECT_EQ(outcome.frames, 4u);
    EXPECT_GE(elapsed, 3996u);
    EXPECT_LT(elapsed, 4800u);  // a fifth try would have made it five seconds
}

TEST(ProtocolExchange, ParserPositionSurvivesATimedOutTry) {
    const waits::ScopedSpeedup fast(20);
    // Try 1 stops in the middle of the data and times out; the parser is still collecting
    // data when try 2's answer arrives, so that answer becomes data of the old one and fails
    // its checksum; try 3 starts clean and succeeds.
    const std::string good = AnswerFrame('V', kAck, "abc", "124");
    const Outcome outcome =
        ExchangeV({"\x01V\x06\x02"
                   "ab",
                   good, good});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.answer, "abc");
    EXPECT_EQ(outcome.frames, 3u);
}

TEST(ProtocolTicks, ElapsedTimeAcrossTheWrap) {
    EXPECT_EQ(ElapsedMs(10, 25), 15u);
    EXPECT_EQ(ElapsedMs(7, 7), 0u);
    EXPECT_EQ(ElapsedMs(0xFFFFFFF0u, 5), 0x0Fu + 5u);
    EXPECT_EQ(ElapsedMs(0xFFFFFFFFu, 0), 0u);
    const std::uint32_t a = waits::TickCountMs();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    while (std::chrono::steady_clock::now() < until) {
    }
    const std::uint32_t elapsed = ElapsedMs(a, waits::TickCountMs());
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 200u);
}

}  // namespace
