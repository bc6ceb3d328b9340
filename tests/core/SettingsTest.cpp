// The settings row of 管理 read and written as one typed object.
#include "model/Settings.h"
#include "platform/dao/Dao.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using tqen::Settings;

class SettingsTest : public tqen::testing::DeliveredFileTest {
protected:
    SettingsTest() : DeliveredFileTest("TqenWork.mdb") {}
    void run(const QString &sql) {
        auto db = tqen::dao::Database::open(path);
        ASSERT_TRUE(db.execute(sql)) << db.error().toStdString();
    }
    int rowCount() {
        auto db = tqen::dao::Database::open(path);
        auto rs = db.openRecordset(QStringLiteral("select * from 管理"));
        int n = 0;
        for (; !rs.eof(); rs.moveNext()) ++n;
        return n;
    }
};

TEST_F(SettingsTest, ReadsTheRowNullsAsEmptyAndNullEraAsWestern) {
    run(QStringLiteral("update 管理 set DataPath = '/srv/共有/TqenData.mdb', 年号 = Null, 担当 = '佐藤', "
                       "顧客名 = '山田''s 商店', ふりがな = Null"));
    tqen::Error error;
    const Settings s = Settings::read(path, &error);
    EXPECT_TRUE(error.ok());
    EXPECT_TRUE(s.present);
    EXPECT_EQ(s.DataPath, QStringLiteral("/srv/共有/TqenData.mdb"));
    EXPECT_EQ(s.年号, QStringLiteral("西暦"));
    EXPECT_EQ(s.担当, QStringLiteral("佐藤"));
    EXPECT_EQ(s.顧客名, QStringLiteral("山田's 商店"));
    EXPECT_EQ(s.ふりがな, QString());
}

TEST_F(SettingsTest, AnEmptyTableGivesTheDefaultsAndIsLeftEmptyUnlessAsked) {
    run(QStringLiteral("delete * from 管理"));
    Settings s = Settings::read(path);
    EXPECT_FALSE(s.present);
    EXPECT_EQ(s.年号, QString());
    s.担当 = QStringLiteral("佐藤");
    EXPECT_TRUE(s.write(path).ok());   // Skip: nothing is remembered
    EXPECT_EQ(rowCount(), 0);
    EXPECT_TRUE(s.write(path, Settings::IfNoRow::Create).ok());
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(Settings::read(path).担当, QStringLiteral("佐藤"));
}

// Every field survives a write and a read; a change of one field (the data
// path, as the maintenance form makes it) keeps the remembered staff member
// and customer.
TEST_F(SettingsTest, WriteReplacesEveryFieldAndKeepsTheOthers) {
    Settings s = Settings::read(path);
    s.担当 = QStringLiteral("佐藤");
    s.顧客名 = QStringLiteral("' or ''='");
    s.ふりがな = QStringLiteral("やまだ");
    ASSERT_TRUE(s.write(path).ok());
    Settings later = Settings::read(path);
    later.DataPath = QStringLiteral("/media/usb/TqenData.mdb");
    later.年号 = QStringLiteral("和暦");
    ASSERT_TRUE(later.write(path).ok());
    const Settings back = Settings::read(path);
    EXPECT_EQ(back.DataPath, QStringLiteral("/media/usb/TqenData.mdb"));
    EXPECT_EQ(back.年号, QStringLiteral("和暦"));
    EXPECT_EQ(back.担当, QStringLiteral("佐藤"));
    EXPECT_EQ(back.顧客名, QStringLiteral("' or ''='"));
    EXPECT_EQ(back.ふりがな, QStringLiteral("やまだ"));
    EXPECT_EQ(rowCount(), 1);
    // An empty data path is stored as Null: the default data file.
    later.DataPath.clear();
    ASSERT_TRUE(later.write(path).ok());
    auto db = tqen::dao::Database::open(path);
    auto rs = db.openRecordset(QStringLiteral("select * from 管理"));
    EXPECT_TRUE(rs.field(QStringLiteral("DataPath")).isNull());
}

TEST_F(SettingsTest, AMissingWorkDatabaseIsAnErrorAndCreatesNoFile) {
    const QString missing = dir.filePath(QStringLiteral("none.mdb"));
    tqen::Error error;
    const Settings s = Settings::read(missing, &error);
    EXPECT_EQ(error.code(), tqen::Error::Code::DatabaseFailed);
    EXPECT_FALSE(error.text().isEmpty());
    EXPECT_FALSE(s.present);
    Settings w;
    EXPECT_EQ(w.write(missing, Settings::IfNoRow::Create).code(), tqen::Error::Code::DatabaseFailed);
    EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
