#include "tests/game/level/LevelSimRun.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/device/IDevice.h"
#include "engine/io/CFileSystem.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GGameEvents.h"
#include "game/level/GLevelObjective.h"
#include "game/play/GPlayOffers.h"

using namespace oskel;

namespace brasquel::levelsim {

namespace {

constexpr u32 ClearColor = 0xff5a8a3cu;
// With a window, the turns that draw a frame.
constexpr u64 WindowFrameTurns = 10;
constexpr u64 MsPerSecond = 1000;
// The digits of a script time's fraction: hundredths of a second, the turn's size.
constexpr u64 FractionUnitMs = 10;

// The digest's hash.
class Digest {
public:
    void add(const std::string& text) {
        for (unsigned char c : text) {
            m_hash ^= c;
            m_hash *= Prime;
        }
        add(u32(0xFFu));
    }
    void add(u32 value) {
        for (int i = 0; i < 4; ++i) {
            m_hash ^= (value >> (8 * i)) & 0xFFu;
            m_hash *= Prime;
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
    static constexpr uint64_t Prime = 1099511628211ull;
    uint64_t m_hash = 14695981039346656037ull;
};

}  // namespace

// ---- Script actions ----

bool parseActionLine(const std::string& raw, u32 dayLength, SAction& action) {
    std::string line = raw;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream in(line);
    std::string when;
    if (!(in >> when)) return false;
    unsigned day = 0, second = 0;
    int used = 0;
    if (std::sscanf(when.c_str(), "%u:%u%n", &day, &second, &used) != 2 || day == 0) return false;
    // The fraction: up to two digits, hundredths of a second.
    u64 fractionMs = 0;
    const std::string rest = when.substr(static_cast<size_t>(used));
    if (!rest.empty()) {
        if (rest[0] != '.' || rest.size() < 2 || rest.size() > 3) return false;
        u64 hundredths = 0;
        for (size_t i = 1; i < 3; ++i) {
            const char c = i < rest.size() ? rest[i] : '0';
            if (c < '0' || c > '9') return false;
            hundredths = hundredths * 10 + static_cast<u64>(c - '0');
        }
        fractionMs = hundredths * FractionUnitMs;
    }
    std::string text;
    std::getline(in, text);
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    text.erase(0, start);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.pop_back();
    action.when = when;
    action.text = text;
    const u64 ms = (static_cast<u64>(day - 1) * dayLength + second) * MsPerSecond + fractionMs;
    action.turn = ms / TurnMs;
    return true;
}

std::string scriptTime(u64 turn, u32 dayLength) {
    const u64 ms = turn * TurnMs;
    const u64 dayMs = static_cast<u64>(dayLength) * MsPerSecond;
    const u64 day = dayMs ? ms / dayMs + 1 : 1;
    const u64 within = dayMs ? ms % dayMs : ms;
    std::string text = std::to_string(day) + ":" + std::to_string(within / MsPerSecond);
    const u64 hundredths = (within % MsPerSecond) / FractionUnitMs;
    if (hundredths != 0) {
        text += format(".%02" PRIu64, hundredths);
        if (text.back() == '0') text.pop_back();
    }
    return text;
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

// ---- Output ----

Transcript::Transcript(const std::string& file, bool silent) : m_silent(silent) {
    if (!file.empty()) m_file.open(file, std::ios::out | std::ios::trunc);
}

void Transcript::line(const std::string& text) {
    if (m_quiet) return;
    if (!m_silent) {
        std::fputs(text.c_str(), stdout);
        std::fputc('\n', stdout);
    }
    if (m_file.is_open()) m_file << text << '\n';
}

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
    for (u32 i = 0; i < text.size(); ++i) out += text[i] < 128 ? static_cast<char>(text[i]) : '?';
    return out;
}

std::string levelDigest(const GGameLevelScene& l) {
    Digest d;
    for (f32 v : {l.Money, l.Income, l.TotalIncome, l.Rating, l.Materials, l.LevelTimeMs, l.DayTime,
                  l.MaterialsDeliveryRemaining, l.MaterialsDeliveryTotal, l.MaterialsOrdered,
                  l.WorkersDeliveryRemaining, l.WorkersDeliveryTotal})
        d.add(v);
    for (s32 v :
         {l.Guests, l.TotalGuests, l.Workers, l.WorkersTotal, l.WorkersOrdered, l.getWeatherTime(),
          static_cast<s32>(l.getLetters().size()), static_cast<s32>(l.getProcesses().size())})
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

// ---- The host ----

struct LevelHost::SParts {
    SimServices services;
    IGameServices* before = nullptr;
    CRefPtr<CContentManager> content;
    CRefPtr<CTimerScheduler> events;
    CRefPtr<SceneManager> scenes;
    SGameContent game;
};

LevelHost::LevelHost(const SHostSetup& setup) : m_window(setup.window) {
    // The one random generator: seeded before anything loads.
    seedRandom(setup.seed);
    SDeviceParameters parameters;
    parameters.driverType = setup.window ? DriverOpenGL : DriverNull;
    parameters.fullscreen = false;
    parameters.windowSize = irr::core::dimension2d<s32>(WindowWidth, WindowHeight);
    parameters.bits = 32;
    parameters.vsync = false;
    m_device = createDevice(parameters);
    if (!m_device || !m_device->getVideoDriver()) {
        logError("level_sim: no device");
        if (m_device) m_device->drop();
        m_device = nullptr;
        return;
    }
    m_device->getVideoDriver()->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    m_device->getFileSystem()->addArchive(stringc(setup.assets.c_str()), false, false);
    registerLevelNodeClasses();

    m_parts = std::make_unique<SParts>();
    SParts& p = *m_parts;
    p.services.files = m_device->getFileSystem();
    p.services.groups = makeRef<CSoundGroupManager>(m_device->getAudioDriver());
    p.before = IGameServices::install(&p.services);
    p.content = CRefPtr<CContentManager>::fromRaw(m_device->createContentManager());
    p.events = CRefPtr<CTimerScheduler>::fromRaw(m_device->createTimerScheduler());
    p.scenes = CRefPtr<SceneManager>::fromRaw(m_device->createSceneManager());
    p.scenes->setSortEnabled(true);
    p.scenes->setEventSource(p.events.get());
    p.services.world = p.scenes.get();
    // The preloader's steps the level needs.
    loadGameContent(m_device, p.content.get(), p.scenes.get(), p.services, setup.tables, p.game);
    if (!p.game.ready()) logError("level_sim: the game's content is missing");
}

LevelHost::~LevelHost() {
    if (m_parts) {
        SParts& p = *m_parts;
        p.scenes->setScene(nullptr);
        p.scenes->update(0);
        p.scenes->setTemplateCollection(nullptr);
        IGameServices::install(p.before);
        m_parts.reset();
    }
    if (m_device) m_device->drop();
}

bool LevelHost::ready() const { return m_device && m_parts && m_parts->game.ready(); }
IContentManager* LevelHost::content() const { return m_parts->content.get(); }
SceneManager* LevelHost::scenes() const { return m_parts->scenes.get(); }
SimServices& LevelHost::services() const { return m_parts->services; }

// ---- The level's run ----

// Prints each request the level receives, with the game time it came at, and notes the level
// time of the completion notice.
class LevelRun::RequestLog : public CEventReceiver {
public:
    RequestLog(Transcript* out, const u64* turn, u32 dayLength, const GGameLevelScene* level,
               std::int64_t* completionMs)
        : m_out(out),
          m_turn(turn),
          m_dayLength(dayLength),
          m_level(level),
          m_completionMs(completionMs) {}
    bool onEvent(CEvent* event) override {
        const char* kind = nullptr;
        switch (event->getTypeId()) {
            case GameEventLevelCompleted:
                if (*m_completionMs < 0)
                    *m_completionMs = static_cast<std::int64_t>(m_level->LevelTimeMs);
                return false;
            case GameEventSellRequest:
                kind = "sell";
                break;
            case GameEventBrokenRequest:
                kind = "broken";
                break;
            case GameEventDirtyRequest:
                kind = "dirty";
                break;
            case GameEventCafeRequest:
                kind = "cafe";
                break;
            case GameEventLetterRequest:
                kind = "letter";
                break;
            case GameEventWeatherRequest:
                kind = "weather";
                break;
            default:
                return false;
        }
        const u64 ms = *m_turn * TurnMs;
        const u64 dayMs = static_cast<u64>(m_dayLength) * MsPerSecond;
        m_out->line(format("request %" PRIu64 ":%06.3f %s", ms / dayMs + 1,
                           static_cast<double>(ms % dayMs) / 1000.0, kind));
        return false;
    }

private:
    Transcript* m_out;
    const u64* m_turn;
    u32 m_dayLength;
    const GGameLevelScene* m_level;
    std::int64_t* m_completionMs;
};

LevelRun::LevelRun(LevelHost& host, Transcript& out) : m_host(host), m_out(out) {}

LevelRun::~LevelRun() {
    if (m_level && m_requests) m_level->removePreReceiver(m_requests.get());
    if (m_host.ready()) m_host.scenes()->setScene(nullptr);
    m_level = nullptr;
    m_folder.level = nullptr;
}

bool LevelRun::load(const std::string& folder, EOwnedUpgrades owned) {
    if (!m_host.ready()) return false;
    if (!readLevelFolder(m_host.content(), m_host.device()->getFileSystem(), m_host.services(),
                         folder, m_folder, owned))
        return false;
    m_level = m_folder.level;
    m_configuration = m_folder.configuration;
    m_upgrades = m_folder.upgrades;
    m_requests = makeRef<RequestLog>(&m_out, &m_turn, static_cast<u32>(m_configuration->DayLength),
                                     m_level.get(), &m_completionMs);
    m_level->addPreReceiver(m_requests.get());
    if (!startLevel(m_folder, m_host.services(), m_host.scenes())) return false;
    m_dayTurns = static_cast<u64>(m_configuration->DayLength) * (MsPerSecond / TurnMs);
    return m_dayTurns > 0;
}

u32 LevelRun::dayLength() const { return static_cast<u32>(m_configuration->DayLength); }

u32 LevelRun::day() const { return static_cast<u32>(m_turn / m_dayTurns) + 1; }

GBuildingsConfiguration* LevelRun::catalogue() const { return m_host.services().buildings.get(); }

void LevelRun::step(const std::vector<SAction>& pending) {
    for (const SAction& action : pending)
        if (action.turn == m_turn) perform(action);
    SceneManager* scenes = m_host.scenes();
    advanceTurn(m_level.get(), scenes);
    IVideoDriver* driver = m_host.device()->getVideoDriver();
    if (m_host.window()) {
        if (m_turn % WindowFrameTurns == 0 &&
            driver->beginScene(true, true, SColor(ClearColor), nullptr, nullptr)) {
            scenes->render(driver);
            if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
            driver->endScene();
        }
    } else {
        scenes->render(driver);
    }
    ++m_turn;
}

bool LevelRun::perform(const SAction& action) {
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
    m_out.line(
        format("action %s %s -> %s", action.when.c_str(), action.text.c_str(), result.c_str()));
    SAction carried = action;
    carried.turn = m_turn;
    m_executed.push_back(carried);
    return done;
}

std::string LevelRun::report(u32 day) {
    const GGameLevelScene& l = *m_level;
    m_out.line(
        format("day %u: money %.2f income %.2f guests %d/%d materials %.2f "
               "workers %d/%d rating %.2f",
               day, static_cast<double>(l.Money), static_cast<double>(l.Income), l.Guests,
               l.TotalGuests, static_cast<double>(l.Materials), l.Workers, l.WorkersTotal,
               static_cast<double>(l.Rating)));
    const GLevelObjectiveList* objectives = m_configuration->Objectives.get();
    for (u32 i = 0; objectives && i < objectives->size(); ++i) {
        GLevelObjective* o = objectives->get(i);
        const bool met = o->isCompleted(*m_level);
        m_out.line(format("  objective %u %s %s %s", i + 1,
                          narrow(GLevelObjective::typeNameOf(o->getKind())).c_str(),
                          narrow(o->getProgressText(l, nullptr)).c_str(), met ? "met" : "open"));
    }
    m_out.line(
        format("  completed %s hint \"%s\"", l.Completed ? "yes" : "no", l.CompletionHint.c_str()));
    const std::string hash = digest();
    m_out.line("  digest " + hash);
    return hash;
}

void LevelRun::printLots() const {
    for (const CRefPtr<GBuildingNode>& lot : m_level->getBuildings()) {
        const rectf r = lot->getAbsoluteBoundsRect();
        m_out.line(format(
            "lot %s %.1f %.1f %.1f %.1f", lot->getNodeName().c_str(),
            static_cast<double>(r.UpperLeftCorner.X), static_cast<double>(r.UpperLeftCorner.Y),
            static_cast<double>(r.LowerRightCorner.X), static_cast<double>(r.LowerRightCorner.Y)));
    }
}

GBuildingNode* LevelRun::lotNamed(const std::string& name) const {
    const s32 id = CNameId(name.c_str()).getId();
    for (const CRefPtr<GBuildingNode>& lot : m_level->getBuildings())
        if (lot->getNameId() == id) return lot.get();
    return nullptr;
}

// The play screen's own checks of the stock before a maintenance.
bool LevelRun::canMaintain(const GBuildingNode* lot, bool restoring) const {
    const GBuildingConfig* type = lot->getCurrentType();
    const f32 materials = restoring ? type->getBuildMaterialsCost(m_configuration.get())
                                    : type->getRepairMaterialsCost(m_configuration.get());
    const s32 workers = restoring ? type->getBuildWorkersCost(m_configuration.get())
                                  : type->getRepairWorkersCost(m_configuration.get());
    return m_level->Materials >= materials && m_level->Workers >= workers;
}

bool LevelRun::run(const std::string& text) {
    std::istringstream in(text);
    std::string verb, first, second;
    in >> verb >> first >> second;
    GGameLevelScene& l = *m_level;
    if (verb == "materials" || verb == "workers") {
        const u32 index = static_cast<u32>(std::strtoul(first.c_str(), nullptr, 10));
        const auto& offers =
            verb == "materials" ? m_configuration->MaterialsOffers : m_configuration->WorkersOffers;
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
        GBuildingConfig* type = catalogue()->find(CNameId(second.c_str()));
        // The build menu lists only the types the bought upgrades allow.
        if (!type || !m_upgrades->isBuildingAllowed(type->Name)) return false;
        return l.buildBuilding(lot, type);
    }
    if (verb == "upgrade") {
        const GBuildingConfig* next = catalogue()->find(lot->getCurrentType()->NextLevelName);
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
        if (second.empty() || index < 0 || index >= static_cast<s32>(features.size())) return false;
        if (l.Money < features[static_cast<u32>(index)].MoneyCost) return false;
        return l.activateFeature(lot, index);
    }
    if (verb == "buy") return l.canBuyBuilding(lot) && l.buyBuilding(lot);
    if (verb == "sell") return l.acceptSellOffer(lot);
    if (verb == "forsale") {
        if (!lot->isOwnedByThePlayer()) return false;
        playoffers::toggleSale(l, *lot);
        return true;
    }
    if (verb == "decline") {
        if (!lot->isOwnedByThePlayer() || !lot->hasBuyOffer()) return false;
        lot->restartBuyOfferTimer();
        return true;
    }
    if (verb == "press") return l.onEvent(makeEvent<CEventNodePressed>(lot).get());
    if (verb == "abort") {
        if (!lot->getProcess()) return false;
        lot->abortProcess();
        return true;
    }
    return false;
}

}  // namespace brasquel::levelsim
