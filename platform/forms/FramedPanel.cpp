#include "platform/forms/FramedPanel.h"

#include "platform/forms/Twips.h"

namespace tqen::forms {

FramedPanel::FramedPanel(const QString &name, QWidget *parent, bool raised) : QFrame(parent) {
    setObjectName(name);
    setFrameShape(QFrame::Panel);
    setFrameShadow(raised ? QFrame::Raised : QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
}

void FramedPanel::setWidthTwips(int t) { setFixedWidth(pixels(t)); }
int FramedPanel::widthTwips() const { return twips(width()); }
void FramedPanel::setLeftTwips(int t) { move(pixels(t), y()); }

void FramedPanel::setPanelVisible(bool visible) {
    setVisible(visible);
    if (visible) raise();
}

void FramedPanel::showNow() {
    setPanelVisible(true);
    repaint();
}

}  // namespace tqen::forms
