#pragma once
// What a screen reader and automation see of a caption control: its name
// (the caption, or what the host set), its role, and a default action that
// does what a click does.
#include <QAccessibleWidget>

namespace tqen::captionctl {

class CMDCaptCtrl;

class CMDCaptAccessible : public QAccessibleWidget {
public:
    explicit CMDCaptAccessible(CMDCaptCtrl *control);

    QAccessible::Role role() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    // Makes the interface known to Qt while a control lives, and forgets it
    // with the last one, so the library can be unloaded safely.
    static void controlCreated();
    static void controlDestroyed();
};

}  // namespace tqen::captionctl
