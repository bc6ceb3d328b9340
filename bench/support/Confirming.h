#pragma once
// Confirmed reports for the benchmarks that read confirmations: every other
// report of a period, in the order the reports were written, confirmed by
// the code table's first staff member through the model, as the list's
// 一括確認 does.
#include "bench/support/BareSql.h"
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/Session.h"

#include <QDate>
#include <QList>

namespace tqen::bench {

// Confirms every other report from `first` to `last` (both included) of the
// session's data file; `confirmed` counts them.
inline Error confirmEveryOther(const model::Session &session, const QDate &first, const QDate &last,
                               qlonglong *confirmed) {
    QList<model::ReportKey> keys;
    sqlite3 *db = openBare(session.dataDbPath);
    sqlite3_stmt *st = nullptr;
    const QByteArray sql =
        QStringLiteral("SELECT 日付, 顧客名, 担当 FROM 営業日報 WHERE 日付 >= '%1' AND 日付 <= '%2' ORDER BY rowid")
            .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate))
            .toUtf8();
    sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    const auto text = [st](int i) { return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i))); };
    for (int i = 0; sqlite3_step(st) == SQLITE_ROW; ++i)
        if (i % 2 == 0) keys.append({QDate::fromString(text(0), Qt::ISODate), text(1), text(2)});
    sqlite3_finalize(st);
    sqlite3_close(db);
    const QString confirmer = model::CodeTable::names(session.dataDbPath, QStringLiteral("担当")).value(0);
    return model::Confirmations::confirmMany(session, keys, confirmer, QString(), confirmed);
}

}  // namespace tqen::bench
