#include "protocol/commands/status_commands.hpp"

#include "protocol/answer_fields.hpp"

namespace zirok::protocol {

Result GetStatus(RegisterLink& link, const std::string& port, Status& status) {
    if (!link.transportLoaded()) return result::NotConnected;
    link.params().clear();
    const Result outcome = link.exchange(port, 0x00, {.pauseMs = 20, .checkId = false});
    if (outcome == result::Ok) {
        status.fatal = answerInteger(link.answer(), 0);
        status.flags = answerInteger(link.answer(), 1);
        status.doc = answerInteger(link.answer(), 2);
    }
    return outcome;
}

bool GetDrawerState(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return false;
    link.params().clear();
    return link.exchange(port, 0x81) == result::Ok && answerInteger(link.answer(), 0) == 1;
}

}  // namespace zirok::protocol
