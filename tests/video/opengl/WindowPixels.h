#pragma once

namespace oskel::test {

// The colour the window system shows at (x, y) of the SDL window (its client area), read from
// the X server; false when the window is not on an X display or the pixel cannot be read.
bool readWindowPixel(void* sdlWindow, int x, int y, int& red, int& green, int& blue);

// The size of the X display's default screen (the desktop a full screen takes); false without a
// display.
bool readXScreenSize(int& width, int& height);

}  // namespace oskel::test
