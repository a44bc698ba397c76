#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/core/event/CEventReceiver.h"

namespace oskel {
class BaseNode;
class BaseProgressBarNode;
class CEvent;
class CSoundGroupManager;
class TemplateCollectionNode;
}  // namespace oskel

namespace brasquel {

class GBuildingNode;
class GGameLevelScene;
class GLevelPath;
class GNeutralCarTraffic;
class GPathMovableNode;

// A timed action that runs on a lot (a construction, a repair, a demolition, a feature...) or
// over the whole world (the cloud shadows). The level scene owns the running actions and steps
// them; the lot only points at its own. Actions listen to the state notices of the nodes they
// animate and tell the level what came of them by game events.
class GBuildingProcess : public oskel::CEventReceiver {
public:
    GBuildingProcess();
    ~GBuildingProcess() override = default;
    // From 0 at the start to 1 at the end.
    virtual oskel::f32 getProgress() const = 0;
    // Advances the action by the level's elapsed milliseconds; false once it has ended.
    virtual bool update(oskel::u32 elapsedMs) = 0;
    // Ends the action early, undoing what it had not finished. The base does nothing.
    virtual void abort() {}

    // Bus speeds along a car path, in units per second.
    static constexpr oskel::f32 WorkersBusSpeed = 140.0f;
    static constexpr oskel::f32 ServiceBusSpeed = 180.0f;

    // ---- Helpers of the actions ----
    // The template of the name, when there is one of the kind (any kind for -1).
    static oskel::BaseNode* findTemplate(oskel::TemplateCollectionNode* templates, const char* name,
                                         oskel::s32 typeId = -1);
    // A visible clone of the template under the parent, held by the caller too.
    static oskel::CRefPtr<oskel::BaseNode> cloneInto(oskel::BaseNode* source,
                                                     oskel::BaseNode* parent, bool visible);
    // Takes the node off its parent when it still hangs there, and forgets it.
    static void detach(oskel::CRefPtr<oskel::BaseNode>& node, oskel::BaseNode* parent);
    // Offers the event to the level scene, then to its parents.
    static void postToLevel(GGameLevelScene* level, oskel::CEvent* event);
    static oskel::CSoundGroupManager* soundGroups();
    static oskel::s32 nameId(const char* name);
    static bool hasName(const oskel::CEvent* event, const char* name);
    // Whether the path has a segment to drive.
    static bool isUsable(const GLevelPath* path);
    // Starts a bus clone along the path towards its end ("MovingTo" reported there). The bus
    // joins the traffic, when one is given, as a car the others give way to.
    static oskel::CRefPtr<oskel::BaseNode> startBus(oskel::TemplateCollectionNode* templates,
                                                    oskel::BaseNode* world, const GLevelPath* path,
                                                    oskel::f32 speed,
                                                    GNeutralCarTraffic* traffic = nullptr);
    // The level's traffic, or none.
    static GNeutralCarTraffic* trafficOf(const GGameLevelScene* level);
    // The progress bar over a building: a visible clone of "ProgressBarOverBuilding" under the
    // lot, 0 to 1 and empty; none without the template.
    static oskel::CRefPtr<oskel::BaseProgressBarNode> makeBarOver(
        oskel::TemplateCollectionNode* templates, oskel::BaseNode* lot);
    static void dropBar(oskel::CRefPtr<oskel::BaseProgressBarNode>& bar, oskel::BaseNode* lot);
    // The level's speed factor of the work clocks (1 without a configuration).
    static oskel::f32 buildTimeFactor(const GGameLevelScene* level);
};

// The kinds of action running on a lot.
enum EBuildingProcessKind : oskel::s32 {
    BuildingProcessNone = 0,
    BuildingProcessConstruction = 1,  // building or upgrading
    BuildingProcessDemolition = 2,
    BuildingProcessMaintenance = 3,  // repair, cleaning, restoring, custom service
    BuildingProcessTimedService = 4,
    BuildingProcessFeature = 5,
};

// The problem states of a lot.
enum EBuildingProblem : oskel::s32 {
    BuildingProblemNone = 0,
    BuildingProblemBroken = 1,
    BuildingProblemDirty = 2,
    BuildingProblemRuin = 3,
    BuildingProblemServiceA = 4,  // wants the custom service of the same number
    BuildingProblemServiceB = 5,
};

}  // namespace brasquel
