// Level modifiers: the seventeen kinds, their lists and the factors they change.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

// A list read from a "LevelModifiers" element (the reader is moved onto it first).
CRefPtr<GLevelModifierList> readList(const std::string& xml) {
    CRefPtr<CXmlReader> reader = test::readerOf(xml);
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement &&
            reader->getNodeName() == stringw(L"LevelModifiers"))
            break;
    auto list = makeRef<GLevelModifierList>();
    list->read(reader.get());
    return list;
}

// Every field of the two records is equal.
bool sameFactors(const GLevelFactors& a, const GLevelFactors& b) {
    const f32 GLevelFactors::*floats[] = {&GLevelFactors::MaterialDeliveryTimeM,
                                          &GLevelFactors::WorkerDeliveryTimeM,
                                          &GLevelFactors::MaterialPriceM,
                                          &GLevelFactors::WorkerPriceM,
                                          &GLevelFactors::WorkersCostA,
                                          &GLevelFactors::BuildTimeM,
                                          &GLevelFactors::PyramidIncomeBonus,
                                          &GLevelFactors::StationIncomeBonus1,
                                          &GLevelFactors::StationIncomeBonus2,
                                          &GLevelFactors::AquaParkIncomeBonus,
                                          &GLevelFactors::PRIncomeBonus,
                                          &GLevelFactors::BuyNotForSaleBuildingPriceBonus,
                                          &GLevelFactors::BuyBuildingPriceDiscount,
                                          &GLevelFactors::OwnedBuildingPriceBonus,
                                          &GLevelFactors::GuestsCountM};
    for (auto field : floats)
        if (a.*field != b.*field) return false;
    return a.CanReceiveMoneyLetters == b.CanReceiveMoneyLetters &&
           a.CanBuildingsBroke == b.CanBuildingsBroke;
}

std::string modifier(const char* type, const char* value) {
    std::string text = std::string("<Modifier Type=\"") + type + "\"";
    if (value) text += std::string(" Value=\"") + value + "\"";
    return text + "/>";
}

}  // namespace

TEST(LevelFactors, ResetGivesTheValuesBeforeAnyModifier) {
    GLevelFactors f;
    f.MaterialPriceM = 0.25f;
    f.CanBuildingsBroke = false;
    f.PRIncomeBonus = 7.0f;
    f.reset();
    EXPECT_FLOAT_EQ(f.MaterialDeliveryTimeM, 1.0f);
    EXPECT_FLOAT_EQ(f.WorkerDeliveryTimeM, 1.0f);
    EXPECT_FLOAT_EQ(f.MaterialPriceM, 1.0f);
    EXPECT_FLOAT_EQ(f.WorkerPriceM, 1.0f);
    EXPECT_FLOAT_EQ(f.WorkersCostA, 0.0f);
    EXPECT_FLOAT_EQ(f.BuildTimeM, 1.0f);
    EXPECT_FALSE(f.CanReceiveMoneyLetters);
    EXPECT_TRUE(f.CanBuildingsBroke);
    EXPECT_FLOAT_EQ(f.PRIncomeBonus, 0.0f);
    EXPECT_FLOAT_EQ(f.GuestsCountM, 1.0f);
}

// Every kind by its name: what one modifier of value 2 does to a reset record.
TEST(LevelModifiers, EachKindChangesTheFactorOfItsName) {
    struct Case {
        const wchar_t* type;
        ELevelModifierEffect effect;
        f32 GLevelFactors::*value;
        f32 expected;
    };
    const Case cases[] = {
        {L"MaterialDeliveryTimeM", LevelModifierMultiplies, &GLevelFactors::MaterialDeliveryTimeM,
         2.0f},
        {L"WorkerDeliveryTimeM", LevelModifierMultiplies, &GLevelFactors::WorkerDeliveryTimeM,
         2.0f},
        {L"MaterialPriceM", LevelModifierMultiplies, &GLevelFactors::MaterialPriceM, 2.0f},
        {L"WorkerPriceM", LevelModifierMultiplies, &GLevelFactors::WorkerPriceM, 2.0f},
        {L"GuestsCountM", LevelModifierMultiplies, &GLevelFactors::GuestsCountM, 2.0f},
        {L"BuildTimeM", LevelModifierMultiplies, &GLevelFactors::BuildTimeM, 2.0f},
        {L"WorkersCostA", LevelModifierAdds, &GLevelFactors::WorkersCostA, 2.0f},
        {L"PyramidIncomeBonus", LevelModifierAdds, &GLevelFactors::PyramidIncomeBonus, 2.0f},
        {L"StationIncomeBonus1", LevelModifierAdds, &GLevelFactors::StationIncomeBonus1, 2.0f},
        {L"StationIncomeBonus2", LevelModifierAdds, &GLevelFactors::StationIncomeBonus2, 2.0f},
        {L"AquaParkIncomeBonus", LevelModifierAdds, &GLevelFactors::AquaParkIncomeBonus, 2.0f},
        {L"PRIncomeBonus", LevelModifierAdds, &GLevelFactors::PRIncomeBonus, 2.0f},
        {L"BuyNotForSaleBuildingPriceBonus", LevelModifierAdds,
         &GLevelFactors::BuyNotForSaleBuildingPriceBonus, 2.0f},
        {L"BuyBuildingPriceDiscount", LevelModifierAdds, &GLevelFactors::BuyBuildingPriceDiscount,
         2.0f},
        {L"OwnedBuildingPriceBonus", LevelModifierAdds, &GLevelFactors::OwnedBuildingPriceBonus,
         2.0f},
    };
    for (const Case& c : cases) {
        CRefPtr<GLevelModifier> m =
            CRefPtr<GLevelModifier>::fromRaw(createLevelModifier(stringw(c.type)));
        ASSERT_TRUE(m) << toUtf8(c.type);
        EXPECT_EQ(stringw(m->getTypeName()), stringw(c.type));
        EXPECT_EQ(m->getEffect(), c.effect);
        m->Value = 2.0f;
        auto configuration = makeRef<GLevelConfiguration>();
        m->apply(configuration.get());
        m->apply(nullptr);  // nothing to change: nothing happens
        EXPECT_FLOAT_EQ(configuration->Factors.*c.value, c.expected) << std::string(toUtf8(c.type));
        // The other factors stay at their reset values.
        GLevelFactors expected;
        expected.*c.value = c.expected;
        EXPECT_TRUE(sameFactors(expected, configuration->Factors)) << toUtf8(c.type);
    }

    // The switches set their flag either way.
    struct Flag {
        const wchar_t* type;
        bool GLevelFactors::*flag;
    };
    for (const Flag& f : {Flag{L"CanReceiveMoneyLetters", &GLevelFactors::CanReceiveMoneyLetters},
                          Flag{L"CanBuildingsBroke", &GLevelFactors::CanBuildingsBroke}}) {
        CRefPtr<GLevelModifier> m =
            CRefPtr<GLevelModifier>::fromRaw(createLevelModifier(stringw(f.type)));
        ASSERT_TRUE(m);
        EXPECT_EQ(m->getEffect(), LevelModifierSwitches);
        auto configuration = makeRef<GLevelConfiguration>();
        m->Value = 1.0f;
        m->apply(configuration.get());
        EXPECT_TRUE(configuration->Factors.*f.flag);
        m->Value = 0.0f;
        m->apply(configuration.get());
        EXPECT_FALSE(configuration->Factors.*f.flag);
    }

    // Names match exactly.
    for (const wchar_t* other : {L"", L"materialpricem", L"MaterialPriceM ", L"Unknown"})
        EXPECT_EQ(createLevelModifier(stringw(other)), nullptr);
}

TEST(LevelModifiers, ListsReadTheirKnownModifiersInOrderAndApplyCumulatively) {
    test::LogCapture logs;
    CRefPtr<GLevelModifierList> list =
        readList("<Upgrade><LevelModifiers>" + modifier("MaterialPriceM", "0.5") +
                 "<Modifier Value=\"3\"/>" + modifier("NotAKind", "2") +
                 "<Other Type=\"WorkersCostA\" Value=\"9\"/>" + modifier("WorkersCostA", "3") +
                 modifier("CanReceiveMoneyLetters", "1") + modifier("CanReceiveMoneyLetters", "0") +
                 "</LevelModifiers>" + modifier("PRIncomeBonus", "5") + "</Upgrade>");
    ASSERT_EQ(list->size(), 4u);
    EXPECT_EQ(list->get(0)->getKind(), LevelModifierMaterialPriceM);
    EXPECT_EQ(list->get(1)->getKind(), LevelModifierWorkersCostA);
    EXPECT_FLOAT_EQ(list->get(1)->Value, 3.0f);
    EXPECT_TRUE(logs.lines().empty());  // unknown kinds are skipped silently

    // Two working lots with the same list: the price factor is 0.25; the later letters modifier
    // of the list wins.
    auto configuration = makeRef<GLevelConfiguration>();
    list->applyAll(configuration.get());
    list->applyAll(configuration.get());
    EXPECT_FLOAT_EQ(configuration->Factors.MaterialPriceM, 0.25f);
    EXPECT_FLOAT_EQ(configuration->Factors.WorkersCostA, 6.0f);
    EXPECT_FALSE(configuration->Factors.CanReceiveMoneyLetters);

    // Reading again replaces the entries; an element without children, or written as an empty
    // tag, gives an empty list and leaves the reader at that element.
    list = readList("<LevelModifiers></LevelModifiers>");
    EXPECT_EQ(list->size(), 0u);
    CRefPtr<CXmlReader> reader =
        test::readerOf("<A><LevelModifiers/>" + modifier("BuildTimeM", "2") + "</A>");
    reader->read();
    reader->read();
    list->append(CRefPtr<GLevelModifier>::fromRaw(createLevelModifier(L"BuildTimeM")).get());
    ASSERT_EQ(list->size(), 1u);
    list->read(reader.get());
    EXPECT_EQ(list->size(), 0u);
    ASSERT_TRUE(reader->read());
    EXPECT_EQ(reader->getNodeName(), stringw(L"Modifier"));  // the sibling was not taken
}

// A multiplier without a value, or with one of 0 or below, would stop whatever its factor
// drives (a delivery that never arrives, free materials): it leaves the factor alone, and
// reading it says so once.
TEST(LevelModifiers, AMultiplierWithoutAUsableValueLeavesItsFactorAndIsReported) {
    const struct {
        const char* value;  // none: no attribute
        f32 expected;       // a multiplier's factor after one application
        f32 added;          // the addition's factor after one application
    } cases[] = {{nullptr, 1.0f, 0.0f},
                 {"0", 1.0f, 0.0f},
                 {"-2", 1.0f, -2.0f},
                 {"abc", 1.0f, 0.0f},
                 {"0.5", 0.5f, 0.5f}};
    for (const auto& c : cases) {
        test::LogCapture logs;
        CRefPtr<GLevelModifierList> list =
            readList("<LevelModifiers>" + modifier("MaterialDeliveryTimeM", c.value) +
                     modifier("BuildTimeM", c.value) + modifier("PRIncomeBonus", c.value) +
                     "</LevelModifiers>");
        ASSERT_EQ(list->size(), 3u);
        auto configuration = makeRef<GLevelConfiguration>();
        list->applyAll(configuration.get());
        list->applyAll(configuration.get());  // every recalculation: still unchanged
        const std::string label = c.value ? c.value : "(none)";
        EXPECT_FLOAT_EQ(configuration->Factors.MaterialDeliveryTimeM, c.expected * c.expected)
            << label;
        EXPECT_FLOAT_EQ(configuration->Factors.BuildTimeM, c.expected * c.expected) << label;
        const size_t warnings = c.expected == 1.0f ? 2u : 0u;
        size_t seen = 0;
        for (const auto& line : logs.lines()) {
            EXPECT_EQ(line.level, LogWarning) << line.text;
            if (line.text == "Level modifier without a value above 0 is ignored") ++seen;
        }
        EXPECT_EQ(seen, warnings) << label;
        // Additions keep their behaviour: no value adds 0, a negative value subtracts.
        EXPECT_FLOAT_EQ(configuration->Factors.PRIncomeBonus, 2.0f * c.added) << label;
    }
    // Set in code, a non-positive multiplier is ignored as well.
    CRefPtr<GLevelModifier> m =
        CRefPtr<GLevelModifier>::fromRaw(createLevelModifier(L"WorkerPriceM"));
    m->Value = 0.0f;
    auto configuration = makeRef<GLevelConfiguration>();
    m->apply(configuration.get());
    EXPECT_FLOAT_EQ(configuration->Factors.WorkerPriceM, 1.0f);
}
