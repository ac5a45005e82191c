#pragma once
// Facts about the operating system that the libraries adapt to, and the
// regional date and time formats they write with.
#include <string>
#include <string_view>

#include "platform/clock.hpp"

namespace zirok::platform {

// The operating system's major version in Windows numbering. POSIX reports 10,
// a current system, so the rules made for newer Windows (per-user data under
// "Roaming") are the ones that apply.
int osMajorVersion();

// The regional short date and long time formats as Windows format pictures.
// POSIX: the Russian regional settings the system is made for, "dd.MM.yyyy"
// and "HH:mm:ss".
std::string shortDateFormat();
std::string longTimeFormat();

// Formats with a Windows date or time picture: d, dd (day), M, MM (month), y,
// yy, yyyy (year), h, hh (12-hour), H, HH (24-hour), m, mm, s, ss, t, tt
// (A/P, AM/PM). Text in single quotes is copied ('' is a quote); any other
// character is copied. Day and month names (ddd, MMM and longer) are not
// made: they print the two-digit number.
std::string formatDateTime(std::string_view picture, const LocalDateTime& when);

std::string formatShortDate(const LocalDateTime& when);  // "09.12.2025"
std::string formatLongTime(const LocalDateTime& when);   // "14:05:33"

}  // namespace zirok::platform
