#include "engine/video/d3dcommon/D3DSetup.h"

#include <cstdio>
#include <string>

#include "engine/core/CLogger.h"

namespace oskel::d3dcommon {

u32 chooseSampleCount(u32 level, const std::function<bool(u32)>& accepted) {
    if (level < kFewestSamples) return 0;
    if (level > kMostSamples) level = kMostSamples;
    for (u32 samples = level; samples >= kFewestSamples; --samples)
        if (accepted(samples)) return samples;
    CLogger::instance().log("Anti aliasing disabled because hardware/driver lacks necessary caps.",
                            LogWarning);
    return 0;
}

D3DFORMAT chooseDepthFormat(bool& stencilBuffer, const std::function<bool(D3DFORMAT)>& accepted,
                            const std::function<bool(D3DFORMAT)>& matches) {
    if (stencilBuffer) {
        if (accepted(D3DFMT_D24S8)) {
            if (matches(D3DFMT_D24S8)) return D3DFMT_D24S8;
            CLogger::instance().log(
                "Depth-stencil format is not compatible with display format, disabling stencil "
                "buffer.",
                LogWarning);
            stencilBuffer = false;
        } else if (accepted(D3DFMT_D24X4S4)) {
            return D3DFMT_D24X4S4;
        } else if (accepted(D3DFMT_D15S1)) {
            return D3DFMT_D15S1;
        } else {
            CLogger::instance().log(
                "Device does not support stencilbuffer, disabling stencil buffer.", LogWarning);
            stencilBuffer = false;
        }
    }
    for (D3DFORMAT format : {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16})
        if (accepted(format)) return format;
    CLogger::instance().log("Device does not support required depth buffer.", LogWarning);
    return D3DFMT_UNKNOWN;
}

bool createWithVertexProcessingFallback(bool preserveFpu,
                                        const std::function<bool(DWORD)>& create) {
    const DWORD fpu = preserveFpu ? D3DCREATE_FPU_PRESERVE : 0;
    for (DWORD processing : {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
                             D3DCREATE_SOFTWARE_VERTEXPROCESSING})
        if (create(processing | fpu)) return true;
    return false;
}

std::string adapterText(const char* description, const char* driver, const LARGE_INTEGER& version) {
    const DWORD high = static_cast<DWORD>(version.HighPart);
    const DWORD low = version.LowPart;
    char text[1200];
    std::snprintf(text, sizeof text, "%s %s %d.%d.%d.%d", description ? description : "",
                  driver ? driver : "", static_cast<int>(high >> 16),
                  static_cast<int>(high & 0xFFFF), static_cast<int>(low >> 16),
                  static_cast<int>(low & 0xFFFF));
    return text;
}

}  // namespace oskel::d3dcommon
