#include "engine/video/render2d/ParticleCollection.h"

#include "engine/content/IContentManager.h"
#include "engine/io/CXmlReader.h"

namespace oskel {

ParticleCollection::ParticleCollection(const CCreationContext& context) : CResource(context) {
    setSharingFlags(ERF_NOT_CACHED);
}

ParticleCollection::~ParticleCollection() { clear(); }

void ParticleCollection::clear() {
    std::map<std::string, BaseEmitter*> emitters;
    emitters.swap(m_emitters);
    for (auto& entry : emitters) entry.second->drop();
}

void ParticleCollection::addEmitter(BaseEmitter* emitter) {
    if (!emitter) return;
    const stringc& name = emitter->getName();
    if (m_emitters.emplace(std::string(name.c_str(), name.size()), emitter).second) emitter->grab();
}

BaseEmitter* ParticleCollection::getEmitter(const stringc& name) const {
    auto found = m_emitters.find(std::string(name.c_str(), name.size()));
    return found != m_emitters.end() ? found->second : nullptr;
}

void ParticleCollection::load(CXmlReader* reader) {
    clear();
    IContentManager* manager = getContentManager();
    if (!manager || !reader) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        const stringw& name = reader->getNodeName();
        if (type == XmlNodeElementEnd && name == L"ParticleCollection") break;
        if (type != XmlNodeElement || name != L"ParticleEmitter") continue;
        BaseEmitter* emitter = CEmitterFactory::instance().createEmitterByName(
            reader->getAttributeValue(L"Type"), CCreationContext(manager, ""));
        if (!emitter) continue;
        emitter->readProperties(reader);
        if (!emitter->getName().empty()) {
            manager->registerContentAs(CCreationContext(manager, emitter->getName()), emitter);
            addEmitter(emitter);
        }
        emitter->drop();
    }
}

}  // namespace oskel
