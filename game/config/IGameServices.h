#pragma once

#include "engine/core/OskelTypes.h"
#include "engine/core/event/SDeviceParameters.h"

namespace oskel {
class BaseNode;
class CEventReceiver;
class CFileSystem;
class IContentManager;
class TemplateCollectionNode;
class CSoundGroupManager;
class CTimerScheduler;
class IVideoDriver;
class CTextDictionary;
class SceneManager;
}  // namespace oskel

namespace brasquel {

class ComicsConfiguration;
class GAchievementsProgress;
class GBuildingsConfiguration;
class GExternalHooks;
class GLogosConfiguration;
class ITutorial;
class LevelScores;
class UpgradesConfiguration;

// What the game's scenes ask of the application. The application installs itself at start-up
// and removes itself when it shuts down; tests install a fake. Scenes reach the application
// only through this, never through the device.
class IGameServices {
public:
    virtual ~IGameServices() = default;

    // The configuration tables, read by the preloader and kept for the whole run.
    virtual ComicsConfiguration* getComicsConfiguration() const = 0;
    virtual UpgradesConfiguration* getUpgradesConfiguration() const = 0;
    virtual LevelScores* getLevelScores() const = 0;
    // The catalogue of building types ("levels/common/BuildingsConfiguration.xml"); none where
    // the services keep no catalogue.
    virtual GBuildingsConfiguration* getBuildingsConfiguration() const { return nullptr; }
    virtual GExternalHooks* getExternalHooks() const = 0;
    // The logos of the start-up (the logos scene takes them out one by one).
    virtual GLogosConfiguration* getLogosConfiguration() const = 0;

    // The scene manager of the menus and the play screen, and the one of the level's world.
    virtual oskel::SceneManager* getSceneManager() const = 0;
    virtual oskel::SceneManager* getWorldSceneManager() const = 0;
    // The sound groups through which cues play; none without a device.
    virtual oskel::CSoundGroupManager* getSoundGroupManager() const = 0;

    // Registers the game's node classes of the preloader's batch with the node factory; the
    // number of classes registered.
    virtual oskel::u32 registerNodeClasses() = 0;
    // The content manager drops every cached object that nothing else holds.
    virtual void releaseUnused() = 0;

    // The files the configuration tables are read from; none without a device.
    virtual oskel::CFileSystem* getFileSystem() const { return nullptr; }
    // The dictionary the texts are translated through; none without a device.
    virtual oskel::CTextDictionary* getTextDictionary() const { return nullptr; }
    // The window's caption, kept in the engine setting "TitleCaption" too.
    virtual void setWindowCaption(const oskel::stringw& caption) { (void)caption; }

    // Whether the player has typed the developer access code (the scenes' developer keys act
    // only then); never where the services keep no such switch.
    virtual bool developerKeysEnabled() const { return false; }
    // The active player's achievements progress, loaded from the profile; none where the
    // services keep no tracker.
    virtual GAchievementsProgress* getAchievementsProgress() const { return nullptr; }
    // A new tutorial over the host scene node (a scene's "Scene" node), its window taken from the
    // template collection and its content from the content manager; the map and the shop pass
    // the flag as true. The caller holds the one reference. None where no tutorial can be made
    // (without a host or a template collection, or where the services make none).
    virtual ITutorial* createTutorial(oskel::BaseNode* host,
                                      oskel::TemplateCollectionNode* templates,
                                      oskel::IContentManager* content, bool flag) {
        (void)host;
        (void)templates;
        (void)content;
        (void)flag;
        return nullptr;
    }

    // The device's input receivers: the receiver is offered the device's events of its
    // categories at the priority (the device holds a reference while it is listed); false where
    // there is no device, for none, or when it is listed already. Removing one that is not
    // listed does nothing.
    virtual bool addInputReceiver(oskel::CEventReceiver* receiver, oskel::s32 priority) {
        (void)receiver;
        (void)priority;
        return false;
    }
    virtual void removeInputReceiver(oskel::CEventReceiver* receiver) { (void)receiver; }

    // The upper scene layer is the world's scene manager driven by this scheduler; none where
    // the services keep no such layer.
    virtual oskel::CTimerScheduler* getWorldScheduler() const { return nullptr; }
    // The active player's sound settings applied to the sound groups.
    virtual void applySoundSettings() {}
    // The parameters the device runs with (the defaults where there is no device).
    virtual const oskel::SDeviceParameters& getDeviceParameters() const;
    // Re-creates the device's drivers with the parameters (textures rebuilt, the screen fitted
    // again) and keeps them; false, keeping the parameters of before, when that fails.
    virtual bool resetDevice(const oskel::SDeviceParameters& parameters) {
        (void)parameters;
        return false;
    }
    // Ends the main loop: the program quits.
    virtual void closeDevice() {}
    // The device's video driver, none without one.
    virtual oskel::IVideoDriver* getVideoDriver() const { return nullptr; }
    // The elapsed milliseconds of the last update of the main loop.
    virtual oskel::u32 getLastStep() const { return 0; }
    // Draws a frame at once, on the calling (main) thread: a render event handed to the
    // application's own handler and, when that does not take it, on to its receivers. Nothing
    // where there is no application.
    virtual void renderFrame() {}

    // The installed services, or none.
    static IGameServices* get();
    // Installs the services (none: removes them); returns the ones installed before.
    static IGameServices* install(IGameServices* services);
};

}  // namespace brasquel
