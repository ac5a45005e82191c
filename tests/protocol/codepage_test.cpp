#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "protocol/codepage.hpp"

namespace zirok::protocol {
namespace {

// Converts one byte between two code pages with the C library's tables.
std::string iconvByte(const char* from, const char* to, unsigned char byte) {
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from << " -> " << to;
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return done == static_cast<size_t>(-1) ? std::string() : std::string(out, outPtr);
}

TEST(CodePage, CyrillicRowsAgreeWithTheCLibraryTables) {
    std::string letters;
    for (int b = 0xC0; b <= 0xFF; ++b) letters += static_cast<char>(b);
    letters += "\xA8\xB8\xB9";  // Ё ё №
    for (unsigned char b : letters) {
        const std::string expected = iconvByte("CP1251", "CP866", b);
        ASSERT_EQ(expected.size(), 1u) << "byte " << int(b);
        const std::string device = toDeviceText(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(device, expected) << "Windows-1251 byte " << std::hex << int(b);
        EXPECT_EQ(fromDeviceText(device), std::string(1, static_cast<char>(b)));
        EXPECT_EQ(iconvByte("CP866", "CP1251", static_cast<unsigned char>(device[0])), std::string(1, b));
    }
}

TEST(CodePage, EverythingElsePassesUnchanged) {
    std::string others;
    for (int b = 0; b < 0xC0; ++b)
        if (b != 0xA8 && b != 0xB8 && b != 0xB9) others += static_cast<char>(b);
    EXPECT_EQ(toDeviceText(others), others);

    std::string deviceOthers;
    for (int b = 0; b < 0x80; ++b) deviceOthers += static_cast<char>(b);
    for (int b = 0xB0; b < 0xE0; ++b) deviceOthers += static_cast<char>(b);  // box drawing
    EXPECT_EQ(fromDeviceText(deviceOthers), deviceOthers);
}

TEST(CodePage, WordsRoundTrip) {
    const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // Привет
    EXPECT_EQ(toDeviceText(privet), "\x8F\xE0\xA8\xA2\xA5\xE2");
    EXPECT_EQ(fromDeviceText(toDeviceText(privet)), privet);
    EXPECT_EQ(toDeviceText("\xB9 12 Ab"), "\xFC 12 Ab");
    EXPECT_EQ(toDeviceText("\xB2"), "\xB2");  // Ukrainian І has no place in 866 here
}

}  // namespace
}  // namespace zirok::protocol
