#pragma once

// The test control of the Direct3D-shaped layer: what a real display driver decides on its own
// (device loss, refused formats, capabilities, failures) made to happen on demand, and a record
// of the calls made through either face.
//
// Device loss never happens by itself; loseDevices makes it happen. Settings stay until changed
// or until reset(), which every test that uses the control should call when it ends.
//
// Recording mode needs no window and no OpenGL: devices made while it is on keep every surface
// in memory, record their calls and draw nothing. Pixel tests use the OpenGL back end.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/platform/d3d/D3DCommon.h"

namespace oskel::d3d {

// One call through a face, with its arguments. Reference counting (AddRef, Release) and the
// plain questions GetLevelCount and GetAdapterCount are not recorded.
struct SRecordedCall {
    std::string name;  // the method's name, such as "SetRenderState"
    // Integer arguments in order (states, values, sizes, flags, rectangle edges; object
    // arguments as their addresses, 0 for null; a rectangle given as null is recorded as a 0
    // before the next argument, a given one as a 1 followed by its four edges).
    std::vector<uint64_t> args;
    // The floats of structures given by pointer: a matrix's 16, a viewport's 6 (X, Y, Width,
    // Height, MinZ, MaxZ), a material's 17, a light's 25 (its type is an integer argument), a
    // clip plane's 4, a clear's depth.
    std::vector<float> floats;
    // Memory given to a draw that was accepted: the vertices, then the indices.
    std::vector<uint8_t> bytes;
    HRESULT result = D3D_OK;

    // "SetRenderState(3, 1) = 0"
    std::string text() const;
};

class D3DTestControl {
public:
    // Everything back to normal: no loss, no forced results, nothing refused, the real
    // capabilities and vendor, every module and entry point, recording off and emptied.
    static void reset();

    // --- Device loss ---
    // Every living device becomes lost: Present answers D3DERR_DEVICELOST; TestCooperativeLevel
    // answers D3DERR_DEVICELOST lostTests times, then D3DERR_DEVICENOTRESET until a reset
    // succeeds; Reset answers D3DERR_DEVICELOST while TestCooperativeLevel still would.
    static void loseDevices(uint32_t lostTests);

    // --- Forced results ---
    // The next `times` calls of the named method (of any object of either face) return the
    // result without doing anything; out-parameters are cleared.
    static void forceResult(const char* method, HRESULT result, uint32_t times = 1);

    // --- Refusals ---
    // The format is refused everywhere: format checks, resource and device creation.
    static void refuseFormat(D3DFORMAT format);
    // The sample count is refused by the multisample check and by device creation.
    static void refuseMultiSample(uint32_t samples);
    // The depth-stencil format does not match any render-target format.
    static void refuseDepthStencilMatch(D3DFORMAT depthStencilFormat);
    // Device creation with this vertex-processing flag fails.
    static void refuseVertexProcessing(DWORD behaviorFlag);

    // --- What the adapter reports ---
    // Changes the capabilities devices report (applied after the real ones are worked out).
    static void setCaps(std::function<void(D3DCAPS_COMMON&)> change);
    // The adapter's PCI vendor id (0 unless set).
    static void setVendorId(DWORD vendorId);
    // The display mode that windowless devices and objects report (1024 × 768 by default).
    static void setRecordingDisplayMode(UINT width, UINT height);

    // --- The scan line ---
    // Linux offers no way to read the scan line: the capabilities lack D3DCAPS_READ_SCANLINE and
    // GetRasterStatus fails. Scripted, the capabilities have the flag and GetRasterStatus answers
    // outside the vertical blank for `readsBeforeBlank` reads, then in it from then on.
    static void scriptRasterStatus(uint32_t readsBeforeBlank);
    // The capabilities have the flag, but every GetRasterStatus fails.
    static void failRasterStatus();

    // --- Modules ---
    static void removeModule(const char* module);
    static void removeEntryPoint(const char* module, const char* entryPoint);

    // --- Reading back ---
    // The back buffer of the device made last that still lives, as ARGB rows from the top.
    // False without such a device (or one without OpenGL).
    static bool readBackBuffer(std::vector<uint32_t>& argb, uint32_t& width, uint32_t& height);
    // Objects of the layer alive now (Direct3D objects, devices, textures, surfaces).
    static uint32_t livingObjects();

    // --- Recording ---
    // Recording mode: devices made from now on need no window, keep surfaces in memory, record
    // their calls and draw nothing. Turning it on also starts recording.
    static void setRecordingMode(bool on);
    static bool recordingMode();
    // Recording of calls (in either mode).
    static void setRecording(bool on);
    static const std::vector<SRecordedCall>& calls();
    // The recorded calls of one method, in order.
    static std::vector<SRecordedCall> callsNamed(const char* method);
    static void clearCalls();
};

}  // namespace oskel::d3d
