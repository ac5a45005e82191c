// X and Z reports, fiscal reports by number and period, and ResetPrinter:
// what reaches the register, and how a document left open is dealt with first.
#include <gtest/gtest.h>

#include "tests/service-object/reports_fixture.hpp"

namespace zirok::so::testing {
namespace {

using Reports = ReportsTest;
using emulator::DocumentType;

TEST_F(Reports, XReportClearsTheOpenReceiptFirstOrNotAtAll) {
    // The service object still sees its sale open; the register agrees.
    openOnRegister(DocumentType::Sale);
    so->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    EXPECT_EQ(so->PrintXReport(), 0);
    EXPECT_FALSE(state().document);
    EXPECT_EQ(state().shift.counters.annulled, 1);
    EXPECT_TRUE(printed("ОТЧЕТ БЕЗ ГАШЕНИЯ"));
    EXPECT_EQ(so->printerState(), fptr::PS_MONITOR);

    // A receipt already in the fiscal storage cannot be annulled: no report.
    state().printed.clear();
    openOnRegister(DocumentType::Sale);
    state().document->awaitingClose = true;
    so->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    EXPECT_EQ(so->PrintXReport(), 114);
    EXPECT_EQ(prop(pidx::ResultCodeExtended), 1);
    EXPECT_FALSE(printed("ОТЧЕТ БЕЗ ГАШЕНИЯ"));
    EXPECT_EQ(so->printerState(), fptr::PS_FISCAL_RECEIPT);
}

TEST_F(Reports, ZReportClosesAnOpenShiftOnly) {
    struct Case {
        const char* name;
        bool shiftOpen;
        const char* fault;  // on PrintZReport
        std::int32_t result;
        std::int32_t extended;
        bool shiftOpenAfter;
    };
    const Case cases[] = {
        {"open shift", true, nullptr, 0, 0, false},
        {"closed shift", false, nullptr, 114, 1, false},
        {"storage refusal recovered", true, "21:error:66:once", 0, 0, true},
        {"other refusal", true, "21:error:71:once", 114, 71, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reg->faults.clear();
        if (c.fault) reg->faults.add(emulator::parseFault(c.fault));
        state().shift.open = c.shiftOpen;
        state().shift.openedAt = state().now();
        const std::size_t archived = state().archive.size();
        EXPECT_EQ(so->PrintZReport(), c.result);
        EXPECT_EQ(prop(pidx::ResultCodeExtended), c.extended);
        EXPECT_EQ(state().shift.open, c.shiftOpenAfter);
        EXPECT_EQ(state().archive.size(), archived + (c.shiftOpen && !c.fault ? 1 : 0));
        if (c.result == 0) {
            EXPECT_EQ(prop(pidx::FptrDayOpened), 0);
        }
    }
    // The closed-shift refusal is the register's "wrong status" in words.
    reg->faults.clear();
    state().shift.open = false;
    EXPECT_EQ(so->PrintZReport(), 114);
    EXPECT_EQ(propText(pidx::FptrErrorString), u"Функция невыполнима при данном статусе ККМ");
}

TEST_F(Reports, PrintReportReadsLeadingDigits) {
    script({{0x72, "25", {}}, {0x72, "7", {}}, {0x72, "0", {}}, {0xA1, "1", {}}});
    struct Case {
        std::int32_t type;
        std::u16string start;
        std::u16string end;
        std::int32_t result;
        std::vector<std::string> requests;
    };
    const Case cases[] = {
        {1, u"25", u"", 0, {"72:25"}},
        {3, u"25", u"40", 0, {"72:25"}},
        {1, u"7abc", u"x", 0, {"72:7"}},
        {1, u"", u"", 0, {"A1:1"}},
        {3, u"no", u"number", 0, {"A1:1"}},
        // Only the start number is sent, even when it is missing.
        {1, u"", u"30", 0, {"72:0"}},
        {2, u"25", u"", 106, {}},
        {4, u"", u"", 106, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.type << " '" << ansi(c.start) << "'");
        requests.clear();
        EXPECT_EQ(so->PrintReport(c.type, c.start, c.end), c.result);
        EXPECT_EQ(prop(pidx::ResultCode), c.result);
        EXPECT_EQ(requests, c.requests);
    }
}

TEST_F(Reports, PrintReportOnTheRealRegisterPrintsTheStoredDocument) {
    EXPECT_EQ(so->PrintReport(1, u"1", u""), 0);
    EXPECT_TRUE(printed("КОПИЯ"));
    EXPECT_TRUE(printed("ОТЧЕТ О РЕГИСТРАЦИИ"));
    EXPECT_EQ(so->PrintReport(1, u"99", u""), 114);
    EXPECT_EQ(prop(pidx::ResultCodeExtended), 72);
}

TEST_F(Reports, PeriodicReportSendsTheTwoDates) {
    script({{0x62, "1;010324;310324;71946", {}}});
    EXPECT_EQ(so->PrintperiodicTotalsReport(u"010324", u"310324"), 0);
    // A four-digit year asks for the same period rather than a year byte of 2024.
    EXPECT_EQ(so->PrintperiodicTotalsReport(u"01032024", u"31032024"), 0);
    EXPECT_EQ(requests,
              (std::vector<std::string>{"62:1;010324;310324;71946", "62:1;010324;310324;71946"}));
    requests.clear();
    EXPECT_THROW(so->PrintperiodicTotalsReport(u"01.03.24", u"310324"), CallFailure);
    EXPECT_THROW(so->PrintperiodicTotalsReport(u"0103", u"310324"), CallFailure);
    EXPECT_TRUE(requests.empty());
}

TEST_F(Reports, ResetPrinterEndsWhateverDocumentIsOpen) {
    struct Case {
        const char* name;
        DocumentType open;
        bool inStorage;
        std::int32_t result;
        bool openAfter;
        int annulled;
        std::int32_t stateAfter;
    };
    const Case cases[] = {
        {"nothing open", DocumentType::None, false, 0, false, 0, fptr::PS_MONITOR},
        {"service document closed", DocumentType::Service, false, 0, false, 0, fptr::PS_MONITOR},
        {"sale annulled", DocumentType::Sale, false, 0, false, 1, fptr::PS_MONITOR},
        {"refund annulled", DocumentType::Return, false, 0, false, 1, fptr::PS_MONITOR},
        {"signed sale stays", DocumentType::Sale, true, 114, true, 0,
         fptr::PS_FISCAL_RECEIPT_ENDING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state().document.reset();
        state().shift.counters.annulled = 0;
        if (c.open != DocumentType::None) {
            openOnRegister(c.open);
            state().document->awaitingClose = c.inStorage;
        }
        so->setPrinterState(fptr::PS_FISCAL_RECEIPT_ENDING);
        auto control = listen();
        EXPECT_EQ(so->ResetPrinter(), c.result);
        EXPECT_EQ(state().document.has_value(), c.openAfter);
        EXPECT_EQ(state().shift.counters.annulled, c.annulled);
        EXPECT_EQ(so->printerState(), c.stateAfter);
        const bool updated = std::any_of(control->calls.begin(), control->calls.end(),
                                         [](const auto& call) { return call.id == 5; });
        EXPECT_EQ(updated, c.result == 0);
    }
}

}  // namespace
}  // namespace zirok::so::testing
