#pragma once
// Small text helpers shared by the host services and the pages.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Returns the part of `text` before the first `separator` and leaves in `text` what
// follows it; without a separator the whole text is returned and `text` becomes empty.
std::string SplitToken(std::string& text, const std::string& separator);

// The items of a list separated by `separator` ("a:b::c" gives a, b, c); empty items are
// left out, as a search path's are.
std::vector<std::string> SplitList(const std::string& text, char separator);

// `text` without the characters of `blanks` at its start and end. The stored formats differ
// in what they take for a blank, so each names its own set.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks);

// Case-insensitive comparison of two 8-bit texts (ASCII letters only fold).
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// The code points of strict UTF-8 (no overlong forms, no surrogates); nullopt when invalid.
std::optional<std::u32string> DecodeUtf8(std::string_view text);
bool IsValidUtf8(std::string_view text);
