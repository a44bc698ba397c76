#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class BaseNode;
}  // namespace oskel

namespace brasquel {

// What the panels over a level (objectives, results) read of it. The level scene (node type
// GameNodeTypeGameLevelScene) implements it; a node without it is no level.
class IGameLevelInfo {
public:
    virtual ~IGameLevelInfo() = default;

    // Whether the level has its configuration; without it the values below are the defaults
    // (empty texts, 0) and the panels show no level.
    virtual bool hasLevelConfiguration() const = 0;
    // The configuration's Name and Description (dictionary references such as "%Level1_Name%").
    virtual oskel::stringw getLevelName() const = 0;
    virtual oskel::stringw getLevelDescription() const = 0;
    // The configuration's LevelTime (the time limit in seconds; 0 or less: no clock), Score and
    // ExpertScore (the scores of the two ranks).
    virtual oskel::s32 getLevelTimeLimit() const = 0;
    virtual oskel::s32 getLevelScore() const = 0;
    virtual oskel::s32 getLevelExpertScore() const = 0;
    // The time played in the level so far, in milliseconds.
    virtual oskel::s32 getLevelTime() const = 0;
    // The score this play of the level gains over the player's previous best (at least 0).
    virtual oskel::f32 getScoreGain() const = 0;

    // The level of the node: the node itself when it implements this; none otherwise.
    static IGameLevelInfo* of(oskel::BaseNode* node);
};

}  // namespace brasquel
