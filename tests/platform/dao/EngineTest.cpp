// The same Jet statements on both engines: a data file and a data database
// on the server give the same rows, the same counts and the same refusals.
#include "tests/platform/dao/DaoTestSupport.h"

#include "model/ReportSearch.h"
#include "platform/dao/Server.h"
#include "tests/support/BothEngines.h"
#include "tests/support/QtPrinters.h"

namespace tqen::dao::test {
namespace {

using testing::Engine;

std::string engineName(const ::testing::TestParamInfo<Engine> &info) {
    return info.param == Engine::File ? "File" : "Server";
}

class BothEngines : public testing::BothEngines {
protected:
    void SetUp() override {
        testing::BothEngines::SetUp();
        if (!ready()) return;
        data = session.dataDbPath;
        work = session.workDbPath;
        Database d = Database::open(data);
        ASSERT_TRUE(d.isOpen()) << d.error().toStdString();
        const char *rows[][6] = {
            {"2024/02/29", "甲商事", "こうしょうじ", "閏日", "山田", "メモ1"},
            {"2024/3/1", "甲商事", "こうしょうじ", "月初", "山田", nullptr},
            {"2024/03/15", "乙", "おつ", "訪問", "山田", "it's"},
            {"2024/03/15", "甲商事", "こうしょうじ", "二件目", "佐藤", "100%"},
            {"2024/3/31", "ABC工業", "abc", "月末", "山田", "*印"},
            {"2024/4/1", "丙", "へい", "四月", "山田", nullptr},
        };
        for (const auto &r : rows) {
            Recordset rs = d.openRecordset(QStringLiteral("select * from 営業日報"));
            rs.addNew();
            rs.setField(QStringLiteral("日付"), QString::fromUtf8(r[0]));
            rs.setField(QStringLiteral("顧客名"), QString::fromUtf8(r[1]));
            rs.setField(QStringLiteral("ふりがな"), QString::fromUtf8(r[2]));
            rs.setField(QStringLiteral("タイトル"), QString::fromUtf8(r[3]));
            rs.setField(QStringLiteral("担当"), QString::fromUtf8(r[4]));
            rs.setField(QStringLiteral("メモ"), r[5] ? QVariant(QString::fromUtf8(r[5])) : QVariant());
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
    }
    void TearDown() override {
        if (server) resetServerConnections();
    }

    struct Access : Files {
        using Files::column;
    };

    QString data, work;
};

struct SelectCase {
    const char *sql;
    const char *field;
    const char *expected;  // values joined by "|"
};

TEST_P(BothEngines, JetSelectsGiveTheSameRows) {
    const SelectCase cases[] = {
        {"select * from 営業日報 where 日付 = #2024/03/15# order by 顧客名", "顧客名", "乙|甲商事"},
        {"select * from 営業日報 where 日付 >= #2024/3/1# and 日付 <= #2024/03/31# order by 日付, 担当", "タイトル",
         "月初|二件目|訪問|月末"},
        {"select * from 営業日報 where 日付 between #2/29/2024# and #2024-03-01# order by 日付", "日付",
         "2024/02/29|2024/03/01"},
        {"select * from 営業日報 where ふりがな like 'こう*' order by 日付, 担当", "タイトル", "閏日|月初|二件目"},
        {"select * from 営業日報 where ふりがな like 'ABC*'", "顧客名", "ABC工業"},
        {"select * from 営業日報 where ふりがな like '?つ'", "顧客名", "乙"},
        {"select * from 営業日報 where メモ like 'メモ#'", "顧客名", "甲商事"},
        {"select * from 営業日報 where メモ like '[*]*'", "メモ", "*印"},
        {"select * from 営業日報 where メモ like '100%'", "メモ", "100%"},
        {"select * from 営業日報 where メモ like '10_%'", "メモ", ""},
        {"select * from 営業日報 where ふりがな like '[!こ]*' order by 日付", "顧客名", "乙|ABC工業|丙"},
        {"select * from 営業日報 where not ふりがな like '[a-z]*' and 日付 < #2024/3/2# order by 日付", "タイトル",
         "閏日|月初"},
        {"select * from 営業日報 where isnull(メモ) order by 日付", "タイトル", "月初|四月"},
        {"select * from 営業日報 where not isnull(メモ) and メモ = 'it''s'", "顧客名", "乙"},
        {"select 顧客名 & '様' as 宛名 from 営業日報 where 担当 = '佐藤'", "宛名", "甲商事様"},
        {"select nz(メモ, '-') as m from 営業日報 where 日付 = #2024/4/1#", "m", "-"},
        {"select * from コードマスタ where kcode = '担当' and cnt = True", "code", "01"},
        {"select count(*) as n from 営業日報 where 顧客名 = 'x'' or ''1''=''1'", "n", "0"},
        {"select distinct 担当 from 営業日報 order by 担当", "担当", "佐藤|山田"},
        {"select * from [営業日報] where [顧客名] = \"乙\";", "タイトル", "訪問"},
    };
    Database db = Database::open(data);
    for (const SelectCase &c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        const QString expected = QString::fromUtf8(c.expected);
        EXPECT_EQ(Access::column(db, sql, QString::fromUtf8(c.field)).join(u'|'), expected) << c.sql;
    }
}

TEST_P(BothEngines, WritesCountTheirRowsAndHostileTextsStayTexts) {
    Database db = Database::open(data);
    const QString hostile[] = {
        QStringLiteral("'; delete from 営業日報; --"), QStringLiteral("a\"b[c]*?#%_\\"), QStringLiteral("$1 $$ ?1"),
        QStringLiteral("改行\nと\tタブ"), QStringLiteral("𠮷野家") + QChar(0xD800),
    };
    for (const QString &t : hostile) {
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 顧客マスタ (名称, ふりがな) values (") + sqlText(t) +
                               QStringLiteral(", 'z')")))
            << db.error().toStdString();
        EXPECT_EQ(Access::column(db, QStringLiteral("select * from 顧客マスタ where 名称 = ") + sqlText(t), QStringLiteral("名称")),
                  QStringList{wellFormed(t)});
        EXPECT_EQ(Access::column(db, QStringLiteral("select * from 顧客マスタ where 名称 like '") + likeText(t) + u'\'',
                                 QStringLiteral("名称")),
                  QStringList{wellFormed(t)});
    }
    EXPECT_EQ(Access::column(db, QStringLiteral("select count(*) as n from 営業日報"), QStringLiteral("n")), QStringList{"6"});
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where 日付 = #2024/03/15#")));
    EXPECT_EQ(db.recordsAffected(), 2);
    ASSERT_TRUE(db.execute(QStringLiteral("update コードマスタ set sname = '山田' where kcode = '担当' and code = '02'")));
    EXPECT_EQ(db.recordsAffected(), 1);
    EXPECT_FALSE(db.execute(QStringLiteral("select * from 営業日報")));
    EXPECT_FALSE(db.execute(QStringLiteral("delete * from 無い表")));
    EXPECT_FALSE(db.openRecordset(QStringLiteral("select * from 営業日報 where 日付 = #2024/02/30#")).isOpen());
}

TEST_P(BothEngines, RecordsetsEditAddAndFindTheirRowsByBookmark) {
    Database db = Database::open(data);
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 担当 = '山田' order by 日付"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(QStringLiteral("日付")), QVariant(QDate(2024, 2, 29)));
    EXPECT_EQ(rs.field(QStringLiteral("メモ")).typeId(), QMetaType::QString);
    rs.moveNext();
    const QVariant mark = rs.bookmark();
    rs.edit();
    rs.setField(QStringLiteral("タイトル"), QStringLiteral("書き換え"));
    ASSERT_TRUE(rs.update()) << rs.error().toStdString();
    EXPECT_EQ(rs.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("書き換え")));
    EXPECT_EQ(rs.field(QStringLiteral("顧客名")), QVariant(QStringLiteral("甲商事")));
    rs.close();
    // The bookmark taken before the edit or the one after: both engines find
    // the row by the bookmark the recordset shows now.
    Recordset again = db.openRecordset(QStringLiteral("select * from 営業日報 where タイトル = '書き換え'"));
    ASSERT_FALSE(again.eof());
    Recordset row = db.openRow(QStringLiteral("営業日報"), again.bookmark());
    ASSERT_FALSE(row.eof()) << row.error().toStdString();
    EXPECT_EQ(row.field(QStringLiteral("日付")), QVariant(QDate(2024, 3, 1)));
    EXPECT_FALSE(db.openRow(QStringLiteral("営業日報"), QVariant()).isOpen());
    Q_UNUSED(mark);

    Recordset bad = db.openRecordset(QStringLiteral("select * from 営業日報"));
    bad.addNew();
    bad.setField(QStringLiteral("日付"), QStringLiteral("not a day"));
    EXPECT_FALSE(bad.update());
    EXPECT_NE(bad.error(), QString());
}

TEST_P(BothEngines, TransactionsAreAllOrNothing) {
    Database db = Database::open(data);
    ASSERT_TRUE(db.beginTrans());
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報")));
    db.rollback();
    EXPECT_EQ(Access::column(db, QStringLiteral("select count(*) as n from 営業日報"), QStringLiteral("n")), QStringList{"6"});
    ASSERT_TRUE(db.beginTrans());
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where 担当 = '佐藤'")));
    ASSERT_TRUE(db.commitTrans());
    ASSERT_TRUE(db.beginTrans());
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報")));
    db.close();  // closing with the transaction open rolls it back
    Database again = Database::open(data);
    EXPECT_EQ(Access::column(again, QStringLiteral("select count(*) as n from 営業日報"), QStringLiteral("n")), QStringList{"5"});
}

// The work file's insert-select from the data database: attached for a
// file, run on the server and inserted here for a server.
TEST_P(BothEngines, RowsCopyIntoTheWorkFileByName) {
    Database w = Database::open(work);
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w日報一覧 select 日付,顧客名,タイトル,担当 from 営業日報 in ") +
                          sqlText(data) + QStringLiteral(" where 日付 >= #2024/3/1# and 日付 <= #2024/3/31# order by 日付")))
        << w.error().toStdString();
    EXPECT_EQ(w.recordsAffected(), 4);
    EXPECT_EQ(Access::column(w, QStringLiteral("select * from w日報一覧 order by 日付, 担当"), QStringLiteral("タイトル")).join(u'|'),
              QStringLiteral("月初|二件目|訪問|月末"));
    EXPECT_EQ(Access::column(w, QStringLiteral("select * from w日報一覧 where チェック = False"), QStringLiteral("日付")).size(), 4);
    // select *: the fields the work table lacks are left out, its own take
    // their defaults.
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w日報印刷 select * from 営業日報 in ") + sqlText(data) +
                          QStringLiteral(" where 担当 = ") + sqlText(QStringLiteral("佐藤"))))
        << w.error().toStdString();
    EXPECT_EQ(Access::column(w, QStringLiteral("select * from w日報印刷"), QStringLiteral("メモ")), QStringList{"100%"});
    EXPECT_EQ(Access::column(w, QStringLiteral("select * from w日報印刷"), QStringLiteral("日付")), QStringList{"2024/03/15"});
    // Inside a transaction of the work file, and undone with it.
    ASSERT_TRUE(w.beginTrans());
    ASSERT_TRUE(w.execute(QStringLiteral("delete * from w顧客マスタ")));
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ select 顧客名 as 名称, ふりがな from 営業日報 in ") +
                          sqlText(data)));
    EXPECT_EQ(w.recordsAffected(), 6);
    w.rollback();
    EXPECT_EQ(Access::column(w, QStringLiteral("select count(*) as n from w顧客マスタ"), QStringLiteral("n")), QStringList{"0"});
    // A field the table lacks, named in the list, is refused and copies nothing.
    EXPECT_FALSE(w.execute(QStringLiteral("insert into w日報一覧 select 日付, メモ from 営業日報 in ") + sqlText(data)));
    EXPECT_EQ(Access::column(w, QStringLiteral("select count(*) as n from w日報一覧"), QStringLiteral("n")), QStringList{"4"});
}

struct SearchCase {
    const char *typed;
    const char *staff;
    const char *titles;  // newest first, joined by "|"
};

TEST_P(BothEngines, SearchFindsTheSameReportsBlindToWidthAndKana) {
    const SearchCase cases[] = {
        {"ａｂｃ", "", "月末"},             // full-width Latin finds the customer ABC工業
        {"めも", "", "閏日"},               // hiragana finds the katakana memo
        {"月", "山田", "四月|月末|月初"},   // the staff filter, newest first
        {"100%", "", "二件目"},             // a like wildcard is plain text
        {"*印", "", "月末"},
        {"it's", "", "訪問"},
        {"NEAR \"", "", ""},
    };
    for (const SearchCase &c : cases) {
        model::SearchRequest request;
        request.text = QString::fromUtf8(c.typed);
        request.staff = QString::fromUtf8(c.staff);
        model::SearchResult result;
        const Error error = model::searchReports(data, request, &result);
        ASSERT_TRUE(error.ok()) << c.typed << ": " << error.message().toStdString();
        QStringList titles;
        for (const model::SearchHit &hit : result.hits) titles << hit.title;
        EXPECT_EQ(titles.join(u'|').toStdString(), std::string(c.titles)) << c.typed;
    }
    EXPECT_EQ(model::searchIndexApplies(data), GetParam() == Engine::File);
}

INSTANTIATE_TEST_SUITE_P(Engines, BothEngines, ::testing::Values(Engine::File, Engine::Server), engineName);

}  // namespace
}  // namespace tqen::dao::test
