#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/IniFile.h"
#include "tests/unit/TempDir.h"

using namespace std::string_literals;

// --- The text updater -------------------------------------------------------------------

TEST(IniSetValue, ReplacesAValueInPlaceAndKeepsEveryOtherByte) {
    const std::string before =
        "; Producer settings\r\n"
        "[General]\r\n"
        "Language=en\r\n"
        "\r\n"
        "[Send]\r\n"
        "# chosen by the installer\r\n"
        "PortName=COM1\r\n"
        "Baud=19200\r\n"
        "\r\n"
        "[Printer]\r\n"
        "Model=RX200\r\n";
    const std::string after =
        "; Producer settings\r\n"
        "[General]\r\n"
        "Language=en\r\n"
        "\r\n"
        "[Send]\r\n"
        "# chosen by the installer\r\n"
        "PortName=COM3\r\n"
        "Baud=19200\r\n"
        "\r\n"
        "[Printer]\r\n"
        "Model=RX200\r\n";
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM3"), after);
}

TEST(IniSetValue, MatchesSectionAndKeyWithoutRegardToCaseOrSurroundingBlanks) {
    const std::string before = "[ send ]\nportname = COM1\n";
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM4"), "[ send ]\nportname = COM4\n");
    EXPECT_EQ(IniSetValue(before, "  SEND", "PORTNAME  ", "COM4"), "[ send ]\nportname = COM4\n");
    EXPECT_EQ(IniSetValue("[Send]\n  PortName\t=COM1 \n", "Send", "PortName", "COM2"),
              "[Send]\n  PortName\t=COM2\n");
}

TEST(IniSetValue, ReplacesAnEmptyValueWithoutKeepingTrailingBlanks) {
    EXPECT_EQ(IniSetValue("[Send]\nPortName=   \n", "Send", "PortName", "COM5"),
              "[Send]\nPortName=COM5\n");
    EXPECT_EQ(IniSetValue("[Send]\nPortName=COM5\n", "Send", "PortName", ""),
              "[Send]\nPortName=\n");
}

TEST(IniSetValue, WritingTheSameValueAgainChangesNothing) {
    const struct {
        const char* before;
        const char* value;
        const char* after;
    } cases[] = {
        {"[Send]\nPortName = COM1 \n", "", "[Send]\nPortName =\n"},  // found by the fuzzer
        {"[Send]\nPortName = COM1\n", " COM3", "[Send]\nPortName = COM3\n"},
        {"[Send]\nPortName = COM1\n", "COM3\t", "[Send]\nPortName = COM3\t\n"},
        {"[Send]\nPortName\n", "COM3", "[Send]\nPortName\nPortName=COM3\n"},
    };
    for (const auto& c : cases) {
        const std::string once = IniSetValue(c.before, "Send", "PortName", c.value);
        EXPECT_EQ(once, c.after) << c.before;
        EXPECT_EQ(IniSetValue(once, "Send", "PortName", c.value), once) << c.before;
    }
}

TEST(IniSetValue, TakesTheFirstSectionAndTheFirstKeyOfThatName) {
    const std::string before = "[Send]\nPortName=A\nPortName=B\n[send]\nPortName=C\n";
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "X"),
              "[Send]\nPortName=X\nPortName=B\n[send]\nPortName=C\n");
}

TEST(IniSetValue, AKeyOfAnotherSectionOrACommentedKeyIsNotTheKey) {
    const std::string before =
        "PortName=global\n"
        "[Receive]\n"
        "PortName=COM9\n"
        "[Send]\n"
        ";PortName=COM1\n"
        "#PortName=COM2\n"
        "PortNameOld=COM3\n"
        "PortName\n";
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM4"), before + "PortName=COM4\n");
}

TEST(IniSetValue, AddsAMissingKeyAfterTheLastNonBlankLineOfItsSection) {
    const std::string before =
        "[Send]\r\n"
        "Baud=19200\r\n"
        "; trailing comment\r\n"
        "\r\n"
        "\r\n"
        "[Printer]\r\n"
        "Model=RX200\r\n";
    const std::string after =
        "[Send]\r\n"
        "Baud=19200\r\n"
        "; trailing comment\r\n"
        "PortName=COM3\r\n"
        "\r\n"
        "\r\n"
        "[Printer]\r\n"
        "Model=RX200\r\n";
    EXPECT_EQ(IniSetValue(before, "send", "PortName", "COM3"), after);
    // An empty section gets the key right below its header.
    EXPECT_EQ(IniSetValue("[Send]\n\n[Other]\n", "Send", "PortName", "COM3"),
              "[Send]\nPortName=COM3\n\n[Other]\n");
}

TEST(IniSetValue, AppendsAMissingSectionAfterABlankLine) {
    EXPECT_EQ(IniSetValue("[Send]\r\nPortName=COM3\r\n", "Printer", "Model", "MZ4-A2"),
              "[Send]\r\nPortName=COM3\r\n\r\n[Printer]\r\nModel=MZ4-A2\r\n");
    // A file that ends in a blank line gets no second one.
    EXPECT_EQ(IniSetValue("[Send]\nPortName=COM3\n\n", "Printer", "Model", "MZ4-A2"),
              "[Send]\nPortName=COM3\n\n[Printer]\nModel=MZ4-A2\n");
    // Keys before any section do not form a section.
    EXPECT_EQ(IniSetValue("Model=X\n", "Printer", "Model", "Y"), "Model=X\n\n[Printer]\nModel=Y\n");
}

TEST(IniSetValue, CopesWithAMissingFinalLineEnd) {
    EXPECT_EQ(IniSetValue("[Send]\nBaud=9600", "Send", "PortName", "COM3"),
              "[Send]\nBaud=9600\nPortName=COM3\n");
    EXPECT_EQ(IniSetValue("[Send]\nPortName=COM1", "Send", "PortName", "COM3"),
              "[Send]\nPortName=COM3");
    EXPECT_EQ(IniSetValue("; note", "Send", "PortName", "COM3"),
              "; note\r\n\r\n[Send]\r\nPortName=COM3\r\n");
}

TEST(IniSetValue, UsesTheFilesOwnLineEndAndKeepsMixedOnes) {
    EXPECT_EQ(IniSetValue("[A]\nx=1\r\n", "A", "y", "2"), "[A]\nx=1\r\ny=2\n");
    EXPECT_EQ(IniSetValue("[A]\r\nx=1\n", "A", "y", "2"), "[A]\r\nx=1\ny=2\r\n");
}

TEST(IniSetValue, ANewFileGetsCrLfLines) {
    EXPECT_EQ(IniSetValue("", "Send", "PortName", "COM3"), "[Send]\r\nPortName=COM3\r\n");
}

TEST(IniSetValue, UnknownAndOddLinesStayAsTheyAre) {
    const std::string before =
        "\xEF\xBB\xBFstray text\n"
        "[Unclosed\n"
        "  [Send]  ; settings\n"
        "weird line without equals\n"
        "\tPortName=COM1\t\n"
        "=no key\n";
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM2"),
              "\xEF\xBB\xBFstray text\n"
              "[Unclosed\n"
              "  [Send]  ; settings\n"
              "weird line without equals\n"
              "\tPortName=COM2\n"
              "=no key\n");
}

TEST(IniSetValue, RefusesEntriesThatTheFileCouldNotHold) {
    const std::string before = "[Send]\nPortName=COM1\n";
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM2\n[Evil]"), before);
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM2\rx"), before);
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "COM2\0x"s), before);
    EXPECT_EQ(IniSetValue(before, "Se]nd", "PortName", "COM2"), before);
    EXPECT_EQ(IniSetValue(before, "Send", "Port=Name", "COM2"), before);
    EXPECT_EQ(IniSetValue(before, "Send", ";PortName", "COM2"), before);
    EXPECT_EQ(IniSetValue(before, "Send", "[PortName", "COM2"), before);
    EXPECT_EQ(IniSetValue(before, "Send", "  ", "COM2"), before);
    EXPECT_EQ(IniSetValue(before, "", "PortName", "COM2"), before);
    // An '=' in a value is fine: the key ends at the first one.
    EXPECT_EQ(IniSetValue(before, "Send", "PortName", "a=b"), "[Send]\nPortName=a=b\n");
}

TEST(IniGetValue, ReturnsTheValueTrimmedLikeTheProfileFunctions) {
    const std::string content = "[Send]\r\n  portname =  COM3 \t\r\n[Printer]\nModel=MZ4-A2";
    EXPECT_EQ(IniGetValue(content, "SEND", "PortName"), "COM3");
    EXPECT_EQ(IniGetValue(content, "printer", "model"), "MZ4-A2");
    EXPECT_EQ(IniGetValue("[Send]\nPortName=\n", "Send", "PortName"), "");
    EXPECT_EQ(IniGetValue(content, "Send", "Model"), std::nullopt);
    EXPECT_EQ(IniGetValue(content, "Missing", "PortName"), std::nullopt);
    EXPECT_EQ(IniGetValue("[Send]\n;PortName=COM1\n", "Send", "PortName"), std::nullopt);
}

// --- The file functions -----------------------------------------------------------------

namespace {

bool IsReadOnly(const std::string& path) {
    using std::filesystem::perms;
    return (std::filesystem::status(path).permissions() & perms::owner_write) == perms::none;
}

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(WriteIniString, CreatesTheFileAndReadsBack) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    ASSERT_TRUE(WriteIniString(path, "Send", "PortName", "COM3"));
    ASSERT_TRUE(WriteIniString(path, "Printer", "Model", "MZ4-A2"));
    EXPECT_EQ(ReadBytes(path), "[Send]\r\nPortName=COM3\r\n\r\n[Printer]\r\nModel=MZ4-A2\r\n");
    EXPECT_EQ(ReadIniString(path, "send", "portname"), "COM3");
    EXPECT_EQ(ReadIniString(path, "Printer", "Model"), "MZ4-A2");
    EXPECT_EQ(ReadIniString(path, "Printer", "Colour"), std::nullopt);
    EXPECT_EQ(ReadIniString(dir / "absent.ini", "Send", "PortName"), std::nullopt);
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file may be left behind";
}

TEST(WriteIniString, KeepsTheRestOfAnExistingFileByteForByte) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    const std::string before =
        "; written by Producer\r\n"
        "[Window]\r\n"
        "Left=10\r\n"
        "\r\n"
        "[SEND]\r\n"
        "portname=COM1\r\n"
        "Timeout=1000\r\n"
        "\r\n"
        "[Fonts]\r\n"
        "# keep\r\n"
        "Size=12";
    WriteBytes(path, before);
    ASSERT_TRUE(WriteIniString(path, "Send", "PortName", "COM3"));
    ASSERT_TRUE(WriteIniString(path, "Printer", "Model", "MZ4-A"));
    EXPECT_EQ(ReadBytes(path),
              "; written by Producer\r\n"
              "[Window]\r\n"
              "Left=10\r\n"
              "\r\n"
              "[SEND]\r\n"
              "portname=COM3\r\n"
              "Timeout=1000\r\n"
              "\r\n"
              "[Fonts]\r\n"
              "# keep\r\n"
              "Size=12\r\n"
              "\r\n"
              "[Printer]\r\n"
              "Model=MZ4-A\r\n");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIniString, RefusesAReadOnlyFileAndLeavesItUnchanged) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    const std::string before = "[Send]\nPortName=COM1\n";
    WriteBytes(path, before);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_TRUE(IsReadOnly(path));
    EXPECT_FALSE(WriteIniString(path, "Send", "PortName", "COM3"));
    EXPECT_FALSE(WriteIniString(path, "Printer", "Model", "MZ4-A"));
    // Even a value that is there already is not reported as written.
    EXPECT_FALSE(WriteIniString(path, "Send", "PortName", "COM1"));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(IsReadOnly(path));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIniString, RefusesAMissingFolderWithoutCreatingIt) {
    TempDir dir;
    const std::string path = dir / "Quorvanta/VormaticCL/config.ini";
    EXPECT_FALSE(WriteIniString(path, "Send", "PortName", "COM3"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Quorvanta"));
    EXPECT_EQ(EntriesIn(dir.path()), 0u);
}

TEST(WriteIniString, RefusesAFolderInPlaceOfTheFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "config.ini");
    EXPECT_FALSE(WriteIniString(dir / "config.ini", "Send", "PortName", "COM3"));
    EXPECT_TRUE(IsDirectoryAt(dir / "config.ini"));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteIniString, RefusesEntriesThatWouldBreakTheFile) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    WriteBytes(path, "[Send]\nPortName=COM1\n");
    EXPECT_FALSE(WriteIniString(path, "Send", "PortName", "COM3\n[Printer]\nModel=X"));
    EXPECT_FALSE(WriteIniString(path, "Send", "", "COM3"));
    EXPECT_EQ(ReadBytes(path), "[Send]\nPortName=COM1\n");
    EXPECT_FALSE(WriteIniString(dir / "new.ini", "Se]nd", "PortName", "COM3"));
    EXPECT_FALSE(std::filesystem::exists(dir / "new.ini"));
}

// --- Files as other programs leave them -----------------------------------------------------

namespace {

// `text` (ASCII) as UTF-16 with its byte order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

}  // namespace

TEST(WriteIniString, UpdatesAFileInItsOwnEncodingOrRefusesIt) {
    const std::string before = "[Send]\r\nPortName=COM1\r\n\r\n[Printer]\r\nModel=MZ4-A\r\n";
    const std::string after = "[Send]\r\nPortName=COM3\r\n\r\n[Printer]\r\nModel=MZ4-A\r\n";
    const std::string cr = "[Send]\rPortName=COM1\r[Printer]\rModel=MZ4-A\r";
    const struct {
        const char* what;
        std::string before;
        std::optional<std::string> after;  // nullopt: refused, the file stays as it was
    } cases[] = {
        {"UTF-16 little-endian", Utf16(before, false), Utf16(after, false)},
        {"UTF-16 big-endian", Utf16(before, true), Utf16(after, true)},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + before, "\xEF\xBB\xBF" + after},
        {"CR line ends", cr, "[Send]\rPortName=COM3\r[Printer]\rModel=MZ4-A\r"},
        {"UTF-16 without a byte order mark", Utf16(before, false).substr(2), std::nullopt},
        {"UTF-16 cut in a character", Utf16(before, false) + "x", std::nullopt},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir / "config.ini";
        WriteBytes(path, c.before);
        EXPECT_EQ(WriteIniString(path, "Send", "PortName", "COM3"), c.after.has_value()) << c.what;
        EXPECT_EQ(ReadBytes(path), c.after.value_or(c.before)) << c.what;
        if (c.after) {
            EXPECT_EQ(ReadIniString(path, "Send", "PortName"), "COM3") << c.what;
            EXPECT_EQ(ReadIniString(path, "Printer", "Model"), "MZ4-A") << c.what;
        }
    }
    // A value that a UTF-8 file cannot hold as it is (8-bit text of another code page).
    TempDir dir;
    WriteBytes(dir / "config.ini", "\xEF\xBB\xBF" + before);
    EXPECT_FALSE(WriteIniString(dir / "config.ini", "Printer", "Model", "MZ\xC4-1"));
    EXPECT_TRUE(WriteIniString(dir / "config.ini", "Printer", "Model", "MZ\xC3\x84-1"));
    EXPECT_EQ(ReadIniString(dir / "config.ini", "Printer", "Model"), "MZ\xC3\x84-1");
}

TEST(WriteIniString, AValueWithLeadingBlanksIsWrittenTheSameEachTime) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WriteIniString(path, "Send", "PortName", " COM3"));
        EXPECT_EQ(ReadBytes(path), "[Send]\r\nPortName= COM3\r\n") << "write " << i + 1;
        EXPECT_EQ(ReadIniString(path, "Send", "PortName"), "COM3");
    }
    // Spacing the file has around "=" stays for a value without blanks of its own.
    WriteBytes(path, "[Send]\r\nPortName = COM1\r\n");
    ASSERT_TRUE(WriteIniString(path, "Send", "PortName", "COM2"));
    EXPECT_EQ(ReadBytes(path), "[Send]\r\nPortName = COM2\r\n");
}

TEST(WriteIniString, WritersOnSeveralThreadsLoseNoEntry) {
    // The read-modify-replace cycle is held by the folder's lock (flock on POSIX, a named
    // mutex on Windows), which keeps threads apart as it keeps processes apart.
    TempDir dir;
    const std::string path = dir / "config.ini";
    WriteBytes(path, "[Send]\r\nPortName=COM1\r\n");
    constexpr int kWriters = 3;
    constexpr int kEntries = 30;
    bool ok[kWriters] = {};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            ok[w] = true;
            for (int i = 0; i < kEntries; ++i) {
                const std::string key =
                    std::string(1, static_cast<char>('A' + w)) + std::to_string(i);
                ok[w] = WriteIniString(path, "Keys", key, std::to_string(i)) && ok[w];
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_TRUE(ok[w]) << "a write of writer " << w << " failed";
    }
    int kept = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kEntries; ++i) {
            const std::string key = std::string(1, static_cast<char>('A' + w)) + std::to_string(i);
            kept += ReadIniString(path, "Keys", key) == std::to_string(i) ? 1 : 0;
        }
    }
    EXPECT_EQ(kept, kWriters * kEntries);
    EXPECT_EQ(ReadIniString(path, "Send", "PortName"), "COM1");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}
