#pragma once

#include "game/minigames/GHiddenObjectScene.h"

namespace brasquel {

class GHOHintParticlesNode;

// The free hidden-object game: the children of "HitObjects" are found in any order; each found
// one bursts into stars and goes; the last find ends the game with the expert score. The hint
// button sends a trail along the path named after one remaining item, at most once every four
// seconds, and lights the item with the highlight ("BgObjects" > "HintHighlight") when there is
// one. The time only counts up; MaxLevelTime is shown as the target.
class GMiniGameHiddenScene : public GHiddenObjectScene {
public:
    static constexpr oskel::s32 HintPauseMs = 4000;
    static constexpr oskel::f32 HintTrailVelocity = 275.0f;

    GMiniGameHiddenScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                         oskel::SceneManager* manager = nullptr);
    ~GMiniGameHiddenScene() override;

    BRASQUEL_NODE_CLASS()
    void onLoaded() override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;

    // A click at the point (window coordinates); never consumes it.
    bool onMouseDown(const oskel::vector2df& point) override;

    oskel::BaseNode* getHitObjects() const { return m_hitObjects; }
    oskel::BaseNode* getHintedItem() const { return m_hintedItem; }
    oskel::s32 getHintTime() const { return m_hintTime; }
    GHOHintParticlesNode* getHintHighlight() const { return m_hintHighlight; }

private:
    void startVisit() override;
    void showCount();
    void giveHint();
    void lightHintedItem();
    void switchHighlightOff();

    oskel::BaseNode* m_hitObjects = nullptr;
    GHOHintParticlesNode* m_hintHighlight = nullptr;
    oskel::BaseNode* m_hintedItem = nullptr;
    oskel::s32 m_hintTime = 0;
};

}  // namespace brasquel
