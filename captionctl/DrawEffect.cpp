#include "captionctl/DrawEffect.h"

#include <QPainter>

#include <cstdlib>

namespace tqen::captionctl {

static void pixel(QPainter &p, const QColor &c, int x, int y) { p.fillRect(x, y, 1, 1, c); }

static void segment(QPainter &p, const QColor &c, QPoint a, QPoint b) {
    if (a == b) return;
    if (a.y() == b.y()) {
        const int x0 = b.x() > a.x() ? a.x() : b.x() + 1;
        const int x1 = b.x() > a.x() ? b.x() - 1 : a.x();
        p.fillRect(x0, a.y(), x1 - x0 + 1, 1, c);
    } else if (a.x() == b.x()) {
        const int y0 = b.y() > a.y() ? a.y() : b.y() + 1;
        const int y1 = b.y() > a.y() ? b.y() - 1 : a.y();
        p.fillRect(a.x(), y0, 1, y1 - y0 + 1, c);
    } else {
        // Slanted: a simple digital line, end point left out.
        const int dx = std::abs(b.x() - a.x()), dy = std::abs(b.y() - a.y());
        const int sx = b.x() > a.x() ? 1 : -1, sy = b.y() > a.y() ? 1 : -1;
        int err = dx - dy, x = a.x(), y = a.y();
        while (x != b.x() || y != b.y()) {
            pixel(p, c, x, y);
            const int e2 = 2 * err;
            if (e2 > -dy) { err -= dy; x += sx; }
            if (e2 < dx) { err += dx; y += sy; }
        }
    }
}

void drawPolyline(QPainter &p, const QColor &color, const QList<QPoint> &points) {
    for (int i = 1; i < points.size(); ++i) segment(p, color, points[i - 1], points[i]);
}

void DrawEffect(QPainter &p, const QRect &r, int effect, const QColor &color, const QColor &shadow) {
    // The point lists name the edges as left, top and the first column and
    // row past the rectangle.
    const int L = r.left(), T = r.top(), R = r.right() + 1, B = r.bottom() + 1;
    const QColor grey = effectGrey();
    const QColor white = Qt::white;
    switch (effect) {
    case BE_None:
        drawPolyline(p, color, {{L, T}, {R - 1, T}, {R - 1, B - 1}, {L, B - 1}, {L, T}});
        break;
    case BE_Raised:
        drawPolyline(p, white, {{L, B - 2}, {L, T}, {R, T}});
        drawPolyline(p, grey, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T}});
        break;
    case BE_Lowered:
        drawPolyline(p, grey, {{L, B - 2}, {L, T}, {R, T}});
        drawPolyline(p, white, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T}});
        break;
    case BE_DropShadow:
        drawPolyline(p, color, {{L, T}, {R - 3, T}, {R - 3, B - 3}, {L, B - 3}, {L, T}});
        drawPolyline(p, shadow, {{L + 2, B - 2}, {R - 2, B - 2}, {R - 2, T + 2}, {R - 1, T + 2},
                                 {R - 1, B - 1}, {L + 2, B - 1}});
        break;
    case BE_Inset:
        drawPolyline(p, grey, {{L, B - 2}, {L, T}, {R - 1, T}});
        drawPolyline(p, grey, {{L + 2, B - 2}, {R - 2, B - 2}, {R - 2, T + 1}});
        drawPolyline(p, white, {{L + 1, T + 1}, {R - 1, T + 1}, {R - 1, B - 1}, {L + 1, B - 1},
                                {L + 1, T + 1}});
        break;
    default:
        break;
    }
}

}  // namespace tqen::captionctl
