#pragma once
// The module's set-up menu on its telnet port, as a conversation: bytes in, bytes out. It
// offers to echo and to suppress go-ahead, asks for the client's terminal type, refuses every
// other option (RFC 855), answers "Are You There", echoes what is typed once the client has
// agreed to ECHO, takes Enter as CR LF, CR NUL, CR or LF, and walks a banner, the main menu and
// the channel's questions. The serial side it keeps takes effect when the menu's "save and
// exit" item is chosen.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct SerialSide {
    std::string baud = "9600";
    std::string ifMode = "4C";
    std::string flow = "00";
    bool operator==(const SerialSide&) const = default;
};

class TelnetMenu {
public:
    struct Options {
        std::string mac;             // shown in the banner
        std::string address;         // shown with the settings
        SerialSide serial;           // the module's saved serial side
        bool unknownPrompt = false;  // a menu prompt that is not a module's
        int dropAfterAnswers = -1;   // close after this many channel answers (-1: never)
    };

    explicit TelnetMenu(Options options);

    // What the module sends when the connection opens.
    std::string Start();
    // Takes the client's bytes; returns what the module sends back.
    std::string Feed(const std::uint8_t* data, std::size_t size);

    // The module closes the connection (after saving, leaving, or a dropped line).
    bool Closed() const { return closed_; }
    bool Saved() const { return saved_; }
    SerialSide Serial() const { return serial_; }
    std::string TerminalType() const { return terminal_; }

private:
    enum class Stage { Banner, Menu, Question, Closed };
    void Line(const std::string& line, std::string& out);
    std::string Prompt() const;
    std::string MenuText() const;
    void TelnetCommand(std::uint8_t byte, std::string& out);
    void Negotiate(std::uint8_t verb, std::uint8_t option, std::string& out);
    void Type(std::uint8_t byte, std::string& out);

    Options options_;
    SerialSide serial_;
    Stage stage_ = Stage::Banner;
    int question_ = 0;
    int part_ = 0;  // answers taken for a question that asks several
    int answers_ = 0;
    std::string line_;
    bool afterCr_ = false;
    // Telnet command parsing.
    int iacState_ = 0;
    std::uint8_t verb_ = 0;
    std::string sub_;
    std::string terminal_;
    // Option states, indexed by option: this end's (DO/DONT) and the client's (WILL/WONT).
    struct Option {
        bool on = false;
        bool asked = false;  // this end asked for the change and awaits the answer
    };
    std::array<Option, 256> ours_{};
    std::array<Option, 256> theirs_{};
    bool closed_ = false;
    bool saved_ = false;
};
