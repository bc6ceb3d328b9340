#include "model/CustomerHistory.h"

#include "model/Confirmations.h"
#include "model/Values.h"

namespace tqen::model::CustomerHistory {

const dao::AddedIndex &historyIndex() {
    static const dao::AddedIndex index{QStringLiteral("営業日報"),
                                       QStringLiteral("営業日報_顧客日付"),
                                       {QStringLiteral("顧客名"), QStringLiteral("日付")},
                                       {QStringLiteral("日付")}};
    return index;
}

History read(const QString &dataDbPath, const QString &customer, Error *error) {
    if (error) *error = Error();
    History out;
    out.customer = customer;
    if (customer.isEmpty()) return out;
    auto db = dao::Database::open(dataDbPath);
    // The index only makes the history faster: a file that cannot take it
    // (read-only, busy) is read without it.
    if (db.isOpen()) dao::ensureIndex(db, historyIndex());
    auto rs = select(db,
                     QStringLiteral("select 日付, 担当, タイトル, メモ, ふりがな from 営業日報 where 顧客名 = ?"
                                    " order by 日付 DESC, 担当, タイトル"),
                     {customer});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("顧客カルテを読めませんでした。データファイルを読めません。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext())
        out.rows.append({dateOf(rs.field(QStringLiteral("日付"))), textOf(rs.field(QStringLiteral("担当"))),
                         textOf(rs.field(QStringLiteral("タイトル"))), textOf(rs.field(QStringLiteral("メモ"))),
                         textOf(rs.field(QStringLiteral("ふりがな"))), QString()});
    rs.close();
    if (!out.rows.isEmpty()) {
        // The confirmation of each report; a file that keeps none reads as
        // nothing confirmed.
        Error confirmError;
        const auto states = Confirmations::statesBetween(dataDbPath, out.rows.last().day, out.rows.first().day, {},
                                                         customer, &confirmError);
        for (Row &r : out.rows) {
            const auto found = states.find(ReportKey{r.day, customer, r.staff});
            r.confirmation = Confirmations::stateText(found == states.end() ? ConfirmState::Unconfirmed : found->state);
        }
        if (!confirmError.ok() && error) *error = confirmError;
    }
    auto known = select(db, QStringLiteral("select 名称 from 顧客マスタ where 名称 = ?"), {customer});
    out.inCustomerList = known.isOpen() && !known.eof();
    return out;
}

QList<QStringList> csvRecords(const History &history) {
    QList<QStringList> records;
    records.reserve(history.rows.size() + 1);
    records.append({QStringLiteral("日付"), QStringLiteral("顧客名"), QStringLiteral("ふりがな"), QStringLiteral("担当"),
                    QStringLiteral("タイトル"), QStringLiteral("メモ"), QStringLiteral("確認")});
    for (const Row &r : history.rows)
        records.append({r.day.isValid() ? r.day.toString(QStringLiteral("yyyy/MM/dd")) : QString(), history.customer,
                        r.reading, r.staff, r.title, r.memo, r.confirmation});
    return records;
}

Error fillPrintTable(const QString &workDbPath, const QString &dataDbPath, const QString &customer) {
    auto db = dao::Database::open(workDbPath);
    db.beginTrans();
    if (!db.execute(QStringLiteral("delete * from w日報印刷"))) {
        const Error e = dao::failure(QStringLiteral("印刷の準備ができません。作業ファイルに書き込めません。"), db);
        db.rollback();
        return e;
    }
    if (!run(db, QStringLiteral("insert into w日報印刷 select * from 営業日報 in ? where 顧客名 = ?"), {dataDbPath, customer}) ||
        !db.commitTrans()) {
        const Error e = dao::failure(QStringLiteral("印刷する日報をデータファイルから写せません。"), db);
        db.rollback();
        return e;
    }
    return {};
}

}  // namespace tqen::model::CustomerHistory
