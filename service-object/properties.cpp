#include <string>

#include "platform/ansi_text.hpp"
#include "protocol/commands.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

// What an index outside both numeric ranges reads as.
constexpr std::int32_t kNoSuchProperty = 0x0FFFFFFF;
constexpr std::size_t kMaxStringLength = 255;

constexpr std::int64_t kPrinterNoPaper = 0x02;
constexpr std::int64_t kPrinterCoverOpen = 0x04;
constexpr std::int64_t kFlagShiftOpen = 0x04;

constexpr std::int32_t bitValue(std::int64_t word, std::int64_t bit) {
    return (word & bit) != 0 ? 1 : 0;
}

}  // namespace

std::int32_t TSOZirok::GetPropertyNumber(std::int32_t index, std::int32_t callerValue) {
    // The sensors and the shift are read from the register at every query, so
    // an application polling them sees the paper run out or the shift close.
    if (index == pidx::FptrRecEmpty || index == pidx::FptrCoverOpen) {
        std::int64_t flags = 0;
        std::string message;
        if (protocol::GetPrinterStatus(link(), portName_, flags, message) == protocol::result::Ok) {
            props_.setNumber(pidx::FptrRecEmpty, bitValue(flags, kPrinterNoPaper));
            props_.setNumber(pidx::FptrCoverOpen, bitValue(flags, kPrinterCoverOpen));
        }
    } else if (index == pidx::FptrDayOpened) {
        protocol::Status status;
        if (protocol::GetStatus(link(), portName_, status) == protocol::result::Ok)
            props_.setNumber(pidx::FptrDayOpened, bitValue(status.flags, kFlagShiftOpen));
    }

    if (index == pidx::CashDrawerOpened) return protocol::GetDrawerState(link(), portName_) ? 1 : 0;
    // The other cash-drawer indexes have nothing to say: the caller's value
    // goes back as it came.
    if (index > pidx::CashDrawerOpened && index <= 1555) return callerValue;
    if ((index >= 1 && index <= 503) || (index >= 16001 && index <= 16555))
        return props_.number(index);
    return kNoSuchProperty;
}

std::u16string TSOZirok::GetPropertyString(std::int32_t index) {
    // Only the common strings and the fiscal printer's own are readable; the
    // rest of the device range can be written but reads as empty.
    if ((index >= 1000001 && index <= 1000004) || (index >= 1016001 && index <= 1016008))
        return props_.string(index);
    return {};
}

void TSOZirok::SetPropertyNumber(std::int32_t index, std::int32_t number) {
    logInfo("Begin SetPropertyNumber");
    logInfo("PropIndex=" + std::to_string(index));
    logInfo("Number=" + std::to_string(number));
    if (index == pidx::DeviceEnabled) {
        // Only a claimed device can be enabled; the refusal is silent, with
        // no error and no further trace.
        if (number == 1 && props_.number(pidx::Claimed) != 1) return;
        sendStatusUpdate();
    }
    props_.setNumber(index, number);
    logInfo("End SetPropertyNumber");
}

void TSOZirok::SetPropertyString(std::int32_t index, const std::u16string& text) {
    logInfo("Begin SetPropertyString");
    logInfo("PropIndex=" + std::to_string(index));
    const std::string ansi = platform::wideToAnsi(text);
    logInfo("String_='" + ansi + "'");
    // Texts go to the register as 8-bit text, so the property holds only
    // what survives that conversion, and never more than 255 characters.
    std::u16string stored = platform::ansiToWide(ansi);
    if (stored.size() > kMaxStringLength) stored.resize(kMaxStringLength);
    props_.setString(index, std::move(stored));
    logInfo("End SetPropertyString");
}

std::int32_t TSOZirok::ClearError() {
    resetErrorState();
    return opos::SUCCESS;
}

}  // namespace zirok::so
