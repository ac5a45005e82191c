#pragma once
// One SOZirok object as a host holds it: a TSOZirok behind its two dispatch
// interfaces, ISOZirok for the fiscal-printer control object and IDrawer for
// the cash-drawer one. Both reach the same instance.
#include <memory>
#include <string_view>

#include "interfaces/table_dispatch.hpp"
#include "platform/automation.hpp"
#include "service-object/posix/member_table.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so::posix {

class ServiceObject : public std::enable_shared_from_this<ServiceObject> {
  public:
    static std::shared_ptr<ServiceObject> create();
    ~ServiceObject();
    ServiceObject(const ServiceObject&) = delete;
    ServiceObject& operator=(const ServiceObject&) = delete;

    // The interface named by `interfaceId`: an interface name or its IID
    // (braces and case optional). ISOZirok, its base ISvcFiscal and IDispatch
    // give the fiscal interface; IDrawer and its base ISO_OPOSCashDrawer the
    // drawer interface. Null for anything else. The returned reference keeps
    // the whole object alive.
    std::shared_ptr<platform::Dispatch> queryInterface(std::string_view interfaceId);

    TSOZirok& implementation() { return so_; }

    // Objects alive in the process, for DllCanUnloadNow.
    static long liveObjects();

  private:
    ServiceObject();
    platform::Variant call(const std::vector<MemberCall>& calls,
                           const interfaces::InterfaceDesc& itf, const MethodDesc& m,
                           std::vector<platform::Variant>& args);

    TSOZirok so_;
    interfaces::TableDispatch fiscal_;
    interfaces::TableDispatch drawer_;
};

}  // namespace zirok::so::posix
