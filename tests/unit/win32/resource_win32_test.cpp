// The wizard's Windows resources, linked into this program as into the wizard: the version
// information agrees with the version the program shows, the manifest asks for no elevation,
// and the icon loads.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/Paths.h"
#include "host/Version.h"

namespace {

// The version block of this program's file.
std::vector<char> VersionBlock() {
    const std::string self = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(self.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !::GetFileVersionInfoA(self.c_str(), 0, size, block.data())) {
        block.clear();
    }
    return block;
}

std::string StringValue(std::vector<char>& block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) {
        return "<missing>";
    }
    return std::string(static_cast<const char*>(value));
}

// "a.b.c.d" of the two halves of a VS_FIXEDFILEINFO version.
std::string Dotted(DWORD high, DWORD low) {
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(high)),
                  static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
                  static_cast<unsigned long>(LOWORD(low)));
    return text;
}

}  // namespace

TEST(VersionResource, AgreesWithTheVersionTheProgramShows) {
    std::vector<char> block = VersionBlock();
    ASSERT_FALSE(block.empty());
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", &fixed, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(Dotted(info->dwFileVersionMS, info->dwFileVersionLS), kFileVersion);
    EXPECT_EQ(Dotted(info->dwProductVersionMS, info->dwProductVersionLS),
              std::string(kProductVersion) + ".0.0");
    EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_APP));

    const struct {
        const char* name;
        std::string value;
    } strings[] = {
        {"FileVersion", kFileVersion},
        {"ProductVersion", kProductVersion},
        {"OriginalFilename", "vormatic-installer.exe"},
    };
    for (const auto& entry : strings) {
        EXPECT_EQ(StringValue(block, entry.name), entry.value) << entry.name;
    }
}

TEST(Manifest, AsksForNoElevation) {
    const HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const HGLOBAL loaded = ::LoadResource(nullptr, found);
    ASSERT_NE(loaded, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(loaded)),
                               ::SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find(std::string("version=\"") + kFileVersion + "\""), std::string::npos)
        << manifest;
}

TEST(ProgramIcon, LoadsInTheSizesTheShellAsksFor) {
    for (const int size : {16, 32, 48}) {
        const HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1),
                                         IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon != nullptr) {
            ::DestroyIcon(static_cast<HICON>(icon));
        }
    }
}
