#include "game/level/GLevelConfiguration.h"

#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "game/config/LevelScores.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelText.h"
#include "game/level/GRandomEventRequest.h"

namespace brasquel {

using namespace oskel;

namespace {

struct SOfferValues {
    f32 amount, price, timeMs;
};

// The fixed offers of every level, in the order the play screen lists them.
constexpr SOfferValues kMaterialsOffers[LevelMaterialsOfferCount] = {
    {125.0f, 12500.0f, 5000.0f},  {250.0f, 22500.0f, 6000.0f},    {500.0f, 40000.0f, 7000.0f},
    {1000.0f, 75000.0f, 9000.0f}, {2500.0f, 150000.0f, 10000.0f}, {5000.0f, 250000.0f, 12000.0f},
};
constexpr SOfferValues kWorkersOffers[LevelWorkersOfferCount] = {
    {1.0f, 50000.0f, 5000.0f},
    {2.0f, 90000.0f, 7000.0f},
    {3.0f, 125000.0f, 10000.0f},
    {4.0f, 150000.0f, 12000.0f},
};

constexpr s32 kRatingThresholds[] = {0, 50};
constexpr s32 kLevelTimeWithoutScores = 360;

bool has(const CPropertySet& set, const char* key) { return set.getPropertyIndex(key) >= 0; }

void readInt(const CPropertySet& set, const char* key, s32& member) {
    if (has(set, key)) member = unboxPropertyInt(set.getProperty(key).get());
}

void readFloat(const CPropertySet& set, const char* key, f32& member) {
    if (has(set, key)) member = unboxPropertyFloat(set.getProperty(key).get());
}

void readBool(const CPropertySet& set, const char* key, bool& member) {
    if (has(set, key)) member = unboxPropertyBool(set.getProperty(key).get());
}

void readRange(const CPropertySet& set, const char* key, SLevelRange& member) {
    if (!has(set, key)) return;
    const vector2df value = unboxPropertyVector2d(set.getProperty(key).get());
    member = SLevelRange{value.X, value.Y};
}

void readNameList(const CPropertySet& set, const char* key, array<CNameId>& member) {
    if (has(set, key)) member = parseNameIdList(set.getString(key));
}

// Split at every ';' without trimming; empty pieces stay, so "3;4;" gives "3", "4", "".
array<stringc> splitKeepingEmpty(const stringc& text) {
    array<stringc> pieces;
    stringc piece;
    for (u32 i = 0; i < text.size(); ++i) {
        if (text[i] == ';') {
            pieces.push_back(piece);
            piece = stringc();
        } else {
            piece += text[i];
        }
    }
    pieces.push_back(piece);
    return pieces;
}

bool isElementNamed(const CXmlReader* reader, EXmlNodeType type, const wchar_t* name) {
    return reader->getNodeType() == type && reader->getNodeName() == stringw(name);
}

}  // namespace

GLevelConfiguration::GLevelConfiguration()
    : Objectives(makeRef<GLevelObjectiveList>()), RandomEvents(makeRef<GRandomEventList>()) {
    for (s32 threshold : kRatingThresholds) RatingThresholds.push_back(threshold);
}

GLevelConfiguration::~GLevelConfiguration() = default;

bool GLevelConfiguration::read(CXmlReader* reader) {
    if (!reader) return false;
    while (reader->read()) {
        if (isElementNamed(reader, XmlNodeElementEnd, L"Level")) return true;
        if (reader->getNodeType() != XmlNodeElement) continue;
        const stringw& name = reader->getNodeName();
        if (name == stringw(L"Properties")) {
            CRefPtr<CPropertySet> properties = makeRef<CPropertySet>();
            properties->readXml(reader);
            readProperties(*properties);
        } else if (name == stringw(L"Objectives")) {
            Objectives->read(reader);
        } else if (name == stringw(L"RandomEvents")) {
            RandomEvents->read(reader);
        } else if (name == stringw(L"Level") && reader->isEmptyElement()) {
            return true;  // "<Level/>": its end is its start
        }
    }
    return false;
}

void GLevelConfiguration::readProperties(const CPropertySet& set) {
    if (has(set, "Name")) Name = set.getStringW("Name");
    LevelNumber = parseLevelNumber(Name);
    if (has(set, "Description")) Description = set.getStringW("Description");
    readInt(set, "SettingIndex", SettingIndex);
    if (has(set, "UnlockLevels")) UnlockLevels = splitKeepingEmpty(set.getString("UnlockLevels"));
    readNameList(set, "AvailableBuildingsForBuild", AvailableBuildingsForBuild);
    readInt(set, "LevelTime", LevelTime);
    readInt(set, "Score", Score);
    readInt(set, "ExpertScore", ExpertScore);
    readInt(set, "DayLength", DayLength);
    readFloat(set, "InitMoney", InitMoney);
    readFloat(set, "InitRating", InitRating);
    readFloat(set, "InitMaterialsCount", InitMaterialsCount);
    readInt(set, "InitWorkersCount", InitWorkersCount);
    readFloat(set, "IncomeBonus1", IncomeBonus1);
    readFloat(set, "IncomeBonus2", IncomeBonus2);
    readNameList(set, "PyramidIncomeBonusPlaces", PyramidIncomeBonusPlaces);
    readFloat(set, "StationIncomeBonus1", StationIncomeBonus1);
    readFloat(set, "StationIncomeBonus2", StationIncomeBonus2);
    readNameList(set, "StationIncomeBonus1BuildingTypes", StationIncomeBonus1BuildingTypes);
    readNameList(set, "StationIncomeBonus2BuildingTypes", StationIncomeBonus2BuildingTypes);
    readRange(set, "BuildingsSellTime", BuildingsSellTime);
    readRange(set, "BuildingsBuyRequestTime", BuildingsBuyRequestTime);
    readRange(set, "BuildingsBuyRequestTimeWaiting", BuildingsBuyRequestTimeWaiting);
    readRange(set, "BuildingsBuyRequestPriceMultiplier", BuildingsBuyRequestPriceMultiplier);
    // The offers are the program's, not the file's: a second property element must not list
    // them twice.
    if (MaterialsOffers.empty())
        for (const SOfferValues& o : kMaterialsOffers)
            MaterialsOffers.push_back(makeRef<GLevelOffer>(o.amount, o.price, o.timeMs));
    if (WorkersOffers.empty())
        for (const SOfferValues& o : kWorkersOffers)
            WorkersOffers.push_back(makeRef<GLevelOffer>(o.amount, o.price, o.timeMs));
    readBool(set, "IsRatingOn", IsRatingOn);
    readBool(set, "IsClockOn", IsClockOn);
    readBool(set, "IsBuildingLevelOn", IsBuildingLevelOn);
    readBool(set, "IsBuildingPlaceLuckinessOn", IsBuildingPlaceLuckinessOn);
    readBool(set, "IsSellOn", IsSellOn);
    readBool(set, "IsNotOwnedDecorationsDirty", IsNotOwnedDecorationsDirty);
}

s32 GLevelConfiguration::getRatingThreshold(u32 index) const {
    if (RatingThresholds.empty()) return 0;
    return index < RatingThresholds.size() ? RatingThresholds[index]
                                           : RatingThresholds[RatingThresholds.size() - 1];
}

stringc GLevelConfiguration::getScoresKey() const {
    stringc key("level");
    key += stringc(toUtf8(Name.c_str()).c_str());
    return key;
}

void GLevelConfiguration::joinLevelScores(const LevelScores& scores) {
    const SLevelScore* entry = scores.find(getScoresKey());
    Score = entry ? entry->Score : 0;
    ExpertScore = entry ? entry->ExpertScore : 0;
    LevelTime = entry ? entry->Time : kLevelTimeWithoutScores;
}

}  // namespace brasquel
