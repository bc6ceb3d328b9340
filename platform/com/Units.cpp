#include "platform/com/Units.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tqen::com {

static double dpiOf(bool horizontal) {
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (QScreen *s = QGuiApplication::primaryScreen()) {
            const double d = horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
            if (d > 0) return d;
        }
    }
    return 96.0;
}

double screenDpiX() { return dpiOf(true); }
double screenDpiY() { return dpiOf(false); }

// a * b / c rounded half away from zero, as the platform's MulDiv.
static long mulDiv(double a, double b, double c) {
    return long(std::llround(a * b / c));
}

// How many of a container's units make an inch.
static double unitsPerInch(ContainerUnits units, double dpi) {
    switch (units) {
    case ContainerUnits::Twips: return kTwipsPerInch;
    case ContainerUnits::Points: return kPointsPerInch;
    case ContainerUnits::Himetric: return kHimetricPerInch;
    case ContainerUnits::Pixels: return dpi;
    }
    return kHimetricPerInch;
}

long pixelsToHimetric(long pixels, double dpi) { return mulDiv(pixels, kHimetricPerInch, dpi); }
long himetricToPixels(long himetric, double dpi) { return mulDiv(himetric, dpi, kHimetricPerInch); }

float himetricToContainer(long himetric, ContainerUnits units, double dpi) {
    return float(himetric * unitsPerInch(units, dpi) / kHimetricPerInch);
}

long containerToHimetric(double value, ContainerUnits units, double dpi) {
    return mulDiv(value, kHimetricPerInch, unitsPerInch(units, dpi));
}

float pixelsToContainer(long pixels, ContainerUnits units, double dpi) {
    return himetricToContainer(pixelsToHimetric(pixels, dpi), units, dpi);
}

long containerToPixels(double value, ContainerUnits units, double dpi) {
    return himetricToPixels(containerToHimetric(value, units, dpi), dpi);
}

int twipsToPixels(int twips) { return int(containerToPixels(twips, ContainerUnits::Twips, kFormDpi)); }

int pixelsToTwips(int pixels) {
    return int(std::lround(pixelsToContainer(pixels, ContainerUnits::Twips, kFormDpi)));
}

}  // namespace tqen::com
