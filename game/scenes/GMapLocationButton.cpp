#include "game/scenes/GMapLocationButton.h"

#include "engine/content/IContentManager.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/animation/Animator.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

const char* const LevelNameProperty = "AssociatedLevelName";

SpriteNode* spriteChild(BaseNode* parent, const char* name) {
    BaseNode* child = parent ? parent->findChildByName(name, 1) : nullptr;
    return child && child->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(child) : nullptr;
}

}  // namespace

GMapLocationButton* asMapLocationButton(BaseNode* node) {
    return node && node->isKindOf(GameNodeTypeMapLocationButton)
               ? static_cast<GMapLocationButton*>(node)
               : nullptr;
}

GMapLocationButton::GMapLocationButton(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : ButtonNode(context, parent, manager) {}

const CPropertyTable& GMapLocationButton::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ButtonNode::getPropertyTable();
        TPropertyTableBuilder<GMapLocationButton>(t).field<&GMapLocationButton::m_levelName>(
            LevelNameProperty);
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GMapLocationButton, GameNodeTypeMapLocationButton, ButtonNode)

void GMapLocationButton::copyFrom(const BaseNode* source, SceneManager* manager) {
    ButtonNode::copyFrom(source, manager);
    // The copy's own template instance holds its own parts.
    findParts();
    const GMapLocationButton* button = asMapLocationButton(const_cast<BaseNode*>(source));
    if (button && button != this) m_levelName = button->m_levelName;
}

void GMapLocationButton::applyTemplate() {
    ButtonNode::applyTemplate();
    findParts();
}

void GMapLocationButton::findParts() {
    m_selector = nullptr;
    m_starGroup = nullptr;
    m_starSprite = nullptr;
    m_platformSprite = nullptr;
    ControlNode* instance = getTemplateInstance();
    if (!instance) return;
    m_selector = instance->findChildByName("Selector", 1);
    m_starGroup = instance->findChildByName("Star", 1);
    m_starSprite = spriteChild(m_starGroup, "Star");
    m_platformSprite = spriteChild(m_starGroup, "Platform");
}

void GMapLocationButton::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ButtonNode::saveProperties(set);
    if (!m_levelName.empty()) set->addString(LevelNameProperty, m_levelName);
}

void GMapLocationButton::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ButtonNode::loadProperties(set);
    if (hasNodeProperty(set, LevelNameProperty))
        m_levelName = getPropertyString(set->getProperty(LevelNameProperty).get());
}

void GMapLocationButton::showPicture(SpriteNode* sprite, const char* path) {
    if (!sprite) return;
    IContentManager* content = getContentManager();
    CResource* loaded = content && path
                            ? content->getContentByPath(TypeCodeAtlasTexture, stringc(path), true)
                            : nullptr;
    CAtlasTexture* texture = loaded && loaded->getTypeCode() == TypeCodeAtlasTexture
                                 ? static_cast<CAtlasTexture*>(loaded)
                                 : nullptr;
    sprite->setAtlasTexture(texture);
    if (loaded) loaded->drop();  // the sprite holds its own reference
}

void GMapLocationButton::setEnabled(bool enabled) {
    ControlNode::setEnabled(enabled);
    if (!m_starSprite || !m_platformSprite) return;
    m_starSprite->setVisible(enabled);
    showPicture(m_platformSprite, enabled ? PlatformImage : GreyPlatformImage);
}

void GMapLocationButton::setPlayable(bool playable) {
    if (!m_platformSprite || !isEnabled()) return;
    showPicture(m_platformSprite, playable ? PlatformImage : RedPlatformImage);
}

void GMapLocationButton::setMiniGameLocation(bool miniGame) {
    if (!m_platformSprite || !isEnabled() || !miniGame) return;
    showPicture(m_platformSprite, GreenPlatformImage);
}

void GMapLocationButton::setRank(s32 rank) {
    if (!m_starSprite) return;
    if (rank == RankExpert)
        showPicture(m_starSprite, GoldStarImage);
    else if (rank == RankGamer)
        showPicture(m_starSprite, SilverStarImage);
    else
        m_starSprite->setAtlasTexture(nullptr);
}

void GMapLocationButton::setSelected(bool selected) {
    if (m_selector) m_selector->setVisible(selected);
}

void GMapLocationButton::startWave(f32 phase) {
    if (!m_starGroup) return;
    const s32 wave = CNameId("Wave").getId();
    m_starGroup->playState(wave);
    Animator* animator = m_starGroup->findState(wave);
    if (!animator || animator->getAnimationCount() == 0) return;
    animation::Base* first = animator->getAnimation(0);
    first->setTime(static_cast<u32>(phase * static_cast<f32>(first->getDuration())), true);
}

}  // namespace brasquel
