// GetData, GetTotalizer, GetVatEntry and GetDate: which register requests
// each item asks, and how the answers become OPOS data.
#include <gtest/gtest.h>

#include "tests/service-object/core_fixture.hpp"

namespace zirok::so::testing {
namespace {

using DataQueries = RegisterTest;

// A counter answer: its request number, then sixteen payment sums.
std::vector<std::string> sums(const std::string& request, std::vector<std::string> values) {
    values.resize(16, "0");
    values.insert(values.begin(), request);
    return values;
}

struct DataCase {
    const char* name;
    std::int32_t item;
    std::int32_t optArgs;
    std::vector<Scripted> answers;
    std::u16string data;
    std::int32_t optArgsAfter;
    std::vector<std::string> requests;
};

TEST_F(DataQueries, GetDataItems) {
    const DataCase cases[] = {
        {"current total", 1, 0, {{0x03, "1", {"1", "1234.5", "0"}}}, u"1234.50", 1, {"03:1"}},
        {"daily total",
         2,
         77,
         {{0x01, "3", sums("3", {"1000.01", "200.5", "0", "34.05"})}},
         u"1234.56",
         77,
         {"01:3"}},
        {"refunds", 4, 77, {{0x01, "5", sums("5", {"10", "0.25"})}}, u"10.25", 77, {"01:5"}},
        {"receipt number, sales only",
         3,
         0,
         {{0x11, "2;0", {"3"}}, {0x01, "2", {"2", "42"}}},
         u"42",
         3,
         {"11:2;0", "01:2"}},
        {"receipt number with refunds",
         3,
         0,
         {{0x11, "2;0", {"131"}}, {0x01, "7", {"7", "10", "5", "2"}}},
         u"15",
         15,
         {"11:2;0", "01:7"}},
        {"receipt number unread",
         3,
         9,
         {{0x11, "2;0", {"0"}}, {0x01, "2", {}, 3}},
         u"",
         0,
         {"11:2;0", "01:2"}},
        {"voided in the shift", 6, 0, {{0x01, "7", {"7", "10", "5", "2"}}}, u"2", 2, {"01:7"}},
        {"voided fiscal documents", 19, 0, {{0x01, "7", {"7", "10", "5", "2"}}}, u"2", 2, {"01:7"}},
        {"fiscal receipts", 20, 0, {{0x01, "7", {"7", "10", "5", "2"}}}, u"10", 10, {"01:7"}},
        {"z reports", 7, 0, {{0x01, "1", {"1", "15"}}}, u"14", 15, {"01:1"}},
        {"grand total", 8, 5, {{0x02, "12", {"12", "98765.40", "55.5"}}}, u"98765.4", 5, {"02:12"}},
        {"grand total unread", 8, 5, {{0x02, "12", {}, 3}}, u"0", 5, {"02:12"}},
        {"firmware", 10, 0, {{0x02, "2", {"2", "565", "1", "3"}}}, u"565.1.3", 565, {"02:2"}},
        {"fiscal document", 18, 3, {{0x02, "8", {"8", "1234"}}}, u"1234", 1234, {"02:8"}},
        {"fiscal document unread", 18, 3, {{0x02, "8", {}, 3}}, u"0", 0, {"02:8"}},
        {"failed request", 7, 9, {{0x01, "1", {}, 3}}, u"", 9, {"01:1"}},
        {"tender 1", 26, 1, {{0x11, "32;0", {device(u"НАЛИЧНЫМИ")}}}, u"НАЛИЧНЫМИ", 1, {"11:32;0"}},
        {"tender 16", 26, 16, {{0x11, "32;1", {device(u"КАРТОЙ")}}}, u"КАРТОЙ", 16, {"11:32;1"}},
        {"tender 22", 26, 22, {{0x11, "32;2", {"X"}}}, u"X", 22, {"11:32;2"}},
        {"tender 4", 26, 4, {{0x11, "32;3", {"Y"}}}, u"Y", 4, {"11:32;3"}},
    };
    for (const DataCase& c : cases) {
        SCOPED_TRACE(c.name);
        script(c.answers);
        requests.clear();
        std::int32_t optArgs = c.optArgs;
        std::u16string data = u"stale";
        zirok->props().setNumber(pidx::ResultCode, 999);
        EXPECT_EQ(zirok->GetData(c.item, optArgs, data), opos::SUCCESS);
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(optArgs, c.optArgsAfter);
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(number(pidx::ResultCode), 0);
    }
    EXPECT_EQ(zirok->firmwareVersion_, 565);
}

// The register's own answers, worked out from its state: both sides must
// agree on which field of which request holds what.
TEST_F(DataQueries, TheRegistersOwnCountersAndSettings) {
    using emulator::Operation;
    auto& counters = state().shift.counters;
    auto& sales = counters.byOperation[static_cast<std::size_t>(Operation::Sale)];
    sales[0] = 123456;  // kopecks
    sales[1] = 100;
    counters.byOperation[static_cast<std::size_t>(Operation::SaleReturn)][0] = 5000;
    counters.discounts[0] = 150;
    counters.discounts[2] = 25;
    counters.receipts[0] = 10;
    counters.receipts[2] = 5;
    counters.annulled = 2;
    state().shift.open = true;
    state().shift.number = 15;
    state().grandTotals[0] = 9876540;
    state().grandTotals[2] = 5550;
    const auto moment = emulator::momentOf({2024, 3, 15, 9, 30, 45});
    ASSERT_TRUE(moment);
    state().hostClock = [m = *moment] { return m; };

    struct Case {
        std::int32_t item;
        std::int32_t optArgs;
        std::u16string data;
    };
    for (const Case& c :
         {Case{2, 0, u"1235.56"}, Case{4, 0, u"50"}, Case{7, 0, u"14"}, Case{6, 0, u"2"},
          Case{20, 0, u"10"}, Case{8, 0, u"98765.4"}, Case{9, 0, u"00104600123456"},
          Case{10, 0, u"565.1.3"}, Case{26, 1, u"НАЛИЧНЫМИ"}, Case{26, 16, u"БЕЗНАЛИЧНЫМИ"}}) {
        std::int32_t optArgs = c.optArgs;
        std::u16string data;
        EXPECT_EQ(zirok->GetData(c.item, optArgs, data), opos::SUCCESS);
        EXPECT_EQ(data, c.data) << c.item;
    }

    struct TotalCase {
        std::int32_t type;
        std::int32_t kind;
        std::u16string data;
    };
    for (const TotalCase& c : {TotalCase{2, 1, u"118556"}, TotalCase{2, 2, u"123556"},
                               TotalCase{2, 3, u"175"}, TotalCase{4, 8, u"55.5"}}) {
        zirok->props().setNumber(pidx::FptrTotalizerType, c.type);
        std::u16string data;
        EXPECT_EQ(zirok->GetTotalizer(0, c.kind, data), opos::SUCCESS);
        EXPECT_EQ(data, c.data) << c.type << "/" << c.kind;
    }

    std::int32_t rate = 0;
    EXPECT_EQ(zirok->GetVatEntry(1, 0, rate), opos::SUCCESS);
    EXPECT_EQ(rate, 100000);
    std::u16string date;
    EXPECT_EQ(zirok->GetDate(date), opos::SUCCESS);
    EXPECT_EQ(date, u"150320240930");
}

TEST_F(DataQueries, GetDataRefusesWhatItDoesNotServe) {
    markTraffic();
    for (const auto& [item, optArgs] : {std::pair{5, 0}, {26, 2}, {26, 0}, {0, 0}, {11, 0}}) {
        std::int32_t args = optArgs;
        std::u16string data = u"kept";
        EXPECT_EQ(zirok->GetData(item, args, data), opos::E_ILLEGAL) << item;
        EXPECT_EQ(number(pidx::ResultCode), opos::E_ILLEGAL);
        EXPECT_EQ(text(pidx::FptrErrorString), u"Команда не поддерживается");
        EXPECT_EQ(data, u"kept");
    }
    EXPECT_EQ(traffic(), 0u);
}

TEST_F(DataQueries, PrinterIdIsAskedOnlyUntilKnown) {
    script({{0x02, "1", {"1", "00104600123456"}}});
    std::int32_t optArgs = 0;
    std::u16string data;
    zirok->GetData(9, optArgs, data);
    zirok->GetData(9, optArgs, data);
    EXPECT_EQ(data, u"00104600123456");
    EXPECT_EQ(requests, std::vector<std::string>{"02:1"});

    zirok->factoryNumber_ = ansi(u"Заводской 7");
    requests.clear();
    zirok->GetData(9, optArgs, data);
    EXPECT_EQ(data, u"Заводской 7");
    EXPECT_TRUE(requests.empty());
}

struct TotalizerCase {
    const char* name;
    std::int32_t type;
    std::int32_t kind;
    std::vector<Scripted> answers;
    std::u16string data;
    std::vector<std::string> requests;
};

TEST_F(DataQueries, GetTotalizerKindsAndTypes) {
    const std::vector<Scripted> day = {
        {0x01, "3", sums("3", {"1000", "234.56"})},
        {0x01, "5", sums("5", {"0.005", "100"})},
        {0x01, "9", {"9", "1.5", "2", "3.25", "4"}},
    };
    const std::vector<Scripted> receipt = {{0x03, "1", {"1", "300.10", "20.05", "5"}}};
    const std::vector<Scripted> voided = {{0x02, "7", {"7", "12.344"}}};
    const std::vector<Scripted> grand = {{0x02, "12", {"12", "98765.40", "55.5"}}};
    const TotalizerCase cases[] = {
        {"day gross", 2, 1, day, u"113456", {"01:3", "01:5"}},
        {"day net", 2, 2, day, u"123456", {"01:3"}},
        {"day discount", 2, 3, day, u"475", {"01:9"}},
        {"day item", 2, 5, day, u"123456", {"01:3"}},
        {"day refund, half a kopeck up", 2, 8, day, u"10001", {"01:5"}},
        {"day surcharge", 2, 14, day, u"600", {"01:9"}},
        {"receipt net", 3, 2, receipt, u"30010", {"03:1"}},
        {"receipt discount", 3, 3, receipt, u"2005", {"03:1"}},
        {"receipt item", 3, 5, receipt, u"31515", {"03:1"}},
        {"receipt refund", 3, 8, receipt, u"31515", {"03:1"}},
        {"receipt surcharge", 3, 14, receipt, u"500", {"03:1"}},
        {"item void, any type", 4, 6, voided, u"1234", {"02:7"}},
        {"grand refund, not in kopecks", 4, 8, grand, u"55.5", {"02:12"}},
        {"grand gross", 4, 1, grand, u"0", {}},
        {"grand net", 4, 2, grand, u"0", {}},
        {"day net unread", 2, 2, {{0x01, "3", {}, 3}}, u"0", {"01:3"}},
        {"day gross below zero",
         2,
         1,
         {{0x01, "3", sums("3", {"10"})}, {0x01, "5", sums("5", {"10.005"})}},
         u"-1",
         {"01:3", "01:5"}},
    };
    for (const TotalizerCase& c : cases) {
        SCOPED_TRACE(c.name);
        script(c.answers);
        requests.clear();
        zirok->props().setNumber(pidx::FptrTotalizerType, c.type);
        std::u16string data = u"stale";
        EXPECT_EQ(zirok->GetTotalizer(0, c.kind, data), opos::SUCCESS);
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(requests, c.requests);
    }
}

TEST_F(DataQueries, GetTotalizerRefusals) {
    markTraffic();
    std::u16string data;
    zirok->props().setNumber(pidx::FptrTotalizerType, 3);
    EXPECT_EQ(zirok->GetTotalizer(0, 1, data), opos::E_ILLEGAL);
    EXPECT_EQ(number(pidx::ResultCode), opos::E_ILLEGAL);
    EXPECT_EQ(text(pidx::FptrErrorString),
              u"Команда поддерживается только для TotalizerType = FPTR_TT_DAY");

    zirok->props().setNumber(pidx::FptrTotalizerType, 2);
    for (std::int32_t kind : {0, 4, 7, 13, 15}) {
        EXPECT_EQ(zirok->GetTotalizer(0, kind, data), opos::E_ILLEGAL) << kind;
        EXPECT_EQ(text(pidx::FptrErrorString), u"Команда не поддерживается");
    }
    EXPECT_EQ(traffic(), 0u);
}

TEST_F(DataQueries, GetTotalizerTracesTheDaySums) {
    TraceCapture trace(*zirok);
    script({{0x01, "3", sums("3", {"1000", "234.56"})}});
    std::u16string data;
    zirok->GetTotalizer(1, 5, data);
    const auto messages = trace.messages();
    ASSERT_EQ(messages.size(), 23u);
    EXPECT_EQ(messages[2], "OPtArgs=5");
    EXPECT_EQ(messages[3], "TotalizerType=2");
    EXPECT_EQ(messages[4], "getDoubleValue(recData,1)=1000");
    EXPECT_EQ(messages[5], "getDoubleValue(recData,2)=234.56");
    EXPECT_EQ(messages[19], "getDoubleValue(recData,16)=0");
    EXPECT_EQ(messages[20], "Data=123456");
    EXPECT_EQ(messages[21], "Data='123456'");
    EXPECT_EQ(messages[22], "End GetTotalizer");
}

TEST_F(DataQueries, GetVatEntry) {
    struct Case {
        std::int32_t vatId;
        const char* rate;
        std::int32_t expected;
    };
    for (const Case c : {Case{0, "20.00", 200000}, Case{1, "10", 100000}, Case{5, "0", 0},
                         Case{2, "6.66666", 66667}}) {
        script({{0x11, "41;" + std::to_string(c.vatId), {c.rate}}});
        std::int32_t rate = -1;
        EXPECT_EQ(zirok->GetVatEntry(c.vatId, 0, rate), opos::SUCCESS) << c.rate;
        EXPECT_EQ(rate, c.expected) << c.rate;
    }

    markTraffic();
    for (std::int32_t vatId : {6, -1}) {
        std::int32_t rate = -1;
        EXPECT_EQ(zirok->GetVatEntry(vatId, 0, rate), opos::E_ILLEGAL);
        EXPECT_EQ(text(pidx::FptrErrorString), u"Неверный номер налоговой ставки");
        EXPECT_EQ(rate, -1);
    }
    EXPECT_EQ(traffic(), 0u);

    script({{0x11, "41;3", {}, 3}});
    std::int32_t rate = -1;
    EXPECT_EQ(zirok->GetVatEntry(3, 0, rate), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 3);
    EXPECT_EQ(rate, -1);
}

TEST_F(DataQueries, GetDateReadsTheRegistersClock) {
    TraceCapture trace(*zirok);
    script({{0x13, "", {"150324", "093045"}}});
    std::u16string date;
    EXPECT_EQ(zirok->GetDate(date), opos::SUCCESS);
    EXPECT_EQ(date, u"150320240930");
    const std::vector<std::string> expected = {"Begin GetDate", "Date='150320240930'",
                                               "End GetDate"};
    EXPECT_EQ(trace.messages(), expected);

    // A clock that cannot be read, and a register that does not answer.
    script({{0x13, "", {"0", "093045"}}});
    date = u"kept";
    EXPECT_EQ(zirok->GetDate(date), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 245);
    EXPECT_EQ(date, u"kept");
    reg->faults.add(emulator::parseFault("13:silent:once"));
    EXPECT_EQ(zirok->GetDate(date), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 241);
}

}  // namespace
}  // namespace zirok::so::testing
