#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

class CSoundGroupManager;
class CTextDictionary;
class CTimerScheduler;
class ICursorControl;

// What a scene manager asks of the program it runs in: timer schedulers driven by the update
// steps for its scenes, the cursor, and the services its nodes use: the text dictionary (text
// nodes) and the sound groups (sound nodes). The host may go before the scene managers it served
// (at the program's end): it then makes no schedulers and has no cursor.
class ISceneHost : public virtual IReferenceCounted {
public:
    ~ISceneHost() override = default;

    // A new scheduler that the update steps drive from now on (the caller holds its creation
    // reference); none when the host is gone.
    [[nodiscard]] virtual CTimerScheduler* createDrivenScheduler() = 0;
    // The update steps no longer drive the scheduler.
    virtual void releaseDrivenScheduler(CTimerScheduler* scheduler) = 0;
    // The cursor over the window; none without a window or when the host is gone.
    virtual ICursorControl* getCursorControl() const = 0;
    // The dictionary text nodes translate their texts through; none when there is none.
    virtual CTextDictionary* getTextDictionary() const { return nullptr; }
    // The sound groups sound nodes play their cues through; none without sound.
    virtual CSoundGroupManager* getSoundGroupManager() const { return nullptr; }
};

}  // namespace oskel
