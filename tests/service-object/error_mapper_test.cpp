// The result protocol: the register's and the link's codes as the
// application sees them, the trace they leave, and the event they raise.
#include <gtest/gtest.h>

#include "tests/service-object/core_fixture.hpp"

namespace zirok::so::testing {
namespace {

struct Mapped {
    protocol::Result code;
    std::int32_t level;
    std::u16string text;
};

// Every code with words, as the application must see them.
const std::vector<Mapped>& knownCodes() {
    static const std::vector<Mapped> table = {
        {1, 2, u"Функция невыполнима при данном статусе ККМ"},
        {2, 3, u"В команде указан неверный номер функции"},
        {3, 2, u"Некорректный формат или параметр команды"},
        {4, 2, u"Переполнение буфера коммуникационного порта"},
        {5, 2, u"Таймаут при передаче байта информации"},
        {6, 3, u"В протоколе указан неверный пароль"},
        {7, 2, u"Ошибка контрольной суммы в команде"},
        {8, 2, u"Конец бумаги"},
        {9, 2, u"Принтер не готов"},
        {10, 2, u"Текущая смена больше 24 часов"},
        {11, 2, u"Разница во времени, ККМ и указанной в команде начала работы, больше 8 минут"},
        {12, 2, u"Вводимая дата более ранняя, чем дата последней фискальной операции"},
        {13, 3, u"Неверный пароль доступа к ФП"},
        {14, 2, u"Отрицательный результат"},
        {15, 2, u"Для выполнения команды необходимо закрыть смену"},
        {32, 4, u"Фатальная ошибка ККТ"},
        {33, 4, u"Нет свободного места в фискальной памяти ККТ"},
        {65, 2, u"Некорректный  формат или параметр команды ФН"},
        {66, 4, u"Некорректное состояние ФН"},
        {67, 4, u"Ошибка ФН"},
        {68, 4, u"Ошибка КС (Криптографического сопроцессора) в составе ФН"},
        {69, 4, u"Исчерпан временной ресурс использования ФН"},
        {70, 4, u"ФН переполнен"},
        {71, 2, u"Неверные дата или время"},
        {72, 2, u"Нет запрошенных данных"},
        {73, 2, u"Некорректные параметры команды"},
        {74, 4, u"Нет ответа от ФН"},
        {75, 4, u"Ошибка при обмене данными с ФН"},
        {80, 4, u"Превышен размер данных TLV"},
        {81, 4, u"Нет транспортного соединения"},
        {82, 4, u"Исчерпан ресурс КС"},
        {84, 4, u"Ресурс хранения для документов для ОФД исчерпан/Нет ответа ОФД"},
        {85, 4, u"Время нахождения в очереди самого старого сообщения более 30 дней"},
        {86, 4, u"Продолжительность смены ФН более 24 часов"},
        {87, 4, u"Разница более чем на 5 минут от внутреннего таймера ФН"},
        {96, 4, u"Неверное сообщение от ОФД"},
        {97, 4, u"Нет связи с ФН"},
        {98, 4, u"Ошибка обмена с ФН"},
        {99, 4, u"Слишком длинная команда для посылки в ФН"},
        {100, 4, u"Неизвестный ответ сервиса обновления ключей проверки"},
        {114, 4,
         u"Запрещена работа с маркированным товарами. При активации ФН 1.2 не был установлен "
         u"признак работы с маркированными товарами"},
        {115, 4, u"Нарушена правильная последовательность подачи команд для обработки КМ товаров"},
        {116, 4,
         u"Работа с КМ товарами заблокирована, необходимо выгрузить сформированные уведомления"},
        {117, 4, u"Переполнена таблица хранения КМ"},
        {124, 4, u"В переданном блоке данных, отсутствуют необходимые реквизиты"},
        {126, 4, u"В реквизите 2007 содержится КМ, который ранее не проверялся в ФН"},
        {240, 4, u"Таймаут при передаче"},
        {241, 2, u"Таймаут при приеме"},
        {242, 2, u"Неверный номер пакета при приеме"},
        {243, 2, u"Неверный код команды при приеме"},
        {244, 2, u"Ошибка контрольной суммы (CRC)"},
        {245, 2, u"Некорректный ответ регистратора"},
        {246, 2, u"Ошибка ожидания сигнала CTS"},
        {247, 2, u"Слишком длинная команда"},
    };
    return table;
}

// Leaves every result property changed, so the mapper's reset shows.
void dirty(TSOZirok& zirok) {
    auto& p = zirok.props();
    p.setNumber(pidx::State, opos::S_CLOSED);
    p.setNumber(pidx::ResultCode, 999);
    p.setNumber(pidx::ResultCodeExtended, 999);
    p.setNumber(pidx::FptrErrorLevel, 999);
    p.setString(pidx::CheckHealthText, u"stale");
    p.setString(pidx::FptrErrorString, u"stale");
}

TEST(ErrorMapper, EveryCodeGetsItsResultLevelAndWords) {
    auto zirok = std::make_unique<Probe>();
    auto& p = zirok->props();
    std::map<protocol::Result, const Mapped*> known;
    for (const Mapped& m : knownCodes()) known[m.code] = &m;

    // Every number the register or the link can produce; a code without an
    // entry fails the call all the same, with ResultCode 0 and no words.
    for (int code = 0; code <= 300; ++code) {
        SCOPED_TRACE(code);
        dirty(*zirok);
        const std::int32_t result = zirok->GetSystemError(static_cast<protocol::Result>(code));
        EXPECT_EQ(p.number(pidx::State), opos::S_IDLE);
        const auto found = known.find(static_cast<protocol::Result>(code));
        if (code == 0) {
            EXPECT_EQ(result, opos::SUCCESS);
            EXPECT_EQ(p.number(pidx::ResultCode), 0);
            EXPECT_EQ(p.number(pidx::ResultCodeExtended), 0);
            EXPECT_EQ(p.number(pidx::FptrErrorLevel), fptr::EL_NONE);
            EXPECT_EQ(p.string(pidx::CheckHealthText), u"");
            EXPECT_EQ(p.string(pidx::FptrErrorString), u"");
        } else if (found != known.end()) {
            EXPECT_EQ(result, opos::E_EXTENDED);
            EXPECT_EQ(p.number(pidx::ResultCode), opos::E_EXTENDED);
            EXPECT_EQ(p.number(pidx::ResultCodeExtended), code);
            EXPECT_EQ(p.number(pidx::FptrErrorLevel), found->second->level);
            EXPECT_EQ(p.string(pidx::CheckHealthText), found->second->text);
            EXPECT_EQ(p.string(pidx::FptrErrorString), found->second->text);
        } else {
            EXPECT_EQ(result, opos::E_EXTENDED);
            EXPECT_EQ(p.number(pidx::ResultCode), 0);
            EXPECT_EQ(p.number(pidx::ResultCodeExtended), code);
            EXPECT_EQ(p.number(pidx::FptrErrorLevel), fptr::EL_FATAL);
            EXPECT_EQ(p.string(pidx::CheckHealthText), u"");
            EXPECT_EQ(p.string(pidx::FptrErrorString), u"");
        }
    }
}

TEST(ErrorMapper, TracesTheCodeAndWhatItSet) {
    auto zirok = std::make_unique<Probe>();
    TraceCapture trace(*zirok);
    zirok->GetSystemError(0);
    zirok->GetSystemError(241);
    zirok->GetSystemError(83);

    const std::string tail =
        "'\r\n\tSet PropertyString[PIDXFptr_ErrorString] :=  "
        "CommonPropertyString[PIDX_CheckHealthText]";
    const std::vector<std::string> expected = {
        "GetSystemError Error<>0 (241)",
        "[ERROR!] GetSystemError Error found \r\n"
        "\tSet CommonPropertyNumber[PIDX_ResultCode] := 114\r\n"
        "\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := 241\r\n"
        "\tSet CommonPropertyString[PIDX_CheckHealthText] := '" +
            ansi(u"Таймаут при приеме") + tail,
        "GetSystemError Error<>0 (83)",
        "[ERROR!] GetSystemError Error found \r\n"
        "\tSet CommonPropertyNumber[PIDX_ResultCode] := 0\r\n"
        "\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := 83\r\n"
        "\tSet CommonPropertyString[PIDX_CheckHealthText] := '" +
            tail,
    };
    EXPECT_EQ(trace.messages(), expected);
}

TEST(ErrorMapper, RaisesTheErrorEventWithWhatItSet) {
    auto zirok = std::make_unique<Probe>();
    auto control = std::make_shared<RecordingControl>();
    zirok->controlObject_ = control;
    zirok->props().setNumber(pidx::DataEventEnabled, 1);

    zirok->GetSystemError(0);
    zirok->GetSystemError(66);
    zirok->GetSystemError(83);

    ASSERT_EQ(control->calls.size(), 2u);
    EXPECT_EQ(control->calls[0].id, 3);
    EXPECT_EQ(control->calls[0].args, (std::vector<std::int32_t>{114, 66, 4, 0}));
    EXPECT_EQ(control->calls[1].args, (std::vector<std::int32_t>{0, 83, 3, 0}));
}

TEST(ErrorMapper, FailureFormsAndTheReset) {
    auto zirok = std::make_unique<Probe>();
    auto& p = zirok->props();
    const std::u16string wrongState = u"Неверное состояние фискального принтера";

    EXPECT_EQ(zirok->wrongState(), opos::E_EXTENDED);
    EXPECT_EQ(p.number(pidx::ResultCode), opos::E_EXTENDED);
    EXPECT_EQ(p.number(pidx::ResultCodeExtended), efptr::WRONG_STATE);
    EXPECT_EQ(p.string(pidx::CheckHealthText), wrongState);
    EXPECT_EQ(p.string(pidx::FptrErrorString), wrongState);

    EXPECT_EQ(zirok->ClearError(), opos::SUCCESS);
    EXPECT_EQ(zirok->wrongState(false), opos::E_EXTENDED);
    EXPECT_EQ(p.number(pidx::ResultCodeExtended), efptr::WRONG_STATE);
    EXPECT_EQ(p.string(pidx::CheckHealthText), u"");

    EXPECT_EQ(zirok->notSupported(ansi(u"Команда не поддерживается")), opos::E_ILLEGAL);
    EXPECT_EQ(p.number(pidx::ResultCode), opos::E_ILLEGAL);
    EXPECT_EQ(p.string(pidx::FptrErrorString), u"Команда не поддерживается");

    dirty(*zirok);
    EXPECT_EQ(zirok->ClearError(), opos::SUCCESS);
    EXPECT_EQ(p.number(pidx::State), opos::S_IDLE);
    EXPECT_EQ(p.number(pidx::ResultCode), 0);
    EXPECT_EQ(p.number(pidx::ResultCodeExtended), 0);
    EXPECT_EQ(p.number(pidx::FptrErrorLevel), fptr::EL_NONE);
    EXPECT_EQ(p.string(pidx::CheckHealthText), u"");
    EXPECT_EQ(p.string(pidx::FptrErrorString), u"");
}

}  // namespace
}  // namespace zirok::so::testing
