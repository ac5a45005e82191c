#include "zirokctl_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "emulator_process.hpp"

extern char** environ;

namespace zirok::testing {

Outcome zirokctl(const std::vector<std::string>& args) {
    const std::string program = binaryFolder() + "zirokctl";
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    Outcome run;
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    // Both pipes are drained together: a child blocked on a full stderr
    // would never close its stdout.
    std::string text;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    for (int open = spawned == 0 ? 2 : 0; open > 0;) {
        if (poll(fds, 2, 30000) <= 0) break;
        for (pollfd& f : fds) {
            if (f.fd < 0 || !f.revents) continue;
            char buf[4096];
            const ssize_t n = read(f.fd, buf, sizeof buf);
            if (n <= 0) {
                f.fd = -1;
                --open;
            } else {
                (f.fd == out[0] ? text : run.errors).append(buf, static_cast<std::size_t>(n));
            }
        }
    }
    close(out[0]);
    close(err[0]);
    if (spawned == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
    return run;
}

}  // namespace zirok::testing
