// Claiming the register: finding it on a serial port (the configured one
// first, then every port at every speed), then bringing a register that was
// left mid-document or before its working day back to a known state.
#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi_text.hpp"
#include "platform/registry.hpp"
#include "protocol/answer_fields.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "protocol/port_discovery.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kNoPort{u8"Порт не не найден"};
constexpr Windows1251Literal kNoPortChosen{u8"Порт не выбран"};
constexpr Windows1251Literal kNotFound{u8"Фискальный регистратор не обнаружен"};
constexpr Windows1251Literal kNotFoundTrace{
    u8"Exiting and\r\n"
    u8"\tSet Result := OPOS_E_EXTENDED\r\n"
    u8"\tSet CommonPropertyNumber[PIDX_ResultCode] := OPOS_E_NOEXIST\r\n"
    u8"\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := OPOS_E_NOHARDWARE\r\n"
    u8"\tSet CommonPropertyString[PIDX_CheckHealthText] := 'Фискальный регистратор не "
    u8"обнаружен'\r\n"
    u8"\tSet PropertyNumber[PIDXFptr_ErrorLevel] := FPTR_EL_FATAL\r\n"
    u8"\tSet PropertyString[PIDXFptr_ErrorString] := CommonPropertyString[PIDX_CheckHealthText]"};

constexpr std::array<std::int32_t, 3> kSearchSpeeds{57600, 19200, 9600};

// Status bits the claim acts on.
constexpr std::int64_t kFatalDayNotStarted = 0x40;
constexpr std::int64_t kFlagStartWorkNeeded = 0x01;
constexpr std::int64_t kFlagShiftOpen = 0x04;
constexpr std::int64_t kFlagShiftMustClose = 0x100;
constexpr std::int64_t kDocAwaitingClose = 0x80;
constexpr std::int64_t kDocTypeMask = 0x0F;

// Fiscal storage failures of the Z report after which the register is sent
// command A0 before anything else.
bool needsCommandA0(protocol::Result code) {
    return (code >= 66 && code <= 70) || (code >= 74 && code <= 75);
}

std::u16string deviceKeyPath(const std::u16string& deviceName) {
    return u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\" + deviceName;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string connectLine(const std::string& port, std::int32_t baud, bool handshake) {
    return "Call Connect(" + port + ", " + std::to_string(baud) + ", " +
           (handshake ? "True" : "False") + ", false)";
}

// A whole-seconds setting from the register, in milliseconds; nothing when
// the answer holds no usable number.
std::optional<int> secondsSettingMs(protocol::RegisterLink& link, const std::string& port,
                                    int table) {
    protocol::FrameBuffer answer{};
    if (protocol::ReadTable(link, port, table, 0, answer) != protocol::result::Ok)
        return std::nullopt;
    const auto seconds = protocol::parseInteger(protocol::answerText(answer, 0));
    if (!seconds || *seconds < 0 || *seconds > std::numeric_limits<int>::max() / 1000)
        return std::nullopt;
    return static_cast<int>(*seconds * 1000);
}

}  // namespace

std::int32_t TSOZirok::ClaimDevice(std::int32_t timeout) {
    ServiceContext& shared = context();
    protocol::RegisterLink& line = shared.link;

    logInfo("Begin ClaimDevice");
    logInfo("TimeOut=" + std::to_string(timeout));
    logInfo("Call ClearError");
    resetErrorState();

    bool search = true;
    bool handshake = false;
    std::string password = "MNVK";
    std::vector<std::string> allPorts;
    std::vector<std::string> usbPorts;
    protocol::listAllPorts(allPorts);
    protocol::listUsbPorts(usbPorts);

    // The failures before any register traffic: no port to try at all.
    auto failWithoutPort = [this](std::string_view text) {
        const std::u16string wide = platform::ansiToWide(text);
        props_.setNumber(pidx::ResultCode, opos::E_NOHARDWARE);
        props_.setNumber(pidx::ResultCodeExtended, opos::E_NOHARDWARE);
        props_.setNumber(pidx::FptrErrorLevel, fptr::EL_FATAL);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
        return opos::E_NOTCLAIMED;
    };

    const platform::RegistryStore store = platform::registry();
    if (auto key =
            store.openKey(platform::RegistryHive::LocalMachine, deviceKeyPath(deviceName_))) {
        search = key->readString("Autosearch") != "0";
        if (portName_ != "USB" && allPorts.empty() && !search) return failWithoutPort(kNoPort);
        if (key->valueExists("Password")) password = key->readString("Password");
        handshake = upperAscii(key->readString("Protocol")) == "CTS";
        if (search && portName_ == "USB") {
            if (usbPorts.empty()) {
                // Nothing to fall back on: the port list is as empty as the
                // USB one, and "USB" names no port to connect to.
                if (allPorts.empty()) return failWithoutPort(kNoPort);
                portName_ = allPorts.front();
                handshake = true;
            } else if (usbPorts.size() == 1) {
                portName_ = usbPorts.front();
                handshake = false;
            } else {
                const auto chosen = protocol::selectUsbPort();
                if (!chosen) return failWithoutPort(kNoPortChosen);
                portName_ = *chosen;
                handshake = false;
            }
        }
        if (contains(usbPorts, portName_)) handshake = false;
    }

    const std::string firstPort = portName_;
    const std::int32_t firstBaud = shared.baudRate;
    protocol::Result code = opos::E_EXTENDED;

    logInfo(connectLine(portName_, shared.baudRate, handshake));
    if (line.connect(password, portName_, shared.baudRate, false, handshake))
        code = protocol::GetStatus(line, portName_, status_);

    if (code != protocol::result::Ok) {
        logInfo("Call Disconnect(" + portName_ + ")");
        line.disconnect(portName_);
        if (search) {
            std::vector<std::string> candidates = allPorts;
            if (auto at = std::find(candidates.begin(), candidates.end(), firstPort);
                at != candidates.end())
                std::rotate(candidates.begin(), at, at + 1);
            for (const std::string& candidate : candidates) {
                const bool candidateHandshake = !contains(usbPorts, candidate);
                for (const std::int32_t speed : kSearchSpeeds) {
                    if (candidate == firstPort && speed == firstBaud) continue;
                    portName_ = candidate;
                    shared.baudRate = speed;
                    logInfo(connectLine(portName_, speed, candidateHandshake));
                    code = opos::E_EXTENDED;
                    if (line.connect(password, portName_, speed, true, candidateHandshake))
                        code = protocol::GetStatus(line, portName_, status_);
                    if (code == protocol::result::Ok) break;
                    logInfo("Call Disconnect(" + portName_ + ")");
                    line.disconnect(portName_);
                }
                if (code == protocol::result::Ok) break;
            }
        }
    }

    if (code != protocol::result::Ok) {
        const std::u16string wide = platform::ansiToWide(kNotFound.view());
        props_.setNumber(pidx::ResultCode, opos::E_NOEXIST);
        props_.setNumber(pidx::ResultCodeExtended, opos::E_NOHARDWARE);
        props_.setNumber(pidx::FptrErrorLevel, fptr::EL_FATAL);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
        logError(kNotFoundTrace.view());
        return opos::E_EXTENDED;
    }

    logInfo("Port " + portName_ + " has opened");
    logInfo("Status.fatal=" + std::to_string(status_.fatal));
    logInfo("Status.flags=" + std::to_string(status_.flags));
    logInfo("Status.doc=" + std::to_string(status_.doc));

    // Recovery. Each step is a best effort: a register that refuses one is
    // still claimed, and the application meets the problem on its next call.
    if (status_.fatal & kFatalDayNotStarted) {
        logInfo("((status.fatal and Bit6) = Bit6) => Call StartWork");
        protocol::StartWork(line, portName_);
        if (status_.flags & kFlagShiftMustClose) {
            logInfo("((status.flags and Bit8) = Bit8) => Call PrintZReport");
            if (needsCommandA0(protocol::PrintZReport(line, portName_, cashierName_)))
                protocol::CommandA0(line, portName_);
        }
    }
    if (status_.flags & kFlagStartWorkNeeded) {
        logInfo("((status.flags and 1) <> 0) => Call StartWork");
        protocol::StartWork(line, portName_);
    }
    props_.setNumber(pidx::FptrDayOpened, (status_.flags & kFlagShiftOpen) ? 1 : 0);
    props_.setNumber(pidx::Claimed, 1);

    if (status_.doc & kDocAwaitingClose) {
        logInfo("(Status.doc and bit7 = bit7) => Call DocumentClose");
        protocol::DocumentClose(line, portName_, false, 1);
        protocol::GetStatus(line, portName_, status_);
    }

    static constexpr Windows1251Literal kOpenSale{
        u8"Have opened sale receipt => Call DocumentAnnul"};
    static constexpr Windows1251Literal kOpenReturn{
        u8"Have opened return receipt => Call DocumentAnnul"};
    static constexpr Windows1251Literal kOpenCashIn{u8"Have opened cashin => Call DocumentAnnul"};
    static constexpr Windows1251Literal kOpenCashOut{u8"Have opened cashout => Call DocumentAnnul"};
    const std::int64_t openDocument = status_.doc & kDocTypeMask;
    if (openDocument == 0) {
        setPrinterState(fptr::PS_MONITOR);
    } else if (openDocument == 1) {
        setPrinterState(fptr::PS_NONFISCAL);
    } else if (openDocument >= 2 && openDocument <= 5) {
        const std::string_view notes[] = {kOpenSale, kOpenReturn, kOpenCashIn, kOpenCashOut};
        logWarning(notes[openDocument - 2]);
        if (protocol::DocumentAnnul(line, portName_) == protocol::result::Ok) {
            logInfo("Opened fiscal document has closed successfully");
            setPrinterState(fptr::PS_MONITOR);
        } else {
            logWarning("Opened fiscal document has not closed");
            setPrinterState(fptr::PS_FISCAL_RECEIPT);
        }
    }

    protocol::ClearTable5Bit1(line, portName_);
    constexpr int kOkpServerTable = 94;
    constexpr int kOismServerTable = 204;
    if (const auto ms = secondsSettingMs(line, portName_, kOkpServerTable)) {
        line.setOkpServerTimeout(*ms);
        logInfo("OkpServerTimeout=" + std::to_string(*ms));
    }
    if (const auto ms = secondsSettingMs(line, portName_, kOismServerTable)) {
        line.setOismServerTimeout(*ms);
        logInfo("OismServerTimeout=" + std::to_string(*ms));
    }

    factoryNumber_.clear();
    protocol::FrameBuffer answer{};
    if (protocol::GetDeviceInfo(line, portName_, 1, answer) == protocol::result::Ok)
        factoryNumber_ = protocol::fromDeviceText(protocol::answerText(answer, 1));
    std::optional<std::int64_t> firmware;
    if (protocol::GetDeviceInfo(line, portName_, 2, answer) == protocol::result::Ok)
        firmware = protocol::parseInteger(protocol::answerText(answer, 1));
    if (firmware && *firmware >= std::numeric_limits<std::int32_t>::min() &&
        *firmware <= std::numeric_limits<std::int32_t>::max())
        firmwareVersion_ = static_cast<std::int32_t>(*firmware);
    else
        logInfo("FirmWare ver. used as default - 560");

    logInfo("PropertyNumber[PIDXFptr_PrinterState] = " + std::to_string(printerState()));
    const std::string description =
        "ZIROK OPOS Driver (FirmWare ver." + std::to_string(firmwareVersion_) + ") on " + portName_;
    props_.setString(pidx::DeviceDescription, platform::ansiToWide(description));
    logInfo("CommonPropertyString[PIDX_DeviceDescription] = '" + description + "'");

    const std::int32_t result = GetSystemError(protocol::result::Ok);
    logInfo("End ClaimDevice");
    return result;
}

}  // namespace zirok::so
