// The SvcCommon type library: a common service-object interface that
// nothing in the system calls; it is declared so that tools reading type
// information find it.
#include "interfaces/interface_table.hpp"

namespace zirok::interfaces {

namespace {

using enum ParamKind;

// updateStatistics keeps dispatch id 6 in slot 17, and COFreezeEvents id 29.
constexpr MethodDesc kCommonMethods[] = {
    method(1, 1, "OpenService",
           {in("DeviceClass", BStr), in("DeviceName", BStr), in("pDispatch", Dispatch)},
           result("Param4", Long)),
    method(2, 2, "ReleaseDevice", {}, result("Value", Long)),
    method(3, 3, "ResetStatistics", {in("StatisticsBuffer", BStr)}, result("Value", Long)),
    method(4, 4, "RetrieveStatistics", {out("StatisticsBuffer", BStr)}, result("Value", Long)),
    method(5, 5, "UpdateFirmware", {in("UpdateFirmware", BStr)}, result("Value", Long)),
    method(6, 7, "CloseService", {}, result("Value", Long)),
    method(7, 8, "claimDevice", {in("TimeOut", Long)}, result("Value", Long)),
    method(8, 9, "checkHealth", {in("Level", Long)}, result("checkHealth", Long)),
    method(9, 10, "clearInput", {}, result("Value", Long)),
    method(10, 11, "clearInputProperties", {}, result("Value", Long)),
    method(11, 12, "clearOutput", {}, result("Value", Long)),
    method(12, 13, "directIO", {in("command", Long), out("data", Long), out("obj", BStr)},
           result("Value", Long)),
    method(13, 14, "GetPropertyNumber", {in("PropIndex", Long)}, result("Value", Long)),
    method(14, 15, "GetPropertyString", {in("PropIndex", Long)}, result("Value", BStr)),
    method(15, 16, "SetPropertyNumber", {in("PropIndex", Long), in("Number", Long)}),
    method(16, 17, "SetPropertyString", {in("PropIndex", Long), in("pString", BStr)}),
    method(17, 6, "updateStatistics", {in("StatisticsBuffer", BStr)}, result("Value", Long)),
    method(18, 18, "compareFirmwareVersion", {in("firmwareFileName", BStr), out("_Result", Long)},
           result("Value", Long)),
    method(19, 29, "COFreezeEvents", {in("Freeze", Bool), out("pRC", Long)}),
};

constexpr InterfaceDesc kCommon{
    "ISO_Common",
    "{1B91897C-E2E3-400C-8B03-51C7E0053131}",
    "Common Methods of Service Objects",
    kCommonMethods,
};

constexpr const InterfaceDesc* kInterfaces[] = {&kCommon};

constexpr ClassDesc kClasses[] = {
    {"SO_Common", "{44BEEB19-0DCB-4DF9-B102-085F8422714B}", "SO_CAT Object", &kCommon, true},
};

constexpr TypeLibraryDesc kLibrary{
    "SvcCommon", "SvcCommon Library", "{34E25F50-F9D3-465B-8E81-DA78747742E1}", 1, 0, kInterfaces,
    kClasses,
};

}  // namespace

const TypeLibraryDesc& svcCommonLibrary() {
    return kLibrary;
}
const InterfaceDesc& commonInterface() {
    return kCommon;
}

}  // namespace zirok::interfaces
