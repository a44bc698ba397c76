#include <signal.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "engine/device/CDeviceLinux.h"
#include "engine/image/CImage.h"
#include "tests/device/DeviceTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;
using V = std::vector<std::string>;

namespace {

// A Linux device whose messages the test takes one by one.
class PumpedDevice : public CDeviceLinux {
public:
    using CDeviceLinux::CDeviceLinux;
    // Handles every waiting message.
    void pump() {
        while (takeMessage(false) == MessageHandled) {
        }
    }
};

// Records every event as text: "32:A:65:s" (key down, character, key, s/c for shift/control),
// "21:x,y" for mouse events, "17:1" for focus and activation, otherwise the type id.
class InputRecorder : public CEventReceiver {
public:
    InputRecorder() { setCategoryMask(0xffffffffu); }
    bool onEvent(CEvent* e) override {
        const u32 id = e->getTypeId();
        std::string text = std::to_string(id);
        if (e->isKindOf(EventTypeKeyboard)) {
            auto* k = static_cast<CEventKeyboardKey*>(e);
            text += ":" + std::to_string(k->getChar()) + ":" + std::to_string(k->getKey()) + ":" +
                    (k->isShift() ? "s" : "") + (k->isControl() ? "c" : "");
        } else if (id == EventMouseWheel) {
            text += ":" + std::to_string(static_cast<int>(static_cast<CEventMouseWheel*>(e)->getWheel()));
        } else if (e->isKindOf(EventTypeMouse)) {
            auto* m = static_cast<CEventMousePosition*>(e);
            text += ":" + std::to_string(m->getX()) + "," + std::to_string(m->getY());
        } else if (id == EventSystemFlowWindowFocus) {
            text += std::string(":") + (static_cast<CEventSystemFlowWindowFocus*>(e)->isActive() ? "1" : "0");
        } else if (id == EventSystemFlowAppActivation) {
            text += std::string(":") + (static_cast<CEventSystemFlowAppActivation*>(e)->isActive() ? "1" : "0");
        }
        log.push_back(text);
        return id == EventSystemFlowCloseRequest && keepOpen;
    }
    V log;
    bool keepOpen = false;
};

void pushKey(Uint32 type, SDL_Keycode sym, Uint16 mod, const char* text = nullptr, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
    if (text) {
        SDL_Event t{};
        t.type = SDL_TEXTINPUT;
        std::strncpy(t.text.text, text, sizeof t.text.text - 1);
        SDL_PushEvent(&t);
    }
}

void pushWindowEvent(Uint8 event, Sint32 a = 0, Sint32 b = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    e.window.data1 = a;
    e.window.data2 = b;
    SDL_PushEvent(&e);
}

void pushButton(Uint32 type, Uint8 button, Sint32 x, Sint32 y) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

struct LinuxDeviceFixture : ::testing::Test {
    LogCapture logs;
    PumpedDevice* device = nullptr;
    InputRecorder* recorder = new InputRecorder();

    void SetUp() override {
        SDeviceParameters p;
        p.driverType = DriverOpenGL;  // asks for a window
        p.windowSize = {320, 240};
        device = new PumpedDevice(p);
        if (!device->hasWindow()) OSKEL_SKIP_WITHOUT_DISPLAY("no display to open a window on");
        device->addEventReceiver(recorder, 0);
        device->pump();  // the window system's own start-up messages
        recorder->log.clear();
    }
    void TearDown() override {
        if (device) device->drop();
        recorder->drop();
    }
    V take() {
        device->pump();
        V out = recorder->log;
        recorder->log.clear();
        return out;
    }
};

}  // namespace

TEST(LinuxKeys, VirtualKeyTable) {
    const struct {
        SDL_Keycode sym;
        u32 key;
    } cases[] = {
        {SDLK_a, 65},       {SDLK_z, 90},         {SDLK_0, 48},       {SDLK_9, 57},
        {SDLK_ESCAPE, 27},  {SDLK_RETURN, 13},    {SDLK_BACKSPACE, 8}, {SDLK_TAB, 9},
        {SDLK_SPACE, 32},   {SDLK_LEFT, 37},      {SDLK_UP, 38},      {SDLK_RIGHT, 39},
        {SDLK_DOWN, 40},    {SDLK_HOME, 36},      {SDLK_END, 35},     {SDLK_DELETE, 46},
        {SDLK_LSHIFT, 16},  {SDLK_RSHIFT, 16},    {SDLK_LCTRL, 17},   {SDLK_RCTRL, 17},
        {SDLK_F1, 112},     {SDLK_F12, 123},      {SDLK_KP_0, 96},    {SDLK_KP_9, 105},
        {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109}, {SDLK_MINUS, 189},  {SDLK_PAGEUP, 33},
        {SDLK_UNKNOWN, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::virtualKeyOfKeycode(c.sym), c.key) << c.sym;
}

TEST(LinuxDevice, GammaRampEntriesStayInRange) {
    // The plain ramp: 0 at 0, full at 255.
    EXPECT_EQ(CDeviceLinux::gammaRampEntry(0, 1.0f, 0.0f, 0.0f), 0);
    EXPECT_EQ(CDeviceLinux::gammaRampEntry(255, 1.0f, 0.0f, 0.0f), 65535);
    EXPECT_EQ(CDeviceLinux::gammaRampEntry(128, 1.0f, 0.0f, 0.0f), 32896);
    // Contrast 2 divides by zero in the formula; near it and with large brightness the value
    // overflows: every entry stays inside 0..65535.
    for (f32 contrast : {2.0f, 1.999f, 2.001f, -5.0f}) {
        for (f32 brightness : {0.0f, 10.0f, -10.0f}) {
            SCOPED_TRACE(::testing::Message() << "contrast " << contrast << ", brightness " << brightness);
            std::vector<u16> ramp;
            for (u32 i = 0; i < 256; ++i) ramp.push_back(CDeviceLinux::gammaRampEntry(i, 2.2f, brightness, contrast));
            // Large brightness saturates the whole ramp either way, unless a contrast just below
            // 2 blows the curve up past it.
            const bool nearTwo = contrast > 1.99f && contrast < 2.0f;
            if (brightness > 0.0f) {
                EXPECT_EQ(*std::min_element(ramp.begin(), ramp.end()), 65535);
            }
            if (brightness < 0.0f && !nearTwo) {
                EXPECT_EQ(*std::max_element(ramp.begin(), ramp.end()), 0);
            }
            if (brightness != 0.0f) continue;
            // Contrast 2 leaves no range: a flat ramp at 0. Below 2 the ramp rises from 0 and
            // never falls; above 2 the scale is negative and everything is clamped to 0.
            EXPECT_EQ(ramp[0], 0);
            if (contrast < 2.0f) {
                EXPECT_TRUE(std::is_sorted(ramp.begin(), ramp.end()));
                EXPECT_GT(ramp[255], 0);
            } else {
                EXPECT_EQ(*std::max_element(ramp.begin(), ramp.end()), 0);
            }
        }
    }
    EXPECT_EQ(CDeviceLinux::gammaRampEntry(200, 1.0f, 100.0f, 0.0f), 65535);
    EXPECT_EQ(CDeviceLinux::gammaRampEntry(200, 1.0f, -100.0f, 0.0f), 0);
    EXPECT_EQ(CDeviceLinux::gammaRampEntry(100, 1.0f, 0.0f, 2.0f), 0);
}

TEST(LinuxDevice, WindowlessDeviceAndItsDescription) {
    setenv("ALSOFT_DRIVERS", "null", 0);  // an audio device even without a sound card
    LogCapture logs;
    auto* device = new CDeviceLinux(SDeviceParameters());
    EXPECT_FALSE(device->hasWindow());
    // Its services: the file system, the dictionary, the sound groups and the audio driver,
    // announced to the sound groups.
    EXPECT_NE(device->getFileSystem(), nullptr);
    EXPECT_NE(device->getTextDictionary(), nullptr);
    ASSERT_NE(device->getSoundGroupManager(), nullptr);
    ASSERT_NE(device->getAudioDriver(), nullptr);
    bool announced = false;
    for (const auto& line : logs.lines())
        if (line.text.rfind("Using audio: ", 0) == 0 && line.text.size() > 13) announced = true;
    EXPECT_TRUE(announced);
    EXPECT_FALSE(device->isWindowActive());
    EXPECT_FALSE(device->getOperatingSystemDescription().empty());
    // Window calls without a window do nothing.
    device->setResizable(true);
    device->setWindowCaption(L"nothing");
    f32 r, g, b, br, co;
    EXPECT_FALSE(device->getGammaRamp(r, g, b, br, co));
    EXPECT_FALSE(device->setGammaRamp(1, 1, 1, 0, 0));
    EXPECT_FALSE(device->openUrl("file:///etc/passwd"));
    EXPECT_TRUE(logs.contains("Unable to open URL", LogWarning));
    device->drop();
}

TEST_F(LinuxDeviceFixture, KeysBecomeKeyEvents) {
    pushKey(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT, "A");
    pushKey(SDL_KEYUP, SDLK_a, KMOD_NONE);  // shift released first: the key-up says so
    pushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_NONE);
    pushKey(SDL_KEYDOWN, SDLK_BACKSPACE, KMOD_NONE, nullptr, true);
    pushKey(SDL_KEYDOWN, SDLK_LEFT, KMOD_LCTRL);
    pushKey(SDL_KEYDOWN, SDLK_s, KMOD_LCTRL | KMOD_LSHIFT);
    pushKey(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);             // a system key: nothing
    pushKey(SDL_KEYDOWN, SDLK_e, KMOD_RALT, "\xe2\x82\xac");  // AltGr+e types the euro sign
    pushKey(SDL_KEYDOWN, SDLK_q, KMOD_RALT);              // AltGr without a character: nothing
    pushKey(SDL_KEYDOWN, SDLK_x, KMOD_NONE, "\xf0\x9f\x98\x80");  // beyond 16 bits: 0
    EXPECT_EQ(take(), (V{"32:65:65:s", "33:65:65:", "32:13:13:", "32:8:8:", "32:0:37:c",
                         "32:19:83:sc", "32:8364:69:", "32:0:88:"}));
}

TEST_F(LinuxDeviceFixture, MouseButtonsWheelAndMoves) {
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -5, 300);  // released outside the window
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 2);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 2);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 3, 4);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 3, 4);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -1;
    wheel.wheel.preciseY = -1.0f;
    SDL_PushEvent(&wheel);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = 7;
    move.motion.y = 8;
    SDL_PushEvent(&move);
    const V events = take();
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(events[0], "22:10,20");
    EXPECT_EQ(events[1], "25:-5,300");
    EXPECT_EQ(events[2], "23:1,2");
    EXPECT_EQ(events[3], "26:1,2");
    EXPECT_EQ(events[4], "24:3,4");
    EXPECT_EQ(events[5], "27:3,4");
    EXPECT_EQ(events[6], "31:-1");  // towards the user
    EXPECT_EQ(events[7], "21:7,8");
}

TEST_F(LinuxDeviceFixture, MinimisedWindowPostsNoMovesAndFocusChangesTheActiveState) {
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    SDL_PushEvent(&move);
    EXPECT_EQ(take(), V{});
    EXPECT_FALSE(device->isWindowActive());
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    SDL_PushEvent(&move);
    EXPECT_EQ(take(), (V{"21:0,0"}));
    EXPECT_TRUE(device->isWindowActive());

    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(take(), (V{"17:0", "18:0"}));
    EXPECT_FALSE(device->isWindowActive());
    EXPECT_TRUE(logs.contains("Application deactivated.", LogInformation));
    // While inactive the wheel posts nothing.
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.preciseY = 1.0f;
    SDL_PushEvent(&wheel);
    EXPECT_EQ(take(), V{});
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(take(), (V{"17:1", "18:1"}));
    EXPECT_TRUE(device->isWindowActive());
    EXPECT_TRUE(logs.contains("Application activated.", LogInformation));
}

TEST_F(LinuxDeviceFixture, ConsumedCloseRequestKeepsTheWindow) {
    recorder->keepOpen = true;
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(take(), (V{"19"}));
    EXPECT_TRUE(device->hasWindow());
    EXPECT_TRUE(logs.contains("SC_CLOSE command received", LogInformation));
}

TEST_F(LinuxDeviceFixture, CloseRequestEndsTheLoop) {
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(device->run());  // handles the close and ends
    EXPECT_FALSE(device->hasWindow());
    EXPECT_EQ(recorder->log.front(), "19");
    EXPECT_NE(std::find(recorder->log.begin(), recorder->log.end(), "20"), recorder->log.end());
    EXPECT_EQ(std::count(recorder->log.begin(), recorder->log.end(), "19"), 1);
    EXPECT_TRUE(logs.contains("WM_DESTROY command received", LogInformation));
}

TEST_F(LinuxDeviceFixture, TheEndSignalsCloseTheDeviceWhateverTheReceiversSay) {
    // SIGTERM (a logout, a service manager) and SIGINT end the game the way an unrefused close
    // does; they are no close request that a receiver could refuse.
    const struct {
        const char* what;
        std::function<void()> send;
    } cases[] = {
        {"SIGTERM", [] { raise(SIGTERM); }},
        {"SIGINT", [] { raise(SIGINT); }},
        {"quit message", [] {
             SDL_Event quit{};
             quit.type = SDL_QUIT;
             SDL_PushEvent(&quit);
         }},
    };
    for (const auto& c : cases) {
        // A device of its own for each: the fixture's window stays as it is.
        auto* own = new PumpedDevice(device->getParameters());
        auto* refusing = new InputRecorder();
        refusing->keepOpen = true;
        own->addEventReceiver(refusing, 0);
        own->pump();
        refusing->log.clear();
        c.send();
        EXPECT_TRUE(own->run()) << c.what;
        EXPECT_FALSE(own->hasWindow()) << c.what;
        EXPECT_EQ(std::count(refusing->log.begin(), refusing->log.end(), "19"), 0) << c.what;
        EXPECT_EQ(std::count(refusing->log.begin(), refusing->log.end(), "20"), 1) << c.what;
        EXPECT_TRUE(logs.contains("WM_DESTROY command received", LogInformation)) << c.what;
        logs.clear();
        refusing->drop();
        own->drop();
    }
}

TEST(LinuxDevice, TheInterfaceGivesTheDisplayModesAndTheSystem) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    LogCapture logs;
    // Through the interface, as the game sees any device.
    IDevice* device = createDevice(SDeviceParameters());
    ASSERT_NE(device, nullptr);
    const stringc& system = device->getOperatingSystemDescription();
    EXPECT_FALSE(system.empty());
    EXPECT_TRUE(logs.contains(system.c_str(), LogInformation));  // logged when the device was made
    const std::vector<platform::SVideoMode>& modes = device->getVideoModeList();
    ASSERT_FALSE(modes.empty());  // the test display's
    for (size_t i = 1; i < modes.size(); ++i) EXPECT_TRUE(modes[i - 1] < modes[i]);
    const platform::SVideoMode desktop = device->getDesktopMode();
    EXPECT_GT(desktop.width, 0);
    EXPECT_NE(std::find(modes.begin(), modes.end(), desktop), modes.end());
    device->drop();

    // A device without a window system has none.
    IDevice* bare = new SteppedDevice();
    EXPECT_TRUE(bare->getVideoModeList().empty());
    EXPECT_EQ(bare->getDesktopMode().width, 0);
    bare->drop();
}

TEST_F(LinuxDeviceFixture, DisplayModesAndDesktop) {
    const auto& modes = device->getVideoModeList();
    ASSERT_FALSE(modes.empty());
    for (size_t i = 1; i < modes.size(); ++i) EXPECT_TRUE(modes[i - 1] < modes[i]);
    EXPECT_GT(device->getDesktopMode().width, 0);
    EXPECT_GT(device->getDesktopMode().height, 0);
}

TEST_F(LinuxDeviceFixture, CursorPositionVisibilityAndPicture) {
    ICursorControl* cursor = device->getCursorControl();
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(cursor->isVisible());
    cursor->setVisible(false);
    EXPECT_FALSE(cursor->isVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    cursor->setVisible(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    cursor->setPosition(100, 50);
    EXPECT_EQ(cursor->getPosition(), vector2di(100, 50));
    cursor->updatePosition();
    EXPECT_EQ(cursor->getPosition(), vector2di(100, 50));  // read back from the window system

    // Pictures of 32 and 16 bits replace the arrow; none brings it back.
    CImage* argb = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(16, 16));
    argb->fill(0xFFFF0000u);
    cursor->setCursorImage(argb, 2, 2);
    EXPECT_NE(SDL_GetCursor(), SDL_GetDefaultCursor());
    CImage* rgb16 = new CImage(CCreationContext(), ECF_R5G6B5, dimension2di(8, 8));
    cursor->setCursorImage(rgb16, 0, 0);
    EXPECT_NE(SDL_GetCursor(), SDL_GetDefaultCursor());
    cursor->setCursorImage(nullptr, 0, 0);
    EXPECT_EQ(SDL_GetCursor(), SDL_GetDefaultCursor());
    // An image without pixels leaves the cursor as it was.
    CImage* empty = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(0, 0));
    cursor->setCursorImage(empty, 0, 0);
    EXPECT_EQ(SDL_GetCursor(), SDL_GetDefaultCursor());
    argb->drop();
    rgb16->drop();
    empty->drop();
}

TEST(LinuxDevice, NoCursorWithoutAWindow) {
    LogCapture logs;
    auto* device = new CDeviceLinux(SDeviceParameters());
    EXPECT_EQ(device->getCursorControl(), nullptr);
    device->drop();
}
