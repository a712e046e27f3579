#include "host/RegHive.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace reg {
namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasLineBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
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

bool StartsWithIgnoringCase(const std::string& text, std::size_t pos, const char* prefix) {
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
std::uint32_t ParseHexNumber(const std::string& digits, const char* what) {
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
std::string ParseQuoted(const std::string& text, std::size_t& pos) {
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

std::vector<std::uint8_t> ParseHexBytes(const std::string& data) {
    std::vector<std::uint8_t> bytes;
    if (Trim(data).empty()) {
        return bytes;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = data.find(',', start);
        const std::string piece = Trim(
            data.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (piece.empty() || piece.size() > 2) {
            throw LineError{"bad byte \"" + piece + "\" in hex data"};
        }
        bytes.push_back(static_cast<std::uint8_t>(ParseHexNumber(piece, "byte in hex data")));
        if (comma == std::string::npos) {
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
    explicit Parser(const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines_.push_back(std::move(line));
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
        while (next_ < lines_.size()) {
            lineNumber_ = next_ + 1;
            const std::string line = Trim(lines_[next_++]);
            if (line.empty() || line[0] == ';') {
                continue;
            }
            if (line[0] == '[') {
                key = &StartKey(hive, line);
            } else if (key == nullptr) {
                throw LineError{"a value before the first key"};
            } else {
                key->SetValue(ParseValue(line));
            }
        }
        return hive;
    }

    std::size_t LineNumber() const { return lineNumber_; }

private:
    static RegKey& StartKey(Hive& hive, const std::string& line) {
        if (line.back() != ']') {
            throw LineError{"a key line without its closing bracket"};
        }
        const std::string path = line.substr(1, line.size() - 2);
        if (!path.empty() && path[0] == '-') {
            throw LineError{"a key deletion, which a stored hive cannot hold"};
        }
        if (NormalizeKeyPath(path).empty()) {
            throw LineError{"an empty key name"};
        }
        return hive.EnsureKey(path);
    }

    RegValue ParseValue(const std::string& line) {
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
        const std::string data = Trim(line.substr(pos + 1));
        RegValue value = ParseData(data);
        value.name = std::move(name);
        return value;
    }

    RegValue ParseData(const std::string& data) {
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
            value.dword = ParseHexNumber(Trim(data.substr(6)), "dword number");
            return value;
        }
        if (StartsWithIgnoringCase(data, 0, "hex")) {
            return ParseHex(data);
        }
        if (data == "-") {
            throw LineError{"a value deletion, which a stored hive cannot hold"};
        }
        throw LineError{"value data that is neither quoted text, dword: nor hex:"};
    }

    // hex:01,02 or hex(N):01,02, possibly continued over the following lines by a trailing
    // backslash.
    RegValue ParseHex(const std::string& data) {
        std::size_t pos = 3;
        std::uint32_t type = kTypeBinary;
        if (pos < data.size() && data[pos] == '(') {
            const std::size_t close = data.find(')', pos);
            if (close == std::string::npos) {
                throw LineError{"hex( without its closing bracket"};
            }
            type = ParseHexNumber(data.substr(pos + 1, close - pos - 1), "type in hex(..)");
            pos = close + 1;
        }
        if (pos >= data.size() || data[pos] != ':') {
            throw LineError{"hex data without \":\""};
        }
        std::string bytes = Trim(data.substr(pos + 1));
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

    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    std::size_t lineNumber_ = 0;
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

void AppendValue(std::string& out, const RegValue& value) {
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
    values.erase(it);
    return true;
}

const RegKey* Hive::FindKey(const std::string& path) const {
    const std::string wanted = NormalizeKeyPath(path);
    for (const RegKey& key : keys_) {
        if (SameName(key.path, wanted)) {
            return &key;
        }
    }
    return nullptr;
}

RegKey* Hive::FindKey(const std::string& path) {
    return const_cast<RegKey*>(std::as_const(*this).FindKey(path));
}

bool Hive::KeyExists(const std::string& path) const {
    const std::string wanted = NormalizeKeyPath(path);
    if (wanted.empty()) {
        return false;
    }
    const std::string prefix = wanted + '\\';
    for (const RegKey& key : keys_) {
        if (SameName(key.path, wanted) || (key.path.size() > prefix.size() &&
                                           SameName(key.path.substr(0, prefix.size()), prefix))) {
            return true;
        }
    }
    return false;
}

RegKey& Hive::EnsureKey(const std::string& path) {
    const std::string normalized = NormalizeKeyPath(path);
    if (normalized.empty() || HasLineBreakOrNul(normalized)) {
        throw RegistryError("A registry key name cannot be empty or hold a line break.");
    }
    if (RegKey* key = FindKey(normalized)) {
        return *key;
    }
    keys_.push_back(RegKey{normalized, {}});
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
    std::string out = "REGEDIT4\r\n\r\n";
    for (const RegKey& key : hive.Keys()) {
        out += '[' + key.path + "]\r\n";
        for (const RegValue& value : key.values) {
            AppendValue(out, value);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace reg
