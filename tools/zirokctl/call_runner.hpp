#pragma once
// Runs a written call on a service object the way a control object does:
// late-bound by name, out parameters by reference, then the result
// properties read back.
#include <memory>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"
#include "tools/zirokctl/call_syntax.hpp"
#include "tools/zirokctl/json_text.hpp"

namespace zirok::ctl {

// The entry of `itf` the call names; raises std::invalid_argument for a
// method the interface does not have.
const interfaces::MethodDesc& methodOf(const interfaces::InterfaceDesc& itf, const Call& call);

// Arguments are matched to the entry's parameters in order. A missing out
// parameter starts as 0, false or ""; a missing dispatch parameter is
// `eventSink`; anything else missing or extra is left for the object to
// refuse. A failed call (an AutomationError) is the outcome's error.
CallOutcome runCall(platform::Dispatch& object, const interfaces::InterfaceDesc& itf,
                    const Call& call, const std::shared_ptr<platform::Dispatch>& eventSink);

}  // namespace zirok::ctl
