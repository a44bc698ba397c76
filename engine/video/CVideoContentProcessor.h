#pragma once

#include "engine/content/IContentProcessor.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

// A processor that makes device-dependent content: it follows the device's video driver,
// dropping it when the driver is about to go and taking the new one when it is made.
class CVideoContentProcessor : public CContentProcessor {
public:
    IVideoDriver* getVideoDriver() const { return m_driver.get(); }

    bool onVideoDriverReleasing(CEvent* event) override;
    bool onVideoDriverCreated(CEvent* event) override;

protected:
    CVideoContentProcessor(u32 typeCode, s32 priority, IVideoDriver* driver, CFileSystem* fileSystem = nullptr);

private:
    CRefPtr<IVideoDriver> m_driver;
};

}  // namespace oskel
