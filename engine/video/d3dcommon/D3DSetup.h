#pragma once

// The device set-up steps that the Direct3D drivers share, written over the questions they ask
// Direct3D so that either face answers them: the depth and stencil format, the anti-aliasing
// sample count and the vertex-processing fallback, each with its log lines.

#include <functional>
#include <string>

#include "engine/core/OskelTypes.h"
#include "engine/platform/d3d/D3DCommon.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// Sample counts: 0 and 1 mean no multisampling; more than 16 are asked for as 16.
constexpr u32 kMostSamples = 16;
constexpr u32 kFewestSamples = 2;

// The sample count to use for the anti-aliasing level: from the level (at most 16) down to 2,
// the first count the device accepts; 0 when the level asks for none (0 or 1, nothing logged)
// or when no count is accepted ("Anti aliasing disabled because hardware/driver lacks
// necessary caps." at warning level).
u32 chooseSampleCount(u32 level, const std::function<bool(u32 samples)>& accepted);

// The depth-stencil format. With the stencil flag: D24S8 when accepted as a depth-stencil
// format, which must also match the back buffer (otherwise the stencil flag is cleared with
// "Depth-stencil format is not compatible with display format, disabling stencil buffer."),
// else D24X4S4, else D15S1 (without the match check); none of them clears the flag with
// "Device does not support stencilbuffer, disabling stencil buffer.". Without the stencil flag
// (from the start or now): D32, D24X8 or D16; none of them logs "Device does not support
// required depth buffer." and gives D3DFMT_UNKNOWN. The warnings are at warning level.
D3DFORMAT chooseDepthFormat(bool& stencilBuffer, const std::function<bool(D3DFORMAT)>& accepted,
                            const std::function<bool(D3DFORMAT)>& matches);

// Makes the device with hardware, then mixed, then software vertex processing (each with
// D3DCREATE_FPU_PRESERVE when asked); the first success ends it. True when one succeeded.
bool createWithVertexProcessingFallback(bool preserveFpu,
                                        const std::function<bool(DWORD behaviour)>& create);

// The text "%s %s %d.%d.%d.%d" of an adapter's description, driver name and the four 16-bit
// parts of its driver version (high part's high word first).
std::string adapterText(const char* description, const char* driver, const LARGE_INTEGER& version);

}  // namespace oskel::d3dcommon
