// The campaign's level folders as the game runs them. The preloader's steps load the real assets
// once; then each folder is loaded as the loading screen loads it and started through the play
// screen's level start, by a player who owns what the campaign expects at the level's place on
// the map, entered and run for a few seconds. A level must log no warning and hold together: its
// lots, objectives, requests, tutorial, paths, scores, setting and lot templates. Broken copies
// of the first level show that each kind of check finds its fault.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/audio/CNullAudioDriver.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/StringUtils.h"
#include "engine/device/ContentProcessors.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "game/app/GNodeClassRegistration.h"
#include "game/config/ConfigurationFile.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GLevelUpgrades.h"
#include "game/level/GRandomEventRequest.h"
#include "game/play/tutorial/GTutorialAction.h"
#include "game/play/tutorial/GTutorialHint.h"
#include "game/scenes/GIntroScene.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/IGamePlayScreen.h"
#include "tests/game/play/PlayPlayer.h"
#include "tests/game/scenes/GameSceneWorld.h"

namespace brasquel::test {
namespace {

namespace fs = std::filesystem;

const fs::path AssetsDir = BRASQUEL_ASSETS_DIR;

// The campaign: five regions of seven levels.
constexpr s32 CampaignLevelCount = 35;
constexpr s32 LevelsPerRegion = 7;
// The setting of each region's levels (the last region goes back to the first one's).
constexpr s32 RegionSettings[] = {1, 2, 3, 4, 1};
// The design screen, and the top of the HUD, which no lot may reach.
constexpr f32 ScreenWidth = 1024.0f;
constexpr f32 ScreenHeight = 768.0f;
constexpr f32 PlayfieldBottom = 640.0f;
// How far beyond an edge of the screen a path may start or end: its movers come in from there.
constexpr f32 OffScreenMargin = 100.0f;
// The least room between two lots.
constexpr f32 LotGap = 10.0f;
// Where a lot's bus stops, from the lot's position.
constexpr f32 LotFrontX = 70.0f;
constexpr f32 LotFrontY = 40.0f;
constexpr f32 PointTolerance = 0.5f;
// The share of a lot's price a money letter may bring.
constexpr f32 LetterMoneyMin = 0.2f;
constexpr f32 LetterMoneyMax = 1.0f;
// The shortest game day, in seconds.
constexpr s32 ShortestDay = 20;
// How long each level runs once its objectives window is closed, a turn of the main loop, and
// how often a turn draws a frame.
constexpr u32 TurnMs = 20;
constexpr u32 RunMs = 3000;
constexpr u32 DrawEveryTurns = 10;
// How long the play screen may take to show its objectives window.
constexpr u32 ObjectivesWaitMs = 3000;
// The paths of the passing cars.
constexpr const char* NeutralCarPaths = "NeutralCar";
constexpr const char* TutorialFile = "Tutorial.xml";
constexpr const char* DictionaryFile = "strings/Dictionary.xml";
std::string narrow(const stringw& text) { return toUtf8(text.c_str()); }
std::string nameText(const CNameId& name) { return name.getName().c_str(); }
std::string nameText(s32 id) { return CNameId::fromId(id).getName().c_str(); }
std::string number(f32 value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string wholeNumber(f32 value) { return std::to_string(std::llround(value)); }

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

// ---- What a player owns at a level ----

// The map location of a regular level: a mini-game stands after each region but the last.
s32 locationOfLevel(s32 level) { return level - 1 + (level - 1) / LevelsPerRegion; }

// The upgrades the campaign expects a player to have bought by the level: those the map makes
// obligatory up to it (the free ones count without being bought).
stringc boughtUpgradesAt(const UpgradesConfiguration& upgrades, s32 level) {
    stringc list;
    for (const auto& [name, upgrade] : upgrades.getRecords())
        if (upgrade->Price > 0 && upgrade->ObligatoryLevel > 0 && upgrade->ObligatoryLevel <= level)
            list = appendNameToList(list, name.getName());
    return list;
}

// ---- The game's content, loaded once ----

// The audio driver of the lint: every sound file gives a sound that plays whenever asked.
class SilentAudioDriver : public CNullAudioDriver {
public:
    using CNullAudioDriver::CNullAudioDriver;
    ISound* createSound(IReadableFile* file, const CCreationContext& context) override {
        return file ? new PlayingSound(context) : nullptr;
    }
};

u32 registerPreloaderClasses() {
    u32 count = 0;
    const SGameNodeClass* rows = getPreloaderNodeClasses(count);
    return registerGameNodeClasses(CNodeFactory::instance(), rows, count);
}

// A level folder loaded and started: the play screen showing it and the level scene.
struct SStartedLevel {
    CRefPtr<SceneNode> screen;
    CRefPtr<GGameLevelScene> level;
};

// A windowless device over the real assets (and a folder of copies of level folders), with the
// game's node classes, a player, the game services the scenes ask for, the menus' scene manager
// and the level layer, loaded by the preloader's own steps.
struct CampaignWorld {
    CampaignWorld() {
        registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
        registerAudioPropertyTypes(CPropertyTypeRegistry::instance());
        registerEngineNodes(CNodeFactory::instance());
        u32 count = 0;
        const SGameNodeClass* rows = getApplicationNodeClasses(count);
        registerGameNodeClasses(CNodeFactory::instance(), rows, count);

        fs::remove_all(copies);
        fs::create_directories(copies);
        files = device.getFileSystem();
        EXPECT_TRUE(files->addArchive(stringc(copies.string().c_str()), false, false));
        EXPECT_TRUE(files->addArchive(stringc(AssetsDir.string().c_str()), false, false));
        device.setVideoDriver(createMemoryTextureDriver(SDeviceParameters(), files));
        device.getVideoDriver()->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
        audio = CRefPtr<SilentAudioDriver>::fromRaw(new SilentAudioDriver(files));
        processors = createContentProcessors(device.getVideoDriver(), audio.get(), files);
        content = CRefPtr<CContentManager>::fromRaw(new CContentManager(files, processors));

        menus = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        layer = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        layer->setSortEnabled(true);
        services.sceneManager = menus.get();
        services.worldSceneManager = layer.get();
        services.fileSystem = files;
        services.groups = CRefPtr<CSoundGroupManager>(device.getSoundGroupManager());
        services.dictionary = CRefPtr<CTextDictionary>(device.getTextDictionary());
        services.registerClasses = &registerPreloaderClasses;
        EXPECT_TRUE(services.dictionary->load(stringc(DictionaryFile)));

        // The preloader's steps, in its order.
        intro = makeRef<GIntroScene>(CCreationContext(content.get(), ""));
        const GIntroScene::SLoadStep* steps = GIntroScene::getLoadSteps();
        for (u32 i = 0; i < GIntroScene::StepCount; ++i) (intro.get()->*steps[i].run)();
        for (const auto& line : log.lines())
            if (line.level >= LogWarning)
                preloaderProblems.push_back(line.text + " [" + line.hint + "]");
        // The level start adds an entry for a level the table lacks: the lint reads its own.
        EXPECT_EQ(readConfigurationFile(files, GIntroScene::LevelScoresFile, scoresOnFile.get()),
                  ConfigurationFileRead);
    }

    ~CampaignWorld() {
        menus->setScene(nullptr);
        layer->setScene(nullptr);
        menus->update(0);
        menus->setTemplateCollection(nullptr);
        layer->setTemplateCollection(nullptr);
        intro = nullptr;
        services.groups = nullptr;
        services.dictionary = nullptr;
        content->releaseAll();
        content = nullptr;
        processors->drop();
        audio = nullptr;
        fs::remove_all(copies);
    }

    TemplateCollectionNode* levelTemplates() const { return layer->getTemplateCollection(); }

    // The folder ("levels/NAME/") loaded and started as the loading screen does it, by a player
    // who owns what the campaign expects at the level's number; the play screen shown, then run.
    // What went wrong goes to the problems.
    SStartedLevel start(const std::string& folder, s32 level, std::vector<std::string>& problems) {
        SStartedLevel out;
        player.profile()->setInt(ProfileKeyLevelIndex, locationOfLevel(level));
        player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, locationOfLevel(level));
        player.profile()->setString(ProfileKeyBoughtUpgrades,
                                    boughtUpgradesAt(*services.upgrades, level));
        const size_t firstLine = log.lines().size();

        CResource* loaded = content->getContentByPath(
            TypeCodeSceneNode, stringc((folder + GLoadingLevelScene::LevelSceneFile).c_str()),
            true);
        CRefPtr<CResource> scene = CRefPtr<CResource>::fromRaw(loaded);
        auto* node = scene && scene->getTypeCode() == TypeCodeSceneNode
                         ? static_cast<BaseNode*>(scene.get())
                         : nullptr;
        if (!node || !node->isKindOf(GameNodeTypeGameLevelScene)) {
            problems.push_back(std::string("its ") + GLoadingLevelScene::LevelSceneFile +
                               " does not load as a level scene");
        } else {
            out.level = CRefPtr<GGameLevelScene>(static_cast<GGameLevelScene*>(node));
        }
        CRefPtr<CResource> screenFile = CRefPtr<CResource>::fromRaw(content->getContentByPath(
            TypeCodeSceneNode, stringc(GLoadingLevelScene::GamePlayFile), true));
        SceneNode* screen = screenFile && screenFile->getTypeCode() == TypeCodeSceneNode
                                ? asSceneNode(static_cast<BaseNode*>(screenFile.get()))
                                : nullptr;
        IGamePlayScreen* play = IGamePlayScreen::of(screen);
        if (!play) problems.push_back("the play screen does not load");
        if (out.level && play) {
            if (play->loadLevel(stringc(folder.c_str()), out.level.get())) {
                out.screen = CRefPtr<SceneNode>(screen);
                run(out, problems);
            } else {
                problems.push_back("the play screen does not start it");
            }
        }
        for (size_t i = firstLine; i < log.lines().size(); ++i) {
            const auto& line = log.lines()[i];
            if (line.level >= LogWarning)
                problems.push_back("logged \"" + line.text + "\" [" + line.hint + "]");
        }
        return out;
    }

    // The play screen shown; its objectives window closed as the player closes it; the level
    // played on.
    void run(const SStartedLevel& started, std::vector<std::string>& problems) {
        menus->setScene(started.screen.get());
        u32 turn = 0;
        SceneNode* shown = nullptr;
        for (; turn * TurnMs < ObjectivesWaitMs && !shown; ++turn) {
            step(turn % DrawEveryTurns == 0);
            SceneNode* current = menus->getCurrentScene();
            if (current && current->isKindOf(GameNodeTypeLevelObjectivesScene)) shown = current;
        }
        if (!shown) {
            problems.push_back("its objectives window does not show");
            return;
        }
        CRefPtr<SceneNode> objectives(shown);
        for (; turn * TurnMs < ObjectivesWaitMs && menus->isInTransition(shown); ++turn)
            step(turn % DrawEveryTurns == 0);
        const s32 before = started.level->getLevelTime();
        if (!objectives->goBack(0)) {
            problems.push_back("its objectives window does not close");
            return;
        }
        for (turn = 0; turn * TurnMs < RunMs; ++turn) step(turn % DrawEveryTurns == 0);
        if (started.level->getLevelTime() - before < static_cast<s32>(RunMs / 2))
            problems.push_back("its clock does not run after the objectives window");
    }

    // Takes the started level off both scene managers again.
    void stop(SStartedLevel& started) {
        menus->setScene(nullptr);
        layer->setScene(nullptr);
        menus->update(0);
        if (BaseNode* holder = layer->getParent()) holder->removeChild(layer.get());
        started.screen = nullptr;
        started.level = nullptr;
    }

    // One turn of the main loop: both layers' clocks, their queues, and a frame when asked.
    void step(bool draw) {
        for (SceneManager* m : {menus.get(), layer.get()})
            for (BaseNode* child : std::vector<BaseNode*>(m->getChildren()))
                if (SceneNode* scene = asSceneNode(child))
                    if (CTimerScheduler* clock = scene->getTimerScheduler()) clock->update(TurnMs);
        layer->update(0);
        menus->update(0);
        if (draw) menus->render(device.getVideoDriver());
    }

    // A copy of the asset level folder under the name, each file passed through the edit first.
    std::string copyLevel(const std::string& from, const std::string& name,
                          const std::function<void(const std::string&, std::string&)>& edit) {
        const fs::path target = copies / "levels" / name;
        fs::create_directories(target);
        for (const auto& entry : fs::directory_iterator(AssetsDir / "levels" / from)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            edit(entry.path().filename().string(), bytes);
            std::ofstream(target / entry.path().filename(), std::ios::binary) << bytes;
        }
        return "levels/" + name + "/";
    }

    LogCapture log;
    CursorDevice device;
    fs::path copies =
        fs::temp_directory_path() / ("brasquel-campaign-" + std::to_string(::getpid()));
    CFileSystem* files = nullptr;
    CRefPtr<SilentAudioDriver> audio;
    CContentProcessorsManager* processors = nullptr;
    CRefPtr<CContentManager> content;
    TestGameServices services;
    CRefPtr<SceneManager> menus;
    CRefPtr<SceneManager> layer;
    CRefPtr<GIntroScene> intro;
    PlayPlayer player;
    std::vector<std::string> preloaderProblems;
    CRefPtr<LevelScores> scoresOnFile = makeRef<LevelScores>();
};

CampaignWorld* g_world = nullptr;

// Loads the content once for all tests and lets it go before the program ends (so that the leak
// checker sees nothing held).
class CampaignWorldEnvironment : public ::testing::Environment {
public:
    void SetUp() override { g_world = new CampaignWorld(); }
    void TearDown() override {
        delete g_world;
        g_world = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new CampaignWorldEnvironment());

// ---- The checks of one level ----

// The lint of one started level; every fault found is a line of `problems`.
class LevelLint {
public:
    LevelLint(const CampaignWorld& world, const std::string& folder, s32 level,
              const GGameLevelScene& scene, std::vector<std::string>& problems)
        : m_world(world),
          m_folder(folder),
          m_level(level),
          m_scene(scene),
          m_types(*world.services.buildings),
          m_problems(problems) {}

    void run() {
        m_configuration = m_scene.getLevelConfiguration();
        m_upgrades = m_scene.getUpgradeEffects();
        if (!m_configuration || !m_upgrades) {
            fault("the play screen gave it no configuration or no upgrades");
            return;
        }
        checkLots();
        checkConfiguration();
        checkObjectives();
        checkRequests();
        checkTutorial();
        checkPaths();
        checkScores();
        checkTemplates();
    }

private:
    void fault(const std::string& text) { m_problems.push_back(text); }

    bool knownType(const CNameId& type) const { return m_types.find(type) != nullptr; }
    bool isLot(const CNameId& name) const { return m_lots.count(name.getId()) != 0; }
    // Every name a known type; `what` says where the list stands.
    void expectTypes(const array<CNameId>& types, const std::string& what) {
        for (u32 i = 0; i < types.size(); ++i)
            if (!knownType(types[i])) fault(what + " names the unknown type " + nameText(types[i]));
    }
    void expectLots(const array<CNameId>& places, const std::string& what) {
        for (u32 i = 0; i < places.size(); ++i)
            if (!isLot(places[i])) fault(what + " names the missing lot " + nameText(places[i]));
    }
    // A type an objective needs: known, allowed by the owned upgrades and offered for building.
    void expectBuildable(const CNameId& type, const std::string& what) {
        if (!knownType(type)) {
            fault(what + " names the unknown type " + nameText(type));
            return;
        }
        bool listed = false;
        for (u32 i = 0; i < m_configuration->AvailableBuildingsForBuild.size(); ++i)
            listed |= m_configuration->AvailableBuildingsForBuild[i] == type;
        if (!listed)
            fault(what + " needs " + nameText(type) + ", which it does not offer for building");
        if (!m_upgrades->isBuildingAllowed(type))
            fault(what + " needs " + nameText(type) + ", which the owned upgrades do not allow");
    }
    // A text shown to the player: a key the dictionary resolves.
    void expectText(const stringw& text, const std::string& what) {
        const CTextDictionary* texts = m_world.services.dictionary.get();
        if (text.empty()) {
            fault(what + " has no text");
            return;
        }
        if (texts->translate(text).findFirst(L'%') != -1)
            fault(what + " has the unresolved text " + narrow(text));
    }
    // The elements of the name in the folder's file, however the game reads them.
    u32 countElements(const char* file, const wchar_t* element) const {
        CXmlReader* reader = m_world.files->createXmlReader(stringc((m_folder + file).c_str()));
        if (!reader) return 0;
        u32 count = 0;
        while (reader->read())
            if (reader->getNodeType() == XmlNodeElement &&
                reader->getNodeName() == stringw(element))
                ++count;
        reader->drop();
        return count;
    }

    void checkLots() {
        struct SRect {
            std::string name;
            f32 x0, y0, x1, y1;
        };
        std::vector<SRect> rects;
        for (const CRefPtr<GBuildingNode>& lot : m_scene.getBuildings()) {
            const std::string name = nameText(lot->getNameId());
            if (!m_lots.insert(lot->getNameId()).second) fault("two lots are named " + name);
            const CNameId type = CNameId::fromId(lot->getTemplateName());
            if (!knownType(type))
                fault("lot " + name + " is of the unknown type " + nameText(type));
            else
                m_offered.insert(type.getId());
            const vector3df& at = lot->getPosition();
            const vector3df& size = lot->getBounds();
            const SRect rect{name, at.X, at.Y, at.X + size.X, at.Y + size.Y};
            if (rect.x0 < 0.0f || rect.y0 < 0.0f || rect.x1 > ScreenWidth ||
                rect.y1 > PlayfieldBottom)
                fault("lot " + name + " (" + number(rect.x0) + ", " + number(rect.y0) + " to " +
                      number(rect.x1) + ", " + number(rect.y1) + ") is not on the playfield");
            for (const SRect& other : rects)
                if (rect.x0 < other.x1 + LotGap && other.x0 < rect.x1 + LotGap &&
                    rect.y0 < other.y1 + LotGap && other.y0 < rect.y1 + LotGap)
                    fault("lots " + other.name + " and " + name + " are closer than " +
                          number(LotGap) + " px");
            rects.push_back(rect);
        }
        if (m_lots.empty()) fault("it has no lot");
    }

    void checkConfiguration() {
        const GLevelConfiguration& c = *m_configuration;
        const std::string name = std::to_string(m_level);
        if (narrow(c.Name) != name)
            fault("its Name is \"" + narrow(c.Name) + "\", not \"" + name + "\"");
        const std::vector<std::string> unlocks =
            m_level < CampaignLevelCount ? std::vector<std::string>{std::to_string(m_level + 1)}
                                         : std::vector<std::string>{};
        std::vector<std::string> named;
        std::string list;
        for (u32 i = 0; i < c.UnlockLevels.size(); ++i) {
            named.push_back(c.UnlockLevels[i].c_str());
            list += (i ? ";" : "") + named.back();
        }
        if (named != unlocks) fault("its UnlockLevels are \"" + list + "\", not the next level's");
        const s32 setting = RegionSettings[(m_level - 1) / LevelsPerRegion];
        if (c.SettingIndex != setting)
            fault("its SettingIndex is " + std::to_string(c.SettingIndex) + ", its region's is " +
                  std::to_string(setting));
        if (c.DayLength < ShortestDay)
            fault("its DayLength " + std::to_string(c.DayLength) + " is shorter than " +
                  std::to_string(ShortestDay) + " s");
        const std::pair<const char*, const SLevelRange*> ranges[] = {
            {"BuildingsSellTime", &c.BuildingsSellTime},
            {"BuildingsBuyRequestTime", &c.BuildingsBuyRequestTime},
            {"BuildingsBuyRequestTimeWaiting", &c.BuildingsBuyRequestTimeWaiting},
            {"BuildingsBuyRequestPriceMultiplier", &c.BuildingsBuyRequestPriceMultiplier}};
        for (const auto& [key, range] : ranges)
            if (range->Min > range->Max) fault(std::string("its ") + key + " runs backwards");
        if (c.BuildingsBuyRequestPriceMultiplier.Min <= 0.0f)
            fault("its BuildingsBuyRequestPriceMultiplier is not above 0");
        expectText(c.Description, "its Description");
        expectTypes(c.AvailableBuildingsForBuild, "its AvailableBuildingsForBuild");
        for (u32 i = 0; i < c.AvailableBuildingsForBuild.size(); ++i)
            m_offered.insert(c.AvailableBuildingsForBuild[i].getId());
        expectTypes(c.StationIncomeBonus1BuildingTypes, "its StationIncomeBonus1BuildingTypes");
        expectTypes(c.StationIncomeBonus2BuildingTypes, "its StationIncomeBonus2BuildingTypes");
        expectLots(c.PyramidIncomeBonusPlaces, "its PyramidIncomeBonusPlaces");
    }

    void checkObjectives() {
        const GLevelObjectiveList& list = *m_configuration->Objectives;
        if (list.size() == 0) fault("it has no objective");
        if (countElements("LevelConfiguration.xml", L"Objective") != list.size())
            fault("an objective is of an unknown type");
        for (u32 i = 0; i < list.size(); ++i) {
            GLevelObjective* objective = list.get(i);
            const std::string what = "objective " + std::to_string(i + 1) + " (" +
                                     narrow(GLevelObjective::typeNameOf(objective->getKind())) +
                                     ")";
            // Each kind: the types it needs, and whether it needs each of them or one of them.
            const array<CNameId>* types = nullptr;
            switch (objective->getKind()) {
                case LevelObjectiveMoney: {
                    // A sum the player starts with shows met from the start: no goal at all.
                    const f32 sum = static_cast<GLevelObjectiveMoney*>(objective)->Value;
                    const f32 start = m_configuration->InitMoney;
                    if (sum <= start)
                        fault(what + " asks for " + wholeNumber(sum) + ", which the start money " +
                              wholeNumber(start) + " already meets");
                    break;
                }
                case LevelObjectiveIncome: {
                    // Likewise a daily income the owned buildings earn from the start.
                    const f32 goal = static_cast<GLevelObjectiveIncome*>(objective)->Value;
                    const f32 start = m_scene.TotalIncome;
                    if (goal <= start)
                        fault(what + " asks for " + wholeNumber(goal) + " a day, which the start " +
                              "income " + wholeNumber(start) + " already meets");
                    break;
                }
                case LevelObjectiveHaveTypedBuildingsCount: {
                    auto* o = static_cast<GLevelObjectiveHaveTypedBuildingsCount*>(objective);
                    types = &o->BuildingTypes;
                    expectLots(o->PlaceNames, what);
                    if (!o->MustOwn) fault(what + " counts lots without MustOwn");
                    break;
                }
                case LevelObjectiveHaveEachTypeBuildingsCount: {
                    auto* o = static_cast<GLevelObjectiveHaveEachTypeBuildingsCount*>(objective);
                    types = &o->BuildingTypes;
                    if (o->BuildingTypes.size() == 0) fault(what + " names no type");
                    if (!o->MustOwn) fault(what + " counts lots without MustOwn");
                    break;
                }
                case LevelObjectiveTypedHistoryActionsCount: {
                    auto* o = static_cast<GLevelObjectiveTypedHistoryActionsCount*>(objective);
                    types = &o->BuildingTypes;
                    expectLots(o->PlaceNames, what);
                    if (o->Action < LevelHistoryBuilt || o->Action > LevelHistoryCleaned)
                        fault(what + " counts the unknown action " + std::to_string(o->Action));
                    const s32 feature = o->Action == LevelHistoryFeatureUsed    ? 0
                                        : o->Action == LevelHistoryFeature1Used ? 1
                                        : o->Action == LevelHistoryFeature2Used ? 2
                                                                                : -1;
                    for (u32 t = 0; feature >= 0 && t < o->BuildingTypes.size(); ++t)
                        expectFeature(o->BuildingTypes[t], feature, what);
                    break;
                }
                case LevelObjectiveHaveConcurrentFeatures: {
                    auto* o = static_cast<GLevelObjectiveHaveConcurrentFeatures*>(objective);
                    types = &o->BuildingTypes;
                    if (o->BuildingTypes.size() == 0 ||
                        o->BuildingTypes.size() != o->FeatureIndices.size())
                        fault(what + " does not pair each type with a feature");
                    for (u32 t = 0; t < o->BuildingTypes.size() && t < o->FeatureIndices.size();
                         ++t)
                        expectFeature(o->BuildingTypes[t], o->FeatureIndices[t], what);
                    break;
                }
                default:
                    break;
            }
            if (types)
                for (u32 t = 0; t < types->size(); ++t) expectBuildable((*types)[t], what);
            expectText(objective->getInfoText(m_world.services.dictionary.get(), false), what);
        }
    }

    // A feature an objective needs: the type has it and the owned upgrades allow it.
    void expectFeature(const CNameId& type, s32 feature, const std::string& what) {
        const GBuildingConfig* config = m_types.find(type);
        if (!config) return;
        if (feature < 0 || static_cast<u32>(feature) >= config->Features.size()) {
            fault(what + " needs feature " + std::to_string(feature) + " of " + nameText(type) +
                  ", which has none of that index");
            return;
        }
        if (!m_upgrades->isFeatureAllowed(type, feature))
            fault(what + " needs feature " + std::to_string(feature) + " of " + nameText(type) +
                  ", which the owned upgrades do not allow");
    }

    void checkRequests() {
        const GRandomEventList& list = *m_configuration->RandomEvents;
        if (countElements("LevelConfiguration.xml", L"Event") != list.size())
            fault("a request is of an unknown type");
        for (u32 i = 0; i < list.size(); ++i) {
            GRandomEventRequest* request = list.get(i);
            const std::string what = "request " + std::to_string(i + 1);
            const auto timeRange = [&](const SIntRange& range, const char* key) {
                if (range.first > range.second) fault(what + ": its " + key + " runs backwards");
            };
            if (auto* once = dynamic_cast<GOneTimeRequest*>(request))
                timeRange(once->TimeRange, "TimeRange");
            if (auto* regular = dynamic_cast<GRegularRequest*>(request)) {
                timeRange(regular->FirstTimeRange, "FirstTimeRange");
                timeRange(regular->LastTimeRange, "LastTimeRange");
                timeRange(regular->PeriodRange, "PeriodRange");
                if (regular->PeriodRange.first <= 0)
                    fault(what + ": its PeriodRange " + std::to_string(regular->PeriodRange.first) +
                          " to " + std::to_string(regular->PeriodRange.second) +
                          " lets it fire at every update");
            }
            if (auto* weather = dynamic_cast<RegularWeatherEffectRequest*>(request)) {
                timeRange(weather->DurationTimeRange, "DurationTimeRange");
                if (weather->DurationTimeRange.second <= 0)
                    fault(what + ": its weather lasts no time");
            }
            const auto letter = [&](const SFloatRange& money, const SFloatRange& wait) {
                if (money.first < LetterMoneyMin || money.second > LetterMoneyMax ||
                    money.first > money.second)
                    fault(what + ": its MoneyRange " + number(money.first) + " to " +
                          number(money.second) + " is not within " + number(LetterMoneyMin) +
                          " to " + number(LetterMoneyMax));
                if (wait.first > wait.second) fault(what + ": its WaitTimeRange runs backwards");
            };
            if (auto* l = dynamic_cast<OneTimeLetterRequest*>(request))
                letter(l->MoneyRange, l->WaitTimeRange);
            if (auto* l = dynamic_cast<RegularLetterRequest*>(request))
                letter(l->MoneyRange, l->WaitTimeRange);
            checkRequestNames(request, what);
            if (auto* dirty = dynamic_cast<OneTimeDirtyBuildingRequest*>(request))
                checkCleanable(dirty->BuildingTypes, what);
            if (auto* dirty = dynamic_cast<RegularDirtyBuildingRequest*>(request))
                checkCleanable(dirty->BuildingTypes, what);
        }
    }

    // A dirty lot stops working until it is cleaned, and blocks the level's end meanwhile; the
    // play screen offers the cleaning only to types with a serve-area bonus, so a dirty request
    // must keep to those.
    void checkCleanable(const array<CNameId>& types, const std::string& what) {
        if (types.empty()) {
            fault(what + ": it makes lots of any type dirty, and some can never be cleaned");
            return;
        }
        for (u32 i = 0; i < types.size(); ++i) {
            const GBuildingConfig* config = m_types.find(types[i]);
            if (config && !(config->ServeAreaIncomeBonus > 0.0f))
                fault(what + ": a dirty " + nameText(types[i]) + " could never be cleaned");
        }
    }

    template <class T>
    bool requestNames(GRandomEventRequest* request, const std::string& what) {
        auto* typed = dynamic_cast<T*>(request);
        if (!typed) return false;
        expectTypes(typed->BuildingTypes, what);
        expectLots(typed->PlaceNames, what);
        return true;
    }
    void checkRequestNames(GRandomEventRequest* request, const std::string& what) {
        static_cast<void>(requestNames<OneTimeSellBuildingRequest>(request, what) ||
                          requestNames<RegularSellBuildingRequest>(request, what) ||
                          requestNames<OneTimeBrokenBuildingRequest>(request, what) ||
                          requestNames<RegularBrokenBuildingRequest>(request, what) ||
                          requestNames<OneTimeDirtyBuildingRequest>(request, what) ||
                          requestNames<RegularDirtyBuildingRequest>(request, what) ||
                          requestNames<OneTimeCafeBuildingRequest>(request, what) ||
                          requestNames<RegularCafeBuildingRequest>(request, what) ||
                          requestNames<OneTimeLetterRequest>(request, what) ||
                          requestNames<RegularLetterRequest>(request, what));
    }

    // The tutorial's steps name types the level has (offered or standing) and its lots.
    void checkTutorial() {
        const std::string file = m_folder + TutorialFile;
        if (!m_world.files->existFile(stringc(file.c_str()))) return;
        CXmlReader* reader = m_world.files->createXmlReader(stringc(file.c_str()));
        array<CRefPtr<GTutorialHint>> steps;
        const bool whole = reader && readTutorialSteps(reader, steps);
        if (reader) reader->drop();
        if (!whole) fault("its tutorial does not read to its end");
        const auto inLevel = [&](const array<CNameId>& types, const std::string& what) {
            for (u32 i = 0; i < types.size(); ++i)
                if (!knownType(types[i]) || !m_offered.count(types[i].getId()))
                    fault(what + " names " + nameText(types[i]) +
                          ", a type the level does not have");
        };
        for (u32 s = 0; s < steps.size(); ++s)
            for (u32 a = 0; a < steps[s]->Actions.size(); ++a) {
                GTutorialAction* action = steps[s]->Actions[a].get();
                const std::string what = "tutorial step " + std::to_string(s + 1);
                if (auto* press = dynamic_cast<GBuildingPressAction*>(action))
                    inLevel(press->getBuildingTypes(), what);
                if (auto* built = dynamic_cast<GBuildingBuiltAction*>(action))
                    inLevel(built->getBuildingTypes(), what);
                if (auto* request = dynamic_cast<GGenerateRequestAction*>(action)) {
                    inLevel(request->getBuildingTypes(), what);
                    expectLots(request->getPlaceNames(), what);
                }
            }
    }

    // Points on the screen; the first and the last may lie a little beyond an edge.
    void expectOnScreen(const GLevelPath& path, const std::string& what) {
        if (path.Points.size() < 2) {
            fault(what + " has fewer than two points");
            return;
        }
        for (size_t i = 0; i < path.Points.size(); ++i) {
            const f32 margin = i == 0 || i + 1 == path.Points.size() ? OffScreenMargin : 0.0f;
            const SLevelPathPoint& p = path.Points[i];
            if (p.x < -margin || p.y < -margin || p.x > ScreenWidth + margin ||
                p.y > ScreenHeight + margin) {
                fault(what + ": point " + std::to_string(i + 1) + " (" + number(p.x) + ", " +
                      number(p.y) + ") is off the screen");
                return;
            }
        }
    }

    void checkPaths() {
        const GLevelPaths* paths = m_scene.getLevelPaths();
        if (!paths) {
            fault("it has no paths");
            return;
        }
        u32 groups = 0;
        for (const CRefPtr<GBuildingNode>& lot : m_scene.getBuildings()) {
            const std::string name = nameText(lot->getNameId());
            const GLevelPaths::PathList own = paths->getCarPaths(lot->getNameId());
            if (own.empty()) {
                fault("lot " + name + " has no bus path");
                continue;
            }
            ++groups;
            const f32 x = lot->getPosition().X + LotFrontX;
            const f32 y = lot->getPosition().Y + LotFrontY;
            for (const CRefPtr<GLevelPath>& path : own) {
                expectOnScreen(*path, "the bus path of " + name);
                if (path->Points.empty()) continue;
                const SLevelPathPoint& end = path->Points.back();
                if (std::fabs(end.x - x) > PointTolerance || std::fabs(end.y - y) > PointTolerance)
                    fault("the bus path of " + name + " ends at (" + number(end.x) + ", " +
                          number(end.y) + "), not at its front (" + number(x) + ", " + number(y) +
                          ")");
            }
        }
        const GLevelPaths::PathList neutral = paths->getCarPaths(CNameId(NeutralCarPaths).getId());
        if (!neutral.empty()) ++groups;
        for (size_t i = 0; i < neutral.size(); ++i) {
            const GLevelPath& path = *neutral[i];
            const std::string what = "passing-car path " + std::to_string(i + 1);
            expectOnScreen(path, what);
            if (path.Cars.empty()) fault(what + " has no cars");
            const TemplateCollectionNode* templates = m_world.levelTemplates();
            for (const CNameId& car : path.Cars)
                if (!templates || !templates->findTemplate(car.getId()))
                    fault(what + " names the car " + nameText(car) + ", which has no template");
            if (path.Time[0] > path.Time[1] || path.Time[1] <= 0)
                fault(what + " has no time range");
        }
        if (paths->getCarGroupCount() != groups) fault("a group of car paths names no lot");
        const GLevelPaths::PathList& walks = paths->getPedestrianPaths();
        for (size_t i = 0; i < walks.size(); ++i)
            expectOnScreen(*walks[i], "walkway " + std::to_string(i + 1));
    }

    void checkScores() {
        const stringc key = m_configuration->getScoresKey();
        const SLevelScore* entry = m_world.scoresOnFile->find(key);
        if (!entry) {
            fault(std::string("the level scores lack ") + key.c_str());
            return;
        }
        if (entry->Score <= 0 || entry->Score >= entry->ExpertScore)
            fault("its Score " + std::to_string(entry->Score) +
                  " is not above 0 and below its "
                  "ExpertScore " +
                  std::to_string(entry->ExpertScore));
        if (entry->Time <= 0) fault("its Time is not above 0");
    }

    // Every type the level has (offered for building or standing on a lot) has a template in
    // the level collection with the state of the level's setting.
    void checkTemplates() {
        const TemplateCollectionNode* templates = m_world.levelTemplates();
        const std::string state = "Setting" + std::to_string(m_configuration->SettingIndex);
        const s32 stateId = CNameId(state.c_str()).getId();
        const std::function<bool(const BaseNode*)> hasState = [&](const BaseNode* node) {
            if (node->findState(stateId)) return true;
            for (const BaseNode* child : node->getChildren())
                if (hasState(child)) return true;
            return false;
        };
        for (s32 type : m_offered) {
            const BaseNode* look = templates ? templates->findTemplate(type) : nullptr;
            if (!look)
                fault("type " + nameText(type) + " has no template");
            else if (!hasState(look))
                fault("type " + nameText(type) + " has no state " + state);
        }
    }

    const CampaignWorld& m_world;
    const std::string m_folder;
    const s32 m_level;
    const GGameLevelScene& m_scene;
    const GBuildingsConfiguration& m_types;
    std::vector<std::string>& m_problems;
    const GLevelConfiguration* m_configuration = nullptr;
    const GLevelUpgrades* m_upgrades = nullptr;
    std::set<s32> m_lots;
    std::set<s32> m_offered;
};

// Loads, starts and checks the folder as the level of the number; every fault found.
std::vector<std::string> lintLevel(CampaignWorld& world, const std::string& folder, s32 level) {
    std::vector<std::string> problems;
    SStartedLevel started = world.start(folder, level, problems);
    if (started.level && started.screen) {
        LevelLint lint(world, folder, level, *started.level, problems);
        lint.run();
    }
    world.stop(started);
    return problems;
}

}  // namespace

// ---- The tests ----

TEST(CampaignLevels, ThePreloaderLoadsTheGamesContentWithoutAWarning) {
    ASSERT_NE(g_world, nullptr);
    EXPECT_TRUE(g_world->preloaderProblems.empty()) << joined(g_world->preloaderProblems);
    EXPECT_GT(g_world->services.buildings->size(), 0u);
    EXPECT_GT(g_world->services.upgrades->size(), 0u);
    ASSERT_NE(g_world->levelTemplates(), nullptr);
    // The map's place of a level is the one whose regular levels before it are the level's.
    for (s32 level = 1; level <= CampaignLevelCount; ++level)
        EXPECT_EQ(GLevelUpgrades::regularLevelsBefore(locationOfLevel(level)), level - 1) << level;
}

TEST(CampaignLevels, ThereAreExactlyTheThirtyFiveLevelFolders) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(AssetsDir / "levels")) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name.rfind("level", 0) == 0) found.insert(name);
    }
    std::set<std::string> wanted;
    for (s32 level = 1; level <= CampaignLevelCount; ++level)
        wanted.insert("level" + std::to_string(level));
    std::vector<std::string> missing, extra;
    std::set_difference(wanted.begin(), wanted.end(), found.begin(), found.end(),
                        std::back_inserter(missing));
    std::set_difference(found.begin(), found.end(), wanted.begin(), wanted.end(),
                        std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << "missing:" << joined(missing);
    EXPECT_TRUE(extra.empty()) << "not of the campaign:" << joined(extra);
}

class CampaignLevel : public ::testing::TestWithParam<s32> {};

TEST_P(CampaignLevel, LoadsAsTheGameLoadsItAndHoldsTogether) {
    ASSERT_NE(g_world, nullptr);
    const s32 level = GetParam();
    const std::string name = "level" + std::to_string(level);
    ASSERT_TRUE(fs::is_directory(AssetsDir / "levels" / name)) << name << ": no folder";
    const std::vector<std::string> problems = lintLevel(*g_world, "levels/" + name + "/", level);
    EXPECT_TRUE(problems.empty()) << name << ":" << joined(problems);
}

INSTANTIATE_TEST_SUITE_P(Campaign, CampaignLevel, ::testing::Range(1, CampaignLevelCount + 1),
                         [](const ::testing::TestParamInfo<s32>& info) {
                             return "level" + std::to_string(info.param);
                         });

// ---- Edits of the copies of a level's files ----

// The quoted text that follows the mark, from `from` on; npos when there is none.
size_t quotedAfter(const std::string& xml, const std::string& mark, size_t from, size_t* length) {
    const size_t at = xml.find(mark, from);
    if (at == std::string::npos) return at;
    const size_t start = at + mark.size();
    const size_t end = xml.find('"', start);
    if (end == std::string::npos) return end;
    *length = end - start;
    return start;
}

// The numbers of a value such as "200.000000;532.000000;0.000000".
std::vector<f32> numbersOf(const std::string& value) {
    std::vector<f32> numbers;
    std::stringstream parts(value);
    std::string part;
    while (std::getline(parts, part, ';')) numbers.push_back(std::strtof(part.c_str(), nullptr));
    return numbers;
}

std::string pointText(f32 x, f32 y) { return number(x) + ";" + number(y) + ";0"; }

// The value of the property in the scene node named `node` passed through the change; false
// when the node or its property is missing.
bool editProperty(std::string& xml, const std::string& node, const std::string& key,
                  const std::function<std::string(const std::string&)>& change) {
    const size_t named = xml.find("Name=\"Name\" Value=\"" + node + "\"");
    if (named == std::string::npos) return false;
    size_t length = 0;
    const size_t at = quotedAfter(xml, "Name=\"" + key + "\" Value=\"", named, &length);
    if (at == std::string::npos || at > xml.find("</SceneNode>", named)) return false;
    xml.replace(at, length, change(xml.substr(at, length)));
    return true;
}

// The value of the configuration's property replaced.
bool setSetting(std::string& xml, const std::string& key, const std::string& value) {
    size_t length = 0;
    const size_t at = quotedAfter(xml, "Name=\"" + key + "\" Value=\"", 0, &length);
    if (at == std::string::npos) return false;
    xml.replace(at, length, value);
    return true;
}

// The text put in right after the mark, or right before it.
bool insertAfter(std::string& xml, const std::string& mark, const std::string& text) {
    const size_t at = xml.find(mark);
    if (at == std::string::npos) return false;
    xml.insert(at + mark.size(), text);
    return true;
}
bool insertBefore(std::string& xml, const std::string& mark, const std::string& text) {
    const size_t at = xml.find(mark);
    if (at == std::string::npos) return false;
    xml.insert(at, text);
    return true;
}

// The last point of the lot's bus path moved by the offset.
bool moveBusStop(std::string& xml, const std::string& lot, f32 dx, f32 dy) {
    const size_t path = xml.find("<Path ID=\"" + lot + "\"");
    const size_t end = path == std::string::npos ? path : xml.find("</Path>", path);
    if (end == std::string::npos) return false;
    const size_t last = xml.rfind("p=\"", end);
    if (last == std::string::npos || last < path) return false;
    size_t length = 0;
    const size_t at = quotedAfter(xml, "p=\"", last, &length);
    const std::vector<f32> point = numbersOf(xml.substr(at, length));
    if (point.size() < 2) return false;
    xml.replace(at, length, number(point[0] + dx) + ";" + number(point[1] + dy));
    return true;
}

// A copy of the first level with one fault put in, and what the lint must report about it: the
// parts of one of its lines (none: the copy must pass).
struct SBrokenCopy {
    const char* label;
    const char* file;
    std::function<bool(std::string&)> edit;
    std::vector<std::string> reported;
};

const std::string CountObjective =
    "<Objective Type=\"HaveTypedBuildingsCount\" InfoStr=\"%Obj_Level1_Upgrade%\" "
    "BuildingTypes=\"Camping2\" Value=\"2\" />";
const std::string HostelObjective =
    "<Objective Type=\"HaveTypedBuildingsCount\" InfoStr=\"%Obj_Level1_Upgrade%\" "
    "BuildingTypes=\"Hostel1\" Value=\"1\" MustOwn=\"true\" />";
const std::string RichLetters =
    "<Event Type=\"RegularLetterRequest\" PeriodRange=\"30000;60000\" MoneyRange=\"0.5;1.5\" "
    "WaitTimeRange=\"8000;12000\" />";
const std::string MissingLotRequest =
    "<Event Type=\"RegularBrokenBuildingRequest\" PeriodRange=\"30000;60000\" "
    "PlaceNames=\"Nowhere\" />";

const SBrokenCopy BrokenCopies[] = {
    {"unchanged", "", [](std::string&) { return true; }, {}},
    {"a lot moved below the playfield",
     "Level.oscn",
     [](std::string& xml) {
         return editProperty(xml, "Place5", "Position", [](const std::string& at) {
             return pointText(numbersOf(at)[0], PlayfieldBottom - 40.0f);
         });
     },
     {"lot Place5 (", "is not on the playfield"}},
    {"a lot over another",
     "Level.oscn",
     [](std::string& xml) {
         std::string place1;
         return editProperty(xml, "Place1", "Position",
                             [&](const std::string& at) { return place1 = at; }) &&
                editProperty(xml, "Place2", "Position", [&](const std::string&) {
                    const std::vector<f32> at = numbersOf(place1);
                    return pointText(at[0] + 60.0f, at[1] + 8.0f);
                });
     },
     {"lots Place1 and Place2 are closer than 10 px"}},
    {"two lots of one name",
     "Level.oscn",
     [](std::string& xml) {
         return editProperty(xml, "Place6", "Name", [](const std::string&) { return "Place5"; });
     },
     {"two lots are named Place5"}},
    {"a lot of an unknown type",
     "Level.oscn",
     [](std::string& xml) {
         return editProperty(xml, "Place1", "TemplateName",
                             [](const std::string&) { return "Castle"; });
     },
     {"lot Place1 is of the unknown type Castle"}},
    {"a bus path that misses its lot",
     "LevelPaths.xml",
     [](std::string& xml) { return moveBusStop(xml, "Place2", 0.0f, -32.0f); },
     {"the bus path of Place2 ends at (", "not at its front"}},
    {"a passing-car path off the screen",
     "LevelPaths.xml",
     [](std::string& xml) {
         return insertBefore(xml, "</CarPaths>",
                             "<Path ID=\"NeutralCar\" Time=\"3000;7000\" Cars=\"Car1\">"
                             "<p p=\"-80;430\" /><p p=\"500;1430\" /></Path>");
     },
     {"passing-car path", "point 2 (500, 1430) is off the screen"}},
    {"a count objective without MustOwn",
     "LevelConfiguration.xml",
     [](std::string& xml) { return insertBefore(xml, "</Objectives>", CountObjective); },
     {"(HaveTypedBuildingsCount) counts lots without MustOwn"}},
    {"an objective type the owned upgrades do not allow",
     "LevelConfiguration.xml",
     [](std::string& xml) { return insertBefore(xml, "</Objectives>", HostelObjective); },
     {"(HaveTypedBuildingsCount) needs Hostel1, which the owned upgrades do not allow"}},
    {"a money goal the start money meets",
     "LevelConfiguration.xml",
     [](std::string& xml) {
         return insertBefore(xml, "</Objectives>",
                             "<Objective Type=\"Money\" InfoStr=\"%Obj_Level1_Upgrade%\" "
                             "Value=\"100000\" />");
     },
     {"(Money) asks for 100000, which the start money 120000 already meets"}},
    {"an income goal the start income meets",
     "LevelConfiguration.xml",
     [](std::string& xml) {
         return insertBefore(xml, "</Objectives>", "<Objective Type=\"Income\" Value=\"4000\" />");
     },
     {"(Income) asks for 4000 a day, which the start income 4000 already meets"}},
    {"an objective of an unknown type",
     "LevelConfiguration.xml",
     [](std::string& xml) {
         return insertBefore(xml, "</Objectives>", "<Objective Type=\"Happiness\" Value=\"1\" />");
     },
     {"an objective is of an unknown type"}},
    {"a setting of another region",
     "LevelConfiguration.xml",
     [](std::string& xml) { return setSetting(xml, "SettingIndex", "2"); },
     {"its SettingIndex is 2, its region's is 1"}},
    {"a short day",
     "LevelConfiguration.xml",
     [](std::string& xml) { return setSetting(xml, "DayLength", "12"); },
     {"its DayLength 12 is shorter than 20 s"}},
    {"a letter of too much money",
     "LevelConfiguration.xml",
     [](std::string& xml) { return insertAfter(xml, "<RandomEvents>", RichLetters); },
     {"request 1: its MoneyRange 0.5 to 1.5 is not within 0.2 to 1"}},
    {"a request without a period",
     "LevelConfiguration.xml",
     [](std::string& xml) {
         return insertAfter(xml, "<RandomEvents>",
                            "<Event Type=\"RegularDirtyBuildingRequest\" />");
     },
     {"request 1: its PeriodRange 0 to 0 lets it fire at every update"}},
    {"dirt on any type",
     "LevelConfiguration.xml",
     [](std::string& xml) {
         return insertAfter(
             xml, "<RandomEvents>",
             "<Event Type=\"RegularDirtyBuildingRequest\" PeriodRange=\"30000;60000\" />");
     },
     {"request 1: it makes lots of any type dirty, and some can never be cleaned"}},
    {"dirt on a type that is never cleaned",
     "LevelConfiguration.xml",
     [](std::string& xml) {
         return insertAfter(
             xml, "<RandomEvents>",
             "<Event Type=\"RegularDirtyBuildingRequest\" PeriodRange=\"30000;60000\" "
             "BuildingTypes=\"Statue;Cafe\" />");
     },
     {"request 1: a dirty Cafe could never be cleaned"}},
    {"a request for a missing lot",
     "LevelConfiguration.xml",
     [](std::string& xml) { return insertAfter(xml, "<RandomEvents>", MissingLotRequest); },
     {"request 1 names the missing lot Nowhere"}},
    {"a tutorial step on a type the level lacks",
     "Tutorial.xml",
     [](std::string& xml) { return insertAfter(xml, "BuildingTypes=\"", "AquaPark;"); },
     {"tutorial step", "names AquaPark, a type the level does not have"}},
};

// Whether one of the lines holds every part.
bool reports(const std::vector<std::string>& lines, const std::vector<std::string>& parts) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return std::all_of(parts.begin(), parts.end(), [&](const std::string& part) {
            return line.find(part) != std::string::npos;
        });
    });
}

TEST(CampaignLevels, BrokenCopiesOfTheFirstLevelReportTheirFault) {
    ASSERT_NE(g_world, nullptr);
    int copy = 0;
    for (const SBrokenCopy& broken : BrokenCopies) {
        SCOPED_TRACE(broken.label);
        bool edited = std::string(broken.file).empty();
        const std::string folder =
            g_world->copyLevel("level1", "brokencopy" + std::to_string(++copy),
                               [&](const std::string& file, std::string& bytes) {
                                   if (file == broken.file) edited = broken.edit(bytes);
                               });
        ASSERT_TRUE(edited) << "the copy's " << broken.file << " does not take the edit";
        const std::vector<std::string> problems = lintLevel(*g_world, folder, 1);
        if (broken.reported.empty()) {
            EXPECT_TRUE(problems.empty()) << joined(problems);
        } else {
            EXPECT_TRUE(reports(problems, broken.reported))
                << "wanted:" << joined(broken.reported) << "\nfound:" << joined(problems);
        }
    }
}

}  // namespace brasquel::test
