#pragma once
// A temporary folder for one test, removed with everything in it when the test ends.
// Paths are native: "/tmp/vormatic-unit-x/name" on POSIX, "C:\...\vormatic-unit-x\name" on
// Windows.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/unit/TestPlatform.h"

class TempDir {
public:
    TempDir() : path_(testplatform::MakeTempFolder()) {}
    ~TempDir() {
        std::error_code ignored;
        // Read-only files left by a test must not stop the clean-up.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::string& path() const { return path_; }
    // `name` inside the folder, joined with the platform's separator.
    std::string operator/(const std::string& name) const {
        return path_ + static_cast<char>(std::filesystem::path::preferred_separator) + name;
    }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool IsDirectoryAt(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored);
}
