// The status words as a technician watches them through a working day.
#include <gtest/gtest.h>

#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

using testing::kTestStart;

class StatusFlow : public testing::RegisterSession {};

TEST_F(StatusFlow, FollowsTheDayFromPowerOnToTheZReport) {
    const std::string today = dateField(hostNow);
    const std::string now = timeField(hostNow);
    struct Step {
        const char* what;
        std::uint8_t code;
        std::vector<std::string> fields;
        std::uint8_t error;
        Status after;
    };
    const Step steps[] = {
        {"a receipt before the day started", 0x30, {"2"}, 1, {0x40, 0x01, 0x00}},
        {"start of work", 0x10, {today, now}, 0, {0x00, 0x00, 0x00}},
        {"closing a shift that is not open", 0x21, {"Ivanova"}, 1, {0x00, 0x00, 0x00}},
        {"a sale opens the shift", 0x30, {"2", "1", "Ivanova", "0", ""}, 0, {0, 0x04, 0x02}},
        {"a second document meanwhile", 0x30, {"1"}, 1, {0, 0x04, 0x02}},
        {"an item",
         0x42,
         {"Tea", " ", "2.000", "50.000000", "0", "", "0", "0", "", "0", "4", "1"},
         0,
         {0, 0x04, 0x02}},
        {"subtotal", 0x44, {}, 0, {0, 0x04, 0x12}},
        {"closing unpaid", 0x31, {"5"}, 1, {0, 0x04, 0x12}},
        {"part payment", 0x47, {"1", "40.00", ""}, 0, {0, 0x04, 0x22}},
        {"no more items once paying",
         0x42,
         {"Jam", " ", "1.000", "5.000000", "0", "", "0", "0", "", "0", "4", "1"},
         1,
         {0, 0x04, 0x22}},
        {"the rest in cash", 0x47, {"0", "100.00", ""}, 0, {0, 0x04, 0x42}},
        {"close", 0x31, {"5"}, 0, {0, 0x04, 0x00}},
        {"opening a shift already open", 0x23, {"Ivanova"}, 1, {0, 0x04, 0x00}},
        {"Z report", 0x21, {"Ivanova"}, 0, {0, 0x00, 0x00}},
        {"a service document needs no shift",
         0x30,
         {"1", "1", "Ivanova", "0", ""},
         0,
         {0, 0, 0x01}},
        {"annulled", 0x32, {}, 0, {0, 0, 0}},
    };
    EXPECT_EQ(status().fatal, 0x40u);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(error(step.code, step.fields), step.error);
        const Status s = status();
        EXPECT_EQ(s.fatal, step.after.fatal);
        EXPECT_EQ(s.flags, step.after.flags);
        EXPECT_EQ(s.doc, step.after.doc);
    }
}

TEST_F(StatusFlow, AShiftPastADayRefusesReceiptsUntilItIsClosed) {
    startDay();
    ASSERT_EQ(error(0x23, {"Ivanova"}), 0);
    hostNow += kSecondsPerDay + 60;
    EXPECT_EQ(status().flags, 0x10Cu) << "open, over 24 hours, must be closed";
    EXPECT_EQ(error(0x30, {"2", "1", "Ivanova", "0", ""}), 10);
    EXPECT_EQ(error(0x58, {"Ivanova", "10.00", "0", "0", "0", "0", "32", dateField(hostNow), "1"}),
              10);
    EXPECT_EQ(error(0x20, {"Ivanova"}), 0) << "an X report is still allowed";
    EXPECT_EQ(error(0x21, {"Ivanova"}), 0);
    EXPECT_EQ(status().flags, 0u);
    EXPECT_EQ(error(0x30, {"2", "1", "Ivanova", "0", ""}), 0)
        << "the next receipt opens a new shift";
    EXPECT_EQ(status().flags, 0x04u);
}

TEST_F(StatusFlow, TheClockRefusesWhatARegisterWould) {
    struct Case {
        const char* what;
        std::uint8_t code;
        Moment at;
        std::uint8_t error;
    };
    const Moment fiveMinutes = 5 * 60;
    const Moment nineMinutes = 9 * 60;
    const Case cases[] = {
        {"work started with a clock 9 minutes off", 0x10, kTestStart + nineMinutes, 11},
        {"work started with a clock 5 minutes off", 0x10, kTestStart - fiveMinutes, 0},
        // The storage signed its registration on 01.01.2024.
        {"clock set before the last fiscal document", 0x14, 1700000000, 12},
        {"clock set forward", 0x14, kTestStart + kSecondsPerDay, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(error(c.code, {dateField(c.at), timeField(c.at)}), c.error);
    }
    const Answer clock = send(0x13);
    EXPECT_EQ(clock.fields, (std::vector<std::string>{dateField(kTestStart + kSecondsPerDay),
                                                      timeField(kTestStart + kSecondsPerDay)}));
    EXPECT_EQ(error(0x14, {"320124", "100000"}), 3);

    // A clock moved far ahead makes the open shift overdue.
    ASSERT_EQ(error(0x23, {"Ivanova"}), 0);
    const Moment later = kTestStart + 3 * kSecondsPerDay;
    EXPECT_EQ(error(0x14, {dateField(later), timeField(later)}), 0);
    EXPECT_EQ(status().flags, 0x10Cu);
}

TEST_F(StatusFlow, PaperAndCoverStopPrintingAndShowInThePrinterFlags) {
    startDay();
    model.state().paperOut = true;
    EXPECT_EQ(send(0x04).fields.at(0), "2");
    EXPECT_EQ(error(0x30, {"1"}), 8);
    model.state().coverOpen = true;
    EXPECT_EQ(send(0x04).fields.at(0), "6");
    EXPECT_EQ(error(0x20, {"Ivanova"}), 9);
    model.state().paperOut = model.state().coverOpen = false;
    EXPECT_EQ(error(0x30, {"1"}), 0);
}

TEST_F(StatusFlow, TheDrawerOpensOnCommand) {
    EXPECT_EQ(send(0x81).fields.at(0), "0");
    EXPECT_EQ(error(0x80), 0);
    EXPECT_EQ(send(0x81).fields.at(0), "1");
}

}  // namespace
}  // namespace zirok::emulator
