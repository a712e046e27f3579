#include "tools/xport-sim/TelnetMenu.h"

#include <cctype>
#include <utility>

namespace {

constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kAyt = 246;
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kEcho = 1;
constexpr std::uint8_t kSga = 3;
constexpr std::uint8_t kTtype = 24;

std::string Command(std::uint8_t verb, std::uint8_t option) {
    return std::string{static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

// The channel's questions in the order a module asks them; `parts` answers each.
struct Question {
    const char* prompt;
    int parts;
};
const Question kQuestions[] = {
    {"Baudrate (%b) ? ", 1},
    {"I/F Mode (%i) ? ", 1},
    {"Flow (%f) ? ", 1},
    {"Port No (10001) ? ", 1},
    {"ConnectMode (C0) ? ", 1},
    {"Send '+++' in Modem Mode  (Y) ? ", 1},
    {"Show IP addr after 'RING'  (Y) ? ", 1},
    {"Auto increment source port  (N) ? ", 1},
    {"Remote IP Address : (000) ", 4},
    {"Remote Port  (0) ? ", 1},
    {"DisConnMode (00) ? ", 1},
    {"FlushMode   (00) ? ", 1},
    {"DisConnTime (00:00) ?", 2},
    {"SendChar 1  (00) ? ", 1},
    {"SendChar 2  (00) ? ", 1},
};
constexpr int kQuestionCount = sizeof(kQuestions) / sizeof(kQuestions[0]);

bool IsHexPair(const std::string& text) {
    return text.size() == 2 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
           std::isxdigit(static_cast<unsigned char>(text[1]));
}

bool IsBaudRate(const std::string& text) {
    for (const char* rate : {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400",
                             "57600", "115200", "230400"}) {
        if (text == rate) {
            return true;
        }
    }
    return false;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

TelnetMenu::TelnetMenu(Options options) : options_(std::move(options)), serial_(options_.serial) {}

std::string TelnetMenu::Start() {
    ours_[kEcho].asked = true;
    ours_[kSga].asked = true;
    theirs_[kTtype].asked = true;
    return Command(kDo, kTtype) + Command(kWill, kEcho) + Command(kWill, kSga) +
           "*** Lantronix XPort Device Server ***\r\nMAC address " + options_.mac +
           "\r\nSoftware version V6.6.0.2 (080321) XPTEXE\r\n\r\nPress Enter for Setup Mode \r\n";
}

std::string TelnetMenu::MenuText() const {
    return "\r\n*** basic parameters\r\nHardware: Ethernet TPI\r\nIP addr " + options_.address +
           "\r\n\r\n*** Channel 1\r\nBaudrate " + serial_.baud + ", I/F Mode " + serial_.ifMode +
           ", Flow " + serial_.flow +
           "\r\nPort 10001\r\n\r\nChange Setup:\r\n  0 Server\r\n"
           "  1 Channel 1\r\n  5 Expert\r\n  6 Security\r\n  7 Defaults\r\n"
           "  8 Exit without save\r\n  9 Save and exit            " +
           (options_.unknownPrompt ? std::string("Select: ") : std::string("Your choice ? "));
}

std::string TelnetMenu::Prompt() const {
    std::string prompt = kQuestions[question_].prompt;
    const auto put = [&prompt](const char* mark, const std::string& value) {
        const std::size_t at = prompt.find(mark);
        if (at != std::string::npos) {
            prompt.replace(at, 2, value);
        }
    };
    put("%b", serial_.baud);
    put("%i", serial_.ifMode);
    put("%f", serial_.flow);
    if (part_ > 0) {
        // The further parts of an address or a time are asked without repeating the question.
        return question_ == 8 ? ".(000) " : ":";
    }
    return prompt;
}

void TelnetMenu::Line(const std::string& line, std::string& out) {
    switch (stage_) {
        case Stage::Banner:
            stage_ = Stage::Menu;
            out += MenuText();
            return;
        case Stage::Menu:
            if (line == "1") {
                stage_ = Stage::Question;
                question_ = 0;
                part_ = 0;
                out += "\r\n" + Prompt();
            } else if (line == "9" || line == "8") {
                saved_ = line == "9";
                out += saved_ ? "\r\nParameters stored ...\r\n" : "\r\nExiting without save !\r\n";
                stage_ = Stage::Closed;
                closed_ = true;
            } else {
                out += MenuText();
            }
            return;
        case Stage::Question: {
            const std::string value = Upper(line);
            bool valid = true;
            if (!value.empty()) {
                switch (question_) {
                    case 0:
                        valid = IsBaudRate(value);
                        serial_.baud = valid ? value : serial_.baud;
                        break;
                    case 1:
                        valid = IsHexPair(value);
                        serial_.ifMode = valid ? value : serial_.ifMode;
                        break;
                    case 2:
                        valid = IsHexPair(value);
                        serial_.flow = valid ? value : serial_.flow;
                        break;
                    default:
                        break;
                }
            }
            if (!valid) {
                out += "\r\n" + Prompt();  // a module asks again
                return;
            }
            ++answers_;
            if (options_.dropAfterAnswers >= 0 && answers_ >= options_.dropAfterAnswers) {
                stage_ = Stage::Closed;
                closed_ = true;
                return;
            }
            if (++part_ < kQuestions[question_].parts) {
                out += Prompt();
                return;
            }
            part_ = 0;
            if (++question_ < kQuestionCount) {
                out += "\r\n" + Prompt();
                return;
            }
            stage_ = Stage::Menu;
            out += "\r\n" + MenuText();
            return;
        }
        case Stage::Closed:
            return;
    }
}

void TelnetMenu::TelnetCommand(std::uint8_t byte, std::string& out) {
    // iacState_: 1 after IAC, 2 after IAC and a negotiation verb, 3 inside a subnegotiation,
    // 4 after IAC inside a subnegotiation.
    switch (iacState_) {
        case 1:
            if (byte >= kWill && byte <= kDont) {
                verb_ = byte;
                iacState_ = 2;
            } else if (byte == kSb) {
                sub_.clear();
                iacState_ = 3;
            } else {
                if (byte == kAyt) {
                    out += "\r\n[Yes]\r\n";
                }
                iacState_ = 0;
            }
            return;
        case 2:
            Negotiate(verb_, byte, out);
            iacState_ = 0;
            return;
        case 3:
            if (byte == kIac) {
                iacState_ = 4;
            } else {
                sub_ += static_cast<char>(byte);
            }
            return;
        case 4:
            if (byte == kSe) {
                if (sub_.size() >= 2 && static_cast<std::uint8_t>(sub_[0]) == kTtype &&
                    sub_[1] == 0) {
                    terminal_ = sub_.substr(2);
                }
                iacState_ = 0;
            } else {
                sub_ += static_cast<char>(byte);
                iacState_ = 3;
            }
            return;
        default:
            iacState_ = 0;
            return;
    }
}

void TelnetMenu::Negotiate(std::uint8_t verb, std::uint8_t option, std::string& out) {
    // DO and DONT are about what this end does, WILL and WONT about what the client does.
    const bool aboutUs = verb == kDo || verb == kDont;
    const bool wanted = verb == kDo || verb == kWill;
    const bool supported = aboutUs ? option == kEcho || option == kSga : option == kTtype;
    const std::uint8_t agree = aboutUs ? kWill : kDo;
    const std::uint8_t refuse = aboutUs ? kWont : kDont;
    Option& state = (aboutUs ? ours_ : theirs_)[option];
    if (wanted && !supported) {
        out += Command(refuse, option);
        return;
    }
    if (wanted == state.on) {
        state.asked = false;  // no change: never answered, or the answers would loop
        return;
    }
    if (!state.asked) {
        out += Command(wanted ? agree : refuse, option);  // a request of the client's
    }
    state.on = wanted;
    state.asked = false;
    if (state.on && !aboutUs) {
        out += std::string{static_cast<char>(kIac),   static_cast<char>(kSb),
                           static_cast<char>(kTtype), 1,
                           static_cast<char>(kIac),   static_cast<char>(kSe)};
    }
}

void TelnetMenu::Type(std::uint8_t byte, std::string& out) {
    const bool echo = ours_[kEcho].on;
    if ((byte == 8 || byte == 127) && !line_.empty()) {
        line_.pop_back();
        out += echo ? "\b \b" : "";
    } else if (byte >= 32 && byte < 127 && line_.size() < 80) {
        line_ += static_cast<char>(byte);
        out += echo ? std::string(1, static_cast<char>(byte)) : std::string();
    }
}

std::string TelnetMenu::Feed(const std::uint8_t* data, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size && !closed_; ++i) {
        const std::uint8_t byte = data[i];
        if (iacState_ == 0 && byte == kIac) {
            iacState_ = 1;
            continue;
        }
        if (iacState_ != 0) {
            if (iacState_ == 1 && byte == kIac) {
                iacState_ = 0;  // an escaped 255 is data
            } else {
                TelnetCommand(byte, out);
                continue;
            }
        }
        // Enter: CR LF, CR NUL, CR alone or LF alone.
        if ((byte == '\n' || byte == '\0') && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = byte == '\r';
        if (byte == '\r' || byte == '\n') {
            const std::string line = std::exchange(line_, std::string());
            Line(line, out);
            continue;
        }
        Type(byte, out);
    }
    return out;
}
