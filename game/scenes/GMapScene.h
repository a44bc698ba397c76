#pragma once

#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "game/config/GNodeClass.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/scenes/GBaseSceneNode.h"

namespace oskel {
class ControlNode;
class CProfile;
}  // namespace oskel

namespace brasquel {

class GMapLocationButton;
class ITutorial;

// What the map knows of one location, rebuilt on every entry.
struct GMapLocationInfo {
    // The location is at most the highest completed one.
    bool Completed = false;
    // 0 none, 1 gamer (silver), 2 expert (gold).
    oskel::s32 Rank = 0;
    // Completed: the player's time; otherwise the level's target time (milliseconds).
    oskel::s32 Time = 0;
    // The upgrades the location's level requires, and whether each is bought. Held: the reload
    // key may read the upgrades table again while the map shows them.
    std::vector<oskel::CRefPtr<UpgradeRecord>> ObligatoryUpgrades;
    std::vector<bool> ObligatoryBought;
};

// The world map between levels: one location button per location of the campaign, in order.
// From the player's profile it works out which locations are open, completed and with which
// rank, and which upgrades a level needs before it can be played. Hovering a location shows its
// hint, pressing selects it (a location that cannot be played yet opens the shop), Play opens
// the level loading screen. It hosts the two map tutorials and two developer keys.
class GMapScene : public GBaseSceneNode {
public:
    static constexpr const char* ShopFile = "scenes/ShopScene.oscn";
    static constexpr const char* LoadingLevelFile = "scenes/LoadingLevelScene.oscn";
    static constexpr const char* Tutorial1File = "scenes/MapTutorial1.xml";
    static constexpr const char* Tutorial2File = "scenes/MapTutorial2.xml";
    static constexpr const char* ComicsFilePrefix = "scenes/ComicsScene";
    static constexpr const char* OwnedSignImage = "scenes/images/Map/O.png";
    static constexpr const char* MissingSignImage = "scenes/images/Map/N.png";
    static constexpr const char* IconFolder = "scenes/images/Map/Icons/";
    static constexpr const char* ExpertTimeKey = "Map_ExpertTime";
    static constexpr const char* RankExpertText = "%Map_RankExpert%";
    static constexpr const char* RankGamerText = "%Map_RankGamer%";
    // The number of level hint nodes ("LevelHint1Node" to "LevelHint6Node").
    static constexpr oskel::u32 HintCount = 6;
    // Every eighth location holds a mini-game.
    static constexpr oskel::u32 MiniGameEvery = 8;
    // The hint's depth in front of the map.
    static constexpr oskel::f32 HintDepth = 3000.0f;
    // The design screen the hints are placed on.
    static constexpr oskel::f32 ScreenWidth = 1024.0f;
    static constexpr oskel::f32 EdgeMargin = 100.0f;
    static constexpr oskel::f32 TopBand = 250.0f;
    // The developer keys: the comic keys '1' to '5' and the unlock key 'U'.
    static constexpr oskel::u32 KeyFirstComic = '1';
    static constexpr oskel::u32 KeyLastComic = '5';
    static constexpr oskel::u32 KeyUnlock = 'U';

    GMapScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
              oskel::SceneManager* manager = nullptr);
    ~GMapScene() override;

    BRASQUEL_NODE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onNodeHovered(oskel::CEvent* event) override;
    bool onNodeUnhovered(oskel::CEvent* event) override;
    bool onKeyDown(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // The location that regular level n (from 1) lies on: n - 1 + (n - 1) / 7.
    static oskel::s32 locationOfLevel(oskel::s32 level);
    // Whether the location holds a mini-game (7, 15, 23, 31).
    static bool isMiniGameLocation(oskel::u32 index);

    void buildLocationInfos();
    void refreshLocationButtons();
    // A location without missing obligatory upgrades; an index past the infos is playable.
    bool isLocationPlayable(oskel::u32 index) const;
    // Appends to the info of each location the upgrades of the table whose ObligatoryLevel lies
    // on it (in the table's order), each with whether its name is among the bought ones; an
    // ObligatoryLevel below 1 or past the last info ties an upgrade to none.
    static void placeObligatoryUpgrades(const UpgradesConfiguration* upgrades,
                                        const oskel::array<oskel::CNameId>& bought,
                                        std::vector<GMapLocationInfo>& infos);
    // Whether the map lets the location be played: every upgrade it requires is bought.
    static bool isPlayable(const GMapLocationInfo& info);
    // Shows the location's hint (none: hides every hint).
    void showLevelHint(GMapLocationButton* location);
    // Places the hint at the location's position with the arrow and pivot that suit it there.
    void placeLevelHint(oskel::BaseNode* hint, oskel::f32 x, oskel::f32 y);
    void showHintArrow(oskel::BaseNode* hint, const char* arrow);
    void removeTutorial();

    const std::vector<GMapLocationButton*>& getLocationButtons() const { return m_locations; }
    const std::vector<GMapLocationInfo>& getLocationInfos() const { return m_infos; }
    GMapLocationButton* getSelectedLocation() const { return m_selected; }
    oskel::ControlNode* getPlayButton() const { return m_playButton; }
    oskel::BaseNode* getLevelHint(oskel::u32 index) const { return m_hints[index]; }
    oskel::BaseNode* getSceneNode() const { return m_sceneNode; }
    ITutorial* getTutorial() const { return m_tutorial.get(); }
    const oskel::stringc& getTutorialFlagKey() const { return m_tutorialFlagKey; }

private:
    oskel::s32 indexOf(const GMapLocationButton* location) const;
    oskel::s32 rankOf(oskel::u32 index, const oskel::array<oskel::s32>& scores) const;
    void select(GMapLocationButton* location);
    void startTutorial(const oskel::CEvent* event);
    void openLoadingLevel(const oskel::stringc& levelName);
    void fillHint(oskel::BaseNode* hint, oskel::u32 index, GMapLocationButton* location);

    oskel::BaseNode* m_sceneNode = nullptr;
    std::vector<GMapLocationButton*> m_locations;
    GMapLocationButton* m_selected = nullptr;
    oskel::CRefPtr<ITutorial> m_tutorial;
    oskel::stringc m_tutorialFlagKey;
    // Whether the entry under way comes from a comic.
    bool m_enteredFromComic = false;
    oskel::ControlNode* m_playButton = nullptr;
    oskel::BaseNode* m_hints[HintCount] = {};
    std::vector<GMapLocationInfo> m_infos;
};

}  // namespace brasquel
