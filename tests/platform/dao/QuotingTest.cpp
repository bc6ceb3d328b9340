#include "tests/platform/dao/DaoTestSupport.h"

#include "tests/support/QtPrinters.h"

namespace tqen::dao::test {
namespace {

QStringList hostileTexts() {
    QString longText(10000, QChar(u'あ'));
    longText[17] = u'\'';
    longText[500] = u'*';
    longText[9000] = u'%';
    return {
        QStringLiteral("O'Brien"), QStringLiteral("'"), QStringLiteral("''"), QStringLiteral("' or '1'='1"),
        QStringLiteral("*"), QStringLiteral("a*b"), QStringLiteral("%"), QStringLiteral("100%"),
        QStringLiteral("_"), QStringLiteral("a_b"), QStringLiteral("#"), QStringLiteral("#1"),
        QStringLiteral("["), QStringLiteral("[a]"), QStringLiteral("]"), QStringLiteral("?"),
        QStringLiteral("[!a]"), QStringLiteral("\""), QStringLiteral("\\"), QStringLiteral("a\\%"),
        QString::fromUtf16(u"a\0b", 3), QString(QChar(u'\0')), QStringLiteral("𠮷野家"), QStringLiteral("😀x"),
        QStringLiteral("#2002/02/14#"), QStringLiteral("  "), QStringLiteral(";delete * from 顧客マスタ"),
        QStringLiteral("ＡＢＣ株式会社"), QString(), longText,
    };
}

// Stores each name as a customer whose 担当 is its number in the list.
void storeNames(Database &db, const QStringList &names) {
    Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ"));
    for (int i = 0; i < names.size(); ++i) {
        rs.addNew();
        rs.setField(QStringLiteral("名称"), names[i]);
        rs.setField(QStringLiteral("担当"), i);
        ASSERT_TRUE(rs.update()) << rs.error().toStdString();
    }
}

// The numbers (担当) of the customers a select finds, smallest first.
QList<int> numbersOf(Database &db, const QString &sql) {
    QList<int> out;
    Recordset rs = db.openRecordset(sql);
    EXPECT_TRUE(rs.isOpen()) << rs.error().toStdString();
    for (; !rs.eof(); rs.moveNext()) out << rs.field(QStringLiteral("担当")).toInt();
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Quoting, HelpersWriteJetLiterals) {
    EXPECT_EQ(sqlText(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    EXPECT_EQ(sqlText(QString()), QStringLiteral("''"));
    EXPECT_EQ(likeText(QStringLiteral("a*b?c#d[e]f'g%h_")), QStringLiteral("a[*]b[?]c[#]d[[]e]f''g%h_"));
    EXPECT_EQ(sqlDate(QDate(2002, 2, 14)), QStringLiteral("#2002/02/14#"));
}

// Every hostile text selects exactly the rows that hold it, by = and by a
// like prefix, and comes back from the file unchanged.
TEST_F(Files, HostileTextsSelectExactlyTheRowsHoldingThem) {
    Database db = Database::open(dataDb());
    ASSERT_TRUE(db.isOpen());
    const QStringList texts = hostileTexts();
    QStringList stored = {QStringLiteral("abc"), QStringLiteral("1"), QStringLiteral("x"), QStringLiteral("a")};
    for (const QString &t : texts) stored << t << t + QStringLiteral("尾") << QStringLiteral("前") + t;
    ASSERT_NO_FATAL_FAILURE(storeNames(db, stored));
    const auto rowsOf = [&](const QString &sql) { return numbersOf(db, sql); };
    for (int k = 0; k < texts.size(); ++k) {
        const QString &t = texts[k];
        SCOPED_TRACE("hostile text #" + std::to_string(k) + " " + t.left(20).toStdString());
        QList<int> equal, prefix;
        for (int i = 0; i < stored.size(); ++i) {
            if (stored[i] == t) equal << i;
            if (stored[i].startsWith(t, Qt::CaseInsensitive)) prefix << i;
        }
        EXPECT_EQ(rowsOf(QStringLiteral("select * from 顧客マスタ where 名称 = ") + sqlText(t)), equal);
        EXPECT_EQ(rowsOf(QStringLiteral("select * from 顧客マスタ where 名称 like '") + likeText(t) + QStringLiteral("*'")),
                  prefix);
        Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ where 担当 = %1").arg(equal.value(0)));
        EXPECT_EQ(rs.field(QStringLiteral("名称")).toString(), stored[equal.value(0)]);
    }
    // The same texts as values of a delete: only their own rows go.
    ASSERT_TRUE(db.execute(QStringLiteral("delete * from 顧客マスタ where 名称 = ") + sqlText(QStringLiteral("' or '1'='1"))));
    EXPECT_EQ(db.recordsAffected(), 1);
}

// A lone UTF-16 half of a character cannot be stored as UTF-8. It once became
// "?" on the way, so a typed value selected the rows holding "?" and, in a
// like, every one-character name. It is now replaced by U+FFFD before quoting
// and binding, the same way every time, so it selects only its own rows.
TEST_F(Files, LoneSurrogatesSelectOnlyTheirOwnRows) {
    Database db = Database::open(dataDb());
    ASSERT_TRUE(db.isOpen());
    const QString lone[] = {QString(QChar(0xD800)), QStringLiteral("a") + QChar(0xDC00),
                            QString(QChar(0xDBFF)) + QStringLiteral("x"), QString(QChar(0xDC00)) + QChar(0xD800)};
    const QStringList others = {QStringLiteral("?"), QStringLiteral("a?"), QStringLiteral("?x"), QStringLiteral("b"),
                                QStringLiteral("??"), QStringLiteral("𠮷")};
    QStringList stored = others;
    for (const QString &t : lone) stored << t;
    ASSERT_NO_FATAL_FAILURE(storeNames(db, stored));
    const auto rowsOf = [&](const QString &sql) { return numbersOf(db, sql); };
    for (int k = 0; k < int(std::size(lone)); ++k) {
        SCOPED_TRACE("lone surrogate case #" + std::to_string(k));
        const int own = int(others.size()) + k;
        EXPECT_EQ(rowsOf(QStringLiteral("select * from 顧客マスタ where 名称 = ") + sqlText(lone[k])), QList<int>{own});
        EXPECT_EQ(rowsOf(QStringLiteral("select * from 顧客マスタ where 名称 like '") + likeText(lone[k]) + u'\''),
                  QList<int>{own});
        // What is stored is what a well-formed text of it shows: U+FFFD, never "?".
        Recordset rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ where 担当 = %1").arg(own));
        const QString back = rs.field(QStringLiteral("名称")).toString();
        EXPECT_EQ(back, wellFormed(lone[k]));
        EXPECT_FALSE(back.contains(u'?'));
        EXPECT_TRUE(back.contains(QChar(0xFFFD)));
    }
    EXPECT_EQ(wellFormed(QStringLiteral("𠮷a")), QStringLiteral("𠮷a"));
}

}  // namespace
}  // namespace tqen::dao::test
