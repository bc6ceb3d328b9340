// Search of the reports over three kinds of file: the delivered file (index
// made by its schema), a file from before the index once the index is built,
// and such a file searched without it. The index must stay right after
// every kind of write.
#include "model/ReportSearch.h"
#include "platform/text/Fold.h"
#include "tests/platform/dao/DaoTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace tqen::dao::test {
namespace {

using namespace tqen::model;

struct Report {
    const char *day;
    const char16_t *customer, *staff, *title, *memo;
};
const Report kReports[] = {
    {"2024/01/10", u"株式会社ガイド商事", u"山田", u"見積の打合せ", u"ＰＣ１０台の見積を提出。ｶﾞｲﾄﾞﾗｲﾝに沿って再提出予定"},
    {"2024/02/05", u"北海産業", u"佐藤", u"定例訪問", u"新製品のカタログを渡した。\"NEAR\" AND 割引 -10% ^特価* の件"},
    {"2024/03/01", u"北海産業", u"山田", u"クレーム対応", u"納期遅れのおわび。がいどらいんを説明"},
    {"2023/12/25", u"東京建設", u"鈴木", nullptr, u"年末のあいさつ"},
};

// Runs plain SQL on the file as another program would (the sqlite3 tool):
// its triggers run, no function of ours does.
void execOutside(const QString &path, const QByteArray &sql) {
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
    char *err = nullptr;
    EXPECT_EQ(sqlite3_exec(raw, sql.constData(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(raw);
}

class Search : public Files {
public:
    static QSet<qlonglong> proposedRows(const QString &path, const QString &t) { return proposed(path, t); }
    static QSet<qlonglong> holdingRows(const QString &path, const QString &t) { return holding(path, t); }

protected:
    void fill(const QString &path) {
        Database db = Database::open(path);
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (const Report &r : kReports) {
            rs.addNew();
            rs.setField(QStringLiteral("日付"), QString::fromLatin1(r.day));
            rs.setField(QStringLiteral("顧客名"), QString::fromUtf16(r.customer));
            rs.setField(QStringLiteral("担当"), QString::fromUtf16(r.staff));
            if (r.title) rs.setField(QStringLiteral("タイトル"), QString::fromUtf16(r.title));
            rs.setField(QStringLiteral("メモ"), QString::fromUtf16(r.memo));
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
    }
    // A copy of the delivered data file.
    QString delivered(const QString &name = QStringLiteral("delivered.mdb")) {
        const QString src = qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenData.mdb");
        const QString dst = dir.filePath(name);
        EXPECT_TRUE(QFile::copy(src, dst)) << src.toStdString();
        QFile(dst).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return dst;
    }
    static QStringList days(const QString &path, const SearchRequest &request, SearchMethod *method = nullptr) {
        SearchResult result;
        const Error e = searchReports(path, request, &result);
        EXPECT_TRUE(e.ok()) << e.message().toStdString() << " / " << e.detail().toStdString();
        if (method) *method = result.method;
        QStringList out;
        for (const SearchHit &h : result.hits) out << h.day.toString(QStringLiteral("yyyy/MM/dd"));
        return out;
    }
    static QStringList days(const QString &path, const QString &term, SearchMethod *method = nullptr) {
        return days(path, SearchRequest{term, {}, {}, 500}, method);
    }
    // What a search must find: every report whose folded title, memo or
    // customer holds the folded term, newest first.
    static QStringList expected(const QString &path, const QString &term) {
        Database db = Database::open(path);
        QStringList out;
        const QString t = text::fold(term.trimmed());
        Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 order by 日付 desc"));
        for (; !rs.eof(); rs.moveNext()) {
            for (const char *f : {"タイトル", "メモ", "顧客名"}) {
                if (!t.isEmpty() && text::fold(rs.field(QString::fromUtf8(f)).toString()).contains(t)) {
                    out << rs.field(QStringLiteral("日付")).toDate().toString(QStringLiteral("yyyy/MM/dd"));
                    break;
                }
            }
        }
        return out;
    }
    // The rowids the index itself proposes for a term of one to three
    // characters (what a search checks before it shows them).
    static QSet<qlonglong> proposed(const QString &path, const QString &foldedTerm) {
        sqlite3 *raw = nullptr;
        EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        const QString word = QString(foldedTerm).replace(u'"', QStringLiteral("\"\""));
        const QByteArray sql = foldedTerm.size() >= 3
                                   ? "SELECT rowid FROM 営業日報_検索 WHERE 営業日報_検索 MATCH ?"
                                   : "SELECT rowid FROM 営業日報_検索字 WHERE 営業日報_検索字 MATCH ?";
        const QByteArray match = (u'"' + (foldedTerm.size() >= 3 ? foldedTerm : word) + u'"').toUtf8();
        sqlite3_stmt *st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(raw, sql.constData(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        sqlite3_bind_text(st, 1, match.constData(), int(match.size()), SQLITE_TRANSIENT);
        QSet<qlonglong> out;
        while (sqlite3_step(st) == SQLITE_ROW) out.insert(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(raw);
        return out;
    }
    // The rowids of the reports whose folded fields hold the folded term.
    static QSet<qlonglong> holding(const QString &path, const QString &foldedTerm) {
        Database db = Database::open(path);
        QSet<qlonglong> out;
        Recordset rs = db.openRecordset(QStringLiteral("select rowid as r, タイトル, メモ, 顧客名 from 営業日報"));
        for (; !rs.eof(); rs.moveNext()) {
            for (const char *f : {"タイトル", "メモ", "顧客名"})
                if (text::fold(rs.field(QString::fromUtf8(f)).toString()).contains(foldedTerm))
                    out.insert(rs.field(QStringLiteral("r")).toLongLong());
        }
        return out;
    }
    // After the catch-up the index agrees with the reports exactly: FTS5's
    // own check passes, nothing waits, the index proposes precisely the
    // reports holding a term (no stale entry, none missing), and searches
    // find what a scan of the reports finds.
    void expectConsistent(const QString &path, const char *after) {
        SCOPED_TRACE(after);
        EXPECT_TRUE(hasSearchIndex(path));
        const Error e = catchUpSearchIndex(path);
        ASSERT_TRUE(e.ok()) << e.detail().toStdString();
        sqlite3 *raw = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        for (const char *sql : {"INSERT INTO 営業日報_検索 (営業日報_検索) VALUES ('integrity-check')",
                                "INSERT INTO 営業日報_検索字 (営業日報_検索字) VALUES ('integrity-check')"}) {
            char *err = nullptr;
            EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
            sqlite3_free(err);
        }
        sqlite3_close(raw);
        Database db = Database::open(path);
        EXPECT_EQ(column(db, QStringLiteral("select count(*) as n from 営業日報_検索待ち"), QStringLiteral("n")),
                  QStringList{QStringLiteral("0")});
        db.close();
        for (const char16_t *term : {u"見積", u"ガイド", u"がいどらいん", u"北", u"新しい", u"ﾒﾓ", u"追加分", u"外から"}) {
            const QString t = QString::fromUtf16(term);
            EXPECT_EQ(days(path, t), expected(path, t)) << t.toStdString();
        }
        for (const char16_t *term : {u"見", u"見積", u"ガイド", u"北海", u"メモ", u"追加分", u"新しい", u"外から"}) {
            const QString t = text::fold(QString::fromUtf16(term));
            EXPECT_EQ(proposed(path, t), holding(path, t)) << t.toStdString();
        }
    }
};

TEST_F(Search, TermsOfEveryLengthWidthAndKindFindTheirReports) {
    const QString withSchema = delivered();
    fill(withSchema);
    const QString built = dataDb();
    fill(built);
    ASSERT_FALSE(hasSearchIndex(built));
    const QString older = makeDb(QStringLiteral("older.mdb"), kDataSchema);
    fill(older);
    ASSERT_TRUE(buildSearchIndex(built).ok());

    const QString d1 = QStringLiteral("2024/01/10"), d2 = QStringLiteral("2024/02/05"), d3 = QStringLiteral("2024/03/01"),
                  d4 = QStringLiteral("2023/12/25");
    const struct Case {
        const char16_t *term;
        QStringList days;
    } cases[] = {
        {u"見", {d1}},                          // one character
        {u"鯨", {}},
        {u"年末", {d4}},                         // two
        {u"特価", {d2}},
        {u"ガイド", {d3, d1}},                   // three: hiragana memo, half-width memo, customer
        {u"ｶﾀﾛｸﾞ", {d2}},                       // half-width term, full-width text
        {u"がいどらいん", {d3, d1}},
        {u"pc10", {d1}},                         // full-width text, ASCII term
        {u"ＰＣ１０台の見積を提", {d1}},        // ten
        {u"ＰＣ１０台の見積を出", {}},
        {u"北海", {d3, d2}},                     // customer name
        {u"　見積　", {d1}},                     // blanks around are dropped
        {u"\"NEAR\"", {d2}},                     // FTS5 syntax is plain text
        {u"NEAR", {d2}},
        {u"AND", {d2}},
        {u"and 割引", {d2}},
        {u"-10%", {d2}},
        {u"^特価*", {d2}},
        {u"\"", {d2}},
        {u"*", {d2}},
        {u"%", {d2}},                            // no wildcard
        {u"_", {}},
        {u"NEAR(見積 提出, 2)", {}},
        {u"見積 OR 年末", {}},
        {u"'", {}},
        {u"", {}},
    };
    for (const QString &path : {withSchema, built, older}) {
        for (const Case &c : cases) {
            const QString term = QString::fromUtf16(c.term);
            SearchMethod method = SearchMethod::Nothing;
            EXPECT_EQ(days(path, term, &method), c.days) << term.toStdString() << " in " << path.toStdString();
            if (path == older) {
                if (!term.trimmed().isEmpty()) EXPECT_EQ(method, SearchMethod::Unindexed) << term.toStdString();
            } else if (!term.trimmed().isEmpty()) {
                EXPECT_EQ(method, text::codePoints(text::fold(term.trimmed())) >= 3 ? SearchMethod::Trigram
                                                                                      : SearchMethod::Grams)
                    << term.toStdString();
            }
        }
    }
}

TEST_F(Search, FiltersAndTheLimitApplyNewestFirst) {
    const QString path = delivered();
    fill(path);
    for (const char16_t *term : {u"の", u"のカタログ", u"のおわび"}) {  // scan and index alike
        const QString t = QString::fromUtf16(term);
        const QStringList all = days(path, t);
        const QStringList hokkai = days(path, SearchRequest{t, QStringLiteral("北海産業"), {}, 500});
        const QStringList yamada = days(path, SearchRequest{t, QStringLiteral("北海産業"), QStringLiteral("山田"), 500});
        for (const QString &d : hokkai) EXPECT_TRUE(all.contains(d));
        for (const QString &d : yamada) EXPECT_TRUE(hokkai.contains(d));
        EXPECT_FALSE(yamada.contains(QStringLiteral("2024/02/05"))) << t.toStdString();
    }
    EXPECT_EQ(days(path, SearchRequest{QStringLiteral("の"), QStringLiteral("北海産業"), {}, 500}),
              (QStringList{QStringLiteral("2024/03/01"), QStringLiteral("2024/02/05")}));
    SearchResult result;
    ASSERT_TRUE(searchReports(path, SearchRequest{QStringLiteral("の"), {}, {}, 2}, &result).ok());
    ASSERT_EQ(result.hits.size(), 2);
    EXPECT_TRUE(result.more);
    EXPECT_EQ(result.hits[0].day, QDate(2024, 3, 1));
    EXPECT_EQ(result.hits[0].customer, QStringLiteral("北海産業"));
    EXPECT_EQ(result.hits[0].staff, QStringLiteral("山田"));
    EXPECT_EQ(result.hits[0].title, QStringLiteral("クレーム対応"));
}

TEST_F(Search, TheIndexFollowsEveryKindOfWrite) {
    for (const bool older : {false, true}) {
        SCOPED_TRACE(older ? "built on an older file" : "delivered file");
        const QString path = older ? makeDb(QStringLiteral("older.mdb"), kDataSchema) : delivered();
        fill(path);
        if (older) ASSERT_TRUE(buildSearchIndex(path).ok());
        expectConsistent(path, "filled");

        Database db = Database::open(path);
        {   // registration over an existing report, then a new one
            Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 日付 = #2024/01/10#"));
            rs.edit();
            rs.setField(QStringLiteral("メモ"), QStringLiteral("新しいメモ、ガイドは不要"));
            ASSERT_TRUE(rs.update());
            rs.edit();
            rs.setField(QStringLiteral("担当"), QStringLiteral("佐藤"));  // no text changes
            ASSERT_TRUE(rs.update());
            rs.addNew();
            rs.setField(QStringLiteral("日付"), QDate(2024, 4, 1));
            rs.setField(QStringLiteral("顧客名"), QStringLiteral("ﾒﾓ商会"));
            rs.setField(QStringLiteral("タイトル"), QStringLiteral("追加分"));
            ASSERT_TRUE(rs.update());
        }
        expectConsistent(path, "registration");
        ASSERT_TRUE(db.execute(QStringLiteral("update 営業日報 set タイトル = '北の見積' where 担当 = '鈴木'")));
        expectConsistent(path, "update statement");
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where 日付 = #2024/03/01#")));
        expectConsistent(path, "deletion of one report");
        ASSERT_TRUE(db.beginTrans());
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where 担当 = '佐藤'")));
        db.rollback();
        expectConsistent(path, "rolled back deletion");

        // Reports copied in from another file, as a restore or copy does.
        const QString other = makeDb(older ? QStringLiteral("other-old.mdb") : QStringLiteral("other.mdb"), kDataSchema);
        fill(other);
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 select * from 営業日報 in ") + sqlText(other)));
        expectConsistent(path, "insert-select from another file");
        // Into another file that has the index, through an attached name.
        const QString target = delivered(older ? QStringLiteral("target-old.mdb") : QStringLiteral("target.mdb"));
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 営業日報 in ") + sqlText(target) +
                               QStringLiteral(" select * from 営業日報")));
        db.close();
        expectConsistent(target, "insert-select into an attached file");

        db = Database::open(path);
        ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報")));
        db.close();
        expectConsistent(path, "bulk deletion");
        EXPECT_TRUE(days(path, QStringLiteral("見積")).isEmpty());
    }
}

TEST_F(Search, RebuildingReplacesAnIndexThatWentWrong) {
    const QString path = delivered();
    fill(path);
    // A tool dropped a trigger, then a row went unnoticed.
    execOutside(path, "DROP TRIGGER 営業日報_検索_削除; DELETE FROM 営業日報 WHERE 担当 = '鈴木'");
    EXPECT_FALSE(hasSearchIndex(path));
    SearchMethod method;
    EXPECT_EQ(days(path, QStringLiteral("年末"), &method), QStringList());  // still right, without the index
    EXPECT_EQ(method, SearchMethod::Unindexed);
    QList<qlonglong> seen;
    ASSERT_TRUE(buildSearchIndex(path, [&](qlonglong done, qlonglong total) { seen << done << total; }).ok());
    EXPECT_EQ(seen.mid(seen.size() - 2), (QList<qlonglong>{3, 3}));
    expectConsistent(path, "rebuilt");
}

// Programs without our folding (the sqlite3 tool, an older version of this
// program, a copy tool) write the file through a bare connection: every
// statement runs, and the next search sees exactly what they wrote.
TEST_F(Search, WritesByOtherProgramsRunAndAreFoundByTheNextSearch) {
    const QString path = delivered();
    fill(path);
    ASSERT_TRUE(catchUpSearchIndex(path).ok());
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const auto run = [&](const char *sql) {
        char *err = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, &err), SQLITE_OK) << sql << ": " << (err ? err : "");
        sqlite3_free(err);
    };
    // Each step: a foreign write, then what searches find.
    const struct Step {
        const char *sql;
        const char16_t *term;
        QStringList days;
    } steps[] = {
        {"INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) VALUES ('2024-05-01', '外から商事', '山田', 'ｿﾄｶﾗの見積', 'メモ')",
         u"そとから", {QStringLiteral("2024/05/01")}},
        // Written twice before anyone searches: the index still drops what it held.
        {"UPDATE 営業日報 SET メモ = '見積は不要' WHERE 日付 = '2024-01-10'; "
         "UPDATE 営業日報 SET メモ = 'なし', タイトル = '訪問' WHERE 日付 = '2024-01-10'",
         u"見積", {QStringLiteral("2024/05/01")}},
        {"UPDATE 営業日報 SET タイトル = '見積' WHERE 日付 = '2024-01-10'", u"見積",
         {QStringLiteral("2024/05/01"), QStringLiteral("2024/01/10")}},
        {"UPDATE 営業日報 SET メモ = 'なし' WHERE 日付 = '2024-01-10'", u"ｶﾞｲﾄﾞ", {QStringLiteral("2024/03/01"), QStringLiteral("2024/01/10")}},
        // The last report deleted and a new one taking its rowid.
        {"DELETE FROM 営業日報 WHERE 日付 = '2024-05-01'; "
         "INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) VALUES ('2024-06-01', '外から商事', '佐藤', '追加分', NULL)",
         u"外から", {QStringLiteral("2024/06/01")}},
        {"DELETE FROM 営業日報 WHERE 顧客名 = '北海産業'", u"北海", {}},
        {"UPDATE 営業日報 SET rowid = rowid + 100", u"追加分", {QStringLiteral("2024/06/01")}},
        {"DELETE FROM 営業日報", u"年末", {}},
    };
    for (const Step &step : steps) {
        run(step.sql);
        EXPECT_EQ(days(path, QString::fromUtf16(step.term)), step.days) << step.sql;
        expectConsistent(path, step.sql);
    }
    sqlite3_close(raw);
}

// The sqlite3 command-line tool writes the file: it knows nothing of this
// program, yet every statement runs and the next search sees its writes.
TEST_F(Search, TheSqliteToolCanWriteTheFile) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty()) GTEST_SKIP() << "no sqlite3 tool";
    const QString path = delivered();
    fill(path);
    QProcess p;
    p.start(tool, {QStringLiteral("-bail"), path});
    ASSERT_TRUE(p.waitForStarted());
    p.write("INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) VALUES ('2024-07-01', '南商店', '山田', 'ﾃｽﾄ訪問', NULL);\n"
            "UPDATE 営業日報 SET タイトル = 'テスト再訪' WHERE 日付 = '2024-02-05';\n"
            "DELETE FROM 営業日報 WHERE 日付 = '2024-03-01';\n");
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(days(path, QStringLiteral("てすと")), (QStringList{QStringLiteral("2024/07/01"), QStringLiteral("2024/02/05")}));
    EXPECT_EQ(days(path, QStringLiteral("おわび")), QStringList());
    expectConsistent(path, "written by the sqlite3 tool");
}

// A mass import by another program: the search stays right without
// indexing it, and the catch-up makes the index anew, telling its progress.
TEST_F(Search, AMassImportIsSearchedAsItIsThenIndexedAnew) {
    const QString path = delivered();
    fill(path);
    ASSERT_TRUE(catchUpSearchIndex(path).ok());
    execOutside(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 6000) "
                      "INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) "
                      "SELECT date('2010-01-01', '+' || (i % 3000) || ' days'), '輸入' || (i % 7), '山田', '取込' || i, "
                      "CASE WHEN i = 4321 THEN 'ｶﾀﾛｸﾞ再送' END FROM n");
    SearchMethod method;
    EXPECT_EQ(days(path, QStringLiteral("カタログ"), &method), (QStringList{QStringLiteral("2024/02/05"), QStringLiteral("2013/08/14")}));
    EXPECT_EQ(method, SearchMethod::Trigram);
    EXPECT_EQ(days(path, QStringLiteral("取込4321")).size(), 1);
    QList<qlonglong> seen;
    ASSERT_TRUE(catchUpSearchIndex(path, [&](qlonglong done, qlonglong total) { seen << done << total; }).ok());
    EXPECT_EQ(seen.mid(seen.size() - 2), (QList<qlonglong>{6004, 6004}));
    expectConsistent(path, "mass import");
    EXPECT_EQ(days(path, QStringLiteral("カタログ")).size(), 2);
}

// A backup's copy leaves the index out and is smaller; the file works as an
// older one, and the index made again is the same as before.
TEST_F(Search, TheIndexCanBeLeftOutOfACopyAndMadeAgain) {
    const QString path = delivered();
    Database db = Database::open(path);
    ASSERT_TRUE(db.beginTrans());
    Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
    for (int i = 0; i < 300; ++i) {
        rs.addNew();
        rs.setField(QStringLiteral("日付"), QDate(2020, 1, 1).addDays(i));
        rs.setField(QStringLiteral("顧客名"), QStringLiteral("顧客%1").arg(i % 17));
        rs.setField(QStringLiteral("タイトル"), QStringLiteral("訪問%1回目").arg(i));
        rs.setField(QStringLiteral("メモ"), QStringLiteral("見積書%1を提出した。次回はカタログを持参する予定。").arg(i * 7919));
        ASSERT_TRUE(rs.update());
    }
    ASSERT_TRUE(db.commitTrans());
    db.close();
    ASSERT_TRUE(catchUpSearchIndex(path).ok());
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    ASSERT_TRUE(backupTo(path, copy).ok());
    const qint64 before = QFileInfo(copy).size();
    ASSERT_TRUE(dropSearchIndex(copy).ok());
    EXPECT_LT(QFileInfo(copy).size(), before);
    EXPECT_FALSE(hasSearchIndex(copy));
    SearchMethod method;
    EXPECT_EQ(days(copy, QStringLiteral("見積書7919を"), &method), QStringList{QStringLiteral("2020/01/02")});
    EXPECT_EQ(method, SearchMethod::Unindexed);
    ASSERT_TRUE(buildSearchIndex(copy).ok());
    for (const char16_t *term : {u"見", u"書7", u"見積書79", u"カタログ"}) {
        const QString t = text::fold(QString::fromUtf16(term));
        EXPECT_EQ(proposed(copy, t), proposed(path, t)) << t.toStdString();
        EXPECT_EQ(days(copy, t), days(path, t)) << t.toStdString();
    }
    EXPECT_EQ(countRows(copy, {QStringLiteral("営業日報")}), QList<qlonglong>{300});
}

// Many reports written by another program, so that they all wait: every
// seventh one holds ガイド in its memo, every eleventh 見積 in its title,
// every thirteenth is a 北海 customer's.
void importMany(const QString &path, int count, int from = 1) {
    const QByteArray sql = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
        "INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) "
        "SELECT date('2010-01-01', '+' || (i * 7 % 5000) || ' days'), CASE WHEN i % 13 = 0 THEN '北海' ELSE '南' END || (i % 5), "
        "'山田', CASE WHEN i % 11 = 0 THEN '見積' ELSE '訪問' END || i, "
        "CASE WHEN i % 7 = 0 THEN 'ｶﾞｲﾄﾞ' || i ELSE 'メモ' || i END FROM n")
                               .arg(from)
                               .arg(from + count - 1)
                               .toUtf8();
    execOutside(path, sql);
}

// The index agrees with many reports exactly: FTS5's own check passes,
// nothing waits, and it proposes precisely the reports holding each term.
void expectExact(const QString &path, const char *after) {
    SCOPED_TRACE(after);
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    for (const char *sql : {"INSERT INTO 営業日報_検索 (営業日報_検索) VALUES ('integrity-check')",
                            "INSERT INTO 営業日報_検索字 (営業日報_検索字) VALUES ('integrity-check')"}) {
        char *err = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
        sqlite3_free(err);
    }
    sqlite3_close(raw);
    EXPECT_EQ(searchIndexWaiting(path), 0);
    for (const char16_t *term : {u"見", u"見積", u"ガイド", u"北海", u"追加分", u"書き", u"書き換"}) {
        const QString t = text::fold(QString::fromUtf16(term));
        EXPECT_EQ(Search::proposedRows(path, t), Search::holdingRows(path, t)) << t.toStdString();
    }
}

void waitFor(const SearchIndexer &indexer) {
    for (int i = 0; i < 6000 && indexer.running(); ++i) QThread::msleep(10);
    ASSERT_FALSE(indexer.running());
}

// The catch-up in the background, on a file whose reports all wait and on
// one without the index: in the end every report is in the index once (FTS5's
// own check, the rows proposed) and the progress reached the whole.
TEST_F(Search, TheBackgroundCatchUpIndexesEveryReportOnce) {
    for (const bool withIndex : {true, false}) {
        SCOPED_TRACE(withIndex ? "reports waiting" : "no index");
        const QString path = delivered(withIndex ? QStringLiteral("waiting.mdb") : QStringLiteral("bare.mdb"));
        fill(path);
        importMany(path, 12000);
        if (!withIndex) ASSERT_TRUE(dropSearchIndex(path).ok());
        SearchIndexer indexer;
        ASSERT_TRUE(indexer.start(path));
        EXPECT_TRUE(indexer.running());  // thousands of reports: on the thread
        waitFor(indexer);
        EXPECT_TRUE(indexer.error().ok()) << indexer.error().detail().toStdString();
        EXPECT_EQ(indexer.done(), 12004);
        EXPECT_EQ(indexer.total(), 12004);
        expectExact(path, "caught up in the background");
        // The levels were merged down at the end: no level of either index
        // holds sixteen segments (FTS5 finds nothing to merge there), so no
        // later write has a level to merge whole; the settings FTS5 merges
        // by as writes come are its own again.
        for (const char *table : {"営業日報_検索", "営業日報_検索字"}) {
            const QString t = QString::fromUtf8(table);
            sqlite3 *raw = nullptr;
            ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(raw, QStringLiteral("select v from %1_config where k = 'usermerge'").arg(t).toUtf8(), -1, &st, nullptr);
            EXPECT_EQ(sqlite3_step(st), SQLITE_ROW);
            EXPECT_EQ(sqlite3_column_int(st, 0), 4) << table;
            sqlite3_finalize(st);
            sqlite3_exec(raw, QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('usermerge', 16)").arg(t).toUtf8(), nullptr, nullptr, nullptr);
            const int before = sqlite3_total_changes(raw);
            EXPECT_EQ(sqlite3_exec(raw, QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('merge', 400)").arg(t).toUtf8(), nullptr, nullptr, nullptr),
                      SQLITE_OK);
            EXPECT_LT(sqlite3_total_changes(raw) - before, 2) << table;
            sqlite3_close(raw);
        }
        // A page of the newest hits, whether reading the reports newest first
        // fills it (メモ, ガイド) or the index's rows have to (北海, 見積).
        for (const char16_t *term : {u"メモ", u"ガイド", u"北海", u"見積"}) {
            const QString t = QString::fromUtf16(term);
            SearchResult result;
            ASSERT_TRUE(searchReports(path, SearchRequest{t, {}, {}, 500}, &result).ok());
            QStringList page;
            for (const SearchHit &h : result.hits) page << h.day.toString(QStringLiteral("yyyy/MM/dd"));
            const QStringList all = expected(path, t);
            EXPECT_EQ(page, all.mid(0, 500)) << t.toStdString();
            EXPECT_EQ(result.more, all.size() > 500) << t.toStdString();
        }
        // A few waiting reports are done at once, without the thread.
        importMany(path, 20, 50000);
        ASSERT_TRUE(indexer.start(path));
        EXPECT_FALSE(indexer.running());
        EXPECT_EQ(searchIndexWaiting(path), 0);
    }
}

// The catch-up keeps its working tables from row to row: a very long report
// among short ones (a table grown, then given up again), characters outside
// the basic plane, and a long report rewritten (its old words taken out) all
// leave the index exact.
TEST_F(Search, ReportsOfEveryLengthOneAfterAnotherAreIndexedExactly) {
    const QString path = delivered();
    fill(path);
    // Every fiftieth memo: 40,000 characters of 見𠮷 and its number at the end.
    const QByteArray rows =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
        "INSERT INTO 営業日報 (日付, 顧客名, 担当, タイトル, メモ) "
        "SELECT date('2015-01-01', '+' || i || ' days'), '南', '山田', '訪問' || i, "
        "CASE WHEN i % 50 = 0 THEN replace(hex(zeroblob(20000)), '00', '見𠮷') || '末尾' || i ELSE 'メモ' || i || '𠮷' END FROM n";
    execOutside(path, rows);
    const auto check = [&](const char *after) {
        SCOPED_TRACE(after);
        const Error e = catchUpSearchIndex(path);
        ASSERT_TRUE(e.ok()) << e.detail().toStdString();
        expectExact(path, after);
        for (const char16_t *term : {u"見", u"見𠮷", u"𠮷見", u"𠮷", u"末尾", u"尾1", u"尾15", u"メモ1", u"ﾒﾓ29", u"9𠮷"}) {
            const QString t = text::fold(QString::fromUtf16(term));
            EXPECT_EQ(days(path, SearchRequest{t, {}, {}, 100000}), expected(path, t)) << t.toStdString();
            if (t.size() < 3) EXPECT_EQ(Search::proposedRows(path, t), Search::holdingRows(path, t)) << t.toStdString();
        }
    };
    check("written by another program");
    execOutside(path, "UPDATE 営業日報 SET メモ = 'メモ' || substr(タイトル, 3) WHERE length(メモ) > 1000");
    execOutside(path, "UPDATE 営業日報 SET メモ = replace(hex(zeroblob(15000)), '00', '末尾') WHERE タイトル = '訪問7'");
    check("long reports rewritten");
}

// While the catch-up runs, searches find exactly what a scan finds (the
// indexed reports through the index, the others as they are), and the
// user's writes go through, each soon, and are in the index at the end.
// Where the index is made anew (most reports wait, or there is none) its
// grams index is made beside the file meanwhile: short terms are then looked
// for without it, and the rows the user writes again reach it as well.
TEST_F(Search, SearchesAndWritesDuringTheCatchUpMissNothing) {
    const struct {
        const char *name;
        int indexed, waiting;
        bool index, beside;
    } cases[] = {
        {"most reports waiting", 0, 20000, true, true},
        {"no index", 0, 20000, false, true},
        {"a third waiting", 14000, 7000, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = delivered(QString::fromLatin1(c.name).replace(u' ', u'-') + QStringLiteral(".mdb"));
        fill(path);
        if (c.indexed > 0) {
            importMany(path, c.indexed);
            ASSERT_TRUE(catchUpSearchIndex(path).ok());
        }
        importMany(path, c.waiting, c.indexed + 1);
        if (!c.index) ASSERT_TRUE(dropSearchIndex(path).ok());
        resetStatistics();
        SearchIndexer indexer;
        ASSERT_TRUE(indexer.start(path));
        int rounds = 0, whileRunning = 0;
        for (; rounds < 15 && (indexer.running() || rounds < 3); ++rounds) {
            if (indexer.running()) ++whileRunning;
            {
                Database db = Database::open(path);
                ASSERT_TRUE(db.execute(QStringLiteral("update 営業日報 set メモ = 'ｶﾞｲﾄﾞ書き換え%1' where タイトル = '訪問%2'")
                                           .arg(rounds)
                                           .arg(rounds * 997 + 1)))
                    << db.error().toStdString();
                ASSERT_TRUE(db.execute(QStringLiteral("delete * from 営業日報 where タイトル = '見積%1'").arg(rounds * 1001 + 11)))
                    << db.error().toStdString();
                Recordset rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
                rs.addNew();
                rs.setField(QStringLiteral("日付"), QDate(2030, 1, 1).addDays(rounds));
                rs.setField(QStringLiteral("顧客名"), QStringLiteral("北海追加%1").arg(rounds));
                rs.setField(QStringLiteral("タイトル"), QStringLiteral("追加分"));
                ASSERT_TRUE(rs.update()) << rs.error().toStdString();
            }
            for (const char16_t *term : {u"ガイド", u"北海", u"追加分"}) {
                const QString t = QString::fromUtf16(term);
                const QStringList found = days(path, SearchRequest{t, {}, {}, 100000});
                EXPECT_EQ(found, expected(path, t)) << t.toStdString() << " in round " << rounds;
            }
        }
        EXPECT_GT(whileRunning, 0);
        waitFor(indexer);
        EXPECT_TRUE(indexer.error().ok()) << indexer.error().detail().toStdString();
        EXPECT_EQ(statistics().gramsCopiedIn, c.beside ? 1 : 0);
        expectExact(path, "written and searched during the catch-up");
    }
}

// A grams index being made beside the file is left to its maker while the
// maker lives (its side file locked), whoever else opens the file; short
// terms are found without it meanwhile. A making that ended unfinished (the
// program stopped or closed) is started anew, and its side file goes.
TEST_F(Search, AGramsIndexMadeBesideIsLeftToItsMakerAndMadeAnewWhenItEnded) {
    const QString path = delivered();
    fill(path);
    importMany(path, 12000);
    ASSERT_TRUE(dropSearchIndex(path).ok());
    const auto sideFiles = [&] {
        return QDir(dir.path()).entryList({QStringLiteral(".delivered.mdb.検索字-*")}, QDir::Files | QDir::Hidden);
    };
    const auto expectFound = [&](const char *when) {
        SCOPED_TRACE(when);
        for (const char16_t *term : {u"北", u"北海", u"ガイド"}) {
            const QString t = QString::fromUtf16(term);
            EXPECT_EQ(days(path, SearchRequest{t, {}, {}, 100000}), expected(path, t)) << t.toStdString();
        }
    };
    {
        // Stopped while the grams are made beside.
        SearchIndexer indexer;
        ASSERT_TRUE(indexer.start(path));
        for (int i = 0; i < 3000 && indexer.done() == 0; ++i) QThread::msleep(2);
        indexer.stop();
    }
    ASSERT_GT(searchIndexWaiting(path), 0) << "the index was made before it could be stopped";
    EXPECT_TRUE(sideFiles().isEmpty());
    expectFound("ended unfinished");

    // Another program's making: a locked side file the table names.
    const QString other = QStringLiteral(".delivered.mdb.検索字-other");
    sqlite3 *maker = nullptr;
    ASSERT_EQ(sqlite3_open(dir.filePath(other).toUtf8().constData(), &maker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(maker, "PRAGMA locking_mode = EXCLUSIVE; CREATE TABLE t (x)", nullptr, nullptr, nullptr), SQLITE_OK);
    execOutside(path, QStringLiteral("UPDATE 営業日報_検索字作成中 SET ファイル = '%1'").arg(other).toUtf8());
    const qlonglong waiting = searchIndexWaiting(path);
    ASSERT_TRUE(catchUpSearchIndex(path).ok());
    SearchIndexer second;
    ASSERT_TRUE(second.start(path));
    EXPECT_FALSE(second.running());
    EXPECT_EQ(searchIndexWaiting(path), waiting);
    expectFound("made by another program");
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(other)));

    // Its maker gone: made anew, whole.
    sqlite3_close(maker);
    resetStatistics();
    ASSERT_TRUE(catchUpSearchIndex(path).ok());
    EXPECT_EQ(statistics().gramsCopiedIn, 1);
    EXPECT_TRUE(sideFiles().isEmpty());
    expectExact(path, "made anew after its maker ended");
    expectFound("made anew");
}

// A file whose character index an older program made (its words written
// otherwise) counts as one without the index: it is searched as it is, the
// indexer makes the index anew, and a backup's copy leaves every part out.
TEST_F(Search, AnIndexOfAnOlderLayoutIsMadeAnew) {
    const QString path = delivered();
    fill(path);
    ASSERT_TRUE(catchUpSearchIndex(path).ok());
    execOutside(path, "DROP TABLE 営業日報_検索字; CREATE VIRTUAL TABLE 営業日報_検索字 USING fts5(字, content='', "
                      "detail=none, columnsize=0, tokenize='ascii'); INSERT INTO 営業日報_検索字 (rowid, 字) "
                      "VALUES (1, 'u898b u898bu7a4d')");
    EXPECT_FALSE(hasSearchIndex(path));
    EXPECT_EQ(searchIndexWaiting(path), -1);
    SearchMethod method;
    EXPECT_EQ(days(path, QStringLiteral("見"), &method), expected(path, QStringLiteral("見")));
    EXPECT_EQ(method, SearchMethod::Unindexed);
    SearchIndexer indexer;
    ASSERT_TRUE(indexer.start(path));
    waitFor(indexer);
    EXPECT_TRUE(indexer.error().ok()) << indexer.error().detail().toStdString();
    expectConsistent(path, "made anew");

    // A control character takes no part in the character index's words: a
    // short term holding one is found by reading the reports.
    execOutside(path, "UPDATE 営業日報 SET メモ = 'ab' || char(1) || '記' WHERE 担当 = '鈴木'");
    EXPECT_EQ(days(path, QString(QChar(1)) + QStringLiteral("記"), &method), QStringList{QStringLiteral("2023/12/25")});
    EXPECT_EQ(method, SearchMethod::Grams);
    EXPECT_EQ(days(path, QStringLiteral("b") + QChar(1), &method), QStringList{QStringLiteral("2023/12/25")});

    // What is left of an index a tool took apart goes as well.
    execOutside(path, "DROP TABLE 営業日報_検索");
    ASSERT_TRUE(dropSearchIndex(path).ok());
    Database db = Database::open(path);
    EXPECT_EQ(column(db, QStringLiteral("select count(*) as n from sqlite_master where name like '営業日報[_]検索*'"),
                     QStringLiteral("n")),
              QStringList{QStringLiteral("0")});
}

TEST_F(Search, TheDeliveredFileHoldsTheIndexAsTheEngineMakesIt) {
    const auto normal = [](QString s) { return s.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed(); };
    const QString path = delivered();
    Database db = Database::open(path);
    const QStringList stored = column(db, QStringLiteral("select sql from sqlite_master where name like '営業日報[_]検索*' and name not like '*[_]data' "
                                                         "and name not like '*[_]idx' and name not like '*[_]docsize' and name not like '*[_]config' order by rowid"),
                                      QStringLiteral("sql"));
    QStringList made;
    for (const QString &s : searchIndexSchema()) made << normal(s);
    QStringList have;
    for (const QString &s : stored) have << normal(s);
    EXPECT_EQ(have, made);
    EXPECT_TRUE(hasSearchIndex(path));
}

TEST_F(Search, AFileThatIsNoDatabaseFailsWithAnError) {
    const QString path = dir.filePath(QStringLiteral("none.mdb"));
    SearchResult result;
    EXPECT_FALSE(searchReports(path, SearchRequest{QStringLiteral("見積"), {}, {}, 10}, &result).ok());
    EXPECT_FALSE(buildSearchIndex(path).ok());
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace tqen::dao::test
