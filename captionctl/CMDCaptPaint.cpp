// CMDCaptCtrl: painting of the face, the child border and the image drawing.
#include "captionctl/CMDCaptCtrl.h"

#include "captionctl/DrawEffect.h"
#include "platform/com/Units.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

namespace tqen::captionctl {

// Paints the border around the framed child on top of all children, as the
// control's drawing over its whole window did. It takes no input and is
// never the framed child.
class ChildBorderOverlay : public QWidget {
public:
    explicit ChildBorderOverlay(CMDCaptCtrl *control) : QWidget(control), m_control(control) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
        setObjectName("MDCaptChildBorder");
        setProperty("windowClass", "MDCaptChildBorder");
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        m_control->drawChildBorder(p);
    }

private:
    CMDCaptCtrl *m_control;
};

void CMDCaptCtrl::createOverlay() {
    m_overlay = new ChildBorderOverlay(this);
    m_overlay->setGeometry(rect());
    m_overlay->show();
}

QFont CMDCaptCtrl::paintFont() const {
    QFont f = m_Font;
    f.setPixelSize(std::max(1, qRound(m_Font.pointSizeF() * com::screenDpiY() / 72.0)));
    return f;
}

QSize CMDCaptCtrl::measure(const QString &text) const {
    const QFontMetrics fm(paintFont());
    return fm.size(Qt::TextShowMnemonic, text);
}

void CMDCaptCtrl::draw(QPainter &p, const QRect &bounds) {
    const WinRect R{bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                    bounds.top() + bounds.height()};
    // 1. Content edges start at the framed child.
    int contentRight = 0, contentBottom = 0;
    if (QWidget *child = FindFramedChild()) {
        contentRight = child->geometry().x() + child->geometry().width();
        contentBottom = child->geometry().y() + child->geometry().height();
    }
    const QColor back = com::translateColor(m_BackColor);
    const QColor fore = com::translateColor(m_ForeColor);
    const QColor shadow = com::translateColor(m_ShadowColor);
    // 2. Background.
    p.fillRect(bounds, back);
    // 3. Font and metrics.
    const QFont font = paintFont();
    p.setFont(font);
    const QFontMetrics fm(font);
    // 4-5. The outer frame; for labels on the border its top runs through the text.
    WinRect F = R;
    if (m_LabelPosition >= 3 && m_LabelPosition <= 5) F.top = R.top + fm.height() / 2;
    if (m_BorderStyle == 1) DrawEffect(p, F.left, F.top, F.right, F.bottom, m_BorderEffect, fore, shadow);
    // 6. The caption.
    if (!m_Caption.isEmpty()) {
        WinRect T{m_LabelLeft, m_LabelTop, m_LabelLeft + m_LabelWidth, m_LabelTop + m_LabelHeight};
        const WinRect T0 = T;
        if (m_LabelBorderStyle != 0) p.fillRect(QRect(T.left, T.top, T.width(), T.height()), back);
        const QSize text = measure(m_Caption);
        if (m_LabelAlignment == 1) T.left = T.right - text.width();
        else if (m_LabelAlignment == 2) T.left = T.left + (T.width() - text.width()) / 2;
        T.top = T.top + (T.height() - text.height()) / 2;
        // Opaque text: its cell background in BackColor, clipped to T.
        const QRect clip(T.left, T.top, T.width(), T.height());
        p.save();
        p.setClipRect(clip);
        p.fillRect(QRect(T.left, T.top, text.width(), text.height()).intersected(clip), back);
        p.setPen(fore);
        p.drawText(QRect(T.left, T.top, std::max(text.width(), T.width()) + 1,
                         std::max(text.height(), T.height()) + 1),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, m_Caption);
        p.restore();
        if (m_LabelBorderStyle != 0)
            DrawEffect(p, T0.left, T0.top, T0.right, T0.bottom, m_LabelBorderEffect, fore, shadow);
        contentRight = std::max(contentRight, T0.right);
        contentBottom = std::max(contentBottom, T0.bottom);
    }
    // 7. AutoAdjust only grows the control.
    if (m_AutoAdjust) {
        const int newW = std::max(R.right, contentRight + m_RightMargin);
        const int newH = std::max(R.bottom, contentBottom + m_BottomMargin);
        if (newW != R.right || newH != R.bottom) {
            m_pendingSize = QSize(newW, newH);
            if (!m_resizePending) {
                m_resizePending = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        m_resizePending = false;
                        if (m_pendingSize.width() > width() || m_pendingSize.height() > height())
                            setControlSize(std::max(width(), m_pendingSize.width()),
                                           std::max(height(), m_pendingSize.height()));
                    },
                    Qt::QueuedConnection);
            }
        }
    }
}

void CMDCaptCtrl::drawChildBorder(QPainter &p) {
    QWidget *child = FindFramedChild();
    if (!child || m_ChildBorderEffect == 0) return;
    const QRect g = child->geometry();
    WinRect K{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
    if (m_ChildBorderEffect == BE_DropShadow) {
        K.right += 2;
        K.bottom += 2;
    } else if (m_ChildBorderEffect == BE_Inset) {
        K.left -= 1;
        K.top -= 1;
        K.right += 1;
        K.bottom += 1;
    }
    DrawEffect(p, K.left, K.top, K.right, K.bottom, m_ChildBorderEffect,
               com::translateColor(m_ForeColor), com::translateColor(m_ShadowColor));
}

void CMDCaptCtrl::invalidateChildBorder() {
    if (m_overlay) {
        m_overlay->raise();
        m_overlay->update();
    }
}

void CMDCaptCtrl::paintEvent(QPaintEvent *) {
    QPainter p(this);
    draw(p, rect());
}

QImage CMDCaptCtrl::drawImage(const QSize &target) {
    if (target.isEmpty()) return {};
    const QSize own = size().isEmpty() ? target : size();
    QImage img(own, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        draw(p, QRect(QPoint(0, 0), own));
    }
    if (own == target) return img;
    return img.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace tqen::captionctl
