// The main screen's calendar steps: drawing the month the calendar shows,
// marking the days that hold reports, and what a click on a day or a month
// button does. The calendar widget draws; these steps decide what.
#include "app/TqenMain.h"

#include "app/EntryPanel.h"
#include "app/MonthCalendar.h"
#include "core/MakerLink.h"
#include "core/ModTqen.h"
#include "model/Confirmations.h"
#include "model/Reports.h"

#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace tqen {

void TqenMain::buildCalendar() {
    auto *column = new QVBoxLayout(calendarArea);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    calendar_ = new MonthCalendar(calendarArea);
    column->addWidget(calendar_, 1);
    connect(calendar_, &MonthCalendar::previousMonthClicked, this, &TqenMain::cmdCaldBef_Click);
    connect(calendar_, &MonthCalendar::nextMonthClicked, this, &TqenMain::CmdCaldNext_Click);
    connect(calendar_, &MonthCalendar::dayActivated, this, [this](const QDate &day) {
        if (!entry_->keepTypedEntry()) return;
        entry_->setDay(day);
        entry_->ReadNippo();
    });
    connect(calendar_, &MonthCalendar::monthRequested, this, [this](const QDate &day) {
        calendarDate_ = day;
        SetClalendar();
        SetMarkDate();
    });
    // The keyboard cursor starts on the entry's day when it is in this month.
    connect(calendar_, &MonthCalendar::focusEntered, this, [this] {
        const QDate entry = entry_->day();
        const QDate month = calendar_->monthShown();
        const bool shown = entry.year() == month.year() && entry.month() == month.month();
        calendar_->moveCursor(shown ? entry : QDate(month.year(), month.month(), 1));
    });
    // The maker's picture under the calendar.
    column->addWidget(CreateMakerLink(calendarArea), 0, Qt::AlignLeft);
}

void TqenMain::SetClalendar() {
    if (!calendarDate_.isValid()) return;
    calendar_->showMonth(calendarDate_);
}

void TqenMain::SetMarkDate() {
    QVariant day = calendarDate_;
    QDate first, last;
    ModTqen::MonthRange(day, first, last, 0);
    calendar_->setCounts(model::Reports::countsByDay(session_.dataDbPath, first, last, entry_->staff(), entry_->customer()));
    markConfirmedDays();
    markPlannedDays();
    entry_->clearReport();
    // The entry date becomes today in the current month, else the 1st.
    const QDate today = QDate::currentDate();
    const QDate shown = calendar_->monthShown();
    const QDate firstShown(shown.year(), shown.month(), 1);
    const bool thisMonth = firstShown.year() == today.year() && firstShown.month() == today.month();
    entry_->setDay(thisMonth ? today : firstShown);
}

// The stamp goes on the days whose every report (of the staff member and
// customer chosen) is confirmed as it stands.
void TqenMain::markConfirmedDays() {
    QVariant day = calendarDate_;
    QDate first, last;
    ModTqen::MonthRange(day, first, last, 0);
    bool pending = false;
    calendar_->setConfirmedDays(
        model::Confirmations::confirmedDays(session_.dataDbPath, first, last, entry_->staff(), entry_->customer(), &pending));
    // An older data file's confirmations are being told behind the screen:
    // the stamps are read again a moment later.
    if (pending) QTimer::singleShot(300, this, [this] { markConfirmedDays(); });
}

void TqenMain::LblCald_Click(int index) { calendar_->activateCell(index); }

void TqenMain::cmdCaldBef_Click() {
    calendarDate_ = calendar_->monthShown().addMonths(-1);
    SetClalendar();
    SetMarkDate();
}

void TqenMain::CmdCaldNext_Click() {
    calendarDate_ = calendar_->monthShown().addMonths(1);
    SetClalendar();
    SetMarkDate();
}

}  // namespace tqen
