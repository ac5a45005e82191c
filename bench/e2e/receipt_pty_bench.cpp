// A sales receipt of N items through the service object, over a real
// pseudo-terminal to zirok-emulator pacing the line at 57600 baud, with the
// register's package mode on and off. Besides the wall time each run reports
// the floor the line and the driver's mandated pauses set, the ratio of the
// two, and the calling thread's CPU time per register command (the emulator
// runs in its own process).
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <string>

#include "bench/e2e/counting_transport.hpp"
#include "bench/e2e/receipt_session.hpp"
#include "emulator_process.hpp"
#include "service-object/service_context.hpp"

using namespace zirok;

namespace {

constexpr int kBaud = 57600;
constexpr double kPauseSeconds = 0.020;
constexpr double kPacingSeconds = 0.100;

bench::LineTally& lineTally() {
    static bench::LineTally tally;
    return tally;
}

// This thread's CPU time so far: the driver's code and the kernel's work on
// its behalf (the terminal's system calls). bench_receipt_cpu has the
// driver's share alone.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_ReceiptOverPty(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    const bool packageMode = state.range(1) != 0;

    testing::TempZirokHome home;
    bench::writeDeviceKey(packageMode);
    testing::EmulatorProcess emulator(home.portLink(7), {"--baud", std::to_string(kBaud)});
    if (!emulator.started()) {
        state.SkipWithError("no emulator on the pseudo-terminal");
        return;
    }
    // The link is process-wide and loads its transport once: every run's
    // counts go to the one tally.
    const std::string library = testing::binaryFolder() + "libcomdll.so";
    so::context().link.setTransportFactory([library]() -> std::unique_ptr<protocol::Transport> {
        auto real = protocol::loadTransportLibrary(library);
        if (!real) return nullptr;
        return std::make_unique<bench::CountingTransport>(std::move(real), lineTally());
    });

    bench::FiscalPrinter fp;
    std::string failure = fp.start();
    // One receipt first: it opens the shift, which is not the receipt's cost.
    if (failure.empty()) failure = bench::sellReceipt(fp, 1);
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        fp.stop();
        return;
    }

    bench::LineTally total;
    double wall = 0, floor = 0, cpu = 0;
    for (auto _ : state) {
        lineTally().clear();
        const double cpu0 = threadCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        failure = bench::sellReceipt(fp, items);
        const auto t1 = std::chrono::steady_clock::now();
        cpu += threadCpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(t1 - t0).count();
        const bench::LineTally& run = lineTally();
        floor += run.floorSeconds(kBaud, kPauseSeconds, kPacingSeconds);
        total.bytesSent += run.bytesSent;
        total.bytesReceived += run.bytesReceived;
        total.requests += run.requests;
        total.pausedReads += run.pausedReads;
        total.pacingSteps += run.pacingSteps;
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    fp.stop();
    if (!failure.empty()) return;

    const double n = static_cast<double>(state.iterations());
    state.counters["bytes"] = static_cast<double>(total.bytesSent + total.bytesReceived) / n;
    state.counters["commands"] = static_cast<double>(total.requests) / n;
    state.counters["pauses"] = static_cast<double>(total.pausedReads) / n;
    state.counters["pacing"] = static_cast<double>(total.pacingSteps) / n;
    state.counters["wall_ms"] = wall / n * 1e3;
    state.counters["floor_ms"] = floor / n * 1e3;
    // The line alone: the pauses above overlap with bytes still crossing it.
    state.counters["wire_ms"] =
        static_cast<double>(total.bytesSent + total.bytesReceived) * 10.0 / kBaud / n * 1e3;
    state.counters["ratio"] = wall / floor;
    state.counters["thread_cpu_us_per_cmd"] = cpu / static_cast<double>(total.requests) * 1e6;
}
BENCHMARK(BM_ReceiptOverPty)
    ->ArgNames({"items", "package"})
    ->ArgsProduct({{10, 50, 100}, {1, 0}})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
