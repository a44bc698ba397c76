#include "game/app/GSoundSettings.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"

namespace brasquel {

using namespace oskel;

void CSoundGroupControl::setGroupVolume(f32 volume, s32 group) {
    if (m_manager) m_manager->setGroupVolume(volume, group);
}

void CSoundGroupControl::playCueIfNotPlaying(const CNameId& cue) {
    if (m_manager) m_manager->playCue(cue, true);
}

void CSoundGroupControl::stopGroup(s32 group) {
    if (m_manager) m_manager->stopGroup(group);
}

void applySoundSettings(const CPropertySet* profile, const SceneManager* scenes,
                        ISoundGroupControl& groups) {
    if (!profile) return;
    const bool soundOn = profile->getBool("SoundOn");
    const bool musicOn = profile->getBool("MusicOn");
    const f32 soundVolume = soundOn ? profile->getFloat("SoundVolume") * 0.01f : 0.0f;
    const f32 musicVolume = musicOn ? profile->getFloat("MusicVolume") * 0.01f : 0.0f;
    groups.setGroupVolume(soundVolume, SoundGroupSounds);
    groups.setGroupVolume(soundVolume, SoundGroupFurtherSounds);
    groups.setGroupVolume(musicVolume, SoundGroupMusic);
    if (musicOn) {
        const IGameMusicSource* playScene = nullptr;
        u32 walked = 0;
        for (SceneNode* scene = scenes ? scenes->getCurrentScene() : nullptr;
             scene && walked < SceneManager::MaxStackWalk;
             scene = scene->getPreviousScene(), ++walked) {
            if (!scene->isKindOf(NodeTypeGamePlayScene)) continue;
            playScene = dynamic_cast<const IGameMusicSource*>(scene);
            if (playScene) break;
        }
        if (playScene) {
            groups.playCueIfNotPlaying(playScene->getMusicCue());
        } else {
            groups.playCueIfNotPlaying(CNameId("MenuMusic"));
            groups.playCueIfNotPlaying(CNameId("MainMenuAmbient"));
        }
    } else {
        groups.stopGroup(SoundGroupMusic);
    }
    if (!soundOn) {
        groups.stopGroup(SoundGroupSounds);
        groups.stopGroup(SoundGroupFurtherSounds);
    }
}

}  // namespace brasquel
