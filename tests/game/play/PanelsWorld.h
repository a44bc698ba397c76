#pragma once

// The world of the panel tests: a running level (the lots' world of the level tests) and, in
// the same shown scene, a play screen whose panel nodes are built here and handed to it
// directly, with the templates its buttons and lists take, a dictionary whose texts show their
// parameters, and the upgrades that allow the build menus' types.

#include <initializer_list>
#include <string>
#include <utility>

#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/profiles/CProfileManager.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GLevelUpgrades.h"
#include "game/play/GGamePlayScene.h"
#include "tests/game/level/LevelWorld.h"

namespace brasquel::test {

// The play screen with the nodes it binds open to the tests.
class PanelsScreen : public GGamePlayScene {
public:
    using GGamePlayScene::GGamePlayScene;
    using GGamePlayScene::m_actionsTabScene;
    using GGamePlayScene::m_buildingHintText;
    using GGamePlayScene::m_buildingProgressNode;
    using GGamePlayScene::m_factoriesBuildList;
    using GGamePlayScene::m_guestsInfoNode;
    using GGamePlayScene::m_hotelsBuildList;
    using GGamePlayScene::m_incomeGuestsInfoNode;
    using GGamePlayScene::m_incomeText;
    using GGamePlayScene::m_joysBuildList;
    using GGamePlayScene::m_levelScene;
    using GGamePlayScene::m_materialsAmountTabText;
    using GGamePlayScene::m_materialsButtonsNode;
    using GGamePlayScene::m_materialsHintText;
    using GGamePlayScene::m_materialsProgressNode;
    using GGamePlayScene::m_materialsWorkersTooltipNode;
    using GGamePlayScene::m_moneyInfoNode;
    using GGamePlayScene::m_moneyText;
    using GGamePlayScene::m_previewedPlace;
    using GGamePlayScene::m_previewedType;
    using GGamePlayScene::m_ratingBar;
    using GGamePlayScene::m_ratingStars;
    using GGamePlayScene::m_ratingText;
    using GGamePlayScene::m_summaryStars;
    using GGamePlayScene::m_tabs;
    using GGamePlayScene::m_workersAmountTabText;
    using GGamePlayScene::m_workersButtonsNode;
    using GGamePlayScene::m_workersHintText;
    using GGamePlayScene::m_workersInfoNode;
    using GGamePlayScene::m_workersProgressNode;
};

// The catalogue of the panel tests: the lots' own types and the types of the build menus.
inline std::string panelCatalogue() {
    std::string text = lotCatalogue();
    text.erase(text.rfind("</BuildingsConfiguration>"));
    text += R"(
 <Building><Properties><string Name="Name" Value="BuildingPlace"/><int Name="Level" Value="0"/>
  </Properties></Building>
 <Building><Properties><string Name="Name" Value="Camping1"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="0"/><float Name="Cost" Value="300"/><string Name="NextLevelName"
  Value="Camping2"/><float Name="BuildMaterialsCost" Value="10"/><int Name="BuildWorkersCost"
  Value="1"/><string Name="ButtonTemplate" Value="Game_CampingButton"/>
  <int Name="DestroyWorkersCost" Value="1"/><float Name="SellPrice" Value="1000"/>
  <float Name="RepairMaterialsCost" Value="5"/><int Name="RepairWorkersCost" Value="1"/>
  </Properties></Building>
 <Building><Properties><string Name="Name" Value="Camping2"/><int Name="Level" Value="2"/>
  <int Name="Type" Value="0"/><float Name="Cost" Value="600"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Hostel1"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="0"/><float Name="Cost" Value="400"/>
  <string Name="ButtonTemplate" Value="Game_HostelButton"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="CityMall"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="1"/><float Name="Cost" Value="200"/>
  <string Name="ButtonTemplate" Value="Game_CityMallButton"/></Properties>
  <ActiveFeature ButtonName="Game_MallFeature1Button" MoneyCost="50"/></Building>
 <Building><Properties><string Name="Name" Value="Statue"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="2"/><float Name="Cost" Value="200"/><string Name="DisplayName"
  Value="Statue"/><string Name="ButtonTemplate" Value="Game_StatueButton"/></Properties>
  <ActiveFeature ButtonName="Game_StatueFeature1Button" DurationTime="1000" RechargeTime="1000"/>
  <ActiveFeature ButtonName="Game_StatueFeature2Button" DurationTime="1000" RechargeTime="1000"/>
 </Building>
 <Building><Properties><string Name="Name" Value="TruckStation"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="4"/><float Name="Cost" Value="100"/><float Name="SellPrice"
  Value="2500"/><float Name="BuildMaterialsCost" Value="10"/><int Name="BuildWorkersCost"
  Value="1"/><string Name="ButtonTemplate" Value="Game_TruckStationButton"/></Properties>
  <ActiveFeature ButtonName="Game_TruckFeature1Button" MoneyCost="150"/></Building>
</BuildingsConfiguration>
)";
    return text;
}

struct PanelsWorld : LevelWorld {
    PanelsWorld() {
        catalogue = makeRef<GBuildingsConfiguration>();
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(panelCatalogue());
        static_cast<void>(catalogue->read(reader.get()));
        for (const char* name : {"BuildingPlace", "Camping1", "Camping2", "Hostel1", "CityMall",
                                 "Statue", "TruckStation"})
            addHitNode(topTemplate(name), "Image", 0, 0, 135, 60);
        // Button looks: a card of two sprites (face, fill) for every feature and offer button.
        for (const char* card :
             {"Game_MallFeature1Button", "Game_StatueFeature1Button", "Game_StatueFeature2Button",
              "Game_TruckFeature1Button", "Game_U", "Game_SellButton", "Game_UnSellButton",
              "Game_CafeOrderButton", "Game_RestoreButton"}) {
            BaseNode* t = topTemplate(card);
            sprite(t, "Face");
            sprite(t, "Fill");
        }
        writePicture("scenes/images/GameMenu/Buttons/StatueFeature2ButtonLock.png", 4, 4, 90);
        writePicture("scenes/images/GameMenu/Buttons/CampingButtonLock.png", 4, 4, 90);
        writePicture("scenes/images/GameMenu/Buttons/HostelButtonLock.png", 4, 4, 90);
        // Texts that show their parameters.
        write("Dictionary.xml",
              "<Dictionary><s n=\"MoneyDollar\">$#p</s><s n=\"GuestsSign\">#p guests</s>"
              "<s n=\"GamePlay_LEVEL\">Level #p</s><s n=\"GamePlay_MONEY\">Money #p</s>"
              "<s n=\"GamePlay_INCOME\">Income #p</s><s n=\"GamePlay_GUESTS\">Guests #p</s>"
              "<s n=\"GamePlay_POSSIBLE_INCOME\">Possible #p</s>"
              "<s n=\"GamePlay_POSSIBLE_GUESTS\">Could host #p</s>"
              "<s n=\"InProgress_PBMaterials\">#p materials coming</s>"
              "<s n=\"InProgress_PBWorker\">#p worker coming</s>"
              "<s n=\"InProgress_PBWorkers\">#p workers coming</s>"
              "<s n=\"Hint_MaterialsTab\">Buy materials</s>"
              "<s n=\"Hint_MaterialsBuy\">#p for #p</s>"
              "<s n=\"Hint_MaterialsCantBuy\">#p: too dear</s>"
              "<s n=\"Hint_WorkersTab\">Train workers</s></Dictionary>");
        services.dictionary = makeRef<CTextDictionary>(device.getFileSystem());
        static_cast<void>(services.dictionary->load(stringc("Dictionary.xml")));
        configuration->InitMoney = 5000.0f;
        configuration->InitMaterialsCount = 100.0f;
        configuration->InitWorkersCount = 10;
        buildScreen();
    }
    // The play screen's panels, as its scene file lays them out.
    void buildScreen() {
        play = CRefPtr<PanelsScreen>::fromRaw(new PanelsScreen(context("GamePlayScene.oscn")));
        play->setNameId(id("Play"));
        screen->addChild(play.get());
        PanelsScreen& p = *play;
        p.m_moneyText = static_cast<TextNode*>(text(play.get(), "MoneyText"));
        p.m_incomeText = static_cast<TextNode*>(text(play.get(), "IncomeText"));
        p.m_materialsAmountTabText =
            static_cast<TextNode*>(text(play.get(), "MaterialsAmountTabText"));
        p.m_workersAmountTabText = static_cast<TextNode*>(text(play.get(), "WorkersAmountTabText"));
        BaseNode* rating = base(play.get(), "RatingNode");
        p.m_ratingText = static_cast<TextNode*>(text(rating, "ProgressBarText"));
        p.m_ratingBar = static_cast<BaseProgressBarNode*>(
            add(rating, new ProgressBarNode(context("")), "ProgressBar"));
        for (const char* info : {"MaterialsWorkersTooltipNode", "WorkersInfoNode",
                                 "MoneyInfoNode", "IncomeGuestsInfoNode", "GuestsInfoNode"})
            base(play.get(), info)->setVisible(true);
        p.m_materialsWorkersTooltipNode = play->findChildByName("MaterialsWorkersTooltipNode", 1);
        p.m_workersInfoNode = play->findChildByName("WorkersInfoNode", 1);
        p.m_moneyInfoNode = play->findChildByName("MoneyInfoNode", 1);
        p.m_incomeGuestsInfoNode = play->findChildByName("IncomeGuestsInfoNode", 1);
        p.m_guestsInfoNode = play->findChildByName("GuestsInfoNode", 1);

        tabs = static_cast<TabSceneNode*>(
            add(play.get(), new TabSceneNode(context("")), "ActionsTabScene"));
        for (int k = 1; k <= 10; ++k) {
            const std::string name = "Tab" + std::to_string(k);
            p.m_tabs[k - 1] = add(tabs, new ControlNode(context("")), name.c_str());
        }
        tabs->setTabsCount(10);
        tabs->onLoaded();
        p.m_actionsTabScene = tabs;
        p.m_hotelsBuildList = list(p.m_tabs[0], "HotelsBuildList");
        p.m_factoriesBuildList = list(p.m_tabs[1], "FactoriesBuildList");
        p.m_joysBuildList = list(p.m_tabs[2], "JoysBuildList");
        offerTab(p.m_tabs[3], "BuyMaterialsList", p.m_materialsProgressNode,
                 p.m_materialsButtonsNode, p.m_materialsHintText);
        offerTab(p.m_tabs[4], "TrainWorkersList", p.m_workersProgressNode,
                 p.m_workersButtonsNode, p.m_workersHintText);
        // The building page: three button panels and the progress panel.
        BaseNode* building = p.m_tabs[5];
        ControlNode* hotel = control(building, "HotelButtonsNode");
        for (const char* b : {"UpgradeButton", "DestroyButton", "SellButton", "RepairButton",
                              "CustomAction1Button"})
            control(hotel, b);
        ControlNode* joy = control(building, "JoyButtonsNode");
        for (const char* b : {"DestroyButton", "SellButton", "CleanButton"}) control(joy, b);
        button(joy, "ActiveFeature1Button");
        sprite(button(joy, "ActiveFeature2Button"), "AddImage");
        control(control(building, "CustomServiceButtonsNode"), "CustomServeButton");
        p.m_buildingProgressNode = control(building, "ProgressNode");
        control(p.m_buildingProgressNode, "AbortButton");
        add(p.m_buildingProgressNode, new ProgressBarNode(context("")), "ProgressBar");
        p.m_buildingHintText = static_cast<TextNode*>(text(building, "HintText"));
        control(p.m_tabs[6], "BuyButton");
        text(p.m_tabs[6], "PriceText");
        for (const char* t : {"LevelText", "MoneyText", "IncomeText", "GuestsText",
                              "PossibleIncomeText", "PossibleGuestsText"})
            text(p.m_tabs[7], t);
        BaseNode* summary = base(p.m_tabs[7], "RatingNode");
        for (int i = 1; i <= 6; ++i) {
            const std::string star = "Star" + std::to_string(i);
            BaseNode* hud = base(rating, star.c_str());
            BaseNode* row = base(summary, star.c_str());
            states(hud, {"Full", "Empty"});
            states(row, {"Full", "Empty"});
            p.m_ratingStars.push_back(hud);
            p.m_summaryStars.push_back(row);
        }
        text(p.m_tabs[8], "OfferPriceText");
        for (const char* b : {"SellButton", "HotelsButton", "JoysButton", "FactoriesButton"})
            control(p.m_tabs[9], b);
    }
    ControlNode* control(BaseNode* parent, const char* name) {
        return static_cast<ControlNode*>(add(parent, new ControlNode(context("")), name));
    }
    ButtonNode* button(BaseNode* parent, const char* name) {
        return static_cast<ButtonNode*>(add(parent, new ButtonNode(context("")), name));
    }
    ListNode* list(BaseNode* parent, const char* name) {
        return static_cast<ListNode*>(add(parent, new ListNode(context("")), name, 0, 0, 600, 100));
    }
    void offerTab(BaseNode* page, const char* listName, BaseNode*& progress, BaseNode*& buttons,
                  TextNode*& hint) {
        progress = base(page, "ProgressNode");
        add(progress, new ProgressBarNode(context("")), "ProgressBar");
        text(progress, "Text");
        buttons = base(page, "ButtonsNode");
        list(buttons, listName);
        hint = static_cast<TextNode*>(text(page, "HintText"));
    }

    // Free upgrades that allow the types and unlock the features (type, index).
    void allow(std::initializer_list<const char*> types,
               std::initializer_list<std::pair<const char*, int>> features = {}) {
        std::string xml = "<UpgradesConfiguration><Upgrade><Name Value=\"Free\"/><Level "
                          "Value=\"0\"/><Price Value=\"0\"/>";
        for (const char* type : types)
            xml += std::string("<AllowsBuilding Value=\"") + type + "\"/>";
        for (const auto& [type, index] : features)
            xml += std::string("<AllowsBuildingFeature Building=\"") + type +
                   "\" FeatureIndex=\"" + std::to_string(index) + "\"/>";
        xml += "</Upgrade></UpgradesConfiguration>";
        auto table = makeRef<UpgradesConfiguration>();
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(xml);
        static_cast<void>(table->load(reader.get()));
        CProfileManager::instance().setActiveProfile(-1);
        upgrades = makeRef<GLevelUpgrades>();
        upgrades->collect(table.get(), nullptr, 0);
    }
    // The level of the lots started with the upgrades, handed to the play screen.
    void startWith(const std::string& lots) {
        if (!upgrades) allow({});
        ASSERT_TRUE(loadLevel(lots));
        level->setUpgradeEffects(upgrades.get());
        start();
        level->recalculateEconomy();
        play->m_levelScene = level;
    }
    GBuildingNode* focus(const char* name) {
        GBuildingNode* lot = lotNamed(name);
        lot->setFocused(true);
        return lot;
    }
    // A press of a control of that name, as its pressed notice reaches the screen.
    bool press(const char* name) {
        CRefPtr<ControlNode> pressed = makeRef<ControlNode>(context(""));
        pressed->setNameId(id(name));
        return play->onNodePressed(makeEvent<CEventNodePressed>(pressed.get()).get());
    }
    bool pressItem(ListNode* list, s32 item) {
        return play->onListItemPressed(makeEvent<CEventNodeListItemPressed>(list, item).get());
    }
    bool hoverItem(ListNode* list, s32 item) {
        return play->onListItemHovered(makeEvent<CEventNodeListItemHovered>(list, item).get());
    }
    static std::string textOf(const BaseNode* node) {
        return node && node->isKindOf(NodeTypeText)
                   ? toUtf8(static_cast<const TextNode*>(node)->getText().c_str())
                   : std::string("<none>");
    }
    ListNode* offerList(bool workers) const {
        return asListNode((workers ? play->m_workersButtonsNode : play->m_materialsButtonsNode)
                              ->findChildByName(workers ? "TrainWorkersList" : "BuyMaterialsList",
                                                1));
    }

    CRefPtr<PanelsScreen> play;
    TabSceneNode* tabs = nullptr;
    CRefPtr<GLevelUpgrades> upgrades;
};

}  // namespace brasquel::test
