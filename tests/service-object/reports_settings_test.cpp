// Settings written to the register (clock, header and trailer lines, POS
// number, VAT rates) and kept in the service object (operator, store number).
#include <gtest/gtest.h>

#include "protocol/commands.hpp"
#include "tests/service-object/reports_fixture.hpp"

namespace zirok::so::testing {
namespace {

using Settings = ReportsTest;

TEST_F(Settings, SetDateTakesTwoAndFourDigitYears) {
    for (const std::u16string date : {u"150320240930", u"1503240930"}) {
        SCOPED_TRACE(ansi(date));
        state().clockOffsetSeconds = 0;
        EXPECT_EQ(so->SetDate(date), 0);
        protocol::ZirokDate day;
        protocol::ZirokTime time;
        ASSERT_EQ(protocol::GetDateTime(context().link, so->port(), day, time), 0);
        EXPECT_EQ(day, (protocol::ZirokDate{24, 3, 15}));
        EXPECT_EQ(time.Hour, 9);
        EXPECT_EQ(time.Min, 30);
    }
}

TEST_F(Settings, SetDateRefusesWhatIsNotADate) {
    const std::int64_t offset = state().clockOffsetSeconds;
    for (const std::u16string date : {u"15032409", u"1503202409xx", u"", u"1a03240930"}) {
        SCOPED_TRACE(ansi(date));
        EXPECT_THROW(so->SetDate(date), CallFailure);
    }
    EXPECT_EQ(state().clockOffsetSeconds, offset);
    // A well-formed text the register refuses comes back mapped.
    EXPECT_EQ(so->SetDate(u"3203240930"), 114);
    EXPECT_EQ(prop(pidx::ResultCodeExtended), 3);
    EXPECT_EQ(state().clockOffsetSeconds, offset);
}

TEST_F(Settings, HeaderAndTrailerLinesReachTheirTables) {
    EXPECT_EQ(so->SetHeaderLine(1, u"ООО Ромашка", true), 0);
    EXPECT_EQ(so->SetHeaderLine(10, u"г. Москва", false), 0);
    EXPECT_EQ(so->SetTrailerLine(3, u"Спасибо!", false), 0);
    EXPECT_EQ(state().tables.text(30, 0), device(u"ООО Ромашка"));
    EXPECT_EQ(state().tables.text(30, 9), device(u"г. Москва"));
    EXPECT_EQ(state().tables.text(31, 2), device(u"Спасибо!"));

    for (std::int32_t line : {0, 11}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(so->SetHeaderLine(line, u"x", false), 114);
        EXPECT_EQ(prop(pidx::ResultCodeExtended), 3);
        EXPECT_EQ(so->SetTrailerLine(line, u"x", false), 114);
        EXPECT_EQ(prop(pidx::ResultCodeExtended), 3);
    }
}

TEST_F(Settings, RefusedTrailerLineIsTracedWithWhatItSet) {
    TraceCapture trace(*so);
    EXPECT_EQ(so->SetTrailerLine(11, u"x", true), 114);
    const auto messages = trace.messages();
    ASSERT_GE(messages.size(), 4u);
    EXPECT_EQ(messages[3], "DoubleWidth=True");
    EXPECT_EQ(messages[messages.size() - 2],
              "[ERROR!] Exiting and\r\n"
              "\tSet Result := 114\r\n"
              "\tSet CommonPropertyNumber[PIDX_ResultCode] := 114\r\n"
              "\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := 3\r\n"
              "\tSet CommonPropertyString[PIDX_CheckHealthText] := '" +
                  ansi(u"Некорректный формат или параметр команды") +
                  "'\r\n"
                  "\tSet PropertyNumber[PIDXFptr_ErrorLevel] := 2\r\n"
                  "\tSet PropertyString[PIDXFptr_ErrorString] := '" +
                  ansi(u"Некорректный формат или параметр команды") + "'");
    EXPECT_EQ(messages.back(), "End SetTrailerLine");
}

TEST_F(Settings, SetPosIdNamesTheOperatorAndNumbersThePos) {
    struct Case {
        std::int32_t firmware;
        bool conversion;
        std::u16string posId;
        std::u16string cashier;
        std::string name;  // as kept for the register
        std::int32_t result;
        std::int64_t posNumber;
    };
    const Case cases[] = {
        {555, true, u"12", u"7", "007", 0, 12},
        {560, true, u"13", u"7", "7", 0, 13},
        {150, true, u"14", u"Иван", device(u"00Иван"), 0, 14},
        {659, false, u"15", u"Иван", ansi(u"00Иван"), 0, 15},
        {660, false, u"16", u"Иван", ansi(u"Иван"), 0, 16},
        // The register refuses the number: reported, the old one stays.
        {560, true, u"100000", u"8", "8", 114, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ansi(c.posId));
        so->firmwareVersion_ = c.firmware;
        context().link.setConversionSetting(c.conversion);
        EXPECT_EQ(so->SetPOSID(c.posId, c.cashier), c.result);
        EXPECT_EQ(so->cashierName_, c.name);
        EXPECT_EQ(state().tables.integer(10), c.posNumber);
    }
    context().link.setConversionSetting(true);
    EXPECT_THROW(so->SetPOSID(u"x1", u"9"), CallFailure);
    EXPECT_EQ(state().tables.integer(10), 16);

    // The operator goes out with the next document.
    so->SetPOSID(u"1", u"Петров");
    EXPECT_EQ(so->BeginNonFiscal(), 0);
    EXPECT_EQ(state().document->cashier, device(u"Петров"));
}

TEST_F(Settings, SetStoreFiscalIdKeepsTheNumberWithoutTraffic) {
    const std::pair<std::u16string, std::int32_t> cases[] = {
        {u"42", 42}, {u"abc", 0}, {u"", 0}, {u"7x", 0}, {u"-3", -3}};
    for (const auto& [id, number] : cases) {
        SCOPED_TRACE(ansi(id));
        so->props().setNumber(pidx::ResultCode, 114);
        EXPECT_EQ(so->SetStoreFiscalID(id), 0);
        EXPECT_EQ(so->storeFiscalNumber_, number);
        EXPECT_EQ(prop(pidx::ResultCode), 0);
    }
    EXPECT_EQ(traffic(), 0u);
}

TEST_F(Settings, VatRatesWaitForSetVatTable) {
    EXPECT_EQ(so->SetVatValue(2, u"200000"), 0);
    EXPECT_EQ(so->SetVatValue(5, u"0"), 0);
    EXPECT_EQ(traffic(), 0u);
    EXPECT_EQ(so->SetVatTable(), 0);
    EXPECT_EQ(state().tables.read(41, 2), "20.00");
    EXPECT_EQ(state().tables.read(41, 5), "0.00");
    EXPECT_EQ(so->pendingVatRates_, (std::array<std::int32_t, 6>{-1, -1, -1, -1, -1, -1}));
    // Nothing pending any more: nothing is written.
    markTraffic();
    EXPECT_EQ(so->SetVatTable(), 0);
    EXPECT_EQ(traffic(), 0u);
}

TEST_F(Settings, BadVatValuesAreRefusedAndNotKept) {
    const std::u16string kBadId = u"Неверный номер налоговой ставки";
    const std::u16string kBadValue =
        u"Ошибка в параметре VatValue. Величина налога не является числом.";
    struct Case {
        std::int32_t id;
        std::u16string value;
        std::u16string words;
    };
    const Case cases[] = {
        {-1, u"100000", kBadId}, {6, u"100000", kBadId}, {6, u"x", kBadId},
        {0, u"20%", kBadValue},  {0, u"", kBadValue},    {0, u"99999999999", kBadValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ansi(c.value));
        EXPECT_EQ(so->SetVatValue(c.id, c.value), 106);
        EXPECT_EQ(prop(pidx::ResultCode), 106);
        EXPECT_EQ(propText(pidx::FptrErrorString), c.words);
        EXPECT_EQ(propText(pidx::CheckHealthText), c.words);
    }
    EXPECT_EQ(so->pendingVatRates_, (std::array<std::int32_t, 6>{-1, -1, -1, -1, -1, -1}));
}

TEST_F(Settings, RefusedVatRateStaysPendingWithTheOnesAfterIt) {
    so->SetVatValue(0, u"100000");
    so->SetVatValue(1, u"1000000");  // 100 %: more than the register takes
    so->SetVatValue(3, u"50000");
    EXPECT_EQ(so->SetVatTable(), 114);
    EXPECT_EQ(prop(pidx::ResultCodeExtended), 3);
    EXPECT_EQ(state().tables.read(41, 0), "10.00");
    EXPECT_EQ(so->pendingVatRates_, (std::array<std::int32_t, 6>{-1, 1000000, -1, 50000, -1, -1}));
}

}  // namespace
}  // namespace zirok::so::testing
