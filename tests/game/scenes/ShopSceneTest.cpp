// The shop: the points (scores minus the prices of what is owned, free upgrades counted once),
// the buttons' conditions by the highest completed location, the highlights by the current one,
// buying, the pairs of first and second stages, the achievement groups with their pop-up, the
// developer key, the hint, the tutorial it hosts and going back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/StringUtils.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/platform/FileSystemPosix.h"
#include "engine/properties/EngineSettings.h"
#include "engine/scene/NodeEvents.h"
#include "tests/game/scenes/ShopTestWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

GShopButton* buttonOf(GShopScene* shop, const char* name) {
    BaseNode* node = shop->getShopButtonsNode()->findChildByName(id(name), 1);
    EXPECT_NE(asShopButton(node), nullptr) << name;
    return asShopButton(node);
}

bool press(GShopScene* shop, BaseNode* control) {
    return shop->onEvent(makeEvent<CEventNodePressed>(control).get());
}

bool pressByName(GShopScene* shop, const char* name) {
    BaseNode* control = shop->findChildByName(id(name), 0);
    EXPECT_NE(control, nullptr) << name;
    return press(shop, control);
}

bool keyUp(SceneNode* scene, u32 key) {
    return scene->onEvent(makeEvent<CEventKeyboardKeyUp>(u16(0), key, false, false).get());
}

std::string textOf(const TextNode* text) { return toUtf8(text->getText().c_str()); }

// Whether the highlight over the button plays the state; none when the button has no highlight.
const char* highlightState(GShopButton* button) {
    BaseNode* highlight = button->findChildByName(id("ShopButtonHLNode"), 1);
    if (!highlight) return "none";
    BaseNode* glow = highlight->findChildByName(id("Glow"), 1);
    for (const char* state : {"On", "Off"}) {
        Animator* animator = glow ? glow->findState(id(state)) : nullptr;
        if (animator && animator->getRunningCount() > 0) return state;
    }
    return "still";
}

}  // namespace

TEST(Shop, FindsItsPartsWithTheirKinds) {
    ShopWorld world;
    CRefPtr<GShopScene> shop = world.makeShop();
    EXPECT_EQ(shop->getTypeId(), GameNodeTypeShopScene);
    for (s32 kind : {s32(GameNodeTypeShopScene), s32(GameNodeTypeBaseScene), s32(NodeTypeScene),
                     s32(NodeTypeControl), s32(NodeTypeBase)})
        EXPECT_TRUE(shop->isKindOf(kind)) << kind;
    EXPECT_NE(shop->getShopButtonsNode(), nullptr);
    EXPECT_EQ(shop->getShopButtons().size(), std::size(kUpgrades));
    EXPECT_NE(shop->getScoreText(), nullptr);
    EXPECT_NE(shop->getHintNode(), nullptr);
    EXPECT_NE(shop->getHighlightTemplate(), nullptr);

    // Only the direct children of "ShopButtons" that are shop buttons count.
    auto other = makeRef<GShopScene>(world.context("ShopScene"));
    BaseNode* scene = newNode("Scene", other.get()).get();
    BaseNode* row = newNode("ShopButtons", scene).get();
    newNode("Camping", row);
    newNode("Inner", newNode("Box", row).get());
    newNode("ScoreText", scene);  // not a text node
    other->onLoaded();
    EXPECT_TRUE(other->getShopButtons().empty());
    EXPECT_EQ(other->getScoreText(), nullptr);
    EXPECT_EQ(other->getHintNode(), nullptr);
    world.show(other.get());  // and the entry copes without them
}

// Scores 1000, 2500 and 0 with "Hostel" (1200) bought: 2300 points; the free "Camping" counts
// for the lodging group without being stored.
TEST(Shop, ThePointsAreTheScoresLessThePricesOfWhatIsOwned) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "1000;2500;0");
    player.profile()->setString(ProfileKeyBoughtUpgrades, "Hostel");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    EXPECT_EQ(shop->getMoney(), 2300);
    EXPECT_EQ(textOf(shop->getScoreText()), "2,300 points");
    EXPECT_EQ(world.services.progress->getCounter(0), 2);
    EXPECT_EQ(world.services.progress->getCounter(1), 1);  // the free café
    EXPECT_EQ(world.services.progress->getCounter(2), 0);
    EXPECT_EQ(world.services.progress->getCounter(3), 1);  // the free truck station
    EXPECT_EQ(player.bought(), "Hostel");
    EXPECT_TRUE(buttonOf(shop.get(), "Hostel")->isBought());
    EXPECT_TRUE(buttonOf(shop.get(), "Camping")->isBought());
    EXPECT_FALSE(buttonOf(shop.get(), "GuestHouse")->isBought());
    // The group counts were saved with the tracker.
    EXPECT_EQ(player.profile()->getString(ProfileKeyAchievementsProgress),
              "2;1;0;1;0;0;0;0;0;0;0;0");
    // Prices above the scores leave the points below zero.
    player.profile()->setString(ProfileKeyScores, "100");
    shop->refresh(false);
    EXPECT_EQ(shop->getMoney(), -1100);
    EXPECT_EQ(textOf(shop->getScoreText()), "-1,100 points");
}

TEST(Shop, AnUpgradeIsOnOfferOnceItsLevelIsCompleted) {
    // "HotelN6" is of Level 8: M = 7 has completed six regular levels, M = 8 seven.
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "100000");
    CRefPtr<GShopScene> shop = world.makeShop();
    GShopButton* hotel = buttonOf(shop.get(), "HotelN6");
    struct Case {
        s32 maxUnlocked;
        bool locked;
    };
    for (const Case& c : {Case{-1, true}, Case{7, true}, Case{8, false}, Case{30, false}}) {
        player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, c.maxUnlocked);
        shop->refresh(false);
        EXPECT_EQ(hotel->isLocked(), c.locked) << c.maxUnlocked;
        EXPECT_EQ(hotel->isEnabled(), !c.locked) << c.maxUnlocked;
        EXPECT_EQ(hotel->getPrice(), c.locked ? 0 : 3000) << c.maxUnlocked;
        EXPECT_FALSE(hotel->isBought());
    }
    // Before the first level only the upgrades of Level 0 are on offer, after it those of
    // Level 1; one the table lacks never.
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, -1);
    shop->refresh(false);
    EXPECT_TRUE(buttonOf(shop.get(), "Hostel")->isLocked());
    EXPECT_FALSE(buttonOf(shop.get(), "Camping")->isLocked());
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 0);
    shop->refresh(false);
    EXPECT_FALSE(buttonOf(shop.get(), "Hostel")->isLocked());
    world.setUpgrades({{"Camping", 0, 0}});
    shop->refresh(false);
    EXPECT_TRUE(buttonOf(shop.get(), "Hostel")->isLocked());
    EXPECT_FALSE(buttonOf(shop.get(), "Hostel")->isEnabled());
}

// The shop's rules by themselves, for whoever reckons with them away from a shop: the offer by
// a location, the owned names and the points.
TEST(Shop, TheOfferTheOwnedUpgradesAndThePointsByThemselves) {
    ShopWorld world;
    const UpgradesConfiguration* table = world.services.upgrades.get();
    const UpgradeRecord* camping = table->find(CNameId("Camping"));  // Level 0
    const UpgradeRecord* hostel = table->find(CNameId("Hostel"));    // Level 1
    const UpgradeRecord* hotel = table->find(CNameId("HotelN6"));    // Level 8
    ASSERT_TRUE(camping && hostel && hotel);
    const struct {
        const UpgradeRecord* upgrade;
        s32 location;
        bool offered;
    } offers[] = {{camping, -1, true}, {hostel, -1, false}, {hostel, 0, true}, {hotel, 6, false},
                  {hotel, 7, false},   {hotel, 8, true},    {hotel, 38, true}};
    for (const auto& c : offers)
        EXPECT_EQ(GShopScene::isOffered(*c.upgrade, c.location), c.offered)
            << c.upgrade->Name.getName().c_str() << " at " << c.location;

    // The bought names in their order, each once (one the table lacks as well), then the free
    // ones not among them.
    const std::vector<s32> owned =
        GShopScene::ownedUpgrades(parseNameIdList(" Hostel;Cafe;Hostel;Ghost"), table);
    ASSERT_EQ(owned.size(), 5u);
    EXPECT_EQ(CNameId::fromId(owned[0]).getName(), "Hostel");
    EXPECT_EQ(CNameId::fromId(owned[1]).getName(), "Cafe");
    EXPECT_EQ(CNameId::fromId(owned[2]).getName(), "Ghost");
    std::vector<std::string> freeOnes = {CNameId::fromId(owned[3]).getName().c_str(),
                                     CNameId::fromId(owned[4]).getName().c_str()};
    std::sort(freeOnes.begin(), freeOnes.end());
    EXPECT_EQ(freeOnes, (std::vector<std::string>{"Camping", "TruckStation"}));
    EXPECT_EQ(GShopScene::ownedUpgrades(array<CNameId>(), nullptr).size(), 0u);

    // Scores less the prices the table knows; below zero, and held within an int.
    const struct {
        std::vector<s32> scores;
        bool withTable;
        s32 points;
    } sums[] = {{{1000, 2500, 0}, true, 2300},
                {{100}, true, -1100},
                {{1000, 2500, 0}, false, 3500},
                {{std::numeric_limits<s32>::max(), std::numeric_limits<s32>::max()}, true,
                 std::numeric_limits<s32>::max()}};
    for (const auto& c : sums) {
        array<s32> scores;
        for (s32 score : c.scores) scores.push_back(score);
        EXPECT_EQ(GShopScene::pointsOf(scores, owned, c.withTable ? table : nullptr), c.points)
            << c.points;
    }
}

TEST(Shop, AButtonIsEnabledWhenThePointsReachItsPrice) {
    ShopWorld world;
    ShopPlayer player;
    CRefPtr<GShopScene> shop = world.makeShop();
    GShopButton* hostel = buttonOf(shop.get(), "Hostel");
    player.profile()->setString(ProfileKeyScores, "700;500");
    shop->refresh(false);
    EXPECT_EQ(shop->getMoney(), 1200);
    EXPECT_TRUE(hostel->isEnabled());
    EXPECT_EQ(textOf(hostel->getPriceText()), "1,200");
    player.profile()->setString(ProfileKeyScores, "700;499");
    shop->refresh(false);
    EXPECT_FALSE(hostel->isEnabled());
    EXPECT_FALSE(hostel->isLocked());
    EXPECT_TRUE(hostel->getPriceText()->isVisible());
    // A disabled button buys nothing.
    EXPECT_FALSE(press(shop.get(), hostel));
    EXPECT_EQ(player.bought(), "");
}

TEST(Shop, BuyingAppendsTheNameAndRefreshes) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "5000");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    EXPECT_FALSE(press(shop.get(), buttonOf(shop.get(), "Statue")));
    EXPECT_EQ(player.bought(), "Statue");
    EXPECT_EQ(shop->getMoney(), 4700);
    EXPECT_TRUE(buttonOf(shop.get(), "Statue")->isBought());
    EXPECT_EQ(world.services.progress->getCounter(2), 1);
    EXPECT_FALSE(press(shop.get(), buttonOf(shop.get(), "Garden")));
    EXPECT_EQ(player.bought(), "Statue;Garden");
    EXPECT_EQ(shop->getMoney(), 4300);
    EXPECT_EQ(textOf(shop->getScoreText()), "4,300 points");
    // Pressing a bought one again buys nothing.
    EXPECT_FALSE(press(shop.get(), buttonOf(shop.get(), "Garden")));
    EXPECT_EQ(player.bought(), "Statue;Garden");
    // A shop button outside "ShopButtons" is not for sale.
    auto stray = makeRef<GShopButton>(CCreationContext());
    stray->setNameId(id("Memorial"));
    stray->setUpgradeName(CNameId("Memorial").getId());
    shop->findChildByName(id("Scene"), 1)->addChild(stray.get());
    EXPECT_FALSE(press(shop.get(), stray.get()));
    EXPECT_EQ(player.bought(), "Statue;Garden");
}

TEST(Shop, TheSecondStageTakesTheFirstOnesPlaceOnceItIsOwned) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "100000");
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 2);
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    GShopButton* aqua = buttonOf(shop.get(), "AquaPark");
    GShopButton* aqua2 = buttonOf(shop.get(), "AquaParkFeature2");
    EXPECT_TRUE(aqua->isVisible());
    EXPECT_FALSE(aqua2->isVisible());
    press(shop.get(), aqua);
    EXPECT_FALSE(aqua->isVisible());
    EXPECT_TRUE(aqua2->isVisible());
    // The free truck station is owned from the start; its second stage shows at once.
    EXPECT_FALSE(buttonOf(shop.get(), "TruckStation")->isVisible());
    EXPECT_TRUE(buttonOf(shop.get(), "TruckStationFeature2")->isVisible());
    // A first stage not on offer yet keeps its place.
    std::vector<SUpgrade> later(std::begin(kUpgrades), std::end(kUpgrades));
    for (SUpgrade& u : later)
        if (std::string(u.name) == "REAgency") u.level = 9;
    world.setUpgrades(later);
    shop->refresh(false);
    EXPECT_TRUE(buttonOf(shop.get(), "REAgency")->isLocked());
    EXPECT_TRUE(buttonOf(shop.get(), "REAgency")->isVisible());
    EXPECT_FALSE(buttonOf(shop.get(), "REAgencyFeature2")->isVisible());
}

TEST(Shop, HighlightsFollowTheCurrentLocationAndButtonsTheHighestCompleted) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "100000");
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 8);
    player.profile()->setInt(ProfileKeyLevelIndex, 0);
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    EXPECT_FALSE(shop->getHighlightTemplate()->isVisible());
    GShopButton* hotel = buttonOf(shop.get(), "HotelN6");
    EXPECT_FALSE(hotel->isLocked());              // on offer by M
    EXPECT_STREQ(highlightState(hotel), "none");  // but not marked at location 0
    EXPECT_STREQ(highlightState(buttonOf(shop.get(), "Hostel")), "On");
    EXPECT_STREQ(highlightState(buttonOf(shop.get(), "Camping")), "Off");         // owned
    EXPECT_STREQ(highlightState(buttonOf(shop.get(), "BusinessHotel")), "none");  // Level 2
    BaseNode* highlight =
        buttonOf(shop.get(), "Hostel")->findChildByName(id("ShopButtonHLNode"), 1);
    EXPECT_TRUE(highlight->isVisible());
    EXPECT_EQ(highlight->getPosition(), vector3df(0, 0, 10));

    // At location 8 the Level 8 upgrade is marked, also while M no longer offers it.
    player.profile()->setInt(ProfileKeyLevelIndex, 8);
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 7);
    shop->updateHighlights();
    shop->refresh(false);
    EXPECT_STREQ(highlightState(hotel), "On");
    EXPECT_TRUE(hotel->isLocked());
    // Buying turns a mark off; a location further back turns every mark that no longer applies
    // off, and no button gets a second one.
    press(shop.get(), buttonOf(shop.get(), "Hostel"));
    EXPECT_STREQ(highlightState(buttonOf(shop.get(), "Hostel")), "Off");
    player.profile()->setInt(ProfileKeyLevelIndex, 0);
    shop->updateHighlights();
    EXPECT_STREQ(highlightState(hotel), "Off");
    u32 marks = 0;
    for (BaseNode* child : hotel->getChildren())
        if (child->getNodeName() == "ShopButtonHLNode") ++marks;
    EXPECT_EQ(marks, 1u);
}

TEST(Shop, CompletingAGroupShowsItsPopUpOnce) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "100000");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    EXPECT_EQ(world.services.progress->getCounter(1), 1);  // the free café
    press(shop.get(), buttonOf(shop.get(), "CityMall"));
    world.step(1000);
    EXPECT_EQ(world.popUps(), 0u);
    // The third of the leisure group.
    press(shop.get(), buttonOf(shop.get(), "AquaPark"));
    world.step(1000);
    EXPECT_EQ(world.popUps(), 1u);
    EXPECT_EQ(world.services.popUpCues(), 1u);
    EXPECT_TRUE(world.services.progress->isEarned(1));
    auto* popUp = dynamic_cast<GAchievementUnlockedScene*>(world.manager->getCurrentScene());
    ASSERT_NE(popUp, nullptr);
    ASSERT_NE(popUp->getNameText(), nullptr);
    EXPECT_EQ(popUp->getNameText()->getText(), world.services.progress->getNameKey(1));
    EXPECT_EQ(world.shownScenes(),
              (std::vector<std::string>{"ShopScene", "AchievementUnlockedScene"}));
    // Closed, the shop comes back without announcing it again.
    EXPECT_TRUE(keyUp(popUp, VirtualKeyEnter));
    world.step(1000);
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), shop.get());
    EXPECT_EQ(world.popUps(), 0u);
    EXPECT_EQ(world.services.popUpCues(), 1u);
    // The purchase was saved with the tracker.
    EXPECT_EQ(player.profile()->getString(ProfileKeyAchievementsProgress),
              "1;3;0;1;0;0;0;0;0;0;0;0");
}

TEST(Shop, AGroupCompletedBeforeEntryShowsItsPopUpOnEntry) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "100000");
    player.profile()->setString(ProfileKeyBoughtUpgrades, "Statue;Garden;Memorial");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    world.step(1000);
    EXPECT_EQ(world.popUps(), 1u);
    EXPECT_EQ(world.services.popUpCues(), 1u);
    EXPECT_EQ(world.manager->getCurrentScene()->getTypeId(), GameNodeTypeAchievementUnlockedScene);
    EXPECT_TRUE(world.services.progress->isEarned(2));
}

TEST(Shop, ThePopUpIsSkippedWhenItsFileIsNotThePopUp) {
    ShopWorld world;
    ShopPlayer player;
    world.write(GAchievementUnlockedScene::SceneFile,
                "<?xml version=\"1.0\"?><SceneNode Type=\"SceneNode\"><Properties>"
                "<string Name=\"Name\" Value=\"Other\"/></Properties></SceneNode>");
    player.profile()->setString(ProfileKeyBoughtUpgrades, "Statue;Garden;Memorial");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    world.step(1000);
    EXPECT_EQ(world.manager->getCurrentScene(), shop.get());
    EXPECT_EQ(world.services.popUpCues(), 0u);
    EXPECT_TRUE(world.services.progress->isEarned(2));  // earned all the same
}

// The developer key stores every upgrade, the free ones too: each still counts once.
TEST(Shop, TheDeveloperKeyGivesEveryUpgradeCountedOnce) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setString(ProfileKeyScores, "40000");
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 30);  // everything on offer
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    // Without the access code the key is the base's.
    EXPECT_FALSE(keyUp(shop.get(), GShopScene::AllUpgradesKey));
    EXPECT_EQ(player.bought(), "");

    world.services.developerKeys = true;
    EXPECT_TRUE(keyUp(shop.get(), GShopScene::AllUpgradesKey));
    std::string all;
    s32 prices = 0;
    for (const auto& [name, record] : world.services.upgrades->getRecords()) {
        all += (all.empty() ? "" : ";") + std::string(name.getName().c_str());
        prices += record->Price;
    }
    EXPECT_EQ(player.bought(), all);
    EXPECT_EQ(shop->getMoney(), 40000 - prices);
    for (s32 group = 0; group < 4; ++group)
        EXPECT_EQ(world.services.progress->getCounter(group),
                  static_cast<s32>(GShopScene::groupNames(static_cast<u32>(group)).size()))
            << group;
    for (GShopButton* button : shop->getShopButtons()) {
        EXPECT_TRUE(button->isBought()) << button->getNodeName().c_str();
        EXPECT_FALSE(button->isEnabled()) << button->getNodeName().c_str();
    }
    const std::vector<s32> owned = shop->getOwnedUpgrades();
    EXPECT_EQ(owned.size(), world.services.upgrades->size());
    // Every group crossed at once: a pop-up each.
    world.step(1000);
    EXPECT_EQ(world.services.popUpCues(), 4u);
    // A second press changes no count and announces nothing.
    EXPECT_TRUE(keyUp(world.manager->getCurrentScene(), VirtualKeyEscape));
    EXPECT_TRUE(keyUp(shop.get(), GShopScene::AllUpgradesKey));
    EXPECT_EQ(world.services.progress->getCounter(0), 6);
    EXPECT_EQ(world.services.popUpCues(), 4u);
}

TEST(Shop, APurchaseSurvivesReadingTheProfileFileAgain) {
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("brasquel-shop-profiles-" + std::to_string(::getpid()));
    fs::create_directories(root / "data");
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string previousData = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    CFileSystem* files = new CFileSystemLinux();
    files->setPublisherName("Quorvane");
    files->setTitleName("Brasquel");
    CRefPtr<CPropertySet> settings = createEngineSettings();
    CProfileManager& profiles = CProfileManager::instance();
    profiles.setServices(files, settings.get());
    {
        ShopWorld world;
        ShopPlayer player;
        player.profile()->setString(ProfileKeyScores, "3000");
        CRefPtr<GShopScene> shop = world.makeShop();
        world.show(shop.get());
        press(shop.get(), buttonOf(shop.get(), "PRAgency"));
        EXPECT_EQ(player.bought(), "PRAgency");

        auto reread = makeRef<CProfileManager>();
        reread->setServices(files, settings.get());
        EXPECT_TRUE(reread->loadUserProfiles());
        CProfile* saved = reread->findProfile(L"Shopper");
        ASSERT_NE(saved, nullptr);
        EXPECT_EQ(saved->getString(ProfileKeyBoughtUpgrades), "PRAgency");
        EXPECT_EQ(saved->getString(ProfileKeyScores), "3000");
    }
    profiles.setServices(nullptr, nullptr);
    files->drop();
    if (oldData)
        setenv("XDG_DATA_HOME", previousData.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
}

TEST(Shop, WithoutAPlayerNothingIsComputedOrBought) {
    ShopWorld world;
    ASSERT_EQ(CProfileManager::instance().getActiveProfile(), nullptr);
    CRefPtr<GShopScene> shop = world.makeShop();
    shop->getScoreText()->setText(L"untouched");
    world.show(shop.get());
    EXPECT_EQ(textOf(shop->getScoreText()), "untouched");
    EXPECT_FALSE(buttonOf(shop.get(), "Hostel")->isLocked());
    EXPECT_FALSE(press(shop.get(), buttonOf(shop.get(), "Hostel")));
    EXPECT_TRUE(shop->getOwnedUpgrades().empty());
    EXPECT_EQ(world.services.progress->getCounter(0), 1);
}

TEST(Shop, HoveringAButtonShowsItsHintBesideIt) {
    ShopWorld world;
    ShopPlayer player;
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    BaseNode* hint = shop->getHintNode();
    EXPECT_FALSE(hint->isVisible());
    GShopButton* garden = buttonOf(shop.get(), "Garden");
    EXPECT_TRUE(shop->onEvent(makeEvent<CEventNodeHovered>(garden, nullptr).get()));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->getPosition(),
              vector3df(garden->getPosition().X + 50, garden->getPosition().Y, 1000));
    EXPECT_EQ(textOf(asTextNode(hint->findChildByName(id("Title"), 1))), "Price: 400");
    EXPECT_EQ(textOf(asTextNode(hint->findChildByName(id("Info"), 1))), "About Garden");
    EXPECT_EQ(world.services.playedCues(), std::vector<std::string>{"ButtonOver"});
    // Leaving hides it; the answer tells whether a shop button was left.
    EXPECT_TRUE(shop->onEvent(makeEvent<CEventNodeUnhovered>(garden, nullptr).get()));
    EXPECT_FALSE(hint->isVisible());
    BaseNode* back = shop->findChildByName(id("BackButton"), 0);
    EXPECT_FALSE(shop->onEvent(makeEvent<CEventNodeHovered>(back, nullptr).get()));
    EXPECT_FALSE(shop->onEvent(makeEvent<CEventNodeUnhovered>(back, nullptr).get()));
    // A button whose upgrade the table lacks hides the hint.
    shop->showUpgradeHint(garden);
    world.setUpgrades({{"Camping", 0, 0}});
    shop->showUpgradeHint(garden);
    EXPECT_FALSE(hint->isVisible());
}

TEST(Shop, TheBackButtonAndEscapeGoBack) {
    for (bool byKey : {false, true}) {
        ShopWorld world;
        ShopPlayer player;
        CRefPtr<SceneNode> map = makeScene("Map");
        world.show(map.get());
        CRefPtr<GShopScene> shop = world.makeShop();
        ASSERT_TRUE(map->switchTo(shop.get()));
        world.step(1000);
        world.step(1000);
        ASSERT_EQ(world.manager->getCurrentScene(), shop.get());
        if (byKey)
            EXPECT_TRUE(keyUp(shop.get(), VirtualKeyEscape));
        else
            EXPECT_TRUE(pressByName(shop.get(), "BackButton"));
        world.step(1000);
        world.step(1000);
        EXPECT_EQ(world.manager->getCurrentScene(), map.get()) << byKey;
        // Return is not the shop's key.
        EXPECT_FALSE(keyUp(shop.get(), VirtualKeyEnter));
    }
}

// ---- The tutorials ----

namespace {

void allowTutorials(ShopPlayer& player, const char* flag) {
    player.profile()->setBool(ProfileKeyShowTutorialOn, true);
    player.profile()->setBool(ProfileKeyShowTutorialShop1, std::string(flag) == "1");
    player.profile()->setBool(ProfileKeyShowTutorialShop2, std::string(flag) == "2");
}

// What the tutorial was asked, updates left out.
std::vector<std::string> callsBesidesUpdates(const RecordingTutorial& tutorial) {
    std::vector<std::string> calls;
    for (const std::string& call : tutorial.calls)
        if (call.rfind("update", 0) != 0) calls.push_back(call);
    return calls;
}

}  // namespace

TEST(Shop, EachTutorialComesAtItsProgressWhileItsFlagIsSet) {
    struct Case {
        s32 maxUnlocked;
        const char* flag;  // the shop tutorial flag that is set ("1" or "2"); the other is not
        bool shown;
    };
    const Case cases[] = {{2, "1", true},  {7, "2", true},  {2, "2", false},
                          {7, "1", false}, {3, "1", false}, {0, "1", false}};
    for (const Case& c : cases) {
        ShopWorld world;
        ShopPlayer player;
        world.write(GShopScene::Tutorial1File, "<Tutorial1/>");
        world.write(GShopScene::Tutorial2File, "<Tutorial2/>");
        player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, c.maxUnlocked);
        allowTutorials(player, c.flag);
        CRefPtr<GShopScene> shop = world.makeShop();
        world.show(shop.get());
        if (!c.shown) {
            EXPECT_TRUE(world.services.calls.empty()) << c.maxUnlocked << c.flag;
            EXPECT_EQ(shop->getTutorial(), nullptr);
            continue;
        }
        EXPECT_EQ(world.services.calls,
                  std::vector<std::string>{"create over Scene with templates with content true"});
        ASSERT_EQ(world.services.tutorials.size(), 1u);
        const RecordingTutorial& tutorial = *world.services.tutorials[0];
        EXPECT_EQ(callsBesidesUpdates(tutorial), (std::vector<std::string>{"load", "start"}));
        EXPECT_EQ(tutorial.levelReceiver, nullptr);
        EXPECT_EQ(std::string(shop->getTutorialFlagKey().c_str()),
                  std::string("ShowTutorialShop") + c.flag);
        EXPECT_EQ(shop->getTutorial(), world.services.tutorials[0].get());
        // It sees the shop's events before the shop's own handlers.
        ASSERT_EQ(shop->getPreReceivers().size(), 1u);
        EXPECT_EQ(shop->getPreReceivers()[0], world.services.tutorials[0].get());
    }
    // Tutorials off: none at all.
    ShopWorld world;
    ShopPlayer player;
    world.write(GShopScene::Tutorial1File, "<Tutorial1/>");
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 2);
    allowTutorials(player, "1");
    player.profile()->setBool(ProfileKeyShowTutorialOn, false);
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    EXPECT_TRUE(world.services.calls.empty());
}

TEST(Shop, TheTutorialRunsUntilItEndsAndItsFlagClearsOnLeaving) {
    ShopWorld world;
    ShopPlayer player;
    world.write(GShopScene::Tutorial1File, "<Tutorial1/>");
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 2);
    allowTutorials(player, "1");
    CRefPtr<SceneNode> map = makeScene("Map");
    world.show(map.get());
    CRefPtr<GShopScene> shop = world.makeShop();
    map->switchTo(shop.get());
    world.step(1000);
    world.step(1000);
    ASSERT_EQ(world.services.tutorials.size(), 1u);
    RecordingTutorial& tutorial = *world.services.tutorials[0];
    EXPECT_STREQ(shop->getTutorialFlagKey().c_str(), ProfileKeyShowTutorialShop1);
    // Updated with the shop's period, from the end of its entry.
    const size_t before = tutorial.calls.size();
    world.step(300);
    ASSERT_GE(tutorial.calls.size(), before + 9);
    EXPECT_EQ(tutorial.calls.back(), "update 30");
    // Still running when the player leaves: the flag clears all the same.
    EXPECT_TRUE(player.profile()->getBool(ProfileKeyShowTutorialShop1));
    pressByName(shop.get(), "BackButton");
    world.step(1000);
    world.step(1000);
    EXPECT_FALSE(player.profile()->getBool(ProfileKeyShowTutorialShop1));
    EXPECT_EQ(shop->getTutorial(), nullptr);
    EXPECT_TRUE(shop->getPreReceivers().empty());
    EXPECT_EQ(callsBesidesUpdates(tutorial), (std::vector<std::string>{"load", "start", "stop"}));
}

TEST(Shop, ATutorialThatEndsIsRemovedAndTheSkipButtonStopsIt) {
    ShopWorld world;
    ShopPlayer player;
    world.write(GShopScene::Tutorial2File, "<Tutorial2/>");
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 7);
    allowTutorials(player, "2");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    ASSERT_NE(shop->getTutorial(), nullptr);
    RecordingTutorial& first = *world.services.tutorials[0];
    first.updatesUntilEnd = 1;
    world.step(100);
    EXPECT_EQ(shop->getTutorial(), nullptr);
    EXPECT_TRUE(shop->getPreReceivers().empty());
    EXPECT_EQ(callsBesidesUpdates(first), (std::vector<std::string>{"load", "start", "stop"}));
    // The skip button stops a running one and switches the tutorials off (not saved).
    shop->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(nullptr, shop.get(), true).get());
    ASSERT_EQ(world.services.tutorials.size(), 2u);
    ASSERT_NE(shop->getTutorial(), nullptr);
    BaseNode* skip = newNode("SkipTutorialButton", shop->findChildByName(id("Scene"), 1)).get();
    EXPECT_FALSE(press(shop.get(), skip));
    EXPECT_EQ(world.services.tutorials[1]->calls.back(), "stop");
    EXPECT_FALSE(player.profile()->getBool(ProfileKeyShowTutorialOn));
}

TEST(Shop, WithoutItsFileOrItsWindowThereIsNoTutorial) {
    ShopWorld world;
    ShopPlayer player;
    player.profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 2);
    allowTutorials(player, "1");
    CRefPtr<GShopScene> shop = world.makeShop();
    world.show(shop.get());
    EXPECT_TRUE(world.services.calls.empty());
    EXPECT_EQ(shop->getTutorial(), nullptr);
    // A tutorial that cannot show its window is dropped.
    world.write(GShopScene::Tutorial1File, "<Tutorial1/>");
    world.services.tutorialsLoad = false;
    shop->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(nullptr, shop.get(), true).get());
    ASSERT_EQ(world.services.tutorials.size(), 1u);
    EXPECT_EQ(shop->getTutorial(), nullptr);
    EXPECT_TRUE(shop->getPreReceivers().empty());
    EXPECT_EQ(world.services.tutorials[0]->getReferenceCount(), 1);
    // The application may make none either.
    world.services.makeTutorials = false;
    shop->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(nullptr, shop.get(), true).get());
    EXPECT_EQ(world.services.calls.size(), 2u);
    EXPECT_EQ(shop->getTutorial(), nullptr);
}
