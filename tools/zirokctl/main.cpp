// zirokctl: the command-line OPOS host. It registers service-object
// libraries, moves registry-editor text in and out of the registry store,
// and plays the control object for scripts and tests.
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/zirokctl/reg_commands.hpp"
#include "tools/zirokctl/run_command.hpp"

namespace {

constexpr const char* kUsage =
    "usage: zirokctl register PATH\n"
    "       zirokctl unregister PATH\n"
    "       zirokctl reg import FILE\n"
    "       zirokctl reg export [KEY]\n"
    "       zirokctl run [--class FiscalPrinter|CashDrawer] [--device NAME] [--script FILE]\n"
    "                    [CALL ...]\n"
    "A CALL is one argument, `Method arg ...`; the script's calls run first.\n";

int usage() {
    std::cerr << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string& command = args[0];

    if ((command == "register" || command == "unregister") && args.size() == 2) {
        return zirok::ctl::registerServer(args[1], command == "unregister", std::cerr);
    }
    if (command == "reg" && args.size() == 3 && args[1] == "import") {
        return zirok::ctl::importRegFile(args[2], std::cerr);
    }
    if (command == "reg" && args.size() <= 3 && args.size() >= 2 && args[1] == "export") {
        return zirok::ctl::exportRegText(args.size() == 3 ? args[2] : "", std::cout, std::cerr);
    }
    if (command == "run") {
        try {
            const auto options =
                zirok::ctl::parseRunOptions(std::vector<std::string>(args.begin() + 1, args.end()));
            return zirok::ctl::runCalls(options, std::cout, std::cerr);
        } catch (const std::invalid_argument& e) {
            std::cerr << "zirokctl: " << e.what() << "\n";
            return usage();
        }
    }
    return usage();
}
