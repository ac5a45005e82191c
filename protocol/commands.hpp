#pragma once
// Every register command the driver sends, one function each: the service
// object calls these and never builds frames itself. Each takes the link and
// the port name first and returns the exchange's result: 0, the register's
// error code, or a local code (result_codes.hpp).
#include "protocol/commands/clock_commands.hpp"
#include "protocol/commands/device_queries.hpp"
#include "protocol/commands/documents.hpp"
#include "protocol/commands/drawer_commands.hpp"
#include "protocol/commands/fn_info.hpp"
#include "protocol/commands/fn_registration.hpp"
#include "protocol/commands/mark_codes.hpp"
#include "protocol/commands/pictures.hpp"
#include "protocol/commands/printing.hpp"
#include "protocol/commands/raw_commands.hpp"
#include "protocol/commands/receipt_items.hpp"
#include "protocol/commands/reports.hpp"
#include "protocol/commands/status_commands.hpp"
#include "protocol/commands/table_commands.hpp"
