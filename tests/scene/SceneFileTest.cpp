#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/device/ContentProcessors.h"
#include "engine/io/CFileSystem.h"
#include "engine/scene/CSceneNodeProcessor.h"
#include "tests/scene/NodeTestSupport.h"
#include "tests/properties/PropertyTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// Scene files in a folder of their own, loaded and saved through a content manager with the
// scene node processor.
class SceneFiles : public ::testing::Test {
protected:
    SceneFiles() {
        CNodeFactory::instance().registerNodeClass(L"HitNode", &HitNode::create);
        dir = std::filesystem::temp_directory_path() /
              ("oskel-scene-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        fs = new CFileSystemLinux();
        processors = new CContentProcessorsManager();
        auto* processor = new CSceneNodeProcessor(fs, &CNodeFactory::instance());
        processors->registerProcessor(processor);
        processor->drop();
        cm = new CContentManager(fs, processors);
    }
    ~SceneFiles() override {
        cm->drop();
        processors->drop();
        fs->drop();
        std::filesystem::remove_all(dir);
    }

    stringc path(const std::string& name) const { return stringc((dir / name).string().c_str()); }
    stringc write(const std::string& name, const std::string& xml) const {
        std::ofstream(dir / name, std::ios::binary) << xml;
        return path(name);
    }
    CRefPtr<BaseNode> load(const std::string& name) {
        CResource* r = cm->getContentByPath(TypeCodeSceneNode, path(name), false);
        return CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(r));
    }
    bool save(BaseNode* node, const std::string& name) {
        return cm->saveContent(TypeCodeSceneNode, node, path(name), nullptr);
    }
    // The UTF-16 file as narrow text.
    std::string read(const std::string& name) const {
        std::ifstream in(dir / name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string out;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) out.push_back(bytes[i]);
        return out;
    }
    std::vector<std::string> childNames(const BaseNode* node) const {
        std::vector<std::string> names;
        for (BaseNode* child : node->getChildren()) names.push_back(child->getNodeName().c_str());
        return names;
    }

    std::filesystem::path dir;
    CFileSystem* fs;
    CContentProcessorsManager* processors;
    CContentManager* cm;
};

// A tree with properties, states and children of two classes.
CRefPtr<BaseNode> sampleTree() {
    CRefPtr<BaseNode> root = newNode("root");
    root->setPosition(vector3df(10, 20, 1));
    root->setTintColor(0x80ffffffu);
    CRefPtr<Animator> idle = animatorWith("Idle", {positionAnimation({{0, 10}, {500, 30, 0}, {500, 10, -1, 0}}).get()});
    root->addState(idle.get());
    CRefPtr<Animator> press = animatorWith("Press");
    press->setNextState(id("Idle"));
    press->addEndAnimation(setVisible(true).get());
    root->addState(press.get());
    root->setDefaultState(id("Idle"));
    auto* hit = new HitNode(CCreationContext(), root.get(), nullptr);
    hit->drop();
    hit->setNameId(id("button"));
    hit->setBounds(40, 20);
    CRefPtr<BaseNode> group = newNode("group", root.get());
    group->setVisible(false);
    CRefPtr<BaseNode> leaf = newNode("leaf", group.get());
    leaf->setRotation(vector3df(0, 0, 45));
    return root;
}

TEST_F(SceneFiles, ASavedTreeLoadsAndSavesToTheSameFile) {
    cm->setCacheEnabled(false);  // the file's own tree, not a copy that has played its state
    CRefPtr<BaseNode> tree = sampleTree();
    ASSERT_TRUE(save(tree.get(), "first.oscn"));
    LogCapture logs;
    CRefPtr<BaseNode> loaded = load("first.oscn");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(logs.contains("Loaded scene node", LogInformation));
    EXPECT_EQ(loaded->getNodeName(), "root");
    EXPECT_EQ(childNames(loaded.get()), (std::vector<std::string>{"button", "group"}));
    EXPECT_NE(dynamic_cast<HitNode*>(loaded->getChildren()[0]), nullptr);
    EXPECT_EQ(loaded->getDefaultState(), id("Idle"));
    ASSERT_NE(loaded->findState(id("Press")), nullptr);
    EXPECT_EQ(loaded->findState(id("Press"))->getNextState(), id("Idle"));
    EXPECT_EQ(loaded->findState(id("Idle"))->getAnimation(0)->getDuration(), 1000u);
    EXPECT_EQ(loaded->findChildByName("leaf")->getRotation(), vector3df(0, 0, 45));
    EXPECT_EQ(loaded->getTintColor(), 0x80ffffffu);
    ASSERT_TRUE(save(loaded.get(), "second.oscn"));
    EXPECT_EQ(read("second.oscn"), read("first.oscn"));
    EXPECT_NE(read("first.oscn").find("<?xml"), std::string::npos);
}

TEST_F(SceneFiles, CachedScenesAreCopiesThatPlayTheirDefaultState) {
    CRefPtr<BaseNode> tree = sampleTree();
    ASSERT_TRUE(save(tree.get(), "scene.oscn"));
    CRefPtr<BaseNode> first = load("scene.oscn");
    CRefPtr<BaseNode> second = load("scene.oscn");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(cm->getCachedCount(TypeCodeSceneNode), 1u);
    EXPECT_EQ(first->getPosition().X, 10.0f);  // key 0 of the default state
    EXPECT_EQ(childNames(second.get()), (std::vector<std::string>{"button", "group"}));
}

TEST_F(SceneFiles, ClassOverrideFallsBackToType) {
    struct Case {
        const char* classOverride;
        const char* type;
        bool hit;
        bool made;
    };
    const Case cases[] = {
        {nullptr, "HitNode", true, true},  {"", "HitNode", true, true},   {"HitNode", "BaseNode", true, true},
        {"Nope", "HitNode", true, true},   {"Nope", "BaseNode", false, true}, {"hitnode", "Nope", false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.classOverride ? c.classOverride : "(none)") + " / " + c.type);
        std::string element = "<SceneNode Type=\"" + std::string(c.type) + "\"";
        if (c.classOverride) element += " ClassOverride=\"" + std::string(c.classOverride) + "\"";
        element += "><Properties><string Name=\"Name\" Value=\"x\"/></Properties></SceneNode>";
        // As the root of a file.
        const std::string file = "root" + std::to_string(n++) + ".oscn";
        write(file, element);
        CRefPtr<BaseNode> root = load(file);
        EXPECT_EQ(bool(root), c.made);
        if (root) {
            EXPECT_EQ(dynamic_cast<HitNode*>(root.get()) != nullptr, c.hit);
        }
        // As a child.
        const std::string parentFile = "parent" + std::to_string(n) + ".oscn";
        write(parentFile, "<SceneNode Type=\"BaseNode\">" + element + "</SceneNode>");
        CRefPtr<BaseNode> parent = load(parentFile);
        ASSERT_TRUE(parent);
        ASSERT_EQ(parent->getChildCount(), c.made ? 1u : 0u);
        if (c.made) {
            EXPECT_EQ(dynamic_cast<HitNode*>(parent->getChildren()[0]) != nullptr, c.hit);
        }
        EXPECT_EQ(parent->getNodeName(), "");  // nothing of the child reaches the parent
    }
}

TEST_F(SceneFiles, AnUnknownClassIsSkippedWholeWithoutTouchingItsParent) {
    write("scene.oscn",
          "<SceneNode Type=\"BaseNode\">"
          "<SceneNode Type=\"Mystery\"><Properties><bool Name=\"Visible\" Value=\"false\"/></Properties>"
          "<States><State Name=\"Boom\"/></States>"
          "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"inner\"/></Properties></SceneNode>"
          "</SceneNode>"
          "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"after\"/></Properties></SceneNode>"
          "</SceneNode>");
    CRefPtr<BaseNode> root = load("scene.oscn");
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->isVisible());
    EXPECT_EQ(root->findState(id("Boom")), nullptr);
    EXPECT_EQ(childNames(root.get()), (std::vector<std::string>{"after"}));
}

TEST_F(SceneFiles, TheLaterOfTwoPropertiesElementsWins) {
    write("scene.oscn",
          "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"first\"/>"
          "<vector3d Name=\"Position\" Value=\"1;2;3\"/></Properties>"
          "<Properties><string Name=\"Name\" Value=\"second\"/></Properties></SceneNode>");
    CRefPtr<BaseNode> root = load("scene.oscn");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->getNodeName(), "second");
    EXPECT_EQ(root->getPosition(), vector3df(1, 2, 3));
}

TEST_F(SceneFiles, EmptyElementFormsEndWhereTheyStand) {
    write("scene.oscn",
          "<SceneNode Type=\"BaseNode\">"
          "<SceneNode Type=\"HitNode\"/>"
          "<States/>"
          "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"second\"/></Properties>"
          "<States><Properties><string Name=\"DefaultState\" Value=\"Normal\"/></Properties>"
          "<State Name=\"Normal\"/>"
          "<State Name=\"Hover\"><EndAnimator Type=\"SetStates\"/><StartAnimator Type=\"SetProps\"/></State>"
          "<State Name=\"Press\"/></States>"
          "<SceneNode Type=\"Mystery\"/>"
          "<SceneNode Type=\"BaseNode\"><Properties/></SceneNode>"
          "</SceneNode>"
          "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"third\"/></Properties></SceneNode>"
          "</SceneNode>");
    cm->setCacheEnabled(false);
    CRefPtr<BaseNode> root = load("scene.oscn");
    ASSERT_TRUE(root);
    EXPECT_EQ(childNames(root.get()), (std::vector<std::string>{"", "second", "third"}));
    EXPECT_TRUE(root->getStates().empty());
    BaseNode* second = root->getChildren()[1];
    EXPECT_EQ(second->getStates().size(), 3u);
    EXPECT_EQ(second->getDefaultState(), id("Normal"));
    ASSERT_NE(second->findState(id("Hover")), nullptr);
    EXPECT_EQ(second->findState(id("Hover"))->getEndAnimations().size(), 1u);
    EXPECT_EQ(second->getChildCount(), 1u);
}

TEST_F(SceneFiles, FileChildrenComeFromTheirFilesWithOrWithoutAnEndTag) {
    std::filesystem::create_directories(dir / "parts");
    write("parts/part.oscn", "<SceneNode Type=\"HitNode\"><Properties><string Name=\"Name\" Value=\"part\"/>"
                             "</Properties></SceneNode>");
    write("parts/main.oscn",
          "<SceneNode Type=\"BaseNode\">"
          "<SceneNode File=\"part.oscn\"/>"
          "<SceneNode Type=\"BaseNode\" File=\"part.oscn\"><Properties><string Name=\"Name\" Value=\"ignored\"/>"
          "</Properties></SceneNode>"
          "<SceneNode File=\"missing.oscn\"/>"
          "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"last\"/></Properties></SceneNode>"
          "</SceneNode>");
    CRefPtr<BaseNode> root = load("parts/main.oscn");
    ASSERT_TRUE(root);
    EXPECT_EQ(childNames(root.get()), (std::vector<std::string>{"part", "part", "last"}));
    EXPECT_NE(dynamic_cast<HitNode*>(root->getChildren()[0]), nullptr);
    EXPECT_EQ(root->getNodeName(), "");
    EXPECT_EQ(cm->getPathDepth(), 1u);
}

TEST_F(SceneFiles, AFileThatIncludesItselfIsRefused) {
    write("self.oscn", "<SceneNode Type=\"BaseNode\"><SceneNode File=\"self.oscn\"/>"
                       "<SceneNode Type=\"BaseNode\"/></SceneNode>");
    write("b.oscn", "<SceneNode Type=\"BaseNode\"><SceneNode File=\"c.oscn\"/></SceneNode>");
    write("c.oscn", "<SceneNode Type=\"BaseNode\"><SceneNode File=\"b.oscn\"/></SceneNode>");
    for (bool cache : {true, false}) {
        SCOPED_TRACE(cache ? "cache on" : "cache off");
        cm->setCacheEnabled(cache);
        LogCapture logs;
        CRefPtr<BaseNode> self = load("self.oscn");
        ASSERT_TRUE(self);
        EXPECT_EQ(self->getChildCount(), 1u);
        EXPECT_TRUE(logs.contains("Scene file includes itself: not loaded again", LogError));
        CRefPtr<BaseNode> b = load("b.oscn");
        ASSERT_TRUE(b);
        ASSERT_EQ(b->getChildCount(), 1u);  // c, without b again
        EXPECT_EQ(b->getChildren()[0]->getChildCount(), 0u);
        cm->releaseAll();
    }
}

TEST_F(SceneFiles, DeepNestingIsCutWithALogLine) {
    std::string xml;
    for (int i = 0; i < 5000; ++i) xml += "<SceneNode Type=\"BaseNode\">";
    for (int i = 0; i < 5000; ++i) xml += "</SceneNode>";
    write("deep.oscn", xml);
    LogCapture logs;
    CRefPtr<BaseNode> root = load("deep.oscn");
    ASSERT_TRUE(root);
    EXPECT_TRUE(logs.contains("Scene nodes nested too deeply: the inner nodes are left out", LogError));
}

TEST_F(SceneFiles, OnlyNodesAreSavedAndAFailedSaveLeavesNoFile) {
    FakeContentManager other;
    CResource* notANode = other.add("x", TypeCodeSceneNode);
    EXPECT_FALSE(save(static_cast<BaseNode*>(nullptr), "none.oscn"));
    EXPECT_FALSE(cm->saveContent(TypeCodeSceneNode, notANode, path("fake.oscn"), nullptr));
    EXPECT_FALSE(std::filesystem::exists(dir / "fake.oscn"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.oscn"));
}

TEST_F(SceneFiles, AnInternalNodeIsNotWritten) {
    CRefPtr<BaseNode> root = newNode("root");
    CRefPtr<BaseNode> instance = newNode("instance");
    instance->setInternal(true);
    root->addChild(instance.get());
    newNode("child", root.get());
    XmlBuffer buffer;
    ASSERT_TRUE(root->saveXml(buffer.writer().get()));
    EXPECT_EQ(buffer.text().find("instance"), std::string::npos);
    EXPECT_NE(buffer.text().find("child"), std::string::npos);
    EXPECT_TRUE(root->removeChild(instance.get()));
}

TEST_F(SceneFiles, LoadingReplacesChildrenAndStatesAndStatesWithoutDefaultWriteNoProperties) {
    CRefPtr<BaseNode> node = newNode("old");
    newNode("oldChild", node.get());
    node->addState(animatorWith("OldState").get());
    node->setDefaultState(id("OldState"));
    CRefPtr<CXmlReader> reader = readerAtFirstElement(
        "<SceneNode Type=\"BaseNode\"><States><State Name=\"New\"/><State Name=\"New\" NextState=\"X\"/></States>"
        "<SceneNode Type=\"BaseNode\"/></SceneNode>");
    ASSERT_TRUE(node->loadXml(reader.get(), &CNodeFactory::instance()));
    EXPECT_EQ(node->getChildCount(), 1u);
    EXPECT_EQ(node->findChildByName("oldChild"), nullptr);
    EXPECT_EQ(node->findState(id("OldState")), nullptr);
    EXPECT_EQ(node->getDefaultState(), -1);
    ASSERT_NE(node->findState(id("New")), nullptr);
    EXPECT_EQ(node->findState(id("New"))->getNextState(), -1);  // the first of two stays
    XmlBuffer buffer;
    ASSERT_TRUE(node->saveXml(buffer.writer().get()));
    EXPECT_NE(buffer.text().find("<States>"), std::string::npos);
    EXPECT_EQ(buffer.text().find("DefaultState"), std::string::npos);
}

// ---- Factory and processors ----

TEST(NodeFactory, RegistriesAreSeparateExactAndKeepTheFirstCreator) {
    CNodeFactory& factory = CNodeFactory::instance();
    const CCreationContext context(nullptr, "made");
    CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(factory.createNode(L"BaseNode", context));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->getReferenceCount(), 1);
    EXPECT_EQ(node->getParent(), nullptr);
    EXPECT_EQ(node->getCreationContext().getNameId(), context.getNameId());
    EXPECT_EQ(factory.createNode(L"basenode", context), nullptr);
    EXPECT_EQ(factory.createNode(L"KeyFrame", context), nullptr);
    EXPECT_EQ(factory.createObject(L"BaseNode", context), nullptr);
    for (const wchar_t* type : {L"KeyFrame", L"SetProps", L"SetStates"}) {
        IReferenceCounted* object = factory.createObject(type, context);
        auto* animation = dynamic_cast<animation::Base*>(object);
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(animation->getTypeName(), type);
        object->drop();
    }
    factory.registerNodeClass(L"BaseNode", &HitNode::create);
    CRefPtr<BaseNode> again = CRefPtr<BaseNode>::fromRaw(factory.createNode(L"BaseNode", context));
    EXPECT_EQ(dynamic_cast<HitNode*>(again.get()), nullptr);
}

TEST(NodeFactory, EngineClassesAreListedInRegistrationOrder) {
    u32 count = 0;
    const SEngineNodeClass* classes = getEngineNodeClasses(count);
    const std::vector<std::wstring> expected = {
        L"BaseNode", L"TemplateCollectionNode", L"SpriteNode", L"NineGridSpriteNode", L"TextNode",
        L"ControlNode", L"ButtonNode", L"BackButtonNode", L"CheckBoxNode", L"EditNode", L"ListNode",
        L"SliderNode", L"ProgressBarNode", L"SceneNode", L"TabSceneNode", L"ParticleSystemNode",
        L"SoundNode", L"SpawnerNode"};
    ASSERT_EQ(count, expected.size());
    for (u32 i = 0; i < count; ++i) EXPECT_EQ(classes[i].name, expected[i]);
    EXPECT_EQ(classes[13].typeId, NodeTypeScene);
    EXPECT_EQ(CNodeFactory::instance().getObjectClassOrder()[0], L"KeyFrame");
}

TEST(ContentProcessorsRegistration, ProcessorsInTheirOrderAndDuplicatesAreRefused) {
    CFileSystem* fs = new CFileSystemLinux();
    CContentProcessorsManager* manager = createContentProcessors(nullptr, nullptr, fs);
    std::vector<u32> order;
    for (u32 i = 0; i < manager->getProcessorCount(); ++i) order.push_back(manager->getProcessorAt(i)->getTypeCode());
    EXPECT_EQ(order, (std::vector<u32>{TypeCodeTexture, TypeCodeAtlasTexture, TypeCodeAtlasCollection,
                                       TypeCodeImage, TypeCodeSceneNode, TypeCodeFont,
                                       TypeCodeParticleCollection, TypeCodeEmitter, TypeCodeSound,
                                       TypeCodeSoundPack}));
    LogCapture logs;
    IContentProcessor* first = manager->getProcessor(TypeCodeSceneNode);
    auto* second = new CSceneNodeProcessor(fs, &CNodeFactory::instance());
    manager->registerProcessor(second);
    EXPECT_EQ(manager->getProcessor(TypeCodeSceneNode), first);
    EXPECT_EQ(second->getReferenceCount(), 1);
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].hint, "IContentProcessor for the type #1685024371 is already present");
    second->drop();
    manager->drop();
    fs->drop();
}

}  // namespace
