#pragma once
// The rules of the XPort set-up menu dialogue over telnet: how received text is cut into
// segments, and which key phrase in the collected text gets which typed answer. The menu
// itself is never parsed; only its key phrases count, in the order the module asks them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xport {

// Enter, as the dialogue types it (the telnet client sends CR LF or CR for it).
inline constexpr char kEnter = '\r';

struct TelnetSegment {
    std::string text;
    bool endedAtCr = false;
};

// Removes NUL and LF, then cuts at CR: a segment ends at a CR or at the end of the text; an
// empty text has no segment and no empty segment follows a final CR ("abc\rdef\r" gives abc
// and def, a lone CR gives one empty segment). `visit(text, endedAtCr)` sees each segment in
// order, as a view that lasts for the call; nothing is copied for a segment without NUL or LF.
template <typename Visit>
void ForEachTelnetSegment(std::string_view received, Visit&& visit) {
    std::string joined;  // a segment that had NUL or LF taken out of it
    std::size_t start = 0;
    bool cleaned = false;
    const auto handOn = [&](std::size_t end, bool endedAtCr) {
        const std::string_view plain = received.substr(start, end - start);
        visit(cleaned ? std::string_view(joined) : plain, endedAtCr);
        joined.clear();
        cleaned = false;
    };
    for (std::size_t i = 0; i < received.size(); ++i) {
        const char c = received[i];
        if (c == '\r') {
            handOn(i, true);
            start = i + 1;
        } else if (c == '\0' || c == '\n') {
            if (!cleaned) {
                joined.assign(received.substr(start, i - start));
                cleaned = true;
            }
        } else if (cleaned) {
            joined += c;
        }
    }
    if (start < received.size() && (!cleaned || !joined.empty())) {
        handOn(received.size(), false);
    }
}

std::vector<TelnetSegment> SplitTelnetSegments(std::string_view received);

// One step of the dialogue for the collected text.
struct TelnetStep {
    enum class Rule { None, PressEnter, MenuChoice, RemoteIpAddress, DisConnTime, Question };
    Rule rule = Rule::None;
    std::string keys;           // what to type, kEnter for Enter
    bool clearText = false;     // the collected text is cleared
    bool stepProgress = false;  // one setting prompt answered
    bool chooseMenu = false;    // the first menu prompt: item 1 chosen
    bool close = false;         // the second menu prompt: item 9, then disconnect
};

// The text collected since the last answered prompt, in bounded memory: it remembers which
// key phrases the text has held and keeps only the short tail in which a phrase that is still
// arriving can complete. However the text was cut into pieces, and however long it grew,
// Decide() gives what the rules give for the whole text.
class DialogueText {
public:
    void Append(std::string_view piece);
    void Clear();
    // What is kept of the text: never more than kKeptChars.
    std::size_t KeptSize() const { return tail_.size(); }
    TelnetStep Decide(bool menuChosen) const;

    // One less than the longest phrase the rules look for.
    static const std::size_t kKeptChars;

private:
    bool Has(std::size_t phrase) const { return (seen_ & (1U << phrase)) != 0; }

    std::string tail_;
    unsigned seen_ = 0;  // one bit per phrase of the rules
};

// The first rule whose key phrase the collected text contains (case-sensitive), in order:
// "Press Enter", "Your choice ? ", "Remote IP Address", "DisConnTime", " ?"; Rule::None when
// none matches yet. `menuChosen` tells whether item 1 has been chosen in this connection. The
// answer to a setting question (rule " ?") is 19200 for "Baudrate", 4C for "I/F Mode", 01 for
// "Flow", each followed by Enter, and Enter alone for any other question.
TelnetStep DecideTelnetStep(std::string_view telnetText, bool menuChosen);

}  // namespace xport
