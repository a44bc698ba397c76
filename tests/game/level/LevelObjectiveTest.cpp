// Level objectives: the eight kinds as read from their elements, the list reader and the texts.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/CRefPtr.h"
#include "engine/io/CTextDictionary.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelText.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;
using namespace brasquel;

namespace {

CRefPtr<GLevelObjectiveList> readObjectives(const std::string& objectives,
                                            bool* complete = nullptr) {
    CRefPtr<CXmlReader> reader = test::readerOf("<Objectives>" + objectives + "</Objectives>");
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement &&
            reader->getNodeName() == stringw(L"Objectives"))
            break;
    auto list = makeRef<GLevelObjectiveList>();
    const bool ended = list->read(reader.get());
    if (complete) *complete = ended;
    return list;
}

template <class T>
T* readOne(CRefPtr<GLevelObjectiveList>& holder, const std::string& element) {
    holder = readObjectives(element);
    if (holder->size() != 1) return nullptr;
    return dynamic_cast<T*>(holder->get(0));
}

array<CNameId> names(std::initializer_list<const char*> list) {
    array<CNameId> ids;
    for (const char* n : list) ids.push_back(CNameId(n));
    return ids;
}

}  // namespace

TEST(LevelObjectives, EachTypeNameCreatesItsKindAndOthersNothing) {
    for (s32 kind = 0; kind < LevelObjectiveKindCount; ++kind) {
        const wchar_t* name = GLevelObjective::typeNameOf(static_cast<ELevelObjectiveKind>(kind));
        CRefPtr<GLevelObjective> objective =
            CRefPtr<GLevelObjective>::fromRaw(createLevelObjective(name));
        ASSERT_TRUE(objective) << kind;
        EXPECT_EQ(objective->getKind(), kind);
    }
    for (const wchar_t* other : {L"", L"money", L"Money ", L"Objective"})
        EXPECT_EQ(createLevelObjective(other), nullptr);
}

TEST(LevelObjectives, ReadingWithoutAttributesGivesTheDefaults) {
    CRefPtr<GLevelObjectiveList> h;
    auto* money = readOne<GLevelObjectiveMoney>(h, "<Objective Type=\"Money\"/>");
    ASSERT_TRUE(money);
    EXPECT_EQ(money->Value, 0.0f);
    EXPECT_TRUE(money->InfoStr.empty());
    auto* typed = readOne<GLevelObjectiveHaveTypedBuildingsCount>(
        h, "<Objective Type=\"HaveTypedBuildingsCount\"/>");
    ASSERT_TRUE(typed);
    EXPECT_TRUE(typed->BuildingTypes.empty());
    EXPECT_TRUE(typed->PlaceNames.empty());
    EXPECT_EQ(typed->Value, 0);
    EXPECT_EQ(typed->MinIncomeBonus, LevelObjectiveNoMinIncomeBonus);
    EXPECT_EQ(typed->MinServedGuests, 0);
    EXPECT_FALSE(typed->MustOwn);
    auto* history = readOne<GLevelObjectiveTypedHistoryActionsCount>(
        h, "<Objective Type=\"TypedHistoryActionsCount\"/>");
    ASSERT_TRUE(history);
    EXPECT_EQ(history->Action, 0);
    EXPECT_EQ(history->Value, 0);
}

TEST(LevelObjectives, EachKindReadsItsAttributes) {
    CRefPtr<GLevelObjectiveList> h;
    auto* money = readOne<GLevelObjectiveMoney>(
        h, "<Objective Type=\"Money\" Value=\"150000.5\" InfoStr=\"%Obj_M%\"/>");
    ASSERT_TRUE(money);
    EXPECT_FLOAT_EQ(money->Value, 150000.5f);
    EXPECT_EQ(money->InfoStr, stringw(L"%Obj_M%"));
    auto* income = readOne<GLevelObjectiveIncome>(
        h, "<Objective Type=\"Income\" Value=\"2500.5\" InfoStr=\"x\"/>");
    ASSERT_TRUE(income);
    EXPECT_FLOAT_EQ(income->Value, 2500.5f);
    auto* workers =
        readOne<GLevelObjectiveWorkers>(h, "<Objective Type=\"Workers\" Value=\"5.9\"/>");
    ASSERT_TRUE(workers);
    EXPECT_EQ(workers->Value, 5);
    auto* guests =
        readOne<GLevelObjectiveGuestsCount>(h, "<Objective Type=\"GuestsCount\" Value=\"40\"/>");
    ASSERT_TRUE(guests);
    EXPECT_EQ(guests->Value, 40);
    auto* typed = readOne<GLevelObjectiveHaveTypedBuildingsCount>(
        h,
        "<Objective Type=\"HaveTypedBuildingsCount\" BuildingTypes=\" Cafe ;; Statue\" "
        "PlaceNames=\"Place1\" "
        "InfoStr=\"t\" Value=\"2\" MinIncomeBonus=\"15\" MinServedGuests=\"8\" MustOwn=\"true\"/>");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->BuildingTypes, names({"Cafe", "Statue"}));
    EXPECT_EQ(typed->PlaceNames, names({"Place1"}));
    EXPECT_EQ(typed->InfoStr, stringw(L"t"));
    EXPECT_EQ(typed->Value, 2);
    EXPECT_EQ(typed->MinIncomeBonus, 15.0f);
    EXPECT_EQ(typed->MinServedGuests, 8);
    EXPECT_TRUE(typed->MustOwn);
    auto* each = readOne<GLevelObjectiveHaveEachTypeBuildingsCount>(
        h,
        "<Objective Type=\"HaveEachTypeBuildingsCount\" BuildingTypes=\"A;B\" Value=\"2\" "
        "MustOwn=\"True\"/>");
    ASSERT_TRUE(each);
    EXPECT_EQ(each->BuildingTypes, names({"A", "B"}));
    EXPECT_EQ(each->Value, 2);
    EXPECT_FALSE(each->MustOwn);  // only the exact text "true" says yes
    auto* history = readOne<GLevelObjectiveTypedHistoryActionsCount>(
        h,
        "<Objective Type=\"TypedHistoryActionsCount\" BuildingTypes=\"Hostel1\" Action=\"3\" "
        "Value=\"2\"/>");
    ASSERT_TRUE(history);
    EXPECT_EQ(history->Action, 3);
    EXPECT_EQ(history->Value, 2);
    auto* features = readOne<GLevelObjectiveHaveConcurrentFeatures>(
        h,
        "<Objective Type=\"HaveConcurrentFeatures\" "
        "BuildingTypes=\"CityMall;TruckStation;AquaPark\" "
        "FeatureIndices=\"1;2\" InfoStr=\"f\"/>");
    ASSERT_TRUE(features);
    EXPECT_EQ(features->BuildingTypes, names({"CityMall", "TruckStation"}));
    ASSERT_EQ(features->FeatureIndices.size(), 2u);
    EXPECT_EQ(features->FeatureIndices[0], 1);
    EXPECT_EQ(features->FeatureIndices[1], 2);
}

TEST(LevelObjectives, FeatureIndicesBeyondTheIntRangeAreKeptAtItsEnds) {
    CRefPtr<GLevelObjectiveList> h;
    auto* features = readOne<GLevelObjectiveHaveConcurrentFeatures>(
        h,
        "<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"A;B;C\" "
        "FeatureIndices=\"99999999999 -99999999999 x1\"/>");
    ASSERT_TRUE(features);
    ASSERT_EQ(features->FeatureIndices.size(), 3u);
    EXPECT_EQ(features->FeatureIndices[0], 2147483647);
    EXPECT_EQ(features->FeatureIndices[1], -2147483647 - 1);
    EXPECT_EQ(features->FeatureIndices[2], 1);
}

TEST(LevelObjectives, TheIntListReaderSkipsEverythingButNumbers) {
    struct {
        const wchar_t* text;
        std::vector<s32> values;
    } cases[] = {{L"", {}},
                 {L"1;2", {1, 2}},
                 {L" 3 , -4 ;x5", {3, -4, 5}},
                 {L"2.9;-", {2, 0}},
                 {L"a\u0661b", {}}};
    for (const auto& c : cases) {
        const array<s32> values = parseIntList(c.text);
        std::vector<s32> got;
        for (u32 i = 0; i < values.size(); ++i) got.push_back(values[i]);
        EXPECT_EQ(got, c.values);
    }
}

TEST(LevelObjectives, TheListSkipsUnknownTypesAndKeepsTheFileOrder) {
    bool complete = false;
    CRefPtr<GLevelObjectiveList> list = readObjectives(
        "<Objective Type=\"Workers\" Value=\"1\"/><Objective Type=\"Fame\" Value=\"3\"/><Note/>"
        "<Objective Value=\"4\"/><Objective Type=\"Money\" Value=\"2\"/>",
        &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ(list->get(0)->getKind(), LevelObjectiveWorkers);
    EXPECT_EQ(list->get(1)->getKind(), LevelObjectiveMoney);
}

TEST(LevelObjectives, ResetClearsTheConcurrentFeaturesFlagOnly) {
    CRefPtr<GLevelObjectiveList> list = readObjectives(
        "<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"A\" FeatureIndices=\"0\"/>");
    auto* features = dynamic_cast<GLevelObjectiveHaveConcurrentFeatures*>(list->get(0));
    ASSERT_TRUE(features);
    features->Done = true;
    list->resetAll();
    EXPECT_FALSE(features->Done);
}

TEST(LevelObjectives, InfoTextsComeFromTheDictionaryWithTheTarget) {
    auto dictionary = makeRef<CTextDictionary>();
    CRefPtr<CXmlReader> texts = test::readerOf(
        "<Dictionary><s n=\"Obj_IncomeFull\">Earn #p a day</s><s n=\"Obj_Income\">Income #p</s>"
        "<s n=\"Obj_Workers\">Hire #p workers</s><s n=\"Obj_HaveGuests\">Host #p "
        "guests</s></Dictionary>");
    ASSERT_TRUE(dictionary->load(texts.get()));
    CRefPtr<GLevelObjectiveList> list = readObjectives(
        "<Objective Type=\"Income\" Value=\"1234567.4\"/><Objective Type=\"Workers\" "
        "Value=\"12000\"/>"
        "<Objective Type=\"GuestsCount\" Value=\"25\"/><Objective Type=\"Money\" Value=\"5\" "
        "InfoStr=\"%Obj_M%\"/>"
        "<Objective Type=\"HaveEachTypeBuildingsCount\" InfoStr=\"each\"/>");
    ASSERT_EQ(list->size(), 5u);
    EXPECT_EQ(list->get(0)->getInfoText(dictionary.get(), true), stringw(L"Earn 1,234,567 a day"));
    EXPECT_EQ(list->get(0)->getInfoText(dictionary.get(), false), stringw(L"Income 1,234,567"));
    EXPECT_EQ(list->get(1)->getInfoText(dictionary.get(), true), stringw(L"Hire 12000 workers"));
    EXPECT_EQ(list->get(2)->getInfoText(dictionary.get(), false), stringw(L"Host 25 guests"));
    EXPECT_EQ(list->get(3)->getInfoText(dictionary.get(), false), stringw(L"%Obj_M%"));
    EXPECT_EQ(list->get(4)->getInfoText(dictionary.get(), true), stringw(L"each"));
}

TEST(LevelObjectives, FourKindsGiveAHintKey) {
    CRefPtr<GLevelObjectiveList> list = readObjectives(
        "<Objective Type=\"Money\"/><Objective Type=\"Income\"/><Objective Type=\"Workers\"/>"
        "<Objective Type=\"GuestsCount\"/><Objective Type=\"HaveTypedBuildingsCount\"/>"
        "<Objective Type=\"HaveEachTypeBuildingsCount\"/><Objective "
        "Type=\"TypedHistoryActionsCount\"/>"
        "<Objective Type=\"HaveConcurrentFeatures\"/>");
    ASSERT_EQ(list->size(), 8u);
    const wchar_t* hints[] = {L"%GamePlay_CompleteHintMoney%",
                              L"%GamePlay_CompleteHintIncome%",
                              L"%GamePlay_CompleteHintWorkers%",
                              L"%GamePlay_CompleteHintGuests%",
                              L"",
                              L"",
                              L"",
                              L""};
    for (u32 i = 0; i < 8; ++i) EXPECT_EQ(list->get(i)->getHintText(), stringw(hints[i])) << i;
}

TEST(LevelObjectives, AListThatEndsEarlyKeepsWhatWasReadAndAnswersFalse) {
    CRefPtr<CXmlReader> reader =
        test::readerOf("<Objectives><Objective Type=\"Money\" Value=\"3\"/><Objective Type=\"Wor");
    reader->read();
    auto list = makeRef<GLevelObjectiveList>();
    EXPECT_FALSE(list->read(reader.get()));
    EXPECT_EQ(list->size(), 1u);
}
