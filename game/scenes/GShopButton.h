#pragma once

#include "engine/nodes/ButtonNode.h"
#include "game/config/GNodeTypeIds.h"

namespace oskel {
class TextNode;
}

namespace brasquel {

// A button of the shop that knows its upgrade by name. It shows one of three conditions: bought
// (state "Bought"; its "Bought" child shown, its price hidden), locked (state "Locked": not on
// offer yet at the player's progress) or, otherwise, the ordinary control states. A child
// without a "Bought" state plays "Normal" while the button is bought.
class GShopButton : public oskel::ButtonNode {
public:
    GShopButton(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                oskel::SceneManager* manager = nullptr);

    const oskel::CPropertyTable& getPropertyTable() const override;
    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override { return GameNodeTypeShopButton; }
    bool isKindOf(oskel::s32 typeId) const override {
        return typeId == GameNodeTypeShopButton || ButtonNode::isKindOf(typeId);
    }
    void onLoaded() override;
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    oskel::s32 resolveStateTransition(oskel::s32 state) const override;
    void onHoveredChanged() override;
    void onFocusedChanged() override;

    void setBought(bool bought);
    bool isBought() const { return m_bought; }
    void setLocked(bool locked);
    bool isLocked() const { return m_locked; }
    // Shows the price (digits grouped by ",") unless bought; a price of 0 or less hides it.
    void setPrice(oskel::s32 price);
    oskel::s32 getPrice() const { return m_price; }

    // The name id of the upgrade, -1 when none.
    oskel::s32 getUpgradeName() const { return m_upgradeName; }
    void setUpgradeName(oskel::s32 nameId) { m_upgradeName = nameId; }

    oskel::TextNode* getPriceText() const { return m_priceText; }
    oskel::BaseNode* getBoughtNode() const { return m_boughtNode; }

    // The two conditions' state names.
    static oskel::s32 boughtState();
    static oskel::s32 lockedState();

private:
    // Enters "Bought" or "Locked" when one applies; false otherwise.
    bool enterConditionState();

    bool m_bought = false;
    bool m_locked = false;
    oskel::s32 m_price = 0;
    oskel::s32 m_upgradeName = -1;
    oskel::TextNode* m_priceText = nullptr;   // a child: held by the tree
    oskel::BaseNode* m_boughtNode = nullptr;  // a child: held by the tree
};

// The node as a shop button when it is one, else none.
inline GShopButton* asShopButton(oskel::BaseNode* node) {
    return node && node->isKindOf(GameNodeTypeShopButton) ? static_cast<GShopButton*>(node)
                                                          : nullptr;
}

}  // namespace brasquel
