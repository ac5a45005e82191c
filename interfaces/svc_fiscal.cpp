// The SvcFiscal type library: the fiscal-printer and cash-drawer
// service-object interfaces. Member names keep their historical spelling
// ("PrintperiodicTotalsReport", "DocumenType"): callers bind to them as
// they are.
#include "interfaces/interface_table.hpp"

namespace zirok::interfaces {

namespace {

using enum ParamKind;

// PrintRecMessage has dispatch id 19 but sits in slot 76, so the ids from
// EndInsertion to SetPropertyString run one ahead of their slots.
constexpr MethodDesc kSvcFiscalMethods[] = {
    method(1, 1, "BeginFiscalDocument", {in("DocumentAmount", Long)}, result("Value", Long)),
    method(2, 2, "BeginFiscalReceipt", {in("PrintHeader", Bool)}, result("Value", Long)),
    method(3, 3, "BeginFixedOutput", {in("Station", Long), in("DocumenType", Long)},
           result("Value", Long)),
    method(4, 4, "BeginInsertion", {in("TimeOut", Long)}, result("Value", Long)),
    method(5, 5, "BeginItemList", {in("VatID", Long)}, result("Value", Long)),
    method(6, 6, "BeginNonFiscal", {}, result("Param1", Long)),
    method(7, 7, "BeginRemoval", {in("TimeOut", Long)}, result("Value", Long)),
    method(8, 8, "BeginTraining", {}, result("Value", Long)),
    method(9, 9, "CheckHealth", {in("CheckHealth", Long)}, result("Param2", Long)),
    method(10, 10, "ClaimDevice", {in("TimeOut", Long)}, result("Param2", Long)),
    method(11, 11, "ClearError", {}, result("Value", Long)),
    method(12, 12, "ClearOutput", {}, result("Value", Long)),
    method(13, 13, "CloseService", {}, result("Value", Long)),
    method(14, 14, "CompareFirmwareVersion", {in("FirmwareFileName", BStr), out("pResult", Long)},
           result("Value", Long)),
    method(15, 15, "DirectIO", {in("DirectIO", Long), out("pData", Long), out("pString", BStr)},
           result("Value", Long)),
    method(16, 16, "EndFiscalDocument", {}, result("Value", Long)),
    method(17, 17, "EndFiscalReceipt", {in("PrintHeader", Bool)}, result("Value", Long)),
    method(18, 18, "EndFixedOutput", {}, result("Value", Long)),
    method(19, 20, "EndInsertion", {}, result("Value", Long)),
    method(20, 21, "EndItemList", {}, result("Value", Long)),
    method(21, 22, "EndNonFiscal", {}, result("Value", Long)),
    method(22, 23, "EndRemoval", {}, result("Value", Long)),
    method(23, 24, "EndTraining", {}, result("Value", Long)),
    method(24, 25, "GetData", {in("DataItem", Long), out("OPtArgs", Long), out("Data", BStr)},
           result("Value", Long)),
    method(25, 26, "GetDate", {out("Date", BStr)}, result("Value", Long)),
    method(26, 27, "GetPropertyNumber", {in("PropIndex", Long)}, result("Param2", Long)),
    method(27, 28, "GetPropertyString", {in("PropIndex", Long)}, result("Value", BStr)),
    method(28, 29, "GetTotalizer", {in("VatID", Long), in("OPtArgs", Long), out("Data", BStr)},
           result("Value", Long)),
    method(29, 30, "GetVatEntry", {in("VatID", Long), in("OPtArgs", Long), out("VatRate", Long)},
           result("Value", Long)),
    method(30, 31, "OpenService",
           {in("DeviceClass", BStr), in("DeviceName", BStr), in("pDispatch", Dispatch)},
           result("Param4", Long)),
    method(31, 32, "PrintDuplicateReceipt", {}, result("Value", Long)),
    method(32, 33, "PrintFiscalDocumentLine", {in("DocumentLine", BStr)}, result("Value", Long)),
    method(33, 34, "PrintFixedOutput",
           {in("DocumentType", Long), in("LineNumber", Long), in("Data", BStr)},
           result("Value", Long)),
    method(34, 35, "PrintNormal", {in("PrintNormal", Long), in("Data", BStr)},
           result("Value", Long)),
    method(35, 36, "PrintperiodicTotalsReport", {in("Date1", BStr), in("Date2", BStr)},
           result("Value", Long)),
    method(36, 37, "PrintPowerLossReport", {}, result("Value", Long)),
    method(37, 38, "PrintRecCash", {in("Amount", Currency)}, result("Value", Long)),
    method(38, 39, "PrintRecItem",
           {in("Description", BStr), in("Price", Currency), in("Quantity", Long),
            in("VatInfo", Long), in("UnitPrice", Currency), in("UnitName", BStr)},
           result("Value", Long)),
    method(39, 40, "PrintRecItemAdjustment",
           {in("AdjustmentType", Long), in("Description", BStr), in("Amount", Currency),
            in("VatInfo", Long)},
           result("Value", Long)),
    method(40, 41, "PrintRecItemFuel",
           {in("Description", BStr), in("Price", Currency), in("Quantity", Long),
            in("VatInfo", Long), in("UnitPrice", Currency), in("UnitName", BStr),
            in("SpecialTax", Currency), in("SpecialTaxName", BStr)},
           result("Value", Long)),
    method(41, 42, "PrintRecItemFuelVoid",
           {in("Description", BStr), in("Price", Currency), in("VatInfo", Long),
            in("SpecialTax", Currency)},
           result("Value", Long)),
    method(42, 43, "PrintRecNotPaid", {in("Description", BStr), in("Amount", Currency)},
           result("Value", Long)),
    method(43, 44, "PrintRecPackageAdjustment",
           {in("AdjustmentType", Long), in("Description", BStr), in("VatAdjustment", BStr)},
           result("Value", Long)),
    method(44, 45, "PrintRecPackageAdjustVoid",
           {in("AdjustmentType", Long), in("VatAdjustment", BStr)}, result("Value", Long)),
    method(45, 46, "PrintRecRefund",
           {in("Description", BStr), in("Amount", Currency), in("VatInfo", Long)},
           result("Value", Long)),
    method(46, 47, "PrintRecRefundVoid",
           {in("Description", BStr), in("Amount", Currency), in("VatInfo", Long)},
           result("Value", Long)),
    method(47, 48, "PrintRecSubtotal", {in("Amount", Currency)}, result("Value", Long)),
    method(48, 49, "PrintRecSubtotalAdjustment",
           {in("AdjustmentType", Long), in("Description", BStr), in("Amount", Currency)},
           result("Value", Long)),
    method(49, 50, "PrintRecSubtotalAdjustVoid",
           {in("AdjustmentType", Long), in("Amount", Currency)}, result("Value", Long)),
    method(50, 51, "PrintrecTaxID", {in("TaxID", BStr)}, result("Value", Long)),
    method(51, 52, "PrintRecTotal",
           {in("Total", Currency), in("Payment", Currency), in("Description", BStr)},
           result("Value", Long)),
    method(52, 53, "PrintRecVoid", {in("Description", BStr)}, result("Value", Long)),
    method(53, 54, "PrintRecVoidItem",
           {in("Description", BStr), in("Amount", Currency), in("Quantity", Long),
            in("AdjustmentType", Long), in("Adjustment", Currency), in("VatInfo", Long)},
           result("Value", Long)),
    method(54, 55, "PrintReport",
           {in("ReportType", Long), in("StartNum", BStr), in("EndNum", BStr)},
           result("Value", Long)),
    method(55, 56, "PrintXReport", {}, result("Value", Long)),
    method(56, 57, "PrintZReport", {}, result("Value", Long)),
    method(57, 58, "ReleaseDevice", {}, result("Value", Long)),
    method(58, 59, "ResetPrinter", {}, result("Value", Long)),
    method(59, 60, "ResetStatistics", {in("StatisticsBuffer", BStr)}, result("Param2", Long)),
    method(60, 61, "RetrieveStatistics", {out("pStatisticsBuffer", BStr)}, result("Value", Long)),
    method(61, 62, "SetCurrency", {in("NewCurrency", Long)}, result("Value", Long)),
    method(62, 63, "SetDate", {in("Date", BStr)}, result("Value", Long)),
    method(63, 64, "SetHeaderLine",
           {in("LineNumber", Long), in("Text", BStr), in("DoubleWidth", Bool)},
           result("Value", Long)),
    method(64, 65, "SetPOSID", {in("POSID", BStr), in("CashierID", BStr)}, result("Value", Long)),
    method(65, 66, "SetStoreFiscalID", {in("ID", BStr)}, result("Value", Long)),
    method(66, 67, "SetTrailerLine",
           {in("LineNumber", Long), in("Text", BStr), in("DoubleWidth", Bool)},
           result("Value", Long)),
    method(67, 68, "SetVatTable", {}, result("Value", Long)),
    method(68, 69, "SetVatValue", {in("VatID", Long), in("VatValue", BStr)},
           result("Param3", Long)),
    method(69, 70, "UpdateFirmware", {in("FirmwareFileName", BStr)}, result("Param2", Long)),
    method(70, 71, "UpdateStatistics", {in("StatisticsBuffer", BStr)}, result("Value", Long)),
    method(71, 72, "VerifyItem", {in("ItemName", BStr), in("VatID", Long)}, result("Value", Long)),
    method(72, 73, "ClearInput", {out("pRC", Long)}),
    method(73, 74, "COFreezeEvents", {in("Freeze", Bool), out("pRC", Long)}),
    method(74, 75, "SetPropertyNumber", {in("PropIndex", Long), in("Number", Long)}),
    method(75, 76, "SetPropertyString", {in("PropIndex", Long), in("String_", BStr)}),
    method(76, 19, "PrintRecMessage", {in("Message_", BStr)}, result("Value", Long)),
    method(77, 77, "OpenDrawer", {}, result("Value", Long)),
    method(78, 78, "WaitForDrawerClose",
           {in("WaitForDrawerClose", Long), in("beepFrequency", Long), in("beepDuration", Long),
            in("Param4", Long)},
           result("Value", Long)),
};

constexpr MethodDesc kCashDrawerMethods[] = {
    method(1, 1, "GetPropertyNumber", {in("PropIndex", Long)}, result("Value", Long)),
    method(2, 2, "GetPropertyString", {in("PropIndex", Long)}, result("Value", BStr)),
    method(3, 3, "CheckHealth", {in("Level", Long)}, result("Value", Long)),
    method(4, 4, "ClaimDevice", {in("TimeOut", Long)}, result("Value", Long)),
    method(5, 5, "ClearInput", {}, result("Value", Long)),
    method(6, 6, "ClearOutput", {}, result("Value", Long)),
    method(7, 7, "CloseService", {}, result("Value", Long)),
    method(8, 8, "DirectIO", {in("command", Long), out("Data", Long), out("obj", Long)},
           result("Value", Long)),
    method(9, 9, "OpenService",
           {in("DeviceClass", BStr), in("DeviceName", BStr), in("pDispatch", Dispatch)},
           result("Value", Long)),
    method(10, 10, "ReleaseDevice", {}, result("Value", Long)),
    method(11, 11, "OpenDrawer", {}, result("Value", Long)),
    method(12, 12, "WaitForDrawerClose",
           {in("WaitForDrawerClose", Long), in("beepFrequency", Long), in("beepDuration", Long),
            in("Param4", Long)},
           result("Value", Long)),
    method(13, 13, "COFreezeEvents", {in("COFreezeEvents", Bool), out("pRC", Long)}),
    method(14, 14, "SetPropertyNumber", {in("PropIndex", Long), in("Number", Long)}),
    method(15, 15, "SetPropertyString", {in("PropIndex", Long), in("String_", BStr)}),
};

constexpr InterfaceDesc kSvcFiscal{
    "ISvcFiscal",
    "{8F82426B-F673-40A1-8617-AB3DE8AB73E4}",
    "Dispatch interface for SvcFiscal Object",
    kSvcFiscalMethods,
};

constexpr InterfaceDesc kCashDrawer{
    "ISO_OPOSCashDrawer",
    "{D5F8F442-FB2F-4D02-9641-6FE0DC108FED}",
    "",
    kCashDrawerMethods,
};

constexpr const InterfaceDesc* kInterfaces[] = {&kSvcFiscal, &kCashDrawer};

constexpr ClassDesc kClasses[] = {
    {"SvcFiscal", "{95C4D100-65C0-4E4F-9C82-2D3C58C3BD20}", "SvcFiscal Object", &kSvcFiscal, true},
    // Declared, but the library has no factory for it.
    {"SO_OPOSCashDrawer", "{2F686734-E392-4BCF-8270-29A6D485FCDE}", "SO_OPOSCashDrawer Object",
     &kCashDrawer, false},
};

constexpr TypeLibraryDesc kLibrary{
    "SvcFiscal", "SvcFiscal Library", "{930B18A3-4119-4D8C-B9C7-9A231F341EE9}", 1, 0, kInterfaces,
    kClasses,
};

}  // namespace

const TypeLibraryDesc& svcFiscalLibrary() {
    return kLibrary;
}
const InterfaceDesc& svcFiscalInterface() {
    return kSvcFiscal;
}
const InterfaceDesc& cashDrawerInterface() {
    return kCashDrawer;
}

}  // namespace zirok::interfaces
