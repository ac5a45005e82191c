// One register exchange over a real pseudo-terminal through the loaded
// transport library, answered by zirok-emulator in its own process. The CPU
// column is the driver's own time (this thread, system calls included); the
// wall time adds the emulator and the line.
#include <benchmark/benchmark.h>

#include "emulator_process.hpp"
#include "protocol/commands/status_commands.hpp"
#include "protocol/register_link.hpp"

using namespace zirok;

namespace {

void BM_DrawerStateOverPty(benchmark::State& state) {
    testing::TempZirokHome home;
    testing::EmulatorProcess emulator(home.portLink(7));
    protocol::RegisterLink link;
    if (!emulator.started() || !link.connect("MNVK", "COM7", 57600, false, false)) {
        state.SkipWithError("no emulator on the pseudo-terminal");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(protocol::GetDrawerState(link, "COM7"));
    link.disconnect("COM7");
}
BENCHMARK(BM_DrawerStateOverPty)->UseRealTime();

}  // namespace
