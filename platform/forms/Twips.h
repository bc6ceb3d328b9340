#pragma once
// Sizes and positions of the program's forms are written in twips: 15 twips
// to a pixel of the 96 dpi screen the forms were laid out for. The conversion
// is the component layer's, the same one the caption control uses.
#include "platform/com/Units.h"

#include <QString>
#include <QWidget>

#include <span>

namespace tqen::forms {
constexpr int TwipsPerPixel = int(com::kTwipsPerInch / com::kFormDpi);
inline int pixels(int twips) { return com::twipsToPixels(twips); }
inline int twips(int pixels) { return com::pixelsToTwips(pixels); }

// Where a control of a form sits, in twips, found by its name.
struct TwipPlace {
    const char *name;
    int left, top, width, height;
};

// Places a control by its objectName from a form's table; a control the
// table does not name stays where it is (false).
inline bool placeByName(QWidget *w, std::span<const TwipPlace> table) {
    for (const TwipPlace &p : table)
        if (w->objectName() == QString::fromUtf8(p.name)) {
            w->setGeometry(pixels(p.left), pixels(p.top), pixels(p.width), pixels(p.height));
            return true;
        }
    return false;
}
}  // namespace tqen::forms
