#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/ansi_text.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr std::int32_t kRecoverable = fptr::EL_RECOVERABLE;
constexpr std::int32_t kFatal = fptr::EL_FATAL;
constexpr std::int32_t kBlocked = fptr::EL_BLOCKED;

// The register's own error codes (1..126) and the link's local codes (32,
// 240..247), with the level and the words the application shows for them.
constexpr Windows1251Literal kText1{u8"Функция невыполнима при данном статусе ККМ"};
constexpr Windows1251Literal kText2{u8"В команде указан неверный номер функции"};
constexpr Windows1251Literal kText3{u8"Некорректный формат или параметр команды"};
constexpr Windows1251Literal kText4{u8"Переполнение буфера коммуникационного порта"};
constexpr Windows1251Literal kText5{u8"Таймаут при передаче байта информации"};
constexpr Windows1251Literal kText6{u8"В протоколе указан неверный пароль"};
constexpr Windows1251Literal kText7{u8"Ошибка контрольной суммы в команде"};
constexpr Windows1251Literal kText8{u8"Конец бумаги"};
constexpr Windows1251Literal kText9{u8"Принтер не готов"};
constexpr Windows1251Literal kText10{u8"Текущая смена больше 24 часов"};
constexpr Windows1251Literal kText11{
    u8"Разница во времени, ККМ и указанной в команде начала работы, больше 8 минут"};
constexpr Windows1251Literal kText12{
    u8"Вводимая дата более ранняя, чем дата последней фискальной операции"};
constexpr Windows1251Literal kText13{u8"Неверный пароль доступа к ФП"};
constexpr Windows1251Literal kText14{u8"Отрицательный результат"};
constexpr Windows1251Literal kText15{u8"Для выполнения команды необходимо закрыть смену"};
constexpr Windows1251Literal kText32{u8"Фатальная ошибка ККТ"};
constexpr Windows1251Literal kText33{u8"Нет свободного места в фискальной памяти ККТ"};
constexpr Windows1251Literal kText65{u8"Некорректный  формат или параметр команды ФН"};
constexpr Windows1251Literal kText66{u8"Некорректное состояние ФН"};
constexpr Windows1251Literal kText67{u8"Ошибка ФН"};
constexpr Windows1251Literal kText68{u8"Ошибка КС (Криптографического сопроцессора) в составе ФН"};
constexpr Windows1251Literal kText69{u8"Исчерпан временной ресурс использования ФН"};
constexpr Windows1251Literal kText70{u8"ФН переполнен"};
constexpr Windows1251Literal kText71{u8"Неверные дата или время"};
constexpr Windows1251Literal kText72{u8"Нет запрошенных данных"};
constexpr Windows1251Literal kText73{u8"Некорректные параметры команды"};
constexpr Windows1251Literal kText74{u8"Нет ответа от ФН"};
constexpr Windows1251Literal kText75{u8"Ошибка при обмене данными с ФН"};
constexpr Windows1251Literal kText80{u8"Превышен размер данных TLV"};
constexpr Windows1251Literal kText81{u8"Нет транспортного соединения"};
constexpr Windows1251Literal kText82{u8"Исчерпан ресурс КС"};
constexpr Windows1251Literal kText84{
    u8"Ресурс хранения для документов для ОФД исчерпан/Нет ответа ОФД"};
constexpr Windows1251Literal kText85{
    u8"Время нахождения в очереди самого старого сообщения более 30 дней"};
constexpr Windows1251Literal kText86{u8"Продолжительность смены ФН более 24 часов"};
constexpr Windows1251Literal kText87{u8"Разница более чем на 5 минут от внутреннего таймера ФН"};
constexpr Windows1251Literal kText96{u8"Неверное сообщение от ОФД"};
constexpr Windows1251Literal kText97{u8"Нет связи с ФН"};
constexpr Windows1251Literal kText98{u8"Ошибка обмена с ФН"};
constexpr Windows1251Literal kText99{u8"Слишком длинная команда для посылки в ФН"};
constexpr Windows1251Literal kText100{u8"Неизвестный ответ сервиса обновления ключей проверки"};
constexpr Windows1251Literal kText114{
    u8"Запрещена работа с маркированным товарами. При активации ФН 1.2 не был установлен признак "
    u8"работы с маркированными товарами"};
constexpr Windows1251Literal kText115{
    u8"Нарушена правильная последовательность подачи команд для обработки КМ товаров"};
constexpr Windows1251Literal kText116{
    u8"Работа с КМ товарами заблокирована, необходимо выгрузить сформированные уведомления"};
constexpr Windows1251Literal kText117{u8"Переполнена таблица хранения КМ"};
constexpr Windows1251Literal kText124{
    u8"В переданном блоке данных, отсутствуют необходимые реквизиты"};
constexpr Windows1251Literal kText126{
    u8"В реквизите 2007 содержится КМ, который ранее не проверялся в ФН"};
constexpr Windows1251Literal kText240{u8"Таймаут при передаче"};
constexpr Windows1251Literal kText241{u8"Таймаут при приеме"};
constexpr Windows1251Literal kText242{u8"Неверный номер пакета при приеме"};
constexpr Windows1251Literal kText243{u8"Неверный код команды при приеме"};
constexpr Windows1251Literal kText244{u8"Ошибка контрольной суммы (CRC)"};
constexpr Windows1251Literal kText245{u8"Некорректный ответ регистратора"};
constexpr Windows1251Literal kText246{u8"Ошибка ожидания сигнала CTS"};
constexpr Windows1251Literal kText247{u8"Слишком длинная команда"};

constexpr Windows1251Literal kWrongState{u8"Неверное состояние фискального принтера"};

struct ErrorEntry {
    protocol::Result code;
    std::int32_t level;
    std::string_view text;
};

// Sorted by code.
constexpr ErrorEntry kErrors[] = {
    {1, kRecoverable, kText1},     {2, kFatal, kText2},
    {3, kRecoverable, kText3},     {4, kRecoverable, kText4},
    {5, kRecoverable, kText5},     {6, kFatal, kText6},
    {7, kRecoverable, kText7},     {8, kRecoverable, kText8},
    {9, kRecoverable, kText9},     {10, kRecoverable, kText10},
    {11, kRecoverable, kText11},   {12, kRecoverable, kText12},
    {13, kFatal, kText13},         {14, kRecoverable, kText14},
    {15, kRecoverable, kText15},   {32, kBlocked, kText32},
    {33, kBlocked, kText33},       {65, kRecoverable, kText65},
    {66, kBlocked, kText66},       {67, kBlocked, kText67},
    {68, kBlocked, kText68},       {69, kBlocked, kText69},
    {70, kBlocked, kText70},       {71, kRecoverable, kText71},
    {72, kRecoverable, kText72},   {73, kRecoverable, kText73},
    {74, kBlocked, kText74},       {75, kBlocked, kText75},
    {80, kBlocked, kText80},       {81, kBlocked, kText81},
    {82, kBlocked, kText82},       {84, kBlocked, kText84},
    {85, kBlocked, kText85},       {86, kBlocked, kText86},
    {87, kBlocked, kText87},       {96, kBlocked, kText96},
    {97, kBlocked, kText97},       {98, kBlocked, kText98},
    {99, kBlocked, kText99},       {100, kBlocked, kText100},
    {114, kBlocked, kText114},     {115, kBlocked, kText115},
    {116, kBlocked, kText116},     {117, kBlocked, kText117},
    {124, kBlocked, kText124},     {126, kBlocked, kText126},
    {240, kBlocked, kText240},     {241, kRecoverable, kText241},
    {242, kRecoverable, kText242}, {243, kRecoverable, kText243},
    {244, kRecoverable, kText244}, {245, kRecoverable, kText245},
    {246, kRecoverable, kText246}, {protocol::result::RequestTooLong, kRecoverable, kText247},
};

static_assert(std::is_sorted(std::begin(kErrors), std::end(kErrors),
                             [](const ErrorEntry& a, const ErrorEntry& b) {
                                 return a.code < b.code;
                             }));

const ErrorEntry* findError(protocol::Result code) {
    const auto* found = std::lower_bound(
        std::begin(kErrors), std::end(kErrors), code,
        [](const ErrorEntry& entry, protocol::Result c) { return entry.code < c; });
    return found != std::end(kErrors) && found->code == code ? found : nullptr;
}

}  // namespace

void TSOZirok::resetErrorState() {
    props_.setNumber(pidx::State, opos::S_IDLE);
    props_.setNumber(pidx::ResultCode, opos::SUCCESS);
    props_.setString(pidx::CheckHealthText, {});
    props_.setNumber(pidx::ResultCodeExtended, 0);
    props_.setString(pidx::FptrErrorString, {});
    props_.setNumber(pidx::FptrErrorLevel, fptr::EL_NONE);
}

std::int32_t TSOZirok::GetSystemError(protocol::Result code) {
    resetErrorState();
    if (code == protocol::result::Ok) return opos::SUCCESS;

    logInfo("GetSystemError Error<>0 (" + std::to_string(code) + ")");
    props_.setNumber(pidx::ResultCodeExtended, code);
    props_.setNumber(pidx::FptrErrorLevel, fptr::EL_FATAL);
    // A code without an entry still fails the call, but leaves ResultCode 0
    // and no words: the application sees only the register's number.
    std::string_view text;
    if (const ErrorEntry* entry = findError(code)) {
        text = entry->text;
        props_.setNumber(pidx::FptrErrorLevel, entry->level);
        props_.setNumber(pidx::ResultCode, opos::E_EXTENDED);
        const std::u16string wide = platform::ansiToWide(text);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
    }

    std::string report = "GetSystemError Error found \r\n";
    report += "\tSet CommonPropertyNumber[PIDX_ResultCode] := ";
    report += std::to_string(props_.number(pidx::ResultCode));
    report += "\r\n\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := ";
    report += std::to_string(props_.number(pidx::ResultCodeExtended));
    report += "\r\n\tSet CommonPropertyString[PIDX_CheckHealthText] := '";
    report += text;
    report +=
        "'\r\n\tSet PropertyString[PIDXFptr_ErrorString] :=  "
        "CommonPropertyString[PIDX_CheckHealthText]";
    logError(report);

    sendError(props_.number(pidx::ResultCode), props_.number(pidx::ResultCodeExtended),
              props_.number(pidx::FptrErrorLevel));
    return opos::E_EXTENDED;
}

std::int32_t TSOZirok::wrongState(bool withText) {
    props_.setNumber(pidx::ResultCode, opos::E_EXTENDED);
    props_.setNumber(pidx::ResultCodeExtended, efptr::WRONG_STATE);
    if (withText) {
        const std::u16string wide = platform::ansiToWide(kWrongState);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
    }
    return opos::E_EXTENDED;
}

std::int32_t TSOZirok::notSupported(const std::string& text) {
    props_.setNumber(pidx::ResultCode, opos::E_ILLEGAL);
    if (!text.empty()) {
        const std::u16string wide = platform::ansiToWide(text);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
    }
    return opos::E_ILLEGAL;
}

}  // namespace zirok::so
