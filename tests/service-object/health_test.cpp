// CheckHealth: the register's status words in words, and what it reports
// through the result properties while the call itself succeeds.
#include <gtest/gtest.h>

#include "tests/service-object/core_fixture.hpp"

namespace zirok::so::testing {
namespace {

using Health = RegisterTest;

struct Case {
    const char* name;
    const char* fatal;
    const char* flags;
    const char* doc;
    const char* printer;  // nullptr: the printer is not asked
    std::u16string health;
    std::u16string errors;
    std::int32_t resultCode;
    std::int32_t extended;
    std::int32_t level;
};

TEST_F(Health, StatusWordsBecomeTheHealthText) {
    const Case cases[] = {
        {"all clear", "0", "0", "0", "0", u"", u"", 0, 0, 1},
        {"fatal bits alone count", "65", "12", "129", nullptr,
         u"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА NVR\r\nФАТАЛЬНАЯ ОШИБКА ЭКЛЗ",
         u"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА NVR\r\nФАТАЛЬНАЯ ОШИБКА ЭКЛЗ", 114, 208, 3},
        {"every fatal bit", "255", "0", "0", nullptr,
         u"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА NVR\r\nНЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА В КОНФИГУРАЦИИ\r\n"
         u"ОШИБКА ИНТЕРФЕЙСА С ФП\r\nНЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА ФИСКАЛЬНОЙ ПАМЯТИ\r\n"
         u"ОШИБКА ЗАПИСИ В ФИСКАЛЬНУЮ ПАМЯТЬ\r\nФИСКАЛЬНЫЙ МОДУЛЬ НЕ АВТОРИЗОВАН\r\n"
         u"ФАТАЛЬНАЯ ОШИБКА ЭКЛЗ\r\nРАСХОЖДЕНИЕ ДАННЫХ ФР И ЭКЛЗ",
         u"НЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА NVR\r\nНЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА В КОНФИГУРАЦИИ\r\n"
         u"ОШИБКА ИНТЕРФЕЙСА С ФП\r\nНЕВЕРНАЯ КОНТРОЛЬНАЯ СУММА ФИСКАЛЬНОЙ ПАМЯТИ\r\n"
         u"ОШИБКА ЗАПИСИ В ФИСКАЛЬНУЮ ПАМЯТЬ\r\nФИСКАЛЬНЫЙ МОДУЛЬ НЕ АВТОРИЗОВАН\r\n"
         u"ФАТАЛЬНАЯ ОШИБКА ЭКЛЗ\r\nРАСХОЖДЕНИЕ ДАННЫХ ФР И ЭКЛЗ",
         114, 208, 3},
        {"shift open and over a day", "0", "12", "0", "0",
         u"СМЕНА ОТКРЫТА\r\nСМЕНА БОЛЬШЕ 24 ЧАСОВ", u"СМЕНА БОЛЬШЕ 24 ЧАСОВ", 114, 224, 4},
        {"informing bits only", "0", "6", "0", "0", u"НЕФИСКАЛЬНЫЙ РЕЖИМ\r\nСМЕНА ОТКРЫТА", u"", 0,
         0, 1},
        {"the last error bit sets the codes", "0", "49", "0", "0",
         u"НЕ БЫЛА ВЫЗВАНА ФУНКЦИЯ \"НАЧАЛО РАБОТЫ\"\r\nАРХИВ ЭКЛЗ ЗАКРЫТ\r\nЭКЛЗ НЕ АКТИВИРОВАНА",
         u"НЕ БЫЛА ВЫЗВАНА ФУНКЦИЯ \"НАЧАЛО РАБОТЫ\"\r\nАРХИВ ЭКЛЗ ЗАКРЫТ\r\nЭКЛЗ НЕ АКТИВИРОВАНА",
         114, 207, 3},
        {"every flag bit", "0", "511", "0", "0",
         u"НЕ БЫЛА ВЫЗВАНА ФУНКЦИЯ \"НАЧАЛО РАБОТЫ\"\r\nНЕФИСКАЛЬНЫЙ РЕЖИМ\r\nСМЕНА ОТКРЫТА\r\n"
         u"СМЕНА БОЛЬШЕ 24 ЧАСОВ\r\nАРХИВ ЭКЛЗ ЗАКРЫТ\r\nЭКЛЗ НЕ АКТИВИРОВАНА\r\n"
         u"НЕТ ПАМЯТИ ДЛЯ ЗАКРЫТИЯ СМЕНЫ В ФП\r\nБЫЛ ВВЕДЕН НЕВЕРНЫЙ ПАРОЛЬ ДОСТУПА К ФП\r\n"
         u"НЕ БЫЛО ЗАВЕРШЕНО ЗАКРЫТИЕ СМЕНЫ, НЕОБХОДИМО ПОВТОРИТЬ ОПЕРАЦИЮ",
         u"НЕ БЫЛА ВЫЗВАНА ФУНКЦИЯ \"НАЧАЛО РАБОТЫ\"\r\nСМЕНА БОЛЬШЕ 24 ЧАСОВ\r\n"
         u"АРХИВ ЭКЛЗ ЗАКРЫТ\r\nЭКЛЗ НЕ АКТИВИРОВАНА\r\nНЕТ ПАМЯТИ ДЛЯ ЗАКРЫТИЯ СМЕНЫ В ФП\r\n"
         u"БЫЛ ВВЕДЕН НЕВЕРНЫЙ ПАРОЛЬ ДОСТУПА К ФП\r\n"
         u"НЕ БЫЛО ЗАВЕРШЕНО ЗАКРЫТИЕ СМЕНЫ, НЕОБХОДИМО ПОВТОРИТЬ ОПЕРАЦИЮ",
         114, 224, 4},
        {"document to close and printer words", "0", "0", "129", "6",
         u"ДОКУМЕНТ ЗАКРЫТ В ФН\r\nВ ПРИНТЕРЕ НЕТ БУМАГИ ИЛИ ОТКРЫТА КРЫШКА ПРИНТЕРА", u"", 0, 0,
         1},
        {"printer words alone", "0", "0", "0", "1", u"ПРИНТЕР НЕ ГОТОВ", u"", 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script({{0x00, "", {c.fatal, c.flags, c.doc}}, {0x04, "", {c.printer ? c.printer : "0"}}});
        requests.clear();
        EXPECT_EQ(zirok->CheckHealth(opos::CH_INTERNAL), opos::SUCCESS);
        EXPECT_EQ(text(pidx::CheckHealthText), c.health);
        EXPECT_EQ(text(pidx::FptrErrorString), c.errors);
        EXPECT_EQ(number(pidx::ResultCode), c.resultCode);
        EXPECT_EQ(number(pidx::ResultCodeExtended), c.extended);
        EXPECT_EQ(number(pidx::FptrErrorLevel), c.level);
        EXPECT_EQ(requests.size(), c.printer ? 2u : 1u);
    }
}

TEST_F(Health, StatusUpdatesShiftDocumentAndSensors) {
    zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    script({{0x00, "", {"0", "4", "1"}}, {0x04, "", {"6"}}});
    zirok->CheckHealth(opos::CH_INTERNAL);
    EXPECT_EQ(number(pidx::FptrDayOpened), 1);
    EXPECT_EQ(zirok->printerState(), fptr::PS_NONFISCAL);
    EXPECT_EQ(number(pidx::FptrRecEmpty), 1);
    EXPECT_EQ(number(pidx::FptrCoverOpen), 1);

    // An open receipt leaves the printer state to the receipt; a clear
    // printer word leaves the sensors as they were.
    script({{0x00, "", {"0", "0", "2"}}, {0x04, "", {"0"}}});
    zirok->CheckHealth(opos::CH_INTERNAL);
    EXPECT_EQ(number(pidx::FptrDayOpened), 0);
    EXPECT_EQ(zirok->printerState(), fptr::PS_NONFISCAL);
    EXPECT_EQ(number(pidx::FptrRecEmpty), 1);

    script({{0x00, "", {"0", "0", "0"}}});
    zirok->CheckHealth(opos::CH_INTERNAL);
    EXPECT_EQ(zirok->printerState(), fptr::PS_MONITOR);
}

TEST_F(Health, AFreshRegisterNeedsItsWorkingDayStarted) {
    // The emulator's own status: the working day is not started after power-on.
    EXPECT_EQ(zirok->CheckHealth(opos::CH_INTERNAL), opos::SUCCESS);
    EXPECT_EQ(text(pidx::CheckHealthText), u"ФАТАЛЬНАЯ ОШИБКА ЭКЛЗ");
    EXPECT_EQ(number(pidx::ResultCodeExtended), efptr::TECHNICAL_ASSISTANCE);
}

TEST_F(Health, OnlyTheInternalLevelIsServed) {
    TraceCapture trace(*zirok);
    markTraffic();
    for (std::int32_t level : {opos::CH_EXTERNAL, opos::CH_INTERACTIVE, 0}) {
        EXPECT_EQ(zirok->CheckHealth(level), opos::E_ILLEGAL);
        EXPECT_EQ(number(pidx::ResultCode), 0);
        EXPECT_EQ(number(pidx::State), opos::S_IDLE);
    }
    EXPECT_EQ(traffic(), 0u);
    const auto messages = trace.messages();
    ASSERT_GE(messages.size(), 3u);
    const std::vector<std::string> first(messages.begin(), messages.begin() + 3);
    EXPECT_EQ(first, (std::vector<std::string>{"Begin CheckHealth", "Level=2", "End CheckHealth"}));
}

TEST_F(Health, AFailedStatusIsMappedAFailedPrinterQueryIsNot) {
    reg->faults.add(emulator::parseFault("00:silent:once"));
    EXPECT_EQ(zirok->CheckHealth(opos::CH_INTERNAL), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 241);
    EXPECT_EQ(text(pidx::FptrErrorString), u"Таймаут при приеме");

    // The printer's own error number comes back as it is; what the status
    // words said still stands.
    script({{0x00, "", {"0", "12", "0"}}, {0x04, "", {}, 9}});
    EXPECT_EQ(zirok->CheckHealth(opos::CH_INTERNAL), 9);
    EXPECT_EQ(number(pidx::ResultCode), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), efptr::DAY_END_REQUIRED);
    EXPECT_EQ(text(pidx::CheckHealthText), u"СМЕНА ОТКРЫТА\r\nСМЕНА БОЛЬШЕ 24 ЧАСОВ");
}

TEST_F(Health, TracesWhatItFound) {
    TraceCapture trace(*zirok);
    script({{0x00, "", {"0", "4", "128"}}, {0x04, "", {"0"}}});
    zirok->CheckHealth(opos::CH_INTERNAL);
    const std::vector<std::string> expected = {
        "Begin CheckHealth",
        "Level=1",
        "(Status.doc and bit7 = bit7) => Need to call DocumentClose",
        "CheckHealthText := " + ansi(u"СМЕНА ОТКРЫТА\r\nДОКУМЕНТ ЗАКРЫТ В ФН"),
        "End CheckHealth",
    };
    EXPECT_EQ(trace.messages(), expected);
}

}  // namespace
}  // namespace zirok::so::testing
