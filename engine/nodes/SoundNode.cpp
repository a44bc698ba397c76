#include "engine/nodes/SoundNode.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundCue.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

SoundNode::SoundNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : BaseNode(context, parent, manager) {}

SoundNode::~SoundNode() = default;

const CPropertyTable& SoundNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<SoundNode>(t)
            .field<&SoundNode::m_cue, &SoundNode::setCue, CNameIdBox>("SoundCueName")
            .accessors<&SoundNode::isPlaying, &SoundNode::setPlay>("Play");
        return t;
    }();
    return table;
}

BaseNode* SoundNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<SoundNode>(this, parent, manager);
}

const stringw& SoundNode::getClassName() const {
    static const stringw name(L"SoundNode");
    return name;
}

const stringw& SoundNode::getThisClassName() const {
    static const stringw name(L"SoundNode");
    return name;
}

CSoundGroupManager* SoundNode::findSoundGroups() const {
    SceneManager* manager = getSceneManager();
    ISceneHost* host = manager ? manager->getHost() : nullptr;
    return host ? host->getSoundGroupManager() : nullptr;
}

void SoundNode::stopInstance() {
    if (m_instance) m_instance->stop(0);
}

void SoundNode::setCue(s32 cueNameId) {
    if (m_instance) {
        stopInstance();
        m_instance = nullptr;
    }
    m_cue = cueNameId;
    m_started = false;
    tryStart();
}

void SoundNode::setPlay(bool play) {
    m_play = play;
    m_started = false;
    tryStart();
}

bool SoundNode::isPlaying() const { return m_instance && m_instance->getState() == SoundPlaying; }

void SoundNode::tryStart() {
    if (m_started || !getSceneManager() || !isVisible()) return;
    if (!m_play) {
        stopInstance();
        m_started = true;
        return;
    }
    if (m_cue == -1) return;
    if (m_instance) {
        stopInstance();
        m_instance = nullptr;
    }
    // Without sound groups the start counts as refused: it is tried again at the next render.
    CSoundGroupManager* groups = findSoundGroups();
    SoundCue* instance = groups ? groups->playCue(CNameId::fromId(m_cue), false, 0) : nullptr;
    if (!instance) return;
    m_instance.assign(instance);
    m_started = true;
}

void SoundNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    tryStart();
    for (BaseNode* child : getChildren()) child->render(list);
}

void SoundNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const SoundNode*>(source);
    if (!other || other == this) return;
    m_cue = other->m_cue;
    m_play = other->m_play;
    m_started = false;
}

void SoundNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (m_cue != -1) set->addString("SoundCueName", CNameId::fromId(m_cue).getName());
    set->addBool("Play", m_play);
}

void SoundNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "Play")) {
        m_play = unboxPropertyBool(set->getProperty("Play").get());
        m_started = false;
        tryStart();
    }
    if (hasNodeProperty(set, "SoundCueName"))
        setCue(CNameIdBox::unbox(set->getProperty("SoundCueName").get()));
}

}  // namespace oskel
