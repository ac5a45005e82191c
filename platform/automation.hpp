#pragma once
// The automation model the service object is called through: variants as
// automation passes them, a late-bound dispatch interface, and the failures a
// dispatch call can end with. The Windows backend maps these onto VARIANT and
// IDispatch one to one; on POSIX they are the whole of it.
#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zirok::platform {

using DispId = std::int32_t;
using HResult = std::int32_t;

// HRESULT codes a dispatch call fails with; the values are the Windows ones,
// so a Windows backend passes them through unchanged.
namespace hresult {
inline constexpr HResult kOk = 0;
inline constexpr HResult kFail = static_cast<HResult>(0x80004005);
inline constexpr HResult kUnexpected = static_cast<HResult>(0x8000FFFF);
inline constexpr HResult kMemberNotFound = static_cast<HResult>(0x80020003);
inline constexpr HResult kTypeMismatch = static_cast<HResult>(0x80020005);
inline constexpr HResult kUnknownName = static_cast<HResult>(0x80020006);
inline constexpr HResult kException = static_cast<HResult>(0x80020009);
inline constexpr HResult kOverflow = static_cast<HResult>(0x8002000A);
inline constexpr HResult kBadParamCount = static_cast<HResult>(0x8002000E);
inline constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154);
}  // namespace hresult

// A failed dispatch call. `argument` is the position (in declaration order)
// of the argument that caused it, or -1 when no single argument did.
class AutomationError : public std::runtime_error {
  public:
    AutomationError(HResult code, const std::string& message, int argument = -1)
        : std::runtime_error(message), code_(code), argument_(argument) {}
    HResult code() const { return code_; }
    int argument() const { return argument_; }

  private:
    HResult code_;
    int argument_;
};

// Variant types, numbered as automation numbers them.
enum class VarType : std::uint16_t {
    Empty = 0,
    I4 = 3,
    Cy = 6,
    BStr = 8,
    Dispatch = 9,
    Bool = 11,
};
inline constexpr std::uint16_t kVtByRef = 0x4000;

// Automation currency: the amount times 10000, exactly.
struct Currency {
    std::int64_t value = 0;
    friend auto operator<=>(const Currency&, const Currency&) = default;
};

// Automation boolean as it travels: -1 is true, 0 is false.
inline constexpr std::int16_t kVariantTrue = -1;
inline constexpr std::int16_t kVariantFalse = 0;

class Dispatch;

// One automation value. A by-reference variant points at a variant that the
// caller owns and keeps alive for the duration of the call; the callee reads
// it and writes its out value back into it. Copying a by-reference variant
// copies the reference, as automation does.
class Variant {
  public:
    Variant() = default;
    Variant(std::int32_t value) : value_(value) {}
    Variant(bool value) : value_(Boolean{value ? kVariantTrue : kVariantFalse}) {}
    Variant(std::u16string value) : value_(std::move(value)) {}
    Variant(const char16_t* value) : value_(std::u16string(value)) {}
    Variant(Currency value) : value_(value) {}
    Variant(std::shared_ptr<Dispatch> value) : value_(std::move(value)) {}
    // A narrow text would otherwise silently become a boolean.
    Variant(const char*) = delete;

    // A variant referring to `target`, for an out parameter.
    static Variant byRef(Variant& target);
    // A boolean word exactly as it arrived, including values other than -1
    // and 0 that a careless caller may send; any non-zero word reads as true.
    static Variant fromBoolWord(std::int16_t word);

    VarType type() const;  // the referenced variant's type for a by-reference one
    bool isByRef() const { return std::holds_alternative<Variant*>(value_); }
    // The automation type code, with kVtByRef set for a by-reference variant.
    std::uint16_t vt() const;

    // The referenced variant for a by-reference one, the variant itself otherwise.
    const Variant& value() const;
    // The referenced variant; AutomationError (type mismatch) when not by reference.
    Variant& target() const;
    // Writes an out value through a by-reference variant, converted to the type
    // the referenced variant already holds (an empty one takes `v` as it is),
    // as a callee writes through a typed pointer.
    void store(const Variant& v) const;

    // Strict reads (through a reference too); AutomationError (type mismatch)
    // when the variant holds another type. Use coerce() to convert.
    std::int32_t asInt() const;
    bool asBool() const;
    std::int16_t asVariantBool() const;  // -1 or 0 (or whatever a caller put there)
    const std::u16string& asString() const;
    Currency asCurrency() const;
    const std::shared_ptr<Dispatch>& asDispatch() const;

    // Equal types and values; two by-reference variants are equal when they
    // refer to the same variant.
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    struct Boolean {
        std::int16_t value;
        friend bool operator==(Boolean, Boolean) = default;
    };
    std::variant<std::monostate, std::int32_t, Boolean, std::u16string, Currency,
                 std::shared_ptr<Dispatch>, Variant*>
        value_;
};

// Converts as automation's VariantChangeType does (no locale, "." as the
// decimal separator), for the conversions the system meets:
//   empty      -> 0, false, "", currency 0 (not a dispatch reference)
//   integer   <-> boolean: non-zero is true; true is -1
//   integer    -> currency exactly; currency -> integer rounded half to even
//   boolean    -> currency -1 or 0
//   currency   -> boolean: non-zero is true
//   integer, boolean, currency -> text: decimal ("-1"/"0" for a boolean,
//                 currency without trailing zeros: "12.5")
//   text       -> integer, currency, boolean: optional blanks around an
//                 optional sign, digits and a "." fraction (rounded half to
//                 even beyond the target's precision); a boolean also accepts
//                 "True" and "False" in any case
//   dispatch   -> only dispatch; nothing else -> dispatch
// A by-reference variant converts its referenced value; the result is never
// by reference. Failures: type mismatch, or overflow when the value does
// not fit.
Variant coerce(const Variant& v, VarType to);

// Automation compares member names without regard to case.
bool namesEqual(std::u16string_view a, std::u16string_view b);
bool namesEqual(std::u16string_view a, std::string_view b);

// How a member is invoked; automation callers often combine Method and
// PropertyGet for a call that may be either.
enum InvokeKind : unsigned {
    kInvokeMethod = 1,
    kInvokePropertyGet = 2,
    kInvokePropertyPut = 4,
};

// A late-bound automation object. Unlike IDispatch::Invoke, which receives
// its arguments last first, `args` are in declaration order, the way the
// tables declare them; the Windows backend reverses them at its edge. The
// member's [out, retval] value is the returned variant and is not among
// `args`. Failures are AutomationError.
class Dispatch {
  public:
    virtual ~Dispatch() = default;
    virtual std::optional<DispId> getIdsOfNames(std::u16string_view name) const = 0;
    virtual Variant invoke(DispId id, unsigned kind, std::vector<Variant>& args) = 0;
};

}  // namespace zirok::platform
