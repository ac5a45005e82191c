#include "emulator/register_model.hpp"

#include <gtest/gtest.h>

#include "emulator/commands/commands.hpp"
#include "tests/emulator/frame_test_support.hpp"

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
        RegisterState state;
        Status expected;
    };
    RegisterState inSale;
    inSale.workDayStarted = true;
    inSale.shiftOpen = true;
    inSale.document = DocumentType::Sale;
    inSale.documentAwaitingClose = true;
    RegisterState overdue;
    overdue.workDayStarted = true;
    overdue.shiftOpen = true;
    overdue.shiftOverdue = true;
    const Case cases[] = {
        {"power-on", RegisterState{}, {0x40, 0x01, 0x00}},
        {"sale waiting to be closed", inSale, {0x00, 0x04, 0x82}},
        {"shift past 24 hours", overdue, {0x00, 0x104, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Status status = statusOf(c.state);
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
// them is held, and the next ordinary command reports it instead of running.
TEST_F(RegisterModelTest, PackageDocumentHoldsThePrintErrorForTheNextCommand) {
    int closes = 0;
    model.define(0x42, CommandKind::Print, [](RegisterState&, const Request& r) {
        if (r.fields.at(0) == "ok") return Reply{};
        return failure(static_cast<std::uint8_t>(std::stoi(r.fields.at(0))));
    });
    model.define(0x31, CommandKind::Plain, [&closes](RegisterState& s, const Request&) {
        ++closes;
        s.packageDocument = false;
        return Reply{};
    });

    EXPECT_EQ(ask("42", wire("ok<FS>")).error, 0) << "answered outside a package document";
    model.state().packageDocument = true;
    EXPECT_FALSE(model.handle(request("MNVK", '1', "42", wire("ok<FS>"))));
    EXPECT_FALSE(model.handle(request("MNVK", '2', "42", wire("3<FS>"))));
    EXPECT_FALSE(model.handle(request("MNVK", '3', "42", wire("9<FS>"))));

    // Polls in between answer for themselves and leave the error in place.
    EXPECT_EQ(ask("00").error, 0);
    EXPECT_EQ(ask("81").error, 0);

    EXPECT_EQ(ask("31").error, 3);
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(ask("31").error, 0);
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace zirok::emulator
