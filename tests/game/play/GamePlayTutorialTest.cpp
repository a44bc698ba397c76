#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/nodes/TabSceneNode.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GGameLevelScene.h"
#include "tests/game/play/tutorial/TutorialWorld.h"

namespace brasquel::test {
namespace {

bool listed(const CEventReceiver* owner, const CEventReceiver* receiver) {
    const array<CEventReceiver*>& list = owner->getPreReceivers();
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i] == receiver) return true;
    return false;
}

// A step, a tip and a step of the level's tutorial.
const char* const LevelTutorial =
    "<?xml version=\"1.0\"?><Tutorial>"
    "<Hint><Text Value=\"%Tut_Welcome%\"/>"
    "<Actions><Action Type=\"GeneratePauseRequest\"/></Actions></Hint>"
    "<Hint Tip=\"true\"><Text Value=\"%Tut_Clock%\"/></Hint>"
    "<Hint><Text Value=\"%Tut_Last%\"/></Hint>"
    "</Tutorial>";

struct PlayTutorialWorld : TutorialWorld {
    void settings(bool tutorialOn, s32 shownLevel, s32 levelIndex, bool tipsOn) {
        CProfile* profile = player.profile();
        profile->setBool(ProfileKeyShowTutorialOn, tutorialOn);
        profile->setInt(ProfileKeyShowTutorialLevel, shownLevel);
        profile->setInt(ProfileKeyLevelIndex, levelIndex);
        profile->setBool(ProfileKeyShowTipsOn, tipsOn);
    }
    void writeTutorial(const std::string& text = LevelTutorial) {
        write(std::string(Folder) + "Tutorial.xml", text);
    }
    GTutorialController* running() const { return screenNode->getTutorialController(); }
};

TEST(GamePlayTutorial, TheSettingsSwitchTheTutorialStepsAndTheTips) {
    const struct {
        bool tutorialOn;
        bool developerKeys;
        s32 shownLevel;
        s32 levelIndex;
        bool tipsOn;
        bool made;
        bool stepsOff;
        bool tipsOff;
    } cases[] = {
        {true, false, 0, 1, true, true, false, false},
        {true, false, 3, 3, true, true, true, false},
        {true, true, 3, 3, false, true, false, true},
        {false, true, 0, 1, true, true, true, false},
        {true, false, -1, 0, false, true, false, true},
        {false, false, 0, 1, false, false, false, false},
        {true, false, 5, 3, false, false, false, false},
    };
    for (const auto& c : cases) {
        PlayTutorialWorld world;
        world.writeTutorial();
        world.settings(c.tutorialOn, c.shownLevel, c.levelIndex, c.tipsOn);
        world.tutorial.developerKeys = c.developerKeys;
        ASSERT_TRUE(world.prepare());
        const std::string label = std::to_string(c.tutorialOn) + std::to_string(c.developerKeys) +
                                  std::to_string(c.shownLevel) + std::to_string(c.levelIndex) +
                                  std::to_string(c.tipsOn);
        GTutorialController* tutorial = world.running();
        ASSERT_EQ(tutorial != nullptr, c.made) << label;
        if (!tutorial) continue;
        EXPECT_EQ(tutorial->areTutorialStepsOff(), c.stepsOff) << label;
        EXPECT_EQ(tutorial->areTipsOff(), c.tipsOff) << label;
        EXPECT_EQ(tutorial->getStepCount(), 3u) << label;
        EXPECT_EQ(tutorial->getRequestReceiver(), world.level.get()) << label;
        EXPECT_EQ(tutorial->getWindow()->getParent(), world.find("")) << label;
        // Made, not started.
        EXPECT_FALSE(tutorial->isRegistered()) << label;
        EXPECT_FALSE(tutorial->getWindow()->isVisible()) << label;
    }
    PlayTutorialWorld without;
    without.settings(true, 0, 1, true);
    ASSERT_TRUE(without.prepare());
    EXPECT_EQ(without.running(), nullptr);
}

TEST(GamePlayTutorial, StopTutorialTakesItOutOfEveryReceiverList) {
    PlayTutorialWorld world;
    world.writeTutorial();
    world.settings(true, 0, 1, true);
    ASSERT_TRUE(world.prepare(LotWorld::lot("P1", "Empty", 100, 100, true) +
                              LotWorld::lot("P2", "Hotel1", 300, 100, true)));
    CRefPtr<GTutorialController> tutorial(world.running());
    ASSERT_NE(tutorial, nullptr);
    ASSERT_NE(world.probe()->m_actionsTabScene, nullptr);
    std::vector<const CEventReceiver*> owners = {world.screenNode.get(), world.level.get(),
                                                 world.probe()->m_actionsTabScene};
    ASSERT_EQ(world.level->getBuildings().size(), 2u);
    for (const CRefPtr<GBuildingNode>& building : world.level->getBuildings())
        owners.push_back(building.get());
    for (const CEventReceiver* owner : owners) EXPECT_TRUE(listed(owner, tutorial.get()));
    tutorial->start();
    EXPECT_TRUE(world.tutorial.isListed(tutorial.get()));
    world.screenNode->stopTutorial();
    EXPECT_EQ(world.running(), nullptr);
    for (const CEventReceiver* owner : owners) EXPECT_FALSE(listed(owner, tutorial.get()));
    EXPECT_FALSE(world.tutorial.isListed(tutorial.get()));
    EXPECT_EQ(tutorial->getWindow(), nullptr);
}

TEST(GamePlayTutorial, TheSkipButtonSwitchesOffTheShownCategoryAndResumesAPausedLevel) {
    PlayTutorialWorld world;
    world.writeTutorial();
    world.settings(true, 0, 1, true);
    ASSERT_TRUE(world.prepare());
    GTutorialController* tutorial = world.running();
    ASSERT_NE(tutorial, nullptr);
    RequestRecorder flags;
    flags.consumes = false;
    world.level->addPreReceiver(&flags);
    tutorial->start();
    ASSERT_TRUE(world.level->isPaused());
    ButtonNode* skip = tutorial->getSkipButton();
    ASSERT_TRUE(tutorial->getWindow()->isVisible());

    // A tutorial step: the tutorial goes, the tips stay; the paused level resumes.
    EXPECT_FALSE(world.screenNode->onEvent(makeEvent<CEventNodePressed>(skip).get()));
    CProfile* profile = world.player.profile();
    EXPECT_FALSE(profile->getBool(ProfileKeyShowTutorialOn));
    EXPECT_TRUE(profile->getBool(ProfileKeyShowTipsOn));
    EXPECT_FALSE(world.level->isPaused());
    EXPECT_EQ(flags.flags, (std::vector<u8>{1, 0}));
    world.tick(20);
    EXPECT_TRUE(tutorial->isCurrentStepTip());
    EXPECT_EQ(tutorial->getCurrentIndex(), 1);
    const size_t posted = flags.flags.size();

    // A tip: the tips go; the level was not paused, so nothing is posted.
    EXPECT_FALSE(world.screenNode->onEvent(makeEvent<CEventNodePressed>(skip).get()));
    EXPECT_FALSE(profile->getBool(ProfileKeyShowTipsOn));
    EXPECT_EQ(flags.flags.size(), posted);
    world.tick(20);
    world.tick(20);
    EXPECT_EQ(world.running(), nullptr);
    world.level->removePreReceiver(&flags);
}

TEST(GamePlayTutorial, ThePlayScreenGoingStopsItsTutorial) {
    PlayTutorialWorld world;
    world.writeTutorial();
    world.settings(true, 0, 1, true);
    ASSERT_TRUE(world.prepare());
    CRefPtr<GTutorialController> tutorial(world.running());
    ASSERT_NE(tutorial, nullptr);
    tutorial->start();
    ASSERT_TRUE(world.tutorial.isListed(tutorial.get()));
    world.screenNode = nullptr;
    EXPECT_FALSE(world.tutorial.isListed(tutorial.get()));
    EXPECT_FALSE(listed(world.level.get(), tutorial.get()));
    EXPECT_FALSE(tutorial->update(20));
}

}  // namespace
}  // namespace brasquel::test
