#include "model/Hints.h"

#include "model/Values.h"

namespace tqen::model::Hints {

namespace {

const QString kWhere = QStringLiteral(" where FormName = ? and CtlName = ?");

// An empty text is stored as Null.
QVariant orNull(const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); }

}  // namespace

QString read(const QString &hintDbPath, const QString &formName, const QString &ctlName, Error *error) {
    if (error) *error = Error();
    auto db = dao::Database::open(hintDbPath);
    auto rs = select(db, QStringLiteral("select Contents from TqHint") + kWhere, {formName, ctlName});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("ヒントを読めませんでした。"), db, rs);
        return {};
    }
    return rs.eof() ? QString() : textOf(rs.field(QStringLiteral("Contents")));
}

Error store(const QString &hintDbPath, const QString &formName, const QString &ctlName, const QString &formTitle,
            const QString &contents) {
    const QString failed = QStringLiteral("ヒントを登録できませんでした。");
    auto db = dao::Database::open(hintDbPath);
    // The old hint goes and the new one comes in one step.
    if (!db.beginWriteTrans()) return dao::failure(failed, db);
    if (!run(db, QStringLiteral("delete * from TqHint") + kWhere, {formName, ctlName}) ||
        !run(db, QStringLiteral("insert into TqHint (FormName, CtlName, FormTitle, Contents) values (?, ?, ?, ?)"),
             {formName, ctlName, orNull(formTitle), orNull(contents)}) ||
        !db.commitTrans()) {
        const Error e = dao::failure(failed, db);
        db.rollback();
        return e;
    }
    return {};
}

Error remove(const QString &hintDbPath, const QString &formName, const QString &ctlName) {
    auto db = dao::Database::open(hintDbPath);
    if (!run(db, QStringLiteral("delete * from TqHint") + kWhere, {formName, ctlName}))
        return dao::failure(QStringLiteral("ヒントを削除できませんでした。"), db);
    return {};
}

}  // namespace tqen::model::Hints
