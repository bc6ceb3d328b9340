// The Jet reader against files written by the test writer (whose files
// mdb-export reads back exactly; see tests/support/jet).
#include "platform/mdbreader/MdbReader.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/jet/JetFixture.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/wait.h>

namespace tqen::mdbreader {
namespace {

namespace jf = testing::jetfile;

class JetTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!readingAvailable()) GTEST_SKIP() << "SKIPPED: built without mdbtools (libmdb); Windows data files cannot be read";
        ASSERT_TRUE(tmp.isValid());
    }
    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = tmp.filePath(name);
        EXPECT_TRUE(jf::writeFile(path, bytes));
        return path;
    }
    struct Rows {
        Error error;
        TableRead read;
        QList<QVariantList> rows;
    };
    static Rows readAll(Reader &r, const QString &table) {
        Rows out;
        out.error = r.readTable(
            table,
            [&out](const QVariantList &values) {
                out.rows.append(values);
                return true;
            },
            &out.read);
        return out;
    }
    QTemporaryDir tmp;
};

TEST(JetHeader, RecognisesJetAndAceFilesOnly) {
    QTemporaryDir tmp;
    const struct {
        const char *name;
        QByteArray bytes;
        bool jet;
    } cases[] = {
        {"jet4", jf::jet4File({}), true},
        {"ace", QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20) + QByteArray(100, '\0'), true},
        {"sqlite", QByteArray("SQLite format 3\x00", 16) + QByteArray(100, '\0'), false},
        {"other text", QByteArray("\x00\x01\x00\x00Standard Foo DB\x00", 20), false},
        {"short", QByteArray("\x00\x01\x00\x00Standard", 12), false},
        {"empty", QByteArray(), false},
    };
    for (const auto &c : cases) {
        const QString path = tmp.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(jf::writeFile(path, c.bytes));
        EXPECT_EQ(isJetFile(path), c.jet) << c.name;
    }
    EXPECT_FALSE(isJetFile(tmp.filePath(QStringLiteral("missing"))));
}

TEST_F(JetTest, ListsTheUserTables) {
    QList<jf::Table> tables = jf::sampleDataTables();
    tables.append(jf::allKinds());
    Error e;
    Reader r = Reader::open(write(QStringLiteral("s.mdb"), jf::jet4File(tables)), &e);
    ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
    EXPECT_EQ(r.version(), 4);
    EXPECT_EQ(r.tables(), QStringList({QStringLiteral("営業日報"), QStringLiteral("顧客マスタ"), QStringLiteral("コードマスタ"),
                                       QStringLiteral("TqHint"), QStringLiteral("AllKinds")}));
    EXPECT_TRUE(r.hasTable(QStringLiteral("TqHint")));
    EXPECT_FALSE(r.hasTable(QStringLiteral("MSysObjects")));
}

TEST_F(JetTest, DecodesEveryKindOfValue) {
    for (bool compress : {true, false}) {
        jf::Options o;
        o.compressText = compress;
        Error e;
        Reader r = Reader::open(write(QStringLiteral("k.mdb"), jf::jet4File({jf::allKinds()}, o)), &e);
        ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
        Rows got = readAll(r, QStringLiteral("AllKinds"));
        ASSERT_TRUE(got.error.ok()) << got.error.message().toStdString();
        QStringList names;
        for (const Column &c : got.read.columns) names << c.name;
        EXPECT_EQ(names, QStringList({"Id", "Done", "Small", "When", "Name", "Note"}));
        EXPECT_EQ(got.read.columns[1].kind, Kind::Boolean);
        EXPECT_EQ(got.read.columns[3].kind, Kind::Date);
        EXPECT_EQ(got.read.columns[5].kind, Kind::Text);
        ASSERT_EQ(got.rows.size(), 4);
        EXPECT_EQ(got.read.rowsRead, 4);
        EXPECT_EQ(got.read.rowsUnreadable, 0);
        const QList<QVariantList> &v = got.rows;
        EXPECT_EQ(v[0][0], QVariant(qlonglong(1)));
        EXPECT_EQ(v[0][1], QVariant(true));
        EXPECT_EQ(v[1][1], QVariant(false));
        EXPECT_EQ(v[0][2], QVariant(qlonglong(7)));
        EXPECT_EQ(v[1][2], QVariant(qlonglong(-3)));
        EXPECT_EQ(v[3][0], QVariant(qlonglong(-5)));
        EXPECT_EQ(v[0][3], QVariant(QDateTime(QDate(2000, 2, 29), QTime(13, 45, 30))));
        EXPECT_EQ(v[2][3], QVariant(QDate(1900, 1, 1)));  // no time of day: a date
        EXPECT_EQ(v[0][4], QVariant(QStringLiteral("plain ascii")));
        EXPECT_EQ(v[2][4], QVariant(QStringLiteral("日本語")));
        EXPECT_EQ(v[2][5], QVariant(QString(3000, QChar(u'長'))));  // on chained long-value pages
        EXPECT_EQ(v[3][5], QVariant(QStringLiteral("Ünïcödé latin1 only")));
        for (int col : {3, 4, 5}) EXPECT_TRUE(v[1][col].isNull()) << "column " << col;
        EXPECT_TRUE(v[2][2].isNull());
    }
}

TEST_F(JetTest, JapaneseTextNullDatesAndLongMemos) {
    Error e;
    Reader r = Reader::open(write(QStringLiteral("d.mdb"), jf::jet4File(jf::sampleDataTables())), &e);
    ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
    Rows got = readAll(r, QStringLiteral("営業日報"));
    ASSERT_TRUE(got.error.ok());
    const QList<QVariantList> expected = jf::sampleDataTables().first().rows;
    ASSERT_EQ(got.rows.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        for (qsizetype c = 0; c < expected[i].size(); ++c) {
            QVariant want = expected[i][c];
            if (want.typeId() == QMetaType::QString && want.toString().isEmpty()) want = QVariant();  // "" reads as Null
            EXPECT_EQ(got.rows[i][c], want) << "row " << i << " column " << c;
        }
    EXPECT_EQ(got.rows[2][5].toString().size(), 2000);
}

TEST_F(JetTest, Jet3FilesAreDecodedFromTheJapaneseCodePage) {
    jf::Options jet3;
    jet3.version = 0x00;
    Error e;
    Reader r = Reader::open(write(QStringLiteral("j3.mdb"), jf::jet4File(jf::sampleDataTables(), jet3)), &e);
    ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
    EXPECT_EQ(r.version(), 3);
    EXPECT_EQ(r.tables(), QStringList({"営業日報", "顧客マスタ", "コードマスタ", "TqHint"}));
    const jf::Table expected = jf::sampleDataTables().first();
    Rows got = readAll(r, expected.name);
    ASSERT_TRUE(got.error.ok());
    ASSERT_EQ(got.rows.size(), expected.rows.size());
    EXPECT_EQ(got.read.columns[1].name, QStringLiteral("顧客名"));
    EXPECT_EQ(got.rows[0][1], QVariant(QStringLiteral("株式会社山田商事")));
    EXPECT_EQ(got.rows[3][1], QVariant(QStringLiteral("髙橋㈱")));  // vendor characters of CP932
    EXPECT_EQ(got.rows[2][5], expected.rows[2][5]);                   // 2,000 characters over chained pages
    EXPECT_TRUE(got.rows[1][0].isNull());
}

TEST_F(JetTest, FiveThousandRowsOverManyPages) {
    Error e;
    Reader r = Reader::open(write(QStringLiteral("m.mdb"), jf::jet4File({jf::manyReports(5000)})), &e);
    ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
    Rows got = readAll(r, QStringLiteral("営業日報"));
    ASSERT_TRUE(got.error.ok());
    EXPECT_EQ(got.read.rowsRead, 5000);
    EXPECT_EQ(got.rows.last()[3], QVariant(QStringLiteral("訪問 4999")));
}

TEST_F(JetTest, StopsWhenTheCallerSaysSo) {
    Error e;
    Reader r = Reader::open(write(QStringLiteral("m.mdb"), jf::jet4File({jf::manyReports(50)})), &e);
    int seen = 0;
    TableRead read;
    ASSERT_TRUE(r.readTable(QStringLiteral("営業日報"), [&seen](const QVariantList &) { return ++seen < 10; }, &read).ok());
    EXPECT_EQ(seen, 10);
    EXPECT_EQ(read.rowsUnreadable, 0);  // stopping is no damage
}

TEST_F(JetTest, UnknownTableIsAnError) {
    Error e;
    Reader r = Reader::open(write(QStringLiteral("s.mdb"), jf::jet4File(jf::sampleDataTables())), &e);
    Rows got = readAll(r, QStringLiteral("無い表"));
    EXPECT_FALSE(got.error.ok());
    EXPECT_TRUE(got.error.text().contains(QStringLiteral("無い表")));
}

// The first user table's definition is on page 4 and its first data page is
// page 5 in what the writer makes.
constexpr int kPage = 4096;

TEST_F(JetTest, DamagedFilesGiveClearErrorsOrCountedRows) {
    const QByteArray good = jf::jet4File(jf::sampleDataTables());
    ASSERT_EQ(good[4 * kPage], char(0x02));
    ASSERT_EQ(good[5 * kPage], char(0x01));

    // A row whose column count is garbage: that row is counted, the others come.
    {
        QByteArray bad = good;
        const int rowStart = quint8(bad[5 * kPage + 14]) | (quint8(bad[5 * kPage + 15]) << 8);
        bad[5 * kPage + rowStart] = char(0xff);
        bad[5 * kPage + rowStart + 1] = char(0x7f);
        Error e;
        Reader r = Reader::open(write(QStringLiteral("row.mdb"), bad), &e);
        ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
        Rows got = readAll(r, QStringLiteral("営業日報"));
        ASSERT_TRUE(got.error.ok()) << got.error.message().toStdString();
        EXPECT_EQ(got.read.rowsRead, 3);
        EXPECT_EQ(got.read.rowsUnreadable, 1);
    }
    // A table definition page overwritten: that table fails with a message.
    {
        QByteArray bad = good;
        bad.replace(4 * kPage, kPage, QByteArray(kPage, char(0x5a)));
        Error e;
        Reader r = Reader::open(write(QStringLiteral("tdef.mdb"), bad), &e);
        ASSERT_TRUE(r.isOpen()) << e.message().toStdString();
        Rows got = readAll(r, QStringLiteral("営業日報"));
        EXPECT_FALSE(got.error.ok());
        EXPECT_TRUE(got.error.text().contains(QStringLiteral("壊れている"))) << got.error.text().toStdString();
        EXPECT_TRUE(readAll(r, QStringLiteral("顧客マスタ")).error.ok());
    }
    // Cut short: the catalog at the end is gone.
    {
        Error e;
        Reader r = Reader::open(write(QStringLiteral("cut.mdb"), good.left(6 * kPage)), &e);
        if (r.isOpen()) {
            EXPECT_FALSE(r.hasTable(QStringLiteral("営業日報")));
        } else {
            EXPECT_TRUE(e.text().contains(QStringLiteral("壊れている"))) << e.text().toStdString();
        }
    }
    // Only the header is left.
    {
        Error e;
        Reader r = Reader::open(write(QStringLiteral("head.mdb"), good.left(kPage)), &e);
        EXPECT_TRUE(!r.isOpen() || r.tables().isEmpty());
    }
    // Not a Jet file at all.
    {
        Error e;
        Reader r = Reader::open(write(QStringLiteral("text.mdb"), "just some text, no database"), &e);
        EXPECT_FALSE(r.isOpen());
        EXPECT_TRUE(e.text().contains(QStringLiteral("Windows版のデータファイルではありません")));
    }
}

// Some damage makes the reading library itself crash (this one read through
// a null pointer in mdbtools 1.0): the reading runs apart from the program,
// so the program is told and goes on.
TEST_F(JetTest, AFileThatCrashesTheLibraryIsReportedNotFatal) {
    const QByteArray good = jf::jet4File(jf::sampleDataTables());
    QRandomGenerator rng(7);
    QByteArray bad;
    for (int run = 0; run <= 126; ++run) {  // the 127th damage of this series
        bad = good;
        const int flips = 1 + int(rng.bounded(20));
        for (int i = 0; i < flips; ++i) bad[int(rng.bounded(int(bad.size() - kPage))) + kPage] = char(rng.bounded(256));
    }
    Error e;
    Reader r = Reader::open(write(QStringLiteral("crash.mdb"), bad), &e);
    int failed = 0;
    for (const QString &table : r.tables()) {
        Rows got = readAll(r, table);
        if (got.error.ok()) continue;
        ++failed;
        EXPECT_TRUE(got.error.text().contains(QStringLiteral("壊れている"))) << got.error.message().toStdString();
    }
    EXPECT_TRUE(!r.isOpen() || failed > 0) << "the damage went unnoticed";
}

// Reading one table after another in child processes leaves none behind.
TEST_F(JetTest, NoChildProcessIsLeftBehind) {
    Error e;
    Reader r = Reader::open(write(QStringLiteral("s.mdb"), jf::jet4File(jf::sampleDataTables())), &e);
    for (int i = 0; i < 20; ++i)
        for (const QString &table : r.tables()) ASSERT_TRUE(readAll(r, table).error.ok());
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no children at all
}

}  // namespace
}  // namespace tqen::mdbreader
