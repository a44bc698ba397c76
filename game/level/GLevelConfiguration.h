#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/level/GLevelFactors.h"

namespace oskel {
class CPropertySet;
class CXmlReader;
}  // namespace oskel

namespace brasquel {

class GLevelObjectiveList;
class GRandomEventList;
class LevelScores;

// One fixed offer of materials or workers: the amount (materials, or number of workers), the
// price (money before the price factor) and the delivery time (milliseconds before the speed
// factor).
class GLevelOffer : public virtual oskel::IReferenceCounted {
public:
    GLevelOffer(oskel::f32 amount, oskel::f32 price, oskel::f32 time)
        : Amount(amount), Price(price), Time(time) {}
    oskel::f32 Amount;
    oskel::f32 Price;
    oskel::f32 Time;
};

// A range of two floats: minimum, maximum.
struct SLevelRange {
    oskel::f32 Min;
    oskel::f32 Max;
};

// The number of fixed offers of each kind.
constexpr oskel::u32 LevelMaterialsOfferCount = 6;
constexpr oskel::u32 LevelWorkersOfferCount = 4;

// The static description of one level, read from its "LevelConfiguration.xml" and shared by the
// level scene, its lots, processes, objectives and requests. Only the factors change after
// reading: the level modifiers rewrite them at every economy recalculation.
class GLevelConfiguration : public virtual oskel::IReferenceCounted {
public:
    // The defaults, an empty objective list, an empty request list, the thresholds 0 and 50.
    GLevelConfiguration();
    ~GLevelConfiguration() override;
    GLevelConfiguration(const GLevelConfiguration&) = delete;
    GLevelConfiguration& operator=(const GLevelConfiguration&) = delete;

    // Reads a "Level" element: its "Properties" (readProperties), "Objectives" and
    // "RandomEvents", wherever they stand; everything else is passed over. True at the end of
    // "Level"; false when the document ended first (what was read stays).
    bool read(oskel::CXmlReader* reader);
    // Takes the known keys of the set; a missing key leaves its member as it is, a key of another
    // property type gives 0, false or (0, 0). Appends the fixed offers when they are not there
    // yet, so that a file with several property elements still has each offer once.
    void readProperties(const oskel::CPropertySet& properties);

    // Threshold index, or the last one past the end (every index from 1 on gives 50).
    oskel::s32 getRatingThreshold(oskel::u32 index) const;
    // The key of this level in the level scores table: "level" followed by the name.
    oskel::stringc getScoresKey() const;
    // Writes the table's entry of this level into Score, ExpertScore and LevelTime; a table
    // without the entry gives 0, 0 and 360 s. Nothing is added to the table.
    void joinLevelScores(const LevelScores& scores);

    oskel::stringw Name;
    oskel::stringw Description;
    oskel::s32 LevelNumber = -1;  // Name read as a number whenever the properties are read
    oskel::s32 SettingIndex = 1;  // the scenery; 4 is the winter
    oskel::array<oskel::stringc> UnlockLevels;
    oskel::array<oskel::CNameId> AvailableBuildingsForBuild;
    oskel::CRefPtr<GLevelObjectiveList> Objectives;
    oskel::CRefPtr<GRandomEventList> RandomEvents;
    oskel::s32 LevelTime = -1;  // seconds; 0 or less: no clock
    oskel::s32 Score = 0;
    oskel::s32 ExpertScore = 0;
    oskel::s32 DayLength = 60;  // seconds
    oskel::f32 InitMoney = 0.0f;
    oskel::f32 InitRating = 0.0f;
    oskel::f32 InitMaterialsCount = 0.0f;
    oskel::s32 InitWorkersCount = 0;
    oskel::f32 IncomeBonus1 = 0.0f;  // percent, lots of luckiness 1
    oskel::f32 IncomeBonus2 = 0.0f;  // percent, lots of luckiness -1
    oskel::array<oskel::CNameId> PyramidIncomeBonusPlaces;
    oskel::f32 StationIncomeBonus1 = 0.0f;
    oskel::f32 StationIncomeBonus2 = 0.0f;
    oskel::array<oskel::CNameId> StationIncomeBonus1BuildingTypes;
    oskel::array<oskel::CNameId> StationIncomeBonus2BuildingTypes;
    SLevelRange BuildingsSellTime{10000.0f, 60000.0f};               // ms
    SLevelRange BuildingsBuyRequestTime{10000.0f, 60000.0f};         // ms
    SLevelRange BuildingsBuyRequestTimeWaiting{10000.0f, 20000.0f};  // ms
    SLevelRange BuildingsBuyRequestPriceMultiplier{0.8f, 1.0f};
    oskel::array<oskel::CRefPtr<GLevelOffer>> MaterialsOffers;
    oskel::array<oskel::CRefPtr<GLevelOffer>> WorkersOffers;
    bool IsRatingOn = true;
    bool IsClockOn = true;
    bool IsBuildingLevelOn = true;
    bool IsBuildingPlaceLuckinessOn = true;
    bool IsSellOn = true;
    bool IsNotOwnedDecorationsDirty = false;
    GLevelFactors Factors;
    oskel::array<oskel::s32> RatingThresholds;
};

}  // namespace brasquel
