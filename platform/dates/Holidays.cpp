#include "platform/dates/Holidays.h"

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <cmath>

namespace tqen {

namespace {

constexpr int kFirstYear = 1949;
constexpr int kLastYear = 2099;

// The n-th Monday of a month (n from 1).
QDate nthMonday(int year, int month, int n) {
    const QDate first(year, month, 1);
    const int offset = (8 - first.dayOfWeek()) % 7;  // days to the first Monday
    return first.addDays(offset + 7 * (n - 1));
}

// Day of the vernal or autumnal equinox in Japan (JST), from the approximate
// formula of the mean tropical year, valid 1900–2099 (two sets of constants,
// before and from 1980).
int equinoxDay(int year, bool autumn) {
    double base;
    int leapFrom;
    if (year < 1980) {
        base = autumn ? 23.2588 : 20.8357;
        leapFrom = 1983;
    } else {
        base = autumn ? 23.2488 : 20.8431;
        leapFrom = 1980;
    }
    // The leap-year count is truncated towards zero (it is negative before
    // 1983), the day then rounded down.
    const double drift = 0.242194 * (year - 1980);
    const int leaps = (year - leapFrom) / 4;
    return static_cast<int>(std::floor(base + drift - leaps));
}

// The holidays the law names for a year ("国民の祝日" and the days its own
// laws made holidays), without substitutes and citizens' holidays.
QMap<QDate, QString> namedHolidays(int year) {
    QMap<QDate, QString> days;
    auto add = [&](int month, int day, const char *name) {
        days.insert(QDate(year, month, day), QString::fromUtf8(name));
    };
    auto addDay = [&](const QDate &day, const char *name) { days.insert(day, QString::fromUtf8(name)); };

    add(1, 1, "元日");
    if (year < 2000) add(1, 15, "成人の日");
    else addDay(nthMonday(year, 1, 2), "成人の日");
    if (year >= 1967) add(2, 11, "建国記念の日");
    if (year >= 2020) add(2, 23, "天皇誕生日");
    add(3, equinoxDay(year, false), "春分の日");
    if (year < 1989) add(4, 29, "天皇誕生日");
    else if (year < 2007) add(4, 29, "みどりの日");
    else add(4, 29, "昭和の日");
    add(5, 3, "憲法記念日");
    if (year >= 2007) add(5, 4, "みどりの日");
    add(5, 5, "こどもの日");
    if (year == 2020) add(7, 23, "海の日");
    else if (year == 2021) add(7, 22, "海の日");
    else if (year >= 2003) addDay(nthMonday(year, 7, 3), "海の日");
    else if (year >= 1996) add(7, 20, "海の日");
    if (year == 2020) add(8, 10, "山の日");
    else if (year == 2021) add(8, 8, "山の日");
    else if (year >= 2016) add(8, 11, "山の日");
    if (year >= 2003) addDay(nthMonday(year, 9, 3), "敬老の日");
    else if (year >= 1966) add(9, 15, "敬老の日");
    add(9, equinoxDay(year, true), "秋分の日");
    if (year == 2020) add(7, 24, "スポーツの日");
    else if (year == 2021) add(7, 23, "スポーツの日");
    else if (year >= 2022) addDay(nthMonday(year, 10, 2), "スポーツの日");
    else if (year >= 2000) addDay(nthMonday(year, 10, 2), "体育の日");
    else if (year >= 1966) add(10, 10, "体育の日");
    add(11, 3, "文化の日");
    add(11, 23, "勤労感謝の日");
    if (year >= 1989 && year <= 2018) add(12, 23, "天皇誕生日");

    // Days made holidays by their own laws.
    if (year == 1959) add(4, 10, "結婚の儀");
    if (year == 1989) add(2, 24, "大喪の礼");
    if (year == 1990) add(11, 12, "即位礼正殿の儀");
    if (year == 1993) add(6, 9, "結婚の儀");
    if (year == 2019) {
        add(5, 1, "休日（祝日扱い）");
        add(10, 22, "休日（祝日扱い）");
    }
    return days;
}

QList<Holiday> computeYear(int year) {
    QList<Holiday> result;
    if (year < kFirstYear || year > kLastYear) return result;
    // The sandwich and substitute rules look one day across the year's ends.
    QMap<QDate, QString> named = namedHolidays(year);
    const QMap<QDate, QString> before = namedHolidays(year - 1);
    const QMap<QDate, QString> after = namedHolidays(year + 1);
    QMap<QDate, QString> all = named;
    for (auto it = before.cbegin(); it != before.cend(); ++it) all.insert(it.key(), it.value());
    for (auto it = after.cbegin(); it != after.cend(); ++it) all.insert(it.key(), it.value());

    QMap<QDate, QString> days = all;
    // Substitute holidays (from 12 April 1973): a holiday on a Sunday moves
    // its rest to the next day; from 2007 to the next day that is no holiday.
    const QDate substitutesFrom(1973, 4, 12);
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const QDate day = it.key();
        if (day.dayOfWeek() != Qt::Sunday) continue;
        QDate next = day.addDays(1);
        if (next < substitutesFrom) continue;
        if (next.year() >= 2007) {
            while (all.contains(next)) next = next.addDays(1);
        } else if (all.contains(next)) {
            continue;
        }
        days.insert(next, it.value() + QStringLiteral(" 振替休日"));
    }
    // Citizens' holidays (from 27 December 1985): a day between two named
    // holidays that is itself neither a Sunday nor another holiday.
    const QDate citizensFrom(1985, 12, 27);
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const QDate between = it.key().addDays(1);
        if (between < citizensFrom) continue;
        if (!all.contains(between.addDays(1)) || days.contains(between)) continue;
        if (between.dayOfWeek() == Qt::Sunday) continue;
        days.insert(between, QStringLiteral("休日"));
    }
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        if (it.key().year() == year) result.append({it.key(), it.value()});
    return result;
}

// Years are computed once and kept: the status grid asks day by day.
const QHash<QDate, QString> &yearTable(int year) {
    static QMutex mutex;
    static QHash<int, QHash<QDate, QString>> cache;
    QMutexLocker lock(&mutex);
    auto found = cache.find(year);
    if (found == cache.end()) {
        QHash<QDate, QString> table;
        for (const Holiday &h : computeYear(year)) table.insert(h.day, h.name);
        found = cache.insert(year, table);
    }
    return found.value();
}

}  // namespace

QString HolidayName(const QDate &day) {
    if (!day.isValid()) return {};
    return yearTable(day.year()).value(day);
}

bool IsHoliday(const QDate &day) { return !HolidayName(day).isEmpty(); }

QList<Holiday> HolidaysOfYear(int year) { return computeYear(year); }

QList<QDate> WorkingDays(int year, int month) {
    QList<QDate> result;
    const QDate first(year, month, 1);
    if (!first.isValid()) return result;
    for (QDate day = first; day.month() == month; day = day.addDays(1)) {
        if (day.dayOfWeek() >= Qt::Saturday) continue;
        if (IsHoliday(day)) continue;
        result.append(day);
    }
    return result;
}

}  // namespace tqen
