// The backup pipeline without forms or a display, on real data files: what
// a packed archive holds, and every way a restore ends, with the data file
// either replaced whole or left exactly as it was.
#include "backup/Archive.h"
#include "backup/Restore.h"
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/MemoTemplates.h"
#include "model/NextSteps.h"
#include "model/ReportSearch.h"
#include "platform/dao/Dao.h"
#include "platform/unlha/LzhArchive.h"
#include "tests/support/DeliveredFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tqen::backup {
namespace {

class Pipeline : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        data = testing::copyDeliveredFile(tmp, QStringLiteral("TqenData.mdb"));
        ASSERT_FALSE(data.isEmpty());
    }
    void addReport(const QString &path, const QString &title) {
        auto db = dao::Database::open(path);
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当) values (") +
                               dao::sqlDate(QDate(2024, 5, 1)) + QStringLiteral(", '山田商店', 'やまだ', ") +
                               dao::sqlText(title) + QStringLiteral(", '佐藤')")))
            << db.error().toStdString();
    }
    QStringList titles(const QString &path) {
        QStringList out;
        auto db = dao::Database::open(path);
        for (auto rs = db.openRecordset(QStringLiteral("select タイトル from 営業日報 order by タイトル")); !rs.eof();
             rs.moveNext())
            out << rs.field(QStringLiteral("タイトル")).toString();
        return out;
    }
    static QByteArray bytes(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &b) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }
    // An archive made with the typed API, holding the given file as member.
    void archiveOf(const QString &file, const QString &member, const QString &archive) {
        std::vector<unlha::AddedMember> added;
        ASSERT_TRUE(unlha::addToArchive(QFile::encodeName(archive).toStdString(),
                                        {{QFile::encodeName(file).toStdString(), member.toStdString()}},
                                        unlha::Method::Lh7, added)
                        .ok());
    }
    // What a restore may leave beside the data file: nothing of its own.
    QStringList workLeft() const {
        return QDir(tmp.path()).entryList({QStringLiteral("tqen-restore.tmp*")}, QDir::AllEntries | QDir::Hidden);
    }

    QTemporaryDir tmp;
    QString data;
};

TEST_F(Pipeline, PackedArchiveHoldsAConsistentCopyWithoutTheSearchIndex) {
    addReport(data, QStringLiteral("one"));
    addReport(data, QStringLiteral("two"));
    ASSERT_TRUE(model::buildSearchIndex(data).ok());
    const QString archive = tmp.filePath(QStringLiteral("set.lzh"));
    QString report;
    ASSERT_TRUE(pack(data, memberName(), archive, Source::ConsistentCopy, &report).ok());
    EXPECT_TRUE(report.startsWith(memberName())) << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("1 file(s) stored in ") + archive + u'\n')) << report.toStdString();
    // The file in use still has its index; the archived copy has none.
    EXPECT_TRUE(model::hasSearchIndex(data));

    const QString out = tmp.filePath(QStringLiteral("out/"));
    QDir().mkpath(out);
    ASSERT_TRUE(unpack(archive, out, {}, &report).ok());
    EXPECT_TRUE(report.contains(QStringLiteral("1 file(s) extracted to"))) << report.toStdString();
    EXPECT_TRUE(dao::checkDatabase(out + memberName(), dataTables()).ok());
    EXPECT_FALSE(model::hasSearchIndex(out + memberName()));
    EXPECT_EQ(titles(out + memberName()), QStringList({QStringLiteral("one"), QStringLiteral("two")}));
}

// The confirmations live in the data file beside the reports: a backup
// keeps them and a restore brings them back as they were.
TEST_F(Pipeline, ABackupAndItsRestoreCarryTheConfirmations) {
    addReport(data, QStringLiteral("one"));
    ASSERT_TRUE(model::CodeTable::addName(data, QStringLiteral("担当"), QStringLiteral("部長")).ok());
    model::Session session;
    session.dataDbPath = data;
    const model::ReportKey key{QDate(2024, 5, 1), QStringLiteral("山田商店"), QStringLiteral("佐藤")};
    ASSERT_TRUE(model::Confirmations::confirm(session, key, QStringLiteral("部長"), QStringLiteral("控えにも")).ok());
    const QString archive = tmp.filePath(QStringLiteral("set.lzh"));
    ASSERT_TRUE(pack(data, memberName(), archive, Source::ConsistentCopy).ok());
    {
        auto db = dao::Database::open(data);
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 日報確認")));
    }
    EXPECT_EQ(model::Confirmations::stateOf(data, key).state, model::ConfirmState::Unconfirmed);
    Restore restore(archive, memberName(), data);
    ASSERT_TRUE(restore.unpack().ok());
    ASSERT_TRUE(restore.replace().ok());
    const model::ReportConfirmation back = model::Confirmations::stateOf(data, key);
    EXPECT_EQ(back.state, model::ConfirmState::Confirmed);
    ASSERT_EQ(back.history.size(), 1);
    EXPECT_EQ(back.history[0].comment, QStringLiteral("控えにも"));
    // The triggers that keep the confirmations' marker come back with the
    // file: an edit shows at once, with no marker to fill again.
    {
        auto db = dao::Database::open(data);
        QString why;
        EXPECT_EQ(model::Confirmations::keepsMarker(db, &why), std::optional<bool>(true)) << why.toStdString();
        ASSERT_TRUE(db.execute(QStringLiteral("update 営業日報 set タイトル = 'three'")));
    }
    EXPECT_EQ(model::Confirmations::month(data, key.day, key.day).value(key.day).changed, 1);
    EXPECT_FALSE(model::Confirmations::fillingMarkers(data));
}

TEST_F(Pipeline, AFileTheEngineCannotCopyIsArchivedAsItIsOnlyWhenAllowed) {
    const QString windowsFile = tmp.filePath(QStringLiteral("old.mdb"));
    write(windowsFile, QByteArray(5000, 'j'));
    const struct {
        Source source;
        bool packed;
    } cases[] = {{Source::ConsistentCopy, false}, {Source::CopyOrAsItIs, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.packed);
        const QString archive = tmp.filePath(QStringLiteral("as-is-%1.lzh").arg(c.packed));
        const Error e = pack(windowsFile, memberName(), archive, c.source);
        EXPECT_EQ(e.ok(), c.packed) << e.message().toStdString();
        EXPECT_EQ(QFile::exists(archive), c.packed);
        if (!c.packed) {
            EXPECT_EQ(e.code(), Error::Code::FileFailed);
            continue;
        }
        const QString out = tmp.filePath(QStringLiteral("as-is/"));
        QDir().mkpath(out);
        ASSERT_TRUE(unpack(archive, out).ok());
        EXPECT_EQ(bytes(out + memberName()), bytes(windowsFile));
    }
}

// Every way a restore ends: only the sound archive replaces the data file,
// and no run leaves its work folder behind.
TEST_F(Pipeline, ARestoreReplacesTheFileWholeOrLeavesItAsItWas) {
    addReport(data, QStringLiteral("archived"));
    const QString sound = tmp.filePath(QStringLiteral("sound.lzh"));
    ASSERT_TRUE(pack(data, memberName(), sound, Source::ConsistentCopy).ok());
    QByteArray broken = bytes(sound);
    for (int i = 200; i < 260; ++i) broken[broken.size() - i] = char(~broken[broken.size() - i]);
    const QString damaged = tmp.filePath(QStringLiteral("damaged.lzh"));
    write(damaged, broken);
    const QString memo = tmp.filePath(QStringLiteral("memo.txt"));
    write(memo, "a memo, not a database");
    const QString otherName = tmp.filePath(QStringLiteral("other-name.lzh"));
    archiveOf(data, QStringLiteral("Other.mdb"), otherName);
    const QString notData = tmp.filePath(QStringLiteral("not-data.lzh"));
    archiveOf(memo, memberName(), notData);

    const Error snapshotFailed(Error::Code::FileFailed, QStringLiteral("控えを作れませんでした。"));
    const struct Case {
        const char *what;
        QString archive;
        bool cancel;
        Error beforeReplace;
        Error::Code code;
    } cases[] = {
        {"no archive", tmp.filePath(QStringLiteral("none.lzh")), false, {}, Error::Code::NotFound},
        {"damaged archive", damaged, false, {}, Error::Code::ArchiveFailed},
        {"cancelled", sound, true, {}, Error::Code::Cancelled},
        {"no member of that name", otherName, false, {}, Error::Code::BadInput},
        {"member is no database", notData, false, {}, Error::Code::BadInput},
        {"the snapshot fails", sound, false, snapshotFailed, Error::Code::FileFailed},
        {"sound archive", sound, false, {}, Error::Code::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto db = dao::Database::open(data);
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報")));
        db.close();
        addReport(data, QStringLiteral("current"));
        const QByteArray before = bytes(data);
        int snapshots = 0;
        Error e;
        {
            Restore restore(c.archive, memberName(), data);
            if (c.cancel) restore.cancelRequested = [] { return true; };
            e = restore.unpack();
            if (e.ok()) {
                EXPECT_FALSE(restore.isWindowsFile());
                e = restore.replace([&] {
                    ++snapshots;
                    return c.beforeReplace;
                });
            }
        }
        EXPECT_EQ(e.code(), c.code) << e.message().toStdString();
        if (c.code == Error::Code::ArchiveFailed) EXPECT_TRUE(e.detail().startsWith(QStringLiteral("Error: ")));
        if (c.code == Error::Code::None) {
            EXPECT_EQ(snapshots, 1);
            EXPECT_EQ(titles(data), QStringList{QStringLiteral("archived")});
        } else {
            EXPECT_TRUE(bytes(data) == before);
            EXPECT_EQ(snapshots, c.code == Error::Code::FileFailed ? 1 : 0);
        }
        EXPECT_TRUE(workLeft().isEmpty()) << workLeft().join(u' ').toStdString();
    }
}

TEST_F(Pipeline, ADataFileThatIsALinkIsRestoredThroughTheLink) {
    addReport(data, QStringLiteral("archived"));
    const QString archive = tmp.filePath(QStringLiteral("set.lzh"));
    ASSERT_TRUE(pack(data, memberName(), archive, Source::ConsistentCopy).ok());
    addReport(data, QStringLiteral("later"));
    const QString link = tmp.filePath(QStringLiteral("link/TqenData.mdb"));
    QDir().mkpath(tmp.filePath(QStringLiteral("link")));
    ASSERT_TRUE(QFile::link(data, link));
    Restore restore(archive, memberName(), link);
    ASSERT_TRUE(restore.unpack().ok());
    ASSERT_TRUE(restore.replace().ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(restore.target(), QFileInfo(data).canonicalFilePath());
    EXPECT_EQ(titles(link), QStringList{QStringLiteral("archived")});
}

// The tables added beside the delivered ones (next steps, memo templates)
// go into the archive and come back with the restore.
TEST_F(Pipeline, NextStepsAndTemplatesComeBackWithTheRestore) {
    const model::ReportKey key{QDate(2024, 5, 1), QStringLiteral("山田商店"), QStringLiteral("佐藤")};
    const QList<model::MemoTemplate> archived{{QStringLiteral("商談"), QStringLiteral("【見積】\n")}};
    addReport(data, QStringLiteral("archived"));
    {
        auto db = dao::Database::open(data);
        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(model::NextSteps::setIn(db, key, {QDate(2024, 5, 9), QStringLiteral("再訪")}).ok());
        ASSERT_TRUE(db.commitTrans());
    }
    ASSERT_TRUE(model::MemoTemplates::save(data, archived).ok());
    const QString archive = tmp.filePath(QStringLiteral("set.lzh"));
    ASSERT_TRUE(pack(data, memberName(), archive, Source::ConsistentCopy).ok());
    {
        auto db = dao::Database::open(data);
        ASSERT_TRUE(model::NextSteps::removeIn(db, QString()).ok());
    }
    ASSERT_TRUE(model::MemoTemplates::save(data, {}).ok());

    Restore restore(archive, memberName(), data);
    ASSERT_TRUE(restore.unpack().ok());
    ASSERT_TRUE(restore.replace().ok());
    const auto step = model::NextSteps::of(data, key);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->planned, QDate(2024, 5, 9));
    EXPECT_EQ(step->text, QStringLiteral("再訪"));
    EXPECT_EQ(model::MemoTemplates::list(data), archived);
}

}  // namespace
}  // namespace tqen::backup
