#include "protocol/commands/device_queries.hpp"

#include "protocol/answer_fields.hpp"
#include "protocol/commands/command_support.hpp"
#include "protocol/commands/windows1251_literal.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kGetCounters = 0x01;
constexpr std::uint8_t kGetDeviceInfo = 0x02;
constexpr std::uint8_t kGetReceiptData = 0x03;
constexpr std::uint8_t kGetPrinterStatus = 0x04;
constexpr std::uint8_t kGetServiceInfo = 0x05;

Result numberedQuery(RegisterLink& link, const std::string& port, std::uint8_t code, int request,
                     FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendInt(request);
    const Result outcome = link.exchange(port, code);
    if (outcome == result::Ok) detail::copyAnswer(link, answer);
    return outcome;
}

struct PrinterFlagText {
    std::int64_t bit;
    std::string_view text;
};

constexpr Windows1251Literal kNotReady{u8"ПРИНТЕР НЕ ГОТОВ"};
constexpr Windows1251Literal kNoPaper{u8"В ПРИНТЕРЕ НЕТ БУМАГИ"};
constexpr Windows1251Literal kCoverOpen{u8"ОТКРЫТА КРЫШКА ПРИНТЕРА"};
constexpr Windows1251Literal kCutterError{u8"ОШИБКА НОЖА В ПРИНТЕРЕ"};
constexpr Windows1251Literal kNoLink{u8"НЕТ СВЯЗИ С ПРИНТЕРОМ"};
constexpr Windows1251Literal kOr{u8" ИЛИ "};

}  // namespace

std::string printerStatusMessage(std::int64_t flags) {
    static constexpr PrinterFlagText kTexts[] = {
        {0x01, kNotReady},    {0x02, kNoPaper}, {0x04, kCoverOpen},
        {0x08, kCutterError}, {0x80, kNoLink},
    };
    std::string message;
    if (flags <= 0) return message;
    for (const auto& [bit, text] : kTexts) {
        if (!(flags & bit)) continue;
        if (!message.empty()) message += kOr.view();
        message += text;
    }
    return message;
}

Result GetCounters(RegisterLink& link, const std::string& port, int request, FrameBuffer& answer) {
    return numberedQuery(link, port, kGetCounters, request, answer);
}

Result GetDeviceInfo(RegisterLink& link, const std::string& port, int request,
                     FrameBuffer& answer) {
    return numberedQuery(link, port, kGetDeviceInfo, request, answer);
}

Result GetReceiptData(RegisterLink& link, const std::string& port, int request,
                      FrameBuffer& answer) {
    return numberedQuery(link, port, kGetReceiptData, request, answer);
}

Result GetServiceInfo(RegisterLink& link, const std::string& port, int request,
                      FrameBuffer& answer) {
    return numberedQuery(link, port, kGetServiceInfo, request, answer);
}

Result GetPrinterStatus(RegisterLink& link, const std::string& port, std::int64_t& flags,
                        std::string& message) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    const Result outcome = link.exchange(port, kGetPrinterStatus);
    if (outcome == result::Ok) {
        flags = answerInteger(link.answer(), 0);
        message = printerStatusMessage(flags);
    }
    return outcome;
}

}  // namespace zirok::protocol
