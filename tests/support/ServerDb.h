#pragma once
// A data database of its own on the test server (TQEN_TEST_PG_URI, set by
// scripts/test.sh) for one test: a fresh schema that the URI selects, empty
// until the program's first connection makes its tables (the program's
// schema is handed to the engine here, as start-up does), dropped at the end.
// Tests that need the server skip with a clear line when it is not there.
#include "model/Schema.h"
#include "platform/dao/Server.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <QCoreApplication>
#include <QString>

#include <atomic>

namespace tqen::testing {

inline QString serverBaseUri() { return qEnvironmentVariable("TQEN_TEST_PG_URI"); }

#define TQEN_SKIP_WITHOUT_SERVER()                                                                              \
    do {                                                                                                        \
        if (::tqen::testing::serverBaseUri().isEmpty())                                                         \
            GTEST_SKIP() << "PostgreSQL test server absent (TQEN_TEST_PG_URI is not set): server test skipped"; \
    } while (0)

class ServerDb {
public:
    ServerDb() {
        // The program's tables, as its start-up gives them to the engine.
        model::schema::useSchemaOnServers();
        static std::atomic<int> counter{0};
        schema = QStringLiteral("tqen_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
        // The program's connections carry the schema's name, so a test that
        // ends them leaves other tests' connections (on the same server at
        // the same time) alone.
        uri = serverBaseUri() + QStringLiteral("?options=-csearch_path%3D") + schema +
              QStringLiteral("&application_name=") + schema;
        ok = exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema), serverBaseUri());
    }
    ~ServerDb() {
        dao::resetServerConnections();
        exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema), serverBaseUri());
    }
    ServerDb(const ServerDb &) = delete;
    ServerDb &operator=(const ServerDb &) = delete;

    // Runs SQL straight through libpq, outside the program's engine.
    bool exec(const QString &sql, const QString &on = QString()) const {
        PGconn *c = PQconnectdb((on.isEmpty() ? uri : on).toUtf8().constData());
        bool done = PQstatus(c) == CONNECTION_OK;
        if (done) {
            PQclear(PQexec(c, "SET client_min_messages = warning"));
            PGresult *r = PQexec(c, sql.toUtf8().constData());
            done = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
            if (!done) ADD_FAILURE() << PQresultErrorMessage(r) << " in " << sql.toStdString();
            PQclear(r);
        } else {
            ADD_FAILURE() << PQerrorMessage(c);
        }
        PQfinish(c);
        return done;
    }
    // The first value of a query straight through libpq.
    QString value(const QString &sql) const {
        PGconn *c = PQconnectdb(uri.toUtf8().constData());
        PGresult *r = PQexec(c, sql.toUtf8().constData());
        const QString out = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0
                                ? QString::fromUtf8(PQgetvalue(r, 0, 0))
                                : QStringLiteral("<error: %1>").arg(QString::fromUtf8(PQresultErrorMessage(r)));
        PQclear(r);
        PQfinish(c);
        return out;
    }

    // Ends the program's connections to this test's database, as a restart
    // of the server or a broken network would.
    bool endProgramConnections() const {
        return exec(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity "
                                   "where application_name = '%1' and pid <> pg_backend_pid()")
                        .arg(schema));
    }

    QString schema, uri;
    bool ok = false;
};

}  // namespace tqen::testing
