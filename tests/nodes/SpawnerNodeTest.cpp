// The spawner node on stepped time: its rate and start delay, the template names, what each
// clone gets, ghosts, the switch, the bound on one step's clones, saving and copying.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/core/CRandom.h"
#include "engine/io/CXmlWriter.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/SceneNode.h"
#include "tests/nodes/NodeContent.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A template class that knows "LifeTime", as the world node classes do.
class LifeNode : public BaseNode {
public:
    using BaseNode::BaseNode;

    const CPropertyTable& getPropertyTable() const override {
        static const CPropertyTable table = [this] {
            CPropertyTable t = BaseNode::getPropertyTable();
            TPropertyTableBuilder<LifeNode>(t).field<&LifeNode::lifeTime>("LifeTime");
            return t;
        }();
        return table;
    }
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        return cloneAs<LifeNode>(this, parent, manager);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override {
        BaseNode::copyFrom(source, manager);
        if (const auto* other = dynamic_cast<const LifeNode*>(source)) lifeTime = other->lifeTime;
    }

    s32 lifeTime = 0;
};

// The engine's generator as its definition gives it (two multiply-with-carry halves), set to
// the state of the engine's instance: a seed fixes the low half, two draws then reveal the
// high half. The spawner's draws are then known in advance.
struct MirrorRandom {
    u32 z, w;

    u32 next() {
        w = 36969u * (w & 0xffffu) + (w >> 16);
        z = 18000u * (z & 0xffffu) + (z >> 16);
        return (w << 16) + z;
    }
    f32 range(f32 min, f32 max) {
        const f32 d = max - min;
        if (d == 0.0f) return min;
        return min + static_cast<f32>(static_cast<f64>(next()) * (1.0 / 4294967296.0)) * d;
    }

    static MirrorRandom ofSeededInstance(u32 seed) {
        CRandom& random = CRandom::instance();
        random.seed(seed);
        u32 z = seed;
        auto stepZ = [&z] { return z = 18000u * (z & 0xffffu) + (z >> 16); };
        const u32 z1 = stepZ();
        const u32 low1 = ((random.next() - z1) >> 16) & 0xffffu;
        const u32 z2 = stepZ();
        const u32 low2 = ((random.next() - z2) >> 16) & 0xffffu;
        const u32 w1 = (((low2 - 36969u * low1) & 0xffffu) << 16) | low1;
        return MirrorRandom{z2, 36969u * (w1 & 0xffffu) + (w1 >> 16)};
    }
};

class SpawnerNodeTest : public ::testing::Test {
protected:
    SpawnerNodeTest() {
        for (const char* name : {"Bird", "Fish"}) {
            CRefPtr<LifeNode> node = makeRef<LifeNode>(CCreationContext(content.manager, ""));
            node->setNameId(CNameId(name).getId());
            node->setPosition(vector3df(0, 0, 7));
            node->setVisible(false);
            content.templates->addTemplate(node.get());
        }
        scene = content.showScene();
    }

    CRefPtr<SpawnerNode> makeSpawner(const char* templates = "Bird") {
        CRefPtr<SpawnerNode> spawner = makeRef<SpawnerNode>(CCreationContext(content.manager, ""));
        scene->addChild(spawner.get());
        spawner->setObjTemplate(templates);
        return spawner;
    }

    static u32 countNamed(const BaseNode* parent, const char* name) {
        u32 n = 0;
        for (BaseNode* child : parent->getChildren())
            if (child->getNameId() == CNameId(name).getId()) ++n;
        return n;
    }

    NodeContentFixture content;
    SceneNode* scene = nullptr;
};

TEST_F(SpawnerNodeTest, TwoASecondMakesTheFirstAt500MsThenOneEvery500) {
    CRefPtr<SpawnerNode> spawner = makeSpawner();
    spawner->setObjectsPerSecRange(vector2df(2, 2));
    for (int step = 1; step <= 150; ++step) {
        spawner->update(10);
        const u32 expected = static_cast<u32>(step / 50);
        ASSERT_EQ(spawner->getChildCount(), expected) << "after " << step * 10 << " ms";
    }
}

TEST_F(SpawnerNodeTest, ALongStepMakesAllThatAreDueOfOneTemplate) {
    CRefPtr<SpawnerNode> spawner = makeSpawner("Bird;Fish");
    spawner->setObjectsPerSecRange(vector2df(5, 5));
    spawner->update(1200);
    EXPECT_EQ(spawner->getChildCount(), 6u);
    EXPECT_TRUE(countNamed(spawner.get(), "Bird") == 6u || countNamed(spawner.get(), "Fish") == 6u);
    EXPECT_FLOAT_EQ(spawner->getAccumulator(), 0.0f);
}

TEST_F(SpawnerNodeTest, TheFirstFrameStartsTheClockAfterTheStartDelay) {
    CRefPtr<SpawnerNode> spawner = makeSpawner();
    spawner->setObjectsSpawnStartDelayRange(vector2df(1000, 1000));
    spawner->setObjectsPerSecRange(vector2df(10, 10));
    EXPECT_EQ(spawner->getUpdateSource(), nullptr);
    DrawList list;
    scene->render(list);
    ASSERT_NE(spawner->getUpdateSource(), nullptr);
    EXPECT_FLOAT_EQ(spawner->getAccumulator(), -1000.0f);
    // The scheduler calls it every 30 ms: nothing during the first second of counted time.
    content.step(30, 33);
    EXPECT_EQ(spawner->getChildCount(), 0u);
    content.step(30, 4);  // 1110 ms: 110 ms past the delay
    EXPECT_EQ(spawner->getChildCount(), 1u);
}

TEST_F(SpawnerNodeTest, TemplateNamesAreTrimmedAndMissingOnesSkipped) {
    CRefPtr<SpawnerNode> spawner = makeSpawner(" Bird ;\tMissing; Fish \r\n;");
    EXPECT_EQ(spawner->getObjTemplate(), stringc("Bird;Missing;Fish"));
    EXPECT_EQ(spawner->getTemplateCount(), 2u);
    // Template changes resolve the names again.
    CRefPtr<TemplateCollectionNode> other =
        makeRef<TemplateCollectionNode>(CCreationContext(content.manager, ""));
    CRefPtr<BaseNode> missing = makeRef<BaseNode>(CCreationContext(content.manager, ""));
    missing->setNameId(CNameId("Missing").getId());
    other->addTemplate(missing.get());
    content.sceneManager->setTemplateCollection(other.get());
    EXPECT_EQ(spawner->getTemplateCount(), 1u);
    content.sceneManager->setTemplateCollection(content.templates.get());
}

TEST_F(SpawnerNodeTest, ClonesTakeTheirDrawsInOrderAndTheProperties) {
    CRefPtr<SpawnerNode> spawner = makeSpawner("Bird;Fish");
    spawner->setObjectsXDeltaRange(vector2df(10, 20));
    spawner->setObjectsYDeltaRange(vector2df(-5, 5));
    spawner->setObjectsRotationDeltaRange(vector2df(0, 90));
    spawner->setObjectsLifeTimeRange(vector2df(500, 1500));
    CRefPtr<CPropertySet> properties = makeRef<CPropertySet>();
    properties->addVector3d("Scale", vector3df(1.5f, 1.5f, 1.0f));
    properties->addInt("Unknown", 3);
    spawner->setObjectsProperties(properties.get());

    MirrorRandom random = MirrorRandom::ofSeededInstance(1234);
    spawner->spawn(2);
    const u32 choice = random.next() % 2u;
    ASSERT_EQ(spawner->getChildCount(), 2u);
    for (BaseNode* child : spawner->getChildren()) {
        auto* made = dynamic_cast<LifeNode*>(child);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->getNameId(), CNameId(choice == 0 ? "Bird" : "Fish").getId());
        const f32 x = random.range(10, 20);
        const f32 y = random.range(-5, 5);
        const f32 rotation = random.range(0, 90);
        const s32 life = static_cast<s32>(random.range(500, 1500));
        EXPECT_EQ(made->getPosition(), vector3df(x, y, 7.0f));
        EXPECT_EQ(made->getRotation(), vector3df(0, 0, rotation));
        EXPECT_EQ(made->lifeTime, life);
        EXPECT_EQ(made->getScale(), vector3df(1.5f, 1.5f, 1.0f));
        EXPECT_TRUE(made->isVisible());
        EXPECT_TRUE(made->isInternal());
        EXPECT_EQ(made->getParent(), spawner.get());
    }
}

TEST_F(SpawnerNodeTest, GhostsAreDrawnButNeitherSavedNorCopied) {
    for (bool ghost : {true, false}) {
        SCOPED_TRACE(ghost ? "ghosts" : "kept");
        CRefPtr<SpawnerNode> spawner = makeSpawner();
        spawner->setSpawnedObjectGhost(ghost);
        spawner->spawn(3);
        ASSERT_EQ(spawner->getChildCount(), 3u);
        const std::filesystem::path file = content.dir / "saved.oscn";
        {
            CRefPtr<CXmlWriter> writer = CRefPtr<CXmlWriter>::fromRaw(
                content.fileSystem->createXmlWriter(stringc(file.string().c_str())));
            ASSERT_TRUE(writer);
            ASSERT_TRUE(spawner->saveXml(writer.get()));
        }
        std::ifstream in(file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string text;
        for (char c : bytes)
            if (c != 0) text += c;  // wide or narrow, the element names read the same
        size_t elements = 0;
        for (size_t at = text.find("<SceneNode"); at != std::string::npos;
             at = text.find("<SceneNode", at + 1))
            ++elements;
        EXPECT_EQ(elements, ghost ? 1u : 4u);
        CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(spawner->clone(nullptr, nullptr));
        EXPECT_EQ(copy->getChildCount(), ghost ? 0u : 3u);
        scene->removeChild(spawner.get());
    }
}

TEST_F(SpawnerNodeTest, DisablingStopsTheClockAndKeepsTheAccumulator) {
    CRefPtr<SpawnerNode> spawner = makeSpawner();
    DrawList list;
    scene->render(list);
    content.step(30, 5);
    EXPECT_FLOAT_EQ(spawner->getAccumulator(), 150.0f);
    spawner->setEnabled(false);
    EXPECT_EQ(spawner->getUpdateSource(), nullptr);
    content.step(30, 40);
    scene->render(list);  // drawing does not attach a disabled spawner
    content.step(30, 40);
    EXPECT_EQ(spawner->getChildCount(), 0u);
    EXPECT_FLOAT_EQ(spawner->getAccumulator(), 150.0f);
    spawner->setEnabled(true);
    EXPECT_NE(spawner->getUpdateSource(), nullptr);
    scene->render(list);
    EXPECT_FLOAT_EQ(spawner->getAccumulator(), 150.0f);
    content.step(30, 29);  // 1020 ms
    EXPECT_EQ(spawner->getChildCount(), 1u);
}

TEST_F(SpawnerNodeTest, AHugeRateIsBoundedAndNoRateSpawnsNothing) {
    LogCapture logs;
    CRefPtr<SpawnerNode> spawner = makeSpawner();
    spawner->setObjectsPerSecRange(vector2df(1e9f, 1e9f));
    spawner->update(1000);
    EXPECT_EQ(spawner->getChildCount(), SpawnerNode::MaxSpawnsPerStep);
    EXPECT_LT(spawner->getAccumulator(), 1000.0f / 1e9f);
    spawner->update(1000);
    EXPECT_EQ(spawner->getChildCount(), 2 * SpawnerNode::MaxSpawnsPerStep);
    u32 warnings = 0;
    for (const LogCapture::Line& line : logs.lines())
        if (line.level == LogWarning) ++warnings;
    EXPECT_EQ(warnings, 1u);

    for (const vector2df& rate : {vector2df(0, 0), vector2df(-5, -5)}) {
        CRefPtr<SpawnerNode> idle = makeSpawner();
        idle->setObjectsPerSecRange(rate);
        idle->update(100000);
        EXPECT_EQ(idle->getChildCount(), 0u);
    }
    // No templates: nothing either.
    CRefPtr<SpawnerNode> empty = makeSpawner("Missing");
    empty->update(5000);
    EXPECT_EQ(empty->getChildCount(), 0u);
}

TEST_F(SpawnerNodeTest, SavesWhatDiffersAndCopiesTheWholeSetting) {
    CRefPtr<SpawnerNode> spawner = makeSpawner("");
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
    spawner->saveProperties(set.get());
    EXPECT_EQ(set->getPropertyCount(), 0u);

    spawner->setObjTemplate("Bird;Fish");
    spawner->setSpawnedObjectGhost(false);
    spawner->setObjectsSpawnStartDelayRange(vector2df(5, 6));
    spawner->setObjectsPerSecRange(vector2df(3, 4));
    spawner->setObjectsLifeTimeRange(vector2df(100, 200));
    spawner->setObjectsXDeltaRange(vector2df(1, 2));
    spawner->setObjectsYDeltaRange(vector2df(3, 4));
    spawner->setObjectsRotationDeltaRange(vector2df(5, 6));
    CRefPtr<CPropertySet> properties = makeRef<CPropertySet>();
    properties->addInt("LifeTime", 5);
    spawner->setObjectsProperties(properties.get());
    spawner->setEnabled(false);
    set = makeRef<CPropertySet>(content.manager);
    spawner->saveProperties(set.get());
    EXPECT_EQ(set->getString("ObjTemplate"), stringc("Bird;Fish"));
    for (const char* name :
         {"IsSpawnedObjectGhost", "Enabled", "ObjectsSpawnStartDelayRange", "ObjectsPerSecRange",
          "ObjectsLifeTimeRange", "ObjectsXDeltaRange", "ObjectsYDeltaRange",
          "ObjectsRotationDeltaRange", "ObjectsProperties"})
        EXPECT_GE(set->getPropertyIndex(name), 0) << name;

    CRefPtr<SpawnerNode> loaded = makeSpawner("");
    loaded->loadProperties(set.get());
    EXPECT_EQ(loaded->getObjTemplate(), stringc("Bird;Fish"));
    EXPECT_EQ(loaded->getTemplateCount(), 2u);
    EXPECT_FALSE(loaded->isSpawnedObjectGhost());
    EXPECT_FALSE(loaded->isEnabled());
    EXPECT_EQ(loaded->getObjectsRotationDeltaRange(), vector2df(5, 6));
    EXPECT_EQ(loaded->getObjectsPerSecRange(), vector2df(3, 4));
    ASSERT_NE(loaded->getObjectsProperties(), nullptr);
    EXPECT_EQ(loaded->getObjectsProperties()->getInt("LifeTime"), 5);
    EXPECT_LE(loaded->getAccumulator(), -5.0f);  // the start delay is drawn at once
    // A value that is no set clears the held one.
    CRefPtr<CPropertySet> wrong = makeRef<CPropertySet>();
    wrong->addInt("ObjectsProperties", 1);
    loaded->loadProperties(wrong.get());
    EXPECT_EQ(loaded->getObjectsProperties(), nullptr);

    CRefPtr<BaseNode> copy(spawner->clone(scene, nullptr));  // the scene holds the copy
    auto* other = dynamic_cast<SpawnerNode*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->getObjTemplate(), spawner->getObjTemplate());
    EXPECT_EQ(other->getTemplateCount(), 2u);
    EXPECT_FALSE(other->isSpawnedObjectGhost());
    EXPECT_FALSE(other->isEnabled());
    EXPECT_EQ(other->getObjectsLifeTimeRange(), vector2df(100, 200));
    EXPECT_EQ(other->getObjectsXDeltaRange(), vector2df(1, 2));
    EXPECT_EQ(other->getObjectsYDeltaRange(), vector2df(3, 4));
    EXPECT_EQ(other->getObjectsSpawnStartDelayRange(), vector2df(5, 6));
    EXPECT_EQ(other->getObjectsProperties(), properties.get());  // shared
}

}  // namespace
