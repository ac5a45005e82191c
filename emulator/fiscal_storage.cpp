#include "emulator/fiscal_storage.hpp"

#include <optional>

#include "emulator/tlv.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint32_t kFfdVersion = 4;  // the format the storage signs in

// Payment types 13, 14 and 15 are the prepayment, credit and counter-provision
// sums; every other non-cash type is an electronic payment.
constexpr std::uint16_t kPrepaymentTags[] = {1215, 1216, 1217};

std::uint32_t signOf(std::uint32_t number, const std::vector<std::string>& blocks) {
    std::uint32_t hash = 2166136261u ^ number;
    for (const std::string& block : blocks) {
        for (char c : block) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 16777619u;
        }
    }
    return hash == 0 ? 1 : hash;
}

const StoredDocument& sign(RegisterState& state, int type, std::vector<std::string> blocks,
                           StoredDocument document = {},
                           std::optional<Moment> signedAt = std::nullopt) {
    const Moment now = signedAt ? *signedAt : state.now();
    document.number = state.lastDocumentNumber() + 1;
    document.type = type;
    document.when = now;
    const RegisterTables& tables = state.tables;
    blocks.push_back(tlv::time(1012, now));
    blocks.push_back(tlv::number(1040, document.number));
    blocks.push_back(tlv::text(1041, state.identity.fnNumber));
    blocks.push_back(tlv::text(1018, state.identity.inn));
    blocks.push_back(tlv::text(1037, state.identity.regNumber));
    blocks.push_back(tlv::text(1048, tables.text(table::kUserName)));
    blocks.push_back(tlv::text(1009, tables.text(table::kSettlementAddress)));
    blocks.push_back(tlv::text(1187, tables.text(table::kSettlementPlace)));
    blocks.push_back(tlv::number(1209, kFfdVersion, 1));
    document.sign = signOf(document.number, blocks);
    blocks.push_back(tlv::fiscalSign(1077, document.sign));
    document.blocks = std::move(blocks);

    state.lastFiscalMoment = now;
    ++state.shift.counters.fiscalDocuments;
    state.archive.push_back(std::move(document));
    return state.archive.back();
}

std::string itemBlock(const RegisterState& state, const Item& item, Kopecks amount) {
    std::vector<std::string> members{
        tlv::text(1030, item.name),
        tlv::money(1079, divideRounded(item.priceMicro, 10000)),
        tlv::quantity(1023, item.denominator > 0
                                ? divideRounded(static_cast<__int128>(item.numerator) * 1000,
                                                item.denominator)
                                : item.quantity),
        tlv::number(1199, static_cast<std::uint32_t>(vatCodeOf(item.taxIndex)), 1),
    };
    if (vatCodeOf(item.taxIndex) != 6) {
        members.push_back(tlv::money(1200, vatOf(amount, state.tables.taxRate(item.taxIndex))));
    }
    members.push_back(tlv::number(1212, static_cast<std::uint32_t>(item.paymentObject), 1));
    members.push_back(tlv::number(1214, static_cast<std::uint32_t>(item.paymentMethod), 1));
    members.push_back(tlv::money(1043, amount));
    if (!item.country.empty()) members.push_back(tlv::text(1230, item.country));
    if (!item.customs.empty()) members.push_back(tlv::text(1231, item.customs));
    if (item.mark) {
        members.push_back(tlv::raw(1162, item.mark->code));
        members.push_back(tlv::number(2106, static_cast<std::uint32_t>(item.mark->result), 1));
    }
    return tlv::container(1059, members);
}

// A value written as "#" and digits is a number (an agent flag, a code); the
// rest are texts.
std::string requisiteBlock(const Requisite& requisite) {
    const auto tag = static_cast<std::uint16_t>(requisite.tag);
    if (requisite.value.size() > 1 && requisite.value[0] == '#') {
        const auto number = parseInteger(std::string_view(requisite.value).substr(1));
        if (number && *number >= 0 && *number <= 0xFFFFFFFF) {
            return tlv::number(tag, static_cast<std::uint32_t>(*number), *number < 256 ? 1 : 4);
        }
    }
    return tlv::text(tag, requisite.value);
}

// VAT sums of a receipt by the storage's tags: the tax itself for the taxed
// rates, the whole amount for 0 % and for goods without VAT.
void addVatSums(const RegisterState& state, const Document& document, const ReceiptTotals& totals,
                std::vector<std::string>& blocks) {
    static constexpr std::uint16_t kTagByIndex[] = {1102, 1103, 1104, 1105, 1106, 1107};
    std::array<Kopecks, 6> sums{};
    std::array<bool, 6> present{};
    for (std::size_t i = 0; i < document.items.size(); ++i) {
        const int index = document.items[i].taxIndex;
        const Kopecks amount = totals.finalAmounts[i];
        const int code = vatCodeOf(index);
        sums[index] += code == 5 || code == 6 ? amount : vatOf(amount, state.tables.taxRate(index));
        present[index] = true;
    }
    for (int index = 0; index < 6; ++index) {
        if (present[index]) blocks.push_back(tlv::money(kTagByIndex[index], sums[index]));
    }
}

}  // namespace

int receiptsInShift(const RegisterState& state) {
    const ShiftCounters& counters = state.shift.counters;
    int receipts = counters.corrections;
    for (int count : counters.receipts) receipts += count;
    return receipts;
}

int vatCodeOf(int taxIndex) {
    static constexpr int kCodes[] = {1, 2, 5, 6, 3, 4};
    return taxIndex >= 0 && taxIndex < 6 ? kCodes[taxIndex] : 6;
}

int calculationSignOf(DocumentType type) {
    switch (type) {
        case DocumentType::Return:
            return 2;
        case DocumentType::Purchase:
            return 3;
        case DocumentType::PurchaseReturn:
            return 4;
        default:
            return 1;
    }
}

std::uint32_t taxSystemBitOf(const RegisterState& state, int taxSystem) {
    if (taxSystem >= 0) return 1u << taxSystem;
    const std::uint32_t registered = state.identity.taxSystems;
    return registered == 0 ? 1 : registered & (~registered + 1);
}

const StoredDocument& storeReceipt(RegisterState& state, const Document& document,
                                   const ReceiptTotals& totals) {
    StoredDocument stored;
    stored.receiptType = document.type;
    stored.total = totals.total;
    stored.shift = state.shift.number;
    stored.receiptNumber = receiptsInShift(state) + 1;

    std::vector<std::string> blocks{
        tlv::number(1054, static_cast<std::uint32_t>(calculationSignOf(document.type)), 1),
        tlv::text(1021, document.cashier),
    };
    for (std::size_t i = 0; i < document.items.size(); ++i) {
        blocks.push_back(itemBlock(state, document.items[i], totals.finalAmounts[i]));
    }
    Kopecks electronic = 0;
    for (int type = 1; type <= 12; ++type) electronic += totals.byPaymentType[type];
    blocks.push_back(tlv::money(1031, totals.byPaymentType[0]));
    blocks.push_back(tlv::money(1081, electronic));
    for (int k = 0; k < 3; ++k) {
        const Kopecks sum = totals.byPaymentType[13 + k];
        if (sum > 0) blocks.push_back(tlv::money(kPrepaymentTags[k], sum));
    }
    blocks.push_back(tlv::money(1020, totals.total));
    addVatSums(state, document, totals, blocks);
    blocks.push_back(tlv::number(1055, taxSystemBitOf(state, document.taxSystem), 1));
    blocks.push_back(tlv::number(1038, state.shift.number));
    blocks.push_back(tlv::number(1042, static_cast<std::uint32_t>(stored.receiptNumber)));
    for (const Requisite& requisite : document.requisites)
        blocks.push_back(requisiteBlock(requisite));
    const auto& texts = document.closingTexts;
    // Buyer's contact, then the buyer's name and tax number, then the
    // additional attribute's name and value.
    if (texts.size() > 0 && !texts[0].empty()) blocks.push_back(tlv::text(1008, texts[0]));
    if (texts.size() > 1 && !texts[1].empty()) blocks.push_back(tlv::text(1227, texts[1]));
    if (texts.size() > 2 && !texts[2].empty()) blocks.push_back(tlv::text(1228, texts[2]));
    if (texts.size() > 4 && (!texts[3].empty() || !texts[4].empty())) {
        blocks.push_back(
            tlv::container(1084, {tlv::text(1085, texts[3]), tlv::text(1086, texts[4])}));
    }
    return sign(state, fn_document::kReceipt, std::move(blocks), std::move(stored));
}

const StoredDocument& storeShiftOpening(RegisterState& state, const std::string& cashier) {
    const auto version = std::to_string(state.identity.firmware[0]) + "." +
                         std::to_string(state.identity.firmware[1]) + "." +
                         std::to_string(state.identity.firmware[2]);
    return sign(
        state, fn_document::kShiftOpening,
        {tlv::text(1021, cashier), tlv::number(1038, state.shift.number), tlv::text(1188, version),
         tlv::number(1189, kFfdVersion, 1), tlv::number(1190, kFfdVersion, 1)});
}

const StoredDocument& storeShiftClosing(RegisterState& state, const std::string& cashier) {
    const ShiftCounters& counters = state.shift.counters;
    return sign(state, fn_document::kShiftClosing,
                {tlv::text(1021, cashier), tlv::number(1038, state.shift.number),
                 tlv::number(1118, static_cast<std::uint32_t>(receiptsInShift(state))),
                 tlv::number(1111, static_cast<std::uint32_t>(counters.fiscalDocuments + 1)),
                 tlv::number(1097, 0)});
}

const StoredDocument& storeSettlementReport(RegisterState& state, const std::string& cashier) {
    return sign(state, fn_document::kSettlementReport,
                {tlv::text(1021, cashier), tlv::number(1097, 0), tlv::number(1116, 0)});
}

const StoredDocument& storeCorrection(RegisterState& state, const Correction& correction) {
    // Bit 1 of the correction type: a correction of expenses rather than income.
    const std::uint32_t calculationSign = (correction.type & 0x02) != 0 ? 3 : 1;
    StoredDocument stored;
    stored.total = correction.cash + correction.electronic;
    stored.shift = state.shift.number;
    stored.receiptNumber = receiptsInShift(state) + 1;
    return sign(state, fn_document::kCorrection,
                {tlv::number(1054, calculationSign, 1), tlv::text(1021, correction.cashier),
                 tlv::number(1173, 0, 1),
                 tlv::container(1174, {tlv::time(1178, correction.eventDate),
                                       tlv::text(1179, std::to_string(correction.number))}),
                 tlv::money(1031, correction.cash), tlv::money(1081, correction.electronic),
                 tlv::money(1020, stored.total), tlv::number(1055, taxSystemBitOf(state, -1), 1),
                 tlv::number(1038, state.shift.number)},
                std::move(stored));
}

namespace {

std::vector<std::string> registrationBlocks(const RegisterState& state,
                                            const std::string& cashier) {
    return {tlv::text(1021, cashier), tlv::number(1062, state.identity.taxSystems, 1),
            tlv::text(1117, state.tables.text(table::kSenderEmail)),
            tlv::text(1060, "www.nalog.gov.ru")};
}

}  // namespace

const StoredDocument& storeRegistration(RegisterState& state, bool first,
                                        const std::string& cashier) {
    return sign(state, first ? fn_document::kRegistration : fn_document::kReregistration,
                registrationBlocks(state, cashier));
}

void registerAtFactory(RegisterState& state) {
    state.archive.clear();
    state.identity.registeredAt = kFactoryRegistration;
    sign(state, fn_document::kRegistration, registrationBlocks(state, {}), {},
         kFactoryRegistration);
    state.shift.counters = ShiftCounters{};
}

}  // namespace zirok::emulator
