#include "tests/video/opengl/WindowPixels.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace oskel::test {

namespace {

// The channel under the mask, scaled to 0-255.
int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long bits = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<int>(value * 255 / bits);
}

}  // namespace

bool readWindowPixel(void* sdlWindow, int x, int y, int& red, int& green, int& blue) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!sdlWindow || !SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) ||
        info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    XSync(display, False);
    XImage* image = XGetImage(display, info.info.x11.window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    red = channel(pixel, image->red_mask);
    green = channel(pixel, image->green_mask);
    blue = channel(pixel, image->blue_mask);
    XDestroyImage(image);
    return true;
}

bool readXScreenSize(int& width, int& height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const int screen = DefaultScreen(display);
    width = DisplayWidth(display, screen);
    height = DisplayHeight(display, screen);
    XCloseDisplay(display);
    return true;
}

}  // namespace oskel::test
