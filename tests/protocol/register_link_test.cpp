#include "protocol/register_link.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "protocol/answer_fields.hpp"
#include "protocol/commands/status_commands.hpp"
#include "scripted_transport.hpp"

namespace zirok::protocol {
namespace {

using testing::ScriptedPort;
using testing::ScriptedTransport;

std::string hex2(unsigned v) {
    static const char d[] = "0123456789ABCDEF";
    return {d[v >> 4 & 15], d[v & 15]};
}

// The register's answer to a request frame, echoing its id and code.
std::string answerTo(const std::string& request, std::string_view error = "00", std::string_view data = "") {
    std::string f = "\x02";
    f += request[5];
    f += request.substr(6, 2);
    f += error;
    f += data;
    f += '\x03';
    unsigned sum = 0;
    for (std::size_t i = 1; i < f.size(); ++i) sum ^= static_cast<unsigned char>(f[i]);
    return f + hex2(sum);
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.setTransportFactory([this] { return std::make_unique<ScriptedTransport>(port); });
        port.answer = [](const std::string& request) { return answerTo(request); };
        ASSERT_TRUE(link.connect("MNVK", "COM1", 57600, false, false));
        port.calls.clear();
    }
    Result plain(std::uint8_t code, const ExchangeOptions& options = {}) {
        link.params().clear();
        return link.exchange("COM1", code, options);
    }

    ScriptedPort port;
    RegisterLink link;
};

TEST(LinkWithoutTransport, EveryCommandIsRefusedWithNothingSent) {
    RegisterLink link;
    link.setTransportPath("/nonexistent/libcomdll.so");
    EXPECT_FALSE(link.connect("MNVK", "COM1", 57600, false, false));
    EXPECT_FALSE(link.transportLoaded());
    EXPECT_FALSE(link.transportLoadError().empty());
    Status status;
    EXPECT_EQ(GetStatus(link, "COM1", status), result::NotConnected);
    EXPECT_EQ(link.exchange("COM1", 0x11), result::NotConnected);
    EXPECT_EQ(link.exchangeWithBlock("COM1", 0x15, "abc"), result::NotConnected);
    EXPECT_FALSE(GetDrawerState(link, "COM1"));
    EXPECT_TRUE(link.disconnect("COM1"));
}

TEST_F(LinkTest, ConnectOpensThenSetsTheDefaultTimeout) {
    link.setDefaultTimeout(7000);
    EXPECT_TRUE(link.connect("MNVK", "COM1", 19200, true, true));
    EXPECT_EQ(port.calls, (std::vector<std::string>{"close", "open 19200 1", "timeout 7000"}));
    port.openResult = 5;
    EXPECT_FALSE(link.connect("MNVK", "COM1", 19200, false, false));
}

TEST_F(LinkTest, PacketIdsStartAt20AndWrapAfterF0) {
    EXPECT_EQ(plain(0x00), result::Ok);
    EXPECT_EQ(static_cast<unsigned char>(port.writes[0][5]), 0x20);
    for (int i = 0; i < 0xF0 - 0x20; ++i) ASSERT_EQ(plain(0x00), result::Ok);
    EXPECT_EQ(static_cast<unsigned char>(port.writes.back()[5]), 0xF0);
    EXPECT_EQ(plain(0x00), result::Ok);
    EXPECT_EQ(static_cast<unsigned char>(port.writes.back()[5]), 0x20);
    // The counter survives a reconnection.
    link.disconnect("COM1");
    link.connect("MNVK", "COM1", 57600, false, false);
    EXPECT_EQ(plain(0x00), result::Ok);
    EXPECT_EQ(static_cast<unsigned char>(port.writes.back()[5]), 0x21);
}

TEST_F(LinkTest, ExchangeOutcomes) {
    struct Case {
        const char* name;
        std::function<std::string(const std::string&)> answer;
        int shortWriteBy;
        Result expected;
    } cases[] = {
        {"device error", [](const std::string& r) { return answerTo(r, "0A"); }, 0, 10},
        {"short write", [](const std::string& r) { return answerTo(r); }, 1, result::SendFailed},
        {"silence", [](const std::string&) { return std::string(); }, 0, result::NoAnswer},
        {"half an answer", [](const std::string& r) { return answerTo(r).substr(0, 7); }, 0, result::NoAnswer},
        {"wrong id",
         [](const std::string& r) {
             std::string other = r;
             other[5] = static_cast<char>(other[5] + 1);
             return answerTo(other);
         },
         0, result::WrongPacketId},
        {"wrong command",
         [](const std::string& r) {
             std::string other = r;
             other[7] = '9';
             return answerTo(other);
         },
         0, result::WrongCommand},
        {"bad checksum",
         [](const std::string& r) {
             std::string a = answerTo(r);
             a.back() = a.back() == '0' ? '1' : '0';
             return a;
         },
         0, result::BadChecksum},
        {"noise before the answer", [](const std::string& r) { return "\xFF\x15" + answerTo(r); }, 0, result::Ok},
        {"endless noise", [](const std::string&) { return std::string(5000, '\x55'); }, 0, result::NoAnswer},
        {"answer without end", [](const std::string&) { return "\x02" + std::string(2000, 'x'); }, 0,
         result::NoAnswer},
    };
    for (const auto& c : cases) {
        port.answer = c.answer;
        port.shortWriteBy = c.shortWriteBy;
        EXPECT_EQ(plain(0x11), c.expected) << c.name;
        // The next exchange starts afresh.
        port.answer = [](const std::string& r) { return answerTo(r); };
        port.shortWriteBy = 0;
        EXPECT_EQ(plain(0x11), result::Ok) << "after " << c.name;
    }
}

TEST_F(LinkTest, StatusAcceptsAMismatchedPacketIdAndReadsItsWords) {
    port.answer = [](const std::string& r) {
        std::string other = r;
        other[5] = 0x7E;
        return answerTo(other, "00", "64\x1C" "5\x1C" "130\x1C");
    };
    Status status;
    EXPECT_EQ(GetStatus(link, "COM1", status), result::Ok);
    EXPECT_EQ(status.fatal, 64);
    EXPECT_EQ(status.flags, 5);
    EXPECT_EQ(status.doc, 130);
    EXPECT_EQ(plain(0x11), result::WrongPacketId);
}

TEST_F(LinkTest, LongerTimeoutIsSetAndRestoredAlsoAfterAFailure) {
    port.answer = [](const std::string&) { return std::string(); };
    EXPECT_EQ(plain(0x62, {.timeoutMs = 90000}), result::NoAnswer);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"timeout 90000", "clear", "timeout 5000"}));
}

TEST_F(LinkTest, RequestTooLongForAFrameIsRefusedBeforeAnythingIsSent) {
    link.params().clear();
    link.params().appendText(std::string(1020, 'x'));
    EXPECT_EQ(link.exchange("COM1", 0x12), result::RequestTooLong);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(link.printExchange("COM1", 0x12, true), result::RequestTooLong);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(LinkTest, PackageModeWritesWithoutReadingAndPacesAfter2048Bytes) {
    port.answer = [](const std::string& r) {
        return r.substr(6, 2) == "81" ? answerTo(r, "00", "0\x1C") : std::string();
    };
    std::size_t counted = 0;
    int frames = 0;
    while (counted + 100 + 11 <= RegisterLink::kPacingThreshold) {
        link.params().clear();
        link.params().appendText(std::string(99, 't'));  // 100 data bytes with its FS
        ASSERT_EQ(link.printExchange("COM1", 0x40, true), result::Ok);
        counted += 111;
        ++frames;
    }
    EXPECT_EQ(link.pacingCounter(), counted);
    EXPECT_EQ(port.writes.size(), static_cast<std::size_t>(frames));
    link.params().clear();
    link.params().appendText(std::string(99, 't'));
    ASSERT_EQ(link.printExchange("COM1", 0x40, true), result::Ok);
    ASSERT_EQ(port.writes.size(), static_cast<std::size_t>(frames + 2));
    EXPECT_EQ(port.writes.back().substr(6, 2), "81");
    EXPECT_EQ(link.pacingCounter(), 0u);

    link.setPackageMode(false);
    port.answer = [](const std::string& r) { return answerTo(r, "08"); };
    link.params().clear();
    EXPECT_EQ(link.printExchange("COM1", 0x40, true), 8);
}

TEST_F(LinkTest, DataBlockFollowsTheAckByteByByte) {
    // ACK to the command frame; the answer once the last block byte is in.
    port.answer = [this](const std::string& written) -> std::string {
        if (port.writes.size() == 1) return "\x06";
        return written == "C" ? answerTo(port.writes.front()) : "";
    };
    link.params().clear();
    link.params().appendInt(4);
    EXPECT_EQ(link.exchangeWithBlock("COM1", 0x15, "ABC"), result::Ok);
    ASSERT_EQ(port.writes.size(), 5u);
    EXPECT_EQ(port.writes[1], "\x1B");  // the logo block is ESC-prefixed
    EXPECT_EQ(port.writes[2], "A");
    EXPECT_EQ(port.writes[4], "C");
    EXPECT_NE(std::find(port.calls.begin(), port.calls.end(), "timeout 30000"), port.calls.end());
    EXPECT_EQ(port.calls.back(), "clear");
}

TEST_F(LinkTest, DataBlockRefusalReturnsItsErrorAndSendsNoBlock) {
    port.answer = [](const std::string& r) { return answerTo(r, "03"); };
    link.params().clear();
    EXPECT_EQ(link.exchangeWithBlock("COM1", 0x18, std::string(64, '\xFF')), 3);
    EXPECT_EQ(port.writes.size(), 1u);

    port.answer = [](const std::string& r) { return answerTo(r, "03").substr(0, 6); };
    link.params().clear();
    EXPECT_EQ(link.exchangeWithBlock("COM1", 0x18, "x"), result::NoAnswer);
    EXPECT_EQ(port.writes.size(), 2u);
}

}  // namespace
}  // namespace zirok::protocol

namespace zirok::protocol {
namespace {

TEST_F(LinkTest, ALateAnswerToTheRequestBeforeIsDroppedNotTakenForTheNextOne) {
    port.answer = [](const std::string&) { return std::string(); };
    ASSERT_EQ(plain(0x11), result::NoAnswer);
    const std::string lost = port.writes.back();
    // The late answer comes in after the next request's input clear.
    port.answer = [&lost](const std::string& r) { return answerTo(lost) + answerTo(r, "00", "7\x1C"); };
    EXPECT_EQ(plain(0x12), result::Ok);
    EXPECT_EQ(answerInteger(link.answer(), 0), 7);

    // Only the answer of the request that went unanswered is dropped.
    const std::string older = port.writes.front();
    port.answer = [&older](const std::string&) { return answerTo(older); };
    EXPECT_EQ(plain(0x11), result::WrongPacketId);
}

}  // namespace
}  // namespace zirok::protocol
