#include "game/level/GLevelObjective.h"

#include <cmath>

#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "game/config/ConfigurationXml.h"
#include "game/level/GLevelText.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;
using config::narrowAttribute;

namespace {

const wchar_t* const kTypeNames[LevelObjectiveKindCount] = {
    L"Money",
    L"Income",
    L"Workers",
    L"GuestsCount",
    L"HaveTypedBuildingsCount",
    L"HaveEachTypeBuildingsCount",
    L"TypedHistoryActionsCount",
    L"HaveConcurrentFeatures",
};

array<CNameId> nameListAttribute(const CXmlReader* reader, const wchar_t* name) {
    return parseNameIdList(narrowAttribute(reader, name));
}

stringw decimal(s32 value) { return stringw(value); }

// A money amount rounded as the player sees it, kept inside the int range.
s32 roundedAmount(f32 value) {
    const double rounded = std::floor(static_cast<double>(value) + 0.5);
    if (!(rounded > -2147483648.0)) return rounded != rounded ? 0 : -2147483647 - 1;
    if (rounded > 2147483647.0) return 2147483647;
    return static_cast<s32>(rounded);
}

stringw textWithValue(const CTextDictionary* dictionary, const char* key, const stringw& value) {
    if (!dictionary) return stringw();
    return dictionary->getTextWithParams(key, value, stringw(), stringw(), stringw());
}

}  // namespace

const wchar_t* GLevelObjective::typeNameOf(ELevelObjectiveKind kind) {
    return kind >= 0 && kind < LevelObjectiveKindCount ? kTypeNames[kind] : L"";
}

GLevelObjective* createLevelObjective(const stringw& typeName) {
    s32 kind = -1;
    for (s32 i = 0; i < LevelObjectiveKindCount; ++i)
        if (typeName == stringw(kTypeNames[i])) kind = i;
    switch (kind) {
        case LevelObjectiveMoney:
            return new GLevelObjectiveMoney();
        case LevelObjectiveIncome:
            return new GLevelObjectiveIncome();
        case LevelObjectiveWorkers:
            return new GLevelObjectiveWorkers();
        case LevelObjectiveGuestsCount:
            return new GLevelObjectiveGuestsCount();
        case LevelObjectiveHaveTypedBuildingsCount:
            return new GLevelObjectiveHaveTypedBuildingsCount();
        case LevelObjectiveHaveEachTypeBuildingsCount:
            return new GLevelObjectiveHaveEachTypeBuildingsCount();
        case LevelObjectiveTypedHistoryActionsCount:
            return new GLevelObjectiveTypedHistoryActionsCount();
        case LevelObjectiveHaveConcurrentFeatures:
            return new GLevelObjectiveHaveConcurrentFeatures();
        default:
            return nullptr;
    }
}

// Money.
stringw GLevelObjectiveMoney::getInfoText(const CTextDictionary*, bool) const { return InfoStr; }
stringw GLevelObjectiveMoney::getHintText() const {
    return stringw(L"%GamePlay_CompleteHintMoney%");
}
void GLevelObjectiveMoney::read(CXmlReader* reader) {
    Value = reader->getAttributeValueAsFloat(L"Value", 0.0f);
    InfoStr = reader->getAttributeValue(L"InfoStr");
}

// Income.
stringw GLevelObjectiveIncome::getInfoText(const CTextDictionary* dictionary, bool full) const {
    return textWithValue(dictionary, full ? "Obj_IncomeFull" : "Obj_Income",
                         groupDigits(roundedAmount(Value), L','));
}
stringw GLevelObjectiveIncome::getHintText() const {
    return stringw(L"%GamePlay_CompleteHintIncome%");
}
void GLevelObjectiveIncome::read(CXmlReader* reader) {
    Value = reader->getAttributeValueAsFloat(L"Value", 0.0f);
}

// Workers.
stringw GLevelObjectiveWorkers::getInfoText(const CTextDictionary* dictionary, bool) const {
    return textWithValue(dictionary, "Obj_Workers", decimal(Value));
}
stringw GLevelObjectiveWorkers::getHintText() const {
    return stringw(L"%GamePlay_CompleteHintWorkers%");
}
void GLevelObjectiveWorkers::read(CXmlReader* reader) {
    Value = reader->getAttributeValueAsInt(L"Value", 0);
}

// Guests.
stringw GLevelObjectiveGuestsCount::getInfoText(const CTextDictionary* dictionary, bool) const {
    return textWithValue(dictionary, "Obj_HaveGuests", decimal(Value));
}
stringw GLevelObjectiveGuestsCount::getHintText() const {
    return stringw(L"%GamePlay_CompleteHintGuests%");
}
void GLevelObjectiveGuestsCount::read(CXmlReader* reader) {
    Value = reader->getAttributeValueAsInt(L"Value", 0);
}

stringw GLevelObjectiveWithInfo::getInfoText(const CTextDictionary*, bool) const { return InfoStr; }

void GLevelObjectiveHaveTypedBuildingsCount::read(CXmlReader* reader) {
    BuildingTypes = nameListAttribute(reader, L"BuildingTypes");
    PlaceNames = nameListAttribute(reader, L"PlaceNames");
    InfoStr = reader->getAttributeValue(L"InfoStr");
    Value = reader->getAttributeValueAsInt(L"Value", 0);
    MinIncomeBonus =
        reader->getAttributeValueAsFloat(L"MinIncomeBonus", LevelObjectiveNoMinIncomeBonus);
    MinServedGuests = reader->getAttributeValueAsInt(L"MinServedGuests", 0);
    MustOwn = reader->getAttributeValue(L"MustOwn") == stringw(L"true");
}

void GLevelObjectiveHaveEachTypeBuildingsCount::read(CXmlReader* reader) {
    BuildingTypes = nameListAttribute(reader, L"BuildingTypes");
    InfoStr = reader->getAttributeValue(L"InfoStr");
    Value = reader->getAttributeValueAsInt(L"Value", 0);
    MustOwn = reader->getAttributeValue(L"MustOwn") == stringw(L"true");
}

void GLevelObjectiveTypedHistoryActionsCount::read(CXmlReader* reader) {
    BuildingTypes = nameListAttribute(reader, L"BuildingTypes");
    PlaceNames = nameListAttribute(reader, L"PlaceNames");
    InfoStr = reader->getAttributeValue(L"InfoStr");
    Value = reader->getAttributeValueAsInt(L"Value", 0);
    Action = reader->getAttributeValueAsInt(L"Action", 0);
}

void GLevelObjectiveHaveConcurrentFeatures::read(CXmlReader* reader) {
    BuildingTypes = nameListAttribute(reader, L"BuildingTypes");
    // Indices beyond the int range are kept at its ends (parseIntList clamps).
    FeatureIndices = parseIntList(reader->getAttributeValue(L"FeatureIndices"));
    InfoStr = reader->getAttributeValue(L"InfoStr");
    // Pairs: the longer list is cut to the shorter one's length.
    const u32 pairs =
        BuildingTypes.size() < FeatureIndices.size() ? BuildingTypes.size() : FeatureIndices.size();
    BuildingTypes.set_used(pairs);
    FeatureIndices.set_used(pairs);
}

bool GLevelObjectiveList::read(CXmlReader* reader) {
    m_objectives.clear();
    if (!reader) return false;
    if (isElement(reader, L"Objectives") && reader->isEmptyElement()) return true;
    while (reader->read()) {
        if (isElementEnd(reader, L"Objectives")) return true;
        if (!isElement(reader, L"Objective")) continue;
        GLevelObjective* objective = createLevelObjective(reader->getAttributeValue(L"Type"));
        if (!objective) continue;
        objective->read(reader);
        m_objectives.push_back(CRefPtr<GLevelObjective>::fromRaw(objective));
    }
    return false;
}

void GLevelObjectiveList::resetAll() {
    for (u32 i = 0; i < m_objectives.size(); ++i) m_objectives[i]->reset();
}

}  // namespace brasquel
