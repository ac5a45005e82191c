#include <iterator>
#include <string>
#include <string_view>

#include "platform/ansi_text.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kFatal0{u8"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА NVR"};
constexpr Windows1251Literal kFatal1{u8"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА В КОНФИГУРАЦИИ"};
constexpr Windows1251Literal kFatal2{u8"ОШИБКА ИНТЕРФЕЙСА С ФП"};
constexpr Windows1251Literal kFatal3{u8"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА ФИСКАЛЬНОЙ ПАМЯТИ"};
constexpr Windows1251Literal kFatal4{u8"ОШИБКА ЗАПИСИ В ФИСКАЛЬНУЮ ПАМЯТЬ"};
constexpr Windows1251Literal kFatal5{u8"ФИСКАЛЬНЫЙ МОДУЛЬ НЕ АВТОРИЗОВАН"};
constexpr Windows1251Literal kFatal6{u8"ФАТАЛЬНАЯ ОШИБКА ЭКЛЗ"};
constexpr Windows1251Literal kFatal7{u8"РАСХОЖДЕНИЕ ДАННЫХ ФР И ЭКЛЗ"};

// Bit 0 up; every fatal bit calls for the service engineer.
constexpr std::string_view kFatalLines[] = {kFatal0, kFatal1, kFatal2, kFatal3,
                                            kFatal4, kFatal5, kFatal6, kFatal7};

constexpr Windows1251Literal kFlag0{u8"НЕ БЫЛА ВЫЗВАНА ФУНКЦИЯ \"НАЧАЛО РАБОТЫ\""};
constexpr Windows1251Literal kFlag1{u8"НЕФИСКАЛЬНЫЙ РЕЖИМ"};
constexpr Windows1251Literal kFlag2{u8"СМЕНА ОТКРЫТА"};
constexpr Windows1251Literal kFlag3{u8"СМЕНА БОЛЬШЕ 24 ЧАСОВ"};
constexpr Windows1251Literal kFlag4{u8"АРХИВ ЭКЛЗ ЗАКРЫТ"};
constexpr Windows1251Literal kFlag5{u8"ЭКЛЗ НЕ АКТИВИРОВАНА"};
constexpr Windows1251Literal kFlag6{u8"НЕТ ПАМЯТИ ДЛЯ ЗАКРЫТИЯ СМЕНЫ В ФП"};
constexpr Windows1251Literal kFlag7{u8"БЫЛ ВВЕДЕН НЕВЕРНЫЙ ПАРОЛЬ ДОСТУПА К ФП"};
constexpr Windows1251Literal kFlag8{
    u8"НЕ БЫЛО ЗАВЕРШЕНО ЗАКРЫТИЕ СМЕНЫ, НЕОБХОДИМО ПОВТОРИТЬ ОПЕРАЦИЮ"};
constexpr Windows1251Literal kDocumentAwaitsClose{u8"ДОКУМЕНТ ЗАКРЫТ В ФН"};

struct FlagLine {
    std::string_view text;
    std::int32_t extended;  // 0: the bit only informs
    std::int32_t level;
};

// Bit 0 up.
constexpr FlagLine kFlagLines[] = {
    {kFlag0, efptr::WRONG_STATE, fptr::EL_RECOVERABLE},
    {kFlag1, 0, 0},
    {kFlag2, 0, 0},
    {kFlag3, efptr::DAY_END_REQUIRED, fptr::EL_BLOCKED},
    {kFlag4, efptr::FISCAL_TOTALS_ERROR, fptr::EL_FATAL},
    {kFlag5, efptr::WRONG_STATE, fptr::EL_FATAL},
    {kFlag6, efptr::FISCAL_MEMORY_FULL, fptr::EL_FATAL},
    {kFlag7, efptr::TECHNICAL_ASSISTANCE, fptr::EL_FATAL},
    {kFlag8, efptr::DAY_END_REQUIRED, fptr::EL_BLOCKED},
};

constexpr std::int64_t kFlagShiftOpen = 0x04;
constexpr std::int64_t kDocAwaitingClose = 0x80;
constexpr std::int64_t kDocTypeMask = 0x0F;
constexpr std::int64_t kPrinterNoPaper = 0x02;
constexpr std::int64_t kPrinterCoverOpen = 0x04;

void appendLine(std::string& text, std::string_view line) {
    if (!text.empty()) text += "\r\n";
    text += line;
}

}  // namespace

std::int32_t TSOZirok::CheckHealth(std::int32_t level) {
    logInfo("Begin CheckHealth");
    logInfo("Level=" + std::to_string(level));
    resetErrorState();
    if (level != opos::CH_INTERNAL) {
        logInfo("End CheckHealth");
        return opos::E_ILLEGAL;
    }

    protocol::Status status;
    const protocol::Result statusResult = protocol::GetStatus(link(), portName_, status);
    if (statusResult != protocol::result::Ok) return GetSystemError(statusResult);

    std::int32_t result = opos::SUCCESS;
    // The findings go into the result properties only: the call itself
    // succeeded in finding out how the register is.
    if (status.fatal != 0) {
        std::string text;
        for (std::size_t bit = 0; bit < std::size(kFatalLines); ++bit)
            if (status.fatal & (std::int64_t{1} << bit)) appendLine(text, kFatalLines[bit]);
        props_.setNumber(pidx::ResultCode, opos::E_EXTENDED);
        props_.setNumber(pidx::ResultCodeExtended, efptr::TECHNICAL_ASSISTANCE);
        props_.setNumber(pidx::FptrErrorLevel, fptr::EL_FATAL);
        const std::u16string wide = platform::ansiToWide(text);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
    } else {
        props_.setNumber(pidx::FptrDayOpened, (status.flags & kFlagShiftOpen) != 0 ? 1 : 0);
        std::string health;
        std::string errors;
        if (status.flags > 0) {
            for (std::size_t bit = 0; bit < std::size(kFlagLines); ++bit) {
                if (!(status.flags & (std::int64_t{1} << bit))) continue;
                const FlagLine& line = kFlagLines[bit];
                appendLine(health, line.text);
                if (line.extended == 0) continue;
                appendLine(errors, line.text);
                props_.setNumber(pidx::ResultCode, opos::E_EXTENDED);
                props_.setNumber(pidx::ResultCodeExtended, line.extended);
                props_.setNumber(pidx::FptrErrorLevel, line.level);
            }
        }

        if (status.doc & kDocAwaitingClose) {
            logInfo("(Status.doc and bit7 = bit7) => Need to call DocumentClose");
            appendLine(health, kDocumentAwaitsClose);
        }
        if ((status.doc & kDocTypeMask) == 0) setPrinterState(fptr::PS_MONITOR);
        if ((status.doc & kDocTypeMask) == 1) setPrinterState(fptr::PS_NONFISCAL);

        std::int64_t printerFlags = 0;
        std::string printerText;
        // A failing printer query is passed on as the register's own number:
        // the health text gathered so far still stands.
        result = protocol::GetPrinterStatus(link(), portName_, printerFlags, printerText);
        if (result == protocol::result::Ok && printerFlags != 0) {
            props_.setNumber(pidx::FptrRecEmpty, (printerFlags & kPrinterNoPaper) != 0 ? 1 : 0);
            props_.setNumber(pidx::FptrCoverOpen, (printerFlags & kPrinterCoverOpen) != 0 ? 1 : 0);
        }
        if (!printerText.empty()) appendLine(health, printerText);

        logInfo("CheckHealthText := " + health);
        props_.setString(pidx::CheckHealthText, platform::ansiToWide(health));
        props_.setString(pidx::FptrErrorString, platform::ansiToWide(errors));
    }
    logInfo("End CheckHealth");
    return result;
}

}  // namespace zirok::so
