// Cost of one trace line through the loaded library, as the driver pays it.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "logging/library/quillog.h"

namespace {

class LoadedQuillog {
  public:
    LoadedQuillog() {
        library_ = dlopen("libquillog.so", RTLD_NOW | RTLD_LOCAL);
        if (!library_) return;
        create = reinterpret_cast<QuillCreateLoggerFn>(dlsym(library_, "CreateLogger"));
        remove = reinterpret_cast<QuillDeleteLoggerFn>(dlsym(library_, "DeleteLogger"));
        add = reinterpret_cast<QuillAddLogInstanceFn>(dlsym(library_, "AddLogInstance"));
        open = reinterpret_cast<QuillOpenLoggerFn>(dlsym(library_, "OpenLogger"));
        write = reinterpret_cast<QuillWriteMessageFn>(dlsym(library_, "WriteMessage"));
    }
    ~LoadedQuillog() {
        if (library_) dlclose(library_);
    }
    bool usable() const { return create && remove && add && open && write; }

    QuillCreateLoggerFn create = nullptr;
    QuillDeleteLoggerFn remove = nullptr;
    QuillAddLogInstanceFn add = nullptr;
    QuillOpenLoggerFn open = nullptr;
    QuillWriteMessageFn write = nullptr;

  private:
    void* library_ = nullptr;
};

void BM_WriteMessage(benchmark::State& state) {
    LoadedQuillog q;
    if (!q.usable()) {
        state.SkipWithError("libquillog.so not found beside the benchmark");
        return;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "quillog-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("no scratch folder");
        return;
    }
    QuillHandle logger = q.create();
    q.add(logger, "bench", folder.c_str());
    q.open(logger);
    // A typical traffic line, and a long one such as a stored document dump.
    std::string message = state.range(0) == 0
                              ? "Send data: 02 1E 00 30 01 00 00 00 0D 35 2A"
                              : std::string(static_cast<std::size_t>(state.range(0)), 'A');
    for (auto _ : state) {
        benchmark::DoNotOptimize(q.write(logger, message.c_str(), 1));
    }
    q.remove(logger);
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteMessage)->Arg(0)->Arg(1024);

}  // namespace
