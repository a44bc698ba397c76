// The game's node class tables and their registration with the node factory.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/StringUtils.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/scene/SceneFile.h"
#include "engine/scene/SceneNode.h"
#include "game/app/GNodeClassRegistration.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GPathMovableNode.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

std::vector<std::string> namesOf(const SGameNodeClass* rows, u32 count, bool withCreator) {
    std::vector<std::string> names;
    for (u32 i = 0; i < count; ++i)
        if ((rows[i].creator != nullptr) == withCreator) names.push_back(toUtf8(rows[i].name));
    return names;
}

// A row's class is made by its creator with the row's class name, type id and kind test.
void expectRowMakesItsClass(const SGameNodeClass& row) {
    SCOPED_TRACE(toUtf8(row.name));
    CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(row.creator(CCreationContext()));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->getClassName(), stringw(row.name));
    EXPECT_EQ(node->getTypeId(), row.typeId);
    u32 kinds = 0;
    for (; kinds < SGameNodeClass::MaxKinds && row.kindOf[kinds] != -1; ++kinds)
        EXPECT_TRUE(node->isKindOf(row.kindOf[kinds])) << row.kindOf[kinds];
    ASSERT_GT(kinds, 0u);
    EXPECT_EQ(row.kindOf[0], row.typeId);
    EXPECT_EQ(row.kindOf[kinds - 1], NodeTypeBase);
    EXPECT_EQ(node->getParent(), nullptr);
    EXPECT_EQ(node->getSceneManager(), nullptr);
}

// A scene class of the test.
constexpr s32 TestNodeTypeScene = 1999;
class GTestRegisteredScene : public SceneNode {
public:
    explicit GTestRegisteredScene(const CCreationContext& context) : SceneNode(context) {}
    const stringw& getClassName() const override {
        static const stringw name(L"GTestRegisteredScene");
        return name;
    }
    s32 getTypeId() const override { return TestNodeTypeScene; }
    bool isKindOf(s32 typeId) const override {
        return typeId == TestNodeTypeScene || SceneNode::isKindOf(typeId);
    }
};

BaseNode* createTestScene(const CCreationContext& context) {
    return new GTestRegisteredScene(context);
}

const SGameNodeClass kTestRows[] = {
    {L"GTestRegisteredScene",
     TestNodeTypeScene,
     {TestNodeTypeScene, NodeTypeScene, NodeTypeControl, NodeTypeBase, -1},
     &createTestScene},
    {L"GTestNotYetThere",
     TestNodeTypeScene + 1,
     {TestNodeTypeScene + 1, NodeTypeBase, -1},
     nullptr},
    {L"GTestRegisteredScene",
     TestNodeTypeScene,
     {TestNodeTypeScene, NodeTypeScene, NodeTypeControl, NodeTypeBase, -1},
     &createTestScene},
};

}  // namespace

TEST(NodeClassTables, TheTwoBatchesInTheirOrder) {
    u32 count = 0;
    const SGameNodeClass* application = getApplicationNodeClasses(count);
    EXPECT_EQ(namesOf(application, count, true).size() + namesOf(application, count, false).size(),
              5u);
    EXPECT_EQ(std::string(toUtf8(application[1].name)), "GLogosScene");
    EXPECT_EQ(application[1].typeId, GameNodeTypeLogosScene);
    const SGameNodeClass* preloader = getPreloaderNodeClasses(count);
    ASSERT_EQ(count, 47u);
    const struct {
        u32 row;  // counted from 1
        const char* name;
        s32 typeId;
    } samples[] = {{1, "GMainMenuScene", GameNodeTypeMainMenuScene},
                   {5, "GMainMenuCloudNode", GameNodeTypeMainMenuCloudNode},
                   {17, "GRectangleNode", GameNodeTypeRectangleNode},
                   {26, "GMiniGameHiddenScene", GameNodeTypeMiniGameHiddenScene},
                   {31, "GPathMovableNode", GameNodeTypePathMovableNode},
                   {44, "OnceSpawnerNode", GameNodeTypeOnceSpawnerNode},
                   {47, "GSelectGridNode", GameNodeTypeSelectGridNode}};
    for (const auto& s : samples) {
        EXPECT_EQ(std::string(toUtf8(preloader[s.row - 1].name)), s.name) << s.row;
        EXPECT_EQ(preloader[s.row - 1].typeId, s.typeId) << s.row;
    }
    // Mini-games are kinds of the mini-game base and of the game scene base.
    const s32 hiddenKinds[] = {GameNodeTypeMiniGameHiddenScene,
                               GameNodeTypeMiniGameScene,
                               GameNodeTypeBaseScene,
                               NodeTypeScene,
                               NodeTypeControl,
                               NodeTypeBase,
                               -1};
    for (u32 i = 0; i < 7; ++i) EXPECT_EQ(preloader[25].kindOf[i], hiddenKinds[i]) << i;
}

// Every class of both tables is built: each row has its creator.
TEST(NodeClassTables, EveryRowHasACreator) {
    for (auto table : {&getApplicationNodeClasses, &getPreloaderNodeClasses}) {
        u32 count = 0;
        const SGameNodeClass* rows = table(count);
        EXPECT_TRUE(namesOf(rows, count, false).empty());
    }
}

TEST(NodeClassTables, EveryRowWithACreatorMakesItsClass) {
    for (auto table : {&getApplicationNodeClasses, &getPreloaderNodeClasses}) {
        u32 count = 0;
        const SGameNodeClass* rows = table(count);
        for (u32 i = 0; i < count; ++i)
            if (rows[i].creator) expectRowMakesItsClass(rows[i]);
    }
    expectRowMakesItsClass(kTestRows[0]);  // the check itself, on a class of the test
}

// A scene file naming a game class cannot be read before its batch is registered; afterwards it
// can. A second registration of a name keeps one entry.
TEST(NodeClassRegistration, AClassIsMadeFromSceneFilesOnlyOnceRegistered) {
    test::LogCapture logs;
    CNodeFactory factory;  // a factory of the test's own
    const std::string scene = "<SceneNode Type=\"GTestRegisteredScene\"><Properties/></SceneNode>";
    CRefPtr<CXmlReader> reader = test::readerOf(scene);
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(CSceneFile::createNode(reader.get(), &factory, CCreationContext()), nullptr);

    const u32 before = factory.getNodeClassOrder().size();
    EXPECT_EQ(registerGameNodeClasses(factory, kTestRows, 3),
              2u);  // the row without a creator is skipped
    EXPECT_EQ(factory.getNodeClassOrder().size(), before + 1);  // registered twice, listed once
    EXPECT_FALSE(factory.isNodeClassRegistered(L"GTestNotYetThere"));

    reader = test::readerOf(scene);
    ASSERT_TRUE(reader->read());
    CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(
        CSceneFile::createNode(reader.get(), &factory, CCreationContext()));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->getTypeId(), TestNodeTypeScene);
    EXPECT_EQ(registerGameNodeClasses(factory, nullptr, 3), 0u);
}

// The path-movable node of the preloader's batch: scene files can name it once that batch is
// registered, and what they make walks paths.
TEST(NodeClassRegistration, ThePathMovableNodeComesWithThePreloaderBatch) {
    CNodeFactory factory;
    const std::string scene = "<SceneNode Type=\"GPathMovableNode\"><Properties/></SceneNode>";
    CRefPtr<CXmlReader> reader = test::readerOf(scene);
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(CSceneFile::createNode(reader.get(), &factory, CCreationContext()), nullptr);

    u32 count = 0;
    const SGameNodeClass* rows = getPreloaderNodeClasses(count);
    EXPECT_GE(registerGameNodeClasses(factory, rows, count), 1u);
    reader = test::readerOf(scene);
    ASSERT_TRUE(reader->read());
    CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(
        CSceneFile::createNode(reader.get(), &factory, CCreationContext()));
    ASSERT_TRUE(node);
    auto* mover = dynamic_cast<GPathMovableNode*>(node.get());
    ASSERT_NE(mover, nullptr);
    EXPECT_TRUE(mover->isKindOf(GameNodeTypePathMovableNode));
    EXPECT_TRUE(mover->isKindOf(NodeTypeBase));
    mover->start({{0, 0}, {0, 10}}, -1, false, false);
    mover->update(50);
    EXPECT_FLOAT_EQ(mover->getPosition().Y, 5.0f);
}

// The main menu's file names its scene and movers as overrides of engine classes: before the
// preloader's batch is registered they come out as the engine classes, afterwards as the game's.
TEST(NodeClassRegistration, TheMainMenusClassesComeWithThePreloaderBatch) {
    CNodeFactory factory;
    registerEngineNodes(factory);
    const struct {
        const char* type;
        const char* override;
    } cases[] = {
        {"SceneNode", "GMainMenuScene"},
        {"GPathMovableNode", "GMainMenuBikeNode"},
        {"GPathMovableNode", "GMainMenuCarNode"},
        {"GPathMovableNode", "GMainMenuCloudNode"},
        {"GPathMovableNode", "GMainMenuPedestrianNode"},
    };
    auto classMade = [&factory](const char* type, const char* override) {
        CRefPtr<CXmlReader> reader =
            test::readerOf(std::string("<SceneNode Type=\"") + type + "\" ClassOverride=\"" +
                           override + "\"><Properties/></SceneNode>");
        if (!reader->read()) return std::string("unreadable");
        CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(
            CSceneFile::createNode(reader.get(), &factory, CCreationContext()));
        return node ? toUtf8(node->getClassName().c_str()) : std::string("none");
    };
    u32 count = 0;
    const SGameNodeClass* application = getApplicationNodeClasses(count);
    registerGameNodeClasses(factory, application, count);
    EXPECT_EQ(classMade("SceneNode", "GMainMenuScene"), "SceneNode");
    EXPECT_EQ(classMade("GPathMovableNode", "GMainMenuCarNode"), "none");
    const SGameNodeClass* preloader = getPreloaderNodeClasses(count);
    registerGameNodeClasses(factory, preloader, count);
    for (const auto& c : cases) EXPECT_EQ(classMade(c.type, c.override), c.override);
}
