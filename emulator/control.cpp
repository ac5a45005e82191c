#include "emulator/control.hpp"

#include <sstream>
#include <stdexcept>
#include <vector>

#include "emulator/faults.hpp"
#include "emulator/register_state.hpp"

namespace zirok::emulator {

std::string applyControl(std::string_view line, RegisterState& state, FaultPlan& faults) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty() || words[0].front() == '#') return {};

    const std::string& verb = words[0];
    if (verb == "clear" && words.size() == 1) {
        faults.clear();
        return {};
    }
    if (verb == "drawer" && words.size() == 2 && (words[1] == "open" || words[1] == "closed")) {
        state.drawerOpen = words[1] == "open";
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
    return "unknown control line '" + std::string(line) + "'";
}

}  // namespace zirok::emulator
