#pragma once
// Property checks of the fuzz targets: a broken property prints what broke and aborts, which
// libFuzzer reports as a crash and saves the input for.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_REQUIRE(condition, what)                                                         \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n  %s\n", #condition, __FILE__, \
                         __LINE__, std::string(what).c_str());                                \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

// Printable form of bytes for the messages above.
inline std::string Shown(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}
