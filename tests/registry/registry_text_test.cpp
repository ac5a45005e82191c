// The registry-editor text form: hand-edited hive files, import and export.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "tests/registry/scratch_home.hpp"

namespace zirok::platform::testing {
namespace {

using ::testing::ElementsAre;

class RegistryText : public ScratchHome {};

TEST_F(RegistryText, HandEditedFileKeepsWhatItCanReadAndSkipsTheRest) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n"    // 1
        "\n"                                        // 2
        "\"Orphan\"=\"before any section\"\n"       // 3
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good]\n"    // 4
        "\"A\"=\"1\"\n"                             // 5
        "\"B\"=dword:xyz\n"                         // 6
        "\"C\"=dword:123456789\n"                   // 7
        "\"D\"=hex:01,zz\n"                         // 8
        "\"E\"=\"unterminated\n"                    // 9
        "garbage line\n"                            // 10
        "\"F\"=hex(7:00\n"                          // 11
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good\n"     // 12
        "\"G\"=\"after a broken section\"\n"        // 13
        "[HKEY_CLASSES_ROOT\\Other]\n"              // 14
        "\"H\"=\"another hive\"\n"                  // 15
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\Bad]\n"   // 16
        "\"I\"=\"empty level\"\n"                   // 17
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good]\r\n"  // 18
        "; a comment\n"                             // 19
        "  \"J\" = dword:0000000A  \n"              // 20
        "\"K\"=hex:01,02,\\\n"                      // 21
        "  03\n"                                    // 22
        "\xFF\xFE not text\n"                       // 23
        "\"L\" \"no equals\"\n"                     // 24
        "@=\"default\"";                            // 25, no line end
    writeFile(hiveFile(), text);

    auto good = store().openKey(HKLM, u"SOFTWARE\\Good");
    ASSERT_TRUE(good);
    EXPECT_THAT(good->valueNames(), ElementsAre(u"A", u"J", u"K", u""));
    EXPECT_EQ(good->readString(u"A"), u"1");
    EXPECT_EQ(good->readInteger(u"J"), 10);
    EXPECT_EQ(good->readBinary(u"K"), "\x01\x02\x03");
    EXPECT_EQ(good->readString(u""), u"default");
    EXPECT_THAT(store().openKey(HKLM, u"SOFTWARE")->subkeyNames(), ElementsAre(u"Good"));

    const std::vector<std::size_t> skipped = {3,  6,  7,  8,  9,  10, 11, 12,
                                              13, 14, 15, 16, 17, 23, 24};
    RegistryStore other(home_ + "/other");
    EXPECT_EQ(other.importRegText(text).skippedLines, skipped);

    // The first change rewrites the file without the unreadable lines and
    // keeps the hand-edited one beside it.
    good = store().openKey(HKLM, u"SOFTWARE\\Good", RegistryAccess::ReadWrite);
    good->writeInteger(u"J", 11);
    EXPECT_EQ(readFile(hiveFile() + ".bak"), text);
    EXPECT_EQ(readFile(hiveFile()), store().exportRegText("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(readFile(hiveFile()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good]\n"
              "\"A\"=\"1\"\n\"J\"=dword:0000000b\n\"K\"=hex:01,02,03\n@=\"default\"\n\n");
}

TEST_F(RegistryText, MissingOrEmptyFilesAreEmptyHives) {
    EXPECT_FALSE(store().keyExists(HKLM, u"SOFTWARE"));
    EXPECT_TRUE(store().keyExists(HKLM, u""));
    EXPECT_TRUE(store().openKey(HKCU, u"")->subkeyNames().empty());
    for (const char* content : {"", "\n\n", "Windows Registry Editor Version 5.00\n"}) {
        writeFile(hiveFile(HKCU), content);
        EXPECT_TRUE(store().openKey(HKCU, u"")->subkeyNames().empty());
    }
    EXPECT_EQ(store().exportRegText(), "Windows Registry Editor Version 5.00\n\n");
}

TEST_F(RegistryText, ExportIsDepthFirstAndLimitedToTheKeyAsked) {
    const auto report = store().importRegText(
        "REGEDIT4\n"
        "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=\"1\"\n"
        "[HKLM\\A B]\n"
        "[hkcu\\C]\n@=dword:2\n");
    EXPECT_TRUE(report.skippedLines.empty());
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string a = "[HKEY_LOCAL_MACHINE\\A]\n\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=\"1\"\n\n";
    const std::string aSpaceB = "[HKEY_LOCAL_MACHINE\\A B]\n\n";
    const std::string c = "[HKEY_CURRENT_USER\\C]\n@=dword:00000002\n\n";

    EXPECT_EQ(store().exportRegText(), header + a + aSpaceB + c);
    EXPECT_EQ(store().exportRegText("HKEY_LOCAL_MACHINE\\a"), header + a);
    EXPECT_EQ(store().exportRegText("HKLM\\A\\"), header + a);
    EXPECT_EQ(store().exportRegText("HKLM"), header + a + aSpaceB);
    EXPECT_EQ(store().exportRegText("hkcu"), header + c);
    for (const char* bad : {"HKEY_USERS\\A", "HKLM\\Missing", "HKLM\\A\\\\B", "\\A"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(store().exportRegText(bad), RegistryError);
    }
}

TEST_F(RegistryText, ImportThenExportRoundTrips) {
    std::string logo;
    for (int i = 0; i < 300; ++i)
        logo += (i ? "," : "") + std::string(i % 16 < 10 ? "0" : "1") + "f";
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok]\r\n"
        "@=\"Zirok.SOZirok\"\r\n"
        "\"Description\"=\"Фискальный регистратор ZIROK\"\r\n"
        "\"Service\"=\"C:\\\\Program Files\\\\Zirok\\\\Zirok.dll\"\r\n"
        "\"Smile\"=\"\xF0\x9F\x98\x80\"\r\n"
        "\"Debug\"=dword:00000001\r\n"
        "\"Logo\"=hex:" +
        logo +
        "\r\n"
        "\"Text\"=hex(1):61,00,0a,00,00,00\r\n"
        "\r\n"
        "[HKEY_LOCAL_"
        "MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok\\Discounts\\0]\r\n"
        "\"Name\"=\"Скидка\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\Brightfold\\PosProbe]\r\n"
        "\"Left\"=dword:00000064\r\n";
    EXPECT_TRUE(store().importRegText(text).skippedLines.empty());
    auto zirok =
        store().openKey(HKLM, u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok");
    ASSERT_TRUE(zirok);
    EXPECT_EQ(zirok->readString(u"Service"), u"C:\\Program Files\\Zirok\\Zirok.dll");
    EXPECT_EQ(zirok->readString(u"Smile"), u"\U0001F600");
    EXPECT_EQ(zirok->readString(u"Text"), u"a\n");
    EXPECT_EQ(zirok->readBinary(u"Logo").size(), 300u);

    const std::string exported = store().exportRegText();
    // Long data is wrapped as the registry editor does it.
    std::istringstream lines(exported);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with('[')) {
            EXPECT_LE(line.size(), 80u) << line;
        }
    }

    RegistryStore copy(home_ + "/copy");
    EXPECT_TRUE(copy.importRegText(exported).skippedLines.empty());
    EXPECT_EQ(copy.exportRegText(), exported);
    EXPECT_EQ(copy.openKey(HKLM, u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok")
                  ->readData(u"Logo"),
              zirok->readData(u"Logo"));
}

TEST_F(RegistryText, ImportDeletesKeysAndValues) {
    store().importRegText(
        "[HKLM\\SOFTWARE\\Zirok\\Discounts\\0]\n\"Name\"=\"x\"\n"
        "[HKLM\\SOFTWARE\\Zirok]\n\"Debug\"=dword:1\n\"Port\"=\"USB\"\n"
        "[HKCU\\Software\\PosProbe]\n\"Left\"=dword:1\n");
    const auto report = store().importRegText(
        "Windows Registry Editor Version 5.00\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Zirok\\Discounts]\n"
        "\"Ignored\"=\"under a deleted key\"\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zirok]\n"
        "\"Debug\"=-\n"
        "\"Missing\"=-\n"
        "[-HKEY_LOCAL_MACHINE\\Nothing\\There]\n"
        "[-HKEY_CURRENT_USER]\n");
    EXPECT_THAT(report.skippedLines, ElementsAre(3, 8));
    auto zirok = store().openKey(HKLM, u"SOFTWARE\\Zirok");
    EXPECT_THAT(zirok->valueNames(), ElementsAre(u"Port"));
    EXPECT_TRUE(zirok->subkeyNames().empty());
    EXPECT_FALSE(store().keyExists(HKLM, u"Nothing"));
    EXPECT_TRUE(store().keyExists(HKCU, u"Software\\PosProbe"));
}

TEST_F(RegistryText, ImportsUtf16FilesOfTheRegistryEditor) {
    const std::u16string wide =
        u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Тест]\r\n"
        u"\"Имя\"=\"Значение\"\r\n";
    std::string bytes;
    for (char16_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    EXPECT_TRUE(store().importRegText(bytes).skippedLines.empty());
    EXPECT_EQ(store().openKey(HKCU, u"Software\\Тест")->readString(u"Имя"), u"Значение");
}

}  // namespace
}  // namespace zirok::platform::testing
