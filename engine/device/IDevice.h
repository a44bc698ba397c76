#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimer.h"
#include "engine/core/Singleton.h"
#include "engine/core/event/SDeviceParameters.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/properties/CPropertySet.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/platform/Window.h"

namespace oskel {

class CTimerScheduler;
class SceneManager;
class CSoundGroupManager;
class ICursorControl;
class CContentManager;
class CContentProcessorsManager;
class IAudioDriver;
class IVideoDriver;

// The engine's root object: owns the engine services, hands every device, system-flow and input
// event to its receivers in order of priority and runs the main loop. There is one device.
class IDevice : public CEventReceiver, public TSingleton<IDevice> {
public:
    ~IDevice() override = default;

    // The main loop; returns true when it ends.
    virtual bool run() = 0;
    // Ends the main loop: the running one, or, when none runs, the next one at its first turn.
    virtual void closeDevice() = 0;
    // Sleeps; with pauseTimer the device timer stands still meanwhile.
    virtual void sleep(u32 ms, bool pauseTimer = false) = 0;
    // Re-creates the drivers with new parameters.
    [[nodiscard]] virtual bool reset(const SDeviceParameters& parameters) = 0;
    // A new content manager over the device's file system and content processors (the caller
    // holds its creation reference).
    [[nodiscard]] virtual CContentManager* createContentManager() = 0;
    // A new timer scheduler (the caller holds its creation reference).
    [[nodiscard]] virtual CTimerScheduler* createTimerScheduler() = 0;
    // A new scene manager with an empty creation context (the caller holds its creation
    // reference).
    [[nodiscard]] virtual SceneManager* createSceneManager() = 0;
    // The cursor over the window; none before the window exists.
    virtual ICursorControl* getCursorControl() const = 0;
    // Every display mode (sorted, without repeats), read on first use; empty without a display.
    virtual const std::vector<platform::SVideoMode>& getVideoModeList() = 0;
    // The desktop's display mode, read with the list (all zero without a display).
    virtual const platform::SVideoMode& getDesktopMode() = 0;
    virtual void setWindowCaption(const wchar_t* caption) = 0;
    virtual void setResizable(bool resizable) = 0;
    virtual bool isWindowActive() const = 0;
    virtual bool isWindowFocused() const = 0;
    virtual bool isWindowMinimized() const = 0;
    virtual bool isFullscreen() const = 0;
    virtual bool setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast) = 0;
    virtual bool getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness,
                              f32& contrast) = 0;
    virtual bool openUrl(const c8* url) = 0;
    // Restores the window when it is minimised and brings it to the front.
    virtual void bringToFront() {}
    // Adds a receiver (grabbed) with a priority: lower priorities are asked first. False for
    // none and for a receiver already registered.
    virtual bool addEventReceiver(CEventReceiver* receiver, s32 priority) = 0;
    virtual void removeEventReceiver(CEventReceiver* receiver) = 0;

    const SDeviceParameters& getParameters() const { return m_parameters; }
    // The operating system's name, version and build, as the device logged it when it was made
    // (empty when it could not be read).
    const stringc& getOperatingSystemDescription() const { return m_osDescription; }
    CTimer* getTimer() const { return m_timer.get(); }
    // The video driver (none only while a reset re-creates it).
    IVideoDriver* getVideoDriver() const { return m_videoDriver; }
    // The one file system of the program: every file is opened through it.
    CFileSystem* getFileSystem() const { return m_fileSystem.get(); }
    // The engine settings: wide texts under the keys of EngineSettings.h, never stored.
    CPropertySet* getEngineSettings() const { return m_engineSettings.get(); }
    // The content processors, made once a video driver exists (none before).
    CContentProcessorsManager* getContentProcessorsManager() const { return m_contentProcessors; }
    // The localised texts of the game.
    CTextDictionary* getTextDictionary() const { return m_textDictionary.get(); }
    // The sound groups through which cues play.
    CSoundGroupManager* getSoundGroupManager() const { return m_soundGroupManager; }
    // The audio driver, or none when it could not be made.
    IAudioDriver* getAudioDriver() const { return m_audioDriver; }

    // The main loop's pacing: the minimum time between updates and the fixed update step.
    u32 getUpdateInterval() const { return m_updateInterval; }
    void setUpdateInterval(u32 ms) { m_updateInterval = ms; }
    u32 getUpdateStep() const { return m_updateStep; }
    void setUpdateStep(u32 ms) { m_updateStep = ms; }

    // Called once at every turn of the main loop, before the turn takes a message, also while
    // the window is minimised and no frame is drawn (the loop then turns at least four times a
    // second). The hooks run in the order they were added; a hook added by a hook first runs at
    // the next turn, a hook removed by a hook is not called again.
    using TurnHook = std::function<void()>;
    // Adds a hook; its id (never 0) removes it again. An empty hook is not added (0).
    u32 addTurnHook(TurnHook hook);
    void removeTurnHook(u32 id);
    u32 getTurnHookCount() const { return static_cast<u32>(m_turnHooks.size()); }

protected:
    IDevice() = default;

    SDeviceParameters m_parameters;
    stringc m_osDescription;
    CRefPtr<CTimer> m_timer;
    IVideoDriver* m_videoDriver = nullptr;  // one reference, released by the device
    CRefPtr<CFileSystem> m_fileSystem;
    CRefPtr<CTextDictionary> m_textDictionary;
    CRefPtr<CPropertySet> m_engineSettings;
    CContentProcessorsManager* m_contentProcessors = nullptr;  // counted reference
    CSoundGroupManager* m_soundGroupManager = nullptr;  // counted reference
    IAudioDriver* m_audioDriver = nullptr;              // counted reference
    // Runs the turn hooks once, in order.
    void runTurnHooks();

    struct STurnHook {
        u32 id;
        TurnHook hook;
    };
    std::vector<STurnHook> m_turnHooks;
    u32 m_lastTurnHookId = 0;
    u32 m_updateInterval = 5;
    u32 m_updateStep = 15;
};

// Makes the device for the parameters; none when the asked video driver cannot be made. The
// clock, when given, drives the device timer (the system's monotonic clock otherwise).
[[nodiscard]] IDevice* createDevice(const SDeviceParameters& parameters, std::unique_ptr<IClock> clock = nullptr);

// The device: the one that exists, or a new windowless device with the null driver.
IDevice* getDevice();

// Releases the device getDevice() made, now rather than at exit: its receivers still reach the
// objects that live until exit (such as the event maps) while they go. A device made by other
// code is left alone. Nothing when there is none.
void releaseDevice();

}  // namespace oskel
