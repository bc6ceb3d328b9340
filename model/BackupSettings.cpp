#include "model/BackupSettings.h"

#include "platform/dao/Dao.h"

namespace tqen {

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

const QString kCreate = QStringLiteral(
    "create table バックアップ設定 (保存先 TEXT, 保存数 INTEGER, 毎日 BOOLEAN, "
    "最終保存 TEXT)");

const QString kExists =
    QStringLiteral("select name from sqlite_master where type = 'table' and name = 'バックアップ設定'");

}  // namespace

BackupSettings BackupSettings::read(const QString &workDbPath, Error *error) {
    BackupSettings s;
    if (error) *error = Error();
    auto db = dao::Database::open(workDbPath);
    if (!db.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("バックアップの設定を読めません。"), db);
        return s;
    }
    auto exists = db.openRecordset(kExists);
    if (!exists.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("バックアップの設定を読めません。"), db, exists);
        return s;
    }
    if (exists.bof() && exists.eof()) return s;  // a work file from before the folder backup
    auto rs = db.openRecordset(QStringLiteral("select * from バックアップ設定"));
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("バックアップの設定を読めません。"), db, rs);
        return s;
    }
    if (rs.bof() && rs.eof()) return s;
    rs.moveFirst();
    const QVariant folder = rs.field(QStringLiteral("保存先"));
    s.Folder = folder.isNull() ? QString() : folder.toString();
    bool ok = false;
    const int keep = rs.field(QStringLiteral("保存数")).toInt(&ok);
    s.Keep = ok && keep >= 1 ? keep : DefaultKeep;
    s.Daily = rs.field(QStringLiteral("毎日")).toInt() != 0;
    const QVariant last = rs.field(QStringLiteral("最終保存"));
    if (!last.isNull()) s.LastBackup = QDateTime::fromString(last.toString(), kStamp);
    return s;
}

Error BackupSettings::write(const QString &workDbPath) const {
    const QString text = QStringLiteral("バックアップの設定を保存できません。");
    auto db = dao::Database::open(workDbPath);
    if (!db.isOpen()) return dao::failure(text, db);
    if (!db.beginTrans()) return dao::failure(text, db);
    const QString last = LastBackup.isValid() ? dao::sqlText(LastBackup.toString(kStamp)) : QStringLiteral("Null");
    const QString folder = Folder.isEmpty() ? QStringLiteral("Null") : dao::sqlText(Folder);
    QStringList statements = {
        QStringLiteral("delete * from バックアップ設定"),
        QStringLiteral("insert into バックアップ設定 (保存先, 保存数, 毎日, 最終保存) values (") + folder + u',' +
            QString::number(std::max(1, Keep)) + u',' + (Daily ? u'1' : u'0') + u',' + last + u')'};
    {
        auto exists = db.openRecordset(kExists);
        if (!exists.isOpen()) {
            Error e = dao::failure(text, db, exists);
            db.rollback();
            return e;
        }
        if (exists.bof() && exists.eof()) statements.prepend(kCreate);
    }
    for (const QString &sql : statements) {
        if (!db.execute(sql)) {
            Error e = dao::failure(text, db);
            db.rollback();
            return e;
        }
    }
    if (!db.commitTrans()) {
        Error e = dao::failure(text, db);
        db.rollback();
        return e;
    }
    return Error();
}

bool BackupSettings::dailyDue(const QDateTime &now) const {
    if (!Daily || Folder.isEmpty()) return false;
    if (!LastBackup.isValid()) return true;
    return LastBackup > now || LastBackup.secsTo(now) >= 24 * 60 * 60;
}

}  // namespace tqen
