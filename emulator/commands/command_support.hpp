#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "emulator/frame_codec.hpp"
#include "emulator/register_state.hpp"

// What the command handlers share: reading request fields, and the checks
// every printing or fiscal command makes first.
namespace zirok::emulator {

class FieldReader {
  public:
    explicit FieldReader(const Request& request) : fields_(request.fields) {}

    std::size_t count() const { return fields_.size(); }
    // Empty when the field is missing.
    std::string_view text(std::size_t index) const;
    // Present and not empty.
    bool has(std::size_t index) const { return !text(index).empty(); }
    // nullopt when missing, empty or not a whole number.
    std::optional<std::int64_t> integer(std::size_t index) const;
    // `fallback` when missing or empty; nullopt when it is not a whole number.
    std::optional<std::int64_t> integerOr(std::size_t index, std::int64_t fallback) const;
    // A decimal scaled by 10^decimals; nullopt when missing or malformed.
    std::optional<std::int64_t> scaled(std::size_t index, int decimals) const;

  private:
    const std::vector<std::string>& fields_;
};

// 9 with the cover open, 8 without paper, else 0: what stops the printer.
std::uint8_t printerError(const RegisterState& state);

// 0 when a new document or report may start now, else the device error.
std::uint8_t readyForDocument(const RegisterState& state);

// Makes sure a shift is open for a fiscal document: opens one (and signs its
// opening report) when none is, refuses an open shift older than 24 hours.
std::uint8_t ensureShiftOpen(RegisterState& state, const std::string& cashier);

std::string yesNo(bool value);

}  // namespace zirok::emulator
