#pragma once
#include <string>

#include "protocol/register_link.hpp"
#include "protocol/status.hpp"

namespace zirok::protocol {

// 0x00. Accepts an answer whose packet id differs from the request's: the
// status query is what a link resynchronises with.
Result GetStatus(RegisterLink& link, const std::string& port, Status& status);

// 0x81. True exactly when the register answered without error that the
// drawer is open.
bool GetDrawerState(RegisterLink& link, const std::string& port);

}  // namespace zirok::protocol
