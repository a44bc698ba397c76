#pragma once

// The text forms of the level files' attributes.

#include <utility>

#include "engine/core/OskelTypes.h"

namespace brasquel {

// Every run of characters that starts with a digit or '-' is read as one number
// ([-]digits[.digits][(e|E)[+|-]digits]), truncated towards zero and kept inside the int range;
// every other character is skipped. "1;2" gives 1, 2; the empty text the empty list.
oskel::array<oskel::s32> parseIntList(const oskel::stringw& text);

// The first two numbers of the text as parseIntList reads them; missing numbers are 0.
std::pair<oskel::s32, oskel::s32> parseIntRange(const oskel::stringw& text);

// The first two numbers of the text as floats (every character other than the digits and '-'
// separates numbers); missing numbers are 0.
oskel::vector2df parseVector2dW(const oskel::stringw& text);

// The number of a level name: an optional sign and decimal digits at its start, saturating at the
// int range; 0 when the name does not start with a number.
oskel::s32 parseLevelNumber(const oskel::stringw& name);

}  // namespace brasquel
