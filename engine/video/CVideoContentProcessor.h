#pragma once

#include "engine/content/IContentProcessor.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

// A processor that makes device-dependent content: it follows the device's video driver.
class CVideoContentProcessor : public TDriverContentProcessor<IVideoDriver, CEventDeviceVideoDriverCreated> {
public:
    IVideoDriver* getVideoDriver() const { return getDriver(); }

protected:
    using TDriverContentProcessor::TDriverContentProcessor;
};

}  // namespace oskel
