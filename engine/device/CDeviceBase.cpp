#include "engine/device/CDeviceBase.h"

#include <cstdlib>
#include <cstring>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/IAudioDriver.h"
#include "engine/content/CContentManager.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/properties/EngineSettings.h"
#include "engine/scene/SceneManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/device/CDeviceLinux.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/RenderPropertyTypes.h"

namespace oskel {

namespace {

template <class List>
s32 findReceiver(const List& list, CEventReceiver* receiver) {
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i].receiver == receiver) return static_cast<s32>(i);
    return -1;
}

s32 findPointer(const array<CEventReceiver*>& list, CEventReceiver* receiver) {
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i] == receiver) return static_cast<s32>(i);
    return -1;
}

}  // namespace

// The device as the scene managers see it: schedulers registered as receivers of the update
// steps, the cursor, the text dictionary and the sound groups. Scene managers may outlive the
// device; then it answers nothing.
class CDeviceBase::CSceneHost : public ISceneHost {
public:
    explicit CSceneHost(CDeviceBase* device) : m_device(device) {}
    void forgetDevice() { m_device = nullptr; }

    CTimerScheduler* createDrivenScheduler() override {
        if (!m_device) return nullptr;
        CTimerScheduler* scheduler = m_device->createTimerScheduler();
        if (scheduler) m_device->addEventReceiver(scheduler, SceneSchedulerPriority);
        return scheduler;
    }
    void releaseDrivenScheduler(CTimerScheduler* scheduler) override {
        if (m_device && scheduler) m_device->removeEventReceiver(scheduler);
    }
    ICursorControl* getCursorControl() const override {
        return m_device ? m_device->getCursorControl() : nullptr;
    }
    CTextDictionary* getTextDictionary() const override {
        return m_device ? m_device->getTextDictionary() : nullptr;
    }
    CSoundGroupManager* getSoundGroupManager() const override {
        return m_device ? m_device->getSoundGroupManager() : nullptr;
    }

private:
    // After every other receiver of the update steps.
    static constexpr s32 SceneSchedulerPriority = 1000;
    CDeviceBase* m_device;
};

CDeviceBase::CDeviceBase(const SDeviceParameters& parameters,
                         std::unique_ptr<IClock> clock) {
    setCategoryMask(CategoryDevice);
    m_parameters = parameters;
    m_timer = makeRef<CTimer>(std::move(clock));
    m_engineSettings = createEngineSettings();
    m_fileSystem = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    // The data folders and the archive key follow the engine settings.
    CPropertySet* settings = m_engineSettings.get();
    m_fileSystem->setSettingsSource([settings](const char* key) -> stringc {
        const stringw value = settings->getStringW(key);
        if (std::strcmp(key, EngineSettingAssetsCryptKey) == 0)
            return narrowLowBytes(value.c_str());
        return stringc(toUtf8(value.c_str()).c_str());
    });
    m_sceneHost = makeRef<CSceneHost>(this);
    // The property values that hold drawing and sound resources, for scene files and sets.
    registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
    registerAudioPropertyTypes(CPropertyTypeRegistry::instance());
    // The user-interface node classes, before the game registers any class of its own.
    registerEngineNodes(CNodeFactory::instance());
    m_soundGroupManager = new CSoundGroupManager();
    m_textDictionary = makeRef<CTextDictionary>(m_fileSystem.get());
    addEventReceiver(m_soundGroupManager, 1);

    CLogger::instance().log((stringc("Irrlicht Engine version ") + kEngineVersion).c_str(),
                            LogInformation);
    const char* callerVersion = parameters.sdkVersion ? parameters.sdkVersion : "";
    if (std::strcmp(callerVersion, kEngineVersion) != 0) {
        stringc warning("Warning: The library version of the Irrlicht Engine (");
        warning += kEngineVersion;
        warning += ") does not match the version the application was compiled with (";
        warning += callerVersion;
        warning += "). This may cause problems.";
        CLogger::instance().log(warning.c_str(), LogWarning);
    }
}

CDeviceBase::~CDeviceBase() {
    m_sceneHost->forgetDevice();
    if (m_contentProcessors) m_contentProcessors->drop();
    m_contentProcessors = nullptr;
    releaseReceivers();
    // The services go after the receivers, which may still use them while they are released.
    if (m_audioDriver) m_audioDriver->drop();
    m_audioDriver = nullptr;
    if (m_videoDriver) {
        m_videoDriver->drop();
        m_videoDriver = nullptr;
    }
    // Others may still hold the file system: it must not ask the settings after they are gone.
    if (m_fileSystem) m_fileSystem->setSettingsSource(nullptr);
    m_fileSystem = nullptr;
    if (m_soundGroupManager) m_soundGroupManager->drop();
    m_soundGroupManager = nullptr;
    m_textDictionary = nullptr;
    m_timer = nullptr;
    m_engineSettings = nullptr;
}

void CDeviceBase::releaseReceivers() {
    // The lists are emptied before the receivers go: a receiver that removes others (or itself)
    // from the device while it is released must not find them again and drop them twice.
    array<ReceiverEntry> receivers = m_receivers;
    array<ReceiverEntry> additions = m_pendingAdditions;
    m_receivers.clear();
    m_pendingAdditions.clear();
    m_pendingRemovals.clear();
    for (u32 i = receivers.size(); i > 0; --i) receivers[i - 1].receiver->drop();
    for (u32 i = 0; i < additions.size(); ++i) additions[i].receiver->drop();
}

bool CDeviceBase::onEvent(CEvent*) { return false; }
bool CDeviceBase::routeToParent(u32, CEvent*) { return false; }

bool CDeviceBase::routeToChildren(u32 mode, CEvent* event) {
    bool result = false;
    ++m_dispatchDepth;
    for (u32 i = 0; i < m_receivers.size(); ++i) {
        CEventReceiver* receiver = m_receivers[i].receiver;
        if (!receiver->acceptsEvent(event)) continue;
        result = receiver->dispatchEvent(mode, event);
        if (result) break;
    }
    if (--m_dispatchDepth == 0) applyPendingChanges();
    return result;
}

bool CDeviceBase::postEvent(CEvent* event) {
    if (!event) return false;
    bool consumed = onEvent(event);
    if (!consumed) consumed = routeToChildren(DispatchSelfThenChildren, event);
    event->drop();
    return consumed;
}

bool CDeviceBase::addEventReceiver(CEventReceiver* receiver, s32 priority) {
    if (!receiver) return false;
    if (findReceiver(m_pendingAdditions, receiver) >= 0) return false;
    // A receiver waiting for its removal may come back: it is then removed and added again.
    if (findReceiver(m_receivers, receiver) >= 0 && findPointer(m_pendingRemovals, receiver) < 0)
        return false;
    receiver->grab();
    const ReceiverEntry entry{receiver, priority};
    if (m_dispatchDepth > 0)
        m_pendingAdditions.push_back(entry);
    else
        insertSorted(entry);
    return true;
}

void CDeviceBase::removeEventReceiver(CEventReceiver* receiver) {
    if (!receiver) return;
    if (m_dispatchDepth > 0) {
        const s32 pending = findReceiver(m_pendingAdditions, receiver);
        if (pending >= 0) {  // added during this dispatch: the addition is cancelled
            m_pendingAdditions.erase(static_cast<u32>(pending));
            receiver->drop();
            return;
        }
        if (findReceiver(m_receivers, receiver) >= 0 && findPointer(m_pendingRemovals, receiver) < 0)
            m_pendingRemovals.push_back(receiver);
        return;
    }
    const s32 index = findReceiver(m_receivers, receiver);
    if (index < 0) return;
    m_receivers.erase(static_cast<u32>(index));
    receiver->drop();
}

void CDeviceBase::insertSorted(const ReceiverEntry& entry) {
    // After every entry of the same or a lower priority.
    u32 at = m_receivers.size();
    while (at > 0 && m_receivers[at - 1].priority > entry.priority) --at;
    m_receivers.insert(entry, at);
}

void CDeviceBase::applyPendingChanges() {
    for (u32 i = 0; i < m_pendingRemovals.size(); ++i) {
        CEventReceiver* receiver = m_pendingRemovals[i];
        const s32 index = findReceiver(m_receivers, receiver);
        if (index < 0) continue;
        m_receivers.erase(static_cast<u32>(index));
        receiver->drop();
    }
    m_pendingRemovals.set_used(0);
    for (u32 i = 0; i < m_pendingAdditions.size(); ++i) insertSorted(m_pendingAdditions[i]);
    m_pendingAdditions.set_used(0);
}

void CDeviceBase::setVideoDriver(IVideoDriver* driver) {
    if (driver == m_videoDriver) return;
    releaseVideoDriver();
    m_videoDriver = driver;
    if (driver) postEvent(new CEventDeviceVideoDriverCreated(driver));
}

void CDeviceBase::releaseVideoDriver() {
    if (!m_videoDriver) return;
    postEvent(new CEventDeviceVideoDriverReleasing());
    m_videoDriver->drop();
    m_videoDriver = nullptr;
}

CDeviceBase::EMessageResult CDeviceBase::takeMessage(bool) { return MessageNone; }

void CDeviceBase::sleepFor(u32 ms) { sleepMs(ms); }

void CDeviceBase::postUpdates(u32 now) {
    const u32 step = m_updateStep;
    if (m_lastUpdate + step >= now || step == 0) {
        const u32 elapsed = now - m_lastUpdate;
        m_lastUpdate = now;
        postEvent(new CEventSystemFlowUpdate(elapsed));
        return;
    }
    while (m_running && m_lastUpdate + step <= now) {
        postEvent(new CEventSystemFlowUpdate(step));
        m_lastUpdate += step;
    }
}

bool CDeviceBase::run() {
    m_running = true;
    if (!m_windowFromOutside) {
        m_timer->tick();
        m_lastUpdate = m_timer->getTime();
    }
    while (m_running) {
        m_timer->tick();
        runTurnHooks();
        if (m_quitPending) {  // closeDevice() left its quit message: the loop ends at once
            m_quitPending = false;
            m_running = false;
            break;
        }
        if (!m_windowFromOutside) {
            const EMessageResult message = takeMessage(!m_visible);
            if (message == MessageQuit) {
                m_running = false;
                continue;
            }
            if (message == MessageHandled) continue;
        }
        if (m_running) applyPendingResize();

        u32 sleepMs = m_updateInterval > 1 ? 1 : 0;
        if (!m_visible && !m_windowFromOutside) {
            if (!m_timer->isStopped()) m_timer->stop();
        } else {
            refreshCursorPosition();
            bool frame = true;
            if (m_active) {
                if (m_timer->isStopped()) m_timer->start();
                const u32 now = m_timer->getTime();
                // A lag of more than 200 ms is cut to one step.
                if (now - m_lastUpdate > 200u) m_lastUpdate = now - m_updateStep;
                if (m_lastUpdate + m_updateInterval > now) {
                    frame = false;  // nothing is due yet
                } else {
                    postUpdates(now);
                    sleepMs = 0;
                }
            } else {
                if (!m_timer->isStopped()) m_timer->stop();
                sleepMs = 200;
            }
            if (frame && m_running) postEvent(new CEventSystemFlowRender());
        }
        if (m_windowFromOutside) break;
        if (sleepMs > 0 && m_running) sleepFor(sleepMs);
    }
    // A closeDevice() during the run has ended this loop: its quit is used up and the next run
    // goes on.
    if (!m_running) m_quitPending = false;
    return true;
}

void CDeviceBase::closeDevice() {
    CLogger::instance().log("closeDevice() was called", LogInformation);
    m_running = false;
    m_quitPending = true;
}

void CDeviceBase::sleep(u32 ms, bool pauseTimer) {
    if (pauseTimer && !m_timer->isStopped()) {
        m_timer->tick();
        m_timer->stop();
        sleepFor(ms);
        m_timer->tick();
        m_timer->start();
    } else {
        sleepFor(ms);
    }
}

bool CDeviceBase::reset(const SDeviceParameters&) { return false; }

CTimerScheduler* CDeviceBase::createTimerScheduler() { return new CTimerScheduler(); }

SceneManager* CDeviceBase::createSceneManager() {
    SceneManager* manager = new SceneManager(CCreationContext(), nullptr, nullptr);
    manager->setHost(m_sceneHost.get());
    return manager;
}

CContentManager* CDeviceBase::createContentManager() {
    return new CContentManager(m_fileSystem.get(), m_contentProcessors);
}

void CDeviceBase::setWindowCaption(const wchar_t*) {}
void CDeviceBase::setResizable(bool) {}

bool CDeviceBase::setGammaRamp(f32, f32, f32, f32, f32) { return false; }
bool CDeviceBase::getGammaRamp(f32&, f32&, f32&, f32&, f32&) { return false; }

bool CDeviceBase::openUrl(const c8* url) {
    CLogger::instance().logHint("Unable to open URL", url ? url : "", LogWarning);
    return false;
}

// The device factory and the device accessor.

u32 IDevice::addTurnHook(TurnHook hook) {
    if (!hook) return 0;
    if (++m_lastTurnHookId == 0) ++m_lastTurnHookId;
    m_turnHooks.push_back(STurnHook{m_lastTurnHookId, std::move(hook)});
    return m_lastTurnHookId;
}

void IDevice::removeTurnHook(u32 id) {
    for (auto it = m_turnHooks.begin(); it != m_turnHooks.end(); ++it) {
        if (it->id == id) {
            m_turnHooks.erase(it);
            return;
        }
    }
}

void IDevice::runTurnHooks() {
    if (m_turnHooks.empty()) return;
    // Hooks may add or remove hooks (their own included) while they run: the ones added wait
    // for the next turn, the ones removed are not called any more.
    std::vector<u32> ids;
    ids.reserve(m_turnHooks.size());
    for (const STurnHook& entry : m_turnHooks) ids.push_back(entry.id);
    for (u32 id : ids) {
        TurnHook hook;
        for (const STurnHook& entry : m_turnHooks)
            if (entry.id == id) hook = entry.hook;  // a copy outlives its own removal
        if (hook) hook();
    }
}

IDevice* createDevice(const SDeviceParameters& parameters, std::unique_ptr<IClock> clock) {
    auto* device = new CDeviceLinux(parameters, std::move(clock));
    if (!device->hasVideoDriver()) {
        // The asked video driver could not be made (its creation said why).
        device->closeDevice();
        device->run();
        device->drop();
        return nullptr;
    }
    return device;
}

namespace {

IDevice* g_defaultDevice = nullptr;

}  // namespace

void releaseDevice() {
    IDevice* device = g_defaultDevice;
    g_defaultDevice = nullptr;
    if (device && IDevice::recordedInstance() == device) device->drop();
}

namespace {

// At exit the objects that were made after the device have gone already, among them the event
// maps of the receiver classes first used later: the device lets go of its receivers before it
// posts the events of its own end.
void destroyDefaultDevice() {
    IDevice* device = g_defaultDevice;
    if (device && IDevice::recordedInstance() == device)
        static_cast<CDeviceBase*>(device)->releaseReceivers();
    releaseDevice();
}

}  // namespace

IDevice* getDevice() {
    if (IDevice* device = IDevice::recordedInstance()) return device;
    ClassLevelRecursiveLockable<IDevice>::Lock lock;
    if (IDevice* device = IDevice::recordedInstance()) return device;
    // The device is made again when asked for after a release: the default one is windowless,
    // so a late caller gets a harmless device rather than a dangling one.
    IDevice* device = createDevice(SDeviceParameters());
    static const bool registered = (std::atexit(destroyDefaultDevice), true);
    (void)registered;
    g_defaultDevice = device;
    return device;
}

}  // namespace oskel
