#include "engine/device/CDeviceLinux.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/audio/CNullAudioDriver.h"
#include "engine/audio/openal/COpenALAudioDriver.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/ContentProcessors.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/properties/EngineSettings.h"
#include "engine/video/CNullDriver.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/opengl/COpenGLDriver.h"

namespace oskel {

namespace {

// The Direct3D drivers take the display into full screen themselves (from the parameters);
// for the others the device switches the display mode.
bool driverTakesFullscreen(s32 type) { return type == DriverDirect3D8 || type == DriverDirect3D9; }

void logFormatted(const char* format, long a, long b) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    CLogger::instance().log(text, LogInformation);
}

}  // namespace

CDeviceLinux::CDeviceLinux(const SDeviceParameters& parameters, std::unique_ptr<IClock> clock)
    : CDeviceBase(parameters, std::move(clock)) {
    // No window yet: the flags stay cleared until one exists.
    m_visible = false;
    m_active = false;
    m_osDescription = platform::describeOperatingSystem().c_str();
    CLogger::instance().log(m_osDescription.c_str(), LogInformation);
    // Each step logs its own failure; the creator finds out whether a video driver was made.
    static_cast<void>(createWindow());
    static_cast<void>(createDriver(m_parameters.driverType));
    static_cast<void>(createAudioDriver(1));
    if (getVideoDriver()) {
        m_contentProcessors =
            createContentProcessors(getVideoDriver(), m_audioDriver, getFileSystem());
        addEventReceiver(m_contentProcessors, -1);
    }
}

bool CDeviceLinux::createAudioDriver(s32 type) {
    IAudioDriver* driver = nullptr;
    if (type == 0) {
        driver = createNullAudioDriver(m_fileSystem.get());
    } else if (type == 1) {
        driver = createOpenALAudioDriver(m_fileSystem.get());
        if (!driver) CLogger::instance().log("Could not create OpenAL Audio Driver.", LogError);
    } else {
        CLogger::instance().log("Unable to create audio driver of unknown type.", LogError);
    }
    if (!driver) return false;
    if (m_audioDriver) m_audioDriver->drop();
    m_audioDriver = driver;
    stringc text("Using audio: ");
    text += driver->getDescription();
    CLogger::instance().log(text.c_str(), LogInformation);
    postEvent(new CEventDeviceAudioDriverCreated(driver));
    return true;
}

bool CDeviceLinux::createDriver(s32 type) {
    switch (type) {
        case DriverNull:
            setVideoDriver(createNullDriver(m_parameters, getFileSystem(), m_timer.get()));
            return true;
        case DriverDirect3D8: {
            IVideoDriver* driver =
                createDirect3D8Driver(m_parameters, getFileSystem(), m_timer.get());
            if (!driver) {
                CLogger::instance().log("Could not create DIRECT3D8 Driver.", LogError);
                return false;
            }
            setVideoDriver(driver);
            return true;
        }
        case DriverDirect3D9: {
            IVideoDriver* driver =
                createDirect3D9Driver(m_parameters, getFileSystem(), m_timer.get());
            if (!driver) {
                CLogger::instance().log("Could not create DIRECT3D9 Driver.", LogError);
                return false;
            }
            setVideoDriver(driver);
            return true;
        }
        case DriverOpenGL: {
            if (m_parameters.fullscreen)
                switchToFullscreen(m_parameters.windowSize.Width, m_parameters.windowSize.Height,
                                   static_cast<s32>(m_parameters.bits));
            IVideoDriver* driver = createOpenGLDriver(m_parameters, getFileSystem(), m_timer.get());
            // The driver makes the window again for its pixel format.
            m_parameters.windowId = m_window.exists() ? m_window.nativeHandle() : nullptr;
            if (!driver) {
                CLogger::instance().log("Could not create OpenGL driver.", LogError);
                return false;
            }
            setVideoDriver(driver);
            return true;
        }
        default:
            CLogger::instance().log("Unable to create video driver of unknown type.", LogError);
            return false;
    }
}

CDeviceLinux::~CDeviceLinux() {
    // The OpenGL driver's context lives on the window: the driver goes first.
    releaseVideoDriver();
    if (m_cursor) m_cursor->drop();
    m_cursor = nullptr;
    restoreDisplayMode();
    destroyWindow();
    if (m_videoStarted) platform::stopVideo();
}

bool CDeviceLinux::createWindow() {
    if (m_parameters.driverType == DriverNull && !m_parameters.windowId) return false;
    if (m_parameters.windowId) {
        CLogger::instance().log("A window given from outside is not supported on Linux.", LogError);
        m_parameters.windowId = nullptr;
        if (m_parameters.driverType == DriverNull) return false;
    }
    if (!m_videoStarted) {
        if (!platform::startVideo()) {
            CLogger::instance().logHint("Can't register window class",
                                        platform::videoError().c_str(), LogError);
            return false;
        }
        m_videoStarted = true;
    }
    const std::string caption =
        toUtf8(m_engineSettings->getStringW(EngineSettingTitleCaption).c_str());
    const bool desktop = m_parameters.fullscreen && m_parameters.useDesktopResolution;
    if (!m_window.create(caption, m_parameters.windowSize.Width, m_parameters.windowSize.Height,
                         m_parameters.fullscreen, desktop)) {
        CLogger::instance().logHint("Can't register window class", m_window.error().c_str(),
                                    LogError);
        return false;
    }
    m_parameters.windowId = m_window.nativeHandle();
    m_visible = true;
    m_active = true;
    loadWindowIcon();
    if (!m_cursor) m_cursor = new CCursorControl(&m_window);
    m_cursor->setFullscreen(m_parameters.fullscreen);
    return true;
}

void CDeviceLinux::loadWindowIcon() {
    CFileSystem* fs = getFileSystem();
    IReadableFile* file = fs ? fs->createAndOpenFile("icon.png") : nullptr;
    if (!file) return;
    CImage* icon = getImageManager().loadImage(file, CCreationContext(nullptr, "icon.png"));
    file->drop();
    if (!icon) return;
    const std::vector<u32> pixels = imagePixelsArgb(*icon);
    if (!pixels.empty())
        m_window.setIcon(pixels.data(), icon->getDimension().Width, icon->getDimension().Height);
    icon->drop();
}

ICursorControl* CDeviceLinux::getCursorControl() const {
    return m_window.exists() ? m_cursor : nullptr;
}

void CDeviceLinux::refreshCursorPosition() {
    if (m_cursor && m_window.exists()) m_cursor->updatePosition();
}

void CDeviceLinux::destroyWindow() {
    if (!m_window.exists()) return;
    m_window.destroy();
    m_parameters.windowId = nullptr;
}

void CDeviceLinux::closeDevice() {
    CDeviceBase::closeDevice();
    if (m_window.exists()) {
        destroyWindow();
        CLogger::instance().log("WM_DESTROY command received", LogInformation);
        postEvent(new CEventSystemFlowQuit());
    }
}

void CDeviceLinux::endWindow() {
    destroyWindow();
    CLogger::instance().log("WM_DESTROY command received", LogInformation);
    postEvent(new CEventSystemFlowQuit());
    postQuitMessage();
}

void CDeviceLinux::placeWindow() {
    m_window.place(m_parameters.windowSize.Width, m_parameters.windowSize.Height,
                   m_parameters.fullscreen);
}

bool CDeviceLinux::switchToFullscreen(s32 width, s32 height, s32 bits) {
    const bool desktop = m_parameters.useDesktopResolution ||
                         (width == getDesktopMode().width && height == getDesktopMode().height);
    if (m_window.setFullscreen(true, desktop, width, height, bits)) {
        m_parameters.fullscreen = true;
        m_fullscreenSwitched = true;
        return true;
    }
    const std::string& why = m_window.error();
    const char* message = "An unknown error occured while changing to fullscreen.";
    if (why == "mode") message = "Switch to fullscreen: The graphics mode is not supported.";
    CLogger::instance().log(message, LogError);
    return false;
}

void CDeviceLinux::restoreDisplayMode() {
    if (!m_fullscreenSwitched) return;
    m_window.setFullscreen(false, false, 0, 0, 0);
    m_fullscreenSwitched = false;
}

bool CDeviceLinux::reset(const SDeviceParameters& parameters) {
    if (m_cursor) m_cursor->setFullscreen(parameters.fullscreen);
    releaseVideoDriver();
    const bool needWindow = !m_window.exists() && m_parameters.driverType == DriverNull &&
                            parameters.driverType != DriverNull;
    if (m_parameters.fullscreen) {
        restoreDisplayMode();
        m_parameters.fullscreen = false;
    }
    void* window = m_parameters.windowId;
    m_parameters = parameters;
    m_parameters.windowId = window;
    if (m_parameters.fullscreen && m_parameters.useDesktopResolution) {
        const platform::SVideoMode& desktop = getDesktopMode();
        if (desktop.width > 0) {
            m_parameters.windowSize.Width = desktop.width;
            m_parameters.windowSize.Height = desktop.height;
        }
    }
    // A window that cannot be made is logged; the driver that needs it fails next.
    if (needWindow) static_cast<void>(createWindow());
    // Back from full screen the window takes its size first: the new driver reads the screen's
    // size from it.
    if (m_window.exists() && !m_parameters.fullscreen) placeWindow();
    if (!createDriver(m_parameters.driverType)) return false;
    if (m_window.exists()) {
        if (m_parameters.fullscreen && !driverTakesFullscreen(m_parameters.driverType))
            switchToFullscreen(m_parameters.windowSize.Width, m_parameters.windowSize.Height,
                               static_cast<s32>(m_parameters.bits));
        placeWindow();
        m_window.raise();
        m_visible = true;
        m_active = true;
    }
    return true;
}

void CDeviceLinux::setWindowCaption(const wchar_t* caption) { m_window.setTitle(toUtf8(caption)); }

void CDeviceLinux::setResizable(bool resizable) {
    // Nothing without a window or in full screen.
    if (!m_window.exists() || m_parameters.fullscreen) return;
    m_resizable = resizable;
    m_window.setResizable(resizable);
    placeWindow();
}

u16 CDeviceLinux::gammaRampEntry(u32 i, f32 gamma, f32 brightness, f32 contrast) {
    const f64 scale = 255.0 - static_cast<f64>(contrast) * 127.5;
    const f64 exponent = gamma > 0.0f ? 1.0 / static_cast<f64>(gamma) : 0.0;
    f64 base = scale != 0.0 ? static_cast<f64>(i) / scale : 0.0;
    if (base < 0.0) base = 0.0;
    f64 value = std::trunc(std::pow(base, exponent) * 65535.0 + 0.5) +
                std::trunc(static_cast<f64>(brightness) * 16383.75);
    if (!(value > 0.0)) value = 0.0;  // also catches NaN
    if (value > 65535.0) value = 65535.0;
    return static_cast<u16>(value);
}

bool CDeviceLinux::setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast) {
    if (!m_window.exists()) return false;
    u16 ramps[3][256];
    const f32 gammas[3] = {red, green, blue};
    for (u32 c = 0; c < 3; ++c)
        for (u32 i = 0; i < 256; ++i)
            ramps[c][i] = gammaRampEntry(i, gammas[c], brightness, contrast);
    return m_window.setGammaRamp(ramps[0], ramps[1], ramps[2]);
}

bool CDeviceLinux::getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness, f32& contrast) {
    u16 ramps[3][256];
    brightness = 0.0f;
    contrast = 0.0f;
    if (!m_window.getGammaRamp(ramps[0], ramps[1], ramps[2])) return false;
    f32* gammas[3] = {&red, &green, &blue};
    for (u32 c = 0; c < 3; ++c) {
        f64 sum = 0.0;
        u32 count = 0;
        for (u32 i = 1; i < 256; ++i) {
            const u16 entry = ramps[c][i];
            if (entry == 0 || entry == 65535) continue;
            sum += std::log(entry / 65535.0) / std::log(i / 256.0);
            ++count;
        }
        *gammas[c] = (count && sum != 0.0) ? static_cast<f32>(1.0 / (sum / count)) : 1.0f;
    }
    return true;
}

bool CDeviceLinux::openUrl(const c8* url) {
    if (url && platform::openUrl(url)) return true;
    CLogger::instance().logHint("Unable to open URL", url ? url : "", LogWarning);
    return false;
}

void CDeviceLinux::bringToFront() {
    if (!m_window.exists()) return;
    if (m_window.isMinimized()) m_window.restore();
    m_window.raise();
}

const std::vector<platform::SVideoMode>& CDeviceLinux::getVideoModeList() {
    if (!m_modesRead && (m_videoStarted || platform::startVideo())) {
        if (!m_videoStarted) m_videoStarted = true;
        m_modes = platform::getDisplayModes();
        m_desktop = platform::getDesktopMode();
        m_modesRead = true;
    }
    return m_modes;
}

const platform::SVideoMode& CDeviceLinux::getDesktopMode() {
    getVideoModeList();
    return m_desktop;
}

CDeviceBase::EMessageResult CDeviceLinux::takeMessage(bool wait) {
    if (!m_videoStarted) return MessageNone;
    platform::SMessage message;
    // Without a window there is nothing to wait for.
    if (!platform::takeMessage(message, wait && m_window.exists())) return MessageNone;
    handleMessage(message);
    return MessageHandled;
}

void CDeviceLinux::activateApplication(bool active) {
    m_active = active;
    if (active) {
        if (m_parameters.fullscreen && !m_fullscreenSwitched &&
            !driverTakesFullscreen(m_parameters.driverType))
            switchToFullscreen(m_parameters.windowSize.Width, m_parameters.windowSize.Height,
                               static_cast<s32>(m_parameters.bits));
        postEvent(new CEventSystemFlowAppActivation(true));
        CLogger::instance().log("Application activated.", LogInformation);
    } else {
        if (m_parameters.fullscreen) {
            restoreDisplayMode();
            m_parameters.fullscreen = true;  // the choice stays; the mode comes back on activation
            m_window.minimize();
        }
        postEvent(new CEventSystemFlowAppActivation(false));
        CLogger::instance().log("Application deactivated.", LogInformation);
    }
}

void CDeviceLinux::handleMessage(const platform::SMessage& m) {
    using platform::EMessage;
    using platform::EMouseButton;
    switch (m.kind) {
        case EMessage::CloseRequest:
            CLogger::instance().log("SC_CLOSE command received", LogInformation);
            if (postEvent(new CEventSystemFlowCloseRequest())) return;  // a receiver kept it open
            endWindow();
            return;
        case EMessage::Quit:
            // The process is asked to end (SIGTERM, SIGINT): the way of a close nobody refused,
            // without asking the receivers, who could otherwise keep the game from ending.
            CLogger::instance().log("Signal to end the program received", LogInformation);
            endWindow();
            return;
        case EMessage::Minimized:
            m_visible = false;
            m_active = false;
            return;
        case EMessage::Restored:
        case EMessage::Resized:
            m_visible = true;
            m_active = true;
            m_resized = true;
            return;
        case EMessage::FocusGained:
            postEvent(new CEventSystemFlowWindowFocus(true));
            activateApplication(true);
            return;
        case EMessage::FocusLost:
            postEvent(new CEventSystemFlowWindowFocus(false));
            activateApplication(false);
            return;
        case EMessage::Exposed:
            if (!m_parameters.fullscreen && !m_active && hasVideoDriver())
                postEvent(new CEventSystemFlowRender());
            return;
        case EMessage::KeyDown:
        case EMessage::KeyUp: {
            // Alt combinations are system keys; characters typed with AltGr still count.
            if (m.alt || (m.altGr && m.character == 0)) return;
            if (m.kind == EMessage::KeyDown)
                postEvent(new CEventKeyboardKeyDown(m.character, m.key, m.shift, m.control));
            else
                postEvent(new CEventKeyboardKeyUp(m.character, m.key, m.shift, m.control));
            return;
        }
        case EMessage::MouseMove:
            if (m_visible) postEvent(new CEventMouseMove(m.x, m.y));
            return;
        case EMessage::ButtonDown:
            ++m_captureCount;
            platform::captureMouse(true);
            if (m.button == EMouseButton::Left) postEvent(new CEventMouseLeftDown(m.x, m.y));
            if (m.button == EMouseButton::Right) postEvent(new CEventMouseRightDown(m.x, m.y));
            if (m.button == EMouseButton::Middle) postEvent(new CEventMouseMiddleDown(m.x, m.y));
            return;
        case EMessage::ButtonUp:
            if (m_captureCount <= 1) {
                m_captureCount = 0;
                platform::captureMouse(false);
            } else {
                --m_captureCount;
            }
            if (m.button == EMouseButton::Left) postEvent(new CEventMouseLeftUp(m.x, m.y));
            if (m.button == EMouseButton::Right) postEvent(new CEventMouseRightUp(m.x, m.y));
            if (m.button == EMouseButton::Middle) postEvent(new CEventMouseMiddleUp(m.x, m.y));
            return;
        case EMessage::Wheel:
            if (m_active) postEvent(new CEventMouseWheel(m.x, m.y, m.wheel));
            return;
        case EMessage::None:
            return;
    }
}

bool CDeviceLinux::hasVideoDriver() const { return m_videoDriver != nullptr; }

void CDeviceLinux::onWindowResized(s32 width, s32 height) {
    if (m_videoDriver) m_videoDriver->OnResize(dimension2di(width, height));
}

void CDeviceLinux::applyPendingResize() {
    if (!m_resized || !hasVideoDriver() || !m_window.exists()) return;
    m_resized = false;
    s32 width = 0, height = 0;
    m_window.getClientSize(width, height);
    if (width < 2 || height < 2) {
        logFormatted("Ignoring resize operation to (%ld %ld)", width, height);
        return;
    }
    if ((!m_resizable || m_parameters.fullscreen) &&
        (width != m_parameters.windowSize.Width || height != m_parameters.windowSize.Height)) {
        placeWindow();
        width = m_parameters.windowSize.Width;
        height = m_parameters.windowSize.Height;
    }
    logFormatted("Resizing window (%ld %ld)", width, height);
    onWindowResized(width, height);
}

}  // namespace oskel
