#pragma once

#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3dcommon/D3DMaterialRenderers.h"

namespace oskel {

// The base of the Direct3D 8 driver's material renderers. A renderer sends the states of its
// type when the material type changed or a reset is asked, and then the basic states of the
// material through the driver's services.
using CD3D8FixedMaterialRenderer = d3dcommon::TFixedMaterialRenderer<CD3D8Traits>;

// Registers the renderers of the built-in material types 0 to 25 with the driver.
void createD3D8MaterialRenderers(CD3D8Driver* driver);

}  // namespace oskel
