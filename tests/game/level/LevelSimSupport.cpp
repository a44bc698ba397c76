#include "tests/game/level/LevelSimSupport.h"

#include "engine/audio/SoundPack.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/device/IDevice.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneNode.h"
#include "game/config/ConfigurationFile.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GPathMovableNode.h"
#include "game/scenes/GMapScene.h"
#include "game/world/GPathMovers.h"

using namespace oskel;

namespace brasquel::levelsim {

namespace {

// The low word the generator's other half starts from, with every seed.
constexpr u32 SeedHighWord = 0x2545F491u;

const char* const AtlasFile = "atlases/Buildings.xml";
const char* const Env1File = "atlases/Env1.xml";
const char* const Env2File = "atlases/Env2.xml";
const char* const TemplatesFile = "levels/common/TemplateCollection.oscn";
const char* const SoundPackFile = "sounds/SoundPack.xml";
const char* const DictionaryFile = "strings/Dictionary.xml";
const char* const CommonTables = "levels/common/";
const char* const LevelScoresFile = "levels/common/LevelScores.xml";
// The player the campaign's upgrades are collected for.
const wchar_t* const CampaignPlayer = L"level_sim campaign";

template <class T>
BaseNode* createNode(const CCreationContext& context) {
    return new T(context);
}

}  // namespace

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

void seedRandom(u32 seed) {
    CRandom::instance().seed(seed);
    CRandom::instance().setLowGeneratorState(seed, SeedHighWord);
}

void registerLevelNodeClasses() {
    CNodeFactory& factory = CNodeFactory::instance();
    factory.registerNodeClass(L"GEllipseSectorNode", &createNode<GEllipseSectorNode>);
    factory.registerNodeClass(L"GBuildingNode", &createNode<GBuildingNode>);
    factory.registerNodeClass(L"GGameLevelScene", &createNode<GGameLevelScene>);
    factory.registerNodeClass(L"GPathMovableNode", &createNode<GPathMovableNode>);
    factory.registerNodeClass(L"GCarNode", &createNode<GCarNode>);
    factory.registerNodeClass(L"GPedestrianNode", &createNode<GPedestrianNode>);
    factory.registerNodeClass(L"GBirdNode", &createNode<GBirdNode>);
    factory.registerNodeClass(L"GTextTrailNode", &createNode<GTextTrailNode>);
}

CRefPtr<CResource> loadResource(IContentManager* content, u32 typeCode, const std::string& path) {
    CResource* resource = content->getContentByPath(typeCode, stringc(path.c_str()), false);
    if (!resource || resource->getTypeCode() != typeCode) {
        if (resource) resource->drop();
        CLogger::instance().logHint("level_sim: not loaded", path.c_str(), LogError);
        return CRefPtr<CResource>();
    }
    return CRefPtr<CResource>::fromRaw(resource);
}

bool readTables(CFileSystem* files, SimServices& services, const std::string& tables) {
    const std::string folder = tables.empty() ? std::string(CommonTables) : withSlash(tables);
    const std::string buildings = folder + "BuildingsConfiguration.xml";
    const std::string upgrades = folder + "UpgradesConfiguration.xml";
    if (readConfigurationFile(files, buildings.c_str(), services.buildings.get()) !=
            ConfigurationFileRead ||
        readConfigurationFile(files, upgrades.c_str(), services.upgrades.get()) !=
            ConfigurationFileRead)
        return false;
    static_cast<void>(readConfigurationFile(files, LevelScoresFile, services.scores.get()));
    return services.buildings->size() > 0;
}

void loadGameContent(IDevice* device, IContentManager* content, SceneManager* scenes,
                     SimServices& services, const std::string& tables, SGameContent& out) {
    if (CRefPtr<CResource> pack = loadResource(content, TypeCodeSoundPack, SoundPackFile))
        static_cast<SoundPack*>(pack.get())->registerCues(services.groups.get());
    services.dictionary = makeRef<CTextDictionary>(device->getFileSystem());
    static_cast<void>(services.dictionary->load(stringc(DictionaryFile)));
    out.atlas = loadResource(content, TypeCodeAtlasCollection, AtlasFile);
    out.env1 = loadResource(content, TypeCodeAtlasCollection, Env1File);
    out.env2 = loadResource(content, TypeCodeAtlasCollection, Env2File);
    out.templates = loadResource(content, TypeCodeSceneNode, TemplatesFile);
    out.collection = dynamic_cast<TemplateCollectionNode*>(out.templates.get());
    if (out.collection) scenes->setTemplateCollection(out.collection);
    out.tables = readTables(device->getFileSystem(), services, tables);
}

void collectOwnedUpgrades(const UpgradesConfiguration* table,
                          const GLevelConfiguration& configuration, EOwnedUpgrades owned,
                          GLevelUpgrades& out) {
    if (!table) return;
    const s32 level = configuration.LevelNumber;
    const s32 location = GMapScene::locationOfLevel(level);
    if (owned != OwnedCampaignUpgrades) {
        out.collect(table, &configuration.AvailableBuildingsForBuild, location);
        return;
    }
    stringc required;
    for (const auto& entry : table->getRecords())
        if (entry.second->ObligatoryLevel >= 1 && entry.second->ObligatoryLevel <= level)
            required = appendNameToList(required, entry.first.getName());
    CProfileManager& profiles = CProfileManager::instance();
    const s32 before = profiles.getProfileIndex(profiles.getActiveProfile());
    if (!profiles.findProfile(CampaignPlayer))
        static_cast<void>(profiles.addProfile(CampaignPlayer));
    const s32 index = profiles.getProfileIndex(profiles.findProfile(CampaignPlayer));
    profiles.setActiveProfile(index);
    if (CProfile* player = profiles.getActiveProfile()) {
        player->setString(ProfileKeyBoughtUpgrades, required);
        out.collect(table, &configuration.AvailableBuildingsForBuild, location);
    }
    profiles.removeProfile(index);
    profiles.setActiveProfile(before < index ? before : before - 1);
}

bool readLevelFolder(IContentManager* content, CFileSystem* files, const SimServices& services,
                     const std::string& folder, SLevelFolder& out, EOwnedUpgrades owned) {
    CRefPtr<CResource> scene = loadResource(content, TypeCodeSceneNode, folder + "Level.oscn");
    auto* node = dynamic_cast<BaseNode*>(scene.get());
    if (!node || !node->isKindOf(GameNodeTypeGameLevelScene)) {
        CLogger::instance().logHint("level_sim: no level scene", folder.c_str(), LogError);
        return false;
    }
    out.level = CRefPtr<GGameLevelScene>(static_cast<GGameLevelScene*>(node));

    out.configuration = makeRef<GLevelConfiguration>();
    CXmlReader* reader =
        files->createXmlReader(stringc((folder + "LevelConfiguration.xml").c_str()));
    if (!reader) {
        CLogger::instance().logHint("Unable to find configuration for the level", folder.c_str(),
                                    LogError);
        return false;
    }
    const bool read = out.configuration->read(reader);
    reader->drop();
    if (!read) {
        CLogger::instance().logHint("level_sim: damaged level configuration", folder.c_str(),
                                    LogError);
        return false;
    }
    out.configuration->joinLevelScores(*services.scores);
    out.paths = makeRef<GLevelPaths>();
    if (CXmlReader* pathReader =
            files->createXmlReader(stringc((folder + "LevelPaths.xml").c_str()))) {
        static_cast<void>(out.paths->read(pathReader));
        pathReader->drop();
    }
    out.upgrades = makeRef<GLevelUpgrades>();
    collectOwnedUpgrades(services.upgrades.get(), *out.configuration, owned, *out.upgrades);
    return true;
}

bool startLevel(const SLevelFolder& folder, const SimServices& services, SceneManager* scenes) {
    GGameLevelScene* level = folder.level.get();
    level->setBuildingsConfiguration(services.buildings.get());
    level->setLevelConfiguration(folder.configuration.get());
    level->setUpgradeEffects(folder.upgrades.get());
    level->setLevelPaths(folder.paths.get());
    level->setPaused(false);
    if (!scenes->setScene(level)) {
        logError("level_sim: the level cannot be shown");
        return false;
    }
    return true;
}

void advanceTurn(GGameLevelScene* level, SceneManager* scenes) {
    CRefPtr<GGameLevelScene> keep(level);
    if (CTimerScheduler* clock = level->getTimerScheduler()) clock->update(TurnMs);
    scenes->update(0);
}

}  // namespace brasquel::levelsim
