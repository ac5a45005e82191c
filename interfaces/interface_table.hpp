#pragma once
// The one table of the service-object interfaces: names, vtable slots,
// dispatch ids and parameters. The POSIX adapter dispatches from it and the
// Windows build writes its type libraries from it, so the two can never
// disagree about a member.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/automation.hpp"

namespace zirok::interfaces {

using platform::DispId;

enum class ParamKind : std::uint8_t {
    None,      // only as the result kind of a member without a result
    Long,      // signed 32-bit integer
    Bool,      // 16-bit automation boolean
    BStr,      // automation (wide) string
    Currency,  // 64-bit integer, amount times 10000
    Dispatch,  // dispatch reference
};

platform::VarType varType(ParamKind kind);
// The value a member hands back when it has nothing to say: 0, false, "".
platform::Variant zeroValue(ParamKind kind);

struct ParamDesc {
    std::string_view name;
    ParamKind kind = ParamKind::None;
    bool byRef = false;  // an out parameter, passed by reference
};

struct MethodDesc {
    static constexpr std::size_t kMaxParams = 8;

    std::string_view name;
    int slot = 0;  // 1 for the first member after the seven IDispatch slots
    DispId dispid = 0;
    std::array<ParamDesc, kMaxParams> paramStore{};
    std::size_t paramCount = 0;
    ParamDesc result;  // the [out, retval] parameter; kind None when there is none

    // Declaration order, without the result.
    std::span<const ParamDesc> params() const { return {paramStore.data(), paramCount}; }
    bool hasResult() const { return result.kind != ParamKind::None; }
    // Index in the whole vtable, IUnknown and IDispatch included.
    int vtableIndex() const { return slot + 6; }
};

constexpr ParamDesc in(std::string_view name, ParamKind kind) {
    return {name, kind, false};
}
constexpr ParamDesc out(std::string_view name, ParamKind kind) {
    return {name, kind, true};
}
constexpr ParamDesc result(std::string_view name, ParamKind kind) {
    return {name, kind, false};
}

constexpr MethodDesc method(int slot, DispId dispid, std::string_view name,
                            std::initializer_list<ParamDesc> params = {}, ParamDesc ret = {}) {
    MethodDesc m;
    m.name = name;
    m.slot = slot;
    m.dispid = dispid;
    if (params.size() > MethodDesc::kMaxParams) throw "too many parameters";
    for (const ParamDesc& p : params) m.paramStore[m.paramCount++] = p;
    m.result = ret;
    return m;
}

struct InterfaceDesc {
    std::string_view name;
    std::string_view guid;                // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
    std::string_view documentation;       // may be empty
    std::span<const MethodDesc> methods;  // in slot order
};

struct ClassDesc {
    std::string_view name;
    std::string_view guid;
    std::string_view documentation;
    const InterfaceDesc* defaultInterface = nullptr;
    // Declared creatable, but only a class with a factory can be instantiated.
    bool hasFactory = false;
};

struct TypeLibraryDesc {
    std::string_view name;
    std::string_view helpString;
    std::string_view guid;
    int versionMajor = 1;
    int versionMinor = 0;
    std::span<const InterfaceDesc* const> interfaces;
    std::span<const ClassDesc> classes;
};

// Stub classes are registered apartment-threaded.
inline constexpr std::string_view kStubThreadingModel = "Apartment";

// SvcFiscal: ISvcFiscal and ISO_OPOSCashDrawer, classes SvcFiscal and SO_OPOSCashDrawer.
const TypeLibraryDesc& svcFiscalLibrary();
const InterfaceDesc& svcFiscalInterface();
const InterfaceDesc& cashDrawerInterface();
// SvcCommon: ISO_Common, class SO_Common.
const TypeLibraryDesc& svcCommonLibrary();
const InterfaceDesc& commonInterface();

// Lookups; null when nothing matches. Names match without regard to case.
const MethodDesc* findMethod(const InterfaceDesc& itf, std::u16string_view name);
const MethodDesc* findMethod(const InterfaceDesc& itf, std::string_view name);
const MethodDesc* findMethod(const InterfaceDesc& itf, DispId dispid);
const InterfaceDesc* findInterface(const TypeLibraryDesc& lib, std::string_view name);
// By class id, with or without braces, in any case.
const ClassDesc* findClass(const TypeLibraryDesc& lib, std::string_view classId);

// Type library name, ".", class name: "SvcFiscal.SvcFiscal".
std::string progId(const TypeLibraryDesc& lib, const ClassDesc& cls);

}  // namespace zirok::interfaces
