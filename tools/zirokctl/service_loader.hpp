#pragma once
// Creates the service object of an OPOS device as a control object does: the
// device key's default value is a ProgID, the ProgID leads to a class id and
// the class id to the in-process server library, all in the registry store.
#include <memory>
#include <string>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"
#include "platform/library.hpp"

namespace zirok::ctl {

// A created service object and the library it lives in; the object goes first.
class LoadedService {
  public:
    LoadedService(std::unique_ptr<platform::Library> library,
                  std::shared_ptr<platform::Dispatch> object, const interfaces::InterfaceDesc& itf)
        : library_(std::move(library)), object_(std::move(object)), itf_(&itf) {}
    LoadedService(LoadedService&&) = default;
    LoadedService& operator=(LoadedService&&) = default;
    ~LoadedService() { object_.reset(); }

    platform::Dispatch& object() const { return *object_; }
    // The interface the control object of the device class expects.
    const interfaces::InterfaceDesc& interface() const { return *itf_; }

  private:
    std::unique_ptr<platform::Library> library_;
    std::shared_ptr<platform::Dispatch> object_;
    const interfaces::InterfaceDesc* itf_;
};

// The interface a control object of the class calls: ISvcFiscal for
// "FiscalPrinter", ISO_OPOSCashDrawer for "CashDrawer"; null for others.
const interfaces::InterfaceDesc* classInterface(const std::string& deviceClass);

// Raises std::runtime_error saying which step failed.
LoadedService loadService(const std::string& deviceClass, const std::string& deviceName);

}  // namespace zirok::ctl
