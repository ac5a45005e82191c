#pragma once
#include <cstdint>

namespace zirok::platform {

struct LocalDateTime {
    int year = 0;  // full year, e.g. 2026
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

LocalDateTime localNow();

// Monotonic time for time-outs and measurements; never jumps with the wall clock.
std::uint64_t monotonicMicros();
inline std::uint64_t monotonicMillis() { return monotonicMicros() / 1000; }

void sleepMillis(unsigned ms);

}  // namespace zirok::platform
