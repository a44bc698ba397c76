// The game's own level files read with the game's readers: the buildings catalogue and every
// level's configuration, checked against the code's type names, the sound pack and the
// dictionary.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/properties/CPropertySet.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GRandomEventRequest.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;

namespace {

const std::filesystem::path kAssets = BRASQUEL_ASSETS_DIR;

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// No line at the warning level or above.
std::string problems(const test::LogCapture& log) {
    std::string text;
    for (const auto& line : log.lines())
        if (line.level >= LogWarning) text += line.text + "\n";
    return text;
}

// The names of the cues of the sound pack.
std::set<std::string> cueNames() {
    std::set<std::string> names;
    CRefPtr<CXmlReader> reader = test::readerOf(fileBytes(kAssets / "sounds/SoundPack.xml"));
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement &&
            reader->getNodeName() == stringw(L"SoundCue"))
            names.insert(toUtf8(reader->getAttributeValue(L"Name").c_str()));
    return names;
}

CRefPtr<CTextDictionary> dictionary() {
    auto texts = makeRef<CTextDictionary>();
    CRefPtr<CXmlReader> reader = test::readerOf(fileBytes(kAssets / "strings/Dictionary.xml"));
    EXPECT_TRUE(texts->load(reader.get()));
    return texts;
}

// A text that refers to the dictionary ("%Key%") names a key it holds.
void expectResolves(const CTextDictionary& texts, const stringw& text, const std::string& where) {
    if (text.empty()) return;
    const stringw translated = texts.translate(text);
    EXPECT_EQ(translated.findFirst(L'%'), -1) << where << ": " << toUtf8(text.c_str());
    EXPECT_FALSE(translated.empty()) << where;
}

CRefPtr<GBuildingsConfiguration> readCatalogue(std::string* log) {
    test::LogCapture capture;
    CRefPtr<CXmlReader> reader =
        test::readerOf(fileBytes(kAssets / "levels/common/BuildingsConfiguration.xml"));
    auto catalogue = makeRef<GBuildingsConfiguration>();
    EXPECT_TRUE(catalogue->read(reader.get()));
    *log = problems(capture);
    return catalogue;
}

// The property type that the catalogue's reader accepts for each numeric field.
const std::pair<const char*, u32> kFieldTypes[] = {
    {"PreviewScale", PropertyTypeFloat},
    {"Level", PropertyTypeInt},
    {"Type", PropertyTypeInt},
    {"BuildTime", PropertyTypeFloat},
    {"RepairTime", PropertyTypeFloat},
    {"DestroyTime", PropertyTypeFloat},
    {"ProvidedService", PropertyTypeInt},
    {"ServeArea", PropertyTypeVector2d},
    {"BoostedServeArea", PropertyTypeVector2d},
    {"ServeAreaIncomeBonus", PropertyTypeFloat},
    {"ServeTime", PropertyTypeFloat},
    {"ServeIncome", PropertyTypeFloat},
    {"ServeBoostedIncome", PropertyTypeFloat},
    {"Income", PropertyTypeFloat},
    {"SellPrice", PropertyTypeFloat},
    {"Cost", PropertyTypeFloat},
    {"BrokenServeAreaIncomeBonus", PropertyTypeFloat},
    {"BuildMaterialsCost", PropertyTypeFloat},
    {"BuildWorkersCost", PropertyTypeInt},
    {"RepairMaterialsCost", PropertyTypeFloat},
    {"RepairWorkersCost", PropertyTypeInt},
    {"DestroyWorkersCost", PropertyTypeInt},
    {"GuestsCount", PropertyTypeInt},
};

void expectModifiersPositive(const GLevelModifierList* list, const std::string& where) {
    if (!list) return;
    EXPECT_GT(list->size(), 0u) << where;
    for (u32 i = 0; i < list->size(); ++i) {
        const GLevelModifier* m = list->get(i);
        if (m->getEffect() == LevelModifierMultiplies) {
            EXPECT_GT(m->Value, 0.0f) << where;
        }
        if (m->getEffect() == LevelModifierSwitches) {
            EXPECT_GT(m->Value, 0.0f) << where;
        }
    }
}

}  // namespace

TEST(LevelContent, TheCatalogueReadsWithoutAWarningAndHoldsEveryTypeTheCodeNames) {
    std::string log;
    CRefPtr<GBuildingsConfiguration> catalogue = readCatalogue(&log);
    EXPECT_EQ(log, "");
    EXPECT_EQ(catalogue->size(), 28u);
    const char* named[] = {"BuildingPlace",  "Camping1",     "Hostel1",  "GuestHouse1",
                           "BusinessHotel1", "HotelN51",     "HotelN61", "Cafe",
                           "CityMall",       "AquaPark",     "Statue",   "Garden",
                           "Memorial",       "TruckStation", "REAgency", "PRAgency"};
    for (const char* name : named) EXPECT_TRUE(catalogue->find(CNameId(name))) << name;
    const GBuildingConfig* place = catalogue->find(CNameId("BuildingPlace"));
    ASSERT_TRUE(place);
    EXPECT_EQ(place->Level, 0);
    EXPECT_EQ(place->Type, 0);
    EXPECT_EQ(place->SellPrice, 20000.0f);
}

TEST(LevelContent, EveryTypeIsConsistent) {
    std::string log;
    CRefPtr<GBuildingsConfiguration> catalogue = readCatalogue(&log);
    const std::set<std::string> cues = cueNames();
    CRefPtr<CTextDictionary> texts = dictionary();
    for (const auto& [name, type] : catalogue->getTypes()) {
        const std::string where = name.getName().c_str();
        SCOPED_TRACE(where);
        EXPECT_FALSE(name.isEmpty());
        EXPECT_EQ(std::string(type->DisplayName.c_str()), where);
        EXPECT_GT(type->BuildTime, 0.0f);
        EXPECT_GT(type->RepairTime, 0.0f);
        EXPECT_GT(type->DestroyTime, 0.0f);
        EXPECT_GT(type->ServeTime, 0.0f);
        EXPECT_GT(type->PreviewScale, 0.0f);
        EXPECT_GT(type->SellPrice, 0.0f);
        EXPECT_GE(type->GuestsCount, 0);
        EXPECT_GE(type->BuildWorkersCost, 1);
        EXPECT_GE(type->RepairWorkersCost, 1);
        EXPECT_GE(type->DestroyWorkersCost, 1);
        if (type->Level > 0) {
            EXPECT_GT(type->Cost, 0.0f);
            EXPECT_GT(type->BuildMaterialsCost, 0.0f);
            EXPECT_GT(type->RepairMaterialsCost, 0.0f);
            EXPECT_TRUE(cues.count(type->BuiltSoundCueName.getName().c_str()));
            EXPECT_TRUE(cues.count(type->SelectedSoundCueName.getName().c_str()));
            EXPECT_FALSE(type->ButtonTemplate.isEmpty());
        }
        if (type->Type == BuildingKindLodging && type->Level > 0) {
            EXPECT_GT(type->GuestsCount, 0);
        }
        if (!type->NextLevelName.isEmpty()) {
            const GBuildingConfig* next = catalogue->find(type->NextLevelName);
            ASSERT_TRUE(next) << type->NextLevelName.getName().c_str();
            EXPECT_EQ(next->Level, type->Level + 1);
            EXPECT_EQ(next->Type, type->Type);
        }
        expectResolves(*texts, type->Description, where);
        expectResolves(*texts, type->FullDescription, where);
        expectModifiersPositive(type->LevelModifiers.get(), where);
        for (u32 i = 0; i < type->Features.size(); ++i) {
            const GBuildingFeature& f = type->Features[i];
            EXPECT_GT(f.DurationTime, 0);
            EXPECT_GT(f.RechargeTime, 0);
            EXPECT_GT(f.MoneyCost, 0.0f);
            EXPECT_FALSE(f.ButtonName.isEmpty());
            EXPECT_TRUE(!f.FeatureTypes.empty() || f.LevelModifiers)
                << "feature " << i << " does nothing";
            expectResolves(*texts, f.Name, where);
            expectResolves(*texts, f.InfoText, where);
            expectResolves(*texts, f.ButtonInfoText, where);
            expectModifiersPositive(f.LevelModifiers.get(), where);
        }
    }
}

// Every numeric property is written with the type the reader accepts, so none reads as 0.
TEST(LevelContent, NoPropertyOfTheCatalogueHasATypeTheReaderTurnsToZero) {
    CRefPtr<CXmlReader> reader =
        test::readerOf(fileBytes(kAssets / "levels/common/BuildingsConfiguration.xml"));
    u32 sets = 0;
    while (reader->read()) {
        if (reader->getNodeType() != XmlNodeElement ||
            reader->getNodeName() != stringw(L"Properties"))
            continue;
        auto set = makeRef<CPropertySet>();
        ASSERT_TRUE(set->readXml(reader.get()));
        ++sets;
        for (const auto& [field, typeId] : kFieldTypes) {
            if (set->getPropertyIndex(field) < 0) continue;
            CRefPtr<IPropertyData> value = set->getProperty(field);
            ASSERT_TRUE(value) << field;
            EXPECT_EQ(value->getTypeId(), typeId) << set->getString("Name").c_str() << " " << field;
        }
    }
    EXPECT_EQ(sets, 28u);
}

TEST(LevelContent, TheObjectivesTextsAndHintsAreInTheDictionary) {
    CRefPtr<CTextDictionary> texts = dictionary();
    for (const char* key : {"Obj_IncomeFull", "Obj_Income", "Obj_Workers", "Obj_HaveGuests"}) {
        const stringw text = texts->getText(key);
        EXPECT_NE(text, stringw((std::string("%") + key + "%").c_str())) << key;
        EXPECT_NE(text.find(L"#p"), -1) << key;
    }
    for (s32 kind = 0; kind < LevelObjectiveKindCount; ++kind) {
        CRefPtr<GLevelObjective> objective = CRefPtr<GLevelObjective>::fromRaw(createLevelObjective(
            GLevelObjective::typeNameOf(static_cast<ELevelObjectiveKind>(kind))));
        ASSERT_TRUE(objective);
        expectResolves(*texts, objective->getHintText(), "hint");
    }
}

// Every level folder's configuration: typed keys, a day of 20 s or more, ranges in order, letters
// of at most one money range, an objective, only type names the catalogue knows.
TEST(LevelContent, EveryLevelConfigurationIsConsistent) {
    std::string log;
    CRefPtr<GBuildingsConfiguration> catalogue = readCatalogue(&log);
    ASSERT_GT(catalogue->size(), 0u);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kAssets / "levels"))
        if (std::filesystem::exists(entry.path() / "LevelConfiguration.xml"))
            files.push_back(entry.path() / "LevelConfiguration.xml");
    const auto known = [&](const array<CNameId>& names, const std::string& where) {
        for (u32 i = 0; i < names.size(); ++i)
            EXPECT_TRUE(catalogue->find(names[i])) << where << ": " << names[i].getName().c_str();
    };
    for (const std::filesystem::path& file : files) {
        const std::string where = file.parent_path().filename().string();
        SCOPED_TRACE(where);
        const std::string bytes = fileBytes(file);
        test::LogCapture capture;
        auto level = makeRef<GLevelConfiguration>();
        CRefPtr<CXmlReader> reader = test::readerOf(bytes);
        EXPECT_TRUE(level->read(reader.get()));
        EXPECT_EQ(problems(capture), "");
        EXPECT_GE(level->DayLength, 20);
        EXPECT_LE(level->BuildingsSellTime.Min, level->BuildingsSellTime.Max);
        EXPECT_LE(level->BuildingsBuyRequestTime.Min, level->BuildingsBuyRequestTime.Max);
        EXPECT_LE(level->BuildingsBuyRequestTimeWaiting.Min,
                  level->BuildingsBuyRequestTimeWaiting.Max);
        EXPECT_LE(level->BuildingsBuyRequestPriceMultiplier.Min,
                  level->BuildingsBuyRequestPriceMultiplier.Max);
        EXPECT_GT(level->Objectives->size(), 0u);
        known(level->AvailableBuildingsForBuild, "AvailableBuildingsForBuild");
        known(level->StationIncomeBonus1BuildingTypes, "StationIncomeBonus1BuildingTypes");
        known(level->StationIncomeBonus2BuildingTypes, "StationIncomeBonus2BuildingTypes");
        for (u32 i = 0; i < level->Objectives->size(); ++i) {
            GLevelObjective* objective = level->Objectives->get(i);
            if (auto* o = dynamic_cast<GLevelObjectiveHaveTypedBuildingsCount*>(objective))
                known(o->BuildingTypes, "objective");
            if (auto* o = dynamic_cast<GLevelObjectiveHaveEachTypeBuildingsCount*>(objective))
                known(o->BuildingTypes, "objective");
            if (auto* o = dynamic_cast<GLevelObjectiveTypedHistoryActionsCount*>(objective))
                known(o->BuildingTypes, "objective");
            if (auto* o = dynamic_cast<GLevelObjectiveHaveConcurrentFeatures*>(objective))
                known(o->BuildingTypes, "objective");
        }
        const auto letterRanges = [](const SFloatRange& money, const SFloatRange& wait) {
            EXPECT_LE(money.first, money.second);
            EXPECT_LE(money.second, 1.0f);
            EXPECT_LE(wait.first, wait.second);
        };
        const auto timeRange = [](const SIntRange& range) { EXPECT_LE(range.first, range.second); };
        for (u32 i = 0; i < level->RandomEvents->size(); ++i) {
            GRandomEventRequest* request = level->RandomEvents->get(i);
            if (auto* once = dynamic_cast<GOneTimeRequest*>(request)) timeRange(once->TimeRange);
            if (auto* regular = dynamic_cast<GRegularRequest*>(request)) {
                timeRange(regular->FirstTimeRange);
                timeRange(regular->LastTimeRange);
                timeRange(regular->PeriodRange);
            }
            if (auto* letter = dynamic_cast<OneTimeLetterRequest*>(request))
                letterRanges(letter->MoneyRange, letter->WaitTimeRange);
            if (auto* letter = dynamic_cast<RegularLetterRequest*>(request))
                letterRanges(letter->MoneyRange, letter->WaitTimeRange);
        }
        // Keys of a known name with another property type read as 0: the file must type them.
        CRefPtr<CXmlReader> raw = test::readerOf(bytes);
        while (raw->read()) {
            if (raw->getNodeType() != XmlNodeElement ||
                raw->getNodeName() != stringw(L"Properties"))
                continue;
            auto set = makeRef<CPropertySet>();
            ASSERT_TRUE(set->readXml(raw.get()));
            const std::pair<const char*, u32> typed[] = {
                {"SettingIndex", PropertyTypeInt},
                {"LevelTime", PropertyTypeInt},
                {"DayLength", PropertyTypeInt},
                {"InitWorkersCount", PropertyTypeInt},
                {"InitMoney", PropertyTypeFloat},
                {"InitRating", PropertyTypeFloat},
                {"InitMaterialsCount", PropertyTypeFloat},
                {"BuildingsSellTime", PropertyTypeVector2d},
                {"IsRatingOn", PropertyTypeBool},
                {"IsClockOn", PropertyTypeBool},
                {"IsSellOn", PropertyTypeBool}};
            for (const auto& [key, typeId] : typed)
                if (set->getPropertyIndex(key) >= 0) {
                    ASSERT_TRUE(set->getProperty(key)) << key;
                    EXPECT_EQ(set->getProperty(key)->getTypeId(), typeId) << key;
                }
        }
    }
}
