#pragma once

#include <rect.h>

#include <map>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/scene/ControlNode.h"
#include "game/level/GBuildingProcess.h"

namespace oskel {
class SoundCue;
}

namespace brasquel {

class GBuildingConfig;
class GGameLevelScene;
class GLevelConfiguration;

// The timer state of one active feature of a lot.
struct GBuildingFeatureState {
    enum EState : oskel::s32 { Ready = 0, Active = 1, Recharging = 2 };
    oskel::s32 state = Ready;
    oskel::s32 remaining = 0;   // ms left of the active or recharging period
    oskel::s32 incomeTick = 0;  // ms to the next boosted-income payment
    bool boostsIncome = false;
};

// One building lot of a level: an empty building place, a building of some type and level, or
// a ruin to restore. It keeps a private copy of its type, its ownership, sale, offer and problem
// state, the running action and its features' timers, and it keeps its parts on the screen
// (stars, smile, icons, price tag, serve area, clocks) in step with that state. The level scene
// collects the lots of its "Buildings" node and links each to itself and the level's
// configuration when the level starts; until then the lot's update does nothing.
class GBuildingNode : public oskel::ControlNode, public oskel::IUpdateReceiver {
public:
    // The lot's update runs once per this many milliseconds of its scene's clock.
    static constexpr oskel::u32 UpdatePeriodMs = 50;
    // The icons of the feature charge: two sprites together this wide and high.
    static constexpr oskel::f32 FeatureIconWidth = 28.0f;
    static constexpr oskel::f32 FeatureIconHeight = 26.0f;
    // Highlight colours: serve areas that give a bonus, serve areas that give guests, and the
    // focus tint of the play screen.
    static constexpr oskel::u32 HighlightBonus = 0xFF000030u;
    static constexpr oskel::u32 HighlightGuests = 0xFF003000u;
    static constexpr oskel::u32 HighlightFocus = 0xFF202020u;

    using Rect = irr::core::rect<oskel::s32>;

    GBuildingNode(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                  oskel::SceneManager* manager = nullptr);
    ~GBuildingNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override {}
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    // A money letter under the lot that has disappeared is removed.
    bool onStateFinished(oskel::CEvent* event) override;
    bool onChildStateFinished(oskel::CEvent* event) override;

    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    void applyTemplate() override;
    void playPressState() override;
    void updateVisualState() override {}
    void onPressedChanged() override {}
    void onEnabledChanged() override {}
    void onHoveredChanged() override;
    void onFocusedChanged() override;
    // Pressed when enabled and hit, without taking the focus.
    bool onMouseLeftDown(oskel::CEvent* event) override;

    // The frame update: sale and feature timers and the two time counters.
    bool update(oskel::u32 elapsedMs) override;

    // ---- State and look ----
    void setOwned(bool owned);
    bool isOwnedByThePlayer() const { return m_owned; }
    // A new private copy of the type becomes the lot's type; with restore the problem and
    // feature states of the last snapshot come back. None is refused (logged).
    void setType(GBuildingConfig* type, bool restoreSnapshot);
    void saveStateSnapshot();
    void setProblemState(oskel::s32 state);
    oskel::s32 getProblemState() const { return m_problemState; }
    void resetSaleState();
    void setProcess(oskel::s32 kind, GBuildingProcess* process);
    // Lets go of the running action without redrawing the lot: for the level's teardown, when
    // the content the icons would look up may already be gone.
    void releaseProcess();
    oskel::s32 getProcessKind() const { return m_processKind; }
    GBuildingProcess* getProcess() const { return m_process; }
    void abortProcess();
    oskel::f32 getProcessProgress() const;
    bool isWorking() const;
    void showStars(oskel::s32 level, oskel::s32 hiddenStar);
    void showWorkersCount(oskel::s32 count);
    oskel::vector3df getStarPosition() const;
    void updateSmile();
    void updateFeatureIcons();
    void previewBuilding(GBuildingConfig* type);
    void setHighlightColor(oskel::u32 color);
    void playStateSound();
    void stopStateSound();
    oskel::CNameId getStateCue() const;
    // A focused lot tells its parents that it changed (a selection event naming it twice).
    void notifyChanged();

    // ---- Economy ----
    oskel::f32 getPrice(const GBuildingConfig* type = nullptr) const;
    oskel::s32 getOfferAmount() const;
    void setLevelConfiguration(GLevelConfiguration* configuration);
    GLevelConfiguration* getLevelConfiguration() const { return m_configuration.get(); }
    void setLuckinessType(oskel::s32 luckiness);
    oskel::s32 getLuckinessType() const { return m_luckiness; }
    void recalculateIncomeBonus();
    oskel::f32 getIncomeBonus() const { return m_incomeBonus; }
    const std::vector<GBuildingNode*>& getBonusGivers() const { return m_bonusGivers; }
    Rect getServeRect(const GBuildingConfig* type) const;
    Rect getOwnRect() const;
    std::vector<GBuildingNode*> collectServedBuildings(const GBuildingConfig* type) const;
    oskel::s32 countServedGuests(const GBuildingConfig* type) const;
    GBuildingNode* getServingBuilding(oskel::s32 typeName) const;
    void setServingBuilding(oskel::s32 typeName, GBuildingNode* lot);
    void claimService();
    oskel::f32 getIncome(const GBuildingConfig* type = nullptr) const;
    oskel::f32 getBoostIncome() const;
    oskel::stringw formatIncomeText(const GBuildingConfig* type = nullptr) const;
    void showServeArea(const GBuildingConfig* type);

    // ---- Sale and offers ----
    void setForSale(bool forSale);
    bool isForSale() const { return m_forSale; }
    void showBuyOffer(bool offer);
    bool hasBuyOffer() const { return m_hasOffer; }
    void restartBuyOfferTimer();
    void advanceOfferTimer(oskel::s32 ms);
    oskel::s32 getSaleTimerTotal() const { return m_saleTotal; }
    oskel::s32 getSaleTimerElapsed() const { return m_saleElapsed; }
    oskel::f32 getOfferPriceMultiplier() const { return m_offerMultiplier; }

    // ---- Features ----
    bool isFeatureUnlocked(oskel::s32 index) const;
    oskel::s32 getFeatureState(oskel::s32 index) const;
    oskel::f32 getFeatureProgress(oskel::s32 index) const;
    void startFeature(oskel::s32 index);
    void advanceFeatures(oskel::s32 ms);
    const std::vector<GBuildingFeatureState>& getFeatureStates() const { return m_features; }

    // ---- Links ----
    void setLevelScene(GGameLevelScene* scene) { m_levelScene = scene; }
    GGameLevelScene* getLevelScene() const { return m_levelScene; }
    GBuildingConfig* getCurrentType() const { return m_currentType.get(); }
    GBuildingConfig* getPreviousType() const { return m_previousType.get(); }
    oskel::s32 getMsSinceMoneyLetter() const { return m_msSinceMoneyLetter; }
    void setMsSinceMoneyLetter(oskel::s32 ms) { m_msSinceMoneyLetter = ms; }
    oskel::s32 getMsSinceMaintenance() const { return m_msSinceMaintenance; }
    void setMsSinceMaintenance(oskel::s32 ms) { m_msSinceMaintenance = ms; }

    // The parts (none when absent).
    oskel::BaseNode* getSmileIcon() const { return m_smileIcon.get(); }
    oskel::BaseNode* getForSaleNode() const { return m_forSaleNode.get(); }
    oskel::BaseNode* getPriceText() const { return m_priceText.get(); }
    oskel::BaseNode* getPhoneIcon() const { return m_phoneIcon.get(); }
    oskel::BaseNode* getProblemIcon() const { return m_problemIcon.get(); }
    oskel::BaseNode* getSelector() const { return m_selector.get(); }
    oskel::BaseNode* getServeAreaNode() const { return m_serveArea.get(); }
    oskel::BaseNode* getStarIcons() const { return m_starIcons.get(); }
    const std::vector<oskel::CRefPtr<oskel::BaseNode>>& getStars() const { return m_stars; }
    oskel::BaseNode* getWorkersText() const { return m_workersText.get(); }
    oskel::BaseNode* getFeatureIcon(oskel::s32 index) const;
    oskel::BaseNode* getMoneyBurst() const { return m_moneyBurst.get(); }
    oskel::SoundCue* getStateSound() const { return m_stateSound.get(); }

    // A countdown clock (face, sector, hand) showing the fraction: the sector's sweep and
    // colour, the hand's turn, and the alert once past three quarters.
    static void setCountdownClock(oskel::BaseNode* clock, oskel::f32 fraction);
    // A feature icon (an upper and a filled sprite) showing the charge.
    static void setFeatureIconCharge(oskel::BaseNode* icon, oskel::f32 fraction);

private:
    bool removeFinishedLetter(oskel::BaseNode* node, oskel::s32 state);
    oskel::BaseNode* makePart(const char* templateName, oskel::BaseNode* parent);
    void arrangeSmileAndWorkers();
    void postToLevel(oskel::CEvent* event);
    void setPriceText(oskel::s32 amount);
    void enterFeatureState(oskel::s32 index, bool stop);
    const GBuildingConfig* ownType(const GBuildingConfig* type) const;
    bool hasBoostedServeArea(const GBuildingConfig* type) const;
    oskel::f32 drawTime(const void* range) const;

    oskel::vector3df m_workersTextHome{0.0f, 0.0f, 0.0f};
    oskel::vector3df m_smileHome{0.0f, 0.0f, 0.0f};
    oskel::s32 m_processKind = BuildingProcessNone;
    GBuildingProcess* m_process = nullptr;
    oskel::CRefPtr<oskel::SoundCue> m_stateSound;
    std::vector<GBuildingFeatureState> m_features;
    std::vector<GBuildingFeatureState> m_savedFeatures;
    bool m_owned = false;
    bool m_forSale = false;
    bool m_hasOffer = false;
    oskel::f32 m_offerMultiplier = 1.0f;
    oskel::s32 m_saleTotal = 0;
    oskel::s32 m_saleElapsed = 0;
    oskel::s32 m_msSinceMoneyLetter = 5000;
    oskel::s32 m_msSinceMaintenance = 10000;
    oskel::s32 m_problemState = BuildingProblemNone;
    oskel::s32 m_savedProblemState = BuildingProblemNone;
    GGameLevelScene* m_levelScene = nullptr;
    oskel::CRefPtr<GLevelConfiguration> m_configuration;
    oskel::CRefPtr<GBuildingConfig> m_currentType;
    oskel::CRefPtr<GBuildingConfig> m_previousType;
    oskel::f32 m_incomeBonus = 0.0f;
    std::vector<GBuildingNode*> m_bonusGivers;
    std::map<oskel::s32, GBuildingNode*> m_servingBuildings;
    oskel::CRefPtr<oskel::BaseNode> m_starIcons;
    std::vector<oskel::CRefPtr<oskel::BaseNode>> m_stars;
    oskel::CRefPtr<oskel::BaseNode> m_smileIcon;
    oskel::CRefPtr<oskel::BaseNode> m_forSaleNode;
    oskel::CRefPtr<oskel::BaseNode> m_priceText;
    oskel::CRefPtr<oskel::BaseNode> m_phoneIcon;
    oskel::CRefPtr<oskel::BaseNode> m_problemIcon;
    oskel::CRefPtr<oskel::BaseNode> m_selector;
    oskel::CRefPtr<oskel::BaseNode> m_serveArea;
    oskel::CRefPtr<oskel::BaseNode> m_workersText;
    oskel::CRefPtr<oskel::BaseNode> m_feature1Icon;
    oskel::CRefPtr<oskel::BaseNode> m_feature2Icon;
    oskel::vector3df m_feature1Home{0.0f, 0.0f, 0.0f};
    oskel::vector3df m_feature2Home{0.0f, 0.0f, 0.0f};
    oskel::CRefPtr<oskel::BaseNode> m_moneyBurst;
    oskel::s32 m_luckiness = 0;
};

}  // namespace brasquel
