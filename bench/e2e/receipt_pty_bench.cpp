// A sales receipt of N items through the service object, over a real
// pseudo-terminal to zirok-emulator pacing the line at 57600 baud, with the
// register's package mode on and off. Besides the wall time each run reports
// the floor the line and the driver's mandated pauses set, the ratio of the
// two, and the driver's own CPU time per register command (this thread only:
// the emulator runs in its own process).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "bench/e2e/counting_transport.hpp"
#include "emulator_process.hpp"
#include "platform/automation.hpp"
#include "platform/registry.hpp"
#include "service-object/posix/service_object.hpp"
#include "service-object/service_context.hpp"

using namespace zirok;

namespace {

constexpr int kBaud = 57600;
constexpr double kPauseSeconds = 0.020;
constexpr double kPacingSeconds = 0.100;
constexpr std::int32_t kFiscalReceiptTypeIndex = 16034;
constexpr std::int32_t kDeviceEnabledIndex = 3;

bench::LineTally& lineTally() {
    static bench::LineTally tally;
    return tally;
}

// This thread's CPU time so far, in the driver's own code and in the kernel
// on its behalf (the terminal's system calls).
struct ThreadCpu {
    double user = 0, system = 0;

    static ThreadCpu now() {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
    }
    static double seconds(const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    }
};

void writeDeviceKey(bool packageMode) {
    auto key = platform::registry().createKey(
        platform::RegistryHive::LocalMachine,
        std::string_view("SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok"));
    key->writeString(std::string_view(""), std::string_view("Zirok.SOZirok"));
    key->writeString(std::string_view("Port"), std::string_view("COM7"));
    key->writeString(std::string_view("Autosearch"), std::string_view("0"));
    key->writeString(std::string_view("Password"), std::string_view("MNVK"));
    key->writeString(std::string_view("BaudRate"), std::string_view("57600"));
    // Tracing off: the figure is the driver's cost, not the trace file's.
    key->writeInteger(std::string_view("Debug"), 0);
    key->writeInteger(std::string_view("PackageMode"), packageMode ? 1 : 0);
}

// The fiscal interface of one service object, called by member name as a
// host calls it.
class FiscalPrinter {
  public:
    FiscalPrinter()
        : object_(so::posix::ServiceObject::create()),
          fiscal_(object_->queryInterface("ISOZirok")) {}

    std::int32_t call(std::u16string_view method, std::vector<platform::Variant> args) {
        const auto id = fiscal_->getIdsOfNames(method);
        if (!id) return -1;
        const platform::Variant result = fiscal_->invoke(*id, platform::kInvokeMethod, args);
        return result.type() == platform::VarType::Empty
                   ? 0
                   : platform::coerce(result, platform::VarType::I4).asInt();
    }

  private:
    std::shared_ptr<so::posix::ServiceObject> object_;
    std::shared_ptr<platform::Dispatch> fiscal_;
};

platform::Variant money(std::int64_t units) {
    return platform::Variant(platform::Currency{units});
}

// One whole receipt; the first failing call's method and result, or empty.
std::string sellReceipt(FiscalPrinter& fp, int items) {
    auto check = [](const char* method, std::int32_t result) {
        return result == 0 ? std::string()
                           : std::string(method) + " answered " + std::to_string(result);
    };
    if (auto e = check("BeginFiscalReceipt", fp.call(u"BeginFiscalReceipt", {true})); !e.empty())
        return e;
    std::int64_t total = 0;
    for (int i = 0; i < items; ++i) {
        const std::int64_t price = 100000 + 100 * i;  // 10.00, 10.01, ...
        total += price;
        const std::u16string name =
            u"Товар " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        const std::int32_t r = fp.call(u"PrintRecItem", {name, money(price), std::int32_t{1000},
                                                         std::int32_t{0}, money(price), u""});
        if (auto e = check("PrintRecItem", r); !e.empty()) return e;
    }
    // Paid by card, to the kopeck: a non-cash payment above what the register
    // counted is refused, so an item lost on the way fails the run.
    if (auto e =
            check("PrintRecTotal", fp.call(u"PrintRecTotal", {money(total), money(total), u"1"}));
        !e.empty())
        return e;
    return check("EndFiscalReceipt", fp.call(u"EndFiscalReceipt", {false}));
}

void BM_ReceiptOverPty(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    const bool packageMode = state.range(1) != 0;

    testing::TempZirokHome home;
    writeDeviceKey(packageMode);
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

    FiscalPrinter fp;
    std::string failure;
    if (fp.call(u"OpenService",
                {u"FiscalPrinter", u"Zirok", std::shared_ptr<platform::Dispatch>()}) != 0)
        failure = "OpenService failed";
    else if (fp.call(u"ClaimDevice", {std::int32_t{3000}}) != 0)
        failure = "ClaimDevice failed";
    fp.call(u"SetPropertyNumber", {kDeviceEnabledIndex, std::int32_t{1}});
    fp.call(u"SetPropertyNumber", {kFiscalReceiptTypeIndex, std::int32_t{4}});
    // One receipt first: it opens the shift, which is not the receipt's cost.
    if (failure.empty()) failure = sellReceipt(fp, 1);
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        fp.call(u"ReleaseDevice", {});
        fp.call(u"CloseService", {});
        return;
    }

    bench::LineTally total;
    double wall = 0, floor = 0;
    ThreadCpu cpu;
    for (auto _ : state) {
        lineTally().clear();
        const ThreadCpu cpu0 = ThreadCpu::now();
        const auto t0 = std::chrono::steady_clock::now();
        failure = sellReceipt(fp, items);
        const auto t1 = std::chrono::steady_clock::now();
        const ThreadCpu cpu1 = ThreadCpu::now();
        cpu.user += cpu1.user - cpu0.user;
        cpu.system += cpu1.system - cpu0.system;
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
    fp.call(u"ReleaseDevice", {});
    fp.call(u"CloseService", {});
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
    const double commands = static_cast<double>(total.requests);
    state.counters["cpu_us_per_cmd"] = (cpu.user + cpu.system) / commands * 1e6;
    state.counters["user_us_per_cmd"] = cpu.user / commands * 1e6;
    state.counters["sys_us_per_cmd"] = cpu.system / commands * 1e6;
}
BENCHMARK(BM_ReceiptOverPty)
    ->ArgNames({"items", "package"})
    ->ArgsProduct({{10, 50, 100}, {1, 0}})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
