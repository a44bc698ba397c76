#pragma once

#include "engine/core/CRefPtr.h"
#include "game/minigames/GMiniGameScene.h"

namespace oskel {
class SpawnerNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

// The common part of the hidden-object games: the hint trail ("BgObjects" > "HintTrailNode"),
// the found stars ("BgObjects" > "FoundNode"), the hint paths, the time shown counting up
// ("TimeTarg") against MaxLevelTime ("TimeCurr"), the count ("ObjCount"), and the mouse, which
// reaches the game before the scene's controls.
class GHiddenObjectScene : public GMiniGameScene {
public:
    GHiddenObjectScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);
    ~GHiddenObjectScene() override;

    void onLoaded() override;
    // "HintPaths" names the file of the hint paths.
    void readCustomConfig(oskel::CXmlReader* reader) override;
    bool routeToChildren(oskel::u32 mode, oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;

    // A click at the point, and the cursor at it (window coordinates); true consumes the event.
    virtual bool onMouseDown(const oskel::vector2df& point) = 0;
    using GMiniGameScene::onMouseMove;
    virtual bool onMouseMove(const oskel::vector2df& point);

    GPathMovableNode* getHintTrail() const { return m_hintTrail; }
    oskel::SpawnerNode* getFoundNode() const { return m_foundNode; }
    GLevelPaths* getHintPaths() const { return m_hintPaths.get(); }

protected:
    void startVisit() override;
    // The trail's points for the item, its path walked the given number of times; none when
    // there is no trail, no path or a path of one point (no way to walk).
    GPathMovableNode::PathPoints hintTrailPoints(const oskel::BaseNode* item,
                                                 oskel::u32 repeats) const;
    // Sends the trail along the points at the velocity.
    void sendHintTrail(const GPathMovableNode::PathPoints& points, oskel::f32 velocity);

    GPathMovableNode* m_hintTrail = nullptr;
    oskel::SpawnerNode* m_foundNode = nullptr;
    oskel::TextNode* m_timeTarg = nullptr;
    oskel::TextNode* m_timeCurr = nullptr;
    oskel::TextNode* m_objCount = nullptr;
    oskel::CRefPtr<GLevelPaths> m_hintPaths;
};

}  // namespace brasquel
