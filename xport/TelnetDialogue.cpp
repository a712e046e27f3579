#include "xport/TelnetDialogue.h"

#include <algorithm>

namespace xport {

namespace {

// Every phrase the rules look for: the rules' key phrases in their order, then the phrases
// that choose a setting's answer.
enum Phrase : std::size_t {
    kPressEnter,
    kYourChoice,
    kRemoteIp,
    kDisConnTime,
    kQuestionMark,
    kBaudrate,
    kIfMode,
    kFlow,
    kPhraseCount
};
constexpr std::string_view kPhrases[kPhraseCount] = {
    "Press Enter", "Your choice ? ", "Remote IP Address", "DisConnTime",
    " ?",          "Baudrate",       "I/F Mode",          "Flow",
};

constexpr std::size_t LongestPhrase() {
    std::size_t longest = 0;
    for (const std::string_view phrase : kPhrases) {
        longest = std::max(longest, phrase.size());
    }
    return longest;
}

constexpr std::size_t kKept = LongestPhrase() - 1;

}  // namespace

const std::size_t DialogueText::kKeptChars = kKept;

std::vector<TelnetSegment> SplitTelnetSegments(std::string_view received) {
    std::vector<TelnetSegment> segments;
    ForEachTelnetSegment(received, [&segments](std::string_view text, bool endedAtCr) {
        segments.push_back(TelnetSegment{std::string(text), endedAtCr});
    });
    return segments;
}

void DialogueText::Append(std::string_view piece) {
    // A phrase that began in the kept tail ends within the piece's first kKeptChars.
    char joined[2 * kKept];
    const std::size_t head = std::min(piece.size(), kKept);
    tail_.copy(joined, tail_.size());
    piece.copy(joined + tail_.size(), head);
    const std::string_view seam(joined, tail_.size() + head);
    for (std::size_t p = 0; p < kPhraseCount; ++p) {
        if (!Has(p) && (seam.find(kPhrases[p]) != std::string_view::npos ||
                        piece.find(kPhrases[p]) != std::string_view::npos)) {
            seen_ |= 1U << p;
        }
    }
    if (piece.size() >= kKept) {
        tail_.assign(piece.substr(piece.size() - kKept));
    } else {
        tail_.append(piece);
        tail_.erase(0, tail_.size() - std::min(tail_.size(), kKept));
    }
}

void DialogueText::Clear() {
    tail_.clear();
    seen_ = 0;
}

TelnetStep DialogueText::Decide(bool menuChosen) const {
    TelnetStep step;
    const std::string enter(1, kEnter);
    if (Has(kPressEnter)) {
        step.rule = TelnetStep::Rule::PressEnter;
        step.keys = enter;
    } else if (Has(kYourChoice)) {
        step.rule = TelnetStep::Rule::MenuChoice;
        step.chooseMenu = !menuChosen;
        step.close = menuChosen;
        step.keys = (menuChosen ? "9" : "1") + enter;
    } else if (Has(kRemoteIp)) {
        step.rule = TelnetStep::Rule::RemoteIpAddress;
        step.keys = std::string(4, kEnter);
    } else if (Has(kDisConnTime)) {
        step.rule = TelnetStep::Rule::DisConnTime;
        step.keys = std::string(2, kEnter);
    } else if (Has(kQuestionMark)) {
        step.rule = TelnetStep::Rule::Question;
        step.keys = Has(kBaudrate) ? "19200" + enter
                    : Has(kIfMode) ? "4C" + enter
                    : Has(kFlow)   ? "01" + enter
                                   : enter;
    } else {
        return step;
    }
    step.clearText = true;
    step.stepProgress = step.rule == TelnetStep::Rule::RemoteIpAddress ||
                        step.rule == TelnetStep::Rule::DisConnTime ||
                        step.rule == TelnetStep::Rule::Question;
    return step;
}

TelnetStep DecideTelnetStep(std::string_view telnetText, bool menuChosen) {
    DialogueText text;
    text.Append(telnetText);
    return text.Decide(menuChosen);
}

}  // namespace xport
