// The branding store on POSIX: a file that exists but cannot be read.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "host/BrandingStore.h"
#include "host/Paths.h"
#include "tests/unit/TempDir.h"

TEST(BrandingFile, AnUnreadableFileKeepsTheDefaultsAndIsNotPrivateLabel) {
    TempDir dir;
    // /proc/self/mem is a regular file that exists but fails on the first read.
    ASSERT_EQ(::symlink("/proc/self/mem", (dir / "plstrings.txt").c_str()), 0);
    ASSERT_TRUE(FileExists(dir / "plstrings.txt"));
    const BrandingStore store(dir.path() + "/");
    EXPECT_EQ(store.GetString("CompanyNameShort"), "Quorvanta");
    EXPECT_EQ(store.GetString("SingleMagazinePrinterModel"), "MZ4-A2");
    EXPECT_FALSE(store.IsPrivateLabel());
}
