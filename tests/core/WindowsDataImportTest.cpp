// Converting data files of the Windows program, against Jet files written by
// the test writer (tests/support/jet), into real SQLite data files.
#include "model/Session.h"
#include "model/Settings.h"
#include "core/WindowsDataImport.h"
#include "platform/dao/Dao.h"
#include "platform/mdbreader/MdbReader.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/jet/JetFixture.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace tqen {
namespace {

namespace jf = testing::jetfile;
constexpr int kPage = 4096;

QByteArray sha256(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class WindowsDataImportTest : public ::testing::Test {
protected:
    model::Session session;
    void SetUp() override {
        if (!mdbreader::readingAvailable()) GTEST_SKIP() << "SKIPPED: built without mdbtools (libmdb); Windows data files cannot be read";
        ASSERT_TRUE(tmp.isValid());
        folder = tmp.filePath(QStringLiteral("旧データ"));
        QDir().mkpath(folder);
        session = model::Session();
    }
    QString writeJet(const QString &name, const QByteArray &bytes) {
        const QString path = folder + u'/' + name;
        EXPECT_TRUE(jf::writeFile(path, bytes));
        return path;
    }
    // Every row of a table of the new file, ordered by rowid, as field maps.
    static QList<QVariantList> rows(const QString &db, const QString &table, const QStringList &fields) {
        auto d = dao::Database::open(db);
        auto rs = d.openRecordset(QStringLiteral("select * from ") + table);
        QList<QVariantList> out;
        for (; !rs.eof(); rs.moveNext()) {
            QVariantList row;
            for (const QString &f : fields) row.append(rs.field(f));
            out.append(row);
        }
        return out;
    }
    QStringList filesInFolder() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir tmp;
    QString folder;
};

TEST_F(WindowsDataImportTest, CarriesOverEveryTableWithTextDatesAndNulls) {
    const QString source = writeJet(QStringLiteral("Tqendata.mdb"), jf::jet4File(jf::sampleDataTables()));
    const QByteArray before = sha256(source);
    ImportSummary summary;
    const Error e = ImportWindowsDataFile(source, &summary);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_EQ(summary.newPath, folder + QStringLiteral("/Tqendata-converted.mdb"));
    EXPECT_EQ(sha256(source), before) << "the original must not change";
    EXPECT_EQ(filesInFolder(), QStringList({QStringLiteral("Tqendata-converted.mdb"), QStringLiteral("Tqendata.mdb")}));
    EXPECT_TRUE(dao::checkDatabase(summary.newPath, ImportedTables()).ok());

    const struct {
        const char *table;
        qlonglong rows;
    } counts[] = {{"営業日報", 4}, {"顧客マスタ", 3}, {"コードマスタ", 4}, {"TqHint", 1}};
    ASSERT_EQ(summary.tables.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(summary.tables[i].name, QString::fromUtf8(counts[i].table));
        EXPECT_TRUE(summary.tables[i].present);
        EXPECT_EQ(summary.tables[i].rows, counts[i].rows) << counts[i].table;
        EXPECT_EQ(summary.tables[i].skipped, 0);
    }
    // The delivered file's empty staff slots gave way to the office's rows.
    EXPECT_EQ(dao::countRows(summary.newPath, ImportedTables()), (QList<qlonglong>{4, 3, 4, 1}));

    const QStringList fields = {"日付", "顧客名", "ふりがな", "タイトル", "担当", "メモ"};
    const QList<QVariantList> reports = rows(summary.newPath, QStringLiteral("営業日報"), fields);
    ASSERT_EQ(reports.size(), 4);
    EXPECT_EQ(reports[0][0], QVariant(QDate(2001, 4, 2)));
    EXPECT_EQ(reports[0][1], QVariant(QStringLiteral("株式会社山田商事")));
    EXPECT_EQ(reports[0][5], QVariant(QStringLiteral("見積書を渡した。\r\n次回は５月。")));
    EXPECT_TRUE(reports[1][0].isNull()) << "a Null date stays Null";
    EXPECT_TRUE(reports[1][5].isNull());
    EXPECT_EQ(reports[2][1], QVariant(QStringLiteral("Tanaka \"Trading\"")));
    EXPECT_EQ(reports[2][5].toString().size(), 2000);
    EXPECT_EQ(reports[2][5].toString().left(10), QStringLiteral("本日は新製品の説明を"));
    EXPECT_EQ(reports[3][1], QVariant(QStringLiteral("髙橋㈱")));
    EXPECT_TRUE(reports[3][2].isNull());
    // A date query in Jet SQL finds the converted rows.
    auto db = dao::Database::open(summary.newPath);
    auto rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 日付 = ") + dao::sqlDate(QDate(1999, 12, 31)));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(QStringLiteral("担当")), QVariant(QStringLiteral("佐藤")));

    const QList<QVariantList> codes = rows(summary.newPath, QStringLiteral("コードマスタ"), {"kcode", "code", "sname", "cnt"});
    EXPECT_EQ(codes[0], (QVariantList{QStringLiteral("担当"), QStringLiteral("01"), QStringLiteral("佐藤"), 1}));
    EXPECT_TRUE(codes[2][2].isNull()) << "a free slot stays free";
    const QList<QVariantList> hints = rows(summary.newPath, QStringLiteral("TqHint"), {"FormName", "CtlName", "Contents"});
    EXPECT_EQ(hints[0][1], QVariant(QStringLiteral("cmd登録")));
    EXPECT_EQ(hints[0][2], QVariant(QStringLiteral("日報を登録します。\n同じ日の日報は上書きされます。")));

    const QString text = summary.text();
    for (const char *line : {"営業日報: 4 件", "顧客マスタ: 3 件", "コードマスタ: 4 件", "TqHint: 1 件", "読めなかった行: 合わせて 0 件"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(summary.newPath));
}

TEST_F(WindowsDataImportTest, Jet3FilesConvertToo) {
    jf::Options jet3;
    jet3.version = 0x00;
    const QString source = writeJet(QStringLiteral("access97.mdb"), jf::jet4File(jf::sampleDataTables(), jet3));
    ImportSummary summary;
    const Error e = ImportWindowsDataFile(source, &summary);
    ASSERT_TRUE(e.ok()) << e.message().toStdString();
    EXPECT_EQ(dao::countRows(summary.newPath, ImportedTables()), (QList<qlonglong>{4, 3, 4, 1}));
    const QList<QVariantList> customers = rows(summary.newPath, QStringLiteral("顧客マスタ"), {"名称", "ふりがな"});
    EXPECT_EQ(customers[1], (QVariantList{QStringLiteral("有限会社ＡＢＣ"), QStringLiteral("えーびーしー")}));
}

TEST_F(WindowsDataImportTest, FiveThousandRows) {
    const QString source = writeJet(QStringLiteral("big.mdb"), jf::jet4File({jf::manyReports(5000)}));
    ImportSummary summary;
    ASSERT_TRUE(ImportWindowsDataFile(source, &summary).ok());
    EXPECT_EQ(summary.tables[0].rows, 5000);
    EXPECT_EQ(dao::countRows(summary.newPath, {QStringLiteral("営業日報")}), QList<qlonglong>{5000});
    // Tables the Windows file lacks keep what a new data file holds.
    EXPECT_FALSE(summary.tables[1].present);
    EXPECT_EQ(dao::countRows(summary.newPath, {QStringLiteral("コードマスタ")}), QList<qlonglong>{30});
    EXPECT_TRUE(summary.text().contains(QStringLiteral("顧客マスタ: 元のファイルにありません")));
}

TEST_F(WindowsDataImportTest, AnEarlierConversionIsNeverOverwritten) {
    const QString source = writeJet(QStringLiteral("TqenData.mdb"), jf::jet4File(jf::sampleDataTables()));
    ImportSummary first, second;
    ASSERT_TRUE(ImportWindowsDataFile(source, &first).ok());
    const QByteArray kept = sha256(first.newPath);
    ASSERT_TRUE(ImportWindowsDataFile(source, &second).ok());
    EXPECT_EQ(second.newPath, folder + QStringLiteral("/TqenData-converted-2.mdb"));
    EXPECT_EQ(sha256(first.newPath), kept);
}

TEST_F(WindowsDataImportTest, DamagedRowsAreCountedAndShown) {
    QByteArray bytes = jf::jet4File(jf::sampleDataTables());
    ASSERT_EQ(bytes[5 * kPage], char(0x01));  // the first data page of 営業日報
    const int rowStart = quint8(bytes[5 * kPage + 14]) | (quint8(bytes[5 * kPage + 15]) << 8);
    bytes[5 * kPage + rowStart] = char(0xff);
    bytes[5 * kPage + rowStart + 1] = char(0x7f);
    const QString source = writeJet(QStringLiteral("damaged.mdb"), bytes);
    ImportSummary summary;
    ASSERT_TRUE(ImportWindowsDataFile(source, &summary).ok());
    EXPECT_EQ(summary.tables[0].rows, 3);
    EXPECT_EQ(summary.tables[0].skipped, 1);
    EXPECT_EQ(summary.skipped(), 1);
    EXPECT_TRUE(summary.text().contains(QStringLiteral("営業日報: 3 件（読めなかった行 1 件）"))) << summary.text().toStdString();
    EXPECT_TRUE(summary.text().contains(QStringLiteral("読めなかった行: 合わせて 1 件")));
}

TEST_F(WindowsDataImportTest, AFileThatCannotBeConvertedLeavesNothingBehind) {
    const QByteArray good = jf::jet4File(jf::sampleDataTables());
    QByteArray badTdef = good;
    badTdef.replace(4 * kPage, kPage, QByteArray(kPage, char(0x5a)));  // 営業日報's definition
    const struct {
        const char *name;
        QByteArray bytes;
        const char *says;
    } cases[] = {
        {"definition.mdb", badTdef, "壊れている"},
        {"cut.mdb", good.left(6 * kPage), "営業日報のデータ"},
        {"header.mdb", good.left(kPage), "壊れている"},
        {"other.mdb", jf::jet4File({jf::allKinds()}), "営業日報のデータ"},
        {"text.mdb", "not a database", "Windows版のデータファイルではありません"},
    };
    for (const auto &c : cases) {
        const QString source = writeJet(QString::fromLatin1(c.name), c.bytes);
        const QByteArray before = sha256(source);
        ImportSummary summary;
        const Error e = ImportWindowsDataFile(source, &summary);
        EXPECT_FALSE(e.ok()) << c.name;
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.says))) << c.name << ": " << e.message().toStdString();
        EXPECT_TRUE(summary.newPath.isEmpty());
        EXPECT_EQ(sha256(source), before) << c.name;
    }
    QStringList left = filesInFolder();
    for (const auto &c : cases) left.removeOne(QString::fromLatin1(c.name));
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
}

TEST_F(WindowsDataImportTest, ImportCommandConvertsPrintsAndSwitchesTheDataFile) {
    const QString dataFolder = tmp.filePath(QStringLiteral("data")) + u'/';
    QDir().mkpath(dataFolder);
    QTemporaryDir delivered;
    ASSERT_TRUE(QFile::copy(testing::copyDeliveredFile(delivered, QStringLiteral("TqenWork.mdb")), dataFolder + QStringLiteral("TqenWork.mdb")));
    {
        auto work = dao::Database::open(dataFolder + QStringLiteral("TqenWork.mdb"));
        ASSERT_TRUE(work.execute(QStringLiteral("delete * from 管理")));
        ASSERT_TRUE(work.execute(QStringLiteral("insert into 管理 (年号, 担当) values ('和暦', '佐藤')")));
    }
    const QString source = writeJet(QStringLiteral("Tqendata.mdb"), jf::jet4File(jf::sampleDataTables()));
    const QByteArray before = sha256(source);

    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(RunImportCommand(source, dataFolder, out, err), 0) << errText.toStdString();
    EXPECT_TRUE(outText.contains(QStringLiteral("営業日報: 4 件"))) << outText.toStdString();
    EXPECT_TRUE(outText.contains(folder + QStringLiteral("/Tqendata-converted.mdb")));
    const Settings stored = Settings::read(dataFolder + QStringLiteral("TqenWork.mdb"));
    EXPECT_EQ(stored.DataPath, folder + QStringLiteral("/Tqendata-converted.mdb"));
    EXPECT_EQ(stored.年号, QStringLiteral("和暦"));
    EXPECT_EQ(stored.担当, QStringLiteral("佐藤"));
    EXPECT_EQ(sha256(source), before);

    // Not a Windows file, and a damaged one: a message and a failing exit code.
    const QString sqlite = testing::copyDeliveredFile(delivered, QStringLiteral("TqenData.mdb"));
    errText.clear();
    EXPECT_EQ(RunImportCommand(sqlite, dataFolder, out, err), 2);
    EXPECT_TRUE(errText.contains(QStringLiteral("Windows版のデータファイルではありません")));
    const QString cut = writeJet(QStringLiteral("cut.mdb"), jf::jet4File(jf::sampleDataTables()).left(6 * kPage));
    errText.clear();
    EXPECT_EQ(RunImportCommand(cut, dataFolder, out, err), 1);
    EXPECT_FALSE(errText.isEmpty());
    EXPECT_EQ(Settings::read(dataFolder + QStringLiteral("TqenWork.mdb")).DataPath, folder + QStringLiteral("/Tqendata-converted.mdb"));
}

}  // namespace
}  // namespace tqen
