#include "model/ReportList.h"

#include "model/NextSteps.h"
#include "model/Values.h"
#include "platform/dao/AddedTable.h"

#include <QHash>
#include <QSet>

#include <utility>

namespace tqen::model::ReportList {

namespace {

// The date of a row as the CSV file writes it.
QString csvDate(const QVariant &v) {
    const QDate d = dateOf(v);
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

QString keyOf(const QVariant &day, const QVariant &customer, const QVariant &staff, const QVariant &title) {
    return csvDate(day) + QChar(0x1f) + textOf(customer) + QChar(0x1f) + textOf(staff) + QChar(0x1f) + textOf(title);
}

}  // namespace

Error clear(const QString &workDbPath) {
    auto db = dao::Database::open(workDbPath);
    if (!db.execute(QStringLiteral("delete * from w日報一覧")))
        return dao::failure(QStringLiteral("一覧を読み込めませんでした。作業ファイルに書き込めません。"), db);
    return {};
}

namespace {

// The work file opened for writing the list's lines. The list is derived:
// every read copies it anew from the data file, so its writes do not wait
// for the disk (a read would otherwise wait for several flushes, longer
// than the copy itself). The work file's rollback journal stays: a program
// that stops halfway through a copy leaves the file as it was before it.
// The settings and the ticks are written on connections of their own, which
// wait for the disk as always (and take the list's pages with them).
// Emptying the list does not overwrite the pages it frees with zeros (a
// year of lines is a thousand pages more to write and journal); the pages
// that are written anyway are still cleared.
dao::Database openForLines(const QString &workDbPath) {
    auto db = dao::Database::open(workDbPath);
    if (!db.isOpen()) return db;
    // Settings of this connection only; the work file is always a file of
    // its own PC. Without them the list is as right, only slower.
    dao::executeNative(db, {QStringLiteral("PRAGMA main.synchronous = OFF")}, {});
    QString ignored;
    dao::queryNative(db, QStringLiteral("PRAGMA main.secure_delete = FAST"), QStringLiteral("SELECT 0"), &ignored);
    return db;
}

// The conditions of a period as a where clause, with their values.
QString whereOf(const Period &period, QVariantList *values) {
    QString sql = QStringLiteral(" where 日付 >= ? and 日付 <= ?");
    *values << period.first << period.last;
    andEquals(sql, *values, QStringLiteral("担当"), period.staff);
    andEquals(sql, *values, QStringLiteral("顧客名"), period.customer);
    return sql;
}

}  // namespace

Error read(const QString &workDbPath, const QString &dataDbPath, const QDate &first, const QDate &last,
           const QString &staff, const QString &customer) {
    return readLines(workDbPath, dataDbPath, {first, last, staff, customer}, true);
}

const dao::AddedIndex &listIndex() {
    static const dao::AddedIndex index{QStringLiteral("営業日報"),
                                       QStringLiteral("営業日報_一覧"),
                                       {QStringLiteral("日付"), QStringLiteral("ふりがな"), QStringLiteral("顧客名"),
                                        QStringLiteral("タイトル"), QStringLiteral("担当")},
                                       {QStringLiteral("日付")}};
    return index;
}

QDate firstScreenStart(const QString &dataDbPath, const Period &period, int lines) {
    auto db = dao::Database::open(dataDbPath);
    // Only the days are read, newest first, on an index, up to the last
    // line of the screen.
    QVariantList values;
    const QString where = whereOf(period, &values);
    auto rs = select(db, QStringLiteral("select 日付 from 営業日報") + where + QStringLiteral(" order by 日付 DESC"), values);
    int n = 0;
    for (; !rs.eof(); rs.moveNext())
        if (++n == lines) return dateOf(rs.field(QStringLiteral("日付")));
    return {};
}

Error readLines(const QString &workDbPath, const QString &dataDbPath, const Period &period, bool replace,
                qsizetype *added) {
    if (added) *added = 0;
    if (replace) {
        // The index only makes the list faster: a file that cannot take it
        // (read-only, busy) is read without it.
        auto data = dao::Database::open(dataDbPath);
        if (data.isOpen()) dao::ensureIndex(data, listIndex());
    }
    // The lines come in with one statement, in one transaction with the
    // emptying.
    auto db = openForLines(workDbPath);
    db.beginTrans();
    if (replace && !db.execute(QStringLiteral("delete * from w日報一覧"))) {
        const Error e = dao::failure(QStringLiteral("一覧を読み込めませんでした。作業ファイルに書き込めません。"), db);
        db.rollback();
        return e;
    }
    QVariantList values{dataDbPath};
    const QString sql = QStringLiteral("insert into w日報一覧 select 日付,顧客名,タイトル,担当 from 営業日報 in ?") +
                        whereOf(period, &values) + QStringLiteral(" order by 日付 DESC,ふりがな,顧客名,タイトル,担当");
    const bool ok = run(db, sql, values);
    const qsizetype lines = ok ? qsizetype(db.recordsAffected()) : 0;
    if (!ok || !db.commitTrans()) {
        const Error e = dao::failure(QStringLiteral("一覧を読み込めませんでした。データファイルを読めません。"), db);
        db.rollback();
        if (!replace) db.execute(QStringLiteral("delete * from w日報一覧"));
        return e;
    }
    if (added) *added = lines;
    return {};
}

QList<ReportKey> ticked(const QString &workDbPath, Error *error) {
    QList<ReportKey> out;
    auto db = dao::Database::open(workDbPath);
    auto rs = select(db, QStringLiteral("select * from w日報一覧 where チェック = ?"), {true});
    if (!rs.isOpen()) {
        if (error)
            *error = dao::failure(QStringLiteral("チェックした行を読めませんでした。何も削除していません。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext())
        out.append({dateOf(rs.field(QStringLiteral("日付"))), textOf(rs.field(QStringLiteral("顧客名"))),
                    textOf(rs.field(QStringLiteral("担当")))});
    if (error) *error = Error();
    return out;
}

Error deleteTicked(const QString &workDbPath, const QString &dataDbPath, qsizetype *lines) {
    if (lines) *lines = 0;
    Error error;
    const QList<ReportKey> keys = ticked(workDbPath, &error);
    if (!error.ok() || keys.isEmpty()) return error;
    if (Error e = DeletedReports(dataDbPath).remove(keys, QStringLiteral("一覧でチェックした営業日報 %1 行").arg(keys.size()));
        !e.ok())
        return e;
    if (lines) *lines = keys.size();
    auto db = dao::Database::open(workDbPath);
    if (!run(db, QStringLiteral("delete * from w日報一覧 where チェック = ?"), {true}))
        return dao::failure(
            QStringLiteral("日報は削除しましたが、一覧からチェックした行を消せませんでした。もう一度読み込んでください。"), db);
    return {};
}

QList<QStringList> csvRecords(const QString &workDbPath, const QString &dataDbPath, Error *error) {
    if (error) *error = Error();
    struct Line {
        QVariant day, customer, staff, title;
    };
    QList<Line> lines;
    QDate first, last;
    {
        auto work = dao::Database::open(workDbPath);
        auto rs = work.openRecordset(QStringLiteral("select * from w日報一覧"));
        if (!rs.isOpen()) {
            if (error) *error = dao::failure(QStringLiteral("一覧を読めないため、CSV ファイルは書き出していません。"), work, rs);
            return {};
        }
        for (; !rs.eof(); rs.moveNext()) {
            lines.append({rs.field(QStringLiteral("日付")), rs.field(QStringLiteral("顧客名")),
                          rs.field(QStringLiteral("担当")), rs.field(QStringLiteral("タイトル"))});
            const QDate d = dateOf(lines.last().day);
            if (!d.isValid()) continue;
            if (!first.isValid() || d < first) first = d;
            if (!last.isValid() || d > last) last = d;
        }
    }
    // The list holds no reading and no memo: they come from the reports of
    // the list's period.
    QHash<QString, QList<std::pair<QString, QString>>> details;
    if (first.isValid()) {
        auto db = dao::Database::open(dataDbPath);
        auto rs = select(db, QStringLiteral("select * from 営業日報 where 日付 >= ? and 日付 <= ?"), {first, last});
        if (!rs.isOpen()) {
            if (error) *error = dao::failure(QStringLiteral("日報を読めないため、CSV ファイルは書き出していません。"), db, rs);
            return {};
        }
        for (; !rs.eof(); rs.moveNext())
            details[keyOf(rs.field(QStringLiteral("日付")), rs.field(QStringLiteral("顧客名")),
                          rs.field(QStringLiteral("担当")), rs.field(QStringLiteral("タイトル")))]
                .append({textOf(rs.field(QStringLiteral("ふりがな"))), textOf(rs.field(QStringLiteral("メモ")))});
    }
    // Each report's next step, in the last column.
    QHash<QString, QString> steps;
    QHash<ReportKey, LineConfirmation> states;
    if (first.isValid()) {
        Error stepError;
        for (const NextStep &s : NextSteps::ofReports(dataDbPath, first, last, &stepError))
            steps.insert(NextSteps::keyText(s.report), NextSteps::describe(s));
        if (!stepError.ok()) {
            if (error) *error = Error(stepError.code(), QStringLiteral("次回予定を読めないため、CSV ファイルは書き出していません。"),
                                      stepError.detail());
            return {};
        }
        Error e;
        states = confirmations(dataDbPath, {first, last, {}, {}}, true, &e);
        if (!e.ok()) {
            if (error) *error = Error(e.code(), QStringLiteral("日報の確認を読めないため、CSV ファイルは書き出していません。"), e.message());
            return {};
        }
    }
    QList<QStringList> records;
    records.reserve(lines.size() + 1);
    records.append({QStringLiteral("日付"), QStringLiteral("顧客名"), QStringLiteral("ふりがな"), QStringLiteral("担当"),
                    QStringLiteral("タイトル"), QStringLiteral("メモ"), QStringLiteral("確認"), QStringLiteral("確認者"),
                    QStringLiteral("確認日時"), QStringLiteral("コメント"), QStringLiteral("次回予定")});
    for (const Line &l : std::as_const(lines)) {
        auto found = details.find(keyOf(l.day, l.customer, l.staff, l.title));
        const std::pair<QString, QString> more =
            found != details.end() && !found->isEmpty() ? found->takeFirst() : std::pair<QString, QString>();
        const LineConfirmation c = states.value({dateOf(l.day), textOf(l.customer), textOf(l.staff)});
        records.append({csvDate(l.day), textOf(l.customer), more.first, textOf(l.staff), textOf(l.title), more.second,
                        Confirmations::stateText(c.state), c.confirmer,
                        c.at.isValid() ? c.at.toString(QStringLiteral("yyyy/MM/dd HH:mm")) : QString(), c.comments,
                        steps.value(NextSteps::keyText({dateOf(l.day), textOf(l.customer), textOf(l.staff)}))});
    }
    return records;
}

QString LineConfirmation::text() const {
    const QString state = Confirmations::stateText(this->state);
    return confirmer.isEmpty() ? state : state + QStringLiteral(" ") + confirmer;
}

QHash<ReportKey, LineConfirmation> confirmations(const QString &dataDbPath, const Period &period, bool withComments,
                                                 Error *error) {
    QHash<ReportKey, LineConfirmation> out;
    Error e;
    const auto states = Confirmations::statesBetween(dataDbPath, period.first, period.last, period.staff, period.customer, &e);
    if (error) *error = e;
    if (!e.ok()) return out;
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        if (it->state == ConfirmState::Unconfirmed) continue;
        out.insert(it.key(), {it->state, it->confirmer, it->at, {}});
    }
    if (!withComments || out.isEmpty()) return out;
    // The comments of the period's confirmations, oldest first; only the
    // table's rows of reports that are there (not those of a deletion).
    auto db = dao::Database::open(dataDbPath);
    QString sql = QStringLiteral("select 日付, 顧客名, 担当, コメント from 日報確認 where 日付 >= ? and 日付 <= ? and "
                                 "削除番号 is null and コメント is not null");
    QVariantList values{period.first, period.last};
    andEquals(sql, values, QStringLiteral("担当"), period.staff);
    andEquals(sql, values, QStringLiteral("顧客名"), period.customer);
    auto rs = select(db, sql + QStringLiteral(" order by 確認番号"), values);
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("日報の確認のコメントを読めませんでした。"), db, rs);
        return {};
    }
    for (; !rs.eof(); rs.moveNext()) {
        auto found = out.find({dateOf(rs.field(QStringLiteral("日付"))), textOf(rs.field(QStringLiteral("顧客名"))),
                               textOf(rs.field(QStringLiteral("担当")))});
        if (found == out.end()) continue;
        const QString comment = textOf(rs.field(QStringLiteral("コメント")));
        if (comment.isEmpty()) continue;
        if (!found->comments.isEmpty()) found->comments += u'\n';
        found->comments += comment;
    }
    return out;
}

Error dropConfirmed(const QString &workDbPath, const QString &dataDbPath, const Period &period, qsizetype *removed) {
    if (removed) *removed = 0;
    Error e;
    const QHash<ReportKey, LineConfirmation> states = confirmations(dataDbPath, period, false, &e);
    if (!e.ok()) return e;
    QList<ReportKey> confirmed;
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        if (it->state == ConfirmState::Confirmed) confirmed.append(it.key());
    if (confirmed.isEmpty()) return {};
    auto db = openForLines(workDbPath);
    db.beginTrans();
    qsizetype n = 0;
    for (const ReportKey &k : std::as_const(confirmed)) {
        if (!run(db, QStringLiteral("delete * from w日報一覧 where 日付 = ? and 顧客名 = ? and 担当 = ?"),
                 {k.day, k.customer, k.staff})) {
            const Error failed = dao::failure(QStringLiteral("確認済の行を一覧から外せませんでした。作業ファイルに書き込めません。"), db);
            db.rollback();
            return failed;
        }
        n += db.recordsAffected();
    }
    if (!db.commitTrans()) return dao::failure(QStringLiteral("確認済の行を一覧から外せませんでした。作業ファイルに書き込めません。"), db);
    if (removed) *removed = n;
    return {};
}

Error confirmTicked(const Session &session, const QString &confirmer, const QString &comment, qsizetype *lines) {
    if (lines) *lines = 0;
    Error error;
    const QList<ReportKey> keys = ticked(session.workDbPath, &error);
    if (!error.ok()) return Error(error.code(), QStringLiteral("チェックした行を読めませんでした。何も確認していません。"), error.detail());
    // Two lines of one report (a file may hold it twice) confirm it once.
    QList<ReportKey> unique;
    QSet<ReportKey> seen;
    for (const ReportKey &k : std::as_const(keys))
        if (!seen.contains(k)) {
            seen.insert(k);
            unique.append(k);
        }
    if (unique.isEmpty()) return {};
    qlonglong confirmed = 0;
    if (Error e = Confirmations::confirmMany(session, unique, confirmer, comment, &confirmed); !e.ok()) return e;
    if (lines) *lines = qsizetype(confirmed);
    return {};
}

}  // namespace tqen::model::ReportList
