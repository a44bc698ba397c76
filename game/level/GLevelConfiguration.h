#pragma once

#include "engine/core/OskelTypes.h"
#include "game/level/GLevelFactors.h"

namespace brasquel {

// The static description of one level, shared by the level scene, its lots, processes,
// objectives and requests. Only the factors change after reading: the level modifiers rewrite
// them at every economy recalculation.
class GLevelConfiguration : public virtual irr::IReferenceCounted {
public:
    GLevelConfiguration() = default;
    ~GLevelConfiguration() override = default;
    GLevelConfiguration(const GLevelConfiguration&) = delete;
    GLevelConfiguration& operator=(const GLevelConfiguration&) = delete;

    GLevelFactors Factors;
};

}  // namespace brasquel
