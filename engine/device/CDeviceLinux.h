#pragma once

#include "engine/device/CCursorControl.h"
#include "engine/device/CDeviceBase.h"
#include "engine/platform/Window.h"

namespace oskel {

// The device on Linux: one window with an OpenGL surface, its messages turned into the engine's
// events, display modes, full screen, the gamma ramp and web links. A device made for the null
// driver has no window.
class CDeviceLinux : public CDeviceBase {
public:
    explicit CDeviceLinux(const SDeviceParameters& parameters,
                          std::unique_ptr<IClock> clock = nullptr);
    ~CDeviceLinux() override;

    void closeDevice() override;
    [[nodiscard]] bool reset(const SDeviceParameters& parameters) override;
    ICursorControl* getCursorControl() const override;
    void setWindowCaption(const wchar_t* caption) override;
    void setResizable(bool resizable) override;
    bool isWindowActive() const override { return m_active; }
    bool isWindowFocused() const override { return m_window.hasInputFocus(); }
    bool isWindowMinimized() const override { return m_window.isMinimized(); }
    bool setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast) override;
    bool getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness, f32& contrast) override;
    bool openUrl(const c8* url) override;
    void bringToFront() override;

    const std::vector<platform::SVideoMode>& getVideoModeList() override;
    const platform::SVideoMode& getDesktopMode() override;

    // The window procedure: handles one message of the window system.
    void handleMessage(const platform::SMessage& message);

    bool hasWindow() const { return m_window.exists(); }
    // Whether a video driver exists.
    bool hasVideoDriver() const;
    platform::CWindow& getWindow() { return m_window; }

    // One gamma ramp entry: i of 256 for gamma, brightness and contrast, computed in double
    // and kept inside 0..65535.
    static u16 gammaRampEntry(u32 i, f32 gamma, f32 brightness, f32 contrast);

protected:
    EMessageResult takeMessage(bool wait) override;
    void refreshCursorPosition() override;
    void applyPendingResize() override;

private:
    [[nodiscard]] bool createWindow();
    bool switchToFullscreen(s32 width, s32 height, s32 bits);
    void restoreDisplayMode();
    void placeWindow();
    void destroyWindow();
    // The window goes, CEventSystemFlowQuit is posted and the loop ends at its next turn.
    void endWindow();
    // The window's icon from the picture "icon.png", when there is one.
    void loadWindowIcon();
    void activateApplication(bool active);
    // Creates the video driver of the type; false (with a log line) when it cannot be made.
    [[nodiscard]] bool createDriver(s32 type);
    // Creates the audio driver of the type (0 null, 1 OpenAL) and announces it.
    [[nodiscard]] bool createAudioDriver(s32 type);
    // Tells the video driver the new size of the window.
    void onWindowResized(s32 width, s32 height);

    platform::CWindow m_window;
    CCursorControl* m_cursor = nullptr;  // made with the window
    bool m_videoStarted = false;
    bool m_resizable = false;
    bool m_resized = false;
    bool m_fullscreenSwitched = false;
    u32 m_captureCount = 0;
    bool m_modesRead = false;
    std::vector<platform::SVideoMode> m_modes;
    platform::SVideoMode m_desktop;
};

}  // namespace oskel
