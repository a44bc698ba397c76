#include "game/scenes/GAchievementsScene.h"

#include "engine/content/IContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;
using scenes::childOf;

namespace {

constexpr u32 AchievementCount = GAchievementsProgress::AchievementCount;
constexpr const char* MoneyKey = "MoneyDollar";
constexpr const wchar_t* AlreadyEarnedText = L"%Achievements_AlreadyEarned%";

GAchievementsProgress* tracker() {
    IGameServices* services = IGameServices::get();
    return services ? services->getAchievementsProgress() : nullptr;
}

CTextDictionary* dictionary() {
    IGameServices* services = IGameServices::get();
    return services ? services->getTextDictionary() : nullptr;
}

ListNode* listOf(const BaseNode* page) {
    BaseNode* node = childOf(page, "AchievementsList");
    return node && node->isKindOf(NodeTypeList) ? static_cast<ListNode*>(node) : nullptr;
}

const stringc& pressedName(CEvent* event) {
    static const stringc none;
    BaseNode* node = static_cast<CEventNodeOneNode*>(event)->getNode();
    return node ? node->getNodeName() : none;
}

// The icon of the achievement as an atlas picture (counted), or none.
CAtlasTexture* loadIcon(IContentManager* content, const GAchievementsProgress& progress, u32 i) {
    if (!content) return nullptr;
    CResource* loaded =
        content->getContentByPath(TypeCodeAtlasTexture, progress.getIconPath(i), true);
    if (!loaded) return nullptr;
    if (loaded->getTypeCode() != TypeCodeAtlasTexture) {
        loaded->drop();
        return nullptr;
    }
    return static_cast<CAtlasTexture*>(loaded);
}

// One item of a list: the achievement's name and icon, and the two texts given.
void fillItem(ListNode* list, u32 item, IContentManager* content,
              const GAchievementsProgress& progress, u32 i, const stringw& description,
              const stringw& status) {
    const s32 at = static_cast<s32>(item);
    list->setItemText(at, 0, progress.getNameKey(i));
    list->setItemText(at, 1, description);
    list->setItemText(at, 2, status);
    CAtlasTexture* icon = loadIcon(content, progress, i);
    list->setItemImage(at, 0, icon);  // the list keeps its own reference
    if (icon) icon->drop();
}

stringw moneyOrNumber(s32 value, bool money) {
    const stringw digits = groupDigits(value, L',');
    CTextDictionary* texts = dictionary();
    if (!money || !texts) return digits;
    return texts->getTextWithParams(MoneyKey, digits, stringw(), stringw(), stringw());
}

}  // namespace

// ---- GAchievementsScene ----

GAchievementsScene::GAchievementsScene(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

BaseNode* GAchievementsScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GAchievementsScene>(this, parent, manager);
}

const stringw& GAchievementsScene::getClassName() const {
    static const stringw name(L"GAchievementsScene");
    return name;
}

const stringw& GAchievementsScene::getThisClassName() const {
    static const stringw name(L"GAchievementsScene");
    return name;
}

void GAchievementsScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    BaseNode* tabs = childOf(scene, "TabScene");
    m_allList = listOf(childOf(tabs, "Tab1"));
    m_earnedList = listOf(childOf(tabs, "Tab2"));
    m_toEarnList = listOf(childOf(tabs, "Tab3"));
    m_earnedText = asTextNode(childOf(scene, "EarnedText"));
}

stringw GAchievementsScene::progressText(const GAchievementsProgress& progress, u32 index) {
    const bool money =
        index >= GAchievementsProgress::MoneyLow && index <= GAchievementsProgress::MoneyHigh;
    stringw text = moneyOrNumber(progress.getCounter(index), money);
    text += L"/";
    text += moneyOrNumber(progress.getThreshold(index), money);
    return text;
}

void GAchievementsScene::fillAllList() {
    GAchievementsProgress* progress = tracker();
    if (!m_allList || !progress) return;
    CRefPtr<ListNode> list(m_allList);
    list->setItemsCount(AchievementCount);
    for (u32 i = 0; i < AchievementCount; ++i) {
        const bool earned = progress->isEarned(i);
        fillItem(list.get(), i, getContentManager(), *progress, i,
                 earned ? progress->getDescAfterKey(i) : progress->getDescBeforeKey(i),
                 earned ? stringw(AlreadyEarnedText) : progressText(*progress, i));
    }
    list->refreshElements();
}

void GAchievementsScene::fillEarnedList() {
    GAchievementsProgress* progress = tracker();
    if (!progress) return;
    const u32 earned = progress->getEarnedCount();
    if (m_earnedList) {
        CRefPtr<ListNode> list(m_earnedList);
        list->setItemsCount(earned);
        u32 item = 0;
        for (u32 i = 0; i < AchievementCount; ++i) {
            if (!progress->isEarned(i)) continue;
            stringw description(L"\n");
            description += progress->getDescAfterKey(i);
            fillItem(list.get(), item++, getContentManager(), *progress, i, description, stringw());
        }
        list->refreshElements();
    }
    if (m_earnedText) {
        stringw text(static_cast<s32>(earned));
        text += L"/";
        text += stringw(static_cast<s32>(AchievementCount));
        m_earnedText->setText(text);
    }
}

void GAchievementsScene::fillToEarnList() {
    GAchievementsProgress* progress = tracker();
    if (!m_toEarnList || !progress) return;
    CRefPtr<ListNode> list(m_toEarnList);
    list->setItemsCount(AchievementCount - progress->getEarnedCount());
    u32 item = 0;
    for (u32 i = 0; i < AchievementCount; ++i) {
        if (progress->isEarned(i)) continue;
        fillItem(list.get(), item++, getContentManager(), *progress, i,
                 progress->getDescBeforeKey(i), progressText(*progress, i));
    }
    list->refreshElements();
}

bool GAchievementsScene::onSceneChangeStarted(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeStarted(event)) return true;
    if (!entersThis(event, this)) return false;
    CRefPtr<BaseNode> self(this);
    fillAllList();
    fillEarnedList();
    fillToEarnList();
    return true;
}

void GAchievementsScene::goBackOneScene() {
    // The leave state by default, the list sliding back in.
    static const CNameId enter("NavBackToSlide");
    static_cast<void>(goBack(0, -1, enter.getId()));
}

bool GAchievementsScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (pressedName(event) != "BackButton") return false;
    goBackOneScene();
    return true;
}

bool GAchievementsScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    const u32 key = static_cast<CEventKeyboardKey*>(event)->getKey();
    if (key != VirtualKeyEscape && key != VirtualKeyEnter) return false;
    goBackOneScene();
    return true;
}

// ---- GAchievementUnlockedScene ----

GAchievementUnlockedScene::GAchievementUnlockedScene(const CCreationContext& context,
                                                     BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setBackByKey(true);
}

BaseNode* GAchievementUnlockedScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GAchievementUnlockedScene>(this, parent, manager);
}

const stringw& GAchievementUnlockedScene::getClassName() const {
    static const stringw name(L"GAchievementUnlockedScene");
    return name;
}

const stringw& GAchievementUnlockedScene::getThisClassName() const {
    static const stringw name(L"GAchievementUnlockedScene");
    return name;
}

void GAchievementUnlockedScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    BaseNode* image = childOf(scene, "AchImage");
    m_image = image && image->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(image) : nullptr;
    m_name = asTextNode(childOf(scene, "AchName"));
    m_description = asTextNode(childOf(scene, "AchDesc"));
}

void GAchievementUnlockedScene::setAchievement(u32 index) {
    GAchievementsProgress* progress = tracker();
    if (!progress || index >= AchievementCount) return;
    if (m_image) {
        CAtlasTexture* icon = loadIcon(getContentManager(), *progress, index);
        m_image->setAtlasTexture(icon);
        if (icon) icon->drop();
    }
    if (m_name) m_name->setText(progress->getNameKey(index));
    if (m_description) m_description->setText(progress->getDescAfterKey(index));
}

bool GAchievementUnlockedScene::onSceneChangeStarted(CEvent* event) {
    const bool consumed = GBaseSceneNode::onSceneChangeStarted(event);
    return consumed || entersThis(event, this);
}

bool GAchievementUnlockedScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (pressedName(event) != "OkButton") return false;
    const STransitionStates& states = transitionStates();
    static_cast<void>(goBack(0, states.NavBackFrom, states.NavBackTo));
    return true;
}

bool GAchievementUnlockedScene::show(SceneNode* owner, u32 index) {
    IContentManager* content = owner ? owner->getContentManager() : nullptr;
    if (!content) return false;
    CResource* loaded = content->getContentByPath(TypeCodeSceneNode, stringc(SceneFile), true);
    if (!loaded) return false;
    CRefPtr<CResource> held = CRefPtr<CResource>::fromRaw(loaded);
    auto* popup = loaded->getTypeCode() == TypeCodeSceneNode
                      ? dynamic_cast<GAchievementUnlockedScene*>(static_cast<BaseNode*>(loaded))
                      : nullptr;
    if (!popup) return false;
    popup->setAchievement(index);
    playGameCue(GSoundCueIds::get().AchievementUnlocked);
    const STransitionStates& states = transitionStates();
    return owner->switchTo(popup, true, states.NavFrom, states.NavTo);
}

}  // namespace brasquel
