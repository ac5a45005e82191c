#include "protocol/commands/table_commands.hpp"

#include <algorithm>
#include <optional>

#include "protocol/answer_fields.hpp"
#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kReadTable = 0x11;
constexpr std::uint8_t kWriteTable = 0x12;

constexpr int kPrintOptionsTable = 1;
constexpr int kTable5 = 5;
constexpr int kPosNumberTable = 10;
constexpr int kHeaderTable = 30;
constexpr int kTrailerTable = 31;
constexpr int kPaymentNameTable = 32;
constexpr int kTaxNameTable = 40;
constexpr int kTaxRateTable = 41;
constexpr int kDepartmentNameTable = 50;

constexpr std::int64_t kLogoBit = 0x04;
constexpr std::int64_t kTable5Bit1 = 0x02;
constexpr int kTaxRateDecimals = 4;

// Field 0 of a table entry as an integer; nothing when the read failed or
// the field is not a number.
std::optional<std::int64_t> readTableInteger(RegisterLink& link, const std::string& port, int table,
                                             int index, Result& outcome) {
    FrameBuffer answer;
    outcome = ReadTable(link, port, table, index, answer);
    if (outcome != result::Ok) return std::nullopt;
    return parseInteger(answerText(answer, 0));
}

}  // namespace

Result ReadTable(RegisterLink& link, const std::string& port, int table, int index,
                 FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(table);
    params.appendInt(index);
    const Result outcome = link.exchange(port, kReadTable);
    if (outcome == result::Ok) detail::copyAnswer(link, answer);
    return outcome;
}

Result WriteTable(RegisterLink& link, const std::string& port, int table, int index,
                  std::int64_t value) {
    if (!link.transportLoaded()) return result::NotConnected;
    if (table == kPosNumberTable && value < 0) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(table);
    params.appendInt(index);
    params.appendInt(value);
    return link.exchange(port, kWriteTable);
}

Result WriteTableText(RegisterLink& link, const std::string& port, int table, int index,
                      const std::string& text) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(table);
    params.appendInt(index);
    // An empty value is sent as an empty field: that is how a line is cleared.
    detail::appendTextOrEmpty(params, detail::deviceText(link, text));
    return link.exchange(port, kWriteTable);
}

std::int64_t ReadPosNumber(RegisterLink& link, const std::string& port) {
    Result outcome = result::Ok;
    return readTableInteger(link, port, kPosNumberTable, 0, outcome).value_or(1);
}

Result SetPosNumber(RegisterLink& link, const std::string& port, std::int64_t number) {
    return WriteTable(link, port, kPosNumberTable, 0, number);
}

Result WriteHeaderLine(RegisterLink& link, const std::string& port, int line,
                       const std::string& text) {
    return WriteTableText(link, port, kHeaderTable, line, text);
}

Result WriteTrailerLine(RegisterLink& link, const std::string& port, int line,
                        const std::string& text) {
    return WriteTableText(link, port, kTrailerTable, line, text);
}

Result WritePaymentName(RegisterLink& link, const std::string& port, int index,
                        const std::string& name) {
    return WriteTableText(link, port, kPaymentNameTable, std::clamp(index, 1, 15), name);
}

Result WriteTaxName(RegisterLink& link, const std::string& port, int index,
                    const std::string& name) {
    return WriteTableText(link, port, kTaxNameTable, std::clamp(index, 0, 5), name);
}

Result WriteTaxRate(RegisterLink& link, const std::string& port, int index, std::int64_t rate) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(kTaxRateTable);
    params.appendInt(std::clamp(index, 0, 5));
    params.appendDecimal(rate, detail::kCurrencyDecimals, kTaxRateDecimals);
    return link.exchange(port, kWriteTable);
}

Result WriteDepartmentName(RegisterLink& link, const std::string& port, int index,
                           const std::string& name) {
    return WriteTableText(link, port, kDepartmentNameTable, index, name);
}

Result ChangeTableFlags(RegisterLink& link, const std::string& port, int table,
                        std::int64_t setBits, std::int64_t clearBits) {
    Result outcome = result::Ok;
    const auto word = readTableInteger(link, port, table, 0, outcome);
    if (!word) return outcome != result::Ok ? outcome : result::NoAnswer;
    return WriteTable(link, port, table, 0, (*word | setBits) & ~clearBits);
}

Result ClearTable5Bit1(RegisterLink& link, const std::string& port) {
    return ChangeTableFlags(link, port, kTable5, 0, kTable5Bit1);
}

Result SetLogoFlag(RegisterLink& link, const std::string& port, bool on) {
    return on ? ChangeTableFlags(link, port, kPrintOptionsTable, kLogoBit, 0)
              : ChangeTableFlags(link, port, kPrintOptionsTable, 0, kLogoBit);
}

}  // namespace zirok::protocol
