// The telnet segmenter and the dialogue rules on any received text.
//
// Properties: no segment holds NUL, LF or CR; the segments joined give the text without its
// NUL, LF and CR bytes; a segment ends at a CR exactly when one followed it; a step types only
// the defined answers (Enter, "1" or "9" and Enter, four or two Enters, "19200", "4C" or "01"
// and Enter), and only a step that matched a rule types anything; the same text fed in
// pieces (cut where the input's own bytes say, and byte by byte) decides exactly as the whole
// text does, and what the dialogue keeps of it stays within its bound.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "xport/TelnetDialogue.h"

namespace {

bool IsDefinedAnswer(const std::string& keys) {
    const std::string enter(1, xport::kEnter);
    for (const std::string& answer :
         {enter, "1" + enter, "9" + enter, std::string(4, xport::kEnter),
          std::string(2, xport::kEnter), "19200" + enter, "4C" + enter, "01" + enter}) {
        if (keys == answer) {
            return true;
        }
    }
    return false;
}

// The rules read straight off the whole text, without any bound: what the dialogue must type.
std::string WholeTextKeys(const std::string& text, bool menuChosen) {
    const auto has = [&text](const char* phrase) { return text.find(phrase) != std::string::npos; };
    const std::string enter(1, xport::kEnter);
    if (has("Press Enter")) {
        return enter;
    }
    if (has("Your choice ? ")) {
        return (menuChosen ? "9" : "1") + enter;
    }
    if (has("Remote IP Address")) {
        return std::string(4, xport::kEnter);
    }
    if (has("DisConnTime")) {
        return std::string(2, xport::kEnter);
    }
    if (!has(" ?")) {
        return {};
    }
    return has("Baudrate")   ? "19200" + enter
           : has("I/F Mode") ? "4C" + enter
           : has("Flow")     ? "01" + enter
                             : enter;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string received(reinterpret_cast<const char*>(data), size);
    const std::vector<xport::TelnetSegment> segments = xport::SplitTelnetSegments(received);

    std::string joined;
    std::string expected;
    std::size_t crs = 0;
    for (const char c : received) {
        crs += c == '\r' ? 1 : 0;
        if (c != '\0' && c != '\n' && c != '\r') {
            expected += c;
        }
    }
    std::size_t endedAtCr = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const xport::TelnetSegment& segment = segments[i];
        FUZZ_REQUIRE(segment.text.find_first_of(std::string("\0\n\r", 3)) == std::string::npos,
                     Shown(segment.text));
        FUZZ_REQUIRE(segment.endedAtCr || i + 1 == segments.size(), Shown(received));
        FUZZ_REQUIRE(segment.endedAtCr || !segment.text.empty(), Shown(received));
        endedAtCr += segment.endedAtCr ? 1 : 0;
        joined += segment.text;
    }
    FUZZ_REQUIRE(joined == expected, Shown(received));
    FUZZ_REQUIRE(endedAtCr == crs, Shown(received));

    // Cuts: each byte's low bits say how far the next cut lies (1 to 16 bytes on).
    xport::DialogueText cut;
    xport::DialogueText drip;
    for (std::size_t at = 0; at < size;) {
        const std::size_t piece = std::min<std::size_t>(size - at, 1 + data[at] % 16);
        cut.Append(std::string_view(received).substr(at, piece));
        for (std::size_t k = at; k < at + piece; ++k) {
            drip.Append(std::string_view(received).substr(k, 1));
        }
        FUZZ_REQUIRE(cut.KeptSize() <= xport::DialogueText::kKeptChars, Shown(received));
        FUZZ_REQUIRE(drip.KeptSize() <= xport::DialogueText::kKeptChars, Shown(received));
        at += piece;
    }

    for (const bool menuChosen : {false, true}) {
        const xport::TelnetStep step = xport::DecideTelnetStep(received, menuChosen);
        FUZZ_REQUIRE(step.keys == WholeTextKeys(received, menuChosen), Shown(received));
        for (const xport::DialogueText* pieces : {&cut, &drip}) {
            const xport::TelnetStep again = pieces->Decide(menuChosen);
            FUZZ_REQUIRE(again.rule == step.rule && again.keys == step.keys, Shown(received));
        }
        if (step.rule == xport::TelnetStep::Rule::None) {
            FUZZ_REQUIRE(step.keys.empty() && !step.clearText && !step.close, Shown(received));
        } else {
            FUZZ_REQUIRE(IsDefinedAnswer(step.keys), Shown(step.keys));
            FUZZ_REQUIRE(step.clearText, Shown(received));
        }
        FUZZ_REQUIRE(!(step.chooseMenu && step.close), Shown(received));
        FUZZ_REQUIRE(!step.close || menuChosen, Shown(received));
    }
    return 0;
}
