// The interfaces through which the scenes reach later classes: a node is a play screen, a
// mini-game or a level only with both its kind and its interface; tutorials come from the
// installed game services, which make none unless they can.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"
#include "game/level/IGameLevelInfo.h"
#include "game/scenes/IGamePlayScreen.h"
#include "game/scenes/IMiniGame.h"
#include "tests/game/scenes/GameSceneWorld.h"
#include "tests/game/scenes/RecordingTutorial.h"

using namespace oskel;
using namespace brasquel;

namespace {

// A scene that claims a kind, with or without the interfaces.
class KindScene : public SceneNode {
public:
    explicit KindScene(s32 kind) : SceneNode(CCreationContext()), m_kind(kind) {}
    bool isKindOf(s32 typeId) const override {
        return typeId == m_kind || SceneNode::isKindOf(typeId);
    }

private:
    s32 m_kind;
};

class PlayScreen : public KindScene, public IGamePlayScreen {
public:
    PlayScreen() : KindScene(GameNodeTypeGamePlayScene) {}
    bool loadLevel(const stringc&, SceneNode*) override { return true; }
    bool isLevelMusicPlaying() const override { return false; }
    void playLevelMusic() override {}
};

class MiniGame : public KindScene, public IMiniGame {
public:
    MiniGame() : KindScene(GameNodeTypeMiniGameScene) {}
    bool loadConfiguration(const stringc&) override { return true; }
};

class Level : public KindScene, public IGameLevelInfo {
public:
    explicit Level(s32 kind = GameNodeTypeGameLevelScene) : KindScene(kind) {}
    bool hasLevelConfiguration() const override { return true; }
    stringw getLevelName() const override { return L"%Level1_Name%"; }
    stringw getLevelDescription() const override { return stringw(); }
    s32 getLevelTimeLimit() const override { return 300; }
    s32 getLevelScore() const override { return 1000; }
    s32 getLevelExpertScore() const override { return 1500; }
    s32 getLevelTime() const override { return 0; }
    f32 getScoreGain() const override { return 0.0f; }
};

}  // namespace

TEST(SceneInterfaces, ANodeIsIdentifiedByItsKindAndItsInterface) {
    auto screen = makeRef<PlayScreen>();
    auto bareScreen = makeRef<KindScene>(GameNodeTypeGamePlayScene);
    auto miniGame = makeRef<MiniGame>();
    auto bareMiniGame = makeRef<KindScene>(GameNodeTypeMiniGameScene);
    auto level = makeRef<Level>();
    auto bareLevel = makeRef<KindScene>(GameNodeTypeGameLevelScene);
    auto levelOfOtherKind = makeRef<Level>(GameNodeTypeMapScene);

    EXPECT_EQ(IGamePlayScreen::of(screen.get()), static_cast<IGamePlayScreen*>(screen.get()));
    EXPECT_EQ(IGamePlayScreen::of(bareScreen.get()), nullptr);
    EXPECT_EQ(IGamePlayScreen::of(miniGame.get()), nullptr);
    EXPECT_EQ(IGamePlayScreen::of(nullptr), nullptr);

    EXPECT_EQ(IMiniGame::of(miniGame.get()), static_cast<IMiniGame*>(miniGame.get()));
    EXPECT_EQ(IMiniGame::of(bareMiniGame.get()), nullptr);
    EXPECT_EQ(IMiniGame::of(screen.get()), nullptr);
    EXPECT_EQ(IMiniGame::of(nullptr), nullptr);

    EXPECT_EQ(IGameLevelInfo::of(level.get()), static_cast<IGameLevelInfo*>(level.get()));
    EXPECT_EQ(IGameLevelInfo::of(bareLevel.get()), nullptr);
    EXPECT_EQ(IGameLevelInfo::of(levelOfOtherKind.get()), nullptr);
    EXPECT_EQ(IGameLevelInfo::of(nullptr), nullptr);
}

TEST(SceneInterfaces, TutorialsComeFromTheInstalledServices) {
    auto host = makeRef<SceneNode>(CCreationContext());
    {
        brasquel::test::TestGameServices services;
        EXPECT_EQ(IGameServices::get()->createTutorial(host.get(), nullptr, nullptr, true),
                  nullptr);
        EXPECT_EQ(IGameServices::get()->getAchievementsProgress(), nullptr);
    }
    // Services that make tutorials hand each caller a new one with one reference.
    struct TutorialServices : brasquel::test::TestGameServices {
        ITutorial* createTutorial(BaseNode* h, TemplateCollectionNode*, IContentManager*,
                                  bool) override {
            hosts.push_back(h);
            return new brasquel::test::RecordingTutorial();
        }
        std::vector<BaseNode*> hosts;
    } services;
    CRefPtr<ITutorial> first = CRefPtr<ITutorial>::fromRaw(
        IGameServices::get()->createTutorial(host.get(), nullptr, nullptr, true));
    CRefPtr<ITutorial> second = CRefPtr<ITutorial>::fromRaw(
        IGameServices::get()->createTutorial(host.get(), nullptr, nullptr, true));
    ASSERT_NE(first.get(), nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(services.hosts, (std::vector<BaseNode*>{host.get(), host.get()}));
    EXPECT_TRUE(first->load(nullptr, nullptr));
    first->start();
    EXPECT_TRUE(first->update(30));
    EXPECT_EQ(static_cast<brasquel::test::RecordingTutorial*>(first.get())->calls,
              (std::vector<std::string>{"load", "start", "update 30"}));
}
