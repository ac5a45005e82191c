// The property accessors: the store's ranges and creation values, the
// indexes read live from the register, and what writes keep.
#include <gtest/gtest.h>

#include "tests/service-object/core_fixture.hpp"

namespace zirok::so::testing {
namespace {

constexpr std::int32_t kNoSuchProperty = 268435455;

using Properties = RegisterTest;

TEST_F(Properties, ACreatedObjectIsClosedWithItsResetValues) {
    EXPECT_EQ(number(pidx::State), opos::S_CLOSED);
    EXPECT_EQ(number(pidx::Claimed), 0);
    EXPECT_EQ(number(pidx::DeviceEnabled), 0);
    EXPECT_EQ(number(pidx::FreezeEvents), 0);
    EXPECT_EQ(number(pidx::ServiceObjectVersion), 1010000);
    EXPECT_EQ(number(pidx::FptrErrorLevel), fptr::EL_NONE);
    EXPECT_EQ(number(pidx::FptrNumVatRates), 6);
    EXPECT_EQ(number(pidx::FptrTotalizerType), 2);
    EXPECT_EQ(number(pidx::Fptr(530)), 1);  // CapSetTrailer
    EXPECT_EQ(number(pidx::Fptr(531)), 0);  // CapSetVatTable
    EXPECT_EQ(number(pidx::Fptr(555)), 1);  // CapTotalizerType, the last index
    EXPECT_EQ(text(pidx::DeviceDescription), u"ZIROK OPOS Driver");
    EXPECT_EQ(text(pidx::DeviceName), u"Zirok");
    EXPECT_EQ(text(pidx::ServiceObjectDescription), u"Service Object for ZIROK");
    EXPECT_EQ(zirok->firmwareVersion_, 560);

    zirok->resetErrorState();
    EXPECT_EQ(number(pidx::State), opos::S_IDLE);
}

TEST_F(Properties, AnInstanceGoingAwayStopsTheLinkTracingIntoIt) {
    // Destroyed without CloseService, as a host that crashes out of its
    // session does: the process-wide link must not keep its logger.
    {
        TraceCapture trace(*zirok);
        context().currentLogger = zirok->logger_.get();
        context().link.setTrafficLog(zirok->logger_.get());
        zirok.reset();
    }
    EXPECT_EQ(context().currentLogger, nullptr);
    TSOZirok other;
    EXPECT_EQ(other.GetPropertyNumber(pidx::FptrDayOpened), 0) << "the link still works";
}

TEST_F(Properties, IndexRangesOfTheNumberReader) {
    struct Case {
        std::int32_t index;
        std::int32_t expected;
    };
    constexpr std::int32_t kStored = 4242;
    constexpr std::int32_t kCallers = -77;
    const Case cases[] = {
        {-1, kNoSuchProperty},   {0, kNoSuchProperty},     {1, kStored},
        {503, kStored},          {504, kNoSuchProperty},   {600, kNoSuchProperty},
        {1000, kNoSuchProperty}, {1002, kCallers},         {1555, kCallers},
        {1556, kNoSuchProperty}, {16000, kNoSuchProperty}, {16001, kStored},
        {16555, kStored},        {16556, kNoSuchProperty}, {20000, kNoSuchProperty},
    };
    for (const Case& c : cases) zirok->props().setNumber(c.index, kStored);
    markTraffic();
    for (const Case& c : cases)
        EXPECT_EQ(zirok->GetPropertyNumber(c.index, kCallers), c.expected) << c.index;
    EXPECT_EQ(traffic(), 0u) << "none of these asks the register";
}

TEST_F(Properties, PaperAndCoverAreAskedAtEveryRead) {
    struct Case {
        const char* printerFlags;
        std::int32_t recEmpty;
        std::int32_t coverOpen;
    };
    for (const Case c : {Case{"2", 1, 0}, Case{"4", 0, 1}, Case{"7", 1, 1}, Case{"0", 0, 0}}) {
        script({{0x04, "", {c.printerFlags}}});
        requests.clear();
        EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrRecEmpty), c.recEmpty) << c.printerFlags;
        EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrCoverOpen), c.coverOpen) << c.printerFlags;
        EXPECT_EQ(requests.size(), 2u);
    }

    // A failed query keeps what the last one found.
    script({{0x04, "", {"6"}}});
    ASSERT_EQ(zirok->GetPropertyNumber(pidx::FptrRecEmpty), 1);
    script({{0x04, "", {}, 9}});
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrRecEmpty), 1);
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrCoverOpen), 1);
    EXPECT_EQ(number(pidx::ResultCode), 0) << "a property read reports nothing";
}

TEST_F(Properties, DayOpenedFollowsTheRegistersShift) {
    state().workDayStarted = true;
    state().shift.open = true;
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrDayOpened), 1);
    state().shift.open = false;
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrDayOpened), 0);

    zirok->props().setNumber(pidx::FptrDayOpened, 1);
    reg->faults.add(emulator::parseFault("00:silent:once"));
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrDayOpened), 1) << "no answer changes nothing";
}

TEST_F(Properties, DrawerOpenIsOnlyAClearOne) {
    state().drawerOpen = true;
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::CashDrawerOpened), 1);
    state().drawerOpen = false;
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::CashDrawerOpened), 0);

    state().drawerOpen = true;
    reg->faults.add(emulator::parseFault("81:error:9:once"));
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::CashDrawerOpened), 0);
    script({{0x81, "", {"2"}}});
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::CashDrawerOpened), 0);
}

TEST_F(Properties, PrinterStateIsReadAndWrittenWithoutTheRegister) {
    markTraffic();
    zirok->SetPropertyNumber(pidx::FptrPrinterState, fptr::PS_FISCAL_RECEIPT);
    EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT);
    EXPECT_EQ(zirok->GetPropertyNumber(pidx::FptrPrinterState), fptr::PS_FISCAL_RECEIPT);
    EXPECT_EQ(traffic(), 0u);
}

TEST_F(Properties, NumberWritesOutsideTheStoreAreIgnored) {
    for (std::int32_t index : {0, 504, 1000, 16556}) zirok->SetPropertyNumber(index, 5);
    for (std::int32_t index : {1, 503, 1001, 16555}) zirok->SetPropertyNumber(index, 5);
    for (std::int32_t index : {503, 1001, 16555}) EXPECT_EQ(number(index), 5) << index;
    EXPECT_EQ(number(0), 0);
    EXPECT_EQ(number(504), 0);
    EXPECT_EQ(number(16556), 0);
}

TEST_F(Properties, OnlyAClaimedDeviceCanBeEnabled) {
    auto control = std::make_shared<RecordingControl>();
    zirok->controlObject_ = control;
    zirok->props().setNumber(pidx::DataEventEnabled, 1);
    zirok->setPrinterState(fptr::PS_MONITOR);
    TraceCapture trace(*zirok);

    zirok->SetPropertyNumber(pidx::DeviceEnabled, 1);
    EXPECT_EQ(number(pidx::DeviceEnabled), 0);
    EXPECT_TRUE(control->calls.empty());
    EXPECT_EQ(number(pidx::ResultCode), 0);

    zirok->SetPropertyNumber(pidx::DeviceEnabled, 0);
    zirok->props().setNumber(pidx::Claimed, 1);
    zirok->SetPropertyNumber(pidx::DeviceEnabled, 1);
    EXPECT_EQ(number(pidx::DeviceEnabled), 1);

    // Each accepted write tells the control object the printer state.
    ASSERT_EQ(control->calls.size(), 2u);
    EXPECT_EQ(control->calls[1].id, 5);
    EXPECT_EQ(control->calls[1].args, std::vector<std::int32_t>{fptr::PS_MONITOR});

    const std::vector<std::string> expected = {
        "Begin SetPropertyNumber", "PropIndex=3", "Number=1",  // refused: no End
        "Begin SetPropertyNumber", "PropIndex=3", "Number=0", "End SetPropertyNumber",
        "Begin SetPropertyNumber", "PropIndex=3", "Number=1", "End SetPropertyNumber",
    };
    EXPECT_EQ(trace.messages(), expected);
}

TEST_F(Properties, StringsKeepWhatTheAnsiCodePageHoldsUpTo255Characters) {
    TraceCapture trace(*zirok);
    const std::u16string longText(300, u'Ж');
    zirok->SetPropertyString(pidx::FptrPostLine, longText);
    EXPECT_EQ(zirok->GetPropertyString(pidx::FptrPostLine), longText.substr(0, 255));

    zirok->SetPropertyString(pidx::FptrAdditionalHeader, u"Чек № 5 \u4e2d\u00e9");
    EXPECT_EQ(zirok->GetPropertyString(pidx::FptrAdditionalHeader), u"Чек № 5 ??");

    const auto messages = trace.messages();
    ASSERT_EQ(messages.size(), 8u);
    EXPECT_EQ(messages[4], "Begin SetPropertyString");
    EXPECT_EQ(messages[5], "PropIndex=1016004");
    EXPECT_EQ(messages[6], "String_='" + ansi(u"Чек № 5 ??") + "'");
    EXPECT_EQ(messages[7], "End SetPropertyString");
}

TEST_F(Properties, StringReadsOutsideTheFiscalPrinterAreEmpty) {
    zirok->SetPropertyString(1001001, u"drawer");
    zirok->SetPropertyString(1016000, u"below");
    zirok->SetPropertyString(pidx::FptrPreLine, u"pre");
    zirok->SetPropertyString(pidx::CheckHealthText, u"health");
    zirok->SetPropertyString(1000005, u"outside");

    EXPECT_EQ(text(1001001), u"drawer") << "stored all the same";
    EXPECT_EQ(zirok->GetPropertyString(1001001), u"");
    EXPECT_EQ(zirok->GetPropertyString(1016000), u"");
    EXPECT_EQ(zirok->GetPropertyString(pidx::FptrPreLine), u"pre");
    EXPECT_EQ(zirok->GetPropertyString(pidx::CheckHealthText), u"health");
    EXPECT_EQ(zirok->GetPropertyString(1000005), u"");
    EXPECT_EQ(zirok->GetPropertyString(0), u"");
}

}  // namespace
}  // namespace zirok::so::testing
