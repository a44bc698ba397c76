#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

// The virtual key numbers that keyboard events carry (getKey), by name: the keys the engine's
// controls act on.
enum EVirtualKey : u32 {
    VirtualKeyBackspace = 8,
    VirtualKeyTab = 9,
    VirtualKeyEnter = 13,
    VirtualKeyShift = 16,
    VirtualKeyControl = 17,
    VirtualKeyEscape = 27,
    VirtualKeySpace = 32,
    VirtualKeyPageUp = 33,
    VirtualKeyPageDown = 34,
    VirtualKeyEnd = 35,
    VirtualKeyHome = 36,
    VirtualKeyLeft = 37,
    VirtualKeyUp = 38,
    VirtualKeyRight = 39,
    VirtualKeyDown = 40,
    VirtualKeyDelete = 46,
    VirtualKeyE = 0x45,
    VirtualKeyR = 0x52,
    VirtualKeyNumPadMultiply = 0x6A,
    VirtualKeyNumPadAdd = 0x6B,
    VirtualKeyNumPadDivide = 0x6F,
    VirtualKeyMinus = 0xBD,
};

// Characters that keyboard events carry (getChar) and that edit fields treat apart.
enum EKeyChar : u16 {
    KeyCharTab = 9,
    KeyCharLineFeed = 10,
    KeyCharCarriageReturn = 13,
    KeyCharEscape = 27,
};

}  // namespace oskel
