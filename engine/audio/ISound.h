#pragma once

#include <vector3d.h>

#include "engine/content/CResource.h"

namespace oskel {

using vector3df = irr::core::vector3df;

// States of a sound.
enum ESoundState : s32 { SoundStopped = 0, SoundPaused = 1, SoundPlaying = 2 };

// A playable sound; a resource of type 'isnd'.
class ISound : public CResource {
public:
    explicit ISound(const CCreationContext& context) : CResource(context) {}
    ~ISound() override = default;

    // A new sound on the same decoded data with the same volume, position and looping; the
    // caller holds its creation reference. None when it cannot be made.
    ISound* clone() const override = 0;
    u32 getTypeCode() const override { return TypeCodeSound; }

    virtual s32 getState() = 0;
    // Starts from the beginning; true when started.
    virtual bool play() = 0;
    virtual void stop() = 0;
    virtual void setPaused(bool paused) = 0;
    virtual f32 getVolume() const = 0;
    virtual void setVolume(f32 volume) = 0;
    virtual bool isLooping() const = 0;
    virtual void setLooping(bool looping) = 0;
    virtual void setPosition(const vector3df& position) = 0;
    virtual const vector3df& getPosition() const = 0;
    // Milliseconds played from the start (0 when not known).
    virtual u32 getPlayPosition() = 0;
    // Moving the play position: the OpenAL sounds cannot, and answer false.
    virtual bool setPlayPosition(u32 ms) {
        (void)ms;
        return false;
    }
    // Where a loop restarts, in milliseconds: the OpenAL sounds always restart at the start.
    virtual u32 getLoopStart() const { return 0; }
};

}  // namespace oskel
