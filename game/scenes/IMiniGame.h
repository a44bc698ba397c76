#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class BaseNode;
}  // namespace oskel

namespace brasquel {

// What the level-loading scene asks of a mini-game scene (node type GameNodeTypeMiniGameScene
// and the classes built on it); a node of that type without it is no mini-game.
class IMiniGame {
public:
    virtual ~IMiniGame() = default;

    // Reads the mini-game's configuration from the level folder (a path ending in "/"); false,
    // with a log line, when it is missing: the game then plays with its defaults.
    virtual bool loadConfiguration(const oskel::stringc& folder) = 0;

    // The mini-game of the node: the node itself when it is of a mini-game type and implements
    // this; none otherwise.
    static IMiniGame* of(oskel::BaseNode* node);
};

}  // namespace brasquel
