// The node factory knows the user-interface classes once a device has composed the engine's
// services, in the order of the engine's class list, and no later registration replaces them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/device/CDeviceBase.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"

using namespace oskel;

namespace {

BaseNode* createPlainNode(const CCreationContext& context) { return new BaseNode(context); }

TEST(NodeRegistration, TheDeviceRegistersTheUserInterfaceClassesInTheListsOrder) {
    struct Expected {
        const wchar_t* name;
        s32 typeId;
    };
    const std::vector<Expected> classes = {
        {L"SpriteNode", NodeTypeSprite}, {L"NineGridSpriteNode", NodeTypeNineGridSprite},
        {L"TextNode", NodeTypeText},     {L"ParticleSystemNode", NodeTypeParticleSystem},
        {L"SoundNode", NodeTypeSound},   {L"SpawnerNode", NodeTypeSpawner},
    };
    CNodeFactory& factory = CNodeFactory::instance();
    for (const Expected& c : classes) EXPECT_FALSE(factory.isNodeClassRegistered(c.name));

    CRefPtr<CDeviceBase> device =
        CRefPtr<CDeviceBase>::fromRaw(new CDeviceBase(SDeviceParameters()));
    std::vector<std::wstring> order;
    for (u32 i = 0; i < factory.getNodeClassOrder().size(); ++i)
        order.emplace_back(factory.getNodeClassOrder()[i].c_str());
    size_t previous = 0;
    for (const Expected& c : classes) {
        SCOPED_TRACE(std::wstring(c.name));
        CRefPtr<BaseNode> node =
            CRefPtr<BaseNode>::fromRaw(factory.createNode(c.name, CCreationContext()));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->getTypeId(), c.typeId);
        EXPECT_TRUE(node->isKindOf(c.typeId));
        EXPECT_TRUE(node->isKindOf(NodeTypeBase));
        EXPECT_FALSE(node->isKindOf(NodeTypeControl));
        EXPECT_EQ(node->getClassName(), stringw(c.name));
        EXPECT_EQ(node->getThisClassName(), stringw(c.name));
        EXPECT_EQ(node->getParent(), nullptr);
        EXPECT_EQ(node->getSceneManager(), nullptr);
        const size_t at =
            static_cast<size_t>(std::find(order.begin(), order.end(), c.name) - order.begin());
        ASSERT_LT(at, order.size());
        EXPECT_GE(at, previous);
        previous = at;
    }
    // A class the game registers later under an engine name does not take it.
    factory.registerNodeClass(L"TextNode", &createPlainNode);
    CRefPtr<BaseNode> text =
        CRefPtr<BaseNode>::fromRaw(factory.createNode(L"TextNode", CCreationContext()));
    EXPECT_EQ(text->getTypeId(), NodeTypeText);
}

TEST(NodeRegistration, EveryClassOfTheEnginesListHasACreatorAndMessageBoxesHaveADefault) {
    CNodeFactory& factory = CNodeFactory::instance();
    CRefPtr<CDeviceBase> device =
        CRefPtr<CDeviceBase>::fromRaw(new CDeviceBase(SDeviceParameters()));
    u32 count = 0;
    const SEngineNodeClass* classes = getEngineNodeClasses(count);
    EXPECT_EQ(count, 18u);
    for (u32 i = 0; i < count; ++i) {
        SCOPED_TRACE(std::wstring(classes[i].name));
        CRefPtr<BaseNode> node =
            CRefPtr<BaseNode>::fromRaw(factory.createNode(classes[i].name, CCreationContext()));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->getTypeId(), classes[i].typeId);
        EXPECT_EQ(node->getClassName(), stringw(classes[i].name));
        EXPECT_TRUE(node->isKindOf(NodeTypeBase));
    }
    // The controls among them are controls.
    for (const wchar_t* name : {L"ButtonNode", L"BackButtonNode", L"CheckBoxNode", L"EditNode",
                                L"ListNode", L"SliderNode", L"ProgressBarNode", L"TabSceneNode"}) {
        CRefPtr<BaseNode> node =
            CRefPtr<BaseNode>::fromRaw(factory.createNode(name, CCreationContext()));
        ASSERT_TRUE(node);
        EXPECT_TRUE(node->isKindOf(NodeTypeControl)) << std::wstring(name);
    }
    // The bar base and the message box are made by no scene file.
    EXPECT_FALSE(factory.isNodeClassRegistered(L"BaseProgressBarNode"));
    EXPECT_FALSE(factory.isNodeClassRegistered(L"MessageBoxNode"));
    SceneManager::MessageBoxCreator creator = SceneManager::getDefaultMessageBoxCreator();
    ASSERT_NE(creator, nullptr);
    CRefPtr<SceneNode> box = CRefPtr<SceneNode>::fromRaw(creator(CCreationContext()));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->getTypeId(), NodeTypeMessageBox);
    EXPECT_EQ(box->getClassName(), stringw(L"MessageBoxNode"));
    EXPECT_TRUE(box->isKindOf(NodeTypeScene));
}

}  // namespace
