#pragma once

// The checks of a shot: a frame taken from the screen after it was drawn.

#include "engine/image/CImage.h"
#include "engine/scene/BaseNode.h"

namespace brasquel::autoplay {

// The whole image is one colour (alpha left out).
bool isBlank(const oskel::CImage& image);
// Some pixel inside the rectangle (window pixels, cut to the images) differs between the two
// images of one size. False for images of different sizes, which cannot be compared.
bool differsInside(const oskel::CImage& a, const oskel::CImage& b, const oskel::rectf& rect);
// At least two colours inside the rectangle: something is drawn there, not a flat fill.
bool isVariedInside(const oskel::CImage& image, const oskel::rectf& rect);
// The share (0 to 1) of the pixels inside the rectangle that are near white, as snow is: every
// channel at least WhiteLeast and the channels no further apart than WhiteSpread. 0 for a
// rectangle outside the image.
constexpr oskel::u32 WhiteLeast = 180;
constexpr oskel::u32 WhiteSpread = 48;
double whiteShareInside(const oskel::CImage& image, const oskel::rectf& rect);
// The whole image as a rectangle.
oskel::rectf wholeImage(const oskel::CImage& image);

}  // namespace brasquel::autoplay
