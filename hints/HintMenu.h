#pragma once
// Hints on every form: the context menu of a control offers "ヒントを編集",
// which opens the hint editor for that control, and a control's stored hint
// shows as its tooltip. One application-wide filter does both.
#include "model/Session.h"

#include <QObject>

class QMenu;
class QPoint;
class QWidget;

namespace tqen::forms {
class Form;
}

namespace tqen::hints {

class HintMenu : public QObject {
    Q_OBJECT
public:
    // Installs the filter once for the program; the hints are those of the
    // session, which must outlive the filter.
    static void install(const model::Session &session);
    static void uninstall();

    // The control a widget belongs to: the nearest named widget at or above
    // it on its form (a part named after its control, "txt日付_edit", counts
    // as that control); nullptr when it is on no form or names no control.
    static QWidget *controlOf(QWidget *widget, forms::Form **form = nullptr);
    // The context menu for a widget: its own editing entries when it has
    // them, then "ヒントを編集" (the hints of the session, which must outlive
    // the menu). nullptr when the widget is on no form. The caller owns the
    // menu.
    static QMenu *menuFor(QWidget *widget, const QPoint &pos, const model::Session &session);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit HintMenu(const model::Session &session) : session_(session) {}
    const model::Session &session_;
};

}  // namespace tqen::hints
