#include "captionctl/CMDCaptAccessible.h"

#include "captionctl/CMDCaptCtrl.h"

namespace tqen::captionctl {

namespace {

int g_controls = 0;

QAccessibleInterface *factory(const QString &, QObject *object) {
    if (auto *control = qobject_cast<CMDCaptCtrl *>(object)) return new CMDCaptAccessible(control);
    return nullptr;
}

}  // namespace

CMDCaptAccessible::CMDCaptAccessible(CMDCaptCtrl *control) : QAccessibleWidget(control, QAccessible::StaticText) {}

// A frame that holds another control groups it; a bare caption reads as text.
QAccessible::Role CMDCaptAccessible::role() const {
    auto *control = qobject_cast<CMDCaptCtrl *>(widget());
    return control && control->FindFramedChild() ? QAccessible::Grouping : QAccessible::StaticText;
}

QStringList CMDCaptAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled()) names.prepend(pressAction());
    return names;
}

void CMDCaptAccessible::doAction(const QString &actionName) {
    if (actionName == pressAction()) {
        if (auto *control = qobject_cast<CMDCaptCtrl *>(widget()); control && control->isEnabled())
            control->accessibleClick();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

void CMDCaptAccessible::controlCreated() {
    if (g_controls++ == 0) QAccessible::installFactory(&factory);
}

void CMDCaptAccessible::controlDestroyed() {
    if (--g_controls == 0) QAccessible::removeFactory(&factory);
}

}  // namespace tqen::captionctl
