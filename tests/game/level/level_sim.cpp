// level_sim: plays a level folder for a number of game days, headless, at a fixed seed, with
// scripted player actions, and prints the economy day by day. Built for the tests only.
//
//   level_sim --assets DIR --level FOLDER [--seed N] [--days N] [--script FILE]
//             [--tables FOLDER] [--save FILE@DAY] [--restore FILE] [--window FILE.png]
//             [--transcript FILE] [--repeat N]
//
// The game's assets are mounted and set up as the preloader does it (the sound pack, the
// Buildings and Env atlases, the level templates, the buildings, upgrades and level-scores
// tables; the buildings and upgrades tables from --tables instead of levels/common/ when given).
// The level folder is loaded as the play screen loads a level ("Level.oscn",
// "LevelConfiguration.xml" joined with its level-scores entry, "LevelPaths.xml", the bought
// upgrades, then the five set-up calls) into a world scene manager of its own. The loop turns in
// 10 ms steps, each with a draw.
//
// Script lines are "DAY:SECOND ACTION ARGS" (empty lines and lines from '#' are skipped):
//   build LOT TYPE | upgrade LOT | destroy LOT | repair LOT | clean LOT | restore LOT |
//   serve LOT | feature LOT INDEX | buy LOT | sell LOT | materials OFFER | workers OFFER |
//   press LOT | press ground | abort LOT
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

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelUpgrades.h"
#include "tests/game/level/LevelSimSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelsim;

namespace {

constexpr s32 WindowWidth = 1024;
constexpr s32 WindowHeight = 768;
constexpr u32 ClearColor = 0xff5a8a3cu;
// With a window, the turns that draw a frame.
constexpr u64 WindowFrameTurns = 10;

struct SOptions {
    std::string assets;
    std::string level;
    u32 seed = 1;
    u32 days = 5;
    std::string script;
    std::string tables;
    std::string saveFile;
    u32 saveDay = 0;
    std::string restore;
    std::string window;
    std::string transcript;
    u32 repeat = 1;
};

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

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// ---- Output ----

class Transcript {
public:
    explicit Transcript(const std::string& file) {
        if (!file.empty()) m_file.open(file, std::ios::out | std::ios::trunc);
    }
    void line(const std::string& text) {
        if (m_quiet) return;
        std::fputs(text.c_str(), stdout);
        std::fputc('\n', stdout);
        if (m_file.is_open()) m_file << text << '\n';
    }
    void setQuiet(bool quiet) { m_quiet = quiet; }

private:
    std::ofstream m_file;
    bool m_quiet = false;
};

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof(buffer), pattern, args);
    va_end(args);
    return buffer;
}

std::string narrow(const stringw& text) {
    std::string out;
    for (u32 i = 0; i < text.size(); ++i)
        out += text[i] < 128 ? static_cast<char>(text[i]) : '?';
    return out;
}

// The digest: FNV-1a over a canonical text of the state, floats by their bits.
class Digest {
public:
    void add(const std::string& text) {
        for (unsigned char c : text) {
            m_hash ^= c;
            m_hash *= 1099511628211ull;
        }
        add(u32(0xFFu));
    }
    void add(u32 value) {
        for (int i = 0; i < 4; ++i) {
            m_hash ^= (value >> (8 * i)) & 0xFFu;
            m_hash *= 1099511628211ull;
        }
    }
    void add(s32 value) { add(static_cast<u32>(value)); }
    void add(f32 value) {
        u32 bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        add(bits);
    }
    void add(bool value) { add(static_cast<u32>(value ? 1 : 0)); }
    std::string hex() const { return format("%016" PRIx64, m_hash); }

private:
    uint64_t m_hash = 14695981039346656037ull;
};

// ---- Actions ----

struct SAction {
    u64 turn = 0;
    std::string when;  // "D:S" as written
    std::string text;  // the action and its arguments
};

bool parseActionLine(const std::string& raw, u32 dayLength, SAction& action) {
    std::string line = raw;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream in(line);
    std::string when;
    if (!(in >> when)) return false;
    unsigned day = 0, second = 0;
    if (std::sscanf(when.c_str(), "%u:%u", &day, &second) != 2 || day == 0) return false;
    std::string rest;
    std::getline(in, rest);
    const size_t start = rest.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    rest.erase(0, start);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
        rest.pop_back();
    action.when = when;
    action.text = rest;
    action.turn = (static_cast<u64>(day - 1) * dayLength + second) * (1000 / TurnMs);
    return true;
}

// Prints each request the level receives, with the game time it came at.
class RequestLog : public CEventReceiver {
public:
    RequestLog(Transcript* out, const u64* turn, u32 dayLength)
        : m_out(out), m_turn(turn), m_dayLength(dayLength) {}
    bool onEvent(CEvent* event) override {
        const u32 type = event->getTypeId();
        const char* kind = nullptr;
        switch (type) {
            case GameEventSellRequest: kind = "sell"; break;
            case GameEventBrokenRequest: kind = "broken"; break;
            case GameEventDirtyRequest: kind = "dirty"; break;
            case GameEventCafeRequest: kind = "cafe"; break;
            case GameEventLetterRequest: kind = "letter"; break;
            case GameEventWeatherRequest: kind = "weather"; break;
            default: return false;
        }
        const u64 ms = *m_turn * TurnMs;
        const u64 dayMs = static_cast<u64>(m_dayLength) * 1000;
        m_out->line(format("request %" PRIu64 ":%06.3f %s", ms / dayMs + 1,
                           static_cast<double>(ms % dayMs) / 1000.0, kind));
        return false;
    }

private:
    Transcript* m_out;
    const u64* m_turn;
    u32 m_dayLength;
};

class Simulation {
public:
    Simulation(IDevice* device, IContentManager* content, SimServices* services,
               Transcript* out)
        : m_device(device), m_content(content), m_services(services), m_out(out) {}

    ~Simulation() {
        if (m_level && m_requests) m_level->removePreReceiver(m_requests.get());
        if (m_scenes) m_scenes->setScene(nullptr);
        m_level = nullptr;
        m_folder.level = nullptr;
    }

    // The level folder, as the play screen loads it.
    bool loadLevel(const std::string& folder, SceneManager* scenes) {
        m_scenes = scenes;
        if (!readLevelFolder(m_content, m_device->getFileSystem(), *m_services, folder, m_folder))
            return false;
        m_level = m_folder.level;
        m_configuration = m_folder.configuration;
        m_upgrades = m_folder.upgrades;
        m_requests = makeRef<RequestLog>(m_out, &m_turn,
                                         static_cast<u32>(m_configuration->DayLength));
        m_level->addPreReceiver(m_requests.get());
        if (!startLevel(m_folder, *m_services, scenes)) return false;
        m_dayTurns = static_cast<u64>(m_configuration->DayLength) * (1000 / TurnMs);
        return m_dayTurns > 0;
    }

    u32 dayLength() const { return static_cast<u32>(m_configuration->DayLength); }
    u64 turnsPerDay() const { return m_dayTurns; }
    u64 turn() const { return m_turn; }
    const std::vector<SAction>& executed() const { return m_executed; }
    GGameLevelScene* level() const { return m_level.get(); }

    // One turn: the actions due, the world's clocks, a draw.
    void step(std::vector<SAction>& pending, IVideoDriver* driver, bool window) {
        for (const SAction& action : pending)
            if (action.turn == m_turn) perform(action);
        advanceTurn(m_level.get(), m_scenes);
        if (window) {
            if (m_turn % WindowFrameTurns == 0 &&
                driver->beginScene(true, true, SColor(ClearColor), nullptr, nullptr)) {
                m_scenes->render(driver);
                if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
                driver->endScene();
            }
        } else {
            m_scenes->render(driver);
        }
        ++m_turn;
    }

    // The day's report; the digest is returned.
    std::string report(u32 day) {
        const GGameLevelScene& l = *m_level;
        m_out->line(format("day %u: money %.2f income %.2f guests %d/%d materials %.2f "
                           "workers %d/%d rating %.2f",
                           day, static_cast<double>(l.Money), static_cast<double>(l.Income),
                           l.Guests, l.TotalGuests, static_cast<double>(l.Materials), l.Workers,
                           l.WorkersTotal, static_cast<double>(l.Rating)));
        const GLevelObjectiveList* objectives = m_configuration->Objectives.get();
        for (u32 i = 0; objectives && i < objectives->size(); ++i) {
            GLevelObjective* o = objectives->get(i);
            const bool met = o->isCompleted(*m_level);
            m_out->line(format("  objective %u %s %s %s", i + 1,
                               narrow(GLevelObjective::typeNameOf(o->getKind())).c_str(),
                               narrow(o->getProgressText(l, nullptr)).c_str(),
                               met ? "met" : "open"));
        }
        m_out->line(format("  completed %s hint \"%s\"", l.Completed ? "yes" : "no",
                           l.CompletionHint.c_str()));
        const std::string digest = digestOf();
        m_out->line("  digest " + digest);
        return digest;
    }

    std::string digestOf() const {
        const GGameLevelScene& l = *m_level;
        Digest d;
        for (f32 v : {l.Money, l.Income, l.TotalIncome, l.Rating, l.Materials, l.LevelTimeMs,
                      l.DayTime, l.MaterialsDeliveryRemaining, l.MaterialsDeliveryTotal,
                      l.MaterialsOrdered, l.WorkersDeliveryRemaining, l.WorkersDeliveryTotal})
            d.add(v);
        for (s32 v : {l.Guests, l.TotalGuests, l.Workers, l.WorkersTotal, l.WorkersOrdered,
                      l.getWeatherTime(), static_cast<s32>(l.getLetters().size()),
                      static_cast<s32>(l.getProcesses().size())})
            d.add(v);
        d.add(l.Completed);
        d.add(std::string(l.CompletionHint.c_str()));
        for (const CRefPtr<GBuildingNode>& lot : l.getBuildings()) {
            d.add(std::string(lot->getNodeName().c_str()));
            d.add(std::string(lot->getCurrentType()->Name.getName().c_str()));
            d.add(lot->isOwnedByThePlayer());
            d.add(lot->isForSale());
            d.add(lot->hasBuyOffer());
            d.add(lot->getProblemState());
            d.add(lot->getProcessKind());
            d.add(lot->getSaleTimerTotal());
            d.add(lot->getSaleTimerElapsed());
            d.add(lot->getOfferPriceMultiplier());
            d.add(lot->getMsSinceMoneyLetter());
            d.add(lot->getMsSinceMaintenance());
            d.add(lot->getIncomeBonus());
            for (const GBuildingFeatureState& f : lot->getFeatureStates()) {
                d.add(f.state);
                d.add(f.remaining);
                d.add(f.incomeTick);
            }
        }
        for (const GMoneyLetter& letter : l.getLetters()) {
            d.add(letter.amount);
            d.add(letter.elapsed);
            d.add(letter.waitTime);
        }
        for (const GLevelHistoryRecord& r : l.getHistory()) {
            d.add(r.action);
            d.add(std::string(CNameId::fromId(r.buildingType).getName().c_str()));
            d.add(std::string(CNameId::fromId(r.lotName).getName().c_str()));
        }
        u32 z = 0, w = 0;
        CRandom::instance().getLowGeneratorState(z, w);
        d.add(z);
        d.add(w);
        return d.hex();
    }

    // Where the lots stand on the screen.
    void printLots() const {
        for (const CRefPtr<GBuildingNode>& lot : m_level->getBuildings()) {
            const rectf r = lot->getAbsoluteBoundsRect();
            m_out->line(format("lot %s %.1f %.1f %.1f %.1f", lot->getNodeName().c_str(),
                               static_cast<double>(r.UpperLeftCorner.X),
                               static_cast<double>(r.UpperLeftCorner.Y),
                               static_cast<double>(r.LowerRightCorner.X),
                               static_cast<double>(r.LowerRightCorner.Y)));
        }
    }

private:
    GBuildingNode* lotNamed(const std::string& name) const {
        const s32 id = CNameId(name.c_str()).getId();
        for (const CRefPtr<GBuildingNode>& lot : m_level->getBuildings())
            if (lot->getNameId() == id) return lot.get();
        return nullptr;
    }

    // The play screen's own checks of the stock before a maintenance.
    bool canMaintain(const GBuildingNode* lot, bool restoring) const {
        const GBuildingConfig* type = lot->getCurrentType();
        const f32 materials = restoring ? type->getBuildMaterialsCost(m_configuration.get())
                                        : type->getRepairMaterialsCost(m_configuration.get());
        const s32 workers = restoring ? type->getBuildWorkersCost(m_configuration.get())
                                      : type->getRepairWorkersCost(m_configuration.get());
        return m_level->Materials >= materials && m_level->Workers >= workers;
    }

    bool run(const std::string& text) {
        std::istringstream in(text);
        std::string verb, first, second;
        in >> verb >> first >> second;
        GGameLevelScene& l = *m_level;
        if (verb == "materials" || verb == "workers") {
            const u32 index = static_cast<u32>(std::strtoul(first.c_str(), nullptr, 10));
            const auto& offers = verb == "materials" ? m_configuration->MaterialsOffers
                                                     : m_configuration->WorkersOffers;
            if (first.empty() || index >= offers.size()) return false;
            return verb == "materials" ? l.buyMaterials(offers[index].get())
                                       : l.trainWorkers(offers[index].get());
        }
        if (verb == "press" && first == "ground") {
            // Not taken by the level (the play screen sees it too), but carried out.
            static_cast<void>(l.onEvent(makeEvent<CEventNodePressed>(m_level.get()).get()));
            return true;
        }
        GBuildingNode* lot = lotNamed(first);
        if (!lot) return false;
        CRefPtr<GBuildingNode> keep(lot);
        if (verb == "build") {
            GBuildingConfig* type = m_services->buildings->find(CNameId(second.c_str()));
            // The build menu lists only the types the bought upgrades allow.
            if (!type || !m_upgrades->isBuildingAllowed(type->Name)) return false;
            return l.buildBuilding(lot, type);
        }
        if (verb == "upgrade") {
            const GBuildingConfig* next =
                m_services->buildings->find(lot->getCurrentType()->NextLevelName);
            if (!next || !m_upgrades->isBuildingAllowed(next->Name)) return false;
            return l.upgradeBuilding(lot);
        }
        if (verb == "destroy") return l.destroyBuilding(lot);
        if (verb == "repair") return canMaintain(lot, false) && l.repairBuilding(lot);
        if (verb == "clean") return canMaintain(lot, false) && l.cleanBuilding(lot);
        if (verb == "restore") return canMaintain(lot, true) && l.restoreBuilding(lot);
        if (verb == "serve") return l.customServeBuilding(lot);
        if (verb == "feature") {
            const s32 index = static_cast<s32>(std::strtol(second.c_str(), nullptr, 10));
            const auto& features = lot->getCurrentType()->Features;
            if (second.empty() || index < 0 || index >= static_cast<s32>(features.size()))
                return false;
            if (l.Money < features[static_cast<u32>(index)].MoneyCost) return false;
            return l.activateFeature(lot, index);
        }
        if (verb == "buy") return l.canBuyBuilding(lot) && l.buyBuilding(lot);
        if (verb == "sell") return l.acceptSellOffer(lot);
        if (verb == "press") return l.onEvent(makeEvent<CEventNodePressed>(lot).get());
        if (verb == "abort") {
            if (!lot->getProcess()) return false;
            lot->abortProcess();
            return true;
        }
        return false;
    }

    void perform(const SAction& action) {
        const f32 money = m_level->Money;
        const bool done = run(action.text);
        std::string result = done ? "ok" : "refused";
        // A press collects a letter or selects the lot.
        if (done && action.text.rfind("press ", 0) == 0) {
            if (m_level->Money != money)
                result += format(" collected %.2f", static_cast<double>(m_level->Money - money));
            else
                result += m_level->getSelectedBuilding() ? " selected" : " unselected";
        }
        m_out->line(format("action %s %s -> %s", action.when.c_str(), action.text.c_str(),
                           result.c_str()));
        m_executed.push_back(action);
    }

    IDevice* m_device;
    IContentManager* m_content;
    SimServices* m_services;
    Transcript* m_out;
    SceneManager* m_scenes = nullptr;
    SLevelFolder m_folder;
    CRefPtr<GGameLevelScene> m_level;
    CRefPtr<GLevelConfiguration> m_configuration;
    CRefPtr<GLevelUpgrades> m_upgrades;
    CRefPtr<RequestLog> m_requests;
    u64 m_dayTurns = 0;
    u64 m_turn = 0;
    std::vector<SAction> m_executed;
};

// ---- Journal ----

struct SJournal {
    std::string level;
    std::string tables;
    std::string script;
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
    out << "seed " << j.seed << "\n";
    out << "turn " << j.turn << "\n";
    for (const SAction& a : j.actions) out << "action " << a.turn << " " << a.when << " " << a.text << "\n";
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

bool readScript(const std::string& file, u32 dayLength, std::vector<SAction>& actions) {
    std::ifstream in(file);
    if (!in) {
        CLogger::instance().logHint("level_sim: the script does not open", file.c_str(), LogError);
        return false;
    }
    std::string line;
    u32 number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') continue;
        SAction action;
        if (!parseActionLine(line, dayLength, action)) {
            CLogger::instance().logHint("level_sim: a script line is not understood",
                                        (file + ":" + std::to_string(number)).c_str(), LogError);
            return false;
        }
        actions.push_back(action);
    }
    return true;
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
        if (options.script.empty()) options.script = journal.script;
    }
    const std::string folder = withSlash(options.level);
    const bool window = !options.window.empty();

    // The one random generator: seeded before anything loads.
    seedRandom(options.seed);

    SDeviceParameters parameters;
    parameters.driverType = window ? DriverOpenGL : DriverNull;
    parameters.fullscreen = false;
    parameters.windowSize = irr::core::dimension2d<s32>(WindowWidth, WindowHeight);
    parameters.bits = 32;
    parameters.vsync = false;
    IDevice* device = createDevice(parameters);
    if (!device || !device->getVideoDriver()) {
        logError("level_sim: no device");
        if (device) device->drop();
        return 1;
    }
    device->getVideoDriver()->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    device->getFileSystem()->addArchive(stringc(options.assets.c_str()), false, false);
    registerLevelNodeClasses();

    int exitCode = 1;
    {
        SimServices services;
        services.files = device->getFileSystem();
        services.groups = makeRef<CSoundGroupManager>(device->getAudioDriver());
        IGameServices* before = IGameServices::install(&services);
        CRefPtr<CContentManager> content =
            CRefPtr<CContentManager>::fromRaw(device->createContentManager());
        CRefPtr<CTimerScheduler> events =
            CRefPtr<CTimerScheduler>::fromRaw(device->createTimerScheduler());
        CRefPtr<SceneManager> scenes = CRefPtr<SceneManager>::fromRaw(device->createSceneManager());
        scenes->setSortEnabled(true);
        scenes->setEventSource(events.get());
        services.world = scenes.get();

        // The preloader's steps the level needs.
        SGameContent game;
        loadGameContent(device, content.get(), scenes.get(), services, options.tables, game);

        Simulation sim(device, content.get(), &services, &out);
        std::vector<SAction> actions;
        bool ready = game.ready() && sim.loadLevel(folder, scenes.get());
        if (!game.ready()) logError("level_sim: the game's content is missing");
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
        if (ready) {
            const u64 total = sim.turnsPerDay() * options.days;
            bool failed = false;
            if (restoring) out.setQuiet(true);
            while (sim.turn() < total && !failed) {
                if (restoring && sim.turn() == journal.turn) {
                    const std::string now = sim.digestOf();
                    out.setQuiet(false);
                    out.line("restored at turn " + std::to_string(journal.turn) + " digest " +
                             now + (now == journal.digest ? " matches" : " differs"));
                    if (now != journal.digest) {
                        failed = true;
                        exitCode = 3;
                        break;
                    }
                }
                sim.step(actions, device->getVideoDriver(), window);
                if (sim.turn() % sim.turnsPerDay() == 0) {
                    const u32 day = static_cast<u32>(sim.turn() / sim.turnsPerDay());
                    const std::string digest = sim.report(day);
                    if (!options.saveFile.empty() && day == options.saveDay) {
                        SJournal save;
                        save.level = options.level;
                        save.tables = options.tables;
                        save.script = options.script;
                        save.seed = options.seed;
                        save.turn = sim.turn();
                        save.actions = sim.executed();
                        save.digest = sim.digestOf();
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
            if (!failed) {
                exitCode = 0;
                if (window) {
                    sim.printLots();
                    // One more frame for the shot, drawn as the last.
                    IVideoDriver* driver = device->getVideoDriver();
                    driver->addScreenShotUser();
                    if (driver->beginScene(true, true, SColor(ClearColor), nullptr, nullptr)) {
                        scenes->render(driver);
                        if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
                        driver->endScene();
                    }
                    if (!writeFrame(device, options.window)) {
                        logError("level_sim: the frame could not be written");
                        exitCode = 1;
                    }
                    driver->removeScreenShotUser();
                }
            }
        }
        scenes->setScene(nullptr);
        scenes->update(0);
        scenes->setTemplateCollection(nullptr);
        IGameServices::install(before);
    }
    device->drop();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: level_sim --assets DIR --level FOLDER [--seed N] [--days N] "
                     "[--script FILE] [--tables FOLDER] [--save FILE@DAY] [--restore FILE] "
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
