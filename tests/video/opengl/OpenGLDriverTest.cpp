#include "tests/video/opengl/GLTestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

using OpenGLDriver = GLFixture;

TEST_F(OpenGLDriver, BeginSceneClearsToTheColour) {
    driver->beginScene(true, true, SColor(255, 10, 200, 30));
    EXPECT_TRUE(near(backPixel(0, 0), 10, 200, 30, 1));
    EXPECT_TRUE(near(backPixel(Width - 1, Height - 1), 10, 200, 30, 1));
}

}  // namespace
