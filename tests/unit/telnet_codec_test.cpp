#include <gtest/gtest.h>

#include <string>

#include "xport/TelnetCodec.h"

namespace {

// Bytes written with the commands by name: "<IAC>", "<DO>", "<TTYPE>" and the like.
std::string Wire(std::string s) {
    const std::pair<const char*, char> names[] = {
        {"<IAC>", '\xFF'},  {"<DONT>", '\xFE'},  {"<DO>", '\xFD'},   {"<WONT>", '\xFC'},
        {"<WILL>", '\xFB'}, {"<SB>", '\xFA'},    {"<GA>", '\xF9'},   {"<AYT>", '\xF6'},
        {"<SE>", '\xF0'},   {"<TTYPE>", '\x18'}, {"<ECHO>", '\x01'}, {"<NUL>", '\0'},
    };
    for (const auto& [name, byte] : names) {
        for (auto at = s.find(name); at != std::string::npos; at = s.find(name)) {
            s.replace(at, std::char_traits<char>::length(name), 1, byte);
        }
    }
    return s;
}

struct Decoded {
    std::string text;
    std::string replies;
    bool sentCommand = false;
    bool sendsTtype = false;
};

Decoded Decode(const std::string& bytes, std::size_t cut) {
    xport::TelnetCodec codec;
    Decoded out;
    for (std::size_t at = 0; at < bytes.size(); at += cut) {
        codec.Receive(std::string_view(bytes).substr(at, cut), out.text, out.replies);
    }
    out.sentCommand = codec.ServerSentCommand();
    out.sendsTtype = codec.SendsTerminalType();
    return out;
}

}  // namespace

// Each conversation decodes the same whole, byte by byte and in threes.
TEST(TelnetCodec, TextRepliesAndStateWhateverTheCuts) {
    const struct {
        const char* received;
        const char* text;
        const char* replies;
        bool sendsTtype;
    } rows[] = {
        {"Press Enter", "Press Enter", "", false},
        {"a<IAC><IAC>b", "a<IAC>b", "", false},
        {"<IAC><DO><TTYPE>x", "x", "<IAC><WILL><TTYPE>", true},
        // Asked again: already agreed, no answer (no loop).
        {"<IAC><DO><TTYPE><IAC><DO><TTYPE>", "", "<IAC><WILL><TTYPE>", true},
        {"<IAC><DO><TTYPE><IAC><SB><TTYPE>\x01<IAC><SE>ok", "ok",
         "<IAC><WILL><TTYPE><IAC><SB><TTYPE><NUL>dumb<IAC><SE>", true},
        // SEND without the agreement, and after DONT, is not answered.
        {"<IAC><SB><TTYPE>\x01<IAC><SE>", "", "", false},
        {"<IAC><DO><TTYPE><IAC><DONT><TTYPE><IAC><SB><TTYPE>\x01<IAC><SE>", "",
         "<IAC><WILL><TTYPE><IAC><WONT><TTYPE>", false},
        {"<IAC><DONT><TTYPE><IAC><WONT><ECHO>", "", "", false},
        // Everything else offered or asked for is refused.
        {"<IAC><WILL><ECHO>A<IAC><DO><ECHO>B", "AB", "<IAC><DONT><ECHO><IAC><WONT><ECHO>", false},
        {"x<IAC><GA>y<IAC><AYT>z", "xyz", "", false},
        // Other subnegotiations, escaped IAC inside one, and one ended by a command.
        {"<IAC><SB><ECHO>ab<IAC><IAC>c<IAC><SE>t", "t", "", false},
        {"<IAC><SB><TTYPE>\x01<IAC><WILL><ECHO>t", "t", "<IAC><DONT><ECHO>", false},
    };
    for (const auto& row : rows) {
        const Decoded whole = Decode(Wire(row.received), std::string::npos);
        SCOPED_TRACE(row.received);
        EXPECT_EQ(whole.text, Wire(row.text));
        EXPECT_EQ(whole.replies, Wire(row.replies));
        EXPECT_EQ(whole.sendsTtype, row.sendsTtype);
        EXPECT_EQ(whole.sentCommand, Wire(row.received).find('\xFF') != std::string::npos);
        for (const std::size_t cut : {std::size_t{1}, std::size_t{3}}) {
            const Decoded pieces = Decode(Wire(row.received), cut);
            EXPECT_EQ(pieces.text, whole.text) << "cut " << cut;
            EXPECT_EQ(pieces.replies, whole.replies) << "cut " << cut;
        }
    }
}

TEST(TelnetCodec, EncodeDoublesIacAndDecodesBack) {
    const std::string text = Wire("19200\r<IAC>\r\n");
    EXPECT_EQ(xport::TelnetCodec::Encode(text), Wire("19200\r<IAC><IAC>\r\n"));
    EXPECT_EQ(Decode(xport::TelnetCodec::Encode(text), 1).text, text);
}
