#include "tests/platform/dao/DaoTestSupport.h"

#include "tests/support/QtPrinters.h"

namespace tqen::dao::test {
namespace {

class RecordsetTest : public Files {
protected:
    void SetUp() override {
        Files::SetUp();
        db = Database::open(dataDb());
        ASSERT_TRUE(db.isOpen()) << db.error().toStdString();
        ASSERT_TRUE(db.execute(QStringLiteral(
            "insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当, メモ) values "
            "(#2002/02/14#, '甲', 'こう', 'A', '山田', null), (#2002/02/01#, '乙', 'おつ', 'B', '山田', 'm')")));
        for (int i = 1; i <= 5; ++i)
            ASSERT_TRUE(db.execute(QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values ('担当', '%1', %2, %3)")
                                       .arg(i, 2, 10, QLatin1Char('0'))
                                       .arg(i <= 2 ? QStringLiteral("'名%1'").arg(i) : QStringLiteral("null"))
                                       .arg(i)));
    }
    Database db;
};

TEST_F(RecordsetTest, PositionsLikeADynaset) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 担当 = '山田'  order by 日付;"));
    ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
    EXPECT_FALSE(rs.bof());
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("B")));
    rs.moveNext();
    EXPECT_EQ(rs.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("A")));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.bof());
    EXPECT_TRUE(rs.field(QStringLiteral("タイトル")).isNull());
    rs.moveNext();  // past the end: stays there
    EXPECT_TRUE(rs.eof());
    rs.moveFirst();
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("B")));

    Recordset none = db.openRecordset(QStringLiteral("select * from 営業日報 where 担当 = '誰も'"));
    ASSERT_TRUE(none.isOpen());
    EXPECT_TRUE(none.bof());
    EXPECT_TRUE(none.eof());
}

TEST_F(RecordsetTest, FieldsReadAsTheirKinds) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 order by 日付 desc"));
    EXPECT_EQ(rs.fieldNames(), (QStringList{"日付", "顧客名", "ふりがな", "タイトル", "担当", "メモ"}));
    EXPECT_EQ(rs.field(QStringLiteral("日付")), QVariant(QDate(2002, 2, 14)));
    EXPECT_TRUE(rs.field(QStringLiteral("メモ")).isNull());
    EXPECT_TRUE(rs.field(QStringLiteral("無い")).isNull());
    EXPECT_EQ(rs.field(QStringLiteral("顧客名")).typeId(), QMetaType::QString);

    Recordset codes = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
    EXPECT_EQ(codes.field(QStringLiteral("CNT")), QVariant(1));  // names match regardless of case

    Database w = Database::open(workDb());
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ (名称, チェック) values ('x', True)")));
    Recordset ticks = w.openRecordset(QStringLiteral("select * from w顧客マスタ where チェック = True"));
    EXPECT_EQ(ticks.field(QStringLiteral("チェック")), QVariant(true));
}

TEST_F(RecordsetTest, AddNewAndEditWriteRows) {
    {
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 顧客名 = '丙' and 担当 = '山田' and 日付 = #2002/03/05#"));
        ASSERT_TRUE(rs.eof());
        rs.addNew();
        rs.setField(QStringLiteral("顧客名"), QStringLiteral("丙"));
        rs.setField(QStringLiteral("担当"), QStringLiteral("山田"));
        rs.setField(QStringLiteral("日付"), QStringLiteral("2002/03/05"));  // the date as text, as the forms set it
        rs.setField(QStringLiteral("タイトル"), QStringLiteral("新規"));
        ASSERT_TRUE(rs.update()) << rs.error().toStdString();
    }
    {
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 顧客名 = '丙' and 担当 = '山田' and 日付 = #2002/03/05#"));
        ASSERT_FALSE(rs.eof());
        EXPECT_EQ(rs.field(QStringLiteral("日付")), QVariant(QDate(2002, 3, 5)));
        rs.edit();
        rs.setField(QStringLiteral("タイトル"), QStringLiteral("変更"));
        rs.setField(QStringLiteral("日付"), QDate(2002, 3, 6));
        ASSERT_TRUE(rs.update());
        EXPECT_EQ(rs.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("変更")));  // the row shows what was written
    }
    EXPECT_EQ(column(db, QStringLiteral("select * from 営業日報 where 日付 = #2002/03/06#"), QStringLiteral("タイトル")),
              QStringList{"変更"});

    // A value the column cannot hold fails the update and writes nothing.
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 顧客名 = '丙'"));
    rs.edit();
    rs.setField(QStringLiteral("日付"), QStringLiteral("2002/02/30"));
    rs.setField(QStringLiteral("タイトル"), QStringLiteral("書かれない"));
    EXPECT_FALSE(rs.update());
    EXPECT_FALSE(rs.error().isEmpty());
    EXPECT_EQ(column(db, QStringLiteral("select * from 営業日報 where 顧客名 = '丙'"), QStringLiteral("タイトル")),
              QStringList{"変更"});
}

TEST_F(RecordsetTest, WritesOutsideAddNewOrEditAreRefused) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 担当 = '誰も'"));
    rs.setField(QStringLiteral("タイトル"), QStringLiteral("x"));
    EXPECT_FALSE(rs.error().isEmpty());
    EXPECT_FALSE(rs.update());
    rs.edit();  // no current row
    EXPECT_FALSE(rs.update());
    rs.addNew();
    rs.setField(QStringLiteral("無い"), 1);
    EXPECT_FALSE(rs.error().isEmpty());
    rs.cancelUpdate();
    EXPECT_FALSE(rs.update());
    EXPECT_EQ(column(db, QStringLiteral("select * from 営業日報"), QStringLiteral("日付")).size(), 2);
}

// The free-slot walk: find the name, else go back and fill the first free slot.
TEST_F(RecordsetTest, WalkTwiceAndFillTheFirstFreeSlot) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
    int seen = 0;
    for (; !rs.eof(); rs.moveNext()) ++seen;
    EXPECT_EQ(seen, 5);
    rs.moveFirst();
    while (!rs.eof() && !rs.field(QStringLiteral("sname")).isNull()) rs.moveNext();
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(QStringLiteral("code")), QVariant(QStringLiteral("03")));
    rs.edit();
    rs.setField(QStringLiteral("sname"), QStringLiteral("新人"));
    ASSERT_TRUE(rs.update());
    rs.close();
    EXPECT_EQ(column(db, QStringLiteral("select * from コードマスタ order by cnt"), QStringLiteral("sname")),
              (QStringList{"名1", "名2", "新人", "<null>", "<null>"}));
}

// Writing while a walk is under way neither repeats nor loses rows of the walk.
TEST_F(RecordsetTest, WritesDuringAWalkKeepTheWalkStable) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from コードマスタ order by code"));
    QStringList walked;
    for (; !rs.eof(); rs.moveNext()) {
        walked << rs.field(QStringLiteral("code")).toString();
        rs.edit();  // moves every row behind the walk's order
        rs.setField(QStringLiteral("code"), QStringLiteral("9") + rs.field(QStringLiteral("code")).toString());
        ASSERT_TRUE(rs.update());
        if (walked.size() == 1) ASSERT_TRUE(db.execute(QStringLiteral("delete * from コードマスタ where code = '04'")));
    }
    EXPECT_EQ(walked, (QStringList{"01", "02", "03", "05"}));  // 04 was deleted meanwhile
    EXPECT_EQ(column(db, QStringLiteral("select * from コードマスタ order by code"), QStringLiteral("code")),
              (QStringList{"901", "902", "903", "905"}));
}

TEST_F(RecordsetTest, SelectsOverMoreThanOneTableReadButDoNotWrite) {
    Recordset rs = db.openRecordset(QStringLiteral("select distinct 担当 from 営業日報"));
    ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
    EXPECT_EQ(rs.field(QStringLiteral("担当")), QVariant(QStringLiteral("山田")));
    rs.edit();
    EXPECT_FALSE(rs.update());
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST_F(RecordsetTest, ABadSelectGivesAFailedRecordset) {
    const char *bad[] = {"select * from 無い表", "select * from 営業日報 where", "delete * from 営業日報",
                         "select * from 営業日報 where 顧客名 like '[!'"};
    for (const char *sql : bad) {
        SCOPED_TRACE(sql);
        Recordset rs = db.openRecordset(QString::fromUtf8(sql));
        EXPECT_FALSE(rs.isOpen());
        EXPECT_TRUE(rs.bof());
        EXPECT_TRUE(rs.eof());
        EXPECT_FALSE(rs.error().isEmpty());
        rs.moveNext();
        rs.moveFirst();
        EXPECT_TRUE(rs.eof());
    }
    EXPECT_EQ(column(db, QStringLiteral("select * from 営業日報"), QStringLiteral("日付")).size(), 2);
}

// A bookmark names its row, also to another connection, for as long as the
// row exists.
TEST_F(RecordsetTest, BookmarksFindTheirRowAgain) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 order by 日付"));
    const QVariant first = rs.bookmark();
    rs.moveNext();
    const QVariant second = rs.bookmark();
    ASSERT_FALSE(first.isNull());
    ASSERT_NE(first, second);
    rs.moveNext();
    EXPECT_TRUE(rs.bookmark().isNull());  // at the end
    EXPECT_TRUE(db.openRecordset(QStringLiteral("select distinct 担当 from 営業日報")).bookmark().isNull());

    // Rows added in front do not move a bookmark.
    ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 (日付, タイトル) values (#2001/01/01#, '前')")));
    Database other = Database::open(db.path());
    Recordset row = other.openRow(QStringLiteral("[営業日報]"), second);
    ASSERT_FALSE(row.eof()) << row.error().toStdString();
    EXPECT_EQ(row.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("A")));
    row.edit();
    row.setField(QStringLiteral("タイトル"), QStringLiteral("A2"));
    ASSERT_TRUE(row.update());
    row.moveNext();
    EXPECT_TRUE(row.eof());  // the one row only
    EXPECT_EQ(column(db, QStringLiteral("select * from 営業日報 order by 日付"), QStringLiteral("タイトル")),
              (QStringList{"前", "B", "A2"}));

    // A deleted row is gone; what is no bookmark or no table fails.
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where タイトル = 'B'")));
    Recordset gone = other.openRow(QStringLiteral("営業日報"), first);
    EXPECT_TRUE(gone.isOpen());
    EXPECT_TRUE(gone.eof());
    for (const QVariant &bad : {QVariant(), QVariant(QStringLiteral("x"))}) {
        Recordset r = other.openRow(QStringLiteral("営業日報"), bad);
        EXPECT_FALSE(r.isOpen());
        EXPECT_FALSE(r.error().isEmpty());
    }
    for (const char *table : {"営業日報 where 担当 = '山田'", "無い表", "営業日報, 顧客マスタ"}) {
        Recordset r = other.openRow(QString::fromUtf8(table), second);
        EXPECT_FALSE(r.isOpen()) << table;
        EXPECT_FALSE(r.error().isEmpty()) << table;
    }
}

}  // namespace
}  // namespace tqen::dao::test
