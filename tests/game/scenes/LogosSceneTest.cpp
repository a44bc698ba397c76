// The logos scene: the caption, the logos' timing and cross-fade, skipping by a click, the fade
// out of the last logo and the switch to the preloader.

#include <gtest/gtest.h>

#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/scenes/GLogosScene.h"
#include "tests/game/scenes/GameSceneWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

constexpr const char* kNextScene =
    "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" "
    "Value=\"Preloader\"/></Properties></SceneNode>";

// The world of a logos test: the preloader's scene file and two pictures in the folder, the
// services with the logos of the test.
struct LogosWorld : ContentSceneWorld {
    LogosWorld() : ContentSceneWorld("logos") {
        write("scenes/IntroScene.oscn", kNextScene);
        writePicture("logos/First.ppm", 8, 4, 200);
        writePicture("logos/Second.ppm", 4, 8, 90);
        services.dictionary = makeRef<CTextDictionary>(device.getFileSystem());
        services.sceneManager = manager.get();
    }

    void addLogo(const char* image, s32 time, bool skippable) {
        write("l.xml", std::string("<Logos><Logo Image=\"") + image + "\" Time=\"" +
                           std::to_string(time) + "\" Skippable=\"" +
                           (skippable ? "true" : "false") + "\"/></Logos>");
        CXmlReader* reader = device.getFileSystem()->createXmlReader(stringc("l.xml"));
        ASSERT_TRUE(reader);
        EXPECT_TRUE(services.logos->load(reader));
        reader->drop();
    }

    // A logos scene as its file builds it: "Scene" with the two sprites (or without them).
    CRefPtr<GLogosScene> makeLogosScene(bool withSprites = true) {
        auto scene = makeRef<GLogosScene>(context("LogosScene"));
        scene->setNameId(id("LogosScene"));
        BaseNode* body = newNode("Scene", scene.get()).get();
        if (withSprites) {
            for (const char* name : {"Logo1", "Logo2"}) {
                auto sprite = makeRef<SpriteNode>(CCreationContext());
                sprite->setNameId(id(name));
                body->addChild(sprite.get());
            }
        }
        scene->onLoaded();
        return scene;
    }

    // The picture a sprite shows: its file name, or "-".
    static std::string picture(const SpriteNode* sprite) {
        const CAtlasTexture* texture = sprite ? sprite->getAtlasTexture() : nullptr;
        return texture ? std::string(texture->getName().c_str()) : std::string("-");
    }
    // Steps the scene's clock by whole updates.
    void updates(int count) {
        for (int i = 0; i < count; ++i) step(GBaseSceneNode::DefaultUpdatePeriod);
    }
    std::string current() const {
        SceneNode* scene = manager->getCurrentScene();
        return scene ? std::string(scene->getNodeName().c_str()) : std::string("-");
    }

    TestGameServices services;
};

}  // namespace

// Each logo stays for its time; the last one fades out for 1000 ms; then the preloader follows.
TEST(LogosScene, LogosFollowEachOtherThenThePreloader) {
    LogosWorld world;
    world.addLogo("logos/First.ppm", 300, true);
    world.addLogo("logos/Second.ppm", 200, false);
    CRefPtr<GLogosScene> scene = world.makeLogosScene();
    ASSERT_TRUE(scene->getPreviousLogoSprite() && scene->getCurrentLogoSprite());
    world.show(scene.get());
    ASSERT_EQ(world.current(), "LogosScene");
    EXPECT_EQ(world.services.logos->getLogos().size(), 1u);  // taken out as shown
    EXPECT_NE(LogosWorld::picture(scene->getCurrentLogoSprite()).find("First"), std::string::npos);
    EXPECT_EQ(LogosWorld::picture(scene->getPreviousLogoSprite()), "-");
    EXPECT_TRUE(scene->isSkippable());

    world.updates(10);  // 300 ms: the time is up, not yet past
    EXPECT_NE(LogosWorld::picture(scene->getCurrentLogoSprite()).find("First"), std::string::npos);
    world.updates(1);
    EXPECT_NE(LogosWorld::picture(scene->getCurrentLogoSprite()).find("Second"), std::string::npos);
    EXPECT_NE(LogosWorld::picture(scene->getPreviousLogoSprite()).find("First"), std::string::npos);
    EXPECT_FALSE(scene->isSkippable());

    world.updates(7);  // 210 ms: the second is taken off, the last fade-out starts
    EXPECT_TRUE(scene->isFinished());
    EXPECT_EQ(LogosWorld::picture(scene->getCurrentLogoSprite()), "-");
    EXPECT_NE(LogosWorld::picture(scene->getPreviousLogoSprite()).find("Second"),
              std::string::npos);
    EXPECT_EQ(scene->getRemainingTime(), GLogosScene::FadeOutTime);
    world.updates(33);
    EXPECT_EQ(world.current(), "LogosScene");
    world.updates(1);
    EXPECT_EQ(world.current(), "Preloader");
    EXPECT_EQ(scene->getUpdateSource(), nullptr);  // never updated again
}

// A click ends a skippable logo at the next update; a second click before then is spent; a
// click on a logo that cannot be skipped is consumed and changes nothing.
TEST(LogosScene, ClicksSkipOnlySkippableLogosOnce) {
    LogosWorld world;
    world.addLogo("logos/First.ppm", 3000, true);
    world.addLogo("logos/Second.ppm", 600, true);
    world.addLogo("logos/First.ppm", 3000, false);
    CRefPtr<GLogosScene> scene = world.makeLogosScene();
    HitNode* hit = addHitNode(scene->findChildByName("Scene"), "Target", 0, 0, 800, 600);
    world.record(hit, "target", {EventMouseLeftDown});
    world.show(scene.get());
    world.updates(2);

    EXPECT_TRUE(world.down(10, 10));
    EXPECT_TRUE(world.down(10, 10));  // spent: the second logo is not yet shown
    EXPECT_TRUE(world.log.empty());   // the children never see a click
    world.updates(1);
    EXPECT_NE(LogosWorld::picture(scene->getCurrentLogoSprite()).find("Second"), std::string::npos);
    world.updates(19);  // 570 ms of its 600
    EXPECT_NE(LogosWorld::picture(scene->getCurrentLogoSprite()).find("Second"), std::string::npos);
    world.updates(2);
    EXPECT_NE(LogosWorld::picture(scene->getCurrentLogoSprite()).find("First"), std::string::npos);

    const s32 before = scene->getRemainingTime();
    EXPECT_TRUE(world.down(10, 10));  // the third cannot be skipped
    EXPECT_EQ(scene->getRemainingTime(), before);
    world.updates(1);
    EXPECT_FALSE(scene->isFinished());
}

// An empty logos file: nothing is shown, the scene waits 1000 ms and switches. A logo without a
// time is replaced at the next update.
TEST(LogosScene, NoLogosWaitsASecondAndALogoWithoutTimeOneUpdate) {
    {
        LogosWorld world;
        CRefPtr<GLogosScene> scene = world.makeLogosScene();
        world.show(scene.get());
        EXPECT_TRUE(scene->isFinished());
        EXPECT_EQ(LogosWorld::picture(scene->getCurrentLogoSprite()), "-");
        world.updates(33);
        EXPECT_EQ(world.current(), "LogosScene");
        world.updates(1);
        EXPECT_EQ(world.current(), "Preloader");
    }
    {
        LogosWorld world;
        world.addLogo("logos/First.ppm", 0, false);
        CRefPtr<GLogosScene> scene = world.makeLogosScene(false);  // no sprites: only the timing
        world.show(scene.get());
        EXPECT_FALSE(scene->isFinished());
        world.updates(1);
        EXPECT_TRUE(scene->isFinished());
        world.updates(34);
        EXPECT_EQ(world.current(), "Preloader");
    }
}

// The caption: the dictionary's "TitleName", the game's title when that text is empty, and the
// dictionary's text for a missing key when it lacks one.
TEST(LogosScene, TheCaptionComesFromTheDictionary) {
    const struct {
        const char* entry;
        const char* caption;
    } cases[] = {{"<s n=\"TitleName\">Brasquel Town</s>", "Brasquel Town"},
                 {"<s n=\"TitleName\"></s>", "Brasquel"},
                 {"<s n=\"Other\">x</s>", "%TitleName%"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        LogosWorld world;
        world.write("strings/Dictionary.xml",
                    std::string("<Dictionary>") + c.entry + "</Dictionary>");
        CRefPtr<GLogosScene> scene = world.makeLogosScene();
        world.manager->setScene(scene.get());  // the caption is set as the entry starts
        EXPECT_EQ(world.services.captions, (std::vector<std::string>{c.caption}));
    }
}

// A preloader that cannot be loaded is logged once and tried again at every update.
TEST(LogosScene, AMissingPreloaderIsLoggedOnceAndTriedAgain) {
    LogosWorld world;
    oskel::test::LogCapture logs;
    std::filesystem::remove(world.folder / "scenes/IntroScene.oscn");
    CRefPtr<GLogosScene> scene = world.makeLogosScene();
    world.show(scene.get());
    world.updates(40);
    EXPECT_EQ(linesOf(logs, "Unable to load scene file"),
              (std::vector<std::string>{"Unable to load scene file|scenes/IntroScene.oscn"}));
    world.write("scenes/IntroScene.oscn", kNextScene);
    world.updates(1);
    EXPECT_EQ(world.current(), "Preloader");
}

TEST(LogosScene, ClonesAreLogosScenes) {
    LogosWorld world;
    CRefPtr<GLogosScene> scene = world.makeLogosScene();
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(scene->clone(nullptr, nullptr));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->getClassName(), stringw(L"GLogosScene"));
    auto* clone = static_cast<GLogosScene*>(copy.get());
    EXPECT_NE(clone->getCurrentLogoSprite(), nullptr);  // found in its own copy of "Scene"
    EXPECT_NE(clone->getCurrentLogoSprite(), scene->getCurrentLogoSprite());
    EXPECT_FALSE(clone->isFinished());
}
