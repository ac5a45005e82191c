#pragma once
// The registry: the two hives the driver uses, keys with typed values, as the
// system's Windows original keeps its configuration.
//
// Key paths are "\"-separated ("SOFTWARE\OLEforRetail\ServiceOPOS"); one
// leading and one trailing "\" are ignored, an empty level makes the path
// invalid. Key and value names are case-insensitive and case-preserving; the
// unnamed default value is the empty name.
//
// Names and texts come in two forms. The wide form (std::u16string) is the
// registry's own. The byte form (std::string) is Windows-1251 text, the
// service object's working encoding: a call given a byte name returns and
// takes byte texts, a call given a wide name wide texts. Registry-editor text
// for import and export is UTF-8.
//
// The POSIX store keeps one text file per hive in the layout of Windows
// Registry Editor exports. Every change rewrites its hive file whole (under a
// lock, through a renamed temporary file), so separate processes see each
// other's changes at once and a crash never leaves half a store. A key object
// is a path into the store, not a snapshot: every read sees the latest state.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zirok::platform {

enum class RegistryHive { LocalMachine, CurrentUser };

enum class RegistryAccess { ReadOnly, ReadWrite };

// How a value can be read. A REG_EXPAND_SZ value shows as Other but reads as
// a string; a REG_DWORD whose data is not four bytes is Other.
enum class RegistryType { Absent, String, Integer, Binary, Other };

// Windows value type numbers, for values handled byte for byte.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// A value as the registry holds it: its Windows type number and its bytes
// (strings as UTF-16LE with their terminating zero, integers little-endian).
struct RegistryData {
    std::uint32_t type = kRegNone;
    std::string bytes;
    bool operator==(const RegistryData&) const = default;
};

// A read of the wrong type, a write that cannot be stored, a key that cannot
// be found for export. Messages follow the original's class library:
// "Invalid data type for 'AutoZ'", "Failed to get data for 'AutoZ'",
// "Failed to set data for 'AutoZ'". what() is UTF-8.
class RegistryError : public std::runtime_error {
  public:
    explicit RegistryError(const std::u16string& message);
    const std::u16string& message() const { return message_; }

  private:
    std::u16string message_;
};

// Lines of an imported text that could not be used, by 1-based line number.
struct RegistryImportReport {
    std::vector<std::size_t> skippedLines;
};

class RegistryStoreState;

class RegistryKey {
  public:
    RegistryHive hive() const { return hive_; }
    const std::u16string& path() const { return path_; }
    bool writable() const { return access_ == RegistryAccess::ReadWrite; }

    // False once the key has been deleted (by this or another process).
    bool exists() const;

    RegistryType valueType(std::u16string_view name) const;
    RegistryType valueType(std::string_view name) const;
    bool valueExists(std::u16string_view name) const;
    bool valueExists(std::string_view name) const;

    // A missing value reads as an empty string; a value of another type than
    // string or expandable string raises RegistryError. The text ends at its
    // first zero character, as a C string read does.
    std::u16string readString(std::u16string_view name) const;
    std::string readString(std::string_view name) const;

    // A missing value raises "Failed to get data", another type "Invalid data
    // type": an integer has no empty form to fall back on.
    std::int32_t readInteger(std::u16string_view name) const;
    std::int32_t readInteger(std::string_view name) const;
    bool readBool(std::u16string_view name) const { return readInteger(name) != 0; }
    bool readBool(std::string_view name) const { return readInteger(name) != 0; }

    // Binary and every other type that is neither a string, an expandable
    // string nor an integer; a missing value raises "Failed to get data".
    std::string readBinary(std::u16string_view name) const;
    std::string readBinary(std::string_view name) const;

    // Any type, byte for byte; nothing when the value is missing.
    std::optional<RegistryData> readData(std::u16string_view name) const;
    std::optional<RegistryData> readData(std::string_view name) const;

    // Writes replace the value whatever its type; an existing value keeps its
    // name's spelling. They raise RegistryError on a read-only or deleted key
    // and when the store cannot be written.
    void writeString(std::u16string_view name, std::u16string_view text);
    void writeString(std::string_view name, std::string_view text);
    void writeInteger(std::u16string_view name, std::int32_t value);
    void writeInteger(std::string_view name, std::int32_t value);
    void writeBool(std::u16string_view name, bool value) { writeInteger(name, value ? 1 : 0); }
    void writeBool(std::string_view name, bool value) { writeInteger(name, value ? 1 : 0); }
    void writeBinary(std::u16string_view name, std::string_view bytes);
    void writeBinary(std::string_view name, std::string_view bytes);
    void writeData(std::u16string_view name, const RegistryData& data);
    void writeData(std::string_view name, const RegistryData& data);

    // True when the value existed and is gone; false when it was missing or
    // the store could not be changed.
    bool deleteValue(std::u16string_view name);
    bool deleteValue(std::string_view name);

    // Value names in the order they were created; subkey names sorted
    // case-insensitively.
    std::vector<std::u16string> valueNames() const;
    std::vector<std::u16string> subkeyNames() const;

  private:
    friend class RegistryStore;
    RegistryKey(std::shared_ptr<RegistryStoreState> store, RegistryHive hive, std::u16string path,
                RegistryAccess access)
        : store_(std::move(store)), hive_(hive), path_(std::move(path)), access_(access) {}
    void write(std::u16string_view name, RegistryData data);

    std::shared_ptr<RegistryStoreState> store_;
    RegistryHive hive_;
    std::u16string path_;  // normalised: no leading or trailing separator
    RegistryAccess access_;
};

// A store of the two hives in one folder. Copies share one state.
class RegistryStore {
  public:
    explicit RegistryStore(std::string folder);
    const std::string& folder() const;

    // Nothing when the key is missing or the path invalid; ReadWrite also
    // gives nothing when the store cannot be written.
    std::optional<RegistryKey> openKey(RegistryHive hive, std::u16string_view path,
                                       RegistryAccess access = RegistryAccess::ReadOnly) const;
    std::optional<RegistryKey> openKey(RegistryHive hive, std::string_view path,
                                       RegistryAccess access = RegistryAccess::ReadOnly) const;

    // Opens the key read-write, creating it and every missing level above it;
    // nothing when the path is invalid or the store cannot be written.
    std::optional<RegistryKey> createKey(RegistryHive hive, std::u16string_view path);
    std::optional<RegistryKey> createKey(RegistryHive hive, std::string_view path);

    bool keyExists(RegistryHive hive, std::u16string_view path) const;
    bool keyExists(RegistryHive hive, std::string_view path) const;

    // Deletes the key with all its subkeys. True when the key existed and is
    // gone; false when it was missing, is a hive's root, or the store could
    // not be changed.
    bool deleteKey(RegistryHive hive, std::u16string_view path);
    bool deleteKey(RegistryHive hive, std::string_view path);

    // Merges registry-editor text (UTF-8, or UTF-16LE with its byte order
    // mark) into the store as one change per hive: sections create keys,
    // "[-KEY]" deletes a key with its subkeys, "Name"=- deletes a value.
    // Sections of other hives and malformed lines are skipped and reported.
    // Raises RegistryError when the store cannot be written.
    RegistryImportReport importRegText(std::string_view text);

    // Registry-editor text (UTF-8) of one key with its subkeys, or of both
    // hives when `key` is empty. The key is UTF-8 like the text (it comes from
    // a command line), given as "HKEY_LOCAL_MACHINE\Path" (or "HKLM\Path",
    // "HKEY_CURRENT_USER", "HKCU\Path"). Raises RegistryError for an unknown
    // hive or a missing key.
    std::string exportRegText(std::string_view key = {}) const;

  private:
    std::shared_ptr<RegistryStoreState> state_;
};

// The process's store, in $ZIROK_HOME/registry/ (read when called: a changed
// ZIROK_HOME gives the store of the new folder).
RegistryStore registry();

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* hiveName(RegistryHive hive);

}  // namespace zirok::platform
