// The floppy set: backup over several disks, restore, and every way a disk
// can be wrong, missing, full or taken away half-way.
#include "backup/Archive.h"
#include "maintenance/FddBackup.h"
#include "model/ReportSearch.h"
#include "platform/mdbreader/MdbReader.h"
#include "platform/unlha/Unlha.h"
#include "tests/maintenance/MaintenanceFixture.h"
#include "tests/platform/unlha/ZeroBomb.h"
#include "tests/support/Tmpfs.h"
#include "tests/support/jet/JetFixture.h"

#include <QElapsedTimer>
#include <thread>
#include <QProcess>

#include <csignal>

using maintenance::FddBackup;

namespace {

const QString kDone = QStringLiteral("保存が終了しました。");
const QString kRead = QStringLiteral("読込が終了しました。");

class Floppy : public tqen::testing::MaintenanceFixture {
protected:
    QString dataFile() const { return session.dataFolder + QStringLiteral("TqenData.mdb"); }
    Error backup() { return FddBackup(session.dataFolder, QStringLiteral("A:"), nullptr).FDDBuckUp(); }
    Error restore() { return FddBackup(session.dataFolder, QStringLiteral("A:"), nullptr).RestoreTQ(); }
    QStringList filesOn(const QString &folder) { return files::fileNames(folder); }

    // Makes a data file whose archive is exactly `size` bytes: random bytes
    // are stored unpacked, so the archive is the file plus its header.
    void dataFileWithArchiveOf(qint64 size) {
        QRandomGenerator rng(7);
        const QString archive = session.dataFolder + QStringLiteral("probe.lzh");
        qint64 fileSize = size - 200;
        for (int attempt = 0; attempt < 4; ++attempt) {
            QByteArray b(fileSize, Qt::Uninitialized);
            rng.fillRange(reinterpret_cast<quint32 *>(b.data()), b.size() / 4);
            writeBytes(dataFile(), b);
            ASSERT_TRUE(FddBackup(session.dataFolder, QStringLiteral("A:"), nullptr).CreateLzhFile(session.dataFolder, QStringLiteral("Tqendata.mdb"), QStringLiteral("probe.lzh")));
            const qint64 got = QFileInfo(archive).size();
            if (got == size) return;
            fileSize += size - got;
        }
        FAIL() << "could not make an archive of " << size << " bytes";
    }
    // A 1-disk set of the data file as it is now, on a new disk.
    QString oneDiskSet(const QString &name) {
        const QString d = disk(name);
        operatorWithDisks({d});
        EXPECT_TRUE(backup().ok());
        op.shown.clear();
        return d;
    }
};

TEST_F(Floppy, RoundTripOverThreeDisksRestoresTheArchivedCopyByteForByte) {
    addRandomReports(data(), 3000, QStringLiteral("new"), 1);
    ASSERT_TRUE(model::buildSearchIndex(data()).ok());
    // The set holds a consistent copy of the file without its search index.
    const QString copy = tmp.filePath(QStringLiteral("expected.mdb"));
    ASSERT_TRUE(dao::backupTo(data(), copy).ok());
    ASSERT_TRUE(model::dropSearchIndex(copy).ok());
    const QByteArray backedUp = bytes(copy);
    const QStringList disks = {disk("1"), disk("2"), disk("3")};
    writeBytes(disks[1] + QStringLiteral("/old file.txt"), "left from last year");
    operatorWithDisks(disks);
    ASSERT_TRUE(backup().ok());
    EXPECT_EQ(op.shown.last().prompt, kDone);
    EXPECT_TRUE(op.showed(QStringLiteral("3 枚のフロッピーディスクを準備してださい。")));
    EXPECT_EQ(filesOn(disks[0]), QStringList({QStringLiteral("Tqectl"), QStringLiteral("tqe_d001")}));
    // What the disk held besides a backup set stays.
    EXPECT_EQ(filesOn(disks[1]), QStringList({QStringLiteral("old file.txt"), QStringLiteral("tqe_d002")}));
    EXPECT_EQ(bytes(disks[1] + QStringLiteral("/old file.txt")), "left from last year");
    EXPECT_EQ(filesOn(disks[2]), QStringList({QStringLiteral("tqe_d003")}));
    EXPECT_EQ(bytes(disks[0] + QStringLiteral("/Tqectl")), QByteArray("TqeFddNum = 3"));
    EXPECT_EQ(QFileInfo(disks[0] + QStringLiteral("/tqe_d001")).size(), 1440000);
    EXPECT_EQ(QFileInfo(disks[1] + QStringLiteral("/tqe_d002")).size(), 1440000);
    // The archive and control file are gone from the data folder; pieces stay.
    EXPECT_FALSE(files::fileExists(session.dataFolder + QStringLiteral("tqedata.lzh")));
    EXPECT_FALSE(files::fileExists(session.dataFolder + QStringLiteral("Tqectl")));
    EXPECT_TRUE(files::fileExists(session.dataFolder + QStringLiteral("tqe_d003")));

    onData(QStringLiteral("delete * from 営業日報"));
    op.shown.clear();
    ASSERT_TRUE(restore().ok());
    EXPECT_EQ(op.prompts().first(), QStringLiteral("TqEn営業日報をバックアップしたフロッピーディスクの「1」をセットしてださい。"));
    EXPECT_TRUE(op.showed(QStringLiteral("フロッピーディスクは 3 枚です。よろしいですか。")));
    EXPECT_TRUE(op.showed(QStringLiteral("3/ 3枚目のフロッピーディスクをセットしてください。")));
    EXPECT_EQ(op.shown.last().prompt, kRead);
    EXPECT_TRUE(bytes(data()) == backedUp);
    EXPECT_FALSE(model::hasSearchIndex(data()));
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 3000);
    EXPECT_FALSE(files::fileExists(session.dataFolder + QStringLiteral("tqedata.lzh")));
}

TEST_F(Floppy, BackupOntoTheHomeFolderRemovesOnlyTheFilesOfAnEarlierSet) {
    // C: is the user's home folder: a backup there replaces an earlier set
    // and leaves every other file as it was.
    const QMap<QString, QByteArray> others = {
        {QStringLiteral(".bashrc"), "alias ll='ls -l'\n"},
        {QStringLiteral(".pgpass"), "server:5432:tqen:tqen:secret\n"},
        {QStringLiteral("見積書.txt"), "documents"},
        {QStringLiteral("tqe_d01"), "two digits: not a piece"},
        {QStringLiteral("tqe_d0012"), "four digits: not a piece"},
        {QStringLiteral("tqedata.lzh.bak"), "a copy the user made"},
        {QStringLiteral("Tqectl.txt"), "not the control file"},
    };
    for (auto it = others.begin(); it != others.end(); ++it) writeBytes(drive + u'/' + it.key(), it.value());
    for (const char *old : {"TQE_D002", "tqe_d117", "TQECTL"}) writeBytes(drive + u'/' + QString::fromLatin1(old), "an older set");
    QDir().mkpath(drive + QStringLiteral("/Documents"));
    writeBytes(drive + QStringLiteral("/Documents/tqe_d001"), "inside a folder");
    op.onBox = [](const QString &) { return mb::IdOK; };
    ASSERT_TRUE(FddBackup(session.dataFolder, QStringLiteral("C:"), nullptr).FDDBuckUp().ok());
    EXPECT_EQ(op.shown.last().prompt, kDone);
    QStringList expected = others.keys();
    expected << QStringLiteral("Tqectl") << QStringLiteral("tqedata.lzh");
    expected.sort();
    QStringList got = filesOn(drive);
    got.sort();
    EXPECT_EQ(got, expected);
    for (auto it = others.begin(); it != others.end(); ++it) EXPECT_EQ(bytes(drive + u'/' + it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(bytes(drive + QStringLiteral("/Documents/tqe_d001")), "inside a folder");
    EXPECT_EQ(bytes(drive + QStringLiteral("/Tqectl")), "TqeFddNum = 1");
}

// A drive the drive table does not name can never hold a disk: both the
// backup and the restore say where to name its folder and with what line,
// while a named drive without a disk keeps the plain message.
TEST_F(Floppy, ADriveThatMapsToNoFolderSaysHowToMapIt) {
    const QString noDisk = QStringLiteral("フロッピーディスクがセットされていません。確認してください。");
    const QString conf = qEnvironmentVariable("TQEN_DRIVES");
    const struct Case {
        const char *drive;
        bool mapped;
        bool restore;
    } cases[] = {{"D:", false, false}, {"D:", false, true}, {"G:", false, false}, {"A:", true, false}, {"A:", true, true}};
    insert(QString());   // A: names a folder with no disk in it
    for (const Case &c : cases) {
        const QString drive = QString::fromLatin1(c.drive);
        SCOPED_TRACE(c.drive + std::string(c.restore ? " restore" : " backup"));
        op.shown.clear();
        op.onBox = [&](const QString &prompt) { return prompt.startsWith(noDisk) ? int(mb::IdCancel) : int(mb::IdOK); };
        FddBackup set(session.dataFolder, drive, nullptr);
        EXPECT_EQ((c.restore ? set.RestoreTQ() : set.FDDBuckUp()).code(), Error::Code::Cancelled);
        const QStringList asked = op.prompts().filter(noDisk);
        ASSERT_EQ(asked.size(), 1) << op.prompts().join(u'|').toStdString();
        if (c.mapped) {
            EXPECT_EQ(asked[0], noDisk);
        } else {
            EXPECT_TRUE(asked[0].contains(conf)) << asked[0].toStdString();
            EXPECT_TRUE(asked[0].contains(drive.left(1) + QStringLiteral("=/media/floppy"))) << asked[0].toStdString();
        }
    }
}

TEST_F(Floppy, PiecesSplitAtDiskCapacity) {
    struct Case {
        qint64 archive;
        QList<qint64> pieces;   // empty: one disk holding the whole archive
    };
    const Case cases[] = {{1440000, {}}, {1440001, {1440000, 1}}, {2880000, {1440000, 1440000}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.archive);
        dataFileWithArchiveOf(c.archive);
        const QString probe = session.dataFolder + QStringLiteral("probe.lzh");
        const QByteArray archive = bytes(probe);
        files::removeFile(probe);
        for (int i = 1; i <= 3; ++i) files::removeFile(session.dataFolder + FddBackup::pieceName(i));
        const QStringList disks = {disk(QStringLiteral("p%1a").arg(c.archive)), disk(QStringLiteral("p%1b").arg(c.archive))};
        operatorWithDisks(disks);
        ASSERT_TRUE(backup().ok());
        const int n = c.pieces.isEmpty() ? 1 : int(c.pieces.size());
        EXPECT_EQ(bytes(disks[0] + QStringLiteral("/Tqectl")), "TqeFddNum = " + QByteArray::number(n));
        if (c.pieces.isEmpty()) {
            EXPECT_EQ(filesOn(disks[0]), QStringList({QStringLiteral("Tqectl"), QStringLiteral("tqedata.lzh")}));
            EXPECT_EQ(QFileInfo(disks[0] + QStringLiteral("/tqedata.lzh")).size(), c.archive);
            continue;
        }
        QByteArray joined;
        for (int i = 1; i <= n; ++i) {
            const QString piece = disks[i - 1] + u'/' + FddBackup::pieceName(i);
            EXPECT_EQ(QFileInfo(piece).size(), c.pieces[i - 1]);
            joined += bytes(piece);
        }
        // Headers carry the time of packing; the data after them is the same.
        EXPECT_EQ(joined.size(), archive.size());
        EXPECT_EQ(joined.right(c.archive - 100), archive.right(c.archive - 100));
    }
}

TEST_F(Floppy, BackupStopsAtEachCancelAndWhenNoDiskIsGiven) {
    struct Case {
        const char *cancelAt;   // prompt text where the operator presses Cancel
        bool insertDisk;
    };
    const Case cases[] = {
        {"枚のフロッピーディスクを準備してださい。", true},
        {"1/ 1枚目のフロッピーディスクをセットしてください。", true},
        {"フロッピーディスクがセットされていません。確認してください。", false},
    };
    const QStringList dataFolderBefore = filesOn(session.dataFolder);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cancelAt);
        const QString d = disk(QString::fromUtf8(c.cancelAt).left(8));
        op.shown.clear();
        op.onBox = [&](const QString &prompt) {
            if (prompt.contains(QString::fromUtf8(c.cancelAt))) return int(mb::IdCancel);
            if (prompt.contains(QStringLiteral("セットしてください"))) insert(c.insertDisk ? d : QString());
            return int(mb::IdOK);
        };
        EXPECT_EQ(backup().code(), Error::Code::Cancelled);
        EXPECT_FALSE(op.showed(kDone));
        EXPECT_TRUE(filesOn(d).isEmpty());
        // The work files of the set do not stay in the data folder.
        EXPECT_EQ(filesOn(session.dataFolder), dataFolderBefore);
    }
    // No disk at first, then the disk: the backup asks again and goes on.
    const QString d = disk(QStringLiteral("late"));
    int asked = 0;
    op.shown.clear();
    op.onBox = [&](const QString &prompt) {
        if (prompt.contains(QStringLiteral("セットしてください"))) insert(asked++ ? d : QString());
        return int(mb::IdOK);
    };
    ASSERT_TRUE(backup().ok());
    EXPECT_TRUE(op.showed(QStringLiteral("フロッピーディスクがセットされていません。確認してください。")));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(filesOn(d), QStringList({QStringLiteral("Tqectl"), QStringLiteral("tqedata.lzh")}));
    EXPECT_EQ(filesOn(session.dataFolder), dataFolderBefore);
}

using Mount = tqen::testing::Tmpfs;

TEST_F(Floppy, WriteProtectedDiskIsReported) {
    const QString d = disk(QStringLiteral("protected"));
    Mount m(d, "size=2m");
    if (!m.ok()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root): write-protected disk not tested";
    m.remountReadOnly();
    op.onBox = [&](const QString &prompt) {
        if (prompt.contains(QStringLiteral("書き込み可能ではありません"))) return int(mb::IdCancel);
        if (prompt.contains(QStringLiteral("セットしてください"))) insert(d);
        return int(mb::IdOK);
    };
    EXPECT_EQ(backup().code(), Error::Code::Cancelled);
    EXPECT_TRUE(op.showed(QStringLiteral("フロッピーディスクが書き込み可能ではありません。確認してください。")));
    EXPECT_FALSE(op.showed(kDone));
}

TEST_F(Floppy, FullDiskStopsTheBackupWithAnError) {
    addRandomReports(data(), 700, QStringLiteral("new"), 3);
    const QString d = disk(QStringLiteral("small"));
    Mount m(d, "size=512k");
    if (!m.ok()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): full disk not tested";
    operatorWithDisks({d});
    const Error e = backup();
    EXPECT_EQ(e.code(), Error::Code::FileFailed);
    EXPECT_FALSE(op.showed(kDone));
    EXPECT_EQ(op.shown.last().style & 0xF0, mb::Critical);
    EXPECT_TRUE(op.shown.last().prompt.contains(QStringLiteral("保存を中止します"))) << op.shown.last().prompt.toStdString();
    // No half-written file is left on the disk under the real name.
    EXPECT_FALSE(files::fileExists(d + QStringLiteral("/tqedata.lzh")));
}

// Every way a restore can go wrong leaves the data file exactly as it was.
TEST_F(Floppy, RestoreFaultsKeepTheDataFile) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("backed up"));
    const QString one = oneDiskSet(QStringLiteral("set"));
    const QByteArray archive = bytes(one + QStringLiteral("/tqedata.lzh"));
    // A two-disk set made by hand from the same archive.
    const QString d1 = disk(QStringLiteral("two-1")), d2 = disk(QStringLiteral("two-2"));
    writeBytes(d1 + QStringLiteral("/Tqectl"), "TqeFddNum = 2");
    writeBytes(d1 + QStringLiteral("/tqe_d001"), archive.left(archive.size() / 2));
    writeBytes(d2 + QStringLiteral("/tqe_d002"), archive.mid(archive.size() / 2));
    // A damaged archive, and an archive whose data file is no database.
    const QString damaged = disk(QStringLiteral("damaged"));
    writeBytes(damaged + QStringLiteral("/Tqectl"), "TqeFddNum = 1");
    QByteArray broken = archive;
    for (int i = 200; i < 260; ++i) broken[broken.size() - i] = char(~broken[broken.size() - i]);
    writeBytes(damaged + QStringLiteral("/tqedata.lzh"), broken);
    const QString foreign = disk(QStringLiteral("foreign"));
    {
        const QString src = tmp.filePath(QStringLiteral("src/"));
        QDir().mkpath(src);
        writeBytes(src + QStringLiteral("Tqendata.mdb"), "a memo, not a database");
        ASSERT_EQ(unlha::runUnlha(("a \"" + foreign + "/tqedata.lzh\" \"" + src + "\" \"" + src + "Tqendata.mdb\"").toStdString()).code, 0);
        writeBytes(foreign + QStringLiteral("/Tqectl"), "TqeFddNum = 1");
    }
    const QString empty = disk(QStringLiteral("empty"));

    onData(QStringLiteral("delete * from 営業日報"));
    addReport(QDate(2002, 3, 1), QStringLiteral("青木工業"), QStringLiteral("鈴木"), QStringLiteral("current"));
    const QByteArray current = bytes(data());
    const QStringList dataFolderBefore = filesOn(session.dataFolder);

    struct Case {
        const char *what;
        QStringList disks;            // put in at the first prompt, then for disk 1, 2, …
        const char *cancelAt;         // "" = never cancel
        const char *mustShow;
    };
    const Case cases[] = {
        {"cancel at the first prompt", {one, one}, "「1」をセットしてださい", ""},
        {"no disk", {QString(), QString()}, "セットされていません", "フロッピーディスクがセットされていません。確認してください。"},
        {"no control file", {empty}, "フロッピーディスクが違います", "フロッピーディスクが違います。確認してください。"},
        {"cancel at the count", {one, one}, "よろしいですか", "フロッピーディスクは 1 枚です。よろしいですか。"},
        {"cancel at disk 1", {one, one}, "1/ 1枚目", ""},
        {"disk 2 given for disk 1", {d1, d2}, "ではありません", "これは 1 枚目のフロッピーディスクではありません。確認してください。"},
        {"no disk for disk 1", {d1, QString()}, "セットされていません", "フロッピーディスクがセットされていません。確認してください。"},
        {"cancel at disk 2", {d1, d1, d2}, "2/ 2枚目", ""},
        {"piece 2 missing", {d1, d1, d1}, "ではありません", "これは 2 枚目のフロッピーディスクではありません。確認してください。"},
        {"damaged archive", {damaged, damaged}, "", "[書庫解凍　エラー]\n"},
        {"archive without a data file", {foreign, foreign}, "", "データファイルとして使えません"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        op.shown.clear();
        const QStringList disks = c.disks;
        op.onBox = [&](const QString &prompt) {
            static const QRegularExpression which(QStringLiteral("^(\\d+)/ \\d+枚目"));
            const auto m = which.match(prompt);
            if (m.hasMatch()) insert(disks.value(m.captured(1).toInt()));
            else if (prompt.contains(QStringLiteral("「1」"))) insert(disks.value(0));
            if (*c.cancelAt && prompt.contains(QString::fromUtf8(c.cancelAt))) return int(mb::IdCancel);
            if (op.shown.size() > 30) return int(mb::IdCancel);   // a prompt that never ends
            return int(mb::IdOK);
        };
        EXPECT_FALSE(restore().ok());
        if (*c.mustShow) EXPECT_TRUE(op.showed(QString::fromUtf8(c.mustShow))) << op.prompts().join(u'|').toStdString();
        EXPECT_FALSE(op.showed(kRead));
        EXPECT_TRUE(bytes(data()) == current);
        EXPECT_EQ(filesOn(session.dataFolder), dataFolderBefore);
        EXPECT_TRUE(temporariesIn(session.dataFolder).isEmpty()) << temporariesIn(session.dataFolder).join(u' ').toStdString();
        // The extraction's failure names its reason and says nothing changed.
        if (QString::fromUtf8(c.what) == QStringLiteral("damaged archive")) {
            const QString told = op.prompts().filter(QStringLiteral("[書庫解凍　エラー]")).value(0);
            EXPECT_TRUE(told.endsWith(QStringLiteral("データは元のままです。"))) << told.toStdString();
            EXPECT_GT(told.split(u'\n', Qt::SkipEmptyParts).size(), 2) << told.toStdString();
        }
    }
    // And the good set still restores.
    operatorWithDisks({d1, d2});
    op.shown.clear();
    ASSERT_TRUE(restore().ok()) << op.prompts().join(u'|').toStdString();
    EXPECT_EQ(rows(data(), QStringLiteral("select * from 営業日報")).value(0).value(QStringLiteral("タイトル")),
              QVariant(QStringLiteral("backed up")));
}

// A restore killed at any moment leaves a data file that opens and holds
// either every old row or every new one.
TEST_F(Floppy, RestoreKilledAtTwentyMomentsLeavesOldOrNew) {
    addRandomReports(data(), 900, QStringLiteral("new"), 11);
    const QString set = oneDiskSet(QStringLiteral("kill"));
    onData(QStringLiteral("delete * from 営業日報"));
    addRandomReports(data(), 300, QStringLiteral("old"), 12);
    const QByteArray old = bytes(data());
    insert(set);
    const QString child = qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/tqen_restore_child");
    const QStringList args = {session.dataFolder, qEnvironmentVariable("TQEN_DRIVES")};

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(QProcess::execute(child, args), 0);
    const qint64 whole = std::max<qint64>(clock.elapsed(), 20);
    ASSERT_EQ(count(data(), QStringLiteral("営業日報")), 900);

    QRandomGenerator rng(2024);
    int sawOld = 0, sawNew = 0;
    for (int run = 0; run < 20; ++run) {
        writeBytes(data(), old);
        ASSERT_TRUE(killChildAfter(args, rng.bounded(quint32(whole))));
        ASSERT_TRUE(dao::checkDatabase(data(), backup::dataTables()).ok()) << "run " << run;
        const auto titles = rows(data(), QStringLiteral("select タイトル, count(*) as n from 営業日報 group by タイトル"));
        ASSERT_EQ(titles.size(), 1) << "run " << run;
        const QString title = titles[0].value(QStringLiteral("タイトル")).toString();
        const qlonglong n = titles[0].value(QStringLiteral("n")).toLongLong();
        if (title == QStringLiteral("old")) {
            EXPECT_EQ(n, 300);
            ++sawOld;
        } else {
            EXPECT_EQ(title, QStringLiteral("new"));
            EXPECT_EQ(n, 900);
            ++sawNew;
        }
    }
    std::printf("restore of %lld ms killed 20 times: %d left the old file, %d the new one\n", whole, sawOld, sawNew);
}

// The unpacking can be stopped, and an archive that would expand without
// bound is refused before it fills the data folder's disk.
TEST_F(Floppy, RestoreStopsOnRequestAndRefusesAnArchiveBeyondTheCap) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("backed up"));
    const QString set = oneDiskSet(QStringLiteral("set"));
    const QString bomb = disk(QStringLiteral("bomb"));
    writeBytes(bomb + QStringLiteral("/Tqectl"), "TqeFddNum = 1");
    const std::vector<std::uint8_t> b = unlha::test::zeroBombArchive("Tqendata.mdb", 1 + 256 * (std::uint64_t{1} << 18));
    writeBytes(bomb + QStringLiteral("/tqedata.lzh"), QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size())));
    onData(QStringLiteral("delete * from 営業日報"));
    const QByteArray current = bytes(data());

    struct Case {
        const char *what;
        QString disk;
        bool cancel;
        Error::Code code;
        const char *inDetail;
    };
    const Case cases[] = {
        {"cancel while unpacking", set, true, Error::Code::Cancelled, "stopped on request"},
        {"64 MiB from 40 bytes", bomb, false, Error::Code::ArchiveFailed, "beyond the cap"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        operatorWithDisks({c.disk});
        op.shown.clear();
        FddBackup restore(session.dataFolder, QStringLiteral("A:"), nullptr);
        int asked = 0;
        if (c.cancel) restore.cancelRequested = [&] { return ++asked > 0; };
        const Error e = restore.RestoreTQ();
        EXPECT_EQ(e.code(), c.code);
        EXPECT_TRUE(e.detail().contains(QString::fromUtf8(c.inDetail))) << e.detail().toStdString();
        EXPECT_FALSE(op.showed(kRead));
        EXPECT_TRUE(bytes(data()) == current);
        EXPECT_TRUE(temporariesIn(session.dataFolder).isEmpty()) << temporariesIn(session.dataFolder).join(u' ').toStdString();
        if (c.cancel) EXPECT_GT(asked, 0);
    }
    // Without a request the same set restores.
    operatorWithDisks({set});
    ASSERT_TRUE(restore().ok()) << op.prompts().join(u'|').toStdString();
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 1);
}

}  // namespace

// A backup set written from the Windows program's Access file: the restore
// offers to convert it, and the converted file is what is restored.
TEST_F(Floppy, ASetHoldingAWindowsDataFileIsConvertedOnRestore) {
    if (!mdbreader::readingAvailable()) GTEST_SKIP() << "SKIPPED: built without mdbtools (libmdb); Windows data files cannot be read";
    const QByteArray windowsFile = tqen::testing::jetfile::jet4File(tqen::testing::jetfile::sampleDataTables());
    writeBytes(dataFile(), windowsFile);
    const QString set = oneDiskSet(QStringLiteral("win"));
    const QString question = QStringLiteral("Windows版のデータファイルです。変換しますか");

    // No: nothing changes.
    QFile::remove(dataFile());
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenData.mdb"), dataFile()));
    QFile::setPermissions(dataFile(), QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = bytes(dataFile());
    operatorWithDisks({set});
    auto answerTheQuestion = [this, question](int answer) {
        const auto byRule = op.onBox;
        op.onBox = [byRule, question, answer](const QString &prompt) { return prompt == question ? answer : byRule(prompt); };
    };
    answerTheQuestion(mb::IdNo);
    EXPECT_EQ(restore().code(), Error::Code::Cancelled);
    EXPECT_TRUE(op.showed(question));
    EXPECT_EQ(bytes(dataFile()), before);

    // Yes: the converted file replaces the data file, with the summary shown.
    op.shown.clear();
    operatorWithDisks({set});
    answerTheQuestion(mb::IdYes);
    const Error e = restore();
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_TRUE(op.showed(QStringLiteral("営業日報: 4 件")));
    EXPECT_TRUE(op.showed(dataFile()));
    EXPECT_TRUE(dao::checkDatabase(dataFile(), backup::dataTables()).ok());
    EXPECT_EQ(count(dataFile(), QStringLiteral("営業日報")), 4);
    EXPECT_EQ(count(dataFile(), QStringLiteral("顧客マスタ")), 3);
    EXPECT_EQ(op.shown.last().prompt, kRead);
    EXPECT_TRUE(temporariesIn(session.dataFolder).isEmpty()) << temporariesIn(session.dataFolder).join(u' ').toStdString();
}
