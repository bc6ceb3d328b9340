// The main screen's calendar steps: drawing the month the calendar shows,
// marking the days that hold reports, and what a click on a day or a month
// button does. The calendar widget draws; these steps decide what.
#include "app/TqenMain.h"

#include "app/MonthCalendar.h"
#include "app/NextStepPanel.h"
#include "core/Globals.h"
#include "core/MakerLink.h"
#include "core/ModTqen.h"
#include "model/Reports.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"

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
        if (!keepTypedEntry()) return;
        txt日付->setValue(day);
        ReadNippo();
    });
    connect(calendar_, &MonthCalendar::monthRequested, this, [this](const QDate &day) {
        G().CalendarDate = day;
        SetClalendar();
        SetMarkDate();
    });
    // The keyboard cursor starts on the entry's day when it is in this month.
    connect(calendar_, &MonthCalendar::focusEntered, this, [this] {
        const QDate entry = txt日付->date();
        const QDate month = calendar_->monthShown();
        const bool shown = entry.year() == month.year() && entry.month() == month.month();
        calendar_->moveCursor(shown ? entry : QDate(month.year(), month.month(), 1));
    });
    // The maker's picture under the calendar.
    column->addWidget(CreateMakerLink(calendarArea), 0, Qt::AlignLeft);
}

void TqenMain::SetClalendar() {
    if (!G().CalendarDate.isValid()) return;
    calendar_->showMonth(G().CalendarDate);
}

void TqenMain::SetMarkDate() {
    QVariant day = G().CalendarDate;
    QDate first, last;
    ModTqen::MonthRange(day, first, last, 0);
    calendar_->setCounts(model::Reports::countsByDay(G().DataDbPath, first, last, cmb担当->Text(), cmb顧客名->Text()));
    markPlannedDays();
    txtタイトル->setText(QString());
    txtメモ->setText(QString());
    nextStep_->clear();
    // The entry date becomes today in the current month, else the 1st.
    const QDate today = QDate::currentDate();
    const QDate shown = calendar_->monthShown();
    const QDate firstShown(shown.year(), shown.month(), 1);
    const bool thisMonth = firstShown.year() == today.year() && firstShown.month() == today.month();
    txt日付->setValue(thisMonth ? today : firstShown);
}

void TqenMain::LblCald_Click(int index) { calendar_->activateCell(index); }

void TqenMain::cmdCaldBef_Click() {
    G().CalendarDate = calendar_->monthShown().addMonths(-1);
    SetClalendar();
    SetMarkDate();
}

void TqenMain::CmdCaldNext_Click() {
    G().CalendarDate = calendar_->monthShown().addMonths(1);
    SetClalendar();
    SetMarkDate();
}

}  // namespace tqen
