#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/printouts.hpp"
#include "emulator/receipt_math.hpp"
#include "emulator/register_model.hpp"
#include "emulator/tape.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kWriteFieldList = 0x24;
constexpr std::uint8_t kDocumentOpen = 0x30;
constexpr std::uint8_t kDocumentClose = 0x31;
constexpr std::uint8_t kDocumentAnnul = 0x32;
constexpr std::uint8_t kDocumentOpenEx = 0x53;
constexpr std::uint8_t kWriteRequisite = 0x57;

constexpr std::uint32_t kCutFlag = 0x01;
constexpr std::size_t kMaxClosingText = 128;
constexpr std::size_t kMaxBuyerAddress = 64;
constexpr std::size_t kMaxRequisite = 256;
constexpr int kHiddenRequisite = 64;

struct Opening {
    std::uint32_t first = 0;
    int department = 1;
    std::string cashier;
    std::int64_t number = 0;
    int taxSystem = -1;
    std::int64_t reference = 0;
};

Reply openDocument(RegisterState& state, const Opening& opening) {
    if (!state.workDayStarted || state.document) return failure(device_error::kWrongState);
    const auto type = static_cast<DocumentType>(opening.first & status_bit::kDocTypeMask);
    const bool known = type >= DocumentType::Service && type <= DocumentType::PurchaseReturn;
    if (!known || (opening.first & ~(status_bit::kDocTypeMask | open_flag::kAll)) != 0 ||
        opening.taxSystem < -1 || opening.taxSystem > 5) {
        return failure(device_error::kBadParameter);
    }
    // Only the tax systems the storage was registered for.
    if (opening.taxSystem >= 0 && (state.identity.taxSystems >> opening.taxSystem & 1) == 0) {
        return failure(device_error::kBadParameter);
    }
    if (type != DocumentType::Service && !state.identity.fiscal) {
        return failure(device_error::kWrongState);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    if (type != DocumentType::Service) {
        if (const std::uint8_t error = ensureShiftOpen(state, opening.cashier)) {
            return failure(error);
        }
    }
    Document document;
    document.type = type;
    document.flags = opening.first & open_flag::kAll;
    document.department = opening.department;
    document.cashier = opening.cashier;
    document.number = opening.number;
    document.taxSystem = opening.taxSystem;
    document.reference = opening.reference;
    state.document = std::move(document);
    printDocumentHead(state, *state.document);
    return answer({});
}

Reply documentOpen(RegisterState& state, const Request& request) {
    const FieldReader fields(request);
    const auto first = fields.integer(0);
    const auto second = fields.integerOr(1, 1);
    const auto number = fields.integerOr(3, 0);
    const auto taxSystem = fields.integerOr(4, -1);
    if (!first || *first < 0 || !second || !number || !taxSystem) {
        return failure(device_error::kBadParameter);
    }
    return openDocument(
        state, Opening{static_cast<std::uint32_t>(*first), static_cast<int>(*second),
                       std::string(fields.text(2)), *number, static_cast<int>(*taxSystem), 0});
}

// Opens a receipt issued again from a stored one; the stored date and time
// fields are not used, the document is dated now.
Reply documentOpenEx(RegisterState& state, const Request& request) {
    const FieldReader fields(request);
    const auto first = fields.integer(0);
    const auto department = fields.integerOr(1, 1);
    const auto reference = fields.integerOr(7, 0);
    if (!first || *first < 0 || !department || !reference) {
        return failure(device_error::kBadParameter);
    }
    return openDocument(state,
                        Opening{static_cast<std::uint32_t>(*first), static_cast<int>(*department),
                                std::string(fields.text(2)), 0, -1, *reference});
}

void countReceipt(RegisterState& state, const Document& document, const ReceiptTotals& totals,
                  const StoredDocument& stored) {
    const auto op = static_cast<std::size_t>(operationOf(document.type));
    ShiftCounters& counters = state.shift.counters;
    ++counters.receipts[op];
    for (std::size_t type = 0; type < 16; ++type) {
        counters.byOperation[op][type] += totals.byPaymentType[type];
    }
    counters.discounts[op] += totals.itemDiscounts + totals.receiptDiscounts;
    counters.markups[op] += totals.itemSurcharges + totals.receiptSurcharges;
    for (std::size_t i = 0; i < document.items.size(); ++i) {
        const int index = document.items[i].taxIndex;
        counters.taxes[op][static_cast<std::size_t>(index)] +=
            vatOf(totals.finalAmounts[i], state.tables.taxRate(index));
    }
    state.grandTotals[op] += stored.total;
    // Sales and purchase returns bring cash in; returns of sales and purchases pay it out.
    const bool cashIn =
        document.type == DocumentType::Sale || document.type == DocumentType::PurchaseReturn;
    state.cashInDrawer += cashIn ? totals.byPaymentType[0] : -totals.byPaymentType[0];
}

void finishDocument(RegisterState& state) {
    state.document.reset();
    state.marking.forNextItem.reset();
    state.marking.attachedInReceipt = 0;
}

Reply closeCashDocument(RegisterState& state, bool cut) {
    Document& document = *state.document;
    if (document.cashAmount == 0) return failure(device_error::kWrongState);
    if (const std::uint8_t error = printerError(state)) return failure(error);
    ShiftCounters& counters = state.shift.counters;
    if (document.type == DocumentType::CashIn) {
        ++counters.cashIns;
        counters.cashInSum += document.cashAmount;
        state.cashInDrawer += document.cashAmount;
    } else {
        ++counters.cashOuts;
        counters.cashOutSum += document.cashAmount;
        state.cashInDrawer -= document.cashAmount;
    }
    tape::print(state, tape::leftRight("ИТОГ", "=" + formatKopecks(document.cashAmount)));
    tape::print(state,
                tape::leftRight("НАЛИЧНЫХ В КАССЕ", "=" + formatKopecks(state.cashInDrawer)));
    printDocumentEnd(state, cut);
    finishDocument(state);
    return answer({});
}

Reply closeReceipt(RegisterState& state, const FieldReader& fields, bool cut) {
    Document& document = *state.document;
    if (document.items.empty()) return failure(device_error::kWrongState);
    const ReceiptTotals totals = totalsOf(document);
    if (dueOf(totals) > 0) return failure(device_error::kWrongState);
    // Buyer's address, attribute pair A, attribute pair B, then the four
    // additional attributes.
    std::vector<std::string> texts{std::string(fields.text(1))};
    for (std::size_t i : {6, 7, 8, 9, 11, 12, 13, 14}) texts.emplace_back(fields.text(i));
    if (texts[0].size() > kMaxBuyerAddress) return failure(device_error::kBadParameter);
    for (const std::string& text : texts) {
        if (text.size() > kMaxClosingText) return failure(device_error::kBadParameter);
    }
    if (state.coverOpen) return failure(device_error::kPrinterNotReady);

    document.closingTexts = std::move(texts);
    const StoredDocument& stored = storeReceipt(state, document, totals);
    countReceipt(state, document, totals, stored);
    if (state.paperOut) {
        // The storage has the receipt; the paper will get its end later.
        document.awaitingClose = true;
        document.archivedNumber = stored.number;
        return failure(device_error::kPaperOut);
    }
    printReceiptEnd(state, document, totals, stored, cut);
    const std::string number = std::to_string(stored.number);
    const std::string sign = std::to_string(stored.sign);
    finishDocument(state);
    return answer({number, sign});
}

Reply documentClose(RegisterState& state, const Request& request) {
    if (!state.document) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    const auto flags = fields.integerOr(0, 1);
    if (!flags) return failure(device_error::kBadParameter);
    const bool cut = (*flags & kCutFlag) != 0;
    Document& document = *state.document;

    if (document.awaitingClose) {
        if (const std::uint8_t error = printerError(state)) return failure(error);
        const StoredDocument* stored = state.stored(document.archivedNumber);
        if (stored) printReceiptEnd(state, document, totalsOf(document), *stored, cut);
        finishDocument(state);
        return answer({});
    }
    switch (document.type) {
        case DocumentType::Service:
            if (const std::uint8_t error = printerError(state)) return failure(error);
            printDocumentEnd(state, cut);
            ++state.shift.counters.serviceDocuments;
            finishDocument(state);
            return answer({});
        case DocumentType::CashIn:
        case DocumentType::CashOut:
            return closeCashDocument(state, cut);
        default:
            return closeReceipt(state, fields, cut);
    }
}

Reply documentAnnul(RegisterState& state, const Request&) {
    // Once in the fiscal storage a receipt can no longer be taken back.
    if (!state.document || state.document->awaitingClose) {
        return failure(device_error::kWrongState);
    }
    if (isReceipt(state.document->type)) ++state.shift.counters.annulled;
    printAnnulled(state);
    finishDocument(state);
    return answer({});
}

Reply writeRequisite(RegisterState& state, const Request& request) {
    if (!state.document || !isReceipt(state.document->type) || state.document->awaitingClose) {
        return failure(device_error::kWrongState);
    }
    const FieldReader fields(request);
    const auto tag = fields.integer(0);
    const auto flag = fields.integerOr(1, 0);
    if (!tag || *tag < 1000 || *tag > 9999 || !flag || (*flag != 0 && *flag != kHiddenRequisite) ||
        !fields.has(3) || fields.text(3).size() > kMaxRequisite ||
        fields.text(2).size() > kMaxRequisite) {
        return failure(device_error::kBadParameter);
    }
    state.document->requisites.push_back(Requisite{static_cast<int>(*tag), static_cast<int>(*flag),
                                                   std::string(fields.text(2)),
                                                   std::string(fields.text(3))});
    return answer({});
}

Reply writeFieldList(RegisterState& state, const Request& request) {
    if (!state.document || state.document->awaitingClose) {
        return failure(device_error::kWrongState);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    for (const std::string& field : request.fields) {
        if (!field.empty()) tape::printDevice(state, field);
    }
    return answer({});
}

}  // namespace

void defineDocumentCommands(RegisterModel& model) {
    model.define(kDocumentOpen, CommandKind::Plain, documentOpen);
    model.define(kDocumentOpenEx, CommandKind::Plain, documentOpenEx);
    model.define(kDocumentClose, CommandKind::Plain, documentClose);
    model.define(kDocumentAnnul, CommandKind::Plain, documentAnnul);
    model.define(kWriteRequisite, CommandKind::Print, writeRequisite);
    model.define(kWriteFieldList, CommandKind::Print, writeFieldList);
}

}  // namespace zirok::emulator
