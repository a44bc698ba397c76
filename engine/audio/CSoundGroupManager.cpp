#include "engine/audio/CSoundGroupManager.h"

#include "engine/core/event/DeviceEvents.h"

namespace oskel {

OSKEL_BEGIN_EVENT_MAP(CSoundGroupManager, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowUpdate, onUpdate)
OSKEL_EVENT_HANDLER(EventDeviceAudioDriverCreated, onAudioDriverCreated)
OSKEL_EVENT_HANDLER(EventDeviceAudioDriverReleasing, onAudioDriverReleasing)
OSKEL_END_EVENT_MAP()

CSoundGroupManager::CSoundGroupManager(IAudioDriver* driver) : m_driver(driver) {
    addCategory(CategoryDevice | CategorySystemFlow);
}

CSoundGroupManager::~CSoundGroupManager() { clearAll(); }

void CSoundGroupManager::clearAll() {
    for (auto& entry : m_cues)
        if (entry.second) entry.second->setManager(nullptr);
    m_cues.clear();
    for (u32 i = 0; i < m_playing.size(); ++i)
        if (m_playing[i]) m_playing[i]->setManager(nullptr);
    m_playing.clear();
    m_driver = nullptr;
}

bool CSoundGroupManager::registerCue(SoundCue* cue) {
    if (!cue || m_cues.count(cue->getName())) return false;
    m_cues[cue->getName()] = CRefPtr<SoundCue>(cue);
    cue->setManager(this);
    cue->updateVolume();
    return true;
}

SoundCue* CSoundGroupManager::getRegisteredCue(const CNameId& name) const {
    auto it = m_cues.find(name);
    return it == m_cues.end() ? nullptr : it->second.get();
}

SoundCue* CSoundGroupManager::playCue(const CNameId& name, bool onlyIfNotPlaying, s32 fadeInMs) {
    if (onlyIfNotPlaying && isCuePlaying(name)) return nullptr;
    SoundCue* cue = getRegisteredCue(name);
    if (!cue) return nullptr;
    if (fadeInMs == 0) fadeInMs = getGroupSettings(cue->getGroup()).fadeInMs;
    return cue->playInstance(fadeInMs);
}

bool CSoundGroupManager::canStartInstance(SoundCue* cue) {
    if (!cue) return false;
    const s32 group = cue->getGroup();
    const SSoundGroupSettings settings = getGroupSettings(group);
    if (settings.volume == 0.0f) return false;
    if (settings.maxInstances == 0) return true;
    s32 count = 0;
    SoundCue* oldest = nullptr;
    for (u32 i = 0; i < m_playing.size(); ++i) {
        SoundCue* instance = m_playing[i].get();
        if (!instance || instance->getGroup() != group) continue;
        if (instance->getState() == SoundStopped || instance->getFadeState() == SoundCue::FadeOut) continue;
        if (!oldest) oldest = instance;
        ++count;
    }
    if (count < settings.maxInstances) return true;
    if (settings.policy == 0) return false;
    if (settings.policy == 1 && oldest) oldest->stop(settings.fadeOutMs);
    return true;
}

void CSoundGroupManager::stopCue(const CNameId& name, s32 fadeOutMs) {
    for (u32 i = 0; i < m_playing.size(); ++i) {
        SoundCue* instance = m_playing[i].get();
        if (!instance || instance->getName() != name) continue;
        if (fadeOutMs == 0) fadeOutMs = getGroupSettings(instance->getGroup()).fadeOutMs;
        instance->stop(fadeOutMs);
        return;
    }
}

void CSoundGroupManager::stopGroup(s32 group) {
    for (u32 i = 0; i < m_playing.size(); ++i) {
        SoundCue* instance = m_playing[i].get();
        if (instance && (group == -1 || instance->getGroup() == group)) instance->stop(0);
    }
}

bool CSoundGroupManager::isCuePlaying(const CNameId& name) const {
    for (u32 i = 0; i < m_playing.size(); ++i)
        if (m_playing[i] && m_playing[i]->getName() == name) return true;
    return false;
}

void CSoundGroupManager::setGroupPaused(bool paused, s32 group) {
    if (group != -1) getGroupSettings(group).paused = paused;
    for (u32 i = 0; i < m_playing.size(); ++i) {
        SoundCue* instance = m_playing[i].get();
        if (instance && (group == -1 || instance->getGroup() == group)) instance->setPaused(paused);
    }
}

void CSoundGroupManager::setGroupVolume(f32 volume, s32 group) {
    getGroupSettings(group).volume = volume;
    for (auto& entry : m_cues)
        if (entry.second && (group == -1 || entry.second->getGroup() == group)) entry.second->updateVolume();
    for (u32 i = 0; i < m_playing.size(); ++i) {
        SoundCue* instance = m_playing[i].get();
        if (instance && (group == -1 || instance->getGroup() == group)) instance->updateVolume();
    }
}

f32 CSoundGroupManager::getGroupVolume(s32 group) { return getGroupSettings(group).volume; }

SSoundGroupSettings& CSoundGroupManager::getGroupSettings(s32 group) { return m_groups[group]; }

void CSoundGroupManager::addPlaying(SoundCue* instance) {
    if (instance) m_playing.push_back(CRefPtr<SoundCue>(instance));
}

void CSoundGroupManager::update(u32 elapsedMs) {
    const s32 elapsed = elapsedMs > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<s32>(elapsedMs);
    u32 i = 0;
    while (i < m_playing.size()) {
        // Held across the call: a receiver of the event may stop or release things.
        CRefPtr<SoundCue> instance = m_playing[i];
        if (instance) instance->update(elapsed);
        if (instance && instance->getState() != SoundStopped) {
            ++i;
            continue;
        }
        if (instance) {
            CRefPtr<CEventSoundFinished> event =
                makeRef<CEventSoundFinished>(instance.get());
            instance->onEvent(event.get());
        }
        // The handler may have changed the array: remove this instance where it is now.
        for (u32 j = 0; j < m_playing.size(); ++j) {
            if (m_playing[j] == instance) {
                m_playing.erase(j);
                if (j < i) --i;
                break;
            }
        }
    }
}

bool CSoundGroupManager::onUpdate(CEvent* event) {
    update(static_cast<CEventSystemFlowUpdate*>(event)->getElapsed());
    return false;
}

bool CSoundGroupManager::onAudioDriverCreated(CEvent* event) {
    m_driver.assign(static_cast<CEventDeviceAudioDriverCreated*>(event)->getAudioDriver());
    return false;
}

bool CSoundGroupManager::onAudioDriverReleasing(CEvent*) {
    m_driver = nullptr;
    return false;
}

}  // namespace oskel
