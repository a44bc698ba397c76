#include "engine/video/CVideoContentProcessor.h"

#include "engine/core/event/DeviceEvents.h"

namespace oskel {

CVideoContentProcessor::CVideoContentProcessor(u32 typeCode, s32 priority, IVideoDriver* driver,
                                               CFileSystem* fileSystem)
    : CContentProcessor(typeCode, priority, fileSystem), m_driver(driver) {
    setCategoryMask(CategoryDevice);
}

bool CVideoContentProcessor::onVideoDriverReleasing(CEvent*) {
    m_driver = nullptr;
    return false;
}

bool CVideoContentProcessor::onVideoDriverCreated(CEvent* event) {
    auto* created = static_cast<CEventDeviceVideoDriverCreated*>(event);
    m_driver.assign(created ? created->getVideoDriver() : nullptr);
    return false;
}

}  // namespace oskel
