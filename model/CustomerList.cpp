#include "model/CustomerList.h"

#include "model/Values.h"

#include <QHash>

namespace tqen::model::CustomerList {

namespace {

// An empty text is stored as Null.
QVariant orNull(const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); }

}  // namespace

Error read(const QString &workDbPath, const QString &dataDbPath) {
    auto db = dao::Database::open(workDbPath);
    if (!db.beginTrans() || !db.execute(QStringLiteral("delete * from w顧客マスタ")) ||
        !run(db, QStringLiteral("insert into w顧客マスタ select 名称,ふりがな from 顧客マスタ in ? order by ふりがな"),
             {dataDbPath}) ||
        !db.commitTrans()) {
        const Error e = dao::failure(QStringLiteral("顧客の一覧を読み込めませんでした。"), db);
        db.rollback();
        return e;
    }
    return {};
}

Error clear(const QString &workDbPath) {
    auto db = dao::Database::open(workDbPath);
    if (!db.execute(QStringLiteral("delete * from w顧客マスタ")))
        return dao::failure(QStringLiteral("顧客の一覧を消せませんでした。"), db);
    return {};
}

QList<Row> rows(const QString &workDbPath, bool leaveOutTicked, Error *error) {
    QList<Row> out;
    if (error) *error = Error();
    auto db = dao::Database::open(workDbPath);
    auto rs = db.openRecordset(QStringLiteral("select * from w顧客マスタ where not isnull(名称)"));
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("顧客の一覧を読めませんでした。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.field(QStringLiteral("名称")).toString();
        if (!name.isEmpty() && !(leaveOutTicked && rs.field(QStringLiteral("チェック")).toBool()))
            out.append({name, textOf(rs.field(QStringLiteral("ふりがな")))});
    }
    return out;
}

Error removeTicked(const QString &workDbPath) {
    auto db = dao::Database::open(workDbPath);
    if (!run(db, QStringLiteral("delete * from w顧客マスタ where チェック = ?"), {true}))
        return dao::failure(QStringLiteral("顧客の一覧を更新できませんでした。"), db);
    return {};
}

Error replaceMaster(const QString &dataDbPath, const QList<Row> &rows) {
    const QString failedText = QStringLiteral("顧客マスタを書き換えられませんでした。顧客マスタは元のままです。");
    auto db = dao::Database::open(dataDbPath);
    if (!db.beginWriteTrans()) return dao::failure(failedText, db);
    const auto fail = [&](Error e) {
        db.rollback();
        return e;
    };
    // The staff members are read inside the transaction, so a customer
    // written meanwhile by another program on a server keeps its own.
    QHash<QString, QList<QVariant>> staffOf;
    {
        auto old = db.openRecordset(QStringLiteral("select 名称, 担当 from 顧客マスタ"));
        if (!old.isOpen()) return fail(dao::failure(failedText, db, old));
        for (; !old.eof(); old.moveNext())
            staffOf[old.field(QStringLiteral("名称")).toString()].append(old.field(QStringLiteral("担当")));
    }
    if (!db.execute(QStringLiteral("delete * from 顧客マスタ"))) return fail(dao::failure(failedText, db));
    for (const Row &row : rows) {
        QList<QVariant> &staff = staffOf[row.name];
        const QVariant staffOfRow = staff.isEmpty() ? QVariant() : staff.size() > 1 ? staff.takeFirst() : staff.first();
        if (!run(db, QStringLiteral("insert into 顧客マスタ (名称, ふりがな, 担当) values (?, ?, ?)"),
                 {row.name, orNull(row.reading), orNull(staffOfRow.isNull() ? QString() : staffOfRow.toString())}))
            return fail(dao::failure(failedText, db));
    }
    if (!db.commitTrans()) return fail(dao::failure(failedText, db));
    return {};
}

}  // namespace tqen::model::CustomerList
