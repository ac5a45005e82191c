#pragma once
// The marking-code dialogue with the register (0x79): validating a code with
// the OISM server, keeping or dropping it, adding it to the item, and the
// fiscal storage's verification keys.
#include <string>

#include "protocol/frame.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// Requests sent as the request number and, when `text` is not empty, that
// text: 0 validation state, 3, 52 key state (the caller passes "0" when it
// has no number), 53 key update (the caller lengthens the default time-out
// by the key server's). The answer is copied only on success.
Result MarkCodeRequest(RegisterLink& link, const std::string& port, int request,
                       const std::string& text, FrameBuffer& answer);

// Request 1, waiting the default time-out plus the OISM server's. On
// success `answer` gets the answer frame from its first byte up to, not
// including, the byte before its ETX (so without the last field's
// separator), zero-filled after, so the field readers work on it.
Result MarkCodeValidation(RegisterLink& link, const std::string& port, const std::string& markCode,
                          int itemState, const std::string& quantity, int quantityMode,
                          int workMode, FrameBuffer& answer);

// Request 2: 1 keeps the last validated code, 0 drops it.
Result MarkCodeDecision(RegisterLink& link, const std::string& port, int decision,
                        FrameBuffer& answer);

// Request 6: the state of the last validated code.
Result ReadMarkCodeState(RegisterLink& link, const std::string& port, FrameBuffer& answer);

// Request 15: adds the validated code to the next item.
Result AddMarkCode(RegisterLink& link, const std::string& port, const std::string& markCode,
                   int itemState, int validationState, int quantityMode);

}  // namespace zirok::protocol
