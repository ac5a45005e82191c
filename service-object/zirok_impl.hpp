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

    // --- reports, non-fiscal output, settings and drawer (reports*.cpp, settings*.cpp) ---

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

    // --- report and settings state (reports*.cpp, settings*.cpp) ---
};

}  // namespace zirok::so
