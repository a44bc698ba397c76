#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "game/config/GNodeClass.h"
#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/IGamePlayScreen.h"

namespace oskel {
class BaseProgressBarNode;
class ButtonNode;
class CheckBoxNode;
class ControlNode;
class ListNode;
class TabSceneNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

class GBuildingConfig;
class GBuildingNode;
class GEllipseSectorNode;
class GGameLevelScene;
class GLevelOffer;
class ITutorial;
class GTutorialController;

// The play screen: the scene that lies over the level world while a level runs. It binds its HUD
// (money, income, rating, clock, goals, the action tabs) by name once its scene file is loaded,
// starts the level it is handed and runs it every frame, turns the player's presses and keys
// into calls on the level scene for the focused lot, and refreshes what it shows on the level's
// game events. Everything it shows is drawn by its child nodes.
class GGamePlayScene : public GBaseSceneNode, public IGamePlayScreen {
    OSKEL_DECLARE_EVENT_MAP()

public:
    // The play screen's frame-update period.
    static constexpr oskel::u32 UpdatePeriod = 20;
    // The actions the next frame carries out, left by the last scene change.
    enum EPendingAction : oskel::s32 {
        PendingNone = 0,
        PendingShowObjectives = 1,
        PendingStartTutorial = 2,
        PendingCheckLevelEnd = 3,
    };
    // The build lists (and their pages' tab indices).
    enum EBuildListKind : oskel::s32 {
        BuildListHotels = 0,
        BuildListFactories = 1,
        BuildListJoys = 2,
    };
    // The pages of the actions tab scene, by index.
    enum EActionsTab : oskel::s32 {
        TabHotels = 0,
        TabFactories = 1,
        TabJoys = 2,
        TabMaterials = 3,
        TabWorkers = 4,
        TabBuilding = 5,
        TabBuy = 6,
        TabStatus = 7,
        TabBuyRequest = 8,
        TabBuildingPlace = 9,
    };
    // The template of the window that shows the level's objective hints.
    static constexpr const char* HintWindowTemplate = "TutorialWindow";
    // The number of stars in a rating row.
    static constexpr oskel::u32 StarCount = 6;
    // The number of goal boxes on the status page.
    static constexpr oskel::u32 SummaryGoalCount = 4;

    GGamePlayScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                   oskel::SceneManager* manager = nullptr);
    ~GGamePlayScene() override;

    BRASQUEL_NODE_CLASS()
    void onLoaded() override;

    // ---- Level start, frame and flow ----
    bool loadLevel(const oskel::stringc& folder, oskel::SceneNode* level) override;
    bool isLevelMusicPlaying() const override;
    void playLevelMusic() override;
    bool onUpdate(oskel::u32 periodMs) override;
    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;
    bool onNodeUnfocused(oskel::CEvent* event) override;
    void stopTutorial();
    bool showLevelCompleted();

    // ---- Game events ----
    bool onDayEnded(oskel::CEvent* event);
    bool onBuildingBuilt(oskel::CEvent* event);
    bool onBuildingIncome(oskel::CEvent* event);
    bool onResourcesReturned(oskel::CEvent* event);
    bool onLevelChanged(oskel::CEvent* event);
    bool onBuildingSelected(oskel::CEvent* event);
    void playMoneyBurst(oskel::BaseNode* templ, GBuildingNode* building);

    // ---- Goals ----
    void initGoals();
    void layoutGoals(const std::vector<oskel::CheckBoxNode*>& boxes, bool withProgress);
    void refreshGoals();

    // ---- Build menus ----
    void refreshCategoryButtons();
    void refreshBuildList(oskel::s32 kind);

    // ---- Presses and building actions ----
    bool onNodePressed(oskel::CEvent* event) override;
    void showBuildPreview(GBuildingConfig* type, GBuildingNode* place);
    // Runs the selection handler for the building as if it had just been selected again.
    void reselectBuilding(GBuildingNode* building);

    // ---- Building action panels ----
    void refreshBuildingButtons(GBuildingNode* building, oskel::BaseNode* container);
    void refreshFeatureButtons(GBuildingNode* building, oskel::BaseNode* container);
    void refreshCustomServeButton(GBuildingNode* building, oskel::BaseNode* container);
    // Shows the control and enables it, or hides and disables it; nothing for none.
    static void setControlEnabled(oskel::ControlNode* control, bool on);
    // Draws the recharge fill over a feature button; a negative fraction removes it.
    static void setRechargeOverlay(oskel::ButtonNode* button, oskel::f32 fraction);

    // ---- HUD counters and status ----
    void refreshPanels();
    void refreshStatusTexts();
    void refreshRating();

    // ---- Lists ----
    bool onListItemPressed(oskel::CEvent* event) override;
    bool onListItemHovered(oskel::CEvent* event) override;
    void fillMaterialsList();
    void fillWorkersList();
    void fillHotelsBuildList();
    void fillJoysBuildList();
    void fillFactoriesBuildList();
    void refreshMaterialsTab();
    void refreshWorkersTab();
    void updateMaterialsHint(const GLevelOffer* offer, bool affordable);
    void updateWorkersHint(const GLevelOffer* offer, bool affordable);

    // ---- Selected-building tabs ----
    void refreshBuildingTab();
    void refreshBuyTab();
    void refreshBuyRequestTab();
    void refreshBuildingPlaceTab();

    // ---- What tests and the walks read ----
    GGameLevelScene* getLevelScene() const { return m_levelScene.get(); }
    oskel::s32 getPendingAction() const { return m_pendingAction; }
    bool isForcedEnd() const { return m_forcedEnd; }
    const std::vector<oskel::s32>& getAchievementQueue() const { return m_achievementQueue; }
    oskel::BaseNode* getHintWindow() const { return m_hintWindow.get(); }

protected:
    // ---- Bound HUD nodes (borrowed from the scene tree; null when missing) ----
    oskel::BaseNode* m_internalScene = nullptr;
    oskel::BaseNode* m_gameMenu = nullptr;
    oskel::TextNode* m_moneyText = nullptr;
    oskel::TextNode* m_incomeText = nullptr;
    oskel::BaseProgressBarNode* m_dayBar = nullptr;
    oskel::BaseNode* m_ratingNode = nullptr;
    oskel::TextNode* m_ratingText = nullptr;
    oskel::BaseProgressBarNode* m_ratingBar = nullptr;
    std::vector<oskel::BaseNode*> m_ratingStars;
    oskel::BaseNode* m_timeNode = nullptr;
    GEllipseSectorNode* m_timeSector = nullptr;
    oskel::TextNode* m_timeText = nullptr;
    oskel::TextNode* m_targetTimeText = nullptr;
    oskel::BaseNode* m_clockHand = nullptr;
    std::vector<oskel::CheckBoxNode*> m_goalBoxes;
    oskel::TabSceneNode* m_actionsTabScene = nullptr;
    oskel::BaseNode* m_tabs[10] = {};
    oskel::ListNode* m_hotelsBuildList = nullptr;
    oskel::ListNode* m_joysBuildList = nullptr;
    oskel::ListNode* m_factoriesBuildList = nullptr;
    oskel::BaseNode* m_materialsProgressNode = nullptr;
    oskel::BaseNode* m_materialsButtonsNode = nullptr;
    oskel::TextNode* m_materialsHintText = nullptr;
    oskel::BaseNode* m_workersProgressNode = nullptr;
    oskel::BaseNode* m_workersButtonsNode = nullptr;
    oskel::TextNode* m_workersHintText = nullptr;
    oskel::ControlNode* m_buildingProgressNode = nullptr;
    oskel::TextNode* m_buildingProgressHintText = nullptr;
    oskel::TextNode* m_buildingHintText = nullptr;
    std::vector<oskel::BaseNode*> m_summaryStars;
    std::vector<oskel::CheckBoxNode*> m_summaryGoalBoxes;
    oskel::TextNode* m_materialsAmountTabText = nullptr;
    oskel::TextNode* m_workersAmountTabText = nullptr;
    oskel::BaseNode* m_incomeGuestsInfoNode = nullptr;
    oskel::BaseNode* m_guestsInfoNode = nullptr;
    oskel::BaseNode* m_materialsWorkersTooltipNode = nullptr;
    oskel::BaseNode* m_workersInfoNode = nullptr;
    oskel::BaseNode* m_moneyInfoNode = nullptr;
    oskel::BaseNode* m_featureInfoNode = nullptr;

    // ---- Tooltips and previews ----
    oskel::stringw m_tooltipTitle;
    oskel::s32 m_tooltipAmounts[3] = {0, 0, 0};
    oskel::s32 m_describedFeature = -1;
    GBuildingNode* m_previewedPlace = nullptr;
    GBuildingConfig* m_previewedType = nullptr;

    // ---- Flow ----
    std::vector<oskel::s32> m_achievementQueue;
    bool m_forcedEnd = false;
    oskel::CRefPtr<GGameLevelScene> m_levelScene;
    oskel::CRefPtr<ITutorial> m_tutorial;
    oskel::CRefPtr<oskel::BaseNode> m_hintWindow;
    oskel::s32 m_hintCountdown = 0;
    std::vector<oskel::stringw> m_shownHints;
    bool m_objectivesShown = false;
    bool m_tutorialStarted = false;
    bool m_musicStarted = false;
    bool m_alarmOn = false;
    bool m_entered = false;
    oskel::s32 m_musicCue = -1;
    oskel::s32 m_pendingAction = PendingNone;

    // ---- Level start, frame and flow: private helpers (added by the flow's code) ----
    // The in-game menu's scene file.
    static constexpr const char* InGameMenuFile = "scenes/InGameMenuScene.oscn";
    // The scene time after which the level's music starts, and the time left at which the
    // clock's alarm sounds (milliseconds).
    static constexpr oskel::u32 MusicDelayMs = 2000;
    static constexpr oskel::s32 AlarmLeadMs = 15000;
    // How long the hint window shows a hint, and the pause after it closes (milliseconds).
    static constexpr oskel::s32 HintShowMs = 10000;
    static constexpr oskel::s32 HintPauseMs = 30000;
    // Levels up to this number never show the hint window.
    static constexpr oskel::s32 LastLevelWithoutHints = 2;
    // What the developer keys add, and the length of the weather they ask for.
    static constexpr oskel::f32 DeveloperMoneyStep = 100000.0f;
    static constexpr oskel::f32 DeveloperMaterialsStep = 1000.0f;
    static constexpr oskel::s32 DeveloperWeatherMs = 30000;
    // The achievement counters a newly built building counts toward.
    static constexpr oskel::u32 BuiltCounters[3] = {4, 5, 6};

    // The level's clock, alarms and day bar for the running level.
    void updateClock();
    // Shows, keeps or closes the hint window after the elapsed time.
    void updateHintWindow(oskel::u32 elapsedMs);
    // Carries out the pending action; true when there was one.
    bool runPendingAction();
    // The developer key's effect on the level; false for another key.
    bool runDeveloperKey(oskel::u32 key, bool shift);
    // The scene file loaded through the content manager, when it is of the node type; none
    // otherwise (the caller holds the one reference).
    oskel::CRefPtr<oskel::SceneNode> loadSceneOfType(const char* path, oskel::s32 typeId);
    // The level's timer scheduler switched on or off (none without a level).
    void setLevelClockEnabled(bool on);

    // ---- Panels: private helpers (added by the panels' code) ----
    // The press of a button that acts on the focused lot; false when the name is none of them.
    // The consumed flag is the button's own, also when there is no level or lot to act on.
    bool pressBuildingButton(oskel::s32 name, GBuildingNode* building, bool& consumed);
    void pressAbort(GBuildingNode* building);
    void pressCustomServe(GBuildingNode* building);
    // Opens a build menu's page and refreshes its entries.
    void openBuildList(oskel::s32 kind);
    void openObjectives();
    // The list of a build-list kind, or none.
    oskel::ListNode* getBuildList(oskel::s32 kind) const;
    // The kind of the build list, or -1 for another list.
    oskel::s32 getBuildListKind(const oskel::BaseNode* list) const;
    // The materials (false) or workers (true) offer list, or none.
    oskel::ListNode* getOfferList(bool workers) const;
    // A list notice about one of the screen's lists: the list (none for another list or
    // another node), the item, and whether the list is an offer list (and whose) or a build list.
    struct SPlayListNotice {
        oskel::ListNode* list = nullptr;
        oskel::s32 item = -1;
        bool offer = false;
        bool workers = false;
    };
    SPlayListNotice playListNotice(oskel::CEvent* event) const;
    void fillBuildList(oskel::s32 kind);
    void fillOfferList(bool workers);
    void refreshOfferTab(bool workers);
    void updateOfferHint(bool workers, const GLevelOffer* offer, bool affordable);
    void pressOffer(bool workers, oskel::ListNode* list, oskel::s32 item);
    void hoverBuildEntry(oskel::ListNode* list, oskel::s32 item);

    // ---- Level end, achievements and window focus (GGamePlayEnd.cpp) ----
public:
    // The level's completion notice ends the level (not forced); true. Any other event of the
    // notice's id is not taken.
    bool onLevelFinished(oskel::CEvent* event);
    // Ends the level once: stops its sounds, scores it, records the player's progress and the
    // level achievements, then shows the first queued achievement or the level-completed scene.
    // A forced end scores the plain score whatever the time. Later calls change nothing. True.
    bool completeLevel(bool forced);
    // Shows the pop-up of the first queued achievement; entries whose pop-up cannot be loaded
    // are dropped. True when a pop-up was switched to.
    bool showNextAchievement();
    // Feeds the level's money (rounded) to the money achievements, then shows the next queued
    // achievement; the result of that.
    bool checkMoneyAchievements();
    // Losing the window's activation pauses the level's sounds and, during play, opens the
    // in-game menu and draws a frame at once. Never taken.
    bool onWindowActivation(oskel::CEvent* event) override;
    bool isLevelCompleted() const { return m_levelCompleted; }
    // The level is ready to end but has not been ended: its notice was sent while it lay under
    // no play screen (its goals met as it was handed its configuration), so nobody heard it.
    bool owesLevelEnd() const;

protected:
    // The level has been completed (scored and recorded).
    bool m_levelCompleted = false;
    // A new level starts without an end.
    void resetLevelEnd();

    // ---- Info panel, tooltips, hints and hover (GGamePlayInfo.cpp, GGamePlayHints.cpp) ----
public:
    // The tint of a tooltip's value line that the level cannot cover, and of one it can.
    static constexpr oskel::u32 TooltipShortColor = 0xFFFF8888u;
    static constexpr oskel::u32 TooltipCoveredColor = 0xFFFFFFFFu;
    // Where the tooltips of hovered buttons and build entries stand (y, z).
    static constexpr oskel::f32 TooltipY = 632.0f;
    static constexpr oskel::f32 TooltipZ = 0.0f;
    // The x range of the income box over a hovered building, and its depth.
    static constexpr oskel::f32 IncomeInfoMinX = 38.0f;
    static constexpr oskel::f32 IncomeInfoMaxX = 846.0f;
    static constexpr oskel::f32 IncomeInfoZ = 100.0f;

    // Fills a "BuildingInfoNode" panel about the type on the lot; the flag picks the type's full
    // description over its short one.
    void fillBuildingInfo(oskel::BaseNode* panel, const GBuildingConfig* type, GBuildingNode* place,
                          bool fullDescription);
    // The income and guests box over a hovered building.
    void showBuildingIncomeInfo(const GBuildingConfig* type, GBuildingNode* place);
    // The floating cost, money and workers tooltips; the title may hold %key% markers.
    void showCostTooltip(const oskel::vector3df& position, const oskel::stringw& title,
                         oskel::s32 materials, oskel::s32 workers);
    void showMoneyTooltip(const oskel::vector3df& position, const oskel::stringw& title, bool check,
                          oskel::s32 amount);
    void showWorkersTooltip(const oskel::vector3df& position, const oskel::stringw& title,
                            oskel::s32 workers);
    // The feature pop-up with its text.
    void showFeatureInfo(const oskel::vector3df& position, const oskel::stringw& text);
    // The title and hint naming the lot's running work; both left alone when nothing runs
    // that has a name.
    void getProcessTexts(const GBuildingNode* place, oskel::stringw& title,
                         oskel::stringw& hint) const;

    // The hint lines of the pages, for the hovered control (none: the page's own hint).
    void updateBuildingPlaceHint(oskel::BaseNode* control);
    void updateBuildingTabHint(oskel::BaseNode* control);
    void updateBuyTabHint(oskel::BaseNode* control);
    void updateBuyRequestTabHint(oskel::BaseNode* control);
    // A build list page's hint, label and panel for the hovered type on the lot.
    void updateBuildTabHint(oskel::s32 kind, oskel::BaseNode* page, GBuildingConfig* type,
                            GBuildingNode* place);
    bool onNodeHovered(oskel::CEvent* event) override;
    bool onNodeUnhovered(oskel::CEvent* event) override;

    oskel::s32 getDescribedFeature() const { return m_describedFeature; }

protected:
    // The income box shown again for the previewed lot while it is visible, and the visible
    // tooltip shown again with what it showed, so its tints follow the level.
    void refreshIncomeInfo();
    void refreshTooltip();
    // The build pages' hints without a type or lot.
    void resetBuildTabHints(GBuildingNode* place);
    // The cost tooltip over a hovered build-list entry of the type.
    void showEntryCostTooltip(oskel::ListNode* list, oskel::s32 item, const GBuildingConfig* type);
    // The tooltips of a hovered button of the lot's pages; false for another name.
    bool showButtonTooltip(oskel::s32 name, oskel::BaseNode* control, GBuildingNode* place);

    // ---- Tutorial (added by the tutorial's code) ----
public:
    // The running tutorial as the play screen made it, or none.
    GTutorialController* getTutorialController() const;

protected:
    // The level folder's step file.
    static constexpr const char* TutorialFile = "Tutorial.xml";
    // Makes, loads and switches the tutorial as the player's settings ask, and puts it before
    // the handlers of the play screen, the level, the actions tab scene and every lot.
    void setUpTutorial(const oskel::stringc& folder);
    // The skip button's press: false for another control's name.
    bool pressSkipTutorial(oskel::s32 name);
};

}  // namespace brasquel
