// Opening and closing the service, releasing the device, the two events into
// the control object, and the status checks the document groups run first.
#include <optional>
#include <string>
#include <vector>

#include "logging/client/logger.hpp"
#include "platform/ansi_text.hpp"
#include "platform/registry.hpp"
#include "platform/system.hpp"
#include "platform/ui_hooks.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kKeyMissingHead{u8"Не найдено устройтво "};
constexpr Windows1251Literal kKeyMissingTail{u8" в реестре"};
constexpr Windows1251Literal kAdministrator{u8"Администратор"};

constexpr std::int32_t kDefaultBaudRate = 57600;
constexpr std::int32_t kMinTimeoutSeconds = 3;
constexpr std::int32_t kMaxTimeoutSeconds = 30;

constexpr platform::DispId kDispIdSOError = 3;
constexpr platform::DispId kDispIdSOStatusUpdate = 5;

// Both device classes read the fiscal printer's key: one logical device name
// configures the register and the drawer behind it.
std::u16string deviceKeyPath(const std::u16string& deviceName) {
    return u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\" + deviceName;
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// A decimal integer with an optional sign, nothing around it, within 32 bits.
std::optional<std::int32_t> parseInt32(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// The Debug value: an integer switches tracing by being non-zero, a text by
// being "1"; any other type leaves the switch as it is.
void readDebugSwitch(const platform::RegistryKey& key, bool& loggingOn) {
    switch (key.valueType("Debug")) {
        case platform::RegistryType::Integer:
            loggingOn = key.readInteger("Debug") != 0;
            break;
        case platform::RegistryType::String:
            loggingOn = key.readString("Debug") == "1";
            break;
        default:
            break;
    }
}

}  // namespace

std::int32_t TSOZirok::OpenService(const std::u16string& deviceClass,
                                   const std::u16string& deviceName,
                                   std::shared_ptr<platform::Dispatch> controlObject) {
    ServiceContext& shared = context();
    paymentTypeMap_.clear();
    shared.loggingOn = true;
    resetErrorState();
    std::int32_t result = opos::SUCCESS;
    autoZ_ = false;

    if (deviceClass == u"FiscalPrinter") {
        controlObject_ = controlObject;
        props_.setNumber(pidx::FreezeEvents, controlObject_ ? 0 : 1);
    } else if (deviceClass == u"CashDrawer") {
        drawerControlObject_ = controlObject;
        props_.setNumber(pidx::FreezeEvents, drawerControlObject_ ? 0 : 1);
    }

    deviceName_ = deviceName;
    deviceClass_ = deviceClass;
    props_.setNumber(pidx::Claimed, 0);

    const platform::RegistryStore store = platform::registry();
    const std::u16string keyPath = deviceKeyPath(deviceName_);
    try {
        if (auto key = store.openKey(platform::RegistryHive::LocalMachine, keyPath)) {
            readDebugSwitch(*key, shared.loggingOn);
            // Any logger of an earlier opening goes: this opening's Debug
            // value alone decides whether there is one.
            if (shared.currentLogger == logger_.get()) {
                shared.link.setTrafficLog(nullptr);
                shared.currentLogger = nullptr;
            }
            logger_.reset();
            if (shared.loggingOn) {
                logger_ = std::make_unique<logging::TLogger>();
                logger_->AddInstance("OPOSZirok_" +
                                     platform::formatShortDate(platform::localNow()));
                shared.currentLogger = logger_.get();
                shared.link.setTrafficLog(logger_.get());
                logger_->Open();
            }

            if (key->valueType("Timeout") == platform::RegistryType::Integer) {
                const std::int32_t seconds = key->readInteger("Timeout");
                if (seconds >= kMinTimeoutSeconds && seconds <= kMaxTimeoutSeconds)
                    shared.link.setDefaultTimeout(seconds * 1000);
            }
            if (key->valueExists("AutoZ")) autoZ_ = key->readBool("AutoZ");
            if (key->valueExists("CodePage")) {
                const std::string codePage = key->readString("CodePage");
                if (codePage == "866") shared.link.setConversionSetting(false);
                if (codePage == "1251") shared.link.setConversionSetting(true);
            }
            if (key->valueType("PackageMode") == platform::RegistryType::Integer)
                shared.link.setPackageMode(key->readInteger("PackageMode") != 0);
            portName_ = upperAscii(key->readString("Port"));
            shared.baudRate = parseInt32(key->readString("BaudRate")).value_or(kDefaultBaudRate);

            cashierName_ = protocol::toDeviceText(kAdministrator.view());
            logInfo("OpenService Ok!");
            logInfo("Driver version: 3.9.3.14");
        } else {
            const std::u16string text = platform::ansiToWide(kKeyMissingHead.view()) + deviceName_ +
                                        platform::ansiToWide(kKeyMissingTail.view());
            props_.setString(pidx::CheckHealthText, text);
            props_.setString(pidx::FptrErrorString, text);
            props_.setNumber(pidx::ResultCode, opos::E_NOEXIST);
            props_.setNumber(pidx::FptrErrorLevel, fptr::EL_FATAL);
            result = opos::E_NOEXIST;
        }

        if (auto pays = store.openKey(platform::RegistryHive::LocalMachine, keyPath + u"\\Pays")) {
            for (const std::u16string& name : pays->valueNames()) {
                std::string entry = platform::wideToAnsi(name);
                if (pays->valueType(name) == platform::RegistryType::Integer)
                    entry += "=" + std::to_string(pays->readInteger(name));
                paymentTypeMap_.push_back(std::move(entry));
            }
        }
    } catch (const platform::RegistryError& e) {
        platform::messageBox(e.message(), u"Zirok", platform::mb::kOk | platform::mb::kIconError);
    }
    return result;
}

std::int32_t TSOZirok::ReleaseDevice() {
    link().disconnect(portName_);
    props_.setNumber(pidx::Claimed, 0);
    return opos::SUCCESS;
}

std::int32_t TSOZirok::CloseService() {
    logInfo("Begin CloseService");
    paymentTypeMap_.clear();
    ServiceContext& shared = context();
    if (logger_ && shared.currentLogger == logger_.get()) {
        shared.link.setTrafficLog(nullptr);
        shared.currentLogger = nullptr;
    }
    logger_.reset();
    return opos::SUCCESS;
}

std::int32_t TSOZirok::COFreezeEvents(bool freeze) {
    props_.setNumber(pidx::FreezeEvents, freeze ? -1 : 0);
    return opos::SUCCESS;
}

// The control object hears nothing while it froze events, did not ask for
// them, or is not known at all. A control object that fails the call changes
// nothing for the method that raised the event.
void TSOZirok::sendStatusUpdate() {
    if (props_.number(pidx::FreezeEvents) != 0 || props_.number(pidx::DataEventEnabled) != 1 ||
        !controlObject_)
        return;
    std::vector<platform::Variant> args{platform::Variant(printerState())};
    try {
        controlObject_->invoke(kDispIdSOStatusUpdate, platform::kInvokeMethod, args);
    } catch (const platform::AutomationError&) {
    }
}

void TSOZirok::sendError(std::int32_t resultCode, std::int32_t extended, std::int32_t level) {
    if (props_.number(pidx::FreezeEvents) != 0 || props_.number(pidx::DataEventEnabled) != 1 ||
        !controlObject_)
        return;
    // The control object may write its error response here; it is not used.
    platform::Variant response(std::int32_t{0});
    std::vector<platform::Variant> args{platform::Variant(resultCode), platform::Variant(extended),
                                        platform::Variant(level),
                                        platform::Variant::byRef(response)};
    try {
        controlObject_->invoke(kDispIdSOError, platform::kInvokeMethod, args);
    } catch (const platform::AutomationError&) {
    }
}

std::int32_t TSOZirok::RefreshStatus() {
    const protocol::Result code = protocol::GetStatus(link(), portName_, status_);
    if (code != protocol::result::Ok) return GetSystemError(code);
    switch (status_.doc & 0x0F) {
        case 0:
            setPrinterState(fptr::PS_MONITOR);
            break;
        case 1:
            setPrinterState(fptr::PS_NONFISCAL);
            break;
        default:
            break;
    }
    if (status_.fatal > 0 && (status_.flags & 0x40) != 0) protocol::StartWork(link(), portName_);
    if (status_.flags > 0 && (status_.flags & 0x01) != 0) protocol::StartWork(link(), portName_);
    return opos::SUCCESS;
}

std::int32_t TSOZirok::CheckPaper() {
    std::int64_t flags = 0;
    std::string message;
    const protocol::Result code = protocol::GetPrinterStatus(link(), portName_, flags, message);
    if (code != protocol::result::Ok) return code;
    if (flags == 0) return opos::SUCCESS;
    constexpr protocol::Result kPrinterNotReady = 9;
    constexpr protocol::Result kPaperOut = 8;
    if (flags & 0x04) return GetSystemError(kPrinterNotReady);
    if (flags & 0x02) return GetSystemError(kPaperOut);
    return GetSystemError(protocol::result::Ok);
}

}  // namespace zirok::so
