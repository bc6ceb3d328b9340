#include "platform/dao/ServerRecordset.h"

#include <QRegularExpression>

#include <algorithm>

namespace tqen::dao {

namespace {

int highestParam(const QStringList &pieces) {
    int top = 0;
    for (const QString &p : pieces) {
        for (qsizetype i = 0; i < p.size(); ++i) {
            if (p[i] != u'$') continue;
            int n = 0;
            while (i + 1 < p.size() && p[i + 1].isDigit()) n = n * 10 + p[++i].digitValue();
            top = std::max(top, n);
        }
    }
    return top;
}

QString placeholders(int from, int count) {
    QStringList out;
    for (int i = 0; i < count; ++i) out << QStringLiteral("$%1").arg(from + i);
    return out.join(u',');
}

// The server's tables are made with names in lower case; a field reads back
// under the name as the statement spells it, or else as the data file
// declares it (Jet gives a field's declared name).
QString fieldName(const QString &server, const JetTranslation &tr) {
    for (const QString &p : tr.pieces) {
        if (!p.startsWith(u'"') || p.size() - 2 != server.size()) continue;
        const QString name = p.mid(1, p.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        if (name.compare(server, Qt::CaseInsensitive) == 0) return name;
    }
    return declaredName(server);
}

}  // namespace

ServerRecordset::ServerRecordset(std::shared_ptr<ServerConnection> c) : conn(std::move(c)) {}

ServerRecordset::~ServerRecordset() { shutDown(QString()); }

void ServerRecordset::shutDown(const QString &why) {
    if (conn) {
        auto &l = conn->live;
        l.erase(std::remove(l.begin(), l.end(), this), l.end());
    }
    if (open && !why.isEmpty()) error = why;
    open = false;
    rows.clear();
    versions.clear();
    pos = 0;
    mode = Mode::None;
}

bool ServerRecordset::takeRow(const PGresult *r, int row, int firstCol, QVector<QVariant> *out, QString *version) const {
    const int n = PQnfields(r) - firstCol;
    out->resize(n);
    for (int i = 0; i < n; ++i) (*out)[i] = serverValue(r, row, i + firstCol);
    if (version) *version = QString::fromLatin1(PQgetvalue(r, row, 0));
    return true;
}

bool ServerRecordset::start(const JetTranslation &tr, const QString *onlyRow) {
    QStringList p;
    QVector<QVariant> params;
    if (!serverPieces(tr, &p, &params, &error, conn->likeCollationFor(tr))) return false;
    if (!tr.externals.isEmpty()) {
        error = QStringLiteral("A table of another file cannot be read on the database server.");
        return false;
    }
    QVector<QVariant> values = params;
    const bool single = tr.singleTable;
    if (single) {
        table = quoteName(tr.table).toLower();
        listPieces = p.mid(tr.selectListPiece, tr.fromPiece - tr.selectListPiece);
        const int listTop = highestParam(listPieces);
        returning = listTop == 0 ? listPieces.join(u' ') : QString();
        listParams = params.mid(0, listTop);
        p[tr.selectListPiece] = QStringLiteral("ctid , ") + p[tr.selectListPiece];
        if (onlyRow) {
            p << QStringLiteral("WHERE ctid = $%1::tid").arg(params.size() + 1);
            values << *onlyRow;
        }
    }
    const Result r = conn->run(p.join(u' '), values, &error);
    if (!r) return false;
    const int first = single ? 1 : 0;
    for (int i = first; i < PQnfields(r.get()); ++i) {
        names << fieldName(QString::fromUtf8(PQfname(r.get(), i)), tr);
        types << unsigned(PQftype(r.get(), i));
    }
    const int count = PQntuples(r.get());
    rows.resize(size_t(count));
    if (single) versions.resize(size_t(count));
    for (int row = 0; row < count; ++row) takeRow(r.get(), row, first, &rows[size_t(row)], single ? &versions[size_t(row)] : nullptr);
    updatable = single;
    open = true;
    error.clear();
    conn->live.push_back(this);
    return true;
}

void ServerRecordset::moveNext() {
    if (!open) return;
    if (atEnd()) {
        error = QStringLiteral("No current record.");
        return;
    }
    mode = Mode::None;
    ++pos;
}

int ServerRecordset::fieldIndex(const QString &name) const {
    for (int i = 0; i < names.size(); ++i)
        if (names[i] == name) return i;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant ServerRecordset::field(const QString &name) const {
    const int i = fieldIndex(name);
    if (atEnd() || i < 0) return {};
    return rows[pos].value(i);
}

void ServerRecordset::setField(const QString &name, const QVariant &value) {
    if (!open) return;
    if (mode == Mode::None) { error = QStringLiteral("Update or CancelUpdate without AddNew or Edit."); return; }
    const int i = fieldIndex(name);
    if (i < 0) { error = QStringLiteral("Item not found in this collection: %1").arg(name); return; }
    buffer[i] = value;
    touched[i] = true;
}

void ServerRecordset::addNew() {
    if (!open) return;
    if (!updatable) { error = QStringLiteral("Database or object is read-only."); return; }
    mode = Mode::Adding;
    buffer = QVector<QVariant>(names.size());
    touched = QVector<bool>(names.size(), false);
}

void ServerRecordset::edit() {
    if (!open) return;
    if (!updatable) { error = QStringLiteral("Database or object is read-only."); return; }
    if (atEnd()) { error = QStringLiteral("No current record."); return; }
    mode = Mode::Editing;
    buffer = QVector<QVariant>(names.size());
    touched = QVector<bool>(names.size(), false);
}

QVariant ServerRecordset::bookmark() const {
    if (!updatable || atEnd()) return {};
    return versions[pos];
}

// INSERT of the given columns; where the table has a unique index, a row of
// the same key is updated instead (the given columns only).
bool ServerRecordset::upsert(const QVector<int> &which, const QVector<QVariant> &values, Result *out, bool version) {
    QStringList cols;
    for (int i : which) cols << quoteName(names[i]).toLower();
    QString sql = cols.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                 : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(table, cols.join(u','), placeholders(1, int(cols.size())));
    const QStringList key = conn->uniqueKey(table);
    if (!key.isEmpty()) {
        QStringList quotedKey, sets;
        for (const QString &k : key) quotedKey << quoteName(k);
        for (const QString &c : cols) sets << c + QStringLiteral(" = EXCLUDED.") + c;
        sql += QStringLiteral(" ON CONFLICT (%1) ").arg(quotedKey.join(u','));
        sql += sets.isEmpty() ? QStringLiteral("DO NOTHING") : QStringLiteral("DO UPDATE SET ") + sets.join(u',');
    }
    if (version) sql += QStringLiteral(" RETURNING ctid");
    *out = conn->run(sql, values, &error);
    return bool(*out);
}

bool ServerRecordset::reread(const QString &version) {
    QVector<QVariant> values = listParams;
    values << version;
    const QString sql = QStringLiteral("SELECT ctid , %1 FROM %2 WHERE ctid = $%3::tid")
                            .arg(listPieces.join(u' '), table)
                            .arg(values.size());
    const Result r = conn->run(sql, values, &error);
    if (!r) return false;
    if (PQntuples(r.get()) == 1) takeRow(r.get(), 0, 1, &rows[pos], &versions[pos]);
    return true;
}

bool ServerRecordset::update() {
    if (!open) return false;
    conflict = false;
    if (mode == Mode::None) { error = QStringLiteral("Update or CancelUpdate without AddNew or Edit."); return false; }
    const Mode was = mode;
    mode = Mode::None;
    QVector<int> which;
    QVector<QVariant> values;
    for (int i = 0; i < names.size(); ++i) {
        if (!touched[i]) continue;
        QVariant v;
        if (!serverParam(types[i], buffer[i], &v, &error)) {
            error += QStringLiteral(" (field %1)").arg(names[i]);
            return false;
        }
        which << i;
        values << v;
    }
    if (was == Mode::Adding) {
        Result r;
        if (!upsert(which, values, &r, false)) return false;
        error.clear();
        return true;
    }
    if (atEnd()) { error = QStringLiteral("No current record."); return false; }
    if (which.isEmpty()) return true;
    QStringList sets;
    for (int k = 0; k < which.size(); ++k) sets << quoteName(names[which[k]]).toLower() + QStringLiteral(" = $%1").arg(k + 1);
    QVector<QVariant> withVersion = values;
    withVersion << versions[pos];
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE ctid = $%3::tid RETURNING ctid")
                            .arg(table, sets.join(u','))
                            .arg(withVersion.size()) +
                        (returning.isEmpty() ? QString() : QStringLiteral(" , ") + returning);
    Result r = conn->run(sql, withVersion, &error);
    if (!r) return false;
    if (PQntuples(r.get()) == 1) {
        if (returning.isEmpty()) return reread(QString::fromLatin1(PQgetvalue(r.get(), 0, 0)));
        takeRow(r.get(), 0, 1, &rows[pos], &versions[pos]);
        error.clear();
        return true;
    }
    // Another program changed or deleted the row since it was read. Where
    // the table's unique index names the row, this write is the last one and
    // goes in; elsewhere it is refused rather than written over the other.
    const QStringList key = conn->uniqueKey(table);
    QVector<int> all = which;
    QVector<QVariant> allValues = values;
    bool keyed = !key.isEmpty();
    for (const QString &k : key) {
        const int i = fieldIndex(k);
        if (i < 0) { keyed = false; break; }
        if (touched[i]) continue;
        QVariant v;
        if (!serverParam(types[i], rows[pos][i], &v, &error)) return false;
        all << i;
        allValues << v;
    }
    if (!keyed) {
        conflict = true;
        error = QStringLiteral("The record was changed or deleted by another user since it was read; it was not written.");
        return false;
    }
    if (!upsert(all, allValues, &r, true)) return false;
    if (PQntuples(r.get()) == 1) return reread(QString::fromLatin1(PQgetvalue(r.get(), 0, 0)));
    error.clear();
    return true;
}

// ---------------------------------------------------------------------------

bool ServerDatabase::execute(const JetTranslation &tr) {
    if (!tr.externals.isEmpty()) {
        error = QStringLiteral("A table of another file cannot be named on the database server.");
        return false;
    }
    if (tr.insertByName) {
        error = QStringLiteral("On the database server, an insert-select names its columns.");
        return false;
    }
    QStringList p;
    QVector<QVariant> params;
    if (!serverPieces(tr, &p, &params, &error, conn->likeCollationFor(tr))) return false;
    const Result r = conn->run(p.join(u' '), params, &error);
    if (!r) return false;
    affected = QByteArray(PQcmdTuples(r.get())).toLongLong();
    error.clear();
    return true;
}

std::unique_ptr<Recordset::Impl> ServerDatabase::select(const JetTranslation &tr, const QVariant *row) {
    auto rs = std::make_unique<ServerRecordset>(conn);
    const QString version = row ? row->toString() : QString();
    rs->start(tr, row ? &version : nullptr);
    return rs;
}

bool ServerDatabase::begin(bool) {
    if (conn->inTransaction) { error = QStringLiteral("A transaction is already open."); return false; }
    if (!conn->run(QStringLiteral("BEGIN"), {}, &error)) return false;
    conn->inTransaction = true;
    return true;
}

bool ServerDatabase::commit() {
    if (!conn->inTransaction) { error = QStringLiteral("Commit without a transaction."); return false; }
    const Result r = conn->run(QStringLiteral("COMMIT"), {}, &error);
    // A transaction that failed earlier ends with COMMIT too, as a rollback.
    const bool ok = r && QByteArray(PQcmdStatus(r.get())) == "COMMIT";
    if (r && !ok) error = QStringLiteral("The transaction was rolled back by the server.");
    if (r || PQstatus(conn->pg) == CONNECTION_BAD) conn->inTransaction = false;
    return ok;
}

void ServerDatabase::rollback() {
    if (!conn->inTransaction) return;
    QString ignored;
    conn->run(QStringLiteral("ROLLBACK"), {}, &ignored);
    conn->inTransaction = false;
}

}  // namespace tqen::dao
