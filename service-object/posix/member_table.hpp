#pragma once
// Which TSOZirok member serves each entry of the two dispatch interfaces.
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "interfaces/interface_table.hpp"
#include "service-object/posix/member_binding.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so::posix {

using MemberCall = Variant (*)(TSOZirok&, const MethodDesc&, std::vector<Variant>&);

struct MemberBinding {
    std::string_view name;  // the interface's spelling
    MemberCall call;
    // The C++ shape of the member; nothing while TSOZirok has no such member.
    std::optional<MemberShape> (*shape)(TSOZirok*);
};

// Every entry of the fiscal interface. An entry TSOZirok has no member for
// yet answers as a not-supported method.
std::span<const MemberBinding> fiscalBindings();
// What the drawer interface implements on its own (ClearInput and DirectIO
// refuse every call); every other drawer entry shares the fiscal member.
std::span<const MemberBinding> drawerOwnBindings();

// The calls for the entries of `itf`, in its table order. An entry bound to
// a member of another shape than the table needs fails every call as a
// binding fault; one without any binding fails as not implemented.
std::vector<MemberCall> bindInterface(const interfaces::InterfaceDesc& itf,
                                      std::span<const MemberBinding> own);

}  // namespace zirok::so::posix
