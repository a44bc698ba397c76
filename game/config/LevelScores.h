#pragma once

#include <map>

#include "engine/core/OskelTypes.h"
#include "game/config/IConfigurationTable.h"

namespace brasquel {

// The scores of one level.
struct SLevelScore {
    oskel::s32 Score = 0;
    oskel::s32 ExpertScore = 0;
    oskel::s32 Time = 360;  // seconds
};

// The level scores table of "levels/common/LevelScores.xml", keyed by level name.
class LevelScores : public virtual oskel::IReferenceCounted, public IConfigurationTable {
public:
    // Empties the table, then reads every "Level" element (attributes "Name", "Score",
    // "ExpertScore", "Time"; a missing number reads 0; a later element of the same name
    // overwrites) up to the end of "LevelScores" (true) or of the file (false).
    bool load(oskel::CXmlReader* reader);
    bool read(oskel::CXmlReader* reader) override { return load(reader); }

    // The entry of the name; a name the table lacks is added with Score 0, ExpertScore 0 and
    // Time 360 s.
    SLevelScore& get(const oskel::stringc& name);
    // The entry of the name, or none (nothing is added).
    const SLevelScore* find(const oskel::stringc& name) const;
    oskel::u32 size() const { return static_cast<oskel::u32>(m_scores.size()); }

private:
    std::map<oskel::stringc, SLevelScore> m_scores;
};

}  // namespace brasquel
