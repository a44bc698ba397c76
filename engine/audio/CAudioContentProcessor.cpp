#include "engine/audio/CAudioContentProcessor.h"

#include "engine/core/event/DeviceEvents.h"

namespace oskel {

CAudioContentProcessor::CAudioContentProcessor(u32 typeCode, s32 priority, IAudioDriver* driver,
                                               CFileSystem* fileSystem)
    : CContentProcessor(typeCode, priority, fileSystem), m_driver(driver) {
    setCategoryMask(CategoryDevice);
}

bool CAudioContentProcessor::onAudioDriverReleasing(CEvent*) {
    m_driver = nullptr;
    return false;
}

bool CAudioContentProcessor::onAudioDriverCreated(CEvent* event) {
    auto* created = static_cast<CEventDeviceAudioDriverCreated*>(event);
    m_driver.assign(created ? created->getAudioDriver() : nullptr);
    return false;
}

}  // namespace oskel
