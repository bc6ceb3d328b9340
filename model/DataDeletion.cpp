#include "model/DataDeletion.h"

#include "model/DeletedReports.h"
#include "platform/dao/Dao.h"

namespace tqen::model::DataDeletion {

Error deleteAll(const QString &dataDbPath, Parts parts, const QString &what) {
    const QString text = what + QStringLiteral(" を削除できませんでした。データは元のままです。");
    auto db = dao::Database::open(dataDbPath);
    if (!db.beginWriteTrans()) return dao::failure(text, db);
    const auto fail = [&](Error e) {
        db.rollback();
        return e;
    };
    // The reports are kept as one deletion (also on a server, which has no
    // snapshot of its own), so they can be put back.
    if (parts.testFlag(Part::Reports)) {
        if (Error e = DeletedReports(dataDbPath).removeAllIn(db, what); !e.ok())
            return fail(Error(e.code(), text, e.detail()));
    }
    if (parts.testFlag(Part::Customers) && !db.execute(QStringLiteral("delete * from 顧客マスタ")))
        return fail(dao::failure(text, db));
    if (parts.testFlag(Part::CodeNames) && !db.execute(QStringLiteral("update コードマスタ set sname = Null")))
        return fail(dao::failure(text, db));
    if (!db.commitTrans()) return fail(dao::failure(text, db));
    return {};
}

}  // namespace tqen::model::DataDeletion
