#include <string>

#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/cp866_text.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/receipt_math.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kGetCounters = 0x01;
constexpr std::uint8_t kGetDeviceInfo = 0x02;
constexpr std::uint8_t kGetReceiptData = 0x03;
constexpr std::uint8_t kGetServiceInfo = 0x05;

// The fiscal storage is good for this long after registration (a 36-month storage).
constexpr Moment kStorageLifetime = 1095 * kSecondsPerDay;

using Fields = std::vector<std::string>;

std::string money(Kopecks value) {
    return formatKopecks(value);
}

// Numbered queries answer with the request number first, then the data.
Reply numbered(std::int64_t request, Fields data) {
    data.insert(data.begin(), std::to_string(request));
    return answer(std::move(data));
}

std::optional<Reply> counters(const RegisterState& state, std::int64_t request) {
    const ShiftCounters& c = state.shift.counters;
    switch (request) {
        case 1:  // the shift the next Z report closes
            return numbered(request,
                            {std::to_string(state.shift.number + (state.shift.open ? 0 : 1)),
                             std::to_string(state.lastDocumentNumber())});
        case 2:  // the last receipt of the shift
            return numbered(request, {std::to_string(receiptsInShift(state))});
        case 3:
        case 4:
        case 5:
        case 6: {
            Fields sums;
            for (Kopecks sum : c.byOperation[static_cast<std::size_t>(request - 3)]) {
                sums.push_back(money(sum));
            }
            return numbered(request, sums);
        }
        case 7:
            return numbered(request,
                            {std::to_string(c.receipts[0]), std::to_string(c.receipts[2]),
                             std::to_string(c.annulled), std::to_string(c.receipts[1]),
                             std::to_string(c.receipts[3]), std::to_string(c.corrections)});
        case 8:
            return numbered(
                request, {std::to_string(c.cashIns), money(c.cashInSum), std::to_string(c.cashOuts),
                          money(c.cashOutSum), money(state.cashInDrawer)});
        case 9:
            return numbered(request, {money(c.discounts[0]), money(c.markups[0]),
                                      money(c.discounts[2]), money(c.markups[2])});
        case 10:
        case 11: {
            Fields taxes;
            const std::size_t op = request == 10 ? 0 : 2;
            for (Kopecks sum : c.taxes[op]) taxes.push_back(money(sum));
            return numbered(request, taxes);
        }
        default:
            return std::nullopt;
    }
}

Reply getCounters(RegisterState& state, const Request& request) {
    const auto number = FieldReader(request).integer(0);
    if (!number) return failure(device_error::kBadParameter);
    return counters(state, *number).value_or(failure(device_error::kBadParameter));
}

Reply getDeviceInfo(RegisterState& state, const Request& request) {
    const auto number = FieldReader(request).integer(0);
    if (!number) return failure(device_error::kBadParameter);
    const Identity& id = state.identity;
    const StoredDocument* last = state.archive.empty() ? nullptr : &state.archive.back();
    const Moment lastWhen = last ? last->when : state.now();
    switch (*number) {
        case 1:
            return numbered(*number, {id.serialNumber});
        case 2:
            return numbered(*number,
                            {std::to_string(id.firmware[0]), std::to_string(id.firmware[1]),
                             std::to_string(id.firmware[2])});
        case 3:
            return numbered(*number, {id.inn});
        case 4:
            return numbered(*number, {utf8ToCp866("ЗИРОК-2Ф")});
        case 5:
            return numbered(*number, {dateField(lastWhen), timeField(lastWhen)});
        case 6:
            return numbered(*number, {id.regNumber});
        case 7:
            return numbered(*number, {money(state.shift.counters.voided)});
        case 8:
            return numbered(*number, {std::to_string(state.lastDocumentNumber())});
        case 12:
            return numbered(*number, {money(state.grandTotals[0]), money(state.grandTotals[2])});
        case 14:
            return numbered(*number, {dateField(id.registeredAt + kStorageLifetime)});
        case 17:
            return numbered(*number, {dateField(id.registeredAt), timeField(id.registeredAt)});
        default:
            return failure(device_error::kBadParameter);
    }
}

Reply getReceiptData(RegisterState& state, const Request& request) {
    const auto number = FieldReader(request).integer(0);
    if (number == 1) {
        ReceiptTotals totals;
        std::size_t items = 0;
        if (state.document && isReceipt(state.document->type)) {
            totals = totalsOf(*state.document);
            items = state.document->items.size();
        }
        return numbered(
            1, {money(totals.total), money(totals.itemDiscounts + totals.receiptDiscounts),
                money(totals.itemSurcharges + totals.receiptSurcharges), money(totals.paid),
                money(totals.change), std::to_string(items)});
    }
    if (number == 2) {
        for (auto it = state.archive.rbegin(); it != state.archive.rend(); ++it) {
            if (it->receiptType == DocumentType::None) continue;
            return numbered(
                2, {std::to_string(static_cast<int>(it->receiptType)),
                    std::to_string(it->receiptNumber), std::to_string(it->shift),
                    dateField(it->when), money(it->total), timeField(it->when),
                    state.identity.fnNumber, std::to_string(it->sign), std::to_string(it->number)});
        }
        return failure(device_error::kNoSuchData);
    }
    return failure(device_error::kBadParameter);
}

// Readings of the printer mechanism; none of them change.
Reply getServiceInfo(RegisterState& state, const Request& request) {
    const auto number = FieldReader(request).integer(0);
    if (!number || *number < 1 || *number > 9) return failure(device_error::kBadParameter);
    static const char* const kReadings[] = {"24.0", "35",  "1520", "48230", "0",
                                            "0",    "100", "0",    "1"};
    Fields data{kReadings[*number - 1]};
    if (*number == 5 || *number == 6) data.push_back(std::to_string(state.archive.size()));
    return numbered(*number, data);
}

}  // namespace

void defineQueryCommands(RegisterModel& model) {
    model.define(kGetCounters, CommandKind::Plain, getCounters, Access::ReadOnly);
    model.define(kGetDeviceInfo, CommandKind::Plain, getDeviceInfo, Access::ReadOnly);
    model.define(kGetReceiptData, CommandKind::Plain, getReceiptData, Access::ReadOnly);
    model.define(kGetServiceInfo, CommandKind::Plain, getServiceInfo, Access::ReadOnly);
}

}  // namespace zirok::emulator
