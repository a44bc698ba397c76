// level_sim: plays a level folder for a number of game days, headless, at a fixed seed, with
// scripted player actions, and prints the economy day by day. Built for the tests only.
//
//   level_sim --assets DIR --level FOLDER [--seed N] [--days N] [--script FILE]
//             [--tables FOLDER] [--upgrades free|campaign] [--save FILE@DAY] [--restore FILE]
//             [--window FILE.png] [--transcript FILE] [--repeat N]
//
// The game's assets are mounted and set up as the preloader does it (the sound pack, the
// Buildings and Env atlases, the level templates, the buildings, upgrades and level-scores
// tables; the buildings and upgrades tables from --tables instead of levels/common/ when given).
// The level folder is loaded as the play screen loads a level ("Level.oscn",
// "LevelConfiguration.xml" joined with its level-scores entry, "LevelPaths.xml", the bought
// upgrades, then the five set-up calls) into a world scene manager of its own. The owned
// upgrades, applied at the level's map location as the play screen applies them, are the free
// ones, or with --upgrades campaign those the campaign counts on there (the free ones and those
// the level or an earlier one requires). The loop turns in 10 ms steps, each with a draw.
//
// Script lines are "DAY:SECOND ACTION ARGS" (empty lines and lines from '#' are skipped; the
// second may carry hundredths, "3:12.25"):
//   build LOT TYPE | upgrade LOT | destroy LOT | repair LOT | clean LOT | restore LOT |
//   serve LOT | feature LOT INDEX | buy LOT | sell LOT (accepts the offer) | forsale LOT (the
//   sell button) | decline LOT (the offer) | materials OFFER | workers OFFER | press LOT |
//   press ground | abort LOT
// The checks of the play screen's menus come first (types the upgrades forbid, stock for the
// maintenance, money for a feature). Each action prints "action D:S LINE -> ok|refused".
// At the end of every game day it prints the day's economy, each objective's progress, the
// completion and a digest of the economic state. The transcript goes to the standard output
// (and to --transcript), the engine's log to the standard error.
//
// --save FILE@DAY writes a journal at the end of that day (the folder, the seed, the actions
// with their turns and the digest then); --restore FILE reloads that folder at that seed,
// replays the journal's actions, checks the digest at the saved turn (exit code 3 when it
// differs) and goes on with the script. --window draws in an OpenGL window of 1024 x 768, a
// frame every tenth turn (a software renderer would spend minutes on a frame per turn; the turns
// between draw nothing), and writes the last frame to the file, with the place of every lot
// ("lot NAME X0 Y0 X1 Y1").
// --repeat N plays the same run N times in this one process, each headed "run K".
// Exit code 0 when the run went through.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "tests/game/level/LevelSimRun.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelsim;

namespace {

constexpr u32 ClearColor = 0xff5a8a3cu;

struct SOptions {
    std::string assets;
    std::string level;
    u32 seed = 1;
    u32 days = 5;
    std::string script;
    std::string tables;
    EOwnedUpgrades upgrades = OwnedFreeUpgrades;
    std::string saveFile;
    u32 saveDay = 0;
    std::string restore;
    std::string window;
    std::string transcript;
    u32 repeat = 1;
};

bool parseUpgrades(const std::string& value, EOwnedUpgrades& out) {
    if (value == "free") {
        out = OwnedFreeUpgrades;
    } else if (value == "campaign") {
        out = OwnedCampaignUpgrades;
    } else {
        return false;
    }
    return true;
}
const char* upgradesName(EOwnedUpgrades owned) {
    return owned == OwnedCampaignUpgrades ? "campaign" : "free";
}

bool parse(int argc, char** argv, SOptions& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--assets") {
            o.assets = value;
        } else if (name == "--level") {
            o.level = value;
        } else if (name == "--seed") {
            o.seed = static_cast<u32>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (name == "--days") {
            o.days = static_cast<u32>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (name == "--script") {
            o.script = value;
        } else if (name == "--tables") {
            o.tables = value;
        } else if (name == "--upgrades") {
            if (!parseUpgrades(value, o.upgrades)) return false;
        } else if (name == "--save") {
            const size_t at = value.rfind('@');
            if (at == std::string::npos || at == 0) return false;
            o.saveFile = value.substr(0, at);
            o.saveDay = static_cast<u32>(std::strtoul(value.c_str() + at + 1, nullptr, 10));
            if (o.saveDay == 0) return false;
        } else if (name == "--restore") {
            o.restore = value;
        } else if (name == "--window") {
            o.window = value;
        } else if (name == "--transcript") {
            o.transcript = value;
        } else if (name == "--repeat") {
            o.repeat = static_cast<u32>(std::strtoul(value.c_str(), nullptr, 10));
            if (o.repeat == 0) return false;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !o.assets.empty() && (!o.level.empty() || !o.restore.empty()) &&
           o.days > 0;
}

// ---- Journal ----

struct SJournal {
    std::string level;
    std::string tables;
    std::string script;
    EOwnedUpgrades upgrades = OwnedFreeUpgrades;
    u32 seed = 0;
    u64 turn = 0;
    std::vector<SAction> actions;
    std::string digest;
};

bool writeJournal(const std::string& file, const SJournal& j) {
    std::ofstream out(file, std::ios::out | std::ios::trunc);
    if (!out) return false;
    out << "level_sim journal\n";
    out << "level " << j.level << "\n";
    out << "tables " << (j.tables.empty() ? "-" : j.tables) << "\n";
    out << "script " << (j.script.empty() ? "-" : j.script) << "\n";
    out << "upgrades " << upgradesName(j.upgrades) << "\n";
    out << "seed " << j.seed << "\n";
    out << "turn " << j.turn << "\n";
    for (const SAction& a : j.actions)
        out << "action " << a.turn << " " << a.when << " " << a.text << "\n";
    out << "digest " << j.digest << "\n";
    return static_cast<bool>(out);
}

bool readJournal(const std::string& file, SJournal& j) {
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line) || line != "level_sim journal") return false;
    bool digest = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        std::string rest;
        std::getline(words, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        if (key == "level") {
            j.level = rest;
        } else if (key == "tables") {
            j.tables = rest == "-" ? std::string() : rest;
        } else if (key == "script") {
            j.script = rest == "-" ? std::string() : rest;
        } else if (key == "upgrades") {
            if (!parseUpgrades(rest, j.upgrades)) return false;
        } else if (key == "seed") {
            j.seed = static_cast<u32>(std::strtoul(rest.c_str(), nullptr, 10));
        } else if (key == "turn") {
            j.turn = std::strtoull(rest.c_str(), nullptr, 10);
        } else if (key == "action") {
            std::istringstream a(rest);
            SAction action;
            a >> action.turn >> action.when;
            std::getline(a, action.text);
            if (!action.text.empty() && action.text[0] == ' ') action.text.erase(0, 1);
            if (action.when.empty() || action.text.empty()) return false;
            j.actions.push_back(action);
        } else if (key == "digest") {
            j.digest = rest;
            digest = true;
        } else {
            return false;
        }
    }
    return digest && !j.level.empty() && j.turn > 0;
}

// ---- The run ----

bool writeFrame(IDevice* device, const std::string& file) {
    IVideoDriver* driver = device->getVideoDriver();
    bool written = false;
    if (CImage* shot = driver->createScreenShot()) {
        IWritableFile* out = device->getFileSystem()->createAndWriteFile(stringc(file.c_str()));
        if (out) {
            written = getImageManager().writeImage(shot, out);
            out->drop();
        }
        shot->drop();
    }
    return written;
}

int run(SOptions options, Transcript& out) {
    SJournal journal;
    const bool restoring = !options.restore.empty();
    if (restoring) {
        if (!readJournal(options.restore, journal)) {
            CLogger::instance().logHint("level_sim: the journal cannot be read",
                                        options.restore.c_str(), LogError);
            return 1;
        }
        options.level = journal.level;
        options.tables = journal.tables;
        options.seed = journal.seed;
        options.upgrades = journal.upgrades;
        if (options.script.empty()) options.script = journal.script;
    }
    const std::string folder = withSlash(options.level);

    SHostSetup setup;
    setup.assets = options.assets;
    setup.tables = options.tables;
    setup.seed = options.seed;
    setup.window = !options.window.empty();
    LevelHost host(setup);
    if (!host.device()) return 1;

    int exitCode = 1;
    LevelRun sim(host, out);
    std::vector<SAction> actions;
    bool ready = host.ready() && sim.load(folder, options.upgrades);
    if (ready && !options.script.empty())
        ready = readScript(options.script, sim.dayLength(), actions);
    if (ready && restoring) {
        // The journal's actions up to the saved turn, then the script's after it.
        std::vector<SAction> later;
        for (const SAction& a : actions)
            if (a.turn >= journal.turn) later.push_back(a);
        actions = journal.actions;
        actions.insert(actions.end(), later.begin(), later.end());
    }
    if (!ready) return exitCode;

    const u64 total = sim.turnsPerDay() * options.days;
    bool failed = false;
    if (restoring) out.setQuiet(true);
    while (sim.turn() < total && !failed) {
        if (restoring && sim.turn() == journal.turn) {
            const std::string now = sim.digest();
            out.setQuiet(false);
            out.line("restored at turn " + std::to_string(journal.turn) + " digest " + now +
                     (now == journal.digest ? " matches" : " differs"));
            if (now != journal.digest) {
                failed = true;
                exitCode = 3;
                break;
            }
        }
        sim.step(actions);
        if (sim.dayEnded()) {
            const u32 day = static_cast<u32>(sim.turn() / sim.turnsPerDay());
            sim.report(day);
            if (!options.saveFile.empty() && day == options.saveDay) {
                SJournal save;
                save.level = options.level;
                save.tables = options.tables;
                save.script = options.script;
                save.upgrades = options.upgrades;
                save.seed = options.seed;
                save.turn = sim.turn();
                save.actions = sim.executed();
                save.digest = sim.digest();
                if (!writeJournal(options.saveFile, save)) {
                    logError("level_sim: the journal cannot be written");
                    failed = true;
                }
            }
        }
    }
    if (restoring && journal.turn >= total && !failed) {
        logError("level_sim: the run ends before the journal's turn");
        failed = true;
    }
    if (failed) return exitCode;
    exitCode = 0;
    if (host.window()) {
        sim.printLots();
        // One more frame for the shot, drawn as the last.
        IVideoDriver* driver = host.device()->getVideoDriver();
        driver->addScreenShotUser();
        if (driver->beginScene(true, true, SColor(ClearColor), nullptr, nullptr)) {
            host.scenes()->render(driver);
            if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
            driver->endScene();
        }
        if (!writeFrame(host.device(), options.window)) {
            logError("level_sim: the frame could not be written");
            exitCode = 1;
        }
        driver->removeScreenShotUser();
    }
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: level_sim --assets DIR --level FOLDER [--seed N] [--days N] "
                     "[--script FILE] [--tables FOLDER] [--upgrades free|campaign] "
                     "[--save FILE@DAY] [--restore FILE] "
                     "[--window FILE.png] [--transcript FILE] [--repeat N]\n");
        return 2;
    }
    // Repeated runs share the process: each one starts from the seed again and must print the
    // same transcript.
    Transcript out(options.transcript);
    int exitCode = 0;
    for (u32 i = 0; i < options.repeat && exitCode == 0; ++i) {
        if (options.repeat > 1) out.line("run " + std::to_string(i + 1));
        exitCode = run(options, out);
    }
    return exitCode;
}
