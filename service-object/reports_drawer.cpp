// The cash drawer on the register's drawer port.
#include <chrono>
#include <cstdint>
#include <thread>

#include "protocol/commands.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

std::int32_t TSOZirok::OpenDrawer() {
    logInfo("Begin OpenDrawer");
    resetErrorState();
    const protocol::Result code = protocol::OpenDrawer(link(), portName_);
    // The drawer's solenoid needs a moment before the register takes the
    // next command.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::int32_t rc = GetSystemError(code);
    logInfo("End OpenDrawer");
    return rc;
}

// The register cannot tell when a person closes the drawer.
std::int32_t TSOZirok::WaitForDrawerClose(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return notSupported();
}

}  // namespace zirok::so
