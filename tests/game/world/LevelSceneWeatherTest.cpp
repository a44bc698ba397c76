// The level scene's weather with the real weather class and the game's files: entering a level
// of the winter setting makes a snow node (the snow settings and picture), any other setting a
// rain node; a weather request starts it falling.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/StringUtils.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/scene/NodeEvents.h"
#include "game/level/GGameEvents.h"
#include "game/world/GLevelWeather.h"
#include "game/world/GWeatherParticlesNode.h"
#include "tests/game/level/LotWorld.h"
#include "tests/game/world/WeatherFiles.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

// The lots' world over the game's assets with the real weather class in its node factory.
struct WeatherWorld : LotWorld {
    WeatherWorld() {
        factory.registerNodeClass(
            L"GWeatherParticlesNode",
            [](const CCreationContext& c) -> BaseNode* { return new GWeatherParticlesNode(c); });
        EXPECT_TRUE(device.getFileSystem()->addArchive(BRASQUEL_ASSETS_DIR, false, false));
        atlas = CRefPtr<CResource>::fromRaw(
            content->getContentByPath(TypeCodeAtlasCollection, "atlases/Buildings.xml", true));
        EXPECT_TRUE(atlas);
    }
    void enter() {
        level->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(nullptr, level.get(), true).get());
    }
    CRefPtr<CResource> atlas;
};

TEST(LevelSceneWeather, AWinterLevelSnowsAndOthersRain) {
    const s32 snowPps = weatherFilePps("levels/common/Effects/Snow.xml");
    const s32 rainPps = weatherFilePps("levels/common/Effects/Rain.xml");
    ASSERT_GT(snowPps, 0);
    ASSERT_GT(rainPps, 0);
    ASSERT_NE(snowPps, rainPps);
    const struct {
        s32 setting;
        s32 pps;
        const char* picture;
    } cases[] = {{WinterSettingIndex, snowPps, "particles/Snow.png"},
                 {2, rainPps, "particles/Rain.png"},
                 {0, rainPps, "particles/Rain.png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        WeatherWorld w;
        w.configuration->SettingIndex = c.setting;
        ASSERT_TRUE(w.loadLevel(LotWorld::lot("H", "Hotel1", 100, 100, true)));
        w.level->setNodeFactory(&w.factory);
        w.start();
        w.enter();
        auto* weather = dynamic_cast<GWeatherParticlesNode*>(w.level->getWeatherNode());
        ASSERT_NE(weather, nullptr);
        EXPECT_EQ(weather->getParent(), w.level.get());
        EXPECT_EQ(weather->getPosition().Z, LevelWeatherDepth);
        EXPECT_FALSE(weather->isEnabled());
        EXPECT_EQ(weather->PPS, c.pps);
        ASSERT_NE(weather->getAtlasTexture(), nullptr);
        EXPECT_EQ(weather->getAtlasTexture()->getName(), stringc(c.picture));
        EXPECT_NE(weather->getAtlasTexture()->getTexture(), nullptr);

        // A request sets it falling: drawn, it starts with a head start and keeps emitting.
        EXPECT_TRUE(w.level->onEvent(makeEvent<GEventWeatherRequest>(2000, 2000).get()));
        EXPECT_TRUE(weather->isEnabled());
        DrawList list;
        w.screen->render(list);
        EXPECT_GT(weather->getLiveCount(), 0u);
        w.run(300);
        EXPECT_GT(weather->getLiveCount(), 0u);
    }
}

}  // namespace
