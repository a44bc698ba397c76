// Scene files of the user-interface nodes: a file holding every class with settings of its own
// loads, saves, loads again and saves the same text; defaults are not written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/io/CXmlWriter.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/NineGridSpriteNode.h"
#include "engine/nodes/ParticleSystemNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/SliderNode.h"
#include "engine/nodes/SoundNode.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/CNodeFactory.h"
#include "tests/nodes/NodeContent.h"

using namespace oskel;
using namespace oskel::test;

namespace {

const char* const kParticles = R"(<?xml version="1.0" encoding="utf-8"?>
<ParticleCollection>
	<ParticleEmitter Type="PointEmitter">
		<Properties>
			<string Name="Name" Value="Sparks" />
			<vector2d Name="PPSRange" Value="20;30" />
		</Properties>
	</ParticleEmitter>
</ParticleCollection>
)";

// One node of every class, each with settings that differ from its defaults.
const char* const kScene = R"(<?xml version="1.0" encoding="utf-8"?>
<SceneNode Type="BaseNode">
	<Properties>
		<string Name="Name" Value="Root" />
	</Properties>
	<SceneNode Type="TextNode">
		<Properties>
			<string Name="Name" Value="Caption" />
			<vector3d Name="Bounds" Value="120;40;0" />
			<vector2d Name="Kerning" Value="1;2" />
			<float Name="FontSize" Value="28" />
			<int Name="TextHAlign" Value="2" />
			<int Name="TextVAlign" Value="3" />
			<bool Name="WordWrap" Value="true" />
			<font Name="Font" Value="fonts/Block.ofnt" />
			<stringw Name="Text" Value="Two words &amp; more" />
		</Properties>
	</SceneNode>
	<SceneNode Type="SpriteNode">
		<Properties>
			<string Name="Name" Value="Picture" />
			<vector3d Name="Position" Value="10;20;0" />
			<int Name="ImageStretchX" Value="1" />
			<int Name="ImageStretchY" Value="3" />
			<vector2d Name="ImagePivotPoint" Value="4;5" />
			<int Name="WrapType" Value="3" />
			<bool Name="FlipX" Value="true" />
			<bool Name="FlipY" Value="true" />
			<int Name="BlendType" Value="1" />
			<atlasTexture Name="AtlasTexture" Value="nodes/Holed.png" />
		</Properties>
	</SceneNode>
	<SceneNode Type="NineGridSpriteNode">
		<Properties>
			<string Name="Name" Value="Panel" />
			<vector3d Name="Bounds" Value="300;200;0" />
			<atlasTexture Name="AtlasTexture" Value="nodes/Grid.png" />
			<vector2d Name="TopLeftDelta" Value="6;7" />
			<vector2d Name="BottomRightDelta" Value="8;9" />
		</Properties>
	</SceneNode>
	<SceneNode Type="ParticleSystemNode">
		<Properties>
			<string Name="Name" Value="Sparkle" />
			<string Name="EmitterName" Value="Sparks" />
			<atlasTexture Name="ParticleTexture" Value="nodes/Dot.png" />
			<bool Name="Enabled" Value="false" />
			<bool Name="EmitterEnabled" Value="false" />
			<bool Name="Global" Value="true" />
		</Properties>
	</SceneNode>
	<SceneNode Type="SoundNode">
		<Properties>
			<string Name="Name" Value="Music" />
			<string Name="SoundCueName" Value="Beep" />
			<bool Name="Play" Value="false" />
		</Properties>
	</SceneNode>
	<SceneNode Type="SpawnerNode">
		<Properties>
			<string Name="Name" Value="Flock" />
			<vector2d Name="ObjectsSpawnStartDelayRange" Value="100;200" />
			<vector2d Name="ObjectsPerSecRange" Value="2;3" />
			<vector2d Name="ObjectsLifeTimeRange" Value="500;600" />
			<vector2d Name="ObjectsXDeltaRange" Value="-10;10" />
			<vector2d Name="ObjectsYDeltaRange" Value="-20;20" />
			<vector2d Name="ObjectsRotationDeltaRange" Value="0;45" />
			<properties Name="ObjectsProperties">
				<vector3d Name="Scale" Value="1.5;1.5;1" />
			</properties>
			<string Name="ObjTemplate" Value="Bird;Fish" />
			<bool Name="Enabled" Value="false" />
			<bool Name="IsSpawnedObjectGhost" Value="false" />
		</Properties>
	</SceneNode>
</SceneNode>
)";

// One control of every class, each with settings that differ from its defaults.
const char* const kControls = R"(<?xml version="1.0" encoding="utf-8"?>
<SceneNode Type="BaseNode">
	<Properties>
		<string Name="Name" Value="Root" />
	</Properties>
	<SceneNode Type="ButtonNode">
		<Properties>
			<string Name="Name" Value="Play" />
			<string Name="TemplateName" Value="Button" />
			<stringw Name="Text" Value="Play &amp; win" />
			<atlasTexture Name="Image" Value="nodes/ButtonNormal.png" />
		</Properties>
	</SceneNode>
	<SceneNode Type="BackButtonNode">
		<Properties>
			<string Name="Name" Value="Back" />
			<stringw Name="Text" Value="Back" />
		</Properties>
	</SceneNode>
	<SceneNode Type="CheckBoxNode">
		<Properties>
			<string Name="Name" Value="Sound" />
			<bool Name="IsChecked" Value="true" />
			<bool Name="Enabled" Value="false" />
		</Properties>
	</SceneNode>
	<SceneNode Type="EditNode">
		<Properties>
			<string Name="Name" Value="Player" />
			<stringw Name="Text" Value="Ann" />
			<int Name="MaxTextLength" Value="64" />
			<string Name="InputMask" Value="AS" />
		</Properties>
	</SceneNode>
	<SceneNode Type="ListNode">
		<Properties>
			<string Name="Name" Value="Players" />
			<bool Name="Circular" Value="false" />
			<int Name="Orientation" Value="3" />
			<bool Name="IsSelectWhileListingOn" Value="true" />
			<stringwArray Name="Strings">
				<stringw Value="One" />
				<stringw Value="Two" />
				<stringw Value="Three" />
			</stringwArray>
		</Properties>
	</SceneNode>
	<SceneNode Type="SliderNode">
		<Properties>
			<string Name="Name" Value="Volume" />
			<float Name="MinValue" Value="10" />
			<float Name="MaxValue" Value="20" />
			<float Name="Value" Value="500" />
			<float Name="DeltaValue" Value="0.5" />
			<int Name="KnobType" Value="2" />
		</Properties>
	</SceneNode>
	<SceneNode Type="ProgressBarNode">
		<Properties>
			<string Name="Name" Value="Progress" />
			<float Name="MaxValue" Value="200" />
			<float Name="Value" Value="500" />
			<int Name="KnobType" Value="1" />
		</Properties>
	</SceneNode>
	<SceneNode Type="TabSceneNode">
		<Properties>
			<string Name="Name" Value="Help" />
			<int Name="TabsCount" Value="2" />
			<int Name="ActiveTabIndex" Value="1" />
			<bool Name="HideTabButtonOnSelect" Value="true" />
		</Properties>
		<SceneNode Type="BaseNode">
			<Properties>
				<string Name="Name" Value="Tab1" />
			</Properties>
		</SceneNode>
		<SceneNode Type="BaseNode">
			<Properties>
				<string Name="Name" Value="Tab2" />
			</Properties>
		</SceneNode>
		<SceneNode Type="ButtonNode">
			<Properties>
				<string Name="Name" Value="Tab1Button" />
			</Properties>
		</SceneNode>
	</SceneNode>
</SceneNode>
)";

class NodeFilesTest : public ::testing::Test {
protected:
    NodeFilesTest() {
        content.writeText("particles/Sparks.xml", kParticles);
        particles = CRefPtr<CResource>::fromRaw(content.manager->getContentByPath(
            TypeCodeParticleCollection, "particles/Sparks.xml", true));
    }

    CRefPtr<BaseNode> load(const char* name) {
        CResource* loaded = content.manager->getContentByPath(TypeCodeSceneNode, name, true);
        if (loaded && loaded->getTypeCode() != TypeCodeSceneNode) {
            loaded->drop();
            return nullptr;
        }
        return CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(loaded));
    }

    // The tree written into the content folder; its bytes.
    std::string save(BaseNode* node, const char* name) {
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
    }

    NodeContentFixture content;
    CRefPtr<CResource> particles;
};

TEST_F(NodeFilesTest, EveryClassLoadsSavesAndLoadsBackTheSame) {
    content.writeText("nodes.oscn", kScene);
    CRefPtr<BaseNode> first = load("nodes.oscn");
    ASSERT_TRUE(first);
    ASSERT_EQ(first->getChildCount(), 6u);

    auto* text = asTextNode(first->findChildByName("Caption"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->getFont(), content.font());
    EXPECT_EQ(text->getText(), stringw(L"Two words & more"));
    EXPECT_EQ(text->getFontSize(), 28.0f);
    EXPECT_TRUE(text->getWordWrap());
    EXPECT_GT(text->getLineCount(), 1u);
    auto* sprite = dynamic_cast<SpriteNode*>(first->findChildByName("Picture"));
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->getAtlasTexture(), content.frame(atlas::Holed));
    EXPECT_EQ(sprite->getWrapType(), 3);
    auto* panel = dynamic_cast<NineGridSpriteNode*>(first->findChildByName("Panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->getBottomRightDelta(), vector2df(8, 9));
    auto* sparkle = dynamic_cast<ParticleSystemNode*>(first->findChildByName("Sparkle"));
    ASSERT_NE(sparkle, nullptr);
    EXPECT_EQ(sparkle->getAtlasTexture(), content.frame(atlas::Dot));
    ASSERT_NE(sparkle->getEmitter(), nullptr);
    EXPECT_EQ(sparkle->getEmitter()->getPPSRange(), vector2df(20, 30));
    auto* music = dynamic_cast<SoundNode*>(first->findChildByName("Music"));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->getCue(), CNameId("Beep").getId());
    EXPECT_FALSE(music->getPlay());
    auto* flock = dynamic_cast<SpawnerNode*>(first->findChildByName("Flock"));
    ASSERT_NE(flock, nullptr);
    EXPECT_EQ(flock->getObjTemplate(), stringc("Bird;Fish"));
    ASSERT_NE(flock->getObjectsProperties(), nullptr);
    EXPECT_FALSE(flock->isEnabled());

    const std::string once = save(first.get(), "saved1.oscn");
    CRefPtr<BaseNode> second = load("saved1.oscn");
    ASSERT_TRUE(second);
    const std::string twice = save(second.get(), "saved2.oscn");
    EXPECT_FALSE(once.empty());
    EXPECT_EQ(once, twice);
    // Every setting of the file came through.
    std::string narrow;
    for (char c : once)
        if (c != 0) narrow += c;
    for (const char* value :
         {"Two words &amp; more", "nodes/Holed.png", "fonts/Block.ofnt", "ParticleTexture",
          "Sparks", "Beep", "Bird;Fish", "ObjectsProperties", "BottomRightDelta", "TextVAlign"})
        EXPECT_NE(narrow.find(value), std::string::npos) << value;
}

TEST_F(NodeFilesTest, DefaultsAreNotWritten) {
    for (const wchar_t* name : {L"TextNode", L"SpriteNode", L"NineGridSpriteNode",
                                L"ParticleSystemNode", L"SoundNode", L"SpawnerNode"}) {
        SCOPED_TRACE(std::wstring(name));
        CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(
            CNodeFactory::instance().createNode(name, CCreationContext(content.manager, "")));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->getClassName(), stringw(name));
        CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
        node->saveProperties(set.get());
        if (std::wstring(name) == L"SoundNode") {
            // The switch is always written.
            ASSERT_EQ(set->getPropertyCount(), 1u);
            EXPECT_EQ(set->getPropertyName(0), stringc("Play"));
        } else {
            EXPECT_EQ(set->getPropertyCount(), 0u);
        }
    }
}

TEST_F(NodeFilesTest, EveryControlLoadsSavesAndLoadsBackTheSameAndClonesItsSettings) {
    content.writeText("controls.oscn", kControls);
    CRefPtr<BaseNode> first = load("controls.oscn");
    ASSERT_TRUE(first);
    ASSERT_EQ(first->getChildCount(), 8u);

    auto* play = asButtonNode(first->findChildByName("Play"));
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->getText(), stringw(L"Play & win"));
    EXPECT_EQ(play->getImage(), content.frame(atlas::ButtonNormal.name));
    EXPECT_TRUE(first->findChildByName("Back")->isKindOf(NodeTypeBackButton));
    auto* sound = asCheckBoxNode(first->findChildByName("Sound"));
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->isChecked());
    EXPECT_FALSE(sound->isEnabled());
    auto* player = asEditNode(first->findChildByName("Player"));
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->getText(), stringw(L"Ann"));
    EXPECT_EQ(player->getMaxTextLength(), 64);  // a limit of 64 loads back as 64
    EXPECT_FALSE(player->isCharAllowed(L'1'));
    auto* players = asListNode(first->findChildByName("Players"));
    ASSERT_NE(players, nullptr);
    EXPECT_EQ(players->getItemsCount(), 3u);
    EXPECT_EQ(players->getOrientation(), 3);
    EXPECT_FALSE(players->isCircular());
    EXPECT_EQ(players->getElementContainer()->getParent(), players);
    auto* volume = asSliderNode(first->findChildByName("Volume"));
    ASSERT_NE(volume, nullptr);
    EXPECT_FLOAT_EQ(volume->getValue(), 500.0f);  // loading does not clamp
    EXPECT_EQ(volume->getKnobType(), 2);
    auto* progress = asProgressBarNode(first->findChildByName("Progress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_FLOAT_EQ(progress->getValue(), 500.0f);
    auto* help = dynamic_cast<TabSceneNode*>(first->findChildByName("Help"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->getActiveTabIndex(), 1);
    ASSERT_EQ(help->getPageCount(), 2u);
    EXPECT_EQ(help->getTabButton(1), nullptr);

    const std::string once = save(first.get(), "controls1.oscn");
    CRefPtr<BaseNode> second = load("controls1.oscn");
    ASSERT_TRUE(second);
    const std::string twice = save(second.get(), "controls2.oscn");
    EXPECT_FALSE(once.empty());
    EXPECT_EQ(once, twice);
    std::string narrow;
    for (char c : once)
        if (c != 0) narrow += c;
    for (const char* value :
         {"Play &amp; win", "nodes/ButtonNormal.png", "IsChecked", "MaxTextLength", "InputMask",
          "IsSelectWhileListingOn", "Three", "DeltaValue", "HideTabButtonOnSelect", "Tab1Button"})
        EXPECT_NE(narrow.find(value), std::string::npos) << value;
    // The list's element container is never written.
    EXPECT_EQ(narrow.find("Element"), std::string::npos);

    // Clones keep every setting and write the same.
    CRefPtr<BaseNode> copy = CRefPtr<BaseNode>::fromRaw(second->clone(nullptr, nullptr));
    ASSERT_TRUE(copy);
    EXPECT_EQ(save(copy.get(), "controls3.oscn"), once);
    auto* copiedHelp = dynamic_cast<TabSceneNode*>(copy->findChildByName("Help"));
    ASSERT_NE(copiedHelp, nullptr);
    EXPECT_EQ(copiedHelp->getPageCount(), 2u);
    EXPECT_NE(copiedHelp->getPage(0), help->getPage(0));
    auto* copiedList = asListNode(copy->findChildByName("Players"));
    ASSERT_NE(copiedList, nullptr);
    EXPECT_EQ(copiedList->getItemText(2, 0), stringw(L"Three"));
    EXPECT_EQ(copiedList->getElementContainer()->getParent(), copiedList);
}

TEST_F(NodeFilesTest, ControlDefaultsAreNotWritten) {
    for (const wchar_t* name : {L"ButtonNode", L"BackButtonNode", L"CheckBoxNode", L"EditNode",
                                L"ListNode", L"SliderNode", L"ProgressBarNode", L"TabSceneNode"}) {
        SCOPED_TRACE(std::wstring(name));
        CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(
            CNodeFactory::instance().createNode(name, CCreationContext(content.manager, "")));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->getClassName(), stringw(name));
        CRefPtr<CPropertySet> set = makeRef<CPropertySet>(content.manager);
        node->saveProperties(set.get());
        // Every control writes its hover-focus switch; nothing else is written.
        for (u32 i = 0; i < set->getPropertyCount(); ++i)
            if (set->getPropertyName(i) != stringc("IsFocusOnHover"))
                ADD_FAILURE() << set->getPropertyName(i).c_str();
    }
}

}  // namespace
