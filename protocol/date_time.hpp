#pragma once
#include <cstdint>

namespace zirok::protocol {

// The register's date: a two-digit year (calendar year minus 2000).
struct ZirokDate {
    std::uint8_t Year = 0;
    std::uint8_t Month = 0;
    std::uint8_t Day = 0;
    friend bool operator==(const ZirokDate&, const ZirokDate&) = default;
};

struct ZirokTime {
    std::uint8_t Hour = 0;
    std::uint8_t Min = 0;
    std::uint8_t Sec = 0;
    friend bool operator==(const ZirokTime&, const ZirokTime&) = default;
};

}  // namespace zirok::protocol
