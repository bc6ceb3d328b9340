#include "platform/dao/RecordsetImpl.h"
#include "platform/dao/ServerRecordset.h"

#include <algorithm>

namespace tqen::dao {

Recordset::Impl::~Impl() { shutDown(QString()); }

void Recordset::Impl::fail(const QString &text) {
    shutDown(QString());
    error = text;
}

void Recordset::Impl::shutDown(const QString &why) {
    stepping.reset();
    if (conn) {
        auto &l = conn->live;
        l.erase(std::remove(l.begin(), l.end(), this), l.end());
    }
    if (open && !why.isEmpty()) error = why;
    open = false;
    rowids.clear();
    rows.clear();
    current.clear();
    pos = 0;
    complete = true;
    mode = Mode::None;
}

bool Recordset::Impl::start(const JetTranslation &tr, const QStringList &aliases, const sqlite3_int64 *onlyRow) {
    params = tr.params;
    QString err;
    if (tr.singleTable) {
        // "SELECT rowid, <list> FROM …": the rowid leads every row.
        QStringList p = tr.pieces;
        for (const JetTranslation::External &e : tr.externals) p[e.piece] = quoteName(aliases.value(e.attach)) + u'.' + p[e.piece];
        tableSql = (tr.tableAttach >= 0 ? quoteName(aliases.value(tr.tableAttach)) + u'.' : QString()) + quoteName(tr.table);
        selectList = p.mid(tr.selectListPiece, tr.fromPiece - tr.selectListPiece);
        QStringList whole = p;
        whole[tr.selectListPiece] = QStringLiteral("rowid , ") + whole[tr.selectListPiece];
        if (onlyRow) whole << QStringLiteral("WHERE rowid = ") + QString::number(*onlyRow);
        stepping = conn->prepare(whole.join(u' '), params, &err);
        if (!stepping) { fail(err); return false; }
        const int n = sqlite3_column_count(stepping.get());
        for (int i = 1; i < n; ++i) {
            names << QString::fromUtf8(sqlite3_column_name(stepping.get(), i));
            kinds << columnKind(sqlite3_column_decltype(stepping.get(), i));
        }
        updatable = true;
        open = true;
        complete = false;
        conn->live.push_back(this);
        pos = 0;
        stepNext();
        if (!error.isEmpty()) { fail(error); return false; }
        return true;
    }
    const Statement st = conn->prepare(tr.sql(aliases), params, &err);
    if (!st) { fail(err); return false; }
    const int n = sqlite3_column_count(st.get());
    for (int i = 0; i < n; ++i) {
        names << QString::fromUtf8(sqlite3_column_name(st.get(), i));
        kinds << columnKind(sqlite3_column_decltype(st.get(), i));
    }
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i) row[i] = columnValue(st.get(), i, kinds[i]);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) { fail(conn->lastError()); return false; }
    open = true;
    complete = true;
    pos = 0;
    return true;
}

// Steps the running select once: its row becomes the current row, or the
// select ends and the row list is complete.
void Recordset::Impl::stepNext() {
    const int rc = sqlite3_step(stepping.get());
    if (rc == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(stepping.get(), 0));
        pos = rowids.size() - 1;
        return;
    }
    stepping.reset();
    complete = true;
    pos = rowids.size();
    if (rc != SQLITE_DONE) error = conn->lastError();
}

void Recordset::Impl::finishReading() {
    if (!stepping) return;
    const bool onRow = pos < rowids.size();
    if (onRow) {
        current.resize(names.size());
        for (int i = 0; i < names.size(); ++i) current[i] = columnValue(stepping.get(), i + 1, kinds[i]);
    }
    const size_t keep = pos;
    int rc;
    while ((rc = sqlite3_step(stepping.get())) == SQLITE_ROW) rowids.push_back(sqlite3_column_int64(stepping.get(), 0));
    if (rc != SQLITE_DONE) error = conn->lastError();
    stepping.reset();
    complete = true;
    pos = onRow ? keep : rowids.size();
}

// Reads the row at pos by its rowid; rows deleted meanwhile are passed over.
void Recordset::Impl::loadFromPos() {
    current.clear();
    if (!conn || !conn->db) return;
    if (pointSql.isEmpty())
        pointSql = QStringLiteral("SELECT ") + selectList.join(u' ') + QStringLiteral(" FROM ") + tableSql +
                   QStringLiteral(" WHERE rowid = ?");
    QString err;
    const Statement st = conn->prepare(pointSql, params, &err);
    if (!st) { error = err; pos = rowids.size(); return; }
    const int rowidParam = sqlite3_bind_parameter_count(st.get());
    for (; pos < rowids.size(); ++pos) {
        sqlite3_reset(st.get());
        sqlite3_bind_int64(st.get(), rowidParam, rowids[pos]);
        if (sqlite3_step(st.get()) == SQLITE_ROW) {
            current.resize(names.size());
            for (int i = 0; i < names.size(); ++i) current[i] = columnValue(st.get(), i, kinds[i]);
            break;
        }
    }
}

bool Recordset::Impl::atEnd() const {
    if (!open) return true;
    if (!updatable) return pos >= rows.size();
    return pos >= rowids.size();
}

int Recordset::Impl::fieldIndex(const QString &name) const {
    for (int i = 0; i < names.size(); ++i)  // the name as the select spells it, the common case
        if (names[i] == name) return i;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Recordset::Impl::value(int col) const {
    if (atEnd() || col < 0) return {};
    if (!updatable) return rows[pos].value(col);
    if (stepping) return columnValue(stepping.get(), col + 1, kinds[col]);
    return current.value(col);
}

bool Recordset::Impl::write() {
    conn->releaseReaders();
    QStringList cols;
    QVector<int> which;
    for (int i = 0; i < names.size(); ++i)
        if (touched[i]) { cols << quoteName(names[i]); which << i; }
    QString sql;
    if (mode == Mode::Adding) {
        if (cols.isEmpty()) sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tableSql);
        else
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(tableSql, cols.join(u','), QStringList(cols.size(), QStringLiteral("?")).join(u','));
    } else {
        if (atEnd()) { error = QStringLiteral("No current record."); return false; }
        if (cols.isEmpty()) return true;
        QStringList sets;
        for (const QString &c : cols) sets << c + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(tableSql, sets.join(u','));
    }
    QString err;
    const Statement st = conn->prepare(sql, {}, &err);
    if (!st) { error = err; return false; }
    for (int k = 0; k < which.size(); ++k) {
        if (!bindValue(st.get(), k + 1, kinds[which[k]], buffer[which[k]], &err)) {
            error = err + QStringLiteral(" (field %1)").arg(names[which[k]]);
            return false;
        }
    }
    if (mode == Mode::Editing) sqlite3_bind_int64(st.get(), int(which.size()) + 1, rowids[pos]);
    if (sqlite3_step(st.get()) != SQLITE_DONE) { error = conn->lastError(); return false; }
    if (mode == Mode::Editing) loadFromPos();
    return true;
}

// ---------------------------------------------------------------------------

Recordset::Recordset() : d(std::make_unique<Impl>()) { d->error = QStringLiteral("The recordset is not open."); }
Recordset::Recordset(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&other) noexcept = default;
Recordset &Recordset::operator=(Recordset &&other) noexcept = default;

bool Recordset::isOpen() const { return d && (d->server ? d->server->open : d->open); }
QString Recordset::error() const {
    if (d && d->server) return d->server->error;
    return d ? d->error : QStringLiteral("The recordset was moved from.");
}
bool Recordset::writeConflict() const { return d && d->server && d->server->conflict; }

bool Recordset::bof() const {
    if (!isOpen()) return true;
    if (d->server) return d->server->empty();
    if (!d->updatable) return d->rows.empty();
    return d->complete && d->rowids.empty();
}

bool Recordset::eof() const { return !isOpen() || (d->server ? d->server->atEnd() : d->atEnd()); }

void Recordset::moveFirst() {
    if (!isOpen()) return;
    if (d->server) return d->server->moveFirst();
    d->mode = Impl::Mode::None;
    if (!d->updatable) { d->pos = 0; return; }
    if (d->stepping && d->pos == 0) return;  // still on the first row
    d->finishReading();
    d->pos = 0;
    d->loadFromPos();
}

void Recordset::moveNext() {
    if (isOpen() && d->server) return d->server->moveNext();
    if (!isOpen() || d->atEnd()) {
        if (isOpen()) d->error = QStringLiteral("No current record.");
        return;
    }
    d->mode = Impl::Mode::None;
    if (!d->updatable) { ++d->pos; return; }
    if (d->stepping) { d->stepNext(); return; }
    ++d->pos;
    d->loadFromPos();
}

QVariant Recordset::field(const QString &name) const {
    if (!isOpen()) return {};
    if (d->server) return d->server->field(name);
    return d->value(d->fieldIndex(name));
}

void Recordset::setField(const QString &name, const QVariant &value) {
    if (!isOpen()) return;
    if (d->server) return d->server->setField(name, value);
    if (d->mode == Impl::Mode::None) { d->error = QStringLiteral("Update or CancelUpdate without AddNew or Edit."); return; }
    const int i = d->fieldIndex(name);
    if (i < 0) { d->error = QStringLiteral("Item not found in this collection: %1").arg(name); return; }
    d->buffer[i] = value;
    d->touched[i] = true;
}

void Recordset::addNew() {
    if (!isOpen()) return;
    if (d->server) return d->server->addNew();
    if (!d->updatable) { d->error = QStringLiteral("Database or object is read-only."); return; }
    d->mode = Impl::Mode::Adding;
    d->buffer = QVector<QVariant>(d->names.size());
    d->touched = QVector<bool>(d->names.size(), false);
}

void Recordset::edit() {
    if (!isOpen()) return;
    if (d->server) return d->server->edit();
    if (!d->updatable) { d->error = QStringLiteral("Database or object is read-only."); return; }
    if (d->atEnd()) { d->error = QStringLiteral("No current record."); return; }
    d->mode = Impl::Mode::Editing;
    d->buffer = QVector<QVariant>(d->names.size());
    d->touched = QVector<bool>(d->names.size(), false);
}

bool Recordset::update() {
    if (!isOpen()) return false;
    if (d->server) return d->server->update();
    if (d->mode == Impl::Mode::None) { d->error = QStringLiteral("Update or CancelUpdate without AddNew or Edit."); return false; }
    const bool ok = d->write();
    d->mode = Impl::Mode::None;
    if (ok) d->error.clear();
    return ok;
}

void Recordset::cancelUpdate() {
    if (isOpen() && d->server) return d->server->cancelUpdate();
    if (isOpen()) d->mode = Impl::Mode::None;
}

void Recordset::close() {
    if (d && d->server) d->server->shutDown(QString());
    if (d) d->shutDown(QString());
}

QVariant Recordset::bookmark() const {
    if (isOpen() && d->server) return d->server->bookmark();
    if (!isOpen() || !d->updatable || d->atEnd()) return {};
    return qlonglong(d->rowids[d->pos]);
}

QStringList Recordset::fieldNames() const {
    if (isOpen() && d->server) return d->server->fieldNames();
    return isOpen() ? d->names : QStringList();
}

}  // namespace tqen::dao
