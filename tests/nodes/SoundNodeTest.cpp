// The sound node with sound groups that play scripted sounds: when it starts, retries, stops and
// what its Play property reads.

#include <gtest/gtest.h>

#include <vector>

#include "engine/nodes/SoundNode.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;

namespace {

class SoundNodeTest : public ::testing::Test {
protected:
    SoundNodeTest() {
        for (const char* name : {"Beep", "Loop"}) {
            CRefPtr<SoundCue> cue = makeRef<SoundCue>(CNameId(name));
            cue->setGroup(sounds::CueGroup);
            cue->addSound(makeRef<ScriptedSound>(&clones).get());
            content.soundGroups->registerCue(cue.get());
        }
    }

    CRefPtr<SoundNode> makeSound(const char* cue) {
        CRefPtr<SoundNode> node = makeRef<SoundNode>(CCreationContext(content.manager, ""));
        node->setCue(CNameId(cue).getId());
        return node;
    }

    static void draw(BaseNode* root) {
        DrawList list;
        root->render(list);
        EXPECT_TRUE(list.empty());  // a sound node draws nothing
    }

    static ScriptedSound* soundOf(SoundCue* instance) {
        return instance ? static_cast<ScriptedSound*>(instance->getCurrentSound()) : nullptr;
    }

    std::vector<ScriptedSound*> clones;
    NodeContentFixture content;
};

TEST_F(SoundNodeTest, StartsAtTheFirstRenderInAShownVisibleTree) {
    CRefPtr<SoundNode> node = makeSound("Beep");
    // Not in a scene manager's tree yet.
    draw(node.get());
    EXPECT_FALSE(node->isStarted());
    EXPECT_EQ(node->getInstance(), nullptr);

    SceneNode* scene = content.showScene();
    node->setVisible(false);
    scene->addChild(node.get());
    node->tryStart();
    EXPECT_FALSE(node->isStarted());
    node->setVisible(true);
    draw(scene);
    ASSERT_TRUE(node->isStarted());
    EXPECT_TRUE(node->isPlaying());
    EXPECT_EQ(content.soundGroups->getPlayingCount(), 1u);
    ASSERT_NE(soundOf(node->getInstance()), nullptr);
    EXPECT_EQ(soundOf(node->getInstance())->plays, 1);

    // Started once: more frames and hiding change nothing.
    draw(scene);
    node->setVisible(false);
    draw(scene);
    EXPECT_TRUE(node->isPlaying());
    EXPECT_EQ(content.soundGroups->getPlayingCount(), 1u);
}

TEST_F(SoundNodeTest, ARefusedStartIsTriedAgainAtEveryRender) {
    SceneNode* scene = content.showScene();
    content.soundGroups->setGroupVolume(0.0f, sounds::CueGroup);
    CRefPtr<SoundNode> node = makeSound("Beep");
    scene->addChild(node.get());
    for (int i = 0; i < 3; ++i) {
        draw(scene);
        EXPECT_FALSE(node->isStarted());
        EXPECT_EQ(node->getInstance(), nullptr);
    }
    content.soundGroups->setGroupVolume(1.0f, sounds::CueGroup);
    draw(scene);
    EXPECT_TRUE(node->isStarted());
    EXPECT_TRUE(node->isPlaying());

    // An unknown cue, or no sound groups at all, refuse as well.
    CRefPtr<SoundNode> unknown = makeSound("Nothing");
    scene->addChild(unknown.get());
    draw(scene);
    EXPECT_FALSE(unknown->isStarted());
    content.host->soundGroups = nullptr;
    CRefPtr<SoundNode> silent = makeSound("Beep");
    scene->addChild(silent.get());
    draw(scene);
    EXPECT_FALSE(silent->isStarted());
    content.host->soundGroups = content.soundGroups.get();
    draw(scene);
    EXPECT_TRUE(silent->isStarted());
}

TEST_F(SoundNodeTest, PlayOffStopsAtOnceAndOnStartsANewInstance) {
    SceneNode* scene = content.showScene();
    CRefPtr<SoundNode> node = makeSound("Beep");
    scene->addChild(node.get());
    draw(scene);
    CRefPtr<SoundCue> first(node->getInstance());
    ASSERT_TRUE(first);
    node->setPlay(false);
    EXPECT_EQ(first->getState(), SoundStopped);
    EXPECT_FALSE(node->isPlaying());
    EXPECT_TRUE(node->isStarted());
    node->setPlay(true);
    ASSERT_NE(node->getInstance(), nullptr);
    EXPECT_NE(node->getInstance(), first.get());
    EXPECT_TRUE(node->isPlaying());

    // A new cue stops the old instance at once and plays the new cue.
    CRefPtr<SoundCue> second(node->getInstance());
    node->setCue(CNameId("Loop").getId());
    EXPECT_EQ(second->getState(), SoundStopped);
    ASSERT_NE(node->getInstance(), nullptr);
    EXPECT_EQ(node->getInstance()->getName(), CNameId("Loop"));
    // Through the property table as well.
    node->setPropertyByName("Play", makePropertyDataBool(false));
    EXPECT_FALSE(node->isPlaying());
    EXPECT_FALSE(node->getPlay());
}

TEST_F(SoundNodeTest, PlayReadsFalseOnceAOneShotHasEnded) {
    SceneNode* scene = content.showScene();
    CRefPtr<SoundNode> node = makeSound("Beep");
    scene->addChild(node.get());
    draw(scene);
    EXPECT_TRUE(unboxPropertyBool(node->getPropertyByName("Play").get()));
    // The sound ends; the groups' next update finds it ended and lets the instance go.
    soundOf(node->getInstance())->finish();
    content.soundGroups->update(10);
    EXPECT_EQ(content.soundGroups->getPlayingCount(), 0u);
    EXPECT_FALSE(unboxPropertyBool(node->getPropertyByName("Play").get()));
    EXPECT_TRUE(node->getPlay());
    // It is not started again.
    draw(scene);
    EXPECT_FALSE(node->isPlaying());
    EXPECT_EQ(content.soundGroups->getPlayingCount(), 0u);
    // Setting the switch again plays anew.
    node->setPlay(true);
    EXPECT_TRUE(node->isPlaying());
}

TEST_F(SoundNodeTest, TheNodesEndLeavesItsCuePlaying) {
    SceneNode* scene = content.showScene();
    CRefPtr<SoundNode> node = makeSound("Beep");
    scene->addChild(node.get());
    draw(scene);
    CRefPtr<SoundCue> instance(node->getInstance());
    scene->removeChild(node.get());
    node = nullptr;
    EXPECT_EQ(instance->getState(), SoundPlaying);
}

TEST_F(SoundNodeTest, SavesTheCueAndTheSwitchAndCopiesThemButNotTheInstance) {
    CRefPtr<SoundNode> node = makeRef<SoundNode>(CCreationContext(content.manager, ""));
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    node->saveProperties(set.get());
    ASSERT_EQ(set->getPropertyCount(), 1u);  // Play is always written
    EXPECT_TRUE(set->getBool("Play"));

    SceneNode* scene = content.showScene();
    node->setCue(CNameId("Beep").getId());
    scene->addChild(node.get());
    draw(scene);
    node->setPlay(false);
    set = makeRef<CPropertySet>(content.manager);
    node->saveProperties(set.get());
    EXPECT_EQ(set->getString("SoundCueName"), stringc("Beep"));
    EXPECT_FALSE(set->getBool("Play"));

    CRefPtr<SoundNode> loaded = makeRef<SoundNode>(CCreationContext(content.manager, ""));
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getCue(), CNameId("Beep").getId());
    EXPECT_FALSE(loaded->getPlay());
    // "Play" of another type reads as false.
    CRefPtr<CPropertySet> wrong = makeRef<CPropertySet>(content.manager);
    wrong->addInt("Play", 1);
    loaded->setPlay(true);
    loaded->loadProperties(wrong.get());
    EXPECT_FALSE(loaded->getPlay());

    node->setPlay(true);
    ASSERT_NE(node->getInstance(), nullptr);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
    auto* other = dynamic_cast<SoundNode*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->getCue(), node->getCue());
    EXPECT_TRUE(other->getPlay());
    EXPECT_EQ(other->getInstance(), nullptr);
}

}  // namespace
