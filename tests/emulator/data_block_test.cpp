// Commands that carry a data block: the register answers ACK, takes the
// block's bytes, and only then answers the frame.
#include <gtest/gtest.h>

#include "emulator/faults.hpp"
#include "emulator/frame_server.hpp"
#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

class DataBlocks : public testing::RegisterSession {
  protected:
    // Every byte the register sends back for these bytes.
    std::string exchange(std::string_view bytes) {
        std::string sent;
        for (const Transmission& t : server.receive(bytes)) sent += t.bytes;
        return sent;
    }
    std::string frame(std::uint8_t code, const std::vector<std::string>& fields) {
        return encodeRequest("MNVK", 0x30, code, fields);
    }
    static std::uint8_t errorOf(const std::string& answer) {
        return answer.size() > 6 ? *parseHexByte(answer.substr(4, 2)) : 0xFF;
    }

    FaultPlan faults;
    FrameServer server{model, faults};
};

TEST_F(DataBlocks, TakeTheBlockAfterAnAckAndAnswerOnceItIsIn) {
    const std::string logo =
        "\x1B"
        "BM" +
        std::string(61, '\0');
    EXPECT_EQ(exchange(frame(0x15, {std::to_string(logo.size())})), "\x06");
    // The block may arrive in pieces, and may hold frame bytes of its own.
    EXPECT_EQ(exchange(logo.substr(0, 10)), "");
    const std::string answer = exchange(logo.substr(10));
    EXPECT_EQ(errorOf(answer), 0);
    EXPECT_EQ(answer.substr(2, 2), "15");
    EXPECT_EQ(model.state().logo, logo.substr(1));
    EXPECT_EQ(errorOf(exchange(frame(0x00, {}))), 0) << "back to requests";
}

TEST_F(DataBlocks, PrintAndStorePicturesDotForDot) {
    startDay();
    // 16 x 2 dots: a bar on the left of the top row.
    const std::string raster = std::string("\xFF\x00\x00\x00", 4);
    EXPECT_EQ(exchange(frame(0x55, {"16", "2", "1"})), "\x06");
    EXPECT_EQ(errorOf(exchange(raster)), 0);
    EXPECT_NE(tape().find("[КАРТИНКА 16x2]\n#"), std::string::npos) << tape();

    EXPECT_EQ(exchange(frame(0x18, {"16", "2", "0", "7", "7"})), "\x06");
    EXPECT_EQ(errorOf(exchange(raster)), 0);
    EXPECT_EQ(error(0x56, {"0", "7"}), 0);
    EXPECT_EQ(error(0x56, {"0", "8"}), 3) << "an empty slot";
}

TEST_F(DataBlocks, RefuseWithAFrameInsteadOfTheAck) {
    struct Case {
        const char* what;
        std::string request;
        std::uint8_t error;
    };
    startDay();
    ASSERT_EQ(error(0x23, {"Ivanova"}), 0);
    const Case cases[] = {
        {"the logo while a shift is open", frame(0x15, {"100"}), 15},
        {"a width not a multiple of 8", frame(0x55, {"12", "2", "0"}), 3},
        {"a picture wider than the paper", frame(0x55, {"584", "2", "0"}), 3},
        {"a PNG past its limit", frame(0x67, {"11825", "10", "10", "0"}), 3},
        {"two different slot numbers", frame(0x18, {"8", "1", "0", "1", "2"}), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string answer = exchange(c.request);
        ASSERT_FALSE(answer.empty());
        EXPECT_EQ(answer[0], '\x02');
        EXPECT_EQ(errorOf(answer), c.error);
    }
}

TEST_F(DataBlocks, CheckTheBlockOnceItHasArrived) {
    EXPECT_EQ(exchange(frame(0x67, {"8", "10", "10", "0"})), "\x06");
    EXPECT_EQ(errorOf(exchange("GIF89a..")), 3) << "not a PNG file";
    EXPECT_EQ(exchange(frame(0x67, {"8", "10", "10", "0"})), "\x06");
    EXPECT_EQ(errorOf(exchange("\x89PNG\r\n\x1A\n")), 0);
    EXPECT_NE(tape().find("[PNG 10x10, 8 байт]"), std::string::npos);
}

TEST_F(DataBlocks, AnAbandonedBlockLeavesTheRegisterListening) {
    EXPECT_EQ(exchange(frame(0x15, {"100"})), "\x06");
    EXPECT_EQ(exchange("\x1B"
                       "BM"),
              "");
    server.abandonBlock();
    EXPECT_EQ(errorOf(exchange(frame(0x00, {}))), 0);
    EXPECT_TRUE(model.state().logo.empty());
}

}  // namespace
}  // namespace zirok::emulator
