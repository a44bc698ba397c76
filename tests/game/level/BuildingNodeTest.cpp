// The building lot: its parts and look in every state, its prices, income, serve areas, sale
// and offers, feature timers and clocks, on a level scene read from a scene file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/config/UpgradesConfiguration.h"
#include "game/level/GLevelUpgrades.h"
#include "tests/game/level/LotWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

class LotTest : public ::testing::Test {
protected:
    // Lots in a row 200 apart (serve rectangles of 300 x 200 reach the neighbours only).
    GGameLevelScene* loadRow(std::initializer_list<std::pair<const char*, const char*>> lots,
                             bool owned = true) {
        std::string text;
        f32 x = 100.0f;
        for (const auto& l : lots) {
            text += LotWorld::lot(l.first, l.second, x, 300.0f, owned);
            x += 200.0f;
        }
        return w.loadLevel(text);
    }
    static std::string textOf(const BaseNode* node) {
        return toUtf8(static_cast<const TextNode*>(node)->getText().c_str());
    }

    LotWorld w;
};

std::vector<BaseNode*> childrenNamed(const BaseNode* parent, const char* name) {
    std::vector<BaseNode*> found;
    for (BaseNode* child : parent->getChildren())
        if (child->getNameId() == id(name)) found.push_back(child);
    return found;
}

}  // namespace

TEST_F(LotTest, ClassIdentityAndProperties) {
    GBuildingNode node{CCreationContext()};
    EXPECT_EQ(node.getClassName(), stringw(L"GBuildingNode"));
    EXPECT_EQ(node.getTypeId(), GameNodeTypeBuildingNode);
    EXPECT_TRUE(node.isKindOf(GameNodeTypeBuildingNode));
    EXPECT_TRUE(node.isKindOf(NodeTypeControl));
    EXPECT_TRUE(node.isKindOf(NodeTypeBase));
    EXPECT_FALSE(node.isKindOf(NodeTypeScene));
    EXPECT_EQ(node.getUpdatePeriod(), GBuildingNode::UpdatePeriodMs);
    EXPECT_EQ(node.getMsSinceMoneyLetter(), 5000);
    EXPECT_EQ(node.getMsSinceMaintenance(), 10000);
    EXPECT_EQ(node.getCurrentType()->Level, 0);

    auto set = makeRef<CPropertySet>();
    node.saveProperties(set.get());
    EXPECT_LT(set->getPropertyIndex("IsOwnedByThePlayer"), 0);
    EXPECT_LT(set->getPropertyIndex("LuckinessType"), 0);
    set->addBool("IsOwnedByThePlayer", true);
    set->addInt("LuckinessType", -1);
    node.loadProperties(set.get());
    EXPECT_TRUE(node.isOwnedByThePlayer());
    EXPECT_EQ(node.getLuckinessType(), -1);
    auto saved = makeRef<CPropertySet>();
    node.saveProperties(saved.get());
    EXPECT_TRUE(saved->getBool("IsOwnedByThePlayer"));
    EXPECT_EQ(saved->getInt("LuckinessType"), -1);

    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(node.clone(nullptr, nullptr));
    auto* lot = static_cast<GBuildingNode*>(copy.get());
    EXPECT_TRUE(lot->isOwnedByThePlayer());
    EXPECT_EQ(lot->getLuckinessType(), -1);
}

TEST_F(LotTest, PartsAreFoundOrMadeOnceAndStayInternal) {
    ASSERT_TRUE(loadRow({{"A", "Hotel3"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    ASSERT_TRUE(a);
    ControlNode* instance = a->getTemplateInstance();
    ASSERT_TRUE(instance);
    // The template's own parts are taken where they stand.
    EXPECT_EQ(a->getSmileIcon(), instance->findChildByName("SmileIcon", 1));
    EXPECT_EQ(a->getWorkersText(), instance->findChildByName("WorkersText", 1));
    EXPECT_EQ(a->getSelector(), instance->findChildByName("Selector", 1));
    EXPECT_EQ(a->getStarIcons(), instance->findChildByName("StarIcons", 1));
    EXPECT_EQ(a->getStars().size(), 3u);
    // The rest are clones of the collection's templates under the lot, internal and hidden.
    for (BaseNode* part : {a->getForSaleNode(), a->getPhoneIcon(), a->getServeAreaNode(),
                           a->getFeatureIcon(0), a->getFeatureIcon(1), a->getMoneyBurst()}) {
        ASSERT_TRUE(part);
        EXPECT_EQ(part->getParent(), a);
        EXPECT_TRUE(part->isInternal());
        EXPECT_FALSE(part->isVisible());
    }
    ASSERT_TRUE(a->getPriceText());
    EXPECT_EQ(a->getPriceText()->getParent(), a->getForSaleNode());
    EXPECT_FALSE(a->getWorkersText()->isVisible());

    const size_t children = a->getChildCount();
    a->applyTemplate();
    a->applyTemplate();
    EXPECT_EQ(a->getChildCount(), children);
    for (const char* name :
         {"ForSaleNode", "PhoneIcon", "ServeArea", "Feature1Icon", "Feature2Icon", "MoneyBurst"})
        EXPECT_EQ(childrenNamed(a, name).size(), 1u) << name;

    // A copy of the lot copies none of the made parts: it makes its own.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(a->clone(nullptr, w.manager.get()));
    for (const char* name : {"ForSaleNode", "PhoneIcon", "ServeArea", "MoneyBurst"})
        EXPECT_TRUE(childrenNamed(copy.get(), name).empty()) << name;
    auto* lot = static_cast<GBuildingNode*>(copy.get());
    EXPECT_EQ(lot->getCurrentType()->Name, a->getCurrentType()->Name);
    EXPECT_TRUE(lot->isOwnedByThePlayer());
}

TEST_F(LotTest, ApplyingTheTemplateEntersTheSettingAndOwnershipStates) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.recordStates(w.lotNamed("A"), "A");
    w.start();
    const std::vector<std::string> states = w.statesOf("A");
    auto at = [&](const char* s) { return std::find(states.begin(), states.end(), s); };
    ASSERT_NE(at("Setting2"), states.end());
    ASSERT_NE(at("Done"), states.end());
    ASSERT_NE(at("Owned"), states.end());
    EXPECT_LT(at("Setting2"), at("Done"));
    // Ownership is entered again after "Done".
    EXPECT_NE(std::find(at("Done"), states.end(), std::string("Owned")), states.end());
    w.log.clear();
    w.lotNamed("A")->setOwned(false);
    EXPECT_EQ(w.statesOf("A"), (std::vector<std::string>{"NotOwned"}));
}

TEST_F(LotTest, StarsFollowLevelOwnerTypeAndTheHiddenStar) {
    ASSERT_TRUE(loadRow({{"A", "Hotel3"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    struct Case {
        const char* type;
        bool owned;
        s32 hidden;
        bool rowShown;
        std::vector<int> shown;  // per star: 0 hidden, 1 filled, 2 empty
    } cases[] = {
        {"Hotel3", true, -1, true, {1, 1, 2}}, {"Hotel3", true, 2, true, {1, 0, 2}},
        {"Hotel1", true, -1, true, {2, 2, 2}}, {"Hotel3", false, -1, false, {}},
        {"Empty", true, -1, false, {}},        {"Shop", true, -1, false, {}},
    };
    for (const Case& c : cases) {
        a->setType(w.type(c.type), false);
        a->setOwned(c.owned);
        a->showStars(-1, c.hidden);
        EXPECT_EQ(a->getStarIcons()->isVisible(), c.rowShown) << c.type;
        for (size_t i = 0; i < c.shown.size(); ++i) {
            auto* star = static_cast<SpriteNode*>(a->getStars()[i].get());
            EXPECT_EQ(star->isVisible(), c.shown[i] != 0) << c.type << " " << i;
            if (c.shown[i] == 0) continue;
            ASSERT_TRUE(star->getAtlasTexture()) << c.type << " " << i;
            const std::string image =
                star->getAtlasTexture()->getCreationContext().getName().c_str();
            EXPECT_EQ(image, c.shown[i] == 1 ? "levels/common/Stars/FilledStar.png"
                                             : "levels/common/Stars/EmptyStar.png")
                << c.type << " " << i;
        }
    }
    a->setType(w.type("Hotel3"), false);
    a->setOwned(true);
    const vector3df p = a->getStarPosition();  // star 2 of the row at (10, 40) in the lot
    EXPECT_EQ(p, vector3df(100.0f + 10.0f + 10.0f + 10.0f, 300.0f + 40.0f + 10.0f, 0.0f));
}

TEST_F(LotTest, TheSmileShowsTheBonusTruncatedWithItsColour) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.configuration->IncomeBonus1 = 0.0f;
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    struct Case {
        f32 bonus;
        const char* text;
        const char* image;
    } cases[] = {{12.7f, "+12%", "Blue"},
                 {15.0f, "+15%", "Green"},
                 {-0.5f, "0%", "Red"},
                 {-3.2f, "-3%", "Red"},
                 {5e-7f, nullptr, nullptr}};
    for (const Case& c : cases) {
        w.configuration->IncomeBonus1 = c.bonus;
        a->setLuckinessType(1);
        EXPECT_FLOAT_EQ(a->getIncomeBonus(), c.bonus);
        BaseNode* smile = a->getSmileIcon();
        ASSERT_TRUE(smile);
        if (!c.text) {
            EXPECT_FALSE(smile->isVisible());
            continue;
        }
        EXPECT_TRUE(smile->isVisible()) << c.bonus;
        EXPECT_EQ(textOf(smile), c.text);
        auto* face = static_cast<SpriteNode*>(smile->getChildren().front());
        ASSERT_TRUE(face->getAtlasTexture());
        EXPECT_EQ(std::string(face->getAtlasTexture()->getCreationContext().getName().c_str()),
                  std::string("levels/common/Smiles/") + c.image + ".png");
    }
    // Without the level's luckiness display the smile is hidden and let go.
    w.configuration->IsBuildingPlaceLuckinessOn = false;
    a->applyTemplate();
    EXPECT_EQ(a->getSmileIcon(), nullptr);
}

TEST_F(LotTest, WorkersCountTakesTheSmilesPlace) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->showWorkersCount(3);
    ASSERT_TRUE(a->getWorkersText()->isVisible());
    EXPECT_EQ(textOf(a->getWorkersText()), "x3");
    EXPECT_EQ(a->getWorkersText()->getPosition(), vector3df(90.0f, 5.0f, 0.0f));  // the smile's
    a->showWorkersCount(0);
    EXPECT_FALSE(a->getWorkersText()->isVisible());
}

TEST_F(LotTest, StateCues) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    const GSoundCueIds& cues = GSoundCueIds::get();
    struct Case {
        const char* type;
        s32 kind;
        CNameId cue;
    } cases[] = {{"Hotel1", BuildingProcessNone, CNameId("Bus")},
                 {"Hotel1", BuildingProcessConstruction, cues.Building},
                 {"Hotel3", BuildingProcessConstruction, cues.Upgrading},
                 {"Hotel1", BuildingProcessDemolition, cues.Destroying},
                 {"Garden", BuildingProcessMaintenance, cues.CleaningDecoration},
                 {"Hotel1", BuildingProcessMaintenance, cues.Building},
                 {"Hotel1", BuildingProcessTimedService, CNameId()},
                 {"Hotel1", BuildingProcessFeature, CNameId()}};
    for (const Case& c : cases) {
        a->setType(w.type(c.type), false);
        a->setProcess(c.kind, nullptr);
        EXPECT_EQ(a->getStateCue(), c.cue) << c.type << " " << c.kind;
    }
    a->setProcess(BuildingProcessNone, nullptr);
    a->setType(w.type("REAgency"), false);
    a->startFeature(1);
    EXPECT_EQ(a->getStateCue(), cues.FeatureREAgency);
    a->playStateSound();
    a->playStateSound();  // the same cue again changes nothing
    EXPECT_EQ(w.cues(), (std::vector<std::string>{"FeatureREAgency"}));
    ASSERT_TRUE(a->getStateSound());
    SoundCue* sound = a->getStateSound();
    a->stopStateSound();
    EXPECT_EQ(a->getStateSound(), nullptr);
    EXPECT_EQ(sound->getFadeDuration(), 1000);
}

TEST_F(LotTest, RestoringASnapshotTurnsActiveFeaturesToRecharging) {
    ASSERT_TRUE(loadRow({{"A", "REAgency"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->setType(w.type("REAgency"), false);
    a->startFeature(0);
    a->advanceFeatures(2000);  // 6000 of 8000 left
    ASSERT_EQ(a->getFeatureStates()[0].remaining, 6000);
    a->saveStateSnapshot();
    w.recordStates(a, "A");
    a->setType(w.type("Hotel1"), false);
    a->setType(w.type("REAgency"), true);
    ASSERT_EQ(a->getFeatureStates().size(), 2u);
    EXPECT_EQ(a->getFeatureState(0), GBuildingFeatureState::Recharging);
    EXPECT_EQ(a->getFeatureStates()[0].remaining, 5000);  // (1 - 6000 / 8000) x 20000
    EXPECT_EQ(a->getFeatureState(1), GBuildingFeatureState::Ready);
    EXPECT_EQ(w.statesOf("A"), (std::vector<std::string>{"Feature1Stop"}));
    EXPECT_EQ(LotWorld::runningState(a->getFeatureIcon(0)), "Recharging");

    // A feature whose new type has no duration recharges fully instead of dividing by zero.
    auto type = CRefPtr<GBuildingConfig>::fromRaw(w.type("REAgency")->copy());
    type->Features[0].DurationTime = 0;
    a->setType(w.type("REAgency"), false);
    a->startFeature(0);
    a->saveStateSnapshot();
    a->setType(type.get(), true);
    EXPECT_EQ(a->getFeatureStates()[0].remaining, 20000);
    EXPECT_EQ(a->getFeatureState(6), GBuildingFeatureState::Recharging);
}

TEST_F(LotTest, ProblemStatesFromTypesAndTheirIcons) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->setType(w.type("Ruin"), false);
    EXPECT_EQ(a->getProblemState(), BuildingProblemRuin);
    EXPECT_EQ(a->getProblemIcon(), nullptr);
    a->setProblemState(BuildingProblemServiceB);
    ASSERT_TRUE(a->getProblemIcon());
    EXPECT_EQ(a->getProblemIcon()->getNameId(), id("RepairIcon"));
    EXPECT_EQ(LotWorld::runningState(a->getProblemIcon()), "Active");
    a->setProblemState(BuildingProblemDirty);
    EXPECT_EQ(childrenNamed(a, "RepairIcon").size(), 0u);
    ASSERT_EQ(childrenNamed(a, "DirtyIcon").size(), 1u);
    a->setProblemState(BuildingProblemNone);
    EXPECT_EQ(childrenNamed(a, "DirtyIcon").size(), 0u);

    // A decoration that gives a bonus starts dirty on a lot the player does not own, where the
    // level says so.
    w.configuration->IsNotOwnedDecorationsDirty = true;
    a->setOwned(false);
    a->setType(w.type("Garden"), false);
    EXPECT_EQ(a->getProblemState(), BuildingProblemDirty);
}

TEST_F(LotTest, NoTypeIsRefusedWithALogLine) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    oskel::test::LogCapture logs;
    a->setType(nullptr, false);
    EXPECT_EQ(a->getCurrentType()->Name, CNameId("Hotel1"));
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].level, LogError);
}

TEST_F(LotTest, HighlightTintsSpritesButNotTheParts) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    auto* plain = static_cast<SpriteNode*>(w.sprite(a, "Roof"));
    auto* selector = static_cast<SpriteNode*>(w.sprite(a, "Selector"));
    auto* inside = static_cast<SpriteNode*>(w.sprite(a->getTemplateInstance(), "Window"));
    auto* star = static_cast<SpriteNode*>(w.sprite(a->getTemplateInstance(), "StarIcons"));
    a->setHighlightColor(GBuildingNode::HighlightFocus);
    EXPECT_EQ(plain->getTintColor(), GBuildingNode::HighlightFocus);
    EXPECT_EQ(plain->getBlendType(), SpriteNode::BlendAdditive);
    EXPECT_EQ(inside->getTintColor(), GBuildingNode::HighlightFocus);
    EXPECT_EQ(selector->getTintColor(), 0xFFFFFFFFu);
    EXPECT_EQ(selector->getBlendType(), SpriteNode::BlendNormal);
    EXPECT_EQ(star->getTintColor(), 0xFFFFFFFFu);
    // A translucent template instance keeps its sprites as they are.
    inside->setTintColor(0xFFFFFFFFu);
    a->getTemplateInstance()->setTintColor(0xCCFFFFFFu);
    a->setHighlightColor(GBuildingNode::HighlightBonus);
    EXPECT_EQ(inside->getTintColor(), 0xFFFFFFFFu);
    EXPECT_EQ(plain->getTintColor(), GBuildingNode::HighlightBonus);
}

TEST_F(LotTest, PreviewShowsATypeTranslucentOnAnEmptyPlaceOnly) {
    ASSERT_TRUE(loadRow({{"A", "Empty"}, {"B", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->previewBuilding(w.type("Hotel1"));
    EXPECT_EQ(a->getTemplateName(), id("Hotel1"));
    EXPECT_EQ(a->getTemplateInstance()->getTintColor(), 0xCCFFFFFFu);
    a->previewBuilding(nullptr);
    EXPECT_EQ(a->getTemplateName(), id("Empty"));
    EXPECT_EQ(a->getTemplateInstance()->getTintColor(), 0xFFFFFFFFu);
    GBuildingNode* b = w.lotNamed("B");
    b->previewBuilding(w.type("Hotel3"));
    EXPECT_EQ(b->getTemplateName(), id("Hotel1"));
}

TEST_F(LotTest, APressDoesNotFocusTheLotTheLevelSelectsIt) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    w.frame();
    EXPECT_TRUE(w.down(150, 320));
    EXPECT_TRUE(a->isPressed());
    EXPECT_FALSE(a->isFocused());
    w.up(150, 320);
    // The lot never takes the focus itself: the focus it has now is the level's selection.
    EXPECT_FALSE(a->isFocused());
    w.step(20);
    EXPECT_EQ(w.level->getSelectedBuilding(), a);
    EXPECT_TRUE(a->isFocused());
}

TEST_F(LotTest, ReapplyingOnSaleDrawsANewCountdown) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}, false));
    w.configuration->BuildingsSellTime = {10000.0f, 60000.0f};
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->setForSale(true);
    EXPECT_EQ(w.cues(), (std::vector<std::string>{"ForSale"}));
    EXPECT_TRUE(a->getForSaleNode()->isVisible());
    BaseNode* progress = a->getForSaleNode()->findChildByName("Progress", 1);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(a->getForSaleNode()->findChildByName("Bg", 1)->isVisible());
    const s32 first = a->getSaleTimerTotal();
    EXPECT_GE(first, 10000);
    EXPECT_LE(first, 60000);
    a->advanceOfferTimer(1000);
    a->applyTemplate();
    EXPECT_EQ(a->getSaleTimerElapsed(), 0);
    EXPECT_EQ(w.cues(), (std::vector<std::string>{"ForSale", "ForSale"}));
}

// ---- Economy ----

TEST_F(LotTest, PricesAndOffers) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    GLevelFactors& f = w.configuration->Factors;
    f.OwnedBuildingPriceBonus = 20.0f;
    EXPECT_FLOAT_EQ(a->getPrice(), 120.0f);
    a->setOwned(false);
    f.BuyBuildingPriceDiscount = 10.0f;
    f.BuyNotForSaleBuildingPriceBonus = 50.0f;
    EXPECT_FLOAT_EQ(a->getPrice(), 140.0f);
    a->setForSale(true);
    EXPECT_FLOAT_EQ(a->getPrice(), 90.0f);
    EXPECT_FLOAT_EQ(a->getPrice(w.type("Hotel3")), 900.0f);  // another type: its SellPrice
    EXPECT_EQ(textOf(a->getPriceText()), "90");

    // The offer: price x multiplier to the nearest thousand.
    a->setForSale(false);
    a->setOwned(true);
    f.OwnedBuildingPriceBonus = 0.0f;
    a->setType(w.type("Hotel3"), false);
    w.configuration->BuildingsBuyRequestPriceMultiplier = {1.2f, 1.2f};
    w.configuration->BuildingsBuyRequestTime = {100.0f, 100.0f};
    a->setForSale(true);
    a->advanceOfferTimer(150);
    ASSERT_TRUE(a->hasBuyOffer());
    EXPECT_EQ(a->getOfferAmount(), 1000);
    auto cheap = CRefPtr<GBuildingConfig>::fromRaw(w.type("Hotel3")->copy());
    cheap->SellPrice = 400.0f;
    a->setType(cheap.get(), false);
    EXPECT_EQ(a->getOfferAmount(), 0);
}

TEST_F(LotTest, ServeRectanglesThatOnlyTouchDoNotServe) {
    // The cafe's serve rectangle at (100, 300) is (20, 228) to (320, 428).
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("Cafe", "Cafe", 100, 300, true) +
                            LotWorld::lot("Touching", "Hotel1", 320, 300, true) +
                            LotWorld::lot("Inside", "Hotel1", 319, 300, true)));
    w.start();
    GBuildingNode* cafe = w.lotNamed("Cafe");
    EXPECT_EQ(cafe->getServeRect(cafe->getCurrentType()), GBuildingNode::Rect(20, 228, 320, 428));
    const std::vector<GBuildingNode*> served = cafe->collectServedBuildings(cafe->getCurrentType());
    ASSERT_EQ(served.size(), 1u);
    EXPECT_EQ(served[0], w.lotNamed("Inside"));
    EXPECT_EQ(cafe->countServedGuests(cafe->getCurrentType()), 10);
    // 10 guests x 2 + 50 of its own.
    EXPECT_FLOAT_EQ(cafe->getIncome(), 70.0f);
    EXPECT_EQ(std::string(toUtf8(cafe->formatIncomeText().c_str())), "70");
}

TEST_F(LotTest, OneBonusPerServingType) {
    // Two gardens and a shop around one hotel: one garden bonus and the shop's.
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("G1", "Garden", 100, 300, true) +
                            LotWorld::lot("Hotel", "Hotel1", 250, 300, true) +
                            LotWorld::lot("G2", "Garden", 400, 300, true) +
                            LotWorld::lot("Shop", "Shop", 250, 420, true)));
    w.start();
    GBuildingNode* hotel = w.lotNamed("Hotel");
    hotel->recalculateIncomeBonus();
    EXPECT_FLOAT_EQ(hotel->getIncomeBonus(), 15.0f);
    ASSERT_EQ(hotel->getBonusGivers().size(), 2u);
    EXPECT_EQ(hotel->getBonusGivers()[0], w.lotNamed("G1"));
    EXPECT_EQ(hotel->getBonusGivers()[1], w.lotNamed("Shop"));
    EXPECT_FLOAT_EQ(hotel->getIncome(), 115.0f);
    // A giver running a process gives nothing; a broken one its broken bonus (none here).
    w.lotNamed("G1")->setProcess(BuildingProcessMaintenance, nullptr);
    hotel->recalculateIncomeBonus();
    EXPECT_EQ(hotel->getBonusGivers()[0], w.lotNamed("G2"));
    EXPECT_FLOAT_EQ(hotel->getIncomeBonus(), 15.0f);
}

TEST_F(LotTest, ServeIncomeBelowOneServesNoGuests) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("Cafe", "Cafe", 100, 300, true) +
                            LotWorld::lot("Hotel", "Hotel1", 250, 300, true)));
    w.start();
    auto half = CRefPtr<GBuildingConfig>::fromRaw(w.type("Cafe")->copy());
    half->ServeIncome = 0.5f;
    EXPECT_EQ(w.lotNamed("Cafe")->countServedGuests(half.get()), 0);
    EXPECT_EQ(w.lotNamed("Cafe")->countServedGuests(w.type("Cafe")), 10);
}

TEST_F(LotTest, TheFirstLotToClaimKeepsTheGuests) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("First", "Cafe", 100, 300, true) +
                            LotWorld::lot("Hotel", "Hotel1", 250, 300, true) +
                            LotWorld::lot("Second", "Cafe", 400, 300, true)));
    w.start();
    GBuildingNode* hotel = w.lotNamed("Hotel");
    EXPECT_EQ(hotel->getServingBuilding(id("Cafe")), w.lotNamed("First"));
    EXPECT_EQ(w.lotNamed("First")->countServedGuests(nullptr), 10);
    EXPECT_EQ(w.lotNamed("Second")->countServedGuests(nullptr), 0);
    // Serving types are highlighted when the hotel's own type is shown.
    auto* roof = static_cast<SpriteNode*>(w.sprite(w.lotNamed("First"), "Roof"));
    hotel->showServeArea(hotel->getCurrentType());
    EXPECT_EQ(roof->getTintColor(), GBuildingNode::HighlightGuests);
}

TEST_F(LotTest, TheServeAreaCoversTheServedLotsOnTheGrid) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("Shop", "Empty", 100, 300, true) +
                            LotWorld::lot("Hotel", "Hotel1", 250, 300, true)));
    w.start();
    GBuildingNode* shop = w.lotNamed("Shop");
    auto* roof = static_cast<SpriteNode*>(w.sprite(w.lotNamed("Hotel"), "Roof"));
    shop->showServeArea(w.type("Shop"));
    BaseNode* area = shop->getServeAreaNode();
    ASSERT_TRUE(area->isVisible());
    // The box from (100, 300) to (385, 360): 280 x 120 on the grid of 40.
    EXPECT_EQ(area->getBounds(), vector3df(280.0f, 120.0f, 0.0f));
    EXPECT_EQ(area->getPivotPoint(), vector2df(140.0f, 60.0f));
    EXPECT_EQ(area->getPosition(), vector3df(142.5f, 30.0f, -500.0f));
    EXPECT_EQ(LotWorld::runningState(area), "Blue");
    EXPECT_EQ(roof->getTintColor(), GBuildingNode::HighlightBonus);
    shop->showServeArea(w.type("Cafe"));
    EXPECT_EQ(LotWorld::runningState(area), "Green");
    shop->showServeArea(nullptr);
    EXPECT_FALSE(area->isVisible());
}

TEST_F(LotTest, ABoostingFeaturePaysInQuartersAndRecharges) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("Cafe", "Cafe", 100, 300, true) +
                            LotWorld::lot("Hotel", "Hotel1", 250, 300, true)));
    w.start();
    GameEventRecorder parents;
    w.screen->addPreReceiver(&parents);
    GBuildingNode* cafe = w.lotNamed("Cafe");
    cafe->startFeature(0);
    EXPECT_EQ(cafe->getFeatureState(0), GBuildingFeatureState::Active);
    EXPECT_EQ(LotWorld::runningState(cafe->getFeatureIcon(0)), "Active");
    // Each payment: 10 guests x 4 x 0.25.
    const u32 period = GBuildingNode::UpdatePeriodMs;
    std::vector<u32> paidAt;
    u32 recharging = 0, ready = 0;
    for (u32 t = period; t <= 44000; t += period) {
        const size_t before = parents.amounts.size();
        cafe->update(period);
        if (parents.amounts.size() > before) paidAt.push_back(t);
        if (!recharging && cafe->getFeatureState(0) == GBuildingFeatureState::Recharging)
            recharging = t;
        if (recharging && !ready && cafe->getFeatureState(0) == GBuildingFeatureState::Ready)
            ready = t;
        if (t == 20000) {
            // Broken, the timers stand still.
            cafe->setProblemState(BuildingProblemBroken);
            const s32 left = cafe->getFeatureStates()[0].remaining;
            cafe->update(period);
            cafe->update(period);
            EXPECT_EQ(cafe->getFeatureStates()[0].remaining, left);
            cafe->setProblemState(BuildingProblemNone);
        }
    }
    // The tick starts at a quarter, then a third, counted from the step that paid.
    EXPECT_EQ(paidAt, (std::vector<u32>{3050, 7100, 11150, 12000}));
    for (f32 amount : parents.amounts) EXPECT_FLOAT_EQ(amount, 10.0f);
    EXPECT_EQ(recharging, 12000u);
    EXPECT_EQ(ready, 42000u);
    EXPECT_EQ(parents.features, (std::vector<s32>{0}));
    EXPECT_EQ(std::count(parents.ids.begin(), parents.ids.end(), GameEventBuildingProcessEnded), 1);
    EXPECT_EQ(LotWorld::runningState(cafe->getFeatureIcon(0)), "Ready");
    w.screen->removePreReceiver(&parents);
}

TEST_F(LotTest, AnOwnedLotOnSaleWaitsGetsAnOfferAndTheOfferExpires) {
    ASSERT_TRUE(loadRow({{"A", "Hotel3"}}));
    w.configuration->BuildingsBuyRequestTime = {1000.0f, 1000.0f};
    w.configuration->BuildingsBuyRequestTimeWaiting = {2000.0f, 2000.0f};
    w.configuration->BuildingsBuyRequestPriceMultiplier = {1.2f, 1.2f};
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->setForSale(true);
    EXPECT_EQ(a->getSaleTimerTotal(), 1000);
    EXPECT_FALSE(a->getPhoneIcon()->isVisible());
    a->advanceOfferTimer(1000);
    EXPECT_FALSE(a->hasBuyOffer());
    a->advanceOfferTimer(50);
    ASSERT_TRUE(a->hasBuyOffer());
    EXPECT_TRUE(a->getPhoneIcon()->isVisible());
    EXPECT_EQ(LotWorld::runningState(a->getPhoneIcon()), "Active");
    EXPECT_EQ(a->getSaleTimerTotal(), 2000);
    EXPECT_EQ(textOf(a->getPriceText()), "1,000");
    EXPECT_EQ(w.cues(), (std::vector<std::string>{"ForSale", "BuyRequest"}));
    a->advanceOfferTimer(1000);
    BaseNode* sector = a->getPhoneIcon()->findChildByName("Progress", 1)->getChildren()[1];
    EXPECT_EQ(static_cast<GEllipseSectorNode*>(sector)->Angle2, 180);
    a->advanceOfferTimer(1050);
    EXPECT_FALSE(a->hasBuyOffer());
    EXPECT_FALSE(a->getPhoneIcon()->isVisible());
    EXPECT_EQ(a->getSaleTimerTotal(), 1000);
    EXPECT_EQ(textOf(a->getPriceText()), "900");
}

TEST_F(LotTest, ALotOnSaleByTheLevelLeavesTheSaleOnTime) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}, false));
    w.configuration->BuildingsSellTime = {1000.0f, 1000.0f};
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->setForSale(true);
    a->advanceOfferTimer(500);
    BaseNode* sector = a->getForSaleNode()->findChildByName("Progress", 1)->getChildren()[1];
    EXPECT_EQ(static_cast<GEllipseSectorNode*>(sector)->Angle2, 180);
    a->advanceOfferTimer(550);
    EXPECT_FALSE(a->isForSale());
    EXPECT_FALSE(a->getForSaleNode()->isVisible());
}

TEST_F(LotTest, TheClockTurnsColoursAndAlertsOnce) {
    LotWorld& world = w;
    BaseNode* clock = world.clock(world.screen.get(), "Clock");
    auto* sector = static_cast<GEllipseSectorNode*>(clock->getChildren()[1]);
    BaseNode* hand = clock->getChildren()[2];
    GBuildingNode::setCountdownClock(clock, 0.0f);
    EXPECT_EQ(sector->Angle2, 0);
    EXPECT_EQ(sector->FillColor, 0xFF00FF00u);
    GBuildingNode::setCountdownClock(clock, 0.5f);
    EXPECT_EQ(sector->Angle2, 180);
    EXPECT_EQ(sector->FillColor, 0xFFFFFF00u);
    EXPECT_EQ(hand->getRotation(), vector3df(0.0f, 0.0f, 180.0f));
    EXPECT_TRUE(world.cues().empty());
    GBuildingNode::setCountdownClock(clock, 0.8f);
    EXPECT_EQ(sector->Angle2, 288);
    EXPECT_EQ(sector->FillColor, 0xFFFF6600u);
    EXPECT_EQ(LotWorld::runningState(sector), "Alert");
    GBuildingNode::setCountdownClock(clock, 0.9f);
    EXPECT_EQ(world.cues(), (std::vector<std::string>{"TimedActionEnd"}));
    // A node with too few children shows nothing.
    BaseNode* small = world.base(world.screen.get(), "Small");
    world.sprite(small, "Face");
    GBuildingNode::setCountdownClock(small, 0.5f);
    EXPECT_EQ(small->getChildren()[0]->getRotation(), vector3df(0.0f, 0.0f, 0.0f));
}

TEST_F(LotTest, APausedLevelFreezesEveryTimer) {
    ASSERT_TRUE(w.loadLevel(LotWorld::lot("Cafe", "Cafe", 100, 300, true) +
                            LotWorld::lot("Hotel", "Hotel1", 250, 300, true)));
    w.configuration->BuildingsBuyRequestTime = {5000.0f, 5000.0f};
    w.start();
    GBuildingNode* cafe = w.lotNamed("Cafe");
    GBuildingNode* hotel = w.lotNamed("Hotel");
    hotel->setForSale(true);
    cafe->startFeature(0);
    w.run(1000);
    const s32 letter = cafe->getMsSinceMoneyLetter();
    EXPECT_GT(letter, 5000);
    const s32 remaining = cafe->getFeatureStates()[0].remaining;
    const s32 sale = hotel->getSaleTimerElapsed();
    EXPECT_GT(sale, 0);
    w.level->setPaused(true);
    w.run(1000);
    EXPECT_EQ(cafe->getMsSinceMoneyLetter(), letter);
    EXPECT_EQ(cafe->getMsSinceMaintenance(), letter + 5000);
    EXPECT_EQ(cafe->getFeatureStates()[0].remaining, remaining);
    EXPECT_EQ(hotel->getSaleTimerElapsed(), sale);
    w.level->setPaused(false);
    w.run(1000);
    EXPECT_GT(cafe->getMsSinceMoneyLetter(), letter);
}

TEST_F(LotTest, AnUnlinkedLotsUpdateDoesNothing) {
    GBuildingNode lot{CCreationContext()};
    auto type = CRefPtr<GBuildingConfig>::fromRaw(new GBuildingConfig());
    type->Level = 1;
    lot.setOwned(true);
    lot.setType(type.get(), false);
    EXPECT_TRUE(lot.update(1000));
    EXPECT_EQ(lot.getMsSinceMoneyLetter(), 5000);
    EXPECT_EQ(lot.getSaleTimerElapsed(), 0);
    lot.setLevelConfiguration(w.configuration.get());
    EXPECT_TRUE(lot.update(1000));
    EXPECT_EQ(lot.getMsSinceMoneyLetter(), 5000);  // still no level scene
}

// A sale countdown of no length shows a full clock (no division by zero) and ends at once.
TEST_F(LotTest, ASaleOfNoLengthEndsAtOnce) {
    ASSERT_TRUE(loadRow({{"A", "Hotel1"}}, false));
    w.configuration->BuildingsSellTime = {0.0f, 0.0f};
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    a->setForSale(true);
    EXPECT_EQ(a->getSaleTimerTotal(), 0);
    a->advanceOfferTimer(0);
    BaseNode* sector = a->getForSaleNode()->findChildByName("Progress", 1)->getChildren()[1];
    EXPECT_EQ(static_cast<GEllipseSectorNode*>(sector)->Angle2, 360);
    EXPECT_TRUE(a->isForSale());
    a->advanceOfferTimer(GBuildingNode::UpdatePeriodMs);
    EXPECT_FALSE(a->isForSale());
}

// Feature icons follow what the bought upgrades unlock: a single icon stands between the two
// homes, two stand at their own; none while workers are shown or the lot is not owned.
TEST_F(LotTest, FeatureIconsFollowTheUnlockedFeatures) {
    ASSERT_TRUE(loadRow({{"A", "REAgency"}}));
    w.start();
    GBuildingNode* a = w.lotNamed("A");
    BaseNode* icon1 = a->getFeatureIcon(0);
    BaseNode* icon2 = a->getFeatureIcon(1);
    ASSERT_TRUE(icon1 && icon2);
    a->updateFeatureIcons();
    EXPECT_FALSE(a->isFeatureUnlocked(0));  // no upgrades record yet
    EXPECT_FALSE(icon1->isVisible());

    auto none = makeRef<GLevelUpgrades>();
    w.level->setUpgradeEffects(none.get());
    EXPECT_EQ(w.level->getUpgradeEffects(), none.get());
    EXPECT_TRUE(a->isFeatureUnlocked(0));
    EXPECT_FALSE(a->isFeatureUnlocked(1));
    EXPECT_FALSE(a->isFeatureUnlocked(2));  // beyond the type's features
    a->updateFeatureIcons();
    EXPECT_TRUE(icon1->isVisible());
    EXPECT_FALSE(icon2->isVisible());
    EXPECT_EQ(icon1->getPosition(), vector3df(40.0f, 70.0f, 0.0f));  // between (20, 70), (60, 70)

    // The upgrades file counts features from 1: its 2 is the second feature.
    auto table = makeRef<UpgradesConfiguration>();
    CRefPtr<CXmlReader> reader = oskel::test::readerOf(
        "<UpgradesConfiguration><Upgrade><Name Value=\"Agents\"/><Level Value=\"0\"/><Price "
        "Value=\"0\"/><AllowsBuildingFeature Building=\"REAgency\" FeatureIndex=\"2\"/></Upgrade>"
        "</UpgradesConfiguration>");
    ASSERT_TRUE(table->load(reader.get()));
    auto both = makeRef<GLevelUpgrades>();
    both->collect(table.get(), nullptr, 0);
    w.level->setUpgradeEffects(both.get());
    EXPECT_TRUE(a->isFeatureUnlocked(1));
    a->updateFeatureIcons();
    EXPECT_TRUE(icon1->isVisible());
    EXPECT_TRUE(icon2->isVisible());
    EXPECT_EQ(icon1->getPosition(), vector3df(20.0f, 70.0f, 0.0f));
    EXPECT_EQ(icon2->getPosition(), vector3df(60.0f, 70.0f, 0.0f));

    a->showWorkersCount(3);
    EXPECT_FALSE(icon1->isVisible());
    EXPECT_FALSE(icon2->isVisible());
    a->showWorkersCount(0);
    EXPECT_TRUE(icon1->isVisible());
    a->setOwned(false);
    EXPECT_FALSE(icon1->isVisible());
    a->setOwned(true);
    a->setProblemState(BuildingProblemBroken);  // not working
    a->updateFeatureIcons();
    EXPECT_FALSE(icon1->isVisible());
}
