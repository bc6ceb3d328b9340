#pragma once
// The tooltip shared by all caption controls of the process: its state
// (0 idle, 1 timer pending, 2 shown, 3 suppressed until the mouse leaves the
// control), the control last under the mouse, the time of the last hiding,
// the one box on screen, and the application-wide mouse watcher that hides
// it when the mouse goes elsewhere.
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>

namespace tqen::captionctl {

class CMDCaptCtrl;

class CaptionToolTip {
public:
    enum State { Idle = 0, Pending = 1, Shown = 2, Suppressed = 3 };

    static int state();
    static void setState(int state);
    static CMDCaptCtrl *lastUnderMouse();
    static void setLastUnderMouse(CMDCaptCtrl *control);
    static qint64 lastHideTime();
    static void setLastHideTime(qint64 seconds);

    // Calendar time in whole seconds and the cursor position; replaceable
    // for tests (an empty function restores the real one).
    static qint64 now();
    static void setClock(std::function<qint64()> clock);
    static QPoint cursorPos();
    static void setCursorSource(std::function<QPoint()> source);

    // Each control attaches while it lives; the watcher is installed with the
    // first and removed with the last.
    static void attach();
    static void detach();
    static bool watcherInstalled();

    // One step of the mouse watcher: a mouse message over `under`.
    enum MouseMessage { Move, LeftButtonDown, OtherButton };
    static void mouseMessage(QWidget *under, MouseMessage message);

    // The box: size for a text, its place for a cursor on a screen, showing
    // and hiding the one box.
    static QFont font();
    static QSize boxSize(const QString &text);
    static QPoint boxOrigin(QPoint cursor, QSize box, const QRect &screen);
    static void paintBox(QPainter &p, const QSize &box, const QString &text);
    static void show(const QString &text, QPoint topLeft, QWidget *owner);
    static void hide();
    static QWidget *box();  // the box while shown, else null
};

}  // namespace tqen::captionctl
