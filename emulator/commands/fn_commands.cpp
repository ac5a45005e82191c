#include <algorithm>

#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/printouts.hpp"
#include "emulator/register_model.hpp"
#include "emulator/tlv.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kRegisterFn = 0x60;
constexpr std::uint8_t kGetFnInfo = 0x78;
constexpr std::uint8_t kWriteSerialNumber = 0x90;
constexpr std::uint8_t kCommand9C = 0x9C;

constexpr std::size_t kSerialWidth = 14;
constexpr std::size_t kMaxRegNumber = 20;
constexpr Moment kStorageLifetime = 1095 * kSecondsPerDay;
constexpr int kRegistrationsAllowed = 30;
// Storage phases: ready for registration, then fiscal mode.
constexpr int kPhaseReady = 1;
constexpr int kPhaseFiscal = 3;

using Fields = std::vector<std::string>;

Reply numbered(std::int64_t request, Fields data) {
    data.insert(data.begin(), std::to_string(request));
    return answer(std::move(data));
}

const StoredDocument* argumentDocument(const RegisterState& state, const FieldReader& fields) {
    const auto number = fields.integer(1);
    if (!number || *number < 1 || *number > 0xFFFFFFFF) return nullptr;
    return state.stored(static_cast<std::uint32_t>(*number));
}

int registrations(const RegisterState& state) {
    return static_cast<int>(
        std::count_if(state.archive.begin(), state.archive.end(), [](const StoredDocument& d) {
            return d.type == fn_document::kRegistration || d.type == fn_document::kReregistration;
        }));
}

// Reading a stored document: request 15 picks it and tells its type and
// size, each request 16 then hands one top-level TLV as hexadecimal text.
Reply nextBlock(RegisterState& state) {
    if (!state.cursor) return failure(device_error::kWrongState);
    const StoredDocument* stored = state.stored(state.cursor->number);
    if (!stored || state.cursor->nextBlock >= stored->blocks.size()) {
        state.cursor.reset();
        return failure(device_error::kNoSuchData);
    }
    return answer({tlv::hex(stored->blocks[state.cursor->nextBlock++])});
}

Reply getFnInfo(RegisterState& state, const Request& request) {
    const FieldReader fields(request);
    const auto number = fields.integer(0);
    if (!number) return failure(device_error::kBadParameter);
    const Identity& id = state.identity;
    const std::string last = std::to_string(state.lastDocumentNumber());
    const StoredDocument* latest = state.archive.empty() ? nullptr : &state.archive.back();
    const Moment lastWhen = latest ? latest->when : id.registeredAt;
    switch (*number) {
        case 1:
            return numbered(1, {id.fnNumber});
        case 2:
            return numbered(2, {std::to_string(id.fiscal ? kPhaseFiscal : kPhaseReady), last, "0"});
        case 3:
            return numbered(3, {last, dateField(lastWhen), timeField(lastWhen)});
        case 4:
            return numbered(4, {yesNo(state.shift.open), std::to_string(state.shift.number),
                                std::to_string(receiptsInShift(state))});
        case 5:  // every document reached the data operator at once
            return numbered(5, {"0", "0", "0"});
        case 7:
            return numbered(7, {"fn-2.0.15", "1"});
        case 10:
        case 11: {
            const StoredDocument* stored = argumentDocument(state, fields);
            if (!stored) return failure(device_error::kNoSuchData);
            if (*number == 11) {
                return numbered(11, {std::to_string(stored->number), dateField(stored->when),
                                     timeField(stored->when), "0"});
            }
            return numbered(10, {std::to_string(stored->type), std::to_string(stored->number),
                                 dateField(stored->when), timeField(stored->when),
                                 std::to_string(stored->sign), formatKopecks(stored->total)});
        }
        case 12: {
            const auto which = fields.integer(1);
            if (!which || *which < 1 || *which > registrations(state)) {
                return failure(device_error::kNoSuchData);
            }
            return numbered(12, {id.inn, id.regNumber, std::to_string(id.taxSystems),
                                 std::to_string(id.workModes)});
        }
        case 13:
            return numbered(13, {dateField(id.registeredAt + kStorageLifetime),
                                 std::to_string(kRegistrationsAllowed - registrations(state))});
        case 14:
            return numbered(14, {"4", "4"});
        case 15: {
            const StoredDocument* stored = argumentDocument(state, fields);
            if (!stored) return failure(device_error::kNoSuchData);
            std::size_t size = 0;
            for (const std::string& block : stored->blocks) size += block.size();
            state.cursor = DocumentCursor{stored->number, 0};
            return numbered(15, {std::to_string(stored->type), std::to_string(size),
                                 std::to_string(stored->blocks.size())});
        }
        case 16:
            return nextBlock(state);
        default:
            return failure(device_error::kBadParameter);
    }
}

Reply registerFn(RegisterState& state, const Request& request) {
    if (!state.workDayStarted || state.document) return failure(device_error::kWrongState);
    if (state.shift.open) return failure(device_error::kShiftMustBeClosed);
    const FieldReader fields(request);
    const auto operation = fields.integer(0);
    if (operation != 0 && operation != 1) return failure(device_error::kBadParameter);
    // Registration is for a fresh storage, re-registration for a registered one.
    if ((*operation == 1) == state.identity.fiscal) return failure(device_error::kWrongState);
    const std::string_view inn = fields.text(1);
    const std::string_view regNumber = fields.text(2);
    const auto taxSystems = fields.integer(3);
    const auto workModes = fields.integer(4);
    const bool innOk =
        (inn.size() == 10 || inn.size() == 12) &&
        std::all_of(inn.begin(), inn.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!innOk || regNumber.empty() || regNumber.size() > kMaxRegNumber || !taxSystems ||
        *taxSystems < 1 || *taxSystems > 0x3F || !workModes || *workModes < 0 ||
        *workModes > 0xFFFF) {
        return failure(device_error::kBadParameter);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    Identity& id = state.identity;
    id.inn = inn;
    id.regNumber = regNumber;
    id.taxSystems = static_cast<std::uint32_t>(*taxSystems);
    id.workModes = static_cast<std::uint32_t>(*workModes);
    id.fiscal = true;
    id.registeredAt = state.now();
    const StoredDocument& stored =
        storeRegistration(state, *operation == 1, std::string(fields.text(5)));
    printFiscalDocument(state, stored, false);
    return answer({std::to_string(stored.number), std::to_string(stored.sign)});
}

Reply writeSerialNumber(RegisterState& state, const Request& request) {
    if (state.identity.fiscal || state.document) return failure(device_error::kWrongState);
    std::string_view serial = FieldReader(request).text(2);
    while (!serial.empty() && serial.front() == ' ') serial.remove_prefix(1);
    while (!serial.empty() && serial.back() == ' ') serial.remove_suffix(1);
    if (serial.empty() || serial.size() > kSerialWidth) return failure(device_error::kBadParameter);
    state.identity.serialNumber = serial;
    return answer({});
}

}  // namespace

void defineFnCommands(RegisterModel& model) {
    model.define(kRegisterFn, CommandKind::Plain, registerFn);
    model.define(kGetFnInfo, CommandKind::Plain, getFnInfo, Access::ReadOnly);
    model.define(kWriteSerialNumber, CommandKind::Plain, writeSerialNumber);
    model.define(
        kCommand9C, CommandKind::Plain, [](RegisterState&, const Request&) { return answer({}); },
        Access::ReadOnly);
}

}  // namespace zirok::emulator
