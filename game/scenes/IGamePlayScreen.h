#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class BaseNode;
class SceneNode;
}  // namespace oskel

namespace brasquel {

// What the level-loading scene and the panels over the play screen ask of it. The play screen's
// class (node type GameNodeTypeGamePlayScene) implements it; a node of that type without it is
// no play screen.
class IGamePlayScreen {
public:
    virtual ~IGamePlayScreen() = default;

    // Prepares the play screen for the level: its configuration, paths and upgrades are read
    // from the folder (a path ending in "/", such as "levels/level2/") and the level scene is
    // attached and set up. False when the level's configuration cannot be found: the caller then
    // does not switch to the play screen.
    virtual bool loadLevel(const oskel::stringc& folder, oskel::SceneNode* level) = 0;

    // The level's music cue: whether it is playing, and start it (the objectives panel starts it
    // when it is not playing yet).
    virtual bool isLevelMusicPlaying() const = 0;
    virtual void playLevelMusic() = 0;

    // The play screen of the node: the node itself when it is of the play screen's type and
    // implements this; none otherwise.
    static IGamePlayScreen* of(oskel::BaseNode* node);
};

}  // namespace brasquel
