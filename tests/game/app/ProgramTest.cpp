// The real program under the virtual display: started from the source folder (where its assets
// and icon are), with its home and data folders in a temporary folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/platform/SingleInstanceGuard.h"
#include "tests/video/opengl/WindowPixels.h"

namespace fs = std::filesystem;

namespace {

// A change of the program's environment: the variable is set to the value, or removed when
// there is none.
struct SEnvironment {
    const char* name;
    const char* value;
};

// One run of the program; its standard error (the log) is collected. Its home, data and
// single-instance folders lie under the root, so a game of the same user running on the machine
// never meets it.
class Program {
public:
    explicit Program(const fs::path& root, const std::vector<SEnvironment>& environment = {}) {
        const fs::path home = root / "home", data = root / "data", instance = root / "instance";
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(pipeFds[1], 2);
            close(pipeFds[0]);
            close(pipeFds[1]);
            if (chdir(BRASQUEL_SOURCE_DIR) != 0) _exit(126);
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_DATA_HOME", data.c_str(), 1);
            setenv("OSKEL_INSTANCE_DIR", instance.c_str(), 1);
            for (const SEnvironment& e : environment) {
                if (e.value)
                    setenv(e.name, e.value, 1);
                else
                    unsetenv(e.name);
            }
            execl(BRASQUEL_PROGRAM, BRASQUEL_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        m_log = pipeFds[0];
        fcntl(m_log, F_SETFL, O_NONBLOCK);
    }
    ~Program() {
        if (m_pid > 0 && !m_ended) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_log >= 0) close(m_log);
    }
    bool started() const { return m_pid > 0; }

    // Reads the log until the text shows up or the program ends or the time is up.
    bool waitForLog(const std::string& text, int seconds = 60) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            readLog(100);
            if (m_text.find(text) != std::string::npos) return true;
            if (hasEnded()) {
                readLog(0);
                return m_text.find(text) != std::string::npos;
            }
        }
        return false;
    }
    // The exit code, or -1 (killed by a signal or still running after the time).
    int waitForExit(int seconds = 60) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!hasEnded() && std::chrono::steady_clock::now() < end) readLog(50);
        readLog(0);
        if (!m_ended) return -1;
        return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
    }
    void signal(int number) { kill(m_pid, number); }
    const std::string& log() const { return m_text; }

private:
    bool hasEnded() {
        if (m_ended) return true;
        if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_ended = true;
        return m_ended;
    }
    void readLog(int waitMs) {
        pollfd p{m_log, POLLIN, 0};
        poll(&p, 1, waitMs);
        char buffer[4096];
        ssize_t n;
        while ((n = read(m_log, buffer, sizeof buffer)) > 0)
            m_text.append(buffer, static_cast<size_t>(n));
    }

    pid_t m_pid = -1;
    int m_log = -1;
    int m_status = 0;
    bool m_ended = false;
    std::string m_text;
};

// The common profile's values of a windowed game drawn with OpenGL.
constexpr const char* kWindowedOpenGL =
    "<int Name=\"VideoDriver\" Value=\"3\"/><bool Name=\"FullScreen\" Value=\"false\"/>";

struct ProgramFixture : ::testing::Test {
    fs::path root = fs::temp_directory_path() /
                    ("brasquel-program-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override {
        fs::create_directories(root / "home");
        fs::create_directories(root / "data");
    }
    void TearDown() override { fs::remove_all(root); }
    void writeCommonProfile(const std::string& parameters) {
        fs::create_directories(root / "data/Quorvane/Brasquel");
        std::ofstream(root / "data/Quorvane/Brasquel/profile.dat")
            << "<?xml version=\"1.0\"?><Profiles><CommonProfile><Parameters>" << parameters
            << "</Parameters></CommonProfile></Profiles>";
    }
};

}  // namespace

TEST_F(ProgramFixture, OpenGLWindowedRunsItsFirstSceneAndClosesOnRequest) {
    writeCommonProfile(kWindowedOpenGL);
    Program game(root);
    ASSERT_TRUE(game.started());
    // Start-up ends with the fit of the first scene.
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    EXPECT_NE(game.log().find("Stretched"), std::string::npos) << game.log();

    // A second start brings the first window to the front and ends at once.
    {
        Program second(root);
        ASSERT_TRUE(second.started());
        EXPECT_EQ(second.waitForExit(), 0) << second.log();
    }
    EXPECT_TRUE(game.waitForLog("Another start of the game: the window comes to the front"))
        << game.log();

    // SIGTERM ends the game the way an unrefused close does, without a close request that the
    // game could refuse.
    game.signal(SIGTERM);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_NE(game.log().find("Signal to end the program received"), std::string::npos)
        << game.log();
    EXPECT_NE(game.log().find("WM_DESTROY command received"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("CEventSystemFlowCloseRequest event received"), std::string::npos)
        << game.log();
    EXPECT_EQ(game.log().find("Failed to"), std::string::npos) << game.log();
}

TEST_F(ProgramFixture, SIGINTEndsTheGameToo) {
    writeCommonProfile(kWindowedOpenGL);
    Program game(root);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    game.signal(SIGINT);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_NE(game.log().find("WM_DESTROY command received"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("CEventSystemFlowCloseRequest event received"), std::string::npos)
        << game.log();
}

TEST_F(ProgramFixture, AGameOfTheSameUserRunningElsewhereDoesNotStopTheTests) {
    // The user's own game holds its guard in the session's runtime folder; the tests' program
    // has a place of its own and starts all the same.
    const fs::path runtime = root / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    oskel::platform::CSingleInstanceGuard usersGame("Brasquel Game Instance", {runtime.string()});
    ASSERT_FALSE(usersGame.isAnotherInstance());
    writeCommonProfile(kWindowedOpenGL);
    Program game(root, {{"XDG_RUNTIME_DIR", runtime.c_str()}});
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    game.signal(SIGTERM);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_EQ(game.log().find("Failed to initialize game"), std::string::npos) << game.log();
}

TEST_F(ProgramFixture, WithoutADisplayTheGameEndsWithAClearMessage) {
    writeCommonProfile(kWindowedOpenGL);
    // No desktop: SDL fails, or falls back to drawing off screen or on the frame buffer.
    const std::vector<std::vector<SEnvironment>> cases = {
        {{"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}},
        {{"SDL_VIDEODRIVER", "offscreen"}},
        {{"SDL_VIDEODRIVER", "dummy"}},
    };
    for (const auto& environment : cases) {
        Program game(root, environment);
        ASSERT_TRUE(game.started());
        EXPECT_EQ(game.waitForExit(), 1) << game.log();
        EXPECT_NE(game.log().find("No display to open a window on"), std::string::npos)
            << game.log();
        EXPECT_NE(game.log().find("Failed to initialize game"), std::string::npos) << game.log();
    }
}

TEST_F(ProgramFixture, Direct3D9RunsItsFirstSceneAndEndsOnASignal) {
    writeCommonProfile(
        "<int Name=\"VideoDriver\" Value=\"2\"/><bool Name=\"FullScreen\" Value=\"false\"/>");
    Program game(root);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    EXPECT_NE(game.log().find("Using renderer: Direct3D 9.0"), std::string::npos) << game.log();
    // Frames go on being presented until the signal ends the main loop.
    game.signal(SIGTERM);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_NE(game.log().find("WM_DESTROY command received"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("Failed to"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("DIRECT3D9"), std::string::npos) << game.log();
}

TEST_F(ProgramFixture, AFirstStartRunsFullScreenOnDirect3D8AtTheDesktopSize) {
    // No profile file: the defaults ask for Direct3D 8, full screen at the desktop's size.
    int desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(oskel::test::readXScreenSize(desktopWidth, desktopHeight)) << "no X display";
    ASSERT_GT(desktopWidth, 0);
    ASSERT_GT(desktopHeight, 0);
    Program game(root);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    EXPECT_NE(game.log().find("Using renderer: Direct3D 8.1"), std::string::npos) << game.log();
    // The screen fit of the first scene is that of the desktop's proportions.
    const size_t at = game.log().find("Screen ratio:");
    ASSERT_NE(at, std::string::npos) << game.log();
    const double ratio =
        std::strtod(game.log().c_str() + at + std::strlen("Screen ratio:"), nullptr);
    EXPECT_NEAR(ratio, static_cast<double>(desktopWidth) / desktopHeight, 0.01) << game.log();
    game.signal(SIGTERM);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_NE(game.log().find("WM_DESTROY command received"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("Failed to"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("DIRECT3D8"), std::string::npos) << game.log();
}
