#include "emulator/register_model.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "emulator/commands/commands.hpp"
#include "tests/emulator/frame_test_support.hpp"
#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

using testing::request;
using testing::wire;

class RegisterModelTest : public ::testing::Test {
  protected:
    RegisterModelTest() { defineAllCommands(model); }

    Answer ask(std::string_view code, std::string_view body = {}) {
        const auto answer = model.handle(request("MNVK", '%', code, body));
        EXPECT_TRUE(answer) << "no answer to " << code;
        return answer.value_or(Answer{});
    }

    RegisterModel model{"MNVK"};
};

TEST_F(RegisterModelTest, PowersOnWithTheWorkingDayNotStarted) {
    const Answer answer = ask("00");
    EXPECT_EQ(answer.id, '%');
    EXPECT_EQ(answer.code, 0x00);
    EXPECT_EQ(answer.error, 0);
    EXPECT_EQ(answer.fields, (std::vector<std::string>{"64", "1", "0"}));
}

TEST(StatusWords, FollowTheRegisterState) {
    struct Case {
        std::string name;
        std::function<void(RegisterState&)> arrange;
        Status expected;
    };
    const auto started = [](RegisterState& s) {
        s.workDayStarted = true;
        s.shift.open = true;
        s.shift.openedAt = s.now();
    };
    const auto inSale = [started](Stage stage) {
        return [started, stage](RegisterState& s) {
            started(s);
            s.document = Document{};
            s.document->type = DocumentType::Sale;
            s.document->stage = stage;
        };
    };
    const Case cases[] = {
        {"power-on", [](RegisterState&) {}, {0x40, 0x01, 0x00}},
        {"shift open", started, {0x00, 0x04, 0x00}},
        // The type stays readable in the low four bits while items go in.
        {"sale taking items", inSale(Stage::Items), {0x00, 0x04, 0x02}},
        {"sale at subtotal", inSale(Stage::Subtotal), {0x00, 0x04, 0x12}},
        {"sale part paid", inSale(Stage::Payment), {0x00, 0x04, 0x22}},
        {"sale paid", inSale(Stage::ReadyToClose), {0x00, 0x04, 0x42}},
        {"sale in the storage, end not printed",
         [&](RegisterState& s) {
             inSale(Stage::ReadyToClose)(s);
             s.document->awaitingClose = true;
         },
         {0x00, 0x04, 0x82}},
        {"service document",
         [&](RegisterState& s) {
             started(s);
             s.document = Document{};
             s.document->type = DocumentType::Service;
         },
         {0x00, 0x04, 0x01}},
        {"shift past 24 hours",
         [&](RegisterState& s) {
             started(s);
             s.shift.openedAt -= kSecondsPerDay + 1;
         },
         {0x00, 0x10C, 0x00}},
        {"not registered",
         [](RegisterState& s) {
             s.workDayStarted = true;
             s.identity.fiscal = false;
         },
         {0x00, 0x02, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegisterState state;
        c.arrange(state);
        const Status status = statusOf(state);
        EXPECT_EQ(status.fatal, c.expected.fatal);
        EXPECT_EQ(status.flags, c.expected.flags);
        EXPECT_EQ(status.doc, c.expected.doc);
    }
}

TEST_F(RegisterModelTest, ReportsTheDrawer) {
    EXPECT_EQ(ask("81").fields, std::vector<std::string>{"0"});
    model.state().drawerOpen = true;
    EXPECT_EQ(ask("81").fields, std::vector<std::string>{"1"});
}

TEST_F(RegisterModelTest, RefusesBadRequestsWithTheRegistersErrors) {
    std::string corrupted = request("MNVK", '&', "00");
    corrupted[corrupted.size() - 1] ^= 0x01;
    std::string corruptedWrongPassword = request("ABCD", '&', "00");
    corruptedWrongPassword[corruptedWrongPassword.size() - 1] ^= 0x01;
    struct Case {
        std::string name;
        std::string frame;
        std::uint8_t code;
        std::uint8_t error;
    };
    const Case cases[] = {
        {"unknown command", request("MNVK", '&', "FE"), 0xFE, 2},
        {"wrong password", request("ABCD", '&', "81"), 0x81, 6},
        {"bad checksum", corrupted, 0x00, 7},
        // The password cannot be trusted in a frame that failed its checksum.
        {"bad checksum and password", corruptedWrongPassword, 0x00, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto answer = model.handle(c.frame);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->id, '&');
        EXPECT_EQ(answer->code, c.code);
        EXPECT_EQ(answer->error, c.error);
        EXPECT_TRUE(answer->fields.empty());
    }
    EXPECT_FALSE(model.handle(wire("<STX>MNVK&00")));
}

TEST_F(RegisterModelTest, InjectedErrorReplacesTheAnswer) {
    model.setErrorInjector([](std::uint8_t code) { return code == 0x00 ? 9 : 0; });
    const Answer failed = ask("00");
    EXPECT_EQ(failed.error, 9);
    EXPECT_TRUE(failed.fields.empty());
    EXPECT_EQ(ask("81").error, 0);
}

// A package document: print commands run unanswered, the first error among
// them is held, and the next ordinary command reports it instead of running,
// so a receipt that went wrong is not closed as if it were fine.
class PackageReceipt : public testing::RegisterSession {};

TEST_F(PackageReceipt, HoldsThePrintErrorForTheNextAnsweredCommand) {
    startDay();
    ASSERT_EQ(error(0x30, {"18", "1", "Ivanova", "0", ""}), 0);  // sale, package flag
    EXPECT_TRUE(sendsNothing(
        0x42, {"Tea", " ", "1.000", "50.000000", "0", "", "0", "0", "", "0", "4", "1"}));
    EXPECT_TRUE(sendsNothing(
        0x42, {"Bad tax", " ", "1.000", "5.000000", "7", "", "0", "0", "", "0", "4", "1"}));
    EXPECT_TRUE(sendsNothing(
        0x42, {"Sugar", " ", "1.000", "30.000000", "0", "", "0", "0", "", "0", "4", "1"}));
    EXPECT_TRUE(sendsNothing(0x47, {"0", "80.00", ""}));

    // The polls that pace a package answer for themselves and keep the error.
    EXPECT_EQ(status().doc, 0x42u);
    EXPECT_EQ(error(0x81), 0);

    EXPECT_EQ(error(0x31, {"5"}), 3) << "the close reports the refused item";
    EXPECT_EQ(status().doc, 0x42u) << "and the receipt is still open";
    EXPECT_EQ(error(0x31, {"5"}), 0);
    EXPECT_EQ(status().doc, 0u);
}

}  // namespace
}  // namespace zirok::emulator
