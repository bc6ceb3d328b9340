// A customer's history and the figures of a period, through the model, on a
// data file and on the test server.
#include "model/Confirmations.h"
#include "model/CustomerHistory.h"
#include "model/MonthFigures.h"
#include "model/NextSteps.h"
#include "model/Reports.h"
#include "platform/dao/Dao.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/BothEngines.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

namespace tqen::model::test {
namespace {

using testing::Engine;

class OverviewTest : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!ready()) return;
    }
    void enter(const QDate &day, const char *customer, const char *staff, const char *title = "題") {
        ASSERT_TRUE(Reports::enter(session, Report{day, QString::fromUtf8(customer), QStringLiteral("よみ"),
                                                   QString::fromUtf8(title), QString::fromUtf8(staff),
                                                   QStringLiteral("メモ")})
                        .ok());
    }
    void exec(const QString &sql, const QVariantList &values) {
        auto db = dao::Database::open(session.dataDbPath);
        ASSERT_TRUE(db.execute(sql, values)) << db.error().toStdString();
    }

};

TEST_P(OverviewTest, AHistoryHoldsEveryReportOfItsCustomerNewestFirstAcrossStaff) {
    enter({2024, 5, 1}, "甲", "山田", "初回");
    enter({2024, 6, 3}, "甲", "佐藤", "二回目");
    enter({2024, 6, 3}, "甲", "山田", "同じ日");
    enter({2024, 6, 4}, "乙", "山田");
    enter({2023, 1, 9}, "甲", "鈴木", "昔");

    Error e;
    const CustomerHistory::History h = CustomerHistory::read(session.dataDbPath, QStringLiteral("甲"), &e);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_TRUE(h.inCustomerList);
    QStringList seen;
    for (const auto &r : h.rows) seen << r.day.toString(Qt::ISODate) + u' ' + r.staff + u' ' + r.title;
    EXPECT_EQ(seen, (QStringList{QStringLiteral("2024-06-03 佐藤 二回目"), QStringLiteral("2024-06-03 山田 同じ日"),
                                 QStringLiteral("2024-05-01 山田 初回"), QStringLiteral("2023-01-09 鈴木 昔")}));
    const QList<QStringList> csv = CustomerHistory::csvRecords(h);
    ASSERT_EQ(csv.size(), 5);
    EXPECT_EQ(csv[1], (QStringList{QStringLiteral("2024/06/03"), QStringLiteral("甲"), QStringLiteral("よみ"),
                                   QStringLiteral("佐藤"), QStringLiteral("二回目"), QStringLiteral("メモ"), QStringLiteral("未確認")}));
    EXPECT_TRUE(CustomerHistory::read(session.dataDbPath, QString(), &e).rows.isEmpty());
    EXPECT_TRUE(e.ok());
}

// The reports keep the name they were written under: after a rename in the
// customer list the new name's history is empty but known, the old name's
// still holds the reports and is no longer in the list.
TEST_P(OverviewTest, ARenamedCustomersReportsStayUnderTheNameTheyWereWrittenUnder) {
    enter({2024, 5, 1}, "旧商店", "山田");
    exec(QStringLiteral("update 顧客マスタ set 名称 = ? where 名称 = ?"), {QStringLiteral("新商店"), QStringLiteral("旧商店")});
    const auto renamed = CustomerHistory::read(session.dataDbPath, QStringLiteral("新商店"));
    EXPECT_TRUE(renamed.rows.isEmpty());
    EXPECT_TRUE(renamed.inCustomerList);
    const auto old = CustomerHistory::read(session.dataDbPath, QStringLiteral("旧商店"));
    EXPECT_EQ(old.rows.size(), 1);
    EXPECT_FALSE(old.inCustomerList);

    const auto visits = MonthFigures::visitsPerCustomer(session.dataDbPath, {2024, 1, 1}, {2024, 12, 31});
    ASSERT_EQ(visits.size(), 1);
    EXPECT_EQ(visits[0].customer, QStringLiteral("旧商店"));
    EXPECT_FALSE(visits[0].inCustomerList);
}

TEST_P(OverviewTest, ReportsPerStaffAreCountedByMonthWithinThePeriod) {
    enter({2024, 4, 30}, "甲", "山田");   // before the period
    enter({2024, 5, 1}, "甲", "山田");
    enter({2024, 5, 1}, "乙", "山田");
    enter({2024, 5, 31}, "甲", "佐藤");
    enter({2024, 7, 15}, "甲", "山田");
    enter({2024, 7, 16}, "丙", "山田");   // after the period
    exec(QStringLiteral("update 営業日報 set 担当 = Null where 顧客名 = ?"), {QStringLiteral("乙")});

    Error e;
    const auto f = MonthFigures::reportsPerStaff(session.dataDbPath, {2024, 5, 1}, {2024, 7, 15}, &e);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_EQ(f.months, (QList<QDate>{{2024, 5, 1}, {2024, 6, 1}, {2024, 7, 1}}));
    ASSERT_EQ(f.lines.size(), 3);
    const struct { QString staff; QList<int> counts; int total; } expected[] = {
        {QString(), {1, 0, 0}, 1},
        {QStringLiteral("佐藤"), {1, 0, 0}, 1},
        {QStringLiteral("山田"), {1, 0, 1}, 2},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.lines[i].staff, expected[i].staff) << i;
        EXPECT_EQ(f.lines[i].counts, expected[i].counts) << i;
        EXPECT_EQ(f.lines[i].total, expected[i].total) << i;
    }
    EXPECT_EQ(MonthFigures::csvRecords(f).first(),
              (QStringList{QStringLiteral("担当"), QStringLiteral("2024/05"), QStringLiteral("2024/06"),
                           QStringLiteral("2024/07"), QStringLiteral("合計")}));
    // No reports: the months, no lines.
    const auto empty = MonthFigures::reportsPerStaff(session.dataDbPath, {2020, 1, 1}, {2020, 2, 10}, &e);
    EXPECT_TRUE(e.ok());
    EXPECT_EQ(empty.months.size(), 2);
    EXPECT_TRUE(empty.lines.isEmpty());
}

TEST_P(OverviewTest, AVisitIsADayWithAReportWhoeverWroteIt) {
    enter({2024, 5, 1}, "甲", "山田");
    enter({2024, 5, 1}, "甲", "佐藤");
    enter({2024, 5, 2}, "甲", "山田");
    enter({2024, 5, 2}, "乙", "山田");
    enter({2024, 6, 1}, "乙", "山田");   // after the period
    const auto v = MonthFigures::visitsPerCustomer(session.dataDbPath, {2024, 5, 1}, {2024, 5, 31});
    ASSERT_EQ(v.size(), 2);
    EXPECT_EQ(v[0].customer, QStringLiteral("甲"));
    EXPECT_EQ(v[0].days, 2);
    EXPECT_EQ(v[0].reports, 3);
    EXPECT_TRUE(v[0].inCustomerList);
    EXPECT_EQ(v[1].customer, QStringLiteral("乙"));
    EXPECT_EQ(v[1].days, 1);
}

TEST_P(OverviewTest, DormantCustomersAreThoseNotVisitedForTheDaysChosenOrNever) {
    enter({2024, 5, 1}, "甲", "山田");
    enter({2024, 3, 1}, "乙", "山田");
    enter({2024, 6, 20}, "乙", "山田");   // after the day counted from: not seen
    enter({2024, 5, 20}, "丙", "山田");
    exec(QStringLiteral("insert into 顧客マスタ (名称, ふりがな) values (?, ?)"), {QStringLiteral("丁"), QStringLiteral("てい")});
    const QDate asOf(2024, 5, 31);
    const struct { int days; QStringList customers; } cases[] = {
        {0, {QStringLiteral("丁"), QStringLiteral("乙"), QStringLiteral("甲"), QStringLiteral("丙")}},
        {11, {QStringLiteral("丁"), QStringLiteral("乙"), QStringLiteral("甲")}},
        {30, {QStringLiteral("丁"), QStringLiteral("乙")}},   // 甲: exactly 30 days
        {1000, {QStringLiteral("丁")}},
    };
    for (const auto &c : cases) {
        Error e;
        QStringList got;
        for (const auto &d : MonthFigures::dormantCustomers(session.dataDbPath, asOf, c.days, &e)) got << d.customer;
        EXPECT_TRUE(e.ok()) << e.message().toStdString();
        EXPECT_EQ(got, c.customers) << c.days;
    }
    const auto d = MonthFigures::dormantCustomers(session.dataDbPath, asOf, 30);
    ASSERT_EQ(d.size(), 2);
    EXPECT_FALSE(d[0].lastReport.isValid());
    EXPECT_EQ(d[0].daysSince, -1);
    EXPECT_EQ(d[1].lastReport, QDate(2024, 3, 1));
    EXPECT_EQ(d[1].daysSince, 91);
}

TEST_P(OverviewTest, TheHistoryShowsEachReportsConfirmationAndTheFiguresTheOverdueSteps) {
    enter({2024, 5, 1}, "甲", "山田");
    enter({2024, 5, 2}, "甲", "佐藤");
    // Before any confirmation the file has no table of them: all unconfirmed.
    auto h = CustomerHistory::read(session.dataDbPath, QStringLiteral("甲"));
    EXPECT_EQ(h.rows.value(0).confirmation, QStringLiteral("未確認"));
    ASSERT_TRUE(Confirmations::confirm(session, {{2024, 5, 1}, QStringLiteral("甲"), QStringLiteral("山田")},
                                       QStringLiteral("佐藤"), QString())
                    .ok());
    h = CustomerHistory::read(session.dataDbPath, QStringLiteral("甲"));
    ASSERT_EQ(h.rows.size(), 2);
    EXPECT_EQ(h.rows[0].confirmation, QStringLiteral("未確認"));
    EXPECT_EQ(h.rows[1].confirmation, QStringLiteral("確認済"));

    // Steps: two of 山田 overdue on 6/1 (one planned that very day is not),
    // one of 佐藤 closed by a later report.
    const auto plan = [&](const QDate &day, const char *customer, const char *staff, const QDate &next) {
        ASSERT_TRUE(Reports::enter(session, Report{day, QString::fromUtf8(customer), QStringLiteral("よみ"),
                                                   QStringLiteral("題"), QString::fromUtf8(staff), QStringLiteral("m")},
                                   nullptr, PlannedStep{next, QStringLiteral("次")})
                        .ok());
    };
    plan({2024, 5, 10}, "乙", "山田", {2024, 5, 20});
    plan({2024, 5, 12}, "丙", "山田", {2024, 5, 25});
    plan({2024, 5, 13}, "丁", "山田", {2024, 6, 1});
    plan({2024, 5, 14}, "乙", "佐藤", {2024, 5, 15});
    enter({2024, 5, 16}, "乙", "佐藤");
    Error e;
    const auto overdue = MonthFigures::overdueSteps(session.dataDbPath, {2024, 6, 1}, &e);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    ASSERT_EQ(overdue.size(), 1);
    EXPECT_EQ(overdue[0].staff, QStringLiteral("山田"));
    EXPECT_EQ(overdue[0].steps, 2);
    EXPECT_EQ(overdue[0].oldestPlanned, QDate(2024, 5, 20));
    EXPECT_EQ(overdue[0].firstReport, QDate(2024, 5, 10));
    EXPECT_EQ(overdue[0].lastReport, QDate(2024, 5, 12));
}

INSTANTIATE_TEST_SUITE_P(Engines, OverviewTest, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto &info) { return info.param == Engine::File ? "File" : "Server"; });

TEST(MonthFiguresPeriod, APeriodIsRefusedWhenItCannotBeCounted) {
    const struct { QDate first, last; bool ok; } cases[] = {
        {{2024, 1, 1}, {2024, 12, 31}, true},
        {{2015, 1, 1}, {2024, 12, 31}, true},     // ten years
        {{2014, 12, 31}, {2024, 12, 31}, false},  // a day more
        {{1925, 1, 1}, {2024, 12, 31}, false},    // a hundred years
        {{2024, 2, 1}, {2024, 1, 31}, false},
        {{}, {2024, 1, 31}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MonthFigures::checkPeriod(c.first, c.last).isEmpty(), c.ok) << c.first.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(MonthFigures::checkPeriod({1925, 1, 1}, {2024, 12, 31}), QStringLiteral("集計する期間は 10 年以内にしてください。"));
}

}  // namespace
}  // namespace tqen::model::test
