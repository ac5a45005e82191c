#pragma once
// Calls a typed TSOZirok member from a dispatch call: each argument variant
// becomes the C++ parameter the member declares, out parameters are written
// back through their references, and the result becomes a variant again.
//
// The C++ side follows one convention: 32-bit integer std::int32_t, boolean
// bool, currency std::int64_t (amount x 10000), string std::u16string (const
// reference in, reference out), dispatch std::shared_ptr<platform::Dispatch>.
// A member whose interface entry has no result but ends with an out integer
// (the pRC of ClearInput and COFreezeEvents) returns that integer instead.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"

namespace zirok::so::posix {

using interfaces::MethodDesc;
using interfaces::ParamKind;
using platform::Variant;

struct ParamShape {
    ParamKind kind = ParamKind::None;
    bool byRef = false;
    bool operator==(const ParamShape&) const = default;
};

// A member's parameters and result as the C++ declaration has them.
struct MemberShape {
    std::vector<ParamShape> params;
    ParamKind result = ParamKind::None;
    bool operator==(const MemberShape&) const = default;
};

// True when the entry hands its OPOS result back through a trailing out integer.
bool resultThroughLastOut(const MethodDesc& m);
// The C++ shape a member must have to serve the entry.
MemberShape expectedShape(const MethodDesc& m);

template <class T>
struct Marshal;

template <>
struct Marshal<std::int32_t> {
    static constexpr ParamKind kind = ParamKind::Long;
    static std::int32_t read(const Variant& v) { return v.asInt(); }
    static Variant write(std::int32_t value) { return Variant(value); }
};
template <>
struct Marshal<bool> {
    static constexpr ParamKind kind = ParamKind::Bool;
    static bool read(const Variant& v) { return v.asBool(); }
    static Variant write(bool value) { return Variant(value); }
};
template <>
struct Marshal<std::int64_t> {
    static constexpr ParamKind kind = ParamKind::Currency;
    static std::int64_t read(const Variant& v) { return v.asCurrency().value; }
    static Variant write(std::int64_t value) { return Variant(platform::Currency{value}); }
};
template <>
struct Marshal<std::u16string> {
    static constexpr ParamKind kind = ParamKind::BStr;
    static std::u16string read(const Variant& v) { return v.asString(); }
    static Variant write(std::u16string value) { return Variant(std::move(value)); }
};
template <>
struct Marshal<std::shared_ptr<platform::Dispatch>> {
    static constexpr ParamKind kind = ParamKind::Dispatch;
    static std::shared_ptr<platform::Dispatch> read(const Variant& v) { return v.asDispatch(); }
};

// One argument on its way into the member and, for an out parameter, back.
template <class A>
class Slot {
  public:
    using Value = std::remove_cvref_t<A>;
    static constexpr bool kOut =
        std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>;

    explicit Slot(const Variant& v) : value_(Marshal<Value>::read(v)) {}
    A get() {
        if constexpr (kOut || std::is_reference_v<A>) {
            return value_;
        } else {
            return std::move(value_);
        }
    }
    void writeBack(Variant& v) {
        if constexpr (kOut) v.store(Marshal<Value>::write(value_));
    }

  private:
    Value value_;
};

template <class R>
constexpr ParamKind resultKind() {
    if constexpr (std::is_void_v<R>) {
        return ParamKind::None;
    } else {
        return Marshal<R>::kind;
    }
}

template <class R, class... A>
struct Invoker {
    static MemberShape shape() {
        return {{ParamShape{Marshal<std::remove_cvref_t<A>>::kind, Slot<A>::kOut}...},
                resultKind<R>()};
    }

    template <class Obj, class M, std::size_t... I>
    static Variant call(Obj& object, M member, const MethodDesc& m, std::vector<Variant>& args,
                        std::index_sequence<I...>) {
        std::tuple<Slot<A>...> slots{Slot<A>(args[I])...};
        if constexpr (std::is_void_v<R>) {
            std::invoke(member, object, std::get<I>(slots).get()...);
            (std::get<I>(slots).writeBack(args[I]), ...);
            return {};
        } else {
            Variant result =
                Marshal<R>::write(std::invoke(member, object, std::get<I>(slots).get()...));
            (std::get<I>(slots).writeBack(args[I]), ...);
            if (resultThroughLastOut(m)) {
                args.back().store(result);
                return {};
            }
            return result;
        }
    }
};

// Members may be const or noexcept; only their parameters and result count.
template <class M>
struct MemberOf;
template <class Obj, class R, class... A>
struct MemberOf<R (Obj::*)(A...)> : Invoker<R, A...> {
    static constexpr std::size_t arity = sizeof...(A);
};
template <class Obj, class R, class... A>
struct MemberOf<R (Obj::*)(A...) const> : MemberOf<R (Obj::*)(A...)> {};
template <class Obj, class R, class... A>
struct MemberOf<R (Obj::*)(A...) noexcept> : MemberOf<R (Obj::*)(A...)> {};
template <class Obj, class R, class... A>
struct MemberOf<R (Obj::*)(A...) const noexcept> : MemberOf<R (Obj::*)(A...)> {};

template <class M>
MemberShape shapeOf(M) {
    return MemberOf<M>::shape();
}

// The member must have expectedShape(m); the binding table checks that once.
template <class Obj, class M>
Variant callMember(Obj& object, M member, const MethodDesc& m, std::vector<Variant>& args) {
    return MemberOf<M>::call(object, member, m, args,
                             std::make_index_sequence<MemberOf<M>::arity>{});
}

}  // namespace zirok::so::posix
