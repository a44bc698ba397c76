#pragma once

// The device, system-flow and input events.

#include "engine/core/event/CEvent.h"

namespace oskel {

class IVideoDriver;
class IAudioDriver;

enum EDeviceEventTypeId : u32 {
    EventDeviceVideoDriverReleasing = 9,
    EventDeviceVideoDriverCreated = 10,
    EventDeviceAudioDriverReleasing = 11,  // handled by the sound group manager; no class
    EventDeviceAudioDriverCreated = 12,
    EventDeviceFit = 13,                    // handled by the application; no class
    EventSystemFlowUpdate = 14,
    EventSystemFlowRender = 15,
    EventSystemFlowWindowFocus = 17,
    EventSystemFlowAppActivation = 18,
    EventSystemFlowCloseRequest = 19,
    EventSystemFlowQuit = 20,
    EventMouseMove = 21,
    EventMouseLeftDown = 22,
    EventMouseRightDown = 23,
    EventMouseMiddleDown = 24,
    EventMouseLeftUp = 25,
    EventMouseRightUp = 26,
    EventMouseMiddleUp = 27,
    EventMouseWheel = 31,
    EventKeyboardKeyDown = 32,
    EventKeyboardKeyUp = 33,
};

// The video driver is about to be released.
class CEventDeviceVideoDriverReleasing : public CEventDevice {
    OSKEL_EVENT_TYPE(CEventDeviceVideoDriverReleasing, CEventDevice, EventDeviceVideoDriverReleasing)
public:
    CEventDeviceVideoDriverReleasing() = default;
};

// A video driver has been created (not grabbed by the event).
class CEventDeviceVideoDriverCreated : public CEventDevice {
    OSKEL_EVENT_TYPE(CEventDeviceVideoDriverCreated, CEventDevice, EventDeviceVideoDriverCreated)
public:
    explicit CEventDeviceVideoDriverCreated(IVideoDriver* driver) : m_driver(driver) {}
    IVideoDriver* getVideoDriver() const { return m_driver; }
    IVideoDriver* getDriver() const { return m_driver; }

private:
    IVideoDriver* m_driver;
};

// An audio driver has been created (not grabbed by the event).
class CEventDeviceAudioDriverCreated : public CEventDevice {
    OSKEL_EVENT_TYPE(CEventDeviceAudioDriverCreated, CEventDevice, EventDeviceAudioDriverCreated)
public:
    explicit CEventDeviceAudioDriverCreated(IAudioDriver* driver) : m_driver(driver) {}
    IAudioDriver* getAudioDriver() const { return m_driver; }
    IAudioDriver* getDriver() const { return m_driver; }

private:
    IAudioDriver* m_driver;
};

// A step of game time, in milliseconds.
class CEventSystemFlowUpdate : public CEventSystemFlow {
    OSKEL_EVENT_TYPE(CEventSystemFlowUpdate, CEventSystemFlow, EventSystemFlowUpdate)
public:
    explicit CEventSystemFlowUpdate(u32 elapsedMs) : m_elapsed(elapsedMs) {}
    u32 getElapsed() const { return m_elapsed; }

private:
    u32 m_elapsed;
};

// Draw a frame.
class CEventSystemFlowRender : public CEventSystemFlow {
    OSKEL_EVENT_TYPE(CEventSystemFlowRender, CEventSystemFlow, EventSystemFlowRender)
public:
    CEventSystemFlowRender() = default;
};

// The window gained or lost the focus; the application was activated or deactivated.
class CEventSystemFlowWindowFocus : public CEventSystemFlow {
    OSKEL_EVENT_TYPE(CEventSystemFlowWindowFocus, CEventSystemFlow, EventSystemFlowWindowFocus)
public:
    explicit CEventSystemFlowWindowFocus(bool active) : m_active(active) {}
    bool isActive() const { return m_active; }

private:
    bool m_active;
};

class CEventSystemFlowAppActivation : public CEventSystemFlow {
    OSKEL_EVENT_TYPE(CEventSystemFlowAppActivation, CEventSystemFlow, EventSystemFlowAppActivation)
public:
    explicit CEventSystemFlowAppActivation(bool active) : m_active(active) {}
    bool isActive() const { return m_active; }

private:
    bool m_active;
};

// The user asks to close the window; a receiver that consumes it cancels the close.
class CEventSystemFlowCloseRequest : public CEventSystemFlow {
    OSKEL_EVENT_TYPE(CEventSystemFlowCloseRequest, CEventSystemFlow, EventSystemFlowCloseRequest)
public:
    CEventSystemFlowCloseRequest() = default;
};

// The window is gone and the main loop ends.
class CEventSystemFlowQuit : public CEventSystemFlow {
    OSKEL_EVENT_TYPE(CEventSystemFlowQuit, CEventSystemFlow, EventSystemFlowQuit)
public:
    CEventSystemFlowQuit() = default;
};

// Mouse events: the pointer position in client pixels (negative while captured outside).
class CEventMousePosition : public CEventMouse {
public:
    s32 getX() const { return m_x; }
    s32 getY() const { return m_y; }

protected:
    CEventMousePosition(s32 x, s32 y) : m_x(x), m_y(y) {}

private:
    s32 m_x;
    s32 m_y;
};

#define OSKEL_MOUSE_EVENT(Class, Id)                                  \
    class Class : public CEventMousePosition {                         \
        OSKEL_EVENT_TYPE(Class, CEventMouse, Id)                       \
    public:                                                            \
        Class(s32 x, s32 y) : CEventMousePosition(x, y) {}             \
    };

OSKEL_MOUSE_EVENT(CEventMouseMove, EventMouseMove)
OSKEL_MOUSE_EVENT(CEventMouseLeftDown, EventMouseLeftDown)
OSKEL_MOUSE_EVENT(CEventMouseRightDown, EventMouseRightDown)
OSKEL_MOUSE_EVENT(CEventMouseMiddleDown, EventMouseMiddleDown)
OSKEL_MOUSE_EVENT(CEventMouseLeftUp, EventMouseLeftUp)
OSKEL_MOUSE_EVENT(CEventMouseRightUp, EventMouseRightUp)
OSKEL_MOUSE_EVENT(CEventMouseMiddleUp, EventMouseMiddleUp)

#undef OSKEL_MOUSE_EVENT

// The wheel in notches, positive away from the user.
class CEventMouseWheel : public CEventMousePosition {
    OSKEL_EVENT_TYPE(CEventMouseWheel, CEventMouse, EventMouseWheel)
public:
    CEventMouseWheel(s32 x, s32 y, f32 wheel) : CEventMousePosition(x, y), m_wheel(wheel) {}
    f32 getWheel() const { return m_wheel; }

private:
    f32 m_wheel;
};

// A key: the typed character (16-bit, 0 when none), the virtual key number, the
// shift and control flags and a third flag that is always 0.
class CEventKeyboardKey : public CEventKeyboard {
public:
    u16 getChar() const { return m_char; }
    u32 getKey() const { return m_key; }
    bool isShift() const { return m_shift != 0; }
    bool isControl() const { return m_control != 0; }
    u8 getThirdFlag() const { return m_third; }

protected:
    CEventKeyboardKey(u16 character, u32 key, bool shift, bool control)
        : m_char(character), m_key(key), m_shift(shift ? 1 : 0), m_control(control ? 1 : 0) {}

private:
    u16 m_char;
    u32 m_key;
    u8 m_shift;
    u8 m_control;
    u8 m_third = 0;
};

class CEventKeyboardKeyDown : public CEventKeyboardKey {
    OSKEL_EVENT_TYPE(CEventKeyboardKeyDown, CEventKeyboard, EventKeyboardKeyDown)
public:
    CEventKeyboardKeyDown(u16 character, u32 key, bool shift, bool control)
        : CEventKeyboardKey(character, key, shift, control) {}
};

class CEventKeyboardKeyUp : public CEventKeyboardKey {
    OSKEL_EVENT_TYPE(CEventKeyboardKeyUp, CEventKeyboard, EventKeyboardKeyUp)
public:
    CEventKeyboardKeyUp(u16 character, u32 key, bool shift, bool control)
        : CEventKeyboardKey(character, key, shift, control) {}
};

}  // namespace oskel
