#include "emulator/printouts.hpp"

#include <algorithm>
#include <cstdio>

#include "emulator/cp866_text.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/tape.hpp"
#include "emulator/tlv.hpp"

namespace zirok::emulator {

namespace {

using tape::leftRight;
using tape::print;

constexpr std::uint32_t kPrintLogoBit = 0x04;

std::string device(std::string_view cp866) {
    return cp866ToUtf8(cp866);
}

std::string amount(Kopecks value) {
    return "=" + formatKopecks(value);
}

const char* titleOf(DocumentType type) {
    switch (type) {
        case DocumentType::Service:
            return "НЕФИСКАЛЬНЫЙ ДОКУМЕНТ";
        case DocumentType::Sale:
            return "ПРИХОД";
        case DocumentType::Return:
            return "ВОЗВРАТ ПРИХОДА";
        case DocumentType::Purchase:
            return "РАСХОД";
        case DocumentType::PurchaseReturn:
            return "ВОЗВРАТ РАСХОДА";
        case DocumentType::CashIn:
            return "ВНЕСЕНИЕ";
        case DocumentType::CashOut:
            return "ВЫПЛАТА";
        case DocumentType::None:
            break;
    }
    return "";
}

const char* taxSystemName(std::uint32_t bit) {
    switch (bit) {
        case 1:
            return "ОСН";
        case 2:
            return "УСН доход";
        case 4:
            return "УСН доход - расход";
        case 8:
            return "ЕНВД";
        case 16:
            return "ЕСХН";
        case 32:
            return "ПАТЕНТ";
        default:
            return "?";
    }
}

// Bits of a marking code's check: 0 checked by the storage, 1 found valid by
// it, 2 checked by the marking service, 3 found valid by it.
std::string markLabel(int result) {
    std::string label = "[M]";
    if ((result & 0x0A) == 0x0A) label = "[M+]";
    if ((result & 0x04) != 0 && (result & 0x08) == 0) label = "[M-]";
    if ((result & 0x01) != 0 && (result & 0x02) == 0) label = "[M-]";
    return label;
}

}  // namespace

std::string priceText(std::int64_t micro) {
    std::string text = formatScaled(micro, 6);
    while (text.size() > 3 && text.back() == '0' && text[text.size() - 3] != '.') text.pop_back();
    return text;
}

std::string quantityText(const Item& item) {
    if (item.denominator > 0) {
        return std::to_string(item.numerator) + "/" + std::to_string(item.denominator);
    }
    return formatScaled(item.quantity, 3);
}

void printDocumentHead(RegisterState& state, const Document& document) {
    print(state, tape::rule('='));
    if (!state.logo.empty() && (state.tables.integer(table::kPrintOptions) & kPrintLogoBit) != 0) {
        print(state, tape::centered("[ЛОГОТИП]"));
    }
    for (int line = 0; line <= 9; ++line) {
        const std::string text = state.tables.text(table::kHeader, line);
        if (!text.empty()) print(state, tape::centered(device(text)));
    }
    if (isReceipt(document.type)) print(state, tape::centered("КАССОВЫЙ ЧЕК"));
    print(state, tape::centered(titleOf(document.type)));
    if (document.reference != 0) {
        print(state, tape::centered("ПОВТОР ДОКУМЕНТА ФД " + std::to_string(document.reference)));
    }
}

void printItem(RegisterState& state, const Item& item, std::size_t number) {
    print(state, std::to_string(number) + ". " + device(item.name));
    const Kopecks gross = grossOf(item);
    print(state, leftRight("   " + quantityText(item) + " x " + priceText(item.priceMicro),
                           amount(gross)));
    if (item.adjustmentSign == kAdjustmentDiscount) {
        print(state, leftRight("   СКИДКА", "-" + formatKopecks(item.adjustment)));
    } else if (item.adjustmentSign == kAdjustmentSurcharge) {
        print(state, leftRight("   НАДБАВКА", "+" + formatKopecks(item.adjustment)));
    }
    if (!item.extraText.empty()) print(state, "   " + device(item.extraText));
    if (item.printTax) {
        print(state,
              leftRight("   " + device(state.tables.text(table::kTaxNames, item.taxIndex)),
                        amount(vatOf(lineAmountOf(item), state.tables.taxRate(item.taxIndex)))));
    }
    if (item.mark) print(state, "   " + markLabel(item.mark->result));
}

void printVoid(RegisterState& state, const Item& item, std::int64_t quantity, Kopecks sum) {
    print(state, "СТОРНО " + device(item.name));
    print(state, leftRight("   " + formatScaled(quantity, 3) + " x " + priceText(item.priceMicro),
                           "-" + formatKopecks(sum)));
}

void printReceiptAdjustment(RegisterState& state, const ReceiptAdjustment& adjustment) {
    const std::string name = adjustment.name.empty()
                                 ? std::string(adjustment.discount ? "СКИДКА" : "НАДБАВКА")
                                 : device(adjustment.name);
    print(state,
          leftRight(name, (adjustment.discount ? "-" : "+") + formatKopecks(adjustment.amount)));
}

void printReceiptEnd(RegisterState& state, const Document& document, const ReceiptTotals& totals,
                     const StoredDocument& stored, bool cut) {
    print(state, tape::rule());
    print(state, leftRight("ИТОГ", amount(totals.total)));
    for (const Payment& payment : document.payments) {
        print(state, leftRight(device(state.tables.text(table::kPaymentNames, payment.type)),
                               amount(payment.amount)));
    }
    if (totals.change > 0) print(state, leftRight("СДАЧА", amount(totals.change)));
    for (const std::string& block : stored.blocks) {
        for (const tlv::Entry& entry : tlv::entries(block)) {
            if (entry.tag < 1102 || entry.tag > 1107) continue;
            static constexpr const char* kVatLabels[] = {"СУММА НДС 20%",    "СУММА НДС 10%",
                                                         "СУММА С НДС 0%",   "СУММА БЕЗ НДС",
                                                         "СУММА НДС 20/120", "СУММА НДС 10/110"};
            print(state, leftRight(kVatLabels[entry.tag - 1102],
                                   amount(static_cast<Kopecks>(tlv::unsignedOf(entry.value)))));
        }
    }
    print(state, leftRight("СНО", taxSystemName(taxSystemBitOf(state, document.taxSystem))));
    if (!document.cashier.empty()) print(state, leftRight("КАССИР", device(document.cashier)));
    for (const Requisite& requisite : document.requisites) {
        if ((requisite.flag & 64) == 0) {
            print(state, device(requisite.label) + device(requisite.value));
        }
    }
    for (const std::string& text : document.closingTexts) {
        if (!text.empty()) print(state, device(text));
    }
    print(state, leftRight("СМЕНА " + std::to_string(stored.shift),
                           "ЧЕК " + std::to_string(stored.receiptNumber)));
    print(state, leftRight(printedDateTime(stored.when), "ЗН ККТ " + state.identity.serialNumber));
    print(state, leftRight("ФН " + state.identity.fnNumber, "ФД " + std::to_string(stored.number)));
    print(state, "ФП " + std::to_string(stored.sign));
    printBarcode(state, 8, checkString(state, stored));
    printDocumentEnd(state, cut);
}

void printDocumentEnd(RegisterState& state, bool cut) {
    for (int line = 0; line <= 9; ++line) {
        const std::string text = state.tables.text(table::kTrailer, line);
        if (!text.empty()) print(state, tape::centered(device(text)));
    }
    if (cut) print(state, tape::rule('~'));
}

void printAnnulled(RegisterState& state) {
    print(state, tape::centered("*** ДОКУМЕНТ АННУЛИРОВАН ***"));
    print(state, tape::rule('~'));
}

std::string checkString(const RegisterState& state, const StoredDocument& stored) {
    const CivilTime c = civilOf(stored.when);
    char when[32];
    std::snprintf(when, sizeof when, "%04d%02d%02dT%02d%02d", c.year, c.month, c.day, c.hour,
                  c.minute);
    return std::string("t=") + when + "&s=" + formatKopecks(stored.total) +
           "&fn=" + state.identity.fnNumber + "&i=" + std::to_string(stored.number) +
           "&fp=" + std::to_string(stored.sign) +
           "&n=" + std::to_string(calculationSignOf(stored.receiptType));
}

void printBarcode(RegisterState& state, int symbology, std::string_view data) {
    static constexpr const char* kNames[] = {"UPC-A", "UPC-E",   "EAN-13", "EAN-8", "CODE 39",
                                             "ITF",   "CODABAR", "?",      "QR",    "CODE 128"};
    const char* name = symbology >= 0 && symbology <= 9 ? kNames[symbology] : "?";
    // QR texts come as UTF-8 or in the device code page; show them readable either way.
    bool ascii = true;
    for (char c : data) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    std::string shown(data);
    if (!ascii && symbology != 8) shown = device(data);
    print(state, "[" + std::string(name) + ": " + shown + "]");
}

void printPicture(RegisterState& state, const Picture& picture, std::string_view caption) {
    print(state, "[" + std::string(caption) + " " + std::to_string(picture.width) + "x" +
                     std::to_string(picture.height) + "]");
    if (picture.width <= 0 || picture.height <= 0) return;
    // A coarse preview: one character for a block of dots, dark when any dot in it is.
    const int rowBytes = picture.width / 8;
    const int columns = std::min<int>(static_cast<int>(tape::kWidth), picture.width);
    const int blockWidth = (picture.width + columns - 1) / columns;
    const int blockHeight = blockWidth * 2;
    for (int top = 0; top < picture.height; top += blockHeight) {
        std::string line;
        for (int left = 0; left < picture.width; left += blockWidth) {
            bool dark = false;
            for (int y = top; y < std::min(top + blockHeight, picture.height) && !dark; ++y) {
                for (int x = left; x < std::min(left + blockWidth, picture.width) && !dark; ++x) {
                    const auto byte = static_cast<unsigned char>(
                        picture.raster[static_cast<std::size_t>(y * rowBytes + x / 8)]);
                    dark = (byte >> (7 - x % 8) & 1) != 0;
                }
            }
            line += dark ? '#' : ' ';
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        print(state, line);
    }
}

}  // namespace zirok::emulator
