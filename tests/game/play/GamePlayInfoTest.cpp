// The play screen's info panel about a type on a lot (with the game's fonts), the income box
// over a hovered building, the tooltips and their tints, and the texts of a lot's running work.

#include <gtest/gtest.h>

#include <string>

#include "engine/video/render2d/CAtlasTexture.h"
#include "game/level/GBuildingProcess.h"
#include "tests/game/play/InfoWorld.h"

namespace brasquel::test {
namespace {

constexpr u32 Short = GGamePlayScene::TooltipShortColor;
constexpr u32 Covered = GGamePlayScene::TooltipCoveredColor;

std::string pictureOf(BaseNode* node) {
    auto* sprite =
        node && node->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(node) : nullptr;
    if (!sprite) return "<not a sprite>";
    return sprite->getAtlasTexture() ? std::string(sprite->getAtlasTexture()->getName().c_str())
                                     : std::string();
}

class InfoPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.writePicture("scenes/images/GameMenu/Icons/Resort3.png", 4, 4, 80);
        w.writePicture("scenes/images/GameMenu/Icons/Cafe.png", 4, 4, 80);
        w.writePicture("scenes/images/GameMenu/Icons/Cafe_snow.png", 4, 4, 80);
        w.startInfo(LotWorld::lot("P1", "Empty", 100, 100, true) +
                    LotWorld::lot("H", "Palace1", 300, 100, true));
        panel = w.page(6)->findChildByName("BuildingInfoNode", 1);
        ASSERT_NE(panel, nullptr);
    }
    BaseNode* part(const char* name) const { return panel->findChildByName(name, 1); }
    TextNode* textPart(const char* name) const { return static_cast<TextNode*>(part(name)); }
    BaseNode* star(int k) const {
        return part("Preview")->findChildByName(("Star" + std::to_string(k)).c_str(), 1);
    }

    InfoWorld w;
    BaseNode* panel = nullptr;
};

TEST_F(InfoPanelTest, LevelThreeLodgingShowsRoundedPriceAndTwoFilledStars) {
    w.info->fillBuildingInfo(panel, w.type("Resort3"), w.lotNamed("P1"), true);
    EXPECT_EQ(InfoWorld::textOf(part("NameText")), "Resort: $120,000");
    EXPECT_EQ(textPart("NameText")->getLineCount(), 1u);
    EXPECT_EQ(pictureOf(star(1)), "levels/common/Stars/FilledStar.png");
    EXPECT_EQ(pictureOf(star(2)), "levels/common/Stars/FilledStar.png");
    EXPECT_EQ(pictureOf(star(3)), "levels/common/Stars/EmptyStar.png");
    EXPECT_EQ(pictureOf(part("Preview")), "scenes/images/GameMenu/Icons/Resort3.png");
    EXPECT_TRUE(part("StatsText")->isVisible());
    // The full description, as the flag asks.
    EXPECT_EQ(InfoWorld::textOf(part("DescriptionNode")->findChildByName("Text", 1)),
              "Sea view, pools and a long beach.");
    EXPECT_TRUE(part("DescriptionNode")->isVisible());
    w.info->fillBuildingInfo(panel, w.type("Resort3"), w.lotNamed("P1"), false);
    EXPECT_EQ(InfoWorld::textOf(part("DescriptionNode")->findChildByName("Text", 1)), "Sea view.");
}

TEST_F(InfoPanelTest, NameThatWrapsPutsThePriceOnItsOwnLine) {
    w.type("Resort3")->DisplayName = "LongName";
    w.info->fillBuildingInfo(panel, w.type("Resort3"), w.lotNamed("P1"), true);
    EXPECT_EQ(InfoWorld::textOf(part("NameText")),
              "The grand old seaside palace of the western bay:\n$120,000");
    EXPECT_GT(textPart("NameText")->getLineCount(), 1u);
}

TEST_F(InfoPanelTest, EmptyPlaceShowsOnlyItsNameAndIcon) {
    // Whatever an earlier fill showed is hidden again.
    w.info->fillBuildingInfo(panel, w.type("Resort3"), w.lotNamed("P1"), true);
    w.info->fillBuildingInfo(panel, w.type("Empty"), w.lotNamed("P1"), true);
    const std::string name = InfoWorld::textOf(part("NameText"));
    ASSERT_GE(name.size(), 6u);
    EXPECT_EQ(name.substr(name.size() - 6), ": $100") << name;
    for (const char* hidden : {"StatsText", "AfterUpgradeNode", "BrokenNode", "DescriptionNode"})
        EXPECT_FALSE(part(hidden)->isVisible()) << hidden;
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(pictureOf(star(k)), "") << k;
}

TEST_F(InfoPanelTest, GuestsFactorShowsTheExtraGuests) {
    w.configuration->Factors.GuestsCountM = 1.25f;
    w.info->fillBuildingInfo(panel, w.type("Resort3"), w.lotNamed("P1"), true);
    const std::string stats = InfoWorld::textOf(part("StatsText"));
    EXPECT_NE(stats.find("Guests 20 guests + 5 guests\n"), std::string::npos) << stats;
    const s32 income =
        static_cast<s32>(std::floor(w.lotNamed("P1")->getIncome(w.type("Resort3")) + 0.5f));
    EXPECT_EQ(stats.rfind("Income " + toUtf8(groupDigits(income, L',').c_str()) + "\n", 0), 0u)
        << stats;
}

TEST_F(InfoPanelTest, OwnedWorkingLodgingShowsTheUpgradeAndABrokenOneTheMarker) {
    GBuildingNode* hotel = w.lotNamed("H");
    ASSERT_TRUE(hotel->isWorking());
    w.info->fillBuildingInfo(panel, hotel->getCurrentType(), hotel, true);
    EXPECT_TRUE(part("AfterUpgradeNode")->isVisible());
    EXPECT_FALSE(part("BrokenNode")->isVisible());
    const s32 next = static_cast<s32>(std::floor(hotel->getIncome(w.type("Palace2")) + 0.5f));
    EXPECT_EQ(w.textAt("ActionsTabScene/Tab6/BuildingInfoNode/AfterUpgradeNode/IncomeNode/Text"),
              "Income " + toUtf8(groupDigits(next, L',').c_str()));
    EXPECT_EQ(w.textAt("ActionsTabScene/Tab6/BuildingInfoNode/AfterUpgradeNode/GuestsNode/Text"),
              "Guests 14");

    hotel->setProblemState(BuildingProblemBroken);
    w.info->fillBuildingInfo(panel, hotel->getCurrentType(), hotel, true);
    EXPECT_FALSE(part("AfterUpgradeNode")->isVisible());
    EXPECT_TRUE(part("BrokenNode")->isVisible());
}

TEST_F(InfoPanelTest, DescriptionPlacementFollowsTheFiguresAndTheName) {
    // Top-aligned description: under the figures, 17 up.
    w.info->fillBuildingInfo(panel, w.type("Resort3"), w.lotNamed("P1"), true);
    const TextNode* stats = textPart("StatsText");
    ASSERT_GT(stats->getTextHeight(), 0.0f);
    EXPECT_FLOAT_EQ(part("DescriptionNode")->getPosition().Y,
                    stats->getPosition().Y + stats->getTextHeight() - 17.0f);
    EXPECT_FLOAT_EQ(part("DescriptionNode")->getPosition().X, 84.0f);

    // Another alignment: under the figures, 6 up; without figures, 15 under the name.
    BaseNode* scratch = w.base(w.page(7), "Scratch");
    BaseNode* other = w.infoPanel(scratch, 2);
    w.info->fillBuildingInfo(other, w.type("Resort3"), w.lotNamed("P1"), true);
    const auto* otherStats = static_cast<TextNode*>(other->findChildByName("StatsText", 1));
    EXPECT_FLOAT_EQ(other->findChildByName("DescriptionNode", 1)->getPosition().Y,
                    otherStats->getPosition().Y + otherStats->getTextHeight() - 6.0f);
    w.info->fillBuildingInfo(other, w.type("Tower"), w.lotNamed("P1"), true);
    EXPECT_EQ(InfoWorld::textOf(otherStats), "");
    const auto* name = static_cast<TextNode*>(other->findChildByName("NameText", 1));
    EXPECT_FLOAT_EQ(other->findChildByName("DescriptionNode", 1)->getPosition().Y,
                    name->getPosition().Y + name->getTextHeight() + 15.0f);
}

TEST_F(InfoPanelTest, SnowSettingPicksTheSnowIcon) {
    w.info->fillBuildingInfo(panel, w.type("Cafe"), w.lotNamed("P1"), true);
    EXPECT_EQ(pictureOf(part("Preview")), "scenes/images/GameMenu/Icons/Cafe.png");
    // A type that is no lodging shows no stars.
    EXPECT_EQ(pictureOf(star(1)), "");
    w.configuration->SettingIndex = 4;
    w.info->fillBuildingInfo(panel, w.type("Cafe"), w.lotNamed("P1"), true);
    EXPECT_EQ(pictureOf(part("Preview")), "scenes/images/GameMenu/Icons/Cafe_snow.png");
    // An icon that does not load leaves the sprite empty.
    w.info->fillBuildingInfo(panel, w.type("Tower"), w.lotNamed("P1"), true);
    EXPECT_EQ(pictureOf(part("Preview")), "");
}

TEST_F(InfoPanelTest, LotPagesFillTheirPanelsWhenSelected) {
    GBuildingNode* hotel = w.focus("H");
    w.info->reselectBuilding(hotel);
    EXPECT_NE(w.textAt("ActionsTabScene/Tab6/BuildingInfoNode/NameText").find("Palace: $"),
              std::string::npos);
    EXPECT_EQ(w.textAt("ActionsTabScene/Tab6/HintText"), "%Hint_BuildingTab%");
}

// ---- The income box ----

TEST(IncomeBoxTest, StaysOnTheScreenAboveAHoveredBuilding) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("West", "Palace1", 10, 200, true) +
                LotWorld::lot("East", "Palace1", 900, 300, true) +
                LotWorld::lot("Market", "Palace1", 500, 250, false));
    struct Row {
        const char* lot;
        const char* box;
        f32 x, y;
    } rows[] = {{"West", "IncomeGuestsInfoNode", 38.0f, 200.0f},
                {"East", "IncomeGuestsInfoNode", 846.0f, 300.0f},
                {"Market", "GuestsInfoNode", 500.0f, 250.0f}};
    for (const Row& row : rows) {
        GBuildingNode* lot = w.lotNamed(row.lot);
        EXPECT_FALSE(w.hover(lot));
        EXPECT_TRUE(w.visibleAt(row.box)) << row.lot;
        const vector3df at = w.at(row.box)->getPosition();
        EXPECT_FLOAT_EQ(at.X, row.x) << row.lot;
        EXPECT_FLOAT_EQ(at.Y, row.y) << row.lot;
        EXPECT_FLOAT_EQ(at.Z, 100.0f) << row.lot;
        EXPECT_EQ(w.textAt(std::string(row.box) + "/NameText"), "Palace");
        EXPECT_EQ(w.textAt(std::string(row.box) + "/GuestsText"), "x 10 guests");
        EXPECT_EQ(w.info->m_previewedPlace, lot);
        EXPECT_TRUE(w.unhover(lot));
        EXPECT_FALSE(w.visibleAt(row.box));
        EXPECT_EQ(w.info->m_previewedPlace, nullptr);
    }
    EXPECT_TRUE(w.hover(w.lotNamed("West")) == false);
    EXPECT_EQ(w.textAt("IncomeGuestsInfoNode/IncomeText"),
              "x $" + toUtf8(w.lotNamed("West")->formatIncomeText(nullptr).c_str()));
}

// ---- Tooltips ----

TEST(TooltipTest, ValueLinesTurnRedWhatTheLevelCannotCover) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "Empty", 100, 100, true));
    w.level->Materials = 99.5f;
    w.level->Workers = 2;
    w.info->showCostTooltip(vector3df(120, 632, 0), L"%Hint_RepairBuildingTitle%", 100, 2);
    EXPECT_TRUE(w.visibleAt("MaterialsWorkersTooltipNode"));
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/MaterialsText"), "x 100");
    EXPECT_EQ(w.tintAt("MaterialsWorkersTooltipNode/MaterialsText"), Short);
    EXPECT_EQ(w.tintAt("MaterialsWorkersTooltipNode/WorkersText"), Covered);
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/NameText"), "%Hint_RepairBuildingTitle%");
    EXPECT_FLOAT_EQ(w.at("MaterialsWorkersTooltipNode")->getPosition().X, 120.0f);
    w.info->showWorkersTooltip(vector3df(0, 632, 0), L"%T%", 3);
    EXPECT_EQ(w.textAt("WorkersInfoNode/WorkersText"), "x 3");
    EXPECT_EQ(w.tintAt("WorkersInfoNode/WorkersText"), Short);

    w.level->Money = 1000.0f;
    w.info->showMoneyTooltip(vector3df(0, 632, 0), L"%Hint_SaleBuildingTitle%", false, 25000);
    EXPECT_EQ(w.textAt("MoneyInfoNode/MoneyText"), "x $25,000");
    EXPECT_EQ(w.tintAt("MoneyInfoNode/MoneyText"), Covered);
    w.info->showMoneyTooltip(vector3df(0, 632, 0), L"%Hint_BuyBuildingTitle%", true, 25000);
    EXPECT_EQ(w.tintAt("MoneyInfoNode/MoneyText"), Short);
}

TEST(TooltipTest, MoneyDropRetintsTheVisibleTooltipAtTheNextLevelChange) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "Empty", 100, 100, true));
    w.level->Money = 5000.0f;
    w.info->showMoneyTooltip(vector3df(210, 632, 0), L"%Hint_BuyBuildingTitle%", true, 4000);
    EXPECT_EQ(w.tintAt("MoneyInfoNode/MoneyText"), Covered);
    w.level->Money = 3000.0f;
    w.info->onLevelChanged(nullptr);
    EXPECT_EQ(w.tintAt("MoneyInfoNode/MoneyText"), Short);
    EXPECT_EQ(w.textAt("MoneyInfoNode/NameText"), "%Hint_BuyBuildingTitle%");
    EXPECT_FLOAT_EQ(w.at("MoneyInfoNode")->getPosition().X, 210.0f);
    // A hidden tooltip is not shown again.
    w.at("MoneyInfoNode")->setVisible(false);
    w.info->onLevelChanged(nullptr);
    EXPECT_FALSE(w.visibleAt("MoneyInfoNode"));
}

TEST(TooltipTest, BuildEntryHoverShowsItsCostAndTheTypeOnTheBuildPage) {
    InfoWorld w;
    w.allow({"Camping1", "Hostel1"});
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    w.focus("P1");
    w.info->fillHotelsBuildList();
    auto* list = asListNode(w.page(1)->findChildByName("HotelsBuildList", 1));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(w.info->onListItemHovered(makeEvent<CEventNodeListItemHovered>(list, 0).get()));
    EXPECT_TRUE(w.visibleAt("MaterialsWorkersTooltipNode"));
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/MaterialsText"), "x 10");
    EXPECT_EQ(w.textAt("MaterialsWorkersTooltipNode/WorkersText"), "x 1");
    EXPECT_FLOAT_EQ(w.at("MaterialsWorkersTooltipNode")->getPosition().Y, 632.0f);
    EXPECT_TRUE(w.page(1)->findChildByName("BuildingInfoNode", 1)->isVisible());
    EXPECT_FALSE(w.page(1)->findChildByName("LabelText", 1)->isVisible());
    EXPECT_NE(InfoWorld::textOf(w.page(1)->findChildByName("HintText", 1)).find("Build a "),
              std::string::npos);
    // Leaving the list takes the preview and the type away again.
    EXPECT_TRUE(w.unhover(list));
    EXPECT_FALSE(w.visibleAt("MaterialsWorkersTooltipNode"));
    EXPECT_FALSE(w.page(1)->findChildByName("BuildingInfoNode", 1)->isVisible());
    EXPECT_TRUE(w.page(1)->findChildByName("LabelText", 1)->isVisible());
    EXPECT_EQ(InfoWorld::textOf(w.page(1)->findChildByName("HintText", 1)),
              "%Hint_BuildTab_Hotels%");
    EXPECT_EQ(w.info->m_previewedPlace, nullptr);
}

// ---- The texts of a lot's running work ----

TEST(ProcessTextsTest, TitleAndHintByWorkAndKind) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("Palace", "Palace1", 0, 0, true) +
                LotWorld::lot("Villa", "Palace2", 0, 0, true) +
                LotWorld::lot("Ruin", "Ruin", 0, 0, true) +
                LotWorld::lot("Tower", "Tower", 0, 0, true) +
                LotWorld::lot("Pyramid", "Pyramid", 0, 0, true) +
                LotWorld::lot("Station", "Station", 0, 0, true) +
                LotWorld::lot("Quarters", "Quarters", 0, 0, true) +
                LotWorld::lot("Fountain", "Fountain", 0, 0, true));
    struct Row {
        const char* lot;
        s32 kind;
        const char* title;
        const char* hint;
    } rows[] = {
        {"Palace", BuildingProcessConstruction, "Building", "Workers are building"},
        {"Villa", BuildingProcessConstruction, "Upgrading", "Workers are upgrading"},
        {"Palace", BuildingProcessDemolition, "%InProgress_Destroy%", "%InProgress_DestroyHint%"},
        {"Ruin", BuildingProcessMaintenance, "%FishingCenterInProgress%",
         "%FishingCenterInProgressHint%"},
        {"Tower", BuildingProcessMaintenance, "Building", "Workers are building"},
        {"Station", BuildingProcessMaintenance, "Building", "Workers are building"},
        {"Quarters", BuildingProcessMaintenance, "Building", "Workers are building"},
        {"Pyramid", BuildingProcessMaintenance, "%PyramidInProgress%", "%PyramidInProgressHint%"},
        {"Palace", BuildingProcessMaintenance, "%InProgress_Repare%", "%InProgress_RepareHint%"},
        {"Pyramid", BuildingProcessFeature, "%PyramidConfInProgress%",
         "%PyramidConfInProgressHint%"},
        {"Fountain", BuildingProcessFeature, "%InProgress_Feature%", "%InProgress_FeatureHint%"},
        {"Palace", BuildingProcessNone, "before", "before"},
        {"Palace", BuildingProcessTimedService, "before", "before"},
    };
    for (const Row& row : rows) {
        GBuildingNode* lot = w.lotNamed(row.lot);
        lot->setProcess(row.kind, nullptr);
        stringw title = L"before";
        stringw hint = L"before";
        w.info->getProcessTexts(lot, title, hint);
        EXPECT_EQ(toUtf8(title.c_str()), row.title) << row.lot << " " << row.kind;
        EXPECT_EQ(toUtf8(hint.c_str()), row.hint) << row.lot << " " << row.kind;
        lot->releaseProcess();
    }
}

TEST(ProcessTextsTest, BuildingPageShowsTheWorkOnItsProgressPanel) {
    InfoWorld w;
    w.startInfo(LotWorld::lot("P1", "BuildingPlace", 100, 100, true));
    GBuildingNode* place = w.focus("P1");
    ASSERT_TRUE(w.level->buildBuilding(place, w.type("Palace1")));
    w.info->reselectBuilding(place);
    EXPECT_EQ(w.textAt("ActionsTabScene/Tab6/ProgressNode/Text"), "Building");
    EXPECT_EQ(w.textAt("ActionsTabScene/Tab6/ProgressNode/HintText"), "Workers are building");
    EXPECT_EQ(w.textAt("ActionsTabScene/Tab6/HintText"), "Workers are building");
}

}  // namespace
}  // namespace brasquel::test
