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
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
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

// Lines end at LF; a CR before the LF belongs to the line end. The last line may have none.
std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t newline = content.find('\n', start);
        if (newline == std::string_view::npos) {
            lines.push_back(Classify(content, start, content.size(), content.size()));
            break;
        }
        const std::size_t textEnd =
            (newline > start && content[newline - 1] == '\r') ? newline - 1 : newline;
        lines.push_back(Classify(content, start, textEnd, newline + 1));
        start = newline + 1;
    }
    return lines;
}

std::string LineEndOf(std::string_view content) {
    const std::size_t newline = content.find('\n');
    if (newline == std::string_view::npos) {
        return kNewFileLineEnd;
    }
    return (newline > 0 && content[newline - 1] == '\r') ? "\r\n" : "\n";
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
        if (valueStart == line.textEnd) {
            valueStart = line.equals + 1;  // no old value: do not keep trailing blanks
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

bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    if (!IsValidEntry(Trim(section), Trim(key), value)) {
        return false;
    }
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
    std::string updated = IniSetValue(content, section, key, value);
    if (exists && updated == content) {
        return true;  // the entry holds that value already
    }
    return ReplaceFileAtomically(path, updated);
}

std::optional<std::string> ReadIniString(const std::string& path, const std::string& section,
                                         const std::string& key) {
    const std::optional<std::string> content = ReadFileBytes(path);
    if (!content) {
        return std::nullopt;
    }
    return IniGetValue(*content, section, key);
}
