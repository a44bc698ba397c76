#pragma once

// The property value that holds a sound. It is not built into the property type registry:
// whoever composes the engine's services registers it.

#include "engine/audio/ISound.h"
#include "engine/content/CResource.h"
#include "engine/properties/CPropertyData.h"

namespace oskel {

class CPropertyTypeRegistry;

// "sound": a sound ('isnd'). The value calls no sound operation.
class CPropertyDataSound : public TPropertyDataWholeResource<CPropertyDataSound, TypeCodeSound> {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeSound)
public:
    using TPropertyDataWholeResource::TPropertyDataWholeResource;
    // The held sound, or none (also when the held resource carries the sound type code without
    // being a sound).
    ISound* getSound() const { return dynamic_cast<ISound*>(getResource()); }
};

// Registers "sound" (a type already registered keeps its factory).
void registerAudioPropertyTypes(CPropertyTypeRegistry& registry);

}  // namespace oskel
