#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "game/level/GPathMovableNode.h"

namespace brasquel {

class GLevelPath;
class GMainMenuScene;

// What the main menu's street figures share: each starts by itself the first time it is drawn
// inside the main menu (it finds the menu a fixed number of parent links up and takes a path of
// its group from the menu's paths), then follows it on its scene's scheduler, adjusting its look
// to its place on the screen, and leaves the scene when its path has ended.
class GMainMenuMover : public GPathMovableNode, public oskel::IUpdateReceiver {
public:
    static constexpr oskel::u32 UpdatePeriod = 30;
    // The writer's default range: a range of both 15 is not written.
    static constexpr oskel::f32 UnwrittenRange = 15.0f;

    GMainMenuMover(const oskel::CCreationContext& context, oskel::BaseNode* parent,
                   oskel::SceneManager* manager, const oskel::vector2df& velocityRange);
    ~GMainMenuMover() override;

    void render(oskel::DrawList& list) override;
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    // One step of the walk; false once the mover has left its scene (the scheduler lets go).
    bool update(oskel::u32 elapsedMs) override;

    const oskel::vector2df& getInitialVelocityRange() const { return m_velocityRange; }
    void setInitialVelocityRange(const oskel::vector2df& range) { m_velocityRange = range; }
    oskel::f32 getBaseVelocity() const { return m_baseVelocity; }
    // The first draw's start: a path of the group, the speed, the spread and the scheduler.
    void startStep();
    // The main menu the mover belongs to: the ancestor at the class's depth, when it is one.
    GMainMenuScene* findMenu() const;

    // Every spread counter back to zero (tests only: the counters live for the whole run).
    static void resetSpreadCounters();

protected:
    // How many parent links up the main menu is.
    virtual oskel::u32 menuDepth() const = 0;
    // A path of the mover's group, or none.
    virtual GLevelPath* choosePath(GMainMenuScene* menu) const = 0;
    // Cars and pedestrians may take a both-ways path backwards.
    virtual bool mayReverse() const { return false; }
    virtual bool loops() const { return false; }
    // The speed before the walk begins (the base velocity is drawn by then).
    virtual void setStartVelocity() {}
    // Spreads the fresh walk along its path by a random time, when the class still may.
    virtual void spread() = 0;
    // Runs once after the start for cars and pedestrians.
    virtual void afterStart() {}
    // The look of the mover at its place, every update while the path goes on.
    virtual void lookUpdate() {}
    // Cars are drawn once their start has placed them; the others before it.
    virtual bool drawsAfterStart() const { return false; }
    // The figure's picture node, whose states stop when the mover leaves.
    virtual oskel::BaseNode* body() const { return nullptr; }

    // The random time of the class's range, walked at once.
    void spreadBy(oskel::s32 minMs, oskel::s32 maxMs);
    oskel::f32 verticalPosition() const { return getPosition().Y; }

    oskel::vector2df m_velocityRange;
    oskel::f32 m_baseVelocity = 0.0f;
    static oskel::u32 s_carsSpread;
    static oskel::u32 s_cloudsSpread;
    static oskel::u32 s_pedestriansSpread;
};

// A bike circling the square for ever, leaning into its turns through 24 direction pictures.
class GMainMenuBikeNode : public GMainMenuMover {
public:
    explicit GMainMenuBikeNode(const oskel::CCreationContext& context,
                               oskel::BaseNode* parent = nullptr,
                               oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;
    void onMoveDirectionChanged(const oskel::vector2df& direction) override;

    oskel::f32 getSpeedFactor() const { return m_speedFactor; }
    const oskel::vector2df& getTargetDirection() const { return m_target; }
    const oskel::vector2df& getShownDirection() const { return m_shown; }

    // The fine direction state of a vector on the screen, in 24 sectors (-1: none).
    static oskel::s32 directionStateId(const oskel::vector2df& direction);

protected:
    oskel::u32 menuDepth() const override { return 4; }
    GLevelPath* choosePath(GMainMenuScene* menu) const override;
    bool loops() const override { return true; }
    void setStartVelocity() override { Velocity = m_baseVelocity; }
    void spread() override { spreadBy(1000, 5000); }
    void lookUpdate() override;
    oskel::BaseNode* body() const override { return m_body.get(); }

private:
    oskel::f32 m_speedFactor = 1.0f;
    oskel::vector2df m_target{0.0f, 0.0f};
    oskel::vector2df m_shown{0.0f, 0.0f};
    oskel::CRefPtr<oskel::BaseNode> m_body;
};

// A car driving down the street towards the viewer or up it away, shrinking with distance; it
// sounds when it comes close or drives off.
class GMainMenuCarNode : public GMainMenuMover {
public:
    explicit GMainMenuCarNode(const oskel::CCreationContext& context,
                              oskel::BaseNode* parent = nullptr,
                              oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;
    void onMoveDirectionChanged(const oskel::vector2df& direction) override;

    // "Down" or "Up" (-1 before the first segment).
    oskel::s32 getCarDirection() const { return m_direction; }
    // The name of the state last entered by the look ("Down3"), or -1.
    oskel::s32 getLookState() const { return m_lookState; }
    bool hasPlayedArrivalCue() const { return m_arrivalCuePlayed; }
    // The size step of a scale: 6 far away, 1 close up.
    static oskel::s32 sizeStep(oskel::f32 scale);

protected:
    oskel::u32 menuDepth() const override { return 5; }
    GLevelPath* choosePath(GMainMenuScene* menu) const override;
    bool mayReverse() const override { return true; }
    void spread() override;
    void afterStart() override { lookUpdate(); }
    void lookUpdate() override;
    bool drawsAfterStart() const override { return true; }
    oskel::BaseNode* body() const override { return m_body.get(); }

private:
    oskel::s32 m_direction = -1;
    oskel::s32 m_lookState = -1;
    bool m_arrivalCuePlayed = false;
    oskel::CRefPtr<oskel::BaseNode> m_body;
};

// A cloud drifting across the sky, faster the lower it is.
class GMainMenuCloudNode : public GMainMenuMover {
public:
    explicit GMainMenuCloudNode(const oskel::CCreationContext& context,
                                oskel::BaseNode* parent = nullptr,
                                oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onMoveDirectionChanged(const oskel::vector2df&) override {}

protected:
    oskel::u32 menuDepth() const override { return 5; }
    GLevelPath* choosePath(GMainMenuScene* menu) const override;
    void setStartVelocity() override;
    void spread() override;
};

// A walker on the pavement, walking down or up.
class GMainMenuPedestrianNode : public GMainMenuMover {
public:
    explicit GMainMenuPedestrianNode(const oskel::CCreationContext& context,
                                     oskel::BaseNode* parent = nullptr,
                                     oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;
    void onMoveDirectionChanged(const oskel::vector2df& direction) override;

protected:
    oskel::u32 menuDepth() const override { return 5; }
    GLevelPath* choosePath(GMainMenuScene* menu) const override;
    bool mayReverse() const override { return true; }
    void setStartVelocity() override { Velocity = WalkingVelocity; }
    void spread() override;
    void afterStart() override { lookUpdate(); }
    void lookUpdate() override;
    oskel::BaseNode* body() const override { return m_body.get(); }

private:
    static constexpr oskel::f32 WalkingVelocity = 3.0f;
    oskel::CRefPtr<oskel::BaseNode> m_body;
};

}  // namespace brasquel
