#pragma once
// The rules of the XPort set-up menu dialogue over telnet: how received text is cut into
// segments, and which key phrase in the collected text gets which typed answer. The menu
// itself is never parsed; only its key phrases count, in the order the module asks them.

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
// and def, a lone CR gives one empty segment).
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

// The first rule whose key phrase the collected text contains (case-sensitive), in order:
// "Press Enter", "Your choice ? ", "Remote IP Address", "DisConnTime", " ?"; Rule::None when
// none matches yet. `menuChosen` tells whether item 1 has been chosen in this connection.
TelnetStep DecideTelnetStep(const std::string& telnetText, bool menuChosen);

// The answer to a setting question (rule " ?"): 19200 for "Baudrate", 4C for "I/F Mode", 01
// for "Flow", each followed by Enter; Enter alone for any other question.
std::string SettingAnswer(const std::string& telnetText);

}  // namespace xport
