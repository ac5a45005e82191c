#include <algorithm>

#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/printouts.hpp"
#include "emulator/register_model.hpp"
#include "emulator/tape.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kCommand34 = 0x34;
constexpr std::uint8_t kPrintText = 0x40;
constexpr std::uint8_t kPrintBarcode = 0x41;
constexpr std::uint8_t kPrintMessage = 0x49;
constexpr std::uint8_t kCommand65 = 0x65;
constexpr std::uint8_t kCommand66 = 0x66;
constexpr std::uint8_t kGetQrSize = 0x88;

constexpr std::size_t kLineWidth = 56;
constexpr std::size_t kMaxBarcodeData = 512;
constexpr int kQrSymbology = 8;

// Bytes a QR code of each version holds at the medium error correction level.
constexpr int kQrCapacity[] = {14,   26,   42,   62,   84,   106,  122,  152,  180,  213,
                               251,  287,  331,  362,  412,  450,  504,  560,  624,  666,
                               711,  779,  857,  911,  997,  1059, 1125, 1190, 1264, 1370,
                               1452, 1538, 1628, 1722, 1809, 1911, 1989, 2099, 2213, 2331};

// Something may be printed now: outside a document, or inside one that is not
// already in the storage waiting for its end.
bool mayPrintLoose(const RegisterState& state) {
    return !state.document || !state.document->awaitingClose;
}

Reply printText(RegisterState& state, const Request& request) {
    if (!state.document || state.document->awaitingClose) {
        return failure(device_error::kWrongState);
    }
    const FieldReader fields(request);
    if (!fields.has(0) || fields.text(0).size() > kLineWidth || !fields.integerOr(1, 0)) {
        return failure(device_error::kBadParameter);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    tape::printDevice(state, fields.text(0));
    return answer({});
}

Reply printMessage(RegisterState& state, const Request& request) {
    if (!mayPrintLoose(state)) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    if (fields.text(2).size() > kLineWidth || !fields.integerOr(1, 0)) {
        return failure(device_error::kBadParameter);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    tape::printDevice(state, fields.text(2));
    return answer({});
}

Reply barcodeCommand(RegisterState& state, const Request& request) {
    if (!mayPrintLoose(state)) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    const auto symbology = fields.integer(3);
    if (!symbology || *symbology < 0 || *symbology > 9 || *symbology == 7 || !fields.has(4) ||
        fields.text(4).size() > kMaxBarcodeData) {
        return failure(device_error::kBadParameter);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    printBarcode(state, static_cast<int>(*symbology), fields.text(4));
    return answer({});
}

// Free-form output: numeric fields only set up the layout, texts are printed.
Reply command65(RegisterState& state, const Request& request) {
    if (!mayPrintLoose(state)) return failure(device_error::kWrongState);
    const bool layoutOnly =
        std::all_of(request.fields.begin(), request.fields.end(),
                    [](const std::string& f) { return parseInteger(f) || f.empty(); });
    if (layoutOnly) return answer({});
    if (const std::uint8_t error = printerError(state)) return failure(error);
    for (const std::string& field : request.fields) {
        if (!field.empty()) tape::printDevice(state, field);
    }
    return answer({});
}

// A QR code: its data is the last field, a caption beside it the fifth.
Reply command66(RegisterState& state, const Request& request) {
    if (!mayPrintLoose(state)) return failure(device_error::kWrongState);
    const auto& fields = request.fields;
    auto data = std::find_if(fields.rbegin(), fields.rend(),
                             [](const std::string& f) { return !f.empty(); });
    if (fields.size() < 3 || data == fields.rend() || data->size() > kMaxBarcodeData) {
        return failure(device_error::kBadParameter);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    printBarcode(state, kQrSymbology, *data);
    if (fields.size() > 5 && !fields[4].empty() && &fields[4] != &*data) {
        tape::printDevice(state, fields[4]);
    }
    return answer({});
}

Reply getQrSize(RegisterState&, const Request& request) {
    const FieldReader fields(request);
    const auto module = fields.integer(0);
    const std::size_t length = fields.text(1).size();
    if (!module || *module < 1 || *module > 16 || length == 0) {
        return failure(device_error::kBadParameter);
    }
    const int* version =
        std::find_if(std::begin(kQrCapacity), std::end(kQrCapacity),
                     [length](int capacity) { return capacity >= static_cast<int>(length); });
    if (version == std::end(kQrCapacity)) return failure(device_error::kBadParameter);
    const int modules = 17 + 4 * static_cast<int>(version - std::begin(kQrCapacity) + 1);
    return answer({std::to_string(modules * *module)});
}

}  // namespace

void definePrintCommands(RegisterModel& model) {
    model.define(
        kCommand34, CommandKind::Plain, [](RegisterState&, const Request&) { return answer({}); },
        Access::ReadOnly);
    model.define(kPrintText, CommandKind::Print, printText);
    model.define(kPrintBarcode, CommandKind::Print, barcodeCommand);
    model.define(kPrintMessage, CommandKind::Print, printMessage);
    model.define(kCommand65, CommandKind::Plain, command65);
    model.define(kCommand66, CommandKind::Plain, command66);
    model.define(kGetQrSize, CommandKind::Plain, getQrSize, Access::ReadOnly);
}

}  // namespace zirok::emulator
