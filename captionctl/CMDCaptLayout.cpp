// CMDCaptCtrl: the framed child and the label's place, focus forwarding,
// mouse events, the cursor and the tooltip steps.
#include "captionctl/CMDCaptCtrl.h"

#include "captionctl/CaptionToolTip.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/MDCaptTypeLib.h"

#include <QApplication>
#include <QChildEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcutEvent>

#include <algorithm>

namespace tqen::captionctl {

QWidget *CMDCaptCtrl::FindFramedChild() const {
    for (QObject *o : children()) {
        if (!o->isWidgetType()) continue;
        auto *w = static_cast<QWidget *>(o);
        if (w == m_overlay || w->isWindow()) continue;
        if (windowClassName(w) == QLatin1String(kExcludedChildClass)) continue;
        return w;
    }
    return nullptr;
}

// Rectangles are QRects; where the placement speaks of a right or bottom
// edge it means the first pixel past the rectangle, right() + 1.
QRect CMDCaptCtrl::CalcLabelRect() const {
    const int W = m_LabelWidth, H = m_LabelHeight;
    const QWidget *child = FindFramedChild();
    const QRect K = child ? child->geometry() : QRect();
    const int CW = width(), CH = height();
    int left = 0, top = 0;
    switch (m_LabelPosition) {
    case 0: left = child ? (K.left() + K.right() + 1 - W) / 2 : (CW - W) / 2; break;
    case 1: left = child ? K.left() : m_LeftMargin; break;
    case 2: left = (child ? K.right() + 1 : CW - m_LeftMargin) - W; break;
    case 3: left = (CW - W) / 2; break;
    case 4: left = m_LeftMargin; break;
    case 5: left = CW - m_LeftMargin - W; break;
    case 6:
    case 7: left = child ? K.left() - m_Spacing - W : m_LeftMargin; break;
    default: break;
    }
    switch (m_LabelPosition) {
    case 0:
    case 1:
    case 2: top = child ? K.top() - m_Spacing - H : m_TopMargin; break;
    case 6: top = child ? (K.top() + K.bottom() + 1 - H) / 2 : (CH - H) / 2; break;
    case 7: top = child ? K.top() : m_TopMargin; break;
    default: top = 0; break;
    }
    return QRect(left, top, W, H);
}

void CMDCaptCtrl::setControlSize(int w, int h) {
    const bool wasIn = m_inLayout;
    m_inLayout = true;
    resize(std::max(0, w), std::max(0, h));
    m_inLayout = wasIn;
}

void CMDCaptCtrl::LayoutChild(int mode) {
    if (m_inLayout) return;
    m_inLayout = true;
    QRect L = CalcLabelRect();
    QWidget *child = FindFramedChild();
    if (m_AutoAdjust && child) {
        QRect K = child->geometry();
        const QRect K0 = K;
        const int CW = width(), CH = height();
        int newW = CW, newH = CH;
        int dx = 0, dy = 0;
        switch (m_LabelPosition) {
        case 0: case 1: case 2: case 6: case 7:
            // Label and child together start at the top-left margins.
            dx = std::min(K.left(), L.left()) - m_LeftMargin;
            dy = std::min(K.top(), L.top()) - m_TopMargin;
            L.translate(-dx, -dy);
            break;
        case 5: {
            // On the border at the right: the label ends where the wider of
            // label and child ends.
            const int B = std::max(L.width(), K.width());
            L.moveLeft(B + m_LeftMargin - L.width());
            dx = K.left() - m_LeftMargin;
            dy = K.top() - std::max<int>(m_TopMargin, m_Spacing + L.bottom() + 1);
            break;
        }
        case 3: case 4:
            dx = K.left() - m_LeftMargin;
            dy = K.top() - std::max<int>(m_TopMargin, m_Spacing + L.bottom() + 1);
            break;
        default: break;
        }
        K.translate(-dx, -dy);
        if (mode == FitChild) {
            K.setRight(qint16(CW) - m_RightMargin - 1);
            K.setBottom(qint16(CH) - m_BottomMargin - 1);
            if (m_LabelPosition == 5) L.moveRight(K.right());
        } else if (mode == FitControl) {
            newW = m_RightMargin + std::max(L.right(), K.right()) + 1;
            newH = m_BottomMargin + std::max(L.bottom(), K.bottom()) + 1;
        }
        if (newW != CW || newH != CH) setControlSize(newW, newH);
        if (K != K0) child->setGeometry(K.left(), K.top(), std::max(0, K.width()), std::max(0, K.height()));
    }
    m_LabelLeft = qint16(L.left());
    m_LabelTop = qint16(L.top());
    if (m_LabelAutoSize) {
        m_LabelWidth = qint16(L.width());
        m_LabelHeight = qint16(L.height());
    }
    m_inLayout = false;
    if (m_overlay) m_overlay->update();
}

void CMDCaptCtrl::resizeEvent(QResizeEvent *) {
    if (m_overlay) m_overlay->setGeometry(rect());
    if (m_AutoAdjust) {
        LayoutChild(FitChild);
        update();
    }
}

void CMDCaptCtrl::scheduleReposition() {
    if (m_repositionPending || m_inLayout) return;
    m_repositionPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_repositionPending = false;
            LayoutChild(RepositionOnly);
            update();
            invalidateChildBorder();
        },
        Qt::QueuedConnection);
}

// ---- label size, caption and font ----

void CMDCaptCtrl::UpdateLabelSize() {
    if (m_LabelAutoSize == 0 || m_Caption.isEmpty()) return;
    const QSize s = measure(m_Caption);
    m_LabelWidth = qint16(s.width());
    m_LabelHeight = qint16(s.height() * 17 / 10);
    if (m_AutoAdjust) LayoutChild(FitChild);
}

void CMDCaptCtrl::OnTextChanged() {
    if (!m_Caption.isEmpty()) {
        // The text is measured only when the label follows its size.
        if (m_LabelAutoSize) {
            const QSize s = measure(m_Caption);
            m_LabelWidth = qint16(s.width());
            m_LabelHeight = qint16(s.height() * 17 / 10);
        }
        const QRect r = CalcLabelRect();
        m_LabelLeft = qint16(r.left());
        m_LabelTop = qint16(r.top());
        if (m_LabelAutoSize) {
            m_LabelWidth = qint16(r.width());
            m_LabelHeight = qint16(r.height());
        }
    }
    update();
    LayoutChild(FitChild);
    updateMnemonic();
}

void CMDCaptCtrl::OnFontChanged() {
    UpdateLabelSize();
    update();
}

int CMDCaptCtrl::mnemonicKey(const QString &caption) {
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (i + 1 >= caption.size()) return 0;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;  // a literal ampersand
            continue;
        }
        return int(caption[i + 1].toUpper().unicode());
    }
    return 0;
}

void CMDCaptCtrl::updateMnemonic() {
    if (m_shortcutId) releaseShortcut(m_shortcutId);
    m_shortcutId = 0;
    if (const int key = mnemonicKey(m_Caption))
        m_shortcutId = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(key))),
                                    Qt::WindowShortcut);
    QString plain;
    for (int i = 0; i < m_Caption.size(); ++i) {
        if (m_Caption[i] == QLatin1Char('&')) {
            if (i + 1 < m_Caption.size() && m_Caption[i + 1] == QLatin1Char('&')) plain += '&';
            ++i;
            if (i < m_Caption.size() && m_Caption[i] != QLatin1Char('&')) plain += m_Caption[i];
            continue;
        }
        plain += m_Caption[i];
    }
    setAccessibleName(plain);
}

// ---- focus ----

void CMDCaptCtrl::focusChild(Qt::FocusReason reason) {
    if (QWidget *child = FindFramedChild())
        if (child->isEnabled() && child->focusPolicy() != Qt::NoFocus) child->setFocus(reason);
}

void CMDCaptCtrl::moveFocusOutOfControl() {
    QWidget *w = nextInFocusChain();
    while (w && w != this) {
        if (!isAncestorOf(w) && w->window() == window() && w->isEnabled() && w->isVisible() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
        w = w->nextInFocusChain();
    }
}

void CMDCaptCtrl::changeEvent(QEvent *e) {
    if (e->type() == QEvent::EnabledChange && m_cachedEnabled != isEnabled()) {
        m_cachedEnabled = isEnabled();
        if (!isEnabled()) {
            QWidget *fw = QApplication::focusWidget();
            if (m_focusInside && (!fw || fw == this || isAncestorOf(fw))) moveFocusOutOfControl();
            m_focusInside = false;
        }
        update();
    }
    QWidget::changeEvent(e);
}

bool CMDCaptCtrl::event(QEvent *e) {
    if (e->type() == QEvent::Shortcut) {
        auto *se = static_cast<QShortcutEvent *>(e);
        if (m_shortcutId && se->shortcutId() == m_shortcutId) {
            focusChild(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return QWidget::event(e);
}

void CMDCaptCtrl::childEvent(QChildEvent *e) {
    if (e->child() != m_overlay && e->child()->isWidgetType()) {
        auto *w = static_cast<QWidget *>(e->child());
        if (e->type() == QEvent::ChildAdded) {
            w->installEventFilter(this);
            if (m_overlay) m_overlay->raise();
        } else if (e->type() == QEvent::ChildPolished) {
            // Children keep their own cursor, not the control's.
            if (!w->testAttribute(Qt::WA_SetCursor)) w->setCursor(Qt::ArrowCursor);
            if (m_overlay) m_overlay->raise();
        } else if (e->type() == QEvent::ChildRemoved) {
            w->removeEventFilter(this);
            update();
        }
    }
    QWidget::childEvent(e);
}

bool CMDCaptCtrl::eventFilter(QObject *watched, QEvent *e) {
    if (watched->isWidgetType() && watched->parent() == this) {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (watched == FindFramedChild()) scheduleReposition();
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            invalidateChildBorder();
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
                update();
                invalidateChildBorder();
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---- mouse events ----

void CMDCaptCtrl::accessibleClick() {
    if (isEnabled()) fireEvent(DISPID_CLICK);
}

void CMDCaptCtrl::fireEvent(int dispid, const QVariantList &args) {
    if (m_events) m_events(dispid, QString::fromLatin1(eventName(dispid)), args);
}

void CMDCaptCtrl::fireMouse(int dispid, QMouseEvent *e) {
    auto buttonsOf = [](Qt::MouseButtons b) {
        short v = 0;
        if (b & Qt::LeftButton) v |= 1;
        if (b & Qt::RightButton) v |= 2;
        if (b & Qt::MiddleButton) v |= 4;
        return v;
    };
    short shift = 0;
    if (e->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (e->modifiers() & Qt::ControlModifier) shift |= 2;
    if (e->modifiers() & Qt::AltModifier) shift |= 4;
    const short button = dispid == DISPID_MOUSEMOVE ? buttonsOf(e->buttons()) : buttonsOf(e->button());
    const QPoint pos = e->position().toPoint();
    fireEvent(dispid, {QVariant::fromValue<short>(button), QVariant::fromValue<short>(shift),
                       pos.x(), pos.y()});
}

void CMDCaptCtrl::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton) toolTipLeftDown();
    m_suppressClick = false;
    fireMouse(DISPID_MOUSEDOWN, e);
}

void CMDCaptCtrl::mouseDoubleClickEvent(QMouseEvent *e) {
    fireMouse(DISPID_MOUSEDOWN, e);
    if (e->button() == Qt::LeftButton) {
        fireEvent(DISPID_DBLCLICK);
        m_suppressClick = true;
    }
}

void CMDCaptCtrl::mouseReleaseEvent(QMouseEvent *e) {
    QPointer<CMDCaptCtrl> self(this);
    fireMouse(DISPID_MOUSEUP, e);
    if (!self) return;
    if (e->button() == Qt::LeftButton) {
        if (!m_suppressClick && rect().contains(e->position().toPoint())) fireEvent(DISPID_CLICK);
        if (!self) return;
        m_suppressClick = false;
        focusChild(Qt::MouseFocusReason);
    }
}

void CMDCaptCtrl::mouseMoveEvent(QMouseEvent *e) {
    toolTipMouseMove();
    fireMouse(DISPID_MOUSEMOVE, e);
}

void CMDCaptCtrl::leaveEvent(QEvent *e) {
    // The mouse left for a window of another program, where the watcher
    // cannot follow it: as if it were over another window.
    if (CaptionToolTip::lastUnderMouse() == this && CaptionToolTip::state() != CaptionToolTip::Idle &&
        !QApplication::widgetAt(QCursor::pos()))
        hideToolTip(CaptionToolTip::Idle, HideCause::MouseMove);
    QWidget::leaveEvent(e);
}

// ---- cursor ----

int CMDCaptCtrl::cursorShapeFor(int mp) {
    switch (mp) {
    case 1: return Qt::ArrowCursor;
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    // The "icon" pointer is a small square within a square, the pointer that
    // once dragged a window's icon. Qt has no square; the nearest in look and
    // meaning is its drag-move pointer, an arrow carrying a small box.
    case 4: return Qt::DragMoveCursor;
    case 5: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::SizeAllCursor;
    default: return -1;
    }
}

void CMDCaptCtrl::applyCursor() {
    if (!m_ambient.userMode || m_MousePointer == 0) {
        unsetCursor();
        return;
    }
    if (m_MousePointer >= 1 && m_MousePointer <= 14) {
        setCursor(QCursor(Qt::CursorShape(cursorShapeFor(m_MousePointer))));
    } else if (!m_MouseIcon.isNull()) {
        setCursor(QCursor(m_MouseIcon));
    } else {
        unsetCursor();  // no icon: the window system's cursor
    }
}

// ---- tooltip ----

void CMDCaptCtrl::toolTipMouseMove() {
    CaptionToolTip::setLastUnderMouse(this);
    if (m_ambient.uiDead || !isEnabled()) return;
    const int st = CaptionToolTip::state();
    if (st == CaptionToolTip::Idle && !m_ToolTip.isEmpty()) {
        const qint64 since = CaptionToolTip::now() - CaptionToolTip::lastHideTime();
        m_tipTimer.start(since >= 1 ? 1000 : 250);
        CaptionToolTip::setState(CaptionToolTip::Pending);
    } else if (st == CaptionToolTip::Shown) {
        hideToolTip(CaptionToolTip::Suppressed, HideCause::MouseMove);
    }
}

void CMDCaptCtrl::toolTipLeftDown() {
    if (CaptionToolTip::state() != CaptionToolTip::Idle) hideToolTip(CaptionToolTip::Suppressed);
}

void CMDCaptCtrl::toolTipTimer() {
    m_tipTimer.stop();
    const QPoint cursor = CaptionToolTip::cursorPos();
    if (!rect().contains(mapFromGlobal(cursor)) || m_ToolTip.isEmpty()) {
        CaptionToolTip::setState(CaptionToolTip::Idle);
        return;
    }
    const QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
    const QSize box = CaptionToolTip::boxSize(m_ToolTip);
    CaptionToolTip::show(m_ToolTip, CaptionToolTip::boxOrigin(cursor, box, screenRect), this);
    CaptionToolTip::setState(CaptionToolTip::Shown);
}

void CMDCaptCtrl::hideToolTip(int newState, HideCause cause) {
    const int st = CaptionToolTip::state();
    if (st == CaptionToolTip::Shown) {
        CaptionToolTip::hide();
        // A tooltip the mouse moved away from may come back quickly; one that
        // a click or a change hid waits the full time again.
        if (cause == HideCause::MouseMove) CaptionToolTip::setLastHideTime(CaptionToolTip::now());
    } else if (st == CaptionToolTip::Pending) {
        m_tipTimer.stop();
    }
    CaptionToolTip::setState(newState);
}

}  // namespace tqen::captionctl
