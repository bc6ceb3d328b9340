// The main screen's search steps: a term, the entry's staff and customer as
// an optional filter, and the reports found, newest first. Choosing one
// shows that day's report in the entry tab, as choosing a step of the tab
// "予定" does; the calendar marks the days with planned steps.
#include "app/TqenMain.h"

#include "app/EntryPanel.h"
#include "app/MonthCalendar.h"
#include "app/NextStepsTab.h"
#include "app/SearchTab.h"
#include "app/ProgressNote.h"
#include "platform/forms/Interaction.h"

#include <QTabWidget>

namespace tqen {

void TqenMain::buildSearchTab() {
    searchTab_ = new SearchTab(session_, [this] { return SearchTab::Filter{entry_->staff(), entry_->customer()}; });
    SSTab1->addTab(searchTab_, QStringLiteral("検索"));
    connect(searchTab_, &SearchTab::searchClicked, this, &TqenMain::cmd検索_Click);
    connect(searchTab_, &SearchTab::hitActivated, this, &TqenMain::OpenSearchHit);
    connect(searchTab_, &SearchTab::busy, this, [this](bool reading) {
        reading ? Msg検索中->showOver() : Msg検索中->hide();
    });
    connect(searchTab_, &SearchTab::failed, this, [this](const Error &e) { failed(e, forms::mb::Exclamation); });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (SSTab1->widget(index) != searchTab_) return;
        searchTab_->showSearchFilter();
        searchTab_->focusTerm();
    });
}

Error TqenMain::PrepareSearchIndex() { return searchTab_->startIndexing(); }

void TqenMain::cmd検索_Click() { searchTab_->search(); }

void TqenMain::OpenSearchHit(const QDate &day, const QString &customer, const QString &staff) {
    if (!day.isValid()) return;
    if (!entry_->keepTypedEntry()) return;
    SSTab1->setCurrentIndex(1);
    showReport(day, customer, staff);
}

// The calendar turns to the report's month, marked for its customer and
// staff member, and the entry shows the day.
void TqenMain::showReport(const QDate &day, const QString &customer, const QString &staff) {
    entry_->setCustomer(customer);
    entry_->setStaff(staff);
    calendarDate_ = day;
    SetClalendar();
    SetMarkDate();
    entry_->setDay(day);
    entry_->ReadNippo();
}

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
