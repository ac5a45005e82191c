// The operator and POS number, the store's fiscal number and the VAT rates.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "platform/ansi_text.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kBadVatId{u8"Неверный номер налоговой ставки"};
constexpr Windows1251Literal kBadVatValue{
    u8"Ошибка в параметре VatValue. Величина налога не является числом."};

constexpr std::int32_t kVatEntries = 6;
constexpr std::int32_t kRateNotSet = -1;

// A whole decimal number as the application writes one: leading blanks and
// a sign allowed, nothing after the digits, within 32 bits.
std::optional<std::int32_t> decimalInteger(const std::u16string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        value = value * 10 + (text[i] - u'0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// Firmware generations whose operator field is two characters wider.
bool paddedOperatorName(std::int32_t firmware) {
    return (firmware >= 550 && firmware <= 559) || (firmware >= 150 && firmware <= 159) ||
           (firmware >= 650 && firmware <= 659);
}

}  // namespace

std::int32_t TSOZirok::SetPOSID(const std::u16string& posId, const std::u16string& cashierId) {
    logInfo("Begin SetPOSID");
    logInfo("POSID='" + platform::wideToAnsi(posId) + "'");
    logInfo("CashierID='" + platform::wideToAnsi(cashierId) + "'");
    resetErrorState();
    std::string name = platform::wideToAnsi(cashierId);
    if (paddedOperatorName(firmwareVersion_)) name = "00" + name;
    cashierName_ = link().conversionSetting() ? protocol::toDeviceText(name) : name;
    const std::optional<std::int32_t> number = decimalInteger(posId);
    if (!number)
        throw CallFailure("'" + platform::wideToAnsi(posId) + "' is not a valid integer value");
    // A POS number the register refuses is reported, not passed over: the
    // next documents would otherwise carry the old number unnoticed.
    const std::int32_t rc = GetSystemError(protocol::SetPosNumber(link(), portName_, *number));
    logInfo("End SetPOSID");
    return rc;
}

std::int32_t TSOZirok::SetStoreFiscalID(const std::u16string& id) {
    storeFiscalNumber_ = decimalInteger(id).value_or(0);
    props_.setNumber(pidx::ResultCode, opos::SUCCESS);
    return opos::SUCCESS;
}

std::int32_t TSOZirok::SetVatValue(std::int32_t vatId, const std::u16string& vatValue) {
    logInfo("Begin SetVatValue");
    logInfo("VatID=" + std::to_string(vatId));
    logInfo("VatValue='" + platform::wideToAnsi(vatValue) + "'");
    resetErrorState();
    std::int32_t rc = opos::SUCCESS;
    const std::optional<std::int32_t> rate = decimalInteger(vatValue);
    if (vatId < 0 || vatId >= kVatEntries) {
        rc = notSupported(std::string(kBadVatId.view()));
    } else if (!rate) {
        rc = notSupported(std::string(kBadVatValue.view()));
    } else {
        pendingVatRates_[vatId] = *rate;
    }
    logInfo("End SetVatValue");
    return rc;
}

std::int32_t TSOZirok::SetVatTable() {
    logInfo("Begin SetVatTable");
    resetErrorState();
    for (std::int32_t index = 0; index < kVatEntries; ++index) {
        if (pendingVatRates_[index] < 0) continue;
        const protocol::Result code =
            protocol::WriteTaxRate(link(), portName_, index, pendingVatRates_[index]);
        if (code != protocol::result::Ok) return GetSystemError(code);
        pendingVatRates_[index] = kRateNotSet;
    }
    logInfo("End SetVatTable");
    return opos::SUCCESS;
}

}  // namespace zirok::so
