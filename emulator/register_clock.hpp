#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The register's clock is a wall clock without a time zone: it shows what it
// was set to. A moment is that wall-clock reading as seconds since
// 01.01.1970 00:00:00, which is also how the fiscal storage stores times.
namespace zirok::emulator {

using Moment = std::int64_t;

inline constexpr Moment kSecondsPerDay = 24 * 60 * 60;

struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

CivilTime civilOf(Moment moment);
// nullopt for a date or time that does not exist.
std::optional<Moment> momentOf(const CivilTime& civil);

// The computer's local wall clock.
Moment hostWallClock();

// DDMMYY and HHMMSS, the register's field forms (years 2000-2099).
std::optional<Moment> parseDateField(std::string_view ddmmyy);
std::optional<Moment> parseTimeField(std::string_view hhmmss);  // seconds into the day
std::string dateField(Moment moment);
std::string timeField(Moment moment);

// As printed: dd.mm.yy hh:mm
std::string printedDateTime(Moment moment);
std::string printedDate(Moment moment);  // dd.mm.yyyy

}  // namespace zirok::emulator
