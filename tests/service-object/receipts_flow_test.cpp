// The receipt's life: opening, state checks, payments and the close, the
// delayed total, cash-in and cash-out, voids and the automatic Z report,
// checked against what the register recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>

#include "logging/client/log_folder.hpp"
#include "tests/service-object/receipts_fixture.hpp"

namespace zirok::so::testing {
namespace {

using ReceiptFlow = ReceiptTest;

TEST_F(ReceiptFlow, SaleIsRecordedAndStatesAreReported) {
    open();
    item(100'0000, 2000);
    EXPECT_EQ(zirok->PrintRecTotal(200'0000, 250'0000, u"0"), opos::SUCCESS);
    EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT_ENDING);
    EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    EXPECT_EQ(zirok->printerState(), fptr::PS_MONITOR);
    EXPECT_EQ(statusUpdates(), (std::vector<std::int32_t>{2, 4, 1}));
    ASSERT_FALSE(state().document);
    ASSERT_FALSE(state().archive.empty());
    EXPECT_EQ(state().archive.back().receiptType, emulator::DocumentType::Sale);
    EXPECT_EQ(state().archive.back().total, 20000);
    EXPECT_EQ(number(pidx::FptrDayOpened), 1);
}

// Each method refused in a state it does not serve: nothing reaches the
// register, and only some of them explain themselves.
TEST_F(ReceiptFlow, EveryMethodChecksThePrinterState) {
    struct Case {
        const char* name;
        std::int32_t state;
        std::function<std::int32_t(TSOZirok&)> call;
        bool withText;
    };
    const Case cases[] = {
        {"begin", 2, [](TSOZirok& z) { return z.BeginFiscalReceipt(false); }, true},
        {"item", 1, [](TSOZirok& z) { return z.PrintRecItem(u"A", 0, 1000, 1, 10000, u""); }, true},
        {"item adjustment", 3,
         [](TSOZirok& z) { return z.PrintRecItemAdjustment(1, u"", 10000, 1); }, false},
        {"subtotal", 4, [](TSOZirok& z) { return z.PrintRecSubtotal(0); }, false},
        {"subtotal adjustment", 3,
         [](TSOZirok& z) { return z.PrintRecSubtotalAdjustment(1, u"", 10000); }, false},
        {"total", 1, [](TSOZirok& z) { return z.PrintRecTotal(0, 10000, u"0"); }, true},
        {"total in a non-fiscal document", 9,
         [](TSOZirok& z) { return z.PrintRecTotal(0, 10000, u"0"); }, true},
        {"end", 3, [](TSOZirok& z) { return z.EndFiscalReceipt(false); }, true},
        {"void item", 4, [](TSOZirok& z) { return z.PrintRecVoidItem(u"A", 10000, 1000, 0, 0, 1); },
         true},
        {"refund void", 1, [](TSOZirok& z) { return z.PrintRecRefundVoid(u"A", 10000, 1); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zirok->setPrinterState(c.state);
        // Begin looks at the register first: show it a receipt in progress.
        if (c.state == 2) {
            open();
        }
        markTraffic();
        EXPECT_EQ(c.call(*zirok), opos::E_EXTENDED);
        EXPECT_EQ(number(pidx::ResultCode), opos::E_EXTENDED);
        EXPECT_EQ(number(pidx::ResultCodeExtended), efptr::WRONG_STATE);
        EXPECT_EQ(text(pidx::CheckHealthText).empty(), !c.withText);
        if (c.state != 2) {
            EXPECT_EQ(traffic(), 0u);
        }
        EXPECT_EQ(zirok->printerState(), c.state);
        zirok->PrintRecVoid(u"");
    }
}

TEST_F(ReceiptFlow, WrongStateAtTheEndWritesTheExitMessage) {
    TraceCapture trace(*zirok);
    zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    EXPECT_EQ(zirok->EndFiscalReceipt(true), opos::E_EXTENDED);
    const auto lines = trace.messages();
    const std::string expected =
        "Exiting and\r\n\tSet Result := OPOS_E_EXTENDED\r\n"
        "\tSet CommonPropertyNumber[PIDX_ResultCode] := OPOS_E_EXTENDED\r\n"
        "\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := OPOS_EFPTR_WRONG_STATE\r\n"
        "\tSet CommonPropertyString[PIDX_CheckHealthText] := '" +
        ansi(u"Неверное состояние фискального принтера") +
        "'\r\n\tSet PropertyString[PIDXFptr_ErrorString] := "
        "CommonPropertyString[PIDX_CheckHealthText]";
    bool found = false;
    for (const auto& line : lines) found = found || line.find(expected) != std::string::npos;
    EXPECT_TRUE(found);
}

TEST_F(ReceiptFlow, ReceiptTypesOpenTheirDocuments) {
    struct Case {
        std::int32_t receiptType;
        std::optional<emulator::DocumentType> opened;
    };
    const Case cases[] = {{1, emulator::DocumentType::CashIn},
                          {2, emulator::DocumentType::CashOut},
                          {4, emulator::DocumentType::Sale},
                          {7, emulator::DocumentType::Return},
                          {3, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.receiptType);
        open(c.receiptType);
        ASSERT_EQ(state().document.has_value(), c.opened.has_value());
        if (c.opened) {
            EXPECT_EQ(document().type, *c.opened);
        }
        EXPECT_EQ(zirok->PrintRecVoid(u""), opos::SUCCESS);
        zirok->setPrinterState(fptr::PS_MONITOR);
    }
}

TEST_F(ReceiptFlow, CashInAndCashOutMoveTheDrawer) {
    for (std::int32_t type : {1, 2}) {
        SCOPED_TRACE(type);
        open(type);
        EXPECT_EQ(zirok->PrintRecTotal(0, 500'0000, u""), opos::SUCCESS);
        EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT_ENDING);
        EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    }
    EXPECT_EQ(state().shift.counters.cashIns, 1);
    EXPECT_EQ(state().shift.counters.cashOuts, 1);
    EXPECT_EQ(state().shift.counters.cashInSum, 50000);
    EXPECT_EQ(state().shift.counters.cashOutSum, 50000);
}

TEST_F(ReceiptFlow, VoidAnnulsOnlyAnOpenFiscalDocument) {
    EXPECT_EQ(zirok->PrintRecVoid(u""), opos::SUCCESS);
    EXPECT_EQ(state().shift.counters.annulled, 0);
    open();
    item(10'0000);
    EXPECT_EQ(zirok->PrintRecVoid(u""), opos::SUCCESS);
    EXPECT_FALSE(state().document);
    EXPECT_EQ(state().shift.counters.annulled, 1);
    EXPECT_EQ(zirok->printerState(), fptr::PS_MONITOR);
}

// A payment the register refused while answers were not read: the close
// reports it and leaves the receipt open, and a second close records it.
TEST_F(ReceiptFlow, PackageModeErrorSurfacesAtTheClose) {
    link().setPackageMode(true);
    open();
    ASSERT_TRUE(document().package());
    item(100'0000);
    EXPECT_EQ(zirok->PrintRecTotal(0, 100'0000, u"0"), opos::SUCCESS);
    ASSERT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT_ENDING);
    // A payment on a paid receipt is refused, but no answer is read for it.
    EXPECT_EQ(zirok->PrintRecTotal(0, 10'0000, u"1"), opos::SUCCESS);
    const auto archived = state().archive.size();
    EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 1);
    EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT_ENDING);
    EXPECT_EQ(state().archive.size(), archived);
    EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    EXPECT_EQ(state().archive.size(), archived + 1);
    EXPECT_EQ(state().archive.back().total, 10000);
}

TEST_F(ReceiptFlow, OverdueShiftIsClosedFirstWhenAutoZIsOn) {
    for (bool autoZ : {false, true}) {
        SCOPED_TRACE(autoZ);
        open();
        item(10'0000);
        ASSERT_EQ(zirok->PrintRecTotal(0, 10'0000, u"0"), opos::SUCCESS);
        ASSERT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
        const std::uint32_t shift = state().shift.number;
        state().shift.openedAt = state().now() - 25 * 3600;
        field(&ReceiptAccess::autoZ_) = autoZ;
        const std::int32_t result = zirok->BeginFiscalReceipt(false);
        if (!autoZ) {
            EXPECT_EQ(result, opos::E_EXTENDED);
            EXPECT_EQ(number(pidx::ResultCodeExtended), 10);
            EXPECT_EQ(zirok->printerState(), fptr::PS_MONITOR);
            EXPECT_FALSE(state().document);
            // Close it by hand for the next round.
            EXPECT_EQ(zirok->BeginFiscalReceipt(false), opos::E_EXTENDED);
            field(&ReceiptAccess::autoZ_) = true;
            continue;
        }
        EXPECT_EQ(result, opos::SUCCESS);
        EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT);
        ASSERT_TRUE(state().document);
        EXPECT_EQ(state().shift.number, shift + 1);
        EXPECT_EQ(statusUpdates().back(), fptr::PS_FISCAL_RECEIPT);
    }
}

// The key state is asked only when the receipt opens the shift, and a due
// key update leaves its time beside the trace files.
TEST_F(ReceiptFlow, DueKeysAreDatedWhenTheShiftOpens) {
    const std::string file = logging::currentLogFolder() + "fiscal_printer.info";
    state().marking.keysDue = false;
    open();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(zirok->PrintRecVoid(u""), opos::SUCCESS);

    state().marking.keysDue = true;
    open();  // the shift is open now: no question asked
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(zirok->PrintRecVoid(u""), opos::SUCCESS);

    zirok->props().setNumber(pidx::FptrDayOpened, 0);
    open();
    std::ifstream in(file);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d\d:\d\d:\d\d \d\d\.\d\d\.\d{4})"))) << line;
}

// Delayed total: payments that leave something due go at once, the one that
// settles the receipt waits for the end, and the summary is printed first.
TEST_F(ReceiptFlow, DelayedTotalHoldsBackTheSettlingPayment) {
    link().pending.delayedTotal = true;
    open();
    item(100'0000);
    EXPECT_EQ(zirok->PrintRecTotal(100'0000, 60'0000, u"0"), opos::SUCCESS);
    ASSERT_EQ(document().payments.size(), 1u);
    EXPECT_EQ(zirok->PrintRecTotal(100'0000, 40'0000, u"0"), opos::SUCCESS);
    EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT_ENDING);
    EXPECT_EQ(document().payments.size(), 1u);
    state().printed.clear();
    EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    EXPECT_EQ(state().archive.back().total, 10000);
    std::string tape;
    for (const auto& line : state().printed) tape += line + "\n";
    EXPECT_NE(tape.find("Наличными:"), std::string::npos) << tape;
    EXPECT_NE(tape.find("100.00"), std::string::npos) << tape;
    EXPECT_NE(tape.find("Сдача:"), std::string::npos) << tape;
}

// A rounding-corrected line is due at the application's price: paying
// exactly that is the settling payment, held back and sent at the end.
TEST_F(ReceiptFlow, DelayedTotalCountsTheRoundingCorrection) {
    link().pending.delayedTotal = true;
    open();
    ASSERT_EQ(zirok->PrintRecItem(u"A", 99'9900, 3000, 1, 33'3333, u""), opos::SUCCESS);
    EXPECT_EQ(zirok->PrintRecTotal(0, 99'9900, u"1"), opos::SUCCESS);
    EXPECT_TRUE(document().payments.empty());
    EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    EXPECT_EQ(state().archive.back().total, 9999);
}

// A cash-in or cash-out receipt holds nothing back: its close sends no
// payment of its own.
TEST_F(ReceiptFlow, DelayedTotalClosesCashInAndOutWithoutAPayment) {
    link().pending.delayedTotal = true;
    for (std::int32_t type : {1, 2}) {
        SCOPED_TRACE(type);
        open(type);
        EXPECT_EQ(zirok->PrintRecTotal(0, 300'0000, u""), opos::SUCCESS);
        EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
        EXPECT_EQ(zirok->printerState(), fptr::PS_MONITOR);
    }
    EXPECT_EQ(state().shift.counters.cashIns, 1);
    EXPECT_EQ(state().shift.counters.cashOuts, 1);
}

TEST_F(ReceiptFlow, DelayedTotalRefusesNonCashOverpayment) {
    TraceCapture trace(*zirok);
    link().pending.delayedTotal = true;
    open();
    item(100'0000);
    EXPECT_EQ(zirok->PrintRecTotal(0, 120'0000, u"1"), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 3);
    EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT);
    EXPECT_TRUE(document().payments.empty());
    bool found = false;
    for (const auto& line : trace.messages())
        found = found || line == "Non-cash payment error, diff = -20";
    EXPECT_TRUE(found);
    // Cash may exceed what is due: the surplus is change.
    EXPECT_EQ(zirok->PrintRecTotal(0, 120'0000, u"0"), opos::SUCCESS);
    EXPECT_EQ(zirok->EndFiscalReceipt(false), opos::SUCCESS);
    EXPECT_EQ(state().archive.back().total, 10000);
}

}  // namespace
}  // namespace zirok::so::testing
