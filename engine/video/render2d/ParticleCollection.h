#pragma once

#include <map>
#include <string>

#include "engine/content/CResource.h"
#include "engine/video/render2d/BaseEmitter.h"

namespace oskel {

class CXmlReader;

// The emitters of a collection file ('prtc', loaded afresh for every request). Loading
// registers every named emitter with the content manager as 'pemt' content under its name; the
// collection keeps its emitters alive as well.
class ParticleCollection : public CResource {
public:
    explicit ParticleCollection(const CCreationContext& context);
    ~ParticleCollection() override;

    u32 getTypeCode() const override { return TypeCodeParticleCollection; }

    // Reads a collection file from before its root element.
    void load(CXmlReader* reader);
    // Keeps the emitter (grabbed) under its name; a name already held keeps the first emitter.
    void addEmitter(BaseEmitter* emitter);
    // Releases every emitter.
    void clear();

    u32 getEmitterCount() const { return static_cast<u32>(m_emitters.size()); }
    // The emitter kept under the name, or none.
    BaseEmitter* getEmitter(const stringc& name) const;

private:
    std::map<std::string, BaseEmitter*> m_emitters;
};

}  // namespace oskel
