#include "platform/posix/reg_file.hpp"

#include <cerrno>
#include <cstdint>

#include "platform/unicode_text.hpp"

namespace zirok::platform::regfile {

namespace {

char16_t foldChar(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    // Cyrillic pairs: capital first, small second.
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return c % 2 ? static_cast<char16_t>(c - 1) : c;
    if (c >= 0x4C1 && c <= 0x4CE) return c % 2 ? c : static_cast<char16_t>(c - 1);
    if (c == 0x4CF) return 0x4C0;
    return c;
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// A hexadecimal number of 1 to `maxDigits` digits making up all of `text`.
std::optional<std::uint32_t> hexNumber(std::u16string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && fold(text.substr(0, prefix.size())) == prefix;
}

// A quoted text starting at text[pos] == '"'. Only \\ and \" are escapes; a
// backslash before anything else stands for itself. Leaves pos after the
// closing quote.
std::optional<std::u16string> quoted(std::u16string_view text, std::size_t& pos) {
    std::u16string out;
    for (++pos; pos < text.size(); ++pos) {
        char16_t c = text[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\' && pos + 1 < text.size() &&
            (text[pos + 1] == u'\\' || text[pos + 1] == u'"'))
            c = text[++pos];
        out += c;
    }
    return std::nullopt;
}

// Comma-separated bytes; a trailing comma is allowed.
std::optional<std::string> hexBytes(std::u16string_view text) {
    std::string bytes;
    text = trim(text);
    while (!text.empty()) {
        const std::size_t comma = text.find(u',');
        const std::u16string_view token = trim(text.substr(0, comma));
        const auto value = hexNumber(token, 2);
        if (!value) return std::nullopt;
        bytes += static_cast<char>(*value);
        if (comma == std::u16string_view::npos) break;
        text = trim(text.substr(comma + 1));
    }
    return bytes;
}

// The data after "Name"=: nothing when it is malformed. `remove` is set for "-".
std::optional<RegistryData> valueData(std::u16string_view text, bool& remove) {
    remove = false;
    if (text == u"-") {
        remove = true;
        return RegistryData{};
    }
    if (!text.empty() && text.front() == u'"') {
        std::size_t pos = 0;
        auto content = quoted(text, pos);
        if (!content || pos != text.size()) return std::nullopt;
        return stringData(*content);
    }
    if (startsWithNoCase(text, u"DWORD:")) {
        const auto value = hexNumber(text.substr(6), 8);
        if (!value) return std::nullopt;
        return integerData(*value);
    }
    if (startsWithNoCase(text, u"HEX")) {
        std::uint32_t type = kRegBinary;
        std::u16string_view rest = text.substr(3);
        if (!rest.empty() && rest.front() == u'(') {
            const std::size_t close = rest.find(u')');
            if (close == std::u16string_view::npos) return std::nullopt;
            const auto number = hexNumber(rest.substr(1, close - 1), 8);
            if (!number) return std::nullopt;
            type = *number;
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest.front() != u':') return std::nullopt;
        auto bytes = hexBytes(rest.substr(1));
        if (!bytes) return std::nullopt;
        return RegistryData{type, std::move(*bytes)};
    }
    return std::nullopt;
}

void appendEscaped(std::u16string& out, std::u16string_view text) {
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
}

void appendAscii(std::u16string& out, std::string_view text) {
    out.append(text.begin(), text.end());
}

// regedit's layout: lines of at most about 80 characters, continued with a
// backslash and indented by two spaces.
void appendHexBytes(std::u16string& out, std::size_t lineStart, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += static_cast<char16_t>(kDigits[b >> 4]);
        out += static_cast<char16_t>(kDigits[b & 0xF]);
        if (i + 1 == bytes.size()) break;
        out += u',';
        if (out.size() - lineStart > 76) {
            out += u"\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

std::string hexText(std::uint32_t value, int width) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
    return text;
}

// A string value that the quoted form carries back byte for byte.
std::optional<std::u16string> plainString(const RegistryData& data) {
    if (data.type != kRegSz || data.bytes.size() < 2 || data.bytes.size() % 2 != 0)
        return std::nullopt;
    std::u16string text = utf16LeToWide(data.bytes);
    if (text.back() != 0) return std::nullopt;
    text.pop_back();
    if (!validName(text)) return std::nullopt;
    return text;
}

void appendValue(std::u16string& out, const Value& value) {
    const std::size_t lineStart = out.size();
    if (value.name.empty()) {
        out += u'@';
    } else {
        out += u'"';
        appendEscaped(out, value.name);
        out += u'"';
    }
    out += u'=';
    const RegistryData& data = value.data;
    if (auto text = plainString(data)) {
        out += u'"';
        appendEscaped(out, *text);
        out += u'"';
    } else if (typeOf(data) == RegistryType::Integer) {
        const auto& b = data.bytes;
        const std::uint32_t number =
            static_cast<unsigned char>(b[0]) | static_cast<unsigned char>(b[1]) << 8 |
            static_cast<unsigned char>(b[2]) << 16 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(b[3])) << 24;
        appendAscii(out, "dword:" + hexText(number, 8));
    } else {
        appendAscii(out, data.type == kRegBinary ? "hex:" : "hex(" + hexText(data.type, 1) + "):");
        appendHexBytes(out, lineStart, data.bytes);
    }
    out += u'\n';
}

void appendSection(std::u16string& out, RegistryHive which, const Key& key) {
    out += u'[';
    appendAscii(out, hiveName(which));
    if (!key.path.empty()) {
        out += u'\\';
        out += key.path;
    }
    out += u"]\n";
    for (const Value& value : key.values) appendValue(out, value);
    out += u'\n';
}

bool isPrefixOf(std::u16string_view prefix, std::u16string_view text) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::u16string fold(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out) c = foldChar(c);
    return out;
}

bool PathLess::operator()(const std::u16string& a, const std::u16string& b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        if (a[i] == u'\\') return true;
        if (b[i] == u'\\') return false;
        return a[i] < b[i];
    }
    return a.size() < b.size();
}

std::optional<RegistryHive> hiveFromName(std::u16string_view name) {
    const std::u16string folded = fold(name);
    if (folded == u"HKEY_LOCAL_MACHINE" || folded == u"HKLM") return RegistryHive::LocalMachine;
    if (folded == u"HKEY_CURRENT_USER" || folded == u"HKCU") return RegistryHive::CurrentUser;
    return std::nullopt;
}

bool validName(std::u16string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == 0 || c == u'\r' || c == u'\n') return false;
        if (c >= 0xDC00 && c <= 0xDFFF) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

std::optional<std::u16string> normalisePath(std::u16string_view path) {
    if (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
    if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    if (path.empty()) return std::u16string();
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(u'\\', start);
        const std::u16string_view level = path.substr(start, end - start);
        if (level.empty() || !validName(level)) return std::nullopt;
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    return std::u16string(path);
}

Key* findKey(Hive& hive, std::u16string_view path) {
    auto it = hive.keys.find(fold(path));
    return it == hive.keys.end() ? nullptr : &it->second;
}

const Key* findKey(const Hive& hive, std::u16string_view path) {
    auto it = hive.keys.find(fold(path));
    return it == hive.keys.end() ? nullptr : &it->second;
}

Key& ensureKey(Hive& hive, std::u16string_view path) {
    Key* key = &hive.keys.begin()->second;  // the root sorts first
    const std::u16string folded = fold(path);
    for (std::size_t start = 0; !path.empty();) {
        const std::size_t end = path.find(u'\\', start);
        const std::size_t length = end == std::u16string_view::npos ? path.size() : end;
        auto it = hive.keys.find(folded.substr(0, length));
        if (it == hive.keys.end()) {
            std::u16string shown = key->path;
            if (!shown.empty()) shown += u'\\';
            shown += path.substr(start, length - start);
            it = hive.keys.emplace(folded.substr(0, length), Key{std::move(shown), {}}).first;
        }
        key = &it->second;
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    return *key;
}

bool eraseTree(Hive& hive, std::u16string_view path) {
    const std::u16string folded = fold(path);
    if (folded.empty()) return false;
    auto it = hive.keys.find(folded);
    if (it == hive.keys.end()) return false;
    const std::u16string prefix = folded + u'\\';
    auto last = std::next(it);
    while (last != hive.keys.end() && isPrefixOf(prefix, last->first)) ++last;
    hive.keys.erase(it, last);
    return true;
}

const Value* findValue(const Key& key, std::u16string_view name) {
    const std::u16string folded = fold(name);
    for (const Value& value : key.values)
        if (value.name.size() == folded.size() && fold(value.name) == folded) return &value;
    return nullptr;
}

bool setValue(Key& key, std::u16string_view name, const RegistryData& data) {
    if (auto* existing = const_cast<Value*>(findValue(key, name))) {
        if (existing->data == data) return false;
        existing->data = data;
        return true;
    }
    key.values.push_back({std::u16string(name), data});
    return true;
}

bool eraseValue(Key& key, std::u16string_view name) {
    const Value* value = findValue(key, name);
    if (!value) return false;
    key.values.erase(key.values.begin() + (value - key.values.data()));
    return true;
}

RegistryType typeOf(const RegistryData& data) {
    switch (data.type) {
        case kRegSz:
            return RegistryType::String;
        case kRegDword:
            return data.bytes.size() == 4 ? RegistryType::Integer : RegistryType::Other;
        case kRegBinary:
            return RegistryType::Binary;
        default:
            return RegistryType::Other;
    }
}

RegistryData stringData(std::u16string_view text) {
    return {kRegSz, wideToUtf16Le(text) + std::string(2, '\0')};
}

RegistryData integerData(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return {kRegDword, std::move(bytes)};
}

std::u16string dataText(const RegistryData& data) {
    std::u16string text = utf16LeToWide(data.bytes);
    if (const auto zero = text.find(u'\0'); zero != std::u16string::npos) text.resize(zero);
    return text;
}

ParsedText parse(std::string_view text) {
    std::string converted;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        converted = wideToUtf8(utf16LeToWide(text.substr(2)));
        text = converted;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    ParsedText parsed;
    // The section values go to; none before the first usable section.
    enum class Section { None, Open, Deleted } section = Section::None;
    RegistryHive hive = RegistryHive::LocalMachine;
    std::u16string path;

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t lineNumber = i + 1;
        auto decoded = utf8ToWide(lines[i]);
        if (!decoded) {
            parsed.skippedLines.push_back(lineNumber);
            continue;
        }
        std::u16string line(trim(*decoded));
        if (line.empty() || line.front() == u';' ||
            line == u"Windows Registry Editor Version 5.00" || line == u"REGEDIT4")
            continue;

        if (line.front() == u'[') {
            section = Section::None;
            if (line.back() != u']') {
                parsed.skippedLines.push_back(lineNumber);
                continue;
            }
            std::u16string_view inner = std::u16string_view(line).substr(1, line.size() - 2);
            const bool remove = !inner.empty() && inner.front() == u'-';
            if (remove) inner.remove_prefix(1);
            const std::size_t slash = inner.find(u'\\');
            const auto which = hiveFromName(inner.substr(0, slash));
            const auto normalised =
                normalisePath(slash == std::u16string_view::npos ? std::u16string_view()
                                                                 : inner.substr(slash + 1));
            if (!which || !normalised || (remove && normalised->empty())) {
                parsed.skippedLines.push_back(lineNumber);
                continue;
            }
            hive = *which;
            path = *normalised;
            section = remove ? Section::Deleted : Section::Open;
            parsed.operations.push_back(
                {remove ? Operation::DeleteKey : Operation::CreateKey, hive, path, {}, {}});
            continue;
        }

        std::optional<std::u16string> name;
        std::size_t pos = 0;
        if (line.front() == u'@') {
            name.emplace();
            pos = 1;
        } else if (line.front() == u'"') {
            name = quoted(line, pos);
        }
        while (pos < line.size() && isSpace(line[pos])) ++pos;
        if (!name || !validName(*name) || pos == line.size() || line[pos] != u'=') {
            parsed.skippedLines.push_back(lineNumber);
            continue;
        }
        ++pos;
        while (pos < line.size() && isSpace(line[pos])) ++pos;
        // Hexadecimal data may go on over lines ending in a backslash.
        if (startsWithNoCase(std::u16string_view(line).substr(pos), u"HEX")) {
            while (line.back() == u'\\' && i + 1 < lines.size()) {
                auto next = utf8ToWide(lines[i + 1]);
                if (!next) break;
                ++i;
                line.pop_back();
                line += trim(*next);
            }
        }
        bool remove = false;
        auto data = valueData(std::u16string_view(line).substr(pos), remove);
        if (!data || section != Section::Open) {
            parsed.skippedLines.push_back(lineNumber);
            continue;
        }
        parsed.operations.push_back({remove ? Operation::DeleteValue : Operation::SetValue, hive,
                                     path, std::move(*name), std::move(*data)});
    }
    return parsed;
}

bool apply(Hive& hive, RegistryHive which, const std::vector<Operation>& operations) {
    bool changed = false;
    for (const Operation& op : operations) {
        if (op.hive != which) continue;
        switch (op.kind) {
            case Operation::CreateKey:
                if (!findKey(hive, op.path)) {
                    ensureKey(hive, op.path);
                    changed = true;
                }
                break;
            case Operation::DeleteKey:
                changed |= eraseTree(hive, op.path);
                break;
            case Operation::SetValue:
                changed |= setValue(ensureKey(hive, op.path), op.name, op.data);
                break;
            case Operation::DeleteValue:
                if (Key* key = findKey(hive, op.path)) changed |= eraseValue(*key, op.name);
                break;
        }
    }
    return changed;
}

std::string formatTree(const Hive& hive, RegistryHive which, std::u16string_view foldedPath) {
    std::u16string out;
    auto it = hive.keys.find(std::u16string(foldedPath));
    if (it == hive.keys.end()) return {};
    if (!it->first.empty() || !it->second.values.empty()) appendSection(out, which, it->second);
    const std::u16string prefix =
        foldedPath.empty() ? std::u16string() : std::u16string(foldedPath) + u'\\';
    for (++it; it != hive.keys.end() && isPrefixOf(prefix, it->first); ++it)
        appendSection(out, which, it->second);
    return wideToUtf8(out);
}

}  // namespace zirok::platform::regfile
