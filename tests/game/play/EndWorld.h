#pragma once

// What the level end of the play screen opens, for the play screen's tests: the scene files of
// the achievement pop-up, the level-completed scene, the objectives panel and the in-game menu,
// loaded through the content manager with the node classes registered where content is made.

#include <string>
#include <vector>

#include "engine/scene/CNodeFactory.h"
#include "game/config/GExternalHooks.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GInGameMenuScene.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "tests/game/play/PlayWorld.h"

namespace brasquel::test {

template <class T>
BaseNode* makeEndScene(const CCreationContext& context) {
    return new T(context, nullptr, nullptr);
}

// A scene file whose root is of the class, named so, with an empty "Scene" child.
inline std::string endSceneFile(const char* className, const char* name,
                                const std::string& inner = "") {
    return std::string("<?xml version=\"1.0\"?>") +
           "<SceneNode Type=\"SceneNode\" ClassOverride=\"" + className +
           "\"><Properties><string Name=\"Name\" Value=\"" + name +
           "\"/></Properties><SceneNode Type=\"BaseNode\"><Properties>"
           "<string Name=\"Name\" Value=\"Scene\"/></Properties>" +
           inner + "</SceneNode></SceneNode>";
}

// The pop-up with the text nodes it fills.
inline std::string achievementPopUpFile() {
    return endSceneFile("GAchievementUnlockedScene", "AchievementUnlockedScene",
                        "<SceneNode Type=\"TextNode\"><Properties>"
                        "<string Name=\"Name\" Value=\"AchName\"/></Properties></SceneNode>"
                        "<SceneNode Type=\"TextNode\"><Properties>"
                        "<string Name=\"Name\" Value=\"AchDesc\"/></Properties></SceneNode>");
}

// Registers the classes of the scenes the level end opens and writes the pop-up's and the
// level-completed scene's files into the world's folder.
inline void writeEndScenes(const PlayWorld& world) {
    CNodeFactory& factory = CNodeFactory::instance();
    factory.registerNodeClass(L"GAchievementUnlockedScene",
                              &makeEndScene<GAchievementUnlockedScene>);
    factory.registerNodeClass(L"GLevelCompletedScene", &makeEndScene<GLevelCompletedScene>);
    factory.registerNodeClass(L"GLevelObjectivesScene", &makeEndScene<GLevelObjectivesScene>);
    factory.registerNodeClass(L"GInGameMenuScene", &makeEndScene<GInGameMenuScene>);
    world.write(GAchievementUnlockedScene::SceneFile, achievementPopUpFile());
    world.write(GLevelCompletedScene::SceneFile,
                endSceneFile("GLevelCompletedScene", "LevelCompletedScene"));
}

// External hooks that record each completed level as "name|seconds".
class RecordingHooks : public GExternalHooks {
public:
    void onLevelCompleted(const stringc& levelName, const stringc& seconds) override {
        calls.push_back(std::string(levelName.c_str()) + "|" + seconds.c_str());
    }
    std::vector<std::string> calls;
};

// The play world's services with the frames drawn at once counted and the completed levels
// recorded; installed over the world's own while they live (make them after the world).
class EndServices : public PlayServices {
public:
    explicit EndServices(const PlayServices& from) {
        sceneManager = from.sceneManager;
        worldSceneManager = from.worldSceneManager;
        buildings = from.buildings;
        fileSystem = from.fileSystem;
        dictionary = from.dictionary;
        hooks = CRefPtr<GExternalHooks>(recorder.get());
    }
    void renderFrame() override { ++renders; }

    CRefPtr<RecordingHooks> recorder = makeRef<RecordingHooks>();
    int renders = 0;
};

// The name text of the pop-up on top (its achievement's name key), or "<none>".
inline std::string popUpName(const PlayWorld& world) {
    SceneNode* top = world.manager->getCurrentScene();
    if (!top || !top->isKindOf(GameNodeTypeAchievementUnlockedScene)) return "<none>";
    BaseNode* scene = top->findChildByName("Scene", 1);
    BaseNode* name = scene ? scene->findChildByName("AchName", 1) : nullptr;
    return name && name->isKindOf(NodeTypeText)
               ? toUtf8(static_cast<TextNode*>(name)->getText().c_str())
               : std::string("<none>");
}

}  // namespace brasquel::test
