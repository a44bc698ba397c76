#include "game/app/GNodeClassRegistration.h"

#include <new>

#include "engine/scene/BaseNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GPathMovableNode.h"
#include "game/minigames/GMiniGameAuctionScene.h"
#include "game/minigames/GMiniGameHidden2Scene.h"
#include "game/minigames/GMiniGameHiddenScene.h"
#include "game/play/GGamePlayScene.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GComicsScene.h"
#include "game/scenes/GHelpScene.h"
#include "game/scenes/GInGameMenuScene.h"
#include "game/scenes/GIntroScene.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/GLogosScene.h"
#include "game/scenes/GMainMenuMovers.h"
#include "game/scenes/GMainMenuScene.h"
#include "game/scenes/GMapLocationButton.h"
#include "game/scenes/GMapScene.h"
#include "game/scenes/GOptionsScene.h"
#include "game/scenes/GSelectPlayerScene.h"
#include "game/scenes/GShopButton.h"
#include "game/scenes/GShopScene.h"
#include "game/world/GBaloonNode.h"
#include "game/world/GCircularBirdNode.h"
#include "game/world/GFireworkNode.h"
#include "game/world/GHOHintParticlesNode.h"
#include "game/world/GLakeWaveNode.h"
#include "game/world/GPathMovers.h"
#include "game/world/GPicEffectNode.h"
#include "game/world/GRectangleNode.h"
#include "game/world/GSelectGridNode.h"
#include "game/world/GShieldEffectNode.h"
#include "game/world/GShieldStarNode.h"
#include "game/world/GSpiralMovableNode.h"
#include "game/world/GWeatherParticlesNode.h"
#include "game/world/OnceSpawnerNode.h"

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
     GAME_SCENE_KINDS(GameNodeTypeDebugStatsScene), &createNode<GDebugStatsScene>},
    {L"GLogosScene", GameNodeTypeLogosScene, GAME_SCENE_KINDS(GameNodeTypeLogosScene),
     &createNode<GLogosScene>},
    {L"GIntroScene", GameNodeTypeIntroScene, GAME_SCENE_KINDS(GameNodeTypeIntroScene),
     &createNode<GIntroScene>},
    {L"GQuitConfirmationScene", GameNodeTypeQuitConfirmationScene,
     GAME_SCENE_KINDS(GameNodeTypeQuitConfirmationScene), &createNode<GQuitConfirmationScene>},
    {L"GRectangleNode", GameNodeTypeRectangleNode, NODE_KINDS(GameNodeTypeRectangleNode),
     &createNode<GRectangleNode>},
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
     GAME_SCENE_KINDS(GameNodeTypeSelectPlayerScene), &createNode<GSelectPlayerScene>},
    {L"GSelectPlayerInputNameScene", GameNodeTypeSelectPlayerInputNameScene,
     GAME_SCENE_KINDS(GameNodeTypeSelectPlayerInputNameScene),
     &createNode<GSelectPlayerInputNameScene>},
    {L"GShopButton", GameNodeTypeShopButton, BUTTON_KINDS(GameNodeTypeShopButton),
     &createNode<GShopButton>},
    {L"GShopScene", GameNodeTypeShopScene, GAME_SCENE_KINDS(GameNodeTypeShopScene),
     &createNode<GShopScene>},
    {L"GMapLocationButton", GameNodeTypeMapLocationButton,
     BUTTON_KINDS(GameNodeTypeMapLocationButton), &createNode<GMapLocationButton>},
    {L"GMapScene", GameNodeTypeMapScene, GAME_SCENE_KINDS(GameNodeTypeMapScene),
     &createNode<GMapScene>},
    {L"GComicsScene", GameNodeTypeComicsScene, GAME_SCENE_KINDS(GameNodeTypeComicsScene),
     &createNode<GComicsScene>},
    {L"GLoadingLevelScene", GameNodeTypeLoadingLevelScene,
     GAME_SCENE_KINDS(GameNodeTypeLoadingLevelScene), &createNode<GLoadingLevelScene>},
    {L"GGamePlayScene", GameNodeTypeGamePlayScene, GAME_SCENE_KINDS(GameNodeTypeGamePlayScene),
     &createNode<GGamePlayScene>},
    {L"GLevelObjectivesScene", GameNodeTypeLevelObjectivesScene,
     GAME_SCENE_KINDS(GameNodeTypeLevelObjectivesScene), &createNode<GLevelObjectivesScene>},
    {L"GEllipseSectorNode", GameNodeTypeEllipseSectorNode,
     NODE_KINDS(GameNodeTypeEllipseSectorNode), &createNode<GEllipseSectorNode>},
    {L"GRectangleNode", GameNodeTypeRectangleNode, NODE_KINDS(GameNodeTypeRectangleNode),
     &createNode<GRectangleNode>},
    {L"GLevelCompletedScene", GameNodeTypeLevelCompletedScene,
     GAME_SCENE_KINDS(GameNodeTypeLevelCompletedScene), &createNode<GLevelCompletedScene>},
    {L"GAchievementUnlockedScene", GameNodeTypeAchievementUnlockedScene,
     GAME_SCENE_KINDS(GameNodeTypeAchievementUnlockedScene),
     &createNode<GAchievementUnlockedScene>},
    {L"GAchievementsScene", GameNodeTypeAchievementsScene,
     GAME_SCENE_KINDS(GameNodeTypeAchievementsScene), &createNode<GAchievementsScene>},
    {L"GHelpScene", GameNodeTypeHelpScene, GAME_SCENE_KINDS(GameNodeTypeHelpScene),
     &createNode<GHelpScene>},
    {L"GCreditsScene", GameNodeTypeCreditsScene, GAME_SCENE_KINDS(GameNodeTypeCreditsScene),
     &createNode<GCreditsScene>},
    {L"GInGameMenuScene", GameNodeTypeInGameMenuScene,
     GAME_SCENE_KINDS(GameNodeTypeInGameMenuScene), &createNode<GInGameMenuScene>},
    {L"GOptionsScene", GameNodeTypeOptionsScene, GAME_SCENE_KINDS(GameNodeTypeOptionsScene),
     &createNode<GOptionsScene>},
    {L"GMiniCompletedScene", GameNodeTypeMiniCompletedScene,
     GAME_SCENE_KINDS(GameNodeTypeMiniCompletedScene), &createNode<GMiniCompletedScene>},
    {L"GMiniGameHiddenScene", GameNodeTypeMiniGameHiddenScene,
     MINI_GAME_KINDS(GameNodeTypeMiniGameHiddenScene), &createNode<GMiniGameHiddenScene>},
    {L"GMiniGameHidden2Scene", GameNodeTypeMiniGameHidden2Scene,
     MINI_GAME_KINDS(GameNodeTypeMiniGameHidden2Scene), &createNode<GMiniGameHidden2Scene>},
    {L"GMiniGameAuctionScene", GameNodeTypeMiniGameAuctionScene,
     MINI_GAME_KINDS(GameNodeTypeMiniGameAuctionScene), &createNode<GMiniGameAuctionScene>},
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
     NODE_KINDS(GameNodeTypeSpiralMovableNode), &createNode<GSpiralMovableNode>},
    {L"GBaloonNode", GameNodeTypeBaloonNode, NODE_KINDS(GameNodeTypeBaloonNode),
     &createNode<GBaloonNode>},
    {L"GPicEffectNode", GameNodeTypePicEffectNode, NODE_KINDS(GameNodeTypePicEffectNode),
     &createNode<GPicEffectNode>},
    {L"GShieldStarNode", GameNodeTypeShieldStarNode, NODE_KINDS(GameNodeTypeShieldStarNode),
     &createNode<GShieldStarNode>},
    {L"GShieldEffectNode", GameNodeTypeShieldEffectNode, NODE_KINDS(GameNodeTypeShieldEffectNode),
     &createNode<GShieldEffectNode>},
    {L"GLakeWaveNode", GameNodeTypeLakeWaveNode, NODE_KINDS(GameNodeTypeLakeWaveNode),
     &createNode<GLakeWaveNode>},
    {L"GBirdNode", GameNodeTypeBirdNode, PATH_MOVER_KINDS(GameNodeTypeBirdNode),
     &createNode<GBirdNode>},
    {L"GCircularBirdNode", GameNodeTypeCircularBirdNode, NODE_KINDS(GameNodeTypeCircularBirdNode),
     &createNode<GCircularBirdNode>},
    {L"GCarNode", GameNodeTypeCarNode, PATH_MOVER_KINDS(GameNodeTypeCarNode),
     &createNode<GCarNode>},
    {L"GPedestrianNode", GameNodeTypePedestrianNode, PATH_MOVER_KINDS(GameNodeTypePedestrianNode),
     &createNode<GPedestrianNode>},
    {L"GTextTrailNode", GameNodeTypeTextTrailNode, PATH_MOVER_KINDS(GameNodeTypeTextTrailNode),
     &createNode<GTextTrailNode>},
    {L"GFireworkNode", GameNodeTypeFireworkNode, NODE_KINDS(GameNodeTypeFireworkNode),
     &createNode<GFireworkNode>},
    {L"OnceSpawnerNode", GameNodeTypeOnceSpawnerNode, NODE_KINDS(GameNodeTypeOnceSpawnerNode),
     &createNode<OnceSpawnerNode>},
    {L"GHOHintParticlesNode", GameNodeTypeHOHintParticlesNode,
     NODE_KINDS(GameNodeTypeHOHintParticlesNode), &createNode<GHOHintParticlesNode>},
    {L"GWeatherParticlesNode", GameNodeTypeWeatherParticlesNode,
     NODE_KINDS(GameNodeTypeWeatherParticlesNode), &createNode<GWeatherParticlesNode>},
    {L"GSelectGridNode", GameNodeTypeSelectGridNode, NODE_KINDS(GameNodeTypeSelectGridNode),
     &createNode<GSelectGridNode>},
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
