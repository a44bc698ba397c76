#include "game/scenes/GIntroScene.h"

#include "engine/audio/SoundPack.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/ConfigurationFile.h"
#include "game/config/GExternalHooks.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IConfigurationTable.h"
#include "game/config/IGameServices.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"

namespace brasquel {

using namespace oskel;

namespace {

const GIntroScene::SLoadStep kLoadSteps[GIntroScene::StepCount] = {
    {&GIntroScene::registerNodeClasses, 10.0f},
    {&GIntroScene::loadSoundPack, 20.0f},
    {&GIntroScene::loadBuildingsAtlas, 10.0f},
    {&GIntroScene::loadEnvironmentAtlases, 10.0f},
    {&GIntroScene::loadMiniGameAtlases, 10.0f},
    {&GIntroScene::loadMainMenuAtlas, 10.0f},
    {&GIntroScene::loadGameMenuAtlas, 10.0f},
    {&GIntroScene::loadOtherMenuAtlases, 10.0f},
    {&GIntroScene::loadMenuParticlesAndTemplates, 30.0f},
    {&GIntroScene::loadLevelParticlesAndTemplates, 30.0f},
    {&GIntroScene::loadConfiguration, 5.0f},
    {&GIntroScene::loadComicsConfiguration, 5.0f},
};

const char* const kFireworkFiles[] = {
    "levels/common/Fireworks/1/f.oscn",
    "levels/common/Fireworks/2/f.oscn",
    "levels/common/Fireworks/3/f.oscn",
    "levels/common/Fireworks/4/f.oscn",
};

}  // namespace

const GIntroScene::SLoadStep* GIntroScene::getLoadSteps() { return kLoadSteps; }

const char* const* GIntroScene::getFireworkFiles(u32& count) {
    count = sizeof(kFireworkFiles) / sizeof(kFireworkFiles[0]);
    return kFireworkFiles;
}

GIntroScene::GIntroScene(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

GIntroScene::~GIntroScene() = default;

BaseNode* GIntroScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GIntroScene>(this, parent, manager);
}

const stringw& GIntroScene::getClassName() const {
    static const stringw name(L"GIntroScene");
    return name;
}

const stringw& GIntroScene::getThisClassName() const {
    static const stringw name(L"GIntroScene");
    return name;
}

s32 GIntroScene::getTypeId() const { return GameNodeTypeIntroScene; }

bool GIntroScene::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeIntroScene || GBaseSceneNode::isKindOf(typeId);
}

void GIntroScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* body = findChildByName("Scene", 1);
    m_progressBackground = body ? body->findChildByName("ProgressBg", 1) : nullptr;
    m_progressBar = body ? body->findChildByName("Progress", 1) : nullptr;
    m_totalWeight = 0.0f;
    for (u32 i = 0; i < StepCount; ++i) m_totalWeight += kLoadSteps[i].weight;
}

bool GIntroScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    return entersThis(event, this);
}

bool GIntroScene::onSceneChangeFinished(CEvent* event) {
    GBaseSceneNode::onSceneChangeFinished(event);
    if (!entersThis(event, this)) return false;
    m_stepClock = 0;
    return true;
}

bool GIntroScene::onNodePressed(CEvent* event) { return GBaseSceneNode::onNodePressed(event); }

bool GIntroScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    if (m_switched) return true;
    m_stepClock += static_cast<s32>(periodMs);
    if (m_stepClock > StepInterval) {
        m_stepClock = 0;
        if (m_nextStep < StepCount) {
            const SLoadStep& step = kLoadSteps[m_nextStep];
            (this->*step.run)();
            m_reachedProgress += step.weight;
            ++m_nextStep;
        } else if (m_shownProgress == m_reachedProgress) {
            if (!m_finishLogged) {
                CLogger::instance().logHint("Loading finished", "GIntroScene", LogInformation);
                m_finishLogged = true;
            }
            // Until the main menu can be loaded the switch is refused: it is tried again at every
            // step time and logged once.
            CRefPtr<BaseNode> keep(this);
            if (switchToSceneFile(NextSceneFile, false, transitionStates().NavFrom,
                                  transitionStates().NavTo, m_switchFailureLogged)) {
                m_switched = true;
                setUpdateSource(nullptr);
                return true;
            }
            m_switchFailureLogged = true;
        }
    }
    updateBar();
    return true;
}

void GIntroScene::updateBar() {
    if (m_totalWeight == 0.0f || m_shownProgress == m_reachedProgress) return;
    m_shownProgress += m_totalWeight / BarStepsToFill;
    if (m_shownProgress > m_reachedProgress) m_shownProgress = m_reachedProgress;
    if (!m_progressBackground || !m_progressBar) return;
    const vector3df& full = m_progressBackground->getBounds();
    m_progressBar->setBounds(full.X * m_shownProgress / m_totalWeight, full.Y);
    m_progressBar->markTransformDirty();
    m_progressBar->updateAbsoluteTransform();
}

void GIntroScene::keepCollection(u32 typeCode, const char* path) {
    IContentManager* content = getContentManager();
    CResource* loaded =
        content ? content->getContentByPath(typeCode, stringc(path), true) : nullptr;
    if (!loaded) {
        CLogger::instance().logHint("Preloader skips a missing file", path, LogWarning);
        return;
    }
    std::vector<CRefPtr<CResource>>& kept =
        typeCode == TypeCodeParticleCollection ? m_particles : m_atlases;
    kept.push_back(CRefPtr<CResource>::fromRaw(loaded));
}

CRefPtr<BaseNode> GIntroScene::loadTemplates(const char* path) {
    IContentManager* content = getContentManager();
    CResource* loaded =
        content ? content->getContentByPath(TypeCodeSceneNode, stringc(path), true) : nullptr;
    if (!loaded) {
        CLogger::instance().logHint("Preloader skips a missing file", path, LogWarning);
        return nullptr;
    }
    CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
    if (loaded->getTypeCode() != TypeCodeSceneNode) return nullptr;
    auto* node = static_cast<BaseNode*>(loaded);
    if (!node->isKindOf(NodeTypeTemplateCollection)) {
        CLogger::instance().logHint("Not a template collection", path, LogWarning);
        return nullptr;
    }
    return CRefPtr<BaseNode>(node);
}

void GIntroScene::readTable(const char* path, IConfigurationTable* table) {
    IGameServices* services = IGameServices::get();
    CFileSystem* files = services ? services->getFileSystem() : nullptr;
    if (!table || !files) return;
    readConfigurationFile(files, path, table);
}

void GIntroScene::registerNodeClasses() {
    if (IGameServices* services = IGameServices::get()) services->registerNodeClasses();
}

void GIntroScene::loadSoundPack() {
    IContentManager* content = getContentManager();
    CResource* loaded =
        content ? content->getContentByPath(TypeCodeSoundPack, stringc(SoundPackFile), true)
                : nullptr;
    if (!loaded) {
        CLogger::instance().logHint("Preloader skips a missing file", SoundPackFile, LogWarning);
        return;
    }
    IGameServices* services = IGameServices::get();
    if (auto* pack = dynamic_cast<SoundPack*>(loaded); pack && services)
        pack->registerCues(services->getSoundGroupManager());
    loaded->drop();
}

void GIntroScene::loadBuildingsAtlas() {
    keepCollection(TypeCodeAtlasCollection, "atlases/Buildings.xml");
}

void GIntroScene::loadEnvironmentAtlases() {
    keepCollection(TypeCodeAtlasCollection, "atlases/Env1.xml");
    keepCollection(TypeCodeAtlasCollection, "atlases/Env2.xml");
}

void GIntroScene::loadMiniGameAtlases() {
    keepCollection(TypeCodeAtlasCollection, "atlases/Minigame1.xml");
    keepCollection(TypeCodeAtlasCollection, "atlases/Minigame2.xml");
    keepCollection(TypeCodeAtlasCollection, "atlases/Minigame3.xml");
    keepCollection(TypeCodeAtlasCollection, "atlases/Minigame4.xml");
}

void GIntroScene::loadMainMenuAtlas() {
    keepCollection(TypeCodeAtlasCollection, "atlases/MainMenu.xml");
}

void GIntroScene::loadGameMenuAtlas() {
    keepCollection(TypeCodeAtlasCollection, "atlases/GameMenu.xml");
}

void GIntroScene::loadOtherMenuAtlases() {
    keepCollection(TypeCodeAtlasCollection, "atlases/ObjMenu.xml");
    keepCollection(TypeCodeAtlasCollection, "atlases/ShopMenu.xml");
    keepCollection(TypeCodeAtlasCollection, "atlases/MapMenu.xml");
}

void GIntroScene::loadMenuParticlesAndTemplates() {
    keepCollection(TypeCodeParticleCollection, MenuParticlesFile);
    CRefPtr<BaseNode> templates = loadTemplates(MenuTemplatesFile);
    IGameServices* services = IGameServices::get();
    SceneManager* menus = services ? services->getSceneManager() : nullptr;
    if (templates && menus)
        menus->setTemplateCollection(static_cast<TemplateCollectionNode*>(templates.get()));
}

void GIntroScene::loadLevelParticlesAndTemplates() {
    keepCollection(TypeCodeParticleCollection, LevelParticlesFile);
    CRefPtr<BaseNode> templates = loadTemplates(LevelTemplatesFile);
    if (!templates) return;
    auto* collection = static_cast<TemplateCollectionNode*>(templates.get());
    IGameServices* services = IGameServices::get();
    if (SceneManager* world = services ? services->getWorldSceneManager() : nullptr)
        world->setTemplateCollection(collection);
    IContentManager* content = getContentManager();
    for (const char* file : kFireworkFiles) {
        CResource* loaded =
            content ? content->getContentByPath(TypeCodeSceneNode, stringc(file), true) : nullptr;
        if (!loaded) {
            CLogger::instance().logHint("Preloader skips a missing file", file, LogWarning);
            continue;
        }
        if (loaded->getTypeCode() == TypeCodeSceneNode)
            collection->addTemplate(static_cast<BaseNode*>(loaded));
        loaded->drop();
    }
}

void GIntroScene::loadConfiguration() {
    IGameServices* services = IGameServices::get();
    if (!services) return;
    readTable(BuildingsFile, services->getBuildingsConfiguration());
    readTable(UpgradesFile, services->getUpgradesConfiguration());
    readTable(LevelScoresFile, services->getLevelScores());
}

void GIntroScene::loadComicsConfiguration() {
    IGameServices* services = IGameServices::get();
    if (!services) return;
    readTable(ComicsFile, services->getComicsConfiguration());
    if (GExternalHooks* hooks = services->getExternalHooks()) hooks->onLoadingFinished();
}

}  // namespace brasquel
