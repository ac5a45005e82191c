#pragma once
// The registry's content as the store holds it in memory, and its text form:
// the layout of "Windows Registry Editor Version 5.00" files, in UTF-8.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.hpp"

namespace zirok::platform::regfile {

// Case folding for key and value names: ASCII, Latin-1, Greek and Cyrillic
// letters compare without case, as Windows compares names. Keeps the length.
std::u16string fold(std::u16string_view name);

struct Value {
    std::u16string name;
    RegistryData data;
};

struct Key {
    std::u16string path;        // as first spelled; empty for the hive's root
    std::vector<Value> values;  // in creation order
};

// Orders folded paths with the separator before every other character, so a
// key's subtree follows it directly and an export reads depth first.
struct PathLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const;
};

// Keys by folded path. The root (empty path) is always present; every key's
// parent levels are present too.
struct Hive {
    Hive() { keys.emplace(std::u16string(), Key{}); }
    std::map<std::u16string, Key, PathLess> keys;
};

// "HKEY_LOCAL_MACHINE", "HKLM", "HKEY_CURRENT_USER" or "HKCU", in any case.
std::optional<RegistryHive> hiveFromName(std::u16string_view name);

// A usable name has no line breaks, no zero character and no unpaired
// surrogate: the text form could not carry it back.
bool validName(std::u16string_view name);

// A path without one leading and one trailing separator; nothing when a level
// is empty or not a valid name. The root is the empty path.
std::optional<std::u16string> normalisePath(std::u16string_view path);

Key* findKey(Hive& hive, std::u16string_view path);
const Key* findKey(const Hive& hive, std::u16string_view path);
Key& ensureKey(Hive& hive, std::u16string_view path);
// Removes the key and its subtree; false when it is missing or the root.
bool eraseTree(Hive& hive, std::u16string_view path);

const Value* findValue(const Key& key, std::u16string_view name);
// False when nothing changed.
bool setValue(Key& key, std::u16string_view name, const RegistryData& data);
bool eraseValue(Key& key, std::u16string_view name);

RegistryType typeOf(const RegistryData& data);
RegistryData stringData(std::u16string_view text);
RegistryData integerData(std::uint32_t value);
// The text up to its first zero character.
std::u16string dataText(const RegistryData& data);

// One change read from a text.
struct Operation {
    enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
    RegistryHive hive;
    std::u16string path;
    std::u16string name;
    RegistryData data;
};

struct ParsedText {
    std::vector<Operation> operations;
    std::vector<std::size_t> skippedLines;  // 1-based
};

ParsedText parse(std::string_view text);

// Applies the operations of `which` hive in order; false when nothing changed.
bool apply(Hive& hive, RegistryHive which, const std::vector<Operation>& operations);

inline constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\n";

// Sections of the key at the folded `path` and its subtree, each followed by
// a blank line; the root has a section only when it holds values.
std::string formatTree(const Hive& hive, RegistryHive which, std::u16string_view foldedPath);

}  // namespace zirok::platform::regfile
