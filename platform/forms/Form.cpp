#include "platform/forms/Form.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace tqen::forms {

namespace {
// Forms are numbered as they are made, so the open ones can be listed oldest
// first.
quint64 g_made = 0;
}  // namespace

Form::Form(const QString &name, QWidget *parent) : QWidget(parent, Qt::Window), serial_(++g_made) {
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
