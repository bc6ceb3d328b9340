#include "captionctl/CaptionToolTip.h"

#include "captionctl/CMDCaptCtrl.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>

namespace tqen::captionctl {

namespace {

int g_state = CaptionToolTip::Idle;
QPointer<CMDCaptCtrl> g_lastUnder;
qint64 g_lastHide = 0;
std::function<qint64()> g_clock;
std::function<QPoint()> g_cursor;
int g_attached = 0;

// The one box on screen: a frameless tool window that takes no input, so that
// hiding it gives back what was under it.
class ToolTipBox : public QWidget {
public:
    ToolTipBox()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName("MDCaptToolTip");
    }
    QString text;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        CaptionToolTip::paintBox(p, size(), text);
    }
};

ToolTipBox *g_box = nullptr;

// Application-wide mouse watcher in place of a thread mouse hook. It sees
// every mouse message once, where it enters the application: at its window.
class MouseWatcher : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *e) override {
        switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (watched->isWindowType()) {
                auto *me = static_cast<QMouseEvent *>(e);
                QWidget *under = QApplication::widgetAt(me->globalPosition().toPoint());
                CaptionToolTip::mouseMessage(
                    under, e->type() == QEvent::MouseMove ? CaptionToolTip::Move
                           : e->type() == QEvent::MouseButtonPress && me->button() == Qt::LeftButton
                               ? CaptionToolTip::LeftButtonDown
                               : CaptionToolTip::OtherButton);
            }
            break;
        default:
            break;
        }
        return false;
    }
};

MouseWatcher *g_watcher = nullptr;

}  // namespace

int CaptionToolTip::state() { return g_state; }
void CaptionToolTip::setState(int state) { g_state = state; }
CMDCaptCtrl *CaptionToolTip::lastUnderMouse() { return g_lastUnder.data(); }
void CaptionToolTip::setLastUnderMouse(CMDCaptCtrl *control) { g_lastUnder = control; }
qint64 CaptionToolTip::lastHideTime() { return g_lastHide; }
void CaptionToolTip::setLastHideTime(qint64 seconds) { g_lastHide = seconds; }

qint64 CaptionToolTip::now() {
    return g_clock ? g_clock() : QDateTime::currentSecsSinceEpoch();
}
void CaptionToolTip::setClock(std::function<qint64()> clock) { g_clock = std::move(clock); }
QPoint CaptionToolTip::cursorPos() { return g_cursor ? g_cursor() : QCursor::pos(); }
void CaptionToolTip::setCursorSource(std::function<QPoint()> source) {
    g_cursor = std::move(source);
}

void CaptionToolTip::attach() {
    if (g_attached++ == 0 && qApp) {
        g_watcher = new MouseWatcher;
        qApp->installEventFilter(g_watcher);
    }
}

void CaptionToolTip::detach() {
    if (--g_attached > 0) return;
    g_attached = 0;
    if (g_watcher) {
        if (qApp) qApp->removeEventFilter(g_watcher);
        delete g_watcher;
        g_watcher = nullptr;
    }
    delete g_box;
    g_box = nullptr;
    g_state = Idle;
}

bool CaptionToolTip::watcherInstalled() { return g_watcher != nullptr; }

void CaptionToolTip::mouseMessage(QWidget *under, MouseMessage message) {
    if (!under) return;
    // The control under the mouse is the caption control the widget belongs
    // to only when the widget is the control itself.
    CMDCaptCtrl *last = g_lastUnder.data();
    if (g_state == Shown || (under == last && message == LeftButtonDown)) {
        if (last)
            last->hideToolTip(Suppressed, message == Move ? CMDCaptCtrl::HideCause::MouseMove
                                                          : CMDCaptCtrl::HideCause::Other);
    } else if (g_state != Idle && under != last) {
        if (last) last->hideToolTip(Idle);
        else g_state = Idle;
    }
}

QFont CaptionToolTip::font() {
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(12);
    return f;
}

QSize CaptionToolTip::boxSize(const QString &text) {
    const QFontMetrics fm(font());
    const QSize t = fm.size(0, text);
    return {t.width() + 8, t.height() + 6};
}

QPoint CaptionToolTip::boxOrigin(QPoint cursor, QSize box, const QRect &screen) {
    int x = cursor.x(), y = cursor.y();
    if (x + box.width() + 10 > screen.right() + 1) x = screen.right() + 1 - box.width() - 10;
    if (y + box.height() + 18 > screen.bottom() + 1) y = screen.bottom() + 1 - box.height() - 18;
    return {x + 10, y + 18};
}

void CaptionToolTip::paintBox(QPainter &p, const QSize &box, const QString &text) {
    p.fillRect(QRect(QPoint(0, 0), box), Qt::black);
    const QRect inner(1, 1, box.width() - 2, box.height() - 2);
    p.fillRect(inner, QColor(255, 255, 128));
    p.setFont(font());
    p.setPen(Qt::black);
    const QFontMetrics fm(font());
    const int w = fm.size(0, text).width();
    p.setClipRect(inner);
    p.drawText(QRect(box.width() / 2 - w / 2, 3, w, fm.height()), Qt::AlignLeft | Qt::AlignTop,
               text);
}

void CaptionToolTip::show(const QString &text, QPoint topLeft, QWidget *owner) {
    Q_UNUSED(owner);
    if (!g_box) g_box = new ToolTipBox;
    g_box->text = text;
    g_box->setGeometry(QRect(topLeft, boxSize(text)));
    g_box->show();
    g_box->update();
}

void CaptionToolTip::hide() {
    if (g_box) g_box->hide();
}

QWidget *CaptionToolTip::box() { return g_box && g_box->isVisible() ? g_box : nullptr; }

}  // namespace tqen::captionctl
