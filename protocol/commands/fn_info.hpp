#pragma once
// Reading the fiscal storage (FN): its state, counters and stored documents.
#include <cstdint>
#include <string>

#include "protocol/frame.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x78. Requests 10, 11, 12 and 15 also send `argument` (15: the document
// number to read); other requests ignore it. On success `data` is the
// answer's data part, at most 1022 bytes, with every FS turned into ";".
Result GetFnInfo(RegisterLink& link, const std::string& port, int request, std::int64_t argument,
                 std::string& data);

// 0x78 with the request number alone; on success the whole answer frame is
// copied as it is.
Result GetFnInfoAnswer(RegisterLink& link, const std::string& port, int request,
                       FrameBuffer& answer);

}  // namespace zirok::protocol
