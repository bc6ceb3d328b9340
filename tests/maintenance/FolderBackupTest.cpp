// The backup to a folder: its settings (also in a work file from before
// them), dated archives, keeping the newest N, the daily backup at start-up,
// the restore by the safe path, and the form's tab driven as a person does.
#include "backup/FolderArchives.h"
#include "backup/Snapshots.h"
#include "maintenance/FolderBackup.h"
#include "maintenance/FrmHosyu.h"
#include "model/BackupSettings.h"
#include "model/ReportSearch.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/TextBox.h"
#include "platform/unlha/Unlha.h"
#include "tests/maintenance/MaintenanceFixture.h"
#include "tests/support/Child.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

using tqen::maintenance::FolderBackup;

namespace {

class FolderBackupTest : public tqen::testing::MaintenanceFixture {
protected:
    void SetUp() override {
        MaintenanceFixture::SetUp();
        target = tmp.filePath(QStringLiteral("usb"));
        QDir().mkpath(target);
    }
    void TearDown() override {
        delete form.data();
        MaintenanceFixture::TearDown();
    }
    void touch(const QString &name) { writeBytes(target + u'/' + name, "x"); }
    QString target;
    QPointer<FrmHosyu> form;
};

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 7, 30));

TEST_F(FolderBackupTest, SettingsOfAnOlderWorkFileAreTheDefaultsAndTheFirstWriteAddsTheirTable) {
    onWork(QStringLiteral("drop table バックアップ設定"));
    Error error;
    BackupSettings s = BackupSettings::read(work(), &error);
    EXPECT_TRUE(error.ok()) << error.message().toStdString();
    EXPECT_TRUE(s.Folder.isEmpty());
    EXPECT_EQ(s.Keep, 10);
    EXPECT_FALSE(s.Daily);
    EXPECT_FALSE(s.LastBackup.isValid());

    s.Folder = QStringLiteral("/media/usb/控え's");
    s.Keep = 3;
    s.Daily = true;
    s.LastBackup = kNoon;
    ASSERT_TRUE(s.write(work()).ok());
    ASSERT_TRUE(s.write(work()).ok());  // replaces, never a second row
    EXPECT_EQ(rows(work(), QStringLiteral("select * from バックアップ設定")).size(), 1);
    const BackupSettings back = BackupSettings::read(work());
    EXPECT_EQ(back.Folder, s.Folder);
    EXPECT_EQ(back.Keep, 3);
    EXPECT_TRUE(back.Daily);
    EXPECT_EQ(back.LastBackup, kNoon.addMSecs(-kNoon.time().msec()));
    // 管理 is untouched by these settings.
    EXPECT_EQ(rows(work(), QStringLiteral("select * from 管理")).value(0).value(QStringLiteral("年号")).toString(),
              QStringLiteral("西暦"));
}

TEST_F(FolderBackupTest, DailyBackupIsDueOnlyWhenOnWithAFolderAndADayOld) {
    struct Case {
        bool daily;
        QString folder;
        QDateTime last;
        bool due;
    } cases[] = {
        {false, QStringLiteral("/f"), {}, false},
        {true, QString(), {}, false},
        {true, QStringLiteral("/f"), {}, true},
        {true, QStringLiteral("/f"), kNoon.addSecs(-23 * 3600), false},
        {true, QStringLiteral("/f"), kNoon.addSecs(-24 * 3600), true},
        {true, QStringLiteral("/f"), kNoon.addDays(3), true},  // clock set back
    };
    for (const Case &c : cases) {
        BackupSettings s;
        s.Daily = c.daily;
        s.Folder = c.folder;
        s.LastBackup = c.last;
        EXPECT_EQ(s.dailyDue(kNoon), c.due) << c.daily << ' ' << c.folder.toStdString() << ' '
                                            << c.last.toString().toStdString();
    }
}

TEST_F(FolderBackupTest, ArchiveIsNamedByTimeHoldsTheDataAndOnlyTheNewestStay) {
    EXPECT_EQ(backup::FolderArchives::archiveName(kNoon), QStringLiteral("TqenData-20240305-1207.lzh"));
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
    // Older archives of ours, and files that are not ours and must stay.
    for (int day = 1; day <= 4; ++day) touch(QStringLiteral("TqenData-202402%1-0900.lzh").arg(day, 2, 10, QChar(u'0')));
    for (const char *other : {"TqenData-2024.lzh", "notes.txt", "XTqenData-20000101-0000.lzh"}) touch(QString::fromLatin1(other));

    QString written;
    ASSERT_TRUE(backup::FolderArchives::backup(data(), target, 3, kNoon, &written).ok());
    EXPECT_EQ(written, target + QStringLiteral("/TqenData-20240305-1207.lzh"));
    EXPECT_EQ(backup::FolderArchives::archivesIn(target),
              QStringList({QStringLiteral("TqenData-20240305-1207.lzh"), QStringLiteral("TqenData-20240204-0900.lzh"),
                           QStringLiteral("TqenData-20240203-0900.lzh")}));
    for (const char *other : {"TqenData-2024.lzh", "notes.txt", "XTqenData-20000101-0000.lzh"})
        EXPECT_TRUE(files::fileExists(target + u'/' + QString::fromLatin1(other))) << other;

    // The member is a sound data file with the row.
    const QString out = tmp.filePath(QStringLiteral("out/"));
    const auto r = unlha::runUnlha((QStringLiteral("x \"") + written + QStringLiteral("\" \"") + out + u'"').toStdString());
    ASSERT_EQ(r.code, 0) << r.report;
    EXPECT_EQ(count(out + QStringLiteral("Tqendata.mdb"), QStringLiteral("顧客マスタ")), 1);
}

// The search index is derived from the reports: the archive leaves it out,
// so it is as large as one of a file without the index, and the restored
// file gets it back, finding what the original found.
TEST_F(FolderBackupTest, TheArchiveLeavesTheSearchIndexOutAndTheRestoredFileMakesItAgain) {
    addRandomReports(data(), 200, QStringLiteral("見積の打合せ"), 3);
    ASSERT_TRUE(model::buildSearchIndex(data()).ok());
    model::SearchResult before;
    ASSERT_TRUE(model::searchReports(data(), model::SearchRequest{QStringLiteral("見積の"), {}, {}, 500}, &before).ok());
    ASSERT_EQ(before.hits.size(), 200);

    QString withIndex;
    ASSERT_TRUE(backup::FolderArchives::backup(data(), target, 10, kNoon, &withIndex).ok());
    const QString bare = tmp.filePath(QStringLiteral("bare.mdb"));
    ASSERT_TRUE(dao::backupTo(data(), bare).ok());
    ASSERT_TRUE(model::dropSearchIndex(bare).ok());
    const QString bareFolder = tmp.filePath(QStringLiteral("bare"));
    QDir().mkpath(bareFolder);
    QString withoutIndex;
    ASSERT_TRUE(backup::FolderArchives::backup(bare, bareFolder, 10, kNoon, &withoutIndex).ok());
    // The same within a few bytes of the files' headers (the index of these
    // memos would add hundreds of kilobytes).
    EXPECT_LT(QFileInfo(withIndex).size(), QFileInfo(withoutIndex).size() + 256);

    ASSERT_TRUE(FolderBackup::restore(session, withIndex, nullptr).ok());
    EXPECT_FALSE(model::hasSearchIndex(data()));
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 200);
    ASSERT_TRUE(model::buildSearchIndex(data()).ok());
    model::SearchResult after;
    ASSERT_TRUE(model::searchReports(data(), model::SearchRequest{QStringLiteral("見積の"), {}, {}, 500}, &after).ok());
    EXPECT_EQ(after.method, model::SearchMethod::Trigram);
    EXPECT_EQ(after.hits.size(), 200);
}

TEST_F(FolderBackupTest, AMissingFolderOrDataFileFailsAndWritesNothing) {
    EXPECT_EQ(backup::FolderArchives::backup(data(), tmp.filePath(QStringLiteral("gone")), 10, kNoon).code(), Error::Code::NotFound);
    EXPECT_EQ(backup::FolderArchives::backup(tmp.filePath(QStringLiteral("none.mdb")), target, 10, kNoon).code(),
              Error::Code::NotFound);
    EXPECT_TRUE(files::fileNames(target).isEmpty());
}

TEST_F(FolderBackupTest, RestorePutsTheArchivedDataBackAfterASnapshot) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
    QString written;
    ASSERT_TRUE(backup::FolderArchives::backup(data(), target, 10, kNoon, &written).ok());
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"));
    ASSERT_EQ(count(data(), QStringLiteral("顧客マスタ")), 2);

    ASSERT_TRUE(FolderBackup::restore(session, written, nullptr).ok());
    EXPECT_EQ(count(data(), QStringLiteral("顧客マスタ")), 1);
    const auto snaps = backup::Snapshots::inDataFolder(session.dataFolder).list();
    ASSERT_EQ(snaps.size(), 1);
    EXPECT_EQ(snaps[0].customers, 2);
    EXPECT_FALSE(files::fileExists(session.dataFolder + QStringLiteral("tqen-folder-restore.lzh")));
    EXPECT_TRUE(temporariesIn(session.dataFolder).isEmpty()) << temporariesIn(session.dataFolder).join(u' ').toStdString();
}

// A data file that is a symbolic link to a file elsewhere stays the link: the
// restore writes the file it names, and leaves no work file there.
TEST_F(FolderBackupTest, RestoreWritesThroughASymlinkedDataFile) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
    QString written;
    ASSERT_TRUE(backup::FolderArchives::backup(data(), target, 10, kNoon, &written).ok());
    const QString elsewhere = tmp.filePath(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere);
    const QString real = elsewhere + QStringLiteral("/TqenData.mdb");
    ASSERT_TRUE(QFile::rename(data(), real));
    ASSERT_TRUE(QFile::link(real, data()));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"));
    ASSERT_EQ(count(real, QStringLiteral("顧客マスタ")), 2);

    ASSERT_TRUE(FolderBackup::restore(session, written, nullptr).ok());
    EXPECT_TRUE(QFileInfo(data()).isSymLink());
    EXPECT_EQ(QFileInfo(data()).symLinkTarget(), real);
    EXPECT_EQ(count(real, QStringLiteral("顧客マスタ")), 1);
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("TqenData.mdb")});
}

TEST_F(FolderBackupTest, RestoreFromADamagedOrForeignArchiveLeavesTheDataAsItWas) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
    QString written;
    ASSERT_TRUE(backup::FolderArchives::backup(data(), target, 10, kNoon, &written).ok());
    QByteArray damaged = bytes(written);
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x5a);
    writeBytes(written, damaged);
    // An archive whose member is no data database.
    const QString foreignFolder = tmp.filePath(QStringLiteral("foreign/"));
    QDir().mkpath(foreignFolder);
    writeBytes(foreignFolder + QStringLiteral("Tqendata.mdb"), QByteArray(5000, 'z'));
    const QString foreign = target + QStringLiteral("/TqenData-20240101-0000.lzh");
    ASSERT_EQ(unlha::runUnlha((QStringLiteral("a \"") + foreign + QStringLiteral("\" \"") + foreignFolder +
                               QStringLiteral("\" Tqendata.mdb")).toStdString()).code, 0);
    const QByteArray before = bytes(data());
    for (const QString &archive : {written, foreign, target + QStringLiteral("/missing.lzh")}) {
        EXPECT_FALSE(FolderBackup::restore(session, archive, nullptr).ok()) << archive.toStdString();
        EXPECT_EQ(bytes(data()), before) << archive.toStdString();
        EXPECT_TRUE(temporariesIn(session.dataFolder).isEmpty()) << temporariesIn(session.dataFolder).join(u' ').toStdString();
    }
}

TEST_F(FolderBackupTest, AtStartBacksUpOnceADayAndRecordsTheTime) {
    BackupSettings s;
    s.Folder = target;
    s.Daily = true;
    ASSERT_TRUE(s.write(work()).ok());
    ASSERT_TRUE(FolderBackup::atStart(session, nullptr, kNoon).ok());
    EXPECT_EQ(backup::FolderArchives::archivesIn(target), QStringList{backup::FolderArchives::archiveName(kNoon)});
    EXPECT_EQ(BackupSettings::read(work()).LastBackup, kNoon.addMSecs(-kNoon.time().msec()));
    // Two hours later nothing is due; a day later it is.
    ASSERT_TRUE(FolderBackup::atStart(session, nullptr, kNoon.addSecs(7200)).ok());
    EXPECT_EQ(backup::FolderArchives::archivesIn(target).size(), 1);
    ASSERT_TRUE(FolderBackup::atStart(session, nullptr, kNoon.addDays(1)).ok());
    EXPECT_EQ(backup::FolderArchives::archivesIn(target).size(), 2);

    // A folder that has gone skips the backup with a line, and the program
    // goes on.
    s = BackupSettings::read(work());
    s.Folder = tmp.filePath(QStringLiteral("unplugged"));
    ASSERT_TRUE(s.write(work()).ok());
    EXPECT_FALSE(FolderBackup::atStart(session, nullptr, kNoon.addDays(3)).ok());
    EXPECT_TRUE(op.showed(QStringLiteral("毎日のバックアップは行いませんでした。")));
    EXPECT_EQ(BackupSettings::read(work()).LastBackup, kNoon.addDays(1).addMSecs(-kNoon.time().msec()));
}

// A USB stick that is not plugged in leaves an empty mount point (listed in
// the file-system table): neither the button nor the daily backup writes
// onto the system disk below it, and neither says it saved.
TEST_F(FolderBackupTest, AnUnpluggedSticksMountPointIsNoBackupFolder) {
    const QString fstab = tmp.filePath(QStringLiteral("fstab"));
    writeBytes(fstab, ("/dev/sdb1 " + target.toUtf8() + " vfat noauto,user 0 0\n"));
    qputenv("TQEN_FSTAB", fstab.toUtf8());
    QDir().mkpath(target + QStringLiteral("/backups"));
    for (const QString &folder : {target, target + QStringLiteral("/backups")}) {
        const Error e = backup::FolderArchives::backup(data(), folder, 10, kNoon);
        EXPECT_EQ(e.code(), Error::Code::NotFound) << folder.toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("つながっていません"))) << e.message().toStdString();
    }
    BackupSettings s;
    s.Folder = target + QStringLiteral("/backups");
    s.Daily = true;
    ASSERT_TRUE(s.write(work()).ok());
    EXPECT_FALSE(FolderBackup::atStart(session, nullptr, kNoon).ok());
    EXPECT_TRUE(op.showed(QStringLiteral("毎日のバックアップは行いませんでした。")));
    EXPECT_FALSE(BackupSettings::read(work()).LastBackup.isValid());

    form = new FrmHosyu(session);
    form->Form_Load();
    child<forms::TextBox>(form, QStringLiteral("txt保存先"))->setText(target);
    child<QPushButton>(form, QStringLiteral("cmdフォルダ保存"))->click();
    EXPECT_FALSE(op.showed(QStringLiteral("保存が終了しました。")));
    EXPECT_TRUE(op.showed(QStringLiteral("つながっていません"))) << op.prompts().join(u'\n').toStdString();
    qunsetenv("TQEN_FSTAB");
    EXPECT_TRUE(files::fileNames(target).isEmpty());
    EXPECT_TRUE(files::fileNames(target + QStringLiteral("/backups")).isEmpty());
}

TEST_F(FolderBackupTest, TheFolderTabSavesSettingsBacksUpAndRestores) {
    form = new FrmHosyu(session);
    form->Form_Load();
    EXPECT_TRUE(forms::accessibilityProblems(form).isEmpty()) << forms::accessibilityProblems(form).join(u'\n').toStdString();
    EXPECT_EQ(child<QSpinBox>(form, QStringLiteral("spn保存数"))->value(), 10);
    child<forms::TextBox>(form, QStringLiteral("txt保存先"))->setText(target);
    child<QSpinBox>(form, QStringLiteral("spn保存数"))->setValue(2);
    child<QCheckBox>(form, QStringLiteral("chk毎日"))->setChecked(true);
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));

    child<QPushButton>(form, QStringLiteral("cmdフォルダ保存"))->click();
    ASSERT_TRUE(op.showed(QStringLiteral("保存が終了しました。"))) << op.prompts().join(u'\n').toStdString();
    const QStringList made = backup::FolderArchives::archivesIn(target);
    ASSERT_EQ(made.size(), 1);
    const BackupSettings stored = BackupSettings::read(work());
    EXPECT_EQ(stored.Folder, target);
    EXPECT_EQ(stored.Keep, 2);
    EXPECT_TRUE(stored.Daily);
    EXPECT_TRUE(stored.LastBackup.isValid());

    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"));
    op.choose(target + u'/' + made[0]);
    op.answer(mb::IdYes);
    child<QPushButton>(form, QStringLiteral("cmdフォルダ読込"))->click();
    EXPECT_TRUE(op.showed(QStringLiteral("読込が終了しました。"))) << op.prompts().join(u'\n').toStdString();
    EXPECT_EQ(count(data(), QStringLiteral("顧客マスタ")), 1);
    if (qEnvironmentVariableIsSet("TQEN_SCREENSHOTS")) {
        child<QTabWidget>(form, QStringLiteral("SSTab"))->setCurrentIndex(2);
        form->grab().save(qEnvironmentVariable("TQEN_SCREENSHOTS") + QStringLiteral("/folder-tab.png"));
    }
}

}  // namespace
