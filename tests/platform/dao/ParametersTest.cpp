// Statements whose values are passed as values (? marks), on a data file and
// on the test server, and what the engine counts.
#include "tests/platform/dao/DaoTestSupport.h"

#include "platform/dao/JetTranslator.h"
#include "tests/support/BothEngines.h"
#include "tests/support/QtPrinters.h"

namespace tqen::dao::test {
namespace {

using testing::Engine;

class Parameters : public testing::BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!ready()) return;
        path = session.dataDbPath;
        db = Database::open(path);
        ASSERT_TRUE(db.isOpen()) << db.error().toStdString();
    }
    void add(const QVariant &day, const QVariant &customer, const QVariant &staff, const QVariant &title) {
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, 担当, タイトル) values (?, ?, ?, ?)"),
                               {day, customer, staff, title}))
            << db.error().toStdString();
    }
    // The titles a select with values finds, in order; "<failed: …>" when it fails.
    QStringList titles(const QString &where, const QVariantList &values) {
        Recordset rs = db.openRecordset(QStringLiteral("select タイトル from 営業日報 where ") + where +
                                            QStringLiteral(" order by タイトル"),
                                        values);
        if (!rs.isOpen()) return {QStringLiteral("<failed: %1>").arg(rs.error())};
        QStringList out;
        for (; !rs.eof(); rs.moveNext()) out << rs.field(QStringLiteral("タイトル")).toString();
        return out;
    }
    qlonglong count(const QString &sql, const QVariantList &values = {}) {
        Recordset rs = db.openRecordset(sql, values);
        EXPECT_TRUE(rs.isOpen()) << rs.error().toStdString();
        return rs.field(QStringLiteral("n")).toLongLong();
    }

    QString path;
    Database db;
};

// Each kind of value finds what the same value written as a literal finds,
// and a value written with ? reads back as its kind.
TEST_P(Parameters, EveryKindOfValueComparesAsItsLiteralDoes) {
    ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, 担当, タイトル) values (#2002/02/14#, '甲商事', '山田', 'リテラル')")));
    add(QDate(2002, 2, 15), QStringLiteral("甲商事"), QStringLiteral("山田"), QStringLiteral("値"));
    add(QDateTime(QDate(2002, 2, 16), QTime(0, 0)), QStringLiteral("乙"), QVariant(), QStringLiteral("日時"));
    const struct {
        const char *where;
        QVariantList values;
        QStringList found;
    } cases[] = {
        {"日付 = ?", {QDate(2002, 2, 14)}, {"リテラル"}},
        {"日付 = #2002/02/15#", {}, {"値"}},
        {"日付 between ? and ?", {QDate(2002, 2, 14), QDate(2002, 2, 15)}, {"リテラル", "値"}},
        {"日付 > ?", {QDate(2002, 2, 9)}, {"リテラル", "値", "日時"}},  // by calendar date, not as text
        {"日付 = ?", {QDateTime(QDate(2002, 2, 16), QTime(0, 0))}, {"日時"}},
        {"顧客名 = ? and 担当 = ?", {QStringLiteral("甲商事"), QStringLiteral("山田")}, {"リテラル", "値"}},
        {"顧客名 like ?", {QStringLiteral("甲*")}, {"リテラル", "値"}},
        {"顧客名 like ?", {QStringLiteral("?")}, {"日時"}},  // a Jet pattern: one character
        {"顧客名 like ?", {likeValue(QStringLiteral("甲*"))}, {}},
        {"isnull(担当) and タイトル = ?", {QStringLiteral("日時")}, {"日時"}},
        {"担当 = ?", {QVariant()}, {}},  // Null equals nothing
        {"(日付 > ?) = ?", {QDate(2002, 2, 15), true}, {"日時"}},
        {"(日付 > ?) = ?", {QDate(2002, 2, 15), false}, {"リテラル", "値"}},
        {"タイトル = '?' or 顧客名 = ?", {QStringLiteral("乙")}, {"日時"}},  // a ? in a literal is no mark
    };
    for (const auto &c : cases) EXPECT_EQ(titles(QString::fromUtf8(c.where), c.values), c.found) << c.where;

    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where タイトル = ?"), {QStringLiteral("値")});
    ASSERT_FALSE(rs.eof()) << rs.error().toStdString();
    EXPECT_EQ(rs.field(QStringLiteral("日付")), QVariant(QDate(2002, 2, 15)));
    EXPECT_EQ(rs.field(QStringLiteral("担当")), QVariant(QStringLiteral("山田")));
}

TEST_P(Parameters, NumbersAndYesNoCompareAsNumbers) {
    // The thirty staff slots, cnt 1 … 30.
    const struct {
        const char *where;
        QVariantList values;
        qlonglong n;
    } cases[] = {
        {"cnt = ?", {5}, 1},
        {"cnt = ?", {qlonglong(7)}, 1},
        {"cnt < ?", {2.5}, 2},
        {"cnt >= ? and code = ?", {29, QStringLiteral("30")}, 1},
        {"(cnt > 28) = ?", {true}, 2},
        {"(cnt > 28) = ?", {false}, 28},
        {"cnt = ?", {QVariant()}, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(count(QStringLiteral("select count(*) as n from コードマスタ where kcode = '担当' and ") +
                            QString::fromUtf8(c.where),
                        c.values),
                  c.n)
            << c.where;
}

// Typed text meant to break out of the statement stays a value.
TEST_P(Parameters, TextThatLooksLikeSqlIsAValue) {
    const QStringList hostile = {
        QStringLiteral("x' or '1'='1"), QStringLiteral("'); delete * from 営業日報; --"), QStringLiteral("#2002/02/14#"),
        QStringLiteral("? ? ?"),        QStringLiteral("[営業日報]"),                     QStringLiteral("\"甲\""),
        QStringLiteral("行1\n行2"),      QString(QChar(0xD800)) + QStringLiteral("半端"),
    };
    for (const QString &h : hostile) add(QDate(2002, 3, 1), h, QStringLiteral("山田"), h);
    EXPECT_EQ(count(QStringLiteral("select count(*) as n from 営業日報")), hostile.size());
    for (const QString &h : hostile) {
        // Stored as written (a half character as U+FFFD), found by itself only.
        EXPECT_EQ(titles(QStringLiteral("顧客名 = ?"), {h}), QStringList{wellFormed(h)}) << h.toStdString();
        EXPECT_EQ(titles(QStringLiteral("顧客名 like ?"), {likeValue(h)}), QStringList{wellFormed(h)}) << h.toStdString();
    }
    EXPECT_EQ(titles(QStringLiteral("顧客名 = ?"), {QStringLiteral("x")}), QStringList());
}

TEST_P(Parameters, UpdateAndDeleteTakeValuesAndCountTheirRows) {
    add(QDate(2002, 2, 14), QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("古い"));
    add(QDate(2002, 2, 15), QStringLiteral("甲"), QStringLiteral("山田"), QStringLiteral("新しい"));
    ASSERT_TRUE(db.execute(QStringLiteral("update 営業日報 set タイトル = ?, 担当 = ? where 日付 = ? and 顧客名 = ?"),
                           {QStringLiteral("直した"), QVariant(), QDate(2002, 2, 14), QStringLiteral("甲")}))
        << db.error().toStdString();
    EXPECT_EQ(db.recordsAffected(), 1);
    EXPECT_EQ(titles(QStringLiteral("isnull(担当)"), {}), QStringList{"直した"});
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where 日付 < ?"), {QDate(2002, 2, 15)}));
    EXPECT_EQ(db.recordsAffected(), 1);
    EXPECT_EQ(titles(QStringLiteral("顧客名 = ?"), {QStringLiteral("甲")}), QStringList{"新しい"});
}

// A count of values that differs from the marks, or a value of no kind the
// engine stores, fails the statement before anything runs.
TEST_P(Parameters, WrongValuesRunNothing) {
    const struct {
        const char *sql;
        QVariantList values;
    } cases[] = {
        {"insert into 営業日報 (顧客名, タイトル) values (?, ?)", {QStringLiteral("甲")}},
        {"insert into 営業日報 (顧客名, タイトル) values (?, ?)", {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}},
        {"insert into 営業日報 (顧客名) values ('甲')", {QStringLiteral("乙")}},
        {"insert into 営業日報 (顧客名) values (?)", {QVariant(QStringList{"甲"})}},
    };
    for (const auto &c : cases) {
        EXPECT_FALSE(db.execute(QString::fromUtf8(c.sql), c.values)) << c.sql;
        EXPECT_FALSE(db.error().isEmpty()) << c.sql;
    }
    const QString select = QStringLiteral("select * from 営業日報 where 顧客名 = ? and 担当 = ?");
    EXPECT_FALSE(db.openRecordset(select, {QStringLiteral("甲")}).isOpen());
    EXPECT_FALSE(db.openRecordset(select, {QStringLiteral("甲"), QVariant(QStringList{"乙"})}).isOpen());
    EXPECT_TRUE(db.openRecordset(select, {QStringLiteral("甲"), QStringLiteral("乙")}).isOpen());
    EXPECT_EQ(count(QStringLiteral("select count(*) as n from 営業日報")), 0);
    // The Jet text path knows no marks, as before.
    EXPECT_FALSE(db.execute(QStringLiteral("delete * from 営業日報 where 顧客名 = ?")));
    EXPECT_EQ(db.error(), QStringLiteral("Syntax error: unexpected character '?' (at character 32)"));
}

INSTANTIATE_TEST_SUITE_P(Engines, Parameters, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto &info) { return info.param == Engine::File ? "File" : "Server"; });

// ---------------------------------------------------------------------------

TEST(ParameterShapes, AStatementWithMarksIsOneShapeWhateverItsValues) {
    const QString sql = QStringLiteral("select * from 営業日報 where 日付 = ? and 顧客名 = ? and 担当 like ?");
    translateJet(sql, {QDate(2002, 2, 14), QStringLiteral("甲"), QStringLiteral("山*")});
    const TranslationCacheSize before = translationCacheSize();
    const QVariantList others[] = {
        {QDate(2030, 1, 1), QStringLiteral("乙"), QStringLiteral("*")},
        {QVariant(), 5, true},
        {QStringLiteral("2002/02/14"), QByteArray("x"), 2.5},
    };
    for (const QVariantList &values : others) {
        const auto tr = translateJet(sql, values);
        ASSERT_TRUE(tr->error.isEmpty()) << tr->error.toStdString();
        ASSERT_EQ(tr->params.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QVariant bound;
            QString error;
            ASSERT_TRUE(statementValue(values[i], &bound, &error));
            EXPECT_EQ(tr->params[i], bound);
        }
    }
    EXPECT_EQ(translationCacheSize().shapes, before.shapes);
}

class ParameterFiles : public Files {};

// "in ?" names another file by its path; the other values stay values.
TEST_F(ParameterFiles, AFileNamedByAMarkIsReadAndWritten) {
    const QString data = dataDb(), work = workDb();
    Database d = Database::open(data);
    ASSERT_TRUE(d.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, 担当, タイトル) values (#2002/02/14#, '甲', '山田', '一')")));
    ASSERT_TRUE(d.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, 担当, タイトル) values (#2002/02/15#, '甲', '山田', '二')")));
    Database w = Database::open(work);
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w日報一覧 select 日付, 顧客名, タイトル, 担当 from 営業日報 in ? where 日付 >= ?"),
                          {data, QDate(2002, 2, 15)}))
        << w.error().toStdString();
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報一覧"), QStringLiteral("タイトル")), QStringList{"二"});
    EXPECT_EQ(column(w, QStringLiteral("select * from 営業日報 in '%1' order by 日付").arg(data), QStringLiteral("タイトル")),
              (QStringList{"一", "二"}));
    Recordset rs = w.openRecordset(QStringLiteral("select タイトル from 営業日報 in ? where 日付 = ?"), {data, QDate(2002, 2, 14)});
    ASSERT_FALSE(rs.eof()) << rs.error().toStdString();
    EXPECT_EQ(rs.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("一")));
    // The path is a text; a file that is not there is not made.
    EXPECT_FALSE(w.execute(QStringLiteral("delete * from 営業日報 in ?"), {QDate(2002, 2, 14)}));
    EXPECT_FALSE(w.execute(QStringLiteral("delete * from 営業日報 in ?"), {dir.filePath(QStringLiteral("none.mdb"))}));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none.mdb"))));
    // Bytes are stored as they are.
    ASSERT_TRUE(d.execute(QStringLiteral("update 営業日報 set メモ = ? where タイトル = ?"), {QByteArray("\0\1\2", 3), QStringLiteral("一")}));
    Recordset bytes = d.openRecordset(QStringLiteral("select メモ from 営業日報 where メモ = ?"), {QByteArray("\0\1\2", 3)});
    ASSERT_FALSE(bytes.eof());
    EXPECT_EQ(bytes.field(QStringLiteral("メモ")), QVariant(QByteArray("\0\1\2", 3)));
}

// What the engine counts: opens, statements, and commits, a write outside a
// transaction being one of its own.
TEST_F(ParameterFiles, TheEngineCountsOpensStatementsAndCommits) {
    const QString data = dataDb(), work = workDb();
    resetStatistics();
    {
        Database d = Database::open(data);
        Database w = Database::open(work);
        ASSERT_TRUE(d.beginTrans());
        ASSERT_TRUE(d.execute(QStringLiteral("insert into 営業日報 (顧客名) values (?)"), {QStringLiteral("甲")}));
        Recordset rs = d.openRecordset(QStringLiteral("select * from 顧客マスタ"));
        rs.addNew();
        rs.setField(QStringLiteral("名称"), QStringLiteral("甲"));
        ASSERT_TRUE(rs.update());
        ASSERT_TRUE(d.commitTrans());
        ASSERT_TRUE(w.execute(QStringLiteral("update 管理 set 担当 = ?"), {QStringLiteral("山田")}));
        EXPECT_FALSE(w.execute(QStringLiteral("update 無い表 set 担当 = ?"), {QStringLiteral("山田")}));
        EXPECT_FALSE(w.execute(QStringLiteral("update 管理 set 担当 = ?"), {}));  // never reaches the engine
        ASSERT_TRUE(w.execute(QStringLiteral("insert into w顧客マスタ select 名称 from 顧客マスタ in ?"), {data}));
    }
    EXPECT_FALSE(Database::open(dir.filePath(QStringLiteral("none.mdb"))).isOpen());
    const Statistics s = statistics();
    EXPECT_EQ(s.opens, 2);
    EXPECT_EQ(s.opensOf, (QMap<QString, qlonglong>{{data, 1}, {work, 1}}));
    EXPECT_EQ(s.statements, 6);
    EXPECT_EQ(s.commits, 3);
    EXPECT_EQ(s.commitsOf, (QMap<QString, qlonglong>{{data, 1}, {work, 2}}));
    resetStatistics();
    EXPECT_EQ(statistics().opens + statistics().statements + statistics().commits, 0);
}

}  // namespace
}  // namespace tqen::dao::test
