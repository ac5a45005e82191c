// Cost of the driver's own work per frame: building a request, reading an
// answer, and a whole exchange over a transport that answers instantly.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "protocol/answer_fields.hpp"
#include "protocol/frame.hpp"
#include "protocol/param_buffer.hpp"
#include "protocol/register_link.hpp"

using namespace zirok::protocol;

namespace {

void appendItemFields(ParamBuffer& p) {
    p.appendText("\x8C\xAE\xAB\xAE\xAA\xAE 3,2% 1\xAB");  // a typical item name
    p.appendText("4601234567890");
    p.appendDecimal(1500, 3, 3);
    p.appendDecimal(899900, 4, 2);
    p.appendInt(1);
    p.appendEmpty();
    p.appendInt(0);
    p.appendInt(2);
    p.appendDecimal(0, 4, 2);
    p.appendText("\xE8\xE2");
    p.appendInt(4);
    p.appendInt(1);
}

std::string answerFrame(std::uint8_t id, std::string_view code, std::string_view data) {
    std::string f = "\x02";
    f += static_cast<char>(id);
    f += code;
    f += "00";
    f += data;
    f += '\x03';
    const std::uint8_t sum = xorChecksum(std::string_view(f).substr(1));
    static const char d[] = "0123456789ABCDEF";
    return f + d[sum >> 4] + d[sum & 15];
}

void BM_BuildRequest(benchmark::State& state) {
    ParamBuffer params;
    FrameBuffer out{};
    for (auto _ : state) {
        params.clear();
        appendItemFields(params);
        benchmark::DoNotOptimize(buildRequest("MNVK", 0x21, 0x42, params.data(), out));
    }
}
BENCHMARK(BM_BuildRequest);

void BM_ParseAnswer(benchmark::State& state) {
    const std::string frame = answerFrame(0x21, "00", "0\x1C" "4\x1C" "2\x1C");
    AnswerAssembler assembler;
    for (auto _ : state) {
        assembler.reset();
        for (char c : frame) assembler.push(c);
        benchmark::DoNotOptimize(checkAnswer(assembler.bytes(), assembler.size(), 0x21, 0x00, true));
        benchmark::DoNotOptimize(answerInteger(assembler.bytes(), 0) + answerInteger(assembler.bytes(), 1) +
                                 answerInteger(assembler.bytes(), 2));
    }
}
BENCHMARK(BM_ParseAnswer);

// Answers every request at once, so only the driver's own work is measured.
class InstantTransport final : public Transport {
public:
    int open(const char*, int, int) override { return 0; }
    void close(const char*) override {}
    int send(const char*, const char* data, int count) override {
        reply_ = answerFrame(static_cast<std::uint8_t>(data[5]), std::string_view(data + 6, 2), "1\x1C");
        pos_ = 0;
        return count;
    }
    int receive(const char*, char* byte) override {
        if (pos_ >= reply_.size()) return 0;
        *byte = reply_[pos_++];
        return 1;
    }
    void setTimeout(const char*, int) override {}
    void clearBuffers(const char*) override {}

private:
    std::string reply_;
    std::size_t pos_ = 0;
};

void BM_ItemExchangeCpu(benchmark::State& state) {
    RegisterLink link;
    link.setTransportFactory([] { return std::make_unique<InstantTransport>(); });
    link.connect("MNVK", "COM1", 57600, false, false);
    const std::string port = "COM1";
    for (auto _ : state) {
        link.params().clear();
        appendItemFields(link.params());
        benchmark::DoNotOptimize(link.exchange(port, 0x42));
    }
}
BENCHMARK(BM_ItemExchangeCpu);

}  // namespace
