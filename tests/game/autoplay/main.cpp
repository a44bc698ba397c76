// brasquel_autoplay: the game's own program with a walk driving it, or a careless player at it
// (a test program, never installed).
//
//   brasquel_autoplay [--speed N] [--short] [--shots DIR] [--data DIR] [--root DIR] WALK
//   brasquel_autoplay --random [--seed N] [--turns N] [--game-minutes N] [--max-slope KB]
//                     [--max-spread KB] [--tree-at N] [--data DIR] [--root DIR]
//
// --speed N   the game's clock runs N times as fast as real time (the update step stays 10 ms,
//             so the game does the same, in more steps per second, as far as the machine keeps
//             up: the device lets a turn advance the game by 200 ms at most, one step after a
//             longer lag; the walk's limits count the game's own time)
// --short     runs the walk's short form: up to its "short" step, where it quits with code 0
// --shots DIR keeps every shot as a PNG file in DIR
// --data DIR  the user and common data folders go there and stay (by default a fresh
//             temporary folder, removed after a walk that passed)
// --root DIR  the folder the game runs in (its assets); by default the source folder
// --profile-only
//             writes the walk's profile file into the data folder (give --data) and ends: the
//             real program can then start with it
// --random    the random mode (RandomRunner.h) instead of a walk: a player with every location
//             of the map completed, scores on each, every upgrade bought, the tutorials as a new
//             player has them; one action a turn of 40 ms of game time, chosen from the seed
//             and the scene on top, each printed. It ends after --turns N turns or
//             --game-minutes N minutes of game time, or when the process is asked to end
//             (SIGTERM); it prints the seed first and in its summary (the scenes entered, the
//             warning and error lines, the resident memory sampled every minute of game time
//             and its trend over the last 40 minutes)
// --seed N    the random mode's seed (by default one from the clock)
// --tree-at N prints the tree of named nodes at the random run's turn N
// --max-slope KB, --max-spread KB
//             the run fails when the resident memory of its last 40 minutes grows by more than
//             KB a minute (the least-squares slope), or spreads wider than KB
// The exit code is 0 when the walk passed and the game ended with the code its quit step
// expects (a random run: when it ended by its limit or a signal, the game with exit code 0 and
// the memory within its bounds), 1 when it failed, 2 for a wrong command line or walk file.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/content/CContentManager.h"
#include "engine/core/Clock.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/platform/SingleInstanceGuard.h"
#include "game/app/GApplication.h"
#include "tests/game/autoplay/ProfileWriter.h"
#include "tests/game/autoplay/RandomRunner.h"
#include "tests/game/autoplay/ScaledClock.h"
#include "tests/game/autoplay/WalkRunner.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/common_interface_defs.h>
#define BRASQUEL_AUTOPLAY_SANITIZED 1
#endif
#endif

namespace fs = std::filesystem;
using namespace oskel;
using namespace brasquel;
using namespace brasquel::autoplay;

namespace {

int usage(const char* why) {
    std::fprintf(
        stderr,
        "brasquel_autoplay: %s\nusage: brasquel_autoplay [--speed N] [--short] [--shots DIR] "
        "[--data DIR] [--root DIR] [--profile-only] WALK\n"
        "       brasquel_autoplay --random [--seed N] [--turns N] [--game-minutes N] "
        "[--max-slope KB] [--max-spread KB] [--tree-at N] [--data DIR] [--root DIR]\n",
        why);
    return 2;
}

// The random run's player: every location of the map completed (39 of them), a score and a
// time on each, every upgrade bought (the header's "upgrades all").
constexpr int kLocations = 39;
constexpr const char* kRandomPlayer = "Riley";
constexpr const char* kRandomScore = "3000";
constexpr const char* kRandomTime = "200000";

SWalkProfile randomRunProfile() {
    SWalkProfile profile;
    profile.players.push_back(kRandomPlayer);
    std::string scores, times;
    for (int i = 0; i < kLocations; ++i) {
        scores += (i ? ";" : "") + std::string(kRandomScore);
        times += (i ? ";" : "") + std::string(kRandomTime);
    }
    const std::string last = std::to_string(kLocations - 1);
    profile.values = {{kRandomPlayer, "int", "MaxUnlockedLevelIndex", last},
                      {kRandomPlayer, "int", "LevelIndex", last},
                      {kRandomPlayer, "string", "Scores", scores},
                      {kRandomPlayer, "string", "Times", times},
                      {"", "bool", "FullScreen", "false"}};
    profile.upgrades.push_back(SWalkProfile::SUpgrades{kRandomPlayer, true});
    return profile;
}

#ifdef BRASQUEL_AUTOPLAY_SANITIZED
// The seed of the random run, printed when a sanitizer ends the process.
unsigned long long g_randomSeed = 0;
void printSeedOnDeath() { std::fprintf(stderr, "Random run failed: seed %llu\n", g_randomSeed); }
#endif

bool toNumber(const std::string& text, unsigned long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 10);
    return *end == 0 && text[0] != '-';
}

}  // namespace

int main(int argc, char** argv) {
    unsigned speed = 1;
    std::string shots, data, walkPath;
    bool profileOnly = false;
    bool shortForm = false;
    bool random = false, seedGiven = false;
    SRandomOptions randomOptions;
#ifdef BRASQUEL_SOURCE_DIR
    std::string root = BRASQUEL_SOURCE_DIR;
#else
    std::string root = ".";
#endif
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--speed") {
            if (!value(text)) return usage("--speed needs a number");
            char* end = nullptr;
            const long n = std::strtol(text.c_str(), &end, 10);
            if (*end != 0 || n < 1 || n > 100) return usage("--speed takes 1 to 100");
            speed = static_cast<unsigned>(n);
        } else if (arg == "--shots") {
            if (!value(shots)) return usage("--shots needs a folder");
        } else if (arg == "--data") {
            if (!value(data)) return usage("--data needs a folder");
        } else if (arg == "--profile-only") {
            profileOnly = true;
        } else if (arg == "--short") {
            shortForm = true;
        } else if (arg == "--root") {
            if (!value(root)) return usage("--root needs a folder");
        } else if (arg == "--random") {
            random = true;
        } else if (arg == "--seed" || arg == "--turns" || arg == "--game-minutes" ||
                   arg == "--max-slope" || arg == "--max-spread" || arg == "--tree-at") {
            unsigned long long n = 0;
            if (!value(text) || !toNumber(text, n)) return usage((arg + " needs a number").c_str());
            if (arg == "--seed") {
                randomOptions.seed = n;
                seedGiven = true;
            } else if (arg == "--turns") {
                randomOptions.turns = n;
            } else if (arg == "--game-minutes") {
                if (n > 100000) return usage("--game-minutes takes up to 100000");
                randomOptions.gameMinutes = static_cast<uint32_t>(n);
            } else if (arg == "--tree-at") {
                randomOptions.treeAt = n;
            } else if (arg == "--max-slope") {
                randomOptions.maxSlopeKb = static_cast<double>(n);
            } else {
                randomOptions.maxSpreadKb = static_cast<double>(n);
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (walkPath.empty()) {
            walkPath = arg;
        } else {
            return usage("one walk at a time");
        }
    }
    if (random && (!walkPath.empty() || profileOnly || shortForm || !shots.empty() || speed != 1))
        return usage("--random takes no walk, --profile-only, --short, --shots or --speed");
    if (!random && walkPath.empty()) return usage("no walk given");
    if (profileOnly && data.empty()) return usage("--profile-only needs --data");
    if (!random) walkPath = fs::absolute(walkPath).string();
    if (!shots.empty()) {
        shots = fs::absolute(shots).string();
        fs::create_directories(shots);
    }

    SWalk walk;
    std::string error;
    if (random) {
        walk.name = "random";
        walk.profile = randomRunProfile();
        if (!seedGiven)
            randomOptions.seed = static_cast<unsigned long long>(
                                     std::chrono::system_clock::now().time_since_epoch().count()) %
                                 1000000007ull;
    } else if (!loadWalk(walkPath, walk, error)) {
        std::fprintf(stderr, "brasquel_autoplay: %s\n", error.c_str());
        return 2;
    }

    // The data folders: the walk's profile file and nothing of the machine's.
    const bool keepData = !data.empty();
    if (data.empty()) {
        std::string pattern = (fs::temp_directory_path() / "brasquel-autoplay-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return usage("no temporary folder");
        data = pattern;
    }
    data = fs::absolute(data).string();
    fs::create_directories(fs::path(data) / "user");
    fs::create_directories(fs::path(data) / "common");
    setenv("XDG_DATA_HOME", (fs::path(data) / "user").c_str(), 1);
    setenv("OSKEL_COMMON_DATA_DIR", (fs::path(data) / "common").c_str(), 1);
    if (chdir(root.c_str()) != 0) return usage("cannot enter the root folder");

    // The game's device, made here with the sped-up clock (a random run: the stepped one): the
    // game finds it as the device.
    CSteppedClock* steppedClock = nullptr;
    std::unique_ptr<IClock> clock;
    if (random) {
        auto stepped = std::make_unique<CSteppedClock>(clockStartOf(randomOptions.seed));
        steppedClock = stepped.get();
        clock = std::move(stepped);
    } else {
        clock = std::make_unique<CScaledClock>(speed);
    }
    IDevice* device = createDevice(SDeviceParameters(), std::move(clock));
    if (!device) return usage("no device");
    if (!walk.profile.kept && !writeWalkProfiles(walk.profile, device, error)) {
        std::fprintf(stderr, "brasquel_autoplay: %s\n", error.c_str());
        device->drop();
        return 2;
    }
    if (profileOnly) {
        device->drop();
        return 0;
    }

    if (random) {
#ifdef BRASQUEL_AUTOPLAY_SANITIZED
        g_randomSeed = randomOptions.seed;
        __sanitizer_set_death_callback(printSeedOnDeath);
#endif
        auto player = makeRef<CRandomRunner>(randomOptions, steppedClock);
        player->installLog();
        platform::CSingleInstanceGuard guard(
            ("Brasquel Autoplay " + std::to_string(getpid())).c_str());
        const int exitCode =
            runGame(guard.hasFailed() ? nullptr : &guard, nullptr, [&](GApplication& application) {
                player->attach(device, application.getSceneManager());
            });
        player->detach();
        const int result = player->finish(exitCode);
        player = nullptr;
        device->drop();
        if (!keepData && result == 0) {
            std::error_code ignored;
            fs::remove_all(data, ignored);
        } else if (result != 0) {
            std::fprintf(stderr, "The run's data folder: %s\n", data.c_str());
        }
        return result;
    }

    SRunnerOptions options;
    options.shortForm = shortForm;
    if (!shots.empty()) {
        options.saveShot = [shots](CImage* image, const std::string& name) {
            GApplication* application = GApplication::getInstance();
            CContentManager* content = application ? application->getContentManager() : nullptr;
            return content && content->saveContent(TypeCodeImage, image,
                                                   (fs::path(shots) / name).c_str(), nullptr);
        };
    }
    auto runner = makeRef<CWalkRunner>(walk, options);
    runner->captureLog();
    // Guarded like the game, under a name of its own: the game's raise-request poll is the
    // first turn hook, the walk the second.
    platform::CSingleInstanceGuard guard(("Brasquel Autoplay " + std::to_string(getpid())).c_str());
    const int exitCode = runGame(
        guard.hasFailed() ? nullptr : &guard, nullptr,
        [&](GApplication& application) { runner->attach(device, application.getSceneManager()); });
    runner->detach();
    runner->gameEnded();
    if (!runner->isFinished())
        runner->fail("The game ended before the walk did (exit code " + std::to_string(exitCode) +
                     ")");
    int result = 0;
    if (runner->hasFailed()) {
        result = 1;
    } else if (exitCode != runner->getExpectedExitCode()) {
        std::fprintf(stderr, "Walk \"%s\": the game ended with exit code %d, the walk expects %d\n",
                     walk.name.c_str(), exitCode, runner->getExpectedExitCode());
        result = 1;
    } else {
        std::fprintf(stderr, "Walk \"%s\" passed\n", walk.name.c_str());
    }
    runner = nullptr;
    device->drop();
    if (!keepData && result == 0) {
        std::error_code ignored;
        fs::remove_all(data, ignored);
    } else if (result != 0) {
        std::fprintf(stderr, "The walk's data folder: %s\n", data.c_str());
    }
    return result;
}
