#include <gtest/gtest.h>

#include "tests/game/play/PlayWorld.h"

namespace brasquel::test {
namespace {

TEST(GamePlayScene, FixtureBindsAndLoadsTheLevel) {
    PlayWorld world;
    ASSERT_NE(world.loadPlayScreen(), nullptr);
    ASSERT_TRUE(world.prepare());
    world.enter();
    EXPECT_EQ(world.level->getSceneManager(), world.layer.get());
    EXPECT_EQ(world.layer->getParent(), world.find(""));
}

}  // namespace
}  // namespace brasquel::test
