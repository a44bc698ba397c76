// The level loading screen over content of the test's own: stand-ins for the level scene, the
// mini-game and the play screen, registered under class names of the test. Each folder ends in
// success, in a mini-game entered directly, or in a failed step that goes back; the bar follows
// the steps and is emptied on every entry.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/scene/CNodeFactory.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/IGameLevelInfo.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/IGamePlayScreen.h"
#include "game/scenes/IMiniGame.h"
#include "tests/game/scenes/GameSceneWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// How many stand-ins live, so that a test sees the screen let go of what it loaded.
int g_liveLevels = 0;
int g_livePlayScreens = 0;

// The level's world: of the level scene's kind, and answering as a level (or not).
class TestBareLevel : public SceneNode {
public:
    explicit TestBareLevel(const CCreationContext& context, BaseNode* parent = nullptr,
                           SceneManager* manager = nullptr)
        : SceneNode(context, parent, manager) {
        ++g_liveLevels;
    }
    ~TestBareLevel() override { --g_liveLevels; }
    bool isKindOf(s32 typeId) const override {
        return typeId == GameNodeTypeGameLevelScene || SceneNode::isKindOf(typeId);
    }
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<TestBareLevel>(this, parent, manager);
    }
};

class TestLevelScene : public TestBareLevel, public IGameLevelInfo {
public:
    explicit TestLevelScene(const CCreationContext& context, BaseNode* parent = nullptr,
                            SceneManager* manager = nullptr)
        : TestBareLevel(context, parent, manager) {}
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<TestLevelScene>(this, parent, manager);
    }
    bool hasLevelConfiguration() const override { return true; }
    stringw getLevelName() const override { return stringw(); }
    stringw getLevelDescription() const override { return stringw(); }
    s32 getLevelTimeLimit() const override { return 0; }
    s32 getLevelScore() const override { return 0; }
    s32 getLevelExpertScore() const override { return 0; }
    s32 getLevelTime() const override { return 0; }
    f32 getScoreGain() const override { return 0.0f; }
};

class TestMiniGame : public GBaseSceneNode, public IMiniGame {
public:
    explicit TestMiniGame(const CCreationContext& context, BaseNode* parent = nullptr,
                          SceneManager* manager = nullptr)
        : GBaseSceneNode(context, parent, manager) {}
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<TestMiniGame>(this, parent, manager);
    }
    bool isKindOf(s32 typeId) const override {
        return typeId == GameNodeTypeMiniGameScene || GBaseSceneNode::isKindOf(typeId);
    }
    bool loadConfiguration(const stringc& folder) override {
        folders.push_back(folder.c_str());
        return false;  // its answer does not matter
    }
    std::vector<std::string> folders;
};

// The play screen: records what it is handed and answers as told.
bool g_playScreenAnswer = true;

class TestPlayScreen : public GBaseSceneNode, public IGamePlayScreen {
public:
    explicit TestPlayScreen(const CCreationContext& context, BaseNode* parent = nullptr,
                            SceneManager* manager = nullptr)
        : GBaseSceneNode(context, parent, manager) {
        ++g_livePlayScreens;
    }
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<TestPlayScreen>(this, parent, manager);
    }
    ~TestPlayScreen() override { --g_livePlayScreens; }
    bool isKindOf(s32 typeId) const override {
        return typeId == GameNodeTypeGamePlayScene || GBaseSceneNode::isKindOf(typeId);
    }
    bool loadLevel(const stringc& folder, SceneNode* level) override {
        folders.push_back(folder.c_str());
        levels.push_back(CRefPtr<SceneNode>(level));  // the play screen keeps its level
        return g_playScreenAnswer;
    }
    bool isLevelMusicPlaying() const override { return false; }
    void playLevelMusic() override {}
    std::vector<std::string> folders;
    std::vector<CRefPtr<SceneNode>> levels;
};

// A screen of the play screen's kind that does not offer its interface.
class TestBareScreen : public GBaseSceneNode {
public:
    explicit TestBareScreen(const CCreationContext& context, BaseNode* parent = nullptr,
                            SceneManager* manager = nullptr)
        : GBaseSceneNode(context, parent, manager) {
        ++g_livePlayScreens;
    }
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<TestBareScreen>(this, parent, manager);
    }
    ~TestBareScreen() override { --g_livePlayScreens; }
    bool isKindOf(s32 typeId) const override {
        return typeId == GameNodeTypeGamePlayScene || GBaseSceneNode::isKindOf(typeId);
    }
};

template <class T>
BaseNode* create(const CCreationContext& context) {
    return new T(context);
}

void registerStandIns() {
    CNodeFactory& factory = CNodeFactory::instance();
    factory.registerNodeClass(L"TestLevelScene", &create<TestLevelScene>);
    factory.registerNodeClass(L"TestBareLevel", &create<TestBareLevel>);
    factory.registerNodeClass(L"TestMiniGame", &create<TestMiniGame>);
    factory.registerNodeClass(L"TestPlayScreen", &create<TestPlayScreen>);
    factory.registerNodeClass(L"TestBareScreen", &create<TestBareScreen>);
}

std::string sceneFile(const char* cls, const char* name) {
    return std::string("<SceneNode Type=\"SceneNode\" ClassOverride=\"") + cls +
           "\"><Properties><string Name=\"Name\" Value=\"" + name + "\"/></Properties></SceneNode>";
}

struct LoadingWorld : ContentSceneWorld {
    static constexpr f32 BarWidth = 400.0f;

    LoadingWorld() : ContentSceneWorld("loading") {
        registerStandIns();
        g_playScreenAnswer = true;
        services.sceneManager = manager.get();
        services.fileSystem = device.getFileSystem();
        for (s32 group : {1, 2}) {
            auto cue = makeRef<SoundCue>(CNameId(group == 1 ? "TestMusic" : "TestLevelSound"));
            cue->setGroup(group);
            cue->addSound(makeRef<PlayingSound>().get());
            EXPECT_TRUE(services.groups->registerCue(cue.get()));
        }
        holder = makeScene<GBaseSceneNode>("Map");
        show(holder.get());
    }

    // The screen as its file builds it: "Scene" with the bar's two nodes (or without them).
    CRefPtr<GLoadingLevelScene> makeLoading(bool withBar = true) {
        auto scene = makeRef<GLoadingLevelScene>(context("LoadingLevelScene"));
        scene->setNameId(id("LoadingLevelScene"));
        scene->setBounds(1024, 768);
        BaseNode* body = newNode("Scene", scene.get()).get();
        if (withBar) {
            newNode("ProgressBg", body)->setBounds(BarWidth, 20);
            newNode("Progress", body)->setBounds(0, 20);
        }
        scene->onLoaded();
        return scene;
    }

    // Opens the screen over the map with the level's name, as the map does.
    void open(GLoadingLevelScene* loading, const char* level) {
        ASSERT_TRUE(holder->switchTo(loading, false));
        loading->setLevelName(level);
        step(1000);  // the entry's transition ends
    }

    void updates(int count) {
        for (int i = 0; i < count; ++i) step(GBaseSceneNode::DefaultUpdatePeriod);
    }
    // Updates until the screen has left its waiting step (or a limit).
    void pastTheWait(GLoadingLevelScene* loading) {
        for (int i = 0; i < 40 && loading->getLoadStep() == GLoadingLevelScene::LoadWait; ++i)
            updates(1);
    }
    std::string current() const {
        SceneNode* scene = manager->getCurrentScene();
        return scene ? std::string(scene->getNodeName().c_str()) : std::string("-");
    }
    std::vector<std::string> errors(const LogCapture& logs) const {
        std::vector<std::string> found;
        for (const LogCapture::Line& line : logs.lines())
            if (line.level == LogError) found.push_back(line.text + "|" + line.hint);
        return found;
    }

    TestGameServices services;
    CRefPtr<GBaseSceneNode> holder;
};

}  // namespace

TEST(LoadingLevel, IsAGameSceneOfItsOwnKind) {
    LoadingWorld world;
    CRefPtr<GLoadingLevelScene> loading = world.makeLoading();
    EXPECT_EQ(loading->getTypeId(), GameNodeTypeLoadingLevelScene);
    EXPECT_TRUE(loading->isKindOf(GameNodeTypeBaseScene));
    EXPECT_EQ(loading->getClassName(), stringw(L"GLoadingLevelScene"));
    EXPECT_EQ(loading->getThisClassName(), stringw(L"GLoadingLevelScene"));
    EXPECT_NE(loading->getProgressBackground(), nullptr);
    EXPECT_NE(loading->getProgressBar(), nullptr);
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadIdle);
    EXPECT_EQ(asLoadingLevelScene(loading.get()), loading.get());
    EXPECT_EQ(asLoadingLevelScene(world.holder.get()), nullptr);
    loading->setLevelName("level4");
    EXPECT_EQ(loading->getLevelFolder(), stringc("levels/level4/"));
}

// A level folder with its scene and the play screen: the steps fill the bar in order, the play
// screen is handed the folder and the level, and is entered; the screen keeps nothing.
TEST(LoadingLevel, ALevelIsHandedToThePlayScreenStepByStep) {
    LoadingWorld world;
    world.write("levels/level3/Level.oscn", sceneFile("TestLevelScene", "Level3"));
    world.write(GLoadingLevelScene::GamePlayFile, sceneFile("TestPlayScreen", "PlayScreen"));
    CRefPtr<GLoadingLevelScene> loading = world.makeLoading();
    LogCapture logs;
    world.open(loading.get(), "level3");
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadWait);
    EXPECT_EQ(loading->getTargetProgress(), 0.0f);

    // Half a second of waiting, counted from the end of the entry.
    world.updates(16);  // 480 ms
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadWait);
    world.updates(1);  // 510 ms
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadLevel);

    const struct {
        s32 step;
        f32 target;
    } after[] = {
        {GLoadingLevelScene::LoadIdentify, 50.0f},
        {GLoadingLevelScene::LoadPlayScreen, 60.0f},
        {GLoadingLevelScene::LoadStart, 80.0f},
        {GLoadingLevelScene::LoadIdle, 100.0f},
    };
    EXPECT_EQ(loading->getShownProgress(), 10.0f);
    EXPECT_FLOAT_EQ(loading->getProgressBar()->getBounds().X, LoadingWorld::BarWidth * 0.1f);
    for (const auto& expected : after) {
        world.updates(1);
        EXPECT_EQ(loading->getLoadStep(), expected.step);
        EXPECT_EQ(loading->getTargetProgress(), expected.target);
        EXPECT_EQ(loading->getShownProgress(), expected.target);  // reached on the same update
        EXPECT_FLOAT_EQ(loading->getProgressBar()->getBounds().X,
                        LoadingWorld::BarWidth * expected.target / 100.0f);
        EXPECT_EQ(loading->getProgressBar()->getBounds().Y, 20.0f);
    }
    world.step(1000);
    EXPECT_EQ(world.current(), "PlayScreen");
    auto* screen = dynamic_cast<TestPlayScreen*>(world.manager->getCurrentScene());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->folders, (std::vector<std::string>{"levels/level3/"}));
    ASSERT_EQ(screen->levels.size(), 1u);
    ASSERT_NE(screen->levels[0], nullptr);
    EXPECT_EQ(std::string(screen->levels[0]->getNodeName().c_str()), "Level3");
    EXPECT_EQ(loading->getLevelScene(), nullptr);
    EXPECT_EQ(loading->getGamePlayScene(), nullptr);
    EXPECT_TRUE(world.errors(logs).empty());
    // Nothing more happens.
    world.updates(10);
    EXPECT_EQ(world.current(), "PlayScreen");
}

// Every folder that fails: the log line, the step it stops at, and the way back to the map.
TEST(LoadingLevel, AFailedStepGoesBackWithItsLogLine) {
    const struct {
        const char* label;
        const char* level;
        const char* levelFile;  // the class of levels/<level>/Level.oscn, none: no file
        const char* playFile;   // the class of the play screen's file, none: no file
        bool answer;
        std::vector<std::string> errors;
    } cases[] = {
        {"empty name", "", nullptr, nullptr, true, {}},
        {"no level scene",
         "level5",
         nullptr,
         "TestPlayScreen",
         true,
         {"Unable to load level scene|levels/level5/"}},
        {"wrong root",
         "level5",
         "SceneNode",
         "TestPlayScreen",
         true,
         {"Unable to identify level scene|levels/level5/"}},
        {"a level's kind without its interface",
         "level5",
         "TestBareLevel",
         "TestPlayScreen",
         true,
         {"Unable to identify level scene|levels/level5/"}},
        {"no play screen",
         "level5",
         "TestLevelScene",
         nullptr,
         true,
         {"Unable to load GamePlayScene.oscn|"}},
        {"play screen without its interface",
         "level5",
         "TestLevelScene",
         "TestBareScreen",
         true,
         {"Unable to identify GamePlayScene.oscn|"}},
        {"the level refused", "level5", "TestLevelScene", "TestPlayScreen", false, {}},
    };
    for (const auto& c : cases) {
        LoadingWorld world;
        g_playScreenAnswer = c.answer;
        if (c.levelFile)
            world.write(std::string("levels/") + c.level + "/Level.oscn",
                        sceneFile(c.levelFile, "Level"));
        if (c.playFile)
            world.write(GLoadingLevelScene::GamePlayFile, sceneFile(c.playFile, "PlayScreen"));
        CRefPtr<GLoadingLevelScene> loading = world.makeLoading();
        LogCapture logs;
        world.open(loading.get(), c.level);
        world.pastTheWait(loading.get());
        world.updates(5);
        world.step(1000);
        EXPECT_EQ(world.current(), "Map") << c.label;
        EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadIdle) << c.label;
        EXPECT_EQ(world.errors(logs), c.errors) << c.label;
        EXPECT_EQ(world.holder->getUpdateSource(), world.holder->getTimerScheduler()) << c.label;
        if (!c.answer) {
            // Both scenes let go of, the bar full.
            EXPECT_EQ(loading->getLevelScene(), nullptr);
            EXPECT_EQ(loading->getGamePlayScene(), nullptr);
            EXPECT_EQ(loading->getTargetProgress(), 100.0f);
        }
    }
    // Whatever the screen still held went with it (and with the content that cached it).
    EXPECT_EQ(g_liveLevels, 0);
    EXPECT_EQ(g_livePlayScreens, 0);
}

// A mini-game's folder: its configuration is read from the folder and it is entered over the
// loading screen, which stays below it; the play screen is never loaded.
TEST(LoadingLevel, AMiniGameIsEnteredDirectly) {
    LoadingWorld world;
    world.write("levels/minigame_auction/Level.oscn", sceneFile("TestMiniGame", "Auction"));
    CRefPtr<GLoadingLevelScene> loading = world.makeLoading();
    LogCapture logs;
    world.open(loading.get(), "minigame_auction");
    world.pastTheWait(loading.get());
    world.updates(1);  // loaded
    world.updates(1);  // identified and entered
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadIdle);
    EXPECT_EQ(loading->getTargetProgress(), 100.0f);
    EXPECT_EQ(loading->getShownProgress(), 100.0f);
    EXPECT_EQ(loading->getLevelScene(), nullptr);
    world.step(1000);
    auto* game = dynamic_cast<TestMiniGame*>(world.manager->getCurrentScene());
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->folders, (std::vector<std::string>{"levels/minigame_auction/"}));
    EXPECT_EQ(game->getPreviousScene(), loading.get());
    EXPECT_TRUE(world.errors(logs).empty());
    EXPECT_EQ(g_livePlayScreens, 0);
}

// Entering again (the restart of a level) empties the bar before the wait and runs the whole
// machine again; the level's own sounds stop on every entry, the others play on.
TEST(LoadingLevel, ReEntryEmptiesTheBarAndTheLevelSoundsStop) {
    LoadingWorld world;
    CRefPtr<GLoadingLevelScene> loading = world.makeLoading();
    CSoundGroupManager* groups = world.services.groups.get();
    groups->playCue(CNameId("TestMusic"), false, 0);
    groups->playCue(CNameId("TestLevelSound"), false, 0);
    world.open(loading.get(), "level9");  // no such folder
    groups->update(0);                    // stopped cues leave the list
    EXPECT_TRUE(groups->isCuePlaying(CNameId("TestMusic")));
    EXPECT_FALSE(groups->isCuePlaying(CNameId("TestLevelSound")));
    world.pastTheWait(loading.get());
    EXPECT_EQ(loading->getShownProgress(), 10.0f);
    world.updates(2);
    world.step(1000);
    ASSERT_EQ(world.current(), "Map");
    EXPECT_EQ(loading->getShownProgress(), 10.0f);  // the bar stays where the failure left it

    world.open(loading.get(), "level9");
    EXPECT_EQ(world.current(), "LoadingLevelScene");
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadWait);
    EXPECT_EQ(loading->getTargetProgress(), 0.0f);
    EXPECT_EQ(loading->getShownProgress(), 0.0f);
    EXPECT_EQ(loading->getProgressBar()->getBounds().X, 0.0f);
    world.pastTheWait(loading.get());
    EXPECT_EQ(loading->getLoadStep(), GLoadingLevelScene::LoadLevel);
}

// Without the bar's nodes the machine still runs; only the bar stays as it is.
TEST(LoadingLevel, WithoutTheBarTheStepsStillRun) {
    LoadingWorld world;
    world.write("levels/level1/Level.oscn", sceneFile("TestLevelScene", "Level1"));
    world.write(GLoadingLevelScene::GamePlayFile, sceneFile("TestPlayScreen", "PlayScreen"));
    CRefPtr<GLoadingLevelScene> loading = world.makeLoading(false);
    EXPECT_EQ(loading->getProgressBar(), nullptr);
    world.open(loading.get(), "level1");
    world.pastTheWait(loading.get());
    world.updates(4);
    world.step(1000);
    EXPECT_EQ(world.current(), "PlayScreen");
    EXPECT_EQ(loading->getShownProgress(), 100.0f);
}

// A clone starts idle with the level name of a fresh screen and finds its own bar.
TEST(LoadingLevel, ACloneFindsItsOwnBar) {
    LoadingWorld world;
    CRefPtr<GLoadingLevelScene> loading = world.makeLoading();
    loading->setLevelName("level2");
    CRefPtr<BaseNode> copy =
        CRefPtr<BaseNode>::fromRaw(loading->clone(nullptr, world.manager.get()));
    GLoadingLevelScene* cloned = asLoadingLevelScene(copy.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_NE(cloned->getProgressBar(), nullptr);
    EXPECT_NE(cloned->getProgressBar(), loading->getProgressBar());
    EXPECT_EQ(cloned->getLoadStep(), GLoadingLevelScene::LoadIdle);
}
