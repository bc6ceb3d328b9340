// The indexes the history, the list and the figures read are made on their
// first use, on a data file and on the test server alike.
#include "model/CustomerHistory.h"
#include "model/MonthFigures.h"
#include "model/ReportList.h"
#include "platform/dao/Dao.h"
#include "tests/support/BothEngines.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>

namespace tqen::model::test {
namespace {

using testing::Engine;

class AddedIndexes : public testing::BothEngines {
protected:
    // The index's definition as the database keeps it, quotes left out; empty
    // when there is none.
    QString definition(const QString &index) {
        QString sql;
        if (server) {
            sql = server->value(QStringLiteral("select coalesce(max(indexdef), '') from pg_indexes where "
                                               "schemaname = current_schema() and indexname = '%1'")
                                    .arg(index));
        } else {
            auto db = dao::Database::open(session.dataDbPath);
            auto rs = db.openRecordset(QStringLiteral("select sql from sqlite_master where type = 'index' and name = ?"), {index});
            sql = rs.eof() ? QString() : rs.field(QStringLiteral("sql")).toString();
        }
        return sql.remove(u'"');
    }
};

TEST_P(AddedIndexes, TheHistoryListAndFiguresMakeTheirIndexesOnFirstUse) {
    if (!ready()) return;
    const struct {
        const dao::AddedIndex &index;
        const char *columns;
    } indexes[] = {
        {CustomerHistory::historyIndex(), "(顧客名, 日付 DESC)"},
        {ReportList::listIndex(), "(日付 DESC, ふりがな, 顧客名, タイトル, 担当)"},
    };
    for (const auto &i : indexes) EXPECT_EQ(definition(i.index.name), QString()) << i.columns;

    Error e;
    CustomerHistory::read(session.dataDbPath, QStringLiteral("甲"), &e);
    ASSERT_TRUE(e.ok()) << e.detail().toStdString();
    ASSERT_TRUE(ReportList::read(session.workDbPath, session.dataDbPath, QDate(2024, 1, 1), QDate(2024, 12, 31), {}, {}).ok());
    MonthFigures::reportsPerStaff(session.dataDbPath, QDate(2024, 1, 1), QDate(2024, 12, 31), &e);
    ASSERT_TRUE(e.ok()) << e.detail().toStdString();
    for (const auto &i : indexes) {
        const QString made = definition(i.index.name);
        EXPECT_TRUE(made.contains(QString::fromUtf8(i.columns))) << made.toStdString();
        EXPECT_TRUE(made.contains(QStringLiteral("営業日報"))) << made.toStdString();
    }
    EXPECT_TRUE(definition(QStringLiteral("営業日報_集計")).contains(QStringLiteral("(日付, 担当, 顧客名)")));

    // Asked again, each is there already; an index of a table the database
    // lacks is not made, and neither is a failure.
    auto db = dao::Database::open(session.dataDbPath);
    for (const auto &i : indexes) EXPECT_TRUE(dao::ensureIndex(db, i.index).ok());
    const dao::AddedIndex stray{QStringLiteral("無い表"), QStringLiteral("無い表_索引"), {QStringLiteral("日付")}, {}};
    const Error none = dao::ensureIndex(db, stray);
    EXPECT_TRUE(none.ok()) << none.detail().toStdString();
    EXPECT_EQ(definition(stray.name), QString());
}

// Inside a transaction that is rolled back, the index goes with it.
TEST_P(AddedIndexes, AnIndexMadeInATransactionThatIsRolledBackIsGone) {
    if (!ready()) return;
    auto db = dao::Database::open(session.dataDbPath);
    ASSERT_TRUE(db.beginTrans());
    ASSERT_TRUE(dao::ensureIndex(db, CustomerHistory::historyIndex()).ok());
    db.rollback();
    db.close();
    EXPECT_EQ(definition(CustomerHistory::historyIndex().name), QString());
}

INSTANTIATE_TEST_SUITE_P(Engines, AddedIndexes, ::testing::Values(Engine::File, Engine::Server), testing::engineName);

}  // namespace
}  // namespace tqen::model::test
