#include "engine/audio/SoundCue.h"

#include <cmath>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/IAudioDriver.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"

namespace oskel {

SoundCue::SoundCue(const CNameId& name) : m_name(name) {
    addCategory(CategorySound);
    updateVolume();
}

bool SoundCue::load(CXmlReader* reader, IContentManager* contentManager, IAudioDriver* audioDriver) {
    if (!reader) return false;
    m_group = reader->getAttributeValueAsInt(L"GroupID", -1);
    m_volume = reader->getAttributeValueAsFloat(L"Vol", 1.0f);
    m_loop = reader->getAttributeValue(L"Loop") == L"true";

    u32 threshold = 0;
    if (audioDriver) {
        threshold = audioDriver->getStreamingThreshold();
        switch (reader->getAttributeValueAsInt(L"StreamingType", 0)) {
            case 1: audioDriver->setStreamingThreshold(0); break;
            case 2: audioDriver->setStreamingThreshold(0xFFFFFFFFu); break;
            default: break;
        }
    }

    // <SoundCue .../> has no end element: reading on would take the next cue's sounds.
    bool complete = reader->isEmptyElement();
    while (!complete && reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement && reader->getNodeName() == L"Sound")
            addSoundFile(contentManager, narrowLowBytes(reader->getAttributeValue(L"Filename").c_str()));
        else if (type == XmlNodeElementEnd && reader->getNodeName() == L"SoundCue")
            complete = true;
    }

    // Set back whatever it was, 0 included: a threshold left at an override would decide for
    // every sound loaded later.
    if (audioDriver) audioDriver->setStreamingThreshold(threshold);
    updateVolume();
    if (!complete)
        CLogger::instance().logHint("Sound cue ends before its end element", m_name.getName().c_str(), LogWarning);
    return complete;
}

void SoundCue::addSoundFile(IContentManager* contentManager, const stringc& fileName) {
    CResource* content =
        contentManager && !fileName.empty() ? contentManager->getContentByPath(TypeCodeSound, fileName, true) : nullptr;
    if (content && content->getTypeCode() == TypeCodeSound) {
        addSound(static_cast<ISound*>(content));
        content->drop();  // the cue holds its own reference now
        return;
    }
    if (content) content->drop();
    stringc hint(m_name.getName());
    hint += ": ";
    hint += fileName;
    CLogger::instance().logHint("Sound cue skips a sound that cannot be loaded", hint.c_str(), LogWarning);
}

SoundCue* SoundCue::clone(CSoundGroupManager* manager) const {
    SoundCue* cue = new SoundCue(m_name);
    cue->m_manager = manager;
    cue->m_group = m_group;
    cue->m_volume = m_volume;
    cue->m_loop = m_loop;
    for (u32 i = 0; i < m_sounds.size(); ++i) {
        if (!m_sounds[i]) continue;
        CRefPtr<ISound> copy = CRefPtr<ISound>::fromRaw(m_sounds[i]->clone());
        if (copy) cue->m_sounds.push_back(copy);
    }
    cue->updateVolume();
    return cue;
}

void SoundCue::updateVolume() {
    f32 volume = m_volume;
    if (m_manager) {
        volume *= m_manager->getGroupVolume(-1);
        if (m_group != -1) volume *= m_manager->getGroupVolume(m_group);
    }
    m_effectiveVolume = volume;
    for (u32 i = 0; i < m_sounds.size(); ++i)
        if (m_sounds[i]) m_sounds[i]->setVolume(volume);
}

void SoundCue::setCurrentVolume(f32 volume) {
    if (ISound* sound = getCurrentSound()) sound->setVolume(volume);
}

SoundCue* SoundCue::playInstance(s32 fadeInMs) {
    if (!m_manager || !m_manager->canStartInstance(this)) return nullptr;
    CRefPtr<SoundCue> instance = CRefPtr<SoundCue>::fromRaw(clone(m_manager));
    // A fade-in starts silent: the volume is set before the sound plays, so not one buffer is
    // heard at full gain.
    if (!instance->playRandomItem(fadeInMs > 0)) return nullptr;
    if (fadeInMs > 0) {
        instance->m_fadeDuration = fadeInMs;
        instance->m_fadePosition = 0;
        instance->m_fadeState = FadeIn;
    }
    if (m_manager->getGroupSettings(m_group).paused) {
        if (ISound* sound = instance->getCurrentSound()) sound->setPaused(true);
    }
    m_manager->addPlaying(instance.get());
    return instance.get();
}

bool SoundCue::playRandomItem(bool silent) {
    const u32 count = m_sounds.size();
    if (count == 0) return false;
    u32 index = 0;
    if (count == 1) {
        m_sounds[0]->setLooping(m_loop);
    } else {
        const u32 n = m_current >= 0 ? count - 1 : count;
        index = CRandom::instance().nextTwister() % n;
        if (m_current >= 0 && index == static_cast<u32>(m_current)) index = count - 1;
    }
    if (silent) m_sounds[index]->setVolume(0.0f);
    if (!m_sounds[index]->play()) return false;
    m_current = static_cast<s32>(index);
    return true;
}

void SoundCue::update(s32 elapsedMs) {
    ISound* sound = getCurrentSound();
    if (!sound) return;
    switch (m_fadeState) {
        case FadeNone:
            if (sound->getState() == SoundStopped) {
                m_current = -1;
                if (m_loop) playRandomItem();
            }
            break;
        case FadeIn:
            m_fadePosition += elapsedMs;
            if (m_fadePosition < m_fadeDuration) {
                sound->setVolume(m_effectiveVolume * static_cast<f32>(m_fadePosition) /
                                 static_cast<f32>(m_fadeDuration));
            } else {
                sound->setVolume(m_effectiveVolume);
                m_fadeState = FadeNone;
            }
            break;
        case FadeOut:
            m_fadePosition -= elapsedMs;
            if (m_fadePosition > 0 && m_fadeDuration > 0) {
                sound->setVolume(m_effectiveVolume * static_cast<f32>(m_fadePosition) /
                                 static_cast<f32>(m_fadeDuration));
            } else {
                sound->stop();
                m_current = -1;
                m_fadeState = FadeNone;
            }
            break;
        default: break;
    }
}

s32 SoundCue::stop(s32 fadeOutMs) {
    ISound* sound = getCurrentSound();
    if (!sound) return -1;
    if (fadeOutMs <= 0) {
        m_fadeState = FadeNone;
        sound->stop();
        m_current = -1;
        return 0;
    }
    if (m_fadeState == FadeIn) {
        const f32 fraction =
            m_fadeDuration > 0 ? static_cast<f32>(m_fadePosition) / static_cast<f32>(m_fadeDuration) : 1.0f;
        m_fadeDuration = fadeOutMs;
        m_fadePosition = static_cast<s32>(std::floor(static_cast<f32>(fadeOutMs) * fraction + 0.5f));
        m_fadeState = FadeOut;
    } else if (m_fadeState != FadeOut) {
        m_fadeDuration = fadeOutMs;
        m_fadePosition = fadeOutMs;
        m_fadeState = FadeOut;
    }
    return 0;
}

s32 SoundCue::setPaused(bool paused) {
    ISound* sound = getCurrentSound();
    if (!sound) return -1;
    sound->setPaused(paused);
    return 0;
}

s32 SoundCue::getState() {
    ISound* sound = getCurrentSound();
    if (!sound) return SoundStopped;
    return sound->getState() == SoundPaused ? SoundPaused : SoundPlaying;
}

void SoundCue::addSound(ISound* sound) {
    if (sound) m_sounds.push_back(CRefPtr<ISound>(sound));
}

}  // namespace oskel
