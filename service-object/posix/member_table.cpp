#include "service-object/posix/member_table.hpp"

#include <stdexcept>
#include <string>

#include "protocol/commands/windows1251_literal.hpp"

namespace zirok::so::posix {

namespace {

constexpr protocol::Windows1251Literal kDrawerDirectIOText{
    u8"Ошибка DirectIO. Не верные параметры вызова"};

// A member the service object does not have yet refuses as not supported,
// with the result where the entry expects it.
Variant notImplemented(TSOZirok& so, const MethodDesc& m, std::vector<Variant>& args) {
    const std::int32_t rc = so.notSupported();
    if (m.hasResult()) {
        return m.result.kind == ParamKind::Long ? Variant(rc)
                                                : interfaces::zeroValue(m.result.kind);
    }
    if (resultThroughLastOut(m)) args.back().store(Variant(rc));
    return {};
}

Variant bindingFault(TSOZirok&, const MethodDesc& m, std::vector<Variant>&) {
    throw std::logic_error(std::string(m.name) +
                           " is bound to a service-object member of another shape");
}

// A member of the interface's name, when TSOZirok declares one, else the
// not-supported answer. Later method groups are bound by declaring their
// member; the shape test proves the declaration fits.
// clang-format off
#define ZIROK_MEMBER(Name)                                                                \
    MemberBinding{                                                                        \
        #Name,                                                                            \
        [](auto& so, const MethodDesc& m, std::vector<Variant>& args) -> Variant {        \
            using T = std::remove_reference_t<decltype(so)>;                              \
            if constexpr (requires { &T::Name; }) {                                       \
                return callMember(so, &T::Name, m, args);                                 \
            } else {                                                                      \
                return notImplemented(so, m, args);                                       \
            }                                                                             \
        },                                                                                \
        [](auto* so) -> std::optional<MemberShape> {                                      \
            using T = std::remove_pointer_t<decltype(so)>;                                \
            if constexpr (requires { &T::Name; }) {                                       \
                return shapeOf(&T::Name);                                                 \
            } else {                                                                      \
                return std::nullopt;                                                      \
            }                                                                             \
        }}
// clang-format on

// GetPropertyNumber also takes what the caller left in its result; a
// dispatch caller leaves nothing there, so it is 0.
const MemberBinding kGetPropertyNumber{
    "GetPropertyNumber",
    [](TSOZirok& so, const MethodDesc&, std::vector<Variant>& args) -> Variant {
        return Variant(so.GetPropertyNumber(args[0].asInt(), 0));
    },
    [](TSOZirok*) -> std::optional<MemberShape> {
        return MemberShape{{{ParamKind::Long, false}}, ParamKind::Long};
    },
};

const MemberBinding kFiscal[] = {
    ZIROK_MEMBER(BeginFiscalDocument),
    ZIROK_MEMBER(BeginFiscalReceipt),
    ZIROK_MEMBER(BeginFixedOutput),
    ZIROK_MEMBER(BeginInsertion),
    ZIROK_MEMBER(BeginItemList),
    ZIROK_MEMBER(BeginNonFiscal),
    ZIROK_MEMBER(BeginRemoval),
    ZIROK_MEMBER(BeginTraining),
    ZIROK_MEMBER(CheckHealth),
    ZIROK_MEMBER(ClaimDevice),
    ZIROK_MEMBER(ClearError),
    ZIROK_MEMBER(ClearOutput),
    ZIROK_MEMBER(CloseService),
    ZIROK_MEMBER(CompareFirmwareVersion),
    ZIROK_MEMBER(DirectIO),
    ZIROK_MEMBER(EndFiscalDocument),
    ZIROK_MEMBER(EndFiscalReceipt),
    ZIROK_MEMBER(EndFixedOutput),
    ZIROK_MEMBER(EndInsertion),
    ZIROK_MEMBER(EndItemList),
    ZIROK_MEMBER(EndNonFiscal),
    ZIROK_MEMBER(EndRemoval),
    ZIROK_MEMBER(EndTraining),
    ZIROK_MEMBER(GetData),
    ZIROK_MEMBER(GetDate),
    kGetPropertyNumber,
    ZIROK_MEMBER(GetPropertyString),
    ZIROK_MEMBER(GetTotalizer),
    ZIROK_MEMBER(GetVatEntry),
    ZIROK_MEMBER(OpenService),
    ZIROK_MEMBER(PrintDuplicateReceipt),
    ZIROK_MEMBER(PrintFiscalDocumentLine),
    ZIROK_MEMBER(PrintFixedOutput),
    ZIROK_MEMBER(PrintNormal),
    ZIROK_MEMBER(PrintperiodicTotalsReport),
    ZIROK_MEMBER(PrintPowerLossReport),
    ZIROK_MEMBER(PrintRecCash),
    ZIROK_MEMBER(PrintRecItem),
    ZIROK_MEMBER(PrintRecItemAdjustment),
    ZIROK_MEMBER(PrintRecItemFuel),
    ZIROK_MEMBER(PrintRecItemFuelVoid),
    ZIROK_MEMBER(PrintRecNotPaid),
    ZIROK_MEMBER(PrintRecPackageAdjustment),
    ZIROK_MEMBER(PrintRecPackageAdjustVoid),
    ZIROK_MEMBER(PrintRecRefund),
    ZIROK_MEMBER(PrintRecRefundVoid),
    ZIROK_MEMBER(PrintRecSubtotal),
    ZIROK_MEMBER(PrintRecSubtotalAdjustment),
    ZIROK_MEMBER(PrintRecSubtotalAdjustVoid),
    ZIROK_MEMBER(PrintrecTaxID),
    ZIROK_MEMBER(PrintRecTotal),
    ZIROK_MEMBER(PrintRecVoid),
    ZIROK_MEMBER(PrintRecVoidItem),
    ZIROK_MEMBER(PrintReport),
    ZIROK_MEMBER(PrintXReport),
    ZIROK_MEMBER(PrintZReport),
    ZIROK_MEMBER(ReleaseDevice),
    ZIROK_MEMBER(ResetPrinter),
    ZIROK_MEMBER(ResetStatistics),
    ZIROK_MEMBER(RetrieveStatistics),
    ZIROK_MEMBER(SetCurrency),
    ZIROK_MEMBER(SetDate),
    ZIROK_MEMBER(SetHeaderLine),
    ZIROK_MEMBER(SetPOSID),
    ZIROK_MEMBER(SetStoreFiscalID),
    ZIROK_MEMBER(SetTrailerLine),
    ZIROK_MEMBER(SetVatTable),
    ZIROK_MEMBER(SetVatValue),
    ZIROK_MEMBER(UpdateFirmware),
    ZIROK_MEMBER(UpdateStatistics),
    ZIROK_MEMBER(VerifyItem),
    ZIROK_MEMBER(ClearInput),
    ZIROK_MEMBER(COFreezeEvents),
    ZIROK_MEMBER(SetPropertyNumber),
    ZIROK_MEMBER(SetPropertyString),
    ZIROK_MEMBER(PrintRecMessage),
    ZIROK_MEMBER(OpenDrawer),
    ZIROK_MEMBER(WaitForDrawerClose),
};

#undef ZIROK_MEMBER

const MemberBinding kDrawerOwn[] = {
    {"ClearInput",
     [](TSOZirok& so, const MethodDesc&, std::vector<Variant>&) -> Variant {
         return Variant(so.notSupported());
     },
     [](TSOZirok*) -> std::optional<MemberShape> {
         return MemberShape{{}, ParamKind::Long};
     }},
    {"DirectIO",
     [](TSOZirok& so, const MethodDesc&, std::vector<Variant>&) -> Variant {
         return Variant(so.notSupported(std::string(kDrawerDirectIOText.view())));
     },
     [](TSOZirok*) -> std::optional<MemberShape> {
         return MemberShape{
             {{ParamKind::Long, false}, {ParamKind::Long, true}, {ParamKind::Long, true}},
             ParamKind::Long};
     }},
};

const MemberBinding* find(std::span<const MemberBinding> bindings, std::string_view name) {
    for (const MemberBinding& b : bindings) {
        if (b.name == name) return &b;
    }
    return nullptr;
}

}  // namespace

bool resultThroughLastOut(const MethodDesc& m) {
    const auto params = m.params();
    return !m.hasResult() && !params.empty() && params.back().byRef &&
           params.back().kind == ParamKind::Long;
}

MemberShape expectedShape(const MethodDesc& m) {
    MemberShape shape;
    for (const interfaces::ParamDesc& p : m.params()) shape.params.push_back({p.kind, p.byRef});
    shape.result = m.result.kind;
    if (resultThroughLastOut(m)) {
        shape.params.pop_back();
        shape.result = ParamKind::Long;
    }
    return shape;
}

std::span<const MemberBinding> fiscalBindings() {
    return kFiscal;
}
std::span<const MemberBinding> drawerOwnBindings() {
    return kDrawerOwn;
}

std::vector<MemberCall> bindInterface(const interfaces::InterfaceDesc& itf,
                                      std::span<const MemberBinding> own) {
    std::vector<MemberCall> calls;
    calls.reserve(itf.methods.size());
    for (const MethodDesc& m : itf.methods) {
        const MemberBinding* b = find(own, m.name);
        if (!b) b = find(fiscalBindings(), m.name);
        if (!b) {
            calls.push_back(&notImplemented);
            continue;
        }
        const auto shape = b->shape(nullptr);
        calls.push_back(!shape || *shape == expectedShape(m) ? b->call : &bindingFault);
    }
    return calls;
}

}  // namespace zirok::so::posix
