// The trace client over the real library, found beside the test program.
#include "logging/client/logger.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/logging/scratch.hpp"

namespace zirok::logging {
namespace {

using testing::isTraceLine;
using testing::readLines;
using testing::ScopedEnv;
using testing::ScratchFolder;

class TLoggerTest : public ::testing::Test {
  protected:
    ScratchFolder state;
    ScopedEnv stateHome{"XDG_STATE_HOME", state.path + "/"};
    std::string logs = state.path + "/Brightfold/ZIROK OPOS Driver/Logs/";
};

bool quillogLoaded() {
    void* handle = dlopen(TLogger::defaultLibraryName().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

TEST_F(TLoggerTest, WritesTheTraceFileThroughTheLibrary) {
    {
        TLogger log;
        ASSERT_TRUE(log.libraryLoaded());
        EXPECT_EQ(log.LogFolder(), logs);
        log.AddInstance("OPOSZirok_15.03.2024");
        log.Open();
        log.LogInfo("Begin OpenService");
        log.LogWarning("Have opened sale receipt => Call DocumentAnnul");
        log.LogError("Exiting and ResultCode=111");
        protocol::TrafficLog& traffic = log;
        traffic.write("Send data: 02 05 00");
    }
    EXPECT_FALSE(quillogLoaded()) << "the last logger unloads the library";

    auto lines = readLines(logs + "OPOSZirok_15.03.2024.log");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(isTraceLine(lines[0], "Begin OpenService"));
    EXPECT_TRUE(isTraceLine(lines[1], "[warning] Have opened sale receipt => Call DocumentAnnul"));
    EXPECT_TRUE(isTraceLine(lines[2], "[ERROR!] Exiting and ResultCode=111"));
    EXPECT_TRUE(isTraceLine(lines[3], "Send data: 02 05 00"));
}

TEST_F(TLoggerTest, OneLoggerGoingLeavesTheOthersWriting) {
    auto first = std::make_unique<TLogger>();
    TLogger second;
    first->AddInstance("first");
    second.AddInstance("second");
    first->Open();
    second.Open();
    first.reset();
    EXPECT_TRUE(quillogLoaded());
    second.LogInfo("still here");

    auto lines = readLines(logs + "second.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(isTraceLine(lines[0], "still here"));
}

TEST_F(TLoggerTest, WithoutAUsableLibraryEverythingIsQuiet) {
    // A missing file, and a real library without the entry points.
    for (const char* library : {"libquillog-absent.so", "libm.so.6"}) {
        TLogger log(library);
        EXPECT_FALSE(log.libraryLoaded()) << library;
        log.AddInstance("OPOSZirok_15.03.2024");
        log.Open();
        log.LogInfo("info");
        log.LogWarning("warning");
        log.LogError("error");
        log.write("Send data: 02");
        EXPECT_EQ(log.LogFolder(), logs) << library;
        EXPECT_TRUE(std::filesystem::is_empty(state.path)) << library;
    }
}

}  // namespace
}  // namespace zirok::logging
