// The world's own content files as the game loads them (the game's node classes registered
// through the application's table, the level atlases and collections): every effect template of
// the level collection, spawned as a spawner makes it, leaves when its life ends; every firework
// rocket bursts and leaves; a winter level gets the snow and any other level the rain.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/app/GNodeClassRegistration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/world/GFireworkNode.h"
#include "game/world/GLevelWeather.h"
#include "game/world/GWeatherParticlesNode.h"
#include "tests/game/world/WeatherFiles.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;
using brasquel::test::weatherFilePps;

namespace {

constexpr u32 StepMs = 30;
constexpr const char* LevelTemplates = "levels/common/TemplateCollection.oscn";

// The node content's folder with the game's assets mounted after it, the game's classes
// registered, and the level's atlases, particles and templates loaded.
class WorldContentTest : public ::testing::Test {
protected:
    WorldContentTest() {
        CRandom::instance().seed(5);
        u32 count = 0;
        const SGameNodeClass* rows = getApplicationNodeClasses(count);
        registerGameNodeClasses(CNodeFactory::instance(), rows, count);
        rows = getPreloaderNodeClasses(count);
        registerGameNodeClasses(CNodeFactory::instance(), rows, count);
        EXPECT_TRUE(content.fileSystem->addArchive(BRASQUEL_ASSETS_DIR, false, false));
        for (const char* name : {"atlases/Buildings.xml", "atlases/Env1.xml", "atlases/Env2.xml"})
            keep(TypeCodeAtlasCollection, name);
        keep(TypeCodeParticleCollection, "levels/common/ParticleCollection.xml");
        scene = content.showScene();
    }
    ~WorldContentTest() override {
        for (CResource* resource : kept) resource->drop();
    }

    CResource* keep(u32 typeCode, const char* name) {
        CResource* resource = content.manager->getContentByPath(typeCode, name, true);
        EXPECT_NE(resource, nullptr) << name;
        if (resource) kept.push_back(resource);
        return resource;
    }

    // The level collection, installed as the scene manager's templates.
    TemplateCollectionNode* levelTemplates() {
        auto* templates =
            dynamic_cast<TemplateCollectionNode*>(keep(TypeCodeSceneNode, LevelTemplates));
        if (templates) content.sceneManager->setTemplateCollection(templates);
        return templates;
    }

    void draw() {
        DrawList list;
        scene->render(list);
    }

    NodeContentFixture content;
    std::vector<CResource*> kept;
    SceneNode* scene = nullptr;
};

TEST_F(WorldContentTest, EveryEffectTemplateSpawnedWithALifeLeavesAtItsEnd) {
    TemplateCollectionNode* templates = levelTemplates();
    ASSERT_NE(templates, nullptr);
    // The spawner's life range, and the templates that take it.
    const vector2df life(1500.0f, 2500.0f);
    const char* const effects[] = {"Balloon1",    "Balloon2",    "Balloon3",
                                   "RisingHeart", "RisingNote",  "RisingCoin",
                                   "SpiralLeaf",  "SpiralFlake", "LakeWave"};
    for (const char* name : effects) {
        SCOPED_TRACE(name);
        ASSERT_NE(templates->findChildByName(name), nullptr);
        auto spawner = makeRef<SpawnerNode>(CCreationContext(content.manager, ""));
        spawner->setPosition(vector3df(300.0f, 400.0f, 0.0f));
        spawner->setObjectsLifeTimeRange(life);
        scene->addChild(spawner.get());
        // Only the one clone made here: the spawner does not run on its own.
        spawner->setEnabled(false);
        spawner->setObjTemplate(name);
        spawner->spawn(1);
        ASSERT_EQ(spawner->getChildren().size(), 1u);
        const BaseNode* made = *spawner->getChildren().begin();
        EXPECT_EQ(made->getNodeName(), stringc(name));
        draw();
        // Alive through the shortest life the range gives (but for the fading last part)...
        u32 elapsed = 0;
        for (; elapsed + StepMs < static_cast<u32>(life.X); elapsed += StepMs) {
            content.step(StepMs);
            if (elapsed % 300 == 0) draw();
            ASSERT_EQ(spawner->getChildren().size(), 1u) << "gone after " << elapsed << " ms";
        }
        // ... and gone soon after the longest.
        for (; elapsed < static_cast<u32>(life.Y) + 4 * StepMs; elapsed += StepMs) {
            content.step(StepMs);
            if (spawner->getChildren().empty()) break;
        }
        EXPECT_TRUE(spawner->getChildren().empty()) << "still there after " << elapsed << " ms";
        scene->removeChild(spawner.get());
    }
}

TEST_F(WorldContentTest, TheShieldSparkEndsByItsOwnTimesAndTheCirclingBirdStays) {
    TemplateCollectionNode* templates = levelTemplates();
    ASSERT_NE(templates, nullptr);
    auto spawner = makeRef<SpawnerNode>(CCreationContext(content.manager, ""));
    spawner->setPosition(vector3df(300.0f, 400.0f, 0.0f));
    scene->addChild(spawner.get());
    spawner->setEnabled(false);
    spawner->setObjTemplate("ShieldSpark;CircularBird");
    // Both, whichever the spawner picks first.
    for (u32 tries = 0; tries < 64 && spawner->getChildren().size() < 8; ++tries) spawner->spawn(1);
    u32 sparks = 0, birds = 0;
    for (const BaseNode* child : spawner->getChildren()) {
        if (child->getNodeName() == stringc("ShieldSpark")) ++sparks;
        if (child->getNodeName() == stringc("CircularBird")) ++birds;
    }
    ASSERT_GT(sparks, 0u);
    ASSERT_GT(birds, 0u);
    draw();
    // A bird that found the template flies with a body of its own.
    for (const BaseNode* child : spawner->getChildren())
        if (child->getNodeName() == stringc("CircularBird"))
            EXPECT_FALSE(child->getChildren().empty());
    for (u32 elapsed = 0; elapsed < 10000; elapsed += StepMs) {
        content.step(StepMs);
        if (elapsed % 300 == 0) draw();
    }
    for (const BaseNode* child : spawner->getChildren())
        EXPECT_EQ(child->getNodeName(), stringc("CircularBird"));
    EXPECT_EQ(spawner->getChildren().size(), birds);
}

TEST_F(WorldContentTest, EveryFireworkBurstsAndLeavesWithinTenSeconds) {
    for (u32 index = 1; index <= 4; ++index) {
        const std::string file = "levels/common/Fireworks/" + std::to_string(index) + "/f.oscn";
        SCOPED_TRACE(file);
        CResource* loaded =
            content.manager->getContentByPath(TypeCodeSceneNode, file.c_str(), true);
        ASSERT_NE(loaded, nullptr);
        auto* rocket = dynamic_cast<GFireworkNode*>(static_cast<BaseNode*>(loaded));
        ASSERT_NE(rocket, nullptr);
        CRefPtr<BaseNode> held = CRefPtr<BaseNode>::fromRaw(rocket);
        EXPECT_EQ(rocket->getNodeName(), stringc(("Firework" + std::to_string(index)).c_str()));
        rocket->setPosition(vector3df(400.0f, 600.0f, 0.0f));
        scene->addChild(rocket);
        draw();
        u32 boostAt = 0, goneAt = 0;
        for (u32 elapsed = StepMs; elapsed <= 10000 && !goneAt; elapsed += StepMs) {
            content.step(StepMs);
            draw();
            if (!boostAt && rocket->getRemainingMoveTime() < 0) boostAt = elapsed;
            if (!rocket->getParent()) goneAt = elapsed;
        }
        ASSERT_GT(boostAt, 0u) << "never burst";
        ASSERT_GT(goneAt, 0u) << "still there after 10 s";
        // The burst plays before the rocket leaves.
        EXPECT_GT(goneAt, boostAt + 10 * StepMs);
        // It flew upwards before it burst.
        EXPECT_LT(rocket->getPosition().Y, 600.0f);
    }
}

TEST_F(WorldContentTest, AWinterLevelGetsTheSnowAndOtherLevelsTheRain) {
    const s32 snowPps = weatherFilePps("levels/common/Effects/Snow.xml");
    const s32 rainPps = weatherFilePps("levels/common/Effects/Rain.xml");
    ASSERT_GT(snowPps, 0);
    ASSERT_GT(rainPps, 0);
    ASSERT_NE(snowPps, rainPps);
    const struct {
        const char* level;
        s32 setting;
        s32 pps;
        const char* picture;
    } cases[] = {{"WinterLevel.xml", 4, snowPps, "particles/Snow.png"},
                 {"HarbourLevel.xml", 2, rainPps, "particles/Rain.png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
        const std::string path = std::string(WORLD_FIXTURES_DIR) + "/" + c.level;
        CRefPtr<CXmlReader> reader =
            CRefPtr<CXmlReader>::fromRaw(files->createXmlReader(path.c_str()));
        ASSERT_TRUE(reader);
        auto level = makeRef<GLevelConfiguration>();
        ASSERT_TRUE(level->read(reader.get()));
        EXPECT_EQ(level->SettingIndex, c.setting);

        auto weather = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
        setUpLevelWeather(*weather, level->SettingIndex, content.manager);
        EXPECT_EQ(weather->PPS, c.pps);
        ASSERT_NE(weather->getAtlasTexture(), nullptr);
        EXPECT_EQ(weather->getAtlasTexture()->getName(), stringc(c.picture));
        EXPECT_NE(weather->getAtlasTexture()->getTexture(), nullptr);
        // A weather request: it falls once drawn.
        scene->addChild(weather.get());
        weather->setEnabled(true);
        draw();
        content.step(StepMs, 10);
        EXPECT_GT(weather->getLiveCount(), 0u);
        scene->removeChild(weather.get());
    }
}

}  // namespace
