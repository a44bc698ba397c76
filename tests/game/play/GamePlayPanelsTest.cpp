// The play screen's panels over a running level: the press dispatch and the building actions,
// the action-button panels and recharge fills, the HUD counters and rating, the offer and build
// lists, the choice of the selected lot's page and the build menus.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "game/play/GBuildingTypeTables.h"
#include "tests/game/play/PanelsWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// The lots of most tests: an owned camping, an owned empty place, a camping for sale to the
// player, a mall with one feature, a statue with two, a truck station and a ruin.
std::string someLots() {
    return LotWorld::lot("Camp", "Camping1", 100, 100, true) +
           LotWorld::lot("Place", "BuildingPlace", 300, 100, true) +
           LotWorld::lot("Foreign", "Camping1", 500, 100, false) +
           LotWorld::lot("Mall", "CityMall", 100, 300, true) +
           LotWorld::lot("Statue", "Statue", 300, 300, true) +
           LotWorld::lot("Truck", "TruckStation", 500, 300, true) +
           LotWorld::lot("Ruin", "Ruin", 700, 300, true);
}

SpriteNode* cardPart(ButtonNode* button, u32 index) {
    ControlNode* card = button->getTemplateInstance();
    BaseNode* part = card && card->getChildCount() > index ? card->getChildren()[index] : nullptr;
    return part && part->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(part) : nullptr;
}

}  // namespace

// ---- Dispatch ----

TEST(GamePlayPanels, EachBuildingButtonActsOnTheFocusedLotWithItsConsumedFlag) {
    struct Case {
        const char* button;
        const char* lot;
        std::function<void(GBuildingNode*)> before;
        std::function<bool(PanelsWorld&, GBuildingNode*)> done;
        bool consumed;
    };
    const auto none = [](GBuildingNode*) {};
    const Case cases[] = {
        {"DestroyButton", "Camp", none,
         [](PanelsWorld& w, GBuildingNode* l) {
             return l->getProcessKind() == BuildingProcessDemolition &&
                    !w.play->m_workersInfoNode->isVisible();
         },
         true},
        {"UpgradeButton", "Camp", none,
         [](PanelsWorld& w, GBuildingNode* l) {
             return l->getProcessKind() == BuildingProcessConstruction &&
                    !w.play->m_materialsWorkersTooltipNode->isVisible();
         },
         true},
        {"RepairButton", "Camp", [](GBuildingNode* l) { l->setProblemState(BuildingProblemBroken); },
         [](PanelsWorld&, GBuildingNode* l) {
             return l->getProcessKind() == BuildingProcessMaintenance;
         },
         true},
        {"SellButton", "Camp", none,
         [](PanelsWorld&, GBuildingNode* l) { return l->isForSale(); }, true},
        {"BuyButton", "Foreign", [](GBuildingNode* l) { l->setForSale(true); },
         [](PanelsWorld& w, GBuildingNode* l) {
             return l->isOwnedByThePlayer() && !w.play->m_moneyInfoNode->isVisible();
         },
         true},
        {"AcceptSellOfferButton", "Camp",
         [](GBuildingNode* l) {
             l->setForSale(true);
             l->showBuyOffer(true);
         },
         [](PanelsWorld&, GBuildingNode* l) { return !l->isOwnedByThePlayer(); }, false},
        {"ActiveFeature1Button", "Mall", none,
         [](PanelsWorld&, GBuildingNode* l) {
             return l->getFeatureState(0) == GBuildingFeatureState::Active;
         },
         true},
    };
    for (const Case& c : cases) {
        PanelsWorld w;
        w.startWith(someLots());
        GBuildingNode* lot = w.lotNamed(c.lot);
        c.before(lot);
        w.focus(c.lot);
        EXPECT_EQ(w.press(c.button), c.consumed) << c.button;
        EXPECT_TRUE(c.done(w, lot)) << c.button;
    }
}

TEST(GamePlayPanels, BuildingButtonsDoNothingWithoutALevelOrAFocusedLot) {
    const std::pair<const char*, bool> rows[] = {
        {"DestroyButton", true},      {"UpgradeButton", true},
        {"AbortButton", true},        {"RepairButton", true},
        {"CleanButton", true},        {"SellButton", true},
        {"BuyButton", true},          {"AcceptSellOfferButton", false},
        {"DeclineSellOfferButton", false}, {"CustomServeButton", true},
        {"ActiveFeature1Button", true}, {"ActiveFeature2Button", true},
        {"ActiveFeature3Button", true},
    };
    PanelsWorld w;
    w.startWith(someLots());
    w.lotNamed("Ruin")->setProblemState(BuildingProblemRuin);
    const f32 money = w.level->Money;
    for (bool withLevel : {true, false}) {
        w.play->m_levelScene = withLevel ? w.level : CRefPtr<GGameLevelScene>();
        for (const auto& [button, consumed] : rows)
            EXPECT_EQ(w.press(button), consumed) << button << " level " << withLevel;
    }
    EXPECT_EQ(w.level->Money, money);
    EXPECT_FALSE(w.lotNamed("Camp")->isForSale());
    for (const CRefPtr<GBuildingNode>& lot : w.level->getBuildings())
        EXPECT_EQ(lot->getProcessKind(), BuildingProcessNone) << lot->getNodeName().c_str();
    EXPECT_TRUE(w.play->m_materialsWorkersTooltipNode->isVisible());
    EXPECT_TRUE(w.play->m_moneyInfoNode->isVisible());
    EXPECT_FALSE(w.press("SomeOtherButton"));
}

TEST(GamePlayPanels, AbortStopsConstructionDemolitionAndMaintenanceOnly) {
    PanelsWorld w;
    w.startWith(someLots());
    GBuildingNode* camp = w.focus("Camp");
    ASSERT_TRUE(w.level->upgradeBuilding(camp));
    w.play->m_previewedPlace = camp;
    w.tabs->selectTab(GGamePlayScene::TabHotels, true);
    EXPECT_TRUE(w.press("AbortButton"));
    EXPECT_EQ(camp->getProcessKind(), BuildingProcessNone);
    EXPECT_EQ(w.play->m_previewedPlace, nullptr);
    // The lot is selected again: its page comes back.
    EXPECT_EQ(w.tabs->getActiveTabIndex(), GGamePlayScene::TabBuilding);

    for (s32 kind : {BuildingProcessTimedService, BuildingProcessFeature}) {
        camp->setProcess(kind, nullptr);
        EXPECT_TRUE(w.press("AbortButton"));
        EXPECT_EQ(camp->getProcessKind(), kind);
        camp->setProcess(BuildingProcessNone, nullptr);
    }
}

TEST(GamePlayPanels, CustomServeRestoresARuinOfType3ButServesAType2InState3) {
    PanelsWorld w;
    w.startWith(someLots());
    for (const char* name : {"Ruin", "Statue"})
        w.lotNamed(name)->setProblemState(BuildingProblemRuin);
    w.focus("Statue");
    EXPECT_TRUE(w.press("CustomServeButton"));
    EXPECT_EQ(w.lotNamed("Statue")->getProcessKind(), BuildingProcessNone);
    EXPECT_TRUE(w.play->m_materialsWorkersTooltipNode->isVisible());

    w.focus("Ruin");
    EXPECT_TRUE(w.press("CustomServeButton"));
    EXPECT_EQ(w.lotNamed("Ruin")->getProcessKind(), BuildingProcessMaintenance);
    EXPECT_FALSE(w.play->m_materialsWorkersTooltipNode->isVisible());
}

// ---- Panels ----

TEST(GamePlayPanels, TheRechargeFillSplitsTheCard) {
    PanelsWorld w;
    w.startWith(someLots());
    ButtonNode* button = w.button(w.play->m_tabs[5], "Card");
    button->setTemplateByName("Game_MallFeature1Button");
    ASSERT_NE(cardPart(button, 1), nullptr);
    struct Case {
        f32 fraction;
        f32 faceHeight;
        bool fillShown;
        f32 fillY, fillHeight;
    };
    for (const Case& c : {Case{-1.0f, 101, false, 0, 0}, Case{0.0f, 96, true, 96, 5},
                          Case{0.5f, 50, true, 50, 51}, Case{1.0f, 5, true, 5, 96}}) {
        GGamePlayScene::setRechargeOverlay(button, c.fraction);
        SpriteNode* face = cardPart(button, 0);
        SpriteNode* fill = cardPart(button, 1);
        EXPECT_EQ(face->getBounds().X, 119.0f) << c.fraction;
        EXPECT_EQ(face->getBounds().Y, c.faceHeight) << c.fraction;
        EXPECT_EQ(face->getImageStretchY(), SpriteNode::StretchCrop) << c.fraction;
        EXPECT_EQ(fill->isVisible(), c.fillShown) << c.fraction;
        if (!c.fillShown) continue;
        EXPECT_EQ(fill->getPosition().Y, c.fillY) << c.fraction;
        EXPECT_EQ(fill->getBounds().Y, c.fillHeight) << c.fraction;
        EXPECT_EQ(fill->getImagePivotPoint().Y, c.fillY) << c.fraction;
    }
    // A card of fewer than two sprites is left alone.
    ButtonNode* plain = w.button(w.play->m_tabs[5], "Plain");
    GGamePlayScene::setRechargeOverlay(plain, 0.5f);
    GGamePlayScene::setRechargeOverlay(nullptr, 0.5f);
    EXPECT_EQ(plain->getTemplateInstance() ? plain->getTemplateInstance()->getChildCount() : 0u,
              0u);
}

TEST(GamePlayPanels, FeatureButtonsFollowTheFeatureCount) {
    PanelsWorld w;
    w.allow({}, {{"Statue", 2}});
    w.startWith(someLots());
    BaseNode* joy = w.play->m_tabs[5]->findChildByName("JoyButtonsNode", 1);
    auto* first = asButtonNode(joy->findChildByName("ActiveFeature1Button", 1));
    auto* second = asButtonNode(joy->findChildByName("ActiveFeature2Button", 1));

    w.play->refreshFeatureButtons(w.lotNamed("Mall"), joy);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(first->getPosition(), vector3df(625, 10, 0));
    EXPECT_EQ(first->getTemplateName(), CNameId("Game_MallFeature1Button").getId());
    EXPECT_TRUE(first->isEnabled());
    EXPECT_FALSE(joy->findChildByName("SellButton", 1)->isVisible());

    GBuildingNode* statue = w.lotNamed("Statue");
    w.play->refreshFeatureButtons(statue, joy);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(first->getPosition(), vector3df(564, 10, 0));
    EXPECT_EQ(second->getPosition(), vector3df(685, 10, 0));
    EXPECT_EQ(second->getTemplateName(), CNameId("Game_StatueFeature2Button").getId());
    EXPECT_TRUE(first->isEnabled());
    EXPECT_TRUE(second->isEnabled());

    // While feature 1 runs, neither can be pressed; the running one shows its fill.
    statue->startFeature(0);
    w.play->refreshFeatureButtons(statue, joy);
    EXPECT_FALSE(first->isEnabled());
    EXPECT_FALSE(second->isEnabled());
    EXPECT_TRUE(cardPart(first, 1)->isVisible());
    EXPECT_FALSE(cardPart(second, 1)->isVisible());
}

TEST(GamePlayPanels, ALockedSecondFeatureShowsTheLockUntilItIsUnlocked) {
    PanelsWorld w;
    w.startWith(someLots());
    BaseNode* joy = w.play->m_tabs[5]->findChildByName("JoyButtonsNode", 1);
    auto* second = asButtonNode(joy->findChildByName("ActiveFeature2Button", 1));
    auto* badge = static_cast<SpriteNode*>(second->findChildByName("AddImage", 1));
    GBuildingNode* statue = w.lotNamed("Statue");

    w.play->refreshFeatureButtons(statue, joy);
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(second->isEnabled());
    EXPECT_EQ(second->getTemplateName(), CNameId("Game_U").getId());
    EXPECT_NE(badge->getAtlasTexture(), nullptr);

    w.allow({}, {{"Statue", 2}});
    w.level->setUpgradeEffects(w.upgrades.get());
    w.play->refreshFeatureButtons(statue, joy);
    EXPECT_EQ(second->getTemplateName(), CNameId("Game_StatueFeature2Button").getId());
    EXPECT_EQ(badge->getAtlasTexture(), nullptr);
    EXPECT_TRUE(second->isEnabled());
}

// ---- HUD ----

TEST(GamePlayPanels, CountersTruncateMoneyAndRoundIncome) {
    PanelsWorld w;
    w.startWith(someLots());
    w.level->Money = 1234567.9f;
    w.level->Income = 2499.5f;
    w.level->Materials = 1500.7f;
    w.level->Workers = 3;
    w.level->WorkersTotal = 5;
    EXPECT_TRUE(w.play->onLevelChanged(nullptr));
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_moneyText), "$1,234,567");
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_incomeText), "$2,500");
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_materialsAmountTabText), "1500");
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_workersAmountTabText), "3/5");
    BaseNode* status = w.play->m_tabs[7];
    EXPECT_EQ(PanelsWorld::textOf(status->findChildByName("MoneyText", 1)), "Money 1,234,567");
    EXPECT_EQ(PanelsWorld::textOf(status->findChildByName("IncomeText", 1)), "Income 2,500");
}

TEST(GamePlayPanels, CountersBeyondTheIntRangeAreHeldAtItsEnds) {
    PanelsWorld w;
    w.startWith(someLots());
    w.level->Money = 1.0e12f;
    w.level->Income = -1.0e12f;
    w.level->TotalIncome = 3.0e15f;
    w.play->onLevelChanged(nullptr);
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_moneyText), "$2,147,483,647");
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_incomeText), "$-2,147,483,648");
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_tabs[7]->findChildByName("PossibleIncomeText", 1)),
              "Possible 2,147,483,647");
}

TEST(GamePlayPanels, TheRatingBarShowsTheWayToTheNextLevel) {
    struct Case {
        std::vector<s32> thresholds;
        f32 rating;
        s32 fullStars;
        f32 value, maximum;  // a maximum of 0: the bar is full, whatever its maximum
    };
    const Case cases[] = {
        {{0, 50}, 120.0f, 2, 20.0f, 50.0f},
        {{0, 50}, 0.0f, 0, 0.0f, 50.0f},
        // The last threshold is 0: nothing more to reach, the bar stays full.
        {{0, 50, 0}, 120.0f, 2, 0.0f, 0.0f},
        // A rating far past the table ends at once with every star full.
        {{0, 50}, 1.0e9f, 6, 0.0f, 50.0f},
    };
    for (const Case& c : cases) {
        PanelsWorld w;
        w.configuration->RatingThresholds.clear();
        for (s32 t : c.thresholds) w.configuration->RatingThresholds.push_back(t);
        w.startWith(someLots());
        w.level->Rating = c.rating;
        w.level->Guests = 1234;
        w.play->onLevelChanged(nullptr);
        if (c.maximum > 0.0f) {
            EXPECT_EQ(w.play->m_ratingBar->getMaxValue(), c.maximum) << c.rating;
            EXPECT_EQ(w.play->m_ratingBar->getValue(), c.value) << c.rating;
        } else {
            EXPECT_EQ(w.play->m_ratingBar->getValue(), w.play->m_ratingBar->getMaxValue());
        }
        EXPECT_EQ(PanelsWorld::textOf(w.play->m_ratingText), "1,234 guests");
        for (const auto* row : {&w.play->m_ratingStars, &w.play->m_summaryStars})
            for (size_t i = 0; i < row->size(); ++i)
                EXPECT_EQ(LotWorld::runningState((*row)[i]),
                          static_cast<s32>(i) < c.fullStars ? "Full" : "Empty")
                    << c.rating << " star " << i;
    }
}

// ---- Lists ----

TEST(GamePlayPanels, OfferListsTakeNumberedTemplatesAndFollowTheDelivery) {
    PanelsWorld w;
    for (int i = 0; i < 7; ++i)
        w.configuration->MaterialsOffers.push_back(
            makeRef<GLevelOffer>(i == 0 ? 1250.5f : 100.0f * (i + 1), 200.0f, 5000.0f));
    w.startWith(someLots());
    w.play->fillMaterialsList();
    ListNode* list = w.offerList(false);
    ASSERT_EQ(list->getItemsCount(), 7u);
    const char* suffixes = "1234555";
    for (s32 i = 0; i < 7; ++i)
        EXPECT_EQ(list->getItemTemplate(i),
                  CNameId((std::string("Game_MaterialsButton") + suffixes[i]).c_str()).getId());
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_materialsHintText), "Buy materials");

    // Money exactly the cost: enabled; a cent less: not.
    w.level->Money = 200.0f;
    w.play->refreshMaterialsTab();
    EXPECT_TRUE(list->isItemEnabled(0));
    EXPECT_EQ(toUtf8(list->getItemText(0, 0).c_str()), "1,250");
    EXPECT_EQ(toUtf8(list->getItemText(0, 1).c_str()), "$200");
    w.level->Money = 199.99f;
    w.play->refreshMaterialsTab();
    EXPECT_FALSE(list->isItemEnabled(0));

    // The order on its way: every offer disabled, the progress shown rounded.
    w.level->Money = 1000.0f;
    EXPECT_TRUE(w.pressItem(list, 0));
    EXPECT_EQ(w.level->Money, 800.0f);
    w.play->refreshMaterialsTab();
    EXPECT_TRUE(w.play->m_materialsProgressNode->isVisible());
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_materialsProgressNode->findChildByName("Text", 1)),
              "1,251 materials coming");
    for (s32 i = 0; i < 7; ++i) EXPECT_FALSE(list->isItemEnabled(i)) << i;
    const std::string hint = PanelsWorld::textOf(w.play->m_materialsHintText);
    EXPECT_TRUE(w.hoverItem(list, 1));
    EXPECT_EQ(PanelsWorld::textOf(w.play->m_materialsHintText), hint);

    // A second press while it comes keeps the paid order.
    EXPECT_TRUE(w.pressItem(list, 3));
    EXPECT_EQ(w.level->Money, 800.0f);
    EXPECT_EQ(w.level->MaterialsOrdered, 1250.5f);
}

TEST(GamePlayPanels, TheWorkersProgressNamesOneWorkerOrMany) {
    for (const auto& [count, text] :
         {std::pair<f32, const char*>{1.0f, "1 worker coming"}, {2.0f, "2 workers coming"}}) {
        PanelsWorld w;
        w.configuration->WorkersOffers.push_back(makeRef<GLevelOffer>(count, 100.0f, 5000.0f));
        w.startWith(someLots());
        w.play->fillWorkersList();
        ListNode* list = w.offerList(true);
        ASSERT_EQ(list->getItemsCount(), 1u);
        EXPECT_EQ(list->getItemTemplate(0), CNameId("Game_WorkersButton1").getId());
        EXPECT_TRUE(w.pressItem(list, 0));
        w.play->refreshWorkersTab();
        EXPECT_EQ(PanelsWorld::textOf(w.play->m_workersProgressNode->findChildByName("Text", 1)),
                  text);
    }
}

TEST(GamePlayPanels, BuildListsLockTypesTheUpgradesDoNotAllowAndBuildOnThePlace) {
    PanelsWorld w;
    w.allow({"Camping1"});
    w.startWith(someLots());
    w.play->fillHotelsBuildList();
    ListNode* hotels = w.play->m_hotelsBuildList;
    ASSERT_EQ(hotels->getItemsCount(), 6u);
    EXPECT_EQ(hotels->getItemTemplate(0), CNameId("Game_CampingButton").getId());
    EXPECT_TRUE(hotels->isItemEnabled(0));
    EXPECT_NE(hotels->getItemData(0), nullptr);
    // Hostel1 is in the catalogue but not allowed: its lock picture, no type.
    EXPECT_FALSE(hotels->isItemEnabled(1));
    EXPECT_EQ(hotels->getItemData(1), nullptr);
    EXPECT_EQ(hotels->getItemTemplate(1), -1);
    EXPECT_NE(hotels->getItemImage(1, 0), nullptr);

    // Hovering previews the type on the focused place; a locked entry clears it.
    GBuildingNode* place = w.focus("Place");
    EXPECT_TRUE(w.hoverItem(hotels, 0));
    EXPECT_EQ(w.play->m_previewedPlace, place);
    EXPECT_EQ(w.play->m_previewedType, w.type("Camping1"));
    EXPECT_TRUE(w.hoverItem(hotels, 1));
    EXPECT_EQ(w.play->m_previewedPlace, nullptr);
    EXPECT_FALSE(w.play->m_incomeGuestsInfoNode->isVisible());

    // A build on the focused place opens the building page.
    w.tabs->selectTab(GGamePlayScene::TabHotels, true);
    EXPECT_TRUE(w.pressItem(hotels, 0));
    EXPECT_EQ(place->getProcessKind(), BuildingProcessConstruction);
    EXPECT_EQ(w.tabs->getActiveTabIndex(), GGamePlayScene::TabBuilding);
    EXPECT_FALSE(w.play->m_materialsWorkersTooltipNode->isVisible());
    EXPECT_TRUE(w.play->m_buildingProgressNode->isVisible());
}

TEST(GamePlayPanels, AType1BuildingStandsOncePerLevel) {
    PanelsWorld w;
    w.allow({"Cafe", "CityMall"});
    w.startWith(someLots());  // an owned CityMall stands
    w.play->fillJoysBuildList();
    w.play->refreshBuildList(GGamePlayScene::BuildListJoys);
    ListNode* joys = w.play->m_joysBuildList;
    EXPECT_TRUE(joys->isItemEnabled(0));   // Cafe
    EXPECT_FALSE(joys->isItemEnabled(1));  // CityMall
    EXPECT_NE(joys->getItemData(1), nullptr);
    w.level->Materials = 0.0f;
    w.play->refreshBuildList(GGamePlayScene::BuildListJoys);
    EXPECT_FALSE(joys->isItemEnabled(0));
    // Another kind changes nothing.
    w.level->Materials = 100.0f;
    w.play->refreshBuildList(3);
    EXPECT_FALSE(joys->isItemEnabled(0));
}

// ---- Pages and menus ----

TEST(GamePlayPanels, TheSelectedLotChoosesItsPage) {
    struct Case {
        const char* name;
        const char* lot;  // none: no lot
        std::function<void(GBuildingNode*)> state;
        s32 page;
    };
    const auto none = [](GBuildingNode*) {};
    const Case cases[] = {
        {"no lot", nullptr, none, GGamePlayScene::TabStatus},
        {"not owned", "Foreign", none, GGamePlayScene::TabBuy},
        {"offer", "Camp",
         [](GBuildingNode* l) {
             l->setForSale(true);
             l->showBuyOffer(true);
         },
         GGamePlayScene::TabBuyRequest},
        {"for sale, no offer", "Camp", [](GBuildingNode* l) { l->setForSale(true); },
         GGamePlayScene::TabBuilding},
        {"empty place", "Place", none, GGamePlayScene::TabBuildingPlace},
        {"empty place for sale", "Place", [](GBuildingNode* l) { l->setForSale(true); },
         GGamePlayScene::TabBuildingPlace},
        {"place being built", "Place",
         [](GBuildingNode* l) { l->setProcess(BuildingProcessConstruction, nullptr); },
         GGamePlayScene::TabBuilding},
        {"building", "Camp", none, GGamePlayScene::TabBuilding},
    };
    for (const Case& c : cases) {
        PanelsWorld w;
        w.startWith(someLots());
        GBuildingNode* lot = c.lot ? w.focus(c.lot) : nullptr;
        if (lot) c.state(lot);
        w.tabs->selectTab(GGamePlayScene::TabHotels, true);
        auto event = makeEvent<GEventBuildingSelected>(lot, nullptr);
        EXPECT_TRUE(w.play->onBuildingSelected(event.get())) << c.name;
        EXPECT_EQ(w.tabs->getActiveTabIndex(), c.page) << c.name;
        if (lot) lot->setProcess(BuildingProcessNone, nullptr);
    }
}

TEST(GamePlayPanels, TheBuildingPageShowsOnePanelForTheLotsState) {
    PanelsWorld w;
    w.startWith(someLots());
    BaseNode* page = w.play->m_tabs[5];
    auto shown = [&] {
        std::string panels;
        for (const char* name : {"HotelButtonsNode", "JoyButtonsNode", "CustomServiceButtonsNode",
                                 "ProgressNode"})
            if (page->findChildByName(name, 1)->isVisible()) panels += name;
        return panels;
    };
    w.focus("Camp");
    w.play->refreshBuildingTab();
    EXPECT_EQ(shown(), "HotelButtonsNode");
    w.focus("Mall");
    w.play->refreshBuildingTab();
    EXPECT_EQ(shown(), "JoyButtonsNode");
    GBuildingNode* camp = w.focus("Camp");
    camp->setProblemState(BuildingProblemServiceB);
    w.play->refreshBuildingTab();
    EXPECT_EQ(shown(), "CustomServiceButtonsNode");
    auto* serve = static_cast<ControlNode*>(
        page->findChildByName("CustomServiceButtonsNode", 1)->findChildByName("CustomServeButton", 1));
    EXPECT_EQ(serve->getTemplateName(), CNameId("Game_CafeOrderButton").getId());
    camp->setProblemState(BuildingProblemNone);
    for (const auto& [kind, abortShown] :
         {std::pair<s32, bool>{BuildingProcessDemolition, true}, {BuildingProcessFeature, false}}) {
        camp->setProcess(kind, nullptr);
        w.play->refreshBuildingTab();
        EXPECT_EQ(shown(), "ProgressNode") << kind;
        EXPECT_EQ(w.play->m_buildingProgressNode->findChildByName("AbortButton", 1)->isVisible(),
                  abortShown);
    }
    camp->setProcess(BuildingProcessTimedService, nullptr);
    w.play->refreshBuildingTab();
    EXPECT_EQ(shown(), "HotelButtonsNode");
    camp->setProcess(BuildingProcessNone, nullptr);
}

TEST(GamePlayPanels, ACategoryOpensWhenItsFirstTypeIsAllowed) {
    PanelsWorld w;
    w.allow({"Hostel1", "Cafe"});
    w.startWith(someLots());
    w.play->refreshCategoryButtons();
    BaseNode* page = w.play->m_tabs[9];
    auto enabled = [&](const char* name) {
        return static_cast<ControlNode*>(page->findChildByName(name, 1))->isEnabled();
    };
    EXPECT_FALSE(enabled("HotelsButton"));
    EXPECT_TRUE(enabled("JoysButton"));
    EXPECT_FALSE(enabled("FactoriesButton"));
    EXPECT_TRUE(w.press("JoysButton"));
    EXPECT_EQ(w.tabs->getActiveTabIndex(), GGamePlayScene::TabJoys);
    EXPECT_TRUE(w.press("BackToBuildButton"));
    EXPECT_EQ(w.tabs->getActiveTabIndex(), GGamePlayScene::TabBuildingPlace);
}

TEST(GamePlayPanels, TheTablesHoldTheMenusTypesInOrder) {
    ASSERT_EQ(hotelBuildingTypes().size(), 6u);
    ASSERT_EQ(joyBuildingTypes().size(), 6u);
    ASSERT_EQ(factoryBuildingTypes().size(), 3u);
    EXPECT_EQ(hotelBuildingTypes()[4].name, CNameId("HotelN51"));
    EXPECT_EQ(hotelBuildingTypes()[4].lockImage,
              stringc("scenes/images/GameMenu/Buttons/HotelN5ButtonLock.png"));
    EXPECT_EQ(joyBuildingTypes()[5].name, CNameId("Memorial"));
    EXPECT_EQ(factoryBuildingTypes()[2].name, CNameId("PRAgency"));
    EXPECT_EQ(buildingTypesOfKind(GGamePlayScene::BuildListFactories), &factoryBuildingTypes());
    EXPECT_EQ(buildingTypesOfKind(GGamePlayScene::BuildListJoys), &joyBuildingTypes());
    EXPECT_EQ(buildingTypesOfKind(3), nullptr);
}
