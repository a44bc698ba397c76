#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/CThread.h"
#include "engine/platform/CrashDumpWriter.h"
#include "engine/platform/SingleInstanceGuard.h"

using namespace oskel::platform;

// The sanitizers' own handlers of the fatal signals stay out of the way in this program, so that
// the crash report writer is the one that answers (as in the game, which is built without them);
// nor do they give threads alternate signal stacks of their own.
extern "C" __attribute__((used)) const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0:"
           "use_sigaltstack=0";
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

namespace {

// A place of its own for each guard test, so a running game is never disturbed.
struct GuardFixture : ::testing::Test {
    fs::path root = fs::temp_directory_path() / uniqueName(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::vector<std::string> places{(root / "place").string()};
    const char* name = "Brasquel Test Guard";

    void SetUp() override { fs::create_directories(root); }
    void TearDown() override { fs::remove_all(root); }
};

// A client of the guard's socket that connects and then does what the test says.
int connectTo(const std::string& folder) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = folder + "/socket";
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s >= 0 && connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return -1;
    }
    return s;
}

}  // namespace

TEST_F(GuardFixture, FirstAndSecondInstanceAndTheRaiseRequest) {
    CSingleInstanceGuard first(name, places);
    EXPECT_FALSE(first.isAnotherInstance());
    EXPECT_FALSE(first.hasFailed());
    {
        // Before the first instance knows its window, a request is dropped.
        CSingleInstanceGuard second(name, places);
        EXPECT_TRUE(second.isAnotherInstance());
        EXPECT_FALSE(second.hasFailed());
    }
    EXPECT_FALSE(first.takeRaiseRequest());
    int window = 0;
    first.setWindow(&window);
    {
        CSingleInstanceGuard second(name, places);
        EXPECT_TRUE(second.isAnotherInstance());
    }
    EXPECT_TRUE(first.takeRaiseRequest());
    EXPECT_FALSE(first.takeRaiseRequest());  // taken
}

TEST_F(GuardFixture, TheGuardIsAFolderOfTheUsersOwnClosedToOthers) {
    const mode_t previous = ::umask(0);  // the folder's mode does not depend on the umask
    CSingleInstanceGuard guard(name, places);
    ::umask(previous);
    ASSERT_FALSE(guard.hasFailed());
    EXPECT_EQ(fs::path(guard.getFolder()), root / "place" / name);
    struct stat info {};
    ASSERT_EQ(lstat(guard.getFolder().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
    ASSERT_EQ(lstat((guard.getFolder() + "/lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(lstat((guard.getFolder() + "/socket").c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
}

TEST_F(GuardFixture, AGuardFolderThatIsNotTheUsersOwnIsPassedOver) {
    // Each case leaves something in the first place where the guard folder goes; the guard then
    // takes the second place, and with the first place alone it fails (the program says so)
    // rather than counting as another instance.
    struct Case {
        const char* what;
        std::function<void(const fs::path& folder)> squat;
    };
    std::vector<Case> cases = {
        {"a link to a folder elsewhere",
         [this](const fs::path& folder) {
             fs::create_directories(root / "elsewhere");
             fs::create_directory_symlink(root / "elsewhere", folder);
         }},
        {"a folder open to others",
         [](const fs::path& folder) {
             fs::create_directories(folder);
             ::chmod(folder.c_str(), 0777);
         }},
        {"a file",
         [](const fs::path& folder) { std::ofstream(folder) << "x"; }},
    };
    if (geteuid() == 0) {
        // Only the superuser can give a folder to another user; then a game of that user holds
        // its guard there (in a place open to everyone, as /tmp is).
        cases.push_back({"another user's running game", [](const fs::path& folder) {
                             ::chmod(folder.parent_path().c_str(), 01777);
                             fs::create_directories(folder);
                             ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
                             ::chmod(folder.c_str(), 0700);
                         }});
    }
    for (const Case& c : cases) {
        const fs::path first = root / "first";
        fs::create_directories(first);
        c.squat(first / name);
        const std::vector<std::string> two = {first.string(), (root / "second").string()};
        {
            CSingleInstanceGuard guard(name, two);
            EXPECT_FALSE(guard.hasFailed()) << c.what;
            EXPECT_FALSE(guard.isAnotherInstance()) << c.what;
            EXPECT_EQ(fs::path(guard.getFolder()), root / "second" / name) << c.what;
        }
        {
            CSingleInstanceGuard alone(name, {first.string()});
            EXPECT_TRUE(alone.hasFailed()) << c.what;
        }
        fs::remove_all(root);
        fs::create_directories(root);
    }
}

TEST_F(GuardFixture, AnotherUsersGameDoesNotStopThisOne) {
    if (geteuid() != 0) return;  // only the superuser can run a process as another user
    // Both games use a place open to everyone: each finds its own guard folder there.
    const fs::path shared = root / "shared";
    fs::create_directories(shared);
    ::chmod(root.c_str(), 0755);
    ::chmod(shared.c_str(), 01777);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
        CSingleInstanceGuard guard(name, {shared.string()});
        const char state = guard.isAnotherInstance() ? 'n' : 'y';
        (void)!write(ready[1], &state, 1);
        for (;;) pause();
    }
    char state = 0;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    {
        CSingleInstanceGuard mine(name, {shared.string(), (root / "own").string()});
        EXPECT_FALSE(mine.hasFailed());
        EXPECT_FALSE(mine.isAnotherInstance());
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

TEST_F(GuardFixture, ClientsThatSendNothingDoNotHoldUpTheGame) {
    CSingleInstanceGuard first(name, places);
    int window = 0;
    first.setWindow(&window);
    std::vector<int> silent;
    for (int i = 0; i < 5; ++i) {
        silent.push_back(connectTo(first.getFolder()));
        ASSERT_GE(silent.back(), 0);
    }
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(first.takeRaiseRequest());
    const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - before)
                            .count();
    // Waiting for each of them would take far longer than a frame.
    EXPECT_LT(tookMs, 100);
    // A real second start among them is answered; a late request of a waiting one as well.
    {
        CSingleInstanceGuard second(name, places);
        EXPECT_TRUE(second.isAnotherInstance());
    }
    EXPECT_TRUE(first.takeRaiseRequest());
    ASSERT_EQ(write(silent[2], "R", 1), 1);
    EXPECT_TRUE(first.takeRaiseRequest());
    for (int s : silent) close(s);
    EXPECT_FALSE(first.takeRaiseRequest());
}

TEST_F(GuardFixture, AKilledFirstInstanceLeavesNothingBehind) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSingleInstanceGuard guard(name, places);
        const char state = guard.isAnotherInstance() ? 'n' : 'y';
        (void)!write(ready[1], &state, 1);
        for (;;) pause();
    }
    char state = 0;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    {
        CSingleInstanceGuard whileRunning(name, places);
        EXPECT_TRUE(whileRunning.isAnotherInstance());
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    CSingleInstanceGuard afterwards(name, places);
    EXPECT_FALSE(afterwards.isAnotherInstance());
    // Its requests are answered again.
    int window = 0;
    afterwards.setWindow(&window);
    { CSingleInstanceGuard second(name, places); }
    EXPECT_TRUE(afterwards.takeRaiseRequest());
    close(ready[0]);
    close(ready[1]);
}

TEST_F(GuardFixture, AGuardThatCannotBeMadeIsAFailure) {
    const std::string tooLong(300, 'x');
    const struct {
        const char* name;
        std::vector<std::string> places;
    } cases[] = {
        {tooLong.c_str(), places},
        {"a/b", places},
        {"..", places},
        {name, {"relative/place"}},
        {name, {}},
    };
    for (const auto& c : cases) {
        CSingleInstanceGuard guard(c.name, c.places);
        EXPECT_TRUE(guard.hasFailed()) << c.name;
        EXPECT_TRUE(guard.isAnotherInstance()) << c.name;  // the program must not start unguarded
    }
}

TEST_F(GuardFixture, AFolderPathTooLongForASocketAddressStillServes) {
    fs::path deep = root;
    for (int i = 0; i < 4; ++i) deep /= std::string(40, static_cast<char>('a' + i));
    CSingleInstanceGuard first(name, {deep.string()});
    ASSERT_FALSE(first.hasFailed());
    EXPECT_FALSE(first.isAnotherInstance());
    int window = 0;
    first.setWindow(&window);
    {
        CSingleInstanceGuard second(name, {deep.string()});
        EXPECT_TRUE(second.isAnotherInstance());
    }
    EXPECT_TRUE(first.takeRaiseRequest());
}

TEST(SingleInstance, TheDefaultPlacesFollowTheEnvironment) {
    struct Case {
        const char *own, *runtime, *data;
        std::vector<std::string> places;
    };
    const Case cases[] = {
        {"/tests/own", "/run/user/7", "/data", {"/tests/own"}},
        {nullptr, "/run/user/7", "/data", {"/run/user/7", "/data"}},
        {nullptr, "relative", "/data", {"/data"}},
        {nullptr, nullptr, "/data", {"/data"}},
    };
    const char* keys[] = {"OSKEL_INSTANCE_DIR", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* value = std::getenv(keys[i]);
        had[i] = value != nullptr;
        if (value) saved[i] = value;
    }
    for (const Case& c : cases) {
        const char* values[] = {c.own, c.runtime, c.data};
        for (int i = 0; i < 3; ++i) {
            if (values[i])
                setenv(keys[i], values[i], 1);
            else
                unsetenv(keys[i]);
        }
        EXPECT_EQ(CSingleInstanceGuard::defaultPlaces(), c.places);
    }
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(keys[i], saved[i].c_str(), 1);
        else
            unsetenv(keys[i]);
    }
}

namespace {

// Runs the crash in a child process and returns its wait status; the report lands in folder.
// With ownThread the crash runs on a thread of its own (an exception must not meet the test
// framework's handlers); otherwise on the child's main thread, which starts workers itself.
int crashInChild(const fs::path& folder, void (*crash)(), bool ownThread = true) {
    const pid_t child = fork();
    if (child == 0) {
        CCrashDumpWriter writer("Brasquel", false, false);
        writer.setReportFolder(folder.c_str());
        if (ownThread)
            std::thread(crash).join();
        else
            crash();
        _exit(0);  // not reached
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

// The reports in the folder (file name, text), in no particular order.
std::vector<std::pair<std::string, std::string>> reportsIn(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> reports;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".dmp")
            reports.emplace_back(entry.path().filename().string(), readAll(entry.path()));
    return reports;
}

// A report written to its end: the heading, the signal, the backtrace, the memory map and the
// closing line, each once.
bool isComplete(const std::string& report) {
    const char* parts[] = {"Brasquel crash report\n", "\nsignal: ", "\nbacktrace:\n",
                           "\nmemory map:\n"};
    size_t at = 0;
    for (const char* part : parts) {
        at = report.find(part, at);
        if (at == std::string::npos || report.find(part, at + 1) != std::string::npos) return false;
    }
    const std::string end = "\nend of report\n";
    return report.size() >= end.size() &&
           report.compare(report.size() - end.size(), end.size(), end) == 0;
}

// Faults of the test: a write to address 0 (the address is read at run time, so that the
// compiler cannot see it, and the sanitizers do not check it first) and a recursion without end.
volatile uintptr_t g_nothing = 0;
volatile bool g_deeper = true;

__attribute__((noinline, no_sanitize("address", "undefined"))) void writeToNull() {
    *reinterpret_cast<volatile int*>(g_nothing) = 1;
}

__attribute__((noinline, no_sanitize("address"))) int recurse(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    int deeper = 0;
    if (g_deeper) deeper = recurse(depth + 1);
    return deeper + frame[0];
}

// The folder the child's threads watch.
char g_watched[1024];
std::atomic<int> g_arrived{0};

bool anyReportIn(const char* folder) {
    DIR* dir = opendir(folder);
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = readdir(dir))
        if (std::strstr(entry->d_name, ".dmp")) found = true;
    closedir(dir);
    return found;
}

void faultTogether(void*) {
    ++g_arrived;
    while (g_arrived.load() < 2) {
    }
    writeToNull();
}

// Starts the workers (the engine's threads) and waits for them.
void runWorkers(std::vector<oskel::CThread::Function> functions) {
    std::vector<std::unique_ptr<oskel::CThread>> workers;
    for (oskel::CThread::Function f : functions)
        workers.push_back(std::make_unique<oskel::CThread>(f, nullptr));
    for (auto& worker : workers) worker->start();
    for (auto& worker : workers) worker->join();
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
        const auto reports = reportsIn(folder);
        for (const auto& [file, report] : reports) {
            EXPECT_EQ(file.rfind("entry_tests.", 0), 0u) << file;  // "<program>.<seconds>.dmp"
            EXPECT_TRUE(isComplete(report)) << report;
        }
        EXPECT_EQ(reports.size(), 1u) << c.what;
        fs::remove_all(folder);
    }
}

TEST(CrashReport, FaultsOnTheEnginesThreadsLeaveExactlyOneCompleteReport) {
    const struct {
        const char* what;
        void (*crash)();
        int runs;  // a race is run more than once
    } cases[] = {
        {"a null write on a worker", [] { runWorkers({[](void*) { writeToNull(); }}); }, 1},
        // Only an alternate signal stack leaves the handler room to run.
        {"a stack overflow on a worker", [] { runWorkers({[](void*) { recurse(0); }}); }, 1},
        {"two workers at once",
         [] {
             runWorkers({faultTogether, faultTogether});
         },
         3},
        // The second fault comes while the first report is being written.
        {"a second worker during the report",
         [] {
             runWorkers({[](void*) { writeToNull(); },
                         [](void*) {
                             while (!anyReportIn(g_watched)) {
                             }
                             writeToNull();
                         }});
         },
         5},
    };
    for (const auto& c : cases) {
        for (int run = 0; run < c.runs; ++run) {
            const fs::path folder = fs::temp_directory_path() / uniqueName("threads");
            fs::create_directories(folder);
            std::snprintf(g_watched, sizeof g_watched, "%s", folder.c_str());
            const int status = crashInChild(folder, c.crash, false);
            ASSERT_TRUE(WIFSIGNALED(status)) << c.what << " status " << status;
            EXPECT_EQ(WTERMSIG(status), SIGSEGV) << c.what;
            const auto reports = reportsIn(folder);
            ASSERT_EQ(reports.size(), 1u) << c.what;
            EXPECT_TRUE(isComplete(reports[0].second)) << c.what << "\n" << reports[0].second;
            EXPECT_NE(reports[0].second.find("SIGSEGV"), std::string::npos) << c.what;
            fs::remove_all(folder);
        }
    }
}

TEST(CrashReport, AnExistingFileIsNeverWrittenOver) {
    const fs::path folder = fs::temp_directory_path() / uniqueName("existing");
    fs::create_directories(folder);
    // Files with every name the report could take in the next seconds.
    const long now = static_cast<long>(std::time(nullptr));
    for (long t = now; t < now + 10; ++t)
        std::ofstream(folder / ("entry_tests." + std::to_string(t) + ".dmp")) << "kept";
    const int status = crashInChild(folder, [] { raise(SIGSEGV); });
    ASSERT_TRUE(WIFSIGNALED(status));
    int kept = 0, written = 0;
    for (const auto& [file, report] : reportsIn(folder)) {
        if (report == "kept") {
            ++kept;
        } else {
            ++written;
            EXPECT_TRUE(isComplete(report)) << file;
            EXPECT_EQ(file.rfind("entry_tests.", 0), 0u) << file;
        }
    }
    EXPECT_EQ(kept, 10);
    EXPECT_EQ(written, 1);
    fs::remove_all(folder);
}

TEST(CrashReport, MessageHelperModeIsOnlyTakenWhenAsked) {
    char program[] = "brasquel";
    char other[] = "--other";
    char* plain[] = {program, nullptr};
    char* wrong[] = {program, other, other, nullptr};
    EXPECT_EQ(CCrashDumpWriter::runMessageHelper("Brasquel", 1, plain), -1);
    EXPECT_EQ(CCrashDumpWriter::runMessageHelper("Brasquel", 3, wrong), -1);
}
