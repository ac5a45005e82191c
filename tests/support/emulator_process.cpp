#include "emulator_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/library.hpp"

extern char** environ;

namespace zirok::testing {

std::string binaryFolder() {
    static const char anchor = 0;
    return platform::moduleFolder(&anchor);
}

TempZirokHome::TempZirokHome() {
    if (const char* old = std::getenv("ZIROK_HOME")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    std::string pattern = std::filesystem::temp_directory_path() / "zirok-home-XXXXXX";
    path_ = mkdtemp(pattern.data());
    std::filesystem::create_directories(path_ + "/ports");
    setenv("ZIROK_HOME", path_.c_str(), 1);
}

TempZirokHome::~TempZirokHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    if (hadPrevious_) setenv("ZIROK_HOME", previous_.c_str(), 1);
    else unsetenv("ZIROK_HOME");
}

std::string TempZirokHome::portLink(int comNumber) const { return path_ + "/ports/com" + std::to_string(comNumber); }

EmulatorProcess::EmulatorProcess(const std::string& link, const std::vector<std::string>& args) {
    const std::string program = binaryFolder() + "zirok-emulator";
    std::vector<std::string> all = {program, "--link", link};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        pid_ = -1;
        close(out[0]);
        return;
    }
    // Wait for the line that says the link exists.
    std::string seen;
    pollfd pfd{out[0], POLLIN, 0};
    for (int waited = 0; waited < 10000 && seen.find("ready") == std::string::npos; waited += 50) {
        if (poll(&pfd, 1, 50) > 0) {
            char buf[256];
            const ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            seen.append(buf, static_cast<std::size_t>(n));
        }
    }
    // Kept open: an emulator that writes more must not die of a broken pipe.
    output_ = out[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
    started_ = seen.find("ready") != std::string::npos;
}

int EmulatorProcess::stop() {
    if (output_ >= 0) {
        char buf[4096];
        while (read(output_, buf, sizeof buf) > 0) {
        }
    }
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
}

EmulatorProcess::~EmulatorProcess() {
    stop();
    if (output_ >= 0) close(output_);
}

}  // namespace zirok::testing
