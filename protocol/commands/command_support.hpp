#pragma once
#include <initializer_list>
// What the command functions share: texts on their way into a request and
// answers on their way back to the caller. Not for use outside the commands.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/clock.hpp"
#include "protocol/date_time.hpp"
#include "protocol/frame.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol::detail {

// OPOS currency holds amounts times 10000; quantities travel in thousandths.
inline constexpr int kCurrencyDecimals = 4;
inline constexpr int kQuantityDecimals = 3;

// The register prints code page 866; the service object's texts are
// Windows-1251 unless the application already converted them, which the
// link's active conversion flag tells.
std::string deviceText(const RegisterLink& link, std::string_view text);
// The same, then cut to its first `limit` bytes, as the register's fields
// are only so wide.
std::string deviceText(const RegisterLink& link, std::string_view text, std::size_t limit);

// Pending values are kept wide; the register gets them in Windows-1251.
std::string narrow(std::u16string_view text);

// A text field that must keep its place: an empty text becomes a lone FS
// instead of vanishing, so the fields after it do not move up.
void appendTextOrEmpty(ParamBuffer& params, std::string_view text);

// Optional trailing texts: an empty one adds nothing, as the register
// expects, unless a later one is sent; then it keeps its place as an empty
// field, so the texts after it are not read as the wrong fields.
void appendTrailingTexts(ParamBuffer& params, std::initializer_list<std::string_view> texts);

// Clears the request. Call only once the transport is known to be loaded.
ParamBuffer& startRequest(RegisterLink& link);

// The answer frame as read (zero-filled after its end), for the caller's
// field readers.
void copyAnswer(const RegisterLink& link, FrameBuffer& out);

// Where the answer's data ends: the first ETX from offset 6, which is
// where a complete frame ended. The frame size when none is found.
std::size_t answerEtxOffset(const FrameBuffer& answer);

ZirokDate dateOf(const platform::LocalDateTime& now);
ZirokTime timeOf(const platform::LocalDateTime& now);

}  // namespace zirok::protocol::detail
