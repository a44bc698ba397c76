#pragma once

// Loading a level folder headless, as the preloader and the play screen do it, for the programs
// that play levels outside the game (level_sim, the level benchmark): the level's services, the
// game's node classes, the content the level needs and the folder's files.

#include <string>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CRefPtr.h"
#include "engine/io/CTextDictionary.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/IGameServices.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GLevelUpgrades.h"

namespace oskel {
class IDevice;
class SceneManager;
}  // namespace oskel

namespace brasquel::levelsim {

// One turn of the loop, in milliseconds of game time.
constexpr oskel::u32 TurnMs = 10;

// The folder with a closing slash, as the level's files are named under it.
std::string withSlash(std::string folder);

// Seeds the one random generator, before anything loads: both its halves from the seed.
void seedRandom(oskel::u32 seed);

// The game's services the level uses.
class SimServices : public IGameServices {
public:
    ComicsConfiguration* getComicsConfiguration() const override { return nullptr; }
    UpgradesConfiguration* getUpgradesConfiguration() const override { return upgrades.get(); }
    LevelScores* getLevelScores() const override { return scores.get(); }
    GBuildingsConfiguration* getBuildingsConfiguration() const override { return buildings.get(); }
    GExternalHooks* getExternalHooks() const override { return nullptr; }
    GLogosConfiguration* getLogosConfiguration() const override { return nullptr; }
    oskel::SceneManager* getSceneManager() const override { return nullptr; }
    oskel::SceneManager* getWorldSceneManager() const override { return world; }
    oskel::CSoundGroupManager* getSoundGroupManager() const override { return groups.get(); }
    oskel::u32 registerNodeClasses() override { return 0; }
    void releaseUnused() override {}
    oskel::CFileSystem* getFileSystem() const override { return files; }
    oskel::CTextDictionary* getTextDictionary() const override { return dictionary.get(); }

    oskel::CRefPtr<UpgradesConfiguration> upgrades = oskel::makeRef<UpgradesConfiguration>();
    oskel::CRefPtr<LevelScores> scores = oskel::makeRef<LevelScores>();
    oskel::CRefPtr<GBuildingsConfiguration> buildings = oskel::makeRef<GBuildingsConfiguration>();
    oskel::CRefPtr<oskel::CSoundGroupManager> groups;
    oskel::CRefPtr<oskel::CTextDictionary> dictionary;
    oskel::SceneManager* world = nullptr;
    oskel::CFileSystem* files = nullptr;
};

// Registers the node classes a level folder is made of.
void registerLevelNodeClasses();

// A resource of the content manager, or null (logged) when it is missing or of another type.
oskel::CRefPtr<oskel::CResource> loadResource(oskel::IContentManager* content, oskel::u32 typeCode,
                                              const std::string& path);

// The buildings and upgrades tables from the folder (levels/common/ when empty), and the
// level scores. False when a table is missing or damaged.
bool readTables(oskel::CFileSystem* files, SimServices& services, const std::string& tables);

// What the preloader keeps loaded for the level: the atlases and the level templates.
struct SGameContent {
    oskel::CRefPtr<oskel::CResource> atlas;
    oskel::CRefPtr<oskel::CResource> env1;
    oskel::CRefPtr<oskel::CResource> env2;
    oskel::CRefPtr<oskel::CResource> templates;
    oskel::TemplateCollectionNode* collection = nullptr;
    bool tables = false;
    bool ready() const { return collection && tables; }
};

// The preloader's steps the level needs, into the services and the world scene manager: the
// sound pack, the dictionary, the Buildings and Env atlases, the level templates and the tables.
// The services' files and sound groups are set up by the caller.
void loadGameContent(oskel::IDevice* device, oskel::IContentManager* content,
                     oskel::SceneManager* scenes, SimServices& services, const std::string& tables,
                     SGameContent& out);

// The upgrades the player owns when a level starts, applied at the level's map location: the
// free ones (and those of the active player, when there is one), or the campaign's: the free ones
// and those that the level or an earlier one requires.
enum EOwnedUpgrades : oskel::s32 {
    OwnedFreeUpgrades = 0,
    OwnedCampaignUpgrades = 1,
};

// Fills the level's upgrades by the rule at the level's map location. The campaign's are
// collected for a player of the harness's own, made active meanwhile.
void collectOwnedUpgrades(const UpgradesConfiguration* table,
                          const GLevelConfiguration& configuration, EOwnedUpgrades owned,
                          GLevelUpgrades& out);

// A level folder as the play screen reads it.
struct SLevelFolder {
    oskel::CRefPtr<GGameLevelScene> level;
    oskel::CRefPtr<GLevelConfiguration> configuration;
    oskel::CRefPtr<GLevelPaths> paths;
    oskel::CRefPtr<GLevelUpgrades> upgrades;
};

// Reads "Level.oscn", "LevelConfiguration.xml" (joined with its level-scores entry),
// "LevelPaths.xml" and the owned upgrades of the folder (ending in '/'). False (logged) when
// the scene or the configuration is missing or damaged.
bool readLevelFolder(oskel::IContentManager* content, oskel::CFileSystem* files,
                     const SimServices& services, const std::string& folder, SLevelFolder& out,
                     EOwnedUpgrades owned = OwnedFreeUpgrades);

// The play screen's five set-up calls, then the level shown in the scene manager, running.
bool startLevel(const SLevelFolder& folder, const SimServices& services,
                oskel::SceneManager* scenes);

// One turn of the loop, before its draw: the level's clocks by a turn, then the scene manager.
void advanceTurn(GGameLevelScene* level, oskel::SceneManager* scenes);

}  // namespace brasquel::levelsim
