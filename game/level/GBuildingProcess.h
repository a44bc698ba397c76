#pragma once

#include "engine/core/OskelTypes.h"

namespace brasquel {

// What a lot asks of the timed action that runs on it (a construction, a repair, a demolition,
// a feature...): how far it has come and to give up. The level scene owns the running actions;
// the lot only points at its own.
class GBuildingProcess : public virtual oskel::IReferenceCounted {
public:
    ~GBuildingProcess() override = default;
    // From 0 at the start to 1 at the end.
    virtual oskel::f32 getProgress() const = 0;
    // Ends the action early, undoing what it had not finished.
    virtual void abort() = 0;
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
