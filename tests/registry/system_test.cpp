#include "platform/system.hpp"

#include <gtest/gtest.h>

namespace zirok::platform {
namespace {

TEST(System, RussianRegionalFormatsOnAModernSystem) {
    EXPECT_EQ(osMajorVersion(), 10);
    EXPECT_EQ(shortDateFormat(), "dd.MM.yyyy");
    EXPECT_EQ(longTimeFormat(), "HH:mm:ss");
    const LocalDateTime when{2025, 12, 9, 14, 5, 33, 999};
    EXPECT_EQ(formatLongTime(when) + " " + formatShortDate(when), "14:05:33 09.12.2025");
    EXPECT_EQ(formatShortDate({2024, 3, 15, 0, 0, 0, 0}), "15.03.2024");
    EXPECT_EQ(formatLongTime({2024, 3, 15, 0, 0, 7, 0}), "00:00:07");
}

TEST(System, FormatPictures) {
    const LocalDateTime morning{2009, 3, 5, 0, 7, 9, 0};
    const LocalDateTime evening{2026, 11, 25, 23, 45, 1, 0};
    const struct {
        const char* picture;
        const char* morning;
        const char* evening;
    } cases[] = {
        {"d.M.y", "5.3.9", "25.11.26"},
        {"dd/MM/yy", "05/03/09", "25/11/26"},
        {"yyyy-MM-dd", "2009-03-05", "2026-11-25"},
        {"H:m:s", "0:7:9", "23:45:1"},
        {"hh:mm tt", "12:07 AM", "11:45 PM"},
        {"h t", "12 A", "11 P"},
        {"'d' dd 'o''clock' ''", "d 05 o'clock '", "d 25 o'clock '"},
        {"HH\xC2\xB7mm",
         "00\xC2\xB7"
         "07",
         "23\xC2\xB7"
         "45"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(formatDateTime(c.picture, morning), c.morning);
        EXPECT_EQ(formatDateTime(c.picture, evening), c.evening);
    }
}

}  // namespace
}  // namespace zirok::platform
