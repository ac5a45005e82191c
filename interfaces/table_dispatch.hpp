#pragma once
// A dispatch object made from an interface table and one handler: the table
// decides which calls are well formed, the handler only does the work. The
// service object's POSIX adapter is such a table and its handler.
#include <functional>
#include <vector>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"

namespace zirok::interfaces {

class TableDispatch : public platform::Dispatch {
  public:
    // `args` reach the handler in declaration order, each in parameter holding
    // the declared type, each out parameter a reference to a variant holding
    // the declared type, written through with Variant::store. For a member
    // with a result the handler returns it; returning nothing there is a
    // fault, not a zero. A handler fails the call by throwing: an
    // AutomationError goes out as it is, any other exception as an
    // exception-occurred failure carrying its message.
    using Handler =
        std::function<platform::Variant(const MethodDesc&, std::vector<platform::Variant>& args)>;

    TableDispatch(const InterfaceDesc& description, Handler handler);

    const InterfaceDesc& description() const { return description_; }

    std::optional<DispId> getIdsOfNames(std::u16string_view name) const override;
    // Before the handler runs: an unknown id or a non-method call fails with
    // member-not-found, a wrong number of arguments with bad-param-count, an
    // argument that does not convert to its declared type, or an out
    // argument not passed by reference, with type mismatch naming its
    // position. In arguments are converted in a copy; the out variants the
    // caller passed are converted in place, so they come back typed as
    // declared. Nothing is converted unless every argument converts.
    platform::Variant invoke(DispId id, unsigned kind,
                             std::vector<platform::Variant>& args) override;

  private:
    const InterfaceDesc& description_;
    Handler handler_;
};

}  // namespace zirok::interfaces
