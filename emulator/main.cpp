// zirok-emulator: a Zirok register on a pseudo-terminal.
#include <signal.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/commands/commands.hpp"
#include "emulator/faults.hpp"
#include "emulator/frame_server.hpp"
#include "emulator/pty_server.hpp"
#include "emulator/register_model.hpp"
#include "emulator/state_file.hpp"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int) {
    g_stop = 1;
}

constexpr const char* kUsage =
    "usage: zirok-emulator --link PATH [--password XXXX] [--fault CODE:KIND[:ARG][:COUNT]]...\n"
    "                      [--baud N] [--control FIFO] [--log FILE] [--tape FILE]\n"
    "                      [--state FILE]\n";

struct Arguments {
    std::string link;
    std::string password = "MNVK";
    std::vector<zirok::emulator::Fault> faults;
    unsigned baud = 0;
    std::string control;
    std::string log;
    std::string tape;
    std::string state;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
        const std::string value = argv[++i];
        if (option == "--link") {
            args.link = value;
        } else if (option == "--password") {
            if (value.size() != 4) throw std::invalid_argument("the password has 4 characters");
            args.password = value;
        } else if (option == "--fault") {
            args.faults.push_back(zirok::emulator::parseFault(value));
        } else if (option == "--baud") {
            std::size_t used = 0;
            const unsigned long baud = std::stoul(value, &used);
            if (used != value.size() || baud == 0 || baud > 4'000'000) {
                throw std::invalid_argument("--baud needs a positive number");
            }
            args.baud = static_cast<unsigned>(baud);
        } else if (option == "--control") {
            args.control = value;
        } else if (option == "--log") {
            args.log = value;
        } else if (option == "--tape") {
            args.tape = value;
        } else if (option == "--state") {
            args.state = value;
        } else {
            throw std::invalid_argument("unknown option " + option);
        }
    }
    if (args.link.empty()) throw std::invalid_argument("--link is required");
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zirok::emulator;
    Arguments args;
    try {
        args = parseArguments(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "zirok-emulator: " << e.what() << '\n' << kUsage;
        return 2;
    }

    // Block the stop signals everywhere but inside the server's waits, so one
    // that arrives between two waits is not lost.
    sigset_t stopSignals;
    sigset_t waitMask;
    sigemptyset(&stopSignals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopSignals, signal);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);

    std::ofstream logFile;
    if (!args.log.empty()) {
        logFile.open(args.log, std::ios::app);
        if (!logFile) {
            std::cerr << "zirok-emulator: cannot open log " << args.log << '\n';
            return 1;
        }
    }

    std::ofstream tapeFile;
    if (!args.tape.empty()) {
        tapeFile.open(args.tape, std::ios::app | std::ios::binary);
        if (!tapeFile) {
            std::cerr << "zirok-emulator: cannot open tape " << args.tape << '\n';
            return 1;
        }
    }

    RegisterModel model(args.password);
    defineAllCommands(model);
    if (!args.state.empty()) {
        try {
            loadState(model.state(), args.state);
        } catch (const std::exception& e) {
            // Never start afresh over a register the user wants kept.
            std::cerr << "zirok-emulator: " << e.what() << '\n';
            return 1;
        }
    }
    FaultPlan faults;
    for (const Fault& fault : args.faults) faults.add(fault);
    FrameServer frames(model, faults);

    // What the register printed goes on the tape as it prints; its memory is
    // saved after anything that may have changed it.
    auto afterEachRound = [&](bool controlApplied) {
        std::vector<std::string>& printed = model.state().printed;
        if (tapeFile.is_open() && !printed.empty()) {
            for (const std::string& line : printed) tapeFile << line << '\n';
            tapeFile.flush();
        }
        printed.clear();
        if ((model.takeChanged() || controlApplied) && !args.state.empty()) {
            try {
                saveState(model.state(), args.state);
            } catch (const std::exception& e) {
                std::cerr << "zirok-emulator: " << e.what() << '\n';
            }
        }
    };
    PtyServer server(frames, model.state(), faults,
                     PtyOptions{args.link, args.control, args.baud,
                                logFile.is_open() ? &logFile : nullptr, afterEachRound});
    try {
        server.start();
        std::cout << "ready " << args.link << std::endl;
        server.serve(g_stop, waitMask);
    } catch (const std::exception& e) {
        std::cerr << "zirok-emulator: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
