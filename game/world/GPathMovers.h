#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "game/config/GNodeClass.h"
#include "game/level/GPathMovableNode.h"

namespace brasquel {

// What the level world's movers share: each drives itself. At its first draw it does its
// class's start-up and joins its scene's scheduler, then steps its walk in fixed steps; when the
// walk is over it leaves its parent (the scheduler then lets go of it, which destroys it and
// takes it out of any traffic it was listed by). A mover drawn where no scene drives it stays
// where it is.
class GWorldMover : public GPathMovableNode, public oskel::IUpdateReceiver {
public:
    GWorldMover(const oskel::CCreationContext& context, oskel::BaseNode* parent,
                oskel::SceneManager* manager, oskel::u32 periodMs);
    ~GWorldMover() override;

    void render(oskel::DrawList& list) override;
    // Whether the start-up has run and a scheduler drives the mover.
    bool isRunning() const { return getUpdateSource() != nullptr; }
    // Whether the mover has left its parent at the end of its walk.
    bool hasLeft() const { return m_left; }

protected:
    virtual void startUp() {}
    // Leaves the parent (kept alive while it does); false asks the scheduler to let go.
    bool leave();

private:
    bool m_left = false;
};

// A car of the level's roads: its owner (the neutral-car traffic, a once-spawner) starts it on
// a path; it leaves the scene at the end of the path unless its owner has cleared
// RemoveAtEnd, when it stays on its last point.
class GCarNode : public GWorldMover {
public:
    static constexpr oskel::u32 UpdatePeriod = 10;

    explicit GCarNode(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                      oskel::SceneManager* manager = nullptr);

    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    bool update(oskel::u32 elapsedMs) override;

    bool RemoveAtEnd = true;
};

// A bird crossing the sky from one edge of the screen to another, flapping every few seconds
// (its "Body" plays the direction state's "_Flap" state).
class GBirdNode : public GWorldMover {
public:
    static constexpr oskel::u32 UpdatePeriod = 30;
    // The screen's edges the birds come from and go to.
    static constexpr oskel::f32 RightEdge = 1024.0f;
    static constexpr oskel::f32 BottomEdge = 680.0f;
    static constexpr oskel::f32 LeftEdge = -20.0f;
    static constexpr oskel::f32 SideHeight = 660.0f;
    static constexpr oskel::f32 FlapMinMs = 4000.0f;
    static constexpr oskel::f32 FlapMaxMs = 6000.0f;

    explicit GBirdNode(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);
    ~GBirdNode() override;

    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void onLoaded() override;
    bool update(oskel::u32 elapsedMs) override;

    // A point on the edge of the number: 0 top, 1 right, 2 bottom, 3 left.
    static oskel::vector2df edgePoint(oskel::u32 edge);
    // The edge a point lies on (the inverse of edgePoint), -1 for none.
    static oskel::s32 edgeOf(const oskel::vector2df& point);

    oskel::BaseNode* getBody() const { return m_body.get(); }
    oskel::u32 getFlapCountdown() const { return m_flapCountdown; }
    void setFlapCountdown(oskel::u32 ms) { m_flapCountdown = ms; }

protected:
    void startUp() override;

private:
    oskel::u32 m_flapCountdown = 0;
    oskel::CRefPtr<oskel::BaseNode> m_body;
};

// A walker: it takes a random pedestrian path of its level (the level scene is its third
// ancestor), walks it in stretches of 10 to 30 seconds, stands 4 to 6 seconds between them
// turning to look around every 1 to 3 seconds, and leaves at the path's end.
class GPedestrianNode : public GWorldMover {
public:
    static constexpr oskel::u32 UpdatePeriod = 30;
    enum EPhase : oskel::s32 { PhaseIdle = 0, PhaseWalking = 1, PhaseStanding = 2 };
    static constexpr oskel::f32 MinVelocity = 10.0f;
    static constexpr oskel::f32 MaxVelocity = 20.0f;

    explicit GPedestrianNode(const oskel::CCreationContext& context,
                             oskel::BaseNode* parent = nullptr,
                             oskel::SceneManager* manager = nullptr);
    ~GPedestrianNode() override;

    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void onLoaded() override;
    bool update(oskel::u32 elapsedMs) override;

    // Time ranges in ms (x the lower end, y the upper).
    oskel::vector2df WalkTime{10000.0f, 30000.0f};
    oskel::vector2df StandTime{4000.0f, 6000.0f};
    oskel::vector2df LookTime{1000.0f, 3000.0f};

    oskel::BaseNode* getBody() const { return m_body.get(); }
    oskel::s32 getPhase() const { return m_phase; }
    oskel::s32 getPhaseCountdown() const { return m_phaseCountdown; }
    void setPhaseCountdown(oskel::s32 ms) { m_phaseCountdown = ms; }
    oskel::s32 getLookCountdown() const { return m_lookCountdown; }

protected:
    void startUp() override;

private:
    static oskel::s32 drawTime(const oskel::vector2df& range);

    oskel::CRefPtr<oskel::BaseNode> m_body;
    oskel::s32 m_phase = PhaseIdle;
    oskel::s32 m_phaseCountdown = 0;
    oskel::s32 m_lookCountdown = 0;
};

// A text gliding along a path (its "Text" child): "Start" when it first shows, "Die" at the
// path's end, gone two seconds later. It draws above the level's movers.
class GTextTrailNode : public GWorldMover {
public:
    static constexpr oskel::u32 UpdatePeriod = 10;
    static constexpr oskel::f32 TrailDepth = 3000.0f;
    static constexpr oskel::s32 DyingMs = 2000;
    static constexpr oskel::s32 Moving = -1;

    explicit GTextTrailNode(const oskel::CCreationContext& context,
                            oskel::BaseNode* parent = nullptr,
                            oskel::SceneManager* manager = nullptr);

    BRASQUEL_NODE_CLASS()
    bool update(oskel::u32 elapsedMs) override;
    // A trail never turns to its direction.
    void onMoveDirectionChanged(const oskel::vector2df&) override {}

    // Sets the text of the "Text" child when it is a text node.
    void setText(const oskel::stringw& text);
    oskel::s32 getEndCountdown() const { return m_endCountdown; }

protected:
    void startUp() override;

private:
    oskel::s32 m_endCountdown = Moving;
};

}  // namespace brasquel
