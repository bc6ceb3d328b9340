// Reports through the model: reading a day, registering with what goes
// along with it, and the counts the calendar marks — on a data file and on
// the test server, without forms.
#include "model/CodeTable.h"
#include "model/Customers.h"
#include "model/Reports.h"
#include "platform/dao/Dao.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/BothEngines.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <memory>

namespace tqen::model::test {
namespace {

using testing::Engine;

class ReportsTest : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!ready()) return;
    }
    QList<QVariantList> rows(const QString &sql, const QStringList &fields) {
        QList<QVariantList> out;
        auto db = dao::Database::open(session.dataDbPath);
        auto rs = db.openRecordset(sql);
        EXPECT_TRUE(rs.isOpen()) << rs.error().toStdString();
        for (; !rs.eof(); rs.moveNext()) {
            QVariantList row;
            for (const QString &f : fields) row << rs.field(f);
            out << row;
        }
        return out;
    }
    Report report(const QDate &day, const QString &customer, const QString &staff, const QString &memo) {
        return Report{day, customer, QStringLiteral("よみ"), QStringLiteral("題"), staff, memo};
    }

};

TEST_P(ReportsTest, ARegistrationWritesTheReportItsCustomerAndItsStaffMemberTogether) {
    Reports::Notes notes;
    const QDate day(2024, 5, 1);
    ASSERT_TRUE(Reports::enter(session, report(day, QStringLiteral("甲'商店"), QStringLiteral("新人"), QStringLiteral("一回目")), &notes).ok());
    EXPECT_TRUE(notes.codeName.ok()) << notes.codeName.message().toStdString();
    EXPECT_EQ(rows(QStringLiteral("select * from 営業日報"), {QStringLiteral("顧客名"), QStringLiteral("担当"), QStringLiteral("メモ")}),
              (QList<QVariantList>{{QStringLiteral("甲'商店"), QStringLiteral("新人"), QStringLiteral("一回目")}}));
    EXPECT_EQ(rows(QStringLiteral("select * from 顧客マスタ"), {QStringLiteral("名称"), QStringLiteral("担当")}),
              (QList<QVariantList>{{QStringLiteral("甲'商店"), QStringLiteral("新人")}}));
    EXPECT_TRUE(CodeTable::names(session.dataDbPath, QStringLiteral("担当")).contains(QStringLiteral("新人")));

    // Again with an empty memo: the same row, its memo kept, the staff name
    // already in its slot.
    ASSERT_TRUE(Reports::enter(session, report(day, QStringLiteral("甲'商店"), QStringLiteral("新人"), QString()), &notes).ok());
    EXPECT_EQ(notes.codeName.code(), Error::Code::AlreadyPresent);
    EXPECT_EQ(rows(QStringLiteral("select * from 営業日報"), {QStringLiteral("メモ")}),
              (QList<QVariantList>{{QStringLiteral("一回目")}}));
    EXPECT_EQ(CodeTable::names(session.dataDbPath, QStringLiteral("担当")).count(QStringLiteral("新人")), 1);

    const auto read = Reports::read(session.dataDbPath, day, QString(), QStringLiteral("新人"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->customer, QStringLiteral("甲'商店"));
    EXPECT_EQ(read->memo, QStringLiteral("一回目"));
    EXPECT_FALSE(Reports::read(session.dataDbPath, day, QString(), QStringLiteral("他人")).has_value());
}

TEST_P(ReportsTest, TheCountsOfAPeriodFollowTheStaffAndCustomerChosen) {
    // Two days outside the period, on either side.
    const struct { QDate day; const char *customer, *staff; } entered[] = {
        {{2024, 4, 30}, "甲", "山田"}, {{2024, 5, 1}, "甲", "山田"}, {{2024, 5, 1}, "乙", "山田"}, {{2024, 5, 1}, "甲", "佐藤"},
        {{2024, 5, 15}, "乙", "佐藤"}, {{2024, 5, 31}, "甲", "山田"}, {{2024, 6, 1}, "丙", "山田"},
    };
    for (const auto &e : entered)
        ASSERT_TRUE(Reports::enter(session, report(e.day, QString::fromUtf8(e.customer), QString::fromUtf8(e.staff), QStringLiteral("m"))).ok());
    const QDate first(2024, 5, 1), last(2024, 5, 31);
    const struct { QString staff, customer; QMap<QDate, int> counts; } cases[] = {
        {{}, {}, {{first, 3}, {QDate(2024, 5, 15), 1}, {last, 1}}},
        {QStringLiteral("山田"), {}, {{first, 2}, {last, 1}}},
        {{}, QStringLiteral("乙"), {{first, 1}, {QDate(2024, 5, 15), 1}}},
        {QStringLiteral("佐藤"), QStringLiteral("甲"), {{first, 1}}},
        {QStringLiteral("誰も"), {}, {}},
    };
    for (const auto &c : cases) {
        Error e;
        EXPECT_EQ(Reports::countsByDay(session.dataDbPath, first, last, c.staff, c.customer, &e), c.counts)
            << c.staff.toStdString() << "/" << c.customer.toStdString();
        EXPECT_TRUE(e.ok());
    }
}

// A registration opens each file once and commits once per file: the
// report, its customer and its staff member's slot in the data file, the
// remembered settings in the work file.
TEST_P(ReportsTest, ARegistrationOpensEachFileOnceAndCommitsOncePerFile) {
    session.env.present = true;
    for (const QString &memo : {QStringLiteral("新しい日報"), QStringLiteral("書き直し")}) {
        dao::resetStatistics();
        ASSERT_TRUE(Reports::enter(session, report(QDate(2024, 5, 1), QStringLiteral("甲"), QStringLiteral("新人"), memo)).ok());
        const dao::Statistics stats = dao::statistics();
        EXPECT_EQ(stats.opensOf.value(session.dataDbPath), 1) << memo.toStdString();
        EXPECT_EQ(stats.commitsOf.value(session.dataDbPath), 1) << memo.toStdString();
        EXPECT_EQ(stats.opensOf.value(session.workDbPath), 1) << memo.toStdString();
        EXPECT_EQ(stats.commitsOf.value(session.workDbPath), 1) << memo.toStdString();
        EXPECT_EQ(stats.opens, 2);
        EXPECT_EQ(stats.commits, 2);
    }
    EXPECT_EQ(session.env.担当, QStringLiteral("新人"));
}

INSTANTIATE_TEST_SUITE_P(Engines, ReportsTest, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto &info) { return info.param == Engine::File ? "File" : "Server"; });

// A failure of any write of a registration leaves the data file as it was:
// no report without its customer, no customer without its report.
TEST(ReportsOnAFile, AFailedWriteOfTheCustomerOrStaffSlotWritesNothing) {
    const struct { const char *name, *trigger; } cases[] = {
        {"customer", "create trigger refuse before insert on 顧客マスタ begin select raise(abort, 'refused'); end"},
        {"staff slot", "create trigger refuse before update on コードマスタ begin select raise(abort, 'refused'); end"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        Session session;
        session.dataDbPath = testing::copyDeliveredFile(dir, QStringLiteral("TqenData.mdb"));
        session.workDbPath = testing::copyDeliveredFile(dir, QStringLiteral("TqenWork.mdb"));
        session.env.present = true;
        sqlite3 *raw = nullptr;
        ASSERT_EQ(sqlite3_open(session.dataDbPath.toUtf8().constData(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw, c.trigger, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);

        const Error e = Reports::enter(session, Report{QDate(2024, 5, 1), QStringLiteral("甲"), QString(), QString(), QStringLiteral("新人"), QStringLiteral("m")});
        EXPECT_EQ(e.code(), Error::Code::DatabaseFailed);
        EXPECT_EQ(e.text(), QStringLiteral("営業日報を登録できませんでした。入力した内容はそのまま残っています。"));
        EXPECT_TRUE(e.detail().contains(QStringLiteral("refused"))) << e.detail().toStdString();
        EXPECT_TRUE(Reports::countsByDay(session.dataDbPath, QDate(2000, 1, 1), QDate(2099, 12, 31), {}, {}).isEmpty());
        EXPECT_TRUE(Customers::names(session.dataDbPath, QString()).isEmpty());
        EXPECT_FALSE(CodeTable::names(session.dataDbPath, QStringLiteral("担当")).contains(QStringLiteral("新人")));
        // Nothing registered, nothing remembered.
        EXPECT_TRUE(session.env.担当.isEmpty());
    }
}

}  // namespace
}  // namespace tqen::model::test
