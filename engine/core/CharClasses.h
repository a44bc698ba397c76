#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

// Character classes of code points, the same in every locale (the C library's classification is
// never asked).
//
// A letter of any script (Unicode general categories Lu, Ll, Lt, Lm, Lo): 'a', 'Z', U+00E9,
// U+00DF, Greek, Cyrillic, CJK ideographs.
bool isLetterChar(u32 code);
// '0' to '9'.
inline bool isDecimalDigitChar(u32 code) { return code >= '0' && code <= '9'; }
// A control character: U+0000 to U+001F, U+007F and U+0080 to U+009F.
inline bool isControlChar(u32 code) { return code < 0x20 || (code >= 0x7f && code < 0xa0); }

}  // namespace oskel
