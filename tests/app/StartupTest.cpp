#include "app/EntryPanel.h"
#include "app/TqenMain.h"
#include "platform/forms/Accessible.h"
#include "tests/support/AppFixture.h"
#include "tests/support/Child.h"

#include "model/Session.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/ScriptedInteraction.h"
#include "platform/forms/TextBox.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QCoreApplication>
#include <QTest>
#include <QEvent>
#include <QTemporaryDir>

using forms::ScriptedInteraction;

namespace {

class Startup : public tqen::testing::AppFixture {
protected:
    void settings(const QVariant &dataPath, const QVariant &era, const QVariant &staff = {},
                  const QVariant &customer = {}, const QVariant &reading = {}) {
        onWork(QStringLiteral("delete * from 管理"));
        auto db = dao::Database::open(work());
        auto rs = db.openRecordset(QStringLiteral("select * from 管理"));
        rs.addNew();
        rs.setField(QStringLiteral("DataPath"), dataPath);
        rs.setField(QStringLiteral("年号"), era);
        rs.setField(QStringLiteral("担当"), staff);
        rs.setField(QStringLiteral("顧客名"), customer);
        rs.setField(QStringLiteral("ふりがな"), reading);
        ASSERT_TRUE(rs.update()) << rs.error().toStdString();
    }
};

TEST_F(Startup, FoldersFromTheProgramFolder) {
    TqenMain main(app);
    main.Form_Load();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.session().dataFolder, app + QStringLiteral("/data/"));
    EXPECT_EQ(main.session().helpFolder, app + QStringLiteral("/help/"));
    EXPECT_EQ(main.session().workDbPath, work());
    EXPECT_EQ(main.session().dataDbPath, data());
    EXPECT_EQ(main.session().hintDbPath, data());
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(Startup, DeveloperMarkerSwitchesToTheFixedFolders) {
    QFile marker(drive + QStringLiteral("/qmtdevelop.txt"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(main.session().dataFolder, drive + QStringLiteral("/develop2/tq/tqen/data/"));
    EXPECT_EQ(main.session().helpFolder, drive + QStringLiteral("/TqMan/TqenMan/"));
    EXPECT_EQ(main.session().workDbPath, drive + QStringLiteral("/develop2/tq/tqen/data/TqenWork.mdb"));
    // That folder holds no data file here: the user is told once.
    EXPECT_EQ(script.shown.size(), 1);
}

TEST_F(Startup, DataPathSettingNamesTheDataFile) {
    const QString other = tmp.filePath(QStringLiteral("別の フォルダ/Other.mdb"));
    QDir().mkpath(QFileInfo(other).path());
    ASSERT_TRUE(QFile::copy(data(), other));
    settings(other, QVariant());
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(main.session().env.DataPath, other);
    EXPECT_EQ(main.session().dataDbPath, other);
    EXPECT_EQ(main.session().hintDbPath, other);
    EXPECT_TRUE(script.shown.isEmpty());
}

// An empty data path text in the row means the default data file, as Null does.
TEST_F(Startup, AnEmptyDataPathTextMeansTheDefaultDataFile) {
    onWork(QStringLiteral("update 管理 set DataPath = ''"));
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(main.session().dataDbPath, data());
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(Startup, DateStyleFromTheSettings) {
    struct Case { QVariant era; const char *mode; const char *format; int frame; int box; int range; int endLeft; int container; int kara; } cases[] = {
        {QStringLiteral("和暦"), "和暦", "ggg ee年mm月dd日", 3075, 2340, 2320, 3360, 5740, 3070},
        {QStringLiteral("西暦"), "西暦", "yyyy年mm月dd日", 2775, 2040, 2010, 3100, 5190, 2790},
        {QVariant(), "西暦", "yyyy年mm月dd日", 2775, 2040, 2010, 3100, 5190, 2790},
        {QStringLiteral("わかんない"), "わかんない", "yyyy年mm月dd日", 2775, 2040, 2010, 3100, 5190, 2790},
    };
    for (const auto &c : cases) {
        settings(QVariant(), c.era);
        TqenMain main(app);
        main.Form_Load();
        const QString what = c.era.toString();
        EXPECT_EQ(main.session().env.年号, QString::fromUtf8(c.mode)) << what.toStdString();
        for (forms::DateBox *box : {child<forms::DateBox>(&main, "txt日付"), child<forms::DateBox>(&main, "txt開始"), child<forms::DateBox>(&main, "txt終了")}) {
            EXPECT_EQ(box->displayFormat(), QString::fromUtf8(c.format));
            EXPECT_EQ(box->inputFormat(), QString::fromUtf8(c.format));
        }
        EXPECT_NEAR(child<forms::FramedPanel>(&main, "ImFrame3D3")->widthTwips(), c.frame, 15) << what.toStdString();
        EXPECT_NEAR(child<forms::DateBox>(&main, "txt日付")->widthTwips(), c.box, 15);
        EXPECT_NEAR(child<forms::DateBox>(&main, "txt開始")->widthTwips(), c.range, 15);
        EXPECT_NEAR(child<forms::DateBox>(&main, "txt終了")->widthTwips(), c.range, 15);
        EXPECT_NEAR(child<forms::DateBox>(&main, "txt終了")->leftTwips(), c.endLeft, 15);
        EXPECT_NEAR(child<forms::FramedPanel>(&main, "imContainer3D9")->widthTwips(), c.container, 15);
        EXPECT_NEAR(child<QLabel>(&main, "lblから")->x() * 15, c.kara, 15);
    }
}

TEST_F(Startup, EmptySettingsTable) {
    onWork(QStringLiteral("delete * from 管理"));
    TqenMain main(app);
    main.Form_Load();
    EXPECT_TRUE(main.session().env.DataPath.isEmpty());
    EXPECT_EQ(main.session().env.年号, QString());                     // neither style named
    EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->displayFormat(), QStringLiteral("yyyy年mm月dd日"));
    EXPECT_EQ(main.session().dataDbPath, data());
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb担当")->Text(), QString());
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QString());
}

TEST_F(Startup, RemembersStaffCustomerAndReading) {
    settings(QVariant(), QVariant(), QStringLiteral("山田"), QStringLiteral("㈱サンプル 'O'"), QStringLiteral("さんぷる"));
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb担当")->Text(), QStringLiteral("山田"));
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("㈱サンプル 'O'"));
    EXPECT_EQ(child<forms::TextBox>(&main, "txtふりがな")->Text(), QStringLiteral("さんぷる"));
}

TEST_F(Startup, NullSettingsLeaveTheBoxesAsTheyWere) {
    settings(QVariant(), QVariant(), QVariant(), QStringLiteral("顧客"), QVariant());
    TqenMain main(app);
    main.Form_Load();
    child<forms::ComboBox>(&main, "cmb担当")->setText(QStringLiteral("前の担当"));
    child<forms::TextBox>(&main, "txtふりがな")->setText(QStringLiteral("まえ"));
    main.entryPanel()->ReadLocalEnv();
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb担当")->Text(), QStringLiteral("前の担当"));
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("顧客"));
    EXPECT_EQ(child<forms::TextBox>(&main, "txtふりがな")->Text(), QStringLiteral("まえ"));
}

TEST_F(Startup, DataFileFoundWithoutRegardToCase) {
    ASSERT_TRUE(QFile::rename(data(), app + QStringLiteral("/data/Tqendata.mdb")));
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(main.session().dataDbPath, app + QStringLiteral("/data/Tqendata.mdb"));
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(Startup, AnUnusableDataFileIsReportedOnceWithItsPath) {
    struct Case { const char *what; QByteArray contents; bool create; } cases[] = {
        {"missing", {}, false},
        {"not a database", "this is a text file, not a database\n", true},
        {"empty", {}, true},
    };
    for (const auto &c : cases) {
        QFile::remove(data());
        if (c.create) {
            QFile f(data());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.contents);
        }
        script.shown.clear();
        TqenMain main(app);
        main.Form_Load();
        ASSERT_EQ(script.shown.size(), 1) << c.what;
        EXPECT_TRUE(script.shown[0].prompt.contains(data())) << c.what;
        // Start-up goes on: the settings were still read.
        EXPECT_EQ(main.session().env.年号, QStringLiteral("西暦")) << c.what;
        EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->displayFormat(), QStringLiteral("yyyy年mm月dd日"));
    }
}

// A data file that opens but fails the engine's check (a page of its reports
// overwritten): start-up says so and names the way out, and neither the
// search index nor a registration writes into it.
// Whether the file is damaged is found behind the screen: the user is told
// when the answer comes, or at the first write if it comes earlier, and the
// write waits for it either way.
TEST_F(Startup, ADamagedDataFileIsReportedAndNeverWritten) {
  for (const bool registerAtOnce : {false, true}) {
    SCOPED_TRACE(registerAtOnce ? "registered before the answer" : "told when the answer came");
    script.shown.clear();
    ASSERT_TRUE(QFile::remove(data()));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenData.mdb"), data()));
    QFile::setPermissions(data(), QFile::ReadOwner | QFile::WriteOwner);
    {
        auto db = dao::Database::open(data());
        ASSERT_TRUE(db.beginTrans());
        auto rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (int i = 0; i < 40; ++i) {
            rs.addNew();
            rs.setField(QStringLiteral("日付"), QDate(2001, 1, 1).addDays(i));
            rs.setField(QStringLiteral("顧客名"), QStringLiteral("山田商店"));
            rs.setField(QStringLiteral("担当"), QStringLiteral("佐藤"));
            rs.setField(QStringLiteral("メモ"), QStringLiteral("MARK%1-").arg(i, 3, 10, QChar(u'0')) + QString(1500, u'z'));
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
        rs.close();
        ASSERT_TRUE(db.commitTrans());
    }
    QFile f(data());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray file = f.readAll();
    const int pageSize = (uchar(file[16]) << 8) | uchar(file[17]);
    ASSERT_GE(pageSize, 512);
    // Every page holding the marker of report 20 gets an invalid page type.
    for (qsizetype at = file.indexOf("MARK020-"); at >= 0; at = file.indexOf("MARK020-", at + 1))
        file[at / pageSize * pageSize] = char(0x55);
    f.seek(0);
    f.write(file);
    f.close();

    TqenMain main(app);
    main.Form_Load();
    QFile again(data());
    if (!registerAtOnce) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !script.shown.isEmpty(); }, 30000));
        ASSERT_EQ(script.shown.size(), 1);
        const QString told = script.shown[0].prompt;
        EXPECT_TRUE(told.contains(QStringLiteral("データファイルが壊れている"))) << told.toStdString();
        EXPECT_TRUE(told.contains(QStringLiteral("元に戻す"))) << told.toStdString();
        EXPECT_TRUE(told.contains(data())) << told.toStdString();
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_TRUE(again.readAll() == file);
        again.close();
    }

    child<forms::DateBox>(&main, "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(&main, "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(&main, "cmb顧客名")->setText(QStringLiteral("青木工業"));
    script.answer(forms::mb::IdYes);
    child<QPushButton>(&main, "cmd登録")->click();
    // Told once whichever came first, never twice the same.
    ASSERT_EQ(script.shown.size(), registerAtOnce ? 1 : 2);
    EXPECT_TRUE(script.shown.back().prompt.contains(QStringLiteral("データファイルが壊れている")));
    QTest::qWait(50);
    EXPECT_EQ(script.shown.size(), registerAtOnce ? 1 : 2);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_TRUE(again.readAll() == file);
  }
}

// The data file is held by another writer when the program starts: start-up
// says it is in use and to try again, not that another file must be chosen.
TEST_F(Startup, ADataFileInUseByAnotherWriterIsCalledBusyNotBad) {
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(data().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    // The other writer finishes once the first message has been shown.
    struct Releasing : ScriptedInteraction {
        sqlite3 *held = nullptr;
        int messageBox(QWidget *owner, const QString &prompt, int style, const QString &title) override {
            if (held) {
                sqlite3_exec(held, "ROLLBACK", nullptr, nullptr, nullptr);
                sqlite3_close(held);
                held = nullptr;
            }
            return ScriptedInteraction::messageBox(owner, prompt, style, title);
        }
    } releasing;
    releasing.held = other;
    forms::ScopedInteraction scope(&releasing);
    TqenMain main(app);
    main.Form_Load();
    ASSERT_GE(releasing.shown.size(), 1);
    const QString told = releasing.shown[0].prompt;
    EXPECT_TRUE(told.contains(QStringLiteral("他のプログラムか別の PC が使用中です"))) << told.toStdString();
    EXPECT_FALSE(told.contains(QStringLiteral("データファイルではありません"))) << told.toStdString();
    EXPECT_FALSE(told.contains(QStringLiteral("指定し直して"))) << told.toStdString();
}

TEST_F(Startup, UnreadableWorkDatabaseMeansDefaults) {
    QFile::remove(work());
    TqenMain main(app);
    main.Form_Load();
    EXPECT_TRUE(main.session().env.DataPath.isEmpty());
    EXPECT_EQ(main.session().dataDbPath, data());
    EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->displayFormat(), QStringLiteral("yyyy年mm月dd日"));
}

TEST_F(Startup, HandedOverReportIsTakenOnce) {
    TqenMain main(app);
    main.Form_Load();
    child<forms::ComboBox>(&main, "cmb顧客名")->setText(QStringLiteral("そのまま"));
    main.Form_Activate();                 // nothing handed over
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("そのまま"));

    main.handOver({QDate(2002, 2, 14), QStringLiteral("佐藤"), QStringLiteral("山田商店")});
    main.Form_Activate();
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->Value(), QVariant(QDate(2002, 2, 14)));
    // Taken once: activated again, the screen keeps what was typed since.
    child<forms::ComboBox>(&main, "cmb顧客名")->setText(QStringLiteral("変更"));
    main.Form_Activate();
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("変更"));
}

TEST_F(Startup, ClosingTheMainScreenClosesEveryOtherForm) {
    auto *main = new TqenMain(app);
    main->Form_Load();
    QPointer<forms::Form> list = new forms::Form(QStringLiteral("FrmNippoList"));
    QPointer<forms::Form> hosyu = new forms::Form(QStringLiteral("FrmHosyu"));
    list->show();
    hosyu->show();
    main->findChild<QPushButton *>(QStringLiteral("cmd閉じる"))->click();
    forms::DoEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(list.isNull());
    EXPECT_TRUE(hosyu.isNull());
    EXPECT_FALSE(main->isVisible());
    delete main;
}

TEST_F(Startup, ControlsCarryTheirNames) {
    TqenMain main(app);
    for (const char *name : {"txt日付", "txt開始", "txt終了", "cmb担当", "cmb顧客名", "txtふりがな", "txtタイトル",
                             "txtメモ", "cmd閉じる", "cmd登録", "SSTab1", "ImFrame3D3", "imContainer3D9", "lblから"}) {
        EXPECT_NE(main.findChild<QWidget *>(QString::fromUtf8(name)), nullptr) << name;
    }
    auto *close = main.findChild<QPushButton *>(QStringLiteral("cmd閉じる"));
    EXPECT_EQ(forms::plainCaption(close->text()), QStringLiteral("閉じる"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("ソフトを終了します"));
}

}  // namespace

namespace {

// An installed program: <prefix>/bin without data/ beside it, the delivered
// files in <prefix>/share/tqen. Start-up works on the user's copies.
TEST_F(Startup, InstalledProgramStartsOnTheUsersCopies) {
    const QString prefix = tmp.filePath(QStringLiteral("prefix"));
    const QString share = prefix + QStringLiteral("/share/tqen/data/");
    QDir().mkpath(prefix + QStringLiteral("/bin"));
    QDir().mkpath(share);
    for (const QString &name : {QStringLiteral("TqenData.mdb"), QStringLiteral("TqenWork.mdb")})
        ASSERT_TRUE(QFile::copy(app + QStringLiteral("/data/") + name, share + name));
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString xdg = tmp.filePath(QStringLiteral("xdg"));
    qputenv("XDG_DATA_HOME", xdg.toUtf8());
    {
        TqenMain main(prefix + QStringLiteral("/bin"));
        main.Form_Load();
        EXPECT_EQ(main.session().dataFolder, xdg + QStringLiteral("/tqen/data/"));
        EXPECT_EQ(main.session().helpFolder, prefix + QStringLiteral("/share/tqen/help/"));
        EXPECT_EQ(main.session().workDbPath, xdg + QStringLiteral("/tqen/data/TqenWork.mdb"));
        EXPECT_EQ(main.session().dataDbPath, xdg + QStringLiteral("/tqen/data/TqenData.mdb"));
        EXPECT_TRUE(script.shown.isEmpty()) << script.shown.value(0).prompt.toStdString();
        // The help button opens the installed page.
        child<QPushButton>(&main, "cmdHint")->click();
        EXPECT_EQ(script.opened, QStringList{prefix + QStringLiteral("/share/tqen/help/VoRadu1.htm")});
    }
    if (saved.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
