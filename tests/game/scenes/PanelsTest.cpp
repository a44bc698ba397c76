// The panels over the play screen and the mini-games, with stand-ins for the level and the play
// screen: the objectives (texts by level index, the level's music kept playing), the level
// results (scores, layouts, the count-up, the cues, where closing leads) and the mini-game
// results (two count-ups, one close).

#include <gtest/gtest.h>

#include "engine/core/event/VirtualKeys.h"
#include "game/level/IGameLevelInfo.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "game/scenes/IGamePlayScreen.h"
#include "tests/game/scenes/ShellTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// A level as the panels read it.
class StubLevel : public KindScene, public IGameLevelInfo {
public:
    StubLevel() : KindScene("Level", GameNodeTypeGameLevelScene) {}
    bool hasLevelConfiguration() const override { return configured; }
    stringw getLevelName() const override { return name; }
    stringw getLevelDescription() const override { return description; }
    s32 getLevelTimeLimit() const override { return timeLimit; }
    s32 getLevelScore() const override { return score; }
    s32 getLevelExpertScore() const override { return expertScore; }
    s32 getLevelTime() const override { return time; }
    f32 getScoreGain() const override { return gain; }

    bool configured = true;
    stringw name = L"12";
    stringw description = L"Build a park";
    s32 timeLimit = 300;
    s32 score = 8500;
    s32 expertScore = 12000;
    s32 time = 90000;
    f32 gain = 9000.0f;
};

// A play screen whose music is a flag.
class StubPlayScreen : public KindScene, public IGamePlayScreen {
public:
    StubPlayScreen() : KindScene("Play", GameNodeTypeGamePlayScene) {}
    bool loadLevel(const stringc&, SceneNode*) override { return true; }
    bool isLevelMusicPlaying() const override { return musicPlaying; }
    void playLevelMusic() override {
        ++musicStarts;
        musicPlaying = true;
    }
    bool musicPlaying = false;
    u32 musicStarts = 0;
};

constexpr const char* kTexts =
    "<s n=\"GamePlay_LEVEL\">Level #p</s><s n=\"MainMenu_WelcomeTxt\">Welcome, #p!</s>"
    "<s n=\"Obj_ExpertTimeTxt\">Expert time: #p</s><s n=\"Obj_ExpertScoreTxt\">Expert score: #p</s>"
    "<s n=\"Obj_ScoreTxt\">Score to reach: #p</s>"
    "<s n=\"LevelCompleted_ComplScoreTxt\">Completion: #p</s>"
    "<s n=\"LevelCompleted_BonusScoreTxt\">Bonus: #p</s><s n=\"LevelCompleted_ScoreTxt\">Score: "
    "#p</s>"
    "<s n=\"LevelCompleted_ExpertTimeTxt\">Expert time: #p</s>"
    "<s n=\"LevelCompleted_TimeTxt\">Time: #p</s><s n=\"LevelCompleted_Done\">Well done, #p!</s>";

struct PanelWorld : ShellWorld {
    PanelWorld() : ShellWorld("panels", kTexts) {
        const GSoundCueIds& cues = GSoundCueIds::get();
        addCue(cues.ObjectivesWindow, 0);
        addCue(cues.AchievementUnlocked, 0);
        addCue(cues.MenuMusic, 1);
        layer = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        level = makeRef<StubLevel>();
        layer->setScene(level.get());
        services.worldSceneManager = layer.get();
    }
    bool layerCleared() const {
        return layer->getCurrentScene() == nullptr && services.worldScheduler->isEnabled();
    }
    // Scenes of the given kinds shown one over the other, the last kept below the next.
    void stackOf(std::vector<CRefPtr<KindScene>> scenes) {
        below = scenes;
        show(below[0].get());
        for (size_t i = 1; i < below.size(); ++i) {
            ASSERT_TRUE(below[i - 1]->switchTo(below[i].get(), true));
            step(1000);
        }
    }
    // Opens the panel over the last scene of the stack and lets its entry end.
    void open(SceneNode* panel) {
        ASSERT_TRUE(below.back()->switchTo(panel, true));
        step(100);  // the entry's transition
    }
    std::string current() const {
        SceneNode* scene = manager->getCurrentScene();
        return scene ? scene->getNodeName().c_str() : "-";
    }

    CRefPtr<SceneManager> layer;
    CRefPtr<StubLevel> level;
    std::vector<CRefPtr<KindScene>> below;
};

CRefPtr<KindScene> kind(const char* name, s32 type) { return makeRef<KindScene>(name, type); }

TextNode* addText(BaseNode* parent, const char* name, const wchar_t* text = L"") {
    auto node = makeRef<TextNode>(CCreationContext());
    node->setNameId(id(name));
    node->setText(text);
    parent->addChild(node.get());
    return node.get();
}

CRefPtr<GLevelObjectivesScene> makeObjectives(ShellWorld& world) {
    auto panel = makeRef<GLevelObjectivesScene>(world.context("Objectives"));
    panel->setNameId(id("Objectives"));
    addTransitionStates(panel.get());
    BaseNode* scene = newNode("Scene", panel.get()).get();
    for (const char* name :
         {"LevelText", "WelcomeText", "InfoText", "ExpertTimeText", "ExpertScoreText", "ScoreText"})
        addText(scene, name, L"file");
    for (const char* name : {"Clock", "GStar", "SStar"}) newNode(name, scene);
    addControl<ButtonNode>(scene, "OkButton", 400, 600);
    panel->onLoaded();
    return panel;
}

std::string textOf(const TextNode* node) { return node ? utf8(node->getText()) : "(none)"; }

}  // namespace

TEST(LevelObjectives, TheTextsAndLinesFollowTheLevelIndex) {
    struct Case {
        s32 levelIndex;
        bool welcome;
        bool allLines;
    };
    for (const Case& c : {Case{0, true, false}, Case{1, false, false}, Case{2, false, false},
                          Case{3, false, true}}) {
        SCOPED_TRACE(c.levelIndex);
        SavedPlayers players;
        players.add({L"Zoë"}, true);
        players.profiles().getActiveProfile()->setInt(ProfileKeyLevelIndex, c.levelIndex);
        PanelWorld world;
        auto play = makeRef<StubPlayScreen>();
        world.stackOf({kind("Loading", GameNodeTypeLoadingLevelScene)});
        ASSERT_TRUE(world.below[0]->switchTo(play.get(), false));
        world.step(1000);
        CRefPtr<GLevelObjectivesScene> panel = makeObjectives(world);
        panel->setLevelScene(world.level.get());
        ASSERT_TRUE(play->switchTo(panel.get(), true));
        world.step(100);
        EXPECT_EQ(world.started("ObjectivesWindow"), 1u);
        EXPECT_EQ(textOf(panel->getLevelText()), "Level 12");
        EXPECT_EQ(panel->getWelcomeText()->isVisible(), c.welcome);
        if (c.welcome) {
            EXPECT_EQ(textOf(panel->getWelcomeText()), "Welcome, Zoë!");
        }
        EXPECT_EQ(textOf(panel->getInfoText()), "Build a park");
        EXPECT_EQ(textOf(panel->getExpertTimeText()), "- Expert time: 05:00");
        EXPECT_EQ(textOf(panel->getExpertScoreText()), "- Expert score: 12,000");
        EXPECT_EQ(textOf(panel->getScoreText()), "- Score to reach: 8,500");
        EXPECT_TRUE(panel->getGStarNode()->isVisible());
        EXPECT_TRUE(panel->getExpertScoreText()->isVisible());
        EXPECT_EQ(panel->getClockNode()->isVisible(), c.allLines);
        EXPECT_EQ(panel->getExpertTimeText()->isVisible(), c.allLines);
        EXPECT_EQ(panel->getSStarNode()->isVisible(), c.allLines);
        EXPECT_EQ(panel->getScoreText()->isVisible(), c.allLines);
    }
}

TEST(LevelObjectives, TheLevelsMusicIsKeptPlayingAfterTwoSeconds) {
    PanelWorld world;
    auto play = makeRef<StubPlayScreen>();
    world.stackOf({kind("Loading", GameNodeTypeLoadingLevelScene)});
    ASSERT_TRUE(world.below[0]->switchTo(play.get(), false));
    world.step(1000);
    CRefPtr<GLevelObjectivesScene> panel = makeObjectives(world);
    panel->setLevelScene(world.level.get());
    ASSERT_TRUE(play->switchTo(panel.get(), true));
    world.step(100);
    for (int i = 0; i < 60; ++i) world.step(30);  // 1800 ms
    EXPECT_EQ(play->musicStarts, 0u);
    for (int i = 0; i < 10; ++i) world.step(30);
    EXPECT_EQ(play->musicStarts, 1u);
    for (int i = 0; i < 10; ++i) world.step(30);
    EXPECT_EQ(play->musicStarts, 1u);  // playing: left alone
    play->musicPlaying = false;        // stopped: started again
    world.step(30);
    EXPECT_EQ(play->musicStarts, 2u);
    // OK goes back to the play screen.
    EXPECT_TRUE(press(panel.get(), panel->findChildByName("OkButton", 0)));
    EXPECT_EQ(world.transition(), "NavBackFrom>NavBackTo");
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), play.get());
}

TEST(LevelObjectives, WithoutALevelOnlyTheCuePlays) {
    for (bool configured : {true, false}) {
        PanelWorld world;
        world.level->configured = configured;
        world.stackOf({kind("Play", GameNodeTypeGamePlayScene)});  // a play screen's kind only
        CRefPtr<GLevelObjectivesScene> panel = makeObjectives(world);
        panel->setLevelScene(configured ? nullptr : world.level.get());
        world.open(panel.get());
        EXPECT_EQ(world.started("ObjectivesWindow"), 1u);
        EXPECT_EQ(textOf(panel->getLevelText()), "file");
        EXPECT_EQ(textOf(panel->getScoreText()), "file");
        EXPECT_TRUE(panel->getScoreText()->isVisible());
        for (int i = 0; i < 80; ++i) world.step(30);  // no play screen's interface: no music
        EXPECT_TRUE(keyUp(panel.get(), VirtualKeyEscape));
        EXPECT_EQ(world.transition(), "NavBackFrom>NavBackTo");
    }
}

namespace {

CRefPtr<GLevelCompletedScene> makeCompleted(ShellWorld& world) {
    auto panel = makeRef<GLevelCompletedScene>(world.context("Completed"));
    panel->setNameId(id("Completed"));
    addTransitionStates(panel.get());
    BaseNode* scene = newNode("Scene", panel.get()).get();
    f32 y = 126;
    for (const char* row :
         {"ExpertTimeNode", "TimeNode", "TimeScoreNode", "ExpertScoreNode", "ScoreNode"}) {
        BaseNode* node = newNode(row, scene).get();
        node->setPosition(vector3df(81, y, 1));
        addText(node, "Text");
        y += 36;
    }
    addText(scene, "DoneText");
    addControl<ButtonNode>(scene, "OkButton", 400, 600);
    panel->onLoaded();
    return panel;
}

std::string rowText(const GLevelCompletedScene& panel, const char* row) {
    return textOf(panel.getText(row));
}

}  // namespace

TEST(LevelCompleted, TheCompletionScoreAndTheBonusAgainstTheLevelsScore) {
    struct Case {
        f32 gain;
        const char* completion;
        const char* bonus;
    };
    for (const Case& c : {Case{8499.9f, "- Completion: 0", "- Bonus: 8,499"},
                          Case{8500.0f, "- Completion: 8,500", "- Bonus: 0"},
                          Case{12345.0f, "- Completion: 8,500", "- Bonus: 3,845"}}) {
        SCOPED_TRACE(c.gain);
        PanelWorld world;
        world.level->gain = c.gain;
        world.stackOf({kind("Play", GameNodeTypeGamePlayScene)});
        CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
        panel->setLevelScene(world.level.get());
        world.open(panel.get());
        EXPECT_EQ(rowText(*panel, "TimeScoreNode"), c.completion);
        EXPECT_EQ(rowText(*panel, "ExpertScoreNode"), c.bonus);
        EXPECT_EQ(rowText(*panel, "ScoreNode"), "- Score: 0");
        EXPECT_EQ(rowText(*panel, "ExpertTimeNode"), "- Expert time: 05:00");
        EXPECT_EQ(rowText(*panel, "TimeNode"), "- Time: 01:30");
    }
}

TEST(LevelCompleted, TheLayoutFollowsTheLevelNumber) {
    struct Case {
        const wchar_t* name;
        bool times, scores;
        f32 scoreY;
    };
    for (const Case& c : {Case{L"3", false, true, 283}, Case{L"4", true, true, 270},
                          Case{L"35", true, false, 270}}) {
        SCOPED_TRACE(utf8(c.name));
        PanelWorld world;
        world.level->name = c.name;
        world.stackOf({kind("Play", GameNodeTypeGamePlayScene)});
        CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
        panel->setLevelScene(world.level.get());
        world.open(panel.get());
        EXPECT_EQ(panel->getNode("ExpertTimeNode")->isVisible(), c.times);
        EXPECT_EQ(panel->getNode("TimeNode")->isVisible(), c.times);
        for (const char* row : {"TimeScoreNode", "ExpertScoreNode", "ScoreNode"})
            EXPECT_EQ(panel->getNode(row)->isVisible(), c.scores) << row;
        EXPECT_EQ(panel->getNode("ScoreNode")->getPosition().Y, c.scoreY);
        if (!c.times) {
            EXPECT_EQ(panel->getNode("TimeScoreNode")->getPosition(), vector3df(81, 126, 1));
            EXPECT_EQ(panel->getNode("ExpertScoreNode")->getPosition(), vector3df(81, 162, 1));
        }
        if (!c.scores) {
            EXPECT_EQ(panel->getNode("ExpertTimeNode")->getPosition(), vector3df(80, 145, 1));
            EXPECT_EQ(panel->getNode("TimeNode")->getPosition(), vector3df(80, 283, 1));
        }
    }
}

TEST(LevelCompleted, TheScoreCountsUpAfterAPauseAndTheCuesPlayOnce) {
    PanelWorld world;
    world.level->gain = 9000.0f;
    world.stackOf({kind("Play", GameNodeTypeGamePlayScene)});
    CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
    panel->setLevelScene(world.level.get());
    world.open(panel.get());
    EXPECT_EQ(panel->getCountPhase(), 1);
    for (int i = 0; i < 3; ++i) world.step(30);
    EXPECT_EQ(panel->getCountPhase(), 1);  // 90 ms: still the pause
    world.step(30);
    EXPECT_EQ(panel->getCountPhase(), 2);
    EXPECT_EQ(panel->getShownScore(), 0.0f);
    world.step(30);
    EXPECT_NEAR(panel->getShownScore(), 9000.0f * 0.75f * 0.03f, 0.01f);
    EXPECT_EQ(rowText(*panel, "ScoreNode"), "- Score: 202");
    EXPECT_EQ(rowText(*panel, "TimeNode"), "- Time: 01:30");  // the final value from the start
    for (int i = 0; i < 44; ++i) world.step(30);              // 1.35 s of counting
    EXPECT_EQ(panel->getCountPhase(), 0);
    EXPECT_EQ(panel->getShownScore(), 9000.0f);
    EXPECT_EQ(rowText(*panel, "ScoreNode"), "- Score: 9,000");
    // The fanfare after two seconds, the menu music after five, each once.
    EXPECT_EQ(world.started("AchievementUnlocked"), 0u);
    for (int i = 0; i < 20; ++i) world.step(30);
    EXPECT_EQ(world.started("AchievementUnlocked"), 1u);
    EXPECT_EQ(world.started("MenuMusic"), 0u);
    for (int i = 0; i < 110; ++i) world.step(30);
    EXPECT_EQ(world.started("AchievementUnlocked"), 1u);
    EXPECT_EQ(world.started("MenuMusic"), 1u);
}

TEST(LevelCompleted, TheLastLevelKeepsItsScoreTextAndTheFirstOnesTheirTimeText) {
    for (const wchar_t* name : {L"35", L"2"}) {
        PanelWorld world;
        world.level->name = name;
        world.stackOf({kind("Play", GameNodeTypeGamePlayScene)});
        CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
        panel->setLevelScene(world.level.get());
        world.open(panel.get());
        world.level->time = 0;  // what the entry showed stays unless refreshed
        for (int i = 0; i < 20; ++i) world.step(30);
        if (utf8(name) == "35") {
            EXPECT_EQ(rowText(*panel, "ScoreNode"), "- Score: 0");
            EXPECT_EQ(rowText(*panel, "TimeNode"), "- Time: 01:30");
        } else {
            EXPECT_EQ(rowText(*panel, "TimeNode"), "- Time: 01:30");
            EXPECT_NE(rowText(*panel, "ScoreNode"), "- Score: 0");
        }
    }
}

TEST(LevelCompleted, AScoreOfNothingEndsTheCountAsItStarts) {
    PanelWorld world;
    world.level->gain = 0.0f;
    world.stackOf({kind("Play", GameNodeTypeGamePlayScene)});
    CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
    panel->setLevelScene(world.level.get());
    world.open(panel.get());
    for (int i = 0; i < 4; ++i) world.step(30);
    ASSERT_EQ(panel->getCountPhase(), 2);
    world.step(30);
    EXPECT_EQ(panel->getCountPhase(), 0);
}

TEST(LevelCompleted, ClosingGoesBackToTheMapOrPastItAndOpensTheComic) {
    struct Case {
        const char* label;
        const wchar_t* level;
        s32 maxUnlocked, levelIndex;
        bool finalCredits;
        s32 opener;  // the kind of scene that opened the level
        const char* reached;
        bool flagAfter;
    };
    const Case cases[] = {
        {"a new level with a comic", L"5", 5, 5, true, GameNodeTypeMapScene, "Comic", true},
        {"an old level: no comic", L"5", 6, 5, true, GameNodeTypeMapScene, "Opener", true},
        {"location 1 replayed from the map", L"2", 1, 1, true, GameNodeTypeMapScene, "Opener",
         true},
        {"the first level from the menu", L"1", 1, 1, true, GameNodeTypeMainMenuScene, "MapFile",
         true},
        {"the last level, credits due", L"35", 40, 40, true, GameNodeTypeMapScene, "Menu", false},
        {"the last level again", L"35", 40, 40, false, GameNodeTypeMapScene, "Opener", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SavedPlayers players;
        players.add({L"Zoë"}, true);
        CProfile* profile = players.profiles().getActiveProfile();
        profile->setInt(ProfileKeyMaxUnlockedLevelIndex, c.maxUnlocked);
        profile->setInt(ProfileKeyLevelIndex, c.levelIndex);
        profile->setBool(ProfileKeyShowFinalCredits, c.finalCredits);
        PanelWorld world;
        world.write("scenes/ComicsTest.oscn",
                    "<SceneNode Type=\"SceneNode\"><Properties>"
                    "<string Name=\"Name\" Value=\"Comic\"/>"
                    "</Properties></SceneNode>");
        world.write(GLevelCompletedScene::MapFile,
                    "<SceneNode Type=\"SceneNode\"><Properties>"
                    "<string Name=\"Name\" Value=\"MapFile\"/>"
                    "</Properties></SceneNode>");
        auto entry = makeRef<ComicsEntry>();
        entry->Level = 5;
        entry->ScenePath = L"scenes/ComicsTest.oscn";
        const std::string table =
            "<ComicsConfiguration><Comics><Level Value=\"5\"/>"
            "<ScenePath Value=\"scenes/ComicsTest.oscn\"/></Comics>"
            "</ComicsConfiguration>";
        world.write("comics.xml", table);
        CXmlReader* reader = world.device.getFileSystem()->createXmlReader(stringc("comics.xml"));
        ASSERT_NE(reader, nullptr);
        ASSERT_TRUE(world.services.comics->load(reader));
        reader->drop();
        world.level->name = c.level;
        world.stackOf({kind("Menu", GameNodeTypeMainMenuScene), kind("Opener", c.opener),
                       kind("Loading", GameNodeTypeLoadingLevelScene),
                       kind("Play", GameNodeTypeGamePlayScene)});
        CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
        panel->setLevelScene(world.level.get());
        world.open(panel.get());
        EXPECT_FALSE(world.layerCleared());
        EXPECT_TRUE(press(panel.get(), panel->findChildByName("OkButton", 0)));
        EXPECT_TRUE(world.layerCleared());
        for (int i = 0; i < 4; ++i) world.step(1000);
        EXPECT_EQ(world.current(), c.reached);
        EXPECT_EQ(profile->getBool(ProfileKeyShowFinalCredits), c.flagAfter);
        if (c.finalCredits && !c.flagAfter) {
            EXPECT_FALSE(players.reread()->getProfile(0)->getBool(ProfileKeyShowFinalCredits));
        }
    }
}

TEST(LevelCompleted, OkQueuedBehindReturnClosesOnce) {
    SavedPlayers players;
    players.add({L"Zoë"}, true);
    players.profiles().getActiveProfile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 5);
    players.profiles().getActiveProfile()->setInt(ProfileKeyLevelIndex, 5);
    PanelWorld world;
    // A comic whose page is missing: each attempt to open it is logged.
    world.write("comics.xml",
                "<ComicsConfiguration><Comics><Level Value=\"5\"/>"
                "<ScenePath Value=\"scenes/Missing.oscn\"/></Comics>"
                "</ComicsConfiguration>");
    CXmlReader* reader = world.device.getFileSystem()->createXmlReader(stringc("comics.xml"));
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(world.services.comics->load(reader));
    reader->drop();
    world.stackOf({kind("Menu", GameNodeTypeMainMenuScene), kind("Map", GameNodeTypeMapScene),
                   kind("Extra", GameNodeTypeMapScene),
                   kind("Loading", GameNodeTypeLoadingLevelScene),
                   kind("Play", GameNodeTypeGamePlayScene)});
    CRefPtr<GLevelCompletedScene> panel = makeCompleted(world);
    panel->setLevelScene(world.level.get());
    world.open(panel.get());
    LogCapture logs;
    EXPECT_TRUE(keyUp(panel.get(), VirtualKeyEnter));
    // The press that was queued behind the key, and another key.
    EXPECT_TRUE(press(panel.get(), panel->findChildByName("OkButton", 0)));
    EXPECT_TRUE(keyUp(panel.get(), VirtualKeyEscape));
    for (int i = 0; i < 4; ++i) world.step(1000);
    EXPECT_EQ(world.current(), "Extra");                               // two links down
    EXPECT_EQ(linesOf(logs, "Unable to load scene file").size(), 1u);  // closed once
    EXPECT_FALSE(keyUp(panel.get(), VirtualKeySpace));
}

namespace {

CRefPtr<GMiniCompletedScene> makeMiniCompleted(ShellWorld& world) {
    auto panel = makeRef<GMiniCompletedScene>(world.context("MiniCompleted"));
    panel->setNameId(id("MiniCompleted"));
    addTransitionStates(panel.get());
    BaseNode* scene = newNode("Scene", panel.get()).get();
    for (const char* row : {"TimeNode", "ScoreNode"}) addText(newNode(row, scene).get(), "Text");
    addText(scene, "DoneText");
    addControl<ButtonNode>(scene, "OkButton", 400, 600);
    panel->onLoaded();
    return panel;
}

}  // namespace

TEST(MiniCompleted, TimeAndScoreCountUpTogether) {
    for (s32 score : {4000, 0}) {
        SCOPED_TRACE(score);
        SavedPlayers players;
        players.add({L"Zoë"}, true);
        PanelWorld world;
        world.stackOf({kind("Mini", GameNodeTypeMiniGameScene)});
        CRefPtr<GMiniCompletedScene> panel = makeMiniCompleted(world);
        panel->setResults(77, 120000, score);
        world.open(panel.get());
        EXPECT_EQ(panel->getResultCode(), 77);
        EXPECT_EQ(world.started("AchievementUnlocked"), 1u);
        EXPECT_EQ(textOf(panel->getTimeText()), "- Time: 00:00");
        EXPECT_EQ(textOf(panel->getScoreText()), "- Score: 0");
        EXPECT_EQ(textOf(panel->getDoneText()), "Well done, Zoë!");
        for (int i = 0; i < 4; ++i) world.step(30);  // the pause
        ASSERT_EQ(panel->getCountPhase(), 2);
        for (int i = 0; i < 22; ++i) world.step(30);  // 660 ms: about half
        EXPECT_NEAR(panel->getShownTime(), 120000.0f * 0.75f * 0.66f, 1.0f);
        EXPECT_EQ(textOf(panel->getTimeText()), "- Time: 00:59");
        for (int i = 0; i < 24; ++i) world.step(30);
        EXPECT_EQ(panel->getCountPhase(), 0);
        EXPECT_EQ(textOf(panel->getTimeText()), "- Time: 02:00");
        EXPECT_EQ(textOf(panel->getScoreText()), score ? "- Score: 4,000" : "- Score: 0");
    }
}

TEST(MiniCompleted, ClosingGoesBackTwoLinksOnceAndClearsTheWorldLayer) {
    PanelWorld world;
    world.stackOf({kind("Menu", GameNodeTypeMainMenuScene), kind("Map", GameNodeTypeMapScene),
                   kind("Loading", GameNodeTypeLoadingLevelScene),
                   kind("Mini", GameNodeTypeMiniGameScene)});
    CRefPtr<GMiniCompletedScene> panel = makeMiniCompleted(world);
    panel->setResults(0, 1000, 10);
    world.open(panel.get());
    world.step(30);  // closing during the count leaves at once
    EXPECT_TRUE(keyUp(panel.get(), VirtualKeyEnter));
    EXPECT_TRUE(press(panel.get(), panel->findChildByName("OkButton", 0)));
    EXPECT_TRUE(world.layerCleared());
    EXPECT_EQ(world.transition(), "NavBackFrom>NavBackTo");
    for (int i = 0; i < 4; ++i) world.step(1000);
    EXPECT_EQ(world.current(), "Map");
}
