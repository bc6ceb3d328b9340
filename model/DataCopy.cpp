#include "model/DataCopy.h"

#include "model/Confirmations.h"
#include "model/Schema.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"

#include <QHash>
#include <QSet>

namespace tqen::model {

using dao::Database;
using dao::Recordset;
using dao::failure;

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
    *outcome = CopyOutcome();
    QList<TableCopy> *counts = &outcome->counts;
    if (from == to)
        return Error(Error::Code::DatabaseFailed, QStringLiteral("コピー元とコピー先が同じです。"), dao::withoutPassword(from));
    // Neither place may carry a password: it would show in every message and
    // in the shell's history.
    for (const QString &place : {from, to})
        if (dao::uriHoldsPassword(place)) return Error(Error::Code::BadInput, dao::passwordRefusal(), dao::withoutPassword(place));
    Database src = Database::open(from);
    if (!src.isOpen()) return failure(QStringLiteral("コピー元のデータベースを開けません: ") + from, src);
    // The source is read as one: a server's in one snapshot; a file's
    // readers see every other program's commit as it happens, so a change
    // made meanwhile is told by the file's data version (the copied
    // confirmations' markers are then not taken as they are).
    if (dao::isServerUri(from)) {
        if (!src.beginTrans()) return failure(QStringLiteral("コピー元のデータベースを読めません: ") + from, src);
        if (Error e = dao::executeNative(src, {}, {QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY")});
            !e.ok())
            return e;
    }
    const auto sourceVersion = [&src] {
        QString why;
        const auto v = dao::queryNative(src, QStringLiteral("PRAGMA data_version"), QStringLiteral("SELECT 0"), &why);
        return v ? v->value(0, -1) : -1;
    };
    const qlonglong versionBefore = sourceVersion();
    // A server keeps one report per day, customer and staff member: reports
    // of the source that share them would be lost in one another.
    QSet<QString> mergeKeys;
    if (dao::isServerUri(to)) {
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
    for (const schema::Table &t : schema::dataDatabase().tables) tables << t.name;
    const qsizetype added = tables.size();
    bool confirmations = false;
    for (const dao::AddedTable &t : options.addedTables) {
        if (Error e = dao::ensureTable(dst, t); !e.ok()) return failWith(e);
        tables << t.name;
        confirmations = confirmations || t.name == Confirmations::Table;
    }
    // The confirmations' marker comes along as it is, kept by the triggers
    // made with the copy (which stay off while the rows go in).
    if (confirmations)
        if (Error e = Confirmations::beforeCopyIn(dst); !e.ok()) return failWith(e);
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const QString &table = tables[i];
        TableCopy c{table, 0, 0};
        if (!dst.execute(QStringLiteral("delete * from ") + table))
            return fail(QStringLiteral("コピー先の%1を空にできません。").arg(table), nullptr);
        // A source from before an added table has no rows of it.
        QString why;
        const std::optional<bool> present = i < added ? std::optional<bool>(true) : dao::hasTable(src, table, &why);
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
    if (confirmations) {
        QString why;
        const std::optional<bool> kept = Confirmations::keepsMarker(src, &why);
        const bool known = kept.value_or(false) && versionBefore >= 0 && sourceVersion() == versionBefore;
        if (Error e = Confirmations::afterCopyIn(dst, known); !e.ok()) return failWith(e);
    }
    if (!dst.commitTrans()) {
        const Error e = failure(QStringLiteral("コピー先に書き込めません: ") + to, dst);
        dst.rollback();
        counts->clear();
        return e;
    }
    return {};
}

}  // namespace tqen::model
