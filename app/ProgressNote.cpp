#include "app/ProgressNote.h"

#include <QLabel>

namespace tqen {

ProgressNote::ProgressNote(const QString &name, const QString &labelName, QWidget *form)
    : forms::FramedPanel(name, form, true) {
    setFixedSize(280, 60);
    label_ = new QLabel(this);
    label_->setObjectName(labelName);
    label_->setAlignment(Qt::AlignCenter);
    label_->setGeometry(0, 0, 280, 60);
    hide();
}

void ProgressNote::setText(const QString &text) { label_->setText(text); }

void ProgressNote::showText(const QString &text) {
    setText(text);
    showOver();
}

void ProgressNote::showOver() {
    QWidget *form = parentWidget();
    move((form->width() - width()) / 2, (form->height() - height()) / 2);
    showNow();
}

}  // namespace tqen
