#pragma once
// Shift and reports. Cashier names are passed as the service object keeps
// them: already in the register's code page when text conversion is on.
#include <cstdint>
#include <string>

#include "protocol/date_time.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x20.
Result PrintXReport(RegisterLink& link, const std::string& port, const std::string& cashier);

// 0x21. Closes the shift. Refreshes the active conversion flag from the
// conversion setting first; after a successful report sets the register's
// clock from the computer's (its outcome does not change the result).
Result PrintZReport(RegisterLink& link, const std::string& port, const std::string& cashier);

// 0x23. A shift parameter outside 1..11 is sent after two empty fields; one
// inside is not sent at all. The caller lengthens the default time-out by
// the key server's time-out around it.
Result OpenShift(RegisterLink& link, const std::string& port, const std::string& cashier,
                 int number);

// 0x59. The settlement-state report.
Result PrintSettlementReport(RegisterLink& link, const std::string& port,
                             const std::string& cashier);

// 0x62. Fiscal report over a date range, waiting up to 90 s.
Result PrintPeriodicReport(RegisterLink& link, const std::string& port, const ZirokDate& first,
                           const ZirokDate& second);

// 0x72. Fiscal report from shift `start` on, waiting up to 90 s.
Result PrintNumberedReport(RegisterLink& link, const std::string& port, std::int64_t start);

// 0xA0. Sent after a Z report fails with 66..70 or 74..75.
Result CommandA0(RegisterLink& link, const std::string& port);

// 0xA1, waiting up to 90 s. The report when no shift numbers are given.
Result CommandA1(RegisterLink& link, const std::string& port);

}  // namespace zirok::protocol
