#include <cstdio>

#include "emulator/cp866_text.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/printouts.hpp"
#include "emulator/tape.hpp"
#include "emulator/tlv.hpp"

namespace zirok::emulator {

namespace {

using tape::leftRight;
using tape::print;

enum class Shown { Integer, Text, Money, Time, Quantity, Sign, Container, Raw };

struct TagLabel {
    std::uint16_t tag;
    Shown shown;
    const char* label;
};

// The tags this storage writes, with the names a copy prints them under.
constexpr TagLabel kLabels[] = {
    {1008, Shown::Text, "ТЕЛ./ЭЛ.АДР. ПОКУПАТЕЛЯ"},
    {1009, Shown::Text, "АДР. РАСЧЕТОВ"},
    {1012, Shown::Time, "ДАТА, ВРЕМЯ"},
    {1018, Shown::Text, "ИНН"},
    {1020, Shown::Money, "ИТОГ"},
    {1021, Shown::Text, "КАССИР"},
    {1023, Shown::Quantity, "КОЛ-ВО"},
    {1030, Shown::Text, "НАИМЕН."},
    {1031, Shown::Money, "НАЛИЧНЫМИ"},
    {1037, Shown::Text, "РН ККТ"},
    {1038, Shown::Integer, "СМЕНА"},
    {1040, Shown::Integer, "ФД"},
    {1041, Shown::Text, "ФН"},
    {1042, Shown::Integer, "ЧЕК"},
    {1043, Shown::Money, "СТОИМОСТЬ"},
    {1048, Shown::Text, "ПОЛЬЗОВАТЕЛЬ"},
    {1054, Shown::Integer, "ПРИЗН. РАСЧЕТА"},
    {1055, Shown::Integer, "СНО"},
    {1059, Shown::Container, "ПРЕДМ. РАСЧЕТА"},
    {1060, Shown::Text, "САЙТ ФНС"},
    {1062, Shown::Integer, "СНО"},
    {1077, Shown::Sign, "ФП"},
    {1079, Shown::Money, "ЦЕНА"},
    {1081, Shown::Money, "БЕЗНАЛИЧНЫМИ"},
    {1084, Shown::Container, "ДОП. РЕКВИЗИТ"},
    {1085, Shown::Text, "НАИМЕН."},
    {1086, Shown::Text, "ЗНАЧЕНИЕ"},
    {1097, Shown::Integer, "НЕПЕРЕДАННЫХ ФД"},
    {1102, Shown::Money, "СУММА НДС 20%"},
    {1103, Shown::Money, "СУММА НДС 10%"},
    {1104, Shown::Money, "СУММА С НДС 0%"},
    {1105, Shown::Money, "СУММА БЕЗ НДС"},
    {1106, Shown::Money, "СУММА НДС 20/120"},
    {1107, Shown::Money, "СУММА НДС 10/110"},
    {1111, Shown::Integer, "ФД ЗА СМЕНУ"},
    {1116, Shown::Integer, "ПЕРВЫЙ НЕПЕРЕДАННЫЙ ФД"},
    {1117, Shown::Text, "ЭЛ. АДР. ОТПРАВИТЕЛЯ"},
    {1118, Shown::Integer, "ЧЕКОВ ЗА СМЕНУ"},
    {1162, Shown::Raw, "КОД ТОВАРА"},
    {1173, Shown::Integer, "ТИП КОРРЕКЦИИ"},
    {1174, Shown::Container, "ОСН. ДЛЯ КОРР."},
    {1178, Shown::Time, "ДАТА СОВЕРШ. РАСЧЕТА"},
    {1179, Shown::Text, "НОМЕР ПРЕДПИСАНИЯ"},
    {1187, Shown::Text, "МЕСТО РАСЧЕТОВ"},
    {1188, Shown::Text, "ВЕР. ККТ"},
    {1189, Shown::Integer, "ФФД ККТ"},
    {1190, Shown::Integer, "ФФД ФН"},
    {1199, Shown::Integer, "СТАВКА НДС"},
    {1200, Shown::Money, "СУММА НДС"},
    {1209, Shown::Integer, "ВЕРСИЯ ФФД"},
    {1212, Shown::Integer, "ПРИЗН. ПРЕДМЕТА РАСЧ."},
    {1214, Shown::Integer, "ПРИЗН. СПОСОБА РАСЧ."},
    {1215, Shown::Money, "АВАНС"},
    {1216, Shown::Money, "КРЕДИТ"},
    {1217, Shown::Money, "ИНАЯ ФОРМА ОПЛАТЫ"},
    {1227, Shown::Text, "ПОКУПАТЕЛЬ"},
    {1228, Shown::Text, "ИНН ПОКУПАТЕЛЯ"},
    {1230, Shown::Text, "КОД СТРАНЫ"},
    {1231, Shown::Text, "ТАМОЖ. ДЕКЛАРАЦИЯ"},
    {2106, Shown::Integer, "ПРОВЕРКА КМ"},
};

const char* documentTitle(int type) {
    switch (type) {
        case fn_document::kRegistration:
            return "ОТЧЕТ О РЕГИСТРАЦИИ";
        case fn_document::kShiftOpening:
            return "ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ";
        case fn_document::kReceipt:
            return "КАССОВЫЙ ЧЕК";
        case fn_document::kShiftClosing:
            return "ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ";
        case fn_document::kReregistration:
            return "ОТЧЕТ ОБ ИЗМ. ПАРАМЕТРОВ РЕГИСТРАЦИИ";
        case fn_document::kSettlementReport:
            return "ОТЧЕТ О ТЕКУЩЕМ СОСТОЯНИИ РАСЧЕТОВ";
        case fn_document::kCorrection:
            return "КАССОВЫЙ ЧЕК КОРРЕКЦИИ";
        default:
            return "ФИСКАЛЬНЫЙ ДОКУМЕНТ";
    }
}

const TagLabel* labelOf(std::uint16_t tag) {
    for (const TagLabel& label : kLabels) {
        if (label.tag == tag) return &label;
    }
    return nullptr;
}

std::string valueText(const TagLabel& label, const std::string& value) {
    switch (label.shown) {
        case Shown::Integer:
            return std::to_string(tlv::unsignedOf(value));
        case Shown::Text:
            return cp866ToUtf8(value);
        case Shown::Money:
            return formatKopecks(static_cast<Kopecks>(tlv::unsignedOf(value)));
        case Shown::Time:
            return printedDateTime(static_cast<Moment>(tlv::unsignedOf(value)));
        case Shown::Quantity:
            return value.empty() ? ""
                                 : formatScaled(static_cast<std::int64_t>(tlv::unsignedOf(
                                                    std::string_view(value).substr(1))),
                                                static_cast<unsigned char>(value[0]));
        case Shown::Sign: {
            std::uint64_t sign = 0;
            for (std::size_t i = value.size() > 2 ? 2 : 0; i < value.size(); ++i) {
                sign = sign << 8 | static_cast<unsigned char>(value[i]);
            }
            return std::to_string(sign);
        }
        case Shown::Raw:
            return tlv::hex(value);
        case Shown::Container:
            break;
    }
    return "";
}

void printEntries(RegisterState& state, std::string_view bytes, const std::string& indent) {
    for (const tlv::Entry& entry : tlv::entries(bytes)) {
        const TagLabel* label = labelOf(entry.tag);
        if (!label) {
            print(state, indent + std::to_string(entry.tag) + ": " + tlv::hex(entry.value));
        } else if (label->shown == Shown::Container) {
            print(state, indent + label->label);
            printEntries(state, entry.value, indent + "  ");
        } else {
            print(state, leftRight(indent + label->label, valueText(*label, entry.value)));
        }
    }
}

std::string countText(int count) {
    return std::to_string(count);
}

}  // namespace

void printFiscalDocument(RegisterState& state, const StoredDocument& stored, bool copy) {
    print(state, tape::rule('='));
    if (copy) print(state, tape::centered("КОПИЯ"));
    print(state, tape::centered(documentTitle(stored.type)));
    for (const std::string& block : stored.blocks) printEntries(state, block, "");
    print(state, tape::rule('~'));
}

void printShiftTotals(RegisterState& state, std::string_view title) {
    static constexpr const char* kOperations[] = {"ПРИХОД", "РАСХОД", "ВОЗВРАТ ПРИХОДА",
                                                  "ВОЗВРАТ РАСХОДА"};
    const ShiftCounters& counters = state.shift.counters;
    print(state, tape::rule('='));
    print(state, tape::centered(title));
    print(state, leftRight("СМЕНА", std::to_string(state.shift.number)));
    print(state, leftRight("ДАТА, ВРЕМЯ", printedDateTime(state.now())));
    for (std::size_t op = 0; op < 4; ++op) {
        Kopecks sum = 0;
        for (Kopecks part : counters.byOperation[op]) sum += part;
        print(state, leftRight(std::string(kOperations[op]) + " (" +
                                   countText(counters.receipts[op]) + ")",
                               "=" + formatKopecks(sum)));
        for (std::size_t type = 0; type < 16; ++type) {
            if (counters.byOperation[op][type] == 0) continue;
            print(state, leftRight("  " + cp866ToUtf8(state.tables.text(table::kPaymentNames,
                                                                        static_cast<int>(type))),
                                   "=" + formatKopecks(counters.byOperation[op][type])));
        }
    }
    print(state, leftRight("ВНЕСЕНИЙ (" + countText(counters.cashIns) + ")",
                           "=" + formatKopecks(counters.cashInSum)));
    print(state, leftRight("ВЫПЛАТ (" + countText(counters.cashOuts) + ")",
                           "=" + formatKopecks(counters.cashOutSum)));
    print(state, leftRight("АННУЛИРОВАНО ЧЕКОВ", countText(counters.annulled)));
    print(state, leftRight("ЧЕКОВ КОРРЕКЦИИ", countText(counters.corrections)));
    print(state, leftRight("НАЛИЧНЫХ В КАССЕ", "=" + formatKopecks(state.cashInDrawer)));
}

void printPeriodicReport(RegisterState& state, Moment from, Moment to) {
    print(state, tape::rule('='));
    print(state, tape::centered("ФИСКАЛЬНЫЙ ОТЧЕТ ЗА ПЕРИОД"));
    print(state, tape::centered(printedDate(from) + " - " + printedDate(to)));
    int shifts = 0;
    std::array<Kopecks, 4> sums{};
    std::array<int, 4> counts{};
    for (const StoredDocument& stored : state.archive) {
        if (stored.when < from || stored.when >= to + kSecondsPerDay) continue;
        if (stored.type == fn_document::kShiftClosing) ++shifts;
        if (stored.type == fn_document::kReceipt) {
            const auto op = static_cast<std::size_t>(operationOf(stored.receiptType));
            sums[op] += stored.total;
            ++counts[op];
        }
    }
    print(state, leftRight("ЗАКРЫТО СМЕН", countText(shifts)));
    static constexpr const char* kOperations[] = {"ПРИХОД", "РАСХОД", "ВОЗВРАТ ПРИХОДА",
                                                  "ВОЗВРАТ РАСХОДА"};
    for (std::size_t op = 0; op < 4; ++op) {
        print(state, leftRight(std::string(kOperations[op]) + " (" + countText(counts[op]) + ")",
                               "=" + formatKopecks(sums[op])));
    }
    print(state, tape::rule('~'));
}

}  // namespace zirok::emulator
