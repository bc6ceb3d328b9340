// The main screen's "提出状況" button: opens who has reported for the month
// the calendar shows, not modal.
#include "app/TqenMain.h"

#include "platform/forms/FormStack.h"
#include "status/FrmTeisyutu.h"

namespace tqen {

void TqenMain::cmd提出状況_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    auto *form = static_cast<FrmTeisyutu *>(forms::findForm(QStringLiteral("FrmTeisyutu")));
    if (!form) {
        form = new FrmTeisyutu(session_);
        form->setAttribute(Qt::WA_DeleteOnClose);
        connect(form, &FrmTeisyutu::reportsChosen, this, [this](const model::HandOver &report) { openReportList(report); });
        connect(form, &FrmTeisyutu::dayChosen, this, [this](const model::HandOver &report) {
            handOver(report);
            showNormal();
            raise();
            activateWindow();
        });
    }
    form->showMonth(calendarDate_.isValid() ? calendarDate_ : QDate::currentDate());
    form->showNormal();
    form->raise();
    form->activateWindow();
}

}  // namespace tqen
