#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/Text.h"

TEST(SplitToken, ReturnsThePartBeforeTheSeparatorAndKeepsTheRest) {
    std::string text = "COM1,COM3,";
    EXPECT_EQ(SplitToken(text, ","), "COM1");
    EXPECT_EQ(text, "COM3,");
    EXPECT_EQ(SplitToken(text, ","), "COM3");
    EXPECT_EQ(text, "");
}

TEST(SplitToken, WithoutTheSeparatorReturnsTheWholeTextAndEmptiesIt) {
    std::string text = "COM7";
    EXPECT_EQ(SplitToken(text, ","), "COM7");
    EXPECT_EQ(text, "");

    std::string empty;
    EXPECT_EQ(SplitToken(empty, ","), "");
    EXPECT_EQ(empty, "");
}

TEST(SplitToken, SeparatorAtTheStartGivesAnEmptyToken) {
    std::string text = ",COM2,COM5";
    EXPECT_EQ(SplitToken(text, ","), "");
    EXPECT_EQ(text, "COM2,COM5");
}

TEST(SplitToken, OnlyTheFirstOccurrenceOfAMultiCharacterSeparatorSplits) {
    std::string text = "a::b::c";
    EXPECT_EQ(SplitToken(text, "::"), "a");
    EXPECT_EQ(text, "b::c");

    // A partial separator at the end is not a separator.
    std::string partial = "key:value:";
    EXPECT_EQ(SplitToken(partial, "::"), "key:value:");
    EXPECT_EQ(partial, "");
}

TEST(SplitToken, MatchesCaseSensitively) {
    std::string text = "oneANDtwoandthree";
    EXPECT_EQ(SplitToken(text, "and"), "oneANDtwo");
    EXPECT_EQ(text, "three");
}

TEST(SplitToken, AnEmptySeparatorNeverMatchesSoTokenLoopsEnd) {
    std::string text = "COM1,COM3";
    EXPECT_EQ(SplitToken(text, ""), "COM1,COM3");
    EXPECT_EQ(text, "");
}

TEST(SplitToken, ALoopOverAPortListYieldsEveryPortInOrder) {
    std::string text = "COM1,COM3,COM12,";
    std::vector<std::string> ports;
    while (!text.empty()) {
        ports.push_back(SplitToken(text, ","));
    }
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM3", "COM12"}));
}

TEST(SameTextIgnoringCase, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(SameTextIgnoringCase("PortName", "PORTNAME"));
    EXPECT_TRUE(SameTextIgnoringCase("send", "Send"));
    EXPECT_TRUE(SameTextIgnoringCase("", ""));
    EXPECT_FALSE(SameTextIgnoringCase("Send", "Sent"));
    EXPECT_FALSE(SameTextIgnoringCase("Send", "Send "));
    // Characters that differ from a letter by the case bit alone are not letters.
    EXPECT_FALSE(SameTextIgnoringCase("[", "{"));
    EXPECT_FALSE(SameTextIgnoringCase("@", "`"));
    EXPECT_FALSE(SameTextIgnoringCase("^", "~"));
    // 8-bit characters compare exactly.
    EXPECT_FALSE(SameTextIgnoringCase("\xE4", "\xC4"));
    EXPECT_TRUE(SameTextIgnoringCase("Gr\xFC\xDF", "GR\xFC\xDF"));
}

TEST(SplitList, LeavesOutEmptyItemsAndKeepsTheOrder) {
    const struct {
        const char* list;
        std::vector<std::string> items;
    } cases[] = {
        {"", {}},
        {":::", {}},
        {"/dev/ttyS0", {"/dev/ttyS0"}},
        {":/run/lock::/var/lock:", {"/run/lock", "/var/lock"}},
        {"b:a:b", {"b", "a", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitList(c.list, ':'), c.items) << c.list;
    }
}

TEST(TrimBlanks, TrimsOnlyTheNamedBlanksAtEitherEnd) {
    const struct {
        std::string_view text;
        std::string_view blanks;
        std::string_view trimmed;
    } cases[] =
        {
            {" \t Port = COM1 \t", " \t", "Port = COM1"},
            {"COM1\r", " \t", "COM1\r"},  // a CR is not blank to a hive line
            {"\r\v COM1\f ", " \t\r\v\f", "COM1"},
            {" \t ", " \t", ""},
            {"", " \t", ""},
        };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimBlanks(c.text, c.blanks), c.trimmed) << c.text;
    }
}
