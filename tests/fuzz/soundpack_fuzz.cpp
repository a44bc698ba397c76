// Fuzz target of the sound pack reader: arbitrary bytes are read as a sound pack whose cues get
// their sounds from a content manager that answers every name but those holding "missing"; the
// audio driver's streaming threshold must be what it was afterwards. The cues are then registered
// and played through a sound group manager for a few updates.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/audio/CNullAudioDriver.h"
#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundPack.h"
#include "engine/content/IContentManager.h"
#include "tests/content/StubContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"

using namespace oskel;

namespace {

// A sound that plays for a few updates.
class StubSound : public ISound {
public:
    explicit StubSound(const CCreationContext& context) : ISound(context) {}
    StubSound* clone() const override { return new StubSound(getCreationContext()); }
    s32 getState() override {
        if (m_state == SoundPlaying && ++m_polls > 3) m_state = SoundStopped;
        return m_state;
    }
    bool play() override {
        m_state = SoundPlaying;
        m_polls = 0;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool paused) override {
        if (m_state != SoundStopped) m_state = paused ? SoundPaused : SoundPlaying;
    }
    f32 getVolume() const override { return m_volume; }
    void setVolume(f32 volume) override { m_volume = volume; }
    bool isLooping() const override { return m_looping; }
    void setLooping(bool looping) override { m_looping = looping; }
    void setPosition(const vector3df&) override {}
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    s32 m_state = SoundStopped;
    int m_polls = 0;
    f32 m_volume = 1.0f;
    bool m_looping = false;
    vector3df m_position;
};

class SoundContentManager : public test::StubContentManager {
public:
    CResource* getContentByPath(u32 typeCode, const stringc& path, bool) override {
        if (typeCode != TypeCodeSound || path.empty() || path.find("missing") >= 0) return nullptr;
        return new StubSound(CCreationContext(this, path));
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<u8> bytes(data, data + size);
    CMemoryFile* file = new CMemoryFile(bytes.data(), static_cast<s32>(bytes.size()), "SoundPack.xml", false);
    CXmlReader* reader = new CXmlReader(file);
    SoundContentManager* content = new SoundContentManager();
    IAudioDriver* driver = createNullAudioDriver(nullptr);
    driver->setStreamingThreshold(0x20000);

    SoundPack* pack = new SoundPack(CCreationContext(content, "SoundPack.xml"));
    static_cast<void>(pack->load(reader, driver));
    if (driver->getStreamingThreshold() != 0x20000) std::abort();  // the threshold must come back

    CSoundGroupManager* manager = new CSoundGroupManager(driver);
    manager->getGroupSettings(0).maxInstances = 2;
    manager->getGroupSettings(0).policy = 1;
    manager->getGroupSettings(0).fadeOutMs = 20;
    pack->registerCues(manager);
    for (u32 i = 0; i < pack->getCueCount(); ++i) manager->playCue(pack->getCue(i)->getName(), false, 10);
    for (int step = 0; step < 8; ++step) manager->update(10);
    manager->stopGroup(-1);
    manager->update(10);
    if (manager->getPlayingCount() != 0) std::abort();

    manager->drop();
    pack->drop();
    driver->drop();
    content->drop();
    reader->drop();
    file->drop();
    return 0;
}
