#include "platform/forms/Anchors.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace tqen::forms {

Anchors::Anchors(QWidget *form, QSize designed, std::initializer_list<std::pair<QWidget *, int>> anchored)
    : QObject(form), form_(form), designed_(designed) {
    for (const auto &[w, edges] : anchored) anchored_.insert(w, {w->geometry(), edges});
    form_->setMinimumSize(designed_);
    form_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    form_->resize(designed_);
    form_->installEventFilter(this);
}

bool Anchors::eventFilter(QObject *watched, QEvent *event) {
    if (watched == form_ && event->type() == QEvent::Resize) apply();
    return QObject::eventFilter(watched, event);
}

void Anchors::apply() {
    const int dx = std::max(0, form_->width() - designed_.width());
    const int dy = std::max(0, form_->height() - designed_.height());
    for (auto it = anchored_.cbegin(); it != anchored_.cend(); ++it) {
        QRect r = it.value().first;
        const int edges = it.value().second;
        if (edges & MoveRight) r.translate(dx, 0);
        if (edges & MoveDown) r.translate(0, dy);
        if (edges & GrowWidth) r.setWidth(r.width() + dx);
        if (edges & GrowHeight) r.setHeight(r.height() + dy);
        it.key()->setGeometry(r);
    }
}

}  // namespace tqen::forms
