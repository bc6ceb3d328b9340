#include "platform/dao/RecordsetImpl.h"

#include "platform/dao/Statistics.h"

#include <algorithm>

namespace tqen::dao {

FileRecordset::~FileRecordset() { shutDown(QString()); }

void FileRecordset::fail(const QString &text) {
    shutDown(QString());
    error = text;
}

void FileRecordset::shutDown(const QString &why) {
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

bool FileRecordset::start(const JetTranslation &tr, const QStringList &aliases, const sqlite3_int64 *onlyRow) {
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
        stepping = conn->prepareWith(whole.join(u' '), params, &err);
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
    const Statement st = conn->prepareWith(tr.sql(aliases), params, &err);
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
void FileRecordset::stepNext() {
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

void FileRecordset::finishReading() {
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
void FileRecordset::loadFromPos() {
    current.clear();
    if (!conn || !conn->db) return;
    if (pointSql.isEmpty())
        pointSql = QStringLiteral("SELECT ") + selectList.join(u' ') + QStringLiteral(" FROM ") + tableSql +
                   QStringLiteral(" WHERE rowid = ?");
    QString err;
    const Statement st = conn->prepareWith(pointSql, params, &err);
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

bool FileRecordset::atEnd() const {
    if (!open) return true;
    if (!updatable) return pos >= rows.size();
    return pos >= rowids.size();
}

int FileRecordset::fieldIndex(const QString &name) const {
    for (int i = 0; i < names.size(); ++i)  // the name as the select spells it, the common case
        if (names[i] == name) return i;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant FileRecordset::value(int col) const {
    if (atEnd() || col < 0) return {};
    if (!updatable) return rows[pos].value(col);
    if (stepping) return columnValue(stepping.get(), col + 1, kinds[col]);
    return current.value(col);
}

bool FileRecordset::write() {
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

bool FileRecordset::bof() const {
    if (!updatable) return rows.empty();
    return complete && rowids.empty();
}

void FileRecordset::moveFirst() {
    mode = Mode::None;
    if (!updatable) { pos = 0; return; }
    if (stepping && pos == 0) return;  // still on the first row
    finishReading();
    pos = 0;
    loadFromPos();
}

void FileRecordset::moveNext() {
    if (atEnd()) {
        error = QStringLiteral("No current record.");
        return;
    }
    mode = Mode::None;
    if (!updatable) { ++pos; return; }
    if (stepping) { stepNext(); return; }
    ++pos;
    loadFromPos();
}

void FileRecordset::setField(const QString &name, const QVariant &value) {
    if (mode == Mode::None) { error = QStringLiteral("Update or CancelUpdate without AddNew or Edit."); return; }
    const int i = fieldIndex(name);
    if (i < 0) { error = QStringLiteral("Item not found in this collection: %1").arg(name); return; }
    buffer[i] = value;
    touched[i] = true;
}

void FileRecordset::addNew() {
    if (!updatable) { error = QStringLiteral("Database or object is read-only."); return; }
    mode = Mode::Adding;
    buffer = QVector<QVariant>(names.size());
    touched = QVector<bool>(names.size(), false);
}

void FileRecordset::edit() {
    if (!updatable) { error = QStringLiteral("Database or object is read-only."); return; }
    if (atEnd()) { error = QStringLiteral("No current record."); return; }
    mode = Mode::Editing;
    buffer = QVector<QVariant>(names.size());
    touched = QVector<bool>(names.size(), false);
}

bool FileRecordset::update() {
    if (mode == Mode::None) { error = QStringLiteral("Update or CancelUpdate without AddNew or Edit."); return false; }
    const bool ok = write();
    mode = Mode::None;
    if (ok) error.clear();
    return ok;
}

QVariant FileRecordset::bookmark() const {
    if (!updatable || atEnd()) return {};
    return qlonglong(rowids[pos]);
}

// ---------------------------------------------------------------------------

std::unique_ptr<Recordset::Impl> failedRecordset(const QString &error) {
    auto impl = std::make_unique<Recordset::Impl>();
    impl->error = error;
    return impl;
}

Recordset::Recordset() : d(failedRecordset(QStringLiteral("The recordset is not open."))) {}
Recordset::Recordset(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&other) noexcept = default;
Recordset &Recordset::operator=(Recordset &&other) noexcept = default;

bool Recordset::isOpen() const { return d && d->isOpen(); }
QString Recordset::error() const { return d ? d->errorText() : QStringLiteral("The recordset was moved from."); }
bool Recordset::writeConflict() const { return d && d->writeConflict(); }
bool Recordset::bof() const { return !isOpen() || d->bof(); }
bool Recordset::eof() const { return !isOpen() || d->eof(); }

void Recordset::moveFirst() {
    if (isOpen()) d->moveFirst();
}

void Recordset::moveNext() {
    if (isOpen()) d->moveNext();
}

QVariant Recordset::field(const QString &name) const { return isOpen() ? d->field(name) : QVariant(); }

void Recordset::setField(const QString &name, const QVariant &value) {
    if (isOpen()) d->setField(name, value);
}

void Recordset::addNew() {
    if (isOpen()) d->addNew();
}

void Recordset::edit() {
    if (isOpen()) d->edit();
}

bool Recordset::update() {
    if (!isOpen()) return false;
    countStatement();
    const bool ok = d->update();
    if (ok && !d->inTransaction()) countCommit(d->databasePath());
    return ok;
}

void Recordset::cancelUpdate() {
    if (isOpen()) d->cancelUpdate();
}

void Recordset::close() {
    if (d) d->close();
}

QVariant Recordset::bookmark() const { return isOpen() ? d->bookmark() : QVariant(); }

QStringList Recordset::fieldNames() const { return isOpen() ? d->fieldNames() : QStringList(); }

}  // namespace tqen::dao
