#pragma once
// TSOZirok: the OPOS FiscalPrinter and CashDrawer service object. Typed OPOS
// methods over the register protocol; the adapters (dispatch on POSIX, COM on
// Windows) call these. Each method group lives in its own source file.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.hpp"
#include "protocol/result_codes.hpp"
#include "protocol/status.hpp"
#include "service-object/property_store.hpp"
#include "service-object/service_context.hpp"

namespace zirok::logging {
class TLogger;
}

namespace zirok::so {

// A failure that must fail the OPOS call as a call (the COM exception path):
// the adapter turns it into a failed call carrying the message.
class CallFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An item or subtotal adjustment waiting for the next item.
struct PendingAdjustment {
    std::int32_t type = 0;       // 0: none
    std::int64_t amount = 0;     // currency, 1/10000
};

class TSOZirok {
public:
    TSOZirok();
    ~TSOZirok();
    TSOZirok(const TSOZirok&) = delete;
    TSOZirok& operator=(const TSOZirok&) = delete;

    // --- lifecycle (lifecycle.cpp, claim.cpp) ---
    std::int32_t OpenService(const std::u16string& deviceClass, const std::u16string& deviceName,
                             std::shared_ptr<platform::Dispatch> controlObject);
    std::int32_t ClaimDevice(std::int32_t timeout);
    std::int32_t ReleaseDevice();
    std::int32_t CloseService();
    std::int32_t COFreezeEvents(bool freeze);

    // --- properties and results (properties.cpp, health.cpp) ---
    // `callerValue` is what the caller passed in the out-and-return slot; it
    // comes back for the indexes that return nothing.
    std::int32_t GetPropertyNumber(std::int32_t index, std::int32_t callerValue = 0);
    std::u16string GetPropertyString(std::int32_t index);
    void SetPropertyNumber(std::int32_t index, std::int32_t number);
    void SetPropertyString(std::int32_t index, const std::u16string& text);
    std::int32_t CheckHealth(std::int32_t level);
    std::int32_t ClearError();

    // --- data queries (data_queries.cpp) ---
    std::int32_t GetData(std::int32_t dataItem, std::int32_t& optArgs, std::u16string& data);
    std::int32_t GetDate(std::u16string& date);
    std::int32_t GetTotalizer(std::int32_t vatId, std::int32_t optArgs, std::u16string& data);
    std::int32_t GetVatEntry(std::int32_t vatId, std::int32_t optArgs, std::int32_t& vatRate);

    // --- fiscal receipts (receipts*.cpp) ---
    std::int32_t BeginFiscalReceipt(bool printHeader);
    std::int32_t EndFiscalReceipt(bool printHeader);
    std::int32_t PrintRecItem(const std::u16string& description, std::int64_t price,
                              std::int32_t quantity, std::int32_t vatInfo, std::int64_t unitPrice,
                              const std::u16string& unitName);
    std::int32_t PrintRecItemAdjustment(std::int32_t adjustmentType,
                                        const std::u16string& description, std::int64_t amount,
                                        std::int32_t vatInfo);
    std::int32_t PrintRecSubtotal(std::int64_t amount);
    std::int32_t PrintRecSubtotalAdjustment(std::int32_t adjustmentType,
                                            const std::u16string& description,
                                            std::int64_t amount);
    std::int32_t PrintRecTotal(std::int64_t total, std::int64_t payment,
                               const std::u16string& description);
    std::int32_t PrintRecVoid(const std::u16string& description);
    std::int32_t PrintRecVoidItem(const std::u16string& description, std::int64_t amount,
                                  std::int32_t quantity, std::int32_t adjustmentType,
                                  std::int64_t adjustment, std::int32_t vatInfo);
    std::int32_t PrintRecRefundVoid(const std::u16string& description, std::int64_t amount,
                                    std::int32_t vatInfo);
    std::int32_t PrintRecMessage(const std::u16string& message);
    // Records when the fiscal storage's verification keys were last found due.
    void UpdateFnKeysDate();

    // --- reports, non-fiscal output, settings and drawer (reports*.cpp, settings*.cpp) ---
    std::int32_t PrintXReport();
    std::int32_t PrintZReport();
    std::int32_t PrintReport(std::int32_t reportType, const std::u16string& startNum,
                             const std::u16string& endNum);
    std::int32_t PrintperiodicTotalsReport(const std::u16string& date1,
                                           const std::u16string& date2);
    std::int32_t ResetPrinter();
    std::int32_t BeginNonFiscal();
    std::int32_t PrintNormal(std::int32_t station, const std::u16string& data);
    std::int32_t EndNonFiscal();
    std::int32_t PrintRecCash(std::int64_t amount);
    std::int32_t SetDate(const std::u16string& date);
    std::int32_t SetHeaderLine(std::int32_t lineNumber, const std::u16string& text,
                               bool doubleWidth);
    std::int32_t SetTrailerLine(std::int32_t lineNumber, const std::u16string& text,
                                bool doubleWidth);
    std::int32_t SetPOSID(const std::u16string& posId, const std::u16string& cashierId);
    std::int32_t SetStoreFiscalID(const std::u16string& id);
    std::int32_t SetVatValue(std::int32_t vatId, const std::u16string& vatValue);
    std::int32_t SetVatTable();
    std::int32_t OpenDrawer();
    std::int32_t WaitForDrawerClose(std::int32_t timeout, std::int32_t beepFrequency,
                                    std::int32_t beepDuration, std::int32_t beepDelay);
    // Not supported: each answers 106 and does nothing else.
    std::int32_t BeginFiscalDocument(std::int32_t documentAmount);
    std::int32_t EndFiscalDocument();
    std::int32_t PrintFiscalDocumentLine(const std::u16string& documentLine);
    std::int32_t BeginFixedOutput(std::int32_t station, std::int32_t documentType);
    std::int32_t PrintFixedOutput(std::int32_t documentType, std::int32_t lineNumber,
                                  const std::u16string& data);
    std::int32_t EndFixedOutput();
    std::int32_t BeginInsertion(std::int32_t timeout);
    std::int32_t EndInsertion();
    std::int32_t BeginRemoval(std::int32_t timeout);
    std::int32_t EndRemoval();
    std::int32_t BeginItemList(std::int32_t vatId);
    std::int32_t EndItemList();
    std::int32_t BeginTraining();
    std::int32_t EndTraining();
    std::int32_t PrintDuplicateReceipt();
    std::int32_t PrintPowerLossReport();
    std::int32_t PrintRecItemFuel(const std::u16string& description, std::int64_t price,
                                  std::int32_t quantity, std::int32_t vatInfo,
                                  std::int64_t unitPrice, const std::u16string& unitName,
                                  std::int64_t specialTax, const std::u16string& specialTaxName);
    std::int32_t PrintRecItemFuelVoid(const std::u16string& description, std::int64_t price,
                                      std::int32_t vatInfo, std::int64_t specialTax);
    std::int32_t PrintRecNotPaid(const std::u16string& description, std::int64_t amount);
    std::int32_t PrintRecPackageAdjustment(std::int32_t adjustmentType,
                                           const std::u16string& description,
                                           const std::u16string& vatAdjustment);
    std::int32_t PrintRecPackageAdjustVoid(std::int32_t adjustmentType,
                                           const std::u16string& vatAdjustment);
    std::int32_t PrintRecRefund(const std::u16string& description, std::int64_t amount,
                                std::int32_t vatInfo);
    std::int32_t PrintRecSubtotalAdjustVoid(std::int32_t adjustmentType, std::int64_t amount);
    std::int32_t PrintrecTaxID(const std::u16string& taxId);
    std::int32_t ClearOutput();
    std::int32_t ClearInput();
    std::int32_t CompareFirmwareVersion(const std::u16string& firmwareFileName,
                                        std::int32_t& result);
    std::int32_t UpdateFirmware(const std::u16string& firmwareFileName);
    std::int32_t ResetStatistics(const std::u16string& statisticsBuffer);
    std::int32_t RetrieveStatistics(std::u16string& statisticsBuffer);
    std::int32_t UpdateStatistics(const std::u16string& statisticsBuffer);
    std::int32_t SetCurrency(std::int32_t newCurrency);
    std::int32_t VerifyItem(const std::u16string& itemName, std::int32_t vatId);

    // The barcode escape ESC "|" <symbology> <marker> <data>, shared with
    // PrintRecMessage. False when `text` (Windows-1251) is not one; else true
    // with the call's result in `result`. `upcFromSettings` gives UPC-A the
    // configured sizes instead of its fixed ones; `inDocument` lets package
    // mode skip the answer.
    bool printBarcodeEscape(const std::string& text, bool upcFromSettings, bool inDocument,
                            std::int32_t& result);

    // --- result protocol shared by every method group (results.cpp) ---
    void resetErrorState();
    // Maps a register or link code to the OPOS result, sets the result
    // properties, traces and raises SOError.
    std::int32_t GetSystemError(protocol::Result code);
    std::int32_t wrongState(bool withText = true);
    std::int32_t notSupported(const std::string& text = {});

    // --- operations for the other groups (lifecycle.cpp) ---
    std::int32_t RefreshStatus();
    std::int32_t CheckPaper();
    void sendStatusUpdate();
    void sendError(std::int32_t resultCode, std::int32_t extended, std::int32_t level);

    // --- tracing: Windows-1251 texts; nothing happens when tracing is off ---
    void logInfo(std::string_view text);
    void logWarning(std::string_view text);
    void logError(std::string_view text);
    bool tracing() const { return logger_ != nullptr; }

    // --- state other groups read and write ---
    PropertyStore& props() { return props_; }
    ServiceContext& ctx() { return context(); }
    protocol::RegisterLink& link() { return context().link; }
    const std::string& port() const { return portName_; }
    const protocol::Status& lastStatus() const { return status_; }

    std::int32_t printerState() const;
    void setPrinterState(std::int32_t state);

protected:
    // Instance state; the receipt and report groups add theirs beside it.
    PropertyStore props_;
    std::u16string deviceName_ = u"Zirok";
    std::u16string deviceClass_;
    std::string cashierName_;  // code page 866, as sent to the register
    std::string portName_;     // upper case, COMn
    std::int32_t firmwareVersion_ = 560;
    std::string factoryNumber_;  // Windows-1251
    std::shared_ptr<platform::Dispatch> controlObject_;
    std::shared_ptr<platform::Dispatch> drawerControlObject_;
    std::vector<std::string> paymentTypeMap_;  // "description=type", Windows-1251
    std::unique_ptr<logging::TLogger> logger_;
    bool autoZ_ = false;
    std::int32_t department_ = 1;
    std::int32_t storeFiscalNumber_ = 0;
    std::int32_t barcodeWidth_ = 2;
    std::int32_t barcodeHeight_ = 50;
    std::int32_t qrCodeSize_ = 5;
    std::array<std::int32_t, 6> pendingVatRates_{-1, -1, -1, -1, -1, -1};
    PendingAdjustment pendingItemAdjustment_;
    protocol::Status status_;  // the last GetStatus answer

    // --- receipt state (receipts*.cpp) ---
    // Accumulators of the open receipt, currency (1/10000); reset by BeginFiscalReceipt.
    std::int32_t itemCount_ = 0;
    std::int64_t receiptItemsTotal_ = 0;
    std::int64_t itemDiscountsTotal_ = 0;
    std::int64_t subtotalDiscount_ = 0;
    std::int64_t cashPaid_ = 0;
    std::int64_t nonCashPaid_ = 0;
    std::int64_t lastPayment_ = -10000;  // held back in delayed-total mode
    std::int32_t lastPaymentType_ = 0;
    // Shared steps of the receipt methods.
    std::int32_t receiptWrongStateWithExit();
    void receiptStateFromDoc(std::int64_t doc);
    std::int32_t receiptPresetAdjustment(std::string_view number, bool subtotalFirst);
    void receiptSummaryBlock();
    // `value` in 1/10000 as text with `decimals` places, rounded half away from
    // zero; `grouped` puts "," between thousands, `trimmed` drops trailing zeros.
    static std::string receiptAmountText(std::int64_t value, int decimals, bool grouped,
                                         bool trimmed = false);

    // --- report and settings state (reports*.cpp, settings*.cpp) ---
};

}  // namespace zirok::so
