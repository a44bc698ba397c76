#pragma once

#include <memory>

#include "engine/device/IDevice.h"
#include "engine/core/Clock.h"

namespace oskel {

// The device's common part: the services, the receiver list and the main loop. The platform's
// device supplies the window through the protected hooks; without one, the device has no
// window: it counts as visible and active and its loop runs until closeDevice().
class CDeviceBase : public IDevice {
public:
    // The clock behind the device timer; the system's monotonic clock when none is given.
    explicit CDeviceBase(const SDeviceParameters& parameters,
                         std::unique_ptr<IClock> clock = nullptr);
    ~CDeviceBase() override;

    bool onEvent(CEvent* event) override;
    bool routeToParent(u32 mode, CEvent* event) override;
    // Offers the event to the registered receivers in order of priority.
    bool routeToChildren(u32 mode, CEvent* event) override;

    bool run() override;
    void closeDevice() override;
    void sleep(u32 ms, bool pauseTimer = false) override;
    [[nodiscard]] bool reset(const SDeviceParameters& parameters) override;
    [[nodiscard]] CContentManager* createContentManager() override;
    [[nodiscard]] CTimerScheduler* createTimerScheduler() override;
    [[nodiscard]] SceneManager* createSceneManager() override;
    ICursorControl* getCursorControl() const override { return nullptr; }
    // Without a window system: no modes.
    const std::vector<platform::SVideoMode>& getVideoModeList() override { return m_noModes; }
    const platform::SVideoMode& getDesktopMode() override { return m_noMode; }
    void setWindowCaption(const wchar_t* caption) override;
    void setResizable(bool resizable) override;
    bool isWindowActive() const override { return m_active; }
    bool isWindowFocused() const override { return m_active; }
    bool isWindowMinimized() const override { return !m_visible; }
    bool isFullscreen() const override { return m_parameters.fullscreen; }
    bool setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast) override;
    bool getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness, f32& contrast) override;
    bool openUrl(const c8* url) override;
    bool addEventReceiver(CEventReceiver* receiver, s32 priority) override;
    void removeEventReceiver(CEventReceiver* receiver) override;

    // Delivers an event the device has made: its own handler, then its receivers (mode 1);
    // then drops the event. True when it was consumed.
    bool postEvent(CEvent* event);

    // Takes over the creator's reference to a new video driver; the driver there was goes first
    // (see releaseVideoDriver). Posts CEventDeviceVideoDriverCreated with the new one.
    void setVideoDriver(IVideoDriver* driver);
    // Posts CEventDeviceVideoDriverReleasing, then releases the video driver (a reset does this
    // before it makes the new one).
    void releaseVideoDriver();

    // Lets go of every receiver without offering it another event; from then on the device's
    // events reach no one. The clean-up at exit does this first: the event maps of receiver
    // classes first used after the device was made are gone by then.
    void releaseReceivers();

    bool isRunning() const { return m_running; }
    // The registered receivers in the order they are asked, and their priorities.
    u32 getEventReceiverCount() const { return m_receivers.size(); }
    CEventReceiver* getEventReceiver(u32 index) const { return m_receivers[index].receiver; }
    s32 getEventReceiverPriority(u32 index) const { return m_receivers[index].priority; }

protected:
    // What the loop's message pump found.
    enum EMessageResult {
        MessageNone,     // nothing was waiting
        MessageHandled,  // one message was translated and dispatched
        MessageQuit,     // the quit message: the loop ends
    };

    // Takes one message of the window; waits for one when asked (while minimised).
    virtual EMessageResult takeMessage(bool wait);
    // Applies a size change of the window that is waiting.
    virtual void applyPendingResize() {}
    // Refreshes the cursor position before a turn's update.
    virtual void refreshCursorPosition() {}
    // Suspends the loop.
    virtual void sleepFor(u32 ms);

    // Leaves the quit message that ends the loop at its next turn.
    void postQuitMessage() { m_quitPending = true; }

    // Window state the loop follows: visible is false while minimised; active while the
    // application has the foreground (the game time runs only then).
    bool m_visible = true;
    bool m_active = true;
    // A window given by the caller: the loop runs one turn per call of run().
    bool m_windowFromOutside = false;

private:
    class CSceneHost;

    struct ReceiverEntry {
        CEventReceiver* receiver;
        s32 priority;
    };

    void insertSorted(const ReceiverEntry& entry);
    void applyPendingChanges();
    void postUpdates(u32 now);

    const std::vector<platform::SVideoMode> m_noModes;
    const platform::SVideoMode m_noMode;
    u32 m_lastUpdate = 0;
    // Handed to the scene managers this device makes; it forgets the device when the device goes.
    CRefPtr<CSceneHost> m_sceneHost;
    array<ReceiverEntry> m_receivers;
    array<ReceiverEntry> m_pendingAdditions;
    array<CEventReceiver*> m_pendingRemovals;
    // Nesting depth of dispatches: the list changes only when the outermost one ends.
    u32 m_dispatchDepth = 0;
    bool m_running = false;
    // Set by closeDevice(): the next turn of the loop ends it. A close outside a run ends the
    // next run at its first turn; one inside a run is used up when that run returns.
    bool m_quitPending = false;
};

}  // namespace oskel
