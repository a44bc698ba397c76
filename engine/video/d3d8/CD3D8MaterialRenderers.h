#pragma once

#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3dcommon/D3DMaterialRenderers.h"

namespace oskel {

// What the stock renderers need of the Direct3D 8 face.
struct CD3D8RendererTraits {
    using Device = d3d::IDirect3DDevice8;
    using Driver = CD3D8Driver;
    // Normal- and parallax-map programs cannot be assembled on this layer: nothing is looked for.
    static void prepareShaderPrograms(CD3D8Driver*) {}
};

// The base of the Direct3D 8 driver's material renderers. A renderer sends the states of its
// type when the material type changed or a reset is asked, and then the basic states of the
// material through the driver's services.
using CD3D8FixedMaterialRenderer = d3dcommon::TFixedMaterialRenderer<CD3D8RendererTraits>;

// Registers the renderers of the built-in material types 0 to 25 with the driver.
void createD3D8MaterialRenderers(CD3D8Driver* driver);

}  // namespace oskel
