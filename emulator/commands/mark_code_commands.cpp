#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kMarkCode = 0x79;
constexpr std::size_t kMaxCode = 200;

using Fields = std::vector<std::string>;
using Step = Marking::Step;

Reply numbered(std::int64_t request, Fields data) {
    data.insert(data.begin(), std::to_string(request));
    return answer(std::move(data));
}

std::string number(int value) {
    return std::to_string(value);
}

// The storage checks the code (and asks the marking service) and reports
// the check's result bits; the code waits for the seller's decision.
Reply validate(RegisterState& state, const FieldReader& fields) {
    const auto itemState = fields.integerOr(3, 0);
    const auto quantityMode = fields.integerOr(5, 0);
    const auto workMode = fields.integerOr(6, 0);
    if (!fields.has(1) || fields.text(1).size() > kMaxCode || !itemState || !quantityMode ||
        !workMode) {
        return failure(device_error::kBadParameter);
    }
    Marking& marking = state.marking;
    marking.step = Step::Validated;
    marking.code = fields.text(1);
    marking.itemState = static_cast<int>(*itemState);
    marking.quantity = fields.text(4);
    marking.quantityMode = static_cast<int>(*quantityMode);
    marking.workMode = static_cast<int>(*workMode);
    marking.lastResult = marking.resultToReport;
    return numbered(1, {number(marking.lastResult), "0", number(marking.itemState), "0", "0"});
}

Reply decide(RegisterState& state, const FieldReader& fields) {
    const auto decision = fields.integer(1);
    if (decision != 0 && decision != 1) return failure(device_error::kBadParameter);
    Marking& marking = state.marking;
    if (marking.step != Step::Validated) return failure(device_error::kMarkingOutOfSequence);
    marking.step = *decision == 1 ? Step::Accepted : Step::Idle;
    if (*decision == 0) marking.code.clear();
    return numbered(2, {number(marking.lastResult)});
}

// The accepted code goes with the next item sold.
Reply addToReceipt(RegisterState& state, const FieldReader& fields) {
    const auto validation = fields.integerOr(4, 0);
    if (!fields.has(1) || !validation) return failure(device_error::kBadParameter);
    Marking& marking = state.marking;
    if (marking.step != Step::Accepted || marking.code != fields.text(1)) {
        return failure(device_error::kMarkingOutOfSequence);
    }
    marking.forNextItem = MarkAttachment{marking.code, static_cast<int>(*validation)};
    marking.step = Step::Idle;
    return numbered(15, {});
}

Reply markCode(RegisterState& state, const Request& request) {
    const FieldReader fields(request);
    const auto request_ = fields.integer(0);
    if (!request_) return failure(device_error::kBadParameter);
    Marking& marking = state.marking;
    switch (*request_) {
        case 0:
            return numbered(0, {number(static_cast<int>(marking.step)), number(marking.lastResult),
                                number(marking.attachedInReceipt), number(marking.itemState),
                                number(marking.quantityMode), "100"});
        case 1:
            return validate(state, fields);
        case 2:
            return decide(state, fields);
        case 3:
            marking.step = Step::Idle;
            marking.code.clear();
            return numbered(3, {});
        case 6:
            return numbered(
                6, {"0", number(marking.attachedInReceipt), "0",
                    number(static_cast<int>(marking.step)), number(marking.lastResult), "0"});
        case 15:
            return addToReceipt(state, fields);
        case 52:
            return numbered(52, {yesNo(marking.keysDue), dateField(marking.keysUpdatedAt)});
        case 53:
            marking.keysDue = false;
            marking.keysUpdatedAt = state.now();
            return numbered(53, {"0"});
        default:
            return failure(device_error::kBadParameter);
    }
}

}  // namespace

void defineMarkCodeCommands(RegisterModel& model) {
    model.define(kMarkCode, CommandKind::Plain, markCode);
}

}  // namespace zirok::emulator
