#pragma once
// The working day and the register's clock.
#include <string>

#include "protocol/date_time.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x10. Starts the register's working day with the computer's clock.
Result StartWork(RegisterLink& link, const std::string& port);

// 0x13. Reads the register's clock; 245 when its date or time cannot be
// read. `date` and `time` are set only on success.
Result GetDateTime(RegisterLink& link, const std::string& port, ZirokDate& date, ZirokTime& time);

// 0x14. When the register refuses with error 10 a second frame is written at
// once, carrying what the request buffer then holds (the refusal's bytes up
// to its last field separator) and left unanswered; the result stays 10
// unless that write fails.
Result SetDateTime(RegisterLink& link, const std::string& port, const ZirokDate& date,
                   const ZirokTime& time);

// SetDateTime with the computer's current clock.
Result SetDateTimeFromComputer(RegisterLink& link, const std::string& port);

}  // namespace zirok::protocol
