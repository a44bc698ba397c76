#include "engine/platform/Window.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include <SDL.h>

namespace oskel::platform {

namespace {

int g_videoStarts = 0;
std::string g_videoError;
SDL_Cursor* g_cursor = nullptr;
SDL_Surface* g_cursorSurface = nullptr;
// The character of each key that is down, so its key-up carries the same one.
std::map<int32_t, uint16_t> g_keyCharacters;

SDL_Window* asWindow(void* handle) { return static_cast<SDL_Window*>(handle); }

// Every window object that holds a window, to find it again by its handle.
std::vector<CWindow*> g_windows;

void registerWindow(CWindow* window) {
    if (std::find(g_windows.begin(), g_windows.end(), window) == g_windows.end())
        g_windows.push_back(window);
}

void unregisterWindow(CWindow* window) {
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
}

// The first code point of UTF-8 text; 0 when there is none or it is beyond 16 bits.
uint16_t firstCharacter(const char* text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    if (!s || !s[0]) return 0;
    uint32_t cp;
    int extra;
    if (s[0] < 0x80) return s[0];
    if ((s[0] & 0xE0) == 0xC0) {
        cp = s[0] & 0x1F;
        extra = 1;
    } else if ((s[0] & 0xF0) == 0xE0) {
        cp = s[0] & 0x0F;
        extra = 2;
    } else {
        return 0;  // four-byte sequences lie beyond 16 bits; anything else is not UTF-8
    }
    for (int i = 1; i <= extra; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    return cp > 0xFFFF ? 0 : static_cast<uint16_t>(cp);
}

// The character a key stands for when no text comes with it: the control characters.
uint16_t controlCharacter(SDL_Keycode key, bool control) {
    switch (key) {
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 13;
        case SDLK_ESCAPE: return 27;
        default: break;
    }
    if (control && key >= SDLK_a && key <= SDLK_z) return static_cast<uint16_t>(key - SDLK_a + 1);
    return 0;
}

void fillModifiers(SMessage& m, Uint16 mod) {
    m.shift = (mod & KMOD_SHIFT) != 0;
    m.control = (mod & KMOD_CTRL) != 0;
    m.alt = (mod & KMOD_LALT) != 0;
    m.altGr = (mod & (KMOD_RALT | KMOD_MODE)) != 0;
}

bool translateKey(const SDL_KeyboardEvent& e, SMessage& m) {
    m.key = virtualKeyOfKeycode(e.keysym.sym);
    m.repeat = e.repeat != 0;
    fillModifiers(m, e.keysym.mod);
    if (e.type == SDL_KEYDOWN) {
        m.kind = EMessage::KeyDown;
        uint16_t character = 0;
        // The text this key typed, when the input method produced it at once.
        SDL_Event next;
        if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
            next.type == SDL_TEXTINPUT) {
            SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
            character = firstCharacter(next.text.text);
        }
        if (!character) character = controlCharacter(e.keysym.sym, m.control);
        m.character = character;
        g_keyCharacters[e.keysym.sym] = character;
    } else {
        m.kind = EMessage::KeyUp;
        auto found = g_keyCharacters.find(e.keysym.sym);
        m.character = found == g_keyCharacters.end() ? controlCharacter(e.keysym.sym, m.control)
                                                     : found->second;
        if (found != g_keyCharacters.end()) g_keyCharacters.erase(found);
    }
    return true;
}

EMouseButton buttonOf(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return EMouseButton::Left;
        case SDL_BUTTON_RIGHT: return EMouseButton::Right;
        case SDL_BUTTON_MIDDLE: return EMouseButton::Middle;
        default: return EMouseButton::Other;
    }
}

// One SDL event in the engine's terms; false for events the engine has no use for.
bool translate(const SDL_Event& e, SMessage& m) {
    m = SMessage();
    switch (e.type) {
        case SDL_QUIT:
            m.kind = EMessage::Quit;
            return true;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: m.kind = EMessage::CloseRequest; return true;
                case SDL_WINDOWEVENT_MINIMIZED: m.kind = EMessage::Minimized; return true;
                case SDL_WINDOWEVENT_RESTORED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                case SDL_WINDOWEVENT_SHOWN: m.kind = EMessage::Restored; return true;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    m.kind = EMessage::Resized;
                    m.x = e.window.data1;
                    m.y = e.window.data2;
                    return true;
                case SDL_WINDOWEVENT_FOCUS_GAINED: m.kind = EMessage::FocusGained; return true;
                case SDL_WINDOWEVENT_FOCUS_LOST: m.kind = EMessage::FocusLost; return true;
                case SDL_WINDOWEVENT_EXPOSED: m.kind = EMessage::Exposed; return true;
                default: return false;
            }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return translateKey(e.key, m);
        case SDL_MOUSEMOTION:
            m.kind = EMessage::MouseMove;
            m.x = e.motion.x;
            m.y = e.motion.y;
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            m.kind = e.type == SDL_MOUSEBUTTONDOWN ? EMessage::ButtonDown : EMessage::ButtonUp;
            m.button = buttonOf(e.button.button);
            m.x = e.button.x;
            m.y = e.button.y;
            return m.button != EMouseButton::Other;
        case SDL_MOUSEWHEEL: {
            m.kind = EMessage::Wheel;
            float notches = e.wheel.preciseY;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            m.wheel = notches;
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            m.x = x;
            m.y = y;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

bool SVideoMode::operator<(const SVideoMode& o) const {
    if (width != o.width) return width < o.width;
    if (height != o.height) return height < o.height;
    return bits < o.bits;
}

bool startVideo() {
    if (g_videoStarts > 0) {
        ++g_videoStarts;
        return true;
    }
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        // Closing the last window is the device's business, not a quit of the whole program; a
        // quit event then always means a signal.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            g_videoError = std::string("No display to open a window on (") + SDL_GetError() + ")";
            return false;
        }
        SDL_StartTextInput();
    }
    // SDL falls back to drivers that draw off screen or on the bare frame buffer when it finds no
    // desktop: nobody would see the window there.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!isDesktopVideoDriver(driver)) {
        g_videoError = std::string("No display to open a window on: there is no X11 or Wayland "
                                   "desktop (SDL offers only its \"") +
                       (driver ? driver : "") + "\" video driver)";
        return false;
    }
    g_videoError.clear();
    ++g_videoStarts;
    return true;
}

const std::string& videoError() { return g_videoError; }

bool isDesktopVideoDriver(const char* name) {
    return name && (std::strcmp(name, "x11") == 0 || std::strcmp(name, "wayland") == 0);
}

void stopVideo() {
    if (g_videoStarts == 0 || --g_videoStarts > 0) return;
    setArrowCursor();
    g_keyCharacters.clear();
    // The window system itself stays connected until the process ends: shutting it down would
    // unload its libraries under their own process-lifetime allocations, and a later device
    // would only have to connect again.
}

namespace {
// The longest a wait for a message lasts.
constexpr int kMessageWaitMs = 250;
}  // namespace

bool takeMessage(SMessage& message, bool wait) {
    if (g_videoStarts == 0) return false;
    SDL_Event e;
    for (;;) {
        // A wait ends after a while even without a message, so that the loop can look after
        // things outside the window system (such as a request to come to the front).
        const int got = wait ? SDL_WaitEventTimeout(&e, kMessageWaitMs) : SDL_PollEvent(&e);
        if (!got) return false;
        if (translate(e, message)) return true;  // others are skipped
    }
}

uint32_t virtualKeyOfKeycode(int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112u + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return 124u + static_cast<uint32_t>(key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97u + static_cast<uint32_t>(key - SDLK_KP_1);
    switch (key) {
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_RETURN: return 13;
        case SDLK_KP_ENTER: return 13;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 16;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 17;
        case SDLK_LALT:
        case SDLK_RALT: return 18;
        case SDLK_PAUSE: return 19;
        case SDLK_CAPSLOCK: return 20;
        case SDLK_ESCAPE: return 27;
        case SDLK_SPACE: return 32;
        case SDLK_PAGEUP: return 33;
        case SDLK_PAGEDOWN: return 34;
        case SDLK_END: return 35;
        case SDLK_HOME: return 36;
        case SDLK_LEFT: return 37;
        case SDLK_UP: return 38;
        case SDLK_RIGHT: return 39;
        case SDLK_DOWN: return 40;
        case SDLK_PRINTSCREEN: return 44;
        case SDLK_INSERT: return 45;
        case SDLK_DELETE: return 46;
        case SDLK_LGUI: return 91;
        case SDLK_RGUI: return 92;
        case SDLK_APPLICATION: return 93;
        case SDLK_KP_0: return 96;
        case SDLK_KP_MULTIPLY: return 106;
        case SDLK_KP_PLUS: return 107;
        case SDLK_KP_MINUS: return 109;
        case SDLK_KP_PERIOD: return 110;
        case SDLK_KP_DIVIDE: return 111;
        case SDLK_NUMLOCKCLEAR: return 144;
        case SDLK_SCROLLLOCK: return 145;
        case SDLK_SEMICOLON: return 186;
        case SDLK_EQUALS: return 187;
        case SDLK_COMMA: return 188;
        case SDLK_MINUS: return 189;
        case SDLK_PERIOD: return 190;
        case SDLK_SLASH: return 191;
        case SDLK_BACKQUOTE: return 192;
        case SDLK_LEFTBRACKET: return 219;
        case SDLK_BACKSLASH: return 220;
        case SDLK_RIGHTBRACKET: return 221;
        case SDLK_QUOTE: return 222;
        default: return 0;
    }
}

std::vector<SVideoMode> getDisplayModes() {
    std::vector<SVideoMode> modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        SVideoMode m{mode.w, mode.h, static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format))};
        if (m.bits == 24) m.bits = 32;  // X servers report 24-bit depth for 32-bit pixels
        if (std::find(modes.begin(), modes.end(), m) == modes.end()) modes.push_back(m);
    }
    std::sort(modes.begin(), modes.end());
    return modes;
}

SVideoMode getDesktopMode() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
    SVideoMode m{mode.w, mode.h, static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format))};
    if (m.bits == 24) m.bits = 32;
    return m;
}

CWindow::~CWindow() { destroy(); }

bool CWindow::create(const std::string& title, int32_t width, int32_t height, bool fullscreen,
                     bool desktopFullscreen) {
    destroy();
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    if (fullscreen) flags |= desktopFullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN;
    const int pos = fullscreen ? 0 : static_cast<int>(SDL_WINDOWPOS_CENTERED);
    SDL_Window* w = SDL_CreateWindow(title.c_str(), pos, pos, width, height, flags);
    if (!w) {
        m_error = SDL_GetError();
        return false;
    }
    m_handle = w;
    registerWindow(this);
    return true;
}

bool CWindow::recreate() {
    if (!m_handle) {
        m_error = "no window";
        return false;
    }
    SDL_Window* old = asWindow(m_handle);
    const Uint32 keep = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN |
                        SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE |
                        SDL_WINDOW_ALWAYS_ON_TOP;
    const Uint32 flags = (SDL_GetWindowFlags(old) & keep) | SDL_WINDOW_OPENGL;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(old, &x, &y);
    SDL_GetWindowSize(old, &width, &height);
    const std::string title = SDL_GetWindowTitle(old);
    SDL_Window* w = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (!w) {
        m_error = SDL_GetError();
        return false;
    }
    if (m_icon) SDL_SetWindowIcon(w, static_cast<SDL_Surface*>(m_icon));
    SDL_DestroyWindow(old);
    m_handle = w;
    m_error.clear();
    return true;
}

CWindow* CWindow::fromHandle(void* handle) {
    if (!handle) return nullptr;
    for (CWindow* window : g_windows)
        if (window->m_handle == handle) return window;
    return nullptr;
}

void CWindow::destroy() {
    if (m_handle) SDL_DestroyWindow(asWindow(m_handle));
    m_handle = nullptr;
    unregisterWindow(this);
    if (m_icon) SDL_FreeSurface(static_cast<SDL_Surface*>(m_icon));
    m_icon = nullptr;
}

void CWindow::setTitle(const std::string& title) {
    if (m_handle) SDL_SetWindowTitle(asWindow(m_handle), title.c_str());
}

void CWindow::setIcon(const uint32_t* argb, int32_t width, int32_t height) {
    if (!m_handle || !argb || width <= 0 || height <= 0) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(static_cast<uint8_t*>(surface->pixels) + row * surface->pitch,
                    argb + static_cast<size_t>(row) * width, static_cast<size_t>(width) * 4);
    SDL_SetWindowIcon(asWindow(m_handle), surface);
    if (m_icon) SDL_FreeSurface(static_cast<SDL_Surface*>(m_icon));
    m_icon = surface;
}

void CWindow::place(int32_t width, int32_t height, bool fullscreen) {
    if (!m_handle) return;
    SDL_SetWindowSize(asWindow(m_handle), width, height);
    if (fullscreen)
        SDL_SetWindowPosition(asWindow(m_handle), 0, 0);
    else
        SDL_SetWindowPosition(asWindow(m_handle), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool CWindow::setFullscreen(bool fullscreen, bool desktop, int32_t width, int32_t height,
                            int32_t bits) {
    if (!m_handle) return false;
    SDL_Window* w = asWindow(m_handle);
    if (!fullscreen) {
        m_error.clear();
        return SDL_SetWindowFullscreen(w, 0) == 0;
    }
    if (!desktop) {
        SDL_DisplayMode wanted{};
        wanted.w = width;
        wanted.h = height;
        wanted.format = bits == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
        SDL_DisplayMode closest;
        if (!SDL_GetClosestDisplayMode(0, &wanted, &closest) || closest.w != width ||
            closest.h != height) {
            m_error = "mode";
            return false;
        }
        if (SDL_SetWindowDisplayMode(w, &closest) != 0) {
            m_error = SDL_GetError();
            return false;
        }
    }
    if (SDL_SetWindowFullscreen(w, desktop ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN) != 0) {
        m_error = SDL_GetError();
        return false;
    }
    return true;
}

void CWindow::setResizable(bool resizable) {
    if (m_handle) SDL_SetWindowResizable(asWindow(m_handle), resizable ? SDL_TRUE : SDL_FALSE);
}

void CWindow::minimize() {
    if (m_handle) SDL_MinimizeWindow(asWindow(m_handle));
}

void CWindow::restore() {
    if (m_handle) SDL_RestoreWindow(asWindow(m_handle));
}

void CWindow::raise() {
    if (m_handle) SDL_RaiseWindow(asWindow(m_handle));
}

void CWindow::getClientSize(int32_t& width, int32_t& height) const {
    width = height = 0;
    if (m_handle) SDL_GetWindowSize(asWindow(m_handle), &width, &height);
}

bool CWindow::getPosition(int32_t& x, int32_t& y) const {
    x = y = 0;
    if (!m_handle) return false;
    SDL_GetWindowPosition(asWindow(m_handle), &x, &y);
    return true;
}

bool CWindow::isMinimized() const {
    return m_handle && (SDL_GetWindowFlags(asWindow(m_handle)) & SDL_WINDOW_MINIMIZED) != 0;
}

bool CWindow::hasInputFocus() const {
    return m_handle && (SDL_GetWindowFlags(asWindow(m_handle)) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool CWindow::setGammaRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
    return m_handle && SDL_SetWindowGammaRamp(asWindow(m_handle), red, green, blue) == 0;
}

bool CWindow::getGammaRamp(uint16_t* red, uint16_t* green, uint16_t* blue) const {
    return m_handle && SDL_GetWindowGammaRamp(asWindow(m_handle), red, green, blue) == 0;
}

void showCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

bool getMousePosition(const CWindow& window, int32_t& x, int32_t& y) {
    if (!window.exists()) return false;
    int gx = 0, gy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(asWindow(window.nativeHandle()), &wx, &wy);
    x = gx - wx;
    y = gy - wy;
    return true;
}

void warpMouse(const CWindow& window, int32_t x, int32_t y) {
    if (window.exists()) SDL_WarpMouseInWindow(asWindow(window.nativeHandle()), x, y);
}

void captureMouse(bool capture) { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

bool setCursorImage(const uint32_t* argb, int32_t width, int32_t height, int32_t hotX, int32_t hotY) {
    if (!argb || width <= 0 || height <= 0) return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(static_cast<uint8_t*>(surface->pixels) + row * surface->pitch,
                    argb + static_cast<size_t>(row) * width, static_cast<size_t>(width) * 4);
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, hotX, hotY);
    if (!cursor) {
        SDL_FreeSurface(surface);
        return false;
    }
    SDL_SetCursor(cursor);
    if (g_cursor) SDL_FreeCursor(g_cursor);
    if (g_cursorSurface) SDL_FreeSurface(g_cursorSurface);
    g_cursor = cursor;
    g_cursorSurface = surface;
    return true;
}

void setArrowCursor() {
    SDL_SetCursor(SDL_GetDefaultCursor());
    if (g_cursor) SDL_FreeCursor(g_cursor);
    if (g_cursorSurface) SDL_FreeSurface(g_cursorSurface);
    g_cursor = nullptr;
    g_cursorSurface = nullptr;
}

bool openUrl(const std::string& url) {
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) return false;
    return SDL_OpenURL(url.c_str()) == 0;
}

std::string describeOperatingSystem() {
    std::string pretty;
    std::ifstream release("/etc/os-release");
    for (std::string line; std::getline(release, line);) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            pretty = line.substr(12);
            if (pretty.size() >= 2 && pretty.front() == '"' && pretty.back() == '"')
                pretty = pretty.substr(1, pretty.size() - 2);
        }
    }
    utsname u{};
    std::string text;
    if (uname(&u) == 0) {
        text = std::string(u.sysname) + " " + u.release + " " + u.machine;
        if (!pretty.empty()) text = pretty + " (" + text + ")";
    } else {
        text = pretty;
    }
    return text;
}

}  // namespace oskel::platform
