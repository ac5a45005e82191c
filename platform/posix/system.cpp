#include "platform/system.hpp"

namespace zirok::platform {

namespace {

void appendNumber(std::string& out, int value, std::size_t minDigits) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    if (value < 0) out += '-';
    out += digits;
}

}  // namespace

int osMajorVersion() {
    return 10;
}

std::string shortDateFormat() {
    return "dd.MM.yyyy";
}

std::string longTimeFormat() {
    return "HH:mm:ss";
}

std::string formatDateTime(std::string_view picture, const LocalDateTime& when) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'' && i + 1 < picture.size() && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
        }
        if (c == '\'') {
            // Quoted text; '' inside or outside quotes is one quote.
            for (++i; i < picture.size(); ++i) {
                if (picture[i] != '\'') {
                    out += picture[i];
                } else if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                    out += '\'';
                    ++i;
                } else {
                    break;
                }
            }
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        const std::size_t width = run >= 2 ? 2 : 1;
        switch (c) {
            case 'd':
                appendNumber(out, when.day, width);
                break;
            case 'M':
                appendNumber(out, when.month, width);
                break;
            case 'y':
                if (run >= 3) {
                    appendNumber(out, when.year, 4);
                } else {
                    appendNumber(out, when.year % 100, width);
                }
                break;
            case 'H':
                appendNumber(out, when.hour, width);
                break;
            case 'h':
                appendNumber(out, when.hour % 12 == 0 ? 12 : when.hour % 12, width);
                break;
            case 'm':
                appendNumber(out, when.minute, width);
                break;
            case 's':
                appendNumber(out, when.second, width);
                break;
            case 't':
                out += when.hour < 12 ? 'A' : 'P';
                if (run >= 2) out += 'M';
                break;
            default:
                out.append(run, c);
                break;
        }
        i += run;
    }
    return out;
}

std::string formatShortDate(const LocalDateTime& when) {
    return formatDateTime(shortDateFormat(), when);
}

std::string formatLongTime(const LocalDateTime& when) {
    return formatDateTime(longTimeFormat(), when);
}

}  // namespace zirok::platform
