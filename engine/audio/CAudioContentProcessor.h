#pragma once

#include "engine/audio/IAudioDriver.h"
#include "engine/content/IContentProcessor.h"

namespace oskel {

// A processor whose content needs the audio driver: it follows the device's audio driver.
class CAudioContentProcessor : public TDriverContentProcessor<IAudioDriver, CEventDeviceAudioDriverCreated> {
public:
    IAudioDriver* getAudioDriver() const { return getDriver(); }

protected:
    using TDriverContentProcessor::TDriverContentProcessor;
};

}  // namespace oskel
