#pragma once

// The world of the info panel, tooltip and hint tests: the running level of the panel tests
// with a second play screen whose tree is built here as its scene file lays it out (the pages
// about a lot with their info panels and hint lines, the build pages with their labels, the
// floating boxes and tooltips) and bound by the screen itself. Its texts use the game's own
// fonts, copied from the assets, so line counts and text heights are the real ones.

#include <filesystem>
#include <string>

#include "engine/content/CResource.h"
#include "engine/video/render2d/CFont.h"
#include "tests/game/play/PanelsWorld.h"

namespace brasquel::test {

// The play screen with its info state open to the tests.
class InfoScreen : public GGamePlayScene {
public:
    using GGamePlayScene::GGamePlayScene;
    using GGamePlayScene::m_describedFeature;
    using GGamePlayScene::m_featureInfoNode;
    using GGamePlayScene::m_levelScene;
    using GGamePlayScene::m_previewedPlace;
    using GGamePlayScene::m_previewedType;
    using GGamePlayScene::m_tooltipTitle;
};

// The types of the info tests, added to the panel tests' catalogue.
inline std::string infoCatalogue() {
    std::string text = panelCatalogue();
    text.erase(text.rfind("</BuildingsConfiguration>"));
    text += R"(
 <Building><Properties><string Name="Name" Value="Resort3"/><int Name="Level" Value="3"/>
  <int Name="Type" Value="0"/><string Name="DisplayName" Value="ResortName"/>
  <float Name="SellPrice" Value="120000.4"/><int Name="GuestsCount" Value="20"/>
  <float Name="Income" Value="300"/><stringw Name="Description" Value="Sea view."/>
  <stringw Name="FullDescription" Value="Sea view, pools and a long beach."/></Properties>
 </Building>
 <Building><Properties><string Name="Name" Value="Palace1"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="0"/><string Name="DisplayName" Value="PalaceName"/>
  <string Name="NextLevelName" Value="Palace2"/><float Name="SellPrice" Value="500"/>
  <int Name="GuestsCount" Value="10"/><float Name="Income" Value="100"/>
  <stringw Name="Description" Value="Rooms."/><stringw Name="FullDescription" Value="Rooms!"/>
  <float Name="BuildMaterialsCost" Value="30"/><int Name="BuildWorkersCost" Value="2"/>
  <float Name="RepairMaterialsCost" Value="7"/><int Name="RepairWorkersCost" Value="3"/>
  <int Name="DestroyWorkersCost" Value="4"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Palace2"/><int Name="Level" Value="2"/>
  <int Name="Type" Value="0"/><string Name="DisplayName" Value="PalaceName"/>
  <float Name="SellPrice" Value="900"/><int Name="GuestsCount" Value="14"/>
  <float Name="Income" Value="250"/><float Name="BuildMaterialsCost" Value="100"/>
  <int Name="BuildWorkersCost" Value="5"/><stringw Name="Description" Value="More rooms."/>
 </Properties></Building>
 <Building><Properties><string Name="Name" Value="Fountain"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="2"/><string Name="DisplayName" Value="FountainName"/>
  <stringw Name="Description" Value="Water."/><stringw Name="FullDescription" Value="Water!"/>
  <float Name="SellPrice" Value="100"/></Properties>
  <ActiveFeature Name="Splash" InfoText="Splashes the guests." ButtonInfoText="Press to splash"
   DurationTime="1000" RechargeTime="1000"/>
  <ActiveFeature Name="Lights" InfoText="Lights at night." ButtonInfoText="Press for lights"
   DurationTime="1000" RechargeTime="1000"/></Building>
 <Building><Properties><string Name="Name" Value="Pyramid"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="5"/><string Name="DisplayName" Value="PyramidName"/>
  <stringw Name="Description" Value="Old stones."/></Properties>
  <ActiveFeature Name="Show" MoneyCost="150.7"/></Building>
 <Building><Properties><string Name="Name" Value="Station"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="6"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Quarters"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="7"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Tower"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="4"/><string Name="DisplayName" Value="TowerName"/>
  <float Name="SellPrice" Value="100"/><stringw Name="Description" Value="Views."/></Properties>
 </Building>
</BuildingsConfiguration>
)";
    return text;
}

struct InfoWorld : PanelsWorld {
    InfoWorld() {
        catalogue = makeRef<GBuildingsConfiguration>();
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(infoCatalogue());
        static_cast<void>(catalogue->read(reader.get()));
        for (const char* name : {"Resort3", "Palace1", "Palace2", "Fountain", "Tower", "Pyramid",
                                 "Station", "Quarters"})
            addHitNode(topTemplate(name), "Image", 0, 0, 135, 60);
        // The game's fonts.
        const std::filesystem::path fonts =
            std::filesystem::path(BRASQUEL_ASSETS_DIR) / "scenes/fonts";
        std::filesystem::create_directories(folder / "scenes/fonts");
        for (const auto& entry : std::filesystem::directory_iterator(fonts))
            std::filesystem::copy_file(entry.path(),
                                       folder / "scenes/fonts" / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        bodyFont = loadFont("scenes/fonts/body_18.ofnt");
        smallFont = loadFont("scenes/fonts/arial_14_crisp.ofnt");
        write("InfoDictionary.xml",
              "<Dictionary><s n=\"GamePlay_Income\">Income #p</s>"
              "<s n=\"GamePlay_Guests\">Guests #p</s>"
              "<s n=\"GamePlay_ServedGuests\">Serves #p</s>"
              "<s n=\"Hint_BuildTabBuild\">Build a #p here</s>"
              "<s n=\"ResortName\">Resort</s><s n=\"PalaceName\">Palace</s>"
              "<s n=\"FountainName\">Fountain</s><s n=\"TowerName\">Tower</s>"
              "<s n=\"LongName\">The grand old seaside palace of the western bay</s>"
              "<s n=\"InProgress_Building\">Building</s>"
              "<s n=\"InProgress_BuildingHint\">Workers are building</s>"
              "<s n=\"InProgress_Upgrade\">Upgrading</s>"
              "<s n=\"InProgress_UpgradeHint\">Workers are upgrading</s></Dictionary>");
        static_cast<void>(services.dictionary->load(stringc("InfoDictionary.xml")));
        buildInfoScreen();
    }

    CRefPtr<CFont> loadFont(const char* path) {
        CRefPtr<CResource> loaded = CRefPtr<CResource>::fromRaw(
            content->getContentByPath(TypeCodeFont, stringc(path), false));
        EXPECT_TRUE(loaded && loaded->getTypeCode() == TypeCodeFont) << path;
        return CRefPtr<CFont>(loaded && loaded->getTypeCode() == TypeCodeFont
                                  ? static_cast<CFont*>(loaded.get())
                                  : nullptr);
    }
    // A text in one of the game's fonts, at its place with its width (word wrap on).
    TextNode* label(BaseNode* parent, const char* name, bool body, f32 x, f32 y, f32 w, f32 h,
                    s32 valign = 2) {
        auto* made =
            static_cast<TextNode*>(add(parent, new TextNode(context("")), name, x, y, w, h));
        made->setFont(body ? bodyFont.get() : smallFont.get());
        made->setFontSize(body ? 18.0f : 14.0f);
        made->setWordWrap(true);
        made->setTextVAlign(valign);
        return made;
    }
    // A "BuildingInfoNode" as the scene file lays it out, with three stars under its icon.
    BaseNode* infoPanel(BaseNode* page, s32 descriptionAlign = 1) {
        BaseNode* panel =
            add(page, new ControlNode(context("")), "BuildingInfoNode", 0, 0, 312, 110);
        BaseNode* preview = sprite(panel, "Preview", 4, 6);
        for (int k = 0; k < 3; ++k)
            sprite(preview, ("Star" + std::to_string(k + 1)).c_str(), 18.0f + 18.0f * k, 78);
        label(panel, "NameText", true, 84, 2, 224, 22);
        label(panel, "StatsText", false, 84, 26, 224, 36, 1);
        BaseNode* description = base(panel, "DescriptionNode", 84, 44);
        label(description, "Text", false, 0, 17, 224, 48, descriptionAlign);
        BaseNode* after = base(panel, "AfterUpgradeNode", 180, 58);
        label(base(after, "IncomeNode", 6, 17), "Text", false, 0, 0, 120, 16);
        label(base(after, "GuestsNode", 6, 33), "Text", false, 0, 0, 120, 16);
        label(base(panel, "BrokenNode", 84, 86), "Text", false, 0, 0, 220, 20);
        return panel;
    }
    BaseNode* floating(BaseNode* menu, const char* name, std::initializer_list<const char*> lines) {
        BaseNode* box = base(menu, name);
        box->setVisible(false);
        for (const char* line : lines) label(box, line, true, 0, 0, 200, 22);
        return box;
    }

    void buildInfoScreen() {
        info = CRefPtr<InfoScreen>::fromRaw(new InfoScreen(context("GamePlayScene.oscn")));
        info->setNameId(id("Info"));
        screen->addChild(info.get());
        BaseNode* internal = base(info.get(), "InternalGamePlayScene");
        BaseNode* menu = control(internal, "GameMenu");
        auto* tabScene =
            static_cast<TabSceneNode*>(add(menu, new TabSceneNode(context("")), "ActionsTabScene"));
        for (int k = 1; k <= 10; ++k)
            pages[k - 1] =
                add(tabScene, new ControlNode(context("")), ("Tab" + std::to_string(k)).c_str());
        tabScene->setTabsCount(10);
        tabScene->onLoaded();
        const char* lists[3] = {"HotelsBuildList", "FactoriesBuildList", "JoysBuildList"};
        for (int k = 0; k < 3; ++k) {
            list(pages[k], lists[k]);
            control(pages[k], "BackToBuildButton");
            label(pages[k], "HintText", false, 8, 120, 900, 20);
            label(pages[k], "Label", true, 600, 6, 300, 22);
            label(pages[k], "LabelText", false, 600, 30, 300, 78, 1);
            infoPanel(pages[k])->setVisible(false);
        }
        BaseNode* building = pages[5];
        ControlNode* hotel = control(building, "HotelButtonsNode");
        for (const char* b : {"UpgradeButton", "DestroyButton", "SellButton", "RepairButton"})
            control(hotel, b)->setPosition(vector3df(b[0] == 'U' ? 400.0f : 500.0f, 10.0f, 0.0f));
        ControlNode* joy = control(building, "JoyButtonsNode");
        control(joy, "CleanButton");
        button(joy, "ActiveFeature1Button");
        button(joy, "ActiveFeature2Button");
        control(control(building, "CustomServiceButtonsNode"), "CustomServeButton");
        ControlNode* progress = control(building, "ProgressNode");
        label(progress, "Text", true, 0, 10, 350, 24);
        label(progress, "HintText", false, 0, 70, 350, 38);
        control(progress, "AbortButton");
        add(progress, new ProgressBarNode(context("")), "ProgressBar");
        for (int k : {5, 6, 8, 9}) {
            label(pages[k], "HintText", false, 8, 120, 900, 20);
            infoPanel(pages[k]);
        }
        control(pages[6], "BuyButton");
        label(pages[6], "PriceText", true, 400, 10, 200, 22);
        for (const char* b : {"AcceptSellOfferButton", "DeclineSellOfferButton"})
            control(pages[8], b);
        for (const char* b : {"SellButton", "HotelsButton", "JoysButton", "FactoriesButton"})
            control(pages[9], b);
        floating(menu, "IncomeGuestsInfoNode", {"NameText", "IncomeText", "GuestsText"});
        floating(menu, "GuestsInfoNode", {"NameText", "IncomeText", "GuestsText"});
        floating(menu, "MaterialsWorkersTooltipNode", {"MaterialsText", "WorkersText", "NameText"});
        floating(menu, "WorkersInfoNode", {"WorkersText", "NameText"});
        floating(menu, "MoneyInfoNode", {"MoneyText", "NameText"});
        floating(menu, "FeatureInfoNode", {"NameText"});
        info->onLoaded();
    }

    // The level of the lots started, handed to both screens.
    void startInfo(const std::string& lots) {
        startWith(lots);
        info->m_levelScene = level;
    }
    // The node at the path of names below GameMenu.
    BaseNode* at(const std::string& path) const {
        BaseNode* node = info->findChildByName("InternalGamePlayScene", 1);
        node = node ? node->findChildByName("GameMenu", 1) : nullptr;
        std::stringstream parts(path);
        std::string part;
        while (node && std::getline(parts, part, '/'))
            node = node->findChildByName(part.c_str(), 1);
        return node;
    }
    BaseNode* page(int number) const { return pages[number - 1]; }
    std::string textAt(const std::string& path) const { return textOf(at(path)); }
    u32 tintAt(const std::string& path) const {
        const BaseNode* node = at(path);
        return node ? node->getTintColor() : 0u;
    }
    bool visibleAt(const std::string& path) const {
        const BaseNode* node = at(path);
        return node && node->isVisible();
    }
    // A hover or unhover notice of the named control (a fresh control of that name, or the
    // node given), as it reaches the screen.
    bool hover(BaseNode* node) {
        return info->onNodeHovered(makeEvent<CEventNodeHovered>(node, nullptr).get());
    }
    bool unhover(BaseNode* node) {
        return info->onNodeUnhovered(makeEvent<CEventNodeUnhovered>(node, nullptr).get());
    }

    CRefPtr<InfoScreen> info;
    BaseNode* pages[10] = {};
    CRefPtr<CFont> bodyFont;
    CRefPtr<CFont> smallFont;
};

}  // namespace brasquel::test
