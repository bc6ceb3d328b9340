// Safety snapshots: taken consistently, kept ten deep, put back whole.
#include "backup/Snapshots.h"
#include "tests/maintenance/MaintenanceFixture.h"

#include <thread>

using backup::Snapshots;

namespace {

class SnapshotTest : public tqen::testing::MaintenanceFixture {};

TEST_F(SnapshotTest, PuttingASnapshotBackRestoresEveryRow) {
    addRandomReports(data(), 40, QStringLiteral("kept"), 5);
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    const auto before = rows(data(), QStringLiteral("select * from 営業日報 order by メモ"));
    Snapshots snaps = Snapshots::inDataFolder(session.dataFolder);
    ASSERT_TRUE(snaps.take(data(), QStringLiteral("すべてのデータの削除")).ok());
    onData(QStringLiteral("delete * from 営業日報"));
    onData(QStringLiteral("delete * from 顧客マスタ"));

    const auto list = snaps.list();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].operation, QStringLiteral("すべてのデータの削除"));
    EXPECT_EQ(list[0].reports, 40);
    EXPECT_EQ(list[0].customers, 1);
    EXPECT_TRUE(Snapshots::describe(list[0]).contains(QStringLiteral("営業日報 40 件")));
    ASSERT_TRUE(snaps.putBack(list[0]).ok());
    EXPECT_EQ(rows(data(), QStringLiteral("select * from 営業日報 order by メモ")), before);
    EXPECT_EQ(count(data(), QStringLiteral("顧客マスタ")), 1);
    // Putting back took a fresh snapshot of the emptied file first.
    const auto after = snaps.list();
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[0].operation, QStringLiteral("元に戻す前"));
    EXPECT_EQ(after[0].reports, 0);
}

TEST_F(SnapshotTest, ASnapshotHoldsOnlyCommittedRowsWhileAWriterIsBusy) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    auto writer = dao::Database::open(data());
    ASSERT_TRUE(writer.beginTrans());
    ASSERT_TRUE(writer.execute(QStringLiteral("delete * from 営業日報")));
    // The writer holds its lock until it ends; the backup waits for it.
    std::thread finish([&] {
        QThread::msleep(200);
        writer.rollback();
    });
    Snapshots snaps = Snapshots::inDataFolder(session.dataFolder);
    const Error e = snaps.take(data(), QStringLiteral("test"));
    finish.join();
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_EQ(count(snaps.list()[0].path, QStringLiteral("営業日報")), 1);
}

TEST_F(SnapshotTest, OnlyTheNewestTenAreKept) {
    Snapshots snaps = Snapshots::inDataFolder(session.dataFolder);
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(snaps.take(data(), QStringLiteral("op %1").arg(i)).ok());
    const auto list = snaps.list();
    ASSERT_EQ(list.size(), Snapshots::Keep);
    EXPECT_EQ(list.first().operation, QStringLiteral("op 11"));
    EXPECT_EQ(list.last().operation, QStringLiteral("op 2"));
    EXPECT_EQ(files::fileNames(session.dataFolder + QStringLiteral("snapshots")).size(), 2 * Snapshots::Keep);
}

TEST_F(SnapshotTest, FailedSnapshotIsAnError) {
    EXPECT_FALSE(Snapshots::inDataFolder(session.dataFolder).take(app + QStringLiteral("/data/none.mdb"), QStringLiteral("x")).ok());
    EXPECT_TRUE(Snapshots::inDataFolder(session.dataFolder).list().isEmpty());
}

}  // namespace
