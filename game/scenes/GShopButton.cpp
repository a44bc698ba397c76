#include "game/scenes/GShopButton.h"

#include "engine/core/StringUtils.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr const char* UpgradeNameProperty = "UpgradeName";

}  // namespace

s32 GShopButton::boughtState() {
    static const CNameId name("Bought");
    return name.getId();
}

s32 GShopButton::lockedState() {
    static const CNameId name("Locked");
    return name.getId();
}

GShopButton::GShopButton(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ButtonNode(context, parent, manager) {}

const CPropertyTable& GShopButton::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ButtonNode::getPropertyTable();
        TPropertyTableBuilder<GShopButton>(t).field<&GShopButton::m_upgradeName, CNameIdBox>(
            UpgradeNameProperty);
        return t;
    }();
    return table;
}

BaseNode* GShopButton::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GShopButton>(this, parent, manager);
}

const stringw& GShopButton::getClassName() const {
    static const stringw name(L"GShopButton");
    return name;
}

const stringw& GShopButton::getThisClassName() const {
    static const stringw name(L"GShopButton");
    return name;
}

void GShopButton::onLoaded() {
    ButtonNode::onLoaded();
    m_priceText = asTextNode(findChildByName(CNameId("PriceText").getId(), 1));
    m_boughtNode = findChildByName(CNameId("Bought").getId(), 1);
}

void GShopButton::copyFrom(const BaseNode* source, SceneManager* manager) {
    ButtonNode::copyFrom(source, manager);
    const GShopButton* button = asShopButton(const_cast<BaseNode*>(source));
    if (button && button != this) m_upgradeName = button->m_upgradeName;
}

void GShopButton::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ButtonNode::saveProperties(set);
    if (m_upgradeName != -1)
        set->addString(UpgradeNameProperty, CNameId::fromId(m_upgradeName).getName());
}

void GShopButton::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ButtonNode::loadProperties(set);
    if (hasNodeProperty(set, UpgradeNameProperty))
        m_upgradeName = CNameIdBox::unbox(set->getProperty(UpgradeNameProperty).get());
}

s32 GShopButton::resolveStateTransition(s32 state) const {
    // Asked only for a child that has no animation of the state.
    if (state == boughtState()) return visualStates().Normal;
    return ButtonNode::resolveStateTransition(state);
}

bool GShopButton::enterConditionState() {
    if (m_bought) {
        setState(boughtState(), this);
        return true;
    }
    if (m_locked) {
        setState(lockedState(), this);
        return true;
    }
    return false;
}

void GShopButton::onHoveredChanged() {
    if (!enterConditionState()) ButtonNode::onHoveredChanged();
}

void GShopButton::onFocusedChanged() {
    if (!enterConditionState()) ButtonNode::onFocusedChanged();
}

void GShopButton::setBought(bool bought) {
    m_bought = bought;
    if (m_priceText) m_priceText->setVisible(!m_bought);
    if (m_boughtNode) m_boughtNode->setVisible(m_bought);
    onEnabledChanged();
}

void GShopButton::setLocked(bool locked) {
    m_locked = locked;
    if (m_priceText) m_priceText->setVisible(!m_bought);
    onEnabledChanged();
}

void GShopButton::setPrice(s32 price) {
    m_price = price;
    if (!m_priceText || m_bought) return;
    if (price <= 0) {
        m_priceText->setVisible(false);
        return;
    }
    m_priceText->setVisible(true);
    m_priceText->setText(groupDigits(price, L','));
}

}  // namespace brasquel
