// Fuzz target of particle collection and emitter files: arbitrary bytes are loaded both as a
// collection and as a single emitter; every emitter is cloned, emits into a small array for a
// few steps, and writes its settings, which must read back to the same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/properties/CPropertySet.h"
#include "engine/video/render2d/BaseEmitter.h"
#include "engine/video/render2d/ParticleCollection.h"
#include "tests/fuzz/RenderFuzzCommon.h"

using namespace oskel;

namespace {

void exercise(BaseEmitter* emitter) {
    CResource* cloned = emitter->clone();
    auto* copy = dynamic_cast<BaseEmitter*>(cloned);
    if (!copy || copy->getTypeId() != emitter->getTypeId()) std::abort();
    CParticleArray particles(64);
    copy->setParticleTarget(&particles);
    for (u32 step = 0; step < 8; ++step) {
        copy->update(BaseEmitter::UpdatePeriodMs);
        if (particles.getCount() > particles.getCapacity()) std::abort();
    }
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    copy->saveProperties(set.get());
    CRefPtr<CPropertySet> again = makeRef<CPropertySet>();
    CResource* fresh = copy->clone();
    static_cast<BaseEmitter*>(fresh)->loadProperties(set.get());
    static_cast<BaseEmitter*>(fresh)->saveProperties(again.get());
    if (again->getPropertyCount() != set->getPropertyCount()) std::abort();
    fresh->drop();
    cloned->drop();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::RenderFuzzServices& s = fuzz::services();
    CContentManager* manager = s.makeManager();
    CResource* loaded = s.load(manager, TypeCodeParticleCollection, data, size);
    if (loaded) {
        auto* collection = dynamic_cast<ParticleCollection*>(loaded);
        if (!collection) std::abort();
        loaded->drop();
    }
    // The registered emitters are the templates users clone.
    CContentManager* single = s.makeManager();
    CResource* emitter = s.load(single, TypeCodeEmitter, data, size);
    if (emitter) {
        auto* base = dynamic_cast<BaseEmitter*>(emitter);
        if (!base) std::abort();
        exercise(base);
        emitter->drop();
    }
    for (const char* name : {"Sparks", "Rain", "Smoke"}) {
        CResource* found = manager->findContent(TypeCodeEmitter, CCreationContext(manager, name));
        if (found) exercise(static_cast<BaseEmitter*>(found));
    }
    single->drop();
    manager->drop();
    return 0;
}
