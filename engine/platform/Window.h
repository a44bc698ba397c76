#pragma once

// The window system as the engine sees it: one window with an OpenGL surface, its messages in
// the engine's terms, display modes, the gamma ramp, the mouse cursor, and opening web links.
// Built on SDL2; nothing of SDL shows through this header.

#include <cstdint>
#include <string>
#include <vector>

namespace oskel::platform {

// What happened in the window system.
enum class EMessage {
    None,
    CloseRequest,  // the window's close button (or the window manager's close)
    Quit,          // the process was asked to end (SIGINT, SIGTERM)
    Minimized,
    Restored,  // shown, restored or maximised
    Resized,   // the client area changed size (x, y: the new size)
    FocusGained,
    FocusLost,
    Exposed,  // the window needs repainting
    KeyDown,
    KeyUp,
    MouseMove,
    ButtonDown,
    ButtonUp,
    Wheel,
};

enum class EMouseButton { Left, Right, Middle, Other };

struct SMessage {
    EMessage kind = EMessage::None;
    int32_t x = 0, y = 0;  // mouse position in client pixels, or the new size
    // Keys: the virtual key number, the typed character (0 when none), the modifiers at the
    // moment of the key, and whether the key is held by the keyboard's auto-repeat.
    uint32_t key = 0;
    uint16_t character = 0;
    bool shift = false, control = false, alt = false, altGr = false, repeat = false;
    EMouseButton button = EMouseButton::Other;
    float wheel = 0.0f;  // notches, positive away from the user
};

struct SVideoMode {
    int32_t width = 0, height = 0, bits = 0;
    bool operator<(const SVideoMode& o) const;
    bool operator==(const SVideoMode& o) const {
        return width == o.width && height == o.height && bits == o.bits;
    }
};

// Starts and stops the video part of the window system (counted: every start needs a stop).
// Starting fails without a desktop display (X11 or Wayland) to open windows on; videoError()
// then says why.
bool startVideo();
void stopVideo();
const std::string& videoError();
// Whether SDL's video driver of this name shows windows on a desktop.
bool isDesktopVideoDriver(const char* name);

// Takes the next message; waits for one when asked (a quarter of a second at most). False when
// there was none.
bool takeMessage(SMessage& message, bool wait);

// The virtual key number of an SDL key code (letters and digits as their upper-case ASCII
// codes, numpad keys apart from the main keys); 0 for keys without one.
uint32_t virtualKeyOfKeycode(int32_t sdlKeycode);

// Every display mode of the first display (sorted, without repeats) and the desktop's mode.
std::vector<SVideoMode> getDisplayModes();
SVideoMode getDesktopMode();

class CWindow {
public:
    CWindow() = default;
    ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Creates the window, centred (windowed) or at (0, 0) (full screen). With desktopFullscreen
    // the window covers the desktop without a mode change; otherwise full screen changes the
    // display mode. On failure, error() says why.
    [[nodiscard]] bool create(const std::string& titleUtf8, int32_t width, int32_t height, bool fullscreen,
                bool desktopFullscreen);
    void destroy();
    // Makes the window again with the same caption, size, position, flags and icon: an OpenGL
    // pixel format takes effect only on a new window. The old window goes only once the new one
    // exists; on failure error() says why and the old one stays.
    bool recreate();
    bool exists() const { return m_handle != nullptr; }
    // The window object of a native handle, or none.
    static CWindow* fromHandle(void* handle);
    void* nativeHandle() const { return m_handle; }
    const std::string& error() const { return m_error; }

    void setTitle(const std::string& titleUtf8);
    // The window icon from 32-bit ARGB pixels.
    void setIcon(const uint32_t* argb, int32_t width, int32_t height);
    // Places the window for the size: centred when windowed, at (0, 0) in full screen.
    void place(int32_t width, int32_t height, bool fullscreen);
    bool setFullscreen(bool fullscreen, bool desktop, int32_t width, int32_t height, int32_t bits);
    void setResizable(bool resizable);
    void minimize();
    // Shows a minimised window again.
    void restore();
    void raise();
    void getClientSize(int32_t& width, int32_t& height) const;
    bool getPosition(int32_t& x, int32_t& y) const;
    bool isMinimized() const;
    bool hasInputFocus() const;

    bool setGammaRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue);
    bool getGammaRamp(uint16_t* red, uint16_t* green, uint16_t* blue) const;

private:
    void* m_handle = nullptr;
    void* m_icon = nullptr;
    std::string m_error;
};

// The mouse.
void showCursor(bool visible);
// The pointer position relative to the window's client area; false when unknown.
bool getMousePosition(const CWindow& window, int32_t& x, int32_t& y);
void warpMouse(const CWindow& window, int32_t x, int32_t y);
void captureMouse(bool capture);
// A colour cursor from 32-bit ARGB pixels (rows of width pixels); replaces (and frees) the
// previous one. False when it could not be made.
bool setCursorImage(const uint32_t* argb, int32_t width, int32_t height, int32_t hotX, int32_t hotY);
// The system arrow again.
void setArrowCursor();

// Opens an http or https address in the user's browser.
bool openUrl(const std::string& url);

// The operating system's name, version and build: uname() and /etc/os-release.
std::string describeOperatingSystem();

}  // namespace oskel::platform
