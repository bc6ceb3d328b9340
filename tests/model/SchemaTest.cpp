// The program's tables made on a server from the one definition: what the
// server's catalog holds is what it held when the server's tables were
// written out by hand (tests/model/fixtures/server-catalog.txt, the same
// query's answer then).
#include "model/Schema.h"
#include "platform/dao/Dao.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>

#include <QFile>

namespace tqen::model::test {
namespace {

const char *const kCatalog = R"(
select string_agg(line, E'\n' order by line) from (
  select 'table ' || c.relname || ' column ' || a.attnum || ' ' || a.attname || ' ' || format_type(a.atttypid, a.atttypmod)
         || coalesce(' collate ' || co.collname, '') || case when a.attnotnull then ' not null' else '' end
         || coalesce(' default ' || pg_get_expr(d.adbin, d.adrelid), '') as line
    from pg_attribute a join pg_class c on c.oid = a.attrelid join pg_namespace n on n.oid = c.relnamespace
    left join pg_collation co on co.oid = a.attcollation
    left join pg_attrdef d on d.adrelid = a.attrelid and d.adnum = a.attnum
   where n.nspname = current_schema() and c.relkind = 'r' and a.attnum > 0 and not a.attisdropped
  union all
  select 'index ' || indexname || ': ' || replace(indexdef, current_schema() || '.', '')
    from pg_indexes where schemaname = current_schema()
  union all
  select 'row コードマスタ ' || concat_ws('|', kcode, code, coalesce(sname, '<null>'), cnt) from コードマスタ
) lines)";

TEST(ServerSchema, AFirstConnectionMakesTheTablesTheServerHadBefore) {
    TQEN_SKIP_WITHOUT_SERVER();
    testing::ServerDb server;
    ASSERT_TRUE(server.ok);
    dao::Database db = dao::Database::open(server.uri);
    ASSERT_TRUE(db.isOpen()) << db.error().toStdString();
    QFile before(qEnvironmentVariable("TQEN_SOURCE_DIR") + QStringLiteral("/tests/model/fixtures/server-catalog.txt"));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    EXPECT_EQ(server.value(QString::fromUtf8(kCatalog)) + u'\n', QString::fromUtf8(before.readAll()));
}

// Until the program hands the engine its tables, an empty database is
// refused with a reason, and nothing is made in it.
TEST(ServerSchema, AnEmptyDatabaseWithoutTheProgramsTablesIsRefused) {
    TQEN_SKIP_WITHOUT_SERVER();
    testing::ServerDb server;
    ASSERT_TRUE(server.ok);
    dao::setServerSchema({});
    dao::Database db = dao::Database::open(server.uri);
    schema::useSchemaOnServers();
    EXPECT_FALSE(db.isOpen());
    EXPECT_TRUE(db.error().contains(u"gave no tables")) << db.error().toStdString();
    EXPECT_EQ(server.value(QStringLiteral("select count(*) from pg_tables where schemaname = current_schema()")), "0");
    EXPECT_TRUE(dao::Database::open(server.uri).isOpen());
}

// The same definition gives the file's and the server's tables: the same
// tables, columns and indexes (a server also keeps a report's and a
// customer's key unique).
TEST(ServerSchema, TheServersTablesAreTheDataFilesTables) {
    const dao::ServerSchema s = schema::serverSchema();
    QStringList tables, indexes;
    for (const schema::Table &t : schema::dataDatabase().tables) {
        tables << t.name;
        for (const schema::Index &i : t.indexes) indexes << i.name.toLower();
    }
    EXPECT_EQ(s.tables, tables);
    EXPECT_EQ(s.keyIndexes, (QStringList{"営業日報_日付顧客担当", "顧客マスタ_名称"}));
    for (const QString &i : indexes)
        EXPECT_EQ(s.statements.filter(QStringLiteral("INDEX \"%1\" ON").arg(i)).size(), 1) << i.toStdString();
    EXPECT_TRUE(s.declaredNames.contains(QStringLiteral("FormName")));
}

}  // namespace
}  // namespace tqen::model::test
