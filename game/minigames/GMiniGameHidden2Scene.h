#pragma once

#include <map>
#include <vector>

#include "game/minigames/GHiddenObjectScene.h"

namespace oskel {
class SpriteNode;
}  // namespace oskel

namespace brasquel {

// The ordered hidden-object game: the items (the children of "HitObjects") are wanted one at a
// time in an order drawn when the scene is loaded; the preview shows the wanted one and only a
// click on it counts. Resting the cursor on the wanted item, or the hint button (four passes),
// sends a particle trail along the path named after it. The last find ends the game with the
// expert score.
class GMiniGameHidden2Scene : public GHiddenObjectScene {
public:
    static constexpr const char* PreviewFolder = "levels/minigame_hidden2/Preview/";
    static constexpr oskel::f32 DefaultTrailVelocity = 100.0f;
    static constexpr oskel::s32 DefaultTrailRate = 100;
    static constexpr oskel::u32 HintButtonPasses = 4;
    // The preview's pictures fill its bounds.
    static constexpr oskel::s32 PreviewStretch = 2;

    GMiniGameHidden2Scene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                          oskel::SceneManager* manager = nullptr);
    ~GMiniGameHidden2Scene() override;

    BRASQUEL_NODE_CLASS()
    void onLoaded() override;
    bool onNodePressed(oskel::CEvent* event) override;
    void readCustomConfig(oskel::CXmlReader* reader) override;
    bool onUpdate(oskel::u32 periodMs) override;

    // The cursor at the point, and a click at it (window coordinates); neither consumes.
    using GHiddenObjectScene::onMouseMove;
    bool onMouseMove(const oskel::vector2df& point) override;
    bool onMouseDown(const oskel::vector2df& point) override;
    // Shows the wanted item (or ends the game after the last one).
    void showNextItem();
    // The trail along the item's path, the given number of passes.
    void startHintTrail(oskel::BaseNode* item, oskel::u32 repeats);

    const std::vector<oskel::BaseNode*>& getItems() const { return m_items; }
    oskel::u32 getCurrentIndex() const { return m_currentIndex; }
    oskel::BaseNode* getWantedItem() const;
    bool isHovering() const { return m_hovering; }
    oskel::f32 getTrailVelocity() const { return m_trailVelocity; }
    oskel::s32 getTrailRate() const { return m_trailRate; }
    const std::map<oskel::s32, oskel::stringc>& getItemFiles() const { return m_itemFiles; }
    oskel::SpriteNode* getPreview() const { return m_preview; }

private:
    void startVisit() override;
    void readItemsToFind(oskel::CXmlReader* reader);
    bool trailIdle() const;
    bool hitsWanted(const oskel::vector2df& point) const;

    std::vector<oskel::BaseNode*> m_items;
    oskel::SpriteNode* m_preview = nullptr;
    oskel::u32 m_currentIndex = 0;
    bool m_hovering = false;
    oskel::f32 m_trailVelocity = DefaultTrailVelocity;
    oskel::s32 m_trailRate = DefaultTrailRate;
    std::map<oskel::s32, oskel::stringc> m_itemFiles;
};

}  // namespace brasquel
