#pragma once
// Real SQLite files in a temporary folder for the engine's tests. The files
// are made with the SQLite shell's library directly, since the engine itself
// never creates a file or a table.
#include "platform/dao/Dao.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>

namespace tqen::dao::test {

// A work file and a data file shaped like the delivered ones, small.
inline const char *kDataSchema = R"(
CREATE TABLE 営業日報 (日付 DATE, 顧客名 TEXT, ふりがな TEXT, タイトル TEXT, 担当 TEXT, メモ TEXT);
CREATE TABLE 顧客マスタ (名称 TEXT, ふりがな TEXT, 担当 TEXT);
CREATE TABLE コードマスタ (kcode TEXT, code TEXT, sname TEXT, cnt INTEGER);
)";
inline const char *kWorkSchema = R"(
CREATE TABLE 管理 (DataPath TEXT, 年号 TEXT, 担当 TEXT, 顧客名 TEXT, ふりがな TEXT);
CREATE TABLE w日報一覧 (担当 TEXT, チェック BOOLEAN NOT NULL DEFAULT 0, タイトル TEXT, 日付 DATE, 顧客名 TEXT);
CREATE TABLE w日報印刷 (メモ TEXT, 日付 DATE, 顧客名 TEXT, ふりがな TEXT, タイトル TEXT, 担当 TEXT, 印刷済 BOOLEAN DEFAULT 0);
CREATE TABLE w顧客マスタ (名称 TEXT, ふりがな TEXT, チェック BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE wコードマスタ (行番号 INTEGER PRIMARY KEY, code TEXT, sname TEXT, cnt INTEGER, チェック BOOLEAN NOT NULL DEFAULT 0);
)";

class Files : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Makes a database file from a script; returns its path.
    QString makeDb(const QString &name, const char *script) {
        const QString path = dir.filePath(name);
        sqlite3 *db = nullptr;
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        char *err = nullptr;
        EXPECT_EQ(sqlite3_exec(db, script, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
        sqlite3_free(err);
        sqlite3_close(db);
        return path;
    }
    QString dataDb() { return makeDb(QStringLiteral("TqenData.mdb"), kDataSchema); }
    QString workDb() { return makeDb(QStringLiteral("TqenWork.mdb"), kWorkSchema); }

    // Every value of one column of a query, in order, as text (Null as "<null>").
    static QStringList column(Database &db, const QString &sql, const QString &field) {
        QStringList out;
        Recordset rs = db.openRecordset(sql);
        EXPECT_TRUE(rs.isOpen()) << rs.error().toStdString() << " for " << sql.toStdString();
        for (int guard = 0; !rs.eof() && guard < 100000; ++guard) {
            const QVariant v = rs.field(field);
            out << (v.isNull() ? QStringLiteral("<null>")
                               : v.typeId() == QMetaType::QDate ? v.toDate().toString(QStringLiteral("yyyy/MM/dd"))
                                                                : v.toString());
            rs.moveNext();
        }
        return out;
    }

    QTemporaryDir dir;
};

}  // namespace tqen::dao::test
