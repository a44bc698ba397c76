// show_scene: runs the engine as the game does (the device with its OpenGL window of 1024 x 768,
// its main loop and a mounted folder), loads the given collections and sound pack, shows a
// scene, runs a number of frames and writes the last frame, as read back from the driver, to a
// PNG file. Built for the tests only.
//
//   show_scene --folder DIR... --scene FILE [--atlas FILE]... [--particles FILE]...
//              [--templates FILE] [--sounds FILE] [--dictionary FILE] [--message-box TEMPLATE]
//              [--report NODE]... [--frames N] [--game-nodes] [--stepped] --out FILE.png
//
// Every --folder is mounted, in order; the other names are content names inside them.
// --game-nodes registers the game's node classes as the program does (the application's table
// and the preloader's) before anything is loaded. --stepped runs the device on a clock that
// moves one update step (10 ms) for every frame drawn, so that frame N shows the scene a fixed
// time after the first: (N - 1) steps later, however slowly the frames come.
// --dictionary loads the texts that %Key% captions show. --message-box opens a message box of
// the named template over the scene (captions "Yes" and "No"). Exit code 0 when the frame was
// written; the log goes to standard error. The last lines report the scene's sound nodes
// ("show_scene: sound nodes playing: N") and, for each --report, the named node's absolute
// rectangle in the last frame ("show_scene: node NAME X0 Y0 X1 Y1", or "show_scene: node NAME
// missing").

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundPack.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/nodes/SoundNode.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/app/GNodeClassRegistration.h"

using namespace oskel;

namespace {

constexpr s32 WindowWidth = 1024;
constexpr s32 WindowHeight = 768;
// The clear colour: what shows where nothing is drawn.
constexpr u32 ClearColor = 0xff203040u;
// The game's update steps.
constexpr u32 UpdateStepMs = 10;

struct SOptions {
    std::vector<std::string> folders;
    std::string scene;
    std::vector<std::string> atlases;
    std::vector<std::string> particles;
    std::string templates;
    std::string sounds;
    std::string dictionary;
    std::string messageBox;
    std::vector<std::string> reports;
    std::string out;
    u32 frames = 30;
    bool gameNodes = false;
    bool stepped = false;
};

// A clock that runs freely until the first frame is drawn and then moves one update step each
// time it is read after a frame, so that every frame follows exactly one update.
class CFrameStepClock : public IClock {
public:
    explicit CFrameStepClock(u32 stepMs) : m_step(stepMs) {}

    uint64_t nowMs() override {
        if (!m_drawn || m_due) {
            m_now += m_step;
            m_due = false;
        }
        return m_now;
    }
    void frameDrawn() {
        m_drawn = true;
        m_due = true;
    }

private:
    u32 m_step;
    uint64_t m_now = 0;
    bool m_drawn = false;
    bool m_due = false;
};

bool parse(int argc, char** argv, SOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--game-nodes") {
            options.gameNodes = true;
            continue;
        }
        if (name == "--stepped") {
            options.stepped = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (name == "--folder")
            options.folders.push_back(value);
        else if (name == "--scene")
            options.scene = value;
        else if (name == "--atlas")
            options.atlases.push_back(value);
        else if (name == "--particles")
            options.particles.push_back(value);
        else if (name == "--templates")
            options.templates = value;
        else if (name == "--sounds")
            options.sounds = value;
        else if (name == "--dictionary")
            options.dictionary = value;
        else if (name == "--report")
            options.reports.push_back(value);
        else if (name == "--message-box")
            options.messageBox = value;
        else if (name == "--out")
            options.out = value;
        else if (name == "--frames")
            options.frames = static_cast<u32>(std::strtoul(value.c_str(), nullptr, 10));
        else
            return false;
    }
    return !options.folders.empty() && !options.scene.empty() && !options.out.empty() &&
           options.frames > 0;
}

u32 countPlayingSounds(const BaseNode* node) {
    u32 count = 0;
    if (const auto* sound = dynamic_cast<const SoundNode*>(node))
        if (sound->isPlaying()) ++count;
    for (const BaseNode* child : node->getChildren()) count += countPlayingSounds(child);
    return count;
}

// Draws the scene manager on every frame the device asks for; after the last one reads the
// frame back, writes it and ends the loop.
class CFrameWriter : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()
public:
    CFrameWriter(IDevice* device, SceneManager* scenes, const SOptions& options,
                 CFrameStepClock* clock)
        : m_device(device), m_scenes(scenes), m_options(options), m_clock(clock) {
        setCategoryMask(CategorySystemFlow);
    }

    bool written() const { return m_written; }

private:
    bool onRender(CEvent*) {
        IVideoDriver* driver = m_device->getVideoDriver();
        if (!driver || m_done ||
            !driver->beginScene(true, true, SColor(ClearColor), nullptr, nullptr))
            return false;
        // The frame is read back after it is presented: the driver keeps the last presented
        // frame only for screenshot users.
        if (m_frames + 1 >= m_options.frames && !m_registered) {
            driver->addScreenShotUser();
            m_registered = true;
        }
        m_scenes->render(driver);
        if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
        driver->endScene();
        if (m_clock) m_clock->frameDrawn();
        if (++m_frames < m_options.frames) return false;
        m_done = true;
        writeFrame(driver);
        driver->removeScreenShotUser();
        m_device->closeDevice();
        return false;
    }

    void writeFrame(IVideoDriver* driver) {
        CImage* shot = driver->createScreenShot();
        if (!shot) {
            logError("show_scene: no frame to read back");
            return;
        }
        CFileSystem* files = m_device->getFileSystem();
        IWritableFile* file = files->createAndWriteFile(stringc(m_options.out.c_str()));
        if (file) {
            m_written = getImageManager().writeImage(shot, file);
            file->drop();
        }
        shot->drop();
        if (!m_written) logError("show_scene: the frame could not be written");
    }

    IDevice* m_device;
    SceneManager* m_scenes;
    const SOptions& m_options;
    CFrameStepClock* m_clock;
    u32 m_frames = 0;
    bool m_done = false;
    bool m_registered = false;
    bool m_written = false;
};

OSKEL_BEGIN_EVENT_MAP(CFrameWriter, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRender)
OSKEL_END_EVENT_MAP()

// Loads content of the type by name and keeps it (collections keep their regions and emitters
// loaded); false, with a log line, when it does not load.
bool keep(CContentManager* content, u32 typeCode, const std::string& name,
          std::vector<CRefPtr<CResource>>& kept) {
    CResource* resource = content->getContentByPath(typeCode, stringc(name.c_str()), true);
    if (!resource || resource->getTypeCode() != typeCode) {
        if (resource) resource->drop();
        CLogger::instance().logHint("show_scene: not loaded", name.c_str(), LogError);
        return false;
    }
    kept.push_back(CRefPtr<CResource>::fromRaw(resource));
    return true;
}

// Prints the named node's absolute rectangle.
void reportNode(const SceneNode* scene, const std::string& name) {
    const BaseNode* node = scene->findChildByName(name.c_str());
    if (!node) {
        std::fprintf(stderr, "show_scene: node %s missing\n", name.c_str());
        return;
    }
    const rectf r = node->getAbsoluteBoundsRect();
    std::fprintf(stderr, "show_scene: node %s %.1f %.1f %.1f %.1f\n", name.c_str(),
                 static_cast<double>(r.UpperLeftCorner.X), static_cast<double>(r.UpperLeftCorner.Y),
                 static_cast<double>(r.LowerRightCorner.X),
                 static_cast<double>(r.LowerRightCorner.Y));
}

// A message box of the template over the scene, as a game scene asks for one.
bool openMessageBox(SceneNode* scene, const std::string& templateName) {
    array<stringw> captions;
    captions.push_back(L"Yes");
    captions.push_back(L"No");
    return scene->showMessageBox(CNameId(templateName.c_str()).getId(), captions, L"Question",
                                 L"Shown over the scene") != nullptr;
}

int run(const SOptions& options) {
    SDeviceParameters parameters;
    parameters.driverType = DriverOpenGL;
    parameters.fullscreen = false;
    parameters.windowSize = irr::core::dimension2d<s32>(WindowWidth, WindowHeight);
    parameters.bits = 32;
    parameters.vsync = false;
    if (options.gameNodes) {
        u32 count = 0;
        const brasquel::SGameNodeClass* rows = brasquel::getApplicationNodeClasses(count);
        u32 registered = brasquel::registerGameNodeClasses(CNodeFactory::instance(), rows, count);
        rows = brasquel::getPreloaderNodeClasses(count);
        registered += brasquel::registerGameNodeClasses(CNodeFactory::instance(), rows, count);
        std::fprintf(stderr, "show_scene: game node classes registered: %u\n", registered);
    }
    std::unique_ptr<CFrameStepClock> ownClock;
    CFrameStepClock* clock = nullptr;
    if (options.stepped) {
        ownClock = std::make_unique<CFrameStepClock>(UpdateStepMs);
        clock = ownClock.get();
    }
    // The device owns the clock; `clock` stays valid while the device lives.
    IDevice* device = createDevice(parameters, std::move(ownClock));
    if (!device) {
        logError("show_scene: no device");
        return 1;
    }
    device->setUpdateInterval(UpdateStepMs);
    device->setUpdateStep(UpdateStepMs);
    // As the game makes its textures: without mipmaps.
    device->getVideoDriver()->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    for (const std::string& folder : options.folders)
        device->getFileSystem()->addArchive(stringc(folder.c_str()), false, false);

    int exitCode = 1;
    {
        CRefPtr<CContentManager> content =
            CRefPtr<CContentManager>::fromRaw(device->createContentManager());
        device->addEventReceiver(content.get(), 1);
        CRefPtr<CTimerScheduler> events =
            CRefPtr<CTimerScheduler>::fromRaw(device->createTimerScheduler());
        device->addEventReceiver(events.get(), 2);
        CRefPtr<SceneManager> scenes = CRefPtr<SceneManager>::fromRaw(device->createSceneManager());
        scenes->setSortEnabled(true);
        scenes->setEventSource(events.get());
        device->addEventReceiver(scenes.get(), 2);

        std::vector<CRefPtr<CResource>> kept;
        bool loaded = true;
        for (const std::string& name : options.atlases)
            loaded &= keep(content.get(), TypeCodeAtlasCollection, name, kept);
        for (const std::string& name : options.particles)
            loaded &= keep(content.get(), TypeCodeParticleCollection, name, kept);
        if (!options.templates.empty() &&
            keep(content.get(), TypeCodeSceneNode, options.templates, kept)) {
            auto* templates = dynamic_cast<TemplateCollectionNode*>(kept.back().get());
            if (templates)
                scenes->setTemplateCollection(templates);
            else
                loaded = false;
        }
        if (!options.sounds.empty() &&
            keep(content.get(), TypeCodeSoundPack, options.sounds, kept)) {
            const u32 cues = static_cast<SoundPack*>(kept.back().get())
                                 ->registerCues(device->getSoundGroupManager());
            std::fprintf(stderr, "show_scene: cues registered: %u\n", cues);
        }

        if (!options.dictionary.empty() &&
            !device->getTextDictionary()->load(stringc(options.dictionary.c_str()))) {
            CLogger::instance().logHint("show_scene: not loaded", options.dictionary.c_str(),
                                        LogError);
            loaded = false;
        }

        SceneNode* scene = nullptr;
        if (loaded && keep(content.get(), TypeCodeSceneNode, options.scene, kept))
            scene = asSceneNode(static_cast<BaseNode*>(kept.back().get()));
        if (!scene || !scenes->setScene(scene)) {
            logError("show_scene: the scene cannot be shown");
        } else if (!options.messageBox.empty() && !openMessageBox(scene, options.messageBox)) {
            logError("show_scene: the message box cannot be shown");
        } else {
            CRefPtr<CFrameWriter> writer = makeRef<CFrameWriter>(device, scenes.get(), options, clock);
            device->addEventReceiver(writer.get(), 3);
            device->run();
            std::fprintf(stderr, "show_scene: sound nodes playing: %u\n",
                         countPlayingSounds(scene));
            for (const std::string& name : options.reports) reportNode(scene, name);
            if (writer->written()) exitCode = 0;
            device->removeEventReceiver(writer.get());
        }
        device->removeEventReceiver(scenes.get());
        device->removeEventReceiver(events.get());
        device->removeEventReceiver(content.get());
    }
    device->drop();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: show_scene --folder DIR... --scene FILE [--atlas FILE]... "
                     "[--particles FILE]...\n"
                     "                  [--templates FILE] [--sounds FILE] [--dictionary FILE]\n"
                     "                  [--message-box TEMPLATE] [--report NODE]... [--frames N]\n"
                     "                  [--game-nodes] [--stepped] --out FILE.png\n");
        return 2;
    }
    return run(options);
}
