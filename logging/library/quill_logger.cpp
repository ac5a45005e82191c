#include "logging/library/quill_logger.hpp"

#include <ctime>

namespace zirok::quillog {

std::string_view levelPrefix(int level) {
    switch (level) {
        case 1:
            return "[warning] ";
        case 2:
            return "[ERROR!] ";
        default:
            return {};
    }
}

CQuillLogger::~CQuillLogger() {
    for (auto& instance : instances_) instance->close();
}

void CQuillLogger::addInstance(std::unique_ptr<IQuillSource> instance) {
    instances_.push_back(std::move(instance));
}

void CQuillLogger::open() {
    for (auto& instance : instances_) {
        instance->open();
        ++openCount_;
    }
}

void CQuillLogger::close() {
    if (openCount_ <= 0) return;
    for (auto& instance : instances_) {
        instance->close();
        --openCount_;
    }
}

void CQuillLogger::readClock() {
    timespec ts{};
    tm local{};
    // A failed read keeps the last time rather than stamping a zero.
    if (clock_gettime(CLOCK_REALTIME, &ts) != 0 || !localtime_r(&ts.tv_sec, &local)) return;
    now_.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    now_.month = static_cast<std::uint8_t>(local.tm_mon + 1);
    now_.day = static_cast<std::uint8_t>(local.tm_mday);
    now_.hour = static_cast<std::uint8_t>(local.tm_hour);
    now_.minute = static_cast<std::uint8_t>(local.tm_min);
    now_.second = static_cast<std::uint8_t>(local.tm_sec);
}

namespace {

void appendTwoDigits(std::string& out, unsigned value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

}  // namespace

bool CQuillLogger::write(std::string_view text, int level) {
    if (instances_.empty()) return false;
    readClock();
    line_.clear();
    appendTwoDigits(line_, now_.hour);
    line_ += ':';
    appendTwoDigits(line_, now_.minute);
    line_ += ':';
    appendTwoDigits(line_, now_.second);
    line_ += ": ";
    line_ += levelPrefix(level);
    line_ += text;
    line_ += ';';
    bool all = true;
    for (auto& instance : instances_) all = instance->writeLine(line_) && all;
    return all;
}

}  // namespace zirok::quillog
