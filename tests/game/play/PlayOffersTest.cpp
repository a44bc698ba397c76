// What the play screen offers in a level's state, asked without the screen: for a table of lot
// states the page, the panel and the pressable buttons the questions answer are the ones the
// screen shows once the lot is selected; the build menus' entries and the resource offers follow
// the upgrades, the money and the deliveries as the screen's lists do.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "game/play/GPlayOffers.h"
#include "tests/game/play/PanelsWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

using Names = std::set<std::string>;

// An owned camping, an owned place, a camping of another owner, a mall with one feature, a
// statue with two, a truck station (a kind that starts as a ruin), a garden that can be cleaned.
std::string offerLots() {
    return LotWorld::lot("Camp", "Camping1", 100, 100, true) +
           LotWorld::lot("Place", "BuildingPlace", 300, 100, true) +
           LotWorld::lot("Foreign", "Camping1", 500, 100, false) +
           LotWorld::lot("Mall", "CityMall", 100, 300, true) +
           LotWorld::lot("Statue", "Statue", 300, 300, true) +
           LotWorld::lot("Truck", "TruckStation", 500, 300, true) +
           LotWorld::lot("Garden", "Garden", 700, 500, true);
}

// The buttons of the building page's shown panel that can be pressed, by name.
Names pressableOnScreen(PanelsWorld& w) {
    Names names;
    BaseNode* page = w.play->m_tabs[GGamePlayScene::TabBuilding];
    for (const char* panel : {"HotelButtonsNode", "JoyButtonsNode", "CustomServiceButtonsNode"}) {
        BaseNode* node = page->findChildByName(panel, 1);
        if (!node->isVisible()) continue;
        for (BaseNode* child : node->getChildren()) {
            if (!child->isKindOf(NodeTypeControl)) continue;
            const auto* control = static_cast<ControlNode*>(child);
            if (control->isVisible() && control->isEnabled())
                names.insert(control->getNodeName().c_str());
        }
    }
    return names;
}

// The same buttons as the questions answer them.
Names pressableByQuestions(const GGameLevelScene& level, const GBuildingNode& lot) {
    Names names;
    auto add = [&](const char* name, const playoffers::SButton& button) {
        if (button.offered()) names.insert(name);
    };
    switch (playoffers::buildingPanelOf(lot)) {
        case playoffers::BuildingPanelHotel: {
            const playoffers::SHotelButtons b = playoffers::hotelButtonsOf(level, lot);
            add("UpgradeButton", b.upgrade);
            add("DestroyButton", b.destroy);
            add("SellButton", b.sell);
            add("RepairButton", b.repair);
            break;
        }
        case playoffers::BuildingPanelFeatures: {
            const playoffers::SFeatureButtons b = playoffers::featureButtonsOf(level, lot);
            add("DestroyButton", b.destroy);
            add("ActiveFeature1Button", b.features[0]);
            add("ActiveFeature2Button", b.features[1]);
            add("CleanButton", b.clean);
            break;
        }
        case playoffers::BuildingPanelService:
            add("CustomServeButton", playoffers::serveButtonOf(level, lot));
            break;
        default:
            break;
    }
    return names;
}

const char* panelName(playoffers::EBuildingPanel panel) {
    switch (panel) {
        case playoffers::BuildingPanelHotel:
            return "HotelButtonsNode";
        case playoffers::BuildingPanelFeatures:
            return "JoyButtonsNode";
        case playoffers::BuildingPanelService:
            return "CustomServiceButtonsNode";
        case playoffers::BuildingPanelProgress:
            return "ProgressNode";
        default:
            return "";
    }
}

}  // namespace

TEST(PlayOffers, TheQuestionsAnswerWhatTheScreenShowsForEachLotState) {
    struct Case {
        const char* name;
        const char* lot;
        std::function<void(PanelsWorld&, GBuildingNode*)> state;
        s32 page;
        playoffers::EBuildingPanel panel;
        Names pressable;
    };
    const auto none = [](PanelsWorld&, GBuildingNode*) {};
    const Case cases[] = {
        {"idle camping",
         "Camp",
         none,
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelHotel,
         {"UpgradeButton", "DestroyButton", "SellButton"}},
        {"broken camping",
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemBroken); },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelHotel,
         {"DestroyButton", "RepairButton"}},
        {"broken camping without materials",
         "Camp",
         [](PanelsWorld& w, GBuildingNode* l) {
             l->setProblemState(BuildingProblemBroken);
             w.level->Materials = 1.0f;
         },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelHotel,
         {"DestroyButton"}},
        {"camping on sale",
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) { l->setForSale(true); },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelHotel,
         {"DestroyButton", "SellButton"}},
        {"camping without workers",
         "Camp",
         [](PanelsWorld& w, GBuildingNode*) { w.level->Workers = 0; },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelHotel,
         {"SellButton"}},
        {"camping asking for a service",
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemServiceB); },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelService,
         {}},
        {"camping being upgraded",
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) {
             l->setProcess(BuildingProcessConstruction, nullptr);
         },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelProgress,
         {}},
        {"mall",
         "Mall",
         none,
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelFeatures,
         {"DestroyButton", "ActiveFeature1Button"}},
        {"mall with its feature on",
         "Mall",
         [](PanelsWorld&, GBuildingNode* l) { l->startFeature(0); },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelFeatures,
         {"DestroyButton"}},
        {"statue with a locked second feature",
         "Statue",
         none,
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelFeatures,
         {"DestroyButton", "ActiveFeature1Button"}},
        {"dirty garden",
         "Garden",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemDirty); },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelFeatures,
         {"DestroyButton", "CleanButton"}},
        {"restored truck station",
         "Truck",
         [](PanelsWorld&, GBuildingNode* l) { l->setProblemState(BuildingProblemNone); },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelService,
         {"CustomServeButton"}},
        {"restored truck station too dear to use",
         "Truck",
         [](PanelsWorld& w, GBuildingNode* l) {
             l->setProblemState(BuildingProblemNone);
             w.level->Money = 100.0f;
         },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelService,
         {}},
        {"truck station to restore",
         "Truck",
         none,
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelService,
         {"CustomServeButton"}},
        {"truck station to restore without workers",
         "Truck",
         [](PanelsWorld& w, GBuildingNode*) { w.level->Workers = 0; },
         GGamePlayScene::TabBuilding,
         playoffers::BuildingPanelService,
         {}},
        {"empty place",
         "Place",
         none,
         GGamePlayScene::TabBuildingPlace,
         playoffers::BuildingPanelHotel,
         {}},
        {"lot of another owner",
         "Foreign",
         none,
         GGamePlayScene::TabBuy,
         playoffers::BuildingPanelHotel,
         {}},
        {"offer for the camping",
         "Camp",
         [](PanelsWorld&, GBuildingNode* l) {
             l->setForSale(true);
             l->showBuyOffer(true);
         },
         GGamePlayScene::TabBuyRequest,
         playoffers::BuildingPanelHotel,
         {}},
    };
    for (const Case& c : cases) {
        PanelsWorld w;
        w.startWith(offerLots());
        GBuildingNode* lot = w.focus(c.lot);
        c.state(w, lot);
        w.play->reselectBuilding(lot);

        EXPECT_EQ(playoffers::pageOfLot(lot), c.page) << c.name;
        EXPECT_EQ(w.tabs->getActiveTabIndex(), c.page) << c.name;
        EXPECT_EQ(playoffers::buildingPanelOf(*lot), c.panel) << c.name;
        if (c.page != GGamePlayScene::TabBuilding) {
            lot->setProcess(BuildingProcessNone, nullptr);
            continue;
        }
        BaseNode* page = w.play->m_tabs[GGamePlayScene::TabBuilding];
        const BaseNode* panel = page->findChildByName(panelName(c.panel), 1);
        ASSERT_NE(panel, nullptr) << c.name;
        EXPECT_TRUE(panel->isVisible()) << c.name;
        EXPECT_EQ(pressableByQuestions(*w.level, *lot), c.pressable) << c.name;
        if (c.panel != playoffers::BuildingPanelProgress &&
            !(c.panel == playoffers::BuildingPanelService &&
              lot->getCurrentType()->Type < BuildingKindFirstRuin))
            EXPECT_EQ(pressableOnScreen(w), c.pressable) << c.name;
        lot->setProcess(BuildingProcessNone, nullptr);
    }
}

TEST(PlayOffers, TheServiceButtonsPressRestoresUsesTheFeatureOrAsksForTheService) {
    PanelsWorld w;
    w.startWith(offerLots());
    GBuildingNode* truck = w.lotNamed("Truck");
    GBuildingNode* camp = w.lotNamed("Camp");
    // A kind that starts as a ruin must be restored first.
    ASSERT_EQ(truck->getProblemState(), BuildingProblemRuin);
    EXPECT_EQ(playoffers::serveActionOf(*truck), playoffers::ServeActionRestore);
    truck->setProblemState(BuildingProblemNone);
    EXPECT_EQ(playoffers::serveActionOf(*truck), playoffers::ServeActionFeature);
    truck->setProblemState(BuildingProblemRuin);
    camp->setProblemState(BuildingProblemServiceA);
    EXPECT_EQ(playoffers::serveActionOf(*camp), playoffers::ServeActionCustom);
    // The screen's press does what the answer names.
    w.focus("Truck");
    EXPECT_TRUE(w.press("CustomServeButton"));
    EXPECT_EQ(truck->getProcessKind(), BuildingProcessMaintenance);
    for (s32 kind :
         {BuildingProcessConstruction, BuildingProcessDemolition, BuildingProcessMaintenance})
        EXPECT_TRUE(playoffers::canAbort(kind)) << kind;
    for (s32 kind : {BuildingProcessNone, BuildingProcessTimedService, BuildingProcessFeature})
        EXPECT_FALSE(playoffers::canAbort(kind)) << kind;
}

TEST(PlayOffers, TheSaleTogglesForOwnedLotsOnly) {
    PanelsWorld w;
    w.startWith(offerLots());
    GBuildingNode* camp = w.lotNamed("Camp");
    ASSERT_TRUE(camp->isWorking());
    playoffers::toggleSale(*w.level, *camp);
    EXPECT_TRUE(camp->isForSale());
    // A lot on sale does not work.
    EXPECT_FALSE(camp->isWorking());
    playoffers::toggleSale(*w.level, *camp);
    EXPECT_FALSE(camp->isForSale());
    EXPECT_TRUE(camp->isWorking());
    GBuildingNode* foreign = w.lotNamed("Foreign");
    playoffers::toggleSale(*w.level, *foreign);
    EXPECT_FALSE(foreign->isForSale());
    EXPECT_TRUE(playoffers::placeSellButtonOf(*w.level).offered());
    w.level->getLevelConfiguration()->IsSellOn = false;
    EXPECT_FALSE(playoffers::placeSellButtonOf(*w.level).offered());
}

TEST(PlayOffers, BuildEntriesAndOffersFollowTheUpgradesMoneyAndDeliveries) {
    PanelsWorld w;
    // Three materials offers of rising prices and one workers offer.
    for (f32 price : {200.0f, 400.0f, 800.0f})
        w.configuration->MaterialsOffers.push_back(makeRef<GLevelOffer>(50.0f, price, 5000.0f));
    w.configuration->WorkersOffers.push_back(makeRef<GLevelOffer>(1.0f, 300.0f, 5000.0f));
    w.allow({"Camping1", "CityMall", "Statue"});
    w.startWith(offerLots());
    w.play->fillHotelsBuildList();
    w.play->fillJoysBuildList();
    w.play->fillMaterialsList();
    EXPECT_TRUE(playoffers::isCategoryOpen(*w.upgrades, GGamePlayScene::BuildListHotels));
    EXPECT_FALSE(playoffers::isCategoryOpen(*w.upgrades, GGamePlayScene::BuildListJoys));
    EXPECT_FALSE(playoffers::isCategoryOpen(*w.upgrades, GGamePlayScene::BuildListFactories));
    EXPECT_FALSE(playoffers::isCategoryOpen(*w.upgrades, 3));

    // Each entry: the type the list holds is the one the question names.
    for (s32 kind : {GGamePlayScene::BuildListHotels, GGamePlayScene::BuildListJoys}) {
        ListNode* list = kind == GGamePlayScene::BuildListHotels ? w.play->m_hotelsBuildList
                                                                 : w.play->m_joysBuildList;
        const GBuildingTypeTable& table = *buildingTypesOfKind(kind);
        for (size_t i = 0; i < table.size(); ++i) {
            const GBuildingConfig* type =
                playoffers::entryTypeOf(*w.upgrades, *w.catalogue, table[i]);
            EXPECT_EQ(list->getItemData(static_cast<s32>(i)), type) << kind << " " << i;
        }
    }
    const GBuildingConfig* camping = w.catalogue->find(CNameId("Camping1"));
    const GBuildingConfig* mall = w.catalogue->find(CNameId("CityMall"));
    ASSERT_NE(camping, nullptr);
    ASSERT_NE(mall, nullptr);
    EXPECT_EQ(playoffers::entryTypeOf(*w.upgrades, *w.catalogue, hotelBuildingTypes()[1]), nullptr);

    // Affordable types are enabled; a mall stands once.
    struct Row {
        f32 money;
        bool camping;
        bool mall;
    };
    for (const Row& row : {Row{5000.0f, true, false}, Row{250.0f, false, false}}) {
        w.level->Money = row.money;
        w.play->refreshPanels();
        EXPECT_EQ(playoffers::isEntryEnabled(*w.level, *camping), row.camping) << row.money;
        EXPECT_EQ(w.play->m_hotelsBuildList->isItemEnabled(0), row.camping) << row.money;
        EXPECT_EQ(playoffers::isEntryEnabled(*w.level, *mall), row.mall) << row.money;
        EXPECT_EQ(w.play->m_joysBuildList->isItemEnabled(1), row.mall) << row.money;
    }
    w.level->Money = 5000.0f;
    w.lotNamed("Mall")->setOwned(false);
    EXPECT_TRUE(playoffers::isEntryEnabled(*w.level, *mall));

    // The materials offers: the money covers the first only, then a delivery stops them all.
    const GLevelConfiguration& config = *w.level->getLevelConfiguration();
    ListNode* materials = w.offerList(false);
    w.level->Money = config.MaterialsOffers[0]->Price;
    w.play->refreshPanels();
    for (u32 i = 0; i < config.MaterialsOffers.size(); ++i) {
        const bool enabled =
            playoffers::isOfferEnabled(*w.level, *config.MaterialsOffers[i], false);
        EXPECT_EQ(enabled, i == 0) << i;
        EXPECT_EQ(materials->isItemEnabled(static_cast<s32>(i)), enabled) << i;
    }
    EXPECT_FALSE(playoffers::isDeliveryRunning(*w.level, false));
    ASSERT_TRUE(w.level->buyMaterials(config.MaterialsOffers[0].get()));
    w.level->Money = 1.0e7f;
    w.play->refreshPanels();
    EXPECT_TRUE(playoffers::isDeliveryRunning(*w.level, false));
    EXPECT_FALSE(playoffers::isDeliveryRunning(*w.level, true));
    EXPECT_FALSE(playoffers::isOfferEnabled(*w.level, *config.MaterialsOffers[0], false));
    EXPECT_FALSE(materials->isItemEnabled(0));
    EXPECT_TRUE(playoffers::isOfferEnabled(*w.level, *config.WorkersOffers[0], true));
    // The price factor counts.
    w.level->getLevelConfiguration()->Factors.WorkerPriceM = 0.5f;
    EXPECT_EQ(playoffers::offerCost(*w.level, *config.WorkersOffers[0], true),
              config.WorkersOffers[0]->Price * 0.5f);
}
