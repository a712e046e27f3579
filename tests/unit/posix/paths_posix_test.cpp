// The POSIX forms of the path helpers: the XDG folder for all users' data, slashes for the
// CD layout's backslashes, and symbolic links.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "host/Paths.h"
#include "tests/unit/TempDir.h"

namespace {

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

TEST(NativePath, TurnsBackslashesIntoSlashes) {
    EXPECT_EQ(NativePath("setup\\producer\\RX200\\VormaticProducer.exe"),
              "setup/producer/RX200/VormaticProducer.exe");
    EXPECT_EQ(NativePath("/etc/xdg\\Quorvanta\\VormaticCL\\config.ini"),
              "/etc/xdg/Quorvanta/VormaticCL/config.ini");
    EXPECT_EQ(NativePath("already/native"), "already/native");
    EXPECT_STREQ(PathSeparator(), "/");
}

TEST(FileExists, FollowsSymbolicLinks) {
    TempDir dir;
    WriteBytes(dir / "file.txt", "x");
    ASSERT_EQ(::symlink((dir / "file.txt").c_str(), (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "gone.txt").c_str(), (dir / "dangling.txt").c_str()), 0);
    EXPECT_TRUE(FileExists(dir / "link.txt"));
    EXPECT_FALSE(FileExists(dir / "dangling.txt"));
}
