#pragma once
// Registering the register with its fiscal storage, and preparing a
// factory-fresh register for it.
#include <cstdint>
#include <string>

#include "protocol/register_link.hpp"

namespace zirok::protocol {

enum class FnOperation { Reregistration = 0, Registration = 1 };

// 0x60. `text2`..`number5` are the caller's registration data fields 2..5
// (an empty text is sent as an empty field); the date and time are the
// computer's clock.
Result RegisterFn(RegisterLink& link, const std::string& port, FnOperation operation,
                  const std::string& text2, const std::string& text3, std::int64_t number4,
                  std::int64_t number5, const std::string& cashier);

// 0x90, waiting up to 30 s. The serial number is padded in front with
// spaces to 14 characters; the date and time are the computer's clock.
Result WriteSerialNumber(RegisterLink& link, const std::string& port, const std::string& serial);

// 0x9C, waiting up to 15 s.
Result Command9C(RegisterLink& link, const std::string& port);

}  // namespace zirok::protocol
