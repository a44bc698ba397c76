#include "tests/nodes/ProgramRun.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace oskel::test {

int runProgram(const std::vector<std::string>& arguments, std::string& log, int timeoutSeconds) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("ALSOFT_DRIVERS", "null", 1);
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    bool ended = false;
    char buffer[4096];
    while (!ended && std::chrono::steady_clock::now() < end) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) log.append(buffer, static_cast<size_t>(n));
        }
        ended = waitpid(pid, &status, WNOHANG) == pid;
    }
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        log.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace oskel::test
