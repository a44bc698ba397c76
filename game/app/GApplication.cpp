#include "game/app/GApplication.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/IAudioDriver.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/CCursorControl.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/io/CXmlReader.h"
#include "engine/platform/CrashDumpWriter.h"
#include "engine/platform/SingleInstanceGuard.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/app/GNodeClassRegistration.h"
#include "game/app/GSoundSettings.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/ConfigurationFile.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GExternalHooks.h"
#include "game/config/GProfileKeys.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/play/tutorial/GTutorialController.h"

namespace brasquel {

using namespace oskel;

namespace {

GApplication* g_application = nullptr;

// Virtual keys of the developer keys.
constexpr u32 kKeyS = 0x53;
constexpr u32 kKeyR = 0x52;

// The files the reload key reads again.
constexpr const char* kReloadFiles[] = {
    "levels/common/BuildingsConfiguration.xml",
    "levels/common/UpgradesConfiguration.xml",
    "scenes/ComicsConfiguration.xml",
    "levels/common/LevelScores.xml",
};

stringc floatText(f32 value) { return stringc(static_cast<double>(value)); }

}  // namespace

s32 videoDriverFromSetting(s32 value) {
    return value == DriverDirect3D8 || value == DriverDirect3D9 || value == DriverOpenGL
               ? value
               : DriverDirect3D8;
}

u32 reloadTables(CFileSystem* fileSystem, const std::vector<SReloadEntry>& entries) {
    if (!fileSystem) return 0;
    u32 read = 0;
    for (const SReloadEntry& entry : entries) {
        if (!entry.table || !entry.path) continue;
        // A file that does not open leaves its table as it was.
        if (readConfigurationFile(fileSystem, entry.path, entry.table) != ConfigurationFileMissing)
            ++read;
    }
    return read;
}

OSKEL_BEGIN_EVENT_MAP(GApplication, CEventReceiver)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverReleasing, onVideoDriverReleasing)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverCreated, onVideoDriverCreated)
OSKEL_EVENT_HANDLER(EventDeviceFit, onDeviceFit)
OSKEL_EVENT_HANDLER(EventSystemFlowUpdate, onUpdate)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRender)
OSKEL_EVENT_HANDLER(EventSystemFlowWindowFocus, onWindowFocus)
OSKEL_EVENT_HANDLER(EventSystemFlowCloseRequest, onCloseRequest)
OSKEL_EVENT_HANDLER(EventSystemFlowQuit, onQuit)
OSKEL_EVENT_HANDLER(EventKeyboardKeyDown, onKeyDown)
OSKEL_EVENT_HANDLER(EventKeyboardKeyUp, onKeyUp)
OSKEL_END_EVENT_MAP()

GApplication::GApplication() {
    setCategoryMask(CategoryDevice | CategorySystemFlow | CategoryKeyboard | CategoryMouse);
    m_logos = makeRef<GLogosConfiguration>();
    m_comics = makeRef<ComicsConfiguration>();
    m_upgrades = makeRef<UpgradesConfiguration>();
    m_levelScores = makeRef<LevelScores>();
    m_hooks = makeRef<GExternalHooks>();
    m_achievements = makeRef<GAchievementsProgress>();
    m_buildings = makeRef<GBuildingsConfiguration>();
    // The reload key reads each table from its file.
    for (const char* path : kReloadFiles) m_reloadEntries.push_back(SReloadEntry{path, nullptr});
    setReloadTable(kReloadFiles[0], m_buildings.get());
    setReloadTable(kReloadFiles[1], m_upgrades.get());
    setReloadTable(kReloadFiles[2], m_comics.get());
    setReloadTable(kReloadFiles[3], m_levelScores.get());
}

GApplication::~GApplication() {
    // Once init has registered the application only the device can release it, while it drops
    // its receivers: the device is not called back then.
    m_device = nullptr;
    shutdown();
}

GApplication* GApplication::getInstance() { return g_application; }

void GApplication::setReloadTable(const char* path, IConfigurationTable* table) {
    for (SReloadEntry& entry : m_reloadEntries)
        if (stringc(entry.path) == path) entry.table = table;
}

void GApplication::configureSoundGroups() {
    CSoundGroupManager* groups = m_device->getSoundGroupManager();
    if (!groups) return;
    struct Group {
        s32 id, maxInstances, policy, fadeInMs, fadeOutMs;
    };
    static const Group kGroups[] = {
        {SoundGroupSounds, 8, 1, 0, 1000},
        {SoundGroupMusic, 1, 1, 2000, 1000},
        {SoundGroupFurtherSounds, 16, 1, 0, 1000},
    };
    for (const Group& g : kGroups) {
        SSoundGroupSettings& settings = groups->getGroupSettings(g.id);
        settings.maxInstances = g.maxInstances;
        settings.policy = g.policy;
        settings.fadeInMs = g.fadeInMs;
        settings.fadeOutMs = g.fadeOutMs;
    }
}

void GApplication::setUpCursor() {
    ICursorControl* cursor = m_device->getCursorControl();
    CProfile* common = CProfileManager::instance().getCommonProfile();
    if (cursor && common && !common->getBool(ProfileKeyWindowsCursor) && m_contentManager) {
        CResource* image =
            m_contentManager->getContentByPath(TypeCodeImage, CursorImageFile, false);
        if (image) {
            if (image->getTypeCode() == TypeCodeImage)
                cursor->setCursorImage(static_cast<CImage*>(image), 2, 2);
            image->drop();
        }
    }
    if (cursor) cursor->setVisible(false);
}

bool GApplication::init() {
    m_device = getDevice();
    if (!m_device) return false;
    m_shutDown = false;
    CRandom::instance().seed(m_device->getTimer()->getRealTime());
    m_device->setUpdateInterval(10);
    m_device->setUpdateStep(10);

    CPropertySet* settings = m_device->getEngineSettings();
    settings->setStringW(EngineSettingPublisherName, PublisherName);
    settings->setStringW(EngineSettingTitleName, TitleName);
    settings->setStringW(EngineSettingTitleCaption, TitleName);
    settings->setStringW(EngineSettingAssetsCryptKey,
                         L"mvtrp2k8(#^#5519qx04ydlkwjhz6ncb7teoa3fgu1rwpsl8nx2kvq5dmzy");
    settings->setStringW(EngineSettingAssetsFolder, L"assets");

    fillGameProfileDefaults(CProfileManager::instance().getCommonDefaults(),
                            CProfileManager::instance().getNewProfileDefaults());
    CProfileManager::instance().setServices(m_device->getFileSystem(), settings);
    // Missing or damaged profile files leave the defaults: the game starts either way.
    static_cast<void>(CProfileManager::instance().load());
    // The classes of the first two scenes; the preloader registers the others.
    u32 count = 0;
    const SGameNodeClass* classes = getApplicationNodeClasses(count);
    registerGameNodeClasses(CNodeFactory::instance(), classes, count);

    g_application = this;
    IGameServices::install(this);
    m_device->addEventReceiver(this, 0);

    CProfile* common = CProfileManager::instance().getCommonProfile();
    m_parameters = SDeviceParameters();
    m_parameters.driverType = videoDriverFromSetting(common->getInt(ProfileKeyVideoDriver));
    m_parameters.fullscreen = common->getBool(ProfileKeyFullScreen);
    m_parameters.antiAlias = static_cast<u8>(common->getInt(ProfileKeyAntiAlias));
    m_parameters.vsync = common->getBool(ProfileKeyVSync);
    m_parameters.windowSize = irr::core::dimension2d<s32>(1024, 768);
    m_parameters.bits = 32;
    m_parameters.stencilBuffer = false;
    m_parameters.highPrecisionFpu = false;
    m_parameters.useDesktopResolution = true;
    if (!m_device->reset(m_parameters)) return false;

    m_contentManager = CRefPtr<CContentManager>::fromRaw(m_device->createContentManager());
    m_device->addEventReceiver(m_contentManager.get(), 1);

    m_sceneScheduler = CRefPtr<CTimerScheduler>::fromRaw(m_device->createTimerScheduler());
    m_device->addEventReceiver(m_sceneScheduler.get(), 2);
    m_worldScheduler = CRefPtr<CTimerScheduler>::fromRaw(m_device->createTimerScheduler());
    m_device->addEventReceiver(m_worldScheduler.get(), 2);

    m_sceneManager = CRefPtr<SceneManager>::fromRaw(m_device->createSceneManager());
    m_sceneManager->setSortEnabled(true);
    m_sceneManager->setEventSource(m_sceneScheduler.get());
    m_device->addEventReceiver(m_sceneManager.get(), 2);

    // The level's world: drawn inside the play scene, on a clock of its own.
    m_worldSceneManager = CRefPtr<SceneManager>::fromRaw(m_device->createSceneManager());
    m_worldSceneManager->setSortEnabled(true);
    m_worldSceneManager->setEventSource(m_worldScheduler.get());
    m_worldSceneManager->setPosition(vector3df(0.0f, 0.0f, -4000.0f));
    m_worldSceneManager->markTransformDirty();

    CFileSystem* files = m_device->getFileSystem();
    const stringc assets(toUtf8(settings->getStringW(EngineSettingAssetsFolder).c_str()).c_str());
    files->addArchive(assets, false, false);
    // The enciphered archive is optional: only one that is there is mounted (a damaged one is
    // still reported by the file system).
    const stringc archive = assets + ".oca";
    if (files->existFile(archive)) files->addArchive(archive, false, false);

    if (IAudioDriver* audio = m_device->getAudioDriver()) audio->setStreamingThreshold(0x20000);
    configureSoundGroups();

    if (CProfile* active = CProfileManager::instance().getActiveProfile()) {
        applySoundSettings();
        if (m_achievements) m_achievements->load(active->getString(ProfileKeyAchievementsProgress));
    }

    setUpCursor();

    m_logos->clear();
    if (CXmlReader* reader = files->createXmlReader(stringc(LogosFile))) {
        if (!m_logos->load(reader))
            CLogger::instance().logHint("Logos file not read", LogosFile, LogWarning);
        reader->drop();
    }

    CResource* loaded =
        m_contentManager->getContentByPath(TypeCodeSceneNode, StartSceneFile, false);
    if (!loaded) return false;
    SceneNode* scene = loaded->getTypeCode() == TypeCodeSceneNode
                           ? asSceneNode(static_cast<BaseNode*>(loaded))
                           : nullptr;
    const bool shown = scene && m_sceneManager->setScene(scene);
    loaded->drop();
    if (!shown) return false;
    fitScreen();
    return true;
}

bool GApplication::run() {
    IDevice* device = m_device ? m_device : getDevice();
    return device && device->run();
}

void GApplication::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    // Never makes a device at the program's end: only the one that exists is told.
    IDevice* device = m_device && IDevice::recordedInstance() == m_device ? m_device : nullptr;
    if (device) {
        if (m_screenshotDriver && device->getVideoDriver() == m_screenshotDriver)
            m_screenshotDriver->removeScreenShotUser();
        if (m_raiseHook) device->removeTurnHook(m_raiseHook);
        device->removeEventReceiver(m_sceneManager.get());
        device->removeEventReceiver(m_worldScheduler.get());
        device->removeEventReceiver(m_sceneScheduler.get());
        device->removeEventReceiver(m_contentManager.get());
    }
    m_guard = nullptr;
    m_raiseHook = 0;
    m_screenshotDriver = nullptr;
    if (IGameServices::get() == this) IGameServices::install(nullptr);
    m_sceneScheduler = nullptr;
    m_worldScheduler = nullptr;
    m_sceneManager = nullptr;
    m_worldSceneManager = nullptr;
    m_contentManager = nullptr;
    for (SReloadEntry& entry : m_reloadEntries) entry.table = nullptr;
    m_logos = nullptr;
    m_comics = nullptr;
    m_levelScores = nullptr;
    m_upgrades = nullptr;
    m_buildings = nullptr;
    m_achievements = nullptr;
    // The hooks learn of the end once everything else has gone.
    if (m_hooks) m_hooks->onShutdown();
    m_hooks = nullptr;
    if (g_application == this) g_application = nullptr;
    m_device = nullptr;
    // Last: the device may hold the last reference to this object.
    if (device) {
        grab();
        device->removeEventReceiver(this);
        drop();
    }
}

void GApplication::applySoundSettings() {
    IDevice* device = m_device ? m_device : getDevice();
    CSoundGroupControl groups(device ? device->getSoundGroupManager() : nullptr);
    brasquel::applySoundSettings(CProfileManager::instance().getActiveProfile(),
                                 m_sceneManager.get(), groups);
}

bool GApplication::resetDevice(const SDeviceParameters& parameters) {
    if (!m_device) return false;
    const SDeviceParameters before = m_parameters;
    m_parameters = parameters;
    if (m_device->reset(m_parameters)) {
        fitScreen();
        IVideoDriver* driver = m_device->getVideoDriver();
        const dimension2di size = driver ? driver->getScreenSize() : dimension2di(0, 0);
        const std::string hint = std::string(m_parameters.fullscreen ? "full screen " : "window ") +
                                 std::to_string(size.Width) + "x" + std::to_string(size.Height);
        CLogger::instance().logHint("Display changed", hint.c_str(), LogInformation);
        return true;
    }
    m_parameters = before;
    return false;
}

void GApplication::closeDevice() {
    if (m_device) m_device->closeDevice();
}

IVideoDriver* GApplication::getVideoDriver() const {
    return m_device ? m_device->getVideoDriver() : nullptr;
}

void GApplication::setInstanceGuard(CSingleInstanceGuard* guard) {
    m_guard = guard;
    if (!m_device) return;
    if (guard && !m_raiseHook) m_raiseHook = m_device->addTurnHook([this] { pollRaiseRequest(); });
    if (!guard && m_raiseHook) {
        m_device->removeTurnHook(m_raiseHook);
        m_raiseHook = 0;
    }
}

void GApplication::pollRaiseRequest() {
    if (!m_guard || !m_device) return;
    if (m_guard->takeRaiseRequest()) {
        CLogger::instance().log("Another start of the game: the window comes to the front",
                                LogInformation);
        m_device->bringToFront();
    }
}

void GApplication::fitScreen() {
    if (!m_sceneManager || !m_device) return;
    IVideoDriver* driver = m_device->getVideoDriver();
    if (!driver) return;
    const dimension2di& size = driver->getScreenSize();
    if (size.Width <= 0 || size.Height <= 0) return;  // no screen to fit into
    const SScreenFit fit = computeScreenFit(size.Width, size.Height);
    m_leftBar = fit.leftBar;
    m_rightBar = fit.rightBar;
    if (fit.stretched) CLogger::instance().log("Stretched", LogInformation);
    m_sceneManager->setPosition(
        vector3df(static_cast<f32>(fit.positionX), static_cast<f32>(fit.positionY), 0.0f));
    m_sceneManager->setScale(vector3df(fit.scaleX, fit.scaleY, 1.0f));
    m_sceneManager->markTransformDirty();
    stringc ratio("Screen ratio:");
    ratio += floatText(fit.screenRatio);
    ratio += ", UI ratio:";
    ratio += floatText(fit.designRatio);
    ratio += ", diff:";
    ratio += floatText(fit.difference);
    CLogger::instance().log(ratio.c_str(), LogInformation);
    stringc placed("Game screen alined. Scene pos:");
    placed += floatText(static_cast<f32>(fit.positionX));
    placed += ",";
    placed += floatText(static_cast<f32>(fit.positionY));
    placed += "; Scale:";
    placed += floatText(fit.scaleX);
    placed += ",";
    placed += floatText(fit.scaleY);
    CLogger::instance().log(placed.c_str(), LogInformation);
}

bool GApplication::onVideoDriverReleasing(CEvent*) {
    m_screenshotDriver = nullptr;  // the driver goes, and its users with it
    return false;
}

bool GApplication::onVideoDriverCreated(CEvent* event) {
    IVideoDriver* driver = static_cast<CEventDeviceVideoDriverCreated*>(event)->getVideoDriver();
    if (driver) driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    if (driver && driver != m_screenshotDriver) m_screenshotDriver = nullptr;
    registerScreenshotUser();
    if (m_device)
        m_device->setWindowCaption(
            m_device->getEngineSettings()->getStringW(EngineSettingTitleCaption).c_str());
    fitScreen();
    return false;
}

bool GApplication::onDeviceFit(CEvent*) {
    fitScreen();
    return true;
}

bool GApplication::onUpdate(CEvent* event) {
    m_lastStep = static_cast<CEventSystemFlowUpdate*>(event)->getElapsed();
    if (m_hooks) m_hooks->addTime(m_lastStep);
    return false;
}

bool GApplication::onRender(CEvent*) {
    IVideoDriver* driver = m_device ? m_device->getVideoDriver() : nullptr;
    if (!driver || !driver->beginScene(true, true, SColor(0), nullptr, nullptr)) return false;
    if (m_sceneManager) m_sceneManager->render(driver);
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
    driver->draw2DRectangle(SColor(0xff000000u), m_leftBar, nullptr);
    driver->draw2DRectangle(SColor(0xff000000u), m_rightBar, nullptr);
    driver->endScene();
    return false;
}

void GApplication::renderFrame() {
    auto render = makeEvent<CEventSystemFlowRender>();
    static_cast<void>(onEvent(render.get()));
}

bool GApplication::onWindowFocus(CEvent* event) {
    const bool active = static_cast<CEventSystemFlowWindowFocus*>(event)->isActive();
    CLogger::instance().logHint("Window focus", active ? "true" : "false", LogInformation);
    IDevice* device = m_device ? m_device : IDevice::recordedInstance();
    if (CSoundGroupManager* groups = device ? device->getSoundGroupManager() : nullptr) {
        groups->setGroupPaused(!active, SoundGroupMusic);
        groups->setGroupPaused(!active, SoundGroupSounds);
    }
    return false;
}

bool GApplication::onCloseRequest(CEvent*) {
    CLogger::instance().log("CEventSystemFlowCloseRequest event received", LogInformation);
    return false;
}

bool GApplication::onQuit(CEvent*) { return false; }

bool GApplication::onKeyDown(CEvent* event) {
    const auto* key = static_cast<CEventKeyboardKey*>(event);
    if (m_accessCode.onCharacter(key->getChar())) {
        switchDeveloperKeysOn();
        registerScreenshotUser();
    }
    if (!areDeveloperKeysOn() || !key->isControl() || !key->isShift()) return false;
    if (key->getKey() == kKeyS)
        saveScreenshot();
    else if (key->getKey() == kKeyR)
        reloadConfiguration();
    return false;
}

bool GApplication::onKeyUp(CEvent*) { return false; }

void GApplication::registerScreenshotUser() {
    IVideoDriver* driver = m_device ? m_device->getVideoDriver() : nullptr;
    if (!areDeveloperKeysOn() || !driver || driver == m_screenshotDriver) return;
    driver->addScreenShotUser();
    m_screenshotDriver = driver;
}

stringc GApplication::saveScreenshot() {
    IVideoDriver* driver = m_device ? m_device->getVideoDriver() : nullptr;
    if (!driver || !m_contentManager) return stringc();
    CImage* image = driver->createScreenShot();
    if (!image) return stringc();
    CFileSystem* files = m_device->getFileSystem();
    const stringc name = nextScreenshotName(files, files ? files->getUserDataFolder() : stringc());
    bool saved = false;
    if (!name.empty())
        saved = m_contentManager->saveContent(TypeCodeImage, image, name, nullptr);
    else
        CLogger::instance().log("No screenshot: there is no user data folder", LogWarning);
    image->drop();
    if (saved) CLogger::instance().logHint("Screenshot saved", name.c_str(), LogInformation);
    return saved ? name : stringc();
}

void GApplication::reloadConfiguration() {
    reloadTables(m_device ? m_device->getFileSystem() : nullptr, m_reloadEntries);
}

ComicsConfiguration* GApplication::getComicsConfiguration() const { return m_comics.get(); }
UpgradesConfiguration* GApplication::getUpgradesConfiguration() const { return m_upgrades.get(); }
LevelScores* GApplication::getLevelScores() const { return m_levelScores.get(); }
GAchievementsProgress* GApplication::getAchievementsProgress() const {
    return m_achievements.get();
}
GBuildingsConfiguration* GApplication::getBuildingsConfiguration() const {
    return m_buildings.get();
}
GExternalHooks* GApplication::getExternalHooks() const { return m_hooks.get(); }

CSoundGroupManager* GApplication::getSoundGroupManager() const {
    return m_device ? m_device->getSoundGroupManager() : nullptr;
}

ITutorial* GApplication::createTutorial(BaseNode* host, TemplateCollectionNode* templates,
                                        IContentManager* content, bool flag) {
    static_cast<void>(flag);
    if (!host || !templates) return nullptr;
    return new GTutorialController(host, templates, content);
}

bool GApplication::addInputReceiver(CEventReceiver* receiver, s32 priority) {
    return m_device && receiver && m_device->addEventReceiver(receiver, priority);
}

void GApplication::removeInputReceiver(CEventReceiver* receiver) {
    if (m_device && receiver) m_device->removeEventReceiver(receiver);
}

u32 GApplication::registerNodeClasses() {
    u32 count = 0;
    const SGameNodeClass* classes = getPreloaderNodeClasses(count);
    return registerGameNodeClasses(CNodeFactory::instance(), classes, count);
}

CFileSystem* GApplication::getFileSystem() const {
    return m_device ? m_device->getFileSystem() : nullptr;
}

CTextDictionary* GApplication::getTextDictionary() const {
    return m_device ? m_device->getTextDictionary() : nullptr;
}

void GApplication::setWindowCaption(const stringw& caption) {
    if (!m_device) return;
    m_device->getEngineSettings()->setStringW(EngineSettingTitleCaption, caption);
    m_device->setWindowCaption(caption.c_str());
}

void GApplication::releaseUnused() {
    if (m_contentManager) m_contentManager->freeUnreferenced();
}

void GApplication::onLevelCompleted(const stringc& levelName, const stringc& seconds) {
    if (m_hooks) m_hooks->onLevelCompleted(levelName, seconds);
}

u32 GApplication::getHookTime() const { return m_hooks ? m_hooks->getTime() : 0; }

int runGame(CSingleInstanceGuard* guard, CCrashDumpWriter* crashWriter,
            const StartedHook& started) {
    auto* application = new GApplication();
    int exitCode = 0;
    if (application->init()) {
        IDevice* device = getDevice();
        if (crashWriter)
            crashWriter->setFallbackFolder(device->getFileSystem()->getUserDataFolder().c_str());
        if (guard) {
            guard->setWindow(device->getParameters().windowId);
            application->setInstanceGuard(guard);
        }
        if (started) started(*application);
        if (!application->run()) {
            CLogger::instance().log("Failed to run game", LogError);
            exitCode = 1;
        }
    } else {
        CLogger::instance().log("Failed to initialize game", LogError);
        exitCode = 1;
    }
    application->shutdown();
    application->drop();
    return exitCode;
}

}  // namespace brasquel
