#pragma once
// Text that stays readable on its background under any palette: the
// contrast ratio of two colours (WCAG 2: 1 … 21) and a text colour moved
// toward black or white until it reaches a ratio.
#include <QColor>

namespace tqen::forms {

// Contrast text needs on its background (WCAG AA for normal text).
constexpr double kReadableContrast = 4.5;

double relativeLuminance(const QColor &c);
double contrastRatio(const QColor &a, const QColor &b);
// The wanted colour when it has the contrast on that background; otherwise
// the same hue made darker or lighter (whichever reaches the ratio with the
// smaller change), ending at black or white.
QColor readableOn(const QColor &wanted, const QColor &background, double ratio = kReadableContrast);

}  // namespace tqen::forms
