#pragma once

#include <map>
#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

namespace oskel {
class CXmlReader;
}

namespace brasquel {

// One point of a level path: its place and the sideways deviations (towards the left of the
// path's direction and towards its right) that walkers may wander off by.
struct SLevelPathPoint {
    oskel::f32 x = 0.0f;
    oskel::f32 y = 0.0f;
    oskel::f32 d1 = 0.0f;  // deviation low
    oskel::f32 d2 = 0.0f;  // deviation high
};

// A polyline along which vehicles and pedestrians move, read from a "Path" element.
class GLevelPath : public virtual oskel::IReferenceCounted {
public:
    GLevelPath() = default;
    ~GLevelPath() override = default;
    GLevelPath(const GLevelPath&) = delete;
    GLevelPath& operator=(const GLevelPath&) = delete;

    // Reads the "Path" element the reader stands on, its points included.
    void read(oskel::CXmlReader* reader);

    // The group name; -1 when absent or empty.
    oskel::s32 ID = -1;
    // In file order.
    std::vector<SLevelPathPoint> Points;
    // A range of milliseconds (minimum, maximum); 0, 0 when absent.
    oskel::s32 Time[2] = {0, 0};
    // The vehicle templates that may use the path.
    std::vector<oskel::CNameId> Cars;
    // The path may also be travelled from its last point to its first.
    bool BothWays = false;
};

// The paths of a level, of the main menu's street or of a mini-game ("LevelPaths.xml"): the car
// paths grouped by name and one list of pedestrian paths. The random choices never give the same
// path twice in a row when there is more than one to choose from.
class GLevelPaths : public virtual oskel::IReferenceCounted {
public:
    using PathList = std::vector<oskel::CRefPtr<GLevelPath>>;

    GLevelPaths() = default;
    ~GLevelPaths() override = default;
    GLevelPaths(const GLevelPaths&) = delete;
    GLevelPaths& operator=(const GLevelPaths&) = delete;

    // Drops every path, then reads up to the end of "LevelPaths" (true) or of the input (false).
    bool read(oskel::CXmlReader* reader);

    // A path of the group, or null when the group is missing or empty.
    GLevelPath* getRandomCarPath(oskel::s32 nameId);
    // A pedestrian path, or null when there is none.
    GLevelPath* getRandomPedestrianPath();
    // The group's paths in file order; empty when the name has no group.
    PathList getCarPaths(oskel::s32 nameId) const;

    const PathList& getPedestrianPaths() const { return m_pedestrianPaths; }
    oskel::u32 getCarGroupCount() const { return static_cast<oskel::u32>(m_carPaths.size()); }

    // The no-repeat choice among count entries after the entry last chosen (-1: none yet); the
    // entry chosen, which becomes the last one.
    static oskel::s32 chooseIndex(oskel::u32 count, oskel::s32& last);

private:
    struct SGroup {
        PathList paths;
        oskel::s32 last = -1;
    };

    void readCarPaths(oskel::CXmlReader* reader);
    void readPedestrianPaths(oskel::CXmlReader* reader);

    std::map<oskel::s32, SGroup> m_carPaths;
    PathList m_pedestrianPaths;
    oskel::s32 m_lastPedestrian = -1;
};

}  // namespace brasquel
