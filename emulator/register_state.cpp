#include "emulator/register_state.hpp"

namespace zirok::emulator {

Status statusOf(const RegisterState& state) {
    using namespace status_bit;
    Status status;
    if (!state.workDayStarted) {
        status.fatal |= kFatalDayNotStarted;
        status.flags |= kFlagStartWorkNeeded;
    }
    if (state.shiftOpen) status.flags |= kFlagShiftOpen;
    if (state.shiftOverdue) status.flags |= kFlagShiftOverdue;
    status.doc = static_cast<std::uint32_t>(state.document) & kDocTypeMask;
    if (state.documentAwaitingClose) status.doc |= kDocAwaitingClose;
    return status;
}

}  // namespace zirok::emulator
