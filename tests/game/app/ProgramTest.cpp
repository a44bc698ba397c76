// The real program under the virtual display: started from the source folder (where its assets
// and icon are), with its home and data folders in a temporary folder.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// One run of the program; its standard error (the log) is collected.
class Program {
public:
    Program(const fs::path& home, const fs::path& data) {
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
        while ((n = read(m_log, buffer, sizeof buffer)) > 0) m_text.append(buffer, static_cast<size_t>(n));
    }

    pid_t m_pid = -1;
    int m_log = -1;
    int m_status = 0;
    bool m_ended = false;
    std::string m_text;
};

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
    writeCommonProfile("<int Name=\"VideoDriver\" Value=\"3\"/><bool Name=\"FullScreen\" Value=\"false\"/>");
    Program game(root / "home", root / "data");
    ASSERT_TRUE(game.started());
    // Start-up ends with the fit of the first scene.
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    EXPECT_NE(game.log().find("Stretched"), std::string::npos) << game.log();

    // A second start brings the first window to the front and ends at once.
    {
        Program second(root / "home", root / "data");
        ASSERT_TRUE(second.started());
        EXPECT_EQ(second.waitForExit(), 0) << second.log();
    }
    EXPECT_TRUE(game.waitForLog("Another start of the game: the window comes to the front")) << game.log();

    // A close request (the window system turns the signal into one) ends the main loop.
    game.signal(SIGTERM);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_NE(game.log().find("CEventSystemFlowCloseRequest event received"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("Failed to"), std::string::npos) << game.log();
}

TEST_F(ProgramFixture, Direct3D9RunsItsFirstSceneAndEndsOnASignal) {
    writeCommonProfile("<int Name=\"VideoDriver\" Value=\"2\"/><bool Name=\"FullScreen\" Value=\"false\"/>");
    Program game(root / "home", root / "data");
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.waitForLog("Game screen alined.")) << game.log();
    EXPECT_NE(game.log().find("Using renderer: Direct3D 9.0"), std::string::npos) << game.log();
    // Frames go on being presented until the signal ends the main loop.
    game.signal(SIGTERM);
    EXPECT_EQ(game.waitForExit(), 0) << game.log();
    EXPECT_NE(game.log().find("CEventSystemFlowCloseRequest event received"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("Failed to"), std::string::npos) << game.log();
    EXPECT_EQ(game.log().find("DIRECT3D9"), std::string::npos) << game.log();
}

TEST_F(ProgramFixture, TheDefaultDirect3D8DriverIsNotThereSoStartUpFails) {
    Program game(root / "home", root / "data");
    ASSERT_TRUE(game.started());
    EXPECT_EQ(game.waitForExit(), 1) << game.log();
    EXPECT_NE(game.log().find("Could not create DIRECT3D8 Driver."), std::string::npos) << game.log();
    EXPECT_NE(game.log().find("Failed to initialize game"), std::string::npos) << game.log();
}
