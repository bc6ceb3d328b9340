// The main screen's buttons that open other forms, not modal: "一覧" (with
// the entry's day, staff member and, for a marked day, customer), "コード表",
// "保守" and "提出状況" (for the month the calendar shows); and the print
// conditions, opened over the form with the entry's customer, staff member
// and day.
#include "app/TqenMain.h"

#include "app/EntryPanel.h"
#include "app/FormLauncher.h"
#include "app/PrintPanel.h"
#include "platform/forms/FormStack.h"

namespace tqen {

void TqenMain::buildFormLauncher() {
    forms_ = new FormLauncher(session_, this);
    // The staff boxes offer the names the code table now holds.
    connect(forms_, &FormLauncher::staffRegistered, this, [this] {
        const QString printing = Cn印刷条件->staffText();
        SetComb(QStringLiteral("担当"));
        Cn印刷条件->setStaffText(printing);
    });
    connect(forms_, &FormLauncher::settingsRegistered, this, &TqenMain::applyDateStyle);
    connect(forms_, &FormLauncher::dayChosen, this, [this](const model::HandOver &report) {
        handOver(report);
        showNormal();
        raise();
        activateWindow();
    });
}

void TqenMain::Command3_Click() {
    const std::optional<model::HandOver> jump = SetJump();
    forms::FormStack(QStringLiteral("PUSH"), name());
    forms_->reportList(jump);
}

void TqenMain::Command5_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    forms_->codeTable();
}

void TqenMain::Command11_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    forms_->maintenance();
}

void TqenMain::cmd提出状況_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    forms_->submissionStatus(calendarDate_.isValid() ? calendarDate_ : QDate::currentDate());
}

void TqenMain::cmd印刷_Click() { Cn印刷条件->open(entry_->customer(), entry_->staff(), entry_->day()); }

}  // namespace tqen
