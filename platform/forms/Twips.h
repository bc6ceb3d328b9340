#pragma once
// Sizes and positions of the program's forms are written in twips: 15 twips
// to a pixel of a 96 dpi screen.
namespace tqen::forms {
constexpr int TwipsPerPixel = 15;
constexpr int pixels(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }
constexpr int twips(int pixels) { return pixels * TwipsPerPixel; }
}  // namespace tqen::forms
