#include "game/minigames/GMiniGameScene.h"

#include <cmath>

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GCompletionRules.h"
#include "game/config/GExternalHooks.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GLevelPaths.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/scenes/GSceneSupport.h"
#include "game/world/GShieldStarNode.h"

namespace brasquel {

using namespace oskel;

namespace {

s32 stateOf(const char* name) { return CNameId(name).getId(); }

CFileSystem* fileSystem() {
    IGameServices* services = IGameServices::get();
    return services ? services->getFileSystem() : nullptr;
}

}  // namespace

GMiniGameScene* asMiniGameScene(BaseNode* node) {
    return node && node->isKindOf(GameNodeTypeMiniGameScene) ? static_cast<GMiniGameScene*>(node)
                                                             : nullptr;
}

GMiniGameScene::GMiniGameScene(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setUpdatePeriod(BaseUpdatePeriod);
}

GMiniGameScene::~GMiniGameScene() = default;

BaseNode* GMiniGameScene::clone(BaseNode*, SceneManager*) const { return nullptr; }

const stringw& GMiniGameScene::getClassName() const {
    static const stringw name(L"GMiniGameScene");
    return name;
}

const stringw& GMiniGameScene::getThisClassName() const {
    static const stringw name(L"GMiniGameScene");
    return name;
}

s32 GMiniGameScene::getTypeId() const { return GameNodeTypeMiniGameScene; }

bool GMiniGameScene::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeMiniGameScene || GBaseSceneNode::isKindOf(typeId);
}

void GMiniGameScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* ui = sceneChild("UI");
    m_linet = scenes::childOf(ui, "Linet");
    m_linetText = scenes::childOf(ui, "LinetText");
}

void GMiniGameScene::copyFrom(const BaseNode* source, SceneManager* manager) {
    GBaseSceneNode::copyFrom(source, manager);
}

bool GMiniGameScene::onSceneChangeStarted(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeStarted(event)) return true;
    if (!entersThis(event, this)) return false;
    beginVisit();
    scenes::playCue(GSoundCueIds::get().MiniGamesMusic, true);
    setGameTime(0);
    startVisit();
    setPhase(MiniGamePhase::Intro);
    return true;
}

bool GMiniGameScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (!scenes::isNamed(scenes::eventNode(event), "MenuButton")) return false;
    // Back past the loading screen to the scene the game came from: the map, or for the auction
    // the comic that handed over to it (which goes on where it stopped). A count of 1 goes back
    // two scenes; with no scene there the game stays.
    static_cast<void>(goBack(1, transitionStates().NavBackFrom, transitionStates().NavBackTo));
    return true;
}

bool GMiniGameScene::takesPlayClick() {
    switch (m_phase) {
        case MiniGamePhase::None:
        case MiniGamePhase::Intro:
            return false;
        case MiniGamePhase::Briefing:
            setPhase(MiniGamePhase::Playing);
            return false;
        case MiniGamePhase::Playing:
            break;
    }
    return true;
}

void GMiniGameScene::finishWithExpertScore() {
    setScore(getExpertScore());
    finish();
}

BaseNode* GMiniGameScene::sceneChild(const char* name) const {
    return scenes::childOf(scenes::childOf(this, "Scene"), name);
}

bool GMiniGameScene::loadConfiguration(const stringc& folder) {
    stringc path = folder;
    path += ConfigurationFile;
    CFileSystem* files = fileSystem();
    CXmlReader* reader = files ? files->createXmlReader(path) : nullptr;
    if (!reader) {
        CLogger::instance().logHint("Unable to find configuration for the minigame", folder.c_str(),
                                    LogError);
        return false;
    }
    readConfiguration(reader);
    reader->drop();
    return true;
}

void GMiniGameScene::readConfiguration(CXmlReader* reader) {
    if (!reader) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd) {
            if (reader->getNodeName() == stringw(L"MiniGame")) break;
            continue;
        }
        if (type != XmlNodeElement) continue;
        const stringw& name = reader->getNodeName();
        if (name == stringw(L"MaxLevelTime"))
            m_maxLevelTime = reader->getAttributeValueAsInt(L"Value", m_maxLevelTime);
        else if (name == stringw(L"ExpertScore"))
            m_expertScore = reader->getAttributeValueAsInt(L"Value", m_expertScore);
        else
            readCustomConfig(reader);
    }
}

void GMiniGameScene::readCustomConfig(CXmlReader*) {}

void GMiniGameScene::setPhase(MiniGamePhase phase) {
    m_phase = phase;
    m_phaseTime = 0;
    switch (phase) {
        case MiniGamePhase::Intro:
            if (m_linetText) {
                m_linetText->setTintColor(HiddenTextColor);
                m_linetText->markColorDirty();
            }
            break;
        case MiniGamePhase::Briefing:
            if (m_linetText) m_linetText->playState(stateOf("Appear"));
            break;
        case MiniGamePhase::Playing:
            if (m_linet) m_linet->playState(stateOf("Disappear"));
            if (m_linetText) m_linetText->playState(stateOf("Disappear"));
            break;
        case MiniGamePhase::None:
            break;
    }
}

bool GMiniGameScene::onUpdate(u32 periodMs) {
    static_cast<void>(GBaseSceneNode::onUpdate(periodMs));
    m_phaseTime += periodMs;
    if (m_phase == MiniGamePhase::Intro && m_phaseTime >= m_introDelay)
        setPhase(MiniGamePhase::Briefing);
    return true;
}

void GMiniGameScene::finish() {
    // A game ends once per visit: a completed scene that does not open leaves the game on
    // screen, and the progress keys must not move again.
    if (m_finished) return;
    m_finished = true;

    s32 gain = 0;
    if (CProfile* profile = scenes::activeProfile()) {
        const SCompletionResult result = applyLevelCompletion(
            profile, m_score, static_cast<s32>(m_gameTime), CompletionByMiniGame);
        if (result.applied) {
            if (m_score > result.previousScore) gain = m_score - result.previousScore;
            if (!profile->save()) CLogger::instance().log("Unable to save the profile", LogError);
            IGameServices* services = IGameServices::get();
            if (GExternalHooks* hooks = services ? services->getExternalHooks() : nullptr)
                hooks->onLevelCompleted(profile->getString(ProfileKeyLevelName),
                                        decimalText(static_cast<s32>(m_gameTime / 1000)));
        }
    }

    IContentManager* content = getContentManager();
    CResource* loaded = content
                            ? content->getContentByPath(
                                  TypeCodeSceneNode, stringc(GMiniCompletedScene::SceneFile), true)
                            : nullptr;
    if (!loaded) return;
    BaseNode* node =
        loaded->getTypeCode() == TypeCodeSceneNode ? static_cast<BaseNode*>(loaded) : nullptr;
    if (node && node->isKindOf(GameNodeTypeMiniCompletedScene)) {
        auto* completed = static_cast<GMiniCompletedScene*>(node);
        completed->setResults(m_maxLevelTime, static_cast<s32>(m_gameTime), gain);
        static_cast<void>(
            switchTo(completed, true, transitionStates().NavFrom, transitionStates().NavTo));
    }
    loaded->drop();
}

void GMiniGameScene::playFoundEffect(const BaseNode* item, SpawnerNode* spawner) const {
    if (!item || !spawner) return;
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    BaseNode* found = templates ? templates->findTemplate(stateOf("HOFoundStarNode")) : nullptr;
    if (!found || !found->isKindOf(GameNodeTypeShieldStarNode)) return;
    auto* star = static_cast<GShieldStarNode*>(found);

    const vector3df& bounds = item->getBounds();
    const f32 w = bounds.X;
    const f32 h = bounds.Y;
    const f32 s = (w < h ? w : h) * 0.5f;
    const f32 v = s * 8.0f + 80.0f;
    star->Accel1StartTimeRange = vector2df(v, v);
    star->Accel1EndTimeRange = vector2df(v + 180.0f, v + 180.0f);

    f32 rate = std::trunc(std::trunc(w + h) * 1.5f);
    if (rate < 250.0f) rate = 250.0f;
    spawner->setObjectsPerSecRange(vector2df(rate, rate));

    const vector3df& p = item->getPosition();
    spawner->setPosition(vector3df(p.X + w * 0.5f, p.Y + h * 0.5f, p.Z + bounds.Z * 0.5f));
    spawner->markTransformDirty();
    spawner->removeAllChildren();
    spawner->playState(stateOf("On"));
}

GPathMovableNode::PathPoints GMiniGameScene::reversedPathPoints(const GLevelPath& path,
                                                                u32 repeats) {
    GPathMovableNode::PathPoints points;
    points.reserve(path.Points.size() * repeats);
    for (u32 r = 0; r < repeats; ++r)
        for (auto it = path.Points.rbegin(); it != path.Points.rend(); ++it)
            points.emplace_back(it->x, it->y);
    return points;
}

bool GMiniGameScene::readHintPaths(CXmlReader* reader, GLevelPaths& paths) const {
    const stringw& value = reader->getAttributeValue(L"Value");
    if (value.empty()) return false;
    CFileSystem* files = fileSystem();
    CXmlReader* file = files ? files->createXmlReader(narrowLowBytes(value.c_str())) : nullptr;
    if (!file) return false;
    static_cast<void>(paths.read(file));
    file->drop();
    return true;
}

}  // namespace brasquel
