// level_bot: the level bot on one level folder, headless, in the level harness (for the tests
// and scripts/campaign only).
//
//   level_bot --assets DIR --level FOLDER [--tables FOLDER] [--seed N] [--script FILE]
//             [--transcript FILE] [--trace FILE]
//
// The level is loaded as level_sim loads it with the campaign's upgrades (the free ones and those
// the level or an earlier one requires, at the level's map location), the random generator
// seeded first (1 unless given). The bot plays until the level's completion notice or until its
// Time has passed, and on to the end of that day. It prints:
//
//   level FOLDER
//   bot-time MS        the level time of the completion notice ("none" without one)
//   time MS            the level's Time in milliseconds
//   ratio R            bot-time / time (with three decimals; "none" without a completion)
//   won yes|no         the completion within the Time
//   days D             the days played; the digest is the last one's
//   digest HEX         the harness's digest at the end of that day
//   script FILE        the bot's actions in level_sim's script format
//   unmet TEXT         (one line per objective still open at the end)
//   refused TEXT       (one line per action the level refused; none expected)
//
// The script replays with: level_sim --assets DIR --level FOLDER --upgrades campaign --seed N
// --days D --script FILE [--tables FOLDER]; its last digest is the one printed here. The script
// goes to --script, or else next to the transcript, or else to "level_bot_script.txt". Exit code
// 0 when the level was won in its Time, 1 when not, 2 for a wrong command line or a level that
// does not load. --trace writes, whenever they change, the bot's best wishes with what each
// brings and costs (to see why it does what it does).

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/core/CLogger.h"
#include "tests/game/level/LevelSimRun.h"
#include "tests/game/levels/LevelBot.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelsim;
using namespace brasquel::levelbot;

namespace {

struct SOptions {
    std::string assets;
    std::string level;
    std::string tables;
    u32 seed = 1;
    std::string script;
    std::string transcript;
    std::string trace;
};

bool parse(int argc, char** argv, SOptions& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--assets") {
            o.assets = value;
        } else if (name == "--level") {
            o.level = value;
        } else if (name == "--tables") {
            o.tables = value;
        } else if (name == "--seed") {
            o.seed = static_cast<u32>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (name == "--script") {
            o.script = value;
        } else if (name == "--transcript") {
            o.transcript = value;
        } else if (name == "--trace") {
            o.trace = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !o.assets.empty() && !o.level.empty();
}

}  // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: level_bot --assets DIR --level FOLDER [--tables FOLDER] [--seed N] "
                     "[--script FILE] [--transcript FILE] [--trace FILE]\n");
        return 2;
    }
    if (options.script.empty())
        options.script = options.transcript.empty() ? std::string("level_bot_script.txt")
                                                    : options.transcript + ".script.txt";

    SHostSetup setup;
    setup.assets = options.assets;
    setup.tables = options.tables;
    setup.seed = options.seed;
    LevelHost host(setup);
    Transcript transcript(options.transcript, true);
    LevelRun run(host, transcript);
    if (!host.ready() || !run.load(withSlash(options.level), OwnedCampaignUpgrades)) {
        logError("level_bot: the level does not load");
        return 2;
    }
    LevelBot bot(run);
    std::ofstream trace;
    if (!options.trace.empty()) {
        trace.open(options.trace, std::ios::out | std::ios::trunc);
        bot.setTrace(&trace);
    }
    const SBotRun result = bot.play(limitOf(run));

    std::string replay = "level_sim --assets " + options.assets + " --level " + options.level +
                         " --upgrades campaign --seed " + std::to_string(options.seed) +
                         " --days " + std::to_string(result.days) + " --script " + options.script;
    if (!options.tables.empty()) replay += " --tables " + options.tables;
    if (!writeScript(options.script, result,
                     {"The level bot's run of " + options.level + " at seed " +
                          std::to_string(options.seed) + ".",
                      "Replay: " + replay})) {
        logError("level_bot: the script cannot be written");
        return 2;
    }

    std::printf("level %s\n", options.level.c_str());
    if (result.completionMs >= 0)
        std::printf("bot-time %" PRId64 "\n", result.completionMs);
    else
        std::printf("bot-time none\n");
    std::printf("time %" PRIu64 "\n", result.limitMs);
    if (result.completionMs >= 0 && result.limitMs > 0)
        std::printf("ratio %.3f\n",
                    static_cast<double>(result.completionMs) / static_cast<double>(result.limitMs));
    else
        std::printf("ratio none\n");
    std::printf("won %s\n", result.won ? "yes" : "no");
    std::printf("days %u\n", result.days);
    std::printf("digest %s\n", result.digest.c_str());
    std::printf("script %s\n", options.script.c_str());
    for (const std::string& line : result.unmet) std::printf("unmet %s\n", line.c_str());
    for (const std::string& line : result.refused) std::printf("refused %s\n", line.c_str());
    return result.won ? 0 : 1;
}
