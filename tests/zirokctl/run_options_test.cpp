#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/zirokctl/run_command.hpp"

namespace zirok::ctl {
namespace {

TEST(RunOptions, OptionsAndCalls) {
    const auto defaults = parseRunOptions({"ClaimDevice 1000", "ReleaseDevice"});
    EXPECT_EQ(defaults.deviceClass, "FiscalPrinter");
    EXPECT_EQ(defaults.deviceName, "Zirok");
    EXPECT_EQ(defaults.script, "");
    EXPECT_EQ(defaults.calls, (std::vector<std::string>{"ClaimDevice 1000", "ReleaseDevice"}));

    const auto set = parseRunOptions(
        {"--class", "CashDrawer", "OpenDrawer", "--device", "Till 2", "--script", "s.txt"});
    EXPECT_EQ(set.deviceClass, "CashDrawer");
    EXPECT_EQ(set.deviceName, "Till 2");
    EXPECT_EQ(set.script, "s.txt");
    EXPECT_EQ(set.calls, std::vector<std::string>{"OpenDrawer"});

    const std::vector<std::vector<std::string>> refused = {
        {"--class", "LineDisplay"}, {"--device"}, {"--script"}, {"--verbose"}};
    for (const auto& args : refused) {
        EXPECT_THROW(parseRunOptions(args), std::invalid_argument) << args[0];
    }
}

}  // namespace
}  // namespace zirok::ctl
