// The insert-select of a server table into a table of a local file.
#include "platform/dao/Connection.h"
#include "platform/dao/Server.h"
#include "platform/dao/ServerRecordset.h"

#include <algorithm>

namespace tqen::dao {

namespace {

struct LocalColumn {
    QString name;
    ColumnKind kind;
};

QVector<LocalColumn> localColumns(Connection &c, const QString &table) {
    QVector<LocalColumn> cols;
    QString err;
    const Statement st = c.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)), {}, &err);
    if (!st) return cols;
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
        const char *type = reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 2));
        cols.push_back({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1))),
                        columnKind(type ? type : "")});
    }
    return cols;
}

bool exec(Connection &c, const char *sql) { return sqlite3_exec(c.db.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

}  // namespace

bool copyFromServer(Connection &local, const JetTranslation &tr, qlonglong *affected, QString *error) {
    if (!tr.insertByName || tr.attachPaths.size() != 1 || tr.targetAttach >= 0) {
        *error = QStringLiteral("Only rows of one server table can be copied into a table of this file.");
        return false;
    }
    const QString uri = tr.attachPaths.first();
    const QVector<LocalColumn> target = localColumns(local, tr.target);
    if (target.isEmpty()) {
        *error = QStringLiteral("The output table '%1' was not found.").arg(tr.target);
        return false;
    }
    auto server = connectServer(uri, error);
    if (!server) return false;
    QStringList pieces;
    QVector<QVariant> params;
    if (!serverPieces(tr, &pieces, &params, error, server->likeCollationFor(tr))) return false;
    const Result r = server->run(pieces.mid(tr.selectPiece).join(u' '), params, error);
    if (!r) return false;
    server->close();  // back to the pool: the rows are here

    // Jet's matching by name: a field of the select goes to the table's
    // field of that name; with select * the fields the table lacks are left out.
    const bool star = tr.starBegin >= 0;
    QVector<int> sourceCol, targetCol;
    QStringList into;
    for (int i = 0; i < PQnfields(r.get()); ++i) {
        const QString s = QString::fromUtf8(PQfname(r.get(), i));
        const auto it = std::find_if(target.begin(), target.end(),
                                     [&](const LocalColumn &t) { return t.name.compare(s, Qt::CaseInsensitive) == 0; });
        if (it == target.end()) {
            if (star) continue;
            *error = QStringLiteral("Unknown field name: '%1' in table '%2'.").arg(s, tr.target);
            return false;
        }
        const int t = int(it - target.begin());
        if (targetCol.contains(t)) {
            *error = QStringLiteral("Duplicate output destination '%1'.").arg(it->name);
            return false;
        }
        sourceCol << i;
        targetCol << t;
        into << quoteName(it->name);
    }
    if (into.isEmpty()) {
        *error = QStringLiteral("No field of the select is a field of table '%1'.").arg(tr.target);
        return false;
    }
    local.releaseReaders();
    if (!exec(local, "SAVEPOINT tqen_server_copy")) {
        *error = local.lastError();
        return false;
    }
    const auto undo = [&] {
        exec(local, "ROLLBACK TO tqen_server_copy");
        exec(local, "RELEASE tqen_server_copy");
        return false;
    };
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoteName(tr.target), into.join(u','),
                                 QStringList(into.size(), QStringLiteral("?")).join(u','));
    const Statement st = local.prepare(sql, {}, error);
    if (!st) return undo();
    const int rows = PQntuples(r.get());
    for (int row = 0; row < rows; ++row) {
        sqlite3_reset(st.get());
        for (int k = 0; k < sourceCol.size(); ++k) {
            const LocalColumn &col = target[targetCol[k]];
            if (!bindValue(st.get(), k + 1, col.kind, serverValue(r.get(), row, sourceCol[k]), error)) {
                *error += QStringLiteral(" (field %1)").arg(col.name);
                return undo();
            }
        }
        if (sqlite3_step(st.get()) != SQLITE_DONE) {
            *error = local.lastError();
            return undo();
        }
    }
    if (!exec(local, "RELEASE tqen_server_copy")) {
        *error = local.lastError();
        return undo();
    }
    *affected = rows;
    error->clear();
    return true;
}

}  // namespace tqen::dao
