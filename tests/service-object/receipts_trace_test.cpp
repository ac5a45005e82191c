// What a technician reads in the trace of a receipt: each method's lines
// from its Begin to its End, with the values it sent and decided on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/service-object/receipts_fixture.hpp"

namespace zirok::so::testing {
namespace {

using Lines = std::vector<std::string>;

// The lines of the `occurrence`-th call of `method`, Begin and End included;
// empty when the trace has no such call.
Lines block(const Lines& lines, const std::string& method, int occurrence = 0) {
    auto begin = lines.begin();
    for (int i = 0; i <= occurrence; ++i) {
        begin = std::find(i == 0 ? begin : begin + 1, lines.end(), "Begin " + method);
        if (begin == lines.end()) return {};
    }
    const auto end = std::find(begin, lines.end(), "End " + method);
    return end == lines.end() ? Lines(begin, lines.end()) : Lines(begin, end + 1);
}

class ReceiptTrace : public ReceiptTest {
  protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        trace = std::make_unique<TraceCapture>(*zirok);
        field(&ReceiptAccess::paymentTypeMap_) = {"Card=1"};
    }
    std::unique_ptr<TraceCapture> trace;
};

TEST_F(ReceiptTrace, SaleLinesCarryTheValuesSent) {
    open();
    ASSERT_EQ(zirok->PrintRecItemAdjustment(1, u"", 5'0000, 1), opos::SUCCESS);
    ASSERT_EQ(zirok->PrintRecItem(u"Молоко", 1851'7500, 1500, 1, 1234'5000, u"кг"), opos::SUCCESS);
    ASSERT_EQ(zirok->PrintRecItem(u"", 10'0000, 1000, 2, 10'0000, u""), opos::SUCCESS);
    ASSERT_EQ(zirok->PrintRecTotal(2000'0000, 50'0000, u"card"), opos::SUCCESS);
    ASSERT_EQ(zirok->PrintRecTotal(2000'0000, 2000'0000, u"0"), opos::SUCCESS);
    ASSERT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    const Lines lines = trace->messages();

    EXPECT_EQ(block(lines, "PrintRecItemAdjustment"),
              (Lines{"Begin PrintRecItemAdjustment", "AdjustmentType=1", "Description=''",
                     "Amount=5", "VatInfo=1", "End PrintRecItemAdjustment"}));
    EXPECT_EQ(
        block(lines, "PrintRecItem"),
        (Lines{
            "Begin PrintRecItem", "Description='" + ansi(u"Молоко") + "'", "Price=1851.75",
            "Quantity=1500", "VatInfo=1", "UnitPrice=1234.5", "UnitName='" + ansi(u"кг") + "'",
            "Call AddPosition(, '" + ansi(u"Молоко") + "', ' ', 1.5000, 1,234.5000, 1, 2, 5.0000)",
            "Item Count: 1", "End PrintRecItem"}));
    const Lines second = block(lines, "PrintRecItem", 1);
    ASSERT_GE(second.size(), 3u);
    EXPECT_EQ(second[second.size() - 3],
              "Call AddPosition(, ' ', ' ', 1.0000, 10.0000, 2, 0, 0.0000)");
    EXPECT_EQ(second[second.size() - 2], "Item Count: 2");
    EXPECT_EQ(
        block(lines, "PrintRecTotal"),
        (Lines{"Begin PrintRecTotal", "Total=2000", "Payment=50", "Description='card'",
               "PostLine=''", "Description has find in Payments. TypePay=1", "End PrintRecTotal"}));
    EXPECT_EQ(block(lines, "PrintRecTotal", 1)[5],
              "Description has not find in Payments. TypePay=0");
    EXPECT_EQ(block(lines, "EndFiscalReceipt"),
              (Lines{"Begin EndFiscalReceipt", "PrintHeader = False", "Call ClearError",
                     "PIDXFptr_PrinterState = 4", "DocumentClose Result := 0",
                     "Set PropertyNumber[PIDXFptr_PrinterState] := FPTR_PS_MONITOR",
                     "Call GetSystemError(0)", "End EndFiscalReceipt"}));
}

// The held-back payment is announced when it is held and when it is sent,
// with the summary printed in between.
TEST_F(ReceiptTrace, DelayedTotalSaysWhatItHoldsBack) {
    link().pending.delayedTotal = true;
    open();
    item(100'0000);
    ASSERT_EQ(zirok->PrintRecTotal(100'0000, 60'0000, u"0"), opos::SUCCESS);
    ASSERT_EQ(zirok->PrintRecTotal(100'0000, 40'0000, u"0"), opos::SUCCESS);
    ASSERT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    const Lines lines = trace->messages();

    const Lines partial = block(lines, "PrintRecTotal");
    EXPECT_EQ(Lines(partial.end() - 3, partial.end()),
              (Lines{"Current receipt summ = 100", "Current payment = 60", "End PrintRecTotal"}));
    // Held back: no End line, the receipt waits for EndFiscalReceipt.
    const Lines held = block(lines, "PrintRecTotal", 1);
    ASSERT_GE(held.size(), 3u);
    EXPECT_EQ(held[6], "Current receipt summ = 100");
    EXPECT_EQ(held[7], "Current payment = 100");
    EXPECT_EQ(held[8], "Delay PrintRecTotal until EndFiscalReceipt call...");

    const Lines end = block(lines, "EndFiscalReceipt");
    ASSERT_GE(end.size(), 7u);
    EXPECT_EQ(Lines(end.begin() + 4, end.begin() + 7),
              (Lines{"Continue PrintRecTotal...", "Last payment = 40", "Last payment type = 0"}));
    Lines summary;
    for (const std::string& line : end)
        if (line.rfind("Message='", 0) == 0) summary.push_back(line);
    EXPECT_EQ(summary,
              (Lines{"Message='\x1b|5fT" +
                         ansi(u"Округление:           0.00  Подытог:              100.00") + "'",
                     "Message='\x1b|5fT" +
                         ansi(u"Наличными:          100.00  Итог:                 100.00") + "'",
                     "Message='\x1b|5fT" +
                         ansi(u"Электронными:         0.00  Сдача:                  0.00") + "'"}));
}

// A refused call says why at error level and, for the line methods, still
// closes its block.
TEST_F(ReceiptTrace, RefusalsNameTheStateAndTheText) {
    const std::string wrongState = ansi(u"Неверное состояние фискального принтера");
    zirok->setPrinterState(fptr::PS_MONITOR);
    EXPECT_EQ(zirok->PrintRecItem(u"A", 10'0000, 1000, 1, 10'0000, u""), opos::E_EXTENDED);
    const Lines refused = block(trace->messages(), "PrintRecItem");
    ASSERT_GE(refused.size(), 3u);
    EXPECT_EQ(Lines(refused.end() - 3, refused.end()),
              (Lines{"[ERROR!] PropertyNumber[PIDXFptr_PrinterState] := 1",
                     "[ERROR!] CommonPropertyString[PIDX_CheckHealthText] := '" + wrongState + "'",
                     "End PrintRecItem"}));

    open();
    item(1234'5000);
    // Two decimals and no thousands separator here, unlike the item line.
    zirok->PrintRecVoidItem(u"", 2469'0000, 2000, 0, 0, 1);
    const Lines voided = block(trace->messages(), "PrintRecVoidItem");
    ASSERT_GE(voided.size(), 8u);
    EXPECT_EQ(voided[7], "Call VoidPosition(, ' ', ' ', 2.00, 1234.50, 1)");
    EXPECT_EQ(zirok->PrintRecTotal(0, 10'0000, u"voucher"), opos::E_ILLEGAL);
    const Lines total = block(trace->messages(), "PrintRecTotal");
    ASSERT_GE(total.size(), 3u);
    EXPECT_EQ(total[5], "Description has not find in Payments. TypePay=-1");
    EXPECT_EQ(Lines(total.end() - 2, total.end()),
              (Lines{"[ERROR!] End PrintRecTotal",
                     "[ERROR!] CommonPropertyString[PIDX_CheckHealthText] := '" +
                         ansi(u"Неверный тип платежа") + "'"}));
}

}  // namespace
}  // namespace zirok::so::testing
