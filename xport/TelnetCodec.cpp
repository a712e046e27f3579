#include "xport/TelnetCodec.h"

#include <initializer_list>

namespace xport {
namespace {

constexpr unsigned char kSe = 240;
constexpr unsigned char kSb = 250;
constexpr unsigned char kWill = 251;
constexpr unsigned char kWont = 252;
constexpr unsigned char kDo = 253;
constexpr unsigned char kDont = 254;
constexpr unsigned char kTtype = 24;
constexpr unsigned char kTtypeIs = 0;
constexpr unsigned char kTtypeSend = 1;
constexpr char kTerminalType[] = "dumb";
// Only the start of a subnegotiation matters (TTYPE SEND); the rest of a long one is dropped.
constexpr std::size_t kSubDataKept = 16;

void Put(std::string& out, std::initializer_list<unsigned char> bytes) {
    for (const unsigned char b : bytes) {
        out.push_back(static_cast<char>(b));
    }
}

}  // namespace

void TelnetCodec::Receive(std::string_view bytes, std::string& text, std::string& replies) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (state_) {
            case State::kData:
                if (b == kTelnetIac) {
                    serverSentCommand_ = true;
                    state_ = State::kIac;
                } else {
                    text.push_back(c);
                }
                break;
            case State::kIac:
                if (b == kTelnetIac) {
                    text.push_back(c);
                    state_ = State::kData;
                } else {
                    Command(b);
                }
                break;
            case State::kOption:
                Negotiate(verb_, b, replies);
                state_ = State::kData;
                break;
            case State::kSubOption:
                subOption_ = b;
                subData_.clear();
                state_ = State::kSubData;
                break;
            case State::kSubData:
                if (b == kTelnetIac) {
                    state_ = State::kSubIac;
                } else if (subData_.size() < kSubDataKept) {
                    subData_.push_back(c);
                }
                break;
            case State::kSubIac:
                if (b == kTelnetIac) {
                    if (subData_.size() < kSubDataKept) {
                        subData_.push_back(c);
                    }
                    state_ = State::kSubData;
                } else if (b == kSe) {
                    EndSubnegotiation(replies);
                    state_ = State::kData;
                } else {
                    // A command inside a subnegotiation ends it unfinished; the command counts.
                    subData_.clear();
                    Command(b);
                }
                break;
        }
    }
}

void TelnetCodec::Command(unsigned char command) {
    if (command == kWill || command == kWont || command == kDo || command == kDont) {
        verb_ = command;
        state_ = State::kOption;
    } else if (command == kSb) {
        state_ = State::kSubOption;
    } else {
        state_ = State::kData;  // NOP, GA, AYT and the like ask nothing of a client
    }
}

void TelnetCodec::Negotiate(unsigned char verb, unsigned char option, std::string& replies) {
    switch (verb) {
        case kWill:
            Put(replies, {kTelnetIac, kDont, option});  // the server does nothing for us
            break;
        case kDo:
            if (option != kTtype) {
                Put(replies, {kTelnetIac, kWont, option});
            } else if (!sendsTerminalType_) {
                sendsTerminalType_ = true;
                Put(replies, {kTelnetIac, kWill, option});
            }
            break;
        case kDont:
            if (option == kTtype && sendsTerminalType_) {
                sendsTerminalType_ = false;
                Put(replies, {kTelnetIac, kWont, option});
            }
            break;
        default:
            break;  // WONT: the server's side of every option is off already
    }
}

void TelnetCodec::EndSubnegotiation(std::string& replies) {
    const bool asksTerminalType = subOption_ == kTtype && !subData_.empty() &&
                                  static_cast<unsigned char>(subData_[0]) == kTtypeSend;
    subData_.clear();
    if (asksTerminalType && sendsTerminalType_) {
        Put(replies, {kTelnetIac, kSb, kTtype, kTtypeIs});
        replies += kTerminalType;
        Put(replies, {kTelnetIac, kSe});
    }
}

std::string TelnetCodec::Encode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out.push_back(c);
        if (static_cast<unsigned char>(c) == kTelnetIac) {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace xport
