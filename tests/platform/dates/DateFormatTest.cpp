#include "platform/dates/DateFormat.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTimeZone>
#include <unicode/ucal.h>
#include <unicode/udat.h>
#include <unicode/ustring.h>

using tqen::FormatDate;
using tqen::ParseDateText;
using tqen::ToDate;

namespace {

TEST(DateFormat, EveryFormatTheProgramUses) {
    struct Case { QDate day; const char *format; const char *expected; } cases[] = {
        {{2002, 2, 14}, "ggg ee年mm月dd日", "平成 14年02月14日"},
        {{2002, 2, 14}, "gggee年mm月dd日", "平成14年02月14日"},
        {{2002, 2, 14}, "gee/mm/dd", "H14/02/14"},
        {{2002, 2, 14}, "yyyy年mm月dd日", "2002年02月14日"},
        {{2002, 2, 14}, "yyyy年mm月", "2002年02月"},
        {{2002, 2, 14}, "ggg ee年mm月", "平成 14年02月"},
        {{2002, 2, 14}, "yyyy/mm/dd", "2002/02/14"},
        {{2002, 2, 14}, "yy/mm/dd", "02/02/14"},
        {{2002, 2, 14}, "yyyymmdd", "20020214"},
        {{2019, 5, 1}, "ggg ee年mm月dd日", "令和 01年05月01日"},
        {{2019, 4, 30}, "ggg ee年mm月dd日", "平成 31年04月30日"},
        {{1989, 1, 7}, "gee/mm/dd", "S64/01/07"},
        {{1989, 1, 8}, "gee/mm/dd", "H01/01/08"},
        {{1926, 12, 25}, "gggee年", "昭和01年"},
        {{1912, 7, 29}, "gg e", "明 45"},
        {{1912, 7, 30}, "gg e", "大 1"},
        {{2026, 12, 8}, "ggg ee年m月d日", "令和 08年12月8日"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatDate(c.day, QString::fromUtf8(c.format)), QString::fromUtf8(c.expected)) << c.format;
    EXPECT_EQ(FormatDate(QDate(), QStringLiteral("yyyy/mm/dd")), QString());
}

// ICU's Japanese calendar is the oracle for the era table: same era and same
// era year on every day from the start of Meiji to the end of 2099.
TEST(DateFormat, EraTableAgreesWithIcuEveryDay) {
    UErrorCode status = U_ZERO_ERROR;
    UChar zone[] = u"UTC";
    UCalendar *cal = ucal_open(zone, -1, "ja_JP@calendar=japanese", UCAL_DEFAULT, &status);
    ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    int meijiEra = -1;
    int checked = 0;
    for (QDate d(1868, 10, 23); d <= QDate(2099, 12, 31); d = d.addDays(1)) {
        const QDateTime noon(d, QTime(12, 0), QTimeZone::utc());
        ucal_setMillis(cal, UDate(noon.toMSecsSinceEpoch()), &status);
        const int era = ucal_get(cal, UCAL_ERA, &status);
        const int year = ucal_get(cal, UCAL_YEAR, &status);
        ASSERT_TRUE(U_SUCCESS(status));
        if (meijiEra < 0) meijiEra = era;
        const tqen::Era *ours = tqen::EraOf(d);
        ASSERT_NE(ours, nullptr) << d.toString().toStdString();
        const int ourIndex = int(ours - &tqen::EraTable().front());
        ASSERT_EQ(era - meijiEra, ourIndex) << d.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(year, tqen::EraYear(d)) << d.toString(Qt::ISODate).toStdString();
        ++checked;
    }
    ucal_close(cal);
    EXPECT_GT(checked, 84000);
}

TEST(DateFormat, TypedDatesAreRead) {
    struct Case { const char *typed; QDate expected; } cases[] = {
        {"20020214", {2002, 2, 14}},
        {"2002/02/14", {2002, 2, 14}},
        {"2002/2/4", {2002, 2, 4}},
        {"2002-02-14", {2002, 2, 14}},
        {"2002年02月14日", {2002, 2, 14}},
        {"２００２／２／１４", {2002, 2, 14}},
        {"平成 14年02月14日", {2002, 2, 14}},
        {"平成14年2月14日", {2002, 2, 14}},
        {"H14/02/14", {2002, 2, 14}},
        {"h14.2.14", {2002, 2, 14}},
        {"令和元年5月1日", {2019, 5, 1}},
        {"R01/04/30", {}},          // before Reiwa began
        {"02/02/14", {2002, 2, 14}},
        {"99/12/31", {1999, 12, 31}},
        {"2002/02/30", {}},
        {"20021301", {}},
        {"abc", {}},
        {"", {}},
        {"平成0年1月1日", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseDateText(QString::fromUtf8(c.typed)), c.expected) << c.typed;
}

TEST(DateFormat, ValuesHeldByTheProgramReadAsDates) {
    EXPECT_EQ(ToDate(QVariant(QDate(2002, 2, 14))), QDate(2002, 2, 14));
    EXPECT_EQ(ToDate(QVariant(20020214)), QDate(2002, 2, 14));
    EXPECT_EQ(ToDate(QVariant(QStringLiteral("20020214"))), QDate(2002, 2, 14));
    EXPECT_EQ(ToDate(QVariant(QStringLiteral("2002/02/14"))), QDate(2002, 2, 14));
    EXPECT_EQ(ToDate(QVariant()), QDate());
    EXPECT_EQ(ToDate(QVariant(12)), QDate());
}

}  // namespace
