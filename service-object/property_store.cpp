#include "service-object/property_store.hpp"

#include <algorithm>
#include <utility>

#include "service-object/opos_constants.hpp"

namespace zirok::so {

namespace {

constexpr std::int32_t kCommonFirst = 1;
constexpr std::int32_t kCommonLast = 503;
constexpr std::int32_t kDeviceFirst = 1001;
constexpr std::int32_t kDeviceLast = 16555;
constexpr std::int32_t kCommonStringFirst = 1000001;
constexpr std::int32_t kCommonStringLast = 1000004;
constexpr std::int32_t kDeviceStringFirst = 1001001;
constexpr std::int32_t kDeviceStringLast = 1016008;

struct NumberReset {
    std::int32_t index;
    std::int32_t value;
};

// What a freshly created device reports: the fixed geometry of the register
// and the capabilities the driver implements.
constexpr NumberReset kNumberResets[] = {
    {pidx::ServiceObjectVersion, 1010000},
    {pidx::State, opos::S_IDLE},
    {pidx::FptrDescriptionLength, 40},
    {pidx::FptrErrorLevel, fptr::EL_NONE},
    {pidx::FptrMessageLength, 40},
    {pidx::FptrNumHeaderLines, 4},
    {pidx::FptrNumTrailerLines, 5},
    {pidx::FptrNumVatRates, 6},
    {pidx::FptrQuantityDecimalPlaces, 3},
    {pidx::FptrQuantityLength, 7},
    {pidx::FptrActualCurrency, 9},        // roubles
    {pidx::FptrDateType, 4},              // the register's clock
    {pidx::FptrFiscalReceiptStation, 1},  // receipt station
    {pidx::FptrFiscalReceiptType, 4},     // sales
    {pidx::FptrMessageType, 24},          // free text
    {pidx::FptrTotalizerType, 2},         // day totals
    {pidx::Fptr(501), 1},                 // CapAdditionalLines
    {pidx::Fptr(509), 1},                 // CapHasVatTable
    {pidx::Fptr(520), 1},                 // CapPredefinedPaymentLines
    {pidx::Fptr(522), 1},                 // CapRecEmptySensor
    {pidx::Fptr(523), 0},                 // CapRecNearEndSensor
    {pidx::Fptr(524), 1},                 // CapRecPresent
    {pidx::Fptr(525), 1},                 // CapRemainingFiscalMemory
    {pidx::Fptr(527), 1},                 // CapSetHeader
    {pidx::Fptr(528), 1},                 // CapSetPOSID
    {pidx::Fptr(529), 1},                 // CapSetStoreFiscalID
    {pidx::Fptr(530), 1},                 // CapSetTrailer
    {pidx::Fptr(531), 0},                 // CapSetVatTable
    {pidx::Fptr(538), 1},                 // CapSubAmountAdjustment
    {pidx::Fptr(539), 0},                 // CapSubPercentAdjustment
    {pidx::Fptr(540), 1},                 // CapSubtotal
    {pidx::Fptr(543), 1},                 // CapXReport
    {pidx::Fptr(544), 1},                 // CapAdditionalHeader
    {pidx::Fptr(545), 0},                 // CapAdditionalTrailer
    {pidx::Fptr(546), 1},                 // CapChangeDue
    {pidx::Fptr(549), 1},                 // CapFiscalReceiptType
    {pidx::Fptr(553), 1},                 // CapPostPreLine
    {pidx::Fptr(555), 1},                 // CapTotalizerType
};

}  // namespace

PropertyStore::PropertyStore()
    : common_(kCommonLast - kCommonFirst + 1),
      device_(kDeviceLast - kDeviceFirst + 1),
      deviceStrings_(kDeviceStringLast - kDeviceStringFirst + 1) {
    reset();
}

void PropertyStore::reset() {
    std::fill(common_.begin(), common_.end(), 0);
    std::fill(device_.begin(), device_.end(), 0);
    for (auto& text : commonStrings_) text.clear();
    for (auto& text : deviceStrings_) text.clear();

    for (const auto& [index, value] : kNumberResets) setNumber(index, value);
    setString(pidx::DeviceDescription, u"ZIROK OPOS Driver");
    setString(pidx::DeviceName, u"Zirok");
    setString(pidx::ServiceObjectDescription, u"Service Object for ZIROK");
}

bool PropertyStore::isNumberIndex(std::int32_t index) {
    return (index >= kCommonFirst && index <= kCommonLast) ||
           (index >= kDeviceFirst && index <= kDeviceLast);
}

bool PropertyStore::isStringIndex(std::int32_t index) {
    return (index >= kCommonStringFirst && index <= kCommonStringLast) ||
           (index >= kDeviceStringFirst && index <= kDeviceStringLast);
}

std::int32_t PropertyStore::number(std::int32_t index) const {
    if (index >= kCommonFirst && index <= kCommonLast) return common_[index - kCommonFirst];
    if (index >= kDeviceFirst && index <= kDeviceLast) return device_[index - kDeviceFirst];
    return 0;
}

void PropertyStore::setNumber(std::int32_t index, std::int32_t value) {
    if (index >= kCommonFirst && index <= kCommonLast) {
        common_[index - kCommonFirst] = value;
    } else if (index >= kDeviceFirst && index <= kDeviceLast) {
        device_[index - kDeviceFirst] = value;
    }
}

const std::u16string& PropertyStore::string(std::int32_t index) const {
    static const std::u16string kEmpty;
    if (index >= kCommonStringFirst && index <= kCommonStringLast)
        return commonStrings_[index - kCommonStringFirst];
    if (index >= kDeviceStringFirst && index <= kDeviceStringLast)
        return deviceStrings_[index - kDeviceStringFirst];
    return kEmpty;
}

void PropertyStore::setString(std::int32_t index, std::u16string value) {
    if (index >= kCommonStringFirst && index <= kCommonStringLast) {
        commonStrings_[index - kCommonStringFirst] = std::move(value);
    } else if (index >= kDeviceStringFirst && index <= kDeviceStringLast) {
        deviceStrings_[index - kDeviceStringFirst] = std::move(value);
    }
}

}  // namespace zirok::so
