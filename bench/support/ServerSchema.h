#pragma once
// A schema of its own on a PostgreSQL server for one benchmark run: made
// afresh (dropped first if a killed run left it), named in the URI the
// program is given (search_path), and dropped when the run ends.
#include "platform/dao/Server.h"

#include <libpq-fe.h>

#include <QString>

#include <cstdio>

namespace tqen::bench {

class ServerSchema {
public:
    ServerSchema(const QString &base, const char *name) : name_(name) {
        admin_ = PQconnectdb(base.toUtf8().constData());
        if (PQstatus(admin_) != CONNECTION_OK) {
            std::fprintf(stderr, "%s\n", PQerrorMessage(admin_));
            return;
        }
        PQclear(PQexec(admin_, "SET client_min_messages = warning"));
        drop();
        PQclear(PQexec(admin_, (QByteArray("CREATE SCHEMA ") + name_).constData()));
        uri_ = base + (base.contains(u'?') ? u'&' : u'?') + QStringLiteral("options=-csearch_path%3D") +
               QString::fromUtf8(name_);
    }
    ~ServerSchema() {
        if (!uri_.isEmpty()) {
            dao::resetServerConnections();
            drop();
        }
        PQfinish(admin_);
    }
    ServerSchema(const ServerSchema &) = delete;
    ServerSchema &operator=(const ServerSchema &) = delete;

    bool ok() const { return !uri_.isEmpty(); }
    // The server's URI with the schema as the search path.
    const QString &uri() const { return uri_; }

private:
    void drop() { PQclear(PQexec(admin_, (QByteArray("DROP SCHEMA IF EXISTS ") + name_ + " CASCADE").constData())); }

    const char *name_;
    PGconn *admin_ = nullptr;
    QString uri_;
};

}  // namespace tqen::bench
