#pragma once
// The entry's next step: the day the staff member plans to see the customer
// again and a short text of what for, under the memo. It shows the step of
// the report in the entry and gives what was typed back to the registration.
#include "model/NextSteps.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace tqen::forms {
class DateBox;
class TextBox;
}  // namespace tqen::forms

namespace tqen {

class NextStepPanel : public QWidget {
    Q_OBJECT
public:
    explicit NextStepPanel(QWidget *parent = nullptr);

    // What the boxes hold: an empty step clears the report's step.
    model::PlannedStep step() const;
    // Shows a report's step (nothing for none); a closed step says so.
    void showStep(const std::optional<model::NextStep> &step);
    void clear();
    // The settings' date style.
    void applyDateStyle(const QString &dayFormat, const QString &monthFormat);

    // The first and last boxes, for the entry's tab order.
    QWidget *first() const;
    QWidget *last() const;
    forms::DateBox *dayBox() const { return day_; }
    forms::TextBox *textBox() const { return text_; }

signals:
    // Typed into by the user.
    void edited();

private:
    forms::DateBox *day_ = nullptr;    // "txt次回予定日"
    forms::TextBox *text_ = nullptr;   // "txt次回予定"
    QLabel *state_ = nullptr;    // "lbl次回予定状態": 完了 and its day
};

}  // namespace tqen
