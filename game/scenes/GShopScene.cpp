#include "game/scenes/GShopScene.h"

#include <algorithm>
#include <limits>

#include "engine/core/CNameTable.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GListTexts.h"
#include "game/config/GProfileKeys.h"
#include "game/config/IGameServices.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GSceneSupport.h"
#include "game/scenes/GShopButton.h"
#include "game/scenes/ITutorial.h"

namespace brasquel {

using namespace oskel;
using scenes::activeProfile;
using scenes::childOf;
using scenes::noticeNode;
using scenes::stateId;

namespace {

UpgradesConfiguration* upgrades() {
    IGameServices* services = IGameServices::get();
    return services ? services->getUpgradesConfiguration() : nullptr;
}

CTextDictionary* dictionary() {
    IGameServices* services = IGameServices::get();
    return services ? services->getTextDictionary() : nullptr;
}

GAchievementsProgress* tracker() {
    IGameServices* services = IGameServices::get();
    return services ? services->getAchievementsProgress() : nullptr;
}

// Regular levels lie on every location but every eighth, which holds a mini-game: the number of
// regular levels on the locations before the location index.
s32 regularLevelsBefore(s32 location) { return location - (location + 1) / 8; }

bool contains(const std::vector<s32>& names, s32 name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

s32 clampToInt(long long value) {
    return static_cast<s32>(std::clamp<long long>(value, std::numeric_limits<s32>::min(),
                                                  std::numeric_limits<s32>::max()));
}

}  // namespace

u32 GShopScene::groupAchievement(u32 group) {
    static const u32 achievements[GroupCount] = {
        GAchievementsProgress::LodgingUpgrades, GAchievementsProgress::LeisureUpgrades,
        GAchievementsProgress::SightUpgrades, GAchievementsProgress::ServiceUpgrades};
    return group < GroupCount ? achievements[group] : GAchievementsProgress::LodgingUpgrades;
}

const std::vector<s32>& GShopScene::groupNames(u32 group) {
    static const std::vector<s32> groups[GroupCount] = {
        {CNameId("Camping").getId(), CNameId("Hostel").getId(), CNameId("GuestHouse").getId(),
         CNameId("BusinessHotel").getId(), CNameId("HotelN5").getId(), CNameId("HotelN6").getId()},
        {CNameId("Cafe").getId(), CNameId("CityMall").getId(), CNameId("AquaPark").getId()},
        {CNameId("Statue").getId(), CNameId("Garden").getId(), CNameId("Memorial").getId()},
        {CNameId("TruckStation").getId(), CNameId("REAgency").getId(), CNameId("PRAgency").getId()},
    };
    static const std::vector<s32> none;
    return group < GroupCount ? groups[group] : none;
}

GShopScene::GShopScene(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

GShopScene::~GShopScene() { removeTutorial(); }

BaseNode* GShopScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GShopScene>(this, parent, manager);
}

const stringw& GShopScene::getClassName() const {
    static const stringw name(L"GShopScene");
    return name;
}

const stringw& GShopScene::getThisClassName() const {
    static const stringw name(L"GShopScene");
    return name;
}

void GShopScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    m_sceneNode = childOf(this, "Scene");
    m_buttonsNode = childOf(m_sceneNode, "ShopButtons");
    m_buttons.clear();
    m_pairs.clear();
    if (m_buttonsNode) {
        for (BaseNode* child : m_buttonsNode->getChildren())
            if (GShopButton* button = asShopButton(child)) m_buttons.push_back(button);
        for (const char* first : {"AquaPark", "TruckStation", "REAgency"}) {
            const stringc second = stringc(first) + "Feature2";
            SPair pair{asShopButton(childOf(m_buttonsNode, first)),
                       asShopButton(childOf(m_buttonsNode, second.c_str()))};
            m_pairs.push_back(pair);
        }
    }
    m_scoreText = asTextNode(childOf(m_sceneNode, "ScoreText"));
    m_hintNode = childOf(m_sceneNode, "Hint1Node");
    m_highlightTemplate = childOf(m_sceneNode, "ShopButtonHLNode");
}

UpgradeRecord* GShopScene::findUpgrade(const GShopButton* button) const {
    UpgradesConfiguration* table = upgrades();
    if (!table || !button || button->getUpgradeName() == -1) return nullptr;
    return table->find(CNameId::fromId(button->getUpgradeName()));
}

bool GShopScene::isOffered(const UpgradeRecord& upgrade, s32 location) {
    return upgrade.Level - 1 <= regularLevelsBefore(location);
}

std::vector<s32> GShopScene::ownedUpgrades(const array<CNameId>& bought,
                                           const UpgradesConfiguration* table) {
    // A name stored as bought may also be free (the developer key stores every upgrade): each
    // name counts once, for the points, the groups and the buttons alike.
    std::vector<s32> owned;
    for (u32 i = 0; i < bought.size(); ++i)
        if (!contains(owned, bought[i].getId())) owned.push_back(bought[i].getId());
    if (table)
        for (const auto& [name, record] : table->getRecords())
            if (record->Price == 0 && !contains(owned, name.getId())) owned.push_back(name.getId());
    return owned;
}

s32 GShopScene::pointsOf(const array<s32>& scores, const std::vector<s32>& owned,
                         const UpgradesConfiguration* table) {
    long long total = 0;
    for (u32 i = 0; i < scores.size(); ++i) total += scores[i];
    for (s32 name : owned)
        if (const UpgradeRecord* upgrade = table ? table->find(CNameId::fromId(name)) : nullptr)
            total -= upgrade->Price;
    return clampToInt(total);
}

std::vector<s32> GShopScene::getOwnedUpgrades() const {
    CProfile* profile = activeProfile();
    if (!profile) return std::vector<s32>();
    return ownedUpgrades(parseNameIdList(profile->getString(ProfileKeyBoughtUpgrades)), upgrades());
}

void GShopScene::refresh(bool forceSave) {
    CProfile* profile = activeProfile();
    if (!profile) return;
    CRefPtr<BaseNode> self(this);
    UpgradesConfiguration* table = upgrades();

    const s32 maxUnlocked = profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
    const std::vector<s32> owned = getOwnedUpgrades();
    m_money = pointsOf(parseIntListNarrow(profile->getString(ProfileKeyScores)), owned, table);
    s32 counts[GroupCount] = {};
    for (s32 name : owned) {
        if (!table || !table->find(CNameId::fromId(name))) continue;
        for (u32 g = 0; g < GroupCount; ++g)
            if (contains(groupNames(g), name)) ++counts[g];
    }

    CTextDictionary* texts = dictionary();
    if (m_scoreText && texts)
        m_scoreText->setText(texts->getTextWithParams(ScoreKey, groupDigits(m_money, L','),
                                                      stringw(), stringw(), stringw()));

    for (GShopButton* button : m_buttons) {
        CRefPtr<BaseNode> keep(button);
        UpgradeRecord* upgrade = findUpgrade(button);
        if (!upgrade || !isOffered(*upgrade, maxUnlocked)) {
            button->setBought(false);
            button->setPrice(0);
            button->setEnabled(false);
            button->setLocked(true);
            continue;
        }
        button->setLocked(false);
        const bool bought = contains(owned, upgrade->Name.getId());
        button->setEnabled(!bought && upgrade->Price <= m_money);
        // The condition first, so that the price shown follows it.
        button->setBought(bought);
        button->setPrice(upgrade->Price);
    }

    // The second stage of an upgrade takes the first one's place once that one is owned.
    for (const SPair& pair : m_pairs) {
        if (!pair.first || !pair.second) continue;
        const bool firstShown =
            (!pair.first->isBought() && pair.first->getPrice() > 0) || pair.first->isLocked();
        pair.first->setVisible(firstShown);
        pair.second->setVisible(!firstShown);
    }

    GAchievementsProgress* progress = tracker();
    if (!progress) {
        // Without a tracker the profile itself keeps the purchase.
        if (forceSave) static_cast<void>(profile->save());
        return;
    }
    bool changed = false;
    for (u32 g = 0; g < GroupCount; ++g) {
        const u32 achievement = groupAchievement(g);
        const s32 counter = progress->getCounter(achievement);
        if (counts[g] == counter) continue;
        changed = true;
        if (progress->addProgress(achievement, counts[g] - counter))
            showAchievementUnlocked(achievement);
    }
    if (changed || forceSave) progress->save();
}

void GShopScene::updateHighlights() {
    CProfile* profile = activeProfile();
    if (!m_highlightTemplate || !profile) return;
    CRefPtr<BaseNode> self(this);
    const s32 location = profile->getInt(ProfileKeyLevelIndex);
    const std::vector<s32> owned = getOwnedUpgrades();
    const s32 on = stateId("On");
    const s32 off = stateId("Off");
    for (GShopButton* button : m_buttons) {
        BaseNode* highlight = childOf(button, "ShopButtonHLNode");
        UpgradeRecord* upgrade = findUpgrade(button);
        if (upgrade && isOffered(*upgrade, location)) {
            if (!highlight) highlight = m_highlightTemplate->clone(button, getSceneManager());
            if (!highlight) continue;
            highlight->setPosition(vector3df(0.0f, 0.0f, 10.0f));
            highlight->setVisible(true);
            highlight->setState(contains(owned, upgrade->Name.getId()) ? off : on);
        } else if (highlight) {
            highlight->setState(off);
        }
    }
}

void GShopScene::showUpgradeHint(GShopButton* button) {
    CTextDictionary* texts = dictionary();
    if (!m_hintNode || !texts) return;
    UpgradeRecord* upgrade = findUpgrade(button);
    if (!upgrade) {
        m_hintNode->setVisible(false);
        return;
    }
    const vector3df& at = button->getPosition();
    m_hintNode->setPosition(vector3df(at.X + button->getBounds().X / 2.0f, at.Y, 1000.0f));
    m_hintNode->setVisible(true);
    if (TextNode* title = asTextNode(childOf(m_hintNode, "Title")))
        title->setText(texts->getTextWithParams(CostKey, groupDigits(upgrade->Price, L','),
                                                stringw(), stringw(), stringw()));
    if (TextNode* info = asTextNode(childOf(m_hintNode, "Info"))) info->setText(upgrade->Info);
}

void GShopScene::showAchievementUnlocked(u32 index) {
    static_cast<void>(GAchievementUnlockedScene::show(this, index));
}

void GShopScene::removeTutorial() { scenes::closeTutorial(this, m_tutorial); }

void GShopScene::startTutorialOnEntry() {
    CProfile* profile = activeProfile();
    if (!profile || !profile->getBool(ProfileKeyShowTutorialOn)) return;
    const s32 maxUnlocked = profile->getInt(ProfileKeyMaxUnlockedLevelIndex);
    const char* file = nullptr;
    if (maxUnlocked == Tutorial1Progress && profile->getBool(ProfileKeyShowTutorialShop1)) {
        file = Tutorial1File;
        m_tutorialFlagKey = ProfileKeyShowTutorialShop1;
    } else if (maxUnlocked == Tutorial2Progress && profile->getBool(ProfileKeyShowTutorialShop2)) {
        file = Tutorial2File;
        m_tutorialFlagKey = ProfileKeyShowTutorialShop2;
    }
    // A tutorial that cannot be shown (its window is missing) is dropped.
    if (file) m_tutorial = scenes::openTutorial(this, m_sceneNode, file);
}

bool GShopScene::onSceneChangeStarted(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeStarted(event)) return true;
    if (!entersThis(event, this)) return false;
    CRefPtr<BaseNode> self(this);
    if (m_highlightTemplate) m_highlightTemplate->setVisible(false);
    updateHighlights();
    refresh(false);
    if (m_hintNode && dictionary()) m_hintNode->setVisible(false);
    removeTutorial();
    startTutorialOnEntry();
    return true;
}

bool GShopScene::onSceneChangeFinished(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeFinished(event)) return true;
    if (entersThis(event, this)) {
        if (m_tutorial) m_tutorial->start();
        return true;
    }
    if (leavesThis(event, this)) {
        CRefPtr<BaseNode> self(this);
        CProfile* profile = activeProfile();
        // The tutorial counts as shown once the shop is left, whether or not it ended.
        if (!m_tutorialFlagKey.empty() && profile) {
            profile->setBool(m_tutorialFlagKey, false);
            static_cast<void>(profile->save());
        }
        removeTutorial();
        return true;
    }
    return false;
}

bool GShopScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    if (m_tutorial) {
        CRefPtr<ITutorial> tutorial = m_tutorial;
        if (!tutorial->update(periodMs)) removeTutorial();
    }
    return true;
}

void GShopScene::goBackOneScene() {
    const STransitionStates& states = transitionStates();
    static_cast<void>(goBack(0, states.NavBackFrom, states.NavBackTo));
}

void GShopScene::buy(GShopButton* button) {
    CProfile* profile = activeProfile();
    UpgradeRecord* upgrade = findUpgrade(button);
    if (!profile || !upgrade || !button->isEnabled() || button->isBought() ||
        upgrade->Price > m_money)
        return;
    profile->setString(
        ProfileKeyBoughtUpgrades,
        appendNameToList(profile->getString(ProfileKeyBoughtUpgrades), upgrade->Name.getName()));
    updateHighlights();
    refresh(true);
}

bool GShopScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* node = static_cast<CEventNodeOneNode*>(event)->getNode();
    if (!node) return false;
    CRefPtr<BaseNode> self(this);
    const stringc& name = node->getNodeName();
    if (name == "BackButton") {
        goBackOneScene();
        return true;
    }
    if (name == "SkipTutorialButton") {
        scenes::skipTutorial(m_tutorial.get());
        return false;
    }
    if (m_buttonsNode && node->getParent() == m_buttonsNode)
        if (GShopButton* button = asShopButton(node)) buy(button);
    return false;
}

bool GShopScene::onNodeHovered(CEvent* event) {
    if (GBaseSceneNode::onNodeHovered(event)) return true;
    GShopButton* button = asShopButton(noticeNode(event));
    if (!button) return false;
    showUpgradeHint(button);
    return true;
}

bool GShopScene::onNodeUnhovered(CEvent* event) {
    if (GBaseSceneNode::onNodeUnhovered(event)) return true;
    if (m_hintNode && dictionary()) m_hintNode->setVisible(false);
    return asShopButton(noticeNode(event)) != nullptr;
}

bool GShopScene::onKeyUp(CEvent* event) {
    const u32 key = static_cast<CEventKeyboardKey*>(event)->getKey();
    IGameServices* services = IGameServices::get();
    if (key == AllUpgradesKey && services && services->developerKeysEnabled()) {
        CRefPtr<BaseNode> self(this);
        if (CProfile* profile = activeProfile()) {
            stringc all;
            if (UpgradesConfiguration* table = upgrades())
                for (const auto& [name, record] : table->getRecords())
                    all = appendNameToList(all, name.getName());
            profile->setString(ProfileKeyBoughtUpgrades, all);
        }
        refresh(true);
        return true;
    }
    if (key == VirtualKeyEscape) {
        goBackOneScene();
        return true;
    }
    return GBaseSceneNode::onKeyUp(event);
}

}  // namespace brasquel
