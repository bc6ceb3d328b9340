#include "platform/forms/Form.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

namespace tqen::forms {

namespace {
QList<Form *> &registry() {
    static QList<Form *> forms;
    return forms;
}
}  // namespace

Form::Form(const QString &name, QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
    registry().append(this);
}

Form::~Form() { registry().removeAll(this); }

void Form::unload() {
    close();
    registry().removeAll(this);
    deleteLater();
}

bool Form::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate) emit activated();
    return QWidget::event(e);
}

QList<Form *> openForms() { return registry(); }

Form *findForm(const QString &name) {
    for (Form *f : registry())
        if (f->objectName() == name) return f;
    return nullptr;
}

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

}  // namespace tqen::forms
