// What only the server has: the schema made on first connection, several
// programs writing at once, lost and refused connections, passwords, and the
// copy between a data file and the server.
#include "tests/platform/dao/DaoTestSupport.h"

#include "model/DataCopy.h"
#include "platform/dao/JetLike.h"
#include "platform/dao/Server.h"
#include "platform/dao/ServerConnection.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ServerDb.h"

#include <QFile>

#include <thread>

namespace tqen::dao::test {

using model::copyData;
using model::CopyOptions;
using model::CopyOutcome;
using model::TableCopy;

namespace {

struct Access : Files {
    using Files::column;
};

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        TQEN_SKIP_WITHOUT_SERVER();
        db = std::make_unique<testing::ServerDb>();
        ASSERT_TRUE(db->ok);
    }
    void TearDown() override { setPasswordSource(nullptr); }
    QString count(const QString &table) { return db->value(QStringLiteral("select count(*) from ") + table); }

    std::unique_ptr<testing::ServerDb> db;
};

TEST_F(Server, AFirstConnectionMakesTheSchemaOnceEvenWhenTwoArriveTogether) {
    EXPECT_EQ(count(QStringLiteral("pg_tables where schemaname = current_schema()")), "0");
    std::vector<std::thread> programs;
    std::atomic<int> opened{0};
    for (int i = 0; i < 4; ++i)
        programs.emplace_back([&] {
            Database d = Database::open(db->uri);
            if (d.isOpen()) ++opened;
        });
    for (auto &t : programs) t.join();
    EXPECT_EQ(opened, 4);
    EXPECT_EQ(db->value(QStringLiteral("select string_agg(tablename, ',' order by tablename) from pg_tables "
                                       "where schemaname = current_schema()")),
              QStringLiteral("tqhint,コードマスタ,営業日報,顧客マスタ"));
    EXPECT_EQ(db->value(QStringLiteral("select count(*) from pg_indexes where schemaname = current_schema()")), "9");
    EXPECT_EQ(db->value(QStringLiteral("select string_agg(code, ',' order by code) from コードマスタ where kcode = '担当' "
                                       "and sname is null and cnt = code::int")),
              QStringLiteral("01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30"));
    EXPECT_EQ(db->value(QStringLiteral("select format_type(atttypid, atttypmod) from pg_attribute "
                                       "where attrelid = '営業日報'::regclass and attname = '日付'")),
              QStringLiteral("date"));
    resetServerConnections();
    Database again = Database::open(db->uri);
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(count(QStringLiteral("コードマスタ")), "30");
}

// Jet's like through the engine on the server gives what it gives on a file,
// letters of every script matching regardless of case.
TEST_F(Server, LikeMatchesOnTheServerAsJetDoes) {
    const char16_t *cases[][2] = {
        {u"こうさん", u"こう*"}, {u"こ", u"こう*"},    {u"", u"*"},         {u"abc", u"a?c"},   {u"ac", u"a?c"},
        {u"a1c", u"a#c"},       {u"abc", u"a#c"},      {u"ABC", u"abc"},    {u"b", u"[a-c]"},   {u"B", u"[a-c]"},
        {u"d", u"[!a-c]"},      {u"b", u"[!a-c]"},     {u"*", u"[*]"},      {u"x", u"[*]"},     {u"[", u"[[]"},
        {u"?", u"[?]"},         {u"#", u"[#]"},        {u"100%", u"100%"},  {u"1000", u"100%"}, {u"a_b", u"a_b"},
        {u"axb", u"a_b"},       {u"-", u"[a-]"},       {u"!", u"[!]"},      {u"]", u"]"},       {u"abcbd", u"*bc*d"},
        {u"ab", u"*b*b*"},      {u"𠮷野家", u"?野家"}, {u"a.b", u"a.b"},    {u"axb", u"a.b"},   {u"a\\b", u"a\\b"},
        {u"行1\n行2", u"行1*"}, {u"(x)", u"(x)"},      {u"x^$", u"x^$"},
        // Letters beyond ASCII: full-width Latin, accented, Cyrillic, Greek.
        {u"ＡＢＣ商事", u"ａｂｃ*"}, {u"ｘｙｚ", u"ＸＹＺ"}, {u"Émile", u"émile"}, {u"ДОМ", u"дом"},
        {u"Ωμέγα", u"ωΜΈΓΑ"},       {u"Ｂ", u"[ａ-ｃ]"},    {u"Ｄ", u"[!ａ-ｃ]"},
        // Width and kana kind are not case: they do not match.
        {u"ｱｲｳ", u"アイウ"},        {u"あいう", u"アイウ"}, {u"ABC", u"ＡＢＣ"},
    };
    Database d = Database::open(db->uri);
    ASSERT_TRUE(d.isOpen()) << d.error().toStdString();
    int row = 0;
    for (const auto &k : cases) {
        const QString value = QString::fromUtf16(k[0]), pattern = QString::fromUtf16(k[1]);
        const QString key = QString::number(row++);
        ASSERT_TRUE(d.execute(QStringLiteral("insert into TqHint (FormName, Contents) values (%1, %2)")
                                  .arg(sqlText(key), sqlText(value))))
            << d.error().toStdString();
        Recordset rs = d.openRecordset(QStringLiteral("select FormName from TqHint where FormName = %1 and Contents like %2")
                                           .arg(sqlText(key), sqlText(pattern)));
        ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
        EXPECT_EQ(!rs.eof(), jetLike(value, pattern) == LikeResult::Match)
            << value.toStdString() << " like " << pattern.toStdString();
        Recordset negated = d.openRecordset(
            QStringLiteral("select FormName from TqHint where FormName = %1 and Contents not like %2").arg(sqlText(key), sqlText(pattern)));
        EXPECT_EQ(negated.eof(), !rs.eof()) << value.toStdString() << " not like " << pattern.toStdString();
    }
    EXPECT_EQ(likeToRegex(QStringLiteral("[a")), QString());
}

// Two programs write the report of the same day, customer and staff member:
// one row stays, the last write, and neither is told of an error.
TEST_F(Server, TwoProgramsWritingOneReportKeepOneRowTheLastWrite) {
    const QString select = QStringLiteral("select * from 営業日報 where 顧客名 = '甲' and 担当 = '山田' and 日付 = #2024/5/1#");
    Database a = Database::open(db->uri), b = Database::open(db->uri);
    Recordset ra = a.openRecordset(select), rb = b.openRecordset(select);
    ASSERT_TRUE(ra.eof() && rb.eof());
    for (auto [rs, title] : {std::pair{&ra, "A"}, std::pair{&rb, "B"}}) {
        rs->addNew();
        rs->setField(QStringLiteral("日付"), QDate(2024, 5, 1));
        rs->setField(QStringLiteral("顧客名"), QStringLiteral("甲"));
        rs->setField(QStringLiteral("担当"), QStringLiteral("山田"));
        rs->setField(QStringLiteral("タイトル"), QString::fromUtf8(title));
        EXPECT_TRUE(rs->update()) << rs->error().toStdString();
    }
    EXPECT_EQ(db->value(QStringLiteral("select string_agg(タイトル, ',') from 営業日報")), QStringLiteral("B"));
    // Both found the row and edit it: the second edit meets a row changed
    // since it was read and still goes in as the last write.
    Recordset ea = a.openRecordset(select), eb = b.openRecordset(select);
    ASSERT_FALSE(ea.eof() || eb.eof());
    for (auto [rs, title] : {std::pair{&ea, "A2"}, std::pair{&eb, "B2"}}) {
        rs->edit();
        rs->setField(QStringLiteral("タイトル"), QString::fromUtf8(title));
        EXPECT_TRUE(rs->update()) << rs->error().toStdString();
        EXPECT_FALSE(rs->writeConflict());
    }
    EXPECT_EQ(db->value(QStringLiteral("select string_agg(タイトル, ',') from 営業日報")), QStringLiteral("B2"));
    // Other customers' rows of the day are kept.
    Recordset other = a.openRecordset(QStringLiteral("select * from 営業日報"));
    other.addNew();
    other.setField(QStringLiteral("日付"), QDate(2024, 5, 1));
    other.setField(QStringLiteral("顧客名"), QStringLiteral("乙"));
    other.setField(QStringLiteral("担当"), QStringLiteral("山田"));
    ASSERT_TRUE(other.update());
    EXPECT_EQ(count(QStringLiteral("営業日報")), "2");
}

// A table without a unique index: an edit of a row another program changed
// since it was read is refused, never written over the other's.
TEST_F(Server, AnEditOfARowChangedMeanwhileIsAWriteConflict) {
    const QString select = QStringLiteral("select * from コードマスタ where kcode = '担当' and code = '05'");
    Database a = Database::open(db->uri), b = Database::open(db->uri);
    Recordset ra = a.openRecordset(select), rb = b.openRecordset(select);
    ra.edit();
    ra.setField(QStringLiteral("sname"), QStringLiteral("山田"));
    ASSERT_TRUE(ra.update());
    rb.edit();
    rb.setField(QStringLiteral("sname"), QStringLiteral("佐藤"));
    EXPECT_FALSE(rb.update());
    EXPECT_TRUE(rb.writeConflict());
    EXPECT_EQ(db->value(QStringLiteral("select sname from コードマスタ where code = '05'")), QStringLiteral("山田"));
}

TEST_F(Server, ALostConnectionFailsTheStepAndTheNextOpenReconnects) {
    {
        Database first = Database::open(db->uri);  // makes the schema
    }
    Database d = Database::open(db->uri);
    ASSERT_TRUE(d.isOpen());
    Recordset rs = d.openRecordset(QStringLiteral("select * from 営業日報"));
    ASSERT_TRUE(rs.isOpen());
    // The server ends every connection of the program (an administrator, a
    // restart, a broken network look alike to the program).
    ASSERT_TRUE(db->endProgramConnections());
    rs.addNew();
    rs.setField(QStringLiteral("顧客名"), QStringLiteral("甲"));
    EXPECT_FALSE(rs.update());
    EXPECT_TRUE(rs.error().contains(QStringLiteral("lost"))) << rs.error().toStdString();
    d.close();
    // Connections left in the pool are dead too: the next open still works.
    ASSERT_TRUE(db->endProgramConnections());
    Database next = Database::open(db->uri);
    ASSERT_TRUE(next.execute(QStringLiteral("insert into 顧客マスタ (名称) values ('乙')"))) << next.error().toStdString();
    EXPECT_EQ(count(QStringLiteral("顧客マスタ")), "1");
}

// A day in a statement goes to the server as a parameter, so the statement
// for another day is the same text; a day in a select's list stays in the
// text, since an edited recordset sends its list again on its own.
TEST(ServerDates, DaysAfterTheListGoAsParameters) {
    struct Case {
        const char *jet;
        const char *server;
        QVector<QString> params;
    };
    const Case cases[] = {
        {"select * from 営業日報 where 顧客名 = '甲' and 日付 = #2024/5/1#",
         R"(SELECT * FROM "営業日報" WHERE "顧客名" = $1 AND "日付" = $2)", {"甲", "2024-05-01"}},
        {"select #2024/5/2# as d from 営業日報 where 日付 >= #2024/5/1# and 日付 <= #2024/5/31#",
         R"(SELECT '2024-05-02' AS "d" FROM "営業日報" WHERE "日付" >= $1 AND "日付" <= $2)", {"2024-05-01", "2024-05-31"}},
        {"update 営業日報 set 日付 = #2024/6/1# where 日付 = #2024/5/1# and 担当 = '山田'",
         R"(UPDATE "営業日報" SET "日付" = $2 WHERE "日付" = $3 AND "担当" = $1)", {"山田", "2024-06-01", "2024-05-01"}},
        {"delete * from 営業日報 where 日付 < #2000/1/1#", R"(DELETE FROM "営業日報" WHERE "日付" < $1)", {"2000-01-01"}},
        {"select #2024/5/2#", "SELECT '2024-05-02'", {}},
    };
    for (const Case &c : cases) {
        const auto tr = translateJet(QString::fromUtf8(c.jet));
        ASSERT_TRUE(tr->error.isEmpty()) << c.jet << ": " << tr->error.toStdString();
        QStringList pieces;
        QVector<QVariant> values;
        QString error;
        ASSERT_TRUE(serverPieces(*tr, &pieces, &values, &error)) << c.jet;
        QVector<QString> params;
        for (const QVariant &v : values) params << v.toString();
        EXPECT_EQ(pieces.join(u' ').simplified().replace(QStringLiteral(" ,"), QStringLiteral(",")),
                  QString::fromUtf8(c.server))
            << c.jet;
        EXPECT_EQ(params, c.params) << c.jet;
    }
}

namespace {

// The statements the engine's connection holds prepared on the server (a
// distinct list: the view has no row versions to read).
QStringList preparedStatements(Database &d) {
    QStringList out;
    Recordset rs = d.openRecordset(QStringLiteral("select distinct statement from pg_prepared_statements"));
    EXPECT_TRUE(rs.isOpen()) << rs.error().toStdString();
    for (; !rs.eof(); rs.moveNext()) out << rs.field(QStringLiteral("statement")).toString();
    return out;
}

}  // namespace

TEST_F(Server, AStatementSentAgainIsPreparedAndStillGivesEachDaysRow) {
    {
        Database first = Database::open(db->uri);  // makes the schema
    }
    ASSERT_TRUE(db->exec(QStringLiteral("insert into 営業日報 (日付, 顧客名, 担当, タイトル) values "
                                        "('2024-05-01', '甲', '山田', 'A'), ('2024-05-02', '甲', '山田', 'B'), "
                                        "('2024-05-03', '甲', '山田', 'C')")));
    Database d = Database::open(db->uri);
    for (int round = 0; round < 3; ++round) {
        for (int day = 1; day <= 4; ++day) {
            Recordset rs = d.openRecordset(
                QStringLiteral("select タイトル from 営業日報 where 顧客名 = '甲' and 日付 = #2024/5/%1#").arg(day));
            ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
            EXPECT_EQ(rs.eof() ? QStringLiteral("none") : rs.field(QStringLiteral("タイトル")).toString(),
                      day <= 3 ? QString(QChar(u'A' + day - 1)) : QStringLiteral("none"))
                << "round " << round << ", day " << day;
        }
    }
    const QStringList prepared = preparedStatements(d);
    const auto month = std::find_if(prepared.begin(), prepared.end(),
                                    [](const QString &s) { return s.contains(QStringLiteral("タイトル")); });
    ASSERT_NE(month, prepared.end()) << prepared.join(u'\n').toStdString();
    EXPECT_TRUE(month->contains(QStringLiteral("$2"))) << month->toStdString();
    EXPECT_FALSE(month->contains(QStringLiteral("2024"))) << month->toStdString();
    // The same statement, prepared, still writes through a recordset.
    for (const char *title : {"X", "Y", "Z"}) {
        Recordset rs = d.openRecordset(QStringLiteral("select * from 営業日報 where 顧客名 = '甲' and 日付 = #2024/5/2#"));
        ASSERT_FALSE(rs.eof());
        rs.edit();
        rs.setField(QStringLiteral("タイトル"), QString::fromUtf8(title));
        ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        EXPECT_EQ(db->value(QStringLiteral("select タイトル from 営業日報 where 日付 = '2024-05-02'")), QString::fromUtf8(title));
    }
}

// Another program (an administrator, a newer version) changes a table's
// columns while a statement on it is prepared: the statement still runs and
// gives the table as it is now.
TEST_F(Server, AStatementPreparedBeforeTheTableChangedStillRuns) {
    Database d = Database::open(db->uri);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(d.openRecordset(QStringLiteral("select * from 顧客マスタ")).isOpen());
    ASSERT_TRUE(db->exec(QStringLiteral("alter table 顧客マスタ add column 電話 text")));
    ASSERT_TRUE(db->exec(QStringLiteral("insert into 顧客マスタ (名称, 電話) values ('甲', '03-0000-0000')")));
    for (int i = 0; i < 2; ++i) {
        Recordset rs = d.openRecordset(QStringLiteral("select * from 顧客マスタ"));
        ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
        EXPECT_TRUE(rs.fieldNames().contains(QStringLiteral("電話")));
        ASSERT_FALSE(rs.eof());
        EXPECT_EQ(rs.field(QStringLiteral("電話")).toString(), QStringLiteral("03-0000-0000"));
    }
}

// Statements prepared on a connection the server then ended are not taken
// for prepared on the new one; and a connection prepares only so many.
TEST_F(Server, PreparedStatementsFollowTheirConnectionAndAreBounded) {
    const QString select = QStringLiteral("select cnt from コードマスタ where kcode = '担当' and code = '07'");
    {
        Database d = Database::open(db->uri);
        for (int i = 0; i < 3; ++i) ASSERT_FALSE(d.openRecordset(select).eof());
    }
    ASSERT_TRUE(db->endProgramConnections());
    Database d = Database::open(db->uri);
    for (int i = 0; i < 3; ++i) {
        Recordset rs = d.openRecordset(select);
        ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
        ASSERT_FALSE(rs.eof());
        EXPECT_EQ(rs.field(QStringLiteral("cnt")).toInt(), 7);
    }
    // Numbers stay in the text: each of these is a statement of its own.
    for (int round = 0; round < 2; ++round) {
        for (int n = 1; n <= 100; ++n) {
            Recordset rs = d.openRecordset(QStringLiteral("select code from コードマスタ where kcode = '担当' and cnt = %1").arg(n));
            ASSERT_TRUE(rs.isOpen()) << rs.error().toStdString();
            EXPECT_EQ(rs.eof() ? QString() : rs.field(QStringLiteral("code")).toString(),
                      n <= 30 ? QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')) : QString())
                << n;
        }
    }
    EXPECT_LE(preparedStatements(d).size(), PreparedStatements::kMaxPrepared);
    EXPECT_GE(preparedStatements(d).size(), 2);
}

TEST(ServerRefusals, AnUnreachableServerIsNamedInTheError) {
    const QString uri = QStringLiteral("postgresql://tqen@127.0.0.1:1/tqen");
    EXPECT_EQ(serverHost(uri), QStringLiteral("127.0.0.1:1"));
    EXPECT_EQ(serverHost(QStringLiteral("postgresql://u@db.example/x")), QStringLiteral("db.example"));
    EXPECT_EQ(serverHost(QStringLiteral("postgresql:///tqen?host=/run/pg")), QStringLiteral("/run/pg"));
    EXPECT_TRUE(isServerUri(QStringLiteral("postgres://h/d")));
    EXPECT_FALSE(isServerUri(QStringLiteral("/data/postgresql://x")));
    Database d = Database::open(uri);
    EXPECT_FALSE(d.isOpen());
    EXPECT_TRUE(d.error().contains(QStringLiteral("127.0.0.1:1"))) << d.error().toStdString();
    EXPECT_FALSE(d.execute(QStringLiteral("delete * from 営業日報")));
    EXPECT_TRUE(d.openRecordset(QStringLiteral("select * from 営業日報")).eof());
}

// Every form of password libpq would read from an address is found, written
// as "****" wherever the address is shown, and refused before any
// connection or copy is tried.
TEST(ServerRefusals, APasswordInAnyFormOfTheAddressIsRefusedAndNeverShown) {
    const struct {
        const char *uri;
        bool holds;
        const char *shown;
    } cases[] = {
        {"postgresql://u:secret@h/d", true, "postgresql://u:****@h/d"},
        {"postgres://u:@h/d", true, "postgres://u:****@h/d"},
        {"postgresql://u:se@cret@h:5432/d", true, "postgresql://u:****@h:5432/d"},
        {"postgresql://u@h/d?password=secret", true, "postgresql://u@h/d?password=****"},
        {"postgresql://u@h/d?sslmode=disable&PASSWORD=secret&x=1", true, "postgresql://u@h/d?sslmode=disable&PASSWORD=****&x=1"},
        {"postgresql://u@h/d?pass%77ord=secret", true, "postgresql://u@h/d?pass%77ord=****"},
        {"postgresql://u@h/d?%70assword=secret", true, "postgresql://u@h/d?%70assword=****"},
        {"postgresql://u@h/d?sslpassword=secret", true, "postgresql://u@h/d?sslpassword=****"},
        {"postgresql://u@h/d?passfile=/home/u/.pgpass", false, "postgresql://u@h/d?passfile=/home/u/.pgpass"},
        {"postgresql://u@h:5432/d", false, "postgresql://u@h:5432/d"},
        {"postgresql://h:5432/d?user=u", false, "postgresql://h:5432/d?user=u"},
        {"postgresql://u@[::1]:5432/d", false, "postgresql://u@[::1]:5432/d"},
        {"/data/TqenData.mdb", false, "/data/TqenData.mdb"},
    };
    for (const auto &c : cases) {
        const QString uri = QString::fromUtf8(c.uri);
        EXPECT_EQ(uriHoldsPassword(uri), c.holds) << c.uri;
        EXPECT_EQ(withoutPassword(uri), QString::fromUtf8(c.shown)) << c.uri;
        if (!c.holds) continue;
        Database d = Database::open(uri);
        EXPECT_FALSE(d.isOpen()) << c.uri;
        EXPECT_FALSE(d.error().contains(QStringLiteral("secret"))) << d.error().toStdString();
        EXPECT_TRUE(d.error().contains(QStringLiteral("パスワード"))) << d.error().toStdString();
        QList<TableCopy> counts;
        for (const Error &e : {copyData(QStringLiteral("/no/such.mdb"), uri, &counts),
                               copyData(uri, QStringLiteral("/no/such.mdb"), &counts)}) {
            EXPECT_EQ(e.code(), Error::Code::BadInput) << c.uri;
            EXPECT_FALSE(e.message().contains(QStringLiteral("secret"))) << e.message().toStdString();
        }
    }
    EXPECT_EQ(maskPasswords(QStringLiteral("接続できません: postgresql://u:secret@h/d (理由) と 'postgres://h/d?password=x'")),
              QStringLiteral("接続できません: postgresql://u:****@h/d (理由) と 'postgres://h/d?password=****'"));
}

// The cluster's user tqen_pw must give a password; ~/.pgpass (here a
// password file named by PGPASSFILE) or the prompt gives it.
TEST_F(Server, ThePasswordComesFromThePasswordFileOrThePrompt) {
    QString uri = db->uri;
    uri.replace(QStringLiteral("postgresql://tqen@"), QStringLiteral("postgresql://tqen_pw@"));
    int asked = 0;
    setPasswordSource([&](const QString &host, const QString &user) -> std::optional<QString> {
        ++asked;
        EXPECT_EQ(host, serverHost(uri));
        EXPECT_EQ(user, QStringLiteral("tqen_pw"));
        return std::nullopt;
    });
    Database declined = Database::open(uri);
    EXPECT_FALSE(declined.isOpen());
    EXPECT_EQ(asked, 1);
    setPasswordSource([&](const QString &, const QString &) -> std::optional<QString> { ++asked; return QStringLiteral("wrong"); });
    EXPECT_FALSE(Database::open(uri).isOpen());
    setPasswordSource([&](const QString &, const QString &) -> std::optional<QString> { ++asked; return QStringLiteral("tqen-secret"); });
    EXPECT_TRUE(Database::open(uri).isOpen());
    resetServerConnections();  // pooled connections and the remembered password go
    asked = 0;
    QTemporaryDir dir;
    const QString pass = dir.filePath(QStringLiteral("pgpass"));
    QFile f(pass);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("*:*:*:tqen_pw:tqen-secret\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    qputenv("PGPASSFILE", pass.toUtf8());
    Database withFile = Database::open(uri);
    qunsetenv("PGPASSFILE");
    EXPECT_TRUE(withFile.isOpen()) << withFile.error().toStdString();
    EXPECT_EQ(asked, 0);
}

TEST_F(Server, TheWholeDataDatabaseCopiesBothWaysInOneTransaction) {
    QTemporaryDir dir;
    const QString file = testing::copyDeliveredFile(dir, QStringLiteral("TqenData.mdb"));
    {
        Database f = Database::open(file);
        ASSERT_TRUE(f.execute(QStringLiteral(
            "insert into 営業日報 (日付, 顧客名, 担当, タイトル, メモ) values (#2024/1/5#, '甲', '山田', '古い', 'x'), "
            "(#2024/1/5#, '甲', '山田', '新しい', 'y'), (#2024/1/6#, '乙''s', '佐藤', null, '')")));
        ASSERT_TRUE(f.execute(QStringLiteral("insert into 顧客マスタ values ('甲', 'こう', '山田')")));
        ASSERT_TRUE(f.execute(QStringLiteral("insert into TqHint values ('TqenMain', 'cmd登録', '日報', '登録します')")));
        ASSERT_TRUE(f.execute(QStringLiteral("update コードマスタ set sname = '山田' where code = '01'")));
    }
    // The day's report held twice would arrive as one: nothing is written,
    // and the group is named.
    QList<TableCopy> counts;
    CopyOutcome refused;
    const Error e = copyData(file, db->uri, CopyOptions(), &refused);
    EXPECT_FALSE(e.ok());
    EXPECT_TRUE(e.text().contains(QStringLiteral("1 組 (2 件)"))) << e.text().toStdString();
    ASSERT_EQ(refused.duplicates.size(), 1);
    EXPECT_EQ(refused.duplicates[0].day, QVariant(QDate(2024, 1, 5)));
    EXPECT_EQ(refused.duplicates[0].customer, QVariant(QStringLiteral("甲")));
    EXPECT_EQ(refused.duplicates[0].staff, QVariant(QStringLiteral("山田")));
    EXPECT_EQ(refused.duplicates[0].count, 2);
    EXPECT_TRUE(refused.counts.isEmpty());
    EXPECT_EQ(count(QStringLiteral("pg_tables where schemaname = current_schema()")), "0");  // not even connected
    EXPECT_FALSE(copyData(file, db->uri, &counts).ok());

    // Merged: one row, both titles and memos joined line by line; an added
    // table the file lacks is made on the server and holds nothing.
    const AddedTable added{QStringLiteral("追加表"), {{QStringLiteral("名前"), AddedColumn::Kind::Text}}, {}};
    CopyOptions merge;
    merge.mergeDuplicates = true;
    merge.addedTables = {added};
    CopyOutcome outcome;
    const Error merged = copyData(file, db->uri, merge, &outcome);
    ASSERT_TRUE(merged.ok()) << merged.message().toStdString();
    counts = outcome.counts;
    ASSERT_EQ(counts.size(), 5);
    EXPECT_EQ(counts[0].table, QStringLiteral("営業日報"));
    EXPECT_EQ(counts[0].read, 3);
    EXPECT_EQ(counts[0].stored, 2);
    EXPECT_EQ(outcome.mergedRows, 1);
    EXPECT_EQ(db->value(QStringLiteral("select タイトル from 営業日報 where 日付 = '2024-01-05'")), QStringLiteral("古い\n新しい"));
    EXPECT_EQ(db->value(QStringLiteral("select メモ from 営業日報 where 日付 = '2024-01-05'")), QStringLiteral("x\ny"));
    EXPECT_EQ(counts[4].table, QStringLiteral("追加表"));
    EXPECT_EQ(counts[4].stored, 0);
    ASSERT_TRUE(db->exec(QStringLiteral("insert into 追加表 values ('サーバーの行')")));
    EXPECT_EQ(counts[2].read, 30);
    EXPECT_EQ(counts[2].stored, 30);
    EXPECT_EQ(db->value(QStringLiteral("select contents from tqhint")), QStringLiteral("登録します"));
    EXPECT_EQ(db->value(QStringLiteral("select sname from コードマスタ where code = '01'")), QStringLiteral("山田"));

    // Back to an empty data file.
    const QString back = dir.filePath(QStringLiteral("back.mdb"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenData.mdb"), back));
    QFile::setPermissions(back, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(copyData(db->uri, back, merge, &outcome).ok());
    Database b = Database::open(back);
    EXPECT_EQ(Access::column(b, QStringLiteral("select * from 追加表"), QStringLiteral("名前")), QStringList{"サーバーの行"});
    EXPECT_EQ(Access::column(b, QStringLiteral("select * from 営業日報 order by 日付"), QStringLiteral("顧客名")),
              (QStringList{"甲", "乙's"}));
    EXPECT_EQ(Access::column(b, QStringLiteral("select * from 営業日報 order by 日付"), QStringLiteral("日付")),
              (QStringList{"2024/01/05", "2024/01/06"}));
    EXPECT_EQ(Access::column(b, QStringLiteral("select count(*) as n from コードマスタ"), QStringLiteral("n")), QStringList{"30"});

    // A failure part-way leaves the target as it was.
    ASSERT_TRUE(db->exec(QStringLiteral("alter table tqhint add constraint short check (length(contents) < 3) not valid")));
    EXPECT_FALSE(copyData(file, db->uri, merge, &outcome).ok());
    EXPECT_TRUE(outcome.counts.isEmpty());
    EXPECT_EQ(count(QStringLiteral("営業日報")), "2");
    EXPECT_EQ(count(QStringLiteral("追加表")), "1");
    EXPECT_EQ(count(QStringLiteral("tqhint")), "1");
    EXPECT_FALSE(copyData(file, QStringLiteral("postgresql://tqen@127.0.0.1:1/none"), &counts).ok());
}

}  // namespace
}  // namespace tqen::dao::test
