// The service object behind its two dispatch interfaces, in process: every
// interface entry reaches a member of the right shape, both interfaces share
// one instance, the drawer refuses what it must, and failures inside a
// member come out as failed calls.
#include <gtest/gtest.h>

#include <memory>

#include "emulator_process.hpp"
#include "platform/registry.hpp"
#include "registration/zirok_identity.hpp"
#include "service-object/posix/member_table.hpp"
#include "service-object/posix/service_object.hpp"
#include "tests/interfaces/variant_printer.hpp"

namespace zirok::so::posix {
namespace {

using platform::AutomationError;
using platform::Currency;
using platform::Variant;
namespace hresult = platform::hresult;

Variant call(platform::Dispatch& object, std::u16string_view name, std::vector<Variant> args) {
    const auto id = object.getIdsOfNames(name);
    if (!id) throw std::runtime_error("no such member");
    return object.invoke(*id, platform::kInvokeMethod, args);
}

std::string nameOf(const MemberShape& shape) {
    std::string text = "(";
    for (const ParamShape& p : shape.params) {
        text += std::to_string(static_cast<int>(p.kind)) + (p.byRef ? "& " : " ");
    }
    return text + ") -> " + std::to_string(static_cast<int>(shape.result));
}

// Each member the service object declares must fit its entry; a later
// method group that declares a member of another shape fails here, not in a
// control object's call.
const MemberBinding* find(std::span<const MemberBinding> list, std::string_view name) {
    for (const MemberBinding& b : list) {
        if (b.name == name) return &b;
    }
    return nullptr;
}

TEST(ServiceObjectDispatch, EveryEntryIsBoundAndDeclaredMembersFitTheirEntries) {
    const struct {
        const interfaces::InterfaceDesc& itf;
        std::span<const MemberBinding> own;
    } interfaces[] = {
        {registration::fiscalInterface(), {}},
        {registration::drawerInterface(), drawerOwnBindings()},
    };
    for (const auto& [itf, own] : interfaces) {
        for (const MethodDesc& m : itf.methods) {
            SCOPED_TRACE(std::string(itf.name) + "." + std::string(m.name));
            const MemberBinding* bound = find(own, m.name);
            if (!bound) bound = find(fiscalBindings(), m.name);
            ASSERT_NE(bound, nullptr);
            if (const auto shape = bound->shape(nullptr)) {
                EXPECT_EQ(nameOf(*shape), nameOf(expectedShape(m)));
            }
        }
    }
    EXPECT_EQ(fiscalBindings().size(), registration::fiscalInterface().methods.size());
}

class ServiceObjectCalls : public ::testing::Test {
  protected:
    testing::TempZirokHome home_;
    std::shared_ptr<ServiceObject> object_ = ServiceObject::create();
    std::shared_ptr<platform::Dispatch> fiscal_ = object_->queryInterface("ISOZirok");
    std::shared_ptr<platform::Dispatch> drawer_ = object_->queryInterface("IDrawer");
};

TEST_F(ServiceObjectCalls, BothInterfacesReachOneInstance) {
    call(*fiscal_, u"SetPropertyNumber", {Variant(16020), Variant(9)});
    EXPECT_EQ(call(*drawer_, u"GetPropertyNumber", {Variant(16020)}), Variant(9));

    // COFreezeEvents answers through its trailing pRC, on either interface.
    Variant rc(-5);
    EXPECT_EQ(call(*drawer_, u"COFreezeEvents", {Variant(true), Variant::byRef(rc)}), Variant());
    EXPECT_EQ(rc, Variant(0));
    EXPECT_EQ(call(*fiscal_, u"GetPropertyNumber", {Variant(4)}), Variant(-1));
}

TEST_F(ServiceObjectCalls, TheDrawerRefusesClearInputAndDirectIO) {
    Variant data(7);
    Variant obj(8);
    EXPECT_EQ(call(*drawer_, u"DirectIO", {Variant(1), Variant::byRef(data), Variant::byRef(obj)}),
              Variant(106));
    EXPECT_EQ(data, Variant(7));
    EXPECT_EQ(obj, Variant(8));
    EXPECT_EQ(call(*drawer_, u"GetPropertyNumber", {Variant(6)}), Variant(106));
    EXPECT_EQ(call(*drawer_, u"GetPropertyString", {Variant(1016001)}),
              Variant(u"Ошибка DirectIO. Не верные параметры вызова"));

    call(*fiscal_, u"ClearError", {});
    EXPECT_EQ(call(*drawer_, u"ClearInput", {}), Variant(106));
    EXPECT_EQ(call(*drawer_, u"GetPropertyNumber", {Variant(6)}), Variant(106));

    // The fiscal ClearInput has no result: its refusal comes back in pRC.
    Variant rc(0);
    EXPECT_EQ(call(*fiscal_, u"ClearInput", {Variant::byRef(rc)}), Variant());
    EXPECT_EQ(rc, Variant(106));
}

TEST_F(ServiceObjectCalls, AMemberThatThrowsFailsTheCallWithItsMessage) {
    auto key =
        platform::registry().createKey(platform::RegistryHive::LocalMachine,
                                       "SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok");
    ASSERT_TRUE(key);
    key->writeInteger("Autosearch", 1);  // read as a string by ClaimDevice
    try {
        call(*fiscal_, u"ClaimDevice", {Variant(1000)});
        FAIL() << "ClaimDevice succeeded";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), hresult::kException);
        EXPECT_STREQ(e.what(), "Invalid data type for 'Autosearch'");
    }
}

// The marshalling itself, on a member of every parameter kind.
struct Probe {
    std::int32_t Sale(const std::u16string& name, std::int64_t price, bool flag,
                      std::int64_t& total, std::u16string& note, std::int32_t& count) {
        total = price * 2;
        note = name + u"!";
        count += flag ? 1 : 0;
        return 42;
    }
    void Set(std::int32_t value) { last = value; }
    std::int32_t last = 0;
};

TEST(MemberBinding, ArgumentsGoInAndOutParametersComeBack) {
    using interfaces::ParamKind;
    constexpr MethodDesc sale = interfaces::method(
        1, 1, "Sale",
        {interfaces::in("Name", ParamKind::BStr), interfaces::in("Price", ParamKind::Currency),
         interfaces::in("Flag", ParamKind::Bool), interfaces::out("Total", ParamKind::Currency),
         interfaces::out("Note", ParamKind::BStr), interfaces::out("Count", ParamKind::Long)},
        interfaces::result("Value", ParamKind::Long));
    EXPECT_EQ(nameOf(shapeOf(&Probe::Sale)), nameOf(expectedShape(sale)));

    Probe probe;
    Variant total(Currency{0});
    Variant note(u"");
    Variant count(4);
    std::vector<Variant> args{Variant(u"Хлеб"),     Variant(Currency{12345}),
                              Variant(true),        Variant::byRef(total),
                              Variant::byRef(note), Variant::byRef(count)};
    EXPECT_EQ(callMember(probe, &Probe::Sale, sale, args), Variant(42));
    EXPECT_EQ(total, Variant(Currency{24690}));
    EXPECT_EQ(note, Variant(u"Хлеб!"));
    EXPECT_EQ(count, Variant(5));

    constexpr MethodDesc set =
        interfaces::method(2, 2, "Set", {interfaces::in("Value", ParamKind::Long)});
    std::vector<Variant> setArgs{Variant(17)};
    EXPECT_EQ(callMember(probe, &Probe::Set, set, setArgs), Variant());
    EXPECT_EQ(probe.last, 17);
}

}  // namespace
}  // namespace zirok::so::posix
