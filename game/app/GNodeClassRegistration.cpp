#include "game/app/GNodeClassRegistration.h"

#include <new>

#include "engine/scene/BaseNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GPathMovableNode.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GIntroScene.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/GLogosScene.h"
#include "game/scenes/GMainMenuMovers.h"
#include "game/scenes/GMainMenuScene.h"
#include "game/scenes/GMapLocationButton.h"
#include "game/scenes/GMapScene.h"
#include "game/scenes/GShopButton.h"
#include "game/scenes/GShopScene.h"

namespace brasquel {

using namespace oskel;

namespace {

// A new node of the class, made with the context, no parent and no scene manager.
template <class T>
BaseNode* createNode(const CCreationContext& context) {
    return new (std::nothrow) T(context, nullptr, nullptr);
}

// Kind-of lists: the class's own id first, then its bases' ids down to the root, ended by -1.
#define GAME_SCENE_KINDS(id) \
    { id, GameNodeTypeBaseScene, NodeTypeScene, NodeTypeControl, NodeTypeBase, -1 }
#define MINI_GAME_KINDS(id)                                                                   \
    {                                                                                         \
        id, GameNodeTypeMiniGameScene, GameNodeTypeBaseScene, NodeTypeScene, NodeTypeControl, \
            NodeTypeBase, -1                                                                  \
    }
#define PATH_MOVER_KINDS(id) \
    { id, GameNodeTypePathMovableNode, NodeTypeBase, -1 }
#define BUTTON_KINDS(id) \
    { id, NodeTypeButton, NodeTypeControl, NodeTypeBase, -1 }
#define NODE_KINDS(id) \
    { id, NodeTypeBase, -1 }

const SGameNodeClass kApplicationClasses[] = {
    {L"GDebugStatsScene", GameNodeTypeDebugStatsScene,
     GAME_SCENE_KINDS(GameNodeTypeDebugStatsScene), nullptr},
    {L"GLogosScene", GameNodeTypeLogosScene, GAME_SCENE_KINDS(GameNodeTypeLogosScene),
     &createNode<GLogosScene>},
    {L"GIntroScene", GameNodeTypeIntroScene, GAME_SCENE_KINDS(GameNodeTypeIntroScene),
     &createNode<GIntroScene>},
    {L"GQuitConfirmationScene", GameNodeTypeQuitConfirmationScene,
     GAME_SCENE_KINDS(GameNodeTypeQuitConfirmationScene), nullptr},
    {L"GRectangleNode", GameNodeTypeRectangleNode, NODE_KINDS(GameNodeTypeRectangleNode), nullptr},
};

const SGameNodeClass kPreloaderClasses[] = {
    {L"GMainMenuScene", GameNodeTypeMainMenuScene, GAME_SCENE_KINDS(GameNodeTypeMainMenuScene),
     &createNode<GMainMenuScene>},
    {L"GMainMenuPedestrianNode", GameNodeTypeMainMenuPedestrianNode,
     PATH_MOVER_KINDS(GameNodeTypeMainMenuPedestrianNode), &createNode<GMainMenuPedestrianNode>},
    {L"GMainMenuCarNode", GameNodeTypeMainMenuCarNode,
     PATH_MOVER_KINDS(GameNodeTypeMainMenuCarNode), &createNode<GMainMenuCarNode>},
    {L"GMainMenuBikeNode", GameNodeTypeMainMenuBikeNode,
     PATH_MOVER_KINDS(GameNodeTypeMainMenuBikeNode), &createNode<GMainMenuBikeNode>},
    {L"GMainMenuCloudNode", GameNodeTypeMainMenuCloudNode,
     PATH_MOVER_KINDS(GameNodeTypeMainMenuCloudNode), &createNode<GMainMenuCloudNode>},
    {L"GSelectPlayerScene", GameNodeTypeSelectPlayerScene,
     GAME_SCENE_KINDS(GameNodeTypeSelectPlayerScene), nullptr},
    {L"GSelectPlayerInputNameScene", GameNodeTypeSelectPlayerInputNameScene,
     GAME_SCENE_KINDS(GameNodeTypeSelectPlayerInputNameScene), nullptr},
    {L"GShopButton", GameNodeTypeShopButton, BUTTON_KINDS(GameNodeTypeShopButton),
     &createNode<GShopButton>},
    {L"GShopScene", GameNodeTypeShopScene, GAME_SCENE_KINDS(GameNodeTypeShopScene),
     &createNode<GShopScene>},
    {L"GMapLocationButton", GameNodeTypeMapLocationButton,
     BUTTON_KINDS(GameNodeTypeMapLocationButton), &createNode<GMapLocationButton>},
    {L"GMapScene", GameNodeTypeMapScene, GAME_SCENE_KINDS(GameNodeTypeMapScene),
     &createNode<GMapScene>},
    {L"GComicsScene", GameNodeTypeComicsScene, GAME_SCENE_KINDS(GameNodeTypeComicsScene), nullptr},
    {L"GLoadingLevelScene", GameNodeTypeLoadingLevelScene,
     GAME_SCENE_KINDS(GameNodeTypeLoadingLevelScene), &createNode<GLoadingLevelScene>},
    {L"GGamePlayScene", GameNodeTypeGamePlayScene, GAME_SCENE_KINDS(GameNodeTypeGamePlayScene),
     nullptr},
    {L"GLevelObjectivesScene", GameNodeTypeLevelObjectivesScene,
     GAME_SCENE_KINDS(GameNodeTypeLevelObjectivesScene), nullptr},
    {L"GEllipseSectorNode", GameNodeTypeEllipseSectorNode,
     NODE_KINDS(GameNodeTypeEllipseSectorNode), &createNode<GEllipseSectorNode>},
    {L"GRectangleNode", GameNodeTypeRectangleNode, NODE_KINDS(GameNodeTypeRectangleNode), nullptr},
    {L"GLevelCompletedScene", GameNodeTypeLevelCompletedScene,
     GAME_SCENE_KINDS(GameNodeTypeLevelCompletedScene), nullptr},
    {L"GAchievementUnlockedScene", GameNodeTypeAchievementUnlockedScene,
     GAME_SCENE_KINDS(GameNodeTypeAchievementUnlockedScene),
     &createNode<GAchievementUnlockedScene>},
    {L"GAchievementsScene", GameNodeTypeAchievementsScene,
     GAME_SCENE_KINDS(GameNodeTypeAchievementsScene), &createNode<GAchievementsScene>},
    {L"GHelpScene", GameNodeTypeHelpScene, GAME_SCENE_KINDS(GameNodeTypeHelpScene), nullptr},
    {L"GCreditsScene", GameNodeTypeCreditsScene, GAME_SCENE_KINDS(GameNodeTypeCreditsScene),
     nullptr},
    {L"GInGameMenuScene", GameNodeTypeInGameMenuScene,
     GAME_SCENE_KINDS(GameNodeTypeInGameMenuScene), nullptr},
    {L"GOptionsScene", GameNodeTypeOptionsScene, GAME_SCENE_KINDS(GameNodeTypeOptionsScene),
     nullptr},
    {L"GMiniCompletedScene", GameNodeTypeMiniCompletedScene,
     GAME_SCENE_KINDS(GameNodeTypeMiniCompletedScene), nullptr},
    {L"GMiniGameHiddenScene", GameNodeTypeMiniGameHiddenScene,
     MINI_GAME_KINDS(GameNodeTypeMiniGameHiddenScene), nullptr},
    {L"GMiniGameHidden2Scene", GameNodeTypeMiniGameHidden2Scene,
     MINI_GAME_KINDS(GameNodeTypeMiniGameHidden2Scene), nullptr},
    {L"GMiniGameAuctionScene", GameNodeTypeMiniGameAuctionScene,
     MINI_GAME_KINDS(GameNodeTypeMiniGameAuctionScene), nullptr},
    {L"GBuildingNode",
     GameNodeTypeBuildingNode,
     {GameNodeTypeBuildingNode, NodeTypeControl, NodeTypeBase, -1},
     &createNode<GBuildingNode>},
    {L"GGameLevelScene",
     GameNodeTypeGameLevelScene,
     {GameNodeTypeGameLevelScene, NodeTypeScene, NodeTypeControl, NodeTypeBase, -1},
     &createNode<GGameLevelScene>},
    {L"GPathMovableNode", GameNodeTypePathMovableNode, NODE_KINDS(GameNodeTypePathMovableNode),
     &createNode<GPathMovableNode>},
    {L"GSpiralMovableNode", GameNodeTypeSpiralMovableNode,
     NODE_KINDS(GameNodeTypeSpiralMovableNode), nullptr},
    {L"GBaloonNode", GameNodeTypeBaloonNode, NODE_KINDS(GameNodeTypeBaloonNode), nullptr},
    {L"GPicEffectNode", GameNodeTypePicEffectNode, NODE_KINDS(GameNodeTypePicEffectNode), nullptr},
    {L"GShieldStarNode", GameNodeTypeShieldStarNode, NODE_KINDS(GameNodeTypeShieldStarNode),
     nullptr},
    {L"GShieldEffectNode", GameNodeTypeShieldEffectNode, NODE_KINDS(GameNodeTypeShieldEffectNode),
     nullptr},
    {L"GLakeWaveNode", GameNodeTypeLakeWaveNode, NODE_KINDS(GameNodeTypeLakeWaveNode), nullptr},
    {L"GBirdNode", GameNodeTypeBirdNode, PATH_MOVER_KINDS(GameNodeTypeBirdNode), nullptr},
    {L"GCircularBirdNode", GameNodeTypeCircularBirdNode, NODE_KINDS(GameNodeTypeCircularBirdNode),
     nullptr},
    {L"GCarNode", GameNodeTypeCarNode, PATH_MOVER_KINDS(GameNodeTypeCarNode), nullptr},
    {L"GPedestrianNode", GameNodeTypePedestrianNode, PATH_MOVER_KINDS(GameNodeTypePedestrianNode),
     nullptr},
    {L"GTextTrailNode", GameNodeTypeTextTrailNode, PATH_MOVER_KINDS(GameNodeTypeTextTrailNode),
     nullptr},
    {L"GFireworkNode", GameNodeTypeFireworkNode, NODE_KINDS(GameNodeTypeFireworkNode), nullptr},
    {L"OnceSpawnerNode", GameNodeTypeOnceSpawnerNode, NODE_KINDS(GameNodeTypeOnceSpawnerNode),
     nullptr},
    {L"GHOHintParticlesNode", GameNodeTypeHOHintParticlesNode,
     NODE_KINDS(GameNodeTypeHOHintParticlesNode), nullptr},
    {L"GWeatherParticlesNode", GameNodeTypeWeatherParticlesNode,
     NODE_KINDS(GameNodeTypeWeatherParticlesNode), nullptr},
    {L"GSelectGridNode", GameNodeTypeSelectGridNode, NODE_KINDS(GameNodeTypeSelectGridNode),
     nullptr},
};

#undef GAME_SCENE_KINDS
#undef MINI_GAME_KINDS
#undef PATH_MOVER_KINDS
#undef BUTTON_KINDS
#undef NODE_KINDS

}  // namespace

const SGameNodeClass* getApplicationNodeClasses(u32& count) {
    count = sizeof(kApplicationClasses) / sizeof(kApplicationClasses[0]);
    return kApplicationClasses;
}

const SGameNodeClass* getPreloaderNodeClasses(u32& count) {
    count = sizeof(kPreloaderClasses) / sizeof(kPreloaderClasses[0]);
    return kPreloaderClasses;
}

u32 registerGameNodeClasses(CNodeFactory& factory, const SGameNodeClass* rows, u32 count) {
    u32 registered = 0;
    for (u32 i = 0; rows && i < count; ++i) {
        if (!rows[i].creator) continue;
        factory.registerNodeClass(stringw(rows[i].name), rows[i].creator);
        ++registered;
    }
    return registered;
}

}  // namespace brasquel
