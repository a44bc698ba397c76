#pragma once

#include <map>

#include "engine/audio/IAudioDriver.h"
#include "engine/audio/SoundCue.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/event/CEventReceiver.h"

namespace oskel {

enum ESoundEventTypeId : u32 {
    EventSoundFinished = 79,
};

// A playing cue instance has ended; carries the instance (counted).
class CEventSoundFinished : public CEventSound {
    OSKEL_EVENT_TYPE(CEventSoundFinished, CEventSound, EventSoundFinished)
public:
    explicit CEventSoundFinished(SoundCue* instance) : m_instance(instance) {}
    SoundCue* getInstance() const { return m_instance.get(); }

private:
    CRefPtr<SoundCue> m_instance;
};

// The settings of one sound group.
struct SSoundGroupSettings {
    // When the group is full: 0 refuses the new instance; 1 fades out the oldest active one and
    // admits the new one; any other value admits it beyond the limit.
    s32 policy = 0;
    s32 fadeOutMs = 0;
    s32 fadeInMs = 0;
    // Limit on active instances; 0 = no limit.
    s32 maxInstances = 0;
    // Group volume factor; 0 also refuses every new instance.
    f32 volume = 1.0f;
    // New instances of the group start paused.
    bool paused = false;
};

// Plays cues in numbered groups with volumes, pause switches, fades and instance limits. Group
// -1 is the master group: its volume scales every cue, and pausing it pauses every instance
// without storing a flag.
class CSoundGroupManager : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()
public:
    explicit CSoundGroupManager(IAudioDriver* driver = nullptr);
    ~CSoundGroupManager() override;

    // False when a cue of that name is registered already.
    bool registerCue(SoundCue* cue);
    SoundCue* getRegisteredCue(const CNameId& name) const;
    // The new playing instance, or none (unknown cue, refused, failed to play, or already
    // playing with onlyIfNotPlaying). A fade of 0 takes the group's fade-in.
    SoundCue* playCue(const CNameId& name, bool onlyIfNotPlaying = false, s32 fadeInMs = 0);
    // Fades out (or stops) the first playing instance of the name; a fade of 0 takes the
    // group's fade-out.
    void stopCue(const CNameId& name, s32 fadeOutMs = 0);
    // Stops at once every playing instance of the group (-1: all).
    void stopGroup(s32 group);
    bool isCuePlaying(const CNameId& name) const;
    void setGroupPaused(bool paused, s32 group);
    void setGroupVolume(f32 volume, s32 group);
    f32 getGroupVolume(s32 group);
    SSoundGroupSettings& getGroupSettings(s32 group);
    // The group policy check of a start.
    bool canStartInstance(SoundCue* cue);
    // Keeps a reference and appends the instance to the playing array.
    void addPlaying(SoundCue* instance);
    // Fades, loop restarts and the release of ended instances.
    void update(u32 elapsedMs);
    // Unlinks and drops every cue and instance and the driver.
    void clearAll();

    IAudioDriver* getAudioDriver() const { return m_driver.get(); }
    u32 getPlayingCount() const { return m_playing.size(); }
    SoundCue* getPlaying(u32 index) const { return index < m_playing.size() ? m_playing[index].get() : nullptr; }

private:
    bool onUpdate(CEvent* event);
    bool onAudioDriverCreated(CEvent* event);
    bool onAudioDriverReleasing(CEvent* event);

    CRefPtr<IAudioDriver> m_driver;
    std::map<s32, SSoundGroupSettings> m_groups;
    std::map<CNameId, CRefPtr<SoundCue>> m_cues;
    array<CRefPtr<SoundCue>> m_playing;
};

}  // namespace oskel
