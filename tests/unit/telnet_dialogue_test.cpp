#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xport/TelnetDialogue.h"

namespace {

using Rule = xport::TelnetStep::Rule;

std::vector<std::string> Texts(const std::vector<xport::TelnetSegment>& segments) {
    std::vector<std::string> texts;
    for (const auto& s : segments) {
        texts.push_back(s.text + (s.endedAtCr ? "|" : ""));
    }
    return texts;
}

}  // namespace

TEST(TelnetSegments, CutAtCarriageReturnsWithoutNulOrLineFeed) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Texts(xport::SplitTelnetSegments("abc\rdef\r")), (V{"abc|", "def|"}));
    EXPECT_EQ(Texts(xport::SplitTelnetSegments("abc")), (V{"abc"}));
    EXPECT_EQ(Texts(xport::SplitTelnetSegments("\r")), (V{"|"}));
    EXPECT_EQ(Texts(xport::SplitTelnetSegments("")), V{});
    EXPECT_EQ(Texts(xport::SplitTelnetSegments(std::string("a\0b\r\nc\n", 8))), (V{"ab|", "c"}));
    EXPECT_EQ(Texts(xport::SplitTelnetSegments(std::string("\0\n", 2))), V{});
    EXPECT_EQ(Texts(xport::SplitTelnetSegments("\r\r x")), (V{"|", "|", " x"}));
}

TEST(TelnetRules, FirstMatchingRuleWinsInItsOrder) {
    const std::string enter(1, xport::kEnter);
    const struct {
        std::string text;
        bool menuChosen;
        Rule rule;
        std::string keys;
        bool progress;
    } cases[] = {
        {"Press Enter for Setup Mode", false, Rule::PressEnter, enter, false},
        {"Press En", false, Rule::None, "", false},
        {"Your choice ? ", false, Rule::MenuChoice, "1" + enter, false},
        {"Your choice ? ", true, Rule::MenuChoice, "9" + enter, false},
        {"Your choice ?", false, Rule::Question, enter, true},  // no blank after the mark
        {"Baudrate (9600) ?", false, Rule::Question, "19200" + enter, true},
        {"I/F Mode (4C) ?", false, Rule::Question, "4C" + enter, true},
        {"Flow (00) ?", false, Rule::Question, "01" + enter, true},
        {"Port No (10001) ?", false, Rule::Question, enter, true},
        {"Baudrate (9600)", false, Rule::None, "", false},
        {"DisConnTime (00:00) ?", false, Rule::DisConnTime, enter + enter, true},
        {"Remote IP Address : (000) ", false, Rule::RemoteIpAddress, enter + enter + enter + enter,
         true},
        {"Baudrate ? Press Enter", false, Rule::PressEnter, enter, false},
        {"Your choice ? Press Enter", true, Rule::PressEnter, enter, false},
        {"baudrate ?", false, Rule::Question, enter, true},  // phrases are case-sensitive
        {std::string(70000, 'x') + "Flow (00) ?", false, Rule::Question, "01" + enter, true},
        {"Baudrate" + std::string(70000, '.') + " ?", false, Rule::Question, "19200" + enter, true},
    };
    for (const auto& c : cases) {
        const xport::TelnetStep step = xport::DecideTelnetStep(c.text, c.menuChosen);
        EXPECT_EQ(step.rule, c.rule) << c.text;
        EXPECT_EQ(step.keys, c.keys) << c.text;
        EXPECT_EQ(step.stepProgress, c.progress) << c.text;
        EXPECT_EQ(step.clearText, c.rule != Rule::None) << c.text;
        EXPECT_EQ(step.chooseMenu, c.rule == Rule::MenuChoice && !c.menuChosen) << c.text;
        EXPECT_EQ(step.close, c.rule == Rule::MenuChoice && c.menuChosen) << c.text;

        // The same text in pieces (one cut anywhere, then byte by byte) decides the same, in
        // a bounded text.
        const std::size_t cuts = std::min<std::size_t>(c.text.size(), 64);
        for (std::size_t k = 0; k <= cuts; ++k) {
            const std::size_t at = c.text.size() - k;
            xport::DialogueText pieces;
            pieces.Append(std::string_view(c.text).substr(0, at));
            pieces.Append(std::string_view(c.text).substr(at));
            EXPECT_EQ(pieces.Decide(c.menuChosen).keys, c.keys) << c.text << " cut at " << at;
        }
        xport::DialogueText drip;
        for (const char b : c.text) {
            drip.Append(std::string_view(&b, 1));
            EXPECT_LE(drip.KeptSize(), xport::DialogueText::kKeptChars);
        }
        EXPECT_EQ(drip.Decide(c.menuChosen).rule, c.rule) << c.text;
        EXPECT_EQ(drip.Decide(c.menuChosen).keys, c.keys) << c.text;
    }
}
