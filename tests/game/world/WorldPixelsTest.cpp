// The weather particles, the selection grid, the rectangle and the ellipse sector through the
// OpenGL, the Direct3D 9 and the Direct3D 8 driver on a window of the virtual display: one window, driver and node content per
// driver for all the tests of that driver, each frame read back with the driver's screen shot.
// A test whose window or driver cannot be made fails (the test command provides a display).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "engine/core/CRandom.h"
#include "engine/image/CImage.h"
#include "engine/platform/Window.h"
#include "engine/platform/d3d/D3DTestControl.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/world/GRectangleNode.h"
#include "game/world/GSelectGridNode.h"
#include "game/world/GWeatherParticlesNode.h"
#include "tests/nodes/NodeContent.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

constexpr s32 kWidth = 320;
constexpr s32 kHeight = 240;
constexpr u32 kBlack = 0xFF000000u;

struct OpenGLKind {
    static constexpr s32 type = DriverOpenGL;
};
struct Direct3D9Kind {
    static constexpr s32 type = DriverDirect3D9;
};
struct Direct3D8Kind {
    static constexpr s32 type = DriverDirect3D8;
};

IVideoDriver* makeDriver(s32 type, platform::CWindow& window) {
    SDeviceParameters p;
    p.driverType = type;
    p.windowSize = {kWidth, kHeight};
    p.bits = 32;
    p.zBufferBits = 24;
    p.vsync = false;
    p.windowId = window.nativeHandle();
    if (type == DriverDirect3D9) return createDirect3D9Driver(p, nullptr);
    if (type == DriverDirect3D8) return createDirect3D8Driver(p, nullptr);
    return createOpenGLDriver(p, nullptr);
}

struct RGB {
    int r, g, b;
};

template <class Kind>
class WorldPixels : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        d3d::D3DTestControl::reset();
        if (!platform::startVideo()) return;
        s_videoStarted = true;
        s_window = new platform::CWindow();
        if (!s_window->create("World pixels", kWidth, kHeight, false, false)) return;
        s_driver = makeDriver(Kind::type, *s_window);
        if (!s_driver) return;
        s_driver->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
        s_driver->addScreenShotUser();
        s_content = new NodeContentFixture(s_driver);
    }
    static void TearDownTestSuite() {
        delete s_content;
        s_content = nullptr;
        if (s_driver) {
            s_driver->removeScreenShotUser();
            s_driver->drop();
            s_driver = nullptr;
        }
        delete s_window;
        s_window = nullptr;
        if (s_videoStarted) platform::stopVideo();
        s_videoStarted = false;
        d3d::D3DTestControl::reset();
    }

    void SetUp() override {
        if (!s_driver || !s_content) OSKEL_SKIP_WITHOUT_DISPLAY("no window or driver on the display");
        CRandom::instance().seed(77);
    }
    void TearDown() override {
        if (m_shot) m_shot->drop();
    }

    // One frame on black: `draw` is called between the frame's start and end, in the scene's 2D
    // mode, and the frame is read back.
    void frame(const std::function<void(IVideoDriver*)>& draw) {
        if (m_shot) m_shot->drop();
        m_shot = nullptr;
        ASSERT_TRUE(s_driver->beginScene(true, true, SColor(kBlack)));
        s_driver->set2DRenderMode();
        draw(s_driver);
        if (CQuadBatcher* batcher = s_driver->getQuadBatcher()) batcher->flush();
        ASSERT_TRUE(s_driver->endScene());
        m_shot = s_driver->createScreenShot();
        ASSERT_NE(m_shot, nullptr);
        ASSERT_EQ(m_shot->getDimension(), dimension2di(kWidth, kHeight));
    }

    RGB at(s32 x, s32 y) const {
        const u32 c = m_shot->getPixel(x, y);
        return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>(c & 0xFF)};
    }
    bool lit(s32 x, s32 y) const {
        const RGB c = at(x, y);
        return c.r + c.g + c.b > 60;
    }

    static platform::CWindow* s_window;
    static IVideoDriver* s_driver;
    static NodeContentFixture* s_content;
    static bool s_videoStarted;
    CImage* m_shot = nullptr;
};

template <class Kind>
platform::CWindow* WorldPixels<Kind>::s_window = nullptr;
template <class Kind>
IVideoDriver* WorldPixels<Kind>::s_driver = nullptr;
template <class Kind>
NodeContentFixture* WorldPixels<Kind>::s_content = nullptr;
template <class Kind>
bool WorldPixels<Kind>::s_videoStarted = false;

class DriverNames {
public:
    template <class T>
    static std::string GetName(int) {
        if (T::type == DriverDirect3D9) return "Direct3D9";
        if (T::type == DriverDirect3D8) return "Direct3D8";
        return "OpenGL";
    }
};

using Drivers = ::testing::Types<OpenGLKind, Direct3D9Kind, Direct3D8Kind>;
TYPED_TEST_SUITE(WorldPixels, Drivers, DriverNames);

// One rain particle held still: born at the node's (0, -20) straight above its centre point,
// turned 45.9 degrees by one 30 ms step of spin, a bar of the 8 x 8 white dot six times as tall,
// half opaque from its ColorA key and tinted green by the node.
TYPED_TEST(WorldPixels, AStillRainParticleIsTurnedInWholeDegreesFadedAndTinted) {
    NodeContentFixture& content = *this->s_content;
    auto rain = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
    rain->setAtlasTexture(content.frame(atlas::Dot));
    rain->EmitRectangleXSize = vector2df(0, 0);
    rain->EmitRectangleYSize = vector2df(GWeatherParticlesNode::EmitTop, 0);
    rain->CenterPoint = vector2df(0, 2000);
    rain->ParticleVelRange = vector2df(0, 0);
    rain->ParticleAngularVelocityRange = vector2df(1530, 1530);  // 45.9 degrees a step
    rain->ParticleLifetimeRange = vector2df(100000, 100000);
    rain->PPS = 2;  // the head start makes exactly one
    rain->ScaleX = {{0.0f, 1.0f}};
    rain->ScaleY = {{0.0f, 6.0f}};
    rain->ColorA = {{0.0f, 0.5f}};
    rain->setPosition(vector3df(160, 140, 300));  // drawn at depth 0 whatever its z
    rain->setTintColor(0xFF00FF00u);
    rain->updateAbsoluteTransform();
    rain->updateAbsoluteColor();
    DrawList list;
    rain->render(list);
    ASSERT_EQ(rain->getLiveCount(), 1u);
    ASSERT_TRUE(rain->update(GMeshParticlesNode::UpdatePeriodMs));
    ASSERT_EQ(rain->getLiveCount(), 1u);
    EXPECT_NEAR(rain->getParticles()[0].angle, 45.9f, 0.001f);

    // Drawn at 45 degrees exactly: the middles of the quad's short edges lie on a diagonal
    // through the centre, 24 units out (the bar's half length).
    const CMeshBuffer& mesh = rain->getMeshBuffer();
    ASSERT_GE(mesh.getVertexCount(), 4u);
    const S2DVertex* v = mesh.getVertices();
    const vector3df centre(0.0f, GWeatherParticlesNode::EmitTop, 0.0f);
    for (u32 edge : {0u, 2u}) {
        const vector3df d = (v[edge].Pos + v[edge + 1].Pos) * 0.5f - centre;
        EXPECT_NEAR(std::fabs(d.X) - std::fabs(d.Y), 0.0f, 0.001f) << edge;  // 45, never 45.9
        EXPECT_NEAR(std::sqrt(d.X * d.X + d.Y * d.Y), 24.0f, 0.01f) << edge;
    }
    for (u32 i = 0; i < 4; ++i) EXPECT_EQ(v[i].Color.color, 0x7F00FF00u) << i;  // 0.5, the tint

    this->frame([&](IVideoDriver* driver) { rain->renderClipped(driver, nullptr); });
    // The bar's middle: green at half strength over black.
    const RGB middle = this->at(160, 120);
    EXPECT_LE(middle.r, 3);
    EXPECT_LE(middle.b, 3);
    EXPECT_NEAR(middle.g, 127, 4);
    // The bar lies along one diagonal: 14 pixels out along it is lit, along the other not.
    const bool falling = this->lit(160 + 14, 120 + 14) && this->lit(160 - 14, 120 - 14);
    const bool rising = this->lit(160 + 14, 120 - 14) && this->lit(160 - 14, 120 + 14);
    EXPECT_NE(falling, rising) << "the bar is on neither or both diagonals";
    // Nothing beyond the bar's end, nor across its width.
    EXPECT_FALSE(this->lit(160 + 24, 120 + 24));
    EXPECT_FALSE(this->lit(160 - 24, 120 + 24));
    EXPECT_FALSE(this->lit(160 + 10, 120));
    EXPECT_FALSE(this->lit(160, 120 + 10));
}

// A grid of 100 x 80 in cells of 40 at (20, 30): a half-transparent blue fill and red lines at
// x 20, 60, 100 and y 30, 70, 110 (one pixel of tolerance across a line).
TYPED_TEST(WorldPixels, AGridFillsItsBoundsAndRulesItsCells) {
    auto grid = makeRef<GSelectGridNode>(CCreationContext());
    grid->setBounds(100, 80);
    grid->setGridColor(0xFFFF0000u);
    grid->setFillColor(0x800000FFu);
    grid->setPosition(vector3df(20, 30, 0));
    grid->updateAbsoluteTransform();
    grid->updateAbsoluteColor();
    this->frame([&](IVideoDriver* driver) { grid->renderClipped(driver, nullptr); });

    auto red = [&](s32 x, s32 y) {
        const RGB c = this->at(x, y);
        return c.r > 200 && c.g < 40;
    };
    auto lineNear = [&](s32 x, s32 y, bool vertical) {
        for (s32 d = -1; d <= 1; ++d)
            if (red(vertical ? x + d : x, vertical ? y : y + d)) return true;
        return false;
    };
    for (s32 x : {20, 60}) {
        EXPECT_TRUE(lineNear(x, 50, true)) << "vertical line at " << x;
        EXPECT_TRUE(lineNear(x, 90, true)) << "vertical line at " << x;
    }
    // The last line lies on the right edge, inside or just outside it.
    EXPECT_TRUE(lineNear(100, 50, true) || lineNear(99, 50, true));
    for (s32 y : {30, 70}) {
        EXPECT_TRUE(lineNear(40, y, false)) << "horizontal line at " << y;
        EXPECT_TRUE(lineNear(110, y, false)) << "horizontal line at " << y;
    }
    EXPECT_TRUE(lineNear(40, 110, false) || lineNear(40, 109, false));
    // Inside the cells: the fill, blue at half strength, no red.
    for (const auto& p : {std::pair<s32, s32>{40, 50}, {80, 90}, {110, 50}}) {
        const RGB c = this->at(p.first, p.second);
        EXPECT_LE(c.r, 3) << p.first << "," << p.second;
        EXPECT_LE(c.g, 3);
        EXPECT_NEAR(c.b, 128, 4);
    }
    // Outside the bounds: nothing.
    EXPECT_FALSE(this->lit(10, 20));
    EXPECT_FALSE(this->lit(125, 50));
    EXPECT_FALSE(this->lit(60, 116));
}

// A parent at (160, 120) turned by 45 degrees holds a rectangle of 80 x 40 centred on it: a blue
// inside and a red outline, both turned with the parent. 30 pixels out from the centre along one
// diagonal (the long axis) is inside, along the other (the short axis) outside; so are points
// that an unturned rectangle would cover.
TYPED_TEST(WorldPixels, ARectangleTurnsWithItsParent) {
    auto parent = makeRef<BaseNode>(CCreationContext());
    parent->setPosition(vector3df(160, 120, 0));
    parent->setRotation(vector3df(0, 0, 45));
    auto* rectangle = new GRectangleNode(CCreationContext());
    rectangle->setPosition(vector3df(-40.5f, -20.5f, 0));
    rectangle->setBounds(80, 40);
    rectangle->FillColor = 0xFF0000FFu;
    rectangle->BorderColor = 0xFFFF0000u;
    parent->addChild(rectangle);
    rectangle->drop();
    DrawList list;
    parent->render(list);
    ASSERT_EQ(list.size(), 1u);
    this->frame([&](IVideoDriver* driver) { rectangle->renderClipped(driver, nullptr); });

    auto blue = [&](s32 x, s32 y) {
        const RGB c = this->at(x, y);
        return c.b > 200 && c.r < 40 && c.g < 40;
    };
    auto redNear = [&](const vector3df& p) {
        const s32 x = static_cast<s32>(std::lround(p.X));
        const s32 y = static_cast<s32>(std::lround(p.Y));
        for (s32 dy = -1; dy <= 1; ++dy)
            for (s32 dx = -1; dx <= 1; ++dx) {
                const RGB c = this->at(x + dx, y + dy);
                if (c.r > 200 && c.g < 40 && c.b < 40) return true;
            }
        return false;
    };
    const RGB centre = this->at(160, 120);
    EXPECT_EQ(centre.r, 0);
    EXPECT_EQ(centre.g, 0);
    EXPECT_GE(centre.b, 250);
    const bool falling = blue(160 + 21, 120 + 21) && blue(160 - 21, 120 - 21);
    const bool rising = blue(160 + 21, 120 - 21) && blue(160 - 21, 120 + 21);
    EXPECT_NE(falling, rising) << "the long axis is on neither or both diagonals";
    EXPECT_FALSE(this->lit(falling ? 160 + 21 : 160 - 21, 120 - 21));
    EXPECT_FALSE(this->lit(falling ? 160 - 21 : 160 + 21, 120 + 21));
    // Beyond the long axis's ends, and where the unturned rectangle's sides would be.
    EXPECT_FALSE(this->lit(falling ? 160 + 32 : 160 - 32, 120 + 32));
    EXPECT_FALSE(this->lit(160 + 35, 120));
    EXPECT_FALSE(this->lit(160 - 35, 120));
    EXPECT_FALSE(this->lit(160, 120 + 35));
    EXPECT_FALSE(this->lit(160, 120 - 35));
    // The outline lies on the turned edges: the middles of the four sides.
    EXPECT_TRUE(redNear(rectangle->transformPoint(vector3df(40, 1, 0)))) << "top";
    EXPECT_TRUE(redNear(rectangle->transformPoint(vector3df(40, 40, 0)))) << "bottom";
    EXPECT_TRUE(redNear(rectangle->transformPoint(vector3df(1, 20, 0)))) << "left";
    EXPECT_TRUE(redNear(rectangle->transformPoint(vector3df(80, 20, 0)))) << "right";
    // Just inside an edge: the fill.
    const vector3df inside = rectangle->transformPoint(vector3df(40, 6, 0));
    EXPECT_TRUE(blue(static_cast<s32>(std::lround(inside.X)), static_cast<s32>(std::lround(inside.Y))));
}

// An ellipse sector of 50 x 30 under a parent at (100, 60) turned by 30 degrees and scaled 2:
// it stays axis-aligned, its radii scaled by the transform's diagonal (2 cos 30 = 1.732), so
// 43.3 across and 26 down around (143.3, 86); green inside near the rim, black just beyond.
TYPED_TEST(WorldPixels, AnEllipseUnderATurnedScaledParentStaysAxisAligned) {
    auto parent = makeRef<BaseNode>(CCreationContext());
    parent->setPosition(vector3df(100, 60, 0));
    parent->setRotation(vector3df(0, 0, 30));
    parent->setScale(vector3df(2, 2, 1));
    auto* ellipse = new GEllipseSectorNode(CCreationContext());
    ellipse->setBounds(50, 30);
    ellipse->FillColor = 0xFF00FF00u;
    parent->addChild(ellipse);
    ellipse->drop();
    DrawList list;
    parent->render(list);
    ASSERT_EQ(list.size(), 1u);
    this->frame([&](IVideoDriver* driver) { ellipse->renderClipped(driver, nullptr); });

    const f32 scale = 2.0f * std::cos(30.0f * 3.14159265f / 180.0f);
    const f32 rx = 25.0f * scale;
    const f32 ry = 15.0f * scale;
    const f32 cx = 100.0f + rx;
    const f32 cy = 60.0f + ry;
    auto green = [&](f32 x, f32 y) {
        const RGB c = this->at(static_cast<s32>(std::lround(x)), static_cast<s32>(std::lround(y)));
        return c.g > 200 && c.r < 40 && c.b < 40;
    };
    auto dark = [&](f32 x, f32 y) {
        return !this->lit(static_cast<s32>(std::lround(x)), static_cast<s32>(std::lround(y)));
    };
    EXPECT_TRUE(green(cx, cy));
    // Inside near the rim at 3, 6, 9 and 12 o'clock.
    EXPECT_TRUE(green(cx + rx - 3, cy));
    EXPECT_TRUE(green(cx - rx + 3, cy));
    EXPECT_TRUE(green(cx, cy - ry + 3));
    EXPECT_TRUE(green(cx, cy + ry - 3));
    // Just beyond it.
    EXPECT_TRUE(dark(cx + rx + 3, cy));
    EXPECT_TRUE(dark(cx - rx - 3, cy));
    EXPECT_TRUE(dark(cx, cy - ry - 3));
    EXPECT_TRUE(dark(cx, cy + ry + 3));
    // Axis-aligned: the box's corners stay outside, and the axis lengths (2, not 1.732) would
    // have reached further.
    EXPECT_TRUE(dark(cx + rx * 0.8f, cy + ry * 0.8f));
    EXPECT_TRUE(dark(cx - rx * 0.8f, cy - ry * 0.8f));
    EXPECT_TRUE(dark(100.0f + 2.0f * 50.0f - 2.0f, cy));
}

}  // namespace
