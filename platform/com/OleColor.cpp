#include "platform/com/OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace tqen::com {

static QColor systemColor(int index) {
    const QPalette pal = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                             ? QGuiApplication::palette()
                             : QPalette();
    switch (index) {
    case 1: return pal.color(QPalette::Window);                          // desktop
    case 2: case 3: return pal.color(QPalette::Highlight);               // captions
    case 4: return pal.color(QPalette::Window);                          // menu
    case 5: return pal.color(QPalette::Base);                            // window
    case 6: return pal.color(QPalette::Shadow);                          // window frame
    case 7: return pal.color(QPalette::WindowText);                      // menu text
    case 8: return pal.color(QPalette::Text);                            // window text
    case 9: return pal.color(QPalette::HighlightedText);                 // caption text
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);                         // button face
    case 16: return pal.color(QPalette::Dark);                           // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);       // grey text
    case 18: return pal.color(QPalette::ButtonText);                     // button text
    case 20: return pal.color(QPalette::Light);                          // button highlight
    case 21: return pal.color(QPalette::Shadow);                         // 3D dark shadow
    case 22: return pal.color(QPalette::Midlight);                       // 3D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Window);
    }
}

QColor translateColor(OleColor c) {
    if (c & kSysColorFlag) return systemColor(int(c & 0xFF));
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

OleColor fromQColor(const QColor &c) { return rgb(c.red(), c.green(), c.blue()); }

}  // namespace tqen::com
