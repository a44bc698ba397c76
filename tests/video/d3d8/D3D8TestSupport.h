#pragma once

// The Direct3D 8 driver on windowless devices of the layer's recording mode.

#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d8/CD3D8Texture.h"
#include "tests/video/d3dcommon/D3DRecording.h"

namespace oskel::test {

class D3D8Recording : public D3DRecording<CD3D8Driver, DriverDirect3D8, createDirect3D8Driver> {};

}  // namespace oskel::test
