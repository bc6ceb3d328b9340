#pragma once
// The five border effects, drawn as one-pixel polylines the way the
// platform's line drawing paints them: every point of a segment except its
// last one, so a polyline leaves its final point unpainted.
#include <QColor>
#include <QList>
#include <QPoint>

class QPainter;

namespace tqen::captionctl {

enum BorderEffect { BE_None = 0, BE_Raised = 1, BE_Lowered = 2, BE_DropShadow = 3, BE_Inset = 4 };

// Grey of the raised, lowered and inset effects.
inline QColor effectGrey() { return QColor(128, 128, 128); }

void drawPolyline(QPainter &p, const QColor &color, const QList<QPoint> &points);

// Rectangle as left, top, right, bottom (right and bottom exclusive).
void DrawEffect(QPainter &p, int l, int t, int r, int b, int effect, const QColor &color,
                const QColor &shadow);

}  // namespace tqen::captionctl
