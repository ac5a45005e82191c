#include "registration/zirok_identity.hpp"

#include <span>

namespace zirok::registration {

using interfaces::ClassDesc;
using interfaces::InterfaceDesc;
using interfaces::TypeLibraryDesc;

namespace {

// ISOZirok and IDrawer add nothing to the interfaces they derive from, so
// they borrow their method tables.
struct Identity {
    InterfaceDesc fiscal{"ISOZirok", "{E53C88C9-29DA-45BC-BCE2-7B0ACF8569C9}", "",
                         interfaces::svcFiscalInterface().methods};
    InterfaceDesc events{"ISOZirokEvents", "{52351C1C-1516-401B-973D-E58CDBCF942C}", "", {}};
    InterfaceDesc drawer{"IDrawer", "{B50BA256-5549-494B-AE82-10D209669F51}", "",
                         interfaces::cashDrawerInterface().methods};
    const InterfaceDesc* all[3] = {&fiscal, &events, &drawer};
    ClassDesc cls{"SOZirok", "{9FB2EC68-3ACF-4E58-8A99-2078CE32879A}", "SOZirok Object", &fiscal,
                  true};
    TypeLibraryDesc library{"Zirok",
                            "Project1 Library",
                            "{29A21E25-1A11-4199-8D79-1747C1BE03F5}",
                            1,
                            0,
                            all,
                            std::span<const ClassDesc>(&cls, 1)};
};

const Identity& identity() {
    static const Identity instance;
    return instance;
}

}  // namespace

const TypeLibraryDesc& zirokLibrary() {
    return identity().library;
}
const InterfaceDesc& fiscalInterface() {
    return identity().fiscal;
}
const InterfaceDesc& eventsInterface() {
    return identity().events;
}
const InterfaceDesc& drawerInterface() {
    return identity().drawer;
}
const ClassDesc& serviceObjectClass() {
    return identity().cls;
}

std::string serviceObjectProgId() {
    return interfaces::progId(zirokLibrary(), serviceObjectClass());
}

}  // namespace zirok::registration
