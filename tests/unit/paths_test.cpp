#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "host/Paths.h"
#include "tests/unit/TempDir.h"

namespace {

// Sets or unsets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string CommonAppDataWith(const char* configDirs) {
    ScopedEnv env("XDG_CONFIG_DIRS", configDirs);
    return CommonAppDataPath();
}

}  // namespace

TEST(CommonAppDataPath, IsTheFirstXdgConfigDirectory) {
    EXPECT_EQ(CommonAppDataWith("/opt/shared/xdg:/etc/xdg"), "/opt/shared/xdg");
    EXPECT_EQ(CommonAppDataWith("/srv/conf"), "/srv/conf");
}

TEST(CommonAppDataPath, DefaultsToEtcXdgWhenUnsetOrEmpty) {
    EXPECT_EQ(CommonAppDataWith(nullptr), "/etc/xdg");
    EXPECT_EQ(CommonAppDataWith(""), "/etc/xdg");
    EXPECT_EQ(CommonAppDataWith(":"), "/etc/xdg");
}

TEST(CommonAppDataPath, HasNoTrailingSeparator) {
    EXPECT_EQ(CommonAppDataWith("/srv/conf/:/etc/xdg"), "/srv/conf");
    EXPECT_EQ(CommonAppDataWith("/srv/conf//"), "/srv/conf");
    EXPECT_EQ(CommonAppDataWith("/"), "/");
}

TEST(CommonAppDataPath, SkipsEmptyAndRelativeEntries) {
    EXPECT_EQ(CommonAppDataWith(":/srv/conf"), "/srv/conf");
    EXPECT_EQ(CommonAppDataWith("relative/dir:/srv/conf"), "/srv/conf");
    EXPECT_EQ(CommonAppDataWith("relative/dir"), "/etc/xdg");
}

TEST(EnsureFileDirectory, CreatesEveryMissingFolderButNotTheFile) {
    TempDir dir;
    const std::string file = dir / "Quorvanta/VormaticCL/config.ini";
    EnsureFileDirectory(file);
    EXPECT_TRUE(IsDirectoryAt(dir / "Quorvanta"));
    EXPECT_TRUE(IsDirectoryAt(dir / "Quorvanta/VormaticCL"));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(IsDirectoryAt(file));
}

TEST(EnsureFileDirectory, ToleratesExistingFoldersAndKeepsTheirContent) {
    TempDir dir;
    EnsureFileDirectory(dir / "a/b/c.txt");
    WriteBytes(dir / "a/b/keep.txt", "kept");
    EnsureFileDirectory(dir / "a/b/c.txt");
    EnsureFileDirectory(dir / "a/b/d/e/f.txt");
    EXPECT_EQ(ReadBytes(dir / "a/b/keep.txt"), "kept");
    EXPECT_TRUE(IsDirectoryAt(dir / "a/b/d/e"));
}

TEST(EnsureFileDirectory, APathEndingInASeparatorIsAllFolder) {
    TempDir dir;
    EnsureFileDirectory(dir / "x/y/");
    EXPECT_TRUE(IsDirectoryAt(dir / "x/y"));
}

TEST(EnsureFileDirectory, DoubledSeparatorsAreHarmless) {
    TempDir dir;
    EnsureFileDirectory(dir.path() + "//p//q/file.ini");
    EXPECT_TRUE(IsDirectoryAt(dir / "p/q"));
}

TEST(EnsureFileDirectory, FailsSilentlyWhenAFileBlocksThePath) {
    TempDir dir;
    WriteBytes(dir / "blocker", "not a folder");
    EnsureFileDirectory(dir / "blocker/sub/config.ini");
    EXPECT_EQ(ReadBytes(dir / "blocker"), "not a folder");
    EXPECT_FALSE(IsDirectoryAt(dir / "blocker/sub"));
}

TEST(ProgramPath, NamesThisTestProgram) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "paths_test");
}

TEST(ProgramDirectory, IsTheProgramsFolderWithATrailingSeparator) {
    const std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_EQ(directory + "paths_test", ProgramPath());
    EXPECT_TRUE(IsDirectoryAt(directory));
    EXPECT_STREQ(PathSeparator(), "/");
}

TEST(NativePath, TurnsBackslashesIntoSlashes) {
    EXPECT_EQ(NativePath("setup\\producer\\RX200\\VormaticProducer.exe"),
              "setup/producer/RX200/VormaticProducer.exe");
    EXPECT_EQ(NativePath("/etc/xdg\\Quorvanta\\VormaticCL\\config.ini"),
              "/etc/xdg/Quorvanta/VormaticCL/config.ini");
    EXPECT_EQ(NativePath("already/native"), "already/native");
}

TEST(FileExists, IsTrueForRegularFilesOnly) {
    TempDir dir;
    WriteBytes(dir / "file.txt", "x");
    ASSERT_EQ(::symlink((dir / "file.txt").c_str(), (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "gone.txt").c_str(), (dir / "dangling.txt").c_str()), 0);
    EXPECT_TRUE(FileExists(dir / "file.txt"));
    EXPECT_TRUE(FileExists(dir / "link.txt"));
    EXPECT_FALSE(FileExists(dir / "dangling.txt"));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir / "missing.txt"));
    EXPECT_FALSE(FileExists(""));
}
