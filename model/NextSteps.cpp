#include "model/NextSteps.h"

#include "model/Values.h"
#include "platform/dao/Dao.h"

namespace tqen::model::NextSteps {

const QString Table = QStringLiteral("次回予定");

namespace {

using Kind = dao::AddedColumn::Kind;

const QString kReadText = QStringLiteral("次回予定を読めませんでした。");
const QString kWriteText = QStringLiteral("次回予定を書き込めませんでした。");

// Whether the table is there; a database without it has nothing planned.
bool present(dao::Database &db, Error *error, const QString &text) {
    QString why;
    const std::optional<bool> has = dao::hasTable(db, Table, &why);
    if (!has) {
        if (error) *error = Error(Error::Code::DatabaseFailed, text, why);
        return false;
    }
    return *has;
}

NextStep stepOf(const dao::Recordset &rs) {
    NextStep s;
    s.report.day = dateOf(rs.field(QStringLiteral("日付")));
    s.report.customer = textOf(rs.field(QStringLiteral("顧客名")));
    s.report.staff = textOf(rs.field(QStringLiteral("担当")));
    s.planned = dateOf(rs.field(QStringLiteral("予定日")));
    s.text = textOf(rs.field(QStringLiteral("内容")));
    s.closed = dateOf(rs.field(QStringLiteral("完了日")));
    return s;
}

// The condition that picks the row of one report, and its values.
const QString kKey = QStringLiteral(" 日付 = ? and 顧客名 = ? and 担当 = ?");
QVariantList keyValues(const ReportKey &k, QVariantList before = {}) { return before << k.day << k.customer << k.staff; }

// Runs a statement on the row of one report: `head` ends where the key's
// condition stands ("… where", "… and"), `tail` follows it; the values of
// head come first.
bool runOnReport(dao::Database &db, const QString &head, const ReportKey &report, const QVariantList &values = {},
                 const QString &tail = {}) {
    return run(db, head + kKey + tail, keyValues(report, values));
}

// The row of one report in a table.
dao::Recordset selectReport(dao::Database &db, const QString &table, const ReportKey &report) {
    return select(db, QStringLiteral("select * from ") + table + QStringLiteral(" where") + kKey, keyValues(report));
}

}  // namespace

const dao::AddedTable &definition() {
    static const dao::AddedTable t{Table,
                                   {{QStringLiteral("日付"), Kind::Date},
                                    {QStringLiteral("顧客名"), Kind::Text},
                                    {QStringLiteral("担当"), Kind::Text},
                                    {QStringLiteral("予定日"), Kind::Date},
                                    {QStringLiteral("内容"), Kind::Text},
                                    {QStringLiteral("完了日"), Kind::Date}},
                                   {{QStringLiteral("日付"), QStringLiteral("顧客名"), QStringLiteral("担当")},
                                    {QStringLiteral("担当"), QStringLiteral("完了日"), QStringLiteral("予定日")},
                                    {QStringLiteral("顧客名"), QStringLiteral("担当"), QStringLiteral("予定日")}}};
    return t;
}

const QString DeletedTable = QStringLiteral("削除済み次回予定");

// A deleted report's step: its number in the deletion, then the step's own
// columns.
const dao::AddedTable &deletedDefinition() {
    static const dao::AddedTable t = [] {
        dao::AddedTable deleted{DeletedTable, {{QStringLiteral("削除番号"), Kind::Integer}}, {{QStringLiteral("削除番号")}}};
        deleted.columns += definition().columns;
        return deleted;
    }();
    return t;
}

namespace {
const QString kStepFields = QStringLiteral("日付, 顧客名, 担当, 予定日, 内容, 完了日");

// Whether a table is there, with the reason when it cannot be asked.
std::optional<bool> has(dao::Database &db, const QString &table, Error *error) {
    QString why;
    const std::optional<bool> there = dao::hasTable(db, table, &why);
    if (!there) *error = Error(Error::Code::DatabaseFailed, kWriteText, why);
    return there;
}
}  // namespace

Error keepIn(dao::Database &db, const QString &where, qlonglong id) {
    Error error;
    const std::optional<bool> there = has(db, Table, &error);
    if (!there) return error;
    if (!*there) return {};
    if (Error e = dao::ensureTable(db, deletedDefinition()); !e.ok()) return Error(e.code(), kWriteText, e.detail());
    if (!db.execute(QStringLiteral("insert into 削除済み次回予定 (削除番号, ") + kStepFields + QStringLiteral(") select ") +
                    QString::number(id) + QStringLiteral(", ") + kStepFields + QStringLiteral(" from 次回予定") + where))
        return dao::failure(kWriteText, db);
    return removeIn(db, where);
}

Error restoreIn(dao::Database &db, qlonglong id, const QList<ReportKey> &stay) {
    Error error;
    const std::optional<bool> there = has(db, DeletedTable, &error);
    if (!there) return error;
    if (!*there) return {};
    auto rs = select(db, QStringLiteral("select * from 削除済み次回予定 where 削除番号 = ?"), {id});
    if (!rs.isOpen()) return dao::failure(kWriteText, db, rs);
    QList<NextStep> back;
    for (; !rs.eof(); rs.moveNext()) {
        const NextStep s = stepOf(rs);
        if (!stay.contains(s.report)) back << s;
    }
    rs.close();
    if (back.isEmpty()) return {};
    if (Error e = dao::ensureTable(db, definition()); !e.ok()) return Error(e.code(), kWriteText, e.detail());
    for (const NextStep &s : std::as_const(back)) {
        if (!runOnReport(db, QStringLiteral("delete * from 次回予定 where"), s.report) ||
            !run(db, QStringLiteral("insert into 次回予定 (") + kStepFields + QStringLiteral(") values (?, ?, ?, ?, ?, ?)"),
                 keyValues(s.report) << s.planned << s.text << (s.closed.isValid() ? QVariant(s.closed) : QVariant())) ||
            !runOnReport(db, QStringLiteral("delete * from 削除済み次回予定 where 削除番号 = ? and"), s.report, {id}))
            return dao::failure(kWriteText, db);
    }
    return {};
}

Error purgeIn(dao::Database &db, qlonglong cutoff) {
    Error error;
    const std::optional<bool> there = has(db, DeletedTable, &error);
    if (!there) return error;
    if (!*there) return {};
    if (!run(db, QStringLiteral("delete * from 削除済み次回予定 where 削除番号 < ?"), {cutoff}))
        return dao::failure(kWriteText, db);
    return {};
}

QString problem(const QDate &reportDay, const PlannedStep &step) {
    if (step.isEmpty()) return {};
    if (!step.day.isValid()) return QStringLiteral("次回予定の日付を入れてください（内容だけでは登録できません）。");
    if (reportDay.isValid() && step.day < reportDay)
        return QStringLiteral("次回予定の日付 %1 は、この日報の日付 %2 より前です。%2 以降の日付を入れてください。")
            .arg(step.day.toString(QStringLiteral("yyyy/MM/dd")), reportDay.toString(QStringLiteral("yyyy/MM/dd")));
    if (step.text.size() > MaxText)
        return QStringLiteral("次回予定の内容は %1 文字までです（%2 文字あります）。").arg(MaxText).arg(step.text.size());
    return {};
}

std::optional<NextStep> of(const QString &dataDbPath, const ReportKey &report, Error *error) {
    if (error) *error = Error();
    auto db = dao::Database::open(dataDbPath);
    if (!present(db, error, kReadText)) return std::nullopt;
    auto rs = selectReport(db, Table, report);
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(kReadText, db, rs);
        return std::nullopt;
    }
    if (rs.eof()) return std::nullopt;
    return stepOf(rs);
}

Error setIn(dao::Database &db, const ReportKey &report, const PlannedStep &step) {
    Error error;
    if (step.isEmpty()) {
        if (!present(db, &error, kWriteText)) return error;
        if (!runOnReport(db, QStringLiteral("delete * from 次回予定 where"), report)) return dao::failure(kWriteText, db);
        return {};
    }
    if (Error e = dao::ensureTable(db, definition()); !e.ok()) return Error(e.code(), kWriteText, e.detail());
    auto rs = selectReport(db, Table, report);
    if (!rs.isOpen()) return dao::failure(kWriteText, db, rs);
    if (rs.eof()) {
        rs.addNew();
        rs.setField(QStringLiteral("日付"), report.day);
        rs.setField(QStringLiteral("顧客名"), report.customer);
        rs.setField(QStringLiteral("担当"), report.staff);
    } else {
        const NextStep stored = stepOf(rs);
        if (stored.planned == step.day && stored.text == step.text) return {};
        rs.edit();
        rs.setField(QStringLiteral("完了日"), QVariant());
    }
    rs.setField(QStringLiteral("予定日"), step.day);
    rs.setField(QStringLiteral("内容"), step.text);
    if (!rs.update()) return dao::failure(kWriteText, db, rs);
    return {};
}

Error closeDueIn(dao::Database &db, const ReportKey &report, qlonglong *closed) {
    if (closed) *closed = 0;
    Error error;
    if (!present(db, &error, kWriteText)) return error;
    if (!run(db,
             QStringLiteral("update 次回予定 set 完了日 = ? where 顧客名 = ? and 担当 = ? and 予定日 <= ? "
                            "and isnull(完了日) and 日付 <> ?"),
             {report.day, report.customer, report.staff, report.day, report.day}))
        return dao::failure(kWriteText, db);
    if (closed) *closed = db.recordsAffected();
    return {};
}

Error removeIn(dao::Database &db, const QString &where) {
    Error error;
    if (!present(db, &error, kWriteText)) return error;
    if (!db.execute(QStringLiteral("delete * from 次回予定") + where)) return dao::failure(kWriteText, db);
    return {};
}

Error close(const QString &dataDbPath, const ReportKey &report, const QDate &on) {
    const QString text = QStringLiteral("次回予定を完了にできませんでした。");
    auto db = dao::Database::open(dataDbPath);
    Error error;
    if (!present(db, &error, text)) return error.ok() ? Error(Error::Code::NotFound, text) : error;
    if (!runOnReport(db, QStringLiteral("update 次回予定 set 完了日 = ? where"), report, {on},
                     QStringLiteral(" and isnull(完了日)")))
        return dao::failure(text, db);
    if (db.recordsAffected() == 0)
        return Error(Error::Code::NotFound, text, QStringLiteral("その次回予定はもうないか、完了しています。"));
    return {};
}

QList<NextStep> open(const QString &dataDbPath, const QString &staff, Error *error) {
    if (error) *error = Error();
    QList<NextStep> out;
    auto db = dao::Database::open(dataDbPath);
    if (!present(db, error, kReadText)) return out;
    QString sql = QStringLiteral("select * from 次回予定 where isnull(完了日)");
    QVariantList values;
    andEquals(sql, values, QStringLiteral("担当"), staff);
    sql += QStringLiteral(" order by 予定日, 顧客名, 日付");
    auto rs = select(db, sql, values);
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(kReadText, db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) out << stepOf(rs);
    return out;
}

QSet<QDate> plannedDays(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                        const QString &customer, Error *error) {
    if (error) *error = Error();
    QSet<QDate> out;
    auto db = dao::Database::open(dataDbPath);
    if (!present(db, error, kReadText)) return out;
    QString sql = QStringLiteral("select distinct 予定日 from 次回予定 where isnull(完了日)");
    QVariantList values;
    andEquals(sql, values, QStringLiteral("担当"), staff);
    andEquals(sql, values, QStringLiteral("顧客名"), customer);
    sql += QStringLiteral(" and 予定日 >= ? and 予定日 <= ?");
    values << first << last;
    auto rs = select(db, sql, values);
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(kReadText, db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext())
        if (const QDate d = dateOf(rs.field(QStringLiteral("予定日"))); d.isValid()) out.insert(d);
    return out;
}

QList<NextStep> ofReports(const QString &dataDbPath, const QDate &first, const QDate &last, Error *error) {
    if (error) *error = Error();
    QList<NextStep> out;
    auto db = dao::Database::open(dataDbPath);
    if (!present(db, error, kReadText)) return out;
    QString sql = QStringLiteral("select * from 次回予定 where 1 = 1");
    QVariantList values;
    if (first.isValid()) {
        sql += QStringLiteral(" and 日付 >= ?");
        values << first;
    }
    if (last.isValid()) {
        sql += QStringLiteral(" and 日付 <= ?");
        values << last;
    }
    auto rs = select(db, sql, values);
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(kReadText, db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) out << stepOf(rs);
    return out;
}

QString describe(const NextStep &step) {
    QString text = step.planned.toString(QStringLiteral("yyyy/MM/dd"));
    if (!step.text.isEmpty()) text += u' ' + step.text;
    if (!step.isOpen()) text += QStringLiteral("（完了 %1）").arg(step.closed.toString(QStringLiteral("yyyy/MM/dd")));
    return text;
}

QString keyText(const ReportKey &report) {
    return report.day.toString(Qt::ISODate) + QChar(0x1f) + report.customer + QChar(0x1f) + report.staff;
}

}  // namespace tqen::model::NextSteps
