#include "engine/scene/BaseNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/scenes/IGamePlayScreen.h"
#include "game/scenes/IMiniGame.h"

namespace brasquel {

IGamePlayScreen* IGamePlayScreen::of(oskel::BaseNode* node) {
    if (!node || !node->isKindOf(GameNodeTypeGamePlayScene)) return nullptr;
    return dynamic_cast<IGamePlayScreen*>(node);
}

IMiniGame* IMiniGame::of(oskel::BaseNode* node) {
    if (!node || !node->isKindOf(GameNodeTypeMiniGameScene)) return nullptr;
    return dynamic_cast<IMiniGame*>(node);
}

}  // namespace brasquel
