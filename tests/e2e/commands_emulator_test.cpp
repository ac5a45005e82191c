// Each command function against the emulated register: what the function
// reads back from the answer, and what the command changed in the register.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "emulated_register.hpp"
#include "emulator/register_clock.hpp"

namespace zirok::e2e {
namespace {

using protocol::answerInteger;
using protocol::answerText;
using protocol::ZirokDate;
using protocol::ZirokTime;

using Query = std::function<Result(FrameBuffer&)>;

ZirokDate dateOf(emulator::Moment moment) {
    const emulator::CivilTime c = emulator::civilOf(moment);
    return {static_cast<std::uint8_t>(c.year % 100), static_cast<std::uint8_t>(c.month),
            static_cast<std::uint8_t>(c.day)};
}
ZirokTime timeOf(emulator::Moment moment) {
    const emulator::CivilTime c = emulator::civilOf(moment);
    return {static_cast<std::uint8_t>(c.hour), static_cast<std::uint8_t>(c.minute),
            static_cast<std::uint8_t>(c.second)};
}

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class CommandCatalogue : public EmulatedRegister {
  protected:
    // Starts the day and opens shift 1, signing its opening report.
    void openShift() {
        startDay();
        ASSERT_EQ(protocol::OpenShift(link, port, dev("Петров"), 1), 0);
        takeTape();
    }
};

TEST_F(CommandCatalogue, QueriesAnswerWhereTheDriverReadsThem) {
    openShift();
    const emulator::RegisterState& s = state();
    const emulator::StoredDocument& last = s.archive.back();
    const std::string lastNumber = std::to_string(last.number);
    struct Case {
        const char* what;
        Query query;
        std::size_t field;
        std::string expected;
    };
    const auto counters = [this](int r) {
        return [this, r](FrameBuffer& a) { return protocol::GetCounters(link, port, r, a); };
    };
    const auto device = [this](int r) {
        return [this, r](FrameBuffer& a) { return protocol::GetDeviceInfo(link, port, r, a); };
    };
    const auto table = [this](int t, int i) {
        return [this, t, i](FrameBuffer& a) { return protocol::ReadTable(link, port, t, i, a); };
    };
    const Case cases[] = {
        {"shift the next Z report closes", counters(1), 1, std::to_string(s.shift.number)},
        {"last fiscal document", counters(1), 2, lastNumber},
        {"cash in the drawer", counters(8), 5, "0.00"},
        {"serial number", device(1), 1, s.identity.serialNumber},
        {"firmware version", device(2), 1, "565"},
        {"taxpayer number", device(3), 1, s.identity.inn},
        {"model name", device(4), 1, dev("ЗИРОК-2Ф")},
        {"registration number", device(6), 1, s.identity.regNumber},
        {"voided in the shift", device(7), 1, "0.00"},
        {"last document number", device(8), 1, lastNumber},
        {"open receipt total without one",
         [this](FrameBuffer& a) { return protocol::GetReceiptData(link, port, 1, a); }, 1, "0.00"},
        {"mechanism reading 5",
         [this](FrameBuffer& a) { return protocol::GetServiceInfo(link, port, 5, a); }, 2,
         std::to_string(s.archive.size())},
        {"print options", table(1, 0), 0, "0"},
        {"table 5 from the factory", table(5, 0), 0, "2"},
        {"POS number", table(10, 0), 0, "1"},
        {"second tax rate", table(41, 1), 0, "10.00"},
        {"key server time-out", table(94, 0), 0, "8"},
        {"marking server time-out", table(204, 0), 0, "5"},
        {"storage number, whole answer",
         [this](FrameBuffer& a) { return protocol::GetFnInfoAnswer(link, port, 1, a); }, 1,
         s.identity.fnNumber},
        {"last document, whole answer",
         [this](FrameBuffer& a) { return protocol::GetFnInfoAnswer(link, port, 3, a); }, 1,
         lastNumber},
        {"QR size of 5 bytes",
         [this](FrameBuffer& a) { return protocol::GetQrSize(link, port, "hello", a); }, 0,
         "105"},  // version 1, 21 modules of 5 dots
        {"QR size of 100 bytes",
         [this](FrameBuffer& a) {
             return protocol::GetQrSize(link, port, std::string(100, 'x'), a);
         },
         0, "205"},  // version 6, 41 modules
        {"marking keys due",
         [this](FrameBuffer& a) { return protocol::MarkCodeRequest(link, port, 52, "0", a); }, 1,
         "0"},
        {"marking step",
         [this](FrameBuffer& a) { return protocol::MarkCodeRequest(link, port, 0, "", a); }, 1,
         "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameBuffer answer{};
        ASSERT_EQ(c.query(answer), 0);
        EXPECT_EQ(answerText(answer, c.field), c.expected);
    }

    // Dates and times read with the driver's own readers.
    FrameBuffer answer{};
    ASSERT_EQ(protocol::GetDeviceInfo(link, port, 5, answer), 0);
    EXPECT_EQ(protocol::answerDate(answer, 1), dateOf(last.when));
    EXPECT_EQ(protocol::answerTime(answer, 2), timeOf(last.when));
    ASSERT_EQ(protocol::GetDeviceInfo(link, port, 17, answer), 0);
    EXPECT_EQ(protocol::answerDate(answer, 1), (ZirokDate{24, 1, 1}));
    EXPECT_EQ(protocol::answerTime(answer, 2), (ZirokTime{10, 0, 0}));

    // The data-part form of the storage queries, separators turned into ";".
    struct FnCase {
        int request;
        std::int64_t argument;
        std::string expected;
    };
    const std::string when = emulator::dateField(last.when) + ";" + emulator::timeField(last.when);
    const FnCase fnCases[] = {
        {1, 0, "1;" + s.identity.fnNumber + ";"},
        {2, 0, "2;3;" + lastNumber + ";0;"},
        {3, 0, "3;" + lastNumber + ";" + when + ";"},
        {4, 0, "4;1;1;0;"},
        {10, last.number,
         "10;2;" + lastNumber + ";" + when + ";" + std::to_string(last.sign) + ";0.00;"},
        {12, 1, "12;" + s.identity.inn + ";" + s.identity.regNumber + ";63;0;"},
        {14, 0, "14;4;4;"},
    };
    for (const FnCase& c : fnCases) {
        SCOPED_TRACE("storage request " + std::to_string(c.request));
        std::string data;
        ASSERT_EQ(protocol::GetFnInfo(link, port, c.request, c.argument, data), 0);
        EXPECT_EQ(data, c.expected);
    }
}

TEST_F(CommandCatalogue, RefusedQueriesGiveTheRegistersCodeAndLeaveTheCallersBuffer) {
    startDay();
    struct Case {
        const char* what;
        Query query;
        Result expected;
    };
    const Case cases[] = {
        {"last receipt before the first",
         [this](FrameBuffer& a) { return protocol::GetReceiptData(link, port, 2, a); }, 72},
        {"counter request it lacks",
         [this](FrameBuffer& a) { return protocol::GetCounters(link, port, 12, a); }, 3},
        {"table it lacks",
         [this](FrameBuffer& a) { return protocol::ReadTable(link, port, 99, 0, a); }, 3},
        {"block before a document was selected",
         [this](FrameBuffer& a) { return protocol::GetFnInfoAnswer(link, port, 16, a); }, 1},
        {"decision on no checked code",
         [this](FrameBuffer& a) { return protocol::MarkCodeDecision(link, port, 1, a); }, 115},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameBuffer answer;
        answer.fill('#');
        EXPECT_EQ(c.query(answer), c.expected);
        EXPECT_TRUE(std::all_of(answer.begin(), answer.end(), [](char b) { return b == '#'; }));
    }
    std::string data = "kept";
    EXPECT_EQ(protocol::GetFnInfo(link, port, 10, 9999, data), 72);
    EXPECT_EQ(data, "kept");
}

TEST_F(CommandCatalogue, StatusPrinterAndDrawerFollowTheRegister) {
    protocol::Status status;
    ASSERT_EQ(protocol::GetStatus(link, port, status), 0);
    EXPECT_EQ(status.fatal, 0x40);
    EXPECT_EQ(status.flags, 0x01);
    openShift();
    ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 0), 0);
    ASSERT_EQ(protocol::GetStatus(link, port, status), 0);
    const emulator::Status expected = emulator::statusOf(state());
    EXPECT_EQ(status.fatal, expected.fatal);
    EXPECT_EQ(status.flags, expected.flags);
    EXPECT_EQ(status.doc, expected.doc);
    EXPECT_EQ(status.flags & 0x04, 0x04) << "shift open";
    EXPECT_EQ(status.doc & 0x0F, 2) << "a sale";
    ASSERT_EQ(protocol::DocumentAnnul(link, port), 0);

    struct Printer {
        const char* control1;
        const char* control2;
        std::int64_t flags;
        std::string message;
    } printers[] = {
        {"paper in", "cover closed", 0, ""},
        {"paper out", "cover closed", 2, win(u"В ПРИНТЕРЕ НЕТ БУМАГИ")},
        {"paper out", "cover open", 6, win(u"В ПРИНТЕРЕ НЕТ БУМАГИ ИЛИ ОТКРЫТА КРЫШКА ПРИНТЕРА")},
    };
    for (const Printer& p : printers) {
        SCOPED_TRACE(p.message);
        control(p.control1);
        control(p.control2);
        std::int64_t flags = -1;
        std::string message = "stale";
        ASSERT_EQ(protocol::GetPrinterStatus(link, port, flags, message), 0);
        EXPECT_EQ(flags, p.flags);
        EXPECT_EQ(message, p.message);
    }
    control("paper in");
    control("cover closed");

    EXPECT_FALSE(protocol::GetDrawerState(link, port));
    ASSERT_EQ(protocol::OpenDrawer(link, port), 0);
    EXPECT_TRUE(state().drawerOpen);
    EXPECT_TRUE(protocol::GetDrawerState(link, port));
    control("fault 81 error 9 once");
    EXPECT_FALSE(protocol::GetDrawerState(link, port)) << "an error is never an open drawer";
    control("drawer closed");
    EXPECT_FALSE(protocol::GetDrawerState(link, port));
}

TEST_F(CommandCatalogue, TablesTakeWhatTheWritersWrite) {
    struct Case {
        const char* what;
        std::function<Result()> write;
        int table, index;
        std::string expected;
    };
    const Case cases[] = {
        {"header line",
         [this] { return protocol::WriteHeaderLine(link, port, 2, win(u"Касса №1")); }, 30, 2,
         dev("Касса №1")},
        {"trailer line", [this] { return protocol::WriteTrailerLine(link, port, 1, "Bye"); }, 31, 1,
         "Bye"},
        {"payment name past the last",
         [this] { return protocol::WritePaymentName(link, port, 20, win(u"Купон")); }, 32, 15,
         dev("Купон")},
        {"tax name past the last",
         [this] { return protocol::WriteTaxName(link, port, 9, win(u"НДС 5%")); }, 40, 5,
         dev("НДС 5%")},
        {"tax rate below the first",
         [this] { return protocol::WriteTaxRate(link, port, -1, 50000); }, 41, 0, "5.00"},
        {"department name",
         [this] { return protocol::WriteDepartmentName(link, port, 3, win(u"Бакалея")); }, 50, 3,
         dev("Бакалея")},
        {"POS number", [this] { return protocol::SetPosNumber(link, port, 42); }, 10, 0, "42"},
        {"data operator address",
         [this] { return protocol::WriteTableText(link, port, 77, 0, "ofd.test.local"); }, 77, 0,
         "ofd.test.local"},
        {"marking time-out", [this] { return protocol::WriteTable(link, port, 204, 0, 9); }, 204, 0,
         "9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.write(), 0);
        EXPECT_EQ(state().tables.read(c.table, c.index), c.expected);
        FrameBuffer answer{};
        ASSERT_EQ(protocol::ReadTable(link, port, c.table, c.index, answer), 0);
        EXPECT_EQ(answerText(answer, 0), c.expected);
    }
    EXPECT_EQ(protocol::ReadPosNumber(link, port), 42);

    const std::size_t frames = line.frames.size();
    EXPECT_EQ(protocol::SetPosNumber(link, port, -1), 32);
    EXPECT_EQ(line.frames.size(), frames) << "a negative POS number is never sent";
    EXPECT_EQ(state().tables.read(10, 0), "42");
    EXPECT_EQ(protocol::WriteTable(link, port, 1, 0, 300), 3) << "a flag word is one byte";
}

TEST_F(CommandCatalogue, LogoFlagFollowsTheLogoAndTable5LosesOnlyBit1) {
    ASSERT_EQ(protocol::WriteTable(link, port, 5, 0, 3), 0);
    ASSERT_EQ(protocol::ClearTable5Bit1(link, port), 0);
    EXPECT_EQ(state().tables.read(5, 0), "1");

    ASSERT_EQ(protocol::WriteTable(link, port, 1, 0, 1), 0);
    const std::string bmp = "BM" + std::string(62, '\x7F');
    std::size_t first = line.frames.size();
    ASSERT_EQ(protocol::LoadLogo(link, port, bmp), 0);
    EXPECT_EQ(codesFrom(first), (std::vector<std::uint8_t>{0x15, 0x11, 0x12}));
    EXPECT_EQ(line.frames[first].fields(), std::vector<std::string>{"65"}) << "ESC counted";
    EXPECT_EQ(line.blockBytes, bmp.size() + 1);
    EXPECT_EQ(state().logo, bmp);
    EXPECT_EQ(state().tables.read(1, 0), "5") << "bit 2 set, bit 0 kept";

    startDay();
    takeTape();
    ASSERT_EQ(protocol::DocumentOpen(link, port, 1, 1, "", 0), 0);
    EXPECT_TRUE(contains(takeTapeText(), "[ЛОГОТИП]"));
    ASSERT_EQ(protocol::DocumentClose(link, port, false, 1), 0);

    ASSERT_EQ(protocol::DeleteLogo(link, port), 0);
    EXPECT_TRUE(state().logo.empty());
    EXPECT_EQ(state().tables.read(1, 0), "1");

    // Refused with the shift open: the flag word is left alone.
    ASSERT_EQ(protocol::OpenShift(link, port, "", 1), 0);
    first = line.frames.size();
    EXPECT_EQ(protocol::LoadLogo(link, port, bmp), 15);
    EXPECT_EQ(codesFrom(first), std::vector<std::uint8_t>{0x15});
    EXPECT_EQ(state().tables.read(1, 0), "1");
}

TEST_F(CommandCatalogue, ClockIsSetAndARefusalIsRepeatedUnanswered) {
    ZirokDate date;
    ZirokTime time;
    ASSERT_EQ(protocol::GetDateTime(link, port, date, time), 0);
    EXPECT_EQ(date, dateOf(state().now()));

    const ZirokDate wanted{30, 6, 15};
    const ZirokTime at{12, 34, 56};
    ASSERT_EQ(protocol::SetDateTime(link, port, wanted, at), 0);
    ASSERT_EQ(protocol::GetDateTime(link, port, date, time), 0);
    EXPECT_EQ(date, wanted);
    EXPECT_EQ(time.Hour, 12);
    EXPECT_EQ(time.Min, 34);

    // The register refuses once with error 10: a second frame follows at once
    // with what the request buffer then holds, a refusal without fields, so
    // an empty request; its answer is never read.
    const std::int64_t offset = state().clockOffsetSeconds;
    control("fault 14 error 10 once");
    const std::size_t first = line.frames.size();
    EXPECT_EQ(protocol::SetDateTime(link, port, {30, 7, 1}, {8, 0, 0}), 10);
    ASSERT_EQ(codesFrom(first), (std::vector<std::uint8_t>{0x14, 0x14}));
    EXPECT_EQ(line.frames[first + 1].bytes.size(), 11u);
    EXPECT_EQ(line.frames[first + 1].answers, 1u) << "the register answers, nobody reads it";
    EXPECT_EQ(state().clockOffsetSeconds, offset) << "neither frame moved the clock";
    ASSERT_EQ(protocol::GetDateTime(link, port, date, time), 0) << "the stale answer is dropped";
    EXPECT_EQ(date, wanted);

    // A time before the last fiscal document is refused once, without repeat.
    ASSERT_EQ(protocol::SetDateTimeFromComputer(link, port), 0);
    startDay();
    ASSERT_EQ(protocol::OpenShift(link, port, "", 1), 0);
    const std::size_t before = line.frames.size();
    EXPECT_EQ(protocol::SetDateTime(link, port, {24, 1, 2}, {0, 0, 1}), 12);
    EXPECT_EQ(line.frames.size(), before + 1);
}

TEST_F(CommandCatalogue, ShiftAndReportsStepByStep) {
    struct Step {
        const char* what;
        std::function<Result()> call;
        Result expected;
        std::function<void()> check;
    };
    const std::string cashier = dev("Петров");
    const emulator::Moment today = state().now();
    const Step steps[] = {
        {"X report before the day starts",
         [&] { return protocol::PrintXReport(link, port, cashier); }, 1, [] {}},
        {"start of the working day", [&] { return protocol::StartWork(link, port); }, 0,
         [&] { EXPECT_TRUE(state().workDayStarted); }},
        {"shift opened with a number inside 1..11",
         [&] { return protocol::OpenShift(link, port, cashier, 5); }, 0,
         [&] {
             EXPECT_EQ(line.frames.back().fields(), std::vector<std::string>{cashier});
             EXPECT_TRUE(state().shift.open);
             EXPECT_EQ(state().shift.number, 1u);
             EXPECT_EQ(state().archive.back().type, 2);
         }},
        {"a second opening", [&] { return protocol::OpenShift(link, port, cashier, 5); }, 1, [] {}},
        {"X report", [&] { return protocol::PrintXReport(link, port, cashier); }, 0,
         [&] { EXPECT_TRUE(contains(takeTapeText(), "ОТЧЕТ БЕЗ ГАШЕНИЯ")); }},
        {"settlement report", [&] { return protocol::PrintSettlementReport(link, port, cashier); },
         0, [&] { EXPECT_EQ(state().archive.back().type, 21); }},
        {"copy of document 1", [&] { return protocol::PrintNumberedReport(link, port, 1); }, 0,
         [&] { EXPECT_TRUE(contains(takeTapeText(), "КОПИЯ")); }},
        {"copy of a document never made",
         [&] { return protocol::PrintNumberedReport(link, port, 9999); }, 72, [] {}},
        {"copy of the last document", [&] { return protocol::CommandA1(link, port); }, 0,
         [&] { EXPECT_TRUE(contains(takeTapeText(), "КОПИЯ")); }},
        {"fiscal report by dates",
         [&] {
             return protocol::PrintPeriodicReport(link, port, {24, 1, 1}, dateOf(today));
         },
         0, [&] { EXPECT_TRUE(contains(takeTapeText(), "ФИСКАЛЬНЫЙ ОТЧЕТ ЗА ПЕРИОД")); }},
        {"Z report, then the clock from the computer",
         [&] { return protocol::PrintZReport(link, port, cashier); }, 0,
         [&] {
             EXPECT_FALSE(state().shift.open);
             EXPECT_EQ(state().archive.back().type, 5);
             const auto codes = codesFrom(line.frames.size() - 2);
             EXPECT_EQ(codes, (std::vector<std::uint8_t>{0x21, 0x14}));
         }},
        {"Z report on a closed shift", [&] { return protocol::PrintZReport(link, port, cashier); },
         1, [] {}},
        {"shift opened with a number outside 1..11",
         [&] { return protocol::OpenShift(link, port, cashier, 0); }, 0,
         [&] {
             EXPECT_EQ(line.frames.back().fields(),
                       (std::vector<std::string>{cashier, "", "", "0"}));
             EXPECT_EQ(state().shift.number, 2u);
         }},
        {"commands the register takes without a word",
         [&] {
             return protocol::Command34(link, port) | protocol::Command9C(link, port) |
                    protocol::CommandA0(link, port);
         },
         0, [] {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.call(), step.expected);
        step.check();
    }
}

TEST_F(CommandCatalogue, DocumentsOpenCloseAndAnnul) {
    openShift();
    // A service document prints what it is given and counts as one.
    ASSERT_EQ(protocol::DocumentOpen(link, port, 1, 1, "", 0), 0);
    ASSERT_EQ(protocol::PrintText(link, port, win(u"Служебный текст"), 0), 0);
    ASSERT_EQ(protocol::WriteFieldList(link, port, "A;;B"), 0);
    ASSERT_EQ(protocol::DocumentClose(link, port, false, 1), 0);
    EXPECT_EQ(state().shift.counters.serviceDocuments, 1);
    const std::string service = takeTapeText();
    EXPECT_TRUE(contains(service, "НЕФИСКАЛЬНЫЙ ДОКУМЕНТ"));
    EXPECT_TRUE(contains(service, "Служебный текст\nA\nB\n"));

    // Cash in and out move the drawer's cash, as the counters report it.
    struct Cash {
        int type;
        std::int64_t amount;
        std::string drawer;
    } moves[] = {{4, 10000000, "1000.00"}, {5, 3000000, "700.00"}};
    for (const Cash& m : moves) {
        ASSERT_EQ(protocol::DocumentOpen(link, port, m.type, 1, "", 0), 0);
        ASSERT_EQ(protocol::AddCashAmount(link, port, win(u"руб."), m.amount), 0);
        ASSERT_EQ(protocol::DocumentClose(link, port, false, 1), 0);
        FrameBuffer answer{};
        ASSERT_EQ(protocol::GetCounters(link, port, 8, answer), 0);
        EXPECT_EQ(answerText(answer, 5), m.drawer);
    }

    // A receipt annulled: counted, printed, nothing signed.
    std::size_t archived = state().archive.size();
    ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 0), 0);
    ASSERT_EQ(protocol::AddPosition(link, port, itemLine("Tea", 1000, 100000, 0)), 0);
    ASSERT_EQ(protocol::DocumentAnnul(link, port), 0);
    FrameBuffer answer{};
    ASSERT_EQ(protocol::GetCounters(link, port, 7, answer), 0);
    EXPECT_EQ(answerText(answer, 3), "1");
    EXPECT_EQ(state().archive.size(), archived);
    EXPECT_TRUE(contains(takeTapeText(), "ДОКУМЕНТ АННУЛИРОВАН"));
    EXPECT_EQ(protocol::DocumentAnnul(link, port), 1) << "nothing left to annul";

    // Requisites and the closing attributes go into the signed receipt; the
    // label of a hidden one is not printed.
    link.pending.buyerAddress = u"buyer@example.ru";
    link.pending.attributePairA[0] = u"ООО Покупатель";
    link.pending.attributePairA[1] = u"7712345678";
    ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 0), 0);
    ASSERT_EQ(protocol::AddPosition(link, port, itemLine("Tea", 1000, 100000, 0)), 0);
    ASSERT_EQ(protocol::WriteRequisite(link, port, 1008, "buyer@example.ru"), 0);
    ASSERT_EQ(protocol::WriteRequisite(link, port, 1057, "4"), 0);
    ASSERT_EQ(protocol::AddPayment(link, port, 0, 100000, ""), 0);
    ASSERT_EQ(protocol::DocumentClose(link, port, false, 5), 0);
    const DocumentRead doc = readDocument(link, port, state().archive.back().number);
    EXPECT_EQ(numberOf(doc.tlvs, 1057), 4u) << "\"#\" and digits become a number";
    EXPECT_EQ(textOf(doc.tlvs, 1227), dev("ООО Покупатель"));
    EXPECT_EQ(textOf(doc.tlvs, 1228), "7712345678");
    EXPECT_EQ(withTag(doc.tlvs, 1008).size(), 2u) << "the requisite and the buyer address";
    const std::string receipt = takeTapeText();
    EXPECT_TRUE(contains(receipt, "Эл.адр.покупателя: buyer@example.ru"));
    EXPECT_FALSE(contains(receipt, "#4"));

    // A stored receipt issued again names its original.
    link.pending.department = 3;
    ASSERT_EQ(protocol::DocumentOpenEx(link, port, 2, win(u"Петров"), 1, {0, 1, 1}, {0, 0, 0}, 7),
              0);
    EXPECT_EQ(state().document->department, 3);
    EXPECT_TRUE(contains(takeTapeText(), "ПОВТОР ДОКУМЕНТА ФД 7"));
    ASSERT_EQ(protocol::DocumentAnnul(link, port), 0);

    // A correction receipt is signed with its two sums.
    ZirokDate date;
    ZirokTime time;
    ASSERT_EQ(protocol::GetDateTime(link, port, date, time), 0);
    archived = state().archive.size();
    ASSERT_EQ(
        protocol::CorrectionReceipt(link, port, dev("Петров"), 1500000, 500000, 0x20, date, 12), 0);
    ASSERT_EQ(state().archive.size(), archived + 1);
    EXPECT_EQ(state().archive.back().type, 31);
    EXPECT_EQ(state().archive.back().total, 20000);
    EXPECT_EQ(state().shift.counters.corrections, 1);
}

// A cashier without a name must not move the fields after it: the register
// would take the document number for the cashier and the tax system would
// never arrive.
TEST_F(CommandCatalogue, AnEmptyCashierKeepsTheFieldsAfterItInPlace) {
    openShift();
    link.pending.taxSystem = 2;
    ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 77), 0);
    EXPECT_EQ(line.frames.back().fields(), (std::vector<std::string>{"18", "1", "", "77", "2"}));
    ASSERT_TRUE(state().document.has_value());
    EXPECT_EQ(state().document->cashier, "");
    EXPECT_EQ(state().document->number, 77);
    EXPECT_EQ(state().document->taxSystem, 2);
    ASSERT_EQ(protocol::DocumentAnnul(link, port), 0);

    ZirokDate date;
    ZirokTime time;
    ASSERT_EQ(protocol::GetDateTime(link, port, date, time), 0);
    EXPECT_EQ(protocol::CorrectionReceipt(link, port, "", 1500000, 500000, 0x20, date, 12), 0);
    EXPECT_EQ(state().archive.back().type, 31);
    EXPECT_EQ(state().archive.back().total, 20000);
}

TEST_F(CommandCatalogue, ServicePrintingReachesTheTape) {
    startDay();
    link.setPackageMode(false);  // each refusal must come back to be seen
    const std::string longLine = std::string(50, '-') + "ABCDEFGHIJ";
    struct Case {
        const char* what;
        std::function<Result()> print;
        Result expected;
        std::string printed;  // a tape line, or empty for nothing
    };
    const Case cases[] = {
        {"message outside a document",
         [&] { return protocol::PrintMessage(link, port, 0, win(u"Привет"), false); }, 0, "Привет"},
        {"message cut to 56",
         [&] { return protocol::PrintMessage(link, port, 0, longLine, false); }, 0,
         longLine.substr(0, 56)},
        {"text outside a document", [&] { return protocol::PrintText(link, port, "x", 0); }, 1, ""},
        {"barcode",
         [&] { return protocol::PrintBarcode(link, port, 0, 2, 80, 2, "4601234567893", false); }, 0,
         "[EAN-13: 4601234567893]"},
        {"QR code of a Windows-1251 text",
         [&] { return protocol::PrintBarcode(link, port, 0, 4, 0, 8, "t=20240101T1000", false); },
         0, "[QR: t=20240101T1000]"},
        {"symbology the register lacks",
         [&] { return protocol::PrintBarcode(link, port, 0, 2, 80, 7, "123", false); }, 3, ""},
        {"formatted text",
         [&] {
             return protocol::Command65(link, port,
                                        "1\x1C"
                                        "2\x1CHello");
         },
         0, "Hello"},
        {"formatted QR code",
         [&] {
             return protocol::Command66(link, port,
                                        "0\x1C"
                                        "0\x1C"
                                        "0\x1C"
                                        "0\x1C" +
                                            win(u"Подпись") +
                                            "\x1C"
                                            "QRDATA");
         },
         0, "[QR: QRDATA]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        takeTape();
        EXPECT_EQ(c.print(), c.expected);
        const auto tape = takeTape();
        if (c.printed.empty()) {
            EXPECT_TRUE(tape.empty());
        } else {
            EXPECT_NE(std::find(tape.begin(), tape.end(), c.printed), tape.end())
                << ::testing::PrintToString(tape);
        }
    }

    // A text longer than a line is cut to the register's 56, not refused.
    ASSERT_EQ(protocol::DocumentOpen(link, port, 1, 1, "", 0), 0);
    takeTape();
    ASSERT_EQ(protocol::PrintText(link, port, longLine, 0), 0);
    EXPECT_EQ(takeTape(), std::vector<std::string>{longLine.substr(0, 56)});
    ASSERT_EQ(protocol::DocumentClose(link, port, false, 1), 0);

    // QR data the application gives in the register's code page travels as
    // UTF-8, which the register prints as it is.
    link.setActiveConversion(false);
    takeTape();
    ASSERT_EQ(protocol::PrintBarcode(link, port, 0, 4, 0, 8, dev("Чек №5"), false), 0);
    EXPECT_EQ(takeTape(), std::vector<std::string>{"[QR: Чек №5]"});
}

TEST_F(CommandCatalogue, PicturesTravelAsBlocksAfterTheAck) {
    startDay();
    // 16 x 2 dots: two bytes a row.
    const std::string raster = "\xF0\x0F\x0F\xF0";
    const std::string png = "\x89PNG\r\n\x1A\n" + std::string(24, '\0');
    struct Case {
        const char* what;
        std::function<Result()> call;
        Result expected;
        std::size_t block;    // bytes written after the ACK
        std::string printed;  // a line on the tape, or empty
    };
    const Case cases[] = {
        {"picture stored", [&] { return protocol::LoadPicture(link, port, 16, 2, 7, raster); }, 0,
         raster.size(), ""},
        {"stored picture printed", [&] { return protocol::PrintStoredPicture(link, port, 1, 7); },
         0, 0, "[КАРТИНКА 7 16x2]"},
        {"empty slot", [&] { return protocol::PrintStoredPicture(link, port, 1, 8); }, 3, 0, ""},
        {"picture printed", [&] { return protocol::PrintPicture(link, port, 16, 2, 0, raster); }, 0,
         raster.size(), "[КАРТИНКА 16x2]"},
        {"PNG printed", [&] { return protocol::PrintPngPicture(link, port, 10, 10, 2, png); }, 0,
         png.size(), "[PNG 10x10, 32 байт]"},
        {"width not a multiple of 8, refused in place of the ACK",
         [&] { return protocol::LoadPicture(link, port, 12, 2, 8, raster); }, 3, 0, ""},
        {"PNG without its signature, refused once in",
         [&] { return protocol::PrintPngPicture(link, port, 10, 10, 0, std::string(32, 'x')); }, 3,
         32, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        takeTape();
        const std::size_t before = line.blockBytes;
        EXPECT_EQ(c.call(), c.expected);
        EXPECT_EQ(line.blockBytes - before, c.block);
        EXPECT_EQ(line.frames.back().answers, 1u);
        const auto tape = takeTape();
        if (c.printed.empty()) {
            EXPECT_TRUE(tape.empty()) << ::testing::PrintToString(tape);
        } else {
            ASSERT_FALSE(tape.empty());
            EXPECT_EQ(tape.front(), c.printed);
        }
    }
    ASSERT_EQ(state().pictures.count(7), 1u);
    EXPECT_EQ(state().pictures.at(7).raster, raster);
    EXPECT_EQ(state().pictures.count(8), 0u);
}

TEST_F(CommandCatalogue, MarkCodeDialogueAttachesTheCodeToTheNextItem) {
    openShift();
    const std::string code = "010460123456789021ABC";
    ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, "", 0), 0);

    FrameBuffer answer{};
    ASSERT_EQ(protocol::MarkCodeValidation(link, port, code, 1, "1", 0, 0, answer), 0);
    EXPECT_EQ(answerText(answer, 1), "15") << "checked and confirmed both ways";
    EXPECT_EQ(answerText(answer, 3), "1") << "the item state comes back";
    EXPECT_EQ(answerText(answer, 5), "0") << "the last field, its separator cut off";
    EXPECT_EQ(state().marking.code, code);

    ASSERT_EQ(protocol::MarkCodeDecision(link, port, 1, answer), 0);
    EXPECT_EQ(answerText(answer, 1), "15");
    ASSERT_EQ(protocol::ReadMarkCodeState(link, port, answer), 0);
    EXPECT_EQ(answerText(answer, 4), "2") << "kept";
    EXPECT_EQ(protocol::AddMarkCode(link, port, "another code", 1, 15, 0), 115);
    ASSERT_EQ(protocol::AddMarkCode(link, port, code, 1, 15, 0), 0);
    ASSERT_EQ(protocol::AddPosition(link, port, itemLine("Shoes", 1000, 50000000, 0)), 0);
    ASSERT_EQ(protocol::MarkCodeRequest(link, port, 0, "", answer), 0);
    EXPECT_EQ(answerText(answer, 3), "1") << "one code in this receipt";
    ASSERT_EQ(protocol::AddPayment(link, port, 1, 50000000, ""), 0);
    ASSERT_EQ(protocol::DocumentClose(link, port, false, 5), 0);

    const DocumentRead doc = readDocument(link, port, state().archive.back().number);
    const auto items = withTag(doc.tlvs, 1059);
    ASSERT_EQ(items.size(), 1u);
    const auto members = decodeTlvs(items.front()->value);
    EXPECT_EQ(textOf(members, 1162), code);
    EXPECT_EQ(numberOf(members, 2106), 15u);
    EXPECT_TRUE(contains(takeTapeText(), "[M+]"));

    // A code checked and dropped, then the keys.
    ASSERT_EQ(protocol::MarkCodeValidation(link, port, code, 1, "1", 0, 0, answer), 0);
    ASSERT_EQ(protocol::MarkCodeRequest(link, port, 3, "", answer), 0);
    EXPECT_EQ(protocol::MarkCodeDecision(link, port, 1, answer), 115);
    control("mark keys due");
    ASSERT_EQ(protocol::MarkCodeRequest(link, port, 52, "0", answer), 0);
    EXPECT_EQ(answerText(answer, 1), "1");
    ASSERT_EQ(protocol::MarkCodeRequest(link, port, 53, "", answer), 0);
    ASSERT_EQ(protocol::MarkCodeRequest(link, port, 52, "0", answer), 0);
    EXPECT_EQ(answerText(answer, 1), "0");
}

TEST_F(CommandCatalogue, AFreshRegisterTakesItsSerialNumberThenItsRegistration) {
    control("factory fresh");
    startDay();
    ASSERT_EQ(protocol::WriteSerialNumber(link, port, "0012345"), 0);
    EXPECT_EQ(line.frames.back().fields().at(2), "       0012345");
    EXPECT_EQ(state().identity.serialNumber, "0012345");

    ASSERT_EQ(protocol::RegisterFn(link, port, protocol::FnOperation::Registration, "500100732259",
                                   "0000000002001234", 4, 0, dev("Петров")),
              0);
    EXPECT_TRUE(state().identity.fiscal);
    EXPECT_EQ(state().archive.back().type, 1);
    std::string data;
    ASSERT_EQ(protocol::GetFnInfo(link, port, 12, 1, data), 0);
    EXPECT_EQ(data, "12;500100732259;0000000002001234;4;0;");
    FrameBuffer answer{};
    ASSERT_EQ(protocol::GetDeviceInfo(link, port, 1, answer), 0);
    EXPECT_EQ(answerText(answer, 1), "0012345");

    EXPECT_EQ(protocol::WriteSerialNumber(link, port, "999"), 1) << "only before registration";
    EXPECT_EQ(protocol::RegisterFn(link, port, protocol::FnOperation::Registration, "500100732259",
                                   "0000000002001234", 4, 0, ""),
              1)
        << "registered already";
    ASSERT_EQ(protocol::OpenShift(link, port, "", 1), 0);
    EXPECT_EQ(protocol::RegisterFn(link, port, protocol::FnOperation::Reregistration,
                                   "500100732259", "0000000002001234", 1, 0, ""),
              15);
}

TEST_F(CommandCatalogue, SendTextCommandHandsBackTheAnswerFromItsData) {
    startDay();
    std::string text = "1";
    ASSERT_EQ(protocol::SendTextCommand(link, port, 0x02, text), 0);
    const std::string fields = "1\x1C" + state().identity.serialNumber + "\x1C\x03";
    ASSERT_EQ(text.size(), fields.size() + 2) << "with the two checksum characters";
    EXPECT_EQ(text.substr(0, fields.size()), fields);

    text = "9";
    EXPECT_EQ(protocol::SendTextCommand(link, port, 0x99, text), 2);
    EXPECT_EQ(text, "9") << "a refusal leaves the text";

    // A print code inside a package document is written and not read.
    ASSERT_EQ(protocol::DocumentOpen(link, port, 1, 1, "", 0), 0);
    takeTape();
    text =
        "0\x1C"
        "0\x1C" +
        win(u"Строка");
    ASSERT_EQ(protocol::SendTextCommand(link, port, 0x49, text), 0);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(line.frames.back().answers, 0u);
    EXPECT_EQ(takeTape(), std::vector<std::string>{"Строка"});
    ASSERT_EQ(protocol::DocumentClose(link, port, false, 1), 0);
}

}  // namespace
}  // namespace zirok::e2e
