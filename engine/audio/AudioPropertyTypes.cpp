#include "engine/audio/AudioPropertyTypes.h"

#include "engine/content/IContentManager.h"
#include "engine/properties/CPropertyTypeRegistry.h"

namespace oskel {

OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataSound, L"sound", L"CPropertyDataSound")

// ---- sounds ----

CPropertyDataSound::CPropertyDataSound(CResource* sound) : CPropertyDataResource(nullptr) { setResource(sound); }

u32 CPropertyDataSound::getResourceTypeCode() const { return TypeCodeSound; }

CRefPtr<IPropertyData> CPropertyDataSound::clone() const {
    CPropertyDataSound* copy = new CPropertyDataSound(getContentManager());
    copy->setResource(getResource());
    return CRefPtr<IPropertyData>::fromRaw(copy);
}

bool CPropertyDataSound::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    return interpolateWhole(target, result, t);
}

namespace {

CRefPtr<IPropertyData> createSound(IContentManager* contentManager) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataSound(contentManager));
}

}  // namespace

void registerAudioPropertyTypes(CPropertyTypeRegistry& registry) {
    registry.registerType(CPropertyDataSound::staticTypeName(), createSound);
}

}  // namespace oskel
