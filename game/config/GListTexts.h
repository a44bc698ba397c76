#pragma once

#include "engine/core/OskelTypes.h"

namespace brasquel {

// The list forms kept as texts in the profiles.
//
// Int lists ("Scores", "Times", "AchievementsProgress"): decimal integers joined by ";". Reading
// scans the text from the start: at a '-' or a digit a number is read ([-]digits[.digits]
// [(e|E)[+|-]digits]) and appended truncated towards zero, clamped to the int range (profiles may
// be edited by hand); every other character is skipped. "3;-1;20" gives 3, -1, 20; "2.9" gives
// 2; a lone "-" gives 0; the empty text the empty list.
oskel::array<oskel::s32> parseIntListNarrow(const oskel::stringc& text);
// The decimal form of each element with ";" between them; the empty list gives the empty text.
oskel::stringc joinIntList(const oskel::array<oskel::s32>& values);

// The decimal text of an int (every int, the smallest included).
oskel::stringc decimalText(oskel::s32 value);

// Name lists ("BoughtUpgrades"): names joined by ";". The list with the name appended: the name
// alone when the list is empty, else the list, ";" and the name.
oskel::stringc appendNameToList(const oskel::stringc& list, const oskel::stringc& name);

}  // namespace brasquel
