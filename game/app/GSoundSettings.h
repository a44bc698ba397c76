#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/OskelTypes.h"

namespace oskel {
class CPropertySet;
class CSoundGroupManager;
class SceneManager;
}  // namespace oskel

namespace brasquel {

// The sound groups of the game.
enum ESoundGroup : oskel::s32 {
    SoundGroupSounds = 0,
    SoundGroupMusic = 1,
    SoundGroupFurtherSounds = 2,
};

// What the sound settings do to the sound groups (the sound group manager in the game).
class ISoundGroupControl {
public:
    virtual ~ISoundGroupControl() = default;
    virtual void setGroupVolume(oskel::f32 volume, oskel::s32 group) = 0;
    virtual void playCueIfNotPlaying(const oskel::CNameId& cue) = 0;
    virtual void stopGroup(oskel::s32 group) = 0;
};

// The sound group manager as an ISoundGroupControl.
class CSoundGroupControl : public ISoundGroupControl {
public:
    explicit CSoundGroupControl(oskel::CSoundGroupManager* manager) : m_manager(manager) {}
    void setGroupVolume(oskel::f32 volume, oskel::s32 group) override;
    void playCueIfNotPlaying(const oskel::CNameId& cue) override;
    void stopGroup(oskel::s32 group) override;

private:
    oskel::CSoundGroupManager* m_manager;
};

// The node type id of the level's play scene, and what it tells of its music.
constexpr oskel::s32 NodeTypeGamePlayScene = 1120;
class IGameMusicSource {
public:
    virtual ~IGameMusicSource() = default;
    virtual oskel::CNameId getMusicCue() const = 0;
};

// Applies a player's sound choices (SoundOn, MusicOn, SoundVolume, MusicVolume) to the groups:
// the volumes, then the music (the play scene's music when one is on the scene stack of the
// scene manager, else the menu music), then stops what is switched off. Nothing without a
// profile.
void applySoundSettings(const oskel::CPropertySet* profile, const oskel::SceneManager* scenes,
                        ISoundGroupControl& groups);

}  // namespace brasquel
