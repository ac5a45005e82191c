#pragma once
// What the service object keeps once per process: the link to the register
// with its pending values, and the settings every instance shares. Calls
// never overlap (one thread of control), so nothing here is locked.
#include <cstdint>

#include "protocol/register_link.hpp"

namespace zirok::logging {
class TLogger;
}

namespace zirok::so {

struct ServiceContext {
    protocol::RegisterLink link;
    std::int32_t baudRate = 0;       // none until OpenService reads BaudRate
    bool loggingOn = true;           // reset to on by every OpenService
    bool cutAfterDocument = true;    // set through DirectIO
    logging::TLogger* currentLogger = nullptr;  // the logger the link traces through
};

ServiceContext& context();

}  // namespace zirok::so
