#include "tests/game/autoplay/InputInjector.h"

#include <SDL.h>

#include <cctype>
#include <cstring>

namespace brasquel::autoplay {

namespace {

struct SNamedKey {
    const char* name;
    SDL_Keycode code;
};

const SNamedKey kNamedKeys[] = {
    {"escape", SDLK_ESCAPE},
    {"esc", SDLK_ESCAPE},
    {"return", SDLK_RETURN},
    {"enter", SDLK_RETURN},
    {"tab", SDLK_TAB},
    {"backspace", SDLK_BACKSPACE},
    {"space", SDLK_SPACE},
    {"delete", SDLK_DELETE},
    {"insert", SDLK_INSERT},
    {"home", SDLK_HOME},
    {"end", SDLK_END},
    {"pageup", SDLK_PAGEUP},
    {"pagedown", SDLK_PAGEDOWN},
    {"left", SDLK_LEFT},
    {"right", SDLK_RIGHT},
    {"up", SDLK_UP},
    {"down", SDLK_DOWN},
    {"shift", SDLK_LSHIFT},
    {"ctrl", SDLK_LCTRL},
    {"control", SDLK_LCTRL},
    {"alt", SDLK_LALT},
    {"f1", SDLK_F1},
    {"f2", SDLK_F2},
    {"f3", SDLK_F3},
    {"f4", SDLK_F4},
    {"f5", SDLK_F5},
    {"f6", SDLK_F6},
    {"f7", SDLK_F7},
    {"f8", SDLK_F8},
    {"f9", SDLK_F9},
    {"f10", SDLK_F10},
    {"f11", SDLK_F11},
    {"f12", SDLK_F12},
    {"kpplus", SDLK_KP_PLUS},
    {"kpminus", SDLK_KP_MINUS},
    {"kpmultiply", SDLK_KP_MULTIPLY},
    {"kpdivide", SDLK_KP_DIVIDE},
};

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool keycodeOf(const std::string& name, SDL_Keycode& code) {
    const std::string key = lower(name);
    for (const SNamedKey& k : kNamedKeys)
        if (key == k.name) {
            code = k.code;
            return true;
        }
    // One printable ASCII character: its own key code (letters in lower case).
    if (key.size() == 1 && key[0] > ' ' && key[0] < 0x7f) {
        code = static_cast<SDL_Keycode>(key[0]);
        return true;
    }
    return false;
}

uint16_t modifiersOf(const SKeyStroke& s) {
    uint16_t mod = KMOD_NONE;
    if (s.shift) mod |= KMOD_LSHIFT;
    if (s.control) mod |= KMOD_LCTRL;
    if (s.alt) mod |= KMOD_LALT;
    return mod;
}

// The UTF-8 form of one code point.
std::string utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

bool parseKeyStroke(const std::string& text, SKeyStroke& stroke, std::string& error) {
    stroke = SKeyStroke();
    std::string rest = text;
    // Modifiers are the words before the last '+' ("ctrl++" is control and '+').
    for (;;) {
        const size_t plus = rest.find('+');
        if (plus == std::string::npos || plus == 0 || plus + 1 >= rest.size()) break;
        const std::string modifier = lower(rest.substr(0, plus));
        if (modifier == "ctrl" || modifier == "control")
            stroke.control = true;
        else if (modifier == "shift")
            stroke.shift = true;
        else if (modifier == "alt")
            stroke.alt = true;
        else {
            error = "unknown modifier \"" + modifier + "\"";
            return false;
        }
        rest = rest.substr(plus + 1);
    }
    SDL_Keycode code = SDLK_UNKNOWN;
    if (!keycodeOf(rest, code)) {
        error = "unknown key \"" + rest + "\"";
        return false;
    }
    stroke.keycode = code;
    return true;
}

bool decodeUtf8(const std::string& text, std::vector<char32_t>& out) {
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        char32_t c = s[i];
        int extra = 0;
        if (c >= 0x80) {
            if ((c & 0xE0) == 0xC0) {
                c &= 0x1F;
                extra = 1;
            } else if ((c & 0xF0) == 0xE0) {
                c &= 0x0F;
                extra = 2;
            } else if ((c & 0xF8) == 0xF0) {
                c &= 0x07;
                extra = 3;
            } else {
                return false;
            }
        }
        if (i + static_cast<size_t>(extra) >= n) return false;  // cut off
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + static_cast<size_t>(k)] & 0xC0) != 0x80) return false;
            c = (c << 6) | (s[i + static_cast<size_t>(k)] & 0x3F);
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out.push_back(c);
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

void CInputInjector::setWindow(void* nativeWindow) {
    m_window = nativeWindow;
    m_windowId = nativeWindow ? SDL_GetWindowID(static_cast<SDL_Window*>(nativeWindow)) : 0;
}

bool CInputInjector::push(void* event) {
    const int pushed = SDL_PushEvent(static_cast<SDL_Event*>(event));
    if (pushed == 1) return true;
    m_error = pushed == 0 ? "the event was filtered out"
                          : std::string("SDL_PushEvent: ") + SDL_GetError();
    return false;
}

void CInputInjector::warpPointer(int32_t x, int32_t y) {
    if (m_window) SDL_WarpMouseInWindow(static_cast<SDL_Window*>(m_window), x, y);
}

bool CInputInjector::mouseMove(int32_t x, int32_t y, bool leftHeld) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEMOTION;
    e.motion.timestamp = SDL_GetTicks();
    e.motion.windowID = m_windowId;
    e.motion.which = 0;
    e.motion.state = leftHeld ? SDL_BUTTON_LMASK : 0;
    e.motion.x = x;
    e.motion.y = y;
    return push(&e);
}

bool CInputInjector::mouseButton(int32_t x, int32_t y, bool down) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.timestamp = SDL_GetTicks();
    e.button.windowID = m_windowId;
    e.button.which = 0;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    return push(&e);
}

bool CInputInjector::pushKey(int32_t keycode, bool down, uint16_t modifiers) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.timestamp = SDL_GetTicks();
    e.key.windowID = m_windowId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = 0;
    e.key.keysym.sym = keycode;
    e.key.keysym.scancode =
        keycode != SDLK_UNKNOWN ? SDL_GetScancodeFromKey(keycode) : SDL_SCANCODE_UNKNOWN;
    e.key.keysym.mod = modifiers;
    return push(&e);
}

bool CInputInjector::keyDown(const SKeyStroke& s) {
    uint16_t mod = KMOD_NONE;
    if (s.control) {
        mod |= KMOD_LCTRL;
        if (!pushKey(SDLK_LCTRL, true, mod)) return false;
    }
    if (s.shift) {
        mod |= KMOD_LSHIFT;
        if (!pushKey(SDLK_LSHIFT, true, mod)) return false;
    }
    if (s.alt) {
        mod |= KMOD_LALT;
        if (!pushKey(SDLK_LALT, true, mod)) return false;
    }
    return pushKey(s.keycode, true, modifiersOf(s));
}

bool CInputInjector::keyUp(const SKeyStroke& s) {
    uint16_t mod = modifiersOf(s);
    if (!pushKey(s.keycode, false, mod)) return false;
    if (s.alt) {
        mod &= static_cast<uint16_t>(~KMOD_LALT);
        if (!pushKey(SDLK_LALT, false, mod)) return false;
    }
    if (s.shift) {
        mod &= static_cast<uint16_t>(~KMOD_LSHIFT);
        if (!pushKey(SDLK_LSHIFT, false, mod)) return false;
    }
    if (s.control) {
        mod &= static_cast<uint16_t>(~KMOD_LCTRL);
        if (!pushKey(SDLK_LCTRL, false, mod)) return false;
    }
    return true;
}

bool CInputInjector::typeCharacter(char32_t c) {
    // The key of a character: printable ASCII has a key of its own (capitals with shift); any
    // other character comes from a key the engine does not know.
    SDL_Keycode key = SDLK_UNKNOWN;
    uint16_t mod = KMOD_NONE;
    if (c >= 'A' && c <= 'Z') {
        key = static_cast<SDL_Keycode>(c - 'A' + 'a');
        mod = KMOD_LSHIFT;
    } else if (c > ' ' && c < 0x7f) {
        key = static_cast<SDL_Keycode>(c);
    } else if (c == ' ') {
        key = SDLK_SPACE;
    }
    SDL_Event text;
    std::memset(&text, 0, sizeof text);
    text.type = SDL_TEXTINPUT;
    text.text.timestamp = SDL_GetTicks();
    text.text.windowID = m_windowId;
    const std::string bytes = utf8Of(c);
    std::memcpy(text.text.text, bytes.data(), bytes.size());
    return pushKey(key, true, mod) && push(&text) && pushKey(key, false, mod);
}

bool CInputInjector::focus(bool gained) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_WINDOWEVENT;
    e.window.timestamp = SDL_GetTicks();
    e.window.windowID = m_windowId;
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    return push(&e);
}

}  // namespace brasquel::autoplay
