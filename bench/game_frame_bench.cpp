// The game at its first scene against a bare SDL2 + OpenGL program, each run as a process of its
// own, the sides taking turns on one display:
// - start-up: from starting the process to its first presented frame;
// - frame: the process's CPU time (all its threads) per frame over a stretch of frames after a
//   warm-up, all sides drawing at the game's pace (a frame when an update of 10 ms is due, the
//   loop sleeping a millisecond otherwise).
// The game runs its own start-up (application object, device, OpenGL driver, sound, assets, the
// first scene) from the source folder, with its home and data folders in a temporary folder and
// OpenGL in a window chosen in its common profile; it runs once as players run it and once with
// a screenshot user registered with its driver, as when the developer keys are on. The bare
// program opens a window of the same size and pixel format and clears and presents it. Reports
// the medians of each side and the ratios to the bare program; the goal is a frame ratio of the
// game of at most 1.5.
//
// Usage: game_frame_bench [--rounds=N] [--frames=N] [--warmup=N]. Needs a display (the bench
// script gives a virtual one when there is none). Sound goes to OpenAL's null output unless
// ALSOFT_DRIVERS says otherwise.

#include <SDL.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/device/IDevice.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "game/app/GApplication.h"

namespace fs = std::filesystem;

namespace {

// The game's loop: a frame when an update step of this many milliseconds is due.
constexpr Uint32 kStepMs = 10;

long long nowNs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// What one run measured.
struct Run {
    double startupMs = 0;      // process start to the first presented frame
    double cpuPerFrameMs = 0;  // process CPU time per measured frame
    double wallPerFrameMs = 0;
    bool ok = false;
};

// Counts presented frames and takes the times; both programs call it at each turn of their
// loops.
class FrameClock {
public:
    FrameClock(long long startedNs, int warmup, int frames)
        : m_started(startedNs), m_warmup(warmup), m_frames(frames) {}

    // With the count of frames presented so far; true once the measured stretch is over.
    bool turn(unsigned presented) {
        if (presented >= 1 && m_firstFrame == 0) m_firstFrame = nowNs(CLOCK_MONOTONIC);
        if (presented >= static_cast<unsigned>(m_warmup) && m_cpu0 == 0) {
            m_cpu0 = nowNs(CLOCK_PROCESS_CPUTIME_ID);
            m_wall0 = nowNs(CLOCK_MONOTONIC);
        }
        if (presented >= static_cast<unsigned>(m_warmup + m_frames) && m_cpu1 == 0) {
            m_cpu1 = nowNs(CLOCK_PROCESS_CPUTIME_ID);
            m_wall1 = nowNs(CLOCK_MONOTONIC);
            return true;
        }
        return false;
    }

    void print() const {
        if (m_cpu1 == 0) {
            std::printf("result failed\n");
            return;
        }
        std::printf("result startup_ms=%.3f cpu_per_frame_ms=%.4f wall_per_frame_ms=%.4f\n",
                    (m_firstFrame - m_started) / 1e6, (m_cpu1 - m_cpu0) / 1e6 / m_frames,
                    (m_wall1 - m_wall0) / 1e6 / m_frames);
        std::fflush(stdout);
    }

private:
    long long m_started;
    int m_warmup, m_frames;
    long long m_firstFrame = 0, m_cpu0 = 0, m_cpu1 = 0, m_wall0 = 0, m_wall1 = 0;
};

// The game's own start-up and main loop, ended after the measured frames. With a screenshot
// user registered (as the developer keys do), the driver keeps what a screenshot needs.
int runGame(long long startedNs, int warmup, int frames, bool screenshotUser) {
    using namespace oskel;
    if (chdir(BRASQUEL_SOURCE_DIR) != 0) return 2;
    FrameClock clock(startedNs, warmup, frames);
    auto* application = new brasquel::GApplication();
    int exitCode = 1;
    if (application->init()) {
        IDevice* device = getDevice();
        IVideoDriver* driver = device->getVideoDriver();
        if (driver && driver->getDriverType() == DriverOpenGL) {
            if (screenshotUser) driver->addScreenShotUser();
            const u32 hook = device->addTurnHook([&] {
                auto* gl = static_cast<COpenGLDriver*>(device->getVideoDriver());
                if (clock.turn(gl->getPresentedFrameCount())) device->closeDevice();
            });
            application->run();
            device->removeTurnHook(hook);
            if (screenshotUser) device->getVideoDriver()->removeScreenShotUser();
            clock.print();
            exitCode = 0;
        }
    }
    application->shutdown();
    application->drop();
    releaseDevice();
    return exitCode;
}

// A window of the game's size and pixel format, cleared and presented at the game's pace.
int runBare(long long startedNs, int warmup, int frames) {
    FrameClock clock(startedNs, warmup, frames);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 2;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("Bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          1024, 768, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) return 2;
    SDL_GL_SetSwapInterval(1);  // as the game's default profile asks
    unsigned presented = 0;
    Uint32 last = SDL_GetTicks() - kStepMs;
    bool running = true;
    while (running) {
        if (clock.turn(presented)) break;
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT) running = false;
        const Uint32 now = SDL_GetTicks();
        if (now - last >= kStepMs) {
            last += kStepMs;
            if (now - last > 200) last = now;  // a long lag is cut, as the game's loop does
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            SDL_GL_SwapWindow(window);
            ++presented;
        } else {
            SDL_Delay(1);
        }
    }
    clock.print();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

// Runs this program in the mode; the run's numbers, read from its output.
Run spawn(const char* self, const char* mode, int warmup, int frames) {
    Run run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return run;
    const long long started = nowNs(CLOCK_MONOTONIC);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) dup2(quiet, 2);  // the game's log
        close(pipeFds[0]);
        close(pipeFds[1]);
        const std::string startedText = std::to_string(started);
        const std::string warmupText = std::to_string(warmup);
        const std::string framesText = std::to_string(frames);
        execl(self, self, mode, startedText.c_str(), warmupText.c_str(), framesText.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string output;
    char buffer[512];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const size_t at = output.find("result startup_ms=");
    if (at != std::string::npos &&
        std::sscanf(output.c_str() + at, "result startup_ms=%lf cpu_per_frame_ms=%lf wall_per_frame_ms=%lf",
                    &run.startupMs, &run.cpuPerFrameMs, &run.wallPerFrameMs) == 3)
        run.ok = true;
    return run;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int intOption(int argc, char** argv, const char* name, int fallback) {
    const size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=')
            return std::max(1, std::atoi(argv[i] + length + 1));
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strncmp(argv[1], "--", 2) == 0) {
        const std::string mode = argv[1] + 2;
        const long long started = std::atoll(argv[2]);
        const int warmup = std::atoi(argv[3]), frames = std::atoi(argv[4]);
        if (mode == "game") return runGame(started, warmup, frames, false);
        if (mode == "game-with-screenshots") return runGame(started, warmup, frames, true);
        if (mode == "bare") return runBare(started, warmup, frames);
    }
    // Other arguments (such as the benchmark flags the bench script passes on) are not ours.
    const int rounds = intOption(argc, argv, "--rounds", 7);
    const int frames = intOption(argc, argv, "--frames", 300);
    const int warmup = intOption(argc, argv, "--warmup", 60);

    // The game's folders: a common profile that asks for OpenGL in a window.
    const fs::path root = fs::temp_directory_path() / ("brasquel-frame-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "home");
    fs::create_directories(root / "data/Quorvane/Brasquel");
    fs::create_directories(root / "common");
    std::ofstream(root / "data/Quorvane/Brasquel/profile.dat")
        << "<?xml version=\"1.0\"?><Profiles><CommonProfile><Parameters>"
           "<int Name=\"VideoDriver\" Value=\"3\"/><bool Name=\"FullScreen\" Value=\"false\"/>"
           "</Parameters></CommonProfile></Profiles>";
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("OSKEL_COMMON_DATA_DIR", (root / "common").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "null", 0);

    const std::string self = fs::canonical("/proc/self/exe").string();
    // The sides, each run once a round, in an order that turns round by round.
    const char* modes[] = {"--game", "--bare", "--game-with-screenshots"};
    const char* names[] = {"game", "bare program", "game with a screenshot user"};
    constexpr int kSides = 3;
    std::vector<double> startup[kSides], cpu[kSides], wall[kSides];
    std::printf("%d rounds of %d frames after %d, the sides in turns\n", rounds, frames, warmup);
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < kSides; ++k) {
            const int side = (round + k) % kSides;
            const Run run = spawn(self.c_str(), modes[side], warmup, frames);
            if (!run.ok) {
                std::printf("round %d: the %s did not run\n", round, names[side]);
                fs::remove_all(root);
                return 1;
            }
            std::printf("round %d, %s: start-up %.1f ms, %.3f ms CPU a frame, %.2f ms a frame\n",
                        round, names[side], run.startupMs, run.cpuPerFrameMs, run.wallPerFrameMs);
            std::fflush(stdout);
            startup[side].push_back(run.startupMs);
            cpu[side].push_back(run.cpuPerFrameMs);
            wall[side].push_back(run.wallPerFrameMs);
        }
    }
    fs::remove_all(root);

    std::printf("\nmedians over %d rounds:\n", rounds);
    for (int side = 0; side < kSides; ++side)
        std::printf("  %-28s start-up %7.1f ms, CPU %.3f ms a frame, %.2f ms a frame\n", names[side],
                    median(startup[side]), median(cpu[side]), median(wall[side]));
    const double bareStartup = median(startup[1]), bareCpu = median(cpu[1]);
    std::printf("start-up ratio, game / bare program: %.2f\n", median(startup[0]) / bareStartup);
    std::printf("frame CPU ratio, game / bare program: %.2f (goal: at most 1.5)\n", median(cpu[0]) / bareCpu);
    std::printf("frame CPU ratio, game with a screenshot user / bare program: %.2f\n",
                median(cpu[2]) / bareCpu);
    return 0;
}
