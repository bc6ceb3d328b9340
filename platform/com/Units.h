#pragma once
// Lengths between screen pixels, HIMETRIC (0.01 mm) and the container's
// units. Pixels go to HIMETRIC at the screen's logical resolution, rounded to
// the nearest whole unit; container units are single-precision numbers.
#include "platform/com/Control.h"

namespace tqen::com {

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

}  // namespace tqen::com
