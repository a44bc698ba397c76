// The hint lines of the play screen's pages as tables (page, control, state -> hint), the
// tooltips of hovered buttons, the feature pop-up and description, and the hints that must hold
// still while work runs on a lot.

#include <gtest/gtest.h>

#include <string>

#include "game/level/GBuildingProcess.h"
#include "tests/game/play/InfoWorld.h"

namespace brasquel::test {
namespace {

// A control of that name, enabled or not, with a template when one is named.
CRefPtr<ControlNode> control(InfoWorld& w, const char* name, bool enabled = true,
                             const char* templateName = nullptr) {
    CRefPtr<ControlNode> made = makeRef<ControlNode>(w.context(""));
    made->setNameId(id(name));
    made->setEnabled(enabled);
    if (templateName) made->setTemplateName(id(templateName));
    return made;
}

std::string hintOf(const InfoWorld& w, int page) {
    return InfoWorld::textOf(w.page(page)->findChildByName("HintText", 1));
}

TEST(BuildingPlaceHintTest, HintByHoveredControl) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    w.focus("P1");
    struct Row {
        const char* control;
        const char* templateName;
        const char* hint;
    } rows[] = {
        {nullptr, nullptr, "%Hint_BuildingPlace%"},
        {"SellButton", "Game_UnSellButton", "%Hint_BuildingPlaceUnSellButton%"},
        {"SellButton", "Game_SellButton", "%Hint_BuildingPlaceSellButton%"},
        {"HotelsButton", nullptr, "%Hint_BuildingPlaceHotels%"},
        {"JoysButton", nullptr, "%Hint_BuildingPlaceJoys%"},
        {"FactoriesButton", nullptr, "%Hint_BuildingPlaceFactories%"},
        // Any other control leaves the text as it was.
        {"MenuButton", nullptr, "%Hint_BuildingPlaceFactories%"},
    };
    for (const Row& row : rows) {
        CRefPtr<ControlNode> hovered =
            row.control ? control(w, row.control, true, row.templateName) : nullptr;
        w.info->updateBuildingPlaceHint(hovered.get());
        EXPECT_EQ(hintOf(w, 10), row.hint) << (row.control ? row.control : "none");
    }
    // Hovering the page's own buttons and leaving them.
    EXPECT_TRUE(w.hover(w.page(10)->findChildByName("JoysButton", 1)));
    EXPECT_EQ(hintOf(w, 10), "%Hint_BuildingPlaceJoys%");
    EXPECT_TRUE(w.unhover(w.page(10)->findChildByName("JoysButton", 1)));
    EXPECT_EQ(hintOf(w, 10), "%Hint_BuildingPlace%");
}

TEST(BuyHintTest, HintByPriceSaleAndBonus) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("M", "Palace1", 100, 100, false));
    GBuildingNode* lot = w.focus("M");
    struct Row {
        bool forSale;
        f32 bonus;
        f32 money;
        const char* hint;
    } rows[] = {
        // Not for sale and no full bonus: never, even with money enough.
        {false, 0.5f, 100000.0f, "%Hint_CantBuyNotForSaleButton%"},
        {true, 0.0f, 100000.0f, "%Hint_BuyButton%"},
        {true, 0.0f, 100.0f, "%Hint_CantBuyButton%"},
        {false, 1.0f, 100000.0f, "%Hint_BuyButton%"},
    };
    BaseNode* buy = w.page(7)->findChildByName("BuyButton", 1);
    for (const Row& row : rows) {
        lot->setForSale(row.forSale);
        w.configuration->Factors.BuyNotForSaleBuildingPriceBonus = row.bonus;
        w.level->Money = row.money;
        EXPECT_TRUE(w.hover(buy));
        EXPECT_EQ(hintOf(w, 7), row.hint) << row.forSale << " " << row.bonus << " " << row.money;
        EXPECT_TRUE(w.visibleAt("MoneyInfoNode"));
        const s32 price = static_cast<s32>(std::floor(lot->getPrice(nullptr) + 0.5f));
        EXPECT_EQ(w.textAt("MoneyInfoNode/MoneyText"),
                  "x $" + toUtf8(groupDigits(price, L',').c_str()));
        EXPECT_EQ(w.tintAt("MoneyInfoNode/MoneyText"), row.money < price
                                                           ? GGamePlayScene::TooltipShortColor
                                                           : GGamePlayScene::TooltipCoveredColor);
        EXPECT_TRUE(w.unhover(buy));
        EXPECT_EQ(hintOf(w, 7), "%Hint_BuyTab%");
        EXPECT_FALSE(w.visibleAt("MoneyInfoNode"));
    }
}

TEST(BuyRequestHintTest, HintByHoveredControl) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("H", "Palace1", 100, 100, true));
    w.focus("H");
    for (const auto& [name, hint] :
         {std::pair<const char*, const char*>{"AcceptSellOfferButton",
                                              "%Hint_BuyRequestAcceptButton%"},
          {"DeclineSellOfferButton", "%Hint_BuyRequestDeclineButton%"}}) {
        EXPECT_TRUE(w.hover(w.page(9)->findChildByName(name, 1)));
        EXPECT_EQ(hintOf(w, 9), hint);
        EXPECT_TRUE(w.unhover(w.page(9)->findChildByName(name, 1)));
        EXPECT_EQ(hintOf(w, 9), "%Hint_BuyRequestTab%");
    }
}

TEST(BuildingTabHintTest, HintByControlEnabledFlagAndProblem) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("H", "Palace1", 100, 100, true));
    GBuildingNode* hotel = w.focus("H");
    struct Row {
        const char* control;
        const char* templateName;
        bool enabled;
        s32 problem;
        const char* hint;
    } rows[] = {
        {"SellButton", "Game_UnSellButton", false, BuildingProblemNone,
         "%Hint_BuildingUnSellButton%"},
        {"SellButton", "Game_SellButton", true, BuildingProblemNone, "%Hint_BuildingSellButton%"},
        {"UpgradeButton", nullptr, true, BuildingProblemNone, "%Hint_BuildingTabUpgrade%"},
        {"UpgradeButton", nullptr, false, BuildingProblemNone, "%Hint_BuildingTabCantUpgrade%"},
        {"RepairButton", nullptr, true, BuildingProblemBroken, "%Hint_BuildingTabRepare%"},
        {"RepairButton", nullptr, false, BuildingProblemBroken, "%Hint_BuildingTabCantRepare%"},
        {"RepairButton", nullptr, true, BuildingProblemNone, "%Hint_BuildingTabNoRepare%"},
        {"RepairButton", nullptr, false, BuildingProblemNone, "%Hint_BuildingTabNoRepare%"},
        {"CleanButton", nullptr, true, BuildingProblemDirty, "%Hint_BuildingTabClean%"},
        {"CleanButton", nullptr, false, BuildingProblemDirty, "%Hint_BuildingTabCantClean%"},
        {"CleanButton", nullptr, true, BuildingProblemBroken, "%Hint_BuildingTabNoClean%"},
        {"DestroyButton", nullptr, true, BuildingProblemNone, "%Hint_BuildingTabDestroy%"},
        {"DestroyButton", nullptr, false, BuildingProblemNone, "%Hint_BuildingTabCantDestroy%"},
        // A lodging's service button has no hint: the text stays.
        {"CustomServeButton", nullptr, true, BuildingProblemNone, "%Hint_BuildingTabCantDestroy%"},
    };
    for (const Row& row : rows) {
        hotel->setProblemState(row.problem);
        CRefPtr<ControlNode> hovered = control(w, row.control, row.enabled, row.templateName);
        w.info->updateBuildingTabHint(hovered.get());
        EXPECT_EQ(hintOf(w, 6), row.hint)
            << row.control << " " << row.enabled << " " << row.problem;
        EXPECT_EQ(w.info->getDescribedFeature(), -1);
    }
    hotel->setProblemState(BuildingProblemNone);
    w.info->updateBuildingTabHint(nullptr);
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTab%");
}

TEST(BuildingTabHintTest, ServiceButtonHintByKindAndRuin) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("Ruin", "Ruin", 0, 0, true) +
                LotWorld::lot("Tower", "Tower", 0, 0, true) +
                LotWorld::lot("Pyramid", "Pyramid", 0, 0, true) +
                LotWorld::lot("Station", "Station", 0, 0, true) +
                LotWorld::lot("Quarters", "Quarters", 0, 0, true));
    struct Row {
        const char* lot;
        s32 problem;
        const char* enabled;
        const char* disabled;
    } rows[] = {
        {"Ruin", BuildingProblemRuin, "%Hint_BuildingTabRestoreFishingCenter%",
         "%Hint_BuildingTabCantRestoreFishingCenter%"},
        {"Tower", BuildingProblemRuin, "%Hint_BuildingTabObservationBuild%",
         "%Hint_BuildingTabObservationCantBuild%"},
        {"Pyramid", BuildingProblemRuin, "%Hint_BuildingTabPyramidClean%",
         "%Hint_BuildingTabCantPyramidClean%"},
        {"Pyramid", BuildingProblemNone, "%Hint_BuildingTabPyramidShow%",
         "%Hint_BuildingTabCantPyramidShow%"},
        {"Station", BuildingProblemRuin, "%Hint_BuildingTabStationBuild%",
         "%Hint_BuildingTabStationCantBuild%"},
        {"Quarters", BuildingProblemRuin, "%Hint_BuildingTabHQBuild%",
         "%Hint_BuildingTabHQCantBuild%"},
    };
    for (const Row& row : rows) {
        GBuildingNode* lot = w.focus(row.lot);
        lot->setProblemState(row.problem);
        for (bool enabled : {true, false}) {
            CRefPtr<ControlNode> hovered = control(w, "CustomServeButton", enabled);
            w.info->updateBuildingTabHint(hovered.get());
            EXPECT_EQ(hintOf(w, 6), enabled ? row.enabled : row.disabled)
                << row.lot << " " << enabled;
        }
        lot->setFocused(false);
    }
}

TEST(BuildingTabHintTest, WorkingServiceBuildingWithoutFeaturesHasNoHint) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("Tower", "Tower", 0, 0, true) +
                LotWorld::lot("Pyramid", "Pyramid", 300, 0, true));
    GBuildingNode* tower = w.focus("Tower");
    tower->setProblemState(BuildingProblemNone);
    ASSERT_TRUE(tower->isWorking());
    w.info->updateBuildingTabHint(nullptr);
    EXPECT_EQ(hintOf(w, 6), "");
    // One with a feature keeps the page's hint.
    tower->setFocused(false);
    w.focus("Pyramid")->setProblemState(BuildingProblemNone);
    w.info->updateBuildingTabHint(nullptr);
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTab%");
}

// ---- Hovered buttons: hints and tooltips ----

BaseNode* hotelButton(const InfoWorld& w, const char* name) {
    return w.page(6)->findChildByName("HotelButtonsNode", 1)->findChildByName(name, 1);
}

TEST(ButtonHoverTest, UpgradeOnTheLastLevelShowsNoUpgradeAndNoTooltip) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("H", "Palace1", 100, 100, true) +
                LotWorld::lot("V", "Palace2", 400, 100, true));
    w.focus("H");
    BaseNode* upgrade = hotelButton(w, "UpgradeButton");
    static_cast<ControlNode*>(upgrade)->setEnabled(true);
    EXPECT_TRUE(w.hover(upgrade));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTabUpgrade%");
    EXPECT_TRUE(w.visibleAt("MaterialsWorkersTooltipNode"));
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/NameText"), "%Hint_UpgradeBuildingTitle%");
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/MaterialsText"), "x 100");
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/WorkersText"), "x 5");
    const vector3df at = w.at("MaterialsWorkersTooltipNode")->getPosition();
    EXPECT_FLOAT_EQ(at.X, upgrade->getPosition().X);
    EXPECT_FLOAT_EQ(at.Y, 632.0f);
    EXPECT_TRUE(w.unhover(upgrade));
    EXPECT_FALSE(w.visibleAt("MaterialsWorkersTooltipNode"));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTab%");

    w.lotNamed("H")->setFocused(false);
    w.focus("V");
    EXPECT_TRUE(w.hover(upgrade));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTabNoUpgrade%");
    EXPECT_FALSE(w.visibleAt("MaterialsWorkersTooltipNode"));
}

TEST(ButtonHoverTest, RepairCleanDestroyAndSellShowTheirCosts) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("H", "Palace1", 100, 100, true));
    w.focus("H");
    EXPECT_TRUE(w.hover(hotelButton(w, "RepairButton")));
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/MaterialsText"), "x 7");
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/WorkersText"), "x 3");
    EXPECT_TRUE(w.unhover(hotelButton(w, "RepairButton")));
    CRefPtr<ControlNode> clean = control(w, "CleanButton");
    EXPECT_TRUE(w.hover(clean.get()));
    EXPECT_EQ(w.textAt("WorkersInfoNode/NameText"), "%Hint_CleanBuildingTitle%");
    EXPECT_EQ(w.textAt("WorkersInfoNode/WorkersText"), "x 3");
    EXPECT_TRUE(w.hover(hotelButton(w, "DestroyButton")));
    EXPECT_EQ(w.textAt("WorkersInfoNode/NameText"), "%Hint_DestroyBuildingTitle%");
    EXPECT_EQ(w.textAt("WorkersInfoNode/WorkersText"), "x 4");
    EXPECT_TRUE(w.unhover(hotelButton(w, "DestroyButton")));
    EXPECT_FALSE(w.visibleAt("WorkersInfoNode"));
    // Selling: no money check, whatever the money.
    w.level->Money = 0.0f;
    EXPECT_TRUE(w.hover(hotelButton(w, "SellButton")));
    EXPECT_EQ(w.textAt("MoneyInfoNode/NameText"), "%Hint_SaleBuildingTitle%");
    EXPECT_EQ(w.tintAt("MoneyInfoNode/MoneyText"), GGamePlayScene::TooltipCoveredColor);
}

TEST(ButtonHoverTest, ServiceButtonTooltipByKind) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("Pyramid", "Pyramid", 0, 0, true) +
                LotWorld::lot("Ruin", "Ruin", 300, 0, true));
    GBuildingNode* pyramid = w.focus("Pyramid");
    pyramid->setProblemState(BuildingProblemNone);
    CRefPtr<ControlNode> serve = control(w, "CustomServeButton");
    EXPECT_TRUE(w.hover(serve.get()));
    EXPECT_TRUE(w.visibleAt("MoneyInfoNode"));
    EXPECT_EQ(w.textAt("MoneyInfoNode/NameText"), "%Hint_ActivateFeatureTitle%");
    EXPECT_EQ(w.textAt("MoneyInfoNode/MoneyText"), "x $150");
    EXPECT_TRUE(w.unhover(serve.get()));
    pyramid->setFocused(false);
    w.focus("Ruin")->setProblemState(BuildingProblemRuin);
    EXPECT_TRUE(w.hover(serve.get()));
    EXPECT_TRUE(w.visibleAt("MaterialsWorkersTooltipNode"));
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/NameText"), "%Hint_BuildingTabRestore%");
}

TEST(ButtonHoverTest, ReadyFeatureShowsItsTextsAndLeavingRestoresTheDescription) {
    InfoWorld w;
    w.allow({}, {{"Fountain", 0}});
    w.startInfo(LotWorld::lot("F", "Fountain", 100, 100, true));
    GBuildingNode* fountain = w.focus("F");
    BaseNode* description = w.at("ActionsTabScene/Tab6/BuildingInfoNode/DescriptionNode/Text");
    ASSERT_NE(description, nullptr);
    CRefPtr<ControlNode> first = control(w, "ActiveFeature1Button");
    EXPECT_TRUE(w.hover(first.get()));
    EXPECT_EQ(hintOf(w, 6), "Press to splash");
    EXPECT_EQ(InfoWorld::textOf(description), "Splashes the guests.");
    EXPECT_TRUE(w.visibleAt("FeatureInfoNode"));
    EXPECT_EQ(w.textAt("FeatureInfoNode/NameText"), "Splash");
    EXPECT_EQ(w.info->getDescribedFeature(), 0);
    EXPECT_TRUE(w.unhover(first.get()));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTab%");
    EXPECT_EQ(InfoWorld::textOf(description), "Water!");
    EXPECT_FALSE(w.visibleAt("FeatureInfoNode"));
    EXPECT_EQ(w.info->getDescribedFeature(), -1);

    // The second feature is locked: unavailable, and no pop-up.
    CRefPtr<ControlNode> second = control(w, "ActiveFeature2Button");
    EXPECT_TRUE(w.hover(second.get()));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTabFeatureUnavailable%");
    EXPECT_EQ(InfoWorld::textOf(description), "Lights at night.");
    EXPECT_FALSE(w.visibleAt("FeatureInfoNode"));

    // A running feature, then its recharge.
    fountain->startFeature(0);
    EXPECT_TRUE(w.hover(first.get()));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTabFeatureActive%");
    fountain->advanceFeatures(1000);
    ASSERT_EQ(fountain->getFeatureState(0), GBuildingFeatureState::Recharging);
    EXPECT_TRUE(w.hover(first.get()));
    EXPECT_EQ(hintOf(w, 6), "%Hint_BuildingTabFeatureRecharging%");
}

TEST(ButtonHoverTest, ConstructionHintSurvivesHovers) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    GBuildingNode* place = w.focus("P1");
    ASSERT_TRUE(w.level->buildBuilding(place, w.type("Palace1")));
    w.info->reselectBuilding(place);
    ASSERT_EQ(hintOf(w, 6), "Workers are building");
    for (const char* name : {"UpgradeButton", "RepairButton", "DestroyButton", "SellButton",
                             "CleanButton", "CustomServeButton", "ActiveFeature1Button"}) {
        CRefPtr<ControlNode> hovered = control(w, name);
        EXPECT_TRUE(w.hover(hovered.get())) << name;
        EXPECT_EQ(hintOf(w, 6), "Workers are building") << name;
        EXPECT_TRUE(w.unhover(hovered.get())) << name;
        EXPECT_EQ(hintOf(w, 6), "Workers are building") << name;
    }
}

// ---- The build pages ----

TEST(BuildTabHintTest, HintAndLabelByKindTypeAndLot) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    GBuildingNode* place = w.lotNamed("P1");
    BaseNode* joys = w.page(3);
    const auto label = [&](const char* name) {
        return InfoWorld::textOf(joys->findChildByName(name, 1));
    };
    struct Row {
        s32 kind;
        int page;
        bool withPlace;
        const char* type;
        const char* hint;
    } rows[] = {
        {GGamePlayScene::BuildListHotels, 1, false, nullptr, "%Hint_BuildTab_Hotels%"},
        {GGamePlayScene::BuildListFactories, 2, false, nullptr, "%Hint_BuildTab_Factories%"},
        {GGamePlayScene::BuildListJoys, 3, false, nullptr, "%Hint_BuildTab_Joys%"},
        {GGamePlayScene::BuildListHotels, 1, true, nullptr, "%Hint_BuildTabBack%"},
        {GGamePlayScene::BuildListHotels, 1, true, "Palace1", "Build a Palace here"},
    };
    for (const Row& row : rows) {
        w.info->updateBuildTabHint(row.kind, w.page(row.page),
                                   row.type ? w.type(row.type) : nullptr,
                                   row.withPlace ? place : nullptr);
        EXPECT_EQ(hintOf(w, row.page), row.hint) << row.kind << " " << row.withPlace;
        const bool typed = row.type != nullptr;
        EXPECT_EQ(w.page(row.page)->findChildByName("BuildingInfoNode", 1)->isVisible(), typed);
        EXPECT_EQ(w.page(row.page)->findChildByName("LabelText", 1)->isVisible(), !typed);
    }
    EXPECT_EQ(label("Label"), "%Hint_BuildTabJoys%");
    EXPECT_EQ(label("LabelText"), "%Hint_BuildTabJoysTip%");
    // A joy whose serve area raises income, and one whose does not.
    w.info->updateBuildTabHint(GGamePlayScene::BuildListJoys, joys, w.type("Garden"), place);
    EXPECT_EQ(label("Label"), "%Hint_BuildTabJoys2%");
    EXPECT_EQ(label("LabelText"), "%Hint_BuildTabJoys2Tip%");
    EXPECT_FALSE(joys->findChildByName("LabelText", 1)->isVisible());
    w.info->updateBuildTabHint(GGamePlayScene::BuildListJoys, joys, w.type("Fountain"), place);
    EXPECT_EQ(label("Label"), "%Hint_BuildTabJoys1%");
    EXPECT_EQ(label("LabelText"), "%Hint_BuildTabJoys1Tip%");
    // The back button points the three pages back at the lot.
    w.focus("P1");
    EXPECT_TRUE(w.hover(w.page(2)->findChildByName("BackToBuildButton", 1)));
    for (int page : {1, 2, 3}) EXPECT_EQ(hintOf(w, page), "%Hint_BuildTabBack%") << page;
    EXPECT_TRUE(w.unhover(w.page(2)->findChildByName("BackToBuildButton", 1)));
    EXPECT_EQ(hintOf(w, 2), "%Hint_BuildTab_Factories%");
}

TEST(BuildTabHintTest, PageWithoutItsLabelOrPanelIsLeftAlone) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    // A page with its hint and tip line only.
    BaseNode* bare = w.base(w.page(7), "Bare");
    TextNode* hint = w.label(bare, "HintText", false, 0, 0, 300, 20);
    TextNode* tip = w.label(bare, "LabelText", false, 0, 30, 300, 20);
    hint->setText(L"unchanged");
    tip->setVisible(false);
    w.info->updateBuildTabHint(GGamePlayScene::BuildListJoys, bare, w.type("Fountain"),
                               w.lotNamed("P1"));
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(InfoWorld::textOf(hint), "unchanged");
    // A page with none of them, and no page at all.
    BaseNode* empty = w.base(w.page(7), "Empty");
    w.info->updateBuildTabHint(GGamePlayScene::BuildListHotels, empty, nullptr, nullptr);
    w.info->updateBuildTabHint(GGamePlayScene::BuildListHotels, nullptr, nullptr, nullptr);
    EXPECT_EQ(InfoWorld::textOf(hint), "unchanged");
}

TEST(BuildTabHintTest, OpeningAMenuWritesItsHint) {
    InfoWorld w;
    w.allow({"Camping1"});
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    w.focus("P1");
    CRefPtr<ControlNode> joys = control(w, "JoysButton");
    EXPECT_TRUE(w.info->onNodePressed(makeEvent<CEventNodePressed>(joys.get()).get()));
    EXPECT_EQ(hintOf(w, 3), "%Hint_BuildTab_Joys%");
    CRefPtr<ControlNode> back = control(w, "BackToBuildButton");
    w.page(10)->findChildByName("HintText", 1)->setVisible(true);
    static_cast<TextNode*>(w.page(10)->findChildByName("HintText", 1))->setText(L"old");
    EXPECT_TRUE(w.info->onNodePressed(makeEvent<CEventNodePressed>(back.get()).get()));
    EXPECT_EQ(hintOf(w, 10), "%Hint_BuildingPlace%");
}

}  // namespace
}  // namespace brasquel::test
