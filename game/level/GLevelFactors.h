#pragma once

#include "engine/core/OskelTypes.h"

namespace brasquel {

// The economy factors of a level: rebuilt at every economy recalculation from the level
// modifiers of the bought upgrades, the working lots and their running features. Everything
// that depends on a factor reads it afresh when it needs it.
struct GLevelFactors {
    oskel::f32 MaterialDeliveryTimeM = 1.0f;  // speed of the materials delivery countdown
    oskel::f32 WorkerDeliveryTimeM = 1.0f;    // speed of the workers training countdown
    oskel::f32 MaterialPriceM = 1.0f;         // price factor of materials
    oskel::f32 WorkerPriceM = 1.0f;           // price factor of workers
    oskel::f32 WorkersCostA = 0.0f;  // taken off the workers cost of building, never below 1
    oskel::f32 BuildTimeM = 1.0f;    // speed of the work clocks of the building processes
    bool CanReceiveMoneyLetters = false;
    bool CanBuildingsBroke = true;
    oskel::f32 PyramidIncomeBonus = 0.0f;   // percent, for the pyramid places
    oskel::f32 StationIncomeBonus1 = 0.0f;  // added to the configuration's bonus of the same name
    oskel::f32 StationIncomeBonus2 = 0.0f;
    oskel::f32 AquaParkIncomeBonus = 0.0f;  // percent, for every lot but the aqua park
    oskel::f32 PRIncomeBonus = 0.0f;        // percent, for every lot
    oskel::f32 BuyNotForSaleBuildingPriceBonus =
        0.0f;                                    // at 1 or more lots not on sale can be bought
    oskel::f32 BuyBuildingPriceDiscount = 0.0f;  // percent off lot prices
    oskel::f32 OwnedBuildingPriceBonus = 0.0f;   // percent on owned lots' prices
    oskel::f32 GuestsCountM = 1.0f;              // guests of the lodging buildings

    // Back to the values before any modifier.
    void reset() { *this = GLevelFactors(); }
};

}  // namespace brasquel
