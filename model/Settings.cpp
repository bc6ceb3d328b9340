#include "model/Settings.h"

#include "platform/dao/Dao.h"

namespace tqen {

namespace {

QString text(const QVariant &v) { return v.isNull() ? QString() : v.toString(); }

QString orNull(const QString &v) { return v.isEmpty() ? QStringLiteral("Null") : dao::sqlText(v); }

}  // namespace

Settings Settings::read(const QString &workDbPath, Error *error) {
    Settings s;
    auto db = dao::Database::open(workDbPath);
    auto rs = db.openRecordset(QStringLiteral("select * from 管理"));
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("設定 (管理) を読めません。"), db, rs);
        return s;
    }
    if (!(rs.bof() && rs.eof())) {
        rs.moveFirst();
        s.present = true;
        s.DataPath = text(rs.field(QStringLiteral("DataPath")));
        const QVariant era = rs.field(QStringLiteral("年号"));
        s.年号 = era.isNull() ? QStringLiteral("西暦") : era.toString();
        s.担当 = text(rs.field(QStringLiteral("担当")));
        s.顧客名 = text(rs.field(QStringLiteral("顧客名")));
        s.ふりがな = text(rs.field(QStringLiteral("ふりがな")));
    }
    if (error) *error = Error();
    return s;
}

Error Settings::write(const QString &workDbPath, IfNoRow ifNoRow) {
    auto db = dao::Database::open(workDbPath);
    if (!db.isOpen()) return dao::failure(QStringLiteral("設定 (管理) を保存できません。"), db);
    const QString values = orNull(DataPath) + u',' + orNull(年号) + u',' + orNull(担当) + u',' + orNull(顧客名) +
                           u',' + orNull(ふりがな);
    QString sql = QStringLiteral("update 管理 set DataPath = ") + orNull(DataPath) + QStringLiteral(", 年号 = ") +
                  orNull(年号) + QStringLiteral(", 担当 = ") + orNull(担当) + QStringLiteral(", 顧客名 = ") +
                  orNull(顧客名) + QStringLiteral(", ふりがな = ") + orNull(ふりがな);
    if (!db.execute(sql)) return dao::failure(QStringLiteral("設定 (管理) を保存できません。"), db);
    if (db.recordsAffected() == 0) {
        if (ifNoRow == IfNoRow::Skip) return Error();
        sql = QStringLiteral("insert into 管理 (DataPath, 年号, 担当, 顧客名, ふりがな) values (") + values +
              u')';
        if (!db.execute(sql)) return dao::failure(QStringLiteral("設定 (管理) を保存できません。"), db);
    }
    present = true;
    return Error();
}

bool IsEraMode(const QString &eraMode) { return eraMode == QStringLiteral("和暦"); }

QString DayFormatFor(const QString &eraMode) {
    return IsEraMode(eraMode) ? QStringLiteral("ggg ee年mm月dd日") : QStringLiteral("yyyy年mm月dd日");
}

QString MonthFormatFor(const QString &eraMode) {
    return IsEraMode(eraMode) ? QStringLiteral("ggg ee年mm月") : QStringLiteral("yyyy年mm月");
}

}  // namespace tqen
