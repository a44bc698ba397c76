// The particle system node on a stepped scene scheduler: ageing and removal, the mesh buffer,
// rotation, global and local particles, its emitter copy, the scheduler joins, and its texture
// under its two names.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/StringUtils.h"
#include "engine/nodes/ParticleSystemNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "tests/nodes/NodeContent.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;

namespace {

constexpr const char* CollectionFile = "particles/Test.xml";

// Two point emitters: "Still" makes motionless long-lived particles, 100 a second; "Flood" far
// more than the node has room for.
const char* const kCollection = R"(<?xml version="1.0" encoding="utf-8"?>
<ParticleCollection>
	<ParticleEmitter Type="PointEmitter">
		<Properties>
			<string Name="Name" Value="Still" />
			<vector2d Name="PPSRange" Value="100;100" />
			<vector2d Name="LifeTimeRange" Value="10000;10000" />
		</Properties>
	</ParticleEmitter>
	<ParticleEmitter Type="PointEmitter">
		<Properties>
			<string Name="Name" Value="Flood" />
			<vector2d Name="PPSRange" Value="100000;100000" />
			<vector2d Name="LifeTimeRange" Value="10000;10000" />
		</Properties>
	</ParticleEmitter>
</ParticleCollection>
)";

// Records the world transform each draw is made with.
class TransformRecorder : public RecordingDriver {
public:
    void setTransform(ETransformationState state, const matrix4& m) override {
        if (state == ETS_WORLD) world = m;
    }
    void drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const u16* indices,
                                 u32 primitiveCount, u32 vertexType, u32 primitiveType) override {
        worlds.push_back(world);
        RecordingDriver::drawVertexPrimitiveList(vertices, vertexCount, indices, primitiveCount,
                                                 vertexType, primitiveType);
    }
    matrix4 world;
    std::vector<matrix4> worlds;
};

class ParticleSystemNodeTest : public ::testing::Test {
protected:
    ParticleSystemNodeTest() {
        content.writeText(CollectionFile, kCollection);
        collection = CRefPtr<CResource>::fromRaw(
            content.manager->getContentByPath(TypeCodeParticleCollection, CollectionFile, true));
    }

    CRefPtr<ParticleSystemNode> makeParticles(const char* emitter = nullptr) {
        CRefPtr<ParticleSystemNode> node =
            makeRef<ParticleSystemNode>(CCreationContext(content.manager, ""));
        node->setAtlasTexture(content.frame(atlas::Dot));
        if (emitter) node->setEmitterName(emitter);
        return node;
    }

    // One frame: the tree is drawn (which joins the scheduler), then the clock moves one step.
    void frame(BaseNode* root, u32 ms = ParticleSystemNode::UpdatePeriodMs) {
        DrawList list;
        root->render(list);
        content.step(ms);
    }

    static Particle particle(u32 lifetime, f32 angle = 0.0f) {
        Particle p;
        p.lifetime = lifetime;
        p.angle = angle;
        return p;
    }

    NodeContentFixture content;
    CRefPtr<CResource> collection;
};

TEST_F(ParticleSystemNodeTest,
       AParticleOfLifetime100GoesAtTheFourthStepAndTheNodeLeavesTheScheduler) {
    SceneNode* scene = content.showScene();
    CRefPtr<ParticleSystemNode> node = makeParticles();
    scene->addChild(node.get());
    node->getParticles().setCount(1);
    node->getParticles()[0] = particle(100);
    frame(scene);
    ASSERT_NE(node->getUpdateSource(), nullptr);
    content.step(30, 2);
    EXPECT_EQ(node->getParticles().getCount(), 1u);
    EXPECT_EQ(node->getParticles()[0].age, 90u);
    content.step(30);
    EXPECT_EQ(node->getParticles().getCount(), 0u);
    // The next step finds nothing: the node leaves the scheduler, and the next frame drawn
    // brings it back.
    content.step(30);
    EXPECT_EQ(node->getUpdateSource(), nullptr);
    DrawList list;
    scene->render(list);
    EXPECT_NE(node->getUpdateSource(), nullptr);
    // Disabled, it stays out.
    node->setEnabled(false);
    EXPECT_EQ(node->getUpdateSource(), nullptr);
    scene->render(list);
    EXPECT_EQ(node->getUpdateSource(), nullptr);
}

TEST_F(ParticleSystemNodeTest, ParticlesMoveAgeAndBecomeRotatedColouredQuads) {
    CRefPtr<ParticleSystemNode> node = makeParticles();
    CParticleArray& particles = node->getParticles();
    particles.setCount(2);
    particles[0] = particle(1000, 45.9f);
    particles[0].position.set(10, 20);
    particles[0].velocity.set(100, 0);
    particles[0].acceleration.set(0, 1000);
    particles[0].color[3] = 0.5f;
    particles[0].colorVelocity[3] = -100.0f;  // runs below 0: packs as 0
    particles[1] = particle(1000);
    particles[1].scale = 2.0f;
    particles[1].scaleVelocity = 10.0f;
    ASSERT_TRUE(node->update(30));
    const Particle& p = particles[0];
    // Semi-implicit Euler: the velocity first, then the position.
    EXPECT_FLOAT_EQ(p.velocity.Y, 30.0f);
    EXPECT_FLOAT_EQ(p.position.X, 13.0f);
    EXPECT_FLOAT_EQ(p.position.Y, 20.9f);
    EXPECT_FLOAT_EQ(particles[1].scale, 2.3f);

    const CMeshBuffer* mesh = node->getMeshBuffer();
    EXPECT_EQ(mesh->PrimitiveCount, 4u);
    ASSERT_EQ(mesh->getVertexCount(), 8u);
    ASSERT_EQ(mesh->getIndexCount(), 12u);
    // The dot is 8 x 8: half a side each way, turned by 45 whole degrees.
    vector2df a(-4.0f, -4.0f), b(4.0f, -4.0f);
    rotateVectorByDegrees(a, 45);
    rotateVectorByDegrees(b, 45);
    const S2DVertex* v = mesh->getVertices();
    EXPECT_FLOAT_EQ(v[0].Pos.X, p.position.X + a.X);
    EXPECT_FLOAT_EQ(v[0].Pos.Y, p.position.Y + a.Y);
    EXPECT_FLOAT_EQ(v[1].Pos.X, p.position.X + b.X);
    EXPECT_FLOAT_EQ(v[2].Pos.Y, p.position.Y - a.Y);
    EXPECT_FLOAT_EQ(v[3].Pos.X, p.position.X - b.X);
    EXPECT_EQ(v[0].Color.color, 0x00ffffffu);
    EXPECT_FLOAT_EQ(v[4].Pos.X, -2.3f * 4.0f);
    const SAtlasCoords& frame = content.frame(atlas::Dot)->getTextureCoords();
    EXPECT_FLOAT_EQ(v[5].TCoords.X, frame.right);
    EXPECT_FLOAT_EQ(v[6].TCoords.Y, frame.bottom);
    const u16* indices = mesh->getIndices();
    EXPECT_EQ((std::vector<u16>(indices + 6, indices + 12)), (std::vector<u16>{4, 5, 6, 4, 6, 7}));

    // Fewer particles: the buffer keeps its size.
    particles.setCount(1);
    ASSERT_TRUE(node->update(30));
    EXPECT_EQ(mesh->PrimitiveCount, 2u);
    EXPECT_EQ(mesh->getVertexCount(), 8u);
    // Without a texture nothing is simulated.
    node->setAtlasTexture(nullptr);
    EXPECT_FALSE(node->update(30));
}

TEST_F(ParticleSystemNodeTest, GlobalParticlesStayInTheWorldLocalOnesMoveWithTheNode) {
    for (bool global : {false, true}) {
        SCOPED_TRACE(global ? "global" : "local");
        SceneNode* scene = content.showScene();
        CRefPtr<ParticleSystemNode> node = makeParticles("Still");
        node->setGlobal(global);
        node->setPosition(vector3df(100, 50, 0));
        scene->addChild(node.get());
        frame(scene);
        const u32 first = node->getParticles().getCount();
        ASSERT_GT(first, 0u);
        // The node's step places a global emitter: it emits at the new place from the step
        // after the move on.
        node->setPosition(vector3df(200, 50, 0));
        frame(scene);
        frame(scene);
        const CParticleArray& particles = node->getParticles();
        ASSERT_GT(particles.getCount(), first);
        for (u32 i = 0; i < first; ++i)
            EXPECT_FLOAT_EQ(particles[i].position.X, global ? 100.0f : 0.0f) << i;
        EXPECT_FLOAT_EQ(particles[particles.getCount() - 1].position.X, global ? 200.0f : 0.0f);
        // Drawn in the world as they are, or through the node's transform.
        CRefPtr<TransformRecorder> driver = makeRef<TransformRecorder>();
        node->renderClipped(driver.get(), nullptr);
        ASSERT_EQ(driver->draws.size(), 1u);
        ASSERT_EQ(driver->worlds.size(), 1u);
        EXPECT_FLOAT_EQ(driver->worlds[0][12], global ? 0.0f : 200.0f);
        EXPECT_FLOAT_EQ(driver->worlds[0][13], global ? 0.0f : 50.0f);
        EXPECT_TRUE(driver->world.isIdentity());
        EXPECT_EQ(driver->draws[0].material.TextureLayer[0].Texture,
                  content.frame(atlas::Dot)->getTextureResource());
    }
}

TEST_F(ParticleSystemNodeTest, TheEmitterIsAPrivateCopyThatNeverGrowsTheParticles) {
    SceneNode* scene = content.showScene();
    CRefPtr<ParticleSystemNode> node = makeParticles("Flood");
    BaseEmitter* emitter = node->getEmitter();
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(node->getEmitterName(), stringc("Flood"));
    EXPECT_NE(emitter, content.manager->findContent(TypeCodeEmitter,
                                                    CCreationContext(content.manager, "Flood")));
    EXPECT_EQ(emitter->getParticleTarget(), &node->getParticles());
    scene->addChild(node.get());
    for (int i = 0; i < 3; ++i) frame(scene);
    EXPECT_EQ(node->getParticles().getCount(), ParticleSystemNode::ParticleCapacity);

    // An unknown name leaves no emitter.
    node->setEmitterName("Nowhere");
    EXPECT_EQ(node->getEmitter(), nullptr);
    EXPECT_EQ(node->getEmitterName(), stringc());

    // The node's end lets go of its emitter: no target, no scheduler.
    CRefPtr<ParticleSystemNode> other = makeParticles("Still");
    scene->addChild(other.get());
    frame(scene);
    CRefPtr<BaseEmitter> kept(other->getEmitter());
    ASSERT_NE(kept->getUpdateSource(), nullptr);
    other->setEnabled(false);
    scene->removeChild(other.get());
    other = nullptr;
    EXPECT_EQ(kept->getParticleTarget(), nullptr);
    EXPECT_EQ(kept->getUpdateSource(), nullptr);
}

TEST_F(ParticleSystemNodeTest, EmitterSwitchStartsAndStopsTheEmitter) {
    SceneNode* scene = content.showScene();
    CRefPtr<ParticleSystemNode> node = makeParticles("Still");
    scene->addChild(node.get());
    node->setEmitterEnabled(false);
    frame(scene);
    EXPECT_EQ(node->getEmitter()->getUpdateSource(), nullptr);
    EXPECT_EQ(node->getParticles().getCount(), 0u);
    node->setEmitterEnabled(true);
    EXPECT_NE(node->getEmitter()->getUpdateSource(), nullptr);
    frame(scene);
    EXPECT_GT(node->getParticles().getCount(), 0u);
}

TEST_F(ParticleSystemNodeTest, FilesCallTheTextureParticleTextureTheTableAtlasTexture) {
    CRefPtr<ParticleSystemNode> node = makeParticles("Still");
    node->setGlobal(true);
    node->setEnabled(false);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    node->saveProperties(set.get());
    std::vector<std::string> names;
    for (u32 i = 0; i < set->getPropertyCount(); ++i)
        names.push_back(set->getPropertyName(i).c_str());
    EXPECT_EQ(names,
              (std::vector<std::string>{"EmitterName", "ParticleTexture", "Enabled", "Global"}));

    CRefPtr<ParticleSystemNode> loaded =
        makeRef<ParticleSystemNode>(CCreationContext(content.manager, ""));
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getAtlasTexture(), content.frame(atlas::Dot));
    EXPECT_EQ(loaded->getEmitterName(), stringc("Still"));
    EXPECT_TRUE(loaded->isGlobal());
    EXPECT_FALSE(loaded->isEnabled());
    EXPECT_TRUE(loaded->isEmitterEnabled());

    // Animations address the texture by the table's name.
    EXPECT_LT(loaded->findPropertyIndex("ParticleTexture"), 0);
    loaded->setPropertyByName("AtlasTexture",
                              makeAtlasTextureProperty(content.frame(atlas::Opaque)));
    EXPECT_EQ(loaded->getAtlasTexture(), content.frame(atlas::Opaque));
    EXPECT_EQ(loaded->getMaterial().TextureLayer[0].Texture,
              content.frame(atlas::Opaque)->getTextureResource());
    EXPECT_EQ(getPropertyString(loaded->getPropertyByName("EmitterName").get()), stringc("Still"));

    // Copies: their own emitter, the texture and the switches.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(loaded->clone(nullptr, nullptr));
    auto* other = dynamic_cast<ParticleSystemNode*>(copy.get());
    ASSERT_NE(other, nullptr);
    ASSERT_NE(other->getEmitter(), nullptr);
    EXPECT_NE(other->getEmitter(), loaded->getEmitter());
    EXPECT_EQ(other->getEmitter()->getParticleTarget(), &other->getParticles());
    EXPECT_EQ(other->getAtlasTexture(), content.frame(atlas::Opaque));
    EXPECT_TRUE(other->isGlobal());
    EXPECT_FALSE(other->isEnabled());
}

}  // namespace
