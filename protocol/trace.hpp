#pragma once
#include <string_view>

namespace zirok::protocol {

// Where the protocol layer writes its traffic lines ("Send data: ...").
// The layer holds a pointer to one; a null pointer means tracing is off, so a
// silent trace costs one test per line and builds no text.
class TrafficLog {
public:
    virtual ~TrafficLog() = default;
    virtual void write(std::string_view line) = 0;
};

}  // namespace zirok::protocol
