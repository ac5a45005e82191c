// Keys and typed values through the store's files: what one store object
// writes, a fresh one (another process) reads back exactly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>

#include "tests/registry/scratch_home.hpp"

namespace zirok::platform::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char16_t kDevice[] = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok";

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

class RegistryValues : public ScratchHome {
  protected:
    RegistryKey device() {
        auto key = store().createKey(HKLM, kDevice);
        EXPECT_TRUE(key);
        return *key;
    }
};

TEST_F(RegistryValues, EveryTypeComesBackByteForByteFromTheFile) {
    struct Case {
        std::u16string name;
        RegistryData data;
        RegistryType type;
    };
    std::string longBinary;
    for (int i = 0; i < 300; ++i) longBinary += static_cast<char>(i);
    const std::vector<Case> cases = {
        {u"", {kRegSz, bytes({'Z', 0, 'i', 0, 0, 0})}, RegistryType::String},
        {u"Description",
         {kRegSz, bytes({0x24, 0x04, 0x38, 0x04, 0x41, 0x04, 0, 0})},
         RegistryType::String},
        {u"Service", {kRegSz, bytes({'C', 0, '\\', 0, '"', 0, 0, 0})}, RegistryType::String},
        {u"Lines", {kRegSz, bytes({'a', 0, '\n', 0, 'b', 0, 0, 0})}, RegistryType::String},
        {u"Empty", {kRegSz, bytes({0, 0})}, RegistryType::String},
        {u"Unterminated", {kRegSz, bytes({'a', 0})}, RegistryType::String},
        {u"Surrogate", {kRegSz, bytes({0x00, 0xD8, 0, 0})}, RegistryType::String},
        {u"Debug", {kRegDword, bytes({0xFF, 0xFF, 0xFF, 0xFF})}, RegistryType::Integer},
        {u"Zero", {kRegDword, bytes({0, 0, 0, 0})}, RegistryType::Integer},
        {u"ShortDword", {kRegDword, bytes({1, 2})}, RegistryType::Other},
        {u"Blob", {kRegBinary, bytes({0, 1, 0, 0xFF})}, RegistryType::Binary},
        {u"NoBytes", {kRegBinary, ""}, RegistryType::Binary},
        {u"Long", {kRegBinary, longBinary}, RegistryType::Binary},
        {u"Multi", {kRegMultiSz, bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})}, RegistryType::Other},
        {u"Expand", {kRegExpandSz, bytes({'%', 0, 0, 0})}, RegistryType::Other},
        {u"Big", {0x7FFFFFFF, bytes({9})}, RegistryType::Other},
        {u"Name \"with\" \\ quotes", {kRegNone, ""}, RegistryType::Other},
    };
    RegistryKey key = device();
    for (const Case& c : cases) key.writeData(c.name, c.data);

    auto again = store().openKey(HKLM, kDevice);
    ASSERT_TRUE(again);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(again->readData(c.name), c.data);
        EXPECT_EQ(again->valueType(c.name), c.type);
    }
    EXPECT_EQ(again->readString(u"Description"), u"Фис");
    EXPECT_EQ(again->readString(u"Lines"), u"a\nb");
    EXPECT_EQ(again->readInteger(u"Debug"), -1);
    EXPECT_EQ(again->readBinary(u"Blob"), bytes({0, 1, 0, 0xFF}));

    // The file reads like a registry editor export, one line per value.
    const std::string file = readFile(hiveFile());
    for (const char* line :
         {"@=\"Zi\"\n", "\"Description\"=\"Фис\"\n", "\"Service\"=\"C\\\\\\\"\"\n",
          "\"Debug\"=dword:ffffffff\n", "\"Blob\"=hex:00,01,00,ff\n", "\"NoBytes\"=hex:\n",
          "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n", "\"Big\"=hex(7fffffff):09\n",
          "\"Name \\\"with\\\" \\\\ quotes\"=hex(0):\n"})
        EXPECT_THAT(file, HasSubstr(line));
    EXPECT_EQ(
        file.rfind("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n", 0),
        0u);
}

TEST_F(RegistryValues, TypedWritersStoreWindowsLayouts) {
    RegistryKey key = device();
    key.writeString(u"Port", u"USB");
    key.writeInteger(u"Timeout", 0x01020304);
    key.writeBool(u"AutoZ", true);
    key.writeBinary(u"Raw", bytes({0, 7}));
    EXPECT_EQ(key.readData(u"Port"), (RegistryData{kRegSz, bytes({'U', 0, 'S', 0, 'B', 0, 0, 0})}));
    EXPECT_EQ(key.readData(u"Timeout"), (RegistryData{kRegDword, bytes({4, 3, 2, 1})}));
    EXPECT_EQ(key.readData(u"AutoZ"), (RegistryData{kRegDword, bytes({1, 0, 0, 0})}));
    EXPECT_EQ(key.readData(u"Raw"), (RegistryData{kRegBinary, bytes({0, 7})}));

    // Writing another type replaces the value in place.
    key.writeInteger(u"Port", 3);
    EXPECT_EQ(key.valueType(u"Port"), RegistryType::Integer);
    EXPECT_THAT(key.valueNames(), ElementsAre(u"Port", u"Timeout", u"AutoZ", u"Raw"));
}

TEST_F(RegistryValues, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    RegistryKey key = device();
    key.writeInteger(u"AutoZ", 1);
    key.writeInteger(u"autoz", 0);
    auto pays = store().createKey(HKLM, std::u16string(kDevice) + u"\\Pays");
    pays->writeInteger(u"Наличные", 0);
    pays->writeInteger(u"ёлка", 1);

    auto other =
        store().openKey(HKLM, u"software\\oleforretail\\serviceopos\\FISCALPRINTER\\zirok");
    ASSERT_TRUE(other);
    EXPECT_THAT(other->valueNames(), ElementsAre(u"AutoZ"));
    EXPECT_EQ(other->readInteger(u"AUTOZ"), 0);
    auto otherPays = store().openKey(HKLM, std::u16string(kDevice) + u"\\PAYS");
    EXPECT_EQ(otherPays->readInteger(u"НАЛИЧНЫЕ"), 0);
    EXPECT_EQ(otherPays->readInteger(u"ЁЛКА"), 1);

    store().createKey(HKLM, u"SOFTWARE\\OLEFORRETAIL\\New");
    EXPECT_THAT(store().openKey(HKLM, u"software")->subkeyNames(), ElementsAre(u"OLEforRetail"));
}

TEST_F(RegistryValues, ReadsOfTheWrongTypeOrOfMissingValuesFailAsTheClassLibraryDoes) {
    RegistryKey key = device();
    key.writeString(u"AutoZ", u"1");
    key.writeInteger(u"Port", 3);
    key.writeBinary(u"Blob", "x");
    key.writeData(u"Expand", {kRegExpandSz, bytes({'x', 0, 0, 0})});
    key.writeData(u"Multi", {kRegMultiSz, bytes({0, 0})});

    using Read = std::function<void(const RegistryKey&, std::u16string_view)>;
    const Read asString = [](const RegistryKey& k, std::u16string_view n) { k.readString(n); };
    const Read asInteger = [](const RegistryKey& k, std::u16string_view n) { k.readInteger(n); };
    const Read asBinary = [](const RegistryKey& k, std::u16string_view n) { k.readBinary(n); };
    struct Case {
        const char* what;
        Read read;
        std::u16string name;
        const char* error;  // null: reads without error
    };
    const Case cases[] = {
        {"string as integer", asInteger, u"AutoZ", "Invalid data type for 'AutoZ'"},
        {"integer as string", asString, u"Port", "Invalid data type for 'Port'"},
        {"binary as string", asString, u"Blob", "Invalid data type for 'Blob'"},
        {"integer as binary", asBinary, u"Port", "Invalid data type for 'Port'"},
        {"expandable as binary", asBinary, u"Expand", "Invalid data type for 'Expand'"},
        {"missing integer", asInteger, u"Missing", "Failed to get data for 'Missing'"},
        {"missing binary", asBinary, u"Missing", "Failed to get data for 'Missing'"},
        {"missing string", asString, u"Missing", nullptr},
        {"expandable as string", asString, u"Expand", nullptr},
        {"other type as binary", asBinary, u"Multi", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.error) {
            EXPECT_NO_THROW(c.read(key, c.name));
            continue;
        }
        try {
            c.read(key, c.name);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {  // RegistryError is one
            EXPECT_NE(dynamic_cast<const RegistryError*>(&e), nullptr);
            EXPECT_STREQ(e.what(), c.error);
        }
    }
    EXPECT_EQ(key.readString(u"Missing"), u"");
    EXPECT_EQ(key.readString(u"Expand"), u"x");
    EXPECT_EQ(key.valueType(u"Missing"), RegistryType::Absent);
    EXPECT_FALSE(key.valueExists(u"Missing"));
}

TEST_F(RegistryValues, ByteFormsAreWindows1251) {
    const std::string description = "\xD4\xE8\xF1\xEA\xE0\xEB\xFC\xED\xFB\xE9";  // Фискальный
    const std::string pays = "\xCD\xE0\xEB\xE8\xF7\xED\xFB\xE5";                 // Наличные
    auto key = store().createKey(HKLM, "SOFTWARE\\" + pays);
    ASSERT_TRUE(key);
    key->writeString("Description", description);
    key->writeInteger(pays, 2);

    auto again = store().openKey(HKLM, u"SOFTWARE\\Наличные");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->readString(u"Description"), u"Фискальный");
    EXPECT_EQ(again->readString("Description"), description);
    EXPECT_EQ(again->readInteger(u"Наличные"), 2);
    EXPECT_THAT(readFile(hiveFile()), HasSubstr("\"Наличные\"=dword:00000002"));
    try {
        again->readString(pays);
        ADD_FAILURE() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_EQ(e.message(), u"Invalid data type for 'Наличные'");
        EXPECT_STREQ(e.what(), "Invalid data type for 'Наличные'");
    }
}

TEST_F(RegistryValues, EnumeratesAndDeletesWholeSubtrees) {
    const std::u16string base = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\";
    for (const char16_t* path : {u"Zirok\\Discounts\\1", u"Zirok\\Discounts\\0", u"Zirok\\pays",
                                 u"Zirok\\Alpha", u"Zirok2", u"Zirok Other", u"Zirok-\\Deep"})
        ASSERT_TRUE(store().createKey(HKLM, base + path));
    auto zirok = store().openKey(HKLM, base + u"Zirok");
    EXPECT_THAT(zirok->subkeyNames(), ElementsAre(u"Alpha", u"Discounts", u"pays"));
    EXPECT_THAT(store().openKey(HKLM, base)->subkeyNames(),
                ElementsAre(u"Zirok", u"Zirok Other", u"Zirok-", u"Zirok2"));

    EXPECT_TRUE(store().deleteKey(HKLM, base + u"ZIROK"));
    EXPECT_FALSE(zirok->exists());
    EXPECT_FALSE(store().keyExists(HKLM, base + u"Zirok\\Discounts\\0"));
    EXPECT_THAT(store().openKey(HKLM, base)->subkeyNames(),
                ElementsAre(u"Zirok Other", u"Zirok-", u"Zirok2"));
    EXPECT_TRUE(store().keyExists(HKLM, base + u"Zirok-\\Deep"));

    EXPECT_FALSE(store().deleteKey(HKLM, base + u"Zirok"));  // already gone
    EXPECT_FALSE(store().deleteKey(HKLM, u""));              // a hive's root stays
    EXPECT_FALSE(store().deleteKey(HKLM, u"\\"));
    // A key deleted under an open handle takes no more writes.
    EXPECT_THROW(zirok->writeString(u"Port", u"COM1"), RegistryError);
    EXPECT_FALSE(store().keyExists(HKLM, base + u"Zirok"));
}

TEST_F(RegistryValues, PathsAndHives) {
    ASSERT_TRUE(store().createKey(HKCU, u"\\Software\\Brightfold\\PosProbe\\"));
    EXPECT_TRUE(store().keyExists(HKCU, u"Software\\Brightfold"));
    EXPECT_TRUE(store().keyExists(HKCU, u"\\Software\\Brightfold\\PosProbe"));
    EXPECT_FALSE(store().keyExists(HKLM, u"Software"));
    EXPECT_EQ(store().openKey(HKCU, u"Software\\Brightfold\\")->path(), u"Software\\Brightfold");

    using namespace std::literals;
    const std::u16string_view bad[] = {u"A\\\\B", u"\\\\A", u"A\\\\", u"Line\nBreak", u"Zero\0x"sv};
    for (std::size_t i = 0; i < std::size(bad); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(store().createKey(HKCU, bad[i]));
        EXPECT_FALSE(store().openKey(HKCU, bad[i]));
    }
    EXPECT_FALSE(store().keyExists(HKCU, u"Line"));

    // The store of the process follows ZIROK_HOME.
    EXPECT_TRUE(registry().keyExists(HKCU, u"Software\\Brightfold"));
    EXPECT_EQ(registry().folder(), folder());
}

TEST_F(RegistryValues, FailedWritesRaiseAndLeaveTheStoreAsItWas) {
    RegistryKey key = device();
    key.writeString(u"Port", u"COM1");

    auto readOnly = store().openKey(HKLM, kDevice);
    ASSERT_TRUE(readOnly);
    EXPECT_FALSE(readOnly->writable());
    try {
        readOnly->writeString(u"Port", u"COM2");
        ADD_FAILURE() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Port'");
    }
    EXPECT_FALSE(readOnly->deleteValue(u"Port"));
    EXPECT_THROW(key.writeString(u"Bad\nName", u"x"), RegistryError);

    // The temporary file cannot be made: the change fails as a whole.
    std::filesystem::create_directories(hiveFile() + ".tmp" + std::to_string(getpid()));
    const std::string before = readFile(hiveFile());
    EXPECT_THROW(key.writeString(u"Port", u"COM2"), RegistryError);
    EXPECT_FALSE(key.deleteValue(u"Port"));
    EXPECT_FALSE(store().deleteKey(HKLM, kDevice));
    EXPECT_FALSE(store().createKey(HKLM, u"SOFTWARE\\Other"));
    EXPECT_EQ(readFile(hiveFile()), before);
    EXPECT_EQ(store().openKey(HKLM, kDevice)->readString(u"Port"), u"COM1");

    // A store that cannot be made at all offers no key for writing.
    RegistryStore nowhere("/dev/null/registry");
    EXPECT_FALSE(nowhere.createKey(HKLM, kDevice));
    EXPECT_FALSE(nowhere.keyExists(HKLM, kDevice));
}

TEST_F(RegistryValues, DeletingValues) {
    RegistryKey key = device();
    key.writeString(u"", u"Zirok.SOZirok");
    key.writeString(u"Autosearch", u"0");
    EXPECT_TRUE(key.deleteValue(u"AUTOSEARCH"));
    EXPECT_FALSE(key.deleteValue(u"Autosearch"));
    EXPECT_TRUE(key.deleteValue(u""));
    EXPECT_TRUE(key.valueNames().empty());
    EXPECT_TRUE(store().openKey(HKLM, kDevice)->valueNames().empty());
}

}  // namespace
}  // namespace zirok::platform::testing
