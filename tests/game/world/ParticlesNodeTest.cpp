// The weather and hint particle nodes on a stepped scene scheduler: their settings files, the
// timeline keys, emission and its head start, the capacity, the direction of rain and of a
// hint ring, dying out and restarting, the mesh and its texture coordinates, the draw, copies
// and scene files.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "engine/core/CRandom.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneNode.h"
#include "engine/video/SColorUtils.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GHOHintParticlesNode.h"
#include "game/world/GParticleKeys.h"
#include "game/world/GWeatherParticlesNode.h"
#include "tests/nodes/NodeContent.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

// Long-lived rain falling from one point straight down at 100 units a second.
const char* const kStraightRain = R"(<?xml version="1.0" encoding="utf-8"?>
<WeatherParticle>
	<EmitRectangleXSize Value="300;300" />
	<EmitRectangleYSize Value="100;600" />
	<CenterPoint Value="300;2000" />
	<ParticleVelRange Value="100;100" />
	<ParticleLifetimeRange Value="10000;10000" />
	<PPS Value="100" />
	<Unknown Value="1;2" />
</WeatherParticle>
)";

const char* const kTimelineRain = R"(<?xml version="1.0" encoding="utf-8"?>
<WeatherParticle>
	<ParticleTimeline>
		<ColorA><k T="0" V="0" /><k T="0.2" V="1" /><k T="1" V="0" /></ColorA>
		<ScaleX><k T="0" V="2" /></ScaleX>
		<ScaleY />
	</ParticleTimeline>
	<ParticleLifetimeRange Value="1000;1000" />
	<PPS Value="7" />
</WeatherParticle>
)";

// One ring of four sparks a half second, 10 units out, flying out at 50 units a second.
const char* const kRing = R"(<?xml version="1.0" encoding="utf-8"?>
<HintParticle>
	<EmitRadiusXRange Value="10;10" />
	<EmitRadiusYRange Value="10;10" />
	<ParticlesDensity Value="4;4" />
	<ParticlesVelRange Value="50;50" />
	<ParticlesLifetimeRange Value="5000;5000" />
	<PPS Value="2" />
	<ParticlesTimeline><Scale><k T="0" V="3" /></Scale></ParticlesTimeline>
</HintParticle>
)";

// Records the world transform of each draw and the order of the calls that matter.
class OrderRecorder : public RecordingDriver {
public:
    void setTransform(ETransformationState state, const matrix4& m) override {
        if (state == ETS_WORLD) {
            worlds.push_back(m);
            calls += "T";
        }
        RecordingDriver::setTransform(state, m);
    }
    void setMaterial(const SMaterial& material) override {
        calls += "M";
        RecordingDriver::setMaterial(material);
    }
    void drawMeshBuffer(const CMeshBuffer* mesh) override {
        calls += "D";
        meshes.push_back(mesh);
        RecordingDriver::drawMeshBuffer(mesh);
    }
    std::vector<matrix4> worlds;
    std::vector<const CMeshBuffer*> meshes;
    std::string calls;
};

class ParticlesTest : public ::testing::Test {
protected:
    ParticlesTest() {
        CRandom::instance().seed(1234);
        content.writeText("effects/StraightRain.xml", kStraightRain);
        content.writeText("effects/TimelineRain.xml", kTimelineRain);
        content.writeText("effects/Ring.xml", kRing);
    }

    template <class T>
    CRefPtr<T> make(const char* file) {
        auto node = makeRef<T>(CCreationContext(content.manager, ""));
        if (file) node->setConfigurationFilename(file);
        node->setAtlasTexture(content.frame(atlas::Dot));
        return node;
    }

    // One frame: the tree is drawn (which starts the effects), then the clock moves one step.
    void frame(BaseNode* root, u32 times = 1) {
        for (u32 i = 0; i < times; ++i) {
            DrawList list;
            root->render(list);
            content.step(GMeshParticlesNode::UpdatePeriodMs);
        }
    }

    NodeContentFixture content;
};

}  // namespace

TEST(ParticleKeys, FadeInOverTheFirstFifthAndOutOverTheRest) {
    const GParticleKeyList keys = {{0.0f, 0.0f}, {0.2f, 1.0f}, {1.0f, 0.0f}};
    u32 cursor = 1;
    f32 value = getParticleStartValue(keys, 1.0f);
    EXPECT_EQ(value, 0.0f);
    followParticleKeys(keys, 0.1f, cursor, value);
    EXPECT_FLOAT_EQ(value, 0.5f);
    EXPECT_EQ(cursor, 1u);
    followParticleKeys(keys, 0.2f, cursor, value);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(cursor, 2u);
    followParticleKeys(keys, 0.6f, cursor, value);
    EXPECT_FLOAT_EQ(value, 0.5f);
    // Past the last key (one key a step), then the value stays.
    followParticleKeys(keys, 1.5f, cursor, value);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(cursor, 3u);
    followParticleKeys(keys, 0.9f, cursor, value);
    EXPECT_EQ(value, 0.0f);
}

TEST(ParticleKeys, AnEmptyListKeepsTheStartValueAndEqualMomentsTakeTheLaterKey) {
    const GParticleKeyList empty;
    u32 cursor = 1;
    f32 value = getParticleStartValue(empty, 1.0f);
    followParticleKeys(empty, 0.5f, cursor, value);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(getParticleStartValue(empty, 0.0f), 0.0f);

    // The first key lies after the age and at the same moment as the next: no division by zero.
    const GParticleKeyList equal = {{0.5f, 2.0f}, {0.5f, 4.0f}};
    cursor = 1;
    value = getParticleStartValue(equal, 1.0f);
    followParticleKeys(equal, 0.25f, cursor, value);
    EXPECT_EQ(value, 4.0f);
    EXPECT_FALSE(std::isnan(value));
}

TEST_F(ParticlesTest, ClassesAndTheirMaterial) {
    CCreationContext context;
    GWeatherParticlesNode weather(context);
    GHOHintParticlesNode hint(context);
    EXPECT_EQ(weather.getClassName(), stringw(L"GWeatherParticlesNode"));
    EXPECT_EQ(weather.getThisClassName(), stringw(L"GWeatherParticlesNode"));
    EXPECT_EQ(hint.getClassName(), stringw(L"GHOHintParticlesNode"));
    EXPECT_EQ(weather.getTypeId(), GameNodeTypeWeatherParticlesNode);
    EXPECT_EQ(hint.getTypeId(), GameNodeTypeHOHintParticlesNode);
    EXPECT_TRUE(weather.isKindOf(NodeTypeBase));
    EXPECT_FALSE(weather.isKindOf(GameNodeTypeHOHintParticlesNode));
    EXPECT_FALSE(hint.isKindOf(GameNodeTypeWeatherParticlesNode));
    EXPECT_EQ(weather.getCapacity(), 2048u);
    EXPECT_EQ(hint.getCapacity(), 4096u);
    EXPECT_EQ(weather.getUpdatePeriod(), 30u);
    EXPECT_EQ(weather.getParticles().capacity(), 2048u);
    EXPECT_TRUE(weather.isEnabled());
    EXPECT_EQ(weather.PPS, 0);
    EXPECT_EQ(weather.CenterPoint, vector2df(512, 2000));
    EXPECT_EQ(hint.ParticlesDensity, vector2df(20, 20));
    const SMaterial& m = weather.getMaterial();
    EXPECT_EQ(m.MaterialType, EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    EXPECT_EQ(m.LayerCount, 1u);
    EXPECT_FALSE(m.Lighting);
    EXPECT_FALSE(m.GouraudShading);
    EXPECT_FALSE(m.ZWriteEnable);
    EXPECT_EQ(m.ZBuffer, ECFN_NEVER);
    EXPECT_EQ(weather.getMeshBuffer().PrimitiveType, static_cast<u32>(EPT_TRIANGLES));
}

TEST_F(ParticlesTest, TheSettingsFileFillsWhatItNamesAndLeavesTheRest) {
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    EXPECT_EQ(rain->getConfigurationFilename(), stringc("effects/StraightRain.xml"));
    EXPECT_EQ(rain->EmitRectangleXSize, vector2df(300, 300));
    EXPECT_EQ(rain->EmitRectangleYSize, vector2df(100, 600));
    EXPECT_EQ(rain->CenterPoint, vector2df(300, 2000));
    EXPECT_EQ(rain->ParticleVelRange, vector2df(100, 100));
    EXPECT_EQ(rain->PPS, 100);
    EXPECT_EQ(rain->ParticleAngularVelocityRange, vector2df(0, 0));

    auto timeline = make<GWeatherParticlesNode>("effects/TimelineRain.xml");
    ASSERT_EQ(timeline->ColorA.size(), 3u);
    EXPECT_EQ(timeline->ColorA[1].T, 0.2f);
    EXPECT_EQ(timeline->ColorA[1].V, 1.0f);
    ASSERT_EQ(timeline->ScaleX.size(), 1u);
    EXPECT_TRUE(timeline->ScaleY.empty());
    EXPECT_EQ(timeline->PPS, 7);  // read after the timeline's end

    // A missing file and a file of the other kind change nothing.
    timeline->setConfigurationFilename("effects/Missing.xml");
    timeline->setConfigurationFilename("effects/Ring.xml");
    EXPECT_EQ(timeline->PPS, 7);
    EXPECT_EQ(timeline->ColorA.size(), 3u);

    auto ring = make<GHOHintParticlesNode>("effects/Ring.xml");
    EXPECT_EQ(ring->ParticlesDensity, vector2df(4, 4));
    EXPECT_EQ(ring->PPS, 2);
    ASSERT_EQ(ring->Scale.size(), 1u);
    EXPECT_EQ(ring->Scale[0].V, 3.0f);
}

TEST_F(ParticlesTest, EmissionHeadStartRateAndCapacity) {
    const struct {
        s32 pps;
        u32 atStart;
        u32 afterTwoSteps;
    } cases[] = {
        {100, 50, 56},          // half a second at once, then 3 a step
        {0, 0, 0},              // no rate
        {-5, 0, 0},             // a negative rate emits nothing (never a flood)
        {1000000, 2048, 2048},  // the capacity cuts
    };
    for (const auto& c : cases) {
        SceneNode* scene = content.showScene();
        auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
        rain->PPS = c.pps;
        scene->addChild(rain.get());
        DrawList list;
        scene->render(list);
        EXPECT_EQ(rain->getLiveCount(), c.atStart) << c.pps;
        EXPECT_NE(rain->getUpdateSource(), nullptr);
        content.step(30, 2);
        EXPECT_EQ(rain->getLiveCount(), c.afterTwoSteps) << c.pps;
        EXPECT_LE(rain->getLiveCount(), rain->getCapacity());
    }
}

TEST_F(ParticlesTest, RainStraightAboveTheCentreFallsStraightDownUpright) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    scene->addChild(rain.get());
    frame(scene);
    ASSERT_GT(rain->getLiveCount(), 0u);
    for (const GWeatherParticle& p : rain->getParticles()) {
        EXPECT_EQ(p.angle, 0.0f);
        EXPECT_EQ(p.x, 300.0f);
        EXPECT_FLOAT_EQ(p.velocityX, 0.0f);
        EXPECT_FLOAT_EQ(p.velocityY, 100.0f);
    }
    // The quad of the first particle: an upright 8 x 8 square around it.
    const GWeatherParticle& p = rain->getParticles()[0];
    const S2DVertex* v = rain->getMeshBuffer().getVertices();
    EXPECT_FLOAT_EQ(v[0].Pos.X, p.x - 4.0f);
    EXPECT_FLOAT_EQ(v[0].Pos.Y, p.y - 4.0f);
    EXPECT_FLOAT_EQ(v[1].Pos.X, p.x + 4.0f);
    EXPECT_FLOAT_EQ(v[1].Pos.Y, p.y - 4.0f);
    EXPECT_FLOAT_EQ(v[2].Pos.X, p.x + 4.0f);
    EXPECT_FLOAT_EQ(v[2].Pos.Y, p.y + 4.0f);
    EXPECT_FLOAT_EQ(v[3].Pos.X, p.x - 4.0f);
    EXPECT_FLOAT_EQ(v[3].Pos.Y, p.y + 4.0f);
    const f32 y = p.y;
    frame(scene);
    // The particles move in place in the array; the first is still alive and 3 units lower.
    EXPECT_FLOAT_EQ(rain->getParticles()[0].y, y + 3.0f);
}

TEST_F(ParticlesTest, AHintBurstOfFourLiesAQuarterTurnApartMovingOut) {
    SceneNode* scene = content.showScene();
    auto ring = make<GHOHintParticlesNode>("effects/Ring.xml");
    ring->setPosition(vector3df(200.0f, 200.0f, 7.0f));
    scene->addChild(ring.get());
    DrawList list;
    scene->render(list);  // the head start: one burst
    ASSERT_EQ(ring->getLiveCount(), 4u);
    const auto& sparks = ring->getParticles();
    for (u32 i = 0; i < 4; ++i) {
        const GHintParticle& a = sparks[i];
        const GHintParticle& b = sparks[(i + 1) % 4];
        EXPECT_NEAR(std::sqrt(a.x * a.x + a.y * a.y), 10.0f, 1e-3f);
        // A quarter turn to the next: perpendicular and of the same length.
        EXPECT_NEAR(a.x * b.x + a.y * b.y, 0.0f, 0.01f);
        // Moving straight away from the origin at 50.
        EXPECT_NEAR(a.velocityX, a.x * 5.0f, 1e-3f);
        EXPECT_NEAR(a.velocityY, a.y * 5.0f, 1e-3f);
        EXPECT_EQ(a.scale, 3.0f);
        EXPECT_EQ(a.angularVelocity, 0.0f);
        EXPECT_EQ(a.alpha, 1.0f);
    }
}

TEST_F(ParticlesTest, AHintDensityBelowOneEmitsNothing) {
    for (f32 density : {0.5f, -3.0f, std::numeric_limits<f32>::quiet_NaN()}) {
        auto ring = make<GHOHintParticlesNode>("effects/Ring.xml");
        ring->ParticlesDensity = vector2df(density, density);
        ring->PPS = 100;
        DrawList list;
        ring->render(list);
        EXPECT_EQ(ring->getLiveCount(), 0u) << density;
    }
}

TEST_F(ParticlesTest, ANegativeOrZeroLifetimeDiesAtTheNextStep) {
    for (f32 lifetime : {0.0f, -500.0f}) {
        SceneNode* scene = content.showScene();
        auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
        rain->ParticleLifetimeRange = vector2df(lifetime, lifetime);
        scene->addChild(rain.get());
        DrawList list;
        scene->render(list);
        EXPECT_EQ(rain->getLiveCount(), 50u);
        for (const GWeatherParticle& p : rain->getParticles()) EXPECT_EQ(p.age, 1.0f);
        content.step(30);
        EXPECT_EQ(rain->getLiveCount(), 3u) << lifetime;  // only the step's own, dying next
    }
}

TEST_F(ParticlesTest, ATimelineFadesEachParticleInAndOut) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/TimelineRain.xml");
    rain->PPS = 0;  // no new particles: one made by hand ages alone
    scene->addChild(rain.get());
    frame(scene);
    ASSERT_EQ(rain->getLiveCount(), 0u);
    rain->PPS = 1;
    content.step(1000);  // 33 steps: exactly one particle, 10 ms of the next kept
    ASSERT_GE(rain->getLiveCount(), 1u);
    const GWeatherParticle& p = rain->getParticles()[0];
    EXPECT_EQ(p.scaleX, 2.0f);
    EXPECT_EQ(p.scaleY, 1.0f);
    EXPECT_GE(p.alpha, 0.0f);
    EXPECT_LE(p.alpha, 1.0f);
}

TEST_F(ParticlesTest, DisabledWeatherDiesOutLeavesAndRestartsWithAHeadStart) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    rain->ParticleLifetimeRange = vector2df(100, 100);
    scene->addChild(rain.get());
    frame(scene);
    ASSERT_GT(rain->getLiveCount(), 0u);
    rain->setEnabled(false);
    const u32 before = rain->getLiveCount();
    DrawList list;
    scene->render(list);
    EXPECT_EQ(rain->getLiveCount(), before);  // nothing goes at once
    content.step(30, 3);
    EXPECT_GT(rain->getLiveCount(), 0u);
    EXPECT_NE(rain->getUpdateSource(), nullptr);
    content.step(30, 2);
    EXPECT_EQ(rain->getLiveCount(), 0u);
    EXPECT_EQ(rain->getUpdateSource(), nullptr);
    frame(scene);
    EXPECT_EQ(rain->getUpdateSource(), nullptr);  // disabled: no restart
    rain->setEnabled(true);
    list.clear();
    scene->render(list);
    EXPECT_EQ(rain->getLiveCount(), 50u);
    EXPECT_NE(rain->getUpdateSource(), nullptr);
}

TEST_F(ParticlesTest, WithoutADrawableAtlasNothingStartsOrSteps) {
    SceneNode* scene = content.showScene();
    auto rain = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
    rain->setConfigurationFilename("effects/StraightRain.xml");
    scene->addChild(rain.get());
    frame(scene);
    EXPECT_EQ(rain->getLiveCount(), 0u);
    EXPECT_EQ(rain->getUpdateSource(), nullptr);
    EXPECT_FALSE(rain->update(30));
    // An atlas whose page has no driver texture counts as none.
    auto pageless = makeRef<CAtlasTexture>(CCreationContext(), nullptr, SAtlasCoords{0, 0, 1, 1},
                                           vector2df(0, 0), vector2df(0, 0));
    rain->setAtlasTexture(pageless.get());
    frame(scene);
    EXPECT_EQ(rain->getUpdateSource(), nullptr);
    EXPECT_FALSE(rain->update(30));
}

TEST_F(ParticlesTest, TheMeshOnlyGrowsAndTakesTheFramesCoordinates) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    rain->ParticleLifetimeRange = vector2df(60, 60);
    scene->addChild(rain.get());
    frame(scene);
    const CMeshBuffer& mesh = rain->getMeshBuffer();
    const u32 live = rain->getLiveCount();
    EXPECT_EQ(mesh.PrimitiveCount, 2 * live);
    ASSERT_EQ(mesh.getVertexCount(), 4 * live);
    ASSERT_EQ(mesh.getIndexCount(), 6 * live);
    const u16 quad1[6] = {4, 5, 6, 4, 6, 7};
    for (u32 k = 0; k < 6; ++k) EXPECT_EQ(mesh.getIndices()[6 + k], quad1[k]);
    const SAtlasCoords& dot = content.frame(atlas::Dot)->getTextureCoords();
    const S2DVertex* v = mesh.getVertices();
    EXPECT_EQ(v[4].TCoords, vector2df(dot.left, dot.top));
    EXPECT_EQ(v[5].TCoords, vector2df(dot.right, dot.top));
    EXPECT_EQ(v[6].TCoords, vector2df(dot.right, dot.bottom));
    EXPECT_EQ(v[7].TCoords, vector2df(dot.left, dot.bottom));
    EXPECT_EQ(v[4].Pos.Z, 0.0f);
    // The head start dies; only 3 a step live on, and the arrays keep their size.
    frame(scene, 2);
    EXPECT_LT(rain->getLiveCount(), live);
    EXPECT_EQ(mesh.PrimitiveCount, 2 * rain->getLiveCount());
    EXPECT_EQ(mesh.getVertexCount(), 4 * live);
    // Another frame rewrites every quad's coordinates.
    rain->setAtlasTexture(content.frame(atlas::Opaque));
    const SAtlasCoords& opaque = content.frame(atlas::Opaque)->getTextureCoords();
    for (u32 q = 0; q < live; ++q) {
        EXPECT_EQ(v[4 * q].TCoords, vector2df(opaque.left, opaque.top));
        EXPECT_EQ(v[4 * q + 2].TCoords, vector2df(opaque.right, opaque.bottom));
    }
}

TEST_F(ParticlesTest, ColoursTakeTheOpacityAndTheTint) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    rain->ColorA = {{0.0f, 0.5f}};
    rain->setTintColor(0x80FF0000u);
    scene->addChild(rain.get());
    frame(scene);
    ASSERT_GT(rain->getLiveCount(), 0u);
    // White at 127 modulated by half-transparent red.
    const u32 expected = modulateColor(0x7FFFFFFFu, 0x80FF0000u);
    EXPECT_EQ(rain->getMeshBuffer().getVertices()[0].Color.color, expected);
}

TEST_F(ParticlesTest, TheDrawFlushesSetsTheWorldAtDepthZeroAndGoesBackToIdentity) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    rain->setPosition(vector3df(5.0f, 6.0f, 5000.0f));
    auto ring = make<GHOHintParticlesNode>("effects/Ring.xml");
    ring->setPosition(vector3df(50.0f, 60.0f, 7.0f));
    scene->addChild(rain.get());
    scene->addChild(ring.get());
    frame(scene);
    DrawList list;
    scene->render(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].depth, 5000.0f);
    EXPECT_EQ(list[1].depth, 7.0f);

    OrderRecorder driver;
    rain->renderClipped(&driver, nullptr);
    ring->renderClipped(&driver, nullptr);
    EXPECT_EQ(driver.calls, "TMDTTMDT");
    ASSERT_EQ(driver.worlds.size(), 4u);
    EXPECT_EQ(driver.worlds[0][12], 5.0f);
    EXPECT_EQ(driver.worlds[0][13], 6.0f);
    EXPECT_EQ(driver.worlds[0][14], 0.0f);  // the weather at depth 0
    EXPECT_TRUE(driver.worlds[1].isIdentity());
    EXPECT_EQ(driver.worlds[2][14], 7.0f);  // the hint as it stands
    EXPECT_TRUE(driver.worlds[3].isIdentity());
    ASSERT_EQ(driver.meshes.size(), 2u);
    EXPECT_EQ(driver.meshes[0], &rain->getMeshBuffer());
    ASSERT_EQ(driver.draws.size(), 2u);
    EXPECT_EQ(driver.draws[0].material.MaterialType, EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    EXPECT_EQ(driver.draws[0].primitiveCount, 2 * rain->getLiveCount());
    EXPECT_EQ(driver.draws[0].primitiveType, static_cast<u32>(EPT_TRIANGLES));
}

TEST_F(ParticlesTest, CopiesTakeTheSettingsNotTheParticles) {
    SceneNode* scene = content.showScene();
    auto rain = make<GWeatherParticlesNode>("effects/TimelineRain.xml");
    rain->PPS = 40;
    rain->setEnabled(false);
    rain->setEnabled(true);
    scene->addChild(rain.get());
    frame(scene);
    ASSERT_GT(rain->getLiveCount(), 0u);
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(rain->clone(nullptr, nullptr));
    auto* clone = dynamic_cast<GWeatherParticlesNode*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getLiveCount(), 0u);
    EXPECT_EQ(clone->PPS, 40);
    EXPECT_EQ(clone->ColorA.size(), 3u);
    EXPECT_EQ(clone->getConfigurationFilename(), rain->getConfigurationFilename());
    EXPECT_EQ(clone->getAtlasTexture(), rain->getAtlasTexture());
    EXPECT_EQ(clone->getMaterial().TextureLayer[0].Texture,
              content.frame(atlas::Dot)->getTextureResource());
    // A hint node copies nothing of a weather node but the node part.
    auto ring = makeRef<GHOHintParticlesNode>(CCreationContext(content.manager, ""));
    ring->copyFrom(rain.get(), nullptr);
    EXPECT_EQ(ring->PPS, 0);
    EXPECT_EQ(ring->getAtlasTexture(), nullptr);
}

TEST_F(ParticlesTest, PropertiesSaveOnlyWhatDiffersAndLoadInOrder) {
    auto rain = make<GWeatherParticlesNode>("effects/StraightRain.xml");
    rain->setEnabled(false);
    auto set = makeRef<CPropertySet>();
    rain->saveProperties(set.get());
    EXPECT_GE(set->getPropertyIndex("ConfigurationFilename"), 0);
    EXPECT_GE(set->getPropertyIndex("Enabled"), 0);
    EXPECT_GE(set->getPropertyIndex("AtlasTexture"), 0);
    auto loaded = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->PPS, 100);
    EXPECT_FALSE(loaded->isEnabled());
    EXPECT_EQ(loaded->getAtlasTexture(), content.frame(atlas::Dot));

    auto plain = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
    auto empty = makeRef<CPropertySet>();
    plain->saveProperties(empty.get());
    EXPECT_LT(empty->getPropertyIndex("ConfigurationFilename"), 0);
    EXPECT_LT(empty->getPropertyIndex("Enabled"), 0);
    EXPECT_LT(empty->getPropertyIndex("AtlasTexture"), 0);

    // The table: a value of another type gives false and none.
    plain->setPropertyByName("Enabled", makeRef<CPropertyDataInt>(1));
    EXPECT_FALSE(plain->isEnabled());
    plain->setPropertyByName("ConfigurationFilename",
                             makeRef<CPropertyDataString>(stringc("effects/Ring.xml")));
    EXPECT_EQ(plain->getConfigurationFilename(), stringc("effects/Ring.xml"));
}

TEST_F(ParticlesTest, SceneFilesLoadSaveAndLoadBackTheSame) {
    CNodeFactory& factory = CNodeFactory::instance();
    factory.registerNodeClass(L"GWeatherParticlesNode", [](const CCreationContext& c) -> BaseNode* {
        return new GWeatherParticlesNode(c);
    });
    factory.registerNodeClass(L"GHOHintParticlesNode", [](const CCreationContext& c) -> BaseNode* {
        return new GHOHintParticlesNode(c);
    });
    content.writeText("Weather.oscn", R"(<?xml version="1.0" encoding="utf-8"?>
<SceneNode Type="BaseNode">
	<Properties><string Name="Name" Value="Root" /></Properties>
	<SceneNode Type="GWeatherParticlesNode">
		<Properties>
			<string Name="Name" Value="Weather" />
			<string Name="ConfigurationFilename" Value="effects/StraightRain.xml" />
			<bool Name="Enabled" Value="false" />
			<atlasTexture Name="AtlasTexture" Value="nodes/Dot.png" />
		</Properties>
	</SceneNode>
	<SceneNode Type="GHOHintParticlesNode">
		<Properties>
			<string Name="Name" Value="Hint" />
			<string Name="ConfigurationFilename" Value="effects/Ring.xml" />
		</Properties>
	</SceneNode>
</SceneNode>
)");
    auto load = [&](const char* name) {
        return CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(
            content.manager->getContentByPath(TypeCodeSceneNode, name, true)));
    };
    auto save = [&](BaseNode* node, const char* name) {
        const std::filesystem::path file = content.dir / name;
        {
            CRefPtr<CXmlWriter> writer = CRefPtr<CXmlWriter>::fromRaw(
                content.fileSystem->createXmlWriter(stringc(file.string().c_str())));
            EXPECT_TRUE(writer);
            if (!writer) return std::string();
            writer->writeXMLHeader();
            EXPECT_TRUE(node->saveXml(writer.get()));
        }
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    CRefPtr<BaseNode> first = load("Weather.oscn");
    ASSERT_TRUE(first);
    auto* weather = dynamic_cast<GWeatherParticlesNode*>(first->findChildByName("Weather"));
    ASSERT_NE(weather, nullptr);
    EXPECT_EQ(weather->PPS, 100);
    EXPECT_EQ(weather->CenterPoint, vector2df(300, 2000));
    EXPECT_FALSE(weather->isEnabled());
    EXPECT_EQ(weather->getAtlasTexture(), content.frame(atlas::Dot));
    auto* hint = dynamic_cast<GHOHintParticlesNode*>(first->findChildByName("Hint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->PPS, 2);
    const std::string once = save(first.get(), "Saved1.oscn");
    CRefPtr<BaseNode> second = load("Saved1.oscn");
    ASSERT_TRUE(second);
    EXPECT_EQ(once, save(second.get(), "Saved2.oscn"));
    EXPECT_FALSE(once.empty());
}
