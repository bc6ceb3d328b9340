#include "platform/forms/KeyPreview.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tqen::forms {

KeyPreview::KeyPreview(QWidget *form, Handler handler) : QObject(form), form_(form), handler_(std::move(handler)) {
    // An application filter sees a key before the focused control's own
    // filters and handlers do.
    QCoreApplication::instance()->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (auto *app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto *w = static_cast<QWidget *>(watched);
    if (w->window() != form_) return false;
    // A key that nobody takes travels up to the parents; the form sees it
    // once, at the first widget.
    return handler_ && handler_(static_cast<QKeyEvent *>(event));
}

}  // namespace tqen::forms
