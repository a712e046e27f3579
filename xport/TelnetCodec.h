#pragma once
// The client's side of the telnet protocol (RFC 854) as far as the module's set-up menu needs
// it: commands are taken out of the received text; the client agrees to send its terminal
// type and names it "dumb" when asked after that agreement (RFC 1091); every other option the
// server offers or asks for is refused, and a request for what is already the case is not
// answered, so that no negotiation loops (RFC 1143). Text cut anywhere across reads, inside a
// command too, decodes as the whole text does. What the codec keeps between reads is bounded.

#include <cstddef>
#include <string>
#include <string_view>

namespace xport {

inline constexpr unsigned char kTelnetIac = 0xFF;

class TelnetCodec {
public:
    // Decodes one read. The server's text goes to `text`; the answers the negotiation calls
    // for go to `replies`, ready for the wire. Both are appended to.
    void Receive(std::string_view bytes, std::string& text, std::string& replies);

    // `text` as it goes on the wire: a 0xFF byte is sent twice.
    static std::string Encode(std::string_view text);

    // True once the server has sent IAC, the start of every telnet command.
    bool ServerSentCommand() const { return serverSentCommand_; }
    // True while the server asked for the terminal type option and the client agreed.
    bool SendsTerminalType() const { return sendsTerminalType_; }

private:
    enum class State { kData, kIac, kOption, kSubOption, kSubData, kSubIac };

    void Command(unsigned char command);
    void Negotiate(unsigned char verb, unsigned char option, std::string& replies);
    void EndSubnegotiation(std::string& replies);

    State state_ = State::kData;
    unsigned char verb_ = 0;       // WILL, WONT, DO or DONT waiting for its option
    unsigned char subOption_ = 0;  // the option of the subnegotiation being read
    std::string subData_;          // its first bytes (at most kSubDataKept)
    bool serverSentCommand_ = false;
    bool sendsTerminalType_ = false;
};

}  // namespace xport
