#include "app/TqenMain.h"
#include "platform/forms/Accessible.h"
#include "tests/app/AppFixture.h"
#include "tests/support/Child.h"

#include "core/Globals.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/ScriptedInteraction.h"
#include "platform/forms/TextBox.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>

using namespace tqen;
using tqen::testing::child;
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
    EXPECT_EQ(G().DataFolder, app + QStringLiteral("/data/"));
    EXPECT_EQ(G().HelpFolder, app + QStringLiteral("/help/"));
    EXPECT_EQ(G().WorkDbPath, work());
    EXPECT_EQ(G().DataDbPath, data());
    EXPECT_EQ(G().HintDbPath, data());
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(Startup, DeveloperMarkerSwitchesToTheFixedFolders) {
    QFile marker(drive + QStringLiteral("/qmtdevelop.txt"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(G().DataFolder, drive + QStringLiteral("/develop2/tq/tqen/data/"));
    EXPECT_EQ(G().HelpFolder, drive + QStringLiteral("/TqMan/TqenMan/"));
    EXPECT_EQ(G().WorkDbPath, drive + QStringLiteral("/develop2/tq/tqen/data/TqenWork.mdb"));
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
    EXPECT_EQ(G().Env.DataPath, other);
    EXPECT_EQ(G().DataDbPath, other);
    EXPECT_EQ(G().HintDbPath, other);
    EXPECT_TRUE(script.shown.isEmpty());
}

// An empty data path text in the row means the default data file, as Null does.
TEST_F(Startup, AnEmptyDataPathTextMeansTheDefaultDataFile) {
    onWork(QStringLiteral("update 管理 set DataPath = ''"));
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(G().DataDbPath, data());
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
        G() = Globals();
        TqenMain main(app);
        main.Form_Load();
        const QString what = c.era.toString();
        EXPECT_EQ(G().Env.年号, QString::fromUtf8(c.mode)) << what.toStdString();
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
    EXPECT_TRUE(G().Env.DataPath.isEmpty());
    EXPECT_EQ(G().Env.年号, QString());                     // neither style named
    EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->displayFormat(), QStringLiteral("yyyy年mm月dd日"));
    EXPECT_EQ(G().DataDbPath, data());
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
    main.ReadLocalEnv();
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb担当")->Text(), QStringLiteral("前の担当"));
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("顧客"));
    EXPECT_EQ(child<forms::TextBox>(&main, "txtふりがな")->Text(), QStringLiteral("まえ"));
}

TEST_F(Startup, DataFileFoundWithoutRegardToCase) {
    ASSERT_TRUE(QFile::rename(data(), app + QStringLiteral("/data/Tqendata.mdb")));
    TqenMain main(app);
    main.Form_Load();
    EXPECT_EQ(G().DataDbPath, app + QStringLiteral("/data/Tqendata.mdb"));
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
        G() = Globals();
        TqenMain main(app);
        main.Form_Load();
        ASSERT_EQ(script.shown.size(), 1) << c.what;
        EXPECT_TRUE(script.shown[0].prompt.contains(data())) << c.what;
        // Start-up goes on: the settings were still read.
        EXPECT_EQ(G().Env.年号, QStringLiteral("西暦")) << c.what;
        EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->displayFormat(), QStringLiteral("yyyy年mm月dd日"));
    }
}

TEST_F(Startup, UnreadableWorkDatabaseMeansDefaults) {
    QFile::remove(work());
    TqenMain main(app);
    main.Form_Load();
    EXPECT_TRUE(G().Env.DataPath.isEmpty());
    EXPECT_EQ(G().DataDbPath, data());
    EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->displayFormat(), QStringLiteral("yyyy年mm月dd日"));
}

TEST_F(Startup, HandedOverReportIsTakenOnce) {
    TqenMain main(app);
    main.Form_Load();
    child<forms::ComboBox>(&main, "cmb顧客名")->setText(QStringLiteral("そのまま"));
    main.Form_Activate();                 // nothing handed over
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("そのまま"));

    G().JumpCustomer = QStringLiteral("山田商店");
    G().JumpStaff = QStringLiteral("佐藤");
    G().JumpDate = QDate(2002, 2, 14);
    main.Form_Activate();
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::ComboBox>(&main, "cmb担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(child<forms::DateBox>(&main, "txt日付")->Value(), QVariant(QDate(2002, 2, 14)));
    EXPECT_TRUE(G().JumpCustomer.isNull());
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
        EXPECT_EQ(G().DataFolder, xdg + QStringLiteral("/tqen/data/"));
        EXPECT_EQ(G().HelpFolder, prefix + QStringLiteral("/share/tqen/help/"));
        EXPECT_EQ(G().WorkDbPath, xdg + QStringLiteral("/tqen/data/TqenWork.mdb"));
        EXPECT_EQ(G().DataDbPath, xdg + QStringLiteral("/tqen/data/TqenData.mdb"));
        EXPECT_TRUE(script.shown.isEmpty()) << script.shown.value(0).prompt.toStdString();
        // The help button opens the installed page.
        child<QPushButton>(&main, "cmdHint")->click();
        EXPECT_EQ(script.opened, QStringList{prefix + QStringLiteral("/share/tqen/help/VoRadu1.htm")});
    }
    if (saved.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
