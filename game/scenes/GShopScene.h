#pragma once

#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "game/config/GNodeTypeIds.h"
#include "game/scenes/GBaseSceneNode.h"

namespace oskel {
class TextNode;
}  // namespace oskel

namespace brasquel {

class GShopButton;
class ITutorial;
class UpgradeRecord;
class UpgradesConfiguration;

// The shop: sells the upgrades of the upgrades table for points. The points are never stored:
// the sum of the player's best scores minus the prices of every upgrade owned (bought, or free).
// Each upgrade has a shop button that shows whether it is on offer yet, affordable or bought;
// the upgrades owned of four groups count for the first four achievements, whose pop-up shows at
// once when a group is completed. The shop also hosts its two tutorials.
class GShopScene : public GBaseSceneNode {
public:
    static constexpr const char* ScoreKey = "Shop_ScoreTxt";
    static constexpr const char* CostKey = "Shop_Cost";
    static constexpr const char* Tutorial1File = "scenes/ShopTutorial1.xml";
    static constexpr const char* Tutorial2File = "scenes/ShopTutorial2.xml";
    // The progress (highest completed location) at which each tutorial is offered.
    static constexpr oskel::s32 Tutorial1Progress = 2;
    static constexpr oskel::s32 Tutorial2Progress = 7;
    // The developer key that gives every upgrade.
    static constexpr oskel::u32 AllUpgradesKey = 'U';
    // The achievements counted by the shop: one group of upgrade names each.
    static constexpr oskel::u32 GroupCount = 4;

    GShopScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
               oskel::SceneManager* manager = nullptr);
    ~GShopScene() override;

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override { return GameNodeTypeShopScene; }
    bool isKindOf(oskel::s32 typeId) const override {
        return typeId == GameNodeTypeShopScene || GBaseSceneNode::isKindOf(typeId);
    }
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onNodeHovered(oskel::CEvent* event) override;
    bool onNodeUnhovered(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // Recomputes the points, the buttons and the achievement groups from the active profile;
    // saves the achievements (and with them the profile) when a group count changed or when
    // asked to. Nothing without an active profile.
    void refresh(bool forceSave);
    // Marks the upgrades on offer at the player's current location.
    void updateHighlights();
    // Shows the hint of the button's upgrade beside it; none hides the hint.
    void showUpgradeHint(GShopButton* button);
    // The achievement pop-up over the shop.
    void showAchievementUnlocked(oskel::u32 index);
    // Takes the tutorial out of the input's way, stops and releases it.
    void removeTutorial();

    // The upgrades the active player owns: the bought ones in stored order, then the free ones
    // in the table's order, each name once. Empty without an active profile.
    std::vector<oskel::s32> getOwnedUpgrades() const;

    // Whether the upgrade is on offer at the location index (the highest completed location for
    // the buttons, the current one for the highlights): when at least Level - 1 regular levels
    // lie on the locations before it, every eighth location holding a mini-game. So with the
    // highest completed location, at least Level regular levels are done.
    static bool isOffered(const UpgradeRecord& upgrade, oskel::s32 location);
    // The upgrades owned with the bought names: those in their order, then every free upgrade
    // of the table in its order, each name once.
    static std::vector<oskel::s32> ownedUpgrades(const oskel::array<oskel::CNameId>& bought,
                                                 const UpgradesConfiguration* table);
    // The points to spend: the sum of the scores less the prices of the owned upgrades that the
    // table holds; below zero when the prices exceed the scores.
    static oskel::s32 pointsOf(const oskel::array<oskel::s32>& scores,
                               const std::vector<oskel::s32>& owned,
                               const UpgradesConfiguration* table);
    // The upgrade names of an achievement group, and the achievement that counts them.
    static const std::vector<oskel::s32>& groupNames(oskel::u32 group);
    static oskel::u32 groupAchievement(oskel::u32 group);

    oskel::s32 getMoney() const { return m_money; }
    oskel::BaseNode* getShopButtonsNode() const { return m_buttonsNode; }
    const std::vector<GShopButton*>& getShopButtons() const { return m_buttons; }
    oskel::TextNode* getScoreText() const { return m_scoreText; }
    oskel::BaseNode* getHintNode() const { return m_hintNode; }
    oskel::BaseNode* getHighlightTemplate() const { return m_highlightTemplate; }
    ITutorial* getTutorial() const { return m_tutorial.get(); }
    const oskel::stringc& getTutorialFlagKey() const { return m_tutorialFlagKey; }

private:
    struct SPair {
        GShopButton* first = nullptr;
        GShopButton* second = nullptr;
    };

    UpgradeRecord* findUpgrade(const GShopButton* button) const;
    void buy(GShopButton* button);
    void startTutorialOnEntry();
    void goBackOneScene();

    oskel::s32 m_money = 0;
    oskel::BaseNode* m_sceneNode = nullptr;
    oskel::BaseNode* m_buttonsNode = nullptr;
    std::vector<GShopButton*> m_buttons;  // children of the buttons node: held by the tree
    std::vector<SPair> m_pairs;
    oskel::TextNode* m_scoreText = nullptr;
    oskel::BaseNode* m_hintNode = nullptr;
    oskel::BaseNode* m_highlightTemplate = nullptr;
    oskel::CRefPtr<ITutorial> m_tutorial;
    oskel::stringc m_tutorialFlagKey;
};

}  // namespace brasquel
