#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "engine/platform/CrashDumpWriter.h"
#include "engine/platform/SingleInstanceGuard.h"

using namespace oskel::platform;

// The sanitizers' own handlers of the fatal signals stay out of the way in this program, so that
// the crash report writer is the one that answers (as in the game, which is built without them).
extern "C" __attribute__((used)) const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0";
}
namespace fs = std::filesystem;

namespace {

// A guard name of this test run alone, so a running game is never disturbed.
std::string uniqueName(const char* what) {
    return std::string("Brasquel Test ") + what + " " + std::to_string(::getpid());
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SingleInstance, FirstAndSecondInstanceAndTheRaiseRequest) {
    const std::string name = uniqueName("guard");
    CSingleInstanceGuard first(name.c_str());
    EXPECT_FALSE(first.isAnotherInstance());
    EXPECT_FALSE(first.hasFailed());
    {
        // Before the first instance knows its window, a request is dropped.
        CSingleInstanceGuard second(name.c_str());
        EXPECT_TRUE(second.isAnotherInstance());
        EXPECT_FALSE(second.hasFailed());
    }
    EXPECT_FALSE(first.takeRaiseRequest());
    int window = 0;
    first.setWindow(&window);
    {
        CSingleInstanceGuard second(name.c_str());
        EXPECT_TRUE(second.isAnotherInstance());
    }
    EXPECT_TRUE(first.takeRaiseRequest());
    EXPECT_FALSE(first.takeRaiseRequest());  // taken
}

TEST(SingleInstance, AKilledFirstInstanceLeavesNothingBehind) {
    const std::string name = uniqueName("killed");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSingleInstanceGuard guard(name.c_str());
        const char state = guard.isAnotherInstance() ? 'n' : 'y';
        (void)!write(ready[1], &state, 1);
        for (;;) pause();
    }
    char state = 0;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    {
        CSingleInstanceGuard whileRunning(name.c_str());
        EXPECT_TRUE(whileRunning.isAnotherInstance());
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    CSingleInstanceGuard afterwards(name.c_str());
    EXPECT_FALSE(afterwards.isAnotherInstance());
    close(ready[0]);
    close(ready[1]);
}

TEST(SingleInstance, AGuardThatCannotBeMadeIsAFailure) {
    const std::string tooLong(200, 'x');
    CSingleInstanceGuard guard(tooLong.c_str());
    EXPECT_TRUE(guard.hasFailed());
    EXPECT_TRUE(guard.isAnotherInstance());  // the program must not start unguarded
}

namespace {

// Runs the crash in a child process and returns its wait status; the report lands in folder.
int crashInChild(const fs::path& folder, void (*crash)()) {
    const pid_t child = fork();
    if (child == 0) {
        CCrashDumpWriter writer("Brasquel", false, false);
        writer.setReportFolder(folder.c_str());
        // On a thread of its own: an exception must not meet the test framework's handlers.
        std::thread(crash).join();
        _exit(0);  // not reached
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

}  // namespace

TEST(CrashReport, AFatalSignalLeavesAReportAndAFailureStatus) {
    const struct {
        const char* what;
        void (*crash)();
        int signal;
    } cases[] = {
        {"segv", [] { raise(SIGSEGV); }, SIGSEGV},
        {"abort", [] { abort(); }, SIGABRT},
        {"exception", [] { throw std::runtime_error("not caught"); }, SIGABRT},
    };
    for (const auto& c : cases) {
        const fs::path folder = fs::temp_directory_path() / uniqueName(c.what);
        fs::create_directories(folder);
        const int status = crashInChild(folder, c.crash);
        ASSERT_TRUE(WIFSIGNALED(status)) << c.what << " status " << status;
        EXPECT_EQ(WTERMSIG(status), c.signal) << c.what;
        int reports = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string file = entry.path().filename().string();
            EXPECT_EQ(file.rfind("entry_tests.", 0), 0u) << file;  // "<program>.<seconds>.dmp"
            EXPECT_EQ(entry.path().extension(), ".dmp");
            const std::string report = readAll(entry.path());
            EXPECT_NE(report.find("signal: "), std::string::npos);
            EXPECT_NE(report.find("backtrace:"), std::string::npos);
            EXPECT_NE(report.find("memory map:"), std::string::npos);
            ++reports;
        }
        EXPECT_EQ(reports, 1) << c.what;
        fs::remove_all(folder);
    }
}

TEST(CrashReport, MessageHelperModeIsOnlyTakenWhenAsked) {
    char program[] = "brasquel";
    char other[] = "--other";
    char* plain[] = {program, nullptr};
    char* wrong[] = {program, other, other, nullptr};
    EXPECT_EQ(CCrashDumpWriter::runMessageHelper("Brasquel", 1, plain), -1);
    EXPECT_EQ(CCrashDumpWriter::runMessageHelper("Brasquel", 3, wrong), -1);
}
