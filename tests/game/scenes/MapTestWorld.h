#pragma once

// The world of the map tests: the map's pictures as small PNG files in the test's folder, the
// location template ("Selector", the "Star" group with its "Star" and "Platform" sprites and a
// looping "Wave"), game services with tables of the test's own, and a map built as its scene
// file lays it out.

#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/scenes/GMapLocationButton.h"
#include "game/scenes/GMapScene.h"
#include "tests/game/scenes/GameSceneWorld.h"
#include "tests/game/scenes/RecordingTutorial.h"

namespace brasquel::test {

// The pictures the location buttons and the hints show.
constexpr const char* kMapPictures[] = {
    GMapLocationButton::PlatformImage,
    GMapLocationButton::GreyPlatformImage,
    GMapLocationButton::RedPlatformImage,
    GMapLocationButton::GreenPlatformImage,
    GMapLocationButton::SilverStarImage,
    GMapLocationButton::GoldStarImage,
    "scenes/images/Map/O.png",
    "scenes/images/Map/N.png",
};

// The picture a sprite shows, by the name it was loaded under ("-" for none).
inline std::string pictureOf(const oskel::SpriteNode* sprite) {
    if (!sprite) return "no sprite";
    const oskel::CAtlasTexture* texture = sprite->getAtlasTexture();
    return texture ? std::string(texture->getName().c_str()) : std::string("-");
}

struct MapWorld : ContentSceneWorld {
    static constexpr oskel::u32 WaveMs = 1000;

    explicit MapWorld(const char* label = "map") : ContentSceneWorld(label) {
        for (const char* picture : kMapPictures) writePng(picture);
        BaseNode* location = newNode("MapLocationButton", templates.get()).get();
        addHitNode(location, "Hit", 0, 0, 60, 60);
        newNode("Selector", location);
        BaseNode* group = newNode("Star", location).get();
        group->addState(timedState("Wave", WaveMs).get());
        for (const char* name : {"Star", "Platform"}) {
            auto sprite = makeRef<SpriteNode>(CCreationContext());
            sprite->setNameId(id(name));
            group->addChild(sprite.get());
        }
        templates->onLoaded();
        scene = makeScene<SceneNode>("Holder");
        show(scene.get());
    }

    // A 4 x 4 picture written as a PNG through the content manager.
    void writePng(const std::string& name) {
        std::filesystem::create_directories((folder / name).parent_path());
        auto* image =
            new CImage(CCreationContext(content.get(), "made"), ECF_A8R8G8B8, dimension2di(4, 4));
        image->fill(0xFF80A040u);
        EXPECT_TRUE(content->saveContent(TypeCodeImage, image, stringc(name.c_str()), nullptr))
            << name;
        image->drop();
    }

    // A location button from the content of this world, with the location template.
    GMapLocationButton* addLocation(BaseNode* parent, const char* name, f32 x, f32 y,
                                    const char* level = "",
                                    const char* templateName = "MapLocationButton") {
        auto* button = new GMapLocationButton(context(name), nullptr, nullptr);
        button->setNameId(id(name));
        button->setPosition(vector3df(x, y, 0));
        button->setAssociatedLevelName(level);
        parent->addChild(button);
        button->drop();
        if (templateName) button->setTemplateByName(templateName);
        return button;
    }

    CRefPtr<SceneNode> scene;
};

// Game services that make recording tutorials and answer whether the access code was typed.
class MapServices : public TestGameServices {
public:
    ITutorial* createTutorial(BaseNode* host, TemplateCollectionNode* templates,
                              IContentManager* content, bool flag) override {
        made.push_back(std::string(host ? host->getNodeName().c_str() : "-") +
                       (templates ? " templates" : "") + (content ? " content" : "") +
                       (flag ? " true" : " false"));
        if (!makeTutorials) return nullptr;
        auto* tutorial = new RecordingTutorial();
        tutorial->loads = tutorialsLoad;
        tutorial->updatesUntilEnd = updatesUntilEnd;
        tutorials.push_back(CRefPtr<RecordingTutorial>(tutorial));
        return tutorial;  // the caller holds the first reference
    }
    bool developerKeysEnabled() const override { return developerKeys; }

    bool makeTutorials = true;
    bool tutorialsLoad = true;
    int updatesUntilEnd = -1;
    bool developerKeys = false;
    std::vector<std::string> made;
    std::vector<CRefPtr<RecordingTutorial>> tutorials;
};

// A scene of another kind than a plain game scene: the shop, the comics.
class KindScene : public GBaseSceneNode {
public:
    explicit KindScene(const CCreationContext& context, s32 kind = -1)
        : GBaseSceneNode(context), m_kind(kind) {}
    bool isKindOf(s32 typeId) const override {
        return typeId == m_kind || GBaseSceneNode::isKindOf(typeId);
    }

private:
    s32 m_kind;
};

// The map's world: the texts, the tables and a map laid out as its scene file does it.
struct MapSceneWorld : MapWorld {
    MapSceneWorld() : MapWorld("mapscene") {
        services.sceneManager = manager.get();
        services.fileSystem = device.getFileSystem();
        write("strings/Dictionary.xml",
              "<Dictionary><s n=\"Map_ExpertTime\">Expert time: #p</s>"
              "<s n=\"Map_RankExpert\">Expert</s><s n=\"Map_RankGamer\">Gamer</s>"
              "<s n=\"Pool\">Pool upgrade</s><s n=\"Cafe\">Cafe upgrade</s></Dictionary>");
        services.dictionary = makeRef<CTextDictionary>(device.getFileSystem());
        EXPECT_TRUE(services.dictionary->load(stringc("strings/Dictionary.xml")));
        auto music = makeRef<SoundCue>(GSoundCueIds::get().MenuMusic);
        music->setGroup(1);
        music->addSound(makeRef<PlayingSound>().get());
        EXPECT_TRUE(services.groups->registerCue(music.get()));
        for (const char* icon :
             {"scenes/images/Map/Icons/Pool.png", "scenes/images/Map/Icons/Cafe.png"})
            writePng(icon);
    }

    // The upgrades table from "Name ObligatoryLevel" pairs.
    void setUpgrades(const std::vector<std::pair<std::string, int>>& upgrades) {
        std::string xml = "<UpgradesConfiguration>";
        for (const auto& [name, level] : upgrades)
            xml += "<Upgrade><Name Value=\"" + name + "\"/><ObligatoryLevel Value=\"" +
                   std::to_string(level) + "\"/></Upgrade>";
        xml += "</UpgradesConfiguration>";
        write("upgrades.xml", xml);
        CXmlReader* reader = device.getFileSystem()->createXmlReader(stringc("upgrades.xml"));
        ASSERT_NE(reader, nullptr);
        EXPECT_TRUE(services.upgrades->load(reader));
        reader->drop();
    }

    // The level scores of the names: Score, ExpertScore and Time alike for each.
    void setScores(const std::vector<std::string>& names, int score, int expert, int time) {
        std::string xml = "<LevelScores>";
        for (const std::string& name : names)
            xml += "<Level Name=\"" + name + "\" Score=\"" + std::to_string(score) +
                   "\" ExpertScore=\"" + std::to_string(expert) + "\" Time=\"" +
                   std::to_string(time) + "\"/>";
        xml += "</LevelScores>";
        write("scores.xml", xml);
        CXmlReader* reader = device.getFileSystem()->createXmlReader(stringc("scores.xml"));
        ASSERT_NE(reader, nullptr);
        EXPECT_TRUE(services.scores->load(reader));
        reader->drop();
    }

    // The level name of location i: "L" + i.
    static std::string levelOf(u32 i) { return "L" + std::to_string(i); }

    // A map of that many locations in a row (x = 100 + 80 i, y = 400) or at the given places;
    // "PlayButton", "ShopButton", "BackButton" and the six hints with all their children.
    CRefPtr<GMapScene> makeMap(u32 count, std::vector<vector2df> places = {}) {
        auto map = makeRef<GMapScene>(context("MapScene"));
        map->setNameId(id("MapScene"));
        map->setBounds(1024, 768);
        BaseNode* body = addControl(map.get(), "Scene", 0, 0, nullptr);
        BaseNode* layer = addControl(body, "LocationButtons", 0, 0, nullptr);
        for (u32 i = 0; i < count; ++i) {
            const vector2df at = i < places.size() ? places[i] : vector2df(100.0f + 80.0f * i, 400);
            GMapLocationButton* location = addLocation(
                layer, ("Location" + std::to_string(i)).c_str(), at.X, at.Y, levelOf(i).c_str());
            location->setText(stringw(("%Map_Loc" + std::to_string(i) + "%").c_str()));
        }
        addControl(body, "PlayButton", 860, 700);
        addControl(body, "ShopButton", 430, 700);
        addControl(body, "BackButton", 20, 700);
        for (int n = 1; n <= 6; ++n) {
            BaseNode* hint =
                newNode(("LevelHint" + std::to_string(n) + "Node").c_str(), body).get();
            for (const char* text :
                 {"LevelText", "TimeText", "RankText", "Place1Text", "Place2Text"}) {
                auto node = makeRef<TextNode>(CCreationContext());
                node->setNameId(id(text));
                hint->addChild(node.get());
            }
            for (const char* sprite : {"Place1Sign", "Place2Sign", "Icon1", "Icon2"}) {
                auto node = makeRef<SpriteNode>(CCreationContext());
                node->setNameId(id(sprite));
                hint->addChild(node.get());
            }
            for (const char* arrow : {"Arrow", "ArrowL", "ArrowR"}) newNode(arrow, hint);
        }
        map->onLoaded();
        return map;
    }

    // The map entered from a scene of that kind (none: the map is the first scene).
    void enter(GMapScene* map, s32 fromKind = -1) {
        if (fromKind < 0) {
            show(map);
            return;
        }
        from = makeRef<KindScene>(context("From"), fromKind);
        from->setNameId(id("From"));
        show(from.get());
        ASSERT_TRUE(from->switchTo(map));
        step(1000);
    }

    // The map's press of a node found by name.
    bool press(GMapScene* map, const char* name) {
        BaseNode* control = map->findChildByName(name, 0);
        EXPECT_NE(control, nullptr) << name;
        return map->onEvent(makeEvent<CEventNodePressed>(control).get());
    }

    std::string current() const {
        SceneNode* top = manager->getCurrentScene();
        return top ? std::string(top->getNodeName().c_str()) : std::string("-");
    }

    MapServices services;
    CRefPtr<KindScene> from;
};

}  // namespace brasquel::test
