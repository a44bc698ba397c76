// A player's means: for a table of lot states and owned upgrades, the moves the level bot may
// make on a lot are exactly the buttons and build-menu entries the play screen shows pressable
// once the lot is selected; a type the upgrades forbid is never among them; the resource offers
// follow the money and the deliveries.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "game/level/GGameEvents.h"
#include "game/play/GPlayOffers.h"
#include "tests/game/levels/LevelBot.h"
#include "tests/game/play/PanelsWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelbot;
using namespace brasquel::test;

namespace {

using Texts = std::set<std::string>;

std::string botLots() {
    return LotWorld::lot("Camp", "Camping1", 100, 100, true) +
           LotWorld::lot("Place", "BuildingPlace", 300, 100, true) +
           LotWorld::lot("Foreign", "Camping1", 500, 100, false) +
           LotWorld::lot("Mall", "CityMall", 100, 300, true) +
           LotWorld::lot("Truck", "TruckStation", 500, 300, true) +
           LotWorld::lot("Garden", "Garden", 700, 500, true);
}

// The bot's moves on the lot.
Texts botMovesOn(const GGameLevelScene& level, const GBuildingNode* lot) {
    Texts texts;
    for (const SMove& move : offeredMoves(level))
        if (move.lot == lot) texts.insert(move.text());
    return texts;
}

bool pressable(const BaseNode* node) {
    if (!node || !node->isKindOf(NodeTypeControl)) return false;
    const auto* control = static_cast<const ControlNode*>(node);
    return control->isVisible() && control->isEnabled();
}

// What the play screen shows pressable for the selected lot, written as the bot's moves.
Texts screenMovesOn(PanelsWorld& w, GBuildingNode* lot) {
    Texts texts;
    const std::string name = lot->getNodeName().c_str();
    PanelsScreen& p = *w.play;
    switch (w.tabs->getActiveTabIndex()) {
        case GGamePlayScene::TabBuildingPlace: {
            const std::pair<const char*, ListNode*> menus[] = {
                {"HotelsButton", p.m_hotelsBuildList},
                {"FactoriesButton", p.m_factoriesBuildList},
                {"JoysButton", p.m_joysBuildList}};
            for (const auto& [button, list] : menus) {
                const auto* category =
                    static_cast<ControlNode*>(p.m_tabs[9]->findChildByName(button, 1));
                if (!category->isEnabled()) continue;
                for (s32 i = 0; i < static_cast<s32>(list->getItemsCount()); ++i) {
                    const auto* type = dynamic_cast<const GBuildingConfig*>(list->getItemData(i));
                    if (type && list->isItemEnabled(i))
                        texts.insert("build " + name + " " + type->Name.getName().c_str());
                }
            }
            if (pressable(p.m_tabs[9]->findChildByName("SellButton", 1)))
                texts.insert("forsale " + name);
            break;
        }
        case GGamePlayScene::TabBuy:
            if (static_cast<ControlNode*>(p.m_tabs[6]->findChildByName("BuyButton", 1))
                    ->isEnabled())
                texts.insert("buy " + name);
            break;
        case GGamePlayScene::TabBuyRequest:
            // The offer page's two answers are always there.
            texts.insert("sell " + name);
            texts.insert("decline " + name);
            break;
        case GGamePlayScene::TabBuilding: {
            BaseNode* page = p.m_tabs[GGamePlayScene::TabBuilding];
            if (p.m_buildingProgressNode->isVisible()) {
                if (p.m_buildingProgressNode->findChildByName("AbortButton", 1)->isVisible())
                    texts.insert("abort " + name);
                break;
            }
            const std::pair<const char*, std::string> buttons[] = {
                {"UpgradeButton", "upgrade " + name},
                {"DestroyButton", "destroy " + name},
                {"SellButton", "forsale " + name},
                {"RepairButton", "repair " + name},
                {"ActiveFeature1Button", "feature " + name + " 0"},
                {"ActiveFeature2Button", "feature " + name + " 1"},
                {"CleanButton", "clean " + name}};
            for (const char* panel :
                 {"HotelButtonsNode", "JoyButtonsNode", "CustomServiceButtonsNode"}) {
                BaseNode* node = page->findChildByName(panel, 1);
                if (!node->isVisible()) continue;
                for (const auto& [button, text] : buttons)
                    if (pressable(node->findChildByName(button, 1))) texts.insert(text);
                if (pressable(node->findChildByName("CustomServeButton", 1))) {
                    switch (playoffers::serveActionOf(*lot)) {
                        case playoffers::ServeActionRestore:
                            texts.insert("restore " + name);
                            break;
                        case playoffers::ServeActionFeature:
                            texts.insert("feature " + name + " 0");
                            break;
                        case playoffers::ServeActionCustom:
                            texts.insert("serve " + name);
                            break;
                    }
                }
            }
            break;
        }
        default:
            break;
    }
    return texts;
}

}  // namespace

TEST(LevelBotMeans, TheBotsMovesOnALotAreWhatThePlayScreenOffersInItsState) {
    struct Case {
        const char* name;
        std::initializer_list<const char*> allowed;
        const char* lot;
        std::function<void(PanelsWorld&, GBuildingNode*)> state;
        Texts moves;
    };
    const auto none = [](PanelsWorld&, GBuildingNode*) {};
    const Case cases[] = {
        {"idle camping",
         {"Camping1"},
         "Camp",
         none,
         {"upgrade Camp", "destroy Camp", "forsale Camp"}},
        {"broken camping",
         {"Camping1"},
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemBroken); },
         {"destroy Camp", "repair Camp"}},
        {"camping being upgraded",
         {"Camping1"},
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) {
             l->setProcess(BuildingProcessConstruction, nullptr);
         },
         {"abort Camp"}},
        {"empty place, campings allowed",
         {"Camping1"},
         "Place",
         none,
         {"build Place Camping1", "forsale Place"}},
        {"empty place, more allowed",
         {"Camping1", "Cafe", "CityMall", "Statue"},
         "Place",
         none,
         // The mall stands already: a kind that stands once.
         {"build Place Camping1", "build Place Cafe", "build Place Statue", "forsale Place"}},
        {"empty place, the joys closed",
         {"Camping1", "Statue"},
         "Place",
         none,
         // The joys menu opens with its first type, the cafe, only.
         {"build Place Camping1", "forsale Place"}},
        {"empty place, little money",
         {"Camping1", "Cafe", "Statue"},
         "Place",
         [](PanelsWorld& w, GBuildingNode*) { w.level->Money = 100.0f; },
         {"build Place Cafe", "forsale Place"}},
        {"empty place, selling off",
         {"Camping1"},
         "Place",
         [](PanelsWorld& w, GBuildingNode*) { w.level->getLevelConfiguration()->IsSellOn = false; },
         {"build Place Camping1"}},
        {"another owner's camping on sale",
         {"Camping1"},
         "Foreign",
         [](PanelsWorld&, GBuildingNode* l) { l->setForSale(true); },
         {"buy Foreign"}},
        {"another owner's camping", {"Camping1"}, "Foreign", none, {}},
        {"an offer for the camping",
         {"Camping1"},
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) {
             l->setForSale(true);
             l->showBuyOffer(true);
         },
         {"sell Camp", "decline Camp"}},
        {"mall", {"Camping1"}, "Mall", none, {"destroy Mall", "feature Mall 0"}},
        {"truck station to restore", {"Camping1"}, "Truck", none, {"restore Truck"}},
        {"restored truck station",
         {"Camping1"},
         "Truck",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemNone); },
         {"feature Truck 0"}},
        {"dirty garden",
         {"Camping1"},
         "Garden",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemDirty); },
         {"destroy Garden", "clean Garden"}},
    };
    for (const Case& c : cases) {
        PanelsWorld w;
        w.allow(c.allowed);
        w.startWith(botLots());
        w.play->fillHotelsBuildList();
        w.play->fillJoysBuildList();
        w.play->fillFactoriesBuildList();
        w.play->refreshCategoryButtons();
        GBuildingNode* lot = w.focus(c.lot);
        c.state(w, lot);
        w.play->refreshPanels();
        w.play->reselectBuilding(lot);
        EXPECT_EQ(botMovesOn(*w.level, lot), c.moves) << c.name;
        EXPECT_EQ(screenMovesOn(w, lot), c.moves) << c.name;
        // A type the upgrades forbid is never offered.
        for (const SMove& move : offeredMoves(*w.level))
            if (move.kind == MoveBuild)
                EXPECT_TRUE(w.upgrades->isBuildingAllowed(move.type->Name)) << c.name;
        lot->setProcess(BuildingProcessNone, nullptr);
    }
}

TEST(LevelBotMeans, ALotWithALetterOffersTheLetterOnly) {
    PanelsWorld w;
    w.allow({"Camping1"});
    w.startWith(botLots());
    w.configuration->Factors.CanReceiveMoneyLetters = true;
    GBuildingNode* camp = w.lotNamed("Camp");
    auto request = makeEvent<GEventLetterRequest>(GEventLetterRequest::Range{10.0f, 10.0f},
                                                  GEventLetterRequest::Range{3000.0f, 3000.0f});
    EXPECT_TRUE(w.level->onEvent(request.get()));
    ASSERT_EQ(w.level->getLetters().size(), 1u);
    EXPECT_EQ(botMovesOn(*w.level, camp), Texts{"press Camp"});
    // The press collects it, and the lot's buttons come back.
    const f32 money = w.level->Money;
    EXPECT_TRUE(w.level->onEvent(makeEvent<CEventNodePressed>(camp).get()));
    EXPECT_GT(w.level->Money, money);
    EXPECT_EQ(botMovesOn(*w.level, camp), (Texts{"upgrade Camp", "destroy Camp", "forsale Camp"}));
}

TEST(LevelBotMeans, OrdersFollowTheMoneyAndOneDeliveryOfAKindRunsAtATime) {
    PanelsWorld w;
    for (f32 price : {200.0f, 4000.0f})
        w.configuration->MaterialsOffers.push_back(makeRef<GLevelOffer>(50.0f, price, 5000.0f));
    w.configuration->WorkersOffers.push_back(makeRef<GLevelOffer>(1.0f, 300.0f, 5000.0f));
    w.allow({"Camping1"});
    w.startWith(botLots());
    auto orders = [&] {
        Texts texts;
        for (const SMove& move : offeredMoves(*w.level))
            if (!move.lot) texts.insert(move.text());
        return texts;
    };
    w.level->Money = 1000.0f;
    EXPECT_EQ(orders(), (Texts{"materials 0", "workers 0"}));
    w.level->Money = 5000.0f;
    EXPECT_EQ(orders(), (Texts{"materials 0", "materials 1", "workers 0"}));
    ASSERT_TRUE(w.level->buyMaterials(w.configuration->MaterialsOffers[0].get()));
    EXPECT_EQ(orders(), Texts{"workers 0"});
    ASSERT_TRUE(w.level->trainWorkers(w.configuration->WorkersOffers[0].get()));
    EXPECT_EQ(orders(), Texts{});
}
