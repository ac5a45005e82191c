#pragma once
// The fields of the next request. Fields are appended as text, each followed
// by FS. An append that would not fit a frame is refused and marks the buffer,
// and the exchange then refuses to send it, so an over-long text can never
// run past the buffer or reach the register cut short.
#include <array>
#include <cstdint>
#include <string_view>

#include "protocol/date_time.hpp"
#include "protocol/frame_limits.hpp"

namespace zirok::protocol {

class ParamBuffer {
public:
    ParamBuffer() { clear(); }

    void clear();

    void appendInt(std::int64_t value);
    // An empty text appends nothing at all: no field, no separator.
    void appendText(std::string_view text);
    void appendEmpty();
    // `value` holds the number times 10^valueDecimals (OPOS currency is
    // valueDecimals = 4); it is written with exactly `decimals` digits after a
    // "." (rounded half away from zero when fewer), and 0 is written as "0".
    void appendDecimal(std::int64_t value, int valueDecimals, int decimals);
    void appendDate(const ZirokDate& date);  // DDMMYY
    void appendTime(const ZirokTime& time);  // HHMMSS

    std::string_view data() const { return {bytes_.data(), length_}; }
    std::size_t length() const { return length_; }
    bool overflowed() const { return overflowed_; }

private:
    // Appends `text` and FS when both fit; otherwise marks the buffer.
    void appendField(std::string_view text);

    std::array<char, kFrameBufferSize> bytes_;
    std::size_t length_ = 0;
    bool overflowed_ = false;
};

}  // namespace zirok::protocol
