#pragma once
#include <cstdint>

namespace zirok::protocol {

// The register's three status words, as the status query answers them.
struct Status {
    std::int64_t fatal = 0;  // bit 0x40: the working day was not started
    std::int64_t flags = 0;  // bit 0x01 start work needed; 0x04 shift open; 0x100 shift must be closed
    std::int64_t doc = 0;    // low four bits: open document type; bit 0x80: waiting to be closed
};

}  // namespace zirok::protocol
