#include "engine/audio/SoundPack.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"

namespace oskel {

SoundPack::SoundPack(const CCreationContext& context) : CResource(context) { setSharingFlags(ERF_SHARED); }

bool SoundPack::load(CXmlReader* reader, IAudioDriver* audioDriver) {
    if (!reader) return false;
    bool intact = true;
    bool ended = false;
    while (!ended && reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement && reader->getNodeName() == L"SoundCue") {
            const CNameId name(narrowLowBytes(reader->getAttributeValue(L"Name").c_str()));
            CRefPtr<SoundCue> cue = makeRef<SoundCue>(name);
            if (!cue->load(reader, getContentManager(), audioDriver)) intact = false;
            m_cues.push_back(cue);
        } else if (type == XmlNodeElementEnd && reader->getNodeName() == L"SoundPack") {
            ended = true;
        } else if (type == XmlNodeElement && reader->getNodeName() == L"SoundPack" && reader->isEmptyElement()) {
            ended = true;  // <SoundPack/>: a pack without cues
        }
    }
    if (!ended) {
        CLogger::instance().logHint("Sound pack ends before its end element", getName().c_str(), LogWarning);
        intact = false;
    }
    return intact;
}

u32 SoundPack::registerCues(CSoundGroupManager* manager) const {
    if (!manager) return 0;
    u32 registered = 0;
    for (u32 i = 0; i < m_cues.size(); ++i)
        if (manager->registerCue(m_cues[i].get())) ++registered;
    return registered;
}

SoundCue* SoundPack::findCue(const CNameId& name) const {
    for (u32 i = 0; i < m_cues.size(); ++i)
        if (m_cues[i]->getName() == name) return m_cues[i].get();
    return nullptr;
}

}  // namespace oskel
