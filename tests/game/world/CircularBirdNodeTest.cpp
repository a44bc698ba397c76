// The circular bird: its body from the template collection, the internal bird on two ellipses,
// its flaps, the template looked up again on events, a bird removed by other code, and what is
// saved.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GCircularBirdNode.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

class CircularBirdTest : public ::testing::Test {
protected:
    CircularBirdTest() {
        CRandom::instance().seed(3);
        scene = content.showScene();
        auto bird = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        bird->setNameId(CNameId("TestBird").getId());
        auto body = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        body->setNameId(CNameId("Body").getId());
        bird->addChild(body.get());
        content.templates->addTemplate(bird.get());
        auto bare = makeRef<BaseNode>(CCreationContext(content.manager, ""));
        bare->setNameId(CNameId("BareBird").getId());
        content.templates->addTemplate(bare.get());
    }

    CRefPtr<GCircularBirdNode> place(const char* templateName) {
        auto node = makeRef<GCircularBirdNode>(CCreationContext(content.manager, ""));
        node->Ellipse1Size = vector2df(100.0f, 50.0f);
        node->Ellipse2Size = vector2df(20.0f, 10.0f);
        scene->addChild(node.get());
        if (templateName) node->setBirdTemplate(CNameId(templateName).getId());
        return node;
    }

    void draw() {
        DrawList list;
        scene->render(list);
    }

    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

}  // namespace

TEST_F(CircularBirdTest, WithoutATemplateOrABodyThereIsNoBird) {
    for (const char* name : {static_cast<const char*>(nullptr), "BareBird", "NoSuchBird"}) {
        auto node = place(name);
        draw();
        EXPECT_EQ(node->getBody(), nullptr);
        EXPECT_FALSE(node->isRunning());
        EXPECT_EQ(node->getChildCount(), 0u);
        scene->removeChild(node.get());
    }
}

TEST_F(CircularBirdTest, TheBirdFliesOnTheSumOfTheEllipses) {
    auto node = place("TestBird");
    ASSERT_NE(node->getBody(), nullptr);
    EXPECT_EQ(node->AngularVelocity1, 5.0f);
    draw();
    ASSERT_TRUE(node->isRunning());
    BaseNode* bird = node->getBird();
    ASSERT_NE(bird, nullptr);
    EXPECT_TRUE(bird->isInternal());
    EXPECT_EQ(bird->getParent(), node.get());
    EXPECT_GE(node->getFlapTimer(), 4000u);
    EXPECT_LE(node->getFlapTimer(), 7000u);
    const f32 a1 = node->getAngle1();
    content.step(30);
    EXPECT_NEAR(node->getAngle1(), a1 + 0.15f, 1e-4f);
    EXPECT_NE(node->getDirection(), -1);
    const vector3df& at = bird->getPosition();
    EXPECT_LE(std::fabs(at.X), 120.0f);
    EXPECT_LE(std::fabs(at.Y), 60.0f);
    EXPECT_EQ(at.Z, 0.0f);
}

TEST_F(CircularBirdTest, FlapPeriodsAreAddedToTheTimerLeft) {
    auto node = place("TestBird");
    draw();
    while (node->getFlapTimer() > 30) content.step(30);
    const u32 left = node->getFlapTimer();
    content.step(30);
    EXPECT_GE(node->getFlapTimer(), left + 4000u);
    EXPECT_LE(node->getFlapTimer(), left + 7000u);
}

TEST_F(CircularBirdTest, EventsLookTheTemplateUpAgainWithoutConsumingThem) {
    auto node = place("TestBird");
    draw();
    ASSERT_TRUE(node->isRunning());
    EXPECT_FALSE(node->onSceneActivated(nullptr));
    EXPECT_FALSE(node->isRunning());
    draw();
    EXPECT_TRUE(node->isRunning());
    EXPECT_EQ(node->getChildCount(), 1u);  // the old bird gave way to the new one
    EXPECT_FALSE(node->onTemplatesChanged(nullptr));
    EXPECT_FALSE(node->isRunning());
}

TEST_F(CircularBirdTest, ABirdRemovedByOtherCodeEndsTheFlight) {
    auto node = place("TestBird");
    draw();
    node->removeAllChildren();
    EXPECT_EQ(node->getBird(), nullptr);
    content.step(30, 2);
    EXPECT_FALSE(node->isRunning());
}

TEST_F(CircularBirdTest, SavedWithItsTemplateNeverItsBird) {
    auto node = place("TestBird");
    node->AngularVelocity2 = 0.0f;
    draw();
    auto set = makeRef<CPropertySet>();
    node->saveProperties(set.get());
    EXPECT_EQ(getPropertyString(set->getProperty("BirdTemplateID").get()), stringc("TestBird"));
    EXPECT_GE(set->getPropertyIndex("AngularVelocity1"), 0);  // 5 is written
    EXPECT_LT(set->getPropertyIndex("AngularVelocity2"), 0);
    EXPECT_GE(set->getPropertyIndex("Ellipse1Size"), 0);
    // Copies take the properties and the template, not the bird.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node->clone(nullptr, nullptr));
    auto* clone = dynamic_cast<GCircularBirdNode*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getChildCount(), 0u);
    EXPECT_EQ(clone->getBirdTemplate(), CNameId("TestBird").getId());
    EXPECT_NE(clone->getBody(), nullptr);
    EXPECT_EQ(clone->Ellipse2Size, vector2df(20.0f, 10.0f));
    // Through the table, any value's text names the template.
    clone->setPropertyByName("BirdTemplateID", makePropertyDataFromNameId(CNameId("BareBird")));
    EXPECT_EQ(clone->getBody(), nullptr);
    EXPECT_EQ(getPropertyString(clone->getPropertyByName("BirdTemplateID").get()),
              stringc("BareBird"));
}
