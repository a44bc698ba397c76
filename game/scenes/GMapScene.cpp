#include "game/scenes/GMapScene.h"

#include <string>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/IContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/GMapLocationButton.h"
#include "game/scenes/GSceneSupport.h"
#include "game/scenes/ITutorial.h"

namespace brasquel {

using namespace oskel;
using scenes::activeProfile;
using scenes::noticeNode;

namespace {

// The regular levels between two mini-game locations.
constexpr s32 LevelsPerStretch = 7;

IGameServices* services() { return IGameServices::get(); }

CTextDictionary* dictionary() {
    IGameServices* s = services();
    return s ? s->getTextDictionary() : nullptr;
}

bool developerKeysOn() {
    IGameServices* s = services();
    return s && s->developerKeysEnabled();
}

// The control a two-node notice is about: its first node, else its second.
const SceneNode* sceneLeft(const CEvent* event) {
    return static_cast<const CEventNodeSceneSwitch*>(event)->getFromScene();
}

SpriteNode* spriteChild(BaseNode* parent, const char* name) {
    BaseNode* child = parent->findChildByName(name, 1);
    return child && child->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(child) : nullptr;
}

void showPicture(IContentManager* content, SpriteNode* sprite, const stringc& path) {
    if (!sprite) return;
    CResource* loaded =
        content ? content->getContentByPath(TypeCodeAtlasTexture, path, true) : nullptr;
    sprite->setAtlasTexture(loaded && loaded->getTypeCode() == TypeCodeAtlasTexture
                                ? static_cast<CAtlasTexture*>(loaded)
                                : nullptr);
    if (loaded) loaded->drop();
}

stringw wide(const char* text) { return stringw(text); }

}  // namespace

GMapScene::GMapScene(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

GMapScene::~GMapScene() { removeTutorial(); }

BRASQUEL_DEFINE_NODE_CLASS(GMapScene, GameNodeTypeMapScene, GBaseSceneNode)

s32 GMapScene::locationOfLevel(s32 level) { return (level - 1) + (level - 1) / LevelsPerStretch; }

bool GMapScene::isMiniGameLocation(u32 index) {
    return index % MiniGameEvery == MiniGameEvery - 1 && index < 4 * MiniGameEvery;
}

void GMapScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    m_locations.clear();
    m_selected = nullptr;
    m_playButton = nullptr;
    for (BaseNode*& hint : m_hints) hint = nullptr;
    m_sceneNode = findChildByName("Scene", 1);
    if (!m_sceneNode) return;
    if (BaseNode* buttons = m_sceneNode->findChildByName("LocationButtons", 1))
        for (BaseNode* child : buttons->getChildren())
            if (GMapLocationButton* location = asMapLocationButton(child))
                m_locations.push_back(location);
    BaseNode* play = m_sceneNode->findChildByName("PlayButton", 1);
    m_playButton =
        play && play->isKindOf(NodeTypeControl) ? static_cast<ControlNode*>(play) : nullptr;
    for (u32 i = 0; i < HintCount; ++i) {
        const std::string name = "LevelHint" + std::to_string(i + 1) + "Node";
        m_hints[i] = m_sceneNode->findChildByName(name.c_str(), 1);
    }
}

s32 GMapScene::indexOf(const GMapLocationButton* location) const {
    for (u32 i = 0; i < m_locations.size(); ++i)
        if (m_locations[i] == location) return static_cast<s32>(i);
    return -1;
}

bool GMapScene::onSceneChangeStarted(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeStarted(event)) return true;
    if (!entersThis(event, this)) return false;
    CRefPtr<BaseNode> self(this);
    IGameServices* s = services();
    if (s) s->releaseUnused();
    if (CSoundGroupManager* groups = s ? s->getSoundGroupManager() : nullptr)
        groups->playCue(GSoundCueIds::get().MenuMusic, true, 0);

    CProfile* profile = activeProfile();
    u32 level = profile ? static_cast<u32>(profile->getInt(ProfileKeyLevelIndex)) : 0;
    if (!m_locations.empty() && level >= m_locations.size())
        level = static_cast<u32>(m_locations.size() - 1);
    m_selected = nullptr;
    f32 phase = 0.0f;
    for (u32 i = 0; i < m_locations.size(); ++i) {
        GMapLocationButton* location = m_locations[i];
        if (i == level) {
            m_selected = location;
            location->setSelected(true);
            if (profile)
                profile->setString(ProfileKeyLevelName, location->getAssociatedLevelName());
        } else {
            location->setSelected(false);
        }
        location->startWave(phase);
        phase += 0.2f;
        if (phase >= 1.0f - 1e-4f) phase = 0.0f;
    }
    const SceneNode* from = sceneLeft(event);
    m_enteredFromComic = from && from->isKindOf(GameNodeTypeComicsScene);
    removeTutorial();
    startTutorial(event);
    buildLocationInfos();
    refreshLocationButtons();
    showLevelHint(nullptr);
    if (m_playButton) m_playButton->setEnabled(isLocationPlayable(level));
    return true;
}

void GMapScene::startTutorial(const CEvent* event) {
    // Only a tutorial made on this entry may clear its flag when it has ended.
    m_tutorialFlagKey = stringc();
    CProfile* profile = activeProfile();
    if (!profile || !profile->getBool(ProfileKeyShowTutorialOn)) return;
    const s32 maxUnlocked = profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
    const char* file = nullptr;
    const char* key = nullptr;
    if (maxUnlocked == 0 && profile->getBool(ProfileKeyShowTutorialMap1)) {
        file = Tutorial1File;
        key = ProfileKeyShowTutorialMap1;
    } else if (maxUnlocked == 2) {
        const SceneNode* from = sceneLeft(event);
        if ((!from || !from->isKindOf(GameNodeTypeShopScene)) &&
            profile->getBool(ProfileKeyShowTutorialMap2)) {
            file = Tutorial2File;
            key = ProfileKeyShowTutorialMap2;
        }
    }
    m_tutorial = scenes::openTutorial(this, m_sceneNode, file);
    if (m_tutorial) m_tutorialFlagKey = key;
}

void GMapScene::removeTutorial() { scenes::closeTutorial(this, m_tutorial); }

s32 GMapScene::rankOf(u32 index, const array<s32>& scores) const {
    if (index >= scores.size()) return GMapLocationButton::RankNone;
    IGameServices* s = services();
    LevelScores* table = s ? s->getLevelScores() : nullptr;
    if (!table) return GMapLocationButton::RankNone;
    const SLevelScore& entry = table->get(m_locations[index]->getAssociatedLevelName());
    const s32 score = scores[index];
    if (score >= entry.ExpertScore) return GMapLocationButton::RankExpert;
    if (score >= entry.Score) return GMapLocationButton::RankGamer;
    return GMapLocationButton::RankNone;
}

void GMapScene::buildLocationInfos() {
    m_infos.assign(m_locations.size(), GMapLocationInfo());
    CProfile* profile = activeProfile();
    const s32 maxUnlocked = profile ? profile->getInt(ProfileKeyMaxUnlockedLevelIndex) : 0;
    const array<s32> scores =
        profile ? parseIntListNarrow(profile->getString(ProfileKeyScores)) : array<s32>();
    const array<s32> times =
        profile ? parseIntListNarrow(profile->getString(ProfileKeyTimes)) : array<s32>();
    IGameServices* s = services();
    LevelScores* table = s ? s->getLevelScores() : nullptr;
    for (u32 i = 0; i < m_locations.size(); ++i) {
        GMapLocationInfo& info = m_infos[i];
        info.Completed = static_cast<s32>(i) <= maxUnlocked;
        SLevelScore entry;
        if (table) entry = table->get(m_locations[i]->getAssociatedLevelName());
        info.Time = info.Completed ? (i < times.size() ? times[i] : 0) : entry.Time * 1000;
        info.Rank = rankOf(i, scores);
    }
    const array<CNameId> bought =
        profile ? parseNameIdList(profile->getString(ProfileKeyBoughtUpgrades)) : array<CNameId>();
    placeObligatoryUpgrades(s ? s->getUpgradesConfiguration() : nullptr, bought, m_infos);
}

void GMapScene::placeObligatoryUpgrades(const UpgradesConfiguration* upgrades,
                                        const array<CNameId>& bought,
                                        std::vector<GMapLocationInfo>& infos) {
    if (!upgrades) return;
    for (const auto& entry : upgrades->getRecords()) {
        UpgradeRecord* record = entry.second.get();
        if (record->ObligatoryLevel < 1) continue;
        const s32 location = locationOfLevel(record->ObligatoryLevel);
        if (location < 0 || static_cast<u32>(location) >= infos.size()) continue;
        bool owned = false;
        for (u32 b = 0; b < bought.size(); ++b)
            if (bought[b] == record->Name) owned = true;
        infos[location].ObligatoryUpgrades.emplace_back(record);
        infos[location].ObligatoryBought.push_back(owned);
    }
}

bool GMapScene::isPlayable(const GMapLocationInfo& info) {
    for (bool owned : info.ObligatoryBought)
        if (!owned) return false;
    return true;
}

bool GMapScene::isLocationPlayable(u32 index) const {
    return index >= m_infos.size() || isPlayable(m_infos[index]);
}

void GMapScene::refreshLocationButtons() {
    CProfile* profile = activeProfile();
    const s32 maxUnlocked = profile ? profile->getInt(ProfileKeyMaxUnlockedLevelIndex) : 0;
    const array<s32> scores =
        profile ? parseIntListNarrow(profile->getString(ProfileKeyScores)) : array<s32>();
    for (u32 i = 0; i < m_locations.size(); ++i) {
        GMapLocationButton* location = m_locations[i];
        if (static_cast<s32>(i) > maxUnlocked + 1) {
            location->setEnabled(false);
        } else {
            location->setEnabled(true);
            location->setPlayable(isLocationPlayable(i));
        }
        if (isMiniGameLocation(i)) location->setMiniGameLocation(true);
        location->setRank(rankOf(i, scores));
    }
}

void GMapScene::showLevelHint(GMapLocationButton* location) {
    if (!dictionary()) return;
    const s32 found = location ? indexOf(location) : -1;
    const u32 index = found < 0 ? 0 : static_cast<u32>(found);
    if (!location || index >= m_infos.size()) {
        for (BaseNode* hint : m_hints)
            if (hint) hint->setVisible(false);
        return;
    }
    const GMapLocationInfo& info = m_infos[index];
    const size_t needed = info.ObligatoryUpgrades.size();
    const u32 row = needed == 0 ? 0 : (needed == 1 ? 2 : 4);
    BaseNode* hint = m_hints[row + (info.Completed ? 1 : 0)];
    if (!hint) return;
    hint->setVisible(true);
    vector3df position = location->getPosition();
    for (BaseNode* up = location->getParent(); up && up != m_sceneNode && up != this;
         up = up->getParent())
        position += up->getPosition();
    placeLevelHint(hint, position.X, position.Y);
    fillHint(hint, index, location);
}

void GMapScene::fillHint(BaseNode* hint, u32 index, GMapLocationButton* location) {
    const GMapLocationInfo& info = m_infos[index];
    CTextDictionary* texts = dictionary();
    if (TextNode* level = scenes::textChildOf(hint, "LevelText"))
        level->setText(location->getText());
    if (TextNode* time = scenes::textChildOf(hint, "TimeText")) {
        const stringw clock = formatMinutesSeconds(static_cast<u32>(info.Time < 0 ? 0 : info.Time));
        time->setText(info.Completed ? clock
                                     : texts->getTextWithParams(ExpertTimeKey, clock, stringw(),
                                                                stringw(), stringw()));
    }
    if (TextNode* rank = scenes::textChildOf(hint, "RankText"))
        rank->setText(
            wide(info.Rank == GMapLocationButton::RankExpert ? RankExpertText : RankGamerText));
    IContentManager* content = getContentManager();
    for (u32 n = 0; n < 2; ++n) {
        const std::string place = "Place" + std::to_string(n + 1);
        const bool has = n < info.ObligatoryUpgrades.size();
        const UpgradeRecord* upgrade = has ? info.ObligatoryUpgrades[n].get() : nullptr;
        if (TextNode* text = scenes::textChildOf(hint, (place + "Text").c_str()); text && upgrade)
            text->setText(texts->getText(upgrade->Name.getName()));
        if (SpriteNode* sign = spriteChild(hint, (place + "Sign").c_str()); sign && upgrade)
            showPicture(content, sign,
                        stringc(info.ObligatoryBought[n] ? OwnedSignImage : MissingSignImage));
        const std::string icon = "Icon" + std::to_string(n + 1);
        if (SpriteNode* sprite = spriteChild(hint, icon.c_str()); sprite && upgrade) {
            stringc path(IconFolder);
            path += upgrade->Name.getName();
            path += ".png";
            showPicture(content, sprite, path);
        }
    }
}

void GMapScene::placeLevelHint(BaseNode* hint, f32 x, f32 y) {
    if (!hint) return;
    const bool small = hint == m_hints[0] || hint == m_hints[1];
    const char* arrow = "Arrow";
    vector2df pivot;
    if (small) {
        if (x < EdgeMargin) {
            arrow = "ArrowL";
            pivot = vector2df(-52.0f, 43.0f);
        } else if (x > ScreenWidth - EdgeMargin) {
            arrow = "ArrowR";
            pivot = vector2df(238.0f, 43.0f);
        } else {
            pivot = vector2df(92.0f, 133.0f);
        }
    } else if (y < TopBand) {
        arrow = x < ScreenWidth / 2.0f ? "ArrowL" : "ArrowR";
        pivot = vector2df(x < ScreenWidth / 2.0f ? -52.0f : 238.0f, 81.0f);
    } else if (x < EdgeMargin) {
        arrow = "ArrowL";
        pivot = vector2df(-52.0f, 81.0f);
    } else if (x > ScreenWidth - EdgeMargin) {
        arrow = "ArrowR";
        pivot = vector2df(238.0f, 81.0f);
    } else {
        pivot = vector2df(92.0f, 219.0f);
    }
    hint->setPivotPoint(pivot);
    hint->setPosition(vector3df(x, y, HintDepth));
    showHintArrow(hint, arrow);
}

void GMapScene::showHintArrow(BaseNode* hint, const char* arrow) {
    for (BaseNode* child : hint->getChildren()) {
        const stringc& name = child->getNodeName();
        if (name == "Arrow" || name == "ArrowL" || name == "ArrowR")
            child->setVisible(name == arrow);
    }
}

bool GMapScene::onSceneChangeFinished(CEvent* event) {
    GBaseSceneNode::onSceneChangeFinished(event);
    CRefPtr<BaseNode> self(this);
    if (entersThis(event, this)) {
        // The scene left may be gone by now (going back removes it): its kind was noted when
        // the switch began.
        CProfile* profile = activeProfile();
        const s32 level = profile ? profile->getInt(ProfileKeyLevelIndex) : 0;
        const bool comicBeforeMiniGame = m_enteredFromComic &&
                                         (level == 7 || level == 15 || level == 31) && m_selected &&
                                         !m_selected->getAssociatedLevelName().empty();
        if (comicBeforeMiniGame)
            openLoadingLevel(m_selected->getAssociatedLevelName());
        else if (m_tutorial)
            m_tutorial->start();
        return true;
    }
    if (leavesThis(event, this)) {
        CProfile* profile = activeProfile();
        if (!m_tutorial && !m_tutorialFlagKey.empty() && profile) {
            profile->setBool(m_tutorialFlagKey, false);
            static_cast<void>(profile->save());
            m_tutorialFlagKey = stringc();
        }
        removeTutorial();
        return true;
    }
    return false;
}

bool GMapScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    if (m_tutorial && !m_tutorial->update(periodMs)) removeTutorial();
    return true;
}

void GMapScene::openLoadingLevel(const stringc& levelName) {
    SceneNode* scene = switchToSceneFile(LoadingLevelFile, false, transitionStates().NavFrom,
                                         transitionStates().NavTo);
    if (GLoadingLevelScene* loading = asLoadingLevelScene(scene)) loading->setLevelName(levelName);
}

void GMapScene::select(GMapLocationButton* location) {
    if (m_selected && m_selected != location) m_selected->setSelected(false);
    m_selected = location;
    if (m_selected) m_selected->setSelected(true);
}

bool GMapScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = static_cast<CEventNodeOneNode*>(event)->getNode();
    if (!control) return false;
    CRefPtr<BaseNode> self(this);
    const stringc& name = control->getNodeName();
    if (name == "BackButton") {
        static_cast<void>(goBack(0, transitionStates().NavBackFrom, transitionStates().NavBackTo));
        return true;
    }
    if (name == "ShopButton") {
        switchToSceneFile(ShopFile, false, transitionStates().NavFrom, transitionStates().NavTo);
        return true;
    }
    if (name == "PlayButton") {
        if (m_selected && !m_selected->getAssociatedLevelName().empty())
            openLoadingLevel(m_selected->getAssociatedLevelName());
        return true;
    }
    if (name == "SkipTutorialButton") {
        scenes::skipTutorial(m_tutorial.get());
        return false;
    }
    GMapLocationButton* location = asMapLocationButton(control);
    if (!location) return false;
    const s32 found = indexOf(location);
    const u32 index = found < 0 ? static_cast<u32>(m_locations.size()) : static_cast<u32>(found);
    if (found >= 0) {
        if (CProfile* profile = activeProfile()) {
            profile->setInt(ProfileKeyLevelIndex, found);
            profile->setString(ProfileKeyLevelName, location->getAssociatedLevelName());
            static_cast<void>(CProfileManager::instance().saveUserProfiles());
        }
    }
    select(location);
    const bool playable = isLocationPlayable(index);
    if (m_playButton) {
        m_playButton->setEnabled(playable);
        if (!playable)
            switchToSceneFile(ShopFile, false, transitionStates().NavFrom,
                              transitionStates().NavTo);
    }
    return true;
}

bool GMapScene::onNodeHovered(CEvent* event) {
    GBaseSceneNode::onNodeHovered(event);
    GMapLocationButton* location = asMapLocationButton(noticeNode(event));
    if (!location) return false;
    location->setSelected(true);
    showLevelHint(location);
    return true;
}

bool GMapScene::onNodeUnhovered(CEvent* event) {
    GBaseSceneNode::onNodeUnhovered(event);
    showLevelHint(nullptr);
    GMapLocationButton* location = asMapLocationButton(noticeNode(event));
    if (!location) return false;
    if (location != m_selected) location->setSelected(false);
    return true;
}

bool GMapScene::onKeyUp(CEvent* event) {
    const u32 key = static_cast<CEventKeyboardKey*>(event)->getKey();
    if (developerKeysOn() && key >= KeyFirstComic && key <= KeyLastComic) {
        if (IGameServices* s = services()) s->releaseUnused();
        stringc file(ComicsFilePrefix);
        file += static_cast<char>(key);
        file += ".oscn";
        switchToSceneFile(file, false, transitionStates().NavFrom, transitionStates().NavTo);
        return true;
    }
    if (key == VirtualKeyEscape) {
        static_cast<void>(goBack(0, transitionStates().NavBackFrom, transitionStates().NavBackTo));
        return true;
    }
    return GBaseSceneNode::onKeyUp(event);
}

bool GMapScene::onKeyDown(CEvent* event) {
    const u32 key = static_cast<CEventKeyboardKey*>(event)->getKey();
    if (!developerKeysOn() || key != KeyUnlock) return ControlNode::onKeyDown(event);
    if (CProfile* profile = activeProfile()) {
        const s32 maxUnlocked = profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
        if (maxUnlocked + 1 < static_cast<s32>(m_locations.size())) {
            profile->setInt(ProfileKeyMaxUnlockedLevelIndex, maxUnlocked + 1);
            static_cast<void>(CProfileManager::instance().saveUserProfiles());
        }
    }
    refreshLocationButtons();
    return true;
}

}  // namespace brasquel
