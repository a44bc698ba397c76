#pragma once

// Text forms of the numbers held by property values. Everything here is independent of the C
// locale: numbers are always written with a '.' and read digit by digit.

#include "engine/core/OskelTypes.h"

namespace oskel {

// The float in the fixed form with six digits after the point ("1.000000", "-0.500000") when
// that text reads back to exactly the same float; otherwise the shortest fixed form that does
// (such as "0.1234567"). Infinities are written as the largest finite float of their sign and
// NaN as 0, so that every written text reads back as a number.
stringc formatPropertyFloat(f32 value);

// Reads one float from the start of the text: [-]digits[.digits][(e|E)[+|-]digits]. The result
// is the float nearest to the decimal number; numbers beyond the float range give the largest
// float of their sign, numbers too small for it 0. A text that does not start with "-", "." or
// a digit gives 0. The end position, when asked for, receives the first character not used.
// *valid, when asked for, tells whether at least one digit was read.
f32 parsePropertyFloat(const c8* text, const c8** end = nullptr, bool* valid = nullptr);

// As the standard library's atoi: leading blanks, an optional sign and the digits up to the
// first other character; no digits give 0. Values beyond the 32-bit range saturate there.
s32 parsePropertyInt(const c8* text, bool* valid = nullptr);

// A colour as eight lower-case hexadecimal digits, alpha first ("ff00ff00").
stringc formatPropertyColor(u32 color);

// As sscanf with "%08x": leading blanks, then at most eight characters of a hexadecimal number
// (an optional sign and "0x" prefix count towards the eight). No hexadecimal digit gives 0.
u32 parsePropertyColor(const c8* text, bool* valid = nullptr);

// Fills count floats from the text: every character other than "-" and the digits is skipped;
// at a "-" or a digit one number is read (parsePropertyFloat) into the next component. Stops
// when all components are filled or the text ends; the rest stay 0. Returns how many numbers
// were read.
u32 scanPropertyFloats(const c8* text, f32* components, u32 count);

// Narrows wide text for number parsing: characters beyond Latin-1 become '?', so that no wide
// character can pass for a digit or a sign through its low byte.
stringc narrowNumberText(const wchar_t* text);

}  // namespace oskel
