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

long pixelsToHimetric(long pixels, double dpi) { return mulDiv(pixels, 2540.0, dpi); }
long himetricToPixels(long himetric, double dpi) { return mulDiv(himetric, dpi, 2540.0); }

float himetricToContainer(long himetric, ContainerUnits units, double dpi) {
    switch (units) {
    case ContainerUnits::Twips: return float(himetric * 1440.0 / 2540.0);
    case ContainerUnits::Points: return float(himetric * 72.0 / 2540.0);
    case ContainerUnits::Himetric: return float(himetric);
    case ContainerUnits::Pixels: return float(himetric * dpi / 2540.0);
    }
    return float(himetric);
}

long containerToHimetric(double value, ContainerUnits units, double dpi) {
    switch (units) {
    case ContainerUnits::Twips: return long(std::llround(value * 2540.0 / 1440.0));
    case ContainerUnits::Points: return long(std::llround(value * 2540.0 / 72.0));
    case ContainerUnits::Himetric: return long(std::llround(value));
    case ContainerUnits::Pixels: return long(std::llround(value * 2540.0 / dpi));
    }
    return long(std::llround(value));
}

float pixelsToContainer(long pixels, ContainerUnits units, double dpi) {
    return himetricToContainer(pixelsToHimetric(pixels, dpi), units, dpi);
}

long containerToPixels(double value, ContainerUnits units, double dpi) {
    return himetricToPixels(containerToHimetric(value, units, dpi), dpi);
}

}  // namespace tqen::com
