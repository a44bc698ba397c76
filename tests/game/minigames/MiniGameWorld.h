#pragma once

// The world of the mini-game tests: a windowless device whose scene clocks move only when
// stepped, content in a folder of the test's own (the completed scene's file or none), game
// services with a sound group that records the cues, a player profile of the test's own, the
// device's cursor, a seeded random generator, and mini-game scenes built node by node.

#include <string>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/CNodeFactory.h"
#include "game/config/GListTexts.h"
#include "game/config/GProfileKeys.h"
#include "game/minigames/GMiniGameAuctionScene.h"
#include "game/minigames/GMiniGameHidden2Scene.h"
#include "game/minigames/GMiniGameHiddenScene.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/world/GHOHintParticlesNode.h"
#include "game/world/GPathMovers.h"
#include "game/world/GShieldStarNode.h"
#include "tests/game/scenes/ShellTestWorld.h"

namespace brasquel::test {

template <class T>
BaseNode* createMiniNode(const CCreationContext& context) {
    return new T(context, nullptr, nullptr);
}

// The mini-games with their recording of the result and time reachable by the tests.
template <class Game>
class Probe : public Game {
public:
    Probe(const CCreationContext& context) : Game(context, nullptr, nullptr) {}
    using GMiniGameScene::setGameTime;
    using GMiniGameScene::setScore;
};

inline TextNode* addText(BaseNode* parent, const char* name) {
    auto text = makeRef<TextNode>(CCreationContext());
    text->setNameId(id(name));
    parent->addChild(text.get());
    return text.get();
}

inline std::string textOf(const TextNode* node) {
    return node ? toUtf8(node->getText().c_str()) : "-";
}

// Whether the node's state is the one it plays now.
inline bool plays(const BaseNode* node, const char* state) {
    return node && node->getRunningAnimator() &&
           node->getRunningAnimator() == node->findState(id(state));
}

struct MiniWorld : ShellWorld {
    explicit MiniWorld(bool withCompletedScene = true) : ShellWorld("minigame") {
        CNodeFactory& factory = CNodeFactory::instance();
        factory.registerNodeClass(L"GMiniCompletedScene", &createMiniNode<GMiniCompletedScene>);
        factory.registerNodeClass(L"GMiniGameHiddenScene", &createMiniNode<GMiniGameHiddenScene>);
        factory.registerNodeClass(L"GMiniGameHidden2Scene", &createMiniNode<GMiniGameHidden2Scene>);
        factory.registerNodeClass(L"GMiniGameAuctionScene", &createMiniNode<GMiniGameAuctionScene>);
        factory.registerNodeClass(L"GShieldStarNode", &createMiniNode<GShieldStarNode>);
        factory.registerNodeClass(L"GPathMovableNode", &createMiniNode<GPathMovableNode>);
        factory.registerNodeClass(L"GTextTrailNode", &createMiniNode<GTextTrailNode>);
        if (withCompletedScene) writeCompletedScene();
        const GSoundCueIds& cues = GSoundCueIds::get();
        for (const CNameId* cue :
             {&cues.MiniGamesMusic, &cues.ObjFound, &cues.HOHint, &cues.ButtonMissed})
            addCue(*cue, cue == &cues.MiniGamesMusic ? 1 : 0);
        CRandom::instance().seed(1234);
        players.add({L"Ann"}, true);
        addStarTemplate();
        root = makeRef<KindScene>("Menu", GameNodeTypeMainMenuScene);
        map = makeRef<KindScene>("Map", GameNodeTypeMapScene);
        loading = makeRef<KindScene>("Loading", GameNodeTypeLoadingLevelScene);
    }

    void writeCompletedScene() {
        write("scenes/MiniCompletedScene.oscn",
              "<SceneNode Type=\"SceneNode\" ClassOverride=\"GMiniCompletedScene\"><Properties>"
              "<string Name=\"Name\" Value=\"MiniCompleted\"/></Properties></SceneNode>");
    }

    // Writes the game's configuration file, then loads the game's nodes and reads the file.
    void loadWithConfiguration(GMiniGameScene* game, const std::string& xml) {
        write("levels/mg/MiniGameConfiguration.xml", xml);
        game->onLoaded();
        EXPECT_TRUE(game->loadConfiguration(stringc("levels/mg/")));
    }

    void addStarTemplate() {
        auto star = makeRef<GShieldStarNode>(CCreationContext());
        star->setNameId(id("HOFoundStarNode"));
        templates->addChild(star.get());
        auto trail = makeRef<GTextTrailNode>(CCreationContext());
        trail->setNameId(id("TextTrailStar"));
        trail->setVisible(false);
        addText(trail.get(), "Text");
        templates->addChild(trail.get());
        templates->onLoaded();
    }
    GShieldStarNode* star() const {
        return static_cast<GShieldStarNode*>(templates->findTemplate(id("HOFoundStarNode")));
    }

    CProfile* profile() const { return CProfileManager::instance().getActiveProfile(); }

    // The common frame of a mini-game: "Scene" > "Game" > "BgObjects" and "HitObjects", "UI"
    // with the guide, its text and the counters, and the transition states.
    template <class T>
    CRefPtr<T> makeGame(bool withHitObjects = true) {
        auto game = makeRef<T>(context("MiniGame"));
        game->setNameId(id("MiniGame"));
        game->setBounds(1024, 768);
        addTransitionStates(game.get());
        BaseNode* body = newNode("Scene", game.get()).get();
        BaseNode* play = newNode("Game", body).get();
        BaseNode* background = newNode("BgObjects", play).get();
        auto trail = makeRef<GPathMovableNode>(CCreationContext());
        trail->setNameId(id("HintTrailNode"));
        background->addChild(trail.get());
        auto found = makeRef<SpawnerNode>(CCreationContext());
        found->setNameId(id("FoundNode"));
        background->addChild(found.get());
        if (withHitObjects) newNode("HitObjects", play);
        BaseNode* ui = newNode("UI", body).get();
        BaseNode* linet = newNode("Linet", ui).get();
        linet->addState(timedState("Disappear", 500).get());
        BaseNode* text = newNode("LinetText", ui).get();
        text->addState(timedState("Appear", 500).get());
        text->addState(timedState("Disappear", 500).get());
        for (const char* name : {"TimeTarg", "TimeCurr", "ObjCount", "TimeLeft", "ScoreText"})
            addText(ui, name);
        return game;
    }
    static BaseNode* hitObjects(BaseNode* game) {
        return game->findChildByName("Scene", 1)
            ->findChildByName("Game", 1)
            ->findChildByName("HitObjects", 1);
    }
    static BaseNode* ui(BaseNode* game) {
        return game->findChildByName("Scene", 1)->findChildByName("UI", 1);
    }
    static TextNode* uiText(BaseNode* game, const char* name) {
        return static_cast<TextNode*>(ui(game)->findChildByName(name, 1));
    }

    // Menu, map, loading screen and the game over them, entered; the game's clock then runs on
    // update calls of the test.
    void enter(SceneNode* game) {
        show(root.get());
        ASSERT_TRUE(root->switchTo(map.get(), true));
        step(1000);
        ASSERT_TRUE(map->switchTo(loading.get(), true));
        step(1000);
        ASSERT_TRUE(loading->switchTo(game, true));
        step(1000);
        ASSERT_EQ(manager->getCurrentScene(), game);
    }
    // Updates of the game of 10 ms each, as its scheduler calls them.
    static void run(GBaseSceneNode* game, u32 ms) {
        for (u32 t = 0; t < ms; t += GMiniGameScene::GameUpdatePeriod)
            game->update(GMiniGameScene::GameUpdatePeriod);
    }
    // Past the intro and the briefing: the first click starts the game.
    void startPlaying(GMiniGameScene* game) {
        run(game, GMiniGameScene::IntroDelayMs);
        ASSERT_EQ(game->getPhase(), MiniGamePhase::Briefing);
        game->setPhase(MiniGamePhase::Playing);
    }

    GMiniCompletedScene* completed() const {
        SceneNode* current = manager->getCurrentScene();
        return current && current->isKindOf(GameNodeTypeMiniCompletedScene)
                   ? static_cast<GMiniCompletedScene*>(current)
                   : nullptr;
    }

    // The error lines of the log, as "text|hint".
    static std::vector<std::string> errors(const LogCapture& logs) {
        std::vector<std::string> found;
        for (const LogCapture::Line& line : logs.lines())
            if (line.level == LogError) found.push_back(line.text + "|" + line.hint);
        return found;
    }

    SavedPlayers players;
    CRefPtr<KindScene> root;
    CRefPtr<KindScene> map;
    CRefPtr<KindScene> loading;
};

}  // namespace brasquel::test
