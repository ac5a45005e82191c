// Package mode between the driver and the register: print commands written
// back to back without waiting, the drawer poll that paces them, and a print
// command's device error that only the close can report.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "emulated_register.hpp"

namespace zirok::e2e {
namespace {

constexpr std::uint8_t kPrintText = 0x40;
constexpr std::uint8_t kGetDrawerState = 0x81;

class PackageMode : public EmulatedRegister {
  protected:
    // The shift open beforehand, so a receipt signs nothing but itself.
    void SetUp() override {
        EmulatedRegister::SetUp();
        startDay();
        ASSERT_EQ(protocol::OpenShift(link, port, "", 1), 0);
    }

    // A line whose frame is 64 bytes: 50 characters, FS, "0", FS and 11 of frame.
    static std::string printLine(int n) {
        std::string text = "LINE " + std::to_string(n);
        text.resize(50, '.');
        return text;
    }
};

TEST_F(PackageMode, PrintCommandsGoOutUnansweredOnlyInPackageMode) {
    struct Case {
        bool packageMode;
        std::string opening;  // first field of the document opening
        std::size_t unanswered;
    } cases[] = {{true, "18", 5}, {false, "2", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packageMode ? "package mode" : "one answer a frame");
        link.setPackageMode(c.packageMode);
        const std::size_t first = line.frames.size();
        const std::size_t archived = state().archive.size();

        ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 0), 0);
        EXPECT_EQ(line.frames[first].fields().at(0), c.opening);
        EXPECT_EQ(protocol::AddPosition(link, port, itemLine("Tea", 1000, 500000, 0)), 0);
        EXPECT_EQ(protocol::AddPosition(link, port, itemLine("Cake", 2000, 250000, 0)), 0);
        EXPECT_EQ(protocol::PrintText(link, port, "Thank you", 0), 0);
        EXPECT_EQ(protocol::Subtotal(link, port), 0);
        EXPECT_EQ(protocol::AddPayment(link, port, 0, 1000000, ""), 0);
        ASSERT_EQ(protocol::DocumentClose(link, port, false, 5), 0);

        std::size_t unanswered = 0;
        for (std::size_t i = first; i < line.frames.size(); ++i) {
            EXPECT_LE(line.frames[i].answers, 1u);
            if (line.frames[i].answers == 0) ++unanswered;
        }
        EXPECT_EQ(line.frames.size() - first, 7u) << "every frame reached the register";
        EXPECT_EQ(unanswered, c.unanswered);
        // Unread or not, the register did all of it.
        ASSERT_EQ(state().archive.size(), archived + 1);
        EXPECT_EQ(state().archive.back().total, 10000);
    }
}

TEST_F(PackageMode, ADrawerPollPacesEveryTwoKilobytesOfFrames) {
    ASSERT_EQ(protocol::DocumentOpen(link, port, 1, 1, "", 0), 0);
    link.resetPacingCounter();
    takeTape();
    const std::size_t first = line.frames.size();
    constexpr int kLines = 70;
    for (int n = 0; n < kLines; ++n) ASSERT_EQ(protocol::PrintText(link, port, printLine(n), 0), 0);

    // Where the polls must fall: after the frame that takes the count of
    // frame bytes past 2048, which then starts again from 0.
    std::vector<std::uint8_t> expected;
    std::size_t counted = 0;
    for (int n = 0; n < kLines; ++n) {
        expected.push_back(kPrintText);
        counted += printLine(n).size() + 3 + protocol::kFrameOverhead;
        if (counted > protocol::RegisterLink::kPacingThreshold) {
            expected.push_back(kGetDrawerState);
            counted = 0;
        }
    }
    EXPECT_EQ(codesFrom(first), expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), kGetDrawerState), 2);
    EXPECT_EQ(link.pacingCounter(), counted);
    for (std::size_t i = first; i < line.frames.size(); ++i) {
        const SentFrame& frame = line.frames[i];
        if (frame.code() == kPrintText) {
            EXPECT_EQ(frame.bytes.size(), 64u);
            EXPECT_EQ(frame.answers, 0u);
        } else {
            EXPECT_EQ(frame.answers, 1u) << "the poll is read like any exchange";
        }
    }
    EXPECT_EQ(takeTape().size(), static_cast<std::size_t>(kLines));
    EXPECT_EQ(protocol::DocumentClose(link, port, false, 1), 0);
}

TEST_F(PackageMode, APrintCommandsDeviceErrorSurfacesAtTheClose) {
    struct Case {
        const char* what;
        std::function<void()> spoil;  // before the second item
        Result expected;
    } cases[] = {
        {"an injected device error", [this] { control("fault 42 error 9 once"); }, 9},
        {"an item the register refuses", [this] { link.pending.paymentMethodSign = 8; }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t archived = state().archive.size();
        const int annulled = state().shift.counters.annulled;
        ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 0), 0);
        link.resetPacingCounter();
        EXPECT_EQ(protocol::AddPosition(link, port, itemLine("Tea", 1000, 500000, 0)), 0);
        c.spoil();
        EXPECT_EQ(protocol::AddPosition(link, port, itemLine("Cake", 1000, 250000, 0)), 0)
            << "written unanswered: only the frame's going out is known";
        // Enough lines for a pacing poll, which must not swallow the error.
        const std::size_t first = line.frames.size();
        for (int n = 0; n < 40; ++n) ASSERT_EQ(protocol::PrintText(link, port, printLine(n), 0), 0);
        const auto codes = codesFrom(first);
        ASSERT_EQ(std::count(codes.begin(), codes.end(), kGetDrawerState), 1);
        EXPECT_EQ(protocol::AddPayment(link, port, 0, 1000000, ""), 0);

        EXPECT_EQ(protocol::DocumentClose(link, port, false, 5), c.expected);
        EXPECT_EQ(state().archive.size(), archived) << "nothing was signed";
        ASSERT_TRUE(state().document.has_value());
        EXPECT_EQ(state().document->items.size(), 1u);
        protocol::Status status;
        ASSERT_EQ(protocol::GetStatus(link, port, status), 0);
        EXPECT_EQ(status.doc & 0x0F, 2) << "the sale is still open for the driver to annul";

        ASSERT_EQ(protocol::DocumentAnnul(link, port), 0);
        EXPECT_EQ(state().shift.counters.annulled, annulled + 1);
        EXPECT_FALSE(state().document.has_value());
    }
}

}  // namespace
}  // namespace zirok::e2e
