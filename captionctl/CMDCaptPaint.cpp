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
    // The content (framed child and label) is what AutoAdjust makes room for;
    // it starts with the framed child.
    int contentRight = 0, contentBottom = 0;
    if (QWidget *child = FindFramedChild()) {
        contentRight = child->geometry().right() + 1;
        contentBottom = child->geometry().bottom() + 1;
    }
    const QColor back = com::translateColor(m_BackColor);
    const QColor fore = com::translateColor(m_ForeColor);
    const QColor shadow = com::translateColor(m_ShadowColor);
    p.fillRect(bounds, back);
    const QFont font = paintFont();
    p.setFont(font);
    const QFontMetrics fm(font);
    // The outer frame. With the label on the border its top edge is lowered
    // by half a line of text, so that the line runs through the caption.
    QRect frame = bounds;
    if (m_LabelPosition >= 3 && m_LabelPosition <= 5) frame.setTop(bounds.top() + fm.height() / 2);
    if (m_BorderStyle == 1) DrawEffect(p, frame, m_BorderEffect, fore, shadow);
    if (!m_Caption.isEmpty()) {
        // The label rectangle, filled when the label has a border; the text
        // sits in it by LabelAlignment, centred vertically.
        const QRect label(m_LabelLeft, m_LabelTop, m_LabelWidth, m_LabelHeight);
        QRect text = label;
        if (m_LabelBorderStyle != 0) p.fillRect(label, back);
        const QSize size = measure(m_Caption);
        if (m_LabelAlignment == 1) text.setLeft(label.right() + 1 - size.width());
        else if (m_LabelAlignment == 2) text.setLeft(label.left() + (label.width() - size.width()) / 2);
        text.setTop(label.top() + (label.height() - size.height()) / 2);
        // Opaque text: its cell background in BackColor, clipped to the
        // text rectangle, so it covers a frame line running through it.
        p.save();
        p.setClipRect(text);
        p.fillRect(QRect(text.topLeft(), size).intersected(text), back);
        p.setPen(fore);
        p.drawText(QRect(text.left(), text.top(), std::max(size.width(), text.width()) + 1,
                         std::max(size.height(), text.height()) + 1),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, m_Caption);
        p.restore();
        if (m_LabelBorderStyle != 0) DrawEffect(p, label, m_LabelBorderEffect, fore, shadow);
        contentRight = std::max(contentRight, label.right() + 1);
        contentBottom = std::max(contentBottom, label.bottom() + 1);
    }
    // With AutoAdjust the control grows to hold the content and the right and
    // bottom margins; painting never shrinks it.
    if (m_AutoAdjust) {
        const int right = bounds.right() + 1, bottom = bounds.bottom() + 1;
        const int newW = std::max(right, contentRight + m_RightMargin);
        const int newH = std::max(bottom, contentBottom + m_BottomMargin);
        if (newW != right || newH != bottom) {
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
    // The drop shadow falls outside the child, the inset lies around it.
    QRect around = child->geometry();
    if (m_ChildBorderEffect == BE_DropShadow) around += QMargins(0, 0, 2, 2);
    else if (m_ChildBorderEffect == BE_Inset) around += QMargins(1, 1, 1, 1);
    DrawEffect(p, around, m_ChildBorderEffect, com::translateColor(m_ForeColor),
               com::translateColor(m_ShadowColor));
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
