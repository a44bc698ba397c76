// The map's location button: the platform and the star its calls leave, in the order the map
// makes them; the selector and the wave; a button without its template; the level name as a
// node property.

#include <gtest/gtest.h>

#include "engine/properties/CPropertySet.h"
#include "engine/scene/animation/Animator.h"
#include "game/config/GNodeTypeIds.h"
#include "tests/game/scenes/MapTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

enum ECall { Enable, Disable, Playable, Unplayable, MiniGame, NotMiniGame };

void apply(GMapLocationButton* button, ECall call) {
    switch (call) {
        case Enable:
            button->setEnabled(true);
            break;
        case Disable:
            button->setEnabled(false);
            break;
        case Playable:
            button->setPlayable(true);
            break;
        case Unplayable:
            button->setPlayable(false);
            break;
        case MiniGame:
            button->setMiniGameLocation(true);
            break;
        case NotMiniGame:
            button->setMiniGameLocation(false);
            break;
    }
}

}  // namespace

TEST(MapLocationButton, IsAButtonOfItsOwnKind) {
    MapWorld world;
    GMapLocationButton* button = world.addLocation(world.scene.get(), "Location0", 0, 0);
    EXPECT_EQ(button->getTypeId(), GameNodeTypeMapLocationButton);
    for (s32 kind : {s32(GameNodeTypeMapLocationButton), s32(NodeTypeButton), s32(NodeTypeControl),
                     s32(NodeTypeBase)})
        EXPECT_TRUE(button->isKindOf(kind)) << kind;
    EXPECT_FALSE(button->isKindOf(GameNodeTypeShopButton));
    EXPECT_EQ(button->getClassName(), stringw(L"GMapLocationButton"));
    EXPECT_EQ(asMapLocationButton(button), button);
    EXPECT_EQ(asMapLocationButton(world.scene.get()), nullptr);
}

// The calls in the map's order (and out of it) and the platform and star they leave.
TEST(MapLocationButton, CallOrderDecidesThePlatformAndTheStar) {
    const struct {
        std::vector<ECall> calls;
        const char* platform;
        bool starVisible;
    } cases[] = {
        {{Enable, Playable}, GMapLocationButton::PlatformImage, true},
        {{Enable, Unplayable}, GMapLocationButton::RedPlatformImage, true},
        {{Enable, Unplayable, MiniGame}, GMapLocationButton::GreenPlatformImage, true},
        {{Enable, Unplayable, NotMiniGame}, GMapLocationButton::RedPlatformImage, true},
        {{Enable, MiniGame, Unplayable}, GMapLocationButton::RedPlatformImage, true},
        {{Disable}, GMapLocationButton::GreyPlatformImage, false},
        // a closed location keeps its grey platform whatever comes after
        {{Disable, Playable, MiniGame}, GMapLocationButton::GreyPlatformImage, false},
        {{Disable, Unplayable}, GMapLocationButton::GreyPlatformImage, false},
        // opened again: the plain platform and the star are back
        {{Disable, Enable}, GMapLocationButton::PlatformImage, true},
        {{Enable, Unplayable, Disable, Enable}, GMapLocationButton::PlatformImage, true},
    };
    MapWorld world;
    int row = 0;
    for (const auto& c : cases) {
        GMapLocationButton* button =
            world.addLocation(world.scene.get(), ("Location" + std::to_string(row)).c_str(), 0, 0);
        ASSERT_NE(button->getPlatformSprite(), nullptr);
        ASSERT_NE(button->getStarSprite(), nullptr);
        for (ECall call : c.calls) apply(button, call);
        EXPECT_EQ(pictureOf(button->getPlatformSprite()), c.platform) << "row " << row;
        EXPECT_EQ(button->getStarSprite()->isVisible(), c.starVisible) << "row " << row;
        EXPECT_EQ(button->isEnabled(), c.starVisible) << "row " << row;
        ++row;
    }
}

TEST(MapLocationButton, TheRankChoosesTheStar) {
    const struct {
        s32 rank;
        const char* star;
    } cases[] = {
        {GMapLocationButton::RankExpert, GMapLocationButton::GoldStarImage},
        {GMapLocationButton::RankGamer, GMapLocationButton::SilverStarImage},
        {GMapLocationButton::RankNone, "-"},
        {3, "-"},
        {-1, "-"},
    };
    MapWorld world;
    GMapLocationButton* button = world.addLocation(world.scene.get(), "Location0", 0, 0);
    for (const auto& c : cases) {
        button->setRank(GMapLocationButton::RankExpert);  // a star shown before
        button->setRank(c.rank);
        EXPECT_EQ(pictureOf(button->getStarSprite()), c.star) << c.rank;
    }
}

TEST(MapLocationButton, TheSelectorShowsWhileSelected) {
    MapWorld world;
    GMapLocationButton* button = world.addLocation(world.scene.get(), "Location0", 0, 0);
    ASSERT_NE(button->getSelector(), nullptr);
    button->setSelected(true);
    EXPECT_TRUE(button->getSelector()->isVisible());
    button->setSelected(false);
    EXPECT_FALSE(button->getSelector()->isVisible());
}

TEST(MapLocationButton, TheWaveStartsAtItsPhase) {
    MapWorld world;
    const s32 wave = CNameId("Wave").getId();
    for (f32 phase : {0.0f, 0.4f, 0.8f}) {
        GMapLocationButton* button = world.addLocation(world.scene.get(), "Location", 0, 0);
        button->startWave(phase);
        ASSERT_NE(button->getStarGroup(), nullptr);
        Animator* animator = button->getStarGroup()->findState(wave);
        ASSERT_NE(animator, nullptr);
        EXPECT_EQ(button->getStarGroup()->getRunningAnimator(), animator) << phase;
        EXPECT_EQ(animator->getAnimation(0)->getTime(),
                  static_cast<u32>(phase * static_cast<f32>(MapWorld::WaveMs)))
            << phase;
    }
}

// Without a template (no "Star" group, no selector) every call is taken and changes nothing.
TEST(MapLocationButton, WithoutItsTemplateEveryCallIsHarmless) {
    MapWorld world;
    for (const char* templateName : {static_cast<const char*>(nullptr), "Button"}) {
        GMapLocationButton* button =
            world.addLocation(world.scene.get(), "Bare", 0, 0, "level1", templateName);
        EXPECT_EQ(button->getSelector(), nullptr);
        EXPECT_EQ(button->getStarGroup(), nullptr);
        EXPECT_EQ(button->getStarSprite(), nullptr);
        EXPECT_EQ(button->getPlatformSprite(), nullptr);
        button->setEnabled(false);
        button->setPlayable(false);
        button->setMiniGameLocation(true);
        button->setRank(GMapLocationButton::RankExpert);
        button->setSelected(true);
        button->startWave(0.5f);
        button->setEnabled(true);
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->getAssociatedLevelName(), stringc("level1"));
    }
}

// The level name is written only when there is one, read back, copied and cloned.
TEST(MapLocationButton, TheLevelNameIsANodeProperty) {
    MapWorld world;
    GMapLocationButton* unnamed = world.addLocation(world.scene.get(), "Unnamed", 0, 0);
    auto set = makeRef<CPropertySet>();
    unnamed->saveProperties(set.get());
    EXPECT_LT(set->getPropertyIndex("AssociatedLevelName"), 0);

    GMapLocationButton* named = world.addLocation(world.scene.get(), "Named", 0, 0, "level12");
    auto saved = makeRef<CPropertySet>();
    named->saveProperties(saved.get());
    ASSERT_GE(saved->getPropertyIndex("AssociatedLevelName"), 0);
    EXPECT_EQ(saved->getString("AssociatedLevelName"), stringc("level12"));

    GMapLocationButton* loaded = world.addLocation(world.scene.get(), "Loaded", 0, 0);
    loaded->loadProperties(saved.get());
    EXPECT_EQ(loaded->getAssociatedLevelName(), stringc("level12"));
    // A set without the name leaves the one there.
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getAssociatedLevelName(), stringc("level12"));

    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(named->clone(nullptr, world.manager.get()));
    GMapLocationButton* cloned = asMapLocationButton(copy.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_EQ(cloned->getAssociatedLevelName(), stringc("level12"));
    EXPECT_NE(cloned->getPlatformSprite(), nullptr);
    EXPECT_NE(cloned->getPlatformSprite(), named->getPlatformSprite());  // its own parts

    GMapLocationButton* target = world.addLocation(world.scene.get(), "Target", 0, 0, "other");
    target->copyFrom(named, world.manager.get());
    EXPECT_EQ(target->getAssociatedLevelName(), stringc("level12"));
}
