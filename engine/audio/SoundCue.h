#pragma once

#include "engine/audio/ISound.h"
#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/event/CEventReceiver.h"

namespace oskel {

class CSoundGroupManager;
class CXmlReader;
class IAudioDriver;
class IContentManager;

// A named sound event with alternative sounds, a group, a volume and a loop flag. A registered
// cue is a template; every play makes an instance (a clone with its own sounds) that picks one
// sound at random, fades in and out and restarts itself when it loops.
class SoundCue : public CEventReceiver {
public:
    enum EFadeState : s32 { FadeNone = 0, FadeIn = 1, FadeOut = 2 };

    explicit SoundCue(const CNameId& name);
    ~SoundCue() override = default;

    // Handles no event itself; its pre- and post-receivers are asked (for example on
    // CEventSoundFinished when the instance has ended).
    bool onEvent(CEvent* event) override { return handleEvent(getEventMap(), event); }

    // Reads the settings and the sounds of one "SoundCue" element; the reader stands on its start
    // element and is left after its end element. Attributes: "GroupID" (default -1), "Vol"
    // (default 1), "Loop" (loops only for exactly "true"), "StreamingType" (1 streams every
    // sound of the cue, 2 none, anything else leaves it to the driver's threshold). Each "Sound"
    // element names a file by "Filename", loaded through the content manager as a sound
    // ('isnd'), relative to the file being read; a file that gives no sound is left out with a
    // log line. The audio driver is the one the content manager's sound processor creates
    // sounds with: its streaming threshold is overridden while the sounds load and always set
    // back afterwards. False when the text ends before the cue's end element (logged); the
    // sounds read until then are kept.
    [[nodiscard]] bool load(CXmlReader* reader, IContentManager* contentManager, IAudioDriver* audioDriver = nullptr);

    // A new instance for the manager with this cue's settings and a clone of every sound; the
    // caller holds the one reference.
    SoundCue* clone(CSoundGroupManager* manager) const;
    // Effective volume := volume x master volume x group volume; pushed to every sound.
    void updateVolume();
    // Starts an instance when the group admits it; the manager holds it. None otherwise.
    SoundCue* playInstance(s32 fadeInMs);
    // Starts one sound at random (silent: at volume 0); false when there is none or it fails to
    // play.
    bool playRandomItem(bool silent = false);
    // Fades and loop restarts.
    void update(s32 elapsedMs);
    // Stops at once (fade 0 or less) or fades out; -1 when nothing plays, else 0.
    s32 stop(s32 fadeOutMs);
    // Pauses or resumes the current sound; -1 when nothing plays, else 0.
    s32 setPaused(bool paused);
    // 0 no current sound, 1 its sound is paused, 2 otherwise.
    s32 getState();

    // Adds an alternative sound (grabbed).
    void addSound(ISound* sound);
    u32 getSoundCount() const { return m_sounds.size(); }
    ISound* getSound(u32 index) const { return index < m_sounds.size() ? m_sounds[index].get() : nullptr; }
    ISound* getCurrentSound() const { return m_current >= 0 ? m_sounds[static_cast<u32>(m_current)].get() : nullptr; }

    const CNameId& getName() const { return m_name; }
    s32 getGroup() const { return m_group; }
    void setGroup(s32 group) { m_group = group; }
    f32 getVolume() const { return m_volume; }
    void setVolume(f32 volume) { m_volume = volume; }
    f32 getEffectiveVolume() const { return m_effectiveVolume; }
    bool isLooping() const { return m_loop; }
    void setLooping(bool loop) { m_loop = loop; }
    s32 getFadeState() const { return m_fadeState; }
    s32 getFadePosition() const { return m_fadePosition; }
    s32 getFadeDuration() const { return m_fadeDuration; }

    CSoundGroupManager* getManager() const { return m_manager; }
    void setManager(CSoundGroupManager* manager) { m_manager = manager; }

private:
    void setCurrentVolume(f32 volume);
    void addSoundFile(IContentManager* contentManager, const stringc& fileName);

    CSoundGroupManager* m_manager = nullptr;
    CNameId m_name;
    s32 m_group = -1;
    f32 m_volume = 1.0f;
    f32 m_effectiveVolume = 1.0f;
    bool m_loop = false;
    s32 m_fadeState = FadeNone;
    s32 m_fadePosition = 0;
    s32 m_fadeDuration = 0;
    array<CRefPtr<ISound>> m_sounds;
    s32 m_current = -1;
};

}  // namespace oskel
