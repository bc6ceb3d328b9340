#include "tests/platform/dao/DaoTestSupport.h"

#include "platform/dao/JetLexer.h"
#include "platform/dao/JetLike.h"
#include "platform/dao/JetTranslator.h"

#include "tests/support/QtPrinters.h"

namespace tqen::dao::test {
namespace {

struct LikeCase {
    const char16_t *value;
    const char16_t *pattern;
    LikeResult expected;
};

TEST(JetLikePatterns, MatchAsJetDoes) {
    const LikeResult Y = LikeResult::Match, N = LikeResult::NoMatch, Bad = LikeResult::BadPattern;
    const LikeCase cases[] = {
        {u"こうさん", u"こう*", Y},    {u"こ", u"こう*", N},         {u"anything", u"*", Y},
        {u"", u"*", Y},                {u"", u"", Y},                {u"a", u"", N},
        {u"abc", u"a?c", Y},           {u"ac", u"a?c", N},           {u"a1c", u"a#c", Y},
        {u"abc", u"a#c", N},           {u"ABC", u"abc", Y},          {u"ａｂｃ", u"ＡＢＣ", Y},
        {u"b", u"[a-c]", Y},           {u"B", u"[a-c]", Y},          {u"d", u"[a-c]", N},
        {u"d", u"[!a-c]", Y},          {u"b", u"[!a-c]", N},         {u"*", u"[*]", Y},
        {u"x", u"[*]", N},             {u"[", u"[[]", Y},            {u"?", u"[?]", Y},
        {u"#", u"[#]", Y},             {u"1", u"[#]", N},            {u"100%", u"100%", Y},
        {u"1000", u"100%", N},         {u"a_b", u"a_b", Y},          {u"axb", u"a_b", N},
        {u"-", u"[a-]", Y},            {u"!", u"[!]", Y},            {u"]", u"]", Y},
        {u"abcbc", u"*bc", Y},         {u"abcbd", u"*bc*d", Y},      {u"ab", u"*b*b*", N},
        {u"𠮷野家", u"𠮷*", Y},        {u"𠮷野家", u"?野家", Y},     {u"[a", u"[a", Bad},
        {u"a", u"[z-a]", Bad},
    };
    for (const LikeCase &c : cases) {
        const QString v = QString::fromUtf16(c.value), p = QString::fromUtf16(c.pattern);
        EXPECT_EQ(jetLike(v, p), c.expected) << v.toStdString() << " like " << p.toStdString();
    }
}

TEST(JetLexer, SplitsStatementsAndRefusesTrailingText) {
    const JetLexResult r = lexJet(QStringLiteral("select [営業 日報].* from [営業 日報] where x = 'it''s' and d = #2002/02/14#;  "));
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    ASSERT_EQ(r.tokens.size(), 14);
    EXPECT_EQ(r.tokens[1].kind, JetToken::BracketName);
    EXPECT_EQ(r.tokens[1].text, QStringLiteral("営業 日報"));
    EXPECT_EQ(r.tokens[9].text, QStringLiteral("it's"));
    EXPECT_EQ(r.tokens[13].kind, JetToken::Date);
    for (const char *bad : {"select 'open", "select * from t; x", "select #2002/01/01", "select a ! b", "select 1a"}) {
        EXPECT_FALSE(lexJet(QString::fromUtf8(bad)).error.isEmpty()) << bad;
    }
}

// The statements as the screens write them, against a small data file.
class FormStatements : public Files {
protected:
    void SetUp() override {
        Files::SetUp();
        data = dataDb();
        work = workDb();
        Database d = Database::open(data);
        const char *rows[][5] = {
            {"2001/12/31", "甲商事", "こうしょうじ", "年末", "山田"},  {"2002/2/1", "甲商事", "こうしょうじ", "月初", "山田"},
            {"2002/02/14", "乙", "おつ", "訪問", "山田"},             {"2002/02/14", "甲商事", "こうしょうじ", "二件目", "佐藤"},
            {"2002/2/28", "甲商事", "こうしょうじ", "月末", "山田"},    {"2002/9/30", "丙", "へい", "九月", "山田"},
            {"2002/10/1", "丙", "へい", "十月", "山田"},
        };
        for (const auto &r : rows)
            ASSERT_TRUE(d.execute(QStringLiteral("insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当) values (#%1#, '%2', '%3', '%4', '%5')")
                                      .arg(QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2]),
                                           QString::fromUtf8(r[3]), QString::fromUtf8(r[4]))))
                << d.error().toStdString();
        ASSERT_TRUE(d.execute(QStringLiteral("insert into 顧客マスタ (名称, ふりがな, 担当) values "
                                             "('甲商事', 'こうしょうじ', '山田'), ('コウ電機', 'コウデンキ', '山田'), "
                                             "('ｺｳ社', 'ｺｳｼｬ', '佐藤'), ('乙', 'おつ', '山田'), ('無名', null, '山田')")));
    }
    QString data, work;
};

TEST_F(FormStatements, DatesCompareAndSortByCalendarDay) {
    Database d = Database::open(data);
    EXPECT_EQ(column(d, QStringLiteral("select * from 営業日報 where 日付 >= #2002/02/01# and 日付 <= #2002/02/28# and 担当 = '山田'  order by 日付;"),
                     QStringLiteral("タイトル")),
              (QStringList{"月初", "訪問", "月末"}));
    EXPECT_EQ(column(d, QStringLiteral("select * from 営業日報 where 日付 >= #2002/9/1#  order by 日付 desc"), QStringLiteral("日付")),
              (QStringList{"2002/10/01", "2002/09/30"}));
    EXPECT_EQ(column(d, QStringLiteral("select * from 営業日報 where 日付 = #2/14/2002# and 顧客名 = '乙'"), QStringLiteral("タイトル")),
              QStringList{"訪問"});
    EXPECT_EQ(column(d, QStringLiteral("select * from 営業日報 where 日付 < #2002/01/01 12:00#"), QStringLiteral("タイトル")),
              QStringList{"年末"});
}

TEST_F(FormStatements, CodeAndCustomerListsAsTheScreensAskForThem) {
    Database d = Database::open(data);
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(d.execute(QStringLiteral("insert into コードマスタ values ('担当', '%1', 'n%1', %2)").arg(4 - i).arg(i)));
    EXPECT_EQ(column(d, QStringLiteral("SELECT * FROM コードマスタ WHERE kcode = '担当'order by cnt"), QStringLiteral("code")),
              (QStringList{"3", "2", "1"}));
    EXPECT_EQ(column(d, QStringLiteral("select * from コードマスタ where kcode = '担当' order by code;"), QStringLiteral("code")),
              (QStringList{"1", "2", "3"}));
    EXPECT_EQ(column(d, QStringLiteral("select * from 顧客マスタ where 担当 = '山田' order by ふりがな;"), QStringLiteral("名称")),
              (QStringList{"無名", "乙", "甲商事", "コウ電機"}));
    // The kana index: hiragana, katakana and half-width katakana prefixes.
    EXPECT_EQ(column(d, QStringLiteral("select 名称,ふりがな from 顧客マスタ where (ふりがな like 'こう*') or (ふりがな like 'コウ*') or "
                                       "(ふりがな like 'ｺｳ*') order by ふりがな;"),
                     QStringLiteral("名称")),
              (QStringList{"甲商事", "コウ電機", "ｺｳ社"}));
    // A Null kana leaves the bare wildcard: every customer with a reading.
    EXPECT_EQ(column(d, QStringLiteral("select 名称,ふりがな from 顧客マスタ where (ふりがな like '*') order by ふりがな;"),
                     QStringLiteral("名称")).size(),
              4);
    EXPECT_EQ(column(d, QStringLiteral("select * from 顧客マスタ where isnull(ふりがな)"), QStringLiteral("名称")), QStringList{"無名"});
}

TEST_F(FormStatements, PrintConditionsWithOddBlanksCopyTheRightRows) {
    struct Case {
        const char *conditions;
        QStringList titles;
    };
    const Case cases[] = {
        {"", {"年末", "月初", "訪問", "二件目", "月末", "九月", "十月"}},
        {" where  日付 <= #2002/02/01#", {"年末", "月初"}},
        {" where 日付 >= #2002/02/14# and  顧客名 = '甲商事'", {"二件目", "月末"}},
        {" where  担当= '佐藤'", {"二件目"}},
        {" where 日付 >= #2002/03/01# and  日付 <= #2002/02/01#", {}},
    };
    Database w = Database::open(work);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.conditions);
        ASSERT_TRUE(w.execute(QStringLiteral("delete * from w日報印刷")));
        const QString sql = QStringLiteral("insert into w日報印刷 select * from 営業日報 in '") + data + u'\'' +
                            QString::fromUtf8(c.conditions) + QStringLiteral(" order by 日付,顧客名,担当;");
        ASSERT_TRUE(w.execute(sql)) << w.error().toStdString();
        EXPECT_EQ(column(w, QStringLiteral("select * from w日報印刷"), QStringLiteral("タイトル")), c.titles);
    }
}

TEST_F(FormStatements, TickedLinesAreFoundAndDeletedWithTrue) {
    Database w = Database::open(work);
    ASSERT_TRUE(w.execute(QStringLiteral("insert into w日報一覧 select 日付,顧客名,タイトル,担当 from 営業日報 in '%1' where 日付 >= #2002/02/01# and 日付 <= #2002/02/28# order by 日付 DESC,ふりがな;").arg(data)));
    ASSERT_TRUE(w.execute(QStringLiteral("update w日報一覧 set チェック = True where 顧客名 = '甲商事' and 担当 = '山田'")));
    Database d = Database::open(data);
    Recordset rs = w.openRecordset(QStringLiteral("select * from w日報一覧 where チェック = True"));
    int deleted = 0;
    for (; !rs.eof(); rs.moveNext()) {
        ASSERT_TRUE(d.execute(QStringLiteral("delete * from 営業日報 where 顧客名 = ") + sqlText(rs.field(QStringLiteral("顧客名")).toString()) +
                              QStringLiteral(" and 担当 = ") + sqlText(rs.field(QStringLiteral("担当")).toString()) +
                              QStringLiteral(" and 日付 = ") + sqlDate(rs.field(QStringLiteral("日付")).toDate())));
        deleted += int(d.recordsAffected());
    }
    rs.close();
    EXPECT_EQ(deleted, 2);
    ASSERT_TRUE(w.execute(QStringLiteral("delete * from w日報一覧 where チェック = True")));
    EXPECT_EQ(column(w, QStringLiteral("select * from w日報一覧"), QStringLiteral("タイトル")), (QStringList{"訪問", "二件目"}));
}

// Statements of one shape with other values: each runs with its own values,
// also when the shape was translated before.
TEST_F(FormStatements, StatementsOfOneShapeRunWithTheirOwnValues) {
    Database d = Database::open(data);
    struct Case {
        const char *from, *to, *staff;
        QStringList titles;  // empty with failed: the statement fails
        bool failed = false;
    };
    const Case cases[] = {
        {"2002/02/01", "2002/02/28", "山田", {"月初", "訪問", "月末"}},
        {"2002/02/01", "2002/02/28", "佐藤", {"二件目"}},
        {"2001/12/01", "2002/02/01", "山田", {"年末", "月初"}},
        {"2002/02/01", "2002/02/31", "山田", {}, true},   // no such day
        {"2002/9/1", "2002/10/1", "山田", {"九月", "十月"}},
        {"2002/02/01", "2002/02/28", "山田' or 'x' = 'x", {}},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.staff);
            const QString sql = QStringLiteral("select * from 営業日報 where 日付 >= #%1# and 日付 <= #%2# and 担当 = %3 order by 日付")
                                    .arg(QString::fromUtf8(c.from), QString::fromUtf8(c.to), sqlText(QString::fromUtf8(c.staff)));
            Recordset rs = d.openRecordset(sql);
            EXPECT_EQ(rs.isOpen(), !c.failed) << rs.error().toStdString();
            if (!c.failed) EXPECT_EQ(column(d, sql, QStringLiteral("タイトル")), c.titles);
        }
    }
    // The file a statement names is part of its shape: another file, other rows.
    const QString other = makeDb(QStringLiteral("Other.mdb"), kDataSchema);
    ASSERT_TRUE(Database::open(other).execute(QStringLiteral("insert into 営業日報 (タイトル) values ('別の')")));
    EXPECT_EQ(column(d, QStringLiteral("select * from 営業日報 in '%1' where タイトル <> '無'").arg(other), QStringLiteral("タイトル")),
              QStringList{"別の"});
    EXPECT_EQ(column(d, QStringLiteral("select * from 営業日報 in '%1' where タイトル <> '無'").arg(data), QStringLiteral("タイトル")).size(),
              7);
}

// Long typed values and long statements do not pile up in the translations
// kept: they are kept by shape, and only so many, so small.
TEST(JetTranslations, KeptBySmallShapesOnly) {
    const QString big(100 * 1024, u'x');
    for (int i = 0; i < 600; ++i) {
        const auto tr = translateJet(QStringLiteral("select * from t where a = '%1%2'").arg(i).arg(big));
        ASSERT_TRUE(tr->error.isEmpty());
        ASSERT_EQ(tr->params.size(), 1);
        EXPECT_EQ(tr->params[0].toString().size(), big.size() + QString::number(i).size());
        QStringList numbers;  // a new shape each time, longer than any kept
        for (int k = 0; k < 1000; ++k) numbers << QString::number(i + k);
        translateJet(QStringLiteral("select * from t where a in (%1)").arg(numbers.join(u',')));
        translateJet(QStringLiteral("select * from t where c%1 = 1").arg(i));  // many small shapes
    }
    const TranslationCacheSize kept = translationCacheSize();
    EXPECT_LE(kept.shapes, 256);
    EXPECT_LE(kept.keyChars, 256 * 4096);
}

}  // namespace
}  // namespace tqen::dao::test
