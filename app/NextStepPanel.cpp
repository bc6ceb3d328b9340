#include "app/NextStepPanel.h"

#include "platform/forms/Accessible.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tqen {

NextStepPanel::NextStepPanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("NextStepPanel"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    day_ = new forms::DateBox(QStringLiteral("txt次回予定日"), this);
    day_->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    day_->setInputFormat(QStringLiteral("yyyy/MM/dd"));
    forms::nameField(day_, QStringLiteral("次回予定の日付"));
    text_ = new forms::TextBox(QStringLiteral("txt次回予定"), false, this);
    forms::nameField(text_, QStringLiteral("次回予定の内容"));
    if (auto *line = qobject_cast<QLineEdit *>(text_->editor())) line->setMaxLength(model::NextSteps::MaxText);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("lbl次回予定状態"));
    row->addWidget(day_);
    row->addWidget(text_, 1);
    row->addWidget(state_);
    setTabOrder(day_, text_);
    connect(text_, &forms::TextBox::edited, this, &NextStepPanel::edited);
    connect(day_->editor(), &QLineEdit::textEdited, this, &NextStepPanel::edited);
}

model::PlannedStep NextStepPanel::step() const { return {day_->date(), text_->Text().trimmed()}; }

void NextStepPanel::showStep(const std::optional<model::NextStep> &step) {
    if (!step) {
        clear();
        return;
    }
    day_->setValue(step->planned.isValid() ? QVariant(step->planned) : QVariant());
    text_->setText(step->text);
    state_->setText(step->isOpen() ? QString()
                                   : QStringLiteral("完了 %1").arg(step->closed.toString(QStringLiteral("M/d"))));
}

void NextStepPanel::clear() {
    day_->setValue(QVariant());
    text_->setText(QString());
    state_->clear();
}

void NextStepPanel::applyDateStyle(const QString &dayFormat, const QString &monthFormat) {
    day_->setInputFormat(dayFormat);
    day_->setDisplayFormat(dayFormat);
    day_->setMonthFormat(monthFormat);
}

QWidget *NextStepPanel::first() const { return day_; }
QWidget *NextStepPanel::last() const { return text_; }

}  // namespace tqen
