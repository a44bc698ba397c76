#pragma once

#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/d3dcommon/D3DMaterialRenderers.h"

namespace oskel {

// The base of the Direct3D 9 driver's material renderers. A renderer sends the states of its
// type when the material type changed or a reset is asked, and then the basic states of the
// material through the driver's services.
using CD3D9FixedMaterialRenderer = d3dcommon::TFixedMaterialRenderer<CD3D9Traits>;

// Finds the shader compiler's functions ("D3DXAssembleShader", "D3DXCompileShader") in the one
// library "d3dx9_30.dll". A function that is missing is reported once for the whole run
// ("Could not load shader function ... from dll, shaders disabled", the library as hint) and
// not looked for again.
bool findShaderFunction(const char* function);
// Whether the reports were given (tests forget them to see them again).
void forgetShaderFunctionReports();

// Registers the renderers of the built-in material types 0 to 25 with the driver.
void createD3D9MaterialRenderers(CD3D9Driver* driver);

}  // namespace oskel
