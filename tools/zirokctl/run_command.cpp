#include "tools/zirokctl/run_command.hpp"

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tools/zirokctl/call_runner.hpp"
#include "tools/zirokctl/event_sink.hpp"
#include "tools/zirokctl/service_loader.hpp"

namespace zirok::ctl {

RunOptions parseRunOptions(const std::vector<std::string>& args) {
    RunOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 == args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--class") {
            options.deviceClass = value();
            if (!classInterface(options.deviceClass)) {
                throw std::invalid_argument("--class is FiscalPrinter or CashDrawer, not " +
                                            options.deviceClass);
            }
        } else if (a == "--device") {
            options.deviceName = value();
        } else if (a == "--script") {
            options.script = value();
        } else if (a.starts_with("--")) {
            throw std::invalid_argument("unknown option " + a);
        } else {
            options.calls.push_back(a);
        }
    }
    return options;
}

int runCalls(const RunOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<Call> calls;
    if (!options.script.empty()) {
        std::ifstream in(options.script, std::ios::binary);
        if (!in) {
            err << "zirokctl: cannot read " << options.script << "\n";
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        try {
            calls = parseScript(text.str());
        } catch (const std::invalid_argument& e) {
            err << "zirokctl: " << options.script << ": " << e.what() << "\n";
            return 2;
        }
    }
    const interfaces::InterfaceDesc* itf = classInterface(options.deviceClass);
    try {
        for (const std::string& written : options.calls) {
            if (auto call = parseCall(written)) calls.push_back(std::move(*call));
        }
        for (const Call& call : calls) methodOf(*itf, call);
    } catch (const std::invalid_argument& e) {
        err << "zirokctl: " << e.what() << "\n";
        return 2;
    }

    auto writeLine = [&out](const std::string& line) { out << line << "\n" << std::flush; };
    try {
        LoadedService service = loadService(options.deviceClass, options.deviceName);
        const auto sink = std::make_shared<EventSink>(writeLine);
        for (const Call& call : calls) {
            writeLine(callLine(runCall(service.object(), service.interface(), call, sink)));
        }
    } catch (const std::runtime_error& e) {
        err << "zirokctl: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace zirok::ctl
