// The level's weather: snow in the winter setting and rain in every other, set up disabled at
// the weather depth with the setting's files.

#include <gtest/gtest.h>

#include "engine/video/render2d/CAtlasTexture.h"
#include "game/world/GLevelWeather.h"
#include "game/world/GWeatherParticlesNode.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

TEST(LevelWeather, SnowInWinterRainElsewhere) {
    const struct {
        s32 setting;
        const char* configuration;
        const char* atlas;
    } cases[] = {
        {4, "levels/common/Effects/Snow.xml", "particles/Snow.png"},
        {0, "levels/common/Effects/Rain.xml", "particles/Rain.png"},
        {3, "levels/common/Effects/Rain.xml", "particles/Rain.png"},
        {5, "levels/common/Effects/Rain.xml", "particles/Rain.png"},
        {-1, "levels/common/Effects/Rain.xml", "particles/Rain.png"},
    };
    for (const auto& c : cases) {
        const SLevelWeatherFiles files = getLevelWeatherFiles(c.setting);
        EXPECT_STREQ(files.configuration, c.configuration) << c.setting;
        EXPECT_STREQ(files.atlas, c.atlas) << c.setting;
    }
}

TEST(LevelWeather, TheNodeIsSetUpDisabledWithTheSettingsFilesAndPicture) {
    NodeContentFixture content;
    content.writeText("levels/common/Effects/Snow.xml",
                      "<WeatherParticle><PPS Value=\"40\" /></WeatherParticle>");
    content.writeText("levels/common/Effects/Rain.xml",
                      "<WeatherParticle><PPS Value=\"300\" /></WeatherParticle>");
    CAtlasTexture* dot = content.frame(atlas::Dot);
    const char* names[] = {"particles/Snow.png", "particles/Rain.png"};
    CRefPtr<CAtlasTexture> pictures[2];
    for (u32 i = 0; i < 2; ++i) {
        pictures[i] = makeRef<CAtlasTexture>(CCreationContext(content.manager, names[i]),
                                             dot->getTextureResource(), dot->getTextureCoords(),
                                             vector2df(0, 0), vector2df(0, 0));
        ASSERT_TRUE(content.manager->registerContent(pictures[i].get()));
    }
    const struct {
        s32 setting;
        s32 pps;
        u32 picture;
    } cases[] = {{4, 40, 0}, {1, 300, 1}};
    for (const auto& c : cases) {
        auto weather = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
        setUpLevelWeather(*weather, c.setting, content.manager);
        EXPECT_FALSE(weather->isEnabled());
        EXPECT_EQ(weather->getPosition(), vector3df(0.0f, 0.0f, 5000.0f));
        EXPECT_EQ(weather->PPS, c.pps);
        EXPECT_EQ(weather->getAtlasTexture(), pictures[c.picture].get());
    }
}
