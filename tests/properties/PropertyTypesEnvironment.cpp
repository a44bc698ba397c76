// The property values that hold drawing and sound resources are registered by whoever composes
// the engine's services (the device); these tests register them as the device does.

#include <gtest/gtest.h>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/video/render2d/RenderPropertyTypes.h"

namespace {

class ResourcePropertyTypes : public ::testing::Environment {
public:
    void SetUp() override {
        oskel::registerRenderPropertyTypes(oskel::CPropertyTypeRegistry::instance());
        oskel::registerAudioPropertyTypes(oskel::CPropertyTypeRegistry::instance());
    }
};

::testing::Environment* const g_resourceTypes = ::testing::AddGlobalTestEnvironment(new ResourcePropertyTypes);

}  // namespace
