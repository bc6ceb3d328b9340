// Deleted reports kept and put back, on a data file and on the test server.
#include "model/DeletedReports.h"
#include "platform/dao/Dao.h"
#include "tests/support/BothEngines.h"

#include <gtest/gtest.h>

namespace tqen::model::test {
namespace {

using testing::Engine;

class DeletedReportsTest : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        path = session.dataDbPath;
    }
    void add(const QDate &day, const QString &customer, const QString &staff, const QString &title,
             const QString &memo = QString()) {
        auto db = dao::Database::open(path);
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当, メモ) values (") +
                               dao::sqlDate(day) + u',' + dao::sqlText(customer) + QStringLiteral(", 'よみ', ") +
                               dao::sqlText(title) + u',' + dao::sqlText(staff) + u',' +
                               (memo.isEmpty() ? QStringLiteral("null") : dao::sqlText(memo)) + u')'))
            << db.error().toStdString();
    }
    // Titles of the book, by day, customer and staff member.
    QStringList titles() {
        QStringList out;
        auto db = dao::Database::open(path);
        auto rs = db.openRecordset(QStringLiteral("select * from 営業日報 order by 日付, 顧客名, 担当"));
        for (; !rs.eof(); rs.moveNext()) out << rs.field(QStringLiteral("タイトル")).toString();
        return out;
    }
    qlonglong storeRows() {
        auto db = dao::Database::open(path);
        auto rs = db.openRecordset(QStringLiteral("select count(*) as n from 削除済み営業日報"));
        return rs.isOpen() ? rs.field(QStringLiteral("n")).toLongLong() : -1;
    }

    QString path;
    const QDate d1{2024, 5, 1}, d2{2024, 5, 2};
};

TEST_P(DeletedReportsTest, ABookFromBeforeTheTableHasNoDeletions) {
    Error e;
    EXPECT_TRUE(DeletedReports(path).list(&e).isEmpty());
    EXPECT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_FALSE(DeletedReports(path).last().has_value());
}

TEST_P(DeletedReportsTest, ADeletionIsKeptAndPutBackWithEveryField) {
    add(d1, QStringLiteral("甲'商店"), QStringLiteral("山田"), QStringLiteral("題1"), QStringLiteral("メモ\n二行"));
    add(d2, QStringLiteral("乙"), QStringLiteral("山田"), QStringLiteral("題2"));
    add(d2, QStringLiteral("乙"), QStringLiteral("佐藤"), QStringLiteral("残る"));
    const DeletedReports store(path);
    qlonglong removed = 0;
    ASSERT_TRUE(store.remove({{d1, QStringLiteral("甲'商店"), QStringLiteral("山田")}, {d2, QStringLiteral("乙"), QStringLiteral("山田")}},
                             QStringLiteral("二件"), &removed)
                    .ok());
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(titles(), QStringList{QStringLiteral("残る")});
    const auto last = store.last();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->what, QStringLiteral("二件"));
    EXPECT_EQ(last->reports, 2);
    EXPECT_EQ(last->first, d1);
    EXPECT_EQ(last->last, d2);

    DeletedReports::Restored r;
    ASSERT_TRUE(store.restore(last->id, DeletedReports::Conflicts::Ask, &r).ok());
    EXPECT_EQ(r.restored, 2);
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("題1"), QStringLiteral("残る"), QStringLiteral("題2")}));
    auto db = dao::Database::open(path);
    auto rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 日付 = ") + dao::sqlDate(d1));
    EXPECT_EQ(rs.field(QStringLiteral("メモ")), QVariant(QStringLiteral("メモ\n二行")));
    EXPECT_EQ(rs.field(QStringLiteral("ふりがな")), QVariant(QStringLiteral("よみ")));
    EXPECT_EQ(rs.field(QStringLiteral("顧客名")), QVariant(QStringLiteral("甲'商店")));
    EXPECT_TRUE(store.list().isEmpty());
    EXPECT_EQ(storeRows(), 0);
}

// A report registered again since the deletion is never overwritten unasked.
TEST_P(DeletedReportsTest, AReportRegisteredAgainIsAskedAbout) {
    const struct Case {
        DeletedReports::Conflicts how;
        QStringList book;        // titles afterwards
        qlonglong restored, left;
        qsizetype deletions;     // deletions listed afterwards
    } cases[] = {
        {DeletedReports::Conflicts::Ask, {QStringLiteral("新")}, 0, 0, 1},
        {DeletedReports::Conflicts::Replace, {QStringLiteral("旧"), QStringLiteral("別")}, 2, 0, 1},
        {DeletedReports::Conflicts::KeepCurrent, {QStringLiteral("新"), QStringLiteral("別")}, 1, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.how));
        {
            auto db = dao::Database::open(path);
            ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報")));
        }
        {
            auto db = dao::Database::open(path);
            QString why;
            if (dao::hasTable(db, DeletedReports::Table, &why).value_or(false))
                ASSERT_TRUE(db.execute(QStringLiteral("delete * from 削除済み営業日報")));
        }
        add(d1, QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("旧"));
        add(d2, QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("別"));
        const DeletedReports store(path);
        ASSERT_TRUE(store.remove({{d1, QStringLiteral("甲"), QStringLiteral("山田")}, {d2, QStringLiteral("甲"), QStringLiteral("山田")}},
                                 QStringLiteral("消す"))
                        .ok());
        add(d1, QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("新"));
        const qlonglong id = store.last()->id;
        DeletedReports::Restored r;
        ASSERT_TRUE(store.restore(id, c.how, &r).ok());
        EXPECT_EQ(titles(), c.book);
        EXPECT_EQ(r.restored, c.restored);
        EXPECT_EQ(r.left, c.left);
        if (c.how == DeletedReports::Conflicts::Ask) {
            ASSERT_EQ(r.conflicting.size(), 1);
            EXPECT_EQ(r.conflicting[0], (ReportKey{d1, QStringLiteral("甲"), QStringLiteral("山田")}));
        }
        // Nothing is lost: what was replaced or left is a deletion to put back.
        const auto all = store.list();
        ASSERT_EQ(all.size(), c.deletions);
        if (c.how == DeletedReports::Conflicts::Replace) {
            EXPECT_EQ(all[0].what, QStringLiteral("元に戻したときに置き換えた営業日報"));
            EXPECT_EQ(all[0].reports, 1);
        }
        if (c.how == DeletedReports::Conflicts::KeepCurrent) {
            EXPECT_EQ(all[0].id, id);
            EXPECT_EQ(all[0].reports, 1);
        }
    }
}

TEST_P(DeletedReportsTest, DeletionsOlderThanThirtyDaysGoAtTheNextWrite) {
    add(d1, QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("古い"));
    add(d2, QStringLiteral("乙"), QStringLiteral("山田"), QStringLiteral("新しい"));
    const QDateTime then(QDate(2024, 6, 1), QTime(9, 0));
    ASSERT_TRUE(DeletedReports(path, then).remove({{d1, QStringLiteral("甲"), QStringLiteral("山田")}}, QStringLiteral("古")).ok());
    const QDateTime later = then.addDays(DeletedReports::KeepDays).addSecs(60);
    EXPECT_TRUE(DeletedReports(path, later).list().isEmpty());   // past the days kept: not offered
    EXPECT_EQ(DeletedReports(path, then.addDays(29)).list().size(), 1);
    ASSERT_TRUE(DeletedReports(path, later).remove({{d2, QStringLiteral("乙"), QStringLiteral("山田")}}, QStringLiteral("新")).ok());
    EXPECT_EQ(storeRows(), 1);   // the old one went with this write
}

TEST_P(DeletedReportsTest, DeletingEveryReportKeepsThemAsOneDeletion) {
    add(d1, QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("a"));
    add(d2, QStringLiteral("乙"), QStringLiteral("佐藤"), QStringLiteral("b"));
    {
        auto db = dao::Database::open(path);
        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(DeletedReports(path).removeAllIn(db, QStringLiteral("すべての営業日報")).ok());
        ASSERT_TRUE(db.commitTrans());
    }
    EXPECT_TRUE(titles().isEmpty());
    const auto last = DeletedReports(path).last();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->reports, 2);
    DeletedReports::Restored r;
    ASSERT_TRUE(DeletedReports(path).restore(last->id, DeletedReports::Conflicts::Ask, &r).ok());
    EXPECT_EQ(titles(), (QStringList{"a", "b"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, DeletedReportsTest, ::testing::Values(Engine::File, Engine::Server),
                         testing::engineName);

}  // namespace
}  // namespace tqen::model::test
