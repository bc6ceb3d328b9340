#pragma once
// Lengths between screen pixels, HIMETRIC (0.01 mm) and a container's units.
// Pixels go to HIMETRIC at a logical resolution, rounded to the nearest whole
// unit; container units are single-precision numbers. This is the one place
// that converts twips: a control's lengths at the screen's resolution, the
// program's forms at the fixed 96 dpi they were laid out for (15 twips to a
// pixel).

namespace tqen::com {

// Units in which a container measures lengths.
enum class ContainerUnits { Pixels, Twips, Himetric, Points };

constexpr int kHimetricPerInch = 2540;
constexpr int kTwipsPerInch = 1440;
constexpr int kPointsPerInch = 72;
// The resolution the program's forms are laid out for.
constexpr double kFormDpi = 96.0;

// Logical resolution of the screen (96 when there is no screen).
double screenDpiX();
double screenDpiY();

long pixelsToHimetric(long pixels, double dpi);
long himetricToPixels(long himetric, double dpi);
float himetricToContainer(long himetric, ContainerUnits units, double dpi);
long containerToHimetric(double value, ContainerUnits units, double dpi);

// The two steps together, horizontal or vertical by the dpi passed.
float pixelsToContainer(long pixels, ContainerUnits units, double dpi);
long containerToPixels(double value, ContainerUnits units, double dpi);

// Twips of the program's forms and pixels, at kFormDpi.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

}  // namespace tqen::com
