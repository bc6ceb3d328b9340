#include "hints/HintMenu.h"

#include "hints/Hint.h"
#include "platform/forms/Form.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QToolTip>

namespace tqen::hints {

namespace {
QPointer<HintMenu> g_menu;

bool namesControl(const QWidget *w) {
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}
}  // namespace

void HintMenu::install(const model::Session &session) {
    if (g_menu) return;
    g_menu = new HintMenu(session);
    g_menu->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(g_menu);
}

void HintMenu::uninstall() { delete g_menu.data(); }

QWidget *HintMenu::controlOf(QWidget *widget, forms::Form **formOut) {
    if (!widget) return nullptr;
    auto *form = qobject_cast<forms::Form *>(widget->window());
    // The hint editor's own controls carry no hints.
    if (!form || qobject_cast<Hint *>(form)) return nullptr;
    QWidget *control = nullptr;
    for (QWidget *w = widget; w && w != form; w = w->parentWidget()) {
        if (!namesControl(w)) continue;
        if (!control) {
            control = w;
            continue;
        }
        // A part named after its control ("txt日付_edit") is that control.
        if (control->objectName().startsWith(w->objectName() + QLatin1Char('_'))) control = w;
        break;
    }
    if (control && formOut) *formOut = form;
    return control;
}

QMenu *HintMenu::menuFor(QWidget *widget, const QPoint &pos, const model::Session &session) {
    forms::Form *form = nullptr;
    QWidget *control = controlOf(widget, &form);
    if (!control) return nullptr;
    QMenu *menu = nullptr;
    // Text fields keep their own editing entries.
    for (QWidget *w = widget; w && w != control->parentWidget() && !menu; w = w->parentWidget()) {
        if (auto *line = qobject_cast<QLineEdit *>(w)) menu = line->createStandardContextMenu();
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) menu = plain->createStandardContextMenu(plain->viewport()->mapFrom(widget, pos));
        else if (auto *rich = qobject_cast<QTextEdit *>(w)) menu = rich->createStandardContextMenu(rich->viewport()->mapFrom(widget, pos));
    }
    if (menu) menu->addSeparator();
    else menu = new QMenu;
    menu->setObjectName(QStringLiteral("hintMenu"));
    QAction *edit = menu->addAction(QStringLiteral("ヒントを編集"));
    edit->setObjectName(QStringLiteral("actionEditHint"));
    const QString formName = form->name();
    const QString ctlName = control->objectName();
    const QString title = form->windowTitle();
    QObject::connect(edit, &QAction::triggered,
                     [&session, formName, ctlName, title] { Hint::Open(session, formName, ctlName, title); });
    return menu;
}

bool HintMenu::eventFilter(QObject *watched, QEvent *event) {
    if (!watched->isWidgetType()) return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::ContextMenu) {
        // Widgets with a menu of their own making keep it.
        if (widget->contextMenuPolicy() != Qt::DefaultContextMenu) return false;
        auto *e = static_cast<QContextMenuEvent *>(event);
        QMenu *menu = menuFor(widget, e->pos(), session_);
        if (!menu) return false;
        menu->exec(e->globalPos());
        delete menu;
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        forms::Form *form = nullptr;
        QWidget *control = controlOf(widget, &form);
        if (!control) return false;
        const QString hint = Hint::StoredHint(session_, form->name(), control->objectName());
        if (hint.isEmpty()) return false;   // the control's own tooltip, if any
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), hint, widget);
        return true;
    }
    return false;
}

}  // namespace tqen::hints
