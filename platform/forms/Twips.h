#pragma once
// Sizes and positions of the program's forms are written in twips: 15 twips
// to a pixel of the 96 dpi screen the forms were laid out for. The conversion
// is the component layer's, the same one the caption control uses.
#include "platform/com/Units.h"

namespace tqen::forms {
constexpr int TwipsPerPixel = int(com::kTwipsPerInch / com::kFormDpi);
inline int pixels(int twips) { return com::twipsToPixels(twips); }
inline int twips(int pixels) { return com::pixelsToTwips(pixels); }
}  // namespace tqen::forms
