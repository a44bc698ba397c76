// The first level's folder read with the game's readers: its scene file, its configuration and
// its paths, without a warning, and consistent with each other.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/content/CResource.h"
#include "engine/core/CLogger.h"
#include "engine/nodes/SpawnerNode.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelPaths.h"
#include "tests/game/level/LotWorld.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

const std::filesystem::path kLevel = std::filesystem::path(BRASQUEL_ASSETS_DIR) / "levels/level1";

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string warnings(const oskel::test::LogCapture& log) {
    std::string text;
    for (const auto& line : log.lines())
        if (line.level >= LogWarning) text += line.text + " (" + line.hint + ")\n";
    return text;
}

}  // namespace

TEST(LevelFolder, TheFirstLevelReadsWithoutAWarningAndItsPartsAgree) {
    LotWorld world;
    // The scene file read where it lies among the game's assets, with the atlases of the town's
    // decor loaded as the preloader loads them; its ground picture lies beside it.
    ASSERT_NE(world.device.getFileSystem()->addArchive(BRASQUEL_ASSETS_DIR, false, false), nullptr);
    std::vector<CRefPtr<CResource>> atlases;
    for (const char* name : {"atlases/Env1.xml", "atlases/Env2.xml"}) {
        atlases.push_back(CRefPtr<CResource>::fromRaw(
            world.content->getContentByPath(TypeCodeAtlasCollection, name, true)));
        ASSERT_NE(atlases.back(), nullptr) << name;
    }
    oskel::test::LogCapture log;
    CRefPtr<CXmlReader> reader = oskel::test::readerOf(fileBytes(kLevel / "Level.oscn"));
    while (reader->read() && reader->getNodeType() != XmlNodeElement) {
    }
    // Names in the file are relative to the file, as when the content manager loads it.
    world.content->pushPath("levels/level1/Level.oscn");
    BaseNode* made = CSceneFile::createNode(reader.get(), &world.factory,
                                            world.context("levels/level1/Level.oscn"));
    CRefPtr<BaseNode> root = CRefPtr<BaseNode>::fromRaw(made);
    const bool read = made && CSceneFile::read(root.get(), reader.get(), &world.factory);
    world.content->popPath();
    ASSERT_NE(made, nullptr);
    ASSERT_TRUE(read);
    ASSERT_TRUE(root->isKindOf(GameNodeTypeGameLevelScene));
    auto* level = static_cast<GGameLevelScene*>(root.get());
    ASSERT_NE(level->getCargosNode(), nullptr);
    ASSERT_GE(level->getBuildings().size(), 4u);
    // The walkers' spawner sits two levels below the level scene.
    BaseNode* spawner = level->findChildByName("WalkerSpawner", 0);
    ASSERT_NE(spawner, nullptr);
    EXPECT_TRUE(spawner->isKindOf(NodeTypeSpawner));
    ASSERT_NE(spawner->getParent(), nullptr);
    EXPECT_EQ(spawner->getParent()->getParent(), level);
    u32 owned = 0;
    for (const CRefPtr<GBuildingNode>& lot : level->getBuildings())
        owned += lot->isOwnedByThePlayer() ? 1 : 0;
    EXPECT_GE(owned, 2u);

    // The configuration.
    auto configuration = makeRef<GLevelConfiguration>();
    CRefPtr<CXmlReader> config =
        oskel::test::readerOf(fileBytes(kLevel / "LevelConfiguration.xml"));
    EXPECT_TRUE(configuration->read(config.get()));
    EXPECT_EQ(configuration->Name, stringw(L"1"));
    EXPECT_GT(configuration->Objectives->size(), 0u);
    EXPECT_GT(configuration->InitMoney, 0.0f);

    // The paths: a car path per lot ending at its front, the passing cars' paths, walkways.
    auto paths = makeRef<GLevelPaths>();
    CRefPtr<CXmlReader> pathReader = oskel::test::readerOf(fileBytes(kLevel / "LevelPaths.xml"));
    EXPECT_TRUE(paths->read(pathReader.get()));
    for (const CRefPtr<GBuildingNode>& lot : level->getBuildings()) {
        const GLevelPaths::PathList own = paths->getCarPaths(lot->getNameId());
        ASSERT_EQ(own.size(), 1u) << lot->getNameId();
        ASSERT_GE(own[0]->Points.size(), 2u);
        const SLevelPathPoint& end = own[0]->Points.back();
        EXPECT_NEAR(end.x, lot->getPosition().X + 70.0f, 0.01f);
        EXPECT_NEAR(end.y, lot->getPosition().Y + 40.0f, 0.01f);
    }
    const GLevelPaths::PathList neutral = paths->getCarPaths(CNameId("NeutralCar").getId());
    EXPECT_GE(neutral.size(), 2u);
    for (const CRefPtr<GLevelPath>& path : neutral) {
        EXPECT_GE(path->Points.size(), 2u);
        EXPECT_FALSE(path->Cars.empty());
        EXPECT_GT(path->Time[1], 0);
        EXPECT_LE(path->Time[0], path->Time[1]);
    }
    ASSERT_FALSE(paths->getPedestrianPaths().empty());
    for (const CRefPtr<GLevelPath>& path : paths->getPedestrianPaths()) {
        EXPECT_GE(path->Points.size(), 2u);
        EXPECT_TRUE(path->BothWays);
    }
    EXPECT_EQ(warnings(log), "");
}
