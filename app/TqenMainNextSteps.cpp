// The main screen's tab "予定" and the calendar's planned days. The tab does
// the work; these steps place and connect it.
#include "app/TqenMain.h"

#include "app/EntryPanel.h"
#include "app/MonthCalendar.h"
#include "app/NextStepsTab.h"

#include <QTabWidget>

namespace tqen {

void TqenMain::buildNextStepsTab() {
    stepsTab_ = new NextStepsTab([this] { return NextStepsTab::Context{session_.dataDbPath, entry_->staff()}; });
    stepsTab_->setObjectName(QStringLiteral("tab予定"));
    SSTab1->addTab(stepsTab_, QStringLiteral("予定"));
    connect(stepsTab_, &NextStepsTab::stepActivated, this, &TqenMain::OpenSearchHit);
    connect(stepsTab_, &NextStepsTab::stepsChanged, this, &TqenMain::markPlannedDays);
}

void TqenMain::markPlannedDays() {
    NextStepsTab::markPlannedDays(*calendar_, session_.dataDbPath, entry_->staff(), entry_->customer());
}

}  // namespace tqen
