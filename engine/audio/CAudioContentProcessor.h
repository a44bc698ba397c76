#pragma once

#include "engine/audio/IAudioDriver.h"
#include "engine/content/IContentProcessor.h"

namespace oskel {

// A processor whose content needs the audio driver: it follows the device's audio driver,
// dropping it when the driver is about to go and taking the new one when it is made.
class CAudioContentProcessor : public CContentProcessor {
public:
    IAudioDriver* getAudioDriver() const { return m_driver.get(); }

    bool onAudioDriverReleasing(CEvent* event) override;
    bool onAudioDriverCreated(CEvent* event) override;

protected:
    CAudioContentProcessor(u32 typeCode, s32 priority, IAudioDriver* driver, CFileSystem* fileSystem = nullptr);

private:
    CRefPtr<IAudioDriver> m_driver;
};

}  // namespace oskel
