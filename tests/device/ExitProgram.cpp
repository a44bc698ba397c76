// A program that leaves its device to getDevice()'s own clean-up at exit (it never calls
// releaseDevice()), with a receiver whose class builds its event map only after the device was
// made: the map is then destroyed before the device at exit. Ends with exit code 0 when all went
// well; the sanitizers end it otherwise.

#include "engine/content/CContentManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/CDeviceBase.h"
#include "engine/scene/SceneManager.h"

using namespace oskel;

namespace {

class LateReceiver : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    LateReceiver() { setCategoryMask(CategoryDevice | CategorySystemFlow); }
    int frames = 0;

private:
    bool onRender(CEvent*) {
        ++frames;
        return false;
    }
    bool onDriverReleasing(CEvent*) { return false; }
};

OSKEL_BEGIN_EVENT_MAP(LateReceiver, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRender)
OSKEL_EVENT_HANDLER(EventDeviceVideoDriverReleasing, onDriverReleasing)
OSKEL_END_EVENT_MAP()

}  // namespace

int main() {
    auto* device = static_cast<CDeviceBase*>(getDevice());
    auto* receiver = new LateReceiver();
    device->addEventReceiver(receiver, 0);
    receiver->drop();
    // The services an application keeps as receivers until its end.
    CContentManager* content = device->createContentManager();
    device->addEventReceiver(content, 1);
    content->drop();
    CTimerScheduler* scheduler = device->createTimerScheduler();
    device->addEventReceiver(scheduler, 2);
    SceneManager* scenes = device->createSceneManager();
    scenes->setEventSource(scheduler);
    device->addEventReceiver(scenes, 2);
    scheduler->drop();
    scenes->drop();
    // The receivers' first events build their classes' maps.
    device->postEvent(new CEventSystemFlowUpdate(10));
    device->postEvent(new CEventSystemFlowRender());
    return receiver->frames == 1 ? 0 : 2;
}
