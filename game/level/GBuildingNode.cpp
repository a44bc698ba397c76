#include "game/level/GBuildingNode.h"

#include <algorithm>
#include <cmath>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundCue.h"
#include "engine/content/CResource.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/scene/animation/Animator.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"

namespace brasquel {

using namespace oskel;

namespace {

// Takes a reference of its own to the object (none lets go).
template <class T, class U>
void hold(CRefPtr<T>& ref, U* object) {
    ref = CRefPtr<T>(static_cast<T*>(object));
}

constexpr f32 ServeRectOffsetX = 70.0f;
constexpr f32 ServeRectOffsetY = 28.0f;
constexpr f32 ServeAreaGrid = 40.0f;
constexpr f32 ServeAreaDepth = -500.0f;
constexpr f32 NoBonus = 1e-6f;
constexpr s32 StateSoundFadeMs = 1000;
constexpr u32 Opaque = 0xFFFFFFFFu;
constexpr u32 Translucent = 0xCCFFFFFFu;
constexpr u32 ClockGreen = 0xFF00FF00u;
constexpr u32 ClockYellow = 0xFFFFFF00u;
constexpr u32 ClockRed = 0xFFFF0000u;
constexpr f32 ClockAlertFraction = 0.75f;
constexpr s32 ClockHalfTurn = 180;
constexpr s32 FeatureIconMinimumCut = 3;
constexpr f32 FeatureIconCutRange = 20.0f;
constexpr f32 GreenSmileBonus = 15.0f;

s32 nameId(const char* name) { return CNameId(name).getId(); }

s32 numberedState(const char* prefix, s32 number, const char* suffix = "") {
    stringc name(prefix);
    name += stringc(number);
    name += suffix;
    return CNameId(name).getId();
}

// A part enters a state: its own animator when it has one, else its children's.
void enterState(BaseNode* node, s32 state) {
    if (!node) return;
    if (node->findState(state))
        node->playState(state);
    else
        node->setState(state);
}

CSoundGroupManager* soundGroups() {
    IGameServices* services = IGameServices::get();
    return services ? services->getSoundGroupManager() : nullptr;
}

bool isZeroArea(const GBuildingConfig* type) {
    return !type || (type->ServeArea.X == 0.0f && type->ServeArea.Y == 0.0f);
}

bool overlaps(const GBuildingNode::Rect& a, const GBuildingNode::Rect& b) {
    return a.UpperLeftCorner.X < b.LowerRightCorner.X &&
           b.UpperLeftCorner.X < a.LowerRightCorner.X &&
           a.UpperLeftCorner.Y < b.LowerRightCorner.Y && b.UpperLeftCorner.Y < a.LowerRightCorner.Y;
}

bool containsName(const array<CNameId>& list, s32 id) {
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i].getId() == id) return true;
    return false;
}

BaseNode* asKind(BaseNode* node, s32 kind) { return node && node->isKindOf(kind) ? node : nullptr; }

// Component-wise blend of two ARGB colours.
u32 blendColor(u32 from, u32 to, f32 t) {
    t = std::clamp(t, 0.0f, 1.0f);
    u32 result = 0;
    for (u32 shift = 0; shift < 32; shift += 8) {
        const f32 a = static_cast<f32>((from >> shift) & 0xFFu);
        const f32 b = static_cast<f32>((to >> shift) & 0xFFu);
        const u32 c = static_cast<u32>(a + (b - a) * t);
        result |= (std::min(c, 255u) & 0xFFu) << shift;
    }
    return result;
}

stringw priceText(s32 amount) {
    const stringw digits = groupDigits(amount, L',');
    IGameServices* services = IGameServices::get();
    CTextDictionary* dictionary = services ? services->getTextDictionary() : nullptr;
    if (!dictionary) return digits;
    return dictionary->getTextWithParams("MoneyDollar", digits, stringw(), stringw(), stringw());
}

s32 roundAmount(f32 value) { return static_cast<s32>(std::floor(value + 0.5f)); }

}  // namespace

GBuildingNode::GBuildingNode(const CCreationContext& context, BaseNode* parent,
                             SceneManager* manager)
    : ControlNode(context, parent, manager),
      IUpdateReceiver(UpdatePeriodMs),
      m_currentType(CRefPtr<GBuildingConfig>::fromRaw(new GBuildingConfig())) {}

GBuildingNode::~GBuildingNode() {
    setUpdateSource(nullptr);
    if (m_stateSound) m_stateSound->stop(StateSoundFadeMs);
}

const CPropertyTable& GBuildingNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ControlNode::getPropertyTable();
        TPropertyTableBuilder<GBuildingNode>(t)
            .field<&GBuildingNode::m_owned, &GBuildingNode::setOwned>("IsOwnedByThePlayer")
            .field<&GBuildingNode::m_luckiness, &GBuildingNode::setLuckinessType>("LuckinessType");
        return t;
    }();
    return table;
}

BaseNode* GBuildingNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GBuildingNode>(this, parent, manager);
}

const stringw& GBuildingNode::getClassName() const {
    static const stringw name(L"GBuildingNode");
    return name;
}

const stringw& GBuildingNode::getThisClassName() const {
    static const stringw name(L"GBuildingNode");
    return name;
}

s32 GBuildingNode::getTypeId() const { return GameNodeTypeBuildingNode; }

bool GBuildingNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeBuildingNode || typeId == NodeTypeControl ||
           typeId == NodeTypeBase;
}

void GBuildingNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ControlNode::copyFrom(source, manager);
    if (!source || !source->isKindOf(GameNodeTypeBuildingNode)) return;
    const auto* other = static_cast<const GBuildingNode*>(source);
    m_owned = other->m_owned;
    m_luckiness = other->m_luckiness;
    m_currentType = other->m_currentType;
}

void GBuildingNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ControlNode::saveProperties(set);
    if (m_owned) set->addBool("IsOwnedByThePlayer", true);
    if (m_luckiness != 0) set->addInt("LuckinessType", m_luckiness);
}

void GBuildingNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ControlNode::loadProperties(set);
    if (hasNodeProperty(set, "IsOwnedByThePlayer"))
        setOwned(unboxPropertyBool(set->getProperty("IsOwnedByThePlayer").get()));
    if (hasNodeProperty(set, "LuckinessType"))
        setLuckinessType(unboxPropertyInt(set->getProperty("LuckinessType").get()));
}

// ---- Template and parts ----

BaseNode* GBuildingNode::makePart(const char* templateName, BaseNode* parent) {
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    BaseNode* source = templates ? templates->findTemplate(nameId(templateName)) : nullptr;
    if (!source || !parent) return nullptr;
    BaseNode* part = source->clone(parent, manager);
    if (!part) return nullptr;
    part->setInternal(true);
    part->updateAbsoluteTransform();
    part->updateAbsoluteColor();
    return part;
}

void GBuildingNode::applyTemplate() {
    SceneManager* manager = getSceneManager();
    if (!manager) return;
    CRefPtr<GBuildingNode> self(this);
    ControlNode::applyTemplate();
    ControlNode* instance = getTemplateInstance();
    const GLevelConfiguration* level = m_configuration.get();

    if (instance) {
        if (level) setState(numberedState("Setting", level->SettingIndex));
        setState(nameId("Done"));
        setOwned(m_owned);
    }

    // The smile: the lot's own, the template's, or one made into the template instance.
    m_smileIcon = nullptr;
    BaseNode* smile = findChildByName("SmileIcon", 1);
    if (!smile && instance) smile = instance->findChildByName("SmileIcon", 1);
    if (!smile && instance) smile = makePart("SmileIcon", instance);
    smile = asKind(smile, NodeTypeText);
    if (smile) {
        m_smileHome = smile->getPosition();
        if (level && level->IsBuildingPlaceLuckinessOn)
            hold(m_smileIcon, smile);
        else
            smile->setVisible(false);
    }

    if (!m_phoneIcon) {
        hold(m_phoneIcon, makePart("PhoneIcon", this));
        if (m_phoneIcon) m_phoneIcon->setVisible(false);
    }
    if (!m_forSaleNode) {
        BaseNode* tag = findChildByName("ForSaleNode", 1);
        if (!tag) tag = makePart("ForSaleNode", this);
        hold(m_forSaleNode, tag);
        if (tag) {
            tag->setVisible(false);
            hold(m_priceText, asKind(tag->findChildByName("PriceText", 1), NodeTypeText));
        }
    }

    hold(m_selector, instance ? instance->findChildByName("Selector", 1) : nullptr);
    if (m_selector && isFocused()) {
        enterState(m_selector.get(), nameId("Focus"));
        instance->setTintColor(Opaque);
    }

    if (!m_serveArea) {
        hold(m_serveArea, makePart("ServeArea", this));
        if (m_serveArea) m_serveArea->setVisible(false);
    }

    m_starIcons = nullptr;
    m_stars.clear();
    if (level && level->IsBuildingLevelOn && instance) {
        hold(m_starIcons, instance->findChildByName("StarIcons", 1));
        if (m_starIcons) {
            m_starIcons->setVisible(true);
            for (BaseNode* child : m_starIcons->getChildren())
                if (child->isKindOf(NodeTypeSprite)) m_stars.emplace_back(child);
        }
    }

    m_workersText = nullptr;
    BaseNode* workers = findChildByName("WorkersText", 1);
    if (!workers && instance) workers = instance->findChildByName("WorkersText", 1);
    if (!workers && instance) workers = makePart("WorkersText", instance);
    workers = asKind(workers, NodeTypeText);
    if (workers) {
        hold(m_workersText, workers);
        m_workersTextHome = workers->getPosition();
        workers->setVisible(false);
    }

    if (!m_feature1Icon) {
        hold(m_feature1Icon, makePart("Feature1Icon", this));
        if (m_feature1Icon) {
            m_feature1Home = m_feature1Icon->getPosition();
            m_feature1Icon->setVisible(false);
        }
    }
    if (!m_feature2Icon) {
        hold(m_feature2Icon, makePart("Feature2Icon", this));
        if (m_feature2Icon) {
            m_feature2Home = m_feature2Icon->getPosition();
            m_feature2Icon->setVisible(false);
        }
    }
    if (!m_moneyBurst) {
        hold(m_moneyBurst, makePart("MoneyBurst", this));
        if (m_moneyBurst) m_moneyBurst->setVisible(false);
    }

    showStars(-1, -1);
    updateSmile();
    updateFeatureIcons();
    setForSale(m_forSale);
    showBuyOffer(m_hasOffer);
    setProblemState(m_problemState);

    setUpdateSource(getSceneBinding().scheduler);
}

void GBuildingNode::playPressState() { setState(visualStates().Press, nullptr); }

void GBuildingNode::onHoveredChanged() {
    const SVisualStates& s = visualStates();
    if (isHovered())
        setState(isFocused() ? s.FocusHover : s.NormalHover, nullptr);
    else
        setState(isFocused() ? s.FocusKillHover : s.NormalKillHover, nullptr);
}

void GBuildingNode::onFocusedChanged() {
    if (isPressed() || isPressRunning()) return;
    setState(isFocused() ? visualStates().Focus : visualStates().KillFocus, nullptr);
}

bool GBuildingNode::onMouseLeftDown(CEvent* event) {
    auto* e = static_cast<CEventMouseLeftDown*>(event);
    if (!isEnabled()) return false;
    const vector2df point(static_cast<f32>(e->getX()), static_cast<f32>(e->getY()));
    if (!findNodeAt(point)) return false;
    CRefPtr<BaseNode> self(this);
    if (!isPressRunning()) setPressed(true);
    return true;
}

bool GBuildingNode::removeFinishedLetter(BaseNode* node, s32 state) {
    static const s32 letter = nameId("MoneyLetter");
    static const s32 disappear = nameId("Disappear");
    static const s32 disappearHit = nameId("DisappearHit");
    if (!node || node == this || node->getNameId() != letter) return false;
    if (state != disappear && state != disappearHit) return false;
    CRefPtr<BaseNode> keep(node);
    if (BaseNode* parent = keep->getParent()) parent->removeChild(keep.get());
    return true;
}

bool GBuildingNode::onStateFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeStateFinished*>(event);
    if (removeFinishedLetter(finished->getNode(), finished->getStateId())) return true;
    return ControlNode::onStateFinished(event);
}

bool GBuildingNode::onChildStateFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeChildStateFinished*>(event);
    if (removeFinishedLetter(finished->getNode(), finished->getStateId())) return true;
    return ControlNode::onChildStateFinished(event);
}

// ---- Ownership, type, problems, processes ----

void GBuildingNode::setOwned(bool owned) {
    m_owned = owned;
    setTintColor(Opaque);
    if (owned) {
        setState(nameId("Owned"));
        if (ControlNode* instance = getTemplateInstance()) instance->setTintColor(Opaque);
    } else {
        setState(nameId("NotOwned"));
    }
    showStars(-1, -1);
    updateFeatureIcons();
}

void GBuildingNode::enterFeatureState(s32 index, bool stop) {
    setState(numberedState("Feature", index + 1, stop ? "Stop" : ""));
}

void GBuildingNode::setType(GBuildingConfig* type, bool restoreSnapshot) {
    if (!type) {
        logError("A building place was given no building type: ignored");
        return;
    }
    CRefPtr<GBuildingNode> self(this);
    m_previousType = m_currentType;
    m_currentType = CRefPtr<GBuildingConfig>::fromRaw(type->copy());
    const GBuildingConfig& t = *m_currentType;
    const s32 featureCount = static_cast<s32>(t.Features.size());

    if (restoreSnapshot) {
        m_problemState = m_savedProblemState;
        m_features = m_savedFeatures;
        for (s32 i = 0; i < static_cast<s32>(m_features.size()); ++i) {
            GBuildingFeatureState& f = m_features[i];
            f.boostsIncome = false;
            f.incomeTick = 0;
            if (f.state != GBuildingFeatureState::Active) continue;
            enterFeatureState(i, true);
            stopStateSound();
            s32 recharge = 0;
            if (i < featureCount) {
                const GBuildingFeature& feature = t.Features[i];
                // A feature without a duration has nothing left to run: a full recharge.
                recharge =
                    feature.DurationTime > 0
                        ? static_cast<s32>((1.0f - static_cast<f32>(f.remaining) /
                                                       static_cast<f32>(feature.DurationTime)) *
                                           static_cast<f32>(feature.RechargeTime))
                        : feature.RechargeTime;
            }
            f.state = GBuildingFeatureState::Recharging;
            f.remaining = recharge;
            if (BaseNode* icon = getFeatureIcon(i)) enterState(icon, nameId("Recharging"));
        }
    } else {
        m_features.assign(static_cast<size_t>(featureCount), GBuildingFeatureState());
        for (BaseNode* icon : {m_feature1Icon.get(), m_feature2Icon.get()}) {
            if (!icon) continue;
            setFeatureIconCharge(icon, 1.0f);
            enterState(icon, nameId("Ready"));
        }
    }

    if (t.Type >= BuildingKindFirstRuin) {
        setProblemState(BuildingProblemRuin);
    } else if (t.Type == BuildingKindDecoration && m_configuration && m_configuration->IsNotOwnedDecorationsDirty &&
               t.ServeAreaIncomeBonus > 0.0f && !m_owned) {
        setProblemState(BuildingProblemDirty);
    }

    showStars(-1, -1);
    updateSmile();
    claimService();
}

void GBuildingNode::saveStateSnapshot() {
    m_savedProblemState = m_problemState;
    m_savedFeatures = m_features;
}

void GBuildingNode::setProblemState(s32 state) {
    if (m_problemIcon) {
        if (BaseNode* parent = m_problemIcon->getParent()) parent->removeChild(m_problemIcon.get());
        m_problemIcon = nullptr;
    }
    m_problemState = state;
    const char* icon = nullptr;
    if (state == BuildingProblemBroken || state == BuildingProblemServiceB) icon = "RepairIcon";
    if (state == BuildingProblemDirty) icon = "DirtyIcon";
    if (!icon) return;
    hold(m_problemIcon, makePart(icon, this));
    if (!m_problemIcon) return;
    m_problemIcon->setVisible(true);
    m_problemIcon->setTintColor(Opaque);
    enterState(m_problemIcon.get(), nameId("Active"));
}

void GBuildingNode::resetSaleState() {
    setForSale(false);
    restartBuyOfferTimer();
    setProblemState(BuildingProblemNone);
    notifyChanged();
}

void GBuildingNode::setProcess(s32 kind, GBuildingProcess* process) {
    if (kind == BuildingProcessDemolition)
        for (s32 i = 0; i < static_cast<s32>(m_features.size()); ++i)
            if (m_features[i].state == GBuildingFeatureState::Active) enterFeatureState(i, true);
    m_processKind = kind;
    m_process = process;
    showStars(-1, -1);
    updateSmile();
    updateFeatureIcons();
}

void GBuildingNode::releaseProcess() {
    m_processKind = BuildingProcessNone;
    m_process = nullptr;
}

void GBuildingNode::abortProcess() {
    if (m_process) m_process->abort();
}

f32 GBuildingNode::getProcessProgress() const {
    if (m_processKind == BuildingProcessNone) return 1.0f;
    return m_process ? m_process->getProgress() : 0.0f;
}

bool GBuildingNode::isWorking() const {
    const GBuildingConfig& t = *m_currentType;
    if (!isVisible() || t.Level <= 0 || !m_owned || m_forSale || m_problemState != 0) return false;
    if (m_processKind == BuildingProcessNone) return true;
    return t.Features.size() > 0 && t.Type != BuildingKindLodging &&
           (m_processKind == BuildingProcessTimedService ||
            m_processKind == BuildingProcessFeature);
}

// ---- Stars, smile, workers, icons ----

void GBuildingNode::showStars(s32 level, s32 hiddenStar) {
    if (!m_starIcons) return;
    if (level == -1) {
        if (m_processKind == BuildingProcessConstruction)
            level = m_previousType ? m_previousType->Level : 0;
        else
            level = m_currentType->Level;
    }
    if (!m_owned || level == 0 || m_currentType->Type != BuildingKindLodging) {
        m_starIcons->setVisible(false);
        return;
    }
    m_starIcons->setVisible(true);
    IContentManager* content = getContentManager();
    for (size_t k = 0; k < m_stars.size(); ++k) {
        const s32 number = static_cast<s32>(k) + 1;
        auto* star = static_cast<SpriteNode*>(m_stars[k].get());
        if (number == hiddenStar) {
            star->setVisible(false);
            continue;
        }
        star->setVisible(true);
        const char* image = number < level ? "levels/common/Stars/FilledStar.png"
                                           : "levels/common/Stars/EmptyStar.png";
        if (!content) continue;
        CRefPtr<CResource> picture = CRefPtr<CResource>::fromRaw(
            content->getContentByPath(TypeCodeAtlasTexture, image, false));
        if (auto* atlas = dynamic_cast<CAtlasTexture*>(picture.get())) star->setAtlasTexture(atlas);
    }
}

vector3df GBuildingNode::getStarPosition() const {
    const s32 index = m_currentType->Level - 2;
    if (!m_starIcons || index < 0 || index >= static_cast<s32>(m_stars.size()))
        return vector3df(0.0f, 0.0f, 0.0f);
    const BaseNode* star = m_stars[static_cast<size_t>(index)].get();
    vector3df p = getPosition() + m_starIcons->getPosition() + star->getPosition();
    p.X = std::trunc(p.X + star->getBounds().X * 0.5f);
    p.Y = std::trunc(p.Y + star->getBounds().Y * 0.5f);
    return p;
}

void GBuildingNode::showWorkersCount(s32 count) {
    if (m_workersText) {
        if (count > 0) {
            stringw text(L"x");
            text += stringw(count);
            static_cast<TextNode*>(m_workersText.get())->setText(text);
            m_workersText->setVisible(true);
        } else {
            m_workersText->setVisible(false);
        }
    }
    arrangeSmileAndWorkers();
    updateFeatureIcons();
}

void GBuildingNode::updateSmile() {
    if (!m_smileIcon) return;
    const f32 bonus = m_incomeBonus;
    const bool hidden = std::fabs(bonus) <= NoBonus || m_currentType->Type != BuildingKindLodging ||
                        (m_processKind == BuildingProcessDemolition && m_previousType &&
                         m_previousType->Type != BuildingKindLodging);
    if (hidden) {
        m_smileIcon->setVisible(false);
    } else {
        stringw text;
        if (bonus > 0.0f) text += L"+";
        text += stringw(static_cast<s32>(bonus));
        text += L"%";
        static_cast<TextNode*>(m_smileIcon.get())->setText(text);
        m_smileIcon->setVisible(true);
        const auto& children = m_smileIcon->getChildren();
        if (!children.empty() && children.front()->isKindOf(NodeTypeSprite)) {
            const char* image = bonus < 0.0f               ? "levels/common/Smiles/Red.png"
                                : bonus >= GreenSmileBonus ? "levels/common/Smiles/Green.png"
                                                           : "levels/common/Smiles/Blue.png";
            if (IContentManager* content = getContentManager()) {
                CRefPtr<CResource> picture = CRefPtr<CResource>::fromRaw(
                    content->getContentByPath(TypeCodeAtlasTexture, image, false));
                if (auto* atlas = dynamic_cast<CAtlasTexture*>(picture.get()))
                    static_cast<SpriteNode*>(children.front())->setAtlasTexture(atlas);
            }
        }
    }
    arrangeSmileAndWorkers();
}

void GBuildingNode::arrangeSmileAndWorkers() {
    const vector3df zero(0.0f, 0.0f, 0.0f);
    if (m_smileHome == zero || m_workersTextHome == zero) return;
    const bool smile = m_smileIcon && m_smileIcon->isVisible();
    const bool workers = m_workersText && m_workersText->isVisible();
    if (smile && workers) {
        m_smileIcon->setPosition(m_smileHome);
        m_workersText->setPosition(m_workersTextHome);
    } else if (smile) {
        m_smileIcon->setPosition(m_smileHome);
    } else if (workers) {
        m_workersText->setPosition(m_smileHome);
    }
}

BaseNode* GBuildingNode::getFeatureIcon(s32 index) const {
    if (index == 0) return m_feature1Icon.get();
    if (index == 1) return m_feature2Icon.get();
    return nullptr;
}

void GBuildingNode::updateFeatureIcons() {
    const s32 count = static_cast<s32>(m_currentType->Features.size());
    bool want1 = count > 0 && isFeatureUnlocked(0);
    bool want2 = count > 1 && isFeatureUnlocked(1);
    if ((m_workersText && m_workersText->isVisible()) || !m_owned || !isWorking() ||
        m_currentType->Type == BuildingKindNoFeatureIcons) {
        want1 = false;
        want2 = false;
    }
    if (m_feature1Icon) m_feature1Icon->setVisible(want1);
    if (m_feature2Icon) m_feature2Icon->setVisible(want2);
    const vector3df middle = (m_feature1Home + m_feature2Home) * 0.5f;
    if (want1 && want2) {
        if (m_feature1Icon) m_feature1Icon->setPosition(m_feature1Home);
        if (m_feature2Icon) m_feature2Icon->setPosition(m_feature2Home);
    } else if (want1 && m_feature1Icon) {
        m_feature1Icon->setPosition(middle);
    } else if (want2 && m_feature2Icon) {
        m_feature2Icon->setPosition(middle);
    }
}

void GBuildingNode::setFeatureIconCharge(BaseNode* icon, f32 fraction) {
    if (!icon || icon->getChildCount() < 2) return;
    BaseNode* upper = asKind(icon->getChildren()[0], NodeTypeSprite);
    BaseNode* filled = asKind(icon->getChildren()[1], NodeTypeSprite);
    if (!upper || !filled) return;
    auto* top = static_cast<SpriteNode*>(upper);
    auto* fill = static_cast<SpriteNode*>(filled);
    if (fraction <= 0.0f) {
        top->setBounds(FeatureIconWidth, FeatureIconHeight);
        fill->setVisible(false);
        return;
    }
    const f32 d = std::floor((1.0f - fraction) * FeatureIconCutRange) + FeatureIconMinimumCut;
    top->setBounds(FeatureIconWidth, d);
    fill->setVisible(true);
    fill->setPosition(vector3df(0.0f, d, 0.01f));
    fill->setBounds(FeatureIconWidth, FeatureIconHeight - d);
    fill->setImagePivotPoint(vector2df(0.0f, d));
    fill->setImageStretchY(SpriteNode::StretchCrop);
    top->setImageStretchY(SpriteNode::StretchCrop);
}

// ---- Preview and highlight ----

void GBuildingNode::setHighlightColor(u32 color) {
    static const char* const excluded[] = {
        "Selector",  "RepairIcon", "DirtyIcon", "UnfinishedIcon", "PhoneIcon",    "ForSaleNode",
        "ServeArea", "SmileIcon",  "StarIcons", "WorkersText",    "Feature1Icon", "Feature2Icon"};
    auto tint = [&](BaseNode* parent) {
        for (BaseNode* child : parent->getChildren()) {
            if (!child->isKindOf(NodeTypeSprite)) continue;
            bool skip = false;
            for (const char* name : excluded)
                if (child->getNameId() == nameId(name)) skip = true;
            if (skip) continue;
            static_cast<SpriteNode*>(child)->setBlendType(SpriteNode::BlendAdditive);
            child->setTintColor(color);
        }
    };
    tint(this);
    ControlNode* instance = getTemplateInstance();
    if (instance && (instance->getTintColor() >> 24) == 0xFFu) tint(instance);
}

void GBuildingNode::previewBuilding(GBuildingConfig* type) {
    if (type) {
        if (m_currentType->Level != 0 || getTemplateName() == type->Name.getId()) return;
        setTemplateName(type->Name.getId());
        if (ControlNode* instance = getTemplateInstance()) instance->setTintColor(Translucent);
        if (type->Type == BuildingKindLodging) showServeArea(type);
        return;
    }
    const s32 own = m_currentType->Name.getId();
    if (getTemplateName() == own) return;
    setTemplateName(own);
    if (ControlNode* instance = getTemplateInstance()) instance->setTintColor(Opaque);
    if (isFocused()) setState(visualStates().Focus);
}

// ---- State sound ----

CNameId GBuildingNode::getStateCue() const {
    const GSoundCueIds& cues = GSoundCueIds::get();
    const GBuildingConfig& t = *m_currentType;
    for (size_t i = 0; i < m_features.size() && i < 2; ++i) {
        if (m_features[i].state != GBuildingFeatureState::Active) continue;
        if (t.Name.getId() == nameId("TruckStation")) return cues.FeatureFactory;
        if (t.Name.getId() == nameId("REAgency")) return cues.FeatureREAgency;
        if (t.Name.getId() == nameId("PRAgency")) return cues.FeaturePRAgency;
        return t.SelectedSoundCueName;
    }
    switch (m_processKind) {
        case BuildingProcessNone:
            return t.SelectedSoundCueName;
        case BuildingProcessConstruction:
            return t.Level > 1 ? cues.Upgrading : cues.Building;
        case BuildingProcessDemolition:
            return cues.Destroying;
        case BuildingProcessMaintenance:
            return t.Type == BuildingKindAmenity || t.Type == BuildingKindDecoration
                       ? cues.CleaningDecoration
                       : cues.Building;
        default:
            return CNameId();
    }
}

void GBuildingNode::playStateSound() {
    const CNameId cue = getStateCue();
    if (m_stateSound && m_stateSound->getName() == cue && m_stateSound->getState() != 0) return;
    stopStateSound();
    CSoundGroupManager* groups = soundGroups();
    if (!groups || cue.getId() == -1) return;
    hold(m_stateSound, groups->playCue(cue, false, 0));
}

void GBuildingNode::stopStateSound() {
    if (!m_stateSound) return;
    m_stateSound->stop(StateSoundFadeMs);
    m_stateSound = nullptr;
}

void GBuildingNode::notifyChanged() {
    if (!isFocused()) return;
    CRefPtr<GBuildingNode> self(this);
    routeToParent(DispatchSelfThenParents, makeEvent<GEventBuildingSelected>(this, this).get());
}

void GBuildingNode::postToLevel(CEvent* event) {
    GGameLevelScene* level = m_levelScene;
    if (!level) return;
    CRefPtr<BaseNode> keep(level);
    if (!level->onEvent(event)) level->routeToParent(DispatchSelfThenParents, event);
}

// ---- Prices ----

const GBuildingConfig* GBuildingNode::ownType(const GBuildingConfig* type) const {
    return type ? type : m_currentType.get();
}

f32 GBuildingNode::getPrice(const GBuildingConfig* type) const {
    if (type && type != m_currentType.get()) return type->SellPrice;
    const GBuildingConfig& t = *m_currentType;
    f32 percent = 0.0f;
    if (m_configuration) {
        const GLevelFactors& f = m_configuration->Factors;
        if (m_owned) {
            percent = f.OwnedBuildingPriceBonus;
        } else {
            percent = -f.BuyBuildingPriceDiscount;
            if (!m_forSale && f.BuyNotForSaleBuildingPriceBonus > 0.0f)
                percent += f.BuyNotForSaleBuildingPriceBonus;
        }
    }
    return t.SellPrice * (1.0f + percent * 0.01f);
}

s32 GBuildingNode::getOfferAmount() const {
    const f32 p = getPrice() * m_offerMultiplier;
    return static_cast<s32>(std::floor(std::floor(p / 1000.0f + 0.5f) * 1000.0f + 0.5f));
}

void GBuildingNode::setLevelConfiguration(GLevelConfiguration* configuration) {
    hold(m_configuration, configuration);
    recalculateIncomeBonus();
}

void GBuildingNode::setLuckinessType(s32 luckiness) {
    m_luckiness = luckiness;
    if (m_levelScene && m_configuration) recalculateIncomeBonus();
}

// ---- Serve areas and income ----

GBuildingNode::Rect GBuildingNode::getServeRect(const GBuildingConfig* type) const {
    if (!type) type = m_currentType.get();
    const vector2df size = hasBoostedServeArea(type) ? type->BoostedServeArea : type->ServeArea;
    const f32 x = getPosition().X + ServeRectOffsetX;
    const f32 y = getPosition().Y + ServeRectOffsetY;
    return Rect(static_cast<s32>(x - size.X / 2.0f), static_cast<s32>(y - size.Y / 2.0f),
                static_cast<s32>(x + size.X / 2.0f), static_cast<s32>(y + size.Y / 2.0f));
}

bool GBuildingNode::hasBoostedServeArea(const GBuildingConfig* type) const {
    const s32 boost = nameId("BoostServeArea");
    for (size_t i = 0; i < m_features.size() && i < type->Features.size(); ++i)
        if (m_features[i].state == GBuildingFeatureState::Active &&
            containsName(type->Features[static_cast<u32>(i)].FeatureTypes, boost))
            return true;
    return false;
}

GBuildingNode::Rect GBuildingNode::getOwnRect() const {
    vector3df position = getPosition();
    vector3df size = getBounds();
    if (const BaseNode* own = findChildByName("SelfServingRect", 1)) {
        position += own->getPosition();
        size = own->getBounds();
    }
    return Rect(static_cast<s32>(position.X), static_cast<s32>(position.Y),
                static_cast<s32>(position.X + size.X), static_cast<s32>(position.Y + size.Y));
}

std::vector<GBuildingNode*> GBuildingNode::collectServedBuildings(
    const GBuildingConfig* type) const {
    std::vector<GBuildingNode*> served;
    if (!type) type = m_currentType.get();
    if (isZeroArea(type) || !m_levelScene) return served;
    const Rect area = getServeRect(type);
    for (const CRefPtr<GBuildingNode>& lot : m_levelScene->getBuildings())
        if (lot.get() != this && overlaps(lot->getOwnRect(), area)) served.push_back(lot.get());
    return served;
}

s32 GBuildingNode::countServedGuests(const GBuildingConfig* type) const {
    if (!type) type = m_currentType.get();
    if (isZeroArea(type) || type->ServeIncome < 1.0f) return 0;
    s32 guests = 0;
    for (GBuildingNode* lot : collectServedBuildings(type)) {
        if (lot->m_processKind != BuildingProcessNone || lot->m_problemState != 0) continue;
        GBuildingNode* serving = lot->getServingBuilding(type->Name.getId());
        if (serving && serving != this) continue;
        guests += lot->m_currentType->getGuestsCount(m_configuration.get());
    }
    return guests;
}

GBuildingNode* GBuildingNode::getServingBuilding(s32 typeName) const {
    auto found = m_servingBuildings.find(typeName);
    return found == m_servingBuildings.end() ? nullptr : found->second;
}

void GBuildingNode::setServingBuilding(s32 typeName, GBuildingNode* lot) {
    if (lot)
        m_servingBuildings[typeName] = lot;
    else
        m_servingBuildings.erase(typeName);
}

void GBuildingNode::claimService() {
    const GBuildingConfig& t = *m_currentType;
    if (isZeroArea(&t) || t.ServeIncome < 1.0f) return;
    for (GBuildingNode* lot : collectServedBuildings(&t))
        if (!lot->getServingBuilding(t.Name.getId())) lot->setServingBuilding(t.Name.getId(), this);
}

void GBuildingNode::recalculateIncomeBonus() {
    m_incomeBonus = 0.0f;
    m_bonusGivers.clear();
    const Rect own = getOwnRect();
    if (m_levelScene) {
        for (const CRefPtr<GBuildingNode>& giver : m_levelScene->getBuildings()) {
            const GBuildingConfig* type = giver->m_currentType.get();
            if (isZeroArea(type)) continue;
            const f32 b = type->getServeAreaIncomeBonus(giver->m_processKind != BuildingProcessNone,
                                                        giver->m_problemState != 0);
            if (std::fabs(b) <= NoBonus) continue;
            if (!overlaps(giver->getServeRect(type), own)) continue;
            bool sameType = false;
            for (const GBuildingNode* given : m_bonusGivers)
                if (given->m_currentType->Name == type->Name) sameType = true;
            if (sameType) continue;
            m_incomeBonus += b;
            m_bonusGivers.push_back(giver.get());
        }
    }
    if (const GLevelConfiguration* level = m_configuration.get()) {
        const GLevelFactors& f = level->Factors;
        const s32 type = m_currentType->Name.getId();
        if (std::fabs(f.PyramidIncomeBonus) > NoBonus &&
            containsName(level->PyramidIncomeBonusPlaces, getNameId()))
            m_incomeBonus += f.PyramidIncomeBonus;
        const f32 station1 = f.StationIncomeBonus1 + level->StationIncomeBonus1;
        if (station1 != 0.0f && containsName(level->StationIncomeBonus1BuildingTypes, type))
            m_incomeBonus += station1;
        const f32 station2 = f.StationIncomeBonus2 + level->StationIncomeBonus2;
        if (station2 != 0.0f && containsName(level->StationIncomeBonus2BuildingTypes, type))
            m_incomeBonus += station2;
        if (m_currentType->Type != BuildingKindAquaPark) m_incomeBonus += f.AquaParkIncomeBonus;
        m_incomeBonus += f.PRIncomeBonus;
        if (m_luckiness == -1) m_incomeBonus += level->IncomeBonus2;
        if (m_luckiness == 1) m_incomeBonus += level->IncomeBonus1;
    }
    updateSmile();
}

f32 GBuildingNode::getIncome(const GBuildingConfig* type) const {
    if (!type) {
        type = m_currentType.get();
        if (m_processKind != BuildingProcessNone && type->Type == BuildingKindLodging) {
            type = m_previousType.get();
            if (!type) return 0.0f;
        }
    }
    if (type->Level <= 0) return 0.0f;
    return static_cast<f32>(countServedGuests(type)) * type->ServeIncome +
           (1.0f + m_incomeBonus * 0.01f) * type->Income;
}

f32 GBuildingNode::getBoostIncome() const {
    f32 sum = 0.0f;
    const f32 perGuest = m_currentType->ServeBoostedIncome;
    for (const GBuildingFeatureState& f : m_features)
        if (f.state == GBuildingFeatureState::Active && f.boostsIncome)
            sum += std::floor(static_cast<f32>(countServedGuests(nullptr)) * perGuest + 0.5f);
    return sum;
}

stringw GBuildingNode::formatIncomeText(const GBuildingConfig* type) const {
    return groupDigits(roundAmount(getIncome(type) + getBoostIncome()), L',');
}

void GBuildingNode::showServeArea(const GBuildingConfig* type) {
    if (!type) {
        if (m_serveArea) m_serveArea->setVisible(false);
        return;
    }
    auto colourOf = [](const GBuildingConfig* t) {
        return t->ServeAreaIncomeBonus > 0.0f ? HighlightBonus : HighlightGuests;
    };
    if (type->Level > 0 && (type->Type == BuildingKindLodging || type->Type == BuildingKindServed ||
                            type->Type == BuildingKindAquaPark)) {
        for (auto& entry : m_servingBuildings) {
            GBuildingNode* lot = entry.second;
            if (!isZeroArea(lot->m_currentType.get()))
                lot->setHighlightColor(colourOf(lot->m_currentType.get()));
        }
        for (GBuildingNode* lot : m_bonusGivers)
            lot->setHighlightColor(colourOf(lot->m_currentType.get()));
        return;
    }
    Rect serve = getServeRect(type);
    if (m_levelScene) {
        const Rect& bounds = m_levelScene->getLotsArea();
        serve.UpperLeftCorner.X = std::max(serve.UpperLeftCorner.X, bounds.UpperLeftCorner.X);
        serve.UpperLeftCorner.Y = std::max(serve.UpperLeftCorner.Y, bounds.UpperLeftCorner.Y);
        serve.LowerRightCorner.X = std::min(serve.LowerRightCorner.X, bounds.LowerRightCorner.X);
        serve.LowerRightCorner.Y = std::min(serve.LowerRightCorner.Y, bounds.LowerRightCorner.Y);
        serve.LowerRightCorner.X = std::max(serve.LowerRightCorner.X, serve.UpperLeftCorner.X);
        serve.LowerRightCorner.Y = std::max(serve.LowerRightCorner.Y, serve.UpperLeftCorner.Y);
    }
    if (serve.getWidth() == 0 && serve.getHeight() == 0) {
        if (m_serveArea) m_serveArea->setVisible(false);
        return;
    }
    const std::vector<GBuildingNode*> served = collectServedBuildings(type);
    const vector3df& at = getPosition();
    f32 left = at.X, top = at.Y, right = at.X, bottom = at.Y;
    for (const GBuildingNode* lot : served) {
        const vector3df& p = lot->getPosition();
        const vector3df& b = lot->getBounds();
        left = std::min({left, p.X, p.X + b.X});
        right = std::max({right, p.X, p.X + b.X});
        top = std::min({top, p.Y, p.Y + b.Y});
        bottom = std::max({bottom, p.Y, p.Y + b.Y});
    }
    const f32 width = std::floor((right - left) / ServeAreaGrid + 0.5f) * ServeAreaGrid;
    const f32 height = (std::floor((bottom - top) / ServeAreaGrid + 0.5f) + 1.0f) * ServeAreaGrid;
    if (m_serveArea) {
        m_serveArea->setPosition(vector3df((left + right) * 0.5f - at.X,
                                           (top + bottom) * 0.5f - at.Y, ServeAreaDepth - at.Z));
        m_serveArea->setBounds(width, height);
        m_serveArea->setPivotPoint(vector2df(width / 2.0f, height / 2.0f));
        m_serveArea->setVisible(true);
        const s32 state = type->ServeAreaIncomeBonus > 0.0f ? nameId("Blue") : nameId("Green");
        Animator* running = m_serveArea->getRunningAnimator();
        if (!running || running->getState() != state) enterState(m_serveArea.get(), state);
    }
    for (GBuildingNode* lot : served) {
        if (lot->m_processKind != BuildingProcessNone || lot->m_problemState != 0) continue;
        const GBuildingConfig* t = lot->m_currentType.get();
        if (t->getGuestsCount(m_configuration.get()) == 0 && t->Level != 0) continue;
        GBuildingNode* serving = lot->getServingBuilding(type->Name.getId());
        if (serving && serving != this) continue;
        lot->setHighlightColor(colourOf(type));
    }
}

// ---- Sale and offers ----

f32 GBuildingNode::drawTime(const void* range) const {
    const auto* r = static_cast<const SLevelRange*>(range);
    return CRandom::instance().nextFloatRange(r->Min, r->Max);
}

void GBuildingNode::setPriceText(s32 amount) {
    if (m_priceText) static_cast<TextNode*>(m_priceText.get())->setText(priceText(amount));
}

void GBuildingNode::setForSale(bool forSale) {
    m_forSale = forSale;
    BaseNode* progress = nullptr;
    BaseNode* background = nullptr;
    if (m_forSaleNode) {
        m_forSaleNode->setVisible(forSale);
        setPriceText(roundAmount(getPrice()));
        progress = m_forSaleNode->findChildByName("Progress", 1);
        background = m_forSaleNode->findChildByName("Bg", 1);
        if (progress) progress->setVisible(false);
        if (background) background->setVisible(false);
    }
    if (!forSale || !m_configuration) return;
    playGameCue(GSoundCueIds::get().ForSale);
    const GLevelConfiguration& level = *m_configuration;
    if (m_owned) {
        m_saleTotal = static_cast<s32>(drawTime(&level.BuildingsBuyRequestTime));
        m_saleElapsed = 0;
    } else {
        m_saleTotal = static_cast<s32>(drawTime(&level.BuildingsSellTime));
        m_saleElapsed = 0;
        if (progress) {
            setCountdownClock(progress, 0.0f);
            progress->setVisible(true);
            enterState(progress, nameId("Normal"));
        }
        if (background) background->setVisible(true);
    }
    showBuyOffer(false);
}

void GBuildingNode::showBuyOffer(bool offer) {
    m_hasOffer = offer;
    if (!m_phoneIcon) return;
    m_phoneIcon->setVisible(offer);
    m_phoneIcon->setTintColor(Opaque);
    if (offer) {
        playGameCue(GSoundCueIds::get().BuyRequest);
        enterState(m_phoneIcon.get(), nameId("Active"));
    }
    if (BaseNode* progress = m_phoneIcon->findChildByName("Progress", 1)) {
        setCountdownClock(progress, 0.0f);
        progress->setVisible(true);
        enterState(progress, nameId("Normal"));
    }
}

void GBuildingNode::restartBuyOfferTimer() {
    if (m_configuration)
        m_saleTotal = static_cast<s32>(drawTime(&m_configuration->BuildingsBuyRequestTime));
    m_saleElapsed = 0;
    showBuyOffer(false);
    setPriceText(roundAmount(getPrice()));
    notifyChanged();
}

void GBuildingNode::advanceOfferTimer(s32 ms) {
    m_saleElapsed += ms;
    s32 amount = 0;
    const f32 fraction = m_saleTotal > 0 ? static_cast<f32>(m_saleElapsed) / m_saleTotal : 1.0f;
    if (m_saleElapsed <= m_saleTotal && m_forSale) {
        if (m_owned && !m_hasOffer) {
            amount = roundAmount(getPrice());
        } else if (m_owned) {
            if (m_phoneIcon)
                setCountdownClock(m_phoneIcon->findChildByName("Progress", 1), fraction);
            amount = getOfferAmount();
        } else {
            if (m_forSaleNode)
                setCountdownClock(m_forSaleNode->findChildByName("Progress", 1), fraction);
            amount = roundAmount(getPrice());
        }
    }
    if (m_saleElapsed > m_saleTotal) {
        m_saleElapsed = 0;
        if (m_forSale) {
            if (m_owned) {
                if (m_configuration) {
                    const GLevelConfiguration& level = *m_configuration;
                    if (m_hasOffer) {
                        amount = roundAmount(getPrice());
                        m_saleTotal = static_cast<s32>(drawTime(&level.BuildingsBuyRequestTime));
                        showBuyOffer(false);
                    } else {
                        m_offerMultiplier = drawTime(&level.BuildingsBuyRequestPriceMultiplier);
                        amount = getOfferAmount();
                        m_saleTotal =
                            static_cast<s32>(drawTime(&level.BuildingsBuyRequestTimeWaiting));
                        showBuyOffer(true);
                    }
                    notifyChanged();
                }
            } else {
                setForSale(false);
                notifyChanged();
            }
        }
    }
    if (amount >= 1) setPriceText(amount);
}

void GBuildingNode::setCountdownClock(BaseNode* clock, f32 fraction) {
    if (!clock || clock->getChildCount() < 3) return;
    const s32 angle = static_cast<s32>(std::floor(fraction * 360.0f + 0.5f));
    BaseNode* sector = clock->getChildren()[1];
    if (sector->isKindOf(GameNodeTypeEllipseSectorNode)) {
        auto* dial = static_cast<GEllipseSectorNode*>(sector);
        dial->Angle2 = angle;
        dial->FillColor = angle <= ClockHalfTurn
                              ? blendColor(ClockGreen, ClockYellow, fraction * 2.0f)
                              : blendColor(ClockYellow, ClockRed, (fraction - 0.5f) * 2.0f);
        const s32 alert = nameId("Alert");
        Animator* running = dial->getRunningAnimator();
        const bool alerting = running && running->getState() == alert;
        if (fraction > ClockAlertFraction && !alerting) {
            playGameCue(GSoundCueIds::get().TimedActionEnd);
            enterState(dial, alert);
        }
    }
    BaseNode* hand = clock->getChildren()[2];
    hand->setRotation(vector3df(0.0f, 0.0f, static_cast<f32>(angle)));
}

// ---- Features ----

bool GBuildingNode::isFeatureUnlocked(s32 index) const {
    if (index < 0 || index >= static_cast<s32>(m_currentType->Features.size())) return false;
    return m_levelScene && m_levelScene->isFeatureAllowed(m_currentType->Name.getId(), index);
}

s32 GBuildingNode::getFeatureState(s32 index) const {
    if (index < 0 || index >= static_cast<s32>(m_features.size()))
        return GBuildingFeatureState::Recharging;
    return m_features[static_cast<size_t>(index)].state;
}

f32 GBuildingNode::getFeatureProgress(s32 index) const {
    if (index < 0 || index >= static_cast<s32>(m_features.size()) ||
        index >= static_cast<s32>(m_currentType->Features.size()))
        return 1.0f;
    const GBuildingFeatureState& f = m_features[static_cast<size_t>(index)];
    const GBuildingFeature& feature = m_currentType->Features[static_cast<u32>(index)];
    if (f.state == GBuildingFeatureState::Active)
        return feature.DurationTime > 0 ? static_cast<f32>(f.remaining) / feature.DurationTime
                                        : 0.0f;
    if (f.state == GBuildingFeatureState::Recharging)
        return feature.RechargeTime > 0
                   ? 1.0f - static_cast<f32>(f.remaining) / feature.RechargeTime
                   : 0.0f;
    return 1.0f;
}

void GBuildingNode::startFeature(s32 index) {
    if (index < 0 || index >= static_cast<s32>(m_features.size()) ||
        index >= static_cast<s32>(m_currentType->Features.size()))
        return;
    GBuildingFeatureState& f = m_features[static_cast<size_t>(index)];
    if (f.state != GBuildingFeatureState::Ready) return;
    const GBuildingFeature& feature = m_currentType->Features[static_cast<u32>(index)];
    f.state = GBuildingFeatureState::Active;
    f.remaining = feature.DurationTime;
    f.boostsIncome = containsName(feature.FeatureTypes, nameId("BoostIncome"));
    if (f.boostsIncome) f.incomeTick = feature.DurationTime / 4;
    enterFeatureState(index, false);
    if (BaseNode* icon = getFeatureIcon(index)) enterState(icon, nameId("Active"));
}

void GBuildingNode::advanceFeatures(s32 ms) {
    if (!isWorking()) return;
    CRefPtr<GBuildingNode> self(this);
    const s32 count = std::min(static_cast<s32>(m_features.size()),
                               static_cast<s32>(m_currentType->Features.size()));
    for (s32 i = 0; i < count && i < static_cast<s32>(m_features.size()); ++i) {
        GBuildingFeatureState& f = m_features[static_cast<size_t>(i)];
        if (f.state == GBuildingFeatureState::Ready) continue;
        const GBuildingFeature& feature = m_currentType->Features[static_cast<u32>(i)];
        const f32 payment = static_cast<f32>(countServedGuests(nullptr)) *
                            m_currentType->ServeBoostedIncome * 0.25f;
        if (f.state == GBuildingFeatureState::Active && f.boostsIncome) {
            f.incomeTick -= ms;
            if (f.incomeTick < 0) {
                f.incomeTick = feature.DurationTime / 3;
                postToLevel(makeEvent<GEventBuildingIncome>(this, payment).get());
            }
        }
        f32 charge = getFeatureProgress(i);
        f.remaining -= ms;
        if (f.remaining > 0) {
            charge = getFeatureProgress(i);
        } else {
            f.remaining = 0;
            if (f.state == GBuildingFeatureState::Active) {
                const bool boosted = f.boostsIncome;
                f.state = GBuildingFeatureState::Recharging;
                f.remaining = feature.RechargeTime;
                charge = 0.0f;
                enterFeatureState(i, true);
                stopStateSound();
                if (BaseNode* icon = getFeatureIcon(i)) enterState(icon, nameId("Recharging"));
                if (boosted) postToLevel(makeEvent<GEventBuildingIncome>(this, payment).get());
                // A feature that runs with a process of its own is reported by that process.
                if (m_processKind != BuildingProcessFeature)
                    postToLevel(makeEvent<GEventBuildingFeatureUsed>(this, i).get());
            } else {
                f.state = GBuildingFeatureState::Ready;
                charge = 1.0f;
                if (BaseNode* icon = getFeatureIcon(i)) enterState(icon, nameId("Ready"));
                postToLevel(makeEvent<GEventBuildingProcessEnded>(this).get());
            }
        }
        if (i < static_cast<s32>(m_features.size()) && getFeatureIcon(i))
            setFeatureIconCharge(getFeatureIcon(i), charge);
    }
}

bool GBuildingNode::update(u32 elapsedMs) {
    // A lot the level has not linked yet has no level to run in.
    if (!m_levelScene || !m_configuration) return true;
    if (m_levelScene->isPaused()) return true;
    CRefPtr<GBuildingNode> self(this);
    const s32 ms = static_cast<s32>(elapsedMs);
    m_msSinceMoneyLetter += ms;
    m_msSinceMaintenance += ms;
    advanceOfferTimer(ms);
    advanceFeatures(ms);
    return true;
}

}  // namespace brasquel
