// The delivered data files, as the build makes them into bin/data/.
#include "platform/dao/Dao.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace tqen::dao {
namespace {

class DeliveredFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString built = qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/");
        for (const char *name : {"TqenData.mdb", "TqenWork.mdb"}) {
            ASSERT_TRUE(QFile::copy(built + QLatin1String(name), dir.filePath(QLatin1String(name))))
                << "missing " << (built + QLatin1String(name)).toStdString();
            QFile::setPermissions(dir.filePath(QLatin1String(name)), QFile::ReadOwner | QFile::WriteOwner);
        }
        data = dir.filePath(QStringLiteral("TqenData.mdb"));
        work = dir.filePath(QStringLiteral("TqenWork.mdb"));
    }
    QTemporaryDir dir;
    QString data, work;
};

TEST_F(DeliveredFiles, EveryTableHasItsFields) {
    const struct {
        bool inData;
        const char *table;
        QStringList fields;
    } tables[] = {
        {true, "営業日報", {"日付", "顧客名", "ふりがな", "タイトル", "担当", "メモ"}},
        {true, "顧客マスタ", {"名称", "ふりがな", "担当"}},
        {true, "コードマスタ", {"kcode", "code", "sname", "cnt"}},
        {true, "TqHint", {"FormName", "CtlName", "FormTitle", "Contents"}},
        {false, "管理", {"DataPath", "年号", "担当", "顧客名", "ふりがな"}},
        {false, "w顧客参照", {"名称", "ふりがな"}},
        {false, "w日報印刷", {"日付", "顧客名", "ふりがな", "タイトル", "担当", "メモ"}},
        {false, "w日報一覧", {"日付", "顧客名", "タイトル", "担当", "チェック"}},
        {false, "wコードマスタ", {"行番号", "code", "sname", "cnt", "チェック"}},
        {false, "w顧客マスタ", {"名称", "ふりがな", "チェック"}},
    };
    Database d = Database::open(data), w = Database::open(work);
    ASSERT_TRUE(d.isOpen() && w.isOpen());
    for (const auto &t : tables) {
        Recordset rs = (t.inData ? d : w).openRecordset(QStringLiteral("select * from ") + QString::fromUtf8(t.table));
        EXPECT_TRUE(rs.isOpen()) << t.table << ": " << rs.error().toStdString();
        EXPECT_EQ(rs.fieldNames(), t.fields) << t.table;
        // Everything but the code slots and the settings row starts empty.
        if (QString::fromUtf8(t.table) != u"コードマスタ" && QString::fromUtf8(t.table) != u"管理") EXPECT_TRUE(rs.eof()) << t.table;
    }
}

TEST_F(DeliveredFiles, TheStaffClassHasThirtyFreeSlotsAndTheSettingsRowIsWestern) {
    Database d = Database::open(data);
    Recordset rs = d.openRecordset(QStringLiteral("select * from コードマスタ order by cnt"));
    int n = 0;
    for (; !rs.eof(); rs.moveNext()) {
        ++n;
        EXPECT_EQ(rs.field(QStringLiteral("kcode")), QVariant(QStringLiteral("担当")));
        EXPECT_EQ(rs.field(QStringLiteral("code")), QVariant(QString::asprintf("%02d", n)));
        EXPECT_EQ(rs.field(QStringLiteral("cnt")), QVariant(n));
        EXPECT_TRUE(rs.field(QStringLiteral("sname")).isNull());
    }
    EXPECT_EQ(n, 30);

    Database w = Database::open(work);
    Recordset env = w.openRecordset(QStringLiteral("select * from 管理"));
    ASSERT_FALSE(env.eof());
    EXPECT_TRUE(env.field(QStringLiteral("DataPath")).isNull());
    EXPECT_EQ(env.field(QStringLiteral("年号")), QVariant(QStringLiteral("西暦")));
    EXPECT_TRUE(env.field(QStringLiteral("担当")).isNull());
    env.moveNext();
    EXPECT_TRUE(env.eof());
}

TEST_F(DeliveredFiles, DatesAndTicksReadAsTheirKinds) {
    Database d = Database::open(data);
    ASSERT_TRUE(d.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, 担当) values (#2002/02/14#, '甲', '山田')")));
    Database w = Database::open(work);
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w日報一覧 select 日付,顧客名,担当 from 営業日報 in ") + sqlText(data)));
    Recordset rs = w.openRecordset(QStringLiteral("select * from w日報一覧"));
    EXPECT_EQ(rs.field(QStringLiteral("日付")), QVariant(QDate(2002, 2, 14)));
    EXPECT_EQ(rs.field(QStringLiteral("チェック")), QVariant(false));
    rs.close();
    // The code grid numbers its rows itself and keeps the order of adding.
    Recordset grid = w.openRecordset(QStringLiteral("select * from wコードマスタ"));
    for (int i = 0; i < 3; ++i) {
        grid.addNew();
        grid.setField(QStringLiteral("code"), QString::asprintf("%02d", i + 1));
        grid.setField(QStringLiteral("チェック"), false);
        ASSERT_TRUE(grid.update()) << grid.error().toStdString();
    }
    grid.close();
    Recordset ordered = w.openRecordset(QStringLiteral("SELECT * FROM wコードマスタ order by 行番号;"));
    QStringList codes;
    for (; !ordered.eof(); ordered.moveNext()) codes << ordered.field(QStringLiteral("code")).toString();
    EXPECT_EQ(codes, (QStringList{"01", "02", "03"}));
}

// The look-ups that run on every screen use an index, not a walk over every report.
TEST_F(DeliveredFiles, LookUpsUseAnIndex) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(data.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const char *queries[] = {
        "SELECT * FROM 営業日報 WHERE 日付 >= '2002-02-01' AND 日付 <= '2002-02-28' AND 担当 = ?1 AND 顧客名 = ?2 ORDER BY 日付",
        "SELECT * FROM 営業日報 WHERE 日付 >= '2002-02-01' AND 日付 <= '2002-02-28' AND 担当 = ?1 ORDER BY 日付",
        "SELECT * FROM 営業日報 WHERE 日付 >= '2002-02-01' AND 日付 <= '2002-02-28' ORDER BY 日付",
        "SELECT * FROM 営業日報 WHERE 顧客名 = ?1 AND 担当 = ?2 AND 日付 = '2002-02-14'",
        "SELECT * FROM 顧客マスタ WHERE 名称 = ?1",
        "SELECT * FROM 顧客マスタ WHERE 担当 = ?1 ORDER BY ふりがな",
        "SELECT * FROM コードマスタ WHERE kcode = ?1 ORDER BY code",
        "SELECT * FROM TqHint WHERE FormName = ?1 AND CtlName = ?2",
    };
    for (const char *q : queries) {
        const QByteArray sql = QByteArray("EXPLAIN QUERY PLAN ") + q;
        sqlite3_stmt *st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), SQLITE_OK) << q;
        QString plan;
        while (sqlite3_step(st) == SQLITE_ROW) plan += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 3))) + u'\n';
        sqlite3_finalize(st);
        EXPECT_TRUE(plan.contains(u"USING INDEX")) << q << "\n" << plan.toStdString();
        EXPECT_FALSE(plan.contains(u"SCAN")) << q << "\n" << plan.toStdString();
        EXPECT_FALSE(plan.contains(u"TEMP B-TREE")) << q << "\n" << plan.toStdString();
    }
    sqlite3_close(db);
}

// The files are made from the program's one definition of its tables
// (model/Schema.h). What the sqlite3 shell sees of them (page size, every
// statement of the schema, every column with its type, Null rule and
// default, every index, the delivered rows) is what it saw of the files
// made from the hand-written scripts before: tests/data/fixtures/*.view hold
// the shell's output for those, by these statements.
TEST_F(DeliveredFiles, TheShellSeesTheSchemaItSawBefore) {
    const QString common = QStringLiteral(
        "PRAGMA page_size;\n"
        "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY rowid;\n"
        "SELECT m.name, p.cid, p.name, p.type, p.\"notnull\", p.dflt_value, p.pk, p.hidden FROM sqlite_master m, "
        "pragma_table_xinfo(m.name) p WHERE m.type = 'table' ORDER BY m.name, p.cid;\n"
        "SELECT m.name, l.name, l.\"unique\", l.origin, l.partial, i.seqno, i.name FROM sqlite_master m, "
        "pragma_index_list(m.name) l, pragma_index_info(l.name) i WHERE m.type = 'table' ORDER BY m.name, l.name, i.seqno;\n");
    const struct {
        QString file, rows;
    } files[] = {
        {data, QStringLiteral("SELECT rowid, * FROM コードマスタ ORDER BY rowid;\n")},
        {work, QStringLiteral("SELECT rowid, * FROM 管理 ORDER BY rowid;\nSELECT rowid, * FROM バックアップ設定 ORDER BY rowid;\n")},
    };
    for (const auto &f : files) {
        QProcess shell;
        shell.start(QStringLiteral(TQEN_SQLITE3_SHELL), {QStringLiteral("-batch"), QStringLiteral("-bail"), f.file});
        ASSERT_TRUE(shell.waitForStarted());
        shell.write((common + f.rows).toUtf8());
        shell.closeWriteChannel();
        ASSERT_TRUE(shell.waitForFinished());
        EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().constData();
        const QString name = QFileInfo(f.file).completeBaseName();
        QFile before(qEnvironmentVariable("TQEN_SOURCE_DIR") + QStringLiteral("/tests/data/fixtures/") + name +
                     QStringLiteral(".view"));
        ASSERT_TRUE(before.open(QIODevice::ReadOnly)) << before.fileName().toStdString();
        EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()), QString::fromUtf8(before.readAll())) << name.toStdString();
    }
}

}  // namespace
}  // namespace tqen::dao
