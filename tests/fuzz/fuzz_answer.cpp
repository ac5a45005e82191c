// Feeds arbitrary line bytes to the answer reader and every field reader: a
// hostile or broken register must never make the driver read out of bounds.
#include <cstddef>
#include <cstdint>

#include "protocol/answer_fields.hpp"
#include "protocol/frame.hpp"

using namespace zirok::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool checkId = data[0] & 1;
    const std::uint8_t lastId = data[1];
    const std::uint16_t lastCommand = data[2];
    AnswerAssembler assembler;
    std::size_t i = 3;
    while (i < size && assembler.push(static_cast<char>(data[i++])) == AnswerAssembler::State::Collecting) {
    }
    const FrameBuffer& answer = assembler.bytes();
    if (assembler.state() == AnswerAssembler::State::Complete)
        (void)checkAnswer(answer, assembler.size(), lastId, lastCommand, checkId);
    (void)answerErrorCode(answer);
    for (std::size_t k = 0; k < 8; ++k) {
        (void)answerText(answer, k);
        (void)answerInteger(answer, k);
        (void)answerFloating(answer, k);
        (void)answerDecimal(answer, k, static_cast<int>(k));
        (void)answerDate(answer, k);
        (void)answerTime(answer, k);
    }
    return 0;
}
