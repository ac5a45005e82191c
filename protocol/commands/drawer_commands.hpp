#pragma once
// The cash drawer on the register's drawer port. Its state query is
// GetDrawerState (status_commands.hpp).
#include <string>

#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x80.
Result OpenDrawer(RegisterLink& link, const std::string& port);

}  // namespace zirok::protocol
