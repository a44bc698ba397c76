#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

namespace oskel {
class CXmlReader;
}

namespace brasquel {

class GLevelConfiguration;
struct GLevelFactors;

// The kinds of level modifier: each changes the factor of the same name.
enum ELevelModifierKind : oskel::s32 {
    LevelModifierMaterialDeliveryTimeM,
    LevelModifierWorkerDeliveryTimeM,
    LevelModifierMaterialPriceM,
    LevelModifierWorkerPriceM,
    LevelModifierGuestsCountM,
    LevelModifierBuildTimeM,
    LevelModifierWorkersCostA,
    LevelModifierPyramidIncomeBonus,
    LevelModifierStationIncomeBonus1,
    LevelModifierStationIncomeBonus2,
    LevelModifierAquaParkIncomeBonus,
    LevelModifierPRIncomeBonus,
    LevelModifierBuyNotForSaleBuildingPriceBonus,
    LevelModifierBuyBuildingPriceDiscount,
    LevelModifierOwnedBuildingPriceBonus,
    LevelModifierCanReceiveMoneyLetters,
    LevelModifierCanBuildingsBroke,
    LevelModifierKindCount
};

// How a kind changes its factor.
enum ELevelModifierEffect : oskel::s32 {
    LevelModifierMultiplies,  // factor = factor x Value
    LevelModifierAdds,        // factor = factor + Value
    LevelModifierSwitches,    // flag = Value > 0
};

// One typed change of a level's economy factors, read from a "Modifier" element.
class GLevelModifier : public virtual oskel::IReferenceCounted {
public:
    ~GLevelModifier() override = default;

    // Changes the configuration's factor of this kind. A multiplier whose value is not above 0
    // leaves its factor alone: a factor of 0 would stop whatever it drives for good.
    virtual void apply(GLevelConfiguration* configuration) const = 0;
    // Value = the float attribute "Value" of the element the reader stands on, 0 without it. A
    // multiplier without a value above 0 is reported (it will change nothing).
    virtual void read(oskel::CXmlReader* reader);

    virtual ELevelModifierKind getKind() const = 0;
    ELevelModifierEffect getEffect() const { return effectOf(getKind()); }
    // The kind's name: the "Type" of its element and the name of the factor it changes.
    const wchar_t* getTypeName() const { return typeNameOf(getKind()); }

    static ELevelModifierEffect effectOf(ELevelModifierKind kind);
    static const wchar_t* typeNameOf(ELevelModifierKind kind);

    oskel::f32 Value = 0.0f;

protected:
    GLevelModifier() = default;
};

// A new modifier (one reference) of the kind whose name equals the type name exactly, or none.
[[nodiscard]] GLevelModifier* createLevelModifier(const oskel::stringw& typeName);

// The modifiers of one "LevelModifiers" element, in the file's order. Building types, features
// and upgrades share their lists by reference.
class GLevelModifierList : public virtual oskel::IReferenceCounted {
public:
    GLevelModifierList() = default;
    ~GLevelModifierList() override = default;
    GLevelModifierList(const GLevelModifierList&) = delete;
    GLevelModifierList& operator=(const GLevelModifierList&) = delete;

    // With the reader on the start of a "LevelModifiers" element: replaces the entries with the
    // element's "Modifier" children of a known "Type" (others are skipped silently), up to the
    // element's end. An empty-element tag gives an empty list.
    void read(oskel::CXmlReader* reader);
    // Applies every modifier in order.
    void applyAll(GLevelConfiguration* configuration) const;

    oskel::u32 size() const { return m_modifiers.size(); }
    GLevelModifier* get(oskel::u32 index) const { return m_modifiers[index].get(); }
    void append(GLevelModifier* modifier);
    void clear() { m_modifiers.clear(); }

private:
    oskel::array<oskel::CRefPtr<GLevelModifier>> m_modifiers;
};

}  // namespace brasquel
