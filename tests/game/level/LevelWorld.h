#pragma once

// The running level of the step, operation and objective tests: the lots' world with a parent
// that records the game events leaving the level scene, the templates the operations clone (a
// money letter, the action's vehicles and stages), a way to give building types level
// modifiers, and a stand-in weather node registered under the weather class's name that keeps
// the properties the level sets by name.

#include <string>
#include <utility>
#include <vector>

#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/ConfigurationXml.h"
#include "game/level/GLevelModifier.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GPathMovableNode.h"
#include "tests/game/level/LotWorld.h"

namespace brasquel::test {

// Keeps what the level scene sets on its weather node.
class RecordingWeatherNode : public BaseNode {
public:
    explicit RecordingWeatherNode(const CCreationContext& context) : BaseNode(context) {}
    const CPropertyTable& getPropertyTable() const override {
        static const CPropertyTable table = [this] {
            CPropertyTable t = BaseNode::getPropertyTable();
            TPropertyTableBuilder<RecordingWeatherNode>(t)
                .field<&RecordingWeatherNode::ConfigurationFilename,
                       &RecordingWeatherNode::setConfigurationFilename>("ConfigurationFilename")
                .field<&RecordingWeatherNode::Enabled, &RecordingWeatherNode::setEnabled>(
                    "Enabled");
            return t;
        }();
        return table;
    }
    void setConfigurationFilename(const stringc& name) { ConfigurationFilename = name; }
    void setEnabled(bool enabled) {
        Enabled = enabled;
        ++Switches;
    }
    stringc ConfigurationFilename;
    bool Enabled = true;
    s32 Switches = 0;
};

// Records the game events that reach the level's parent, with their order.
class LevelEventRecorder : public CEventReceiver {
public:
    bool onEvent(CEvent* event) override {
        const u32 type = event->getTypeId();
        if (type < GameEventLevelCompleted || type > GameEventWeatherRequest) return false;
        ids.push_back(type);
        return false;
    }
    size_t count(u32 type) const {
        size_t n = 0;
        for (u32 id : ids) n += id == type ? 1 : 0;
        return n;
    }
    std::vector<u32> ids;
};

struct LevelWorld : LotWorld {
    LevelWorld() {
        CRandom::instance().seed(4321);
        factory.registerNodeClass(L"GWeatherParticlesNode",
                                  [](const CCreationContext& c) -> BaseNode* {
                                      return new RecordingWeatherNode(c);
                                  });
        // The money letter: its text, its clock, and the states it plays.
        BaseNode* letter = topTemplate("MoneyLetter");
        states(letter, {"Appear", "Disappear", "DisappearHit"});
        text(letter, "Text");
        clock(letter, "Progress");
        // What the actions clone: vehicles, stages, bars.
        topTemplate("Helicopter", new GPathMovableNode(context("")));
        topTemplate("Bus", new GPathMovableNode(context("")));
        topTemplate("Construction");
        topTemplate("ProgressBarOverBuilding", new ProgressBarNode(context("")));
        BaseNode* place = topTemplate("BuildingPlace");
        base(place, "Selector");
        for (const char* cloud : {"Cloud1", "Cloud2", "Cloud3"})
            topTemplate(cloud, new GPathMovableNode(context("")));
        screen->addCategory(CategoryGame);
        screen->addPreReceiver(&events);
    }
    ~LevelWorld() { screen->removePreReceiver(&events); }

    // The play screen's set-up, with the world's own node factory.
    void start() {
        level->setNodeFactory(&factory);
        LotWorld::start();
    }

    // The modifiers, each (type, value), as one list.
    static CRefPtr<GLevelModifierList> modifiers(
        std::initializer_list<std::pair<const wchar_t*, f32>> entries) {
        auto list = makeRef<GLevelModifierList>();
        for (const auto& entry : entries) {
            GLevelModifier* made = createLevelModifier(entry.first);
            if (!made) continue;
            made->Value = entry.second;
            list->append(made);
            made->drop();
        }
        return list;
    }
    // The level's objectives replaced by the XML's "Objective" elements.
    void objectives(const std::string& xml) {
        CRefPtr<CXmlReader> reader =
            oskel::test::readerOf("<Objectives>" + xml + "</Objectives>");
        while (reader->read() && !config::isElement(reader.get(), L"Objectives")) {
        }
        static_cast<void>(configuration->Objectives->read(reader.get()));
    }
    // The level's steps, as its clock calls them.
    void steps(u32 count) {
        for (u32 i = 0; i < count; ++i) level->update(GGameLevelScene::StepPeriodMs);
    }
    // The level entered as the world's only scene would be.
    void enter() {
        level->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(nullptr, level.get(), true).get());
    }
    void leave() {
        level->onEvent(makeEvent<CEventNodeSceneSwitchBegin>(level.get(), nullptr, true).get());
    }

    LevelEventRecorder events;
};

}  // namespace brasquel::test
