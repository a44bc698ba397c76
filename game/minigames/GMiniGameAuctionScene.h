#pragma once

#include <vector>

#include "game/minigames/GMiniGameScene.h"

namespace oskel {
class ControlNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

class GEllipseSectorNode;

// The auction: each turn shows three banknotes in the zones "Zone1" to "Zone3"; a pick of the
// highest scores and sends a flying "15" to the score, any other pick scores nothing; either way
// the next turn is dealt. A dial and a countdown show the time left; when MaxLevelTime has
// passed the game ends with the points collected.
class GMiniGameAuctionScene : public GMiniGameScene {
public:
    static constexpr oskel::s32 PointsPerTurn = 15;
    static constexpr const char* MoneyFolder = "levels/minigame_auction/Money/";
    static constexpr oskel::f32 FlyingTextVelocity = 300.0f;
    // Where the flying points end, in the scene's coordinates.
    static constexpr oskel::f32 ScoreTargetX = 860.0f;
    static constexpr oskel::f32 ScoreTargetY = 737.0f;
    static constexpr oskel::u32 ZoneCount = 3;

    // One step of the configured turn sequence.
    struct STurnStep {
        oskel::s32 M = 2;
        oskel::s32 D = 1;
    };

    GMiniGameAuctionScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                          oskel::SceneManager* manager = nullptr);
    ~GMiniGameAuctionScene() override;

    BRASQUEL_NODE_CLASS()
    void onLoaded() override;
    bool onNodePressed(oskel::CEvent* event) override;
    void readCustomConfig(oskel::CXmlReader* reader) override;
    bool onUpdate(oskel::u32 periodMs) override;

    // Deals the next turn's three values into the zones.
    void dealTurn();
    // Shows the banknote of the value in the zone's "Obj" sprite and its visual states.
    void showZoneValue(oskel::ControlNode* zone, oskel::s32 value);

    oskel::s32 getValue(oskel::u32 zone) const { return zone < ZoneCount ? m_values[zone] : 0; }
    oskel::s32 getCorrectValue() const { return m_correctValue; }
    oskel::s32 getTurnsDone() const { return m_turnsDone; }
    oskel::f32 getDialAngle() const { return m_dialAngle; }
    const std::vector<STurnStep>& getTurnSequence() const { return m_sequence; }
    oskel::ControlNode* getZone(oskel::u32 zone) const {
        return zone < ZoneCount ? m_zones[zone] : nullptr;
    }

private:
    void startVisit() override;
    void readSequence(oskel::CXmlReader* reader);
    void showTime();
    void showScore();
    void sendFlyingPoints();

    oskel::TextNode* m_timeLeft = nullptr;
    oskel::BaseNode* m_longArrow = nullptr;
    GEllipseSectorNode* m_ellipse = nullptr;
    oskel::TextNode* m_scoreText = nullptr;
    oskel::ControlNode* m_zones[ZoneCount] = {nullptr, nullptr, nullptr};
    oskel::s32 m_values[ZoneCount] = {0, 0, 0};
    oskel::s32 m_correctValue = 0;
    oskel::s32 m_turnsDone = 0;
    oskel::s32 m_pointsPerTurn = PointsPerTurn;
    oskel::f32 m_dialAngle = 0.0f;
    std::vector<STurnStep> m_sequence;
};

}  // namespace brasquel
