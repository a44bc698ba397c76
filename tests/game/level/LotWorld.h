#pragma once

// The world of the lot and level scene tests: a windowless device whose scene manager holds
// templates built here (a look per building type and every part a lot makes), a level scene read
// from a scene file text with its "Buildings", a stand-in for the play screen whose clock moves
// in 20 ms steps only when a test steps it, game services whose sound groups record every cue
// started, and a catalogue of building types.

#include <string>
#include <vector>

#include "engine/nodes/EngineNodes.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneFile.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "tests/game/scenes/GameSceneWorld.h"
#include "tests/io/XmlTestUtils.h"

namespace brasquel::test {

// The catalogue of the tests: an empty place, lodgings of levels 1 and 3, a cafe that serves
// guests (with a boosting feature), a garden that gives a bonus, a ruin, an agency with two
// features and a shop whose serve area gives a bonus.
inline const char* lotCatalogue() {
    return R"(<?xml version="1.0"?>
<BuildingsConfiguration>
 <Building><Properties><string Name="Name" Value="Empty"/><int Name="Level" Value="0"/>
  <float Name="SellPrice" Value="100"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Hotel1"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="0"/><int Name="GuestsCount" Value="10"/><float Name="Income" Value="100"/>
  <float Name="SellPrice" Value="100"/><float Name="Cost" Value="500"/>
  <string Name="SelectedSoundCueName" Value="Bus"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Hotel3"/><int Name="Level" Value="3"/>
  <int Name="Type" Value="0"/><int Name="GuestsCount" Value="20"/><float Name="Income" Value="300"/>
  <float Name="SellPrice" Value="900"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Cafe"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="1"/><vector2d Name="ServeArea" Value="300;200"/>
  <float Name="ServeIncome" Value="2"/><float Name="ServeBoostedIncome" Value="4"/>
  <float Name="Income" Value="50"/></Properties>
  <ActiveFeature DurationTime="12000" RechargeTime="30000"><Feature Type="BoostIncome"/></ActiveFeature>
 </Building>
 <Building><Properties><string Name="Name" Value="Garden"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="2"/><vector2d Name="ServeArea" Value="300;200"/>
  <float Name="ServeAreaIncomeBonus" Value="10"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="Ruin"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="3"/></Properties></Building>
 <Building><Properties><string Name="Name" Value="REAgency"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="1"/><string Name="SelectedSoundCueName" Value="Bus"/></Properties>
  <ActiveFeature DurationTime="8000" RechargeTime="20000"/>
  <ActiveFeature DurationTime="8000" RechargeTime="20000"/>
 </Building>
 <Building><Properties><string Name="Name" Value="Shop"/><int Name="Level" Value="1"/>
  <int Name="Type" Value="1"/><vector2d Name="ServeArea" Value="300;200"/>
  <float Name="ServeAreaIncomeBonus" Value="5"/></Properties></Building>
</BuildingsConfiguration>
)";
}

struct LotWorld : ContentSceneWorld {
    LotWorld() : ContentSceneWorld("lots") {
        services.sceneManager = manager.get();
        for (u32 i = 0; i < GSoundCueIds::Count; ++i) {
            const CNameId cue(GSoundCueIds::names()[i]);
            if (services.groups->getRegisteredCue(cue)) continue;
            auto made = makeRef<SoundCue>(cue);
            made->setGroup(0);
            made->addSound(makeRef<PlayingSound>().get());
            static_cast<void>(services.groups->registerCue(made.get()));
        }
        registerEngineNodes(factory);
        factory.registerNodeClass(L"GBuildingNode", [](const CCreationContext& c) -> BaseNode* {
            return new GBuildingNode(c);
        });
        factory.registerNodeClass(L"GGameLevelScene", [](const CCreationContext& c) -> BaseNode* {
            return new GGameLevelScene(c);
        });
        factory.registerNodeClass(
            L"GEllipseSectorNode",
            [](const CCreationContext& c) -> BaseNode* { return new GEllipseSectorNode(c); });
        for (const char* star :
             {"levels/common/Stars/FilledStar.png", "levels/common/Stars/EmptyStar.png",
              "levels/common/Smiles/Red.png", "levels/common/Smiles/Green.png",
              "levels/common/Smiles/Blue.png"})
            writePicture(star, 4, 4, 200);
        buildTemplates();
        catalogue = makeRef<GBuildingsConfiguration>();
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(lotCatalogue());
        static_cast<void>(catalogue->read(reader.get()));
        configuration = makeRef<GLevelConfiguration>();
        configuration->SettingIndex = 2;
        configuration->InitMoney = 1000.0f;
        screen = makeScene<SceneNode>("Screen");
    }

    // ---- Templates ----

    static BaseNode* add(BaseNode* parent, BaseNode* node, const char* name, f32 x = 0.0f,
                         f32 y = 0.0f, f32 w = 20.0f, f32 h = 20.0f) {
        if (name) node->setNameId(id(name));
        node->setPosition(vector3df(x, y, 0.0f));
        node->setBounds(w, h);
        parent->addChild(node);
        node->drop();
        return node;
    }
    BaseNode* base(BaseNode* parent, const char* name, f32 x = 0, f32 y = 0) {
        return add(parent, new BaseNode(context("")), name, x, y);
    }
    BaseNode* sprite(BaseNode* parent, const char* name, f32 x = 0, f32 y = 0) {
        return add(parent, new SpriteNode(context("")), name, x, y);
    }
    BaseNode* text(BaseNode* parent, const char* name, f32 x = 0, f32 y = 0) {
        return add(parent, new TextNode(context("")), name, x, y);
    }
    static void states(BaseNode* node, std::initializer_list<const char*> names) {
        for (const char* name : names) node->addState(animatorWith(name).get());
    }
    // A countdown clock: face, sector (with its alert), hand.
    BaseNode* clock(BaseNode* parent, const char* name) {
        BaseNode* c = base(parent, name);
        states(c, {"Normal"});
        sprite(c, "Face");
        BaseNode* sector = add(c, new GEllipseSectorNode(context("")), "Sector");
        states(sector, {"Alert", "Normal"});
        sprite(c, "Hand");
        return c;
    }
    BaseNode* topTemplate(const char* name, BaseNode* node = nullptr) {
        CRefPtr<BaseNode> made =
            CRefPtr<BaseNode>::fromRaw(node ? node : new BaseNode(context("")));
        made->setNameId(id(name));
        templates->addTemplate(made.get());
        kept.push_back(made);
        return made.get();
    }

    void buildTemplates() {
        for (const char* type :
             {"Empty", "Hotel1", "Hotel3", "Cafe", "Garden", "Ruin", "REAgency", "Shop"}) {
            BaseNode* t = topTemplate(type);
            addHitNode(t, "Image", 0, 0, 135, 60);
            BaseNode* selector = base(t, "Selector");
            states(selector, {"Focus"});
            BaseNode* stars = base(t, "StarIcons", 10, 40);
            for (int i = 0; i < 3; ++i) sprite(stars, "Star", 10.0f * i, 0);
            BaseNode* smile = text(t, "SmileIcon", 90, 5);
            sprite(smile, "Face");
            text(t, "WorkersText", 60, 5);
        }
        BaseNode* smile = topTemplate("SmileIcon", new TextNode(context("")));
        sprite(smile, "Face");
        states(topTemplate("ServeArea"), {"Blue", "Green"});
        BaseNode* tag = topTemplate("ForSaleNode");
        text(tag, "PriceText");
        clock(tag, "Progress");
        sprite(tag, "Bg");
        BaseNode* phone = topTemplate("PhoneIcon");
        states(phone, {"Active"});
        clock(phone, "Progress");
        topTemplate("WorkersText", new TextNode(context("")));
        for (const char* icon : {"Feature1Icon", "Feature2Icon"}) {
            BaseNode* i = topTemplate(icon);
            i->setPosition(vector3df(icon[7] == '1' ? 20.0f : 60.0f, 70.0f, 0.0f));
            states(i, {"Active", "Recharging", "Ready"});
            sprite(i, "Upper");
            sprite(i, "Filled");
        }
        topTemplate("MoneyBurst");
        for (const char* icon : {"RepairIcon", "DirtyIcon"}) states(topTemplate(icon), {"Active"});
    }

    // ---- The level ----

    // Reads a level scene whose "Buildings" hold the given lots (each a SceneNode element).
    GGameLevelScene* loadLevel(const std::string& lots) {
        const std::string xml =
            "<SceneNode Type=\"GGameLevelScene\"><Properties><string Name=\"Name\" "
            "Value=\"Level\"/></Properties>"
            "<SceneNode Type=\"ControlNode\"><Properties><string Name=\"Name\" "
            "Value=\"Buildings\"/></Properties>" +
            lots +
            "</SceneNode>"
            "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" "
            "Value=\"CargosNode\"/></Properties></SceneNode>"
            "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" "
            "Value=\"Pedestrians\"/></Properties></SceneNode>"
            "</SceneNode>";
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(xml);
        if (!reader->read()) return nullptr;
        BaseNode* node = CSceneFile::createNode(reader.get(), &factory, context("Level.oscn"));
        if (!node) return nullptr;
        if (!CSceneFile::read(node, reader.get(), &factory) ||
            !node->isKindOf(GameNodeTypeGameLevelScene)) {
            node->drop();
            return nullptr;
        }
        level = CRefPtr<GGameLevelScene>::fromRaw(static_cast<GGameLevelScene*>(node));
        screen->addChild(level.get());
        return level.get();
    }
    static std::string lot(const char* name, const char* type, f32 x, f32 y, bool owned = false,
                           const char* extra = "") {
        std::string s =
            "<SceneNode Type=\"GBuildingNode\"><Properties><string Name=\"Name\" Value=\"";
        s += name;
        s += "\"/><string Name=\"TemplateName\" Value=\"";
        s += type;
        s += "\"/><vector3d Name=\"Position\" Value=\"" + std::to_string(x) + ";" +
             std::to_string(y) + ";0\"/><vector3d Name=\"Bounds\" Value=\"135;60;0\"/>";
        if (owned) s += "<bool Name=\"IsOwnedByThePlayer\" Value=\"true\"/>";
        s += extra;
        s += "</Properties></SceneNode>";
        return s;
    }
    // The play screen's set-up of a level, then the screen shown (its templates applied).
    void start() {
        level->setBuildingsConfiguration(catalogue.get());
        level->setLevelConfiguration(configuration.get());
        level->setPaused(false);
        show(screen.get());
    }
    GBuildingNode* lotNamed(const char* name) const {
        for (const CRefPtr<GBuildingNode>& l : level->getBuildings())
            if (l->getNameId() == id(name)) return l.get();
        return nullptr;
    }
    GBuildingConfig* type(const char* name) const { return catalogue->find(CNameId(name)); }
    // Steps the screen's clock in 20 ms steps.
    void run(u32 ms) {
        for (u32 t = 0; t < ms; t += 20) step(20);
    }
    // The states a node has entered on itself, in order.
    std::vector<std::string> statesOf(const std::string& label) const {
        std::vector<std::string> found;
        const std::string prefix = label + " " + std::to_string(EventNodeStateStarted) + " ";
        for (const std::string& line : log)
            if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
        return found;
    }
    void recordStates(BaseNode* node, const std::string& label) {
        record(node, label, {EventNodeStateStarted});
    }
    static std::string runningState(const BaseNode* node) {
        const Animator* running = node ? node->getRunningAnimator() : nullptr;
        return running ? nameOf(running->getState()) : std::string();
    }
    std::vector<std::string> cues() const { return services.playedCues(); }

    TestGameServices services;
    CNodeFactory factory;
    CRefPtr<SceneNode> screen;
    CRefPtr<GGameLevelScene> level;
    CRefPtr<GLevelConfiguration> configuration;
    CRefPtr<GBuildingsConfiguration> catalogue;
    std::vector<CRefPtr<BaseNode>> kept;
};

// Records the game events that reach a node.
class GameEventRecorder : public CEventReceiver {
public:
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() >= GameEventLevelCompleted &&
            event->getTypeId() <= GameEventWeatherRequest) {
            ids.push_back(event->getTypeId());
            if (event->getTypeId() == GameEventBuildingIncome)
                amounts.push_back(static_cast<GEventBuildingIncome*>(event)->Amount);
            if (event->getTypeId() == GameEventBuildingFeatureUsed)
                features.push_back(static_cast<GEventBuildingFeatureUsed*>(event)->FeatureIndex);
        }
        return false;
    }
    std::vector<u32> ids;
    std::vector<f32> amounts;
    std::vector<s32> features;
};

}  // namespace brasquel::test
