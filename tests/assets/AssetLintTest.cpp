// The asset lint: the real assets/ loaded as the game loads them, on the in-memory texture
// driver and a null audio driver that decodes every sound whole. It fails on any warning or
// error log line and checks that what scene files, fonts, sounds and the game's code name
// resolves.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/audio/CNullAudioDriver.h"
#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/CSoundLoaderRegistry.h"
#include "engine/audio/ISound.h"
#include "engine/audio/SoundCue.h"
#include "engine/audio/SoundPack.h"
#include "engine/content/CContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/device/ContentProcessors.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/animation/KeyFrame.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/render2d/AtlasTextureCollection.h"
#include "engine/video/render2d/CFont.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "game/app/GApplication.h"
#include "game/app/GNodeClassRegistration.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GLogosConfiguration.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelPaths.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GMainMenuMovers.h"
#include "game/scenes/GMainMenuScene.h"
#include "game/scenes/GMapLocationButton.h"
#include "game/scenes/GMapScene.h"
#include "game/scenes/GShopButton.h"
#include "game/scenes/GShopScene.h"
#include "tests/assets/SourceLiterals.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace oskel::test {
namespace {

const fs::path SourceDir = BRASQUEL_SOURCE_DIR;
const fs::path AssetsDir = SourceDir / "assets";

// What the game loads, in its order, besides the start scene and the tables of the application.
constexpr const char* DictionaryFile = "strings/Dictionary.xml";
constexpr const char* SoundPackFile = "sounds/SoundPack.xml";
constexpr const char* AtlasFolder = "atlases";
constexpr const char* ParticleFiles[] = {"scenes/ParticleCollection.xml",
                                         "levels/common/ParticleCollection.xml"};
constexpr const char* MenuTemplatesFile = "scenes/TemplateCollection.oscn";
constexpr const char* LevelTemplatesFile = "levels/common/TemplateCollection.oscn";
// Scene files under this folder take their templates from the level collection, but for the
// mini-games' folders: they run in the first scene manager, with the menus' collection.
constexpr const char* LevelFolder = "levels/";
constexpr const char* MiniGameFolder = "levels/minigame_";
// Declared with the cue names, played by nothing.
constexpr const char* UnplayedCue = "FeatureCommercial";
// A sound's peak must reach this share of full scale.
constexpr double MinimumPeak = 0.01;

// Files the code names whose content comes later. Each must be named by the game's code or by
// the logos file, and must not exist yet: the lint fails on an entry that is no longer pending.
struct SPending {
    const char* path;
    const char* bringer;
};
const std::vector<SPending> PendingFiles = {};

bool isPending(const std::string& path) {
    for (const SPending& p : PendingFiles)
        if (path == p.path) return true;
    return false;
}

bool assetExists(const std::string& path) { return fs::is_regular_file(AssetsDir / path); }

std::string narrow(const stringw& text) { return toUtf8(text.c_str()); }

// Every asset file of the extension, by its name from the asset root, sorted.
std::vector<std::string> assetFiles(const std::string& folder, const std::string& extension) {
    std::vector<std::string> files;
    const fs::path root = folder.empty() ? AssetsDir : AssetsDir / folder;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == extension)
            files.push_back(fs::relative(entry.path(), AssetsDir).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

// A name inside a file, resolved against the file's folder (both from the asset root).
std::string resolve(const std::string& file, const std::string& name) {
    return (fs::path(file).parent_path() / name).lexically_normal().generic_string();
}

// ---- Sounds decoded whole ----

struct SDecoded {
    u64 frames = 0;     // frames read
    u64 expected = 0;   // frames the decoder announced
    double peak = 0.0;  // the largest sample, as a share of full scale
    std::string error;  // empty when it decoded
};

// A sound that plays nothing: what the decoding driver hands out.
class DecodedSound : public ISound {
public:
    explicit DecodedSound(const CCreationContext& context) : ISound(context) {}
    ISound* clone() const override { return new DecodedSound(getCreationContext()); }
    s32 getState() override { return SoundStopped; }
    bool play() override { return true; }
    void stop() override {}
    void setPaused(bool) override {}
    f32 getVolume() const override { return m_volume; }
    void setVolume(f32 volume) override { m_volume = volume; }
    bool isLooping() const override { return m_looping; }
    void setLooping(bool looping) override { m_looping = looping; }
    void setPosition(const vector3df& position) override { m_position = position; }
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    f32 m_volume = 1.0f;
    bool m_looping = false;
    vector3df m_position;
};

// The null driver, except that it decodes each sound file whole through the sound loaders and
// records what it found; a file that does not decode gives no sound.
class DecodingAudioDriver : public CNullAudioDriver {
public:
    explicit DecodingAudioDriver(CFileSystem* files) : CNullAudioDriver(files) {}

    ISound* createSound(IReadableFile* file, const CCreationContext& context) override {
        if (!file) return nullptr;
        std::string name = context.getName().c_str();
        if (name.empty()) name = file->getFileName().c_str();
        SDecoded& result = decoded[name];
        result = decode(file, context);
        if (!result.error.empty()) return nullptr;
        return new DecodedSound(context);
    }

    std::map<std::string, SDecoded> decoded;

private:
    static SDecoded decode(IReadableFile* file, const CCreationContext& context) {
        SDecoded result;
        CRefPtr<CSoundDecoder> decoder =
            CRefPtr<CSoundDecoder>::fromRaw(CSoundLoaderRegistry::instance().load(file, context));
        if (!decoder || decoder->getSamples() <= 0) {
            result.error = "no decoder opens it";
            return result;
        }
        result.expected = static_cast<u64>(decoder->getSamples());
        const u32 frameBytes = decoder->getFrameBytes();
        const bool eightBit = soundBytesPerSample(decoder->getFormat()) == 1;
        constexpr u32 ChunkFrames = 4096;
        std::vector<unsigned char> buffer(static_cast<size_t>(ChunkFrames) * frameBytes);
        s32 peak = 0;
        for (;;) {
            const u32 frames = decoder->read(buffer.data(), ChunkFrames);
            if (frames == 0) break;
            result.frames += frames;
            const size_t samples = static_cast<size_t>(frames) * frameBytes / (eightBit ? 1 : 2);
            for (size_t i = 0; i < samples; ++i) {
                s32 value;
                if (eightBit) {
                    value = (static_cast<s32>(buffer[i]) - 128) * 256;
                } else {
                    value = static_cast<s16>(static_cast<u16>(buffer[2 * i]) |
                                             static_cast<u16>(buffer[2 * i + 1] << 8));
                }
                peak = std::max(peak, std::abs(value));
            }
        }
        result.peak = peak / 32768.0;
        if (result.frames != result.expected)
            result.error = "decoded " + std::to_string(result.frames) + " of " +
                           std::to_string(result.expected) + " frames";
        return result;
    }
};

// ---- The world: everything loaded once ----

struct AssetWorld {
    LogCapture log;
    CFileSystem* files = nullptr;
    IVideoDriver* video = nullptr;
    CRefPtr<DecodingAudioDriver> audio;
    CContentProcessorsManager* processors = nullptr;
    CContentManager* content = nullptr;
    CRefPtr<brasquel::GApplication> application;
    CRefPtr<CTextDictionary> dictionary;
    CRefPtr<CSoundGroupManager> soundGroups;
    std::vector<CRefPtr<CResource>> kept;  // every loaded file, held until the end
    CRefPtr<BaseNode> startScene;
    CRefPtr<SoundPack> soundPack;
    std::vector<CRefPtr<AtlasTextureCollection>> atlases;
    CRefPtr<TemplateCollectionNode> menuTemplates;
    CRefPtr<TemplateCollectionNode> levelTemplates;
    CRefPtr<brasquel::GLogosConfiguration> logos;
    std::vector<std::string> loadFailures;  // what did not load, with why
    std::vector<std::string> tableFailures;
    double seconds = 0.0;

    AssetWorld() {
        const auto started = std::chrono::steady_clock::now();
        registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
        registerAudioPropertyTypes(CPropertyTypeRegistry::instance());
        registerEngineNodes(CNodeFactory::instance());
        u32 count = 0;
        const brasquel::SGameNodeClass* classes = brasquel::getApplicationNodeClasses(count);
        brasquel::registerGameNodeClasses(CNodeFactory::instance(), classes, count);
        classes = brasquel::getPreloaderNodeClasses(count);
        brasquel::registerGameNodeClasses(CNodeFactory::instance(), classes, count);

        files = new CFileSystemLinux();
        if (!files->addArchive(stringc(AssetsDir.string().c_str()), false, false))
            loadFailures.push_back("assets/ does not mount");
        video = createMemoryTextureDriver(SDeviceParameters(), nullptr);
        video->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
        audio = CRefPtr<DecodingAudioDriver>::fromRaw(new DecodingAudioDriver(files));
        processors = createContentProcessors(video, audio.get(), files);
        content = new CContentManager(files, processors);
        application = CRefPtr<brasquel::GApplication>::fromRaw(new brasquel::GApplication());

        // The start scene, then what the preloader loads, in its order.
        startScene = loadAs<BaseNode>(TypeCodeSceneNode, brasquel::GApplication::StartSceneFile);
        dictionary = makeRef<CTextDictionary>(files);
        if (!dictionary->load(stringc(DictionaryFile)))
            loadFailures.push_back(std::string(DictionaryFile) + ": does not load");
        soundGroups = makeRef<CSoundGroupManager>(audio.get());
        soundPack = loadAs<SoundPack>(TypeCodeSoundPack, SoundPackFile);
        if (soundPack) soundPack->registerCues(soundGroups.get());
        for (const std::string& name : assetFiles(AtlasFolder, ".xml"))
            if (auto atlas = loadAs<AtlasTextureCollection>(TypeCodeAtlasCollection, name))
                atlases.push_back(atlas);
        for (const char* name : ParticleFiles) loadAs<CResource>(TypeCodeParticleCollection, name);
        menuTemplates = loadAs<TemplateCollectionNode>(TypeCodeSceneNode, MenuTemplatesFile);
        levelTemplates = loadAs<TemplateCollectionNode>(TypeCodeSceneNode, LevelTemplatesFile);
        readTables();
        // Every scene file.
        for (const std::string& name : assetFiles("", ".oscn"))
            loadAs<BaseNode>(TypeCodeSceneNode, name);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }

    ~AssetWorld() {
        startScene = nullptr;
        soundPack = nullptr;
        atlases.clear();
        menuTemplates = nullptr;
        levelTemplates = nullptr;
        kept.clear();
        soundGroups = nullptr;
        dictionary = nullptr;
        application = nullptr;
        logos = nullptr;
        content->releaseAll();
        content->drop();
        processors->drop();
        audio = nullptr;
        video->drop();
        files->drop();
    }

    // The file loaded as content of the type, kept; none (with the failure recorded) when it
    // does not load or is not of the class.
    template <class T>
    CRefPtr<T> loadAs(u32 typeCode, const std::string& name) {
        CResource* resource = content->getContentByPath(typeCode, stringc(name.c_str()), false);
        if (!resource) {
            loadFailures.push_back(name + ": does not load");
            return nullptr;
        }
        CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(resource);
        kept.push_back(held);
        T* typed = resource->getTypeCode() == typeCode ? dynamic_cast<T*>(resource) : nullptr;
        if (!typed) loadFailures.push_back(name + ": loads as another kind of content");
        return CRefPtr<T>(typed);
    }

    // The application's tables from their files, and the logos file.
    void readTables() {
        for (const brasquel::SReloadEntry& entry : application->getReloadEntries()) {
            if (!entry.table) continue;
            CXmlReader* reader = files->createXmlReader(stringc(entry.path));
            if (!reader) {
                tableFailures.push_back(std::string(entry.path) + ": does not open");
                continue;
            }
            if (!entry.table->read(reader))
                tableFailures.push_back(std::string(entry.path) + ": ends early");
            reader->drop();
        }
        logos = makeRef<brasquel::GLogosConfiguration>();
        CXmlReader* reader = files->createXmlReader(stringc(brasquel::GApplication::LogosFile));
        if (!reader || !logos->load(reader))
            tableFailures.push_back(std::string(brasquel::GApplication::LogosFile) +
                                    ": does not load");
        if (reader) reader->drop();
    }
};

AssetWorld* g_world = nullptr;

// Loads the world once for all tests and releases it before the program ends (so that the leak
// checker sees nothing held).
class AssetWorldEnvironment : public ::testing::Environment {
public:
    void SetUp() override { g_world = new AssetWorld(); }
    void TearDown() override {
        delete g_world;
        g_world = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AssetWorldEnvironment());

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

// Every test fails on a warning or error line logged while it ran.
class AssetLint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(g_world, nullptr);
        m_firstLine = g_world->log.lines().size();
    }
    void TearDown() override {
        std::vector<std::string> problems;
        const auto& lines = g_world->log.lines();
        for (size_t i = m_firstLine; i < lines.size(); ++i)
            if (lines[i].level >= LogWarning)
                problems.push_back(lines[i].text + " [" + lines[i].hint + "]");
        EXPECT_TRUE(problems.empty()) << "warnings or errors logged:" << joined(problems);
    }

    AssetWorld& world() { return *g_world; }

private:
    size_t m_firstLine = 0;
};

TEST_F(AssetLint, LoadsInTheGamesOrderWithoutWarnings) {
    std::vector<std::string> problems;
    for (const auto& line : world().log.lines())
        if (line.level >= LogWarning) problems.push_back(line.text + " [" + line.hint + "]");
    EXPECT_TRUE(problems.empty()) << "logged while loading:" << joined(problems);
    EXPECT_TRUE(world().loadFailures.empty()) << joined(world().loadFailures);
    EXPECT_TRUE(world().tableFailures.empty()) << joined(world().tableFailures);
    EXPECT_NE(world().startScene, nullptr);
    EXPECT_NE(world().soundPack, nullptr);
    EXPECT_NE(world().menuTemplates, nullptr);
    EXPECT_NE(world().levelTemplates, nullptr);
    EXPECT_FALSE(world().atlases.empty());
    EXPECT_GT(world().dictionary->getEntryCount(), 0u);
    std::printf("asset lint: loaded in %.2f s\n", world().seconds);
}

// ---- Scene files ----

bool isKnownGameClass(const stringw& name) {
    for (auto* get : {brasquel::getApplicationNodeClasses, brasquel::getPreloaderNodeClasses}) {
        u32 count = 0;
        const brasquel::SGameNodeClass* rows = get(count);
        for (u32 i = 0; i < count; ++i)
            if (name == rows[i].name) return true;
    }
    return false;
}

// Walks a scene file's elements and records every name in it that does not resolve.
class SceneFileChecker {
public:
    SceneFileChecker(AssetWorld& world, std::string file, TemplateCollectionNode* templates)
        : m_world(world), m_file(std::move(file)), m_templates(templates) {}

    // The root's class as the factory makes it (empty when the file does not open).
    stringw check(std::vector<std::string>& problems) {
        m_problems = &problems;
        CXmlReader* reader = m_world.files->createXmlReader(stringc(m_file.c_str()));
        if (!reader) {
            problem("does not open");
            return stringw();
        }
        stringw rootClass;
        std::vector<u32> animatorTypes;  // property types of the animator being read
        bool inAnimator = false;
        while (reader->read()) {
            if (reader->getNodeType() == XmlNodeElementEnd && reader->getNodeName() == L"Animator")
                inAnimator = false;
            if (reader->getNodeType() != XmlNodeElement) continue;
            const stringw& element = reader->getNodeName();
            for (u32 i = 0; i < reader->getAttributeCount(); ++i)
                checkTextKeys(narrow(reader->getAttributeValue(static_cast<s32>(i))));
            if (element == L"SceneNode") {
                const stringw type = checkSceneElement(reader);
                if (rootClass.empty()) rootClass = type.empty() ? stringw(L"?") : type;
            } else if (element == L"Animator") {
                inAnimator = true;
                animatorTypes.clear();
            } else if (element == L"KeyFrame") {
                for (size_t v = 0; v < animatorTypes.size(); ++v) {
                    const stringw attribute = stringw(L"Value") + stringw(static_cast<s32>(v));
                    checkResource(animatorTypes[v],
                                  narrow(reader->getAttributeValue(attribute.c_str())));
                }
            } else {
                const u32 typeCode = resourceType(element);
                if (inAnimator && reader->getAttributeValue(L"Name").size() > 0)
                    animatorTypes.push_back(typeCode);
                if (element == L"string" && reader->getAttributeValue(L"Name") == L"TemplateName")
                    checkTemplate(narrow(reader->getAttributeValue(L"Value")));
                checkResource(typeCode, narrow(reader->getAttributeValue(L"Value")));
            }
        }
        reader->drop();
        return rootClass;
    }

private:
    static u32 resourceType(const stringw& element) {
        if (element == L"atlasTexture") return TypeCodeAtlasTexture;
        if (element == L"font") return TypeCodeFont;
        if (element == L"sound") return TypeCodeSound;
        return 0;
    }

    void problem(const std::string& text) { m_problems->push_back(m_file + ": " + text); }

    // The class the factory makes for the element: ClassOverride when registered, else Type.
    stringw checkSceneElement(CXmlReader* reader) {
        const stringw file = reader->getAttributeValue(L"File");
        if (!file.empty()) {
            const std::string path = resolve(m_file, narrow(file));
            if (!assetExists(path)) problem("its File child " + path + " does not exist");
            return stringw(L"File");
        }
        const stringw type = reader->getAttributeValue(L"Type");
        const stringw override = reader->getAttributeValue(L"ClassOverride");
        CNodeFactory& factory = CNodeFactory::instance();
        if (!factory.isNodeClassRegistered(type))
            problem("class " + narrow(type) + " is not registered");
        if (!override.empty()) {
            if (factory.isNodeClassRegistered(override)) return override;
            if (!isKnownGameClass(override))
                problem("class " + narrow(override) + " is no class of the game");
        }
        return type;
    }

    void checkTemplate(const std::string& name) {
        if (name.empty()) return;
        if (!m_templates) {
            problem("template " + name + " has no collection to come from");
            return;
        }
        if (!m_templates->findTemplate(CNameId(name.c_str()).getId()))
            problem("template " + name + " is not in its collection");
    }

    void checkResource(u32 typeCode, const std::string& value) {
        if (typeCode == 0 || value.empty()) return;
        const std::string path = resolve(m_file, value);
        CResource* resource =
            m_world.content->getContentByPath(typeCode, stringc(path.c_str()), false);
        if (!resource || resource->getTypeCode() != typeCode) problem(path + " does not resolve");
        if (resource) resource->drop();
    }

    void checkTextKeys(const std::string& text) {
        size_t at = 0;
        while ((at = text.find('%', at)) != std::string::npos) {
            const size_t end = text.find('%', at + 1);
            if (end == std::string::npos) return;
            const std::string key = text.substr(at + 1, end - at - 1);
            if (key.empty() || key.find_first_of(" \t\r\n") != std::string::npos) {
                at = end;
                continue;
            }
            if (!m_world.dictionary->hasKey(stringc(key.c_str())))
                problem("text key %" + key + "% is not in the dictionary");
            at = end + 1;
        }
    }

    AssetWorld& m_world;
    std::string m_file;
    TemplateCollectionNode* m_templates;
    std::vector<std::string>* m_problems = nullptr;
};

TEST_F(AssetLint, EverySceneFileLoadsWithItsRootClassAndEveryNameInItResolves) {
    const std::vector<std::string> scenes = assetFiles("", ".oscn");
    ASSERT_FALSE(scenes.empty());
    std::vector<std::string> problems;
    for (const std::string& name : scenes) {
        TemplateCollectionNode* templates =
            name.rfind(LevelFolder, 0) == 0 && name.rfind(MiniGameFolder, 0) != 0
                ? world().levelTemplates.get()
                : world().menuTemplates.get();
        SceneFileChecker checker(world(), name, templates);
        const stringw rootClass = checker.check(problems);
        CResource* loaded =
            world().content->getContentByPath(TypeCodeSceneNode, stringc(name.c_str()), false);
        if (!loaded || loaded->getTypeCode() != TypeCodeSceneNode) {
            problems.push_back(name + ": does not load as a scene node");
        } else if (static_cast<BaseNode*>(loaded)->getClassName() != rootClass) {
            problems.push_back(name + ": its root is a " +
                               narrow(static_cast<BaseNode*>(loaded)->getClassName()) +
                               ", the file names " + narrow(rootClass));
        }
        if (loaded) loaded->drop();
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// The main menu as the game loads it: the parts its code looks up are there with their kinds,
// every mover of the street finds the menu at its depth, and the street's paths give each
// mover's group a path to walk.
TEST_F(AssetLint, TheMainMenusPartsAndItsStreet) {
    CRefPtr<brasquel::GMainMenuScene> menu;
    {
        CResource* loaded = world().content->getContentByPath(
            TypeCodeSceneNode, stringc("scenes/MainMenuScene.oscn"), false);
        ASSERT_NE(loaded, nullptr);
        CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
        menu = CRefPtr<brasquel::GMainMenuScene>(dynamic_cast<brasquel::GMainMenuScene*>(loaded));
    }
    ASSERT_TRUE(menu) << "the main menu's root is not a GMainMenuScene";
    EXPECT_NE(menu->getSceneNode(), nullptr);
    EXPECT_NE(menu->getWelcomeText(), nullptr);
    EXPECT_NE(menu->getScrollBackButton(), nullptr);
    EXPECT_NE(menu->getClipNode(), nullptr);
    for (const char* button :
         {"NewGameButton", "ChangePlayerButton", "OptionsButton", "AchievementsButton",
          "CreditsButton", "QuitButton", "Baloon", "Baloon2"}) {
        BaseNode* node =
            menu->getSceneNode() ? menu->getSceneNode()->findChildByName(button, 1) : nullptr;
        EXPECT_TRUE(node && node->isKindOf(NodeTypeButton)) << button;
    }

    auto paths = makeRef<brasquel::GLevelPaths>();
    CXmlReader* reader =
        world().files->createXmlReader(stringc(brasquel::GMainMenuScene::PathsFile));
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(paths->read(reader));
    reader->drop();
    auto longest = [](const brasquel::GLevelPaths::PathList& list) {
        size_t points = 0;
        for (const auto& path : list) points = std::max(points, path->Points.size());
        return points;
    };
    std::map<std::string, int> movers;
    std::vector<std::string> problems;
    std::vector<BaseNode*> pending{menu.get()};
    while (!pending.empty()) {
        BaseNode* node = pending.back();
        pending.pop_back();
        for (BaseNode* child : node->getChildren()) pending.push_back(child);
        auto* mover = dynamic_cast<brasquel::GMainMenuMover*>(node);
        if (!mover) continue;
        const std::string cls = narrow(mover->getClassName());
        ++movers[cls];
        if (mover->findMenu() != menu.get())
            problems.push_back(std::string(node->getNodeName().c_str()) + " (" + cls +
                               ") does not find the menu at its depth");
        size_t points = 0;
        if (cls == "GMainMenuPedestrianNode")
            points = longest(paths->getPedestrianPaths());
        else
            points = longest(paths->getCarPaths(CNameId(cls == "GMainMenuBikeNode"  ? "Bike"
                                                        : cls == "GMainMenuCarNode" ? "Path"
                                                                                    : "Clouds")
                                                    .getId()));
        if (points < 2) problems.push_back(cls + ": its path group has no path to walk");
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
    for (const char* cls :
         {"GMainMenuBikeNode", "GMainMenuCarNode", "GMainMenuCloudNode", "GMainMenuPedestrianNode"})
        EXPECT_GT(movers[cls], 0) << cls;
}

// The scene file loaded as the game loads it, as its root class (none otherwise).
template <class T>
CRefPtr<T> loadScene(AssetWorld& world, const char* file) {
    CResource* loaded = world.content->getContentByPath(TypeCodeSceneNode, stringc(file), false);
    if (!loaded) return nullptr;
    CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
    return CRefPtr<T>(dynamic_cast<T*>(loaded));
}

// Whether the node or a node below it has an animation for the state.
bool playsState(const BaseNode* node, const char* state) {
    if (!node) return false;
    if (node->findState(CNameId(state).getId())) return true;
    for (const BaseNode* child : node->getChildren())
        if (playsState(child, state)) return true;
    return false;
}

bool isText(const BaseNode* node) { return node && node->isKindOf(NodeTypeText); }
bool isButton(const BaseNode* node) { return node && node->isKindOf(NodeTypeButton); }

// The shop as the game loads it: its parts with their kinds, a button for every upgrade of the
// table and for nothing else, each with its price and ribbon, the first and second stages in
// pairs, the highlight's states and the card template's conditions.
TEST_F(AssetLint, TheShopsPartsAndItsUpgrades) {
    CRefPtr<brasquel::GShopScene> shop =
        loadScene<brasquel::GShopScene>(world(), "scenes/ShopScene.oscn");
    ASSERT_TRUE(shop) << "the shop's root is not a GShopScene";
    ASSERT_NE(shop->getShopButtonsNode(), nullptr);
    EXPECT_NE(shop->getScoreText(), nullptr);
    BaseNode* hint = shop->getHintNode();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(isText(hint->findChildByName(CNameId("Title").getId(), 1)));
    EXPECT_TRUE(isText(hint->findChildByName(CNameId("Info").getId(), 1)));
    ASSERT_NE(shop->getHighlightTemplate(), nullptr);
    EXPECT_TRUE(playsState(shop->getHighlightTemplate(), "On"));
    EXPECT_TRUE(playsState(shop->getHighlightTemplate(), "Off"));
    EXPECT_TRUE(isButton(shop->findChildByName(CNameId("BackButton").getId(), 2)));

    brasquel::UpgradesConfiguration* table = world().application->getUpgradesConfiguration();
    ASSERT_NE(table, nullptr);
    ASSERT_GT(table->size(), 0u);
    std::vector<std::string> problems;
    std::set<s32> sold;
    for (brasquel::GShopButton* button : shop->getShopButtons()) {
        const std::string name = button->getNodeName().c_str();
        const s32 upgrade = button->getUpgradeName();
        if (upgrade == -1 || !table->find(CNameId::fromId(upgrade)))
            problems.push_back(name + ": its UpgradeName is not in the upgrades table");
        else if (name != CNameId::fromId(upgrade).getName().c_str())
            problems.push_back(name + ": named otherwise than its upgrade");
        if (!sold.insert(upgrade).second) problems.push_back(name + ": a second button");
        if (!button->getPriceText()) problems.push_back(name + ": no PriceText");
        if (!button->getBoughtNode()) problems.push_back(name + ": no Bought ribbon");
        if (button->getTemplateName() != CNameId("ShopButton").getId())
            problems.push_back(name + ": not shown as a card (template ShopButton)");
    }
    for (const auto& [name, record] : table->getRecords())
        if (!sold.count(name.getId()))
            problems.push_back(std::string(name.getName().c_str()) + ": no button sells it");
    for (const char* first : {"AquaPark", "TruckStation", "REAgency"})
        for (const std::string& name : {std::string(first), std::string(first) + "Feature2"})
            if (!brasquel::asShopButton(
                    shop->getShopButtonsNode()->findChildByName(CNameId(name.c_str()).getId(), 1)))
                problems.push_back(name + ": no button of the pair");
    EXPECT_TRUE(problems.empty()) << joined(problems);

    BaseNode* card = world().menuTemplates->findTemplate(CNameId("ShopButton").getId());
    ASSERT_NE(card, nullptr);
    for (const char* state : {"Normal", "NormalHover", "NormalDisable", "Bought", "Locked"})
        EXPECT_TRUE(playsState(card, state)) << state;
    EXPECT_NE(card->findChildByName(CNameId("Image").getId(), 1), nullptr);
    EXPECT_TRUE(isText(card->findChildByName(CNameId("Text").getId(), 1)));
}

// The achievements screen and the pop-up as the game loads them: the parts their code looks up
// with their kinds, lists whose elements take an icon and three texts, and the twelve icons.
TEST_F(AssetLint, TheAchievementsScreensAndIcons) {
    CRefPtr<brasquel::GAchievementsScene> scene =
        loadScene<brasquel::GAchievementsScene>(world(), "scenes/AchievementsScene.oscn");
    ASSERT_TRUE(scene) << "the achievements' root is not a GAchievementsScene";
    EXPECT_NE(scene->getEarnedText(), nullptr);
    EXPECT_TRUE(isButton(scene->findChildByName(CNameId("BackButton").getId(), 2)));
    for (ListNode* list : {scene->getAllList(), scene->getEarnedList(), scene->getToEarnList()}) {
        ASSERT_NE(list, nullptr);
        BaseNode* element = world().menuTemplates->findTemplate(list->getTemplateName());
        element = element ? element->findChildByName(CNameId("Element").getId(), 1) : nullptr;
        ASSERT_NE(element, nullptr);
        u32 texts = 0, images = 0;
        for (const BaseNode* part : element->getChildren()) {
            if (part->getNodeName() == "Text" && isText(part)) ++texts;
            if (part->getNodeName() == "Image" && part->isKindOf(NodeTypeSprite)) ++images;
        }
        EXPECT_EQ(texts, 3u);
        EXPECT_EQ(images, 1u);
    }
    BaseNode* tabs = scene->findChildByName(CNameId("TabScene").getId(), 2);
    ASSERT_TRUE(tabs && tabs->isKindOf(NodeTypeTabScene));
    for (const char* button : {"Tab1Button", "Tab2Button", "Tab3Button"})
        EXPECT_TRUE(isButton(tabs->findChildByName(CNameId(button).getId(), 1))) << button;

    CRefPtr<brasquel::GAchievementUnlockedScene> popUp =
        loadScene<brasquel::GAchievementUnlockedScene>(
            world(), brasquel::GAchievementUnlockedScene::SceneFile);
    ASSERT_TRUE(popUp) << "the pop-up's root is not a GAchievementUnlockedScene";
    EXPECT_NE(popUp->getImage(), nullptr);
    EXPECT_NE(popUp->getNameText(), nullptr);
    EXPECT_NE(popUp->getDescriptionText(), nullptr);
    EXPECT_TRUE(isButton(popUp->findChildByName(CNameId("OkButton").getId(), 2)));

    auto progress = makeRef<brasquel::GAchievementsProgress>();
    std::vector<std::string> problems;
    for (u32 i = 0; i < brasquel::GAchievementsProgress::AchievementCount; ++i) {
        const stringc path = progress->getIconPath(i);
        CResource* icon = world().content->getContentByPath(TypeCodeAtlasTexture, path, false);
        if (!icon || icon->getTypeCode() != TypeCodeAtlasTexture)
            problems.push_back(std::string(path.c_str()) + " does not resolve");
        if (icon) icon->drop();
        for (const stringw& key : {progress->getNameKey(i), progress->getDescBeforeKey(i),
                                   progress->getDescAfterKey(i)}) {
            const std::string text = narrow(key);
            if (text.size() < 3 ||
                !world().dictionary->hasKey(stringc(text.substr(1, text.size() - 2).c_str())))
                problems.push_back(text + " is not in the dictionary");
        }
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// The map as the game loads it: its 39 locations in order, each leading to a level of the level
// scores table, the parts its code looks up with their kinds, and the location template's parts.
TEST_F(AssetLint, TheMapsLocationsAndParts) {
    CRefPtr<brasquel::GMapScene> map;
    {
        CResource* loaded = world().content->getContentByPath(
            TypeCodeSceneNode, stringc("scenes/MapScene.oscn"), false);
        ASSERT_NE(loaded, nullptr);
        CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
        map = CRefPtr<brasquel::GMapScene>(dynamic_cast<brasquel::GMapScene*>(loaded));
    }
    ASSERT_TRUE(map) << "the map's root is not a GMapScene";
    std::vector<std::string> problems;
    const auto& locations = map->getLocationButtons();
    EXPECT_EQ(locations.size(), 39u);
    brasquel::LevelScores* scores = world().application->getLevelScores();
    ASSERT_NE(scores, nullptr);
    for (u32 i = 0; i < locations.size(); ++i) {
        const std::string name = locations[i]->getNodeName().c_str();
        if (name != "Location" + std::to_string(i)) problems.push_back(name + " out of order");
        const stringc& level = locations[i]->getAssociatedLevelName();
        if (level.empty() || !scores->find(level))
            problems.push_back(name + " leads to \"" + level.c_str() +
                               "\", which the level scores lack");
    }
    EXPECT_NE(map->getPlayButton(), nullptr);
    for (u32 i = 0; i < brasquel::GMapScene::HintCount; ++i) {
        BaseNode* hint = map->getLevelHint(i);
        if (!hint) {
            problems.push_back("no hint " + std::to_string(i + 1));
            continue;
        }
        for (const char* text : {"LevelText", "TimeText", "RankText", "Place1Text", "Place2Text"}) {
            BaseNode* child = hint->findChildByName(text, 1);
            if (!child || !child->isKindOf(NodeTypeText))
                problems.push_back(std::string(hint->getNodeName().c_str()) + "/" + text);
        }
        for (const char* sprite :
             {"Place1Sign", "Place2Sign", "Icon1", "Icon2", "Arrow", "ArrowL", "ArrowR"}) {
            BaseNode* child = hint->findChildByName(sprite, 1);
            if (!child || !child->isKindOf(NodeTypeSprite))
                problems.push_back(std::string(hint->getNodeName().c_str()) + "/" + sprite);
        }
    }
    for (const char* button : {"BackButton", "ShopButton"}) {
        BaseNode* node =
            map->getSceneNode() ? map->getSceneNode()->findChildByName(button, 1) : nullptr;
        if (!node || !node->isKindOf(NodeTypeButton)) problems.push_back(button);
    }
    BaseNode* location = world().menuTemplates->findTemplate(CNameId("MapLocationButton").getId());
    ASSERT_NE(location, nullptr);
    BaseNode* group = location->findChildByName("Star", 1);
    ASSERT_NE(group, nullptr);
    EXPECT_NE(location->findChildByName("Selector", 1), nullptr);
    EXPECT_NE(group->findState(CNameId("Wave").getId()), nullptr);
    for (const char* sprite : {"Star", "Platform"}) {
        BaseNode* child = group->findChildByName(sprite, 1);
        if (!child || !child->isKindOf(NodeTypeSprite))
            problems.push_back(std::string("MapLocationButton/Star/") + sprite);
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// The name entry's field: what it takes (digits, letters, spaces) and how much.
TEST_F(AssetLint, TheNameEntryTakesAShortNameOfLettersDigitsAndSpaces) {
    CResource* loaded = world().content->getContentByPath(
        TypeCodeSceneNode, stringc("scenes/SelectPlayerInputNameScene.oscn"), false);
    ASSERT_NE(loaded, nullptr);
    CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
    auto* root = static_cast<BaseNode*>(loaded);
    BaseNode* edit = root->findChildByName("NameEdit", 0);
    ASSERT_TRUE(edit && edit->isKindOf(NodeTypeEdit));
    const stringc mask = static_cast<EditNode*>(edit)->getInputMask();
    EXPECT_EQ(std::string(mask.c_str()).find('R'), std::string::npos) << mask.c_str();
    EXPECT_EQ(std::string(mask.c_str()), "0AS");
    const s32 limit = static_cast<EditNode*>(edit)->getMaxTextLength();
    EXPECT_GT(limit, 0);
    EXPECT_LE(limit, 16);
}

// Every page of the comics table is a comic page.
TEST_F(AssetLint, EveryComicsPageLoadsAsAComicPage) {
    auto comics = makeRef<brasquel::ComicsConfiguration>();
    CXmlReader* reader = world().files->createXmlReader(stringc("scenes/ComicsConfiguration.xml"));
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(comics->load(reader));
    reader->drop();
    EXPECT_GT(comics->size(), 0u);
    std::vector<std::string> problems;
    for (const auto& [level, entry] : comics->getEntries()) {
        if (entry->ScenePath.empty()) continue;
        const std::string path = narrow(entry->ScenePath);
        CResource* loaded =
            world().content->getContentByPath(TypeCodeSceneNode, stringc(path.c_str()), false);
        if (!loaded || loaded->getTypeCode() != TypeCodeSceneNode ||
            !static_cast<BaseNode*>(loaded)->isKindOf(brasquel::GameNodeTypeComicsScene))
            problems.push_back(std::to_string(level) + ": " + path + " is no comic page");
        if (loaded) loaded->drop();
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}


// ---- Fonts, atlases, sounds ----

TEST_F(AssetLint, FontsCoverEveryCharacterOfTheDictionary) {
    std::set<u32> characters;
    for (const auto& [key, text] : world().dictionary->getTexts())
        for (u32 i = 0; i < text.size(); ++i)
            if (static_cast<u32>(text[i]) >= 0x20) characters.insert(static_cast<u32>(text[i]));
    ASSERT_GT(characters.size(), 26u);
    const std::vector<std::string> fonts = assetFiles("scenes/fonts", ".ofnt");
    ASSERT_FALSE(fonts.empty());
    std::vector<std::string> problems;
    for (const std::string& name : fonts) {
        CResource* resource =
            world().content->getContentByPath(TypeCodeFont, stringc(name.c_str()), false);
        auto* font = dynamic_cast<CFont*>(resource);
        if (!font) {
            problems.push_back(name + ": does not load");
        } else {
            std::string missing;
            for (u32 c : characters)
                if (!font->hasGlyph(c)) {
                    char code[16];
                    std::snprintf(code, sizeof code, " U+%04X", c);
                    missing += code;
                }
            if (!missing.empty()) problems.push_back(name + ": no glyph for" + missing);
        }
        if (resource) resource->drop();
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

TEST_F(AssetLint, NoAtlasRegionNameAppearsTwice) {
    std::map<std::string, std::string> owners;
    std::vector<std::string> problems;
    u32 regions = 0;
    for (const auto& atlas : world().atlases) {
        const auto& entries = atlas->getEntries();
        for (u32 i = 0; i < entries.size(); ++i) {
            const auto& entry = entries[i];
            ++regions;
            const std::string name = entry.name.c_str();
            const std::string owner = atlas->getName().c_str();
            auto [at, added] = owners.emplace(name, owner);
            if (!added) problems.push_back(name + " in " + at->second + " and " + owner);
        }
    }
    EXPECT_GT(regions, 0u);
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

TEST_F(AssetLint, EverySoundDecodesWholeAndIsNotSilent) {
    std::vector<std::string> sounds = assetFiles("", ".ogg");
    for (const std::string& wav : assetFiles("", ".wav")) sounds.push_back(wav);
    ASSERT_FALSE(sounds.empty());
    std::vector<std::string> problems;
    for (const std::string& name : sounds) {
        auto& decoded = world().audio->decoded;
        if (decoded.count(name) == 0) {
            CResource* sound =
                world().content->getContentByPath(TypeCodeSound, stringc(name.c_str()), false);
            if (sound) sound->drop();
        }
        auto found = decoded.find(name);
        if (found == decoded.end()) {
            problems.push_back(name + ": never reached the audio driver");
            continue;
        }
        const SDecoded& result = found->second;
        if (!result.error.empty())
            problems.push_back(name + ": " + result.error);
        else if (result.peak < MinimumPeak)
            problems.push_back(name + ": silent (peak " + std::to_string(result.peak) + ")");
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

TEST_F(AssetLint, EveryCueTheGamePlaysIsInTheSoundPackWithASound) {
    ASSERT_NE(world().soundPack, nullptr);
    const char* const* names = brasquel::GSoundCueIds::names();
    std::vector<std::string> problems;
    for (u32 i = 0; i < brasquel::GSoundCueIds::Count; ++i) {
        const std::string name = names[i];
        if (name == UnplayedCue) continue;
        SoundCue* cue = world().soundPack->findCue(CNameId(names[i]));
        if (!cue)
            problems.push_back(name + ": not in the sound pack");
        else if (cue->getSoundCount() == 0)
            problems.push_back(name + ": has no sound");
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// ---- Files the code names ----

// Every file-name literal of the game's sources, with where it stands.
std::map<std::string, std::string> codeFileNames() {
    std::map<std::string, std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(SourceDir / "game")) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        for (const std::string& literal : stringLiterals(text.str()))
            if (isFileNameLiteral(literal))
                names.emplace(literal, fs::relative(entry.path(), SourceDir).generic_string());
    }
    return names;
}

// The names of the atlases' regions: pictures the code names are regions, not files.
std::set<std::string> atlasRegionNames(const AssetWorld& world) {
    std::set<std::string> names;
    for (const CRefPtr<AtlasTextureCollection>& atlas : world.atlases)
        for (u32 i = 0; i < atlas->getRegionCount(); ++i)
            if (CAtlasTexture* region = atlas->getRegion(i))
                names.insert(region->getName().c_str());
    return names;
}

// Whether a name the code uses resolves: a folder (ending in "/") exists or holds a region; a
// file exists or is a region; a bare file name (no folder) is some file's own name or the end of
// a region's name (the code puts the folder, and maybe a type's name, before it); a name without
// an extension is the start of a file's or a region's name (the code adds the rest).
bool nameResolves(const std::string& name, const std::set<std::string>& regions) {
    auto startsSome = [&](const std::string& prefix) {
        for (const std::string& region : regions)
            if (region.rfind(prefix, 0) == 0) return true;
        for (const auto& entry : fs::recursive_directory_iterator(AssetsDir))
            if (entry.is_regular_file() &&
                fs::relative(entry.path(), AssetsDir).generic_string().rfind(prefix, 0) == 0)
                return true;
        return false;
    };
    if (name.empty()) return false;
    if (name.back() == '/') return fs::is_directory(AssetsDir / name) || startsSome(name);
    if (assetExists(name) || regions.count(name) != 0) return true;
    if (name.find('/') == std::string::npos) {
        for (const auto& entry : fs::recursive_directory_iterator(AssetsDir))
            if (entry.is_regular_file() && entry.path().filename() == name) return true;
        for (const std::string& region : regions)
            if (region.size() > name.size() &&
                region.compare(region.size() - name.size(), name.size(), name) == 0)
                return true;
        return false;
    }
    const size_t slash = name.rfind('/');
    if (name.find('.', slash) == std::string::npos) return startsSome(name);
    return false;
}

TEST_F(AssetLint, EveryFileTheCodeNamesExists) {
    const std::map<std::string, std::string> names = codeFileNames();
    ASSERT_FALSE(names.empty());
    const std::set<std::string> regions = atlasRegionNames(world());
    std::vector<std::string> problems;
    for (const auto& [name, source] : names) {
        if (!nameResolves(name, regions) && !isPending(name))
            problems.push_back(name + " (named in " + source + ")");
    }
    // The code's tables of files.
    for (const brasquel::SReloadEntry& entry : world().application->getReloadEntries())
        if (!assetExists(entry.path) && !isPending(entry.path))
            problems.push_back(std::string(entry.path) + " (the reload key's table)");
    for (const char* name :
         {brasquel::GApplication::StartSceneFile, brasquel::GApplication::LogosFile,
          brasquel::GApplication::CursorImageFile})
        if (!assetExists(name)) problems.push_back(std::string(name) + " (the application)");
    // The logos the start-up shows.
    for (const brasquel::GLogoEntry& logo : world().logos->getLogos())
        if (!assetExists(logo.Image.c_str()) && !isPending(logo.Image.c_str()))
            problems.push_back(std::string(logo.Image.c_str()) + " (the logos file)");
    for (const brasquel::GMMLogoEntry& logo : world().logos->getMMLogos())
        if (!assetExists(logo.Image.c_str()) && !isPending(logo.Image.c_str()))
            problems.push_back(std::string(logo.Image.c_str()) + " (the logos file)");
    EXPECT_TRUE(problems.empty()) << "missing:" << joined(problems);
}

TEST_F(AssetLint, EveryPendingFileIsNamedAndNotThereYet) {
    const std::map<std::string, std::string> names = codeFileNames();
    std::set<std::string> logoImages;
    for (const brasquel::GLogoEntry& logo : world().logos->getLogos())
        logoImages.insert(logo.Image.c_str());
    for (const brasquel::GMMLogoEntry& logo : world().logos->getMMLogos())
        logoImages.insert(logo.Image.c_str());
    const std::set<std::string> regions = atlasRegionNames(world());
    std::vector<std::string> problems;
    for (const SPending& pending : PendingFiles) {
        if (nameResolves(pending.path, regions))
            problems.push_back(std::string(pending.path) + " exists now: take it off the list");
        if (names.count(pending.path) == 0 && logoImages.count(pending.path) == 0)
            problems.push_back(std::string(pending.path) + " is named by nothing (" +
                               pending.bringer + ")");
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// ---- The lots' templates ----

namespace {

// The states a lot enters on itself, which its type's picture answers.
const char* const LotStates[] = {"Setting1",   "Setting2",       "Setting3",     "Setting4",
                                 "Done",       "Owned",          "NotOwned",     "Feature1",
                                 "Feature2",   "Feature1Stop",   "Feature2Stop", "Press",
                                 "Focus",      "KillFocus",      "NormalHover",  "NormalKillHover",
                                 "FocusHover", "FocusKillHover", "MoneyBurst"};

BaseNode* childOf(const BaseNode* node, const char* name) {
    return node ? node->findChildByName(name, 1) : nullptr;
}

bool hasState(const BaseNode* node, const char* state) {
    return node && node->findState(CNameId(state).getId()) != nullptr;
}

// A countdown clock: a face, an ellipse sector with its alert, a hand; "Normal" on the clock.
void checkClock(const BaseNode* clock, const std::string& where, std::vector<std::string>& out) {
    if (!clock) {
        out.push_back(where + ": no clock");
        return;
    }
    if (clock->getChildCount() < 3) {
        out.push_back(where + ": a clock needs a face, a sector and a hand");
        return;
    }
    const BaseNode* sector = clock->getChildren()[1];
    if (!sector->isKindOf(brasquel::GameNodeTypeEllipseSectorNode))
        out.push_back(where + ": the clock's second child is not an ellipse sector");
    else if (!hasState(sector, "Alert"))
        out.push_back(where + ": the clock's sector has no \"Alert\"");
    if (!hasState(clock, "Normal")) out.push_back(where + ": the clock has no \"Normal\"");
}

}  // namespace

// Every building type of the catalogue has its lot template with the parts the lot binds, and
// every part the lot makes from the collection is there with its kind and states.
TEST_F(AssetLint, EveryBuildingTypeHasItsLotTemplateAndEveryPartIsThere) {
    TemplateCollectionNode* templates = world().levelTemplates.get();
    ASSERT_NE(templates, nullptr);
    brasquel::GBuildingsConfiguration* types = world().application->getBuildingsConfiguration();
    ASSERT_TRUE(types && types->size() > 0);
    std::vector<std::string> problems;
    for (const auto& [name, type] : types->getTypes()) {
        const std::string label = name.getName().c_str();
        const BaseNode* look = templates->findTemplate(name.getId());
        if (!look) {
            problems.push_back(label + ": no template");
            continue;
        }
        const BaseNode* image = childOf(look, "Image");
        if (!image || !image->isKindOf(NodeTypeSprite) || !image->canBeHit())
            problems.push_back(label + ": no hittable sprite \"Image\"");
        for (const char* state : LotStates)
            if (!hasState(image, state)) problems.push_back(label + ": Image lacks " + state);
        if (!hasState(childOf(look, "Selector"), "Focus"))
            problems.push_back(label + ": no \"Selector\" with \"Focus\"");
        const BaseNode* workers = childOf(look, "WorkersText");
        if (!workers || !workers->isKindOf(NodeTypeText))
            problems.push_back(label + ": no text \"WorkersText\"");
        if (type->Type != brasquel::BuildingKindLodging) continue;
        const BaseNode* stars = childOf(look, "StarIcons");
        u32 sprites = 0;
        if (stars)
            for (const BaseNode* star : stars->getChildren())
                sprites += star->isKindOf(NodeTypeSprite) ? 1 : 0;
        if (sprites < 2) problems.push_back(label + ": \"StarIcons\" needs two star sprites");
        const BaseNode* smile = childOf(look, "SmileIcon");
        if (!smile || !smile->isKindOf(NodeTypeText) || smile->getChildCount() == 0 ||
            !smile->getChildren()[0]->isKindOf(NodeTypeSprite))
            problems.push_back(label + ": no \"SmileIcon\" text with its sprite");
    }

    auto part = [&](const char* name) -> const BaseNode* {
        const BaseNode* found = templates->findTemplate(CNameId(name).getId());
        if (!found) problems.push_back(std::string(name) + ": no part template");
        return found;
    };
    auto states = [&](const BaseNode* node, const char* name,
                      std::initializer_list<const char*> wanted) {
        for (const char* state : wanted)
            if (node && !hasState(node, state))
                problems.push_back(std::string(name) + ": no state " + state);
    };
    if (const BaseNode* smile = part("SmileIcon"))
        if (!smile->isKindOf(NodeTypeText) || smile->getChildCount() == 0 ||
            !smile->getChildren()[0]->isKindOf(NodeTypeSprite))
            problems.push_back("SmileIcon: not a text with its sprite first");
    states(part("ServeArea"), "ServeArea", {"Blue", "Green"});
    if (const BaseNode* tag = part("ForSaleNode")) {
        const BaseNode* price = childOf(tag, "PriceText");
        if (!price || !price->isKindOf(NodeTypeText))
            problems.push_back("ForSaleNode: no text \"PriceText\"");
        if (!childOf(tag, "Bg")) problems.push_back("ForSaleNode: no \"Bg\"");
        checkClock(childOf(tag, "Progress"), "ForSaleNode", problems);
    }
    if (const BaseNode* phone = part("PhoneIcon")) {
        states(phone, "PhoneIcon", {"Active"});
        checkClock(childOf(phone, "Progress"), "PhoneIcon", problems);
    }
    if (const BaseNode* workers = part("WorkersText"))
        if (!workers->isKindOf(NodeTypeText)) problems.push_back("WorkersText: not a text");
    for (const char* name : {"Feature1Icon", "Feature2Icon"}) {
        const BaseNode* icon = part(name);
        if (!icon) continue;
        states(icon, name, {"Active", "Recharging", "Ready"});
        if (icon->getChildCount() < 2 || !icon->getChildren()[0]->isKindOf(NodeTypeSprite) ||
            !icon->getChildren()[1]->isKindOf(NodeTypeSprite))
            problems.push_back(std::string(name) + ": needs two sprites");
    }
    part("MoneyBurst");
    for (const char* name : {"RepairIcon", "DirtyIcon"}) states(part(name), name, {"Active"});
    EXPECT_TRUE(problems.empty()) << joined(problems);
}


// ---- The templates of building work ----

namespace {

const char* const LotWorkStates[] = {
    "AfterBuild",   "DestroySetting1", "DestroySetting2", "DestroySetting3", "DestroySetting4",
    "Destroy",      "DoneSetting1",    "DoneSetting2",    "DoneSetting3",    "DoneSetting4",
    "Restoring",    "CancelRestoring"};
const char* const FlightDirections[] = {"LeftUp", "LeftDown", "RightUp", "RightDown"};
const char* const UnloadingSteps[] = {"_BeforeUnloading", "_Unloading", "_AfterUnloading"};
const char* const DriveDirections[] = {"Right", "RightUp", "Up",   "LeftUp",
                                       "Left",  "LeftDown", "Down", "RightDown"};
const char* const SiteStages[] = {"PreBuild1",  "PreBuild2",  "Build",
                                  "Working",    "PostBuild1", "PostBuild2"};
// The stages whose ends the construction waits for.
const char* const FiniteSiteStages[] = {"PreBuild1", "PreBuild2", "PostBuild1", "PostBuild2"};

// A state that ends by itself: none of its key frame animations jumps back.
bool endsByItself(const Animator* state) {
    for (u32 i = 0; i < state->getAnimationCount(); ++i) {
        const animation::Base* a = state->getAnimation(i);
        if (!a || !a->isKindOf(animation::AnimationTypeKeyFrame)) continue;
        for (const animation::KeyFrameKey& key :
             static_cast<const animation::KeyFrame*>(a)->getKeys())
            if (key.gotoKey >= 0) return false;
    }
    return true;
}

// What a node's direct children do with a state the node is set to: whether any answers it,
// and whether all that answer end.
struct SChildrenPlay {
    bool answered = false;
    bool ends = true;
};

SChildrenPlay childrenPlay(const BaseNode* node, const char* state) {
    SChildrenPlay play;
    if (!node) return play;
    for (const BaseNode* child : node->getChildren()) {
        const Animator* found = child->findState(CNameId(state).getId());
        if (!found) continue;
        play.answered = true;
        play.ends = play.ends && endsByItself(found);
    }
    return play;
}

// The key frame animation of that name in a node's own state.
const animation::KeyFrame* namedKeys(const BaseNode* node, const char* state, const char* name) {
    const Animator* found = node ? node->findState(CNameId(state).getId()) : nullptr;
    const animation::Base* a = found ? found->findAnimation(CNameId(name).getId()) : nullptr;
    if (!a || !a->isKindOf(animation::AnimationTypeKeyFrame)) return nullptr;
    return static_cast<const animation::KeyFrame*>(a);
}

}  // namespace

// The lots answer the states that building work plays on them, and the work finds its
// templates with the kinds, children and states it uses; the states it waits for end.
TEST_F(AssetLint, BuildingWorkFindsItsTemplatesAndStates) {
    TemplateCollectionNode* templates = world().levelTemplates.get();
    ASSERT_NE(templates, nullptr);
    brasquel::GBuildingsConfiguration* types = world().application->getBuildingsConfiguration();
    ASSERT_TRUE(types && types->size() > 0);
    std::vector<std::string> problems;
    for (const auto& [name, type] : types->getTypes()) {
        const std::string label = name.getName().c_str();
        const BaseNode* look = templates->findTemplate(name.getId());
        if (!look) continue;  // reported by the lot templates' check
        for (const char* state : LotWorkStates) {
            const SChildrenPlay play = childrenPlay(look, state);
            if (!play.answered) problems.push_back(label + ": nothing answers " + state);
            if (!play.ends) problems.push_back(label + ": " + state + " never ends");
        }
        // The restoring's length is given to the second key of its animations.
        bool timed = false;
        for (const BaseNode* child : look->getChildren())
            if (const Animator* restoring = child->findState(CNameId("Restoring").getId()))
                for (u32 i = 0; i < restoring->getAnimationCount(); ++i) {
                    const animation::Base* a = restoring->getAnimation(i);
                    timed = timed || (a && a->isKindOf(animation::AnimationTypeKeyFrame) &&
                                      static_cast<const animation::KeyFrame*>(a)->getKeys().size() >= 2);
                }
        if (!timed) problems.push_back(label + ": \"Restoring\" has no animation of two keys");
        const BaseNode* rubble = childOf(look, "Rubble");
        if (!rubble || !rubble->isKindOf(NodeTypeSprite))
            problems.push_back(label + ": no sprite \"Rubble\"");
    }

    auto found = [&](const char* name, s32 kind) -> const BaseNode* {
        const BaseNode* node = templates->findTemplate(CNameId(name).getId());
        if (!node)
            problems.push_back(std::string(name) + ": no template");
        else if (kind >= 0 && !node->isKindOf(kind))
            problems.push_back(std::string(name) + ": not of the kind the work asks for");
        return node;
    };
    auto played = [&](const BaseNode* node, const std::string& where, const char* state,
                      bool mustEnd) {
        const SChildrenPlay play = childrenPlay(node, state);
        if (!play.answered) problems.push_back(where + ": nothing answers " + state);
        if (mustEnd && !play.ends) problems.push_back(where + ": " + state + " never ends");
    };
    auto ownEnding = [&](const BaseNode* node, const std::string& where, const char* state) {
        const Animator* own = node->findState(CNameId(state).getId());
        if (!own)
            problems.push_back(where + ": no state " + state);
        else if (!endsByItself(own))
            problems.push_back(where + ": " + state + " never ends");
    };

    if (const BaseNode* helicopter = found("Helicopter", brasquel::GameNodeTypePathMovableNode)) {
        for (const char* flight : {"MovingTo", "MovingFrom"}) {
            const animation::KeyFrame* mover = namedKeys(helicopter, flight, "Mover");
            if (!mover || mover->getKeys().size() != 2 || !mover->getProperties() ||
                mover->getProperties()->getPropertyIndex("Position") < 0)
                problems.push_back(std::string("Helicopter: ") + flight +
                                   " needs a \"Mover\" of two keys on Position");
        }
        for (const char* child : {"Cargo", "CargoShadow"})
            if (!childOf(helicopter, child))
                problems.push_back(std::string("Helicopter: no child ") + child);
        for (const char* direction : FlightDirections) {
            played(helicopter, "Helicopter", direction, false);
            for (const char* step : UnloadingSteps)
                played(helicopter, "Helicopter", (std::string(direction) + step).c_str(), true);
        }
    }
    if (const BaseNode* cargo = found("Cargo", -1))
        for (const char* direction : FlightDirections) ownEnding(cargo, "Cargo", direction);
    if (const BaseNode* bus = found("Bus", brasquel::GameNodeTypePathMovableNode)) {
        for (const char* direction : DriveDirections) played(bus, "Bus", direction, false);
        ownEnding(bus, "Bus", "MovingFrom");
    }
    if (const BaseNode* selector = found("ConstructionSelector", NodeTypeSprite))
        if (!hasState(selector, "Focus")) problems.push_back("ConstructionSelector: no Focus");
    if (const BaseNode* site = found("Construction", -1)) {
        const BaseNode* bar = childOf(site, "ProgressBar");
        if (!bar || !bar->isKindOf(NodeTypeBaseProgressBar))
            problems.push_back("Construction: no progress bar \"ProgressBar\"");
        for (const char* stage : SiteStages) played(site, "Construction", stage, false);
        for (const char* stage : FiniteSiteStages) played(site, "Construction", stage, true);
    }
    if (const BaseNode* star = found("LevelStarEffect", -1))
        played(star, "LevelStarEffect", "Activate", true);
    if (const BaseNode* bar = found("ProgressBarOverBuilding", NodeTypeBaseProgressBar)) {
        const s32 look = static_cast<const ControlNode*>(bar)->getTemplateName();
        if (look == -1 || !templates->findTemplate(look))
            problems.push_back("ProgressBarOverBuilding: its look is not in the collection");
    }
    for (const char* name : {"Cloud1", "Cloud2", "Cloud3"})
        if (const BaseNode* cloud = found(name, brasquel::GameNodeTypePathMovableNode)) {
            bool sprite = false;
            for (const BaseNode* child : cloud->getChildren())
                sprite = sprite || child->isKindOf(NodeTypeSprite);
            if (!sprite) problems.push_back(std::string(name) + ": no shadow sprite");
        }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// ---- The play screen ----

// A node at a path of names below the node, each a direct child of the one before.
BaseNode* nodeAt(BaseNode* node, const std::string& path) {
    std::stringstream parts(path);
    std::string name;
    while (node && std::getline(parts, name, '/'))
        node = node->findChildByName(CNameId(name.c_str()).getId(), 1);
    return node;
}

// The nodes the play screen binds and the nodes its pages and pop-ups fill, with the kind each
// must be of (NodeTypeBase: any node).
struct SPlayNode {
    std::string path;
    s32 kind;
};

std::vector<SPlayNode> playScreenNodes() {
    const std::string menu = "InternalGamePlayScene/GameMenu/";
    const std::string tabs = menu + "ActionsTabScene/";
    std::vector<SPlayNode> nodes = {
        {"InternalGamePlayScene", NodeTypeControl},
        {menu + "MoneyNode/MoneyText", NodeTypeText},
        {menu + "MoneyNode/IncomeText", NodeTypeText},
        {menu + "MoneyNode/ProgressBar", NodeTypeBaseProgressBar},
        {menu + "RatingNode/ProgressBarText", NodeTypeText},
        {menu + "RatingNode/ProgressBar", NodeTypeBaseProgressBar},
        {menu + "TimeNode/Ellipse", brasquel::GameNodeTypeEllipseSectorNode},
        {menu + "TimeNode/TimeText", NodeTypeText},
        {menu + "TimeNode/TargetTimeText", NodeTypeText},
        {menu + "TimeNode/LongArrow", NodeTypeBase},
        {menu + "GoalsNode", NodeTypeBase},
        {menu + "ActionsTabScene", NodeTypeTabScene},
        {menu + "MaterialsAmountTabText", NodeTypeText},
        {menu + "WorkersAmountTabText", NodeTypeText},
        {menu + "MenuButton", NodeTypeButton},
        {menu + "HelpButton", NodeTypeButton},
        {menu + "GoalsButton", NodeTypeButton},
        {tabs + "Tab1/HotelsBuildList", NodeTypeList},
        {tabs + "Tab2/FactoriesBuildList", NodeTypeList},
        {tabs + "Tab3/JoysBuildList", NodeTypeList},
        {tabs + "Tab4/ButtonsNode/BuyMaterialsList", NodeTypeList},
        {tabs + "Tab5/ButtonsNode/TrainWorkersList", NodeTypeList},
        {tabs + "Tab6/ProgressNode", NodeTypeControl},
        {tabs + "Tab6/ProgressNode/HintText", NodeTypeText},
        {tabs + "Tab6/ProgressNode/Text", NodeTypeText},
        {tabs + "Tab6/ProgressNode/ProgressBar", NodeTypeBaseProgressBar},
        {tabs + "Tab6/ProgressNode/AbortButton", NodeTypeControl},
        {tabs + "Tab6/HotelButtonsNode", NodeTypeControl},
        {tabs + "Tab6/JoyButtonsNode", NodeTypeControl},
        {tabs + "Tab6/CustomServiceButtonsNode", NodeTypeControl},
        {tabs + "Tab6/CustomServiceButtonsNode/CustomServeButton", NodeTypeControl},
        {tabs + "Tab6/JoyButtonsNode/ActiveFeature2Button/AddImage", NodeTypeSprite},
        {tabs + "Tab7/BuyButton", NodeTypeControl},
        {tabs + "Tab7/PriceText", NodeTypeText},
        {tabs + "Tab9/OfferPriceText", NodeTypeText},
        {tabs + "Tab9/AcceptSellOfferButton", NodeTypeButton},
        {tabs + "Tab9/DeclineSellOfferButton", NodeTypeButton},
        {tabs + "Tab10/SellButton", NodeTypeControl},
        {tabs + "Tab10/HotelsButton", NodeTypeControl},
        {tabs + "Tab10/JoysButton", NodeTypeControl},
        {tabs + "Tab10/FactoriesButton", NodeTypeControl},
    };
    for (int n = 1; n <= 10; ++n) {
        const std::string tab = tabs + "Tab" + std::to_string(n);
        nodes.push_back({tab, NodeTypeControl});
        nodes.push_back({tab + "/HintText", NodeTypeText});
    }
    for (int n : {4, 5, 8})
        nodes.push_back({tabs + "Tab" + std::to_string(n) + "Button", NodeTypeButton});
    for (int n : {4, 5}) {
        const std::string tab = tabs + "Tab" + std::to_string(n) + "/";
        nodes.push_back({tab + "ProgressNode/ProgressBar", NodeTypeBaseProgressBar});
        nodes.push_back({tab + "ProgressNode/Text", NodeTypeText});
    }
    for (int n : {1, 2, 3}) {
        const std::string tab = tabs + "Tab" + std::to_string(n) + "/";
        nodes.push_back({tab + "Label", NodeTypeText});
        nodes.push_back({tab + "LabelText", NodeTypeText});
        nodes.push_back({tab + "BackToBuildButton", NodeTypeButton});
    }
    for (int n : {1, 2, 3, 6, 7, 9, 10}) {
        const std::string info = tabs + "Tab" + std::to_string(n) + "/BuildingInfoNode/";
        for (const char* text : {"NameText", "StatsText", "AfterUpgradeNode/IncomeNode/Text",
                                 "AfterUpgradeNode/GuestsNode/Text", "DescriptionNode/Text"})
            nodes.push_back({info + text, NodeTypeText});
        nodes.push_back({info + "BrokenNode", NodeTypeBase});
        nodes.push_back({info + "Preview", NodeTypeSprite});
    }
    for (const char* button :
         {"UpgradeButton", "DestroyButton", "SellButton", "RepairButton", "CustomAction1Button"})
        nodes.push_back({tabs + "Tab6/HotelButtonsNode/" + button, NodeTypeControl});
    for (const char* button : {"DestroyButton", "SellButton", "CleanButton"})
        nodes.push_back({tabs + "Tab6/JoyButtonsNode/" + button, NodeTypeButton});
    for (const char* button : {"ActiveFeature1Button", "ActiveFeature2Button"})
        nodes.push_back({tabs + "Tab6/JoyButtonsNode/" + button, NodeTypeButton});
    for (const char* text : {"LevelText", "MoneyText", "IncomeText", "GuestsText",
                             "PossibleIncomeText", "PossibleGuestsText"})
        nodes.push_back({tabs + "Tab8/" + text, NodeTypeText});
    for (int n = 1; n <= 6; ++n) {
        nodes.push_back({menu + "RatingNode/Star" + std::to_string(n), NodeTypeBase});
        nodes.push_back({tabs + "Tab8/RatingNode/Star" + std::to_string(n), NodeTypeBase});
    }
    for (int n = 1; n <= 4; ++n)
        nodes.push_back({tabs + "Tab8/GoalsNode/Goal" + std::to_string(n), NodeTypeCheckBox});
    const std::pair<const char*, std::vector<const char*>> popups[] = {
        {"IncomeGuestsInfoNode", {"NameText", "IncomeText", "GuestsText"}},
        {"GuestsInfoNode", {"NameText", "IncomeText", "GuestsText"}},
        {"MaterialsWorkersTooltipNode", {"NameText", "MaterialsText", "WorkersText"}},
        {"WorkersInfoNode", {"NameText", "WorkersText"}},
        {"MoneyInfoNode", {"NameText", "MoneyText"}},
        {"FeatureInfoNode", {"NameText"}}};
    for (const auto& [popup, texts] : popups)
        for (const char* text : texts)
            nodes.push_back({menu + popup + "/" + text, NodeTypeText});
    return nodes;
}

// The play screen as the game loads it: every node its code binds or fills is there, of its
// kind; the HUD's goal row has five check boxes; the stars and the clock answer what the code
// plays on them.
TEST_F(AssetLint, ThePlayScreensNodesAreThereOfTheirKinds) {
    CRefPtr<BaseNode> screen = loadScene<BaseNode>(world(), "scenes/GamePlayScene.oscn");
    ASSERT_TRUE(screen);
    std::vector<std::string> problems;
    for (const SPlayNode& wanted : playScreenNodes()) {
        BaseNode* node = nodeAt(screen.get(), wanted.path);
        if (!node)
            problems.push_back(wanted.path + ": missing");
        else if (!node->isKindOf(wanted.kind))
            problems.push_back(wanted.path + ": a " + narrow(node->getClassName()) +
                               ", not of kind " + std::to_string(wanted.kind));
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);

    BaseNode* goals = nodeAt(screen.get(), "InternalGamePlayScene/GameMenu/GoalsNode");
    ASSERT_NE(goals, nullptr);
    u32 boxes = 0;
    for (const BaseNode* child : goals->getChildren())
        boxes += child->isKindOf(NodeTypeCheckBox) ? 1 : 0;
    EXPECT_EQ(boxes, 5u);
    for (const char* row : {"InternalGamePlayScene/GameMenu/RatingNode",
                            "InternalGamePlayScene/GameMenu/ActionsTabScene/Tab8/RatingNode"})
        for (int n = 1; n <= 6; ++n) {
            BaseNode* star = nodeAt(screen.get(), std::string(row) + "/Star" + std::to_string(n));
            EXPECT_TRUE(hasState(star, "Full") && hasState(star, "Empty")) << row << " star " << n;
        }
    for (const char* state : {"NavTo", "NavFrom", "NavBackTo", "NavBackFrom"})
        EXPECT_TRUE(hasState(nodeAt(screen.get(), "InternalGamePlayScene"), state)) << state;
    auto* tabs = dynamic_cast<TabSceneNode*>(
        nodeAt(screen.get(), "InternalGamePlayScene/GameMenu/ActionsTabScene"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->getTabsCount(), 10);
}

// The templates the play screen's code and lists ask for, the pictures its code loads, the
// build menus' types and each level's music.
TEST_F(AssetLint, ThePlayScreensTemplatesPicturesTypesAndMusic) {
    TemplateCollectionNode* templates = world().menuTemplates.get();
    ASSERT_NE(templates, nullptr);
    brasquel::GBuildingsConfiguration* types = world().application->getBuildingsConfiguration();
    ASSERT_TRUE(types && types->size() > 0);
    const std::set<std::string> regions = atlasRegionNames(world());
    std::vector<std::string> problems;
    auto needTemplate = [&](const std::string& name) -> BaseNode* {
        BaseNode* found = templates->findTemplate(CNameId(name.c_str()).getId());
        if (!found) problems.push_back(name + ": no template");
        return found;
    };
    for (const char* name : {"TutorialWindow", "MoneyStar", "Game_SellButton", "Game_UnSellButton",
                             "Game_CafeOrderButton", "Game_RestoreButton", "Game_U"})
        needTemplate(name);
    for (const char* kind : {"Materials", "Workers"})
        for (int n = 1; n <= 5; ++n)
            needTemplate(std::string("Game_") + kind + "Button" + std::to_string(n));
    if (BaseNode* window = needTemplate("TutorialWindow")) {
        const vector3df& at = window->getPosition();
        EXPECT_EQ(at, vector3df(570.0f, 516.0f, 1999.0f));
        BaseNode* line = childOf(window, "Text");
        EXPECT_TRUE(line && line->isKindOf(NodeTypeText) && hasState(line, "Type1") &&
                    hasState(line, "Type2"));
        BaseNode* skip = childOf(window, "SkipTutorialButton");
        EXPECT_TRUE(skip && skip->isKindOf(NodeTypeButton) && childOf(skip, "bg"));
        EXPECT_TRUE(hasState(window, "NavTo") && hasState(window, "NavFrom"));
    }
    for (const auto& [name, type] : types->getTypes()) {
        const std::string label = name.getName().c_str();
        if (!type->ButtonTemplate.isEmpty())
            needTemplate(type->ButtonTemplate.getName().c_str());
        for (u32 f = 0; f < type->Features.size(); ++f) {
            BaseNode* button = needTemplate(type->Features[f].ButtonName.getName().c_str());
            const std::vector<BaseNode*> parts =
                button ? button->getChildren() : std::vector<BaseNode*>();
            if (button && (parts.size() < 2 || !parts[0]->isKindOf(NodeTypeSprite) ||
                           !parts[1]->isKindOf(NodeTypeSprite)))
                problems.push_back(label + ": its feature button lacks the face and the fill");
        }
        if (type->Features.size() >= 2) {
            const std::string lock = "scenes/images/GameMenu/Buttons/" +
                                     std::string(type->DisplayName.c_str()) +
                                     "Feature2ButtonLock.png";
            if (!regions.count(lock)) problems.push_back(lock + ": no such picture");
        }
    }
    const char* const menus[] = {"Camping1", "Hostel1", "GuestHouse1", "BusinessHotel1",
                                 "HotelN51", "HotelN61", "Cafe", "CityMall", "AquaPark",
                                 "Statue", "Garden", "Memorial", "TruckStation", "REAgency",
                                 "PRAgency"};
    // The hotels come first; their lock pictures drop the level from the type's name.
    constexpr size_t Hotels = 6;
    for (size_t i = 0; i < std::size(menus); ++i) {
        const char* type = menus[i];
        if (!types->find(CNameId(type))) problems.push_back(std::string(type) + ": not a type");
        std::string base = type;
        if (i < Hotels) base.pop_back();
        const std::string lock = "scenes/images/GameMenu/Buttons/" + base + "ButtonLock.png";
        if (!regions.count(lock)) problems.push_back(lock + ": no such picture");
    }
    for (const std::string& file : assetFiles("levels", ".xml")) {
        if (fs::path(file).filename() != "LevelConfiguration.xml") continue;
        auto level = makeRef<brasquel::GLevelConfiguration>();
        CXmlReader* reader = world().files->createXmlReader(stringc(file.c_str()));
        ASSERT_NE(reader, nullptr) << file;
        EXPECT_TRUE(level->read(reader)) << file;
        reader->drop();
        const std::string cue = "GameMusicSetting" + std::to_string(level->SettingIndex);
        if (!world().soundPack || !world().soundPack->findCue(CNameId(cue.c_str())))
            problems.push_back(file + ": no music cue " + cue);
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// ---- The play screen's info panel, tooltips and hints ----

namespace {

constexpr const char* TypeIconFolder = "scenes/images/GameMenu/Icons/";
constexpr const char* SnowIconSuffix = "_snow";
constexpr const char* InfoPanelStars[] = {"levels/common/Stars/FilledStar.png",
                                          "levels/common/Stars/EmptyStar.png"};
// The texts of the panel's figures, the tooltips' titles and the running processes' lines.
constexpr const char* InfoPanelKeys[] = {"MoneyDollar",
                                         "GuestsSign",
                                         "GamePlay_Income",
                                         "GamePlay_Guests",
                                         "GamePlay_ServedGuests",
                                         "Hint_UpgradeBuildingTitle",
                                         "Hint_RepairBuildingTitle",
                                         "Hint_CleanBuildingTitle",
                                         "Hint_DestroyBuildingTitle",
                                         "Hint_BuyBuildingTitle",
                                         "Hint_SaleBuildingTitle",
                                         "Hint_ActivateFeatureTitle",
                                         "Hint_BuildingTabRestore",
                                         "Hint_BuildingTabBuild",
                                         "Hint_BuildingTabExcavate",
                                         "InProgress_Upgrade",
                                         "InProgress_UpgradeHint",
                                         "InProgress_Building",
                                         "InProgress_BuildingHint",
                                         "InProgress_Destroy",
                                         "InProgress_DestroyHint",
                                         "FishingCenterInProgress",
                                         "FishingCenterInProgressHint",
                                         "PyramidInProgress",
                                         "PyramidInProgressHint",
                                         "InProgress_Repare",
                                         "InProgress_RepareHint",
                                         "PyramidConfInProgress",
                                         "PyramidConfInProgressHint",
                                         "InProgress_Feature",
                                         "InProgress_FeatureHint"};
// The hint lines of the place pages and of the build tabs.
constexpr const char* PlayHintKeys[] = {"Hint_BuildingPlace",
                                        "Hint_BuildingPlaceUnSellButton",
                                        "Hint_BuildingPlaceSellButton",
                                        "Hint_BuildingPlaceHotels",
                                        "Hint_BuildingPlaceJoys",
                                        "Hint_BuildingPlaceFactories",
                                        "Hint_BuyTab",
                                        "Hint_CantBuyNotForSaleButton",
                                        "Hint_BuyButton",
                                        "Hint_CantBuyButton",
                                        "Hint_BuyRequestTab",
                                        "Hint_BuyRequestAcceptButton",
                                        "Hint_BuyRequestDeclineButton",
                                        "Hint_BuildingTab",
                                        "Hint_BuildingUnSellButton",
                                        "Hint_BuildingSellButton",
                                        "Hint_BuildingTabUpgrade",
                                        "Hint_BuildingTabCantUpgrade",
                                        "Hint_BuildingTabNoUpgrade",
                                        "Hint_BuildingTabRepare",
                                        "Hint_BuildingTabCantRepare",
                                        "Hint_BuildingTabNoRepare",
                                        "Hint_BuildingTabClean",
                                        "Hint_BuildingTabCantClean",
                                        "Hint_BuildingTabNoClean",
                                        "Hint_BuildingTabDestroy",
                                        "Hint_BuildingTabCantDestroy",
                                        "Hint_BuildingTabRestoreFishingCenter",
                                        "Hint_BuildingTabCantRestoreFishingCenter",
                                        "Hint_BuildingTabObservationBuild",
                                        "Hint_BuildingTabObservationCantBuild",
                                        "Hint_BuildingTabPyramidClean",
                                        "Hint_BuildingTabCantPyramidClean",
                                        "Hint_BuildingTabPyramidShow",
                                        "Hint_BuildingTabCantPyramidShow",
                                        "Hint_BuildingTabStationBuild",
                                        "Hint_BuildingTabStationCantBuild",
                                        "Hint_BuildingTabHQBuild",
                                        "Hint_BuildingTabHQCantBuild",
                                        "Hint_BuildingTabFeatureUnavailable",
                                        "Hint_BuildingTabFeatureRecharging",
                                        "Hint_BuildingTabFeatureActive",
                                        "Hint_BuildTab_Hotels",
                                        "Hint_BuildTab_Factories",
                                        "Hint_BuildTab_Joys",
                                        "Hint_BuildTabJoys",
                                        "Hint_BuildTabJoysTip",
                                        "Hint_BuildTabBack",
                                        "Hint_BuildTabJoys2",
                                        "Hint_BuildTabJoys2Tip",
                                        "Hint_BuildTabJoys1",
                                        "Hint_BuildTabJoys1Tip",
                                        "Hint_BuildTabBuild"};

// The dictionary keys a catalogue text names: each "%Key%" in it, or the whole text when it has
// no marker (a display name is a bare key).
std::vector<std::string> catalogueTextKeys(const std::string& text) {
    std::vector<std::string> keys;
    size_t at = 0;
    while ((at = text.find('%', at)) != std::string::npos) {
        const size_t end = text.find('%', at + 1);
        if (end == std::string::npos) break;
        keys.push_back(text.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    if (keys.empty()) keys.push_back(text);
    return keys;
}

}  // namespace

// Every type of the catalogue, the empty building place included, has its icon and its snow
// icon in an atlas, and every text the info panel shows of it is in the dictionary: the display
// name, a built type's two descriptions and each feature's name, info and button texts.
TEST_F(AssetLint, EveryTypeHasItsInfoPanelIconsAndTexts) {
    brasquel::GBuildingsConfiguration* types = world().application->getBuildingsConfiguration();
    ASSERT_TRUE(types && types->size() > 0);
    ASSERT_TRUE(world().dictionary);
    const CTextDictionary& dictionary = *world().dictionary;
    const std::set<std::string> regions = atlasRegionNames(world());
    std::vector<std::string> problems;
    bool sawPlace = false;
    auto needText = [&](const std::string& label, const char* field, const std::string& text) {
        if (text.empty()) {
            problems.push_back(label + ": no " + field);
            return;
        }
        for (const std::string& key : catalogueTextKeys(text))
            if (!dictionary.hasKey(stringc(key.c_str())))
                problems.push_back(label + ": its " + field + " " + key +
                                   " is not in the dictionary");
    };
    for (const auto& [name, type] : types->getTypes()) {
        const std::string label = name.getName().c_str();
        sawPlace = sawPlace || type->Level <= 0;
        for (const std::string& icon :
             {TypeIconFolder + label + ".png", TypeIconFolder + label + SnowIconSuffix + ".png"})
            if (!regions.count(icon)) problems.push_back(label + ": no icon " + icon);
        needText(label, "DisplayName", type->DisplayName.c_str());
        if (type->Level > 0) {
            needText(label, "Description", narrow(type->Description));
            needText(label, "FullDescription", narrow(type->FullDescription));
        }
        for (u32 f = 0; f < type->Features.size(); ++f) {
            const std::string feature = label + " feature " + std::to_string(f + 1);
            needText(feature, "Name", narrow(type->Features[f].Name));
            needText(feature, "InfoText", narrow(type->Features[f].InfoText));
            needText(feature, "ButtonInfoText", narrow(type->Features[f].ButtonInfoText));
        }
    }
    EXPECT_TRUE(sawPlace) << "the catalogue has no empty building place";
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// The stars below the panel's icon are atlas regions, and the texts of the panel's figures, of
// the tooltips, of the running processes and of every page's hint line are in the dictionary.
TEST_F(AssetLint, TheInfoPanelsStarsAndTheHintAndTooltipTextsAreThere) {
    ASSERT_TRUE(world().dictionary);
    const std::set<std::string> regions = atlasRegionNames(world());
    std::vector<std::string> problems;
    for (const char* star : InfoPanelStars)
        if (!regions.count(star)) problems.push_back(std::string(star) + ": no such picture");
    std::vector<const char*> keys(std::begin(InfoPanelKeys), std::end(InfoPanelKeys));
    keys.insert(keys.end(), std::begin(PlayHintKeys), std::end(PlayHintKeys));
    for (const char* key : keys)
        if (!world().dictionary->hasKey(stringc(key)))
            problems.push_back(std::string(key) + ": not in the dictionary");
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// ---- The tutorials ----

// The step files with the scene file of the screen that runs each.
const std::pair<const char*, const char*> TutorialFiles[] = {
    {"levels/level1/Tutorial.xml", "scenes/GamePlayScene.oscn"},
    {"levels/level2/Tutorial.xml", "scenes/GamePlayScene.oscn"},
    {"scenes/MapTutorial1.xml", "scenes/MapScene.oscn"},
    {"scenes/MapTutorial2.xml", "scenes/MapScene.oscn"},
    {"scenes/ShopTutorial1.xml", "scenes/ShopScene.oscn"},
    {"scenes/ShopTutorial2.xml", "scenes/ShopScene.oscn"},
};

// The node of that name anywhere below the root, or none.
BaseNode* findNamed(BaseNode* root, const std::string& name) {
    return root ? root->findChildByName(CNameId(name.c_str()).getId(), 0) : nullptr;
}

// Every node of that name below the root.
void collectNamed(BaseNode* root, s32 nameId, std::vector<BaseNode*>& found) {
    for (BaseNode* child : root->getChildren()) {
        if (child->getNameId() == nameId) found.push_back(child);
        collectNamed(child, nameId, found);
    }
}

// Whether the point lies in the screen rectangle of the node's bounds (its ancestors' transforms
// brought up to date first).
bool covers(BaseNode* node, const vector2df& point) {
    std::vector<BaseNode*> chain;
    for (BaseNode* at = node; at; at = at->getParent()) chain.push_back(at);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->updateAbsoluteTransform();
    const rectf box = node->getAbsoluteBoundsRect();
    return point.X >= box.UpperLeftCorner.X && point.X <= box.LowerRightCorner.X &&
           point.Y >= box.UpperLeftCorner.Y && point.Y <= box.LowerRightCorner.Y;
}

std::vector<std::string> splitNames(const stringw& text) {
    std::vector<std::string> names;
    std::stringstream parts(narrow(text));
    std::string piece;
    while (std::getline(parts, piece, ';'))
        if (!piece.empty()) names.push_back(piece);
    return names;
}

// Each step file read with the engine's reader reaches its closing "Tutorial"; the controls its
// steps ask the player to press are in the screen's scene as the game loads it, and a step's
// arrow tip lies on such a control; the texts resolve in the dictionary.
TEST_F(AssetLint, TheTutorialsReadToTheirEndAndPointAtTheirControls) {
    std::vector<std::string> problems;
    for (const auto& [file, host] : TutorialFiles) {
        const std::string label = file;
        CRefPtr<BaseNode> screen = loadScene<BaseNode>(world(), host);
        ASSERT_TRUE(screen) << host;
        CXmlReader* reader = world().files->createXmlReader(stringc(file));
        ASSERT_NE(reader, nullptr) << file;
        bool closed = false;
        u32 steps = 0;
        std::vector<std::string> controls;
        std::vector<vector2df> tips;
        auto checkStep = [&]() {
            for (const vector2df& tip : tips) {
                bool onOne = false;
                for (const std::string& name : controls) {
                    std::vector<BaseNode*> nodes;
                    collectNamed(screen.get(), CNameId(name.c_str()).getId(), nodes);
                    for (BaseNode* node : nodes) onOne |= covers(node, tip);
                }
                if (!controls.empty() && !onOne)
                    problems.push_back(label + ": step " + std::to_string(steps) +
                                       ": its arrow stands on none of its controls");
            }
            controls.clear();
            tips.clear();
        };
        while (reader->read()) {
            const std::string name = narrow(reader->getNodeName());
            if (reader->getNodeType() == XmlNodeElementEnd && name == "Tutorial") {
                closed = true;
                break;
            }
            if (reader->getNodeType() != XmlNodeElement) continue;
            if (name == "Hint") {
                if (steps > 0) checkStep();
                ++steps;
            } else if (name == "Text") {
                const std::string text = narrow(reader->getAttributeValue(L"Value"));
                if (text.size() > 2 && text.front() == '%' &&
                    !world().dictionary->hasKey(stringc(text.substr(1, text.size() - 2).c_str())))
                    problems.push_back(label + ": no text " + text);
            } else if (name == "Action") {
                for (const std::string& control : splitNames(reader->getAttributeValue(L"Controls"))) {
                    if (!findNamed(screen.get(), control))
                        problems.push_back(label + ": no control " + control + " in " + host);
                    controls.push_back(control);
                }
                const stringw list = reader->getAttributeValue(L"List");
                if (!list.empty()) {
                    BaseNode* node = findNamed(screen.get(), narrow(list));
                    if (!node || !node->isKindOf(NodeTypeList))
                        problems.push_back(label + ": no list " + narrow(list) + " in " + host);
                }
            } else if (name == "Arrow") {
                std::stringstream at(narrow(reader->getAttributeValue(L"Position")));
                f32 x = 0.0f, y = 0.0f;
                char separator = 0;
                at >> x >> separator >> y;
                tips.emplace_back(x, y);
            }
        }
        checkStep();
        reader->drop();
        if (!closed) problems.push_back(label + ": ends before </Tutorial>");
        if (steps == 0) problems.push_back(label + ": no steps");
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// The window's OK button lies in its text, shown by the task look and hidden by the hint look;
// the arrow's template holds its picture.
TEST_F(AssetLint, TheTutorialWindowHasItsOkButtonAndTheArrowItsPicture) {
    TemplateCollectionNode* templates = world().menuTemplates.get();
    ASSERT_NE(templates, nullptr);
    BaseNode* window = templates->findTemplate(CNameId("TutorialWindow").getId());
    ASSERT_NE(window, nullptr);
    BaseNode* button = childOf(childOf(window, "Text"), "Button");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isKindOf(NodeTypeButton));
    EXPECT_FALSE(button->isVisible());
    EXPECT_TRUE(hasState(button, "Type1") && hasState(button, "Type2"));
    for (const char* name : {"TutorialOkButton", "TutorialSkipButton"}) {
        BaseNode* face = templates->findTemplate(CNameId(name).getId());
        EXPECT_TRUE(face && childOf(face, "Text")) << name;
    }
    BaseNode* arrow = templates->findTemplate(CNameId("TutorialArrow").getId());
    ASSERT_NE(arrow, nullptr);
    BaseNode* picture = childOf(arrow, "Arrow");
    ASSERT_TRUE(picture && picture->isKindOf(NodeTypeSprite));
    // the tip (the picture's bottom middle) is the template's origin
    const vector3df& at = picture->getPosition();
    EXPECT_FLOAT_EQ(at.X + picture->getBounds().X / 2.0f, 0.0f);
    EXPECT_FLOAT_EQ(at.Y + picture->getBounds().Y, 0.0f);
    const std::set<std::string> regions = atlasRegionNames(world());
    EXPECT_TRUE(regions.count("scenes/images/GameMenu/Tutorial/Arrow.png"));
    EXPECT_TRUE(regions.count("scenes/images/GameMenu/Tutorial/Wave.png"));
}


// ---- The mini-games ----

// The click points the mini-games' generator records: folder, item, x, y on the screen.
struct SClickPoint {
    std::string folder;
    std::string item;
    f32 x = 0.0f;
    f32 y = 0.0f;
};

std::vector<SClickPoint> miniGameClickPoints() {
    std::vector<SClickPoint> points;
    std::ifstream file(SourceDir / "tests/assets/MiniGameClickPoints.txt");
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        SClickPoint point;
        if (fields >> point.folder >> point.item >> point.x >> point.y) points.push_back(point);
    }
    return points;
}

void updateTransforms(BaseNode* node) {
    node->updateAbsoluteTransform();
    for (BaseNode* child : node->getChildren()) updateTransforms(child);
}

bool isWithin(const BaseNode* node, const BaseNode* ancestor) {
    for (; node; node = node->getParent())
        if (node == ancestor) return true;
    return false;
}

// Each hidden item, in the mini-game's scene as the game loads it, is what a click on its
// recorded point finds, and every item has a point and a hint path of its name that ends there.
TEST_F(AssetLint, TheMiniGamesItemsAreFoundAtTheirClickPointsAndHaveHintPaths) {
    const std::vector<SClickPoint> points = miniGameClickPoints();
    ASSERT_FALSE(points.empty());
    std::vector<std::string> problems;
    std::map<std::string, std::set<std::string>> pointed;
    for (const SClickPoint& point : points) pointed[point.folder].insert(point.item);
    EXPECT_EQ(pointed.size(), 3u) << "three hidden-object folders have click points";
    for (const auto& [folder, names] : pointed) {
        const std::string file = "levels/" + folder + "/Level.oscn";
        CRefPtr<BaseNode> scene = loadScene<BaseNode>(world(), file.c_str());
        if (!scene) {
            problems.push_back(file + ": does not load");
            continue;
        }
        updateTransforms(scene.get());
        BaseNode* items = nodeAt(scene.get(), "Scene/Game/HitObjects");
        if (!items) {
            problems.push_back(file + ": no Scene/Game/HitObjects");
            continue;
        }
        std::set<std::string> children;
        for (BaseNode* child : items->getChildren()) children.insert(child->getNodeName().c_str());
        if (children != names) problems.push_back(file + ": items and click points differ");

        auto paths = makeRef<brasquel::GLevelPaths>();
        const std::string pathsFile = "levels/" + folder + "/HintPaths.xml";
        CXmlReader* reader = world().files->createXmlReader(stringc(pathsFile.c_str()));
        if (!reader || !paths->read(reader)) problems.push_back(pathsFile + ": does not read");
        if (reader) reader->drop();

        for (const SClickPoint& point : points) {
            if (point.folder != folder) continue;
            const std::string where = file + ": " + point.item;
            BaseNode* item = items->findChildByName(CNameId(point.item.c_str()).getId(), 1);
            BaseNode* found = scene->findNodeAt(vector2df(point.x, point.y));
            if (!item || !isWithin(found, item))
                problems.push_back(where + ": a click at its point finds " +
                                   (found ? std::string(found->getNodeName().c_str()) : "nothing"));
            const auto route = paths->getCarPaths(CNameId(point.item.c_str()).getId());
            if (route.size() != 1 || route[0]->Points.size() < 2) {
                problems.push_back(where + ": no hint path of two points or more");
            } else {
                const auto& last = route[0]->Points.back();
                if (last.x != point.x || last.y != point.y)
                    problems.push_back(where + ": its hint path does not end on its point");
            }
        }
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// What the mini-games' code loads by name: the previews of the ordered game, the banknotes of
// the auction and the two templates of the menus' collection.
TEST_F(AssetLint, TheMiniGamesPreviewsBanknotesAndTemplatesLoad) {
    std::vector<std::string> problems;
    auto loads = [&](const std::string& name) {
        CResource* texture =
            world().content->getContentByPath(TypeCodeAtlasTexture, stringc(name.c_str()), false);
        if (!texture || texture->getTypeCode() != TypeCodeAtlasTexture)
            problems.push_back(name + " does not load as a picture");
        if (texture) texture->drop();
    };
    for (const SClickPoint& point : miniGameClickPoints())
        if (point.folder == "minigame_hidden2")
            loads("levels/minigame_hidden2/Preview/" + point.item + ".png");
    for (int value = 1; value <= 6; ++value) {
        loads("levels/minigame_auction/Money/" + std::to_string(value) + ".png");
        loads("levels/minigame_auction/Money/" + std::to_string(value) + "over.png");
    }
    for (const auto& [name, type] : {std::pair<const char*, s32>{"HOFoundStarNode",
                                                                 brasquel::GameNodeTypeShieldStarNode},
                                     {"TextTrailStar", brasquel::GameNodeTypeTextTrailNode}}) {
        BaseNode* found = world().menuTemplates
                              ? world().menuTemplates->findTemplate(CNameId(name).getId())
                              : nullptr;
        if (!found || !found->isKindOf(type))
            problems.push_back(std::string(name) + " is no template of its class");
    }
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

}  // namespace
}  // namespace oskel::test
