// The marking-code dialogue: check, decide, attach to the next item.
#include <gtest/gtest.h>

#include "emulator/control.hpp"
#include "emulator/faults.hpp"
#include "emulator/tlv.hpp"
#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

class MarkCodes : public testing::RegisterSession {
  protected:
    Answer mark(const std::vector<std::string>& fields) { return send(0x79, fields); }
    void control(const char* line) {
        FaultPlan faults;
        ASSERT_EQ(applyControl(line, model.state(), faults), "");
    }
    static const std::string kCode;
};

const std::string MarkCodes::kCode = "0104600439931256215Zx8?Wn";

TEST_F(MarkCodes, FollowTheCheckDecideAttachOrder) {
    struct Step {
        const char* what;
        std::vector<std::string> fields;
        std::uint8_t error;
        std::string field1;  // checked when the request succeeds
    };
    const Step steps[] = {
        {"a decision before any check", {"2", "1"}, 115, ""},
        {"check", {"1", kCode, "0", "1", "1", "0", "0"}, 0, "15"},
        {"state after the check", {"0"}, 0, "1"},
        {"adding before the decision", {"15", kCode, "1", "0", "15", "0"}, 115, ""},
        {"accept", {"2", "1"}, 0, "15"},
        {"adding another code", {"15", "other", "1", "0", "15", "0"}, 115, ""},
        {"adding the accepted code", {"15", kCode, "1", "0", "15", "0"}, 0, ""},
        {"a second add", {"15", kCode, "1", "0", "15", "0"}, 115, ""},
        {"an unknown request", {"9"}, 3, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const Answer a = mark(step.fields);
        EXPECT_EQ(a.error, step.error);
        if (step.error == 0 && !step.field1.empty()) {
            EXPECT_EQ(a.fields.at(1), step.field1);
        }
    }

    // The code goes with the next item, into the storage and onto the tape.
    openSale();
    ASSERT_EQ(addItem("Shoes", "1.000", "1000.000000"), 0);
    ASSERT_EQ(addItem("Laces", "1.000", "10.000000"), 0);
    ASSERT_EQ(error(0x47, {"0", "1010.00", ""}), 0);
    const std::string number = send(0x31, {"5"}).fields.at(0);
    ASSERT_EQ(error(0x78, {"15", number}), 0);
    int marked = 0;
    for (Answer block = send(0x78, {"16"}); block.error == 0; block = send(0x78, {"16"})) {
        marked += block.fields.at(0).find(tlv::hex(tlv::number(2106, 15, 1))) != std::string::npos;
    }
    EXPECT_EQ(marked, 1);
    EXPECT_NE(tape().find("[M+]"), std::string::npos);
}

TEST_F(MarkCodes, AnswerWhatTheControlChannelSets) {
    control("mark result 5");
    EXPECT_EQ(mark({"1", kCode, "0", "1", "1", "0", "0"}).fields.at(1), "5");
    EXPECT_EQ(mark({"2", "0"}).error, 0) << "rejected";
    EXPECT_EQ(mark({"2", "1"}).error, 115) << "nothing left to decide on";

    EXPECT_EQ(mark({"52", "0"}).fields.at(1), "0");
    control("mark keys due");
    EXPECT_EQ(mark({"52", "0"}).fields.at(1), "1");
    EXPECT_EQ(mark({"53"}).error, 0);
    EXPECT_EQ(mark({"52", "0"}).fields.at(1), "0") << "the keys were updated";
    EXPECT_EQ(mark({"6"}).fields.size(), 7u) << "six values after the request number";
}

}  // namespace
}  // namespace zirok::emulator
