#include "emulator/control.hpp"

#include <sstream>
#include <stdexcept>
#include <vector>

#include "emulator/decimal.hpp"
#include "emulator/faults.hpp"
#include "emulator/register_state.hpp"

namespace zirok::emulator {

namespace {

constexpr Moment kOverdueAge = 25 * 60 * 60;

// A two-word switch such as "paper out": sets `flag` to whether the second
// word is `on`; false when the word is neither.
bool setSwitch(const std::vector<std::string>& words, std::string_view on, std::string_view off,
               bool& flag) {
    if (words.size() != 2 || (words[1] != on && words[1] != off)) return false;
    flag = words[1] == on;
    return true;
}

void makeFactoryFresh(RegisterState& state) {
    state.identity.fiscal = false;
    state.archive.clear();
    state.cursor.reset();
    state.document.reset();
    state.keptError = 0;
    state.shift = Shift{};
    state.lastFiscalMoment = 0;
    state.grandTotals = {};
    state.cashInDrawer = 0;
}

}  // namespace

std::string applyControl(std::string_view line, RegisterState& state, FaultPlan& faults) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty() || words[0].front() == '#') return {};

    const std::string& verb = words[0];
    const std::string unknown = "unknown control line '" + std::string(line) + "'";
    if (verb == "clear" && words.size() == 1) {
        faults.clear();
        return {};
    }
    if (verb == "drawer")
        return setSwitch(words, "open", "closed", state.drawerOpen) ? "" : unknown;
    if (verb == "paper") return setSwitch(words, "out", "in", state.paperOut) ? "" : unknown;
    if (verb == "cover") return setSwitch(words, "open", "closed", state.coverOpen) ? "" : unknown;
    if (verb == "clock" && words.size() == 2) {
        const auto seconds = parseInteger(words[1]);
        if (!seconds) return unknown;
        state.clockOffsetSeconds += *seconds;
        return {};
    }
    if (verb == "shift" && words.size() == 2 && words[1] == "overdue") {
        if (!state.shift.open) return "no shift is open";
        state.shift.openedAt = state.now() - kOverdueAge;
        return {};
    }
    if (verb == "mark" && words.size() == 3 && words[1] == "result") {
        const auto result = parseInteger(words[2]);
        if (!result || *result < 0 || *result > 255) return unknown;
        state.marking.resultToReport = static_cast<int>(*result);
        return {};
    }
    if (verb == "mark" && words.size() == 3 && words[1] == "keys") {
        std::vector<std::string> pair{"keys", words[2]};
        return setSwitch(pair, "due", "fresh", state.marking.keysDue) ? "" : unknown;
    }
    if (verb == "power" && words.size() == 2 && words[1] == "cycle") {
        state.workDayStarted = false;
        state.cursor.reset();
        return {};
    }
    if (verb == "factory" && words.size() == 2 && words[1] == "fresh") {
        makeFactoryFresh(state);
        return {};
    }
    if (verb == "fault" && words.size() >= 2) {
        std::string faultText = words[1];
        for (std::size_t i = 2; i < words.size(); ++i) faultText += ":" + words[i];
        try {
            faults.add(parseFault(faultText));
        } catch (const std::invalid_argument& e) {
            return e.what();
        }
        return {};
    }
    return unknown;
}

}  // namespace zirok::emulator
