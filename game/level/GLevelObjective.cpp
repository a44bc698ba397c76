#include "game/level/GLevelObjective.h"

#include <cmath>

#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "game/config/ConfigurationXml.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameLevelScene.h"
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

stringw moneyText(const CTextDictionary* dictionary, s32 amount) {
    const stringw digits = groupDigits(amount, L',');
    if (!dictionary) return digits;
    return dictionary->getTextWithParams("MoneyDollar", digits, stringw(), stringw(), stringw());
}

stringw moneyProgress(const CTextDictionary* dictionary, f32 current, f32 target) {
    stringw text = moneyText(dictionary, roundedAmount(current));
    text += L"/";
    text += moneyText(dictionary, roundedAmount(target));
    return text;
}

stringw countProgress(s32 current, s32 target) {
    stringw text = decimal(current);
    text += L"/";
    text += decimal(target);
    return text;
}

bool holds(const array<CNameId>& list, s32 id) {
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i].getId() == id) return true;
    return false;
}

}  // namespace

const GBuildingConfig* effectiveObjectiveType(const GBuildingNode& lot) {
    switch (lot.getProcessKind()) {
        case BuildingProcessConstruction:
            return lot.getPreviousType();
        case BuildingProcessDemolition:
            return nullptr;
        default:
            return lot.getCurrentType();
    }
}

bool isHealthyForObjectives(const GBuildingNode& lot) {
    return lot.isOwnedByThePlayer() && !lot.isForSale() &&
           lot.getProcessKind() != BuildingProcessMaintenance &&
           lot.getProblemState() == BuildingProblemNone;
}

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
bool GLevelObjectiveMoney::isCompleted(const GGameLevelScene& level) {
    return Value <= level.Money;
}
stringw GLevelObjectiveMoney::getProgressText(const GGameLevelScene& level,
                                              const CTextDictionary* dictionary) const {
    return moneyProgress(dictionary, level.Money, Value);
}
stringw GLevelObjectiveMoney::getInfoText(const CTextDictionary*, bool) const { return InfoStr; }
stringw GLevelObjectiveMoney::getHintText() const {
    return stringw(L"%GamePlay_CompleteHintMoney%");
}
void GLevelObjectiveMoney::read(CXmlReader* reader) {
    Value = reader->getAttributeValueAsFloat(L"Value", 0.0f);
    InfoStr = reader->getAttributeValue(L"InfoStr");
}

// Income.
bool GLevelObjectiveIncome::isCompleted(const GGameLevelScene& level) {
    return Value <= level.Income;
}
stringw GLevelObjectiveIncome::getProgressText(const GGameLevelScene& level,
                                               const CTextDictionary* dictionary) const {
    return moneyProgress(dictionary, level.Income, Value);
}
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

// Workers: every worker the player has had, busy or not.
s32 GLevelObjectiveWorkers::current(const GGameLevelScene& level) const {
    return level.WorkersTotal;
}
bool GLevelObjectiveWorkers::isCompleted(const GGameLevelScene& level) {
    return current(level) >= Value;
}
stringw GLevelObjectiveWorkers::getProgressText(const GGameLevelScene& level,
                                                const CTextDictionary*) const {
    return countProgress(current(level), Value);
}
stringw GLevelObjectiveWorkers::getInfoText(const CTextDictionary* dictionary, bool) const {
    return textWithValue(dictionary, "Obj_Workers", decimal(Value));
}
stringw GLevelObjectiveWorkers::getHintText() const {
    return stringw(L"%GamePlay_CompleteHintWorkers%");
}
void GLevelObjectiveWorkers::read(CXmlReader* reader) {
    Value = reader->getAttributeValueAsInt(L"Value", 0);
}

// Guests of the working lots.
s32 GLevelObjectiveGuestsCount::current(const GGameLevelScene& level) const {
    return level.Guests;
}
bool GLevelObjectiveGuestsCount::isCompleted(const GGameLevelScene& level) {
    return current(level) >= Value;
}
stringw GLevelObjectiveGuestsCount::getProgressText(const GGameLevelScene& level,
                                                    const CTextDictionary*) const {
    return countProgress(current(level), Value);
}
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

// Typed lots.
s32 GLevelObjectiveHaveTypedBuildingsCount::count(const GGameLevelScene& level) const {
    s32 found = 0;
    const bool bonusGiven = MinIncomeBonus != LevelObjectiveNoMinIncomeBonus;
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings()) {
        if (MustOwn && !isHealthyForObjectives(*lot)) continue;
        if (bonusGiven) {
            if (lot->getIncomeBonus() < MinIncomeBonus) continue;
        } else if (MinServedGuests > 0 && lot->countServedGuests(lot->getCurrentType()) <
                                              MinServedGuests) {
            continue;
        }
        const GBuildingConfig* type = effectiveObjectiveType(*lot);
        if (!bonusGiven || BuildingTypes.size() > 0) {
            if (!type || type->Level == 0) continue;
        }
        if (BuildingTypes.size() > 0 && !holds(BuildingTypes, type->Name.getId())) continue;
        if (PlaceNames.size() > 0 && !holds(PlaceNames, lot->getNameId())) continue;
        ++found;
    }
    return found;
}
bool GLevelObjectiveHaveTypedBuildingsCount::isCompleted(const GGameLevelScene& level) {
    return count(level) >= Value;
}
stringw GLevelObjectiveHaveTypedBuildingsCount::getProgressText(const GGameLevelScene& level,
                                                                const CTextDictionary*) const {
    return countProgress(count(level), Value);
}

// Each listed type, capped.
s32 GLevelObjectiveHaveEachTypeBuildingsCount::count(const GGameLevelScene& level) const {
    array<s32> counters;
    for (u32 i = 0; i < BuildingTypes.size(); ++i) counters.push_back(0);
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings()) {
        if (MustOwn && !isHealthyForObjectives(*lot)) continue;
        const GBuildingConfig* type = effectiveObjectiveType(*lot);
        if (!type || type->Level == 0) continue;
        for (u32 i = 0; i < BuildingTypes.size(); ++i) {
            if (BuildingTypes[i].getId() != type->Name.getId()) continue;
            if (counters[i] < Value) ++counters[i];
            break;
        }
    }
    s32 sum = 0;
    for (u32 i = 0; i < counters.size(); ++i) sum += counters[i];
    return sum;
}
bool GLevelObjectiveHaveEachTypeBuildingsCount::isCompleted(const GGameLevelScene& level) {
    return count(level) >= target();
}
stringw GLevelObjectiveHaveEachTypeBuildingsCount::getProgressText(
    const GGameLevelScene& level, const CTextDictionary*) const {
    return countProgress(count(level), target());
}

// History.
s32 GLevelObjectiveTypedHistoryActionsCount::count(const GGameLevelScene& level) const {
    s32 found = 0;
    for (const GLevelHistoryRecord& record : level.getHistory()) {
        if (record.action != Action) continue;
        if (BuildingTypes.size() > 0 && !holds(BuildingTypes, record.buildingType)) continue;
        if (PlaceNames.size() > 0 && !holds(PlaceNames, record.lotName)) continue;
        ++found;
    }
    return found;
}
bool GLevelObjectiveTypedHistoryActionsCount::isCompleted(const GGameLevelScene& level) {
    return count(level) >= Value;
}
stringw GLevelObjectiveTypedHistoryActionsCount::getProgressText(
    const GGameLevelScene& level, const CTextDictionary*) const {
    return countProgress(count(level), Value);
}

// Concurrent features: each pair takes the first free lot of its type running that feature.
s32 GLevelObjectiveHaveConcurrentFeatures::count(const GGameLevelScene& level) const {
    const std::vector<CRefPtr<GBuildingNode>>& lots = level.getBuildings();
    std::vector<bool> taken(lots.size(), false);
    s32 found = 0;
    for (u32 pair = 0; pair < BuildingTypes.size() && pair < FeatureIndices.size(); ++pair) {
        for (std::size_t i = 0; i < lots.size(); ++i) {
            const GBuildingNode& lot = *lots[i];
            if (taken[i] || !lot.isOwnedByThePlayer() || lot.isForSale() ||
                lot.getProblemState() != BuildingProblemNone ||
                lot.getProcessKind() == BuildingProcessMaintenance ||
                lot.getProcessKind() == BuildingProcessDemolition)
                continue;
            const GBuildingConfig* type = effectiveObjectiveType(lot);
            if (!type || type->Level == 0 || type->Name.getId() != BuildingTypes[pair].getId())
                continue;
            if (lot.getFeatureState(FeatureIndices[pair]) != GBuildingFeatureState::Active)
                continue;
            taken[i] = true;
            ++found;
            break;
        }
    }
    return found;
}
bool GLevelObjectiveHaveConcurrentFeatures::isCompleted(const GGameLevelScene& level) {
    if (Done) return true;
    if (count(level) < static_cast<s32>(BuildingTypes.size())) return false;
    Done = true;
    return true;
}
stringw GLevelObjectiveHaveConcurrentFeatures::getProgressText(const GGameLevelScene& level,
                                                               const CTextDictionary*) const {
    return countProgress(count(level), static_cast<s32>(BuildingTypes.size()));
}

void GLevelObjectiveList::append(GLevelObjective* objective) {
    if (objective) m_objectives.push_back(CRefPtr<GLevelObjective>(objective));
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
