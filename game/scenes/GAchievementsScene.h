#pragma once

#include "game/config/GNodeTypeIds.h"
#include "game/scenes/GBaseSceneNode.h"

namespace oskel {
class ListNode;
class SpriteNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

class GAchievementsProgress;

// The achievements screen: three tabs listing all twelve achievements, the earned ones and the
// ones still to earn (name, description, progress and icon each), and how many are earned. The
// lists are filled anew on every entry. The back button, Escape and Return go back.
class GAchievementsScene : public GBaseSceneNode {
public:
    GAchievementsScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override { return GameNodeTypeAchievementsScene; }
    bool isKindOf(oskel::s32 typeId) const override {
        return typeId == GameNodeTypeAchievementsScene || GBaseSceneNode::isKindOf(typeId);
    }
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    void fillAllList();
    void fillEarnedList();
    void fillToEarnList();

    // The progress of an achievement as shown: counter "/" threshold, digits grouped by ",";
    // the money achievements show each number as a sum of money.
    static oskel::stringw progressText(const GAchievementsProgress& progress, oskel::u32 index);

    oskel::ListNode* getAllList() const { return m_allList; }
    oskel::ListNode* getEarnedList() const { return m_earnedList; }
    oskel::ListNode* getToEarnList() const { return m_toEarnList; }
    oskel::TextNode* getEarnedText() const { return m_earnedText; }

private:
    void goBackOneScene();

    oskel::ListNode* m_allList = nullptr;
    oskel::ListNode* m_earnedList = nullptr;
    oskel::ListNode* m_toEarnList = nullptr;
    oskel::TextNode* m_earnedText = nullptr;
};

// The pop-up announcing one newly earned achievement: its icon, its name and what it was earned
// for. "OkButton", Escape and Return close it.
class GAchievementUnlockedScene : public GBaseSceneNode {
public:
    static constexpr const char* SceneFile = "scenes/AchievementUnlockedScene.oscn";

    GAchievementUnlockedScene(const oskel::CCreationContext& context,
                              oskel::BaseNode* parent = nullptr,
                              oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override { return GameNodeTypeAchievementUnlockedScene; }
    bool isKindOf(oskel::s32 typeId) const override {
        return typeId == GameNodeTypeAchievementUnlockedScene || GBaseSceneNode::isKindOf(typeId);
    }
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;

    // Shows the icon, name and earned description of the achievement.
    void setAchievement(oskel::u32 index);

    oskel::SpriteNode* getImage() const { return m_image; }
    oskel::TextNode* getNameText() const { return m_name; }
    oskel::TextNode* getDescriptionText() const { return m_description; }

    // Shows the pop-up over the current scene for the achievement, as the shop and the play
    // screen do: loads the scene file through the owner's content, fills it, plays
    // "AchievementUnlocked" and switches to it keeping the owner visible. False when the file
    // does not load as this class or the switch is refused.
    static bool show(oskel::SceneNode* owner, oskel::u32 index);

private:
    oskel::SpriteNode* m_image = nullptr;
    oskel::TextNode* m_name = nullptr;
    oskel::TextNode* m_description = nullptr;
};

}  // namespace brasquel
