#pragma once

// Input for the running game through the window system's own queue (SDL_PushEvent): the device
// takes these events as it takes real ones and turns them into the engine's events.

#include <cstdint>
#include <string>
#include <vector>

namespace brasquel::autoplay {

// A key with the modifiers held with it.
struct SKeyStroke {
    int32_t keycode = 0;  // SDL key code
    bool shift = false, control = false, alt = false;
};

// Reads "Escape", "Return", "A", "F5", "ctrl+shift+S", ...; false with the reason.
bool parseKeyStroke(const std::string& text, SKeyStroke& stroke, std::string& error);

// The code points of UTF-8 text; false when it is not well-formed.
bool decodeUtf8(const std::string& text, std::vector<char32_t>& codePoints);

class CInputInjector {
public:
    // The window the events are for: its native handle (an SDL window).
    void setWindow(void* nativeWindow);

    // False (with the reason in getError) when the queue refused an event.
    bool mouseMove(int32_t x, int32_t y, bool leftHeld);
    bool mouseButton(int32_t x, int32_t y, bool down);
    // The modifier keys are pressed before the key and released after it.
    bool keyDown(const SKeyStroke& stroke);
    bool keyUp(const SKeyStroke& stroke);
    // One typed character: its key down, at once its text input, then its key up.
    bool typeCharacter(char32_t codePoint);
    bool focus(bool gained);
    // Moves the system pointer too, so that the pointer position the device reads agrees.
    void warpPointer(int32_t x, int32_t y);

    const std::string& getError() const { return m_error; }

private:
    bool push(void* event);
    bool pushKey(int32_t keycode, bool down, uint16_t modifiers);

    uint32_t m_windowId = 0;
    void* m_window = nullptr;
    std::string m_error;
};

}  // namespace brasquel::autoplay
