#pragma once

// The world of the tutorial's tests: the play screen's world (a real level scene, the play
// screen, game services with recording sound groups) with game services on top that keep a
// list of the device's input receivers, a tutorial window template with the parts the
// controller binds (a text with its two background looks, a skip button with its highlight, a
// message box button) and an arrow template, and a receiver that records the requests the
// tutorial posts.

#include <algorithm>
#include <string>
#include <vector>

#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TextNode.h"
#include "game/play/tutorial/GTutorialController.h"
#include "tests/game/play/PlayWorld.h"

namespace brasquel::test {

// Game services that list the device's input receivers (holding a reference to each, as the
// device does).
class TutorialServices : public PlayServices {
public:
    ~TutorialServices() override {
        for (CEventReceiver* receiver : inputs) receiver->drop();
    }
    bool addInputReceiver(CEventReceiver* receiver, s32 priority) override {
        if (!receiver || isListed(receiver)) return false;
        receiver->grab();
        inputs.push_back(receiver);
        priorities.push_back(priority);
        return true;
    }
    void removeInputReceiver(CEventReceiver* receiver) override {
        auto found = std::find(inputs.begin(), inputs.end(), receiver);
        if (found == inputs.end()) return;
        priorities.erase(priorities.begin() + (found - inputs.begin()));
        inputs.erase(found);
        receiver->drop();
    }
    bool isListed(const CEventReceiver* receiver) const {
        return std::find(inputs.begin(), inputs.end(), receiver) != inputs.end();
    }
    std::vector<CEventReceiver*> inputs;
    std::vector<s32> priorities;
};

// Records the game events offered to it; consumes them when asked, and answers the building
// query with its flag.
class RequestRecorder : public CEventReceiver {
public:
    bool onEvent(CEvent* event) override {
        ids.push_back(event->getTypeId());
        if (event->getTypeId() == GameEventTutorialFlag)
            flags.push_back(static_cast<GEventTutorialFlag*>(event)->Pause);
        if (event->isKindOf(GameEventRequest)) {
            auto* request = static_cast<GEventRequest*>(event);
            types.push_back(request->BuildingTypes.size());
            places.push_back(request->PlaceNames.size());
        }
        if (event->getTypeId() == GameEventLetterRequest) {
            auto* letter = static_cast<GEventLetterRequest*>(event);
            letters.push_back({letter->MoneyRange.first, letter->MoneyRange.second,
                               letter->WaitTimeRange.first, letter->WaitTimeRange.second});
        }
        if (event->getTypeId() == GameEventHasBuildingQuery)
            static_cast<GEventBuildingExistsQuery*>(event)->Answer = owns;
        return consumes;
    }
    size_t count(u32 type) const {
        return static_cast<size_t>(std::count(ids.begin(), ids.end(), type));
    }
    std::vector<u32> ids;
    std::vector<u8> flags;
    std::vector<u32> types;
    std::vector<u32> places;
    std::vector<std::vector<f32>> letters;
    bool consumes = true;
    bool owns = false;
};

struct TutorialWorld : PlayWorld {
    TutorialWorld() {
        tutorial.sceneManager = play.sceneManager;
        tutorial.worldSceneManager = play.worldSceneManager;
        tutorial.buildings = play.buildings;
        tutorial.fileSystem = play.fileSystem;
        tutorial.dictionary = play.dictionary;

        // The window: the plain skip node of the play screen's world becomes a button.
        window = templates->findTemplate(id("TutorialWindow"));
        if (BaseNode* plain = window->findChildByName("SkipTutorialButton", 1))
            window->removeChild(plain);
        windowText = window->findChildByName("Text", 1);
        states(windowText, {"Type1", "Type2"});
        BaseNode* skip =
            add(window, new ButtonNode(context("")), "SkipTutorialButton", 0, 40, 100, 30);
        base(skip, "bg");
        add(windowText, new ButtonNode(context("")), "Button", 0, 0, 50, 20);
        topTemplate("TutorialArrow");
        host = makeScene<SceneNode>("Host");
    }

    // A step file read into the controller (the text of a whole file).
    static CRefPtr<CXmlReader> stepFile(const std::string& body) {
        return oskel::test::readerOf("<Tutorial>" + body + "</Tutorial>");
    }

    // A controller over the host with the world's templates, loaded from the steps (the body of
    // "Tutorial") with the recorder as request receiver (none when asked).
    CRefPtr<GTutorialController> controller(const std::string& body, bool withReceiver = true) {
        auto made = CRefPtr<GTutorialController>::fromRaw(
            new GTutorialController(host.get(), templates.get(), content.get()));
        CRefPtr<CXmlReader> reader = stepFile(body);
        EXPECT_TRUE(made->load(reader.get(), withReceiver ? &requests : nullptr));
        return made;
    }

    // A node named so, held by the world.
    BaseNode* named(const char* name) {
        CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(new BaseNode(context("")));
        node->setNameId(id(name));
        kept.push_back(node);
        return node.get();
    }
    static bool press(CEventReceiver* receiver, BaseNode* node) {
        return receiver->onEvent(makeEvent<CEventNodePressed>(node).get());
    }
    static bool pressItem(CEventReceiver* receiver, BaseNode* list, s32 item) {
        return receiver->onEvent(makeEvent<CEventNodeListItemPressed>(list, item).get());
    }

    TutorialServices tutorial;
    RequestRecorder requests;
    BaseNode* window = nullptr;
    BaseNode* windowText = nullptr;
    CRefPtr<SceneNode> host;
};

}  // namespace brasquel::test
