#pragma once

// The world of the shop's and the achievements' tests: game services with an achievements
// tracker, a fake tutorial, the developer switch and the cues the screens play; an upgrades table
// and a dictionary in the test's folder; the pop-up's scene file; an active player; and the shop
// built as its scene file lays it out.

#include <string>
#include <vector>

#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/ControlNode.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GProfileKeys.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GShopButton.h"
#include "game/scenes/GShopScene.h"
#include "tests/game/scenes/GameSceneWorld.h"
#include "tests/game/scenes/RecordingTutorial.h"

namespace brasquel::test {

// Game services with what the shop and the achievements ask for besides the tables.
class ShopServices : public TestGameServices {
public:
    ShopServices() {
        for (const CNameId* cue : {&GSoundCueIds::get().AchievementUnlocked}) {
            auto made = makeRef<SoundCue>(*cue);
            made->setGroup(0);
            made->addSound(makeRef<PlayingSound>().get());
            static_cast<void>(groups->registerCue(made.get()));
        }
    }
    GAchievementsProgress* getAchievementsProgress() const override { return progress.get(); }
    bool developerKeysEnabled() const override { return developerKeys; }
    ITutorial* createTutorial(BaseNode* host, TemplateCollectionNode* templates,
                              IContentManager* content, bool flag) override {
        calls.push_back(std::string("create over ") + (host ? host->getNodeName().c_str() : "-") +
                        (templates ? " with templates" : "") + (content ? " with content" : "") +
                        (flag ? " true" : " false"));
        if (!makeTutorials) return nullptr;
        auto* made = new RecordingTutorial();
        made->loads = tutorialsLoad;
        // The services keep one reference of their own, so that the test can read the calls
        // after the shop has dropped it.
        tutorials.push_back(CRefPtr<RecordingTutorial>(made));
        return made;
    }

    // How many times the pop-up's cue has been started.
    u32 popUpCues() const {
        u32 count = 0;
        for (const std::string& name : playedCues())
            if (name == "AchievementUnlocked") ++count;
        return count;
    }

    CRefPtr<GAchievementsProgress> progress = makeRef<GAchievementsProgress>();
    bool developerKeys = false;
    bool makeTutorials = true;
    bool tutorialsLoad = true;
    std::vector<CRefPtr<RecordingTutorial>> tutorials;
};

// The player made active while it lives, gone afterwards.
struct ShopPlayer {
    ShopPlayer() {
        CProfileManager& profiles = CProfileManager::instance();
        EXPECT_TRUE(profiles.addProfile(L"Shopper"));
        index = profiles.getProfileIndex(profiles.findProfile(L"Shopper"));
        profiles.setActiveProfile(index);
        profile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 0);
        profile()->setInt(ProfileKeyLevelIndex, 0);
        profile()->setString(ProfileKeyScores, "");
        profile()->setString(ProfileKeyBoughtUpgrades, "");
        profile()->setBool(ProfileKeyShowTutorialOn, false);
    }
    ~ShopPlayer() { CProfileManager::instance().removeProfile(index); }
    CProfile* profile() const { return CProfileManager::instance().getActiveProfile(); }
    std::string bought() const { return profile()->getString(ProfileKeyBoughtUpgrades).c_str(); }
    s32 index = -1;
};

// One upgrade of the table: name, price, level.
struct SUpgrade {
    const char* name;
    s32 price;
    s32 level;
};

// The shop's upgrades as the tests use them: the three free ones of the game and priced ones
// of every group, all on offer from the start unless said otherwise.
const SUpgrade kUpgrades[] = {
    {"Camping", 0, 0},
    {"Hostel", 1200, 1},
    {"GuestHouse", 1500, 1},
    {"BusinessHotel", 2000, 2},
    {"HotelN5", 2500, 3},
    {"HotelN6", 3000, 8},
    {"Cafe", 0, 0},
    {"CityMall", 800, 1},
    {"AquaPark", 900, 1},
    {"AquaParkFeature2", 700, 1},
    {"Statue", 300, 1},
    {"Garden", 400, 1},
    {"Memorial", 500, 1},
    {"TruckStation", 0, 0},
    {"TruckStationFeature2", 600, 2},
    {"REAgency", 1000, 1},
    {"REAgencyFeature2", 1100, 2},
    {"PRAgency", 1300, 1},
};

inline std::string upgradesXml(const std::vector<SUpgrade>& upgrades) {
    std::string xml = "<UpgradesConfiguration>";
    for (const SUpgrade& u : upgrades)
        xml += std::string("<Upgrade><Name Value=\"") + u.name + "\"/><Price Value=\"" +
               std::to_string(u.price) + "\"/><Level Value=\"" + std::to_string(u.level) +
               "\"/><Info Value=\"About " + u.name + "\"/></Upgrade>";
    return xml + "</UpgradesConfiguration>";
}

constexpr const char* kDictionary =
    "<Dictionary><s n=\"Shop_ScoreTxt\">#p points</s><s n=\"Shop_Cost\">Price: #p</s>"
    "<s n=\"MoneyDollar\">$#p</s></Dictionary>";

// The pop-up as a scene file of the test: its root class, "Scene" with the three parts.
constexpr const char* kPopUpScene =
    "<?xml version=\"1.0\"?>"
    "<SceneNode Type=\"SceneNode\" ClassOverride=\"GAchievementUnlockedScene\">"
    "<Properties><string Name=\"Name\" Value=\"AchievementUnlockedScene\"/></Properties>"
    "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Scene\"/></Properties>"
    "<SceneNode Type=\"SpriteNode\"><Properties><string Name=\"Name\" Value=\"AchImage\"/>"
    "</Properties></SceneNode>"
    "<SceneNode Type=\"TextNode\"><Properties><string Name=\"Name\" Value=\"AchName\"/>"
    "</Properties></SceneNode>"
    "<SceneNode Type=\"TextNode\"><Properties><string Name=\"Name\" Value=\"AchDesc\"/>"
    "</Properties></SceneNode>"
    "</SceneNode></SceneNode>";

// A PNG picture of one pixel.
constexpr char kPixelPng[] =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
    "\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00\x00\x0d\x49\x44\x41\x54\x78\xda"
    "\x63\x64\xf8\xcf\x50\x0f\x00\x03\x86\x01\x80\x5a\x34\x7d\x6b\x00\x00\x00\x00\x49\x45"
    "\x4e\x44\xae\x42\x60\x82";

template <class T>
BaseNode* createGameNode(const CCreationContext& context) {
    return new T(context, nullptr, nullptr);
}

struct ShopWorld : ContentSceneWorld {
    explicit ShopWorld(const std::vector<SUpgrade>& upgrades =
                           std::vector<SUpgrade>(std::begin(kUpgrades), std::end(kUpgrades)))
        : ContentSceneWorld("shop") {
        CNodeFactory::instance().registerNodeClass(L"GAchievementUnlockedScene",
                                                   &createGameNode<GAchievementUnlockedScene>);
        services.sceneManager = manager.get();
        services.fileSystem = device.getFileSystem();
        write("strings/Dictionary.xml", kDictionary);
        services.dictionary = makeRef<CTextDictionary>(device.getFileSystem());
        EXPECT_TRUE(services.dictionary->load(stringc("strings/Dictionary.xml")));
        write(GAchievementUnlockedScene::SceneFile, kPopUpScene);
        for (u32 n = 1; n <= GAchievementsProgress::AchievementCount; ++n)
            write("scenes/images/Achievements/Icon" + std::to_string(n) + ".png",
                  std::string(kPixelPng, sizeof(kPixelPng) - 1));
        setUpgrades(upgrades);
    }

    void setUpgrades(const std::vector<SUpgrade>& upgrades) {
        write("levels/common/UpgradesConfiguration.xml", upgradesXml(upgrades));
        CXmlReader* reader = device.getFileSystem()->createXmlReader(
            stringc("levels/common/UpgradesConfiguration.xml"));
        ASSERT_NE(reader, nullptr);
        EXPECT_TRUE(services.upgrades->load(reader));
        reader->drop();
    }

    // The shop: "Scene" with "ShopButtons" (a button per upgrade of the table, in its order,
    // each with its price text and ribbon), the score text, the hint with its title and info,
    // the highlight with its two states, and the back button.
    CRefPtr<GShopScene> makeShop(const std::vector<SUpgrade>& buttons = std::vector<SUpgrade>(
                                     std::begin(kUpgrades), std::end(kUpgrades))) {
        auto shop = makeRef<GShopScene>(context("ShopScene"));
        shop->setNameId(id("ShopScene"));
        shop->setBounds(1024, 768);
        auto* scene = addControl(shop.get(), "Scene", 0, 0, nullptr);
        auto* row = addControl(scene, "ShopButtons", 0, 0, nullptr);
        f32 x = 10;
        for (const SUpgrade& u : buttons) {
            auto* button = addControl<GShopButton>(row, u.name, x, 200);
            button->setBounds(100, 120);
            button->setUpgradeName(CNameId(u.name).getId());
            addText(button, "PriceText");
            newNode("Bought", button);
            button->onLoaded();
            x += 50;
        }
        addText(scene, "ScoreText");
        BaseNode* hint = newNode("Hint1Node", scene).get();
        addText(hint, "Title");
        addText(hint, "Info");
        BaseNode* glow = newNode("Glow", newNode("ShopButtonHLNode", scene).get()).get();
        // Long enough to run through every step of a test.
        glow->addState(timedState("On", 600000).get());
        glow->addState(timedState("Off", 600000).get());
        addControl(scene, "BackButton", 40, 700);
        shop->onLoaded();
        return shop;
    }

    static TextNode* addText(BaseNode* parent, const char* name) {
        auto text = makeRef<TextNode>(CCreationContext());
        text->setNameId(id(name));
        parent->addChild(text.get());
        return text.get();
    }

    // The scenes the manager shows, from the bottom.
    std::vector<std::string> shownScenes() const {
        std::vector<std::string> names;
        for (BaseNode* child : manager->getChildren())
            if (asSceneNode(child)) names.push_back(child->getNodeName().c_str());
        return names;
    }
    // The pop-ups the manager shows.
    u32 popUps() const {
        u32 count = 0;
        for (BaseNode* child : manager->getChildren())
            if (child->isKindOf(GameNodeTypeAchievementUnlockedScene)) ++count;
        return count;
    }

    ShopServices services;
};

}  // namespace brasquel::test
