#include "host/RegHive.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>

#include "host/Text.h"

namespace reg {
namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string text) {
    for (char& c : text) {
        c = FoldCase(c);
    }
    return text;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The blanks around a hive's names and data: spaces and tabs, nothing else.
constexpr std::string_view kHiveBlanks = " \t";

bool IsBlank(char c) {
    return kHiveBlanks.find(c) != std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
    return TrimBlanks(text, kHiveBlanks);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = FoldCase(c);
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

bool StartsWithIgnoringCase(std::string_view text, std::size_t pos, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (pos + i >= text.size() || FoldCase(text[pos + i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Reading errors carry the file and the line; the parser throws this and ParseHive adds both.
struct LineError {
    std::string problem;
};

// Parses the hex digits in `digits` (1 to 8 of them) as a 32-bit number.
std::uint32_t ParseHexNumber(std::string_view digits, const char* what) {
    if (digits.empty() || digits.size() > 8) {
        throw LineError{std::string("bad ") + what};
    }
    std::uint32_t number = 0;
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            throw LineError{std::string("bad ") + what};
        }
        number = number * 16U + static_cast<std::uint32_t>(digit);
    }
    return number;
}

// Reads a quoted text starting at text[pos] == '"'; only \\ and \" are escapes. Leaves
// `pos` just behind the closing quote.
std::string ParseQuoted(std::string_view text, std::size_t& pos) {
    std::string result;
    ++pos;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"') {
            return result;
        }
        if (c == '\\') {
            if (pos >= text.size() || (text[pos] != '\\' && text[pos] != '"')) {
                throw LineError{"unknown escape in quoted text (only \\\\ and \\\" are allowed)"};
            }
            result += text[pos++];
        } else {
            result += c;
        }
    }
    throw LineError{"quoted text without its closing quote"};
}

std::vector<std::uint8_t> ParseHexBytes(std::string_view data) {
    std::vector<std::uint8_t> bytes;
    if (Trim(data).empty()) {
        return bytes;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = data.find(',', start);
        const std::string_view piece = Trim(data.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (piece.empty() || piece.size() > 2) {
            throw LineError{"bad byte \"" + std::string(piece) + "\" in hex data"};
        }
        bytes.push_back(static_cast<std::uint8_t>(ParseHexNumber(piece, "byte in hex data")));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        start = comma + 1;
    }
}

RegValue ValueFromHex(std::uint32_t type, std::vector<std::uint8_t> bytes) {
    RegValue value;
    if (type == kTypeString || type == kTypeExpandString) {
        value.kind = type == kTypeString ? ValueKind::String : ValueKind::ExpandString;
        if (!bytes.empty() && bytes.back() == 0) {
            bytes.pop_back();
        }
        value.text.assign(bytes.begin(), bytes.end());
    } else {
        value.kind = ValueKind::Binary;
        value.binaryType = type;
        value.bytes = std::move(bytes);
    }
    return value;
}

class Parser {
public:
    explicit Parser(const std::string& text)
        : lastLineUnended_(text.empty() || text.back() != '\n') {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            std::string_view line = std::string_view(text).substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            lines_.push_back(line);
            start = end + 1;
        }
    }

    Hive Run() {
        Hive hive;
        while (next_ < lines_.size() && Trim(lines_[next_]).empty()) {
            ++next_;
        }
        if (next_ == lines_.size()) {
            return hive;
        }
        lineNumber_ = next_ + 1;
        if (Trim(lines_[next_++]) != "REGEDIT4") {
            throw LineError{"the first line is not REGEDIT4"};
        }
        RegKey* key = nullptr;
        // Comment lines wait for what follows them: a value, or else they close their key
        // (or, before any key, the header).
        std::vector<std::string> comments;
        const auto placeComments = [&] {
            std::vector<std::string>& home =
                key != nullptr ? key->trailingComments : hive.headerComments;
            home.insert(home.end(), comments.begin(), comments.end());
            comments.clear();
        };
        while (next_ < lines_.size()) {
            lineNumber_ = next_ + 1;
            const std::string_view line = Trim(lines_[next_++]);
            if (line.empty()) {
                continue;
            }
            if (line[0] == ';') {
                comments.emplace_back(line);
            } else if (line[0] == '[') {
                placeComments();
                key = &StartKey(hive, line);
            } else if (key == nullptr) {
                throw LineError{"a value before the first key"};
            } else {
                RegValue value = ParseValue(line);
                value.comments = std::move(comments);
                comments.clear();
                key->SetValue(std::move(value));
            }
        }
        placeComments();
        return hive;
    }

    std::size_t LineNumber() const { return lineNumber_; }

private:
    static RegKey& StartKey(Hive& hive, std::string_view line) {
        if (line.back() != ']') {
            throw LineError{"a key line without its closing bracket"};
        }
        // The name as it will be written: "[\\-K]" is stored as "[-K]", a deletion.
        const std::string path = NormalizeKeyPath(std::string(line.substr(1, line.size() - 2)));
        if (!path.empty() && path[0] == '-') {
            throw LineError{"a key deletion, which a stored hive cannot hold"};
        }
        if (path.empty()) {
            throw LineError{"an empty key name"};
        }
        return hive.EnsureKey(path);
    }

    RegValue ParseValue(std::string_view line) {
        std::size_t pos = 0;
        std::string name;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            name = ParseQuoted(line, pos);
        } else {
            throw LineError{"neither a key in brackets nor a value"};
        }
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        if (pos >= line.size() || line[pos] != '=') {
            throw LineError{"a value name without \"=\""};
        }
        const std::string_view data = Trim(line.substr(pos + 1));
        RegValue value = ParseData(data);
        value.name = std::move(name);
        return value;
    }

    RegValue ParseData(std::string_view data) {
        if (!data.empty() && data[0] == '"') {
            std::size_t pos = 0;
            RegValue value = RegValue::String("", ParseQuoted(data, pos));
            if (!Trim(data.substr(pos)).empty()) {
                throw LineError{"text after the closing quote"};
            }
            return value;
        }
        if (StartsWithIgnoringCase(data, 0, "dword:")) {
            RegValue value;
            value.kind = ValueKind::Dword;
            const std::string_view digits = Trim(data.substr(6));
            value.dword = ParseHexNumber(digits, "dword number");
            if (digits.size() < 8 && OnUnendedLastLine()) {
                throw LineError{"a dword cut off at the end of the file"};
            }
            return value;
        }
        if (StartsWithIgnoringCase(data, 0, "hex")) {
            RegValue value = ParseHex(data);
            if (OnUnendedLastLine()) {
                throw LineError{"hex data cut off at the end of the file"};
            }
            return value;
        }
        if (data == "-") {
            throw LineError{"a value deletion, which a stored hive cannot hold"};
        }
        throw LineError{"value data that is neither quoted text, dword: nor hex:"};
    }

    // hex:01,02 or hex(N):01,02, possibly continued over the following lines by a trailing
    // backslash.
    RegValue ParseHex(std::string_view data) {
        std::size_t pos = 3;
        std::uint32_t type = kTypeBinary;
        if (pos < data.size() && data[pos] == '(') {
            const std::size_t close = data.find(')', pos);
            if (close == std::string_view::npos) {
                throw LineError{"hex( without its closing bracket"};
            }
            type = ParseHexNumber(data.substr(pos + 1, close - pos - 1), "type in hex(..)");
            pos = close + 1;
        }
        if (pos >= data.size() || data[pos] != ':') {
            throw LineError{"hex data without \":\""};
        }
        std::string bytes(Trim(data.substr(pos + 1)));
        while (!bytes.empty() && bytes.back() == '\\') {
            bytes.pop_back();
            if (next_ >= lines_.size()) {
                throw LineError{"a continued hex line at the end of the file"};
            }
            lineNumber_ = next_ + 1;
            bytes += Trim(lines_[next_++]);
        }
        return ValueFromHex(type, ParseHexBytes(bytes));
    }

    // True while the line just read is the file's last one and no line end follows it: a
    // file cut off there may have lost the rest of that line.
    bool OnUnendedLastLine() const { return lastLineUnended_ && next_ == lines_.size(); }

    std::vector<std::string_view> lines_;  // into the text, which outlives the parser
    std::size_t next_ = 0;
    std::size_t lineNumber_ = 0;
    bool lastLineUnended_;
};

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

// Bytes as regedit writes them: "xx,xx,..", a line kept under 80 columns by ",\" and a
// continuation line indented by two blanks.
void AppendHexBytes(std::string& out, std::size_t column, const std::vector<std::uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        if (column + 3 > 77 && i > 0) {
            out += "\\\r\n  ";
            column = 2;
        }
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0f];
        if (!last) {
            out += ',';
        }
        column += 3;
    }
}

void AppendComments(std::string& out, const std::vector<std::string>& comments) {
    for (const std::string& comment : comments) {
        out += comment;
        out += "\r\n";
    }
}

void AppendValue(std::string& out, const RegValue& value) {
    AppendComments(out, value.comments);
    const std::size_t lineStart = out.size();
    out += value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    if (value.kind == ValueKind::Dword) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.dword));
        out += "dword:";
        out += digits;
    } else if (value.kind == ValueKind::String && !HasLineBreakOrNul(value.text)) {
        out += Quote(value.text);
    } else {
        std::uint32_t type = value.binaryType;
        std::vector<std::uint8_t> bytes = value.bytes;
        if (value.IsString()) {
            type = value.kind == ValueKind::String ? kTypeString : kTypeExpandString;
            bytes.assign(value.text.begin(), value.text.end());
            bytes.push_back(0);
        }
        if (type == kTypeBinary) {
            out += "hex:";
        } else {
            char prefix[24];
            std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
            out += prefix;
        }
        AppendHexBytes(out, out.size() - lineStart, bytes);
    }
    out += "\r\n";
}

}  // namespace

RegValue RegValue::String(std::string valueName, std::string data) {
    RegValue value;
    value.name = std::move(valueName);
    value.kind = ValueKind::String;
    value.text = std::move(data);
    return value;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

std::string NormalizeKeyPath(const std::string& path) {
    std::string result;
    for (char c : path) {
        if (c == '\\' && (result.empty() || result.back() == '\\')) {
            continue;
        }
        result += c;
    }
    if (!result.empty() && result.back() == '\\') {
        result.pop_back();
    }
    return result;
}

const RegValue* RegKey::FindValue(const std::string& name) const {
    for (const RegValue& value : values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

RegValue* RegKey::FindValue(const std::string& name) {
    return const_cast<RegValue*>(std::as_const(*this).FindValue(name));
}

void RegKey::SetValue(RegValue value) {
    if (HasLineBreakOrNul(value.name)) {
        throw RegistryError("A registry value name cannot hold a line break.");
    }
    if (RegValue* existing = FindValue(value.name)) {
        value.name = existing->name;
        value.comments.insert(value.comments.begin(), existing->comments.begin(),
                              existing->comments.end());
        *existing = std::move(value);
    } else {
        values.push_back(std::move(value));
    }
}

bool RegKey::RemoveValue(const std::string& name) {
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const RegValue& value) { return SameName(value.name, name); });
    if (it == values.end()) {
        return false;
    }
    std::vector<std::string>& home =
        (it + 1 == values.end()) ? trailingComments : (it + 1)->comments;
    home.insert(home.begin(), it->comments.begin(), it->comments.end());
    values.erase(it);
    return true;
}

const RegKey* Hive::FindKey(const std::string& path) const {
    const auto found = index_.find(Folded(NormalizeKeyPath(path)));
    return found == index_.end() ? nullptr : &keys_[found->second];
}

RegKey* Hive::FindKey(const std::string& path) {
    return const_cast<RegKey*>(std::as_const(*this).FindKey(path));
}

bool Hive::KeyExists(const std::string& path) const {
    const std::string wanted = Folded(NormalizeKeyPath(path));
    return !wanted.empty() && (index_.count(wanted) != 0 || parents_.count(wanted) != 0);
}

RegKey& Hive::EnsureKey(const std::string& path) {
    const std::string normalized = NormalizeKeyPath(path);
    // A key line beginning with "-" would read back as a deletion.
    if (normalized.empty() || normalized[0] == '-' || HasLineBreakOrNul(normalized)) {
        throw RegistryError(
            "A registry key name cannot be empty, begin with \"-\" or hold a line break.");
    }
    const std::string folded = Folded(normalized);
    if (const auto found = index_.find(folded); found != index_.end()) {
        return keys_[found->second];
    }
    keys_.push_back(RegKey{normalized, {}, {}});
    index_.emplace(folded, keys_.size() - 1);
    // Longest ancestor first: once one is known, so are all of its own.
    for (std::size_t cut = folded.rfind('\\'); cut != std::string::npos && cut > 0;
         cut = folded.rfind('\\', cut - 1)) {
        if (!parents_.insert(folded.substr(0, cut)).second) {
            break;
        }
    }
    return keys_.back();
}

Hive ParseHive(const std::string& text, const std::string& sourceName) {
    Parser parser(text);
    try {
        return parser.Run();
    } catch (const LineError& error) {
        throw RegistryError("The registry file " + sourceName + " cannot be read: line " +
                            std::to_string(parser.LineNumber()) + ", " + error.problem + ".");
    } catch (const RegistryError& error) {
        throw RegistryError("The registry file " + sourceName + " cannot be read: line " +
                            std::to_string(parser.LineNumber()) + ", " + error.what());
    }
}

std::string SerializeHive(const Hive& hive) {
    std::string out = "REGEDIT4\r\n";
    AppendComments(out, hive.headerComments);
    out += "\r\n";
    for (const RegKey& key : hive.Keys()) {
        out += '[' + key.path + "]\r\n";
        for (const RegValue& value : key.values) {
            AppendValue(out, value);
        }
        AppendComments(out, key.trailingComments);
        out += "\r\n";
    }
    return out;
}

}  // namespace reg
