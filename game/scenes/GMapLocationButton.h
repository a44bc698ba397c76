#pragma once

#include "engine/nodes/ButtonNode.h"
#include "game/config/GNodeClass.h"

namespace oskel {
class SpriteNode;
}  // namespace oskel

namespace brasquel {

// The button of one location on the world map. It carries the name of the level played there
// and shows the location's condition with the parts of its template: a platform (grey while the
// location is closed, red while upgrades the level needs are missing, green for a mini-game,
// plain otherwise), a star for the rank earned there, a selector while it is selected and a
// looping "Wave" whose phase the map staggers from one location to the next.
class GMapLocationButton : public oskel::ButtonNode {
public:
    static constexpr const char* PlatformImage = "scenes/images/Map/Platform.png";
    static constexpr const char* GreyPlatformImage = "scenes/images/Map/Platform(Grey).png";
    static constexpr const char* RedPlatformImage = "scenes/images/Map/Platform(Red).png";
    static constexpr const char* GreenPlatformImage = "scenes/images/Map/Platform(Green).png";
    static constexpr const char* SilverStarImage = "scenes/images/Map/SilverStar.png";
    static constexpr const char* GoldStarImage = "scenes/images/Map/GoldStar.png";

    // The ranks a location can be completed with.
    enum ERank : oskel::s32 { RankNone = 0, RankGamer = 1, RankExpert = 2 };

    GMapLocationButton(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void applyTemplate() override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    // Enabled: the star shows and the platform is plain; disabled: no star, grey platform.
    void setEnabled(bool enabled) override;
    // For an enabled button: the plain platform when playable, the red one when not.
    void setPlayable(bool playable);
    // For an enabled button and a true flag: the green platform.
    void setMiniGameLocation(bool miniGame);
    // The gold star for an expert, the silver one for a gamer, no picture otherwise.
    void setRank(oskel::s32 rank);
    // The selector shows exactly while selected.
    void setSelected(bool selected);
    // Plays "Wave" on the star group, its first animation moved to phase x its length.
    void startWave(oskel::f32 phase);

    const oskel::stringc& getAssociatedLevelName() const { return m_levelName; }
    void setAssociatedLevelName(const oskel::stringc& name) { m_levelName = name; }

    oskel::BaseNode* getSelector() const { return m_selector; }
    oskel::BaseNode* getStarGroup() const { return m_starGroup; }
    oskel::SpriteNode* getStarSprite() const { return m_starSprite; }
    oskel::SpriteNode* getPlatformSprite() const { return m_platformSprite; }

private:
    void findParts();
    void showPicture(oskel::SpriteNode* sprite, const char* path);

    oskel::stringc m_levelName;
    // Parts of the template instance, held through the node tree.
    oskel::BaseNode* m_selector = nullptr;
    oskel::BaseNode* m_starGroup = nullptr;
    oskel::SpriteNode* m_starSprite = nullptr;
    oskel::SpriteNode* m_platformSprite = nullptr;
};

// The node as a map location button when it is a kind of one, else none.
GMapLocationButton* asMapLocationButton(oskel::BaseNode* node);

}  // namespace brasquel
