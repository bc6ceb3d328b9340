// Copies between a local file and the database server: the insert-select of
// a server table into a local work table, and the whole data database copy.
#include "platform/dao/Connection.h"
#include "platform/dao/Server.h"
#include "platform/dao/ServerRecordset.h"

#include <QHash>
#include <QSet>

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

// ---------------------------------------------------------------------------

namespace {

const QString kReports = QStringLiteral("営業日報");

// A report's day, customer and staff member as one text; Null apart from empty.
QString keyPart(const QVariant &v) {
    if (v.isNull()) return QStringLiteral("\x1e");
    return u'\x1f' + (v.metaType().id() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate) : v.toString());
}

QString reportKey(const Recordset &rs) {
    return keyPart(rs.field(QStringLiteral("日付"))) + keyPart(rs.field(QStringLiteral("顧客名"))) +
           keyPart(rs.field(QStringLiteral("担当")));
}

// The groups of reports that share day, customer and staff member.
Error findDuplicates(Database &src, QList<ReportGroup> *groups) {
    Recordset rs = src.openRecordset(QStringLiteral(
        "select 日付, 顧客名, 担当, count(*) as 件数 from 営業日報 group by 日付, 顧客名, 担当 "
        "having count(*) > 1 order by 日付, 顧客名, 担当"));
    if (!rs.isOpen()) return failure(QStringLiteral("コピー元の営業日報を読めません。"), src, rs);
    for (; !rs.eof(); rs.moveNext())
        groups->append({rs.field(QStringLiteral("日付")), rs.field(QStringLiteral("顧客名")),
                        rs.field(QStringLiteral("担当")), rs.field(QStringLiteral("件数")).toLongLong()});
    return {};
}

// The rows of one group as one: each text of title and memo once, line by
// line, in the order of the rows; the other fields of the last row.
struct MergedReport {
    QVariantMap fields;
    QStringList titles, memos;
    void add(const Recordset &rs, const QStringList &names) {
        for (const QString &f : names) {
            const QVariant v = rs.field(f);
            if (f.compare(QStringLiteral("タイトル"), Qt::CaseInsensitive) == 0) {
                if (!v.isNull() && !v.toString().isEmpty() && !titles.contains(v.toString())) titles << v.toString();
            } else if (f.compare(QStringLiteral("メモ"), Qt::CaseInsensitive) == 0) {
                if (!v.isNull() && !v.toString().isEmpty() && !memos.contains(v.toString())) memos << v.toString();
            } else if (!v.isNull() || !fields.contains(f)) {
                fields[f] = v;
            }
        }
    }
    QVariant field(const QString &f) const {
        if (f.compare(QStringLiteral("タイトル"), Qt::CaseInsensitive) == 0)
            return titles.isEmpty() ? QVariant() : QVariant(titles.join(u'\n'));
        if (f.compare(QStringLiteral("メモ"), Qt::CaseInsensitive) == 0)
            return memos.isEmpty() ? QVariant() : QVariant(memos.join(u'\n'));
        return fields.value(f);
    }
};

}  // namespace

Error copyData(const QString &from, const QString &to, QList<TableCopy> *counts) {
    CopyOutcome outcome;
    const Error e = copyData(from, to, CopyOptions(), &outcome);
    *counts = outcome.counts;
    return e;
}

Error copyData(const QString &from, const QString &to, const CopyOptions &options, CopyOutcome *outcome) {
    static const char *const delivered[] = {"営業日報", "顧客マスタ", "コードマスタ", "TqHint"};
    *outcome = CopyOutcome();
    QList<TableCopy> *counts = &outcome->counts;
    if (from == to)
        return Error(Error::Code::DatabaseFailed, QStringLiteral("コピー元とコピー先が同じです。"), withoutPassword(from));
    // Neither place may carry a password: it would show in every message and
    // in the shell's history.
    for (const QString &place : {from, to})
        if (uriHoldsPassword(place)) return Error(Error::Code::BadInput, passwordRefusal(), withoutPassword(place));
    Database src = Database::open(from);
    if (!src.isOpen()) return failure(QStringLiteral("コピー元のデータベースを開けません: ") + from, src);
    // A server keeps one report per day, customer and staff member: reports
    // of the source that share them would be lost in one another.
    QSet<QString> mergeKeys;
    if (isServerUri(to)) {
        if (Error e = findDuplicates(src, &outcome->duplicates); !e.ok()) return e;
        if (!outcome->duplicates.isEmpty() && !options.mergeDuplicates) {
            qlonglong rows = 0;
            for (const ReportGroup &g : std::as_const(outcome->duplicates)) rows += g.count;
            return Error(Error::Code::BadInput,
                         QStringLiteral("コピー元には、日付・顧客名・担当が同じ営業日報が %1 組 (%2 件) あります。"
                                        "コピー先には 1 組につき 1 件しか入らないため、何もコピーしませんでした。")
                             .arg(outcome->duplicates.size())
                             .arg(rows),
                         from);
        }
    }
    const bool merging = !outcome->duplicates.isEmpty();
    Database dst = Database::open(to);
    if (!dst.isOpen()) return failure(QStringLiteral("コピー先のデータベースを開けません: ") + to, dst);
    if (!dst.beginTrans()) return failure(QStringLiteral("コピー先に書き込めません: ") + to, dst);
    const auto fail = [&](const QString &text, const Recordset *rs) {
        const Error e = rs ? failure(text, dst, *rs) : failure(text, dst);
        dst.rollback();
        counts->clear();
        return e;
    };
    const auto failWith = [&](const Error &e) {
        dst.rollback();
        counts->clear();
        return e;
    };
    QStringList tables;
    for (const char *t : delivered) tables << QString::fromUtf8(t);
    const qsizetype added = tables.size();
    for (const AddedTable &t : options.addedTables) {
        if (Error e = ensureTable(dst, t); !e.ok()) return failWith(e);
        tables << t.name;
    }
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const QString &table = tables[i];
        TableCopy c{table, 0, 0};
        if (!dst.execute(QStringLiteral("delete * from ") + table))
            return fail(QStringLiteral("コピー先の%1を空にできません。").arg(table), nullptr);
        // A source from before an added table has no rows of it.
        QString why;
        const std::optional<bool> present = i < added ? std::optional<bool>(true) : hasTable(src, table, &why);
        if (!present)
            return failWith(Error(Error::Code::DatabaseFailed, QStringLiteral("コピー元の%1を読めません。").arg(table), why));
        Recordset in;
        if (*present) {
            in = src.openRecordset(QStringLiteral("select * from ") + table);
            if (!in.isOpen()) return failWith(failure(QStringLiteral("コピー元の%1を読めません。").arg(table), src, in));
        }
        Recordset out = dst.openRecordset(QStringLiteral("select * from ") + table);
        if (!out.isOpen()) return fail(QStringLiteral("コピー先の%1を開けません。").arg(table), &out);
        const QStringList fields = in.fieldNames();
        const bool mergeHere = merging && table == kReports;
        if (mergeHere)
            for (const ReportGroup &g : std::as_const(outcome->duplicates))
                mergeKeys.insert(keyPart(g.day) + keyPart(g.customer) + keyPart(g.staff));
        QHash<QString, qsizetype> mergedAt;
        QList<MergedReport> merged;
        for (; in.isOpen() && !in.eof(); in.moveNext()) {
            ++c.read;
            if (mergeHere) {
                const QString key = reportKey(in);
                if (mergeKeys.contains(key)) {
                    auto it = mergedAt.find(key);
                    if (it == mergedAt.end()) {
                        it = mergedAt.insert(key, merged.size());
                        merged.append(MergedReport());
                    }
                    merged[*it].add(in, fields);
                    continue;
                }
            }
            out.addNew();
            for (const QString &f : fields) out.setField(f, in.field(f));
            if (!out.update()) return fail(QStringLiteral("コピー先の%1に書き込めません。").arg(table), &out);
        }
        if (*present && !in.error().isEmpty() && in.error() != QStringLiteral("No current record."))
            return failWith(failure(QStringLiteral("コピー元の%1を読めません。").arg(table), src, in));
        for (const MergedReport &m : std::as_const(merged)) {
            out.addNew();
            for (const QString &f : fields) out.setField(f, m.field(f));
            if (!out.update()) return fail(QStringLiteral("コピー先の%1に書き込めません。").arg(table), &out);
        }
        if (mergeHere) {
            qlonglong rows = 0;
            for (const ReportGroup &g : std::as_const(outcome->duplicates)) rows += g.count;
            outcome->mergedRows = rows - merged.size();
        }
        out.close();
        in.close();
        Recordset n = dst.openRecordset(QStringLiteral("select count(*) as n from ") + table);
        if (!n.isOpen()) return fail(QStringLiteral("コピー先の%1を数えられません。").arg(table), &n);
        c.stored = n.field(QStringLiteral("n")).toLongLong();
        counts->append(c);
    }
    if (!dst.commitTrans()) {
        const Error e = failure(QStringLiteral("コピー先に書き込めません: ") + to, dst);
        dst.rollback();
        counts->clear();
        return e;
    }
    return {};
}

}  // namespace tqen::dao
