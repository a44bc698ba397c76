#pragma once

#include <dimension2d.h>

#include "engine/core/OskelTypes.h"

namespace oskel {

// The version text of the engine interface the program is built with.
constexpr const char* kEngineVersion = "1.4.2";

// Video driver types.
enum EDriverType : s32 {
    DriverNull = 0,
    DriverDirect3D8 = 1,
    DriverDirect3D9 = 2,
    DriverOpenGL = 3,
};

// The device's creation parameters; copied into the device and handed to the video drivers.
struct SDeviceParameters {
    s32 driverType = DriverNull;
    irr::core::dimension2d<s32> windowSize{800, 600};
    u32 bits = 16;
    u8 zBufferBits = 16;
    bool fullscreen = false;
    bool stencilBuffer = false;
    bool vsync = false;
    u8 antiAlias = 0;
    bool useDesktopResolution = false;
    bool highPrecisionFpu = false;
    // The device's window once it exists (none before).
    void* windowId = nullptr;
    // The version text the caller was built with; not copied on assignment.
    const char* sdkVersion = kEngineVersion;

    SDeviceParameters() = default;
    SDeviceParameters(const SDeviceParameters& other) { *this = other; }
    SDeviceParameters& operator=(const SDeviceParameters& other) {
        if (this == &other) return *this;
        driverType = other.driverType;
        windowSize = other.windowSize;
        bits = other.bits;
        zBufferBits = other.zBufferBits;
        fullscreen = other.fullscreen;
        stencilBuffer = other.stencilBuffer;
        vsync = other.vsync;
        antiAlias = other.antiAlias;
        useDesktopResolution = other.useDesktopResolution;
        highPrecisionFpu = other.highPrecisionFpu;
        windowId = other.windowId;
        return *this;
    }
};

}  // namespace oskel
