#include "game/level/IGameLevelInfo.h"

#include "engine/scene/BaseNode.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

IGameLevelInfo* IGameLevelInfo::of(oskel::BaseNode* node) {
    if (!node || !node->isKindOf(GameNodeTypeGameLevelScene)) return nullptr;
    return dynamic_cast<IGameLevelInfo*>(node);
}

}  // namespace brasquel
