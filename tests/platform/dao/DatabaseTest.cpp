#include "tests/platform/dao/DaoTestSupport.h"

#include "tests/support/QtPrinters.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

namespace tqen::dao::test {
namespace {

using DatabaseOpen = Files;

// A file another writer holds beyond the wait is sound and in use: the error
// says so, and is no "unrecognized format".
TEST_F(DatabaseOpen, AFileHeldByAnotherWriterIsInUseNotForeign) {
    const QString path = makeDb(QStringLiteral("held.mdb"), kDataSchema);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    Database held = Database::open(path);
    EXPECT_FALSE(held.isOpen());
    EXPECT_TRUE(isInUseError(held.error())) << held.error().toStdString();
    EXPECT_FALSE(held.error().contains(QStringLiteral("Unrecognized"))) << held.error().toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(Database::open(path).isOpen());
    EXPECT_FALSE(isInUseError(QStringLiteral("Unrecognized database format 'x'.")));
}

TEST_F(DatabaseOpen, MissingUnreadableOrForeignFilesGiveAFailedObjectAndCreateNothing) {
    const QString missing = dir.filePath(QStringLiteral("nothing.mdb"));
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is no database, just a plain text file long enough to have a header\n");
        QFile e(empty);
        ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    }
    for (const QString &path : {missing, text, empty, dir.path(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        Database db = Database::open(path);
        EXPECT_FALSE(db.isOpen());
        EXPECT_FALSE(db.error().isEmpty());
        EXPECT_FALSE(db.execute(QStringLiteral("delete * from 営業日報")));
        EXPECT_FALSE(db.beginTrans());
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        EXPECT_FALSE(rs.isOpen());
        EXPECT_TRUE(rs.bof());
        EXPECT_TRUE(rs.eof());
        EXPECT_FALSE(rs.error().isEmpty());
        int steps = 0;
        for (rs.moveFirst(); !rs.eof() && steps < 3; rs.moveNext()) ++steps;
        EXPECT_EQ(steps, 0);
        rs.addNew();
        rs.setField(QStringLiteral("顧客名"), QStringLiteral("x"));
        EXPECT_FALSE(rs.update());
        EXPECT_TRUE(rs.field(QStringLiteral("顧客名")).isNull());
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
}

TEST_F(DatabaseOpen, ClosingTheDatabaseClosesItsRecordsets) {
    const QString data = dataDb();
    Database db = Database::open(data);
    ASSERT_TRUE(db.isOpen()) << db.error().toStdString();
    ASSERT_TRUE(db.execute(QStringLiteral("insert into 顧客マスタ (名称) values ('a')")));
    Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ"));
    ASSERT_FALSE(rs.eof());
    db.close();
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(rs.isOpen());
    EXPECT_TRUE(rs.eof());
    EXPECT_TRUE(rs.field(QStringLiteral("名称")).isNull());
}

using Execute = Files;

TEST_F(Execute, FailingStatementsChangeNothingAndSayWhy) {
    Database db = Database::open(dataDb());
    ASSERT_TRUE(db.execute(QStringLiteral("insert into 顧客マスタ (名称, ふりがな) values ('甲', 'こう')")));
    const char *bad[] = {
        "select * from 顧客マスタ",                          // a select is no action
        "delete * from 無い表",                              // unknown table
        "delete * from 顧客マスタ where 名称 = 'x",           // unterminated text
        "delete * from 顧客マスタ; delete * from 営業日報",   // a second statement
        "delete * from 営業日報 where 日付 = #2002/13/01#",   // no such day
        "delete * from 顧客マスタ where 名称 like '[a'",      // bad pattern
        "",
    };
    for (const char *sql : bad) {
        SCOPED_TRACE(sql);
        EXPECT_FALSE(db.execute(QString::fromUtf8(sql)));
        EXPECT_FALSE(db.error().isEmpty());
    }
    EXPECT_EQ(column(db, QStringLiteral("select * from 顧客マスタ"), QStringLiteral("名称")), QStringList{"甲"});
}

TEST_F(Execute, DeleteStarUpdateAndRowsAffected) {
    Database db = Database::open(workDb());
    for (int i = 1; i <= 4; ++i)
        ASSERT_TRUE(db.execute(QStringLiteral("insert into wコードマスタ (code, sname, チェック) values ('%1', 'n%1', %2)")
                                   .arg(i, 2, 10, QLatin1Char('0'))
                                   .arg(i % 2 ? "True" : "False")));
    ASSERT_TRUE(db.execute(QStringLiteral("update wコードマスタ set sname = NULL  where チェック = True")));
    EXPECT_EQ(db.recordsAffected(), 2);
    EXPECT_EQ(column(db, QStringLiteral("SELECT * FROM wコードマスタ order by 行番号;"), QStringLiteral("sname")),
              (QStringList{"<null>", "n02", "<null>", "n04"}));
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from wコードマスタ where チェック = False")));
    EXPECT_EQ(db.recordsAffected(), 2);
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from wコードマスタ")));
    EXPECT_EQ(db.recordsAffected(), 2);
}

TEST_F(Execute, TransactionsAreAllOrNothing) {
    const QString data = dataDb();
    {
        Database db = Database::open(data);
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 顧客マスタ (名称) values ('残る')")));
        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 顧客マスタ")));
        Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ"));
        rs.addNew();
        rs.setField(QStringLiteral("名称"), QStringLiteral("消える"));
        ASSERT_TRUE(rs.update());
        db.rollback();
        EXPECT_EQ(column(db, QStringLiteral("select * from 顧客マスタ"), QStringLiteral("名称")), QStringList{"残る"});

        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 顧客マスタ (名称) values ('足す')")));
        ASSERT_TRUE(db.commitTrans());
        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 顧客マスタ")));
        // closed with the transaction open: rolled back
    }
    Database db = Database::open(data);
    EXPECT_EQ(column(db, QStringLiteral("select * from 顧客マスタ order by 名称"), QStringLiteral("名称")),
              (QStringList{"残る", "足す"}));  // in code point order
}

using OtherFile = Files;

TEST_F(OtherFile, InsertSelectMatchesColumnsByNameAcrossFiles) {
    const QString data = dataDb();
    const QString work = workDb();
    {
        Database d = Database::open(data);
        ASSERT_TRUE(d.execute(QStringLiteral(
            "insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当, メモ) values "
            "(#2002/02/14#, '乙商事', 'おつ', '訪問', '山田', 'memo1'), "
            "(#2002/02/28#, '甲商事', 'こう', '見積', '山田', null), "
            "(#2002/02/14#, '甲商事', 'こう', '電話', '山田', 'memo3'), "
            "(#2002/03/01#, '甲商事', 'こう', '翌月', '山田', 'memo4'), "
            "(#2002/02/20#, '丙', 'へい', '他の担当', '佐藤', 'memo5')")))
            << d.error().toStdString();
    }
    Database w = Database::open(work);
    // The list's read: target columns in another order, チェック only in the
    // target, ふりがな and メモ only in the source.
    const QString list = QStringLiteral(
        "insert into w日報一覧 select 日付,顧客名,タイトル,担当 from 営業日報 in '%1' where 日付 >= #2002/02/01# and "
        "日付 <= #2002/02/28# and 担当 = '山田' order by 日付 DESC,ふりがな;").arg(data);
    ASSERT_TRUE(w.execute(QStringLiteral("delete * from w日報一覧")));
    ASSERT_TRUE(w.execute(list)) << w.error().toStdString();
    EXPECT_EQ(w.recordsAffected(), 3);
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報一覧"), QStringLiteral("タイトル")),
              (QStringList{"見積", "訪問", "電話"}));  // newest first, then by reading
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報一覧"), QStringLiteral("日付")),
              (QStringList{"2002/02/28", "2002/02/14", "2002/02/14"}));
    Recordset rs = w.openRecordset(QStringLiteral("select * from w日報一覧"));
    EXPECT_EQ(rs.field(QStringLiteral("チェック")), QVariant(false));
    rs.close();

    // The print: select * into a table that lacks nothing and has one more field.
    const QString print = QStringLiteral("insert into w日報印刷 select * from 営業日報 in '%1' where  日付 <= #2002/02/14# "
                                         "order by 日付,顧客名,担当;").arg(data);
    ASSERT_TRUE(w.execute(print)) << w.error().toStdString();
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報印刷"), QStringLiteral("メモ")),
              (QStringList{"memo1", "memo3"}));
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報印刷"), QStringLiteral("ふりがな")), (QStringList{"おつ", "こう"}));
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報印刷"), QStringLiteral("印刷済")), (QStringList{"false", "false"}));

    // select * into a table that has only some of the source's fields.
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ select * from 営業日報 in '%1' where 担当 = '佐藤'").arg(data)));
    EXPECT_EQ(column(w, QStringLiteral("select * from w顧客マスタ"), QStringLiteral("ふりがな")), QStringList{"へい"});

    // A named field the target lacks is an error, and nothing is copied.
    EXPECT_FALSE(w.execute(QStringLiteral("insert into w日報一覧 select 日付,メモ from 営業日報 in '%1'").arg(data)));
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報一覧"), QStringLiteral("日付")).size(), 3);
}

TEST_F(OtherFile, CustomerWriteBackRunsOnTheDataFileAndReadsTheWorkFile) {
    const QString data = dataDb();
    const QString work = workDb();
    Database w = Database::open(work);
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ (名称, ふりがな, チェック) values "
                                         "('甲', 'こう', False), (null, 'なし', False), ('乙', 'おつ', True)")));
    Database d = Database::open(data);
    ASSERT_TRUE(d.beginTrans());
    ASSERT_TRUE(d.execute(QStringLiteral("delete * from 顧客マスタ ")));
    ASSERT_TRUE(d.execute(QStringLiteral("insert into 顧客マスタ select 名称,ふりがな from w顧客マスタ in '%1' where not isnull(名称)")
                              .arg(work)))
        << d.error().toStdString();
    ASSERT_TRUE(d.commitTrans());
    EXPECT_EQ(column(d, QStringLiteral("select * from 顧客マスタ order by ふりがな;"), QStringLiteral("名称")),
              (QStringList{"乙", "甲"}));
    // And the other way round, into the work file, ordered.
    ASSERT_TRUE(w.execute(QStringLiteral("delete * from w顧客マスタ")));
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ select 名称,ふりがな from 顧客マスタ in '%1' order by ふりがな;").arg(data)));
    EXPECT_EQ(column(w, QStringLiteral("select * from w顧客マスタ"), QStringLiteral("名称")), (QStringList{"乙", "甲"}));
}

TEST_F(OtherFile, AMissingOrForeignOtherFileFailsTheStatementAndIsNotCreated) {
    Database w = Database::open(workDb());
    const QString missing = dir.filePath(QStringLiteral("gone/TqenData.mdb"));
    EXPECT_FALSE(w.execute(QStringLiteral("insert into w日報一覧 select 日付 from 営業日報 in '%1'").arg(missing)));
    EXPECT_FALSE(QFileInfo::exists(missing));
    const QString text = dir.filePath(QStringLiteral("plain.mdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_FALSE(w.execute(QStringLiteral("insert into w日報一覧 select 日付 from 営業日報 in '%1'").arg(text)));
    // The work file still works afterwards.
    EXPECT_TRUE(w.execute(QStringLiteral("delete * from w日報一覧")));
}

TEST_F(OtherFile, APathWithAQuoteOrBlanksNamesTheFile) {
    const QString folder = dir.filePath(QStringLiteral("it's my  データ"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString data = makeDb(QStringLiteral("it's my  データ/TqenData.mdb"), kDataSchema);
    {
        Database d = Database::open(data);
        ASSERT_TRUE(d.execute(QStringLiteral("insert into 顧客マスタ (名称, ふりがな) values ('甲', 'こう')")));
    }
    Database w = Database::open(workDb());
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ select 名称,ふりがな from 顧客マスタ in ") + sqlText(data)))
        << w.error().toStdString();
    EXPECT_EQ(column(w, QStringLiteral("select * from w顧客マスタ"), QStringLiteral("名称")), QStringList{"甲"});
    // A recordset may read a table of the other file too.
    EXPECT_EQ(column(w, QStringLiteral("select * from 顧客マスタ in ") + sqlText(data), QStringLiteral("ふりがな")),
              QStringList{"こう"});
}

}  // namespace
}  // namespace tqen::dao::test

namespace tqen::dao::test {
namespace {

// The quick check finds a damaged page; stopped (the program closing while
// it reads) it ends without a finding and without reading.
TEST_F(DatabaseOpen, TheQuickCheckFindsDamageUnlessStopped) {
    const QString path = makeDb(QStringLiteral("damaged.mdb"), kDataSchema);
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE filler(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                                   "WHERE i < 400) INSERT INTO filler SELECT 'MARK' || i || '-' || printf('%.500c', 'z') FROM n",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_TRUE(quickCheck(path).ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray file = f.readAll();
    const int pageSize = (uchar(file[16]) << 8) | uchar(file[17]);
    for (qsizetype at = file.indexOf("MARK200-"); at >= 0; at = file.indexOf("MARK200-", at + 1))
        file[at / pageSize * pageSize] = char(0x55);
    f.seek(0);
    f.write(file);
    f.close();

    const Error found = quickCheck(path);
    EXPECT_EQ(found.code(), Error::Code::BadInput) << found.detail().toStdString();
    CheckStop stop;
    stop.stop();
    EXPECT_TRUE(quickCheck(path, &stop).ok());
}

}  // namespace
}  // namespace tqen::dao::test
