// The cash drawer, and the OPOS methods the service object refuses.
#include <gtest/gtest.h>

#include <functional>

#include "tests/service-object/reports_fixture.hpp"

namespace zirok::so::testing {
namespace {

using Drawer = ReportsTest;
using Unsupported = ReportsTest;

TEST_F(Drawer, OpensAndReportsItsState) {
    EXPECT_EQ(so->GetPropertyNumber(pidx::CashDrawerOpened), 0);
    EXPECT_EQ(so->OpenDrawer(), 0);
    EXPECT_TRUE(state().drawerOpen);
    EXPECT_EQ(so->GetPropertyNumber(pidx::CashDrawerOpened), 1);
    state().drawerOpen = false;  // a person closes it
    EXPECT_EQ(so->GetPropertyNumber(pidx::CashDrawerOpened), 0);

    reg->faults.add(emulator::parseFault("80:error:9:once"));
    EXPECT_EQ(so->OpenDrawer(), 114);
    EXPECT_EQ(prop(pidx::ResultCodeExtended), 9);
    EXPECT_FALSE(state().drawerOpen);
}

TEST_F(Unsupported, RefuseWithoutTrafficAndMostlyWithoutTrace) {
    struct Case {
        const char* name;
        std::function<std::int32_t(TSOZirok&)> call;
        bool traced = false;
    };
    std::int32_t out = 77;
    std::u16string text = u"kept";
    const Case cases[] = {
        {"BeginFiscalDocument", [](TSOZirok& z) { return z.BeginFiscalDocument(100); }, true},
        {"EndFiscalDocument", [](TSOZirok& z) { return z.EndFiscalDocument(); }, true},
        {"PrintFiscalDocumentLine", [](TSOZirok& z) { return z.PrintFiscalDocumentLine(u"x"); }},
        {"BeginFixedOutput", [](TSOZirok& z) { return z.BeginFixedOutput(2, 1); }},
        {"PrintFixedOutput", [](TSOZirok& z) { return z.PrintFixedOutput(1, 1, u"x"); }},
        {"EndFixedOutput", [](TSOZirok& z) { return z.EndFixedOutput(); }},
        {"BeginInsertion", [](TSOZirok& z) { return z.BeginInsertion(0); }},
        {"EndInsertion", [](TSOZirok& z) { return z.EndInsertion(); }},
        {"BeginRemoval", [](TSOZirok& z) { return z.BeginRemoval(0); }},
        {"EndRemoval", [](TSOZirok& z) { return z.EndRemoval(); }},
        {"BeginItemList", [](TSOZirok& z) { return z.BeginItemList(1); }},
        {"EndItemList", [](TSOZirok& z) { return z.EndItemList(); }},
        {"BeginTraining", [](TSOZirok& z) { return z.BeginTraining(); }},
        {"EndTraining", [](TSOZirok& z) { return z.EndTraining(); }},
        {"PrintDuplicateReceipt", [](TSOZirok& z) { return z.PrintDuplicateReceipt(); }},
        {"PrintPowerLossReport", [](TSOZirok& z) { return z.PrintPowerLossReport(); }},
        {"PrintRecItemFuel",
         [](TSOZirok& z) { return z.PrintRecItemFuel(u"x", 1, 1, 1, 1, u"l", 1, u"t"); }},
        {"PrintRecItemFuelVoid", [](TSOZirok& z) { return z.PrintRecItemFuelVoid(u"x", 1, 1, 1); }},
        {"PrintRecNotPaid", [](TSOZirok& z) { return z.PrintRecNotPaid(u"x", 1); }},
        {"PrintRecPackageAdjustment",
         [](TSOZirok& z) { return z.PrintRecPackageAdjustment(1, u"x", u"1,1"); }},
        {"PrintRecPackageAdjustVoid",
         [](TSOZirok& z) { return z.PrintRecPackageAdjustVoid(1, u"1,1"); }},
        {"PrintRecRefund", [](TSOZirok& z) { return z.PrintRecRefund(u"x", 1, 1); }},
        {"PrintRecSubtotalAdjustVoid",
         [](TSOZirok& z) { return z.PrintRecSubtotalAdjustVoid(1, 1); }},
        {"PrintrecTaxID", [](TSOZirok& z) { return z.PrintrecTaxID(u"7701234567"); }},
        {"ClearOutput", [](TSOZirok& z) { return z.ClearOutput(); }},
        {"ClearInput", [](TSOZirok& z) { return z.ClearInput(); }},
        {"CompareFirmwareVersion",
         [&out](TSOZirok& z) { return z.CompareFirmwareVersion(u"f.bin", out); }},
        {"UpdateFirmware", [](TSOZirok& z) { return z.UpdateFirmware(u"f.bin"); }},
        {"ResetStatistics", [](TSOZirok& z) { return z.ResetStatistics(u""); }},
        {"RetrieveStatistics", [&text](TSOZirok& z) { return z.RetrieveStatistics(text); }},
        {"UpdateStatistics", [](TSOZirok& z) { return z.UpdateStatistics(u""); }},
        {"SetCurrency", [](TSOZirok& z) { return z.SetCurrency(1); }},
        {"VerifyItem", [](TSOZirok& z) { return z.VerifyItem(u"x", 1); }},
        {"WaitForDrawerClose", [](TSOZirok& z) { return z.WaitForDrawerClose(100, 0, 0, 0); }},
    };
    TraceCapture trace(*so);
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        so->props().setNumber(pidx::ResultCode, 0);
        EXPECT_EQ(c.call(*so), 106);
        EXPECT_EQ(prop(pidx::ResultCode), 106);
        EXPECT_EQ(propText(pidx::FptrErrorString), u"");
        if (c.traced) {
            expected.push_back(std::string("Begin ") + c.name);
            expected.push_back(std::string("End ") + c.name);
        }
    }
    EXPECT_EQ(trace.messages(), expected);
    EXPECT_EQ(traffic(), 0u);
    EXPECT_EQ(out, 77);
    EXPECT_EQ(text, u"kept");
}

}  // namespace
}  // namespace zirok::so::testing
