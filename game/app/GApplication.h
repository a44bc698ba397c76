#pragma once

#include <functional>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/event/CEventReceiver.h"
#include "engine/core/event/SDeviceParameters.h"
#include "game/app/GDeveloperKeys.h"
#include "game/app/GScreenFit.h"
#include "game/config/GLogosConfiguration.h"
#include "game/config/IConfigurationTable.h"
#include "game/config/IGameServices.h"

namespace oskel {
class CContentManager;
class CFileSystem;
class CProfile;
class CTimerScheduler;
class CXmlReader;
class IDevice;
class IVideoDriver;
class SceneManager;
namespace platform {
class CCrashDumpWriter;
class CSingleInstanceGuard;
}  // namespace platform
}  // namespace oskel

namespace brasquel {

using oskel::platform::CCrashDumpWriter;
using oskel::platform::CSingleInstanceGuard;

class ComicsConfiguration;
class GAchievementsProgress;
class GBuildingsConfiguration;
class GExternalHooks;
class LevelScores;
class UpgradesConfiguration;

struct SReloadEntry {
    const char* path;
    IConfigurationTable* table;  // none while the table does not exist
};

// Reads every table with a table from its file, with one log line per file; a file that does
// not open leaves its table as it was. Returns how many tables were read.
oskel::u32 reloadTables(oskel::CFileSystem* fileSystem, const std::vector<SReloadEntry>& entries);

// The video driver type of the common profile's VideoDriver value: Direct3D 8 (1) for anything
// but 1, 2 and 3.
oskel::s32 videoDriverFromSetting(oskel::s32 value);

// The game's application object: fills the settings, creates the device's window and drivers
// and the services the scenes use, shows the first scene and draws every frame; a receiver of
// the device (priority 0) for frames, updates, focus, close requests and the developer keys.
// It owns the configuration tables and serves the scenes (IGameServices) from init until
// shutdown.
class GApplication : public oskel::CEventReceiver, public IGameServices {
    OSKEL_DECLARE_EVENT_MAP()

public:
    static constexpr const wchar_t* PublisherName = L"Quorvane";
    static constexpr const wchar_t* TitleName = L"Brasquel";
    static constexpr const char* StartSceneFile = "scenes/LogosScene.oscn";
    static constexpr const char* LogosFile = "logos/Logos.xml";
    static constexpr const char* CursorImageFile = "scenes/images/Cursor.png";

    GApplication();
    ~GApplication() override;

    // Start-up; false when the device cannot make its window and drivers or the first scene
    // cannot be loaded.
    [[nodiscard]] bool init();
    // The device's main loop.
    bool run();
    // Leaves the device's receivers and releases every service, in a fixed order. Called before
    // the program ends, while the engine's singletons still exist; repeated calls do nothing.
    void shutdown();

    // The active player's sound settings applied to the sound groups.
    void applySoundSettings() override;

    // Fits the design into the video driver's screen (nothing without the scene manager).
    void fitScreen();

    // From now on a request of a second start brings the window to the front.
    void setInstanceGuard(CSingleInstanceGuard* guard);
    // Answers a waiting request of a second start.
    void pollRaiseRequest();

    // The application recorded by init, or none.
    static GApplication* getInstance();

    const oskel::SDeviceParameters& getDeviceParameters() const override { return m_parameters; }
    bool resetDevice(const oskel::SDeviceParameters& parameters) override;
    void closeDevice() override;
    oskel::IVideoDriver* getVideoDriver() const override;
    oskel::CContentManager* getContentManager() const { return m_contentManager.get(); }
    oskel::CTimerScheduler* getSceneScheduler() const { return m_sceneScheduler.get(); }
    oskel::CTimerScheduler* getWorldScheduler() const override { return m_worldScheduler.get(); }

    // The game services.
    ComicsConfiguration* getComicsConfiguration() const override;
    UpgradesConfiguration* getUpgradesConfiguration() const override;
    LevelScores* getLevelScores() const override;
    GBuildingsConfiguration* getBuildingsConfiguration() const override;
    GExternalHooks* getExternalHooks() const override;
    GAchievementsProgress* getAchievementsProgress() const override;
    GLogosConfiguration* getLogosConfiguration() const override { return m_logos.get(); }
    oskel::SceneManager* getSceneManager() const override { return m_sceneManager.get(); }
    oskel::SceneManager* getWorldSceneManager() const override { return m_worldSceneManager.get(); }
    oskel::CSoundGroupManager* getSoundGroupManager() const override;
    oskel::u32 registerNodeClasses() override;
    void releaseUnused() override;
    oskel::CFileSystem* getFileSystem() const override;
    oskel::CTextDictionary* getTextDictionary() const override;
    void setWindowCaption(const oskel::stringw& caption) override;
    bool developerKeysEnabled() const override { return areDeveloperKeysOn(); }
    // A tutorial controller over the host (none without a host or a template collection); the
    // flag changes nothing.
    ITutorial* createTutorial(oskel::BaseNode* host, oskel::TemplateCollectionNode* templates,
                              oskel::IContentManager* content, bool flag) override;
    bool addInputReceiver(oskel::CEventReceiver* receiver, oskel::s32 priority) override;
    void removeInputReceiver(oskel::CEventReceiver* receiver) override;

    // A level was completed: the external hooks learn its name and the time in seconds (text).
    void onLevelCompleted(const oskel::stringc& levelName, const oskel::stringc& seconds);

    const irr::core::rect<oskel::s32>& getLeftBar() const { return m_leftBar; }
    const irr::core::rect<oskel::s32>& getRightBar() const { return m_rightBar; }
    oskel::u32 getLastStep() const override { return m_lastStep; }
    // A render event through the application's own event handling: its map, then its receivers.
    void renderFrame() override;
    // The game time the external hooks were told of (0 once they are gone).
    oskel::u32 getHookTime() const;
    const oskel::stringc& getTypedCharacters() const { return m_accessCode.getBuffer(); }
    const std::vector<SReloadEntry>& getReloadEntries() const { return m_reloadEntries; }
    // The table read from the file on the reload key (for the tables that exist).
    void setReloadTable(const char* path, IConfigurationTable* table);

    // The developer keys' actions.
    // Saves a screenshot in the user data folder; the file name, or empty when none was saved.
    oskel::stringc saveScreenshot();
    // Reads the configuration tables again from their files.
    void reloadConfiguration();

    // Design size.
    static constexpr oskel::f32 DesignWidth = 1024.0f;
    static constexpr oskel::f32 DesignHeight = 768.0f;

private:
    bool onVideoDriverReleasing(oskel::CEvent* event);
    bool onVideoDriverCreated(oskel::CEvent* event);
    bool onDeviceFit(oskel::CEvent* event);
    bool onUpdate(oskel::CEvent* event);
    bool onRender(oskel::CEvent* event);
    bool onWindowFocus(oskel::CEvent* event);
    bool onCloseRequest(oskel::CEvent* event);
    bool onQuit(oskel::CEvent* event);
    bool onKeyDown(oskel::CEvent* event);
    bool onKeyUp(oskel::CEvent* event);

    // While the developer keys are on, the video driver keeps what a screenshot needs: the
    // application is registered with it as a screenshot user (once per driver).
    void registerScreenshotUser();

    void configureSoundGroups();
    void setUpCursor();

    oskel::IDevice* m_device = nullptr;
    irr::core::rect<oskel::s32> m_leftBar{0, 0, 0, 768};
    irr::core::rect<oskel::s32> m_rightBar{1024, 0, 1024, 768};
    oskel::SDeviceParameters m_parameters;
    oskel::CRefPtr<oskel::CTimerScheduler> m_sceneScheduler;
    oskel::CRefPtr<oskel::CTimerScheduler> m_worldScheduler;
    oskel::CRefPtr<oskel::SceneManager> m_sceneManager;
    oskel::CRefPtr<oskel::SceneManager> m_worldSceneManager;
    oskel::CRefPtr<oskel::CContentManager> m_contentManager;
    oskel::CRefPtr<GLogosConfiguration> m_logos;
    oskel::CRefPtr<ComicsConfiguration> m_comics;
    oskel::CRefPtr<UpgradesConfiguration> m_upgrades;
    oskel::CRefPtr<LevelScores> m_levelScores;
    oskel::CRefPtr<GBuildingsConfiguration> m_buildings;
    oskel::CRefPtr<GExternalHooks> m_hooks;
    oskel::CRefPtr<GAchievementsProgress> m_achievements;
    std::vector<SReloadEntry> m_reloadEntries;
    oskel::u32 m_lastStep = 0;
    GAccessCodeWatcher m_accessCode;
    CSingleInstanceGuard* m_guard = nullptr;
    // The device's turn hook that answers raise requests (0: none).
    oskel::u32 m_raiseHook = 0;
    bool m_shutDown = false;
    // The driver this application is registered with as a screenshot user (not held).
    oskel::IVideoDriver* m_screenshotDriver = nullptr;
};

// Called once start-up has succeeded, right before the main loop runs.
using StartedHook = std::function<void(GApplication& application)>;

// The program: creates the application, initialises and runs it and returns the exit code (0
// after a normal run, 1 when start-up or the main loop fails). The guard, when given, learns the
// window once start-up has succeeded; the crash report writer, when given, learns the user data
// folder; the started hook, when given, is called before the main loop. The application leaves
// the device before this returns.
int runGame(CSingleInstanceGuard* guard, CCrashDumpWriter* crashWriter,
            const StartedHook& started = nullptr);

}  // namespace brasquel
