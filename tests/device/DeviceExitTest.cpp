// Programs that leave the device to its own clean-up at exit, run in child processes (under the
// sanitizers in the test command).

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace {

struct SRun {
    int status = -1;
    std::string output;  // standard output and standard error
};

SRun runProgram(const char* path) {
    SRun run;
    int fds[2];
    if (pipe(fds) != 0) return run;
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        execl(path, path, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    waitpid(child, &run.status, 0);
    return run;
}

}  // namespace

TEST(DeviceExit, AProgramThatNeverReleasesItsDeviceEndsCleanly) {
    const SRun run = runProgram(OSKEL_EXIT_PROGRAM);
    ASSERT_TRUE(WIFEXITED(run.status)) << run.output;
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.output;
    EXPECT_EQ(run.output.find("Sanitizer"), std::string::npos) << run.output;
}
