#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/BaseNode.h"

namespace brasquel {

class GLevelPath;
class GNeutralCarTraffic;

// A scene node that walks a polyline at a constant speed: the common base of the game's moving
// figures. It places itself on the path with its depth equal to its y (lower figures are drawn
// in front), enters a direction state for each segment ("Down", "RightUp", ...), the state
// "Start" when a walk begins and "Stop" when it ends, and tells its parent that the walk has
// ended (a child-state-finished event carrying the state id given to start).
//
// A node may be listed by a neutral-car traffic (the traffic's own cars and the buses of the
// building work): it holds the traffic and leaves its list when it is destroyed.
class GPathMovableNode : public oskel::BaseNode {
public:
    using PathPoints = std::vector<oskel::vector2df>;

    explicit GPathMovableNode(const oskel::CCreationContext& context,
                              oskel::BaseNode* parent = nullptr,
                              oskel::SceneManager* manager = nullptr);
    ~GPathMovableNode() override;

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override {}
    // The node part only: no path is copied.
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;

    // Begins a walk along the points (in the parent's coordinates): first to last, or last to
    // first when keepOrder is set (for callers that build their list backwards). A looping
    // walk goes straight back from the last point to the first and on again. The state id is
    // reported to the parent when the walk ends (-1: none). Fewer than two points are ignored.
    void start(const PathPoints& points, oskel::s32 stateId, bool keepOrder, bool loop);
    // Advances the walk by the elapsed milliseconds at Velocity; nothing before a start or after
    // the end. A looping walk whose points all coincide is stopped: it would never move.
    void update(oskel::u32 elapsedMs);
    // Ends a walk early where the node stands, without a report.
    void stop();

    // Moves the node into the list of another traffic (none: into no list); the flag marks a
    // priority car, which the neutral cars give way to.
    void setTrafficController(GNeutralCarTraffic* controller, bool isPriority);
    GNeutralCarTraffic* getTrafficController() const { return m_traffic.get(); }

    // Called with the vector of each new segment (its end minus its start); enters the
    // direction state of the vector when there is one.
    virtual void onMoveDirectionChanged(const oskel::vector2df& direction);

    // The direction state of a vector on the screen (y grows downwards): eight sectors around
    // the compass, "Right" from -15 to 15 degrees; -1 for an angle that comes out as 360.
    static oskel::s32 getDirectionStateId(const oskel::vector2df& direction);

    // Speed along the path in scene units per second; owners write it before or during a walk.
    oskel::f32 Velocity = 100.0f;

    // The points still to be visited: the node walks from the last towards the one before it.
    const PathPoints& getWorkingPoints() const { return m_working; }
    const PathPoints& getStoredPoints() const { return m_stored; }
    bool isLooping() const { return m_loop; }
    bool isWalking() const { return m_working.size() >= 2; }
    oskel::f32 getSegmentDistance() const { return m_distance; }
    oskel::s32 getReportedStateId() const { return m_reportedStateId; }
    // The direction state last chosen (-1: none).
    oskel::s32 getDirectionState() const { return m_directionState; }

protected:
    // Places the node at the point, its depth equal to its y.
    void placeAt(const oskel::vector2df& point);

private:
    void endWalk();

    oskel::CRefPtr<GNeutralCarTraffic> m_traffic;
    oskel::s32 m_reportedStateId = -1;
    PathPoints m_working;
    PathPoints m_stored;
    bool m_loop = false;
    oskel::f32 m_distance = 0.0f;
    oskel::s32 m_directionState = -1;
    // The length of one round of a looping walk, the way back from the last point included.
    oskel::f32 m_loopLength = 0.0f;
};

// The names of the direction states, interned once.
oskel::s32 getDownId();
oskel::s32 getUpId();
oskel::s32 getLeftId();
oskel::s32 getRightId();
oskel::s32 getLeftUpId();
oskel::s32 getLeftDownId();
oskel::s32 getRightUpId();
oskel::s32 getRightDownId();

// A point of a level path moved sideways at random: across the path's direction at the point,
// by an offset between minus its low deviation and its high deviation. A point without
// deviations, and an index beyond the path ((0, 0) then), comes back unchanged.
oskel::vector2df randomizePathPoint(const GLevelPath& path, oskel::u32 index);

}  // namespace brasquel
