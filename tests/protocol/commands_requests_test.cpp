// What each command function writes: its code, its fields in order, its
// time-out, its pause and whether package mode writes it without an answer.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "commands_fixture.hpp"
#include "platform/clock.hpp"
#include "protocol/commands.hpp"

namespace zirok::protocol {
namespace {

using testing::codeOf;
using testing::CommandTest;
using testing::fieldsOf;

// Привет in Windows-1251 and in code page 866.
const std::string kHello = "\xCF\xF0\xE8\xE2\xE5\xF2";
const std::string kHello866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
// Fields standing for the computer's clock at the time of the call.
const std::string kNowDate = "{date}";
const std::string kNowTime = "{time}";

// What a call hands back, kept apart from the table's rows.
struct Out {
    FrameBuffer frame{};
    std::int64_t flags = 0;
    std::string text;
    ZirokDate date;
    ZirokTime time;
};

using L = RegisterLink;

struct Case {
    const char* name;
    std::function<Result(L&, Out&)> call;
    std::string code;
    std::vector<std::string> fields;
    int timeoutMs = 0;      // 0: the default stays
    bool pauses = false;    // waits before reading the answer
    bool packaged = false;  // written without an answer in package mode
};

const std::string kPort = "COM1";

// clang-format off
std::vector<Case> requestCases() {
    const std::string h = kHello, h866 = kHello866;
    const std::string x60(60, 'x'), x56(56, 'x');
    // The labels of the buyer's e-mail and phone and of the sender's address.
    const std::string email866 = "\x9D\xAB.\xA0\xA4\xE0.\xAF\xAE\xAA\xE3\xAF\xA0\xE2\xA5\xAB\xEF: ";
    const std::string phone866 = "\x92\xA5\xAB.\xAF\xAE\xAA\xE3\xAF\xA0\xE2\xA5\xAB\xEF: ";
    const std::string sender866 =
        "\x80\xA4\xE0\xA5\xE1 \xAE\xE2\xAF\xE0\xA0\xA2\xA8\xE2\xA5\xAB\xEF: ";
    return {
        {"GetCounters", [](L& l, Out& o) { return GetCounters(l, kPort, 5, o.frame); },
         "01", {"5"}},
        {"GetDeviceInfo", [](L& l, Out& o) { return GetDeviceInfo(l, kPort, 1, o.frame); },
         "02", {"1"}},
        {"GetReceiptData", [](L& l, Out& o) { return GetReceiptData(l, kPort, 2, o.frame); },
         "03", {"2"}},
        {"GetPrinterStatus",
         [](L& l, Out& o) { return GetPrinterStatus(l, kPort, o.flags, o.text); },
         "04", {}},
        {"GetServiceInfo", [](L& l, Out& o) { return GetServiceInfo(l, kPort, 9, o.frame); },
         "05", {"9"}},
        {"StartWork", [](L& l, Out&) { return StartWork(l, kPort); },
         "10", {kNowDate, kNowTime}, 0, true},
        {"ReadTable", [](L& l, Out& o) { return ReadTable(l, kPort, 32, 3, o.frame); },
         "11", {"32", "3"}},
        {"WriteTable", [](L& l, Out&) { return WriteTable(l, kPort, 204, 0, 30); },
         "12", {"204", "0", "30"}},
        {"WriteTableText converts", [h](L& l, Out&) { return WriteTableText(l, kPort, 71, 0, h); },
         "12", {"71", "0", h866}},
        {"SetPosNumber", [](L& l, Out&) { return SetPosNumber(l, kPort, 7); },
         "12", {"10", "0", "7"}},
        {"WriteHeaderLine", [h](L& l, Out&) { return WriteHeaderLine(l, kPort, 2, h); },
         "12", {"30", "2", h866}},
        {"WriteTrailerLine", [](L& l, Out&) { return WriteTrailerLine(l, kPort, 0, "Bye"); },
         "12", {"31", "0", "Bye"}},
        {"WritePaymentName above 15",
         [](L& l, Out&) { return WritePaymentName(l, kPort, 20, "Card"); },
         "12", {"32", "15", "Card"}},
        {"WritePaymentName below 1",
         [](L& l, Out&) { return WritePaymentName(l, kPort, 0, "Cash"); },
         "12", {"32", "1", "Cash"}},
        {"WriteTaxName below 0", [](L& l, Out&) { return WriteTaxName(l, kPort, -1, "A"); },
         "12", {"40", "0", "A"}},
        {"WriteTaxName above 5", [](L& l, Out&) { return WriteTaxName(l, kPort, 9, "F"); },
         "12", {"40", "5", "F"}},
        {"WriteTaxRate", [](L& l, Out&) { return WriteTaxRate(l, kPort, 7, 200000); },
         "12", {"41", "5", "20.0000"}},
        {"WriteDepartmentName", [](L& l, Out&) { return WriteDepartmentName(l, kPort, 16, "D"); },
         "12", {"50", "16", "D"}},
        {"GetDateTime", [](L& l, Out& o) { return GetDateTime(l, kPort, o.date, o.time); },
         "13", {}},
        {"SetDateTime", [](L& l, Out&) { return SetDateTime(l, kPort, {24, 3, 5}, {9, 5, 0}); },
         "14", {"050324", "090500"}},
        {"LoadLogo counts the ESC byte", [](L& l, Out&) { return LoadLogo(l, kPort, "BMxx"); },
         "15", {"5"}},
        {"DeleteLogo", [](L& l, Out&) { return DeleteLogo(l, kPort); }, "16", {}, 90000},
        {"LoadPicture sends the number twice",
         [](L& l, Out&) { return LoadPicture(l, kPort, 16, 2, 3, "\xFF\x0F\xF0\x01"); },
         "18", {"16", "2", "0", "3", "3"}},
        {"PrintXReport leaves the cashier as kept",
         [h](L& l, Out&) { return PrintXReport(l, kPort, h); },
         "20", {h}},
        {"PrintZReport", [](L& l, Out&) { return PrintZReport(l, kPort, "C"); }, "21", {"C"}},
        {"OpenShift 5", [](L& l, Out&) { return OpenShift(l, kPort, "C", 5); }, "23", {"C"}},
        {"OpenShift 11", [](L& l, Out&) { return OpenShift(l, kPort, "C", 11); }, "23", {"C"}},
        {"OpenShift 0", [](L& l, Out&) { return OpenShift(l, kPort, "C", 0); },
         "23", {"C", "", "", "0"}},
        {"OpenShift 12", [](L& l, Out&) { return OpenShift(l, kPort, "C", 12); },
         "23", {"C", "", "", "12"}},
        {"WriteFieldList keeps empty pieces and fills 18",
         [h](L& l, Out&) { return WriteFieldList(l, kPort, "a;;" + h + "\x1C" "d"); },
         "24", {"a", "", h866, "d", "", "", "", "", "", "", "", "", "", "", "", "", "", ""},
         0, false, true},
        {"DocumentOpen", [](L& l, Out&) { return DocumentOpen(l, kPort, 2, 3, "C", 0); },
         "30", {"18", "3", "C", "0", ""}},
        {"DocumentClose", [](L& l, Out&) { return DocumentClose(l, kPort, false, 5); },
         "31", {"5", "", "0", "", "", "", "", "", "", "", ""}, 0, true},
        {"DocumentClose without cut", [](L& l, Out&) { return DocumentClose(l, kPort, true, 5); },
         "31", {"0", "", "0", "", "", "", "", "", "", "", ""}, 0, true},
        {"DocumentAnnul", [](L& l, Out&) { return DocumentAnnul(l, kPort); }, "32", {}},
        {"Command34", [](L& l, Out&) { return Command34(l, kPort); }, "34", {}},
        {"PrintText converts", [h](L& l, Out&) { return PrintText(l, kPort, h, 3); },
         "40", {h866, "3"}, 0, true, true},
        {"PrintText cuts to 56", [x60](L& l, Out&) { return PrintText(l, kPort, x60, 0); },
         "40", {x56, "0"}, 0, true, true},
        {"PrintBarcode",
         [](L& l, Out&) { return PrintBarcode(l, kPort, 1, 2, 50, 2, "460001", false); },
         "41", {"1", "2", "50", "2", "460001"}, 0, true},
        {"PrintBarcode packaged",
         [](L& l, Out&) { return PrintBarcode(l, kPort, 0, 5, 0, 8, "t=1", true); },
         "41", {"0", "5", "0", "8", "t=1"}, 0, true, true},
        {"AddPosition 1.5 x 99.9",
         [](L& l, Out&) {
             return AddPosition(l, kPort, {.name = "Milk", .article = " ", .quantity = 1500,
                                           .price = 999000, .taxIndex = 3});
         },
         "42", {"Milk", " ", "1.500", "99.900000", "3", "", "0", "0", "", "0", "4", "1"},
         0, false, true},
        {"VoidPosition",
         [](L& l, Out&) { return VoidPosition(l, kPort, "Milk", " ", 1500, 99900000, 5); },
         "43", {"Milk", " ", "1.500", "99.900000", "5", "", "1", "0", "", "0"}, 0, false, true},
        {"VoidPosition cuts name and article",
         [x60](L& l, Out&) { return VoidPosition(l, kPort, x60, x60, 1000, 1000000, 0); },
         "43", {x56, std::string(18, 'x'), "1.000", "1.000000", "0", "", "1", "0", "", "0"},
         0, false, true},
        {"Subtotal", [](L& l, Out&) { return Subtotal(l, kPort); }, "44", {}, 0, false, true},
        {"AddDiscount",
         [h](L& l, Out&) { return AddDiscount(l, kPort, AdjustmentKind::Sum, h, 105000); },
         "45", {"1", h866, "10.500000000"}, 0, false, true},
        {"AddMarkup cuts its name to 38",
         [](L& l, Out&) {
             return AddMarkup(l, kPort, AdjustmentKind::Percentage, std::string(40, 'm'), 50000);
         },
         "46", {"0", std::string(38, 'm'), "5.000000000"}, 0, false, true},
        {"AddPayment", [h](L& l, Out&) { return AddPayment(l, kPort, 1, 123456, h); },
         "47", {"1", "12.35", h866}, 0, false, true},
        {"AddPayment cuts its text to 44",
         [](L& l, Out&) { return AddPayment(l, kPort, 0, 0, std::string(50, 'p')); },
         "47", {"0", "0", std::string(44, 'p')}, 0, false, true},
        {"AddCashAmount", [h](L& l, Out&) { return AddCashAmount(l, kPort, h, 1000000); },
         "48", {h866, "100.00"}, 0, false, true},
        {"PrintMessage", [h](L& l, Out&) { return PrintMessage(l, kPort, 16, h, false); },
         "49", {"0", "16", h866}, 0, true},
        {"PrintMessage packaged", [](L& l, Out&) { return PrintMessage(l, kPort, 0, "m", true); },
         "49", {"0", "0", "m"}, 0, true, true},
        {"DocumentOpenEx",
         [h](L& l, Out&) { return DocumentOpenEx(l, kPort, 2, h, 7, {0, 1, 1}, {}, 15); },
         "53", {"18", "1", h866, "0", "7", "010100", "000000", "15"}},
        {"DocumentOpenEx without a reference",
         [](L& l, Out&) { return DocumentOpenEx(l, kPort, 3, "C", 1, {0, 1, 1}, {}, 0); },
         "53", {"19", "1", "C", "0", "1", "010100", "000000"}},
        {"PrintPicture", [](L& l, Out&) { return PrintPicture(l, kPort, 16, 1, 2, "\x01\x02"); },
         "55", {"16", "1", "2"}},
        {"PrintStoredPicture", [](L& l, Out&) { return PrintStoredPicture(l, kPort, 1, 3); },
         "56", {"1", "3"}},
        {"WriteRequisite e-mail",
         [](L& l, Out&) { return WriteRequisite(l, kPort, 1008, "a@b.ru"); },
         "57", {"1008", "0", email866, "a@b.ru"}, 0, false, true},
        {"WriteRequisite phone", [](L& l, Out&) { return WriteRequisite(l, kPort, 1008, "+7999"); },
         "57", {"1008", "0", phone866, "+7999"}, 0, false, true},
        {"WriteRequisite sender",
         [](L& l, Out&) { return WriteRequisite(l, kPort, 1117, "s@x.ru"); },
         "57", {"1117", "0", sender866, "s@x.ru"}, 0, false, true},
        {"WriteRequisite 1057", [](L& l, Out&) { return WriteRequisite(l, kPort, 1057, "5"); },
         "57", {"1057", "64", " ", "#5"}, 0, false, true},
        {"WriteRequisite 1271", [](L& l, Out&) { return WriteRequisite(l, kPort, 1271, "2"); },
         "57", {"1271", "64", " ", "#2"}, 0, false, true},
        {"WriteRequisite other", [h](L& l, Out&) { return WriteRequisite(l, kPort, 1192, h); },
         "57", {"1192", "0", " ", h866}, 0, false, true},
        {"CorrectionReceipt",
         [](L& l, Out&) { return CorrectionReceipt(l, kPort, "C", 1000000, 0, 32, {24, 3, 5}, 7); },
         "58", {"C", "100.00", "0", "0", "0", "0", "32", "050324", "7"}},
        {"PrintSettlementReport", [](L& l, Out&) { return PrintSettlementReport(l, kPort, "C"); },
         "59", {"C"}},
        {"RegisterFn keeps an empty text's place",
         [](L& l, Out&) {
             return RegisterFn(l, kPort, FnOperation::Registration, "A", "", 4, 5, "C");
         },
         "60", {"1", "A", "", "4", "5", "C", kNowDate, kNowTime}},
        {"PrintPeriodicReport",
         [](L& l, Out&) { return PrintPeriodicReport(l, kPort, {24, 1, 1}, {24, 12, 31}); },
         "62", {"1", "010124", "311224", "71946"}, 90000},
        {"Command65 sends its text as it is",
         [h](L& l, Out&) { return Command65(l, kPort, "0\x1C" + h); },
         "65", {"0", h}},
        {"Command66 converts", [h](L& l, Out&) { return Command66(l, kPort, "1\x1C" + h); },
         "66", {"1", h866}},
        {"PrintPngPicture",
         [](L& l, Out&) { return PrintPngPicture(l, kPort, 10, 20, 2, "\x89PNG..."); },
         "67", {"7", "10", "20", "2"}},
        {"PrintNumberedReport", [](L& l, Out&) { return PrintNumberedReport(l, kPort, 12); },
         "72", {"12"}, 90000},
        {"GetFnInfo 12 sends its argument",
         [](L& l, Out& o) { return GetFnInfo(l, kPort, 12, 7, o.text); },
         "78", {"12", "7"}},
        {"GetFnInfo 13 does not", [](L& l, Out& o) { return GetFnInfo(l, kPort, 13, 7, o.text); },
         "78", {"13"}},
        {"GetFnInfo 15", [](L& l, Out& o) { return GetFnInfo(l, kPort, 15, 42, o.text); },
         "78", {"15", "42"}},
        {"GetFnInfoAnswer sends the request alone",
         [](L& l, Out& o) { return GetFnInfoAnswer(l, kPort, 15, o.frame); },
         "78", {"15"}},
        {"MarkCode 52", [](L& l, Out& o) { return MarkCodeRequest(l, kPort, 52, "0", o.frame); },
         "79", {"52", "0"}},
        {"MarkCode 53", [](L& l, Out& o) { return MarkCodeRequest(l, kPort, 53, "", o.frame); },
         "79", {"53"}},
        {"MarkCodeValidation",
         [](L& l, Out& o) { return MarkCodeValidation(l, kPort, "CODE", 2, "1/3", 1, 0, o.frame); },
         "79", {"1", "CODE", "0", "2", "1/3", "1", "0"}, 10000},
        {"MarkCodeDecision", [](L& l, Out& o) { return MarkCodeDecision(l, kPort, 1, o.frame); },
         "79", {"2", "1"}},
        {"ReadMarkCodeState", [](L& l, Out& o) { return ReadMarkCodeState(l, kPort, o.frame); },
         "79", {"6"}},
        {"AddMarkCode", [](L& l, Out&) { return AddMarkCode(l, kPort, "CODE", 2, 1, 0); },
         "79", {"15", "CODE", "2", "0", "1", "0"}},
        {"OpenDrawer", [](L& l, Out&) { return OpenDrawer(l, kPort); }, "80", {}},
        {"GetQrSize", [](L& l, Out& o) { return GetQrSize(l, kPort, "t=1", o.frame); },
         "88", {"5", "t=1"}},
        {"WriteSerialNumber pads to 14",
         [](L& l, Out&) { return WriteSerialNumber(l, kPort, "12345"); },
         "90", {kNowDate, kNowTime, "         12345"}, 30000},
        {"Command9C", [](L& l, Out&) { return Command9C(l, kPort); }, "9C", {}, 15000},
        {"CommandA0", [](L& l, Out&) { return CommandA0(l, kPort); }, "A0", {}},
        {"CommandA1", [](L& l, Out&) { return CommandA1(l, kPort); }, "A1", {"1"}, 90000},
        {"SendTextCommand converts",
         [h](L& l, Out& o) {
             o.text = "1\x1C" + h;
             return SendTextCommand(l, kPort, 0x59, o.text);
         },
         "59", {"1", h866}},
        {"SendTextCommand with a print code",
         [](L& l, Out& o) { o.text = "x"; return SendTextCommand(l, kPort, 0x52, o.text); },
         "52", {"x"}, 0, false, true},
    };
}
// clang-format on

std::string twoDigits(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}
std::string dateText(const platform::LocalDateTime& t) {
    return twoDigits(t.day) + twoDigits(t.month) + twoDigits(t.year % 100);
}
int secondsOf(const std::string& hhmmss) {
    return std::stoi(hhmmss.substr(0, 2)) * 3600 + std::stoi(hhmmss.substr(2, 2)) * 60 +
           std::stoi(hhmmss.substr(4, 2));
}

// The clock fields must show the computer's clock between `before` and `after`.
void expectFields(const std::vector<std::string>& expected, const std::vector<std::string>& actual,
                  const platform::LocalDateTime& before, const platform::LocalDateTime& after,
                  const char* name) {
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == kNowDate) {
            EXPECT_TRUE(actual[i] == dateText(before) || actual[i] == dateText(after))
                << name << ": " << actual[i];
        } else if (expected[i] == kNowTime) {
            ASSERT_EQ(actual[i].size(), 6u) << name;
            const int second = secondsOf(actual[i]);
            const int from = before.hour * 3600 + before.minute * 60 + before.second;
            const int to = after.hour * 3600 + after.minute * 60 + after.second;
            EXPECT_TRUE(from <= to ? second >= from && second <= to
                                   : second >= from || second <= to)
                << name << ": " << actual[i];
        } else {
            EXPECT_EQ(actual[i], expected[i]) << name << " field " << i + 1;
        }
    }
}

class CommandRequests : public CommandTest {};

TEST_F(CommandRequests, EachCommandWritesItsFieldsWithItsTimeoutAndPause) {
    // An error other than 10 makes every command stop after its first frame.
    answerAll("0B");
    for (const bool packageMode : {true, false}) {
        link.setPackageMode(packageMode);
        for (const auto& c : requestCases()) {
            forget();
            link.resetPacingCounter();
            const auto before = platform::localNow();
            const auto started = platform::monotonicMillis();
            Out out;
            const Result outcome = c.call(link, out);
            const auto elapsed = platform::monotonicMillis() - started;
            const auto after = platform::localNow();
            const std::string mode = packageMode ? " (package mode)" : "";

            EXPECT_EQ(outcome, c.packaged && packageMode ? result::Ok : 11) << c.name << mode;
            ASSERT_EQ(port.writes.size(), 1u) << c.name << mode;
            EXPECT_EQ(codeOf(port.writes[0]), c.code) << c.name;
            // The fields as the table gives them are those of package mode.
            if (packageMode) {
                expectFields(c.fields, fieldsOf(port.writes[0]), before, after, c.name);
            }
            const auto expectedTimeouts =
                c.timeoutMs ? std::vector<std::string>{"timeout " + std::to_string(c.timeoutMs),
                                                       "timeout 5000"}
                            : std::vector<std::string>{};
            EXPECT_EQ(timeouts(), expectedTimeouts) << c.name << mode;
            if (c.pauses && !(c.packaged && packageMode)) {
                EXPECT_GE(elapsed, 20u) << c.name << mode;
            }
        }
    }
}

TEST(CommandsWithoutTransport, EveryCommandReturns32) {
    RegisterLink link;
    link.setTransportPath("/nonexistent/libcomdll.so");
    ASSERT_FALSE(link.connect("MNVK", kPort, 57600, false, false));
    link.pending.oneShot = true;
    link.pending.taxSystem = 2;
    link.pending.fractionalQuantity = u"3";
    link.pending.buyerAddress = u"a@b.ru";
    for (const auto& c : requestCases()) {
        Out out;
        EXPECT_EQ(c.call(link, out), result::NotConnected) << c.name;
    }
    EXPECT_FALSE(GetDrawerState(link, kPort));
    // Nothing was sent, so nothing was consumed.
    EXPECT_TRUE(link.pending.oneShot);
    EXPECT_EQ(link.pending.taxSystem, 2);
    EXPECT_EQ(link.pending.fractionalQuantity, u"3");
    EXPECT_EQ(link.pending.buyerAddress, u"a@b.ru");
}

}  // namespace
}  // namespace zirok::protocol
