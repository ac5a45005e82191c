// Variants as automation passes them: booleans as -1/0, exact currency,
// out parameters written through a reference, and the conversions a
// late-bound caller relies on.
#include "platform/automation.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "tests/interfaces/variant_printer.hpp"

namespace zirok::platform {
namespace {

constexpr auto kI32Min = std::numeric_limits<std::int32_t>::min();
constexpr auto kI32Max = std::numeric_limits<std::int32_t>::max();
constexpr auto kI64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto kI64Max = std::numeric_limits<std::int64_t>::max();

class NoOp : public Dispatch {
  public:
    std::optional<DispId> getIdsOfNames(std::u16string_view) const override { return {}; }
    Variant invoke(DispId, unsigned, std::vector<Variant>&) override { return {}; }
};

Variant cy(std::int64_t v) {
    return Variant(Currency{v});
}

// False when the read fails with a type mismatch.
template <class Read>
bool noThrow(Read read) {
    try {
        read();
        return true;
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), hresult::kTypeMismatch);
        return false;
    }
}

TEST(Variant, BooleanTravelsAsMinusOneOrZero) {
    EXPECT_EQ(Variant(true).asVariantBool(), -1);
    EXPECT_EQ(Variant(false).asVariantBool(), 0);
    EXPECT_EQ(Variant(true).vt(), 11);
    // A word other than -1 from a careless caller is kept as sent and is true.
    const Variant one = Variant::fromBoolWord(1);
    EXPECT_EQ(one.asVariantBool(), 1);
    EXPECT_TRUE(one.asBool());
    EXPECT_NE(one, Variant(true));
}

TEST(Variant, StrictReadsRefuseOtherTypes) {
    // An integer is not silently read as a boolean or an amount.
    for (const Variant& v : {Variant(), Variant(1), Variant(u"1"), cy(10000)}) {
        SCOPED_TRACE(testing::PrintToString(v));
        const VarType t = v.type();
        EXPECT_EQ(t == VarType::Bool, noThrow([&] { v.asBool(); }));
        EXPECT_EQ(t == VarType::Cy, noThrow([&] { v.asCurrency(); }));
        EXPECT_EQ(t == VarType::I4, noThrow([&] { v.asInt(); }));
        EXPECT_EQ(t == VarType::BStr, noThrow([&] { v.asString(); }));
    }
}

TEST(Variant, ReferenceReadsAndWritesTheCallersVariant) {
    Variant target(5);
    const Variant ref = Variant::byRef(target);
    EXPECT_TRUE(ref.isByRef());
    EXPECT_EQ(ref.vt(), kVtByRef | 3);
    EXPECT_EQ(ref.asInt(), 5);

    // A copy, and a reference to the reference, still reach the same variant.
    const Variant copy = ref;
    Variant refVar = ref;
    const Variant refToRef = Variant::byRef(refVar);
    refToRef.store(Variant(7));
    EXPECT_EQ(target, Variant(7));
    EXPECT_EQ(copy.asInt(), 7);

    // The callee writes through a typed pointer: the caller's type stays.
    ref.store(Variant(u" 12 "));
    EXPECT_EQ(target, Variant(12));
    ref.store(Variant(true));
    EXPECT_EQ(target, Variant(-1));
    EXPECT_THROW(ref.store(Variant(u"twelve")), AutomationError);
    EXPECT_EQ(target, Variant(-1));

    // An empty variant takes what is written as it is.
    Variant empty;
    Variant::byRef(empty).store(Variant(u"text"));
    EXPECT_EQ(empty, Variant(u"text"));

    EXPECT_THROW(Variant(3).target(), AutomationError);
    EXPECT_THROW(Variant(3).store(Variant(4)), AutomationError);
}

struct Conversion {
    Variant from;
    VarType to;
    Variant expected;
};

TEST(Variant, CoercesAsAutomationDoes) {
    const Conversion cases[] = {
        {Variant(), VarType::I4, Variant(0)},
        {Variant(), VarType::Bool, Variant(false)},
        {Variant(), VarType::BStr, Variant(u"")},
        {Variant(), VarType::Cy, cy(0)},
        {Variant(7), VarType::Bool, Variant(true)},
        {Variant(0), VarType::Bool, Variant(false)},
        {Variant(true), VarType::I4, Variant(-1)},
        {Variant(true), VarType::Cy, cy(-10000)},
        {Variant(true), VarType::BStr, Variant(u"-1")},
        {Variant(false), VarType::BStr, Variant(u"0")},
        {Variant(-5), VarType::Cy, cy(-50000)},
        {Variant(kI32Min), VarType::BStr, Variant(u"-2147483648")},
        {cy(1), VarType::Bool, Variant(true)},
        // Currency to integer rounds half to even.
        {cy(25000), VarType::I4, Variant(2)},
        {cy(35000), VarType::I4, Variant(4)},
        {cy(25001), VarType::I4, Variant(3)},
        {cy(-25000), VarType::I4, Variant(-2)},
        {cy(-15000), VarType::I4, Variant(-2)},
        {cy(-14999), VarType::I4, Variant(-1)},
        {cy(125000), VarType::BStr, Variant(u"12.5")},
        {cy(1), VarType::BStr, Variant(u"0.0001")},
        {cy(-10000), VarType::BStr, Variant(u"-1")},
        {cy(-1), VarType::BStr, Variant(u"-0.0001")},
        {cy(kI64Min), VarType::BStr, Variant(u"-922337203685477.5808")},
        {Variant(u" 42 "), VarType::I4, Variant(42)},
        {Variant(u"+3"), VarType::I4, Variant(3)},
        {Variant(u"-7"), VarType::I4, Variant(-7)},
        {Variant(u"2.5"), VarType::I4, Variant(2)},
        {Variant(u"3.5"), VarType::I4, Variant(4)},
        {Variant(u"2.50001"), VarType::I4, Variant(3)},
        {Variant(u".9"), VarType::I4, Variant(1)},
        {Variant(u"2147483647"), VarType::I4, Variant(kI32Max)},
        {Variant(u"-2147483648"), VarType::I4, Variant(kI32Min)},
        {Variant(u"12.34"), VarType::Cy, cy(123400)},
        {Variant(u"0.00005"), VarType::Cy, cy(0)},
        {Variant(u"0.00015"), VarType::Cy, cy(2)},
        {Variant(u"-1.23456"), VarType::Cy, cy(-12346)},
        {Variant(u"922337203685477.5807"), VarType::Cy, cy(kI64Max)},
        {Variant(u"-922337203685477.5808"), VarType::Cy, cy(kI64Min)},
        {Variant(u"True"), VarType::Bool, Variant(true)},
        {Variant(u" FALSE"), VarType::Bool, Variant(false)},
        {Variant(u"0"), VarType::Bool, Variant(false)},
        {Variant(u"0.00001"), VarType::Bool, Variant(true)},
        {Variant(u"x"), VarType::Empty, Variant()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.from) + " to " +
                     std::to_string(static_cast<int>(c.to)));
        const Variant got = coerce(c.from, c.to);
        EXPECT_EQ(got, c.expected);
        EXPECT_FALSE(got.isByRef());
        // Through a reference the referenced value converts the same way.
        Variant held = c.from;
        EXPECT_EQ(coerce(Variant::byRef(held), c.to), c.expected);
    }
}

TEST(Variant, RefusedConversionsSayWhy) {
    auto dispatch = std::make_shared<NoOp>();
    const struct {
        Variant from;
        VarType to;
        HResult code;
    } cases[] = {
        {Variant(u"abc"), VarType::I4, hresult::kTypeMismatch},
        {Variant(u""), VarType::I4, hresult::kTypeMismatch},
        {Variant(u" - "), VarType::I4, hresult::kTypeMismatch},
        {Variant(u"1.2.3"), VarType::Cy, hresult::kTypeMismatch},
        {Variant(u"1,5"), VarType::Cy, hresult::kTypeMismatch},
        {Variant(u"maybe"), VarType::Bool, hresult::kTypeMismatch},
        {Variant(u"2147483648"), VarType::I4, hresult::kOverflow},
        {Variant(u"-2147483648.6"), VarType::I4, hresult::kOverflow},
        {Variant(u"922337203685477.5808"), VarType::Cy, hresult::kOverflow},
        {Variant(u"99999999999999999999999"), VarType::Cy, hresult::kOverflow},
        {cy(std::int64_t{kI32Max} * 10000 + 5000), VarType::I4, hresult::kOverflow},
        {Variant(), VarType::Dispatch, hresult::kTypeMismatch},
        {Variant(1), VarType::Dispatch, hresult::kTypeMismatch},
        {Variant(std::shared_ptr<Dispatch>(dispatch)), VarType::I4, hresult::kTypeMismatch},
        {Variant(std::shared_ptr<Dispatch>(dispatch)), VarType::BStr, hresult::kTypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.from));
        try {
            coerce(c.from, c.to);
            ADD_FAILURE() << "converted";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.code(), c.code) << e.what();
        }
    }
}

TEST(Variant, CurrencyIsExactBeyondFloatingPrecision) {
    // 2^53 + 1 units has no exact double; a detour through floating point
    // would change the last digit.
    for (std::int64_t units : {std::int64_t{9007199254740993}, kI64Max, kI64Min, std::int64_t{-1},
                               std::int64_t{100000001}}) {
        const Variant text = coerce(cy(units), VarType::BStr);
        EXPECT_EQ(coerce(text, VarType::Cy), cy(units)) << testing::PrintToString(text);
    }
}

TEST(Variant, DispatchReferenceIsShared) {
    auto object = std::make_shared<NoOp>();
    const Variant v{std::shared_ptr<Dispatch>(object)};
    EXPECT_EQ(v.asDispatch().get(), object.get());
    EXPECT_EQ(object.use_count(), 2);
    EXPECT_EQ(coerce(v, VarType::Dispatch), v);
    EXPECT_EQ(Variant(std::shared_ptr<Dispatch>()).type(), VarType::Dispatch);
}

}  // namespace
}  // namespace zirok::platform
