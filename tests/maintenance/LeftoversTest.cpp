// What a killed run leaves behind: the folder backup, both restores, a bulk
// deletion and an import are each killed at twenty moments; the next start
// (the next import for an import) leaves no temporary of those runs, and a
// snapshot whose note was lost is still described by its content.
#include "app/TqenMain.h"
#include "model/BackupSettings.h"
#include "core/WindowsDataImport.h"
#include "maintenance/FddBackup.h"
#include "maintenance/FolderBackup.h"
#include "backup/Archive.h"
#include "backup/FolderArchives.h"
#include "backup/Snapshots.h"
#include "platform/files/Temporaries.h"
#include "platform/mdbreader/MdbReader.h"
#include "tests/maintenance/MaintenanceFixture.h"
#include "tests/support/FolderTest.h"
#include "tests/support/jet/JetFixture.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>

#include <csignal>
#include <cstdio>

using maintenance::FolderBackup;

namespace {

class Leftovers : public tqen::testing::MaintenanceFixture {
protected:
    void SetUp() override {
        MaintenanceFixture::SetUp();
        // The children's staging folders go to a temporary folder of the test.
        tmpdir = std::make_unique<tqen::testing::ScopedEnv>("TMPDIR", tmp.filePath(QStringLiteral("tmp")).toUtf8());
        QDir().mkpath(tmp.filePath(QStringLiteral("tmp")));
    }
    void TearDown() override {
        tmpdir.reset();
        MaintenanceFixture::TearDown();
    }
    // Every name below the test's folder that a run made as a temporary or
    // as a fixed work file of a restore.
    QStringList orphans() const {
        QStringList out;
        for (QDirIterator it(tmp.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            const QString name = it.fileName();
            if (files::isTemporaryName(name) || name == QStringLiteral("tqen-folder-restore.lzh") ||
                name == QStringLiteral("tqen-restore.tmp") || name.endsWith(QStringLiteral(".part")) ||
                name.startsWith(QStringLiteral(".tqen-lha-")))
                out << path;
        }
        return out;
    }
    // Runs the step whole once to learn how long it takes, then kills it at
    // twenty moments within that time; returns the orphans the kills left.
    int killTwentyTimes(const QStringList &step, const std::function<void()> &before = {}) {
        const QString child = qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/tqen_restore_child");
        const QStringList args = QStringList{session.dataFolder, qEnvironmentVariable("TQEN_DRIVES")} + step;
        if (before) before();
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(QProcess::execute(child, args), 0) << step.join(u' ').toStdString();
        const qint64 whole = std::max<qint64>(clock.elapsed(), 20);
        QRandomGenerator rng(26);
        for (int run = 0; run < 20; ++run) {
            if (before) before();
            EXPECT_TRUE(killChildAfter(args, rng.bounded(quint32(whole))));
        }
        return int(orphans().size());
    }
    // The next start of the program.
    void start() {
        TqenMain main(app);
        main.Form_Load();
    }
    void report(const char *what, int left, int afterStart) {
        std::printf("[ figures  ] %s killed 20 times: %d orphans before the next start, %d after\n", what, left, afterStart);
        RecordProperty(what, afterStart);
    }
    std::unique_ptr<tqen::testing::ScopedEnv> tmpdir;
};

TEST_F(Leftovers, KilledBackupsRestoresAndDeletionsLeaveNothingAfterTheNextStart) {
    addRandomReports(data(), 900, QStringLiteral("old"), 5);  // one floppy disk
    const QString usb = tmp.filePath(QStringLiteral("usb"));
    QDir().mkpath(usb);
    QString archive;
    ASSERT_TRUE(backup::FolderArchives::backup(data(), usb, 100, QDateTime(QDate(2024, 1, 1), QTime(9, 0)), &archive).ok());
    // A one-disk floppy set of the same data.
    const QString set = disk(QStringLiteral("set"));
    operatorWithDisks({set});
    ASSERT_TRUE(maintenance::FddBackup(session.dataFolder, QStringLiteral("A:"), nullptr).FDDBuckUp().ok());
    insert(set);
    // The folder the dated backups go to, as the folder tab stores it.
    BackupSettings settings;
    settings.Folder = usb;
    ASSERT_TRUE(settings.write(work()).ok());
    const QByteArray current = bytes(data());
    const auto sameData = [&] { writeBytes(data(), current); };

    const struct {
        const char *what;
        QStringList step;
    } steps[] = {
        {"folder backup", {QStringLiteral("folder-backup"), usb}},
        {"folder restore", {QStringLiteral("folder-restore"), archive}},
        {"floppy restore", {QStringLiteral("floppy-restore")}},
        {"bulk deletion", {QStringLiteral("deletion")}},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.what);
        const int left = killTwentyTimes(s.step, sameData);
        start();
        const QStringList after = orphans();
        EXPECT_TRUE(after.isEmpty()) << after.join(u'\n').toStdString();
        report(s.what, left, int(after.size()));
        // The data file still opens after every kill.
        EXPECT_TRUE(dao::checkDatabase(data(), backup::dataTables()).ok());
    }
}

TEST_F(Leftovers, KilledImportsLeaveNothingAfterTheNextImport) {
    if (!mdbreader::readingAvailable()) GTEST_SKIP() << "SKIPPED: built without mdbtools (libmdb)";
    const QString source = drive + QStringLiteral("/旧/Tqendata.mdb");
    QDir().mkpath(drive + QStringLiteral("/旧"));
    writeBytes(source, tqen::testing::jetfile::jet4File(
                           {tqen::testing::jetfile::manyReports(3000)}));
    const auto noConverted = [&] {
        for (const QString &name : QDir(drive + QStringLiteral("/旧")).entryList(QDir::Files))
            if (name.contains(QStringLiteral("-converted"))) QFile::remove(drive + QStringLiteral("/旧/") + name);
    };
    const int left = killTwentyTimes({QStringLiteral("import"), source}, noConverted);
    noConverted();
    ImportSummary summary;
    ASSERT_TRUE(ImportWindowsDataFile(source, &summary).ok());
    const QStringList after = orphans();
    EXPECT_TRUE(after.isEmpty()) << after.join(u'\n').toStdString();
    report("import", left, int(after.size()));
}

TEST_F(Leftovers, ASnapshotWhoseNoteWasLostIsDescribedByItsContent) {
    addRandomReports(data(), 7, QStringLiteral("x"), 1);
    ASSERT_TRUE(backup::Snapshots::inDataFolder(session.dataFolder).take(data(), QStringLiteral("一括削除")).ok());
    const auto taken = backup::Snapshots::inDataFolder(session.dataFolder).list();
    ASSERT_EQ(taken.size(), 1);
    ASSERT_TRUE(QFile::remove(taken[0].path.chopped(3) + QStringLiteral(".txt")));
    const auto listed = backup::Snapshots::inDataFolder(session.dataFolder).list();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0].reports, 7);
    EXPECT_EQ(listed[0].customers, 0);
    const QString line = backup::Snapshots::describe(listed[0]);
    EXPECT_TRUE(line.contains(QStringLiteral("操作の記録なし"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("営業日報 7 件"))) << line.toStdString();
}

}  // namespace
