// The shop's button: its three conditions (bought, locked, the control's own states), the
// price it shows, what a child without a "Bought" state plays, and its upgrade name as a
// property that copies and round-trips.

#include <gtest/gtest.h>

#include "engine/core/StringUtils.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "game/scenes/GShopButton.h"
#include "tests/game/scenes/GameSceneWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

const char* const kStates[] = {"Normal",     "NormalHover",   "Focus",  "KillFocus",
                               "FocusHover", "NormalDisable", "Bought", "Locked"};

// A button with a "Face" child that has an animation for every state above, a price text with
// only a "Normal" state and a "Bought" ribbon.
struct ButtonWorld : SceneWorld {
    ButtonWorld() {
        scene = makeScene("Shop");
        button = addControl<GShopButton>(scene.get(), "Hostel", 100, 100);
        face = newNode("Face", button).get();
        for (const char* state : kStates) face->addState(timedState(state, 500).get());
        auto text = makeRef<TextNode>(CCreationContext());
        text->setNameId(id("PriceText"));
        text->addState(timedState("Normal", 500).get());
        button->addChild(text.get());
        newNode("Bought", button);
        button->onLoaded();
        manager->setScene(scene.get());
    }

    // The face's states that run now.
    std::vector<std::string> running() const {
        std::vector<std::string> names;
        for (const char* state : kStates) {
            Animator* animator = face->findState(id(state));
            if (animator && animator->getRunningCount() > 0) names.push_back(state);
        }
        return names;
    }
    bool priceTextPlays(const char* state) const {
        Animator* animator = button->getPriceText()->findState(id(state));
        return animator && animator->getRunningCount() > 0;
    }
    void stopAll() {
        face->stopAllStates(false);
        button->getPriceText()->stopAllStates(false);
    }

    CRefPtr<SceneNode> scene;
    GShopButton* button = nullptr;
    BaseNode* face = nullptr;
};

}  // namespace

TEST(ShopButton, IsAButtonOfItsOwnClass) {
    auto button = makeRef<GShopButton>(CCreationContext());
    EXPECT_EQ(button->getTypeId(), GameNodeTypeShopButton);
    for (s32 kind : {s32(GameNodeTypeShopButton), s32(NodeTypeButton), s32(NodeTypeControl),
                     s32(NodeTypeBase)})
        EXPECT_TRUE(button->isKindOf(kind)) << kind;
    EXPECT_FALSE(button->isKindOf(GameNodeTypeBaseScene));
    EXPECT_EQ(toUtf8(button->getClassName().c_str()), "GShopButton");
    EXPECT_EQ(button->getUpgradeName(), -1);
    EXPECT_FALSE(button->isBought());
    EXPECT_FALSE(button->isLocked());
    EXPECT_EQ(button->getPrice(), 0);
    EXPECT_EQ(asShopButton(button.get()), button.get());
    EXPECT_EQ(asShopButton(newNode("Plain").get()), nullptr);
}

TEST(ShopButton, FindsItsPriceTextAndRibbonAmongItsDirectChildrenOnly) {
    ButtonWorld world;
    ASSERT_NE(world.button->getPriceText(), nullptr);
    ASSERT_NE(world.button->getBoughtNode(), nullptr);
    EXPECT_EQ(world.button->getBoughtNode()->getNodeName(), "Bought");

    auto other = makeRef<GShopButton>(CCreationContext());
    newNode("PriceText", other.get());  // not a text node
    newNode("Bought", newNode("Deeper", other.get()).get());
    other->onLoaded();
    EXPECT_EQ(other->getPriceText(), nullptr);
    EXPECT_EQ(other->getBoughtNode(), nullptr);
    // Without its parts it still takes every call.
    other->setPrice(10);
    other->setBought(true);
    other->setLocked(true);
    EXPECT_TRUE(other->isBought());
}

TEST(ShopButton, TheConditionDecidesTheStateItsChildrenEnter) {
    struct Case {
        bool bought, locked, enabled, focused, hovered;
        bool viaHover;  // the hover handler runs, else the focus handler
        const char* face;
    };
    const Case cases[] = {
        {false, false, true, false, false, false, "KillFocus"},
        {false, false, true, true, false, false, "Focus"},
        {false, false, true, true, true, false, "FocusHover"},
        {false, false, true, true, true, true, "FocusHover"},  // the hover brings the focus
        {false, false, false, false, false, false, "NormalDisable"},
        {false, true, false, false, false, false, "Locked"},
        {false, true, false, true, true, true, "Locked"},
        {true, false, false, false, false, false, "Bought"},
        {true, false, true, true, true, true, "Bought"},
        {true, true, false, false, true, false, "Bought"},  // bought wins over locked
    };
    for (const Case& c : cases) {
        ButtonWorld world;
        world.button->setEnabled(c.enabled);
        world.button->setLocked(c.locked);
        world.button->setBought(c.bought);
        world.button->setFocused(c.focused);
        world.button->setHovered(c.hovered);
        world.stopAll();
        if (c.viaHover)
            world.button->onHoveredChanged();
        else
            world.button->onFocusedChanged();
        EXPECT_EQ(world.running(), std::vector<std::string>{c.face})
            << c.bought << c.locked << c.enabled << c.focused << c.hovered;
    }
}

TEST(ShopButton, AChildWithoutABoughtStatePlaysNormalWhileBought) {
    ButtonWorld world;
    world.stopAll();
    world.button->setBought(true);
    EXPECT_EQ(world.running(), std::vector<std::string>{"Bought"});
    EXPECT_TRUE(world.priceTextPlays("Normal"));
    // "Locked" has no stand-in: the price text plays nothing for it.
    world.stopAll();
    world.button->setBought(false);
    world.stopAll();
    world.button->setLocked(true);
    EXPECT_EQ(world.running(), std::vector<std::string>{"Locked"});
    EXPECT_FALSE(world.priceTextPlays("Normal"));
    // The other states keep the control's stand-ins.
    EXPECT_EQ(world.button->resolveStateTransition(id("FocusHover")), id("NormalHover"));
    EXPECT_EQ(world.button->resolveStateTransition(id("Bought")), id("Normal"));
    EXPECT_EQ(world.button->resolveStateTransition(id("Locked")), -1);
}

TEST(ShopButton, ThePriceShowsGroupedUnlessBoughtOrFree) {
    ButtonWorld world;
    TextNode* price = world.button->getPriceText();
    BaseNode* ribbon = world.button->getBoughtNode();
    world.button->setPrice(12500);
    EXPECT_TRUE(price->isVisible());
    EXPECT_EQ(toUtf8(price->getText().c_str()), "12,500");
    EXPECT_EQ(world.button->getPrice(), 12500);
    world.button->setPrice(0);
    EXPECT_FALSE(price->isVisible());
    world.button->setPrice(-5);
    EXPECT_FALSE(price->isVisible());
    world.button->setPrice(900);
    EXPECT_EQ(toUtf8(price->getText().c_str()), "900");

    world.button->setBought(true);
    EXPECT_FALSE(price->isVisible());
    EXPECT_TRUE(ribbon->isVisible());
    // A bought button keeps its price to itself.
    world.button->setPrice(1500000);
    EXPECT_FALSE(price->isVisible());
    EXPECT_EQ(toUtf8(price->getText().c_str()), "900");
    EXPECT_EQ(world.button->getPrice(), 1500000);

    world.button->setBought(false);
    EXPECT_TRUE(price->isVisible());
    EXPECT_FALSE(ribbon->isVisible());
    world.button->setLocked(true);
    EXPECT_TRUE(price->isVisible());  // shown whenever not bought
}

TEST(ShopButton, TheUpgradeNameIsAPropertyWrittenOnlyWhenSet) {
    auto button = makeRef<GShopButton>(CCreationContext());
    auto empty = makeRef<CPropertySet>();
    button->saveProperties(empty.get());
    EXPECT_LT(empty->getPropertyIndex("UpgradeName"), 0);

    button->setPropertyByName("UpgradeName", makePropertyDataFromNameId(CNameId("Garden")));
    EXPECT_EQ(button->getUpgradeName(), CNameId("Garden").getId());
    auto saved = makeRef<CPropertySet>();
    button->saveProperties(saved.get());
    EXPECT_EQ(saved->getString("UpgradeName"), "Garden");

    auto loaded = makeRef<GShopButton>(CCreationContext());
    loaded->loadProperties(saved.get());
    EXPECT_EQ(loaded->getUpgradeName(), CNameId("Garden").getId());
    // A set without the name leaves it.
    loaded->loadProperties(empty.get());
    EXPECT_EQ(loaded->getUpgradeName(), CNameId("Garden").getId());

    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(button->clone(nullptr, nullptr));
    ASSERT_NE(asShopButton(copy.get()), nullptr);
    EXPECT_EQ(asShopButton(copy.get())->getUpgradeName(), CNameId("Garden").getId());
}
