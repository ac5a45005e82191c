// OPOS methods the register has no counterpart for: slip and fixed-format
// documents, training mode, fuel and package receipts, firmware and
// statistics. Each refuses as not supported and leaves everything else alone.
#include <cstdint>
#include <string>

#include "service-object/zirok_impl.hpp"

namespace zirok::so {

std::int32_t TSOZirok::BeginFiscalDocument(std::int32_t) {
    logInfo("Begin BeginFiscalDocument");
    const std::int32_t rc = notSupported();
    logInfo("End BeginFiscalDocument");
    return rc;
}

std::int32_t TSOZirok::EndFiscalDocument() {
    logInfo("Begin EndFiscalDocument");
    const std::int32_t rc = notSupported();
    logInfo("End EndFiscalDocument");
    return rc;
}

std::int32_t TSOZirok::PrintFiscalDocumentLine(const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::BeginFixedOutput(std::int32_t, std::int32_t) {
    return notSupported();
}
std::int32_t TSOZirok::PrintFixedOutput(std::int32_t, std::int32_t, const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::EndFixedOutput() {
    return notSupported();
}
std::int32_t TSOZirok::BeginInsertion(std::int32_t) {
    return notSupported();
}
std::int32_t TSOZirok::EndInsertion() {
    return notSupported();
}
std::int32_t TSOZirok::BeginRemoval(std::int32_t) {
    return notSupported();
}
std::int32_t TSOZirok::EndRemoval() {
    return notSupported();
}
std::int32_t TSOZirok::BeginItemList(std::int32_t) {
    return notSupported();
}
std::int32_t TSOZirok::EndItemList() {
    return notSupported();
}
std::int32_t TSOZirok::BeginTraining() {
    return notSupported();
}
std::int32_t TSOZirok::EndTraining() {
    return notSupported();
}
std::int32_t TSOZirok::PrintDuplicateReceipt() {
    return notSupported();
}
std::int32_t TSOZirok::PrintPowerLossReport() {
    return notSupported();
}

std::int32_t TSOZirok::PrintRecItemFuel(const std::u16string&, std::int64_t, std::int32_t,
                                        std::int32_t, std::int64_t, const std::u16string&,
                                        std::int64_t, const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::PrintRecItemFuelVoid(const std::u16string&, std::int64_t, std::int32_t,
                                            std::int64_t) {
    return notSupported();
}
std::int32_t TSOZirok::PrintRecNotPaid(const std::u16string&, std::int64_t) {
    return notSupported();
}
std::int32_t TSOZirok::PrintRecPackageAdjustment(std::int32_t, const std::u16string&,
                                                 const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::PrintRecPackageAdjustVoid(std::int32_t, const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::PrintRecRefund(const std::u16string&, std::int64_t, std::int32_t) {
    return notSupported();
}
std::int32_t TSOZirok::PrintRecSubtotalAdjustVoid(std::int32_t, std::int64_t) {
    return notSupported();
}
std::int32_t TSOZirok::PrintrecTaxID(const std::u16string&) {
    return notSupported();
}

std::int32_t TSOZirok::ClearOutput() {
    return notSupported();
}
std::int32_t TSOZirok::ClearInput() {
    return notSupported();
}
std::int32_t TSOZirok::CompareFirmwareVersion(const std::u16string&, std::int32_t&) {
    return notSupported();
}
std::int32_t TSOZirok::UpdateFirmware(const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::ResetStatistics(const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::RetrieveStatistics(std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::UpdateStatistics(const std::u16string&) {
    return notSupported();
}
std::int32_t TSOZirok::SetCurrency(std::int32_t) {
    return notSupported();
}
std::int32_t TSOZirok::VerifyItem(const std::u16string&, std::int32_t) {
    return notSupported();
}

}  // namespace zirok::so
