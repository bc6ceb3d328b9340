#include "platform/forms/Contrast.h"

#include <algorithm>
#include <cmath>

namespace tqen::forms {

namespace {
double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The colour mixed toward a target by a share (0 … 1).
QColor mix(const QColor &from, const QColor &to, double share) {
    auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

// The smallest step toward the target that reaches the ratio, or the
// target itself (and false) when none does.
bool stepToward(const QColor &wanted, const QColor &target, const QColor &background, double ratio, QColor *out) {
    for (int step = 1; step <= 20; ++step) {
        const QColor c = mix(wanted, target, step / 20.0);
        if (contrastRatio(c, background) >= ratio) {
            *out = c;
            return true;
        }
    }
    *out = target;
    return false;
}
}  // namespace

double relativeLuminance(const QColor &c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &wanted, const QColor &background, double ratio) {
    if (contrastRatio(wanted, background) >= ratio) return wanted.toRgb();
    QColor darker, lighter;
    const bool dark = stepToward(wanted.toRgb(), Qt::black, background, ratio, &darker);
    const bool light = stepToward(wanted.toRgb(), Qt::white, background, ratio, &lighter);
    if (dark && light) {
        // The smaller change keeps the hue best.
        const double dd = std::abs(relativeLuminance(darker) - relativeLuminance(wanted));
        const double dl = std::abs(relativeLuminance(lighter) - relativeLuminance(wanted));
        return dd <= dl ? darker : lighter;
    }
    if (dark) return darker;
    if (light) return lighter;
    return contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background) ? QColor(Qt::black)
                                                                                          : QColor(Qt::white);
}

}  // namespace tqen::forms
