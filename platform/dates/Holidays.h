#pragma once
// Japan's national holidays, computed from the holiday law's rules: the fixed
// days and the days on the n-th Monday, the equinoxes from the astronomical
// formula, the substitute holiday after a holiday on a Sunday, the citizens'
// holiday between two holidays, and the years whose days were moved or added
// by their own laws (imperial events, 2019–2021). Valid from 1949 to 2099;
// outside those years no day is a holiday.
#include <QDate>
#include <QList>
#include <QString>

namespace tqen {

// The holiday's name ("元日", "春分の日", "こどもの日 振替休日", "休日"…), or
// empty when the day is no national holiday.
QString HolidayName(const QDate &day);

bool IsHoliday(const QDate &day);

// Every holiday of a year, oldest first, with its name.
struct Holiday {
    QDate day;
    QString name;
};
QList<Holiday> HolidaysOfYear(int year);

// The working days of a month: Monday to Friday, national holidays left out.
QList<QDate> WorkingDays(int year, int month);

}  // namespace tqen
