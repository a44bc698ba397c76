#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/core/StringUtils.h"
#include "game/play/tutorial/GTutorialHint.h"
#include "tests/io/XmlTestUtils.h"

namespace brasquel::test {
namespace {

using namespace oskel;
using irr::core::vector3df;

struct Read {
    bool complete = false;
    array<CRefPtr<GTutorialHint>> steps;
};

Read readSteps(const std::string& xml) {
    Read result;
    CRefPtr<CXmlReader> reader = oskel::test::readerOf(xml);
    result.complete = readTutorialSteps(reader.get(), result.steps);
    return result;
}

void expectVector(const vector3df& v, f32 x, f32 y, f32 z, const std::string& label) {
    EXPECT_FLOAT_EQ(v.X, x) << label;
    EXPECT_FLOAT_EQ(v.Y, y) << label;
    EXPECT_FLOAT_EQ(v.Z, z) << label;
}

TEST(TutorialStepFile, FlagsAreSetOnlyByTheExactTextTrue) {
    const struct {
        const char* value;
        bool expected;
    } cases[] = {{"true", true},   {"True", false}, {"1", false},   {" true", false},
                 {"true ", false}, {"", false},     {"TRUE", false}};
    for (const auto& c : cases) {
        const std::string v = c.value;
        Read read = readSteps("<Tutorial><Hint Tip=\"" + v + "\" MessageBox=\"" + v +
                              "\" Linnet=\"" + v + "\"></Hint></Tutorial>");
        ASSERT_TRUE(read.complete) << v;
        ASSERT_EQ(read.steps.size(), 1u) << v;
        EXPECT_EQ(read.steps[0]->Tip, c.expected) << "[" << v << "]";
        EXPECT_EQ(read.steps[0]->MessageBox, c.expected) << "[" << v << "]";
        EXPECT_EQ(read.steps[0]->Linnet, c.expected) << "[" << v << "]";
    }
    Read missing = readSteps("<Tutorial><Hint></Hint></Tutorial>");
    ASSERT_EQ(missing.steps.size(), 1u);
    EXPECT_FALSE(missing.steps[0]->Tip);
    EXPECT_FALSE(missing.steps[0]->MessageBox);
    EXPECT_FALSE(missing.steps[0]->Linnet);
}

TEST(TutorialStepFile, StepsWithoutFieldsKeepTheDefaults) {
    Read read = readSteps("<Tutorial><Hint></Hint></Tutorial>");
    ASSERT_EQ(read.steps.size(), 1u);
    const GTutorialHint& step = *read.steps[0];
    expectVector(step.Position, 570, 516, 0, "Position");
    expectVector(step.TextPosition, -35, -11, 1, "TextPosition");
    EXPECT_EQ(step.TextBgType, 0);
    EXPECT_TRUE(step.Text.empty());
    EXPECT_TRUE(step.ImageFilename.empty());
    EXPECT_EQ(step.Arrows.size(), 0u);
    EXPECT_EQ(step.Actions.size(), 0u);
}

TEST(TutorialStepFile, VectorsReadRealNumbersAndFillMissingOnesWithZero) {
    const struct {
        const char* element;
        f32 x, y, z;
    } cases[] = {
        {"<Position/>", 0, 0, 0},
        {"<Position Value=\"\"/>", 0, 0, 0},
        {"<Position Value=\"10;20\"/>", 10, 20, 0},
        {"<Position Value=\"12.5, -7.25 3\"/>", 12.5f, -7.25f, 3},
        {"<Position Value=\"1;2;3;4\"/>", 1, 2, 3},
        {"<Position Value=\"x=4 y=-5\"/>", 4, -5, 0},
    };
    for (const auto& c : cases) {
        Read read = readSteps(std::string("<Tutorial><Hint>") + c.element + "</Hint></Tutorial>");
        ASSERT_EQ(read.steps.size(), 1u) << c.element;
        expectVector(read.steps[0]->Position, c.x, c.y, c.z, c.element);
    }
    expectVector(parseTutorialVector(L"-"), 0, 0, 0, "a lone minus");
    expectVector(parseTutorialVector(L"1e2 - 3"), 100, 3, 0, "exponent and lone minus");
}

TEST(TutorialStepFile, ReadsEveryFieldAndTheLastOfTwice) {
    Read read = readSteps(
        "<?xml version=\"1.0\"?><Tutorial><Hint Tip=\"true\">"
        "<Position Value=\"1;2;3\"/><Position Value=\"100;200\"/>"
        "<TextBgType Value=\"2.9\"/><TextPosition Value=\"5.5;6\"/>"
        "<Text Value=\"first\"/><Text Value=\"%Tut_Welcome%\"/>"
        "<ImageFilename Value=\"images/Guide.png\"/>"
        "<Arrows><Arrow Position=\"10;20\" Rotation=\"90.5\"/></Arrows>"
        "<Arrows><Arrow Position=\"30.5;40;7\"/></Arrows>"
        "<Actions><Action Type=\"Timed\" Time=\"3000\"/></Actions>"
        "<Actions><Action Type=\"NoSuchKind\"/><Action Type=\"MouseClick\"/></Actions>"
        "<Unknown Value=\"9\"/></Hint></Tutorial>");
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(read.steps.size(), 1u);
    const GTutorialHint& step = *read.steps[0];
    EXPECT_TRUE(step.Tip);
    expectVector(step.Position, 100, 200, 0, "Position");
    EXPECT_EQ(step.TextBgType, 2);
    expectVector(step.TextPosition, 5.5f, 6, 0, "TextPosition");
    EXPECT_EQ(toUtf8(step.Text.c_str()), "%Tut_Welcome%");
    EXPECT_STREQ(step.ImageFilename.c_str(), "images/Guide.png");
    ASSERT_EQ(step.Arrows.size(), 2u);
    expectVector(step.Arrows[0].Position, 10, 20, 0, "arrow 1");
    expectVector(step.Arrows[0].Rotation, 0, 0, 90.5f, "arrow 1 rotation");
    expectVector(step.Arrows[1].Position, 30.5f, 40, 7, "arrow 2");
    expectVector(step.Arrows[1].Rotation, 0, 0, 0, "arrow 2 rotation");
    // The unknown kind is passed over; the lists grow with every element.
    ASSERT_EQ(step.Actions.size(), 2u);
    EXPECT_NE(dynamic_cast<GTimedAction*>(step.Actions[0].get()), nullptr);
    EXPECT_EQ(static_cast<GTimedAction*>(step.Actions[0].get())->getRemainingMs(), 3000);
    EXPECT_NE(dynamic_cast<GMouseClickAction*>(step.Actions[1].get()), nullptr);
}

TEST(TutorialStepFile, NestedStepsAreReadAndReadingAgainReplacesTheSteps) {
    CRefPtr<CXmlReader> first = oskel::test::readerOf(
        "<Tutorial><Group><Hint><Text Value=\"a\"/></Hint></Group>"
        "<Hint><Text Value=\"b\"/></Hint></Tutorial>");
    array<CRefPtr<GTutorialHint>> steps;
    ASSERT_TRUE(readTutorialSteps(first.get(), steps));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(toUtf8(steps[0]->Text.c_str()), "a");
    EXPECT_EQ(toUtf8(steps[1]->Text.c_str()), "b");
    CRefPtr<CXmlReader> second =
        oskel::test::readerOf("<Tutorial><Hint><Text Value=\"c\"/></Hint></Tutorial>");
    ASSERT_TRUE(readTutorialSteps(second.get(), steps));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(toUtf8(steps[0]->Text.c_str()), "c");
}

TEST(TutorialStepFile, SelfClosingElementsDoNotSwallowTheNextSteps) {
    Read read = readSteps(
        "<Tutorial><Hint Tip=\"true\"/>"
        "<Hint><Actions/><Arrows/><Text Value=\"second\"/></Hint>"
        "<Hint><Text Value=\"third\"/><Arrows><Arrow Position=\"1;2\"/></Arrows></Hint>"
        "</Tutorial>");
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(read.steps.size(), 3u);
    EXPECT_TRUE(read.steps[0]->Tip);
    EXPECT_EQ(toUtf8(read.steps[1]->Text.c_str()), "second");
    EXPECT_EQ(read.steps[1]->Actions.size(), 0u);
    EXPECT_EQ(read.steps[1]->Arrows.size(), 0u);
    EXPECT_EQ(toUtf8(read.steps[2]->Text.c_str()), "third");
    EXPECT_EQ(read.steps[2]->Arrows.size(), 1u);
}

TEST(TutorialStepFile, InputEndingEarlyStopsTheReadersAndAnswersFalse) {
    const struct {
        const char* xml;
        u32 steps;
    } cases[] = {
        {"<Tutorial><Hint><Text Value=\"a\"/></Hint>", 1},
        {"<Tutorial><Hint><Text Value=\"a\"/></Hint><Hint><Text Value=\"b\"/>", 2},
        {"<Tutorial><Hint><Actions><Action Type=\"Timed\" Time=\"5\"/>", 1},
        {"<Tutorial><Hint><Arrows><Arrow Position=\"1;2\"/>", 1},
        {"", 0},
        {"<Other></Other>", 0},
    };
    for (const auto& c : cases) {
        Read read = readSteps(c.xml);
        EXPECT_FALSE(read.complete) << c.xml;
        EXPECT_EQ(read.steps.size(), c.steps) << c.xml;
    }
    Read empty = readSteps("<Tutorial></Tutorial>");
    EXPECT_TRUE(empty.complete);
    EXPECT_EQ(empty.steps.size(), 0u);
}

TEST(TutorialStepFile, EveryKindIsMadeByItsTypeText) {
    const char* kinds[] = {"Timed",
                           "MouseClick",
                           "BuildingPress",
                           "ControlPress",
                           "ListItemPress",
                           "ListItemHovered",
                           "BuildingCompleted",
                           "BuildingCompletedOrExist",
                           "WaitDirty",
                           "WaitLetter",
                           "GenerateSellBuildingRequest",
                           "GenerateBrokenBuildingRequest",
                           "GenerateDirtyBuildingRequest",
                           "GenerateLetterRequest",
                           "GeneratePauseRequest"};
    std::vector<std::string> classes;
    for (const char* kind : kinds) {
        CRefPtr<GTutorialAction> action =
            CRefPtr<GTutorialAction>::fromRaw(createTutorialAction(widenLatin1(kind)));
        ASSERT_NE(action, nullptr) << kind;
        const GTutorialAction& made = *action;
        classes.push_back(typeid(made).name());
    }
    std::sort(classes.begin(), classes.end());
    EXPECT_EQ(std::unique(classes.begin(), classes.end()), classes.end());
    for (const char* other : {"timed", "Timed ", "", "Generate"})
        EXPECT_EQ(createTutorialAction(widenLatin1(other)), nullptr) << other;
}

}  // namespace
}  // namespace brasquel::test
