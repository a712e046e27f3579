#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/Paths.h"
#include "tests/unit/TempDir.h"

namespace {

// A path below `dir` written the way the program writes its paths (backslashes, as the CD
// layout names them), in the platform's own form.
std::string Below(const TempDir& dir, const char* path) {
    return dir / NativePath(path);
}

}  // namespace

TEST(EnsureFileDirectory, CreatesEveryMissingFolderButNotTheFile) {
    TempDir dir;
    const std::string file = Below(dir, "Quorvanta\\VormaticCL\\config.ini");
    EnsureFileDirectory(file);
    EXPECT_TRUE(IsDirectoryAt(Below(dir, "Quorvanta")));
    EXPECT_TRUE(IsDirectoryAt(Below(dir, "Quorvanta\\VormaticCL")));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(IsDirectoryAt(file));
}

TEST(EnsureFileDirectory, ToleratesExistingFoldersAndKeepsTheirContent) {
    TempDir dir;
    EnsureFileDirectory(Below(dir, "a\\b\\c.txt"));
    WriteBytes(Below(dir, "a\\b\\keep.txt"), "kept");
    EnsureFileDirectory(Below(dir, "a\\b\\c.txt"));
    EnsureFileDirectory(Below(dir, "a\\b\\d\\e\\f.txt"));
    EXPECT_EQ(ReadBytes(Below(dir, "a\\b\\keep.txt")), "kept");
    EXPECT_TRUE(IsDirectoryAt(Below(dir, "a\\b\\d\\e")));
}

TEST(EnsureFileDirectory, APathEndingInASeparatorIsAllFolder) {
    TempDir dir;
    EnsureFileDirectory(Below(dir, "x\\y\\"));
    EXPECT_TRUE(IsDirectoryAt(Below(dir, "x\\y")));
}

TEST(EnsureFileDirectory, DoubledSeparatorsAreHarmless) {
    TempDir dir;
    EnsureFileDirectory(Below(dir, "\\p\\\\q\\file.ini"));
    EXPECT_TRUE(IsDirectoryAt(Below(dir, "p\\q")));
}

TEST(EnsureFileDirectory, FailsSilentlyWhenAFileBlocksThePath) {
    TempDir dir;
    WriteBytes(Below(dir, "blocker"), "not a folder");
    EnsureFileDirectory(Below(dir, "blocker\\sub\\config.ini"));
    EXPECT_EQ(ReadBytes(Below(dir, "blocker")), "not a folder");
    EXPECT_FALSE(IsDirectoryAt(Below(dir, "blocker\\sub")));
}

TEST(FolderOfFile, KeepsEverythingUpToTheLastSeparator) {
    EXPECT_EQ(FolderOfFile("a/b/config.ini"), "a/b/");
    EXPECT_EQ(FolderOfFile("/config.ini"), "/");
    EXPECT_EQ(FolderOfFile("a/b/"), "a/b/");
    EXPECT_EQ(FolderOfFile("config.ini"), "");
    EXPECT_EQ(FolderOfFile(""), "");
    // A backslash separates folders on Windows only; elsewhere it is part of a name.
    EXPECT_EQ(FolderOfFile("a/b\\c.ini"), IsPathSeparator('\\') ? "a/b\\" : "a/");
}

TEST(ProgramPath, NamesThisTestProgram) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(std::filesystem::path(path).stem().string(), "paths_test");
}

TEST(ProgramDirectory, IsTheProgramsFolderWithATrailingSeparator) {
    const std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    ASSERT_EQ(std::string(PathSeparator()).size(), 1U);
    EXPECT_EQ(directory.back(), PathSeparator()[0]);
    EXPECT_EQ(directory + std::filesystem::path(ProgramPath()).filename().string(), ProgramPath());
    EXPECT_TRUE(IsDirectoryAt(directory));
}

TEST(FileExists, IsTrueForRegularFilesOnly) {
    TempDir dir;
    WriteBytes(dir / "file.txt", "x");
    EXPECT_TRUE(FileExists(dir / "file.txt"));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir / "missing.txt"));
    EXPECT_FALSE(FileExists(""));
}
