#pragma once
// The five border effects, drawn as one-pixel polylines the way the
// platform's line drawing paints them: every point of a segment except its
// last one, so a polyline leaves its final point unpainted.
#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>

class QPainter;

namespace tqen::captionctl {

enum BorderEffect { BE_None = 0, BE_Raised = 1, BE_Lowered = 2, BE_DropShadow = 3, BE_Inset = 4 };

// Grey of the raised, lowered and inset effects.
inline QColor effectGrey() { return QColor(128, 128, 128); }

void drawPolyline(QPainter &p, const QColor &color, const QList<QPoint> &points);

// One of the effects along the edges of r.
void DrawEffect(QPainter &p, const QRect &r, int effect, const QColor &color, const QColor &shadow);

}  // namespace tqen::captionctl
