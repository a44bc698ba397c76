#include "engine/audio/AudioPropertyTypes.h"

#include "engine/properties/CPropertyTypeRegistry.h"

namespace oskel {

OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataSound, L"sound", L"CPropertyDataSound")

void registerAudioPropertyTypes(CPropertyTypeRegistry& registry) {
    registry.registerResourceType<CPropertyDataSound>();
}

}  // namespace oskel
