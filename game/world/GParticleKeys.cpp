#include "game/world/GParticleKeys.h"

#include "engine/io/CXmlReader.h"

namespace brasquel {

using namespace oskel;

f32 getParticleStartValue(const GParticleKeyList& keys, f32 fallback) {
    return keys.empty() ? fallback : keys.front().V;
}

void followParticleKeys(const GParticleKeyList& keys, f32 age, u32& cursor, f32& value) {
    if (cursor == 0 || cursor >= keys.size()) return;
    const GParticleKey& k = keys[cursor];
    if (k.T <= age) {
        value = k.V;
        ++cursor;
        return;
    }
    const GParticleKey& p = keys[cursor - 1];
    const f32 span = k.T - p.T;
    value = span == 0.0f ? k.V : p.V + (age - p.T) * (k.V - p.V) / span;
}

void readParticleKeys(CXmlReader& reader, GParticleKeyList& keys) {
    keys.clear();
    if (reader.isEmptyElement()) return;
    const stringw name = reader.getNodeName();
    while (reader.read()) {
        const s32 type = reader.getNodeType();
        if (type == XmlNodeElementEnd && reader.getNodeName() == name) return;
        if (type == XmlNodeElement && reader.getNodeName() == L"k")
            keys.push_back(GParticleKey{reader.getAttributeValueAsFloat(L"T", 0.0f),
                                        reader.getAttributeValueAsFloat(L"V", 0.0f)});
    }
}

}  // namespace brasquel
