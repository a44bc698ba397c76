#include "game/level/GLevelModifier.h"

#include <array>
#include <string>
#include <utility>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "game/level/GLevelConfiguration.h"

namespace brasquel {

using namespace oskel;

namespace {

// Each kind: its name, how it changes its factor, and the factor (a float or a flag).
struct SKindInfo {
    const wchar_t* name;
    ELevelModifierEffect effect;
    f32 GLevelFactors::*value;
    bool GLevelFactors::*flag;
};

const SKindInfo kKinds[LevelModifierKindCount] = {
    {L"MaterialDeliveryTimeM", LevelModifierMultiplies, &GLevelFactors::MaterialDeliveryTimeM,
     nullptr},
    {L"WorkerDeliveryTimeM", LevelModifierMultiplies, &GLevelFactors::WorkerDeliveryTimeM, nullptr},
    {L"MaterialPriceM", LevelModifierMultiplies, &GLevelFactors::MaterialPriceM, nullptr},
    {L"WorkerPriceM", LevelModifierMultiplies, &GLevelFactors::WorkerPriceM, nullptr},
    {L"GuestsCountM", LevelModifierMultiplies, &GLevelFactors::GuestsCountM, nullptr},
    {L"BuildTimeM", LevelModifierMultiplies, &GLevelFactors::BuildTimeM, nullptr},
    {L"WorkersCostA", LevelModifierAdds, &GLevelFactors::WorkersCostA, nullptr},
    {L"PyramidIncomeBonus", LevelModifierAdds, &GLevelFactors::PyramidIncomeBonus, nullptr},
    {L"StationIncomeBonus1", LevelModifierAdds, &GLevelFactors::StationIncomeBonus1, nullptr},
    {L"StationIncomeBonus2", LevelModifierAdds, &GLevelFactors::StationIncomeBonus2, nullptr},
    {L"AquaParkIncomeBonus", LevelModifierAdds, &GLevelFactors::AquaParkIncomeBonus, nullptr},
    {L"PRIncomeBonus", LevelModifierAdds, &GLevelFactors::PRIncomeBonus, nullptr},
    {L"BuyNotForSaleBuildingPriceBonus", LevelModifierAdds,
     &GLevelFactors::BuyNotForSaleBuildingPriceBonus, nullptr},
    {L"BuyBuildingPriceDiscount", LevelModifierAdds, &GLevelFactors::BuyBuildingPriceDiscount,
     nullptr},
    {L"OwnedBuildingPriceBonus", LevelModifierAdds, &GLevelFactors::OwnedBuildingPriceBonus,
     nullptr},
    {L"CanReceiveMoneyLetters", LevelModifierSwitches, nullptr,
     &GLevelFactors::CanReceiveMoneyLetters},
    {L"CanBuildingsBroke", LevelModifierSwitches, nullptr, &GLevelFactors::CanBuildingsBroke},
};

// One class per kind.
template <ELevelModifierKind Kind>
class TLevelModifier final : public GLevelModifier {
public:
    ELevelModifierKind getKind() const override { return Kind; }

    void apply(GLevelConfiguration* configuration) const override {
        if (!configuration) return;
        GLevelFactors& factors = configuration->Factors;
        const SKindInfo& kind = kKinds[Kind];
        switch (kind.effect) {
            case LevelModifierMultiplies:
                // Not above 0 (or not a number): the factor stays; read() has said so.
                if (Value > 0.0f) factors.*kind.value *= Value;
                break;
            case LevelModifierAdds:
                factors.*kind.value += Value;
                break;
            case LevelModifierSwitches:
                factors.*kind.flag = Value > 0.0f;
                break;
        }
    }
};

template <ELevelModifierKind Kind>
GLevelModifier* createKind() {
    return new TLevelModifier<Kind>();
}

using Creator = GLevelModifier* (*)();

template <size_t... I>
constexpr std::array<Creator, sizeof...(I)> makeCreators(std::index_sequence<I...>) {
    return {&createKind<static_cast<ELevelModifierKind>(I)>...};
}

const std::array<Creator, LevelModifierKindCount> kCreators =
    makeCreators(std::make_index_sequence<LevelModifierKindCount>());

}  // namespace

ELevelModifierEffect GLevelModifier::effectOf(ELevelModifierKind kind) {
    return kind >= 0 && kind < LevelModifierKindCount ? kKinds[kind].effect : LevelModifierAdds;
}

const wchar_t* GLevelModifier::typeNameOf(ELevelModifierKind kind) {
    return kind >= 0 && kind < LevelModifierKindCount ? kKinds[kind].name : L"";
}

void GLevelModifier::read(CXmlReader* reader) {
    if (!reader) return;
    Value = reader->getAttributeValueAsFloat(L"Value", 0.0f);
    if (getEffect() == LevelModifierMultiplies && !(Value > 0.0f)) {
        const stringw& text = reader->getAttributeValue(L"Value");
        const std::string hint = toUtf8(getTypeName()) + " = " +
                                 (text.empty() ? std::string("(none)") : toUtf8(text.c_str()));
        CLogger::instance().logHint("Level modifier without a value above 0 is ignored",
                                    hint.c_str(), LogWarning);
    }
}

GLevelModifier* createLevelModifier(const stringw& typeName) {
    for (s32 kind = 0; kind < LevelModifierKindCount; ++kind)
        if (typeName == stringw(kKinds[kind].name)) return kCreators[static_cast<size_t>(kind)]();
    return nullptr;
}

void GLevelModifierList::append(GLevelModifier* modifier) {
    if (modifier) m_modifiers.push_back(CRefPtr<GLevelModifier>(modifier));
}

void GLevelModifierList::read(CXmlReader* reader) {
    m_modifiers.clear();
    if (!reader || reader->isEmptyElement()) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == stringw(L"LevelModifiers"))
            return;
        if (type != XmlNodeElement || reader->getNodeName() != stringw(L"Modifier")) continue;
        CRefPtr<GLevelModifier> modifier = CRefPtr<GLevelModifier>::fromRaw(
            createLevelModifier(reader->getAttributeValue(L"Type")));
        if (!modifier) continue;
        modifier->read(reader);
        m_modifiers.push_back(modifier);
    }
}

void GLevelModifierList::applyAll(GLevelConfiguration* configuration) const {
    for (u32 i = 0; i < m_modifiers.size(); ++i) m_modifiers[i]->apply(configuration);
}

}  // namespace brasquel
