#pragma once

#include <string>

#include "engine/core/OskelTypes.h"

namespace oskel {

// "MM:SS" of a time in milliseconds: minutes modulo 60 and seconds, each with two digits.
stringw formatMinutesSeconds(u32 ms);

// The decimal text of the value with the separator between groups of three digits counted from
// the right ("1,234,567"); a leading minus sign stays in front of the grouped digits.
stringw groupDigits(s32 value, wchar_t separator);

// Decimal parsers over wide text; they read the digits '0'-'9' only and never depend on the
// locale. The end position, when asked for, receives the first character not consumed.
//
// An unsigned number; a value beyond the largest float saturates there, and the rest of its
// digits is still consumed.
f32 parseWideUnsignedFloat(const wchar_t* text, const wchar_t** end = nullptr);
// An optional sign and digits; saturates at 2147483647 (a '-' gives -2147483647) and still
// consumes the rest of the digits.
s32 parseWideInt(const wchar_t* text, const wchar_t** end = nullptr);
// [-]digits[.digits][(e|E)[+|-]digits]; stores 0 first and the value when read; returns the
// position after the number (null for a null text). Fraction digits beyond the fifteenth are
// consumed and ignored.
const wchar_t* parseWideFloat(const wchar_t* text, f32& value);

// A new narrow string: the zero-terminated characters followed by the string.
stringc concatCharsString(const c8* chars, const stringc& text);

// Removes count characters starting at position; count is cut at the end of the string.
void erase(stringc& text, u32 position, u32 count);

// Widens Latin-1 text: every byte becomes the code point of the same value.
stringw widenLatin1(const c8* text);
inline stringw widenLatin1(const stringc& text) { return widenLatin1(text.c_str()); }

// Code points as UTF-8 (surrogates and values beyond U+10FFFF become U+FFFD).
std::string toUtf8(const wchar_t* text);

// Narrows wide text by keeping each character's low byte (a character whose low byte is zero
// becomes '?', so the text is never cut short).
stringc narrowLowBytes(const wchar_t* text);

// 2D vectors on the screen (y grows downwards).
//
// Rotates the vector in place; its angle as given by getVectorAngleDegrees decreases by the
// degrees. Uses the engine's table of whole-degree sines.
void rotateVectorByDegrees(vector2df& v, s32 degrees);
// The direction in degrees, 0 <= result < 360: (1, 0) is 0, (0, -1) is 90, (-1, 0) is 180,
// (0, 1) is 270; the zero vector gives 0.
f32 getVectorAngleDegrees(const vector2df& v);
// sin(degrees) for 0 <= degrees < 360 from the table.
f32 sineOfDegrees(u32 degrees);

}  // namespace oskel
