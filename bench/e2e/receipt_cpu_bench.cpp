// The driver's own CPU time per register command: a sales receipt through
// the service object with the register emulated in-process behind the link.
// The time spent inside the transport's send, where the emulator does all its
// work, is taken off, so what is left is the dispatch, the service
// object, the protocol layer and their bookkeeping, with tracing off.
#include <benchmark/benchmark.h>
#include <time.h>

#include <memory>
#include <string>

#include "bench/e2e/receipt_session.hpp"
#include "emulator_process.hpp"
#include "emulator_transport.hpp"
#include "service-object/service_context.hpp"

using namespace zirok;

namespace {

std::int64_t threadCpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The in-process register, with the CPU time spent behind it kept apart.
class TimedRegister final : public protocol::Transport {
  public:
    explicit TimedRegister(testing::InProcessRegister& reg) : inner_(reg) {}

    std::int64_t insideNanos = 0;
    std::int64_t requests = 0;

    int open(const char* port, int baud, int handshake) override {
        return inner_.open(port, baud, handshake);
    }
    void close(const char* port) override { inner_.close(port); }
    int send(const char* port, const char* data, int count) override {
        const std::int64_t t0 = threadCpuNanos();
        if (count > 0 && data[0] == 0x02) ++requests;  // a frame, not a data block
        const int sent = inner_.send(port, data, count);
        insideNanos += threadCpuNanos() - t0;
        return sent;
    }
    // Taking a byte already answered is what a read-ahead costs: the driver's.
    int receive(const char* port, char* byte) override { return inner_.receive(port, byte); }
    void setTimeout(const char* port, int ms) override { inner_.setTimeout(port, ms); }
    void clearBuffers(const char* port) override { inner_.clearBuffers(port); }

  private:
    testing::EmulatorTransport inner_;
};

void BM_ReceiptDriverCpu(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    const bool packageMode = state.range(1) != 0;

    testing::TempZirokHome home;
    bench::writeDeviceKey(packageMode);
    // The link is process-wide and keeps the transport it made first: one
    // register and one tally serve every run, each run on a new register.
    static testing::InProcessRegister reg;
    static TimedRegister* timed = nullptr;
    so::context().link.setTransportFactory([]() -> std::unique_ptr<protocol::Transport> {
        auto transport = std::make_unique<TimedRegister>(reg);
        timed = transport.get();
        return transport;
    });
    std::destroy_at(&reg);
    std::construct_at(&reg);

    bench::FiscalPrinter fp;
    std::string failure = fp.start();
    // One receipt first: it opens the shift, which is not the receipt's cost.
    if (failure.empty()) failure = bench::sellReceipt(fp, 1);
    if (!failure.empty() || !timed) {
        state.SkipWithError(failure.empty() ? "no transport made" : failure.c_str());
        fp.stop();
        return;
    }

    std::int64_t driverNanos = 0, requests = 0;
    for (auto _ : state) {
        const std::int64_t inside0 = timed->insideNanos, requests0 = timed->requests;
        const std::int64_t t0 = threadCpuNanos();
        failure = bench::sellReceipt(fp, items);
        const std::int64_t spent = threadCpuNanos() - t0;
        driverNanos += spent - (timed->insideNanos - inside0);
        requests += timed->requests - requests0;
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    fp.stop();
    if (failure.empty() && requests > 0) {
        state.counters["commands"] =
            static_cast<double>(requests) / static_cast<double>(state.iterations());
        state.counters["driver_us_per_cmd"] =
            static_cast<double>(driverNanos) / static_cast<double>(requests) / 1e3;
    }
}
BENCHMARK(BM_ReceiptDriverCpu)
    ->ArgNames({"items", "package"})
    ->ArgsProduct({{10, 100}, {1, 0}})
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
