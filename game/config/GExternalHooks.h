#pragma once

#include "engine/core/OskelTypes.h"

namespace brasquel {

// Notifications for services outside the game (none in this system: they do nothing), and the
// game time they are told of.
class GExternalHooks : public virtual oskel::IReferenceCounted {
public:
    // The preloader has loaded everything.
    virtual bool onLoadingFinished() { return true; }
    // The application shuts down.
    virtual bool onShutdown() { return true; }
    // A level was completed: the level's name and the completion time in seconds as text.
    virtual void onLevelCompleted(const oskel::stringc& levelName, const oskel::stringc& seconds) {
        (void)levelName;
        (void)seconds;
    }

    // The game time in milliseconds: the application adds every update step.
    void addTime(oskel::u32 ms) { m_time += ms; }
    oskel::u32 getTime() const { return m_time; }

private:
    oskel::u32 m_time = 0;
};

}  // namespace brasquel
