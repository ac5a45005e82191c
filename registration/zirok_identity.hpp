#pragma once
// Who the service object is to COM: its type library, its three interfaces
// and its class. Registration writes these identities; the POSIX adapter
// dispatches the two callable interfaces from the same descriptions.
#include <string>
#include <string_view>

#include "interfaces/interface_table.hpp"

namespace zirok::registration {

// Type library "Zirok" with ISOZirok (the fiscal-printer method set of
// ISvcFiscal), ISOZirokEvents (no members) and IDrawer (the cash-drawer set
// of ISO_OPOSCashDrawer), and the class SOZirok.
const interfaces::TypeLibraryDesc& zirokLibrary();
const interfaces::InterfaceDesc& fiscalInterface();
const interfaces::InterfaceDesc& eventsInterface();
const interfaces::InterfaceDesc& drawerInterface();
const interfaces::ClassDesc& serviceObjectClass();

// "Zirok.SOZirok".
std::string serviceObjectProgId();

// The driver version registration writes and DirectIO reports.
inline constexpr std::string_view kDriverVersion = "3.9.3.14";

}  // namespace zirok::registration
