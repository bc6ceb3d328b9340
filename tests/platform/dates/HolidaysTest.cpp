#include "platform/dates/Holidays.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QMap>

using tqen::HolidayName;
using tqen::WorkingDays;

namespace {

// The published list: "date,name" lines, 1970–2050.
QMap<QDate, QString> publishedHolidays() {
    QMap<QDate, QString> days;
    QFile file(QStringLiteral(TQEN_HOLIDAYS_CSV));
    if (!file.open(QIODevice::ReadOnly)) return days;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (header) { header = false; continue; }
        if (line.isEmpty()) continue;
        const qsizetype comma = line.indexOf(u',');
        days.insert(QDate::fromString(line.left(comma), Qt::ISODate), line.mid(comma + 1));
    }
    return days;
}

TEST(Holidays, EveryDayFrom1970To2050MatchesThePublishedList) {
    const QMap<QDate, QString> published = publishedHolidays();
    ASSERT_GT(published.size(), 1000) << "cannot read " << TQEN_HOLIDAYS_CSV;
    // The list spells the 2019 sports day with the name it took the next year.
    const QMap<QDate, QString> spelledOtherwise = {
        {QDate(2019, 10, 14), QStringLiteral("体育の日")},
    };
    int holidays = 0;
    for (QDate day(1970, 1, 1); day <= QDate(2050, 12, 31); day = day.addDays(1)) {
        const QString expected = spelledOtherwise.value(day, published.value(day));
        const QString name = HolidayName(day);
        const QString substitute = QStringLiteral(" 振替休日");
        // A substitute is named after the holiday on the Sunday; the list
        // names the golden week's after one or another holiday of the week,
        // so for substitutes only their kind is compared.
        if (expected.endsWith(substitute))
            EXPECT_TRUE(name.endsWith(substitute)) << day.toString(Qt::ISODate).toStdString() << " " << name.toStdString();
        else
            EXPECT_EQ(name, expected) << day.toString(Qt::ISODate).toStdString();
        if (!expected.isEmpty()) ++holidays;
    }
    EXPECT_EQ(holidays, published.size());
}

TEST(Holidays, WorkingDaysLeaveOutWeekendsAndHolidays) {
    struct Case { int year, month; int count; QDate first, last; } cases[] = {
        // Golden week of the enthronement: 27 April – 6 May off.
        {2019, 5, 19, {2019, 5, 7}, {2019, 5, 31}},
        // The moved Olympic holidays.
        {2020, 7, 21, {2020, 7, 1}, {2020, 7, 31}},
        {2020, 8, 20, {2020, 8, 3}, {2020, 8, 31}},
        // New Year's Day on a Sunday: the Monday is a substitute.
        {2023, 1, 20, {2023, 1, 3}, {2023, 1, 31}},
        // Silver week: citizens' holiday on the Tuesday.
        {2026, 9, 19, {2026, 9, 1}, {2026, 9, 30}},
        {2024, 2, 19, {2024, 2, 1}, {2024, 2, 29}},
    };
    for (const Case &c : cases) {
        const QList<QDate> days = WorkingDays(c.year, c.month);
        ASSERT_EQ(days.size(), c.count) << c.year << "-" << c.month;
        EXPECT_EQ(days.first(), c.first) << c.year << "-" << c.month;
        EXPECT_EQ(days.last(), c.last) << c.year << "-" << c.month;
        for (const QDate &d : days) {
            EXPECT_LT(d.dayOfWeek(), Qt::Saturday);
            EXPECT_TRUE(HolidayName(d).isEmpty());
        }
    }
    EXPECT_TRUE(WorkingDays(2024, 13).isEmpty());
}

}  // namespace
