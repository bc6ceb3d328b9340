// Who has reported, through the model: the month's staff against its working
// days, on a data file and on the test server.
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/Reports.h"
#include "model/SubmissionStatus.h"
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

class SubmissionStatusTest : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!ready()) return;
    }
    void enter(const QDate &day, const QString &customer, const QString &staff) {
        ASSERT_TRUE(Reports::enter(session, Report{day, customer, QStringLiteral("よみ"), QStringLiteral("題"), staff,
                                                   QStringLiteral("メモ")})
                        .ok());
    }

};

TEST_P(SubmissionStatusTest, CountsEachStaffMembersReportsOnTheMonthsWorkingDays) {
    // No staff in the code table: an empty grid, no error.
    Error error;
    SubmissionStatus::Month empty = SubmissionStatus::read(session.dataDbPath, 2019, 5, &error);
    ASSERT_TRUE(error.ok()) << error.message().toStdString();
    EXPECT_TRUE(empty.staff.isEmpty());
    EXPECT_EQ(empty.days.size(), 19);

    ASSERT_TRUE(CodeTable::addName(session.dataDbPath, QStringLiteral("担当"), QStringLiteral("佐藤")).ok());
    ASSERT_TRUE(CodeTable::addName(session.dataDbPath, QStringLiteral("担当"), QStringLiteral("鈴木")).ok());
    enter(QDate(2019, 5, 7), QStringLiteral("甲商店"), QStringLiteral("佐藤"));
    enter(QDate(2019, 5, 7), QStringLiteral("乙商店"), QStringLiteral("佐藤"));
    enter(QDate(2019, 5, 31), QStringLiteral("甲商店"), QStringLiteral("鈴木"));
    enter(QDate(2019, 5, 1), QStringLiteral("甲商店"), QStringLiteral("鈴木"));   // a holiday
    enter(QDate(2019, 6, 3), QStringLiteral("甲商店"), QStringLiteral("鈴木"));   // next month
    enter(QDate(2019, 4, 30), QStringLiteral("甲商店"), QStringLiteral("佐藤"));  // last month
    // Someone who reported and left the code table since is still shown.
    enter(QDate(2019, 5, 8), QStringLiteral("丙商店"), QStringLiteral("高橋"));
    {
        auto db = dao::Database::open(session.dataDbPath);
        ASSERT_TRUE(db.execute(QStringLiteral("update コードマスタ set sname = Null where kcode = '担当' and sname = ?"),
                               {QStringLiteral("高橋")}));
    }

    SubmissionStatus::Month m = SubmissionStatus::read(session.dataDbPath, 2019, 5, &error);
    ASSERT_TRUE(error.ok()) << error.message().toStdString();
    EXPECT_EQ(m.staff, (QStringList{QStringLiteral("佐藤"), QStringLiteral("鈴木"), QStringLiteral("高橋")}));
    EXPECT_EQ(m.listedStaff, 2);
    ASSERT_EQ(m.days.size(), 19);
    EXPECT_EQ(m.days.first(), QDate(2019, 5, 7));
    struct Case { const char *staff; QDate day; int reports; } cases[] = {
        {"佐藤", {2019, 5, 7}, 2}, {"佐藤", {2019, 5, 8}, 0}, {"鈴木", {2019, 5, 31}, 1},
        {"鈴木", {2019, 5, 1}, 1}, {"鈴木", {2019, 6, 3}, 0}, {"佐藤", {2019, 4, 30}, 0},
        {"高橋", {2019, 5, 8}, 1},
    };
    for (const Case &c : cases) {
        const SubmissionStatus::Cell cell = m.cell(QString::fromUtf8(c.staff), c.day);
        EXPECT_EQ(cell.reports, c.reports) << c.staff << " " << c.day.toString(Qt::ISODate).toStdString();
        EXPECT_LE(cell.unconfirmed, cell.reports);
    }
    // 3 staff × 19 working days, minus the working days with a report.
    EXPECT_EQ(m.missing(), 3 * 19 - 3);
    EXPECT_EQ(m.cell(QStringLiteral("佐藤"), QDate(2019, 5, 7)).unconfirmed, 2);

    // A confirmed report leaves the unconfirmed ones; one changed after its
    // confirmation is unconfirmed again.
    const ReportKey first{QDate(2019, 5, 7), QStringLiteral("甲商店"), QStringLiteral("佐藤")};
    const ReportKey other{QDate(2019, 5, 31), QStringLiteral("甲商店"), QStringLiteral("鈴木")};
    for (const ReportKey &k : {first, other})
        ASSERT_TRUE(Confirmations::confirm(session, k, QStringLiteral("鈴木"), QString()).ok());
    m = SubmissionStatus::read(session.dataDbPath, 2019, 5, &error);
    ASSERT_TRUE(error.ok()) << error.message().toStdString();
    EXPECT_EQ(m.cell(QStringLiteral("佐藤"), QDate(2019, 5, 7)).unconfirmed, 1);
    EXPECT_EQ(m.cell(QStringLiteral("鈴木"), QDate(2019, 5, 31)).unconfirmed, 0);
    ASSERT_TRUE(Reports::enter(session, Report{first.day, first.customer, QStringLiteral("よみ"), QStringLiteral("題"),
                                               first.staff, QStringLiteral("書き直したメモ")})
                    .ok());
    m = SubmissionStatus::read(session.dataDbPath, 2019, 5, &error);
    EXPECT_EQ(m.cell(QStringLiteral("佐藤"), QDate(2019, 5, 7)).unconfirmed, 2);
    EXPECT_EQ(m.cell(QStringLiteral("佐藤"), QDate(2019, 5, 7)).reports, 2);
}

TEST_P(SubmissionStatusTest, AMonthThatIsNoMonthSaysSo) {
    Error error;
    const SubmissionStatus::Month m = SubmissionStatus::read(session.dataDbPath, 2024, 13, &error);
    EXPECT_EQ(error.code(), Error::Code::BadInput);
    EXPECT_TRUE(m.days.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, SubmissionStatusTest, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto &info) { return info.param == Engine::File ? "File" : "Server"; });

}  // namespace
}  // namespace tqen::model::test
