#include <gtest/gtest.h>
#include <chrono>
#include <string>
#include <vector>

#include "host/RegHive.h"
#include "host/Registry.h"
#include "tests/unit/RegistrySandbox.h"
#include "tests/unit/TestPlatform.h"

namespace {

using reg::Root;
using reg::ValueKind;

constexpr const char* kPrefs = "Software\\Quorvanta\\VormaticInstaller\\Prefs";
constexpr const char* kSource = "/media/cd/HKEY_CURRENT_USER.reg";

// A hive as regedit writes it: CRLF, escapes, a wrapped hex value, other kinds.
const std::string kCanonical =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quorvanta\\VormaticInstaller\\Prefs]\r\n"
    "@=\"default text\"\r\n"
    "\"BeforePorts\"=\"COM1,COM3,\"\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Vormatic \\\"CD\\\"\"\r\n"
    "\"Count\"=dword:0000000a\r\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    "  16,17,18,19,1a,1b,1c,1d\r\n"
    "\"Expand\"=hex(2):25,54,45,4d,50,25,00\r\n"
    "\"Multi\"=hex(7):61,00,62,00,00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
    "\"Empty\"=\"\"\r\n"
    "\r\n";

std::vector<std::string> Names(const reg::RegKey& key) {
    std::vector<std::string> names;
    for (const reg::RegValue& value : key.values) {
        names.push_back(value.name);
    }
    return names;
}

std::string ParseErrorOf(const std::string& text) {
    try {
        reg::ParseHive(text, kSource);
    } catch (const reg::RegistryError& error) {
        return error.what();
    }
    return "(parsed without error)";
}

}  // namespace

TEST(RegHiveText, ReadsEveryKindAndWritesItBackByteForByte) {
    const reg::Hive hive = reg::ParseHive(kCanonical, kSource);
    ASSERT_EQ(hive.Keys().size(), 2U);
    const reg::RegKey& prefs = hive.Keys()[0];
    EXPECT_EQ(prefs.path, "HKEY_CURRENT_USER\\Software\\Quorvanta\\VormaticInstaller\\Prefs");
    EXPECT_EQ(Names(prefs), (std::vector<std::string>{"", "BeforePorts", "Path", "Count", "Blob",
                                                      "Expand", "Multi"}));
    EXPECT_EQ(prefs.FindValue("")->text, "default text");
    EXPECT_EQ(prefs.FindValue("Path")->text, "C:\\Program Files\\Vormatic \"CD\"");
    EXPECT_EQ(prefs.FindValue("Count")->kind, ValueKind::Dword);
    EXPECT_EQ(prefs.FindValue("Count")->dword, 10U);
    const reg::RegValue* blob = prefs.FindValue("Blob");
    ASSERT_EQ(blob->kind, ValueKind::Binary);
    ASSERT_EQ(blob->bytes.size(), 30U);
    for (std::size_t i = 0; i < blob->bytes.size(); ++i) {
        EXPECT_EQ(blob->bytes[i], i) << "byte " << i;
    }
    EXPECT_EQ(prefs.FindValue("Expand")->kind, ValueKind::ExpandString);
    EXPECT_EQ(prefs.FindValue("Expand")->text, "%TEMP%");
    EXPECT_EQ(prefs.FindValue("Multi")->kind, ValueKind::Binary);
    EXPECT_EQ(prefs.FindValue("Multi")->binaryType, 7U);
    EXPECT_EQ(prefs.FindValue("Multi")->bytes, (std::vector<std::uint8_t>{'a', 0, 'b', 0, 0}));
    EXPECT_EQ(hive.Keys()[1].FindValue("Empty")->text, "");

    EXPECT_EQ(reg::SerializeHive(hive), kCanonical);
}

TEST(RegHiveText, AcceptsLfCommentsBlanksAndContinuedHexLines) {
    const std::string text =
        "\n"
        "REGEDIT4\n"
        "; written by hand\n"
        "[HKEY_CURRENT_USER\\\\Software\\X\\]\n"
        "\n"
        "\"a\"=hex:01,02,\\\n"
        "    03 , FF,\\\n"
        "  0a\n"
        "\"b\"=DWORD:A\n"
        "  \"c\" = \"spaced\"  \n"
        "\"d\"=hex(1):68,69,00\n"
        "\"e\"=hex:\n";
    const reg::Hive hive = reg::ParseHive(text, kSource);
    ASSERT_EQ(hive.Keys().size(), 1U);
    const reg::RegKey& key = hive.Keys()[0];
    EXPECT_EQ(key.path, "HKEY_CURRENT_USER\\Software\\X");
    EXPECT_EQ(key.FindValue("a")->bytes, (std::vector<std::uint8_t>{1, 2, 3, 0xff, 0x0a}));
    EXPECT_EQ(key.FindValue("b")->dword, 10U);
    EXPECT_EQ(key.FindValue("c")->text, "spaced");
    EXPECT_EQ(key.FindValue("d")->kind, ValueKind::String);
    EXPECT_EQ(key.FindValue("d")->text, "hi");
    EXPECT_TRUE(key.FindValue("e")->bytes.empty());

    EXPECT_EQ(reg::SerializeHive(hive),
              "REGEDIT4\r\n"
              "; written by hand\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\X]\r\n"
              "\"a\"=hex:01,02,03,ff,0a\r\n"
              "\"b\"=dword:0000000a\r\n"
              "\"c\"=\"spaced\"\r\n"
              "\"d\"=\"hi\"\r\n"
              "\"e\"=hex:\r\n"
              "\r\n");
}

TEST(RegHiveText, TextsThatALineCannotHoldSurviveAsHex) {
    reg::Hive hive;
    reg::RegKey& key = hive.EnsureKey("HKEY_CURRENT_USER\\Software\\X");
    key.SetValue(reg::RegValue::String("Lines", "one\r\ntwo"));
    key.SetValue(reg::RegValue::String("Nul", std::string("a\0b", 3)));
    reg::RegValue expand = reg::RegValue::String("Expand", "%PATH%;x");
    expand.kind = ValueKind::ExpandString;
    key.SetValue(expand);

    const std::string text = reg::SerializeHive(hive);
    EXPECT_NE(text.find("\"Lines\"=hex(1):6f,6e,65,0d,0a,74,77,6f,00\r\n"), std::string::npos)
        << text;
    EXPECT_EQ(reg::ParseHive(text, kSource), hive);
}

TEST(RegHiveText, EmptyTextIsAnEmptyHive) {
    EXPECT_TRUE(reg::ParseHive("", kSource).Keys().empty());
    EXPECT_TRUE(reg::ParseHive("\r\n \r\n", kSource).Keys().empty());
    EXPECT_EQ(reg::SerializeHive(reg::Hive{}), "REGEDIT4\r\n\r\n");
}

TEST(RegHiveText, DamageIsReportedWithFileAndLine) {
    struct Case {
        std::string text;
        int line;
    };
    const std::vector<Case> cases = {
        {"REGEDIT5\r\n", 1},
        {"Windows Registry Editor Version 5.00\r\n", 1},
        {"REGEDIT4\r\n\"a\"=\"b\"\r\n", 2},
        {"REGEDIT4\r\n[K\r\n", 2},
        {"REGEDIT4\r\n[]\r\n", 2},
        {"REGEDIT4\r\n[-K]\r\n", 2},
        {"REGEDIT4\r\n[\\\\-K]\r\n", 2},  // found by the fuzzer: written back as [-K]
        {"REGEDIT4\r\n[K]\r\n\"a\"=\"no end\r\n", 3},
        {"REGEDIT4\r\n[K]\r\n\"p\"=\"C:\\Path\"\r\n", 3},
        {"REGEDIT4\r\n[K]\r\n\"a\"=\"b\" trailing\r\n", 3},
        {"REGEDIT4\r\n[K]\r\n\"x\"=-\r\n", 3},
        {"REGEDIT4\r\n[K]\r\n\"x\"\r\n", 3},
        {"REGEDIT4\r\n[K]\r\nplain=\"x\"\r\n", 3},
        {"REGEDIT4\r\n\r\n[K]\r\n\"n\"=dword:123456789\r\n", 4},
        {"REGEDIT4\r\n\r\n[K]\r\n\"n\"=dword:\r\n", 4},
        {"REGEDIT4\n[K]\n\"h\"=hex:01,\\\n  0g\n", 4},
        {"REGEDIT4\n[K]\n\"h\"=hex:01,,02\n", 3},
        {"REGEDIT4\n[K]\n\"h\"=hex(2:01\n", 3},
        {"REGEDIT4\n[K]\n\"h\"=hex:01,\\", 3},
    };
    for (const Case& c : cases) {
        const std::string error = ParseErrorOf(c.text);
        EXPECT_NE(error.find(kSource), std::string::npos) << c.text << " -> " << error;
        EXPECT_NE(error.find("line " + std::to_string(c.line) + ","), std::string::npos)
            << c.text << " -> " << error;
    }
}

TEST(RegHiveText, AHiveCutOffAnywhereIsDamagedOrHoldsOnlyWholeValues) {
    // A file cut short (a full disk, a crash while copying) must not be taken for a hive
    // holding other data: a cut dword would be stored as a smaller number and a cut hex value
    // would lose bytes on the next write.
    const reg::Hive whole = reg::ParseHive(kCanonical, kSource);
    for (std::size_t length = 0; length < kCanonical.size(); ++length) {
        const std::string cut = kCanonical.substr(0, length);
        reg::Hive part;
        try {
            part = reg::ParseHive(cut, kSource);
        } catch (const reg::RegistryError&) {
            continue;  // damaged: never written over
        }
        for (const reg::RegKey& key : part.Keys()) {
            const reg::RegKey* original = whole.FindKey(key.path);
            ASSERT_NE(original, nullptr) << cut;
            for (const reg::RegValue& value : key.values) {
                const reg::RegValue* kept = original->FindValue(value.name);
                ASSERT_NE(kept, nullptr) << cut;
                EXPECT_EQ(value, *kept) << "cut after " << length << " bytes:\n" << cut;
            }
        }
    }
    // A whole last line without its line end is no damage.
    EXPECT_EQ(reg::ParseHive("REGEDIT4\n[K]\n\"n\"=dword:0000000a", kSource)
                  .FindKey("K")
                  ->FindValue("n")
                  ->dword,
              10U);
}

TEST(RegHiveModel, NamesMatchWithoutCaseAndKeepTheirSpellingAndPlace) {
    reg::Hive hive;
    hive.EnsureKey("HKEY_CURRENT_USER\\Software\\Quorvanta");
    reg::RegKey& key = hive.EnsureKey("hkey_current_user\\SOFTWARE\\quorvanta");
    ASSERT_EQ(hive.Keys().size(), 1U);
    EXPECT_EQ(key.path, "HKEY_CURRENT_USER\\Software\\Quorvanta");

    key.SetValue(reg::RegValue::String("Zeta", "1"));
    key.SetValue(reg::RegValue::String("Alpha", "2"));
    key.SetValue(reg::RegValue::String("ZETA", "3"));
    EXPECT_EQ(Names(key), (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(key.FindValue("zeta")->text, "3");
    EXPECT_TRUE(key.RemoveValue("ALPHA"));
    EXPECT_FALSE(key.RemoveValue("alpha"));

    EXPECT_TRUE(hive.KeyExists("HKEY_CURRENT_USER\\software"));
    EXPECT_FALSE(hive.KeyExists("HKEY_CURRENT_USER\\Soft"));
    EXPECT_THROW(hive.EnsureKey("HKEY_CURRENT_USER\\a\nb"), reg::RegistryError);
    EXPECT_THROW(hive.EnsureKey("\\\\-K"), reg::RegistryError);  // would be written as [-K]
    EXPECT_THROW(key.SetValue(reg::RegValue::String("a\nb", "x")), reg::RegistryError);
}

// The registry backend of the platform (hive files on POSIX, the real registry on Windows,
// which under Wine is the prefix's) through the functions the program calls.

TEST(Registry, WritesAndReadsBackInEveryRoot) {
    RegistrySandbox box;
    reg::WriteString(Root::CurrentUser, kPrefs, "BeforePorts", "COM1,COM3,");
    reg::WriteString(Root::LocalMachine, "HARDWARE\\X", "Name", "v");
    reg::WriteString(Root::ClassesRoot, "http\\shell\\open\\command", "", "browser \"%1\"");
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "BeforePorts"), "COM1,COM3,");
    EXPECT_EQ(reg::ReadString(Root::LocalMachine, "HARDWARE\\X", "Name"), "v");
    EXPECT_EQ(reg::ReadString(Root::ClassesRoot, "http\\shell\\open\\command", ""),
              "browser \"%1\"");
    // Each root keeps its own keys.
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, "HARDWARE\\X", "Name"), std::nullopt);
    EXPECT_FALSE(reg::KeyExists(Root::ClassesRoot, kPrefs));
    // Texts the program stores: paths with blanks and quotes, 8-bit bytes, the empty text.
    for (const std::string& text : {std::string("\"C:\\Program Files\\Vormatic\\x.exe\" -rusb"),
                                    std::string("\xe4\xf6\xfc 8-bit \xa9"), std::string()}) {
        reg::WriteString(Root::CurrentUser, kPrefs, "Text", text);
        EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "Text"), text);
    }
}

TEST(Registry, KeysAndValuesMatchWithoutCaseAndEnumerateInInsertionOrder) {
    RegistrySandbox box;
    reg::WriteString(Root::CurrentUser, kPrefs, "Zulu", "1");
    reg::WriteString(Root::CurrentUser, kPrefs, "Alpha", "2");
    reg::WriteString(Root::CurrentUser, "SOFTWARE\\quorvanta\\vormaticinstaller\\PREFS", "zulu",
                     "3");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, "software\\QUORVANTA\\VormaticInstaller\\prefs"),
              InRegistryOrder({"Zulu", "Alpha"}));
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "ZULU"), "3");

    reg::DeleteValue(Root::CurrentUser, kPrefs, "zulu");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kPrefs), (std::vector<std::string>{"Alpha"}));
}

TEST(Registry, DefaultValueIsTheEmptyName) {
    RegistrySandbox box;
    reg::WriteString(Root::CurrentUser, "Software\\X", "", "the default");
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, "Software\\X", ""), "the default");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, "Software\\X"), (std::vector<std::string>{""}));
}

TEST(Registry, MissingKeysAndValuesAreNoErrors) {
    RegistrySandbox box;
    EXPECT_FALSE(reg::KeyExists(Root::CurrentUser, kPrefs));
    EXPECT_TRUE(reg::ValueNames(Root::CurrentUser, kPrefs).empty());
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "BeforePorts"), std::nullopt);
    reg::DeleteValue(Root::CurrentUser, kPrefs, "BeforePorts");
    EXPECT_FALSE(reg::KeyExists(Root::CurrentUser, kPrefs));

    reg::WriteString(Root::CurrentUser, kPrefs, "Other", "x");
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, kPrefs, "BeforePorts"), std::nullopt);
    reg::DeleteValue(Root::CurrentUser, kPrefs, "BeforePorts");
    reg::DeleteValue(Root::CurrentUser, "Software\\Nowhere", "BeforePorts");
    EXPECT_FALSE(reg::KeyExists(Root::CurrentUser, "Software\\Nowhere"));
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, kPrefs), (std::vector<std::string>{"Other"}));
}

TEST(Registry, CreateKeyMakesTheKeyAndItsParentsExist) {
    RegistrySandbox box;
    reg::CreateKey(Root::CurrentUser, "Software\\A\\B\\C");
    EXPECT_TRUE(reg::KeyExists(Root::CurrentUser, "Software\\A\\B\\C"));
    EXPECT_TRUE(reg::KeyExists(Root::CurrentUser, "software\\a\\b"));
    EXPECT_TRUE(reg::KeyExists(Root::CurrentUser, "Software"));
    EXPECT_FALSE(reg::KeyExists(Root::CurrentUser, "Software\\A\\X"));
    EXPECT_FALSE(reg::KeyExists(Root::LocalMachine, "Software\\A"));
    EXPECT_TRUE(reg::ValueNames(Root::CurrentUser, "Software\\A\\B\\C").empty());
    // Doubled and trailing backslashes name the same key.
    EXPECT_TRUE(reg::KeyExists(Root::CurrentUser, "Software\\\\A\\B\\C\\"));
}

TEST(Registry, ReadingANonStringValueRaises) {
    RegistrySandbox box;
    box.seed(Root::CurrentUser,
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"Count\"=dword:00000001\r\n"
             "\"Blob\"=hex:01\r\n\"Expand\"=hex(2):41,00\r\n\"Multi\"=hex(7):61,00,00\r\n\r\n");
    try {
        reg::ReadString(Root::CurrentUser, "Software\\X", "count");
        FAIL() << "a dword read as a string";
    } catch (const reg::RegistryError& error) {
        EXPECT_NE(std::string(error.what()).find("\"count\""), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("Software\\X"), std::string::npos) << error.what();
    }
    EXPECT_THROW(reg::ReadString(Root::CurrentUser, "Software\\X", "Blob"), reg::RegistryError);
    EXPECT_THROW(reg::ReadString(Root::CurrentUser, "Software\\X", "Multi"), reg::RegistryError);
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, "Software\\X", "Expand"), "A");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, "Software\\X"),
              InRegistryOrder({"Count", "Blob", "Expand", "Multi"}));
}

TEST(Registry, WritingAndDeletingLeaveValuesOfOtherKindsAlone) {
    RegistrySandbox box;
    box.seed(Root::CurrentUser,
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"Count\"=dword:0000002a\r\n"
             "\"Expand\"=hex(2):41,00\r\n\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n");
    reg::WriteString(Root::CurrentUser, "Software\\X", "New", "v");
    reg::DeleteValue(Root::CurrentUser, "Software\\X", "Expand");
    EXPECT_EQ(reg::ValueNames(Root::CurrentUser, "Software\\X"),
              InRegistryOrder({"Count", "Qword", "New"}));
    EXPECT_THROW(reg::ReadString(Root::CurrentUser, "Software\\X", "Count"), reg::RegistryError);
    EXPECT_THROW(reg::ReadString(Root::CurrentUser, "Software\\X", "Qword"), reg::RegistryError);
    // A string over a value of another kind makes it a string.
    reg::WriteString(Root::CurrentUser, "Software\\X", "Count", "7");
    EXPECT_EQ(reg::ReadString(Root::CurrentUser, "Software\\X", "Count"), "7");
}

TEST(Registry, NoHandleIsLeftOpenOnAnyPath) {
    RegistrySandbox box;
    box.seed(Root::LocalMachine,
             "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
             "\"\\\\Device\\\\Odd\"=dword:00000001\r\n\r\n");
    auto everyCall = [] {
        reg::WriteString(Root::CurrentUser, kPrefs, "V", "x");
        reg::ReadString(Root::CurrentUser, kPrefs, "V");
        reg::ReadString(Root::CurrentUser, kPrefs, "Missing");
        reg::ReadString(Root::CurrentUser, "Software\\Missing", "V");
        reg::ValueNames(Root::CurrentUser, kPrefs);
        reg::KeyExists(Root::CurrentUser, kPrefs);
        reg::CreateKey(Root::ClassesRoot, "x\\y");
        reg::DeleteValue(Root::CurrentUser, kPrefs, "V");
        reg::DeleteValue(Root::CurrentUser, "Software\\Missing", "V");
        EXPECT_THROW(
            reg::ReadString(Root::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\Odd"),
            reg::RegistryError);
    };
    everyCall();  // the first calls may open what stays open for the whole process
    const int before = testplatform::OpenHandleCount();
    if (before < 0) {
        GTEST_SKIP() << "this system does not tell how many handles a process holds";
    }
    for (int i = 0; i < 20; ++i) {
        everyCall();
    }
    EXPECT_EQ(testplatform::OpenHandleCount(), before);
}
