#include "platform/forms/Form.h"

#include "platform/forms/Desktop.h"
#include "platform/forms/TabBarAccessible.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QHideEvent>
#include <QSettings>
#include <QShowEvent>

#include <algorithm>

namespace tqen::forms {

namespace {
// Forms are numbered as they are made, so the open ones can be listed oldest
// first.
quint64 g_made = 0;

// A form is a window to screen readers (a frame, in AT-SPI's words), not a
// plain panel.
QAccessibleInterface *formAccessible(const QString &, QObject *object) {
    if (auto *form = qobject_cast<Form *>(object)) return new QAccessibleWidget(form, QAccessible::Window);
    return nullptr;
}
}  // namespace

Form::Form(const QString &name, QWidget *parent) : QWidget(parent, Qt::Window), serial_(++g_made) {
    static const bool installed = [] {
        QAccessible::installFactory(&formAccessible);
        QAccessible::installFactory(&tabBarAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

Form::~Form() = default;

void Form::unload() {
    unloaded_ = true;
    close();
    deleteLater();
}

bool Form::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate) emit activated();
    return QWidget::event(e);
}

// With window places kept (the program, not its tests): the form takes its
// stored place when first shown, or fits the screen's free part, and keeps
// its place when hidden.
void Form::showEvent(QShowEvent *e) {
    const QString file = placesFile();
    if (!placed_ && !file.isEmpty()) {
        placed_ = true;
        QSettings places(file, QSettings::IniFormat);
        const QByteArray stored = places.value(objectName() + QStringLiteral("/geometry")).toByteArray();
        if (stored.isEmpty() || !restoreGeometry(stored)) fitIntoScreen(this);
    }
    QWidget::showEvent(e);
}

void Form::hideEvent(QHideEvent *e) {
    const QString file = placesFile();
    if (placed_ && !file.isEmpty() && !e->spontaneous()) {
        QSettings places(file, QSettings::IniFormat);
        places.setValue(objectName() + QStringLiteral("/geometry"), saveGeometry());
    }
    QWidget::hideEvent(e);
}

// The open forms are the application's top-level windows that are forms and
// have not been unloaded.
QList<Form *> openForms() {
    QList<Form *> out;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *f = qobject_cast<Form *>(w);
        if (f && !f->isUnloaded()) out.append(f);
    }
    std::sort(out.begin(), out.end(), [](const Form *a, const Form *b) { return a->serial() < b->serial(); });
    return out;
}

Form *findForm(const QString &name) {
    for (Form *f : openForms())
        if (f->objectName() == name) return f;
    return nullptr;
}

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

}  // namespace tqen::forms
