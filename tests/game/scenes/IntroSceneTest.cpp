// The preloader on stub content: its twelve steps in order, the bar, the one switch once the bar
// is full, missing files, the fireworks that need the level's templates, and a refused switch.

#include <gtest/gtest.h>

#include "engine/scene/CNodeFactory.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/scenes/GIntroScene.h"
#include "tests/game/scenes/GameSceneWorld.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

constexpr const char* kMainMenu =
    "<SceneNode Type=\"SceneNode\"><Properties><string Name=\"Name\" "
    "Value=\"MainMenu\"/></Properties></SceneNode>";

// Hooks that record the end of the loading.
class RecordingHooks : public GExternalHooks {
public:
    bool onLoadingFinished() override {
        ++finished;
        return true;
    }
    int finished = 0;
};

// Counts the registrations the preloader's first step asks for.
u32 g_registrations = 0;
u32 countRegistration() { return ++g_registrations; }

// A game scene class that only the preloader's first step registers.
class GTestMenuScene : public GBaseSceneNode {
public:
    using GBaseSceneNode::GBaseSceneNode;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<GTestMenuScene>(this, parent, manager);
    }
    const stringw& getClassName() const override {
        static const stringw name(L"GTestMenuScene");
        return name;
    }
};
BaseNode* createTestMenuScene(const CCreationContext& context) {
    return new GTestMenuScene(context);
}
u32 registerTestMenuScene() {
    CNodeFactory::instance().registerNodeClass(L"GTestMenuScene", &createTestMenuScene);
    return 1;
}

struct PreloaderWorld : ContentSceneWorld {
    PreloaderWorld() : ContentSceneWorld("preloader") {
        world = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        services.sceneManager = manager.get();
        services.worldSceneManager = world.get();
        services.fileSystem = device.getFileSystem();
        services.hooks = CRefPtr<GExternalHooks>(hooks.get());
        services.registerClasses = &countRegistration;
        g_registrations = 0;
    }

    // Every file the steps read, as stubs of the right kind.
    void writeAllFiles() {
        write("sounds/SoundPack.xml", "<SoundPack></SoundPack>");
        for (const char* atlas :
             {"Buildings", "Env1", "Env2", "Minigame1", "Minigame2", "Minigame3", "Minigame4",
              "MainMenu", "GameMenu", "ObjMenu", "ShopMenu", "MapMenu"})
            write(std::string("atlases/") + atlas + ".xml",
                  "<AtlasTextureCollection></AtlasTextureCollection>");
        write(GIntroScene::MenuParticlesFile, "<ParticleCollection></ParticleCollection>");
        write(GIntroScene::LevelParticlesFile, "<ParticleCollection></ParticleCollection>");
        write(GIntroScene::MenuTemplatesFile,
              "<SceneNode Type=\"TemplateCollectionNode\"><Properties/></SceneNode>");
        write(GIntroScene::LevelTemplatesFile,
              "<SceneNode Type=\"TemplateCollectionNode\"><Properties/></SceneNode>");
        u32 count = 0;
        const char* const* fireworks = GIntroScene::getFireworkFiles(count);
        for (u32 i = 0; i < count; ++i)
            write(
                fireworks[i],
                "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Firework" +
                    std::to_string(i + 1) + "\"/></Properties></SceneNode>");
        write(GIntroScene::BuildingsFile,
              "<BuildingsConfiguration><Building><Properties><string Name=\"Name\" "
              "Value=\"Cafe\"/></Properties></Building></BuildingsConfiguration>");
        write(GIntroScene::UpgradesFile, "<UpgradesConfiguration></UpgradesConfiguration>");
        write(GIntroScene::LevelScoresFile,
              "<LevelScores><Level Name=\"level1\" Score=\"100\" ExpertScore=\"200\" "
              "Time=\"300\"/></LevelScores>");
        write(GIntroScene::ComicsFile, "<ComicsConfiguration></ComicsConfiguration>");
    }

    // The preloader as its file builds it: "Scene" with the bar's two nodes (or without them).
    CRefPtr<GIntroScene> makePreloader(bool withBar = true) {
        auto scene = makeRef<GIntroScene>(context("IntroScene"));
        scene->setNameId(id("IntroScene"));
        BaseNode* body = newNode("Scene", scene.get()).get();
        if (withBar) {
            newNode("ProgressBg", body)->setBounds(560, 36);
            newNode("Progress", body)->setBounds(0, 36);
        }
        scene->onLoaded();
        return scene;
    }

    void updates(int count) {
        for (int i = 0; i < count; ++i) step(GBaseSceneNode::DefaultUpdatePeriod);
    }
    std::string current() const {
        SceneNode* scene = manager->getCurrentScene();
        return scene ? std::string(scene->getNodeName().c_str()) : std::string("-");
    }

    CRefPtr<SceneManager> world;
    CRefPtr<RecordingHooks> hooks = makeRef<RecordingHooks>();
    TestGameServices services;
};

}  // namespace

TEST(Preloader, TheStepTableWeighs160) {
    f32 total = 0.0f;
    const f32 weights[] = {10, 20, 10, 10, 10, 10, 10, 10, 30, 30, 5, 5};
    for (u32 i = 0; i < GIntroScene::StepCount; ++i) {
        EXPECT_EQ(GIntroScene::getLoadSteps()[i].weight, weights[i]) << i;
        total += GIntroScene::getLoadSteps()[i].weight;
    }
    EXPECT_EQ(total, 160.0f);
    EXPECT_EQ(GIntroScene::getLoadSteps()[0].run, &GIntroScene::registerNodeClasses);
    EXPECT_EQ(GIntroScene::getLoadSteps()[11].run, &GIntroScene::loadComicsConfiguration);
}

// A step every other update, in order; the bar grows by a fiftieth per update up to the steps
// done; the main menu is asked for once, at the first step time with a full bar, never before the
// last step; after that the preloader is not updated again.
TEST(Preloader, StepsBarAndOneSwitch) {
    PreloaderWorld world;
    world.writeAllFiles();
    world.write("scenes/MainMenuScene.oscn", kMainMenu);
    CRefPtr<GIntroScene> scene = world.makePreloader();
    EXPECT_EQ(scene->getTotalWeight(), 160.0f);
    world.show(scene.get());
    ASSERT_EQ(world.current(), "IntroScene");

    world.updates(1);
    EXPECT_EQ(scene->getNextStep(), 0u);  // 30 ms: not yet
    world.updates(1);
    EXPECT_EQ(scene->getNextStep(), 1u);  // 60 ms: the classes are registered
    EXPECT_EQ(g_registrations, 1u);
    EXPECT_EQ(scene->getReachedProgress(), 10.0f);
    EXPECT_FLOAT_EQ(scene->getShownProgress(), 160.0f / 50.0f);
    EXPECT_FLOAT_EQ(scene->getProgressBar()->getBounds().X, 560.0f / 50.0f);
    EXPECT_EQ(scene->getProgressBar()->getBounds().Y, 36.0f);

    // The steps, one every 60 ms.
    const u32 atlasesAfter[] = {0, 1, 3, 7, 8, 9, 12, 12, 12, 12, 12};  // after steps 1 to 11
    for (u32 step = 1; step < GIntroScene::StepCount; ++step) {
        world.updates(2);
        ASSERT_EQ(scene->getNextStep(), step + 1);
        EXPECT_EQ(scene->getKeptAtlasCount(), atlasesAfter[step - 1]) << step;
        EXPECT_EQ(world.current(), "IntroScene");
    }
    EXPECT_EQ(scene->getReachedProgress(), 160.0f);
    EXPECT_EQ(scene->getKeptParticleCount(), 2u);
    EXPECT_EQ(world.hooks->finished, 1);
    EXPECT_EQ(world.services.buildings->size(), 1u);
    EXPECT_NE(world.services.buildings->find(CNameId("Cafe")), nullptr);
    ASSERT_NE(world.services.scores->find("level1"), nullptr);
    EXPECT_EQ(world.services.scores->find("level1")->ExpertScore, 200);
    ASSERT_NE(world.manager->getTemplateCollection(), nullptr);
    ASSERT_NE(world.world->getTemplateCollection(), nullptr);
    EXPECT_EQ(world.world->getTemplateCollection()->getTemplateCount(), 4u);  // the four fireworks
    EXPECT_NE(world.world->getTemplateCollection()->findTemplate(id("Firework3")), nullptr);
    EXPECT_EQ(g_registrations, 1u);

    // 24 updates so far; the bar needs 50 to fill: the switch waits for it, and comes at the
    // next step time after the bar is full.
    EXPECT_LT(scene->getShownProgress(), scene->getReachedProgress());
    int done = 24, fullAt = 0;
    while (world.current() == "IntroScene" && done < 120) {
        world.updates(1);
        ++done;
        if (!fullAt && scene->getShownProgress() == 160.0f) fullAt = done;
    }
    EXPECT_EQ(world.current(), "MainMenu");
    EXPECT_TRUE(scene->hasSwitched());
    EXPECT_GE(fullAt, 50);
    EXPECT_FLOAT_EQ(scene->getProgressBar()->getBounds().X, 560.0f);
    EXPECT_GT(done, fullAt);
    EXPECT_LE(done, fullAt + 2);
    EXPECT_EQ(done % 2, 0);  // a step time
    EXPECT_EQ(scene->getUpdateSource(), nullptr);
    world.updates(100);
    EXPECT_EQ(g_registrations, 1u);
}

// Missing files leave their resources out (and the steps still count); without the level's
// template collection the fireworks are not read; without the bar's nodes the steps still run.
TEST(Preloader, MissingFilesAreSkipped) {
    PreloaderWorld world;
    oskel::test::LogCapture logs;
    u32 count = 0;
    const char* const* fireworks = GIntroScene::getFireworkFiles(count);
    world.write(fireworks[0], "<SceneNode Type=\"BaseNode\"><Properties/></SceneNode>");
    world.write(GIntroScene::MenuTemplatesFile,
                "<SceneNode Type=\"BaseNode\"><Properties/></SceneNode>");
    world.write("scenes/MainMenuScene.oscn", kMainMenu);
    CRefPtr<GIntroScene> scene = world.makePreloader(false);
    world.show(scene.get());
    world.updates(2 * GIntroScene::StepCount);
    EXPECT_EQ(scene->getNextStep(), GIntroScene::StepCount);
    EXPECT_EQ(scene->getReachedProgress(), 160.0f);
    EXPECT_EQ(scene->getKeptAtlasCount(), 0u);
    EXPECT_EQ(scene->getKeptParticleCount(), 0u);
    EXPECT_EQ(world.manager->getTemplateCollection(),
              world.templates.get());  // not a template collection
    EXPECT_EQ(world.world->getTemplateCollection(), nullptr);
    // No level templates: no firework is even looked for.
    for (const auto& line : logs.lines())
        EXPECT_EQ(line.hint.find("Fireworks"), std::string::npos) << line.hint;
    EXPECT_TRUE(logs.contains("Preloader skips a missing file", LogWarning));
    EXPECT_EQ(world.hooks->finished, 1);
    world.updates(40);
    EXPECT_EQ(world.current(), "MainMenu");
}

// Until the main menu exists its switch is refused: logged once, tried again at every step time,
// and taken once the file is there.
TEST(Preloader, ARefusedSwitchIsTriedAgainAndLoggedOnce) {
    PreloaderWorld world;
    oskel::test::LogCapture logs;
    CRefPtr<GIntroScene> scene = world.makePreloader();
    world.show(scene.get());
    world.updates(120);
    EXPECT_EQ(world.current(), "IntroScene");
    EXPECT_EQ(scene->getShownProgress(), 160.0f);
    EXPECT_FALSE(scene->hasSwitched());
    EXPECT_EQ(linesOf(logs, "Unable to load scene file"),
              (std::vector<std::string>{"Unable to load scene file|scenes/MainMenuScene.oscn"}));
    EXPECT_NE(scene->getUpdateSource(), nullptr);
    world.write("scenes/MainMenuScene.oscn", kMainMenu);
    world.updates(2);
    EXPECT_EQ(world.current(), "MainMenu");
    EXPECT_EQ(linesOf(logs, "Unable to load scene file").size(), 1u);
}

// A scene file naming a class of the preloader's batch cannot be read before the first step has
// run through the services, and can afterwards: the main menu then follows.
TEST(Preloader, TheFirstStepRegistersTheClassesTheNextSceneNeeds) {
    PreloaderWorld world;
    world.services.registerClasses = &registerTestMenuScene;
    world.write("scenes/MainMenuScene.oscn",
                "<SceneNode Type=\"GTestMenuScene\"><Properties><string Name=\"Name\" "
                "Value=\"MainMenu\"/></Properties></SceneNode>");
    auto load = [&world]() -> std::string {
        CResource* loaded = world.content->getContentByPath(
            TypeCodeSceneNode, stringc("scenes/MainMenuScene.oscn"), true);
        if (!loaded) return "-";
        const std::string name = toUtf8(static_cast<BaseNode*>(loaded)->getClassName().c_str());
        loaded->drop();
        return name;
    };
    ASSERT_FALSE(CNodeFactory::instance().isNodeClassRegistered(L"GTestMenuScene"));
    EXPECT_EQ(load(), "-");
    CRefPtr<GIntroScene> scene = world.makePreloader();
    world.show(scene.get());
    world.updates(2);
    ASSERT_EQ(scene->getNextStep(), 1u);
    EXPECT_EQ(world.services.calls, (std::vector<std::string>{"register"}));
    EXPECT_EQ(load(), "GTestMenuScene");
    world.updates(60);
    ASSERT_NE(world.manager->getCurrentScene(), nullptr);
    EXPECT_EQ(world.manager->getCurrentScene()->getClassName(), stringw(L"GTestMenuScene"));
}
