#include "emulator/register_clock.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace zirok::emulator {

namespace {

using namespace std::chrono;

std::int64_t floorDiv(std::int64_t value, std::int64_t by) {
    return value / by - (value % by != 0 && (value < 0) != (by < 0) ? 1 : 0);
}

std::optional<int> twoDigits(std::string_view text, std::size_t at) {
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
    return (a - '0') * 10 + (b - '0');
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

CivilTime civilOf(Moment moment) {
    const std::int64_t days = floorDiv(moment, kSecondsPerDay);
    const std::int64_t rest = moment - days * kSecondsPerDay;
    const year_month_day date{sys_days{std::chrono::days{days}}};
    return CivilTime{static_cast<int>(date.year()),
                     static_cast<int>(static_cast<unsigned>(date.month())),
                     static_cast<int>(static_cast<unsigned>(date.day())),
                     static_cast<int>(rest / 3600),
                     static_cast<int>(rest / 60 % 60),
                     static_cast<int>(rest % 60)};
}

std::optional<Moment> momentOf(const CivilTime& civil) {
    const year_month_day date{year{civil.year}, month{static_cast<unsigned>(civil.month)},
                              day{static_cast<unsigned>(civil.day)}};
    if (!date.ok() || civil.hour < 0 || civil.hour > 23 || civil.minute < 0 || civil.minute > 59 ||
        civil.second < 0 || civil.second > 59) {
        return std::nullopt;
    }
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    return days * kSecondsPerDay + civil.hour * 3600 + civil.minute * 60 + civil.second;
}

Moment hostWallClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return momentOf(CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min, std::min(local.tm_sec, 59)})
        .value_or(now);
}

std::optional<Moment> parseDateField(std::string_view ddmmyy) {
    ddmmyy = trimmed(ddmmyy);
    if (ddmmyy.size() != 6) return std::nullopt;
    const auto d = twoDigits(ddmmyy, 0);
    const auto m = twoDigits(ddmmyy, 2);
    const auto y = twoDigits(ddmmyy, 4);
    if (!d || !m || !y) return std::nullopt;
    return momentOf(CivilTime{2000 + *y, *m, *d, 0, 0, 0});
}

std::optional<Moment> parseTimeField(std::string_view hhmmss) {
    hhmmss = trimmed(hhmmss);
    if (hhmmss.size() != 6) return std::nullopt;
    const auto h = twoDigits(hhmmss, 0);
    const auto m = twoDigits(hhmmss, 2);
    const auto s = twoDigits(hhmmss, 4);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
    return *h * 3600 + *m * 60 + *s;
}

std::string dateField(Moment moment) {
    const CivilTime c = civilOf(moment);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", c.day, c.month, c.year % 100);
    return text;
}

std::string timeField(Moment moment) {
    const CivilTime c = civilOf(moment);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", c.hour, c.minute, c.second);
    return text;
}

std::string printedDateTime(Moment moment) {
    const CivilTime c = civilOf(moment);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%02d %02d:%02d", c.day, c.month, c.year % 100,
                  c.hour, c.minute);
    return text;
}

std::string printedDate(Moment moment) {
    const CivilTime c = civilOf(moment);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, c.year);
    return text;
}

}  // namespace zirok::emulator
