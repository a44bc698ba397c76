#pragma once

// The world of the map tests: the map's pictures as small PNG files in the test's folder, the
// location template ("Selector", the "Star" group with its "Star" and "Platform" sprites and a
// looping "Wave"), game services with tables of the test's own, and a map built as its scene
// file lays it out.

#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/scenes/GMapLocationButton.h"
#include "tests/game/scenes/GameSceneWorld.h"

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

}  // namespace brasquel::test
