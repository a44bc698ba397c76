#pragma once

#include <rect.h>

#include <cstddef>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeClass.h"
#include "game/level/GGameEvents.h"
#include "game/level/IGameLevelInfo.h"

namespace oskel {
class CNodeFactory;
class TemplateCollectionNode;
}

namespace brasquel {

class GBuildingConfig;
class GBuildingNode;
class GBuildingProcess;
class GBuildingsConfiguration;
class GLevelConfiguration;
class GLevelOffer;
class GLevelPaths;
class GNeutralCarTraffic;
class GLevelPath;
class GLevelUpgrades;

// One entry of the history of the player's actions that objectives count.
struct GLevelHistoryRecord {
    oskel::s32 action;
    oskel::s32 buildingType;  // name id
    oskel::s32 lotName;       // name id
    oskel::u8 flag;
};

// The action codes of the history.
enum ELevelHistoryAction : oskel::s32 {
    LevelHistoryBuilt = 0,
    LevelHistoryDemolished = 1,
    LevelHistoryBought = 2,
    LevelHistorySold = 3,
    LevelHistoryRepaired = 4,
    LevelHistoryFeatureUsed = 5,
    LevelHistoryFeature1Used = 6,
    LevelHistoryFeature2Used = 7,
    LevelHistoryCleaned = 8,
};

// A money letter over a lot: the money it brings when pressed, how long it has shown and how
// long it waits (milliseconds), and the lot under it.
struct GMoneyLetter {
    oskel::CRefPtr<oskel::BaseNode> node;
    oskel::s32 amount = 0;
    oskel::s32 elapsed = 0;
    oskel::s32 waitTime = 0;
    GBuildingNode* lot = nullptr;
};

// The world of one level and its economy in one scene node: it finds the level's lots under its
// child "Buildings", holds the money, rating, stock, workers, deliveries, day and level time, the
// running building actions and the history, and answers the play screen's questions about
// them. The play screen hands it the buildings catalogue, the level configuration, the bought
// upgrades and the paths when a level loads, then clears the pause.
class GGameLevelScene : public oskel::SceneNode,
                        public oskel::IUpdateReceiver,
                        public IGameLevelInfo {
    OSKEL_DECLARE_EVENT_MAP()

public:
    // The level steps in whole periods of this many milliseconds.
    static constexpr oskel::u32 StepPeriodMs = 20;

    using Rect = irr::core::rect<oskel::s32>;

    GGameLevelScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                    oskel::SceneManager* manager = nullptr);
    ~GGameLevelScene() override;

    BRASQUEL_NODE_CLASS()
    // Collects the lots, the lots' area, the vehicle layer, and hides the pedestrians.
    void onLoaded() override;
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void focusDefaultObject() override {}

    // The level's step: time, running actions, letters, the day's end, the two deliveries and
    // the weather, in whole 20 ms steps. Nothing moves while paused or once the level has ended.
    bool update(oskel::u32 elapsedMs) override;

    // ---- Scene events ----
    // Entering: the step joins the scene's clock, the economy is recalculated, and on the first
    // entry the cloud shadows, the timed requests and the weather node start; later entries put
    // the requests still running back on the clock as they were. Leaving: the step stops.
    bool onSceneSwitchBegin(oskel::CEvent* event);
    bool onNodePressPreview(oskel::CEvent*) { return false; }
    // A press on a lot: collects its money letter, or else selects the lot. A press on the
    // level itself drops the selection.
    bool onNodePressed(oskel::CEvent* event);
    bool onNodeHovered(oskel::CEvent* event);
    bool onNodeUnhovered(oskel::CEvent*) { return false; }
    bool onNodeFocused(oskel::CEvent* event);
    bool onNodeUnfocused(oskel::CEvent*) { return false; }

    // ---- Game events ----
    bool onBuildingBuilt(oskel::CEvent* event);
    bool onBuildingRepaired(oskel::CEvent* event);
    bool onBuildingCleaned(oskel::CEvent* event);
    bool onCustomServeDone(oskel::CEvent* event);
    bool onBuildingProcessEnded(oskel::CEvent* event);
    bool onBuildingIncome(oskel::CEvent* event);
    bool onBuildingFeatureUsed(oskel::CEvent* event);
    bool onBuildingDestroyed(oskel::CEvent* event);
    bool onResourcesReturned(oskel::CEvent* event);
    bool onSellRequest(oskel::CEvent* event);
    bool onBrokenRequest(oskel::CEvent* event);
    bool onDirtyRequest(oskel::CEvent* event);
    bool onCafeRequest(oskel::CEvent*) { return true; }
    bool onLetterRequest(oskel::CEvent* event);
    bool onTutorialFlag(oskel::CEvent* event);
    bool onHasBuildingQuery(oskel::CEvent* event);
    bool onWeatherRequest(oskel::CEvent* event);

    // ---- Set-up ----
    void setBuildingsConfiguration(GBuildingsConfiguration* configuration);
    // Holds it; with one: the start values, every lot linked and given the type its template
    // names (a lot whose name is no type is skipped, logged), the timed requests started and the
    // objectives reset. None only lets the old one go.
    void setLevelConfiguration(GLevelConfiguration* configuration);
    // Holds what the bought upgrades give this level; the economy they change is recalculated
    // with the level's running.
    void setUpgradeEffects(GLevelUpgrades* upgrades);
    void setLevelPaths(GLevelPaths* paths);
    // The factory that makes the nodes the level adds by class name (the weather); none: the
    // engine's own.
    void setNodeFactory(oskel::CNodeFactory* factory) { m_nodeFactory = factory; }
    // Pauses or resumes the level and its timed requests.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }

    // ---- Purchases ----
    // Orders the offer's materials (or trains its workers) for its price times the level's
    // factor. Refused without an offer or configuration, when the money does not cover it, or
    // while a delivery of the same kind still runs.
    bool buyMaterials(const GLevelOffer* offer);
    bool trainWorkers(const GLevelOffer* offer);

    // ---- Operations on lots ----
    // Each answers whether it was carried out; none touches a lot whose construction,
    // demolition or maintenance runs.
    bool buildBuilding(GBuildingNode* lot, GBuildingConfig* type);
    bool upgradeBuilding(GBuildingNode* lot);
    bool destroyBuilding(GBuildingNode* lot);
    bool repairBuilding(GBuildingNode* lot);
    bool cleanBuilding(GBuildingNode* lot);
    bool restoreBuilding(GBuildingNode* lot);
    bool customServeBuilding(GBuildingNode* lot);
    bool activateFeature(GBuildingNode* lot, oskel::s32 featureIndex);
    bool buyBuilding(GBuildingNode* lot);
    bool acceptSellOffer(GBuildingNode* lot);

    // ---- Economy ----
    // Rebuilds the factors, incomes, guests and rating from the lots, tells the parents, checks
    // the completion and rebuilds the service lists. Needs the configuration.
    void recalculateEconomy();
    // Whether every objective holds and no lot blocks the end; sends the completion once.
    void checkCompletion();
    void rebuildServiceLists();
    // The first owned idle lot that provides the service, or none.
    GBuildingNode* findIdleServiceProvider(oskel::s32 service) const;
    // Lots waiting for a service no lot provides any more are let off.
    void clearOrphanServiceRequests();
    // Whether the lot is one the request names (an empty list names every one).
    static bool matchesRequest(const GBuildingNode* lot, const GEventRequest* request);

    // ---- Queries ----
    bool canAffordBuilding(const GBuildingConfig* type) const;
    bool canBuyBuilding(const GBuildingNode* lot) const;
    oskel::s32 getRatingLevel() const;
    GBuildingNode* getFocusedBuilding() const;
    oskel::s32 countBuildingsOfType(oskel::s32 typeName) const;
    bool isMaterialsDeliveryInProgress() const { return MaterialsDeliveryRemaining >= 0.0f; }
    bool isWorkersDeliveryInProgress() const { return WorkersDeliveryRemaining >= 0.0f; }
    // Every objective met and no hint left.
    bool isReadyToComplete() const { return Completed && CompletionHint.empty(); }
    // Whether the bought upgrades allow the feature of the building type (none without the
    // level's configuration and upgrades).
    bool isFeatureAllowed(oskel::s32 typeName, oskel::s32 featureIndex) const;

    // ---- Held objects ----
    GLevelConfiguration* getLevelConfiguration() const { return m_configuration.get(); }
    GBuildingsConfiguration* getBuildingsConfiguration() const { return m_buildings.get(); }
    GLevelPaths* getLevelPaths() const { return m_paths.get(); }
    // The level's passing cars, which the buses of the building work join (none without paths).
    GNeutralCarTraffic* getNeutralCarTraffic() const { return m_traffic.get(); }
    GLevelUpgrades* getUpgradeEffects() const { return m_upgrades.get(); }
    oskel::BaseNode* getBuildingsNode() const { return m_buildingsNode.get(); }
    oskel::BaseNode* getCargosNode() const { return m_cargosNode.get(); }
    const std::vector<oskel::CRefPtr<GBuildingNode>>& getBuildings() const { return m_lots; }
    const Rect& getLotsArea() const { return m_lotsArea; }
    const std::vector<oskel::CRefPtr<GBuildingProcess>>& getProcesses() const {
        return m_processes;
    }
    const std::vector<GLevelHistoryRecord>& getHistory() const { return m_history; }
    GBuildingNode* getSelectedBuilding() const { return m_selected; }
    GBuildingNode* getPreviousSelectedBuilding() const { return m_previousSelected; }
    const std::vector<GMoneyLetter>& getLetters() const { return m_letters; }
    const std::vector<oskel::s32>& getProvidedServices() const { return m_providedServices; }
    const std::vector<oskel::s32>& getIdleServices() const { return m_idleServices; }
    oskel::BaseNode* getWeatherNode() const { return m_weatherNode.get(); }
    oskel::s32 getWeatherTime() const { return m_weatherTime; }

    // ---- What the panels read ----
    bool hasLevelConfiguration() const override { return m_configuration.get() != nullptr; }
    oskel::stringw getLevelName() const override;
    oskel::stringw getLevelDescription() const override;
    oskel::s32 getLevelTimeLimit() const override;
    oskel::s32 getLevelScore() const override;
    oskel::s32 getLevelExpertScore() const override;
    oskel::s32 getLevelTime() const override { return static_cast<oskel::s32>(LevelTimeMs); }
    oskel::f32 getScoreGain() const override { return ScoreGain; }

    // ---- Public state ----
    bool Completed = false;
    oskel::stringc CompletionHint;  // a "%key%" for the play screen, or empty
    oskel::f32 LevelTimeMs = 0.0f;
    oskel::f32 DayTime = 0.0f;  // seconds since the last day end
    oskel::f32 Rating = 0.0f;
    oskel::f32 Money = 0.0f;
    oskel::f32 Income = 0.0f;       // of the working lots
    oskel::f32 TotalIncome = 0.0f;  // of every counted lot
    oskel::s32 Guests = 0;
    oskel::s32 TotalGuests = 0;
    oskel::f32 Materials = 0.0f;
    oskel::s32 Workers = 0;
    oskel::s32 WorkersTotal = 0;
    oskel::f32 MaterialsDeliveryTotal = 0.0f;
    oskel::f32 MaterialsDeliveryRemaining = -1.0f;
    oskel::f32 MaterialsOrdered = 0.0f;
    oskel::f32 WorkersDeliveryTotal = 0.0f;
    oskel::f32 WorkersDeliveryRemaining = -1.0f;
    oskel::s32 WorkersOrdered = 0;
    // What the player gained on the level's best score; the play screen writes it at the end.
    oskel::f32 ScoreGain = 0.0f;

private:
    // Sends one of the level's own events: to itself, then up through its parents.
    void send(oskel::CEvent* event);
    void sendLevelChanged();
    void addHistory(oskel::s32 action, const GBuildingConfig* type, const GBuildingNode* lot);
    GLevelPath* carPathOf(const GBuildingNode* lot) const;
    oskel::TemplateCollectionNode* templates() const;
    // Appends the running action and attaches it to the lot with the kind.
    void startProcess(GBuildingNode* lot, oskel::s32 kind, GBuildingProcess* process);
    // A lot the operations may act on: one of this level, without a construction, demolition
    // or maintenance under way.
    bool isFreeForOperation(const GBuildingNode* lot) const;
    bool startMaintenance(GBuildingNode* lot, oskel::s32 problem);
    void applyModifiers();
    void makeWeatherNode();
    void collectLetter(std::size_t index);
    GBuildingNode* drawLot(const std::vector<GBuildingNode*>& candidates) const;
    void unlinkLots();

    oskel::CRefPtr<oskel::BaseNode> m_buildingsNode;
    std::vector<oskel::CRefPtr<GBuildingNode>> m_lots;
    oskel::CRefPtr<oskel::BaseNode> m_cargosNode;
    oskel::CRefPtr<GLevelConfiguration> m_configuration;
    oskel::CRefPtr<GBuildingsConfiguration> m_buildings;
    oskel::CRefPtr<GLevelUpgrades> m_upgrades;
    oskel::CRefPtr<GLevelPaths> m_paths;
    oskel::CRefPtr<GNeutralCarTraffic> m_traffic;
    Rect m_lotsArea{0, 0, 1024, 768};
    GBuildingNode* m_selected = nullptr;
    GBuildingNode* m_previousSelected = nullptr;
    bool m_paused = false;
    std::vector<oskel::CRefPtr<GBuildingProcess>> m_processes;
    std::vector<GLevelHistoryRecord> m_history;
    std::vector<oskel::s32> m_providedServices;
    std::vector<oskel::s32> m_idleServices;
    std::vector<GMoneyLetter> m_letters;
    oskel::CRefPtr<oskel::BaseNode> m_weatherNode;
    oskel::CNodeFactory* m_nodeFactory = nullptr;
    oskel::s32 m_weatherTime = 0;
    // The first entry started the level's running (cloud shadows, requests, weather).
    bool m_started = false;
};

}  // namespace brasquel
