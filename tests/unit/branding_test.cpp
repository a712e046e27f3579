#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "host/BrandingStore.h"
#include "host/Paths.h"
#include "tests/unit/TempDir.h"
#include "tests/unit/TestPlatform.h"

using namespace std::string_literals;

namespace {

// Run as a probe (see ProcessWideStore.ReadsTheFileBesideTheProgram), this program reports
// what the process-wide store holds, before any test runs, and ends.
const bool kProbeMode = [] {
    if (std::getenv("VORMATIC_BRANDING_PROBE") == nullptr) {
        return false;
    }
    const BrandingStore& store = BrandingStore::Instance();
    std::printf("short=%s\nprivate=%d\nlogo=%s\n", store.GetString("CompanyNameShort").c_str(),
                store.IsPrivateLabel() ? 1 : 0, store.LogoBitmapPath().c_str());
    std::fflush(stdout);
    std::_Exit(0);
}();

const char kHome[] = "http://www.quorvanta.com";

const std::map<std::string, std::string> kDefaults = {
    {"CompanyNameLong", "Quorvanta Corporation"},
    {"CompanyNameShort", "Quorvanta"},
    {"AboutCompanyPhone", "800-555-0142"},
    {"AboutCompanySupportEmail", "support@quorvanta.com"},
    {"AboutCompanySupportURL", kHome},
    {"SingleMagazinePrinterModel", "MZ4-A2"},
    {"TwelveMagazinePrinterModel", "MZ4-A"},
    {"WebSupportContactURL", kHome + "/contact.htm"s},
    {"WebSupportFAQURL", kHome + "/faqs.htm"s},
    {"WebSupportHomePageURL", kHome},
    {"WebSupportSoftwareManualURL", kHome + "/vormaticproducer/cl/index.htm"s},
    {"WebSupportTechSupportURL", kHome + "/techsupport.htm"s},
    {"WebSupportSoftwareDownloadURL", kHome + "/vormaticproducercl.htm#DOWNLOAD"s},
    {"WebSupportSoftwareVersionURL", kHome + "/vormaticproducer/cl/version.htm"s},
};

// A store built from a folder holding plstrings.txt with `content`.
class BrandingFile : public ::testing::Test {
protected:
    std::unique_ptr<BrandingStore> StoreWith(const std::string& content) {
        WriteBytes(dir_ / "plstrings.txt", content);
        return std::make_unique<BrandingStore>(dir_.path() + PathSeparator());
    }
    std::unique_ptr<BrandingStore> StoreWithoutFile() {
        return std::make_unique<BrandingStore>(dir_.path() + PathSeparator());
    }
    void ExpectDefaultsExcept(const BrandingStore& store,
                              const std::set<std::string>& changedKeys = {}) {
        for (const auto& [key, value] : kDefaults) {
            if (changedKeys.count(key) == 0) {
                EXPECT_EQ(store.GetString(key), value) << key;
            }
        }
    }

    TempDir dir_;
};

}  // namespace

TEST_F(BrandingFile, WithoutAFileTheStoreHoldsTheFourteenDefaults) {
    const auto store = StoreWithoutFile();
    EXPECT_EQ(kDefaults.size(), 14u);
    ExpectDefaultsExcept(*store);
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Quorvanta");
    EXPECT_FALSE(store->IsPrivateLabel());
    EXPECT_EQ(store->GetString("NoSuchKey"), "");
    EXPECT_EQ(store->GetString(""), "");
}

TEST_F(BrandingFile, AnEmptyDirectoryNameMeansNoFileAndNoBitmaps) {
    // The current directory is not "beside the program": a file there is not read.
    const BrandingStore store("");
    ExpectDefaultsExcept(store);
    EXPECT_FALSE(store.IsPrivateLabel());
    EXPECT_EQ(store.LogoBitmapPath(), "");
}

TEST_F(BrandingFile, AZeroByteFileChangesNothingAndIsNotPrivateLabel) {
    const auto store = StoreWith("");
    ExpectDefaultsExcept(*store);
    EXPECT_FALSE(store->IsPrivateLabel());
}

TEST_F(BrandingFile, ACommentOrBlankLineAloneMakesItPrivateLabel) {
    for (const std::string content : {"# reseller file\n", "#only a comment", "\n", "   \r\n"}) {
        const auto store = StoreWith(content);
        ExpectDefaultsExcept(*store);
        EXPECT_TRUE(store->IsPrivateLabel()) << content;
    }
}

TEST_F(BrandingFile, ALineSetsItsKeyAndOtherEntriesKeepTheirDefaults) {
    const auto store = StoreWith("CompanyNameShort=Acme\n");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acme");
    ExpectDefaultsExcept(*store, {"CompanyNameShort"});
    EXPECT_TRUE(store->IsPrivateLabel());
}

TEST_F(BrandingFile, BlanksAroundTheEqualsSignBelongToKeyAndValue) {
    const auto store = StoreWith("CompanyNameShort = Acme\n");
    EXPECT_EQ(store->GetString("CompanyNameShort "), " Acme");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Quorvanta");
}

TEST_F(BrandingFile, BlanksAndControlCharactersAroundTheLineAreTrimmed) {
    const auto store = StoreWith("  \t CompanyNameShort=Acme \t\x01\x1f \n");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acme");
}

TEST_F(BrandingFile, BackQuotesKeepBlanksAndDropTheFirstAndLastCharacter) {
    const auto store = StoreWith(
        "CompanyNameLong=`  Acme Labels  `\n"
        "CompanyNameShort=`Acme\n"
        "AboutCompanyPhone=`\n"
        "AboutCompanySupportEmail=``\n"
        "TwelveMagazinePrinterModel=`MZ9-Q`\n"
        "SingleMagazinePrinterModel=x`y`\n");
    EXPECT_EQ(store->GetString("CompanyNameLong"), "  Acme Labels  ");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acm");
    EXPECT_EQ(store->GetString("AboutCompanyPhone"), "");
    EXPECT_EQ(store->GetString("AboutCompanySupportEmail"), "");
    EXPECT_EQ(store->GetString("TwelveMagazinePrinterModel"), "MZ9-Q");
    // Only a leading back-quote counts.
    EXPECT_EQ(store->GetString("SingleMagazinePrinterModel"), "x`y`");
}

TEST_F(BrandingFile, EverythingAfterTheFirstEqualsSignIsTheValue) {
    const auto store = StoreWith("URL=http://example.com/page?a=1&b==2\n");
    EXPECT_EQ(store->GetString("URL"), "http://example.com/page?a=1&b==2");
}

TEST_F(BrandingFile, TheLastLineForAKeyWins) {
    const auto store = StoreWith("CompanyNameShort=First\nCompanyNameShort=Second\n");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Second");
}

TEST_F(BrandingFile, KeysAreCaseSensitive) {
    const auto store = StoreWith("companynameshort=lower\n");
    EXPECT_EQ(store->GetString("companynameshort"), "lower");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Quorvanta");
}

TEST_F(BrandingFile, ALineWithoutEqualsSignIsAKeyWithAnEmptyValue) {
    const auto store = StoreWith("AboutCompanySupportURL\nAboutCompanyPhone=\n");
    EXPECT_EQ(store->GetString("AboutCompanySupportURL"), "");
    EXPECT_EQ(store->GetString("AboutCompanyPhone"), "");
    ExpectDefaultsExcept(*store, {"AboutCompanySupportURL", "AboutCompanyPhone"});
}

TEST_F(BrandingFile, ALineStartingWithEqualsSignHasTheEmptyKey) {
    const auto store = StoreWith("=orphan value\n");
    EXPECT_EQ(store->GetString(""), "orphan value");
    ExpectDefaultsExcept(*store);
}

TEST_F(BrandingFile, CommentsAreRecognisedAfterTrimmingOnly) {
    const auto store = StoreWith("   #CompanyNameShort=Hidden\nCompanyNameLong=Not # a comment\n");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Quorvanta");
    EXPECT_EQ(store->GetString("   #CompanyNameShort"), "");
    EXPECT_EQ(store->GetString("#CompanyNameShort"), "");
    EXPECT_EQ(store->GetString("CompanyNameLong"), "Not # a comment");
}

TEST_F(BrandingFile, LinesEndInCrLfLfOrCrInAnyMix) {
    const auto crOnly = StoreWith("A=1\rB=2\rC=3");
    EXPECT_EQ(crOnly->GetString("A"), "1");
    EXPECT_EQ(crOnly->GetString("B"), "2");
    EXPECT_EQ(crOnly->GetString("C"), "3");

    const auto mixed = StoreWith("A=1\r\nB=2\nC=3\rD=4\n\rE=5\r\n\r\nF=6");
    EXPECT_EQ(mixed->GetString("A"), "1");
    EXPECT_EQ(mixed->GetString("B"), "2");
    EXPECT_EQ(mixed->GetString("C"), "3");
    EXPECT_EQ(mixed->GetString("D"), "4");
    EXPECT_EQ(mixed->GetString("E"), "5");
    EXPECT_EQ(mixed->GetString("F"), "6");
}

TEST_F(BrandingFile, TheLastLineNeedsNoLineEnd) {
    const auto store = StoreWith("CompanyNameLong=Acme Inc.\r\nCompanyNameShort=Acme");
    EXPECT_EQ(store->GetString("CompanyNameLong"), "Acme Inc.");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acme");
}

TEST_F(BrandingFile, BinaryBytesIncludingNulAreOrdinaryCharacters) {
    const std::string content =
        "CompanyNameShort=Ac\0me\n"
        "\0\0\0\x7f\n"
        "CompanyNameLong=\xff\xfe\x80 bytes\n"
        "\0AboutCompanyPhone=555\0\n"
        "Single\0MagazinePrinterModel=Z\n"s;
    const auto store = StoreWith(content);
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Ac\0me"s);
    EXPECT_EQ(store->GetString("CompanyNameLong"), "\xff\xfe\x80 bytes");
    // NUL is a control character, so it is trimmed from both ends of a line.
    EXPECT_EQ(store->GetString("AboutCompanyPhone"), "555");
    EXPECT_EQ(store->GetString("Single\0MagazinePrinterModel"s), "Z");
    EXPECT_EQ(store->GetString("SingleMagazinePrinterModel"), "MZ4-A2");
    // The line of NULs and DEL: DEL (127) is above the trimmed range and becomes a key.
    EXPECT_EQ(store->GetString("\x7f"), "");
    EXPECT_TRUE(store->IsPrivateLabel());
}

TEST_F(BrandingFile, AUtf8ByteOrderMarkAtTheStartIsSkipped) {
    // Only at the very start: a mark further on is part of its line, as any other bytes.
    const auto store = StoreWith(
        "\xEF\xBB\xBF"
        "CompanyNameShort=Acme\r\n"
        "\xEF\xBB\xBF"
        "CompanyNameLong=X\r\n");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acme");
    EXPECT_EQ(store->GetString("\xEF\xBB\xBF"
                               "CompanyNameLong"),
              "X");
    ExpectDefaultsExcept(*store, {"CompanyNameShort"});
    // An empty file saved with a mark (as Notepad saves it) holds no line.
    EXPECT_FALSE(StoreWith("\xEF\xBB\xBF")->IsPrivateLabel());
}

TEST_F(BrandingFile, MegabyteLinesAreReadInLinearTime) {
    const std::string blanks(1 << 20, ' ');
    const std::string longValue(1 << 20, 'v');
    std::string many;
    for (int i = 0; i < 50000; ++i) {
        many += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    }
    const auto started = std::chrono::steady_clock::now();
    const auto store =
        StoreWith(blanks + "CompanyNameShort=Acme" + blanks + "\n" + "CompanyNameLong=`" +
                  longValue + "`\r\n" + many + std::string(1 << 20, '=') + "\n");
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acme");
    EXPECT_EQ(store->GetString("CompanyNameLong"), longValue);
    EXPECT_EQ(store->GetString("Key49999"), "49999");
    EXPECT_EQ(store->GetString(""), std::string((1 << 20) - 1, '='));
    // Linear work on these 4 MiB takes milliseconds; a quadratic trim or split takes minutes.
    EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST_F(BrandingFile, AFolderNamedLikeTheFileIsNoFile) {
    std::filesystem::create_directory(dir_ / "plstrings.txt");
    const auto store = StoreWithoutFile();
    ExpectDefaultsExcept(*store);
    EXPECT_FALSE(store->IsPrivateLabel());
}

TEST_F(BrandingFile, TheFileIsReadOnceWhenTheStoreIsBuilt) {
    const auto store = StoreWith("CompanyNameShort=Acme\n");
    WriteBytes(dir_ / "plstrings.txt", "CompanyNameShort=Later\n");
    EXPECT_EQ(store->GetString("CompanyNameShort"), "Acme");
}

TEST_F(BrandingFile, BitmapPathsFollowTheFilesAtEachCall) {
    const auto store = StoreWithoutFile();
    const struct {
        const char* file;
        std::string (BrandingStore::*getter)() const;
    } bitmaps[] = {{"plbitmap.bmp", &BrandingStore::LogoBitmapPath},
                   {"plcollagebitmap.bmp", &BrandingStore::CollageBitmapPath},
                   {"pltitlebitmap.bmp", &BrandingStore::TitleBitmapPath}};
    for (const auto& bitmap : bitmaps) {
        const std::string path = dir_ / bitmap.file;
        EXPECT_EQ(((*store).*bitmap.getter)(), "") << bitmap.file;
        WriteBytes(path, "BM");
        EXPECT_EQ(((*store).*bitmap.getter)(), path) << bitmap.file;
        // The others do not appear because one of them did.
        for (const auto& other : bitmaps) {
            if (&other != &bitmap && !FileExists(dir_ / other.file)) {
                EXPECT_EQ(((*store).*other.getter)(), "") << other.file;
            }
        }
        std::filesystem::remove(path);
        EXPECT_EQ(((*store).*bitmap.getter)(), "") << bitmap.file;
        // A folder of that name is not a bitmap.
        std::filesystem::create_directory(path);
        EXPECT_EQ(((*store).*bitmap.getter)(), "") << bitmap.file;
        std::filesystem::remove(path);
    }
}

TEST(ProcessWideStore, IsBuiltOnceAndRebuiltAfterReset) {
    ASSERT_FALSE(kProbeMode);
    BrandingStore& first = BrandingStore::Instance();
    EXPECT_EQ(&BrandingStore::Instance(), &first);
    {
        // Destroying some other store leaves the process-wide one in place.
        const BrandingStore other("");
    }
    EXPECT_EQ(&BrandingStore::Instance(), &first);
    BrandingStore::Reset();
    BrandingStore& second = BrandingStore::Instance();
    // Built from the program's own folder, like any store made for that folder.
    const BrandingStore reference(ProgramDirectory());
    EXPECT_EQ(second.GetString("CompanyNameShort"), reference.GetString("CompanyNameShort"));
    EXPECT_EQ(second.IsPrivateLabel(), reference.IsPrivateLabel());
    EXPECT_EQ(&BrandingStore::Instance(), &second);
    BrandingStore::Reset();
    BrandingStore::Reset();  // nothing left to drop: harmless
}

TEST(ProcessWideStore, ReadsTheFileBesideTheProgramNotInTheCurrentDirectory) {
    TempDir programDir;
    TempDir currentDir;
    // The copy keeps the program's extension (".exe" on Windows).
    const std::string program =
        programDir /
        ("installer-probe" + std::filesystem::path(ProgramPath()).extension().string());
    std::filesystem::copy_file(ProgramPath(), program);
    WriteBytes(programDir / "plstrings.txt", "CompanyNameShort=BesideProgram\n");
    WriteBytes(programDir / "plbitmap.bmp", "BM");
    WriteBytes(currentDir / "plstrings.txt", "CompanyNameShort=InCurrentDir\n");
    WriteBytes(currentDir / "plbitmap.bmp", "BM");

    ScopedEnv probe("VORMATIC_BRANDING_PROBE", "1");
    std::string output;
    EXPECT_EQ(testplatform::RunProgram(program, currentDir.path(), &output), 0) << output;
    EXPECT_EQ(output,
              "short=BesideProgram\nprivate=1\nlogo=" + (programDir / "plbitmap.bmp") + "\n");
}
