// The INI updater edits the file's text in place: it finds the line to change or the place
// to add one and copies every other byte unchanged, so comments, unknown lines, blank lines
// and each line's own line end survive.
#include "host/IniFile.h"

#include <string_view>
#include <vector>

#include "host/FileIo.h"
#include "host/Text.h"

namespace {

// Line end for lines added to a file that has none yet. The file is a Windows INI file read
// by a Windows program, so CR LF is used on every platform; a file that has line ends
// already gets its own kind.
const char kNewFileLineEnd[] = "\r\n";

bool IsBlank(char c) {
    return kIniBlanks.find(c) != std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
    return TrimBlanks(text, kIniBlanks);
}

enum class LineKind { Blank, Comment, Section, Entry, Other };

struct Line {
    std::size_t begin = 0;
    std::size_t textEnd = 0;  // where the line end ("\n" or "\r\n") starts
    std::size_t end = 0;      // just after the line end
    LineKind kind = LineKind::Other;
    std::string_view name;   // section name or key, trimmed
    std::size_t equals = 0;  // offset of the first '=' of an entry line
};

Line Classify(std::string_view content, std::size_t begin, std::size_t textEnd, std::size_t end) {
    Line line{begin, textEnd, end, LineKind::Other, {}, 0};
    const std::string_view raw = content.substr(begin, textEnd - begin);
    const std::string_view text = Trim(raw);
    if (text.empty()) {
        line.kind = LineKind::Blank;
    } else if (text.front() == ';' || text.front() == '#') {
        line.kind = LineKind::Comment;
    } else if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = Trim(text.substr(1, close - 1));
        }
    } else if (const std::size_t equals = raw.find('='); equals != std::string_view::npos) {
        line.kind = LineKind::Entry;
        line.name = Trim(raw.substr(0, equals));
        line.equals = begin + equals;
    }
    return line;
}

// Lines end at CR LF, LF or a lone CR (as old Macintosh editors end them). The last line may
// have none.
std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t lineEnd = content.find_first_of("\r\n", start);
        if (lineEnd == std::string_view::npos) {
            lines.push_back(Classify(content, start, content.size(), content.size()));
            break;
        }
        const bool crLf = content[lineEnd] == '\r' && lineEnd + 1 < content.size() &&
                          content[lineEnd + 1] == '\n';
        const std::size_t next = lineEnd + (crLf ? 2 : 1);
        lines.push_back(Classify(content, start, lineEnd, next));
        start = next;
    }
    return lines;
}

std::string LineEndOf(std::string_view content) {
    const std::size_t lineEnd = content.find_first_of("\r\n");
    if (lineEnd == std::string_view::npos) {
        return kNewFileLineEnd;
    }
    if (content[lineEnd] == '\n') {
        return "\n";
    }
    return (lineEnd + 1 < content.size() && content[lineEnd + 1] == '\n') ? "\r\n" : "\r";
}

bool HasAny(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

// Names and values that the file could not hold as one entry line are refused: a line break
// or NUL would cut the line (or make new ones), ']' would end a section name early, '=' would
// end a key early, and a key starting with ';', '#' or '[' would read back as something else.
bool IsValidEntry(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view breaks("\0\r\n", 3);
    return !section.empty() && !key.empty() && !HasAny(section, breaks) && !HasAny(key, breaks) &&
           !HasAny(value, breaks) && !HasAny(section, "]") && !HasAny(key, "=") &&
           !HasAny(key.substr(0, 1), ";#[");
}

struct Found {
    std::ptrdiff_t section = -1;  // index of the section line
    std::ptrdiff_t entry = -1;    // index of the entry line
    std::size_t sectionEnd = 0;   // index just past the section's last line
};

// The first section of that name and, inside it, the first entry of that key.
Found Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Found found;
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section &&
            SameTextIgnoringCase(std::string(lines[i].name), std::string(section))) {
            found.section = static_cast<std::ptrdiff_t>(i);
            break;
        }
    }
    if (found.section < 0) {
        return found;
    }
    for (++i; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
        if (found.entry < 0 && lines[i].kind == LineKind::Entry &&
            SameTextIgnoringCase(std::string(lines[i].name), std::string(key))) {
            found.entry = static_cast<std::ptrdiff_t>(i);
        }
    }
    found.sectionEnd = i;
    return found;
}

enum class Encoding { Bytes, Utf8Bom, Utf16Le, Utf16Be };

struct DecodedFile {
    Encoding encoding = Encoding::Bytes;
    std::string text;  // 8-bit text as it stands, or the Unicode file's text as UTF-8
};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 text (without its byte order mark) as UTF-8; nullopt for a cut or unpaired unit.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 2 >= bytes.size()) {
                return std::nullopt;
            }
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::optional<std::string> Utf8ToUtf16(std::string_view text, bool bigEndian) {
    const std::optional<std::u32string> points = DecodeUtf8(text);
    if (!points) {
        return std::nullopt;
    }
    std::string out;
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (const char32_t c : *points) {
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

// The file's text by its byte order mark. An 8-bit file holds no NUL: one that does is UTF-16
// without a mark or no text at all, and cannot be updated faithfully (nullopt).
std::optional<DecodedFile> DecodeFile(std::string_view bytes) {
    const std::string_view mark = bytes.substr(0, 2);
    if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
        const bool bigEndian = mark == "\xFE\xFF";
        std::optional<std::string> text = Utf16ToUtf8(bytes.substr(2), bigEndian);
        if (!text) {
            return std::nullopt;
        }
        return DecodedFile{bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le, std::move(*text)};
    }
    if (bytes.substr(0, 3) == kUtf8Bom) {
        return DecodedFile{Encoding::Utf8Bom, std::string(bytes.substr(3))};
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return DecodedFile{Encoding::Bytes, std::string(bytes)};
}

std::optional<std::string> EncodeFile(Encoding encoding, const std::string& text) {
    switch (encoding) {
        case Encoding::Bytes:
            return text;
        case Encoding::Utf8Bom:
            return std::string(kUtf8Bom) + text;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            const bool bigEndian = encoding == Encoding::Utf16Be;
            std::optional<std::string> units = Utf8ToUtf16(text, bigEndian);
            if (!units) {
                return std::nullopt;
            }
            return (bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) + *units;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string IniSetValue(const std::string& content, const std::string& section,
                        const std::string& key, const std::string& value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (!IsValidEntry(sectionName, keyName, value)) {
        return content;
    }
    const std::string_view text(content);
    const std::vector<Line> lines = SplitLines(text);
    const std::string lineEnd = LineEndOf(text);
    const Found found = Find(lines, sectionName, keyName);
    const std::string entryLine = std::string(keyName) + "=" + value + lineEnd;

    if (found.entry >= 0) {
        // Keep the key as spelled, the blanks around '=' and the line end; replace the value.
        const Line& line = lines[static_cast<std::size_t>(found.entry)];
        std::size_t valueStart = line.equals + 1;
        while (valueStart < line.textEnd && IsBlank(text[valueStart])) {
            ++valueStart;
        }
        // The blanks after '=' stay only before a value that starts with none: without an old
        // value they are trailing blanks, a value that brings blanks of its own would gain
        // them again at each write, and an empty value would keep or lose them by turns.
        if (valueStart == line.textEnd || value.empty() || IsBlank(value.front())) {
            valueStart = line.equals + 1;
        }
        std::string result(text.substr(0, valueStart));
        result += value;
        result += text.substr(line.textEnd);
        return result;
    }

    if (found.section >= 0) {
        // A new key goes after the section's last non-blank line, so that blank lines that
        // separate it from the next section stay where they are.
        auto last = static_cast<std::size_t>(found.section);
        for (std::size_t i = last + 1; i < found.sectionEnd; ++i) {
            if (lines[i].kind != LineKind::Blank) {
                last = i;
            }
        }
        const Line& line = lines[last];
        std::string result(text.substr(0, line.end));
        if (line.end == line.textEnd) {
            result += lineEnd;  // the file's last line had no line end
        }
        result += entryLine;
        result += text.substr(line.end);
        return result;
    }

    // A new section goes at the end, after a blank line that separates it from the rest.
    std::string result = content;
    if (!lines.empty()) {
        if (lines.back().end == lines.back().textEnd) {
            result += lineEnd;
        }
        if (lines.back().kind != LineKind::Blank) {
            result += lineEnd;
        }
    }
    result += "[" + std::string(sectionName) + "]" + lineEnd;
    result += entryLine;
    return result;
}

std::optional<std::string> IniGetValue(const std::string& content, const std::string& section,
                                       const std::string& key) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (!IsValidEntry(sectionName, keyName, {})) {
        return std::nullopt;
    }
    const std::string_view text(content);
    const std::vector<Line> lines = SplitLines(text);
    const Found found = Find(lines, sectionName, keyName);
    if (found.entry < 0) {
        return std::nullopt;
    }
    const Line& line = lines[static_cast<std::size_t>(found.entry)];
    return std::string(Trim(text.substr(line.equals + 1, line.textEnd - line.equals - 1)));
}

std::optional<std::string> IniUpdateFileBytes(const std::string& fileBytes,
                                              const std::string& section, const std::string& key,
                                              const std::string& value) {
    if (!IsValidEntry(Trim(section), Trim(key), value)) {
        return std::nullopt;
    }
    const std::optional<DecodedFile> file = DecodeFile(fileBytes);
    if (!file) {
        return std::nullopt;
    }
    // A Unicode file holds the entry as UTF-8 text; other 8-bit text would corrupt it.
    if (file->encoding != Encoding::Bytes &&
        !(IsValidUtf8(section) && IsValidUtf8(key) && IsValidUtf8(value))) {
        return std::nullopt;
    }
    const std::string updated = IniSetValue(file->text, section, key, value);
    // What a reader of the file will see (values are read trimmed) must be the new value.
    if (IniGetValue(updated, section, key) != std::string(Trim(value))) {
        return std::nullopt;
    }
    return EncodeFile(file->encoding, updated);
}

std::optional<std::string> IniReadFileBytes(const std::string& fileBytes,
                                            const std::string& section, const std::string& key) {
    const std::optional<DecodedFile> file = DecodeFile(fileBytes);
    return IniGetValue(file ? file->text : fileBytes, section, key);
}

bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    if (!IsValidEntry(Trim(section), Trim(key), value)) {
        return false;
    }
    // Another writer's read-modify-replace must not run between our read and our replace.
    const FileUpdateLock lock(path);
    std::string content;
    bool exists = false;
    switch (QueryFileWriteState(path)) {
        case FileWriteState::Missing:
            break;
        case FileWriteState::Writable: {
            std::optional<std::string> read = ReadFileBytes(path);
            if (!read) {
                return false;  // rewriting a file we could not read would lose its content
            }
            content = std::move(*read);
            exists = true;
            break;
        }
        case FileWriteState::ReadOnly:
        case FileWriteState::Unusable:
            return false;
    }
    const std::optional<std::string> updated = IniUpdateFileBytes(content, section, key, value);
    if (!updated) {
        return false;
    }
    if (exists && *updated == content) {
        return true;  // the entry holds that value already
    }
    return exists ? ReplaceFileContent(path, *updated) : ReplaceFileAtomically(path, *updated);
}

std::optional<std::string> ReadIniString(const std::string& path, const std::string& section,
                                         const std::string& key) {
    const std::optional<std::string> content = ReadFileBytes(path);
    if (!content) {
        return std::nullopt;
    }
    return IniReadFileBytes(*content, section, key);
}
