// The maintenance form driven as a person does: settings, customer list,
// deletions and disk copies, with real data files and scripted answers.
#include "app/TqenMain.h"
#include "platform/forms/FormStack.h"
#include "maintenance/FddBackup.h"
#include "maintenance/FrmHosyu.h"
#include "core/MakerLink.h"
#include "backup/Archive.h"
#include "backup/Snapshots.h"
#include "platform/forms/DataGrid.h"
#include "platform/mdbreader/MdbReader.h"
#include "platform/forms/TextBox.h"
#include "tests/maintenance/MaintenanceFixture.h"
#include "tests/support/Child.h"
#include "tests/support/jet/JetFixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QTabWidget>

namespace {

class Maintenance : public tqen::testing::MaintenanceFixture {
protected:
    void load() {
        form = new FrmHosyu(session);
        form->Form_Load();
    }
    void TearDown() override {
        delete form.data();
        MaintenanceFixture::TearDown();
    }
    QPushButton *button(const QString &name) { return child<QPushButton>(form, name); }
    QList<QVariantMap> customers() {
        return rows(data(), QStringLiteral("select * from 顧客マスタ order by ふりがな"));
    }
    QVariantMap settingsRow() { return rows(work(), QStringLiteral("select * from 管理")).value(0); }
    void setWorkingCopy(const QString &sql) {
        onWork(sql);
        child<forms::DataGrid>(form, QStringLiteral("Grid顧客"))->dataControl()->Refresh();
    }
    QPointer<FrmHosyu> form;
};

TEST_F(Maintenance, LoadShowsVersionSettingsFirstDriveAndCustomersByReading) {
    onWork(QStringLiteral("update 管理 set DataPath = '/srv/営業/TqenData.mdb', 年号 = '和暦'"));
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"));
    load();
    EXPECT_EQ(child<QLabel>(form, QStringLiteral("LblUpdate"))->text(),
              QStringLiteral(" RUvoza Ver 1.10\nLast Update 2002/02/14"));
    auto *era = child<QComboBox>(form, QStringLiteral("cmb年号"));
    ASSERT_EQ(era->count(), 2);
    EXPECT_EQ(era->itemText(0), QStringLiteral("西暦"));
    EXPECT_EQ(era->currentText(), QStringLiteral("和暦"));
    EXPECT_EQ(session.env.年号, QStringLiteral("和暦"));
    EXPECT_EQ(child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->Text(), QStringLiteral("/srv/営業/TqenData.mdb"));
    EXPECT_EQ(child<QComboBox>(form, QStringLiteral("cmbFDD"))->currentText(), QStringLiteral("A:"));
    EXPECT_FALSE(child<QLabel>(form, QStringLiteral("FddMsg"))->isVisibleTo(form));
    auto *grid = child<forms::DataGrid>(form, QStringLiteral("Grid顧客"));
    ASSERT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->dataControl()->value(0, QStringLiteral("名称")), QVariant(QStringLiteral("青木工業")));
    const QStringList tabs = {QStringLiteral("設定"), QStringLiteral("データ保守"), QStringLiteral("フォルダに保存"),
                              QStringLiteral("顧客情報"), QStringLiteral("データ削除")};
    auto *tab = child<QTabWidget>(form, QStringLiteral("SSTab"));
    for (int i = 0; i < tabs.size(); ++i) EXPECT_EQ(tab->tabText(i), tabs[i]);
    // Every button a person can reach says what it does, and holds its caption.
    for (QPushButton *b : form->findChildren<QPushButton *>())
        EXPECT_FALSE(b->accessibleName().isEmpty()) << b->objectName().toStdString();
    EXPECT_EQ(button(QStringLiteral("Command7"))->accessibleName(), QStringLiteral("フロッピーディスクにデータをコピーする（実行）"));
}

TEST_F(Maintenance, NullEraShowsWesternStyle) {
    onWork(QStringLiteral("update 管理 set 年号 = null"));
    load();
    EXPECT_EQ(child<QComboBox>(form, QStringLiteral("cmb年号"))->currentText(), QStringLiteral("西暦"));
    EXPECT_EQ(session.env.年号, QStringLiteral("西暦"));
}

TEST_F(Maintenance, RegisteringKeepsTheRememberedStaffAndCustomer) {
    onWork(QStringLiteral("update 管理 set 担当 = '佐藤', 顧客名 = '山田商店', ふりがな = 'やまだ'"));
    load();
    child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->setText(QStringLiteral("/mnt/共有/TqenData.mdb"));
    child<QComboBox>(form, QStringLiteral("cmb年号"))->setCurrentIndex(1);
    op.answer(mb::IdYes);
    op.answer(mb::IdOK);
    button(QStringLiteral("cmd登録"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_EQ(op.shown[0].prompt, QStringLiteral("保守情報 を登録します。よろしいですか"));
    EXPECT_EQ(op.shown[1].prompt, QStringLiteral("保守情報 を登録しました。"));
    const QVariantMap row = settingsRow();
    EXPECT_EQ(row.value(QStringLiteral("DataPath")), QVariant(QStringLiteral("/mnt/共有/TqenData.mdb")));
    EXPECT_EQ(row.value(QStringLiteral("年号")), QVariant(QStringLiteral("和暦")));
    EXPECT_EQ(row.value(QStringLiteral("担当")), QVariant(QStringLiteral("佐藤")));
    EXPECT_EQ(row.value(QStringLiteral("顧客名")), QVariant(QStringLiteral("山田商店")));
    EXPECT_EQ(row.value(QStringLiteral("ふりがな")), QVariant(QStringLiteral("やまだ")));
    EXPECT_EQ(session.env.年号, QStringLiteral("和暦"));
    EXPECT_EQ(rows(work(), QStringLiteral("select * from 管理")).size(), 1);
}

TEST_F(Maintenance, ClearThenRegisterStoresWesternNoPathAndKeepsTheCustomers) {
    onWork(QStringLiteral("update 管理 set DataPath = '/x/TqenData.mdb', 年号 = '和暦'"));
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    load();
    button(QStringLiteral("cmdクリア"))->click();
    EXPECT_EQ(child<forms::DataGrid>(form, QStringLiteral("Grid顧客"))->RowCount(), 0);
    EXPECT_EQ(settingsRow().value(QStringLiteral("年号")), QVariant(QStringLiteral("和暦")));  // nothing written yet
    op.answer(mb::IdYes);
    button(QStringLiteral("cmd登録"))->click();
    EXPECT_TRUE(settingsRow().value(QStringLiteral("DataPath")).isNull());
    EXPECT_EQ(settingsRow().value(QStringLiteral("年号")), QVariant(QStringLiteral("西暦")));
    // The emptied working copy does not empty the customer master.
    ASSERT_EQ(customers().size(), 1);
    EXPECT_EQ(customers()[0].value(QStringLiteral("担当")), QVariant(QStringLiteral("佐藤")));
}

// An address with a password in any form is refused by the form and never
// stored; the message does not repeat the password.
TEST_F(Maintenance, AServerAddressWithAPasswordIsNeverStored) {
    const QVariant before = settingsRow().value(QStringLiteral("DataPath"));
    for (const char *uri : {"postgresql://u:secret@db/tqen", "postgresql://u@db/tqen?password=secret",
                            "postgresql://u@db/tqen?sslmode=require&pass%77ord=secret"}) {
        load();
        op.shown.clear();
        child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->setText(QString::fromUtf8(uri));
        op.answer(mb::IdYes);
        button(QStringLiteral("cmd登録"))->click();
        EXPECT_EQ(settingsRow().value(QStringLiteral("DataPath")), before) << uri;
        EXPECT_TRUE(op.showed(QStringLiteral("データパスにパスワードを書かないでください。"))) << uri;
        EXPECT_FALSE(op.prompts().join(u'\n').contains(QStringLiteral("secret"))) << op.prompts().join(u'\n').toStdString();
        delete form.data();
    }
}

TEST_F(Maintenance, DeclinedRegistrationWritesNothing) {
    load();
    child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->setText(QStringLiteral("/elsewhere.mdb"));
    op.answer(mb::IdNo);
    button(QStringLiteral("cmd登録"))->click();
    EXPECT_EQ(op.shown.size(), 1);
    EXPECT_TRUE(settingsRow().value(QStringLiteral("DataPath")).isNull());
}

TEST_F(Maintenance, WriteBackKeepsStaffDropsUnnamedRowsAndTakesEdits) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"), QStringLiteral("鈴木"));
    load();
    setWorkingCopy(QStringLiteral("update w顧客マスタ set ふりがな = 'やまだしょうてん' where 名称 = '山田商店'"));
    onWork(QStringLiteral("insert into w顧客マスタ (名称, ふりがな) values (null, 'なし')"));
    onWork(QStringLiteral("insert into w顧客マスタ (名称, ふりがな) values ('', 'から')"));
    op.answer(mb::IdYes);
    button(QStringLiteral("cmd登録"))->click();
    const auto list = customers();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].value(QStringLiteral("名称")), QVariant(QStringLiteral("青木工業")));
    EXPECT_EQ(list[0].value(QStringLiteral("担当")), QVariant(QStringLiteral("鈴木")));
    EXPECT_EQ(list[1].value(QStringLiteral("ふりがな")), QVariant(QStringLiteral("やまだしょうてん")));
    EXPECT_EQ(list[1].value(QStringLiteral("担当")), QVariant(QStringLiteral("佐藤")));
}

TEST_F(Maintenance, DeletingTickedCustomers) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"), QStringLiteral("鈴木"));
    addCustomer(QStringLiteral("加藤電機"), QStringLiteral("かとう"), QStringLiteral("佐藤"));
    load();
    // Nothing ticked: nothing asked, nothing changed.
    button(QStringLiteral("cmd削除"))->click();
    EXPECT_TRUE(op.shown.isEmpty());
    // The tick is the grid's check box.
    auto *grid = child<forms::DataGrid>(form, QStringLiteral("Grid顧客"));
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    op.answer(mb::IdNo);
    button(QStringLiteral("cmd削除"))->click();
    ASSERT_EQ(op.shown.size(), 1);
    EXPECT_EQ(op.shown[0].prompt, QStringLiteral("指定された顧客 を削除します。よろしいですか"));
    EXPECT_EQ(customers().size(), 3);
    op.answer(mb::IdYes);
    button(QStringLiteral("cmd削除"))->click();
    const auto list = customers();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].value(QStringLiteral("名称")), QVariant(QStringLiteral("青木工業")));
    EXPECT_EQ(list[0].value(QStringLiteral("担当")), QVariant(QStringLiteral("鈴木")));
    EXPECT_EQ(list[1].value(QStringLiteral("名称")), QVariant(QStringLiteral("山田商店")));
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(op.shown.size(), 2);   // no completion message
}

// A write-back that fails half-way leaves the master as it was.
TEST_F(Maintenance, FailedWriteBackLeavesTheMasterWhole) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"), QStringLiteral("佐藤"));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおき"), QStringLiteral("鈴木"));
    load();
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"),
                 {data(), QStringLiteral("create trigger refuse before insert on 顧客マスタ when new.名称 = '山田商店' "
                                         "begin select raise(abort, 'refused'); end;")});
    ASSERT_TRUE(sqlite.waitForFinished()) << "the sqlite3 command is needed";
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
    op.answer(mb::IdYes);
    button(QStringLiteral("cmd登録"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_TRUE(op.shown[1].prompt.contains(QStringLiteral("顧客マスタは元のままです"))) << op.shown[1].prompt.toStdString();
    EXPECT_EQ(customers().size(), 2);
}

struct DeletionCase {
    const char *button;
    const char *subject;
    qlonglong reports, customers, namedStaff;   // rows left
};

TEST_F(Maintenance, Deletions) {
    const DeletionCase cases[] = {
        {"Command1", "すべてのデータ", 0, 0, 0},
        {"Command6", "すべての顧客情報", 1, 0, 1},
        {"Command3", "すべての営業日報", 0, 1, 1},
        {"Command5", "すべてのコード表", 1, 1, 0},
    };
    load();
    for (const DeletionCase &c : cases) {
        SCOPED_TRACE(c.button);
        onData(QStringLiteral("delete * from 営業日報"));
        onData(QStringLiteral("delete * from 顧客マスタ"));
        onData(QStringLiteral("update コードマスタ set sname = '佐藤' where code = '01'"));
        addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"));
        addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
        const QString subject = QString::fromUtf8(c.subject);
        op.shown.clear();
        op.answer(mb::IdNo);
        button(QString::fromUtf8(c.button))->click();
        ASSERT_EQ(op.shown.size(), 1);
        EXPECT_EQ(count(data(), QStringLiteral("営業日報")) + count(data(), QStringLiteral("顧客マスタ")), 2);
        op.shown.clear();
        op.answer(mb::IdYes);
        button(QString::fromUtf8(c.button))->click();
        ASSERT_EQ(op.shown.size(), 2);
        EXPECT_EQ(op.shown[0].prompt, subject + QStringLiteral(" を削除します。よろしいですか"));
        EXPECT_EQ(op.shown[1].prompt, subject + QStringLiteral(" を削除しました。"));
        EXPECT_EQ(count(data(), QStringLiteral("営業日報")), c.reports);
        EXPECT_EQ(count(data(), QStringLiteral("顧客マスタ")), c.customers);
        EXPECT_EQ(rows(data(), QStringLiteral("select * from コードマスタ where not isnull(sname)")).size(), c.namedStaff);
        EXPECT_EQ(count(data(), QStringLiteral("コードマスタ")), 30);
    }
    EXPECT_EQ(rows(work(), QStringLiteral("select * from 管理")).size(), 1);
}

TEST_F(Maintenance, FailedDeletionSaysSoInsteadOfDone) {
    load();
    session.dataDbPath = app + QStringLiteral("/data/gone.mdb");
    op.answer(mb::IdYes);
    button(QStringLiteral("Command3"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_FALSE(op.shown[1].prompt.contains(QStringLiteral("削除しました")));
    EXPECT_EQ(op.shown[1].style & 0xF0, mb::Critical);
}

TEST_F(Maintenance, CopyingTheDataFileOutAndBack) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    const QString other = app + QStringLiteral("/data/other data.mdb");
    ASSERT_TRUE(QFile::copy(data(), other));
    session.dataDbPath = other;   // a data path names another file
    load();
    const QString dest = drive + QStringLiteral("/my backups/控え.mdb");
    QDir().mkpath(drive + QStringLiteral("/my backups"));
    op.choose(dest);
    button(QStringLiteral("Command9"))->click();
    ASSERT_EQ(op.dialogs.size(), 1);
    EXPECT_EQ(op.dialogs[0].options.title, QStringLiteral("ファイルの保存..."));
    EXPECT_EQ(bytes(dest), bytes(other));
    ASSERT_EQ(op.shown.size(), 1);
    EXPECT_EQ(op.shown[0].prompt, dest + QStringLiteral(" にコピーしました。"));

    // Reading back: the file in use is the one replaced, after the question.
    run(other, QStringLiteral("delete * from 営業日報"));
    op.shown.clear();
    op.choose(dest);
    op.answer(mb::IdNo);   // keep the file in use
    button(QStringLiteral("Command11"))->click();
    ASSERT_EQ(op.shown.size(), 1);
    EXPECT_NE(bytes(other), bytes(dest));
    op.shown.clear();
    op.choose(dest);
    op.answer(mb::IdYes);
    button(QStringLiteral("Command11"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_EQ(op.shown[1].prompt, other + QStringLiteral(" に読込みしました。"));
    EXPECT_EQ(bytes(other), bytes(dest));
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 1);   // the default file is untouched
    // The file that was replaced is kept as a snapshot.
    const auto snaps = backup::Snapshots::inDataFolder(session.dataFolder).list();
    ASSERT_FALSE(snaps.isEmpty());
    EXPECT_EQ(snaps[0].operation, QStringLiteral("ほかのディスクからの読込"));
}

TEST_F(Maintenance, ReadingAFileThatIsNoDataFileIsRefused) {
    load();
    const QString junk = drive + QStringLiteral("/notes.mdb");
    writeBytes(junk, "not a database at all");
    const QByteArray before = bytes(data());
    op.choose(junk);
    button(QStringLiteral("Command11"))->click();
    ASSERT_EQ(op.shown.size(), 1);
    EXPECT_EQ(op.shown[0].style & 0xF0, mb::Critical);
    EXPECT_EQ(bytes(data()), before);
}

TEST_F(Maintenance, ChooserAndHelpPages) {
    load();
    op.choose(drive + QStringLiteral("/TqenData.mdb"));
    button(QStringLiteral("Command2"))->click();
    ASSERT_EQ(op.dialogs.size(), 1);
    EXPECT_EQ(op.dialogs[0].options.title, QStringLiteral("データファイルを指定する"));
    EXPECT_EQ(child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->Text(), drive + QStringLiteral("/TqenData.mdb"));
    const QStringList pages = {"cmdHint1=VoRadu8.htm", "CmdHint2=VoRadu9.htm", "Command4=VoRadu10.htm",
                               "Command10=VoRadu11.htm"};
    for (const QString &p : pages) {
        button(p.section(u'=', 0, 0))->click();
        EXPECT_EQ(op.opened.last(), session.helpFolder + p.section(u'=', 1));
    }
    // The maker's picture opens the maker's page, as on the main screen.
    child<QToolButton>(form, QStringLiteral("Image1"))->click();
    EXPECT_EQ(op.opened.last(), MakerWebPage());
}

TEST_F(Maintenance, MainScreenButtonOpensTheFormAndBackReturns) {
    forms::ResetFormStack();
    TqenMain main(app);
    main.Form_Load();
    auto *open = child<QPushButton>(&main, QStringLiteral("Command11"));
    ASSERT_TRUE(open->isEnabled());
    open->click();
    QPointer<forms::Form> shown = forms::findForm(QStringLiteral("FrmHosyu"));
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(forms::FormStackEntries().value(0), QStringLiteral("TqenMain"));
    open->click();   // a second click brings the same form forward
    EXPECT_EQ(forms::openForms().count(shown.data()), 1);
    child<QPushButton>(shown, QStringLiteral("cmd戻る"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(shown);
    // Each click recorded the main screen once; going back took one off.
    EXPECT_EQ(forms::FormStackEntries().value(0), QStringLiteral("TqenMain"));
    EXPECT_EQ(forms::FormStackEntries().value(1), QString());
}

}  // namespace

namespace {
// Writes a picture of each tab when TQEN_SCREENSHOTS names a folder.
TEST_F(Maintenance, ScreenshotsOfTheTabs) {
    const QString out = qEnvironmentVariable("TQEN_SCREENSHOTS");
    if (out.isEmpty()) GTEST_SKIP() << "set TQEN_SCREENSHOTS to a folder to get pictures of the tabs";
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだ"));
    load();
    form->show();
    auto *tabs = child<QTabWidget>(form, QStringLiteral("SSTab"));
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        EXPECT_TRUE(form->grab().save(out + QStringLiteral("/hosyu-%1.png").arg(i)));
    }
}
}  // namespace

namespace {
// A bulk deletion leaves a snapshot that the form lists and puts back.
TEST_F(Maintenance, UndoingADeletionFromTheList) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    addReport(QDate(2002, 2, 15), QStringLiteral("青木工業"), QStringLiteral("鈴木"));
    load();
    auto *list = child<QListWidget>(form, QStringLiteral("lst控え"));
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(button(QStringLiteral("cmd元に戻す"))->isEnabled());
    op.answer(mb::IdYes);
    button(QStringLiteral("Command3"))->click();
    ASSERT_EQ(count(data(), QStringLiteral("営業日報")), 0);
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("すべての営業日報の削除"))) << list->item(0)->text().toStdString();
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("営業日報 2 件")));
    op.shown.clear();
    op.answer(mb::IdNo);
    button(QStringLiteral("cmd元に戻す"))->click();
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 0);
    op.answer(mb::IdYes);
    button(QStringLiteral("cmd元に戻す"))->click();
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 2);
    EXPECT_EQ(op.shown.last().prompt, QStringLiteral("データを元に戻しました。"));
    EXPECT_EQ(list->count(), 2);   // the emptied file was kept too
}
// Beside the drive box the form says which folder the chosen letter stands
// for, or where to name one.
TEST_F(Maintenance, TheDriveBoxShowsTheFolderOfEachLetter) {
    const QString floppy = disk(QStringLiteral("fd"));
    insert(floppy);   // A: names a folder, C: the test's home
    load();
    auto *box = child<QComboBox>(form, QStringLiteral("cmbFDD"));
    auto *shown = child<QLabel>(form, QStringLiteral("lblFDD先"));
    const struct {
        const char *drive;
        QString text;
    } cases[] = {
        {"A:", QStringLiteral("→ ") + floppy},
        {"C:", QStringLiteral("→ ") + drive},
        {"E:", QStringLiteral("→ 未設定（%1 に E=フォルダ の行を書きます）").arg(qEnvironmentVariable("TQEN_DRIVES"))},
    };
    EXPECT_EQ(shown->text(), cases[0].text);   // as the form opens
    for (const auto &c : cases) {
        box->setCurrentText(QString::fromLatin1(c.drive));
        EXPECT_EQ(shown->text(), c.text) << c.drive;
    }
}

// Each operation that replaces or empties the customer master leaves the
// customer tab showing what the master now holds, so registering the form
// afterwards (to change the date style, say) writes nothing old back.
TEST_F(Maintenance, RegisteringAfterTheMasterWasReplacedKeepsWhatItNowHolds) {
    addCustomer(QStringLiteral("新商事"), QStringLiteral("しん"), QStringLiteral("鈴木"));
    addCustomer(QStringLiteral("新工業"), QStringLiteral("しんこう"), QStringLiteral("田中"));
    const QString other = drive + QStringLiteral("/other.mdb");
    ASSERT_TRUE(QFile::copy(data(), other));
    // A one-disk floppy set of the new customers.
    const QString floppy = disk(QStringLiteral("set"));
    operatorWithDisks({floppy});
    ASSERT_TRUE(maintenance::FddBackup(session.dataFolder, QStringLiteral("A:"), nullptr).FDDBuckUp().ok());
    onData(QStringLiteral("delete * from 顧客マスタ"));
    addCustomer(QStringLiteral("旧商事"), QStringLiteral("きゅう"), QStringLiteral("佐藤"));
    const QByteArray old = bytes(data());
    const QStringList replaced = {QStringLiteral("新商事=鈴木"), QStringLiteral("新工業=田中")};
    const struct Case {
        const char *name;
        std::function<void()> act;
        QStringList left;   // name=staff, by reading
    } cases[] = {
        {"floppy restore", [&] {
             operatorWithDisks({floppy});
             button(QStringLiteral("Command8"))->click();
             ASSERT_TRUE(op.showed(QStringLiteral("読込が終了しました。")));
         }, replaced},
        {"read from another disk", [&] {
             op.choose(other);
             op.answer(mb::IdYes);
             button(QStringLiteral("Command11"))->click();
         }, replaced},
        {"delete every customer", [&] {
             op.answer(mb::IdYes);
             button(QStringLiteral("Command6"))->click();
         }, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(data(), old);
        delete form.data();
        load();
        op.shown.clear();
        c.act();
        op.onBox = nullptr;
        op.answer(mb::IdYes);
        button(QStringLiteral("cmd登録"))->click();
        QStringList left;
        for (const QVariantMap &row : customers())
            left << row.value(QStringLiteral("名称")).toString() + u'=' + row.value(QStringLiteral("担当")).toString();
        EXPECT_EQ(left, c.left);
    }
}

}  // namespace

// --- Data files of the Windows program -------------------------------------------

class WindowsFile : public Maintenance {
protected:
    void SetUp() override {
        Maintenance::SetUp();
        if (!mdbreader::readingAvailable()) GTEST_SKIP() << "SKIPPED: built without mdbtools (libmdb); Windows data files cannot be read";
        source = drive + QStringLiteral("/旧/Tqendata.mdb");
        QDir().mkpath(drive + QStringLiteral("/旧"));
        writeBytes(source, tqen::testing::jetfile::jet4File(tqen::testing::jetfile::sampleDataTables()));
        original = bytes(source);
        converted = drive + QStringLiteral("/旧/Tqendata-converted.mdb");
        load();
    }
    QString dataPathBox() { return child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->Text(); }
    void expectOriginalUntouched() {
        EXPECT_EQ(bytes(source), original);
        EXPECT_FALSE(QFile::exists(source + QStringLiteral("-journal")));
    }
    QString source, converted;
    QByteArray original;
};

const QString kConvertQuestion = QStringLiteral("Windows版のデータファイルです。変換しますか");

TEST_F(WindowsFile, ChosenAsTheDataPathItIsConvertedAndBecomesTheDataFile) {
    op.choose(source);
    op.answer(mb::IdYes);
    op.answer(mb::IdOK);
    button(QStringLiteral("Command2"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_EQ(op.shown[0].prompt, kConvertQuestion);
    EXPECT_EQ(op.shown[0].style & 0xF, mb::YesNo);
    EXPECT_TRUE(op.shown[1].prompt.contains(QStringLiteral("営業日報: 4 件"))) << op.shown[1].prompt.toStdString();
    EXPECT_TRUE(op.shown[1].prompt.contains(QStringLiteral("読めなかった行: 合わせて 0 件")));
    EXPECT_TRUE(op.shown[1].prompt.contains(converted));
    EXPECT_EQ(dataPathBox(), converted);
    EXPECT_EQ(settingsRow().value(QStringLiteral("DataPath")), QVariant(converted));
    EXPECT_EQ(session.env.DataPath, converted);
    EXPECT_EQ(session.dataDbPath, converted);
    EXPECT_EQ(count(converted, QStringLiteral("営業日報")), 4);
    expectOriginalUntouched();
}

TEST_F(WindowsFile, SayingNoChangesNothing) {
    const QVariantMap before = settingsRow();
    op.choose(source);
    op.answer(mb::IdNo);
    button(QStringLiteral("Command2"))->click();
    ASSERT_EQ(op.shown.size(), 1);
    EXPECT_EQ(op.shown[0].prompt, kConvertQuestion);
    EXPECT_EQ(dataPathBox(), QString());
    EXPECT_EQ(settingsRow(), before);
    EXPECT_EQ(session.dataDbPath, data());
    EXPECT_FALSE(QFile::exists(converted));
    expectOriginalUntouched();

    // Typed by hand and registered: asked again; no saves nothing.
    child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->setText(source);
    op.answer(mb::IdNo);
    button(QStringLiteral("cmd登録"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_EQ(op.shown[1].prompt, kConvertQuestion);
    EXPECT_EQ(settingsRow(), before);
    EXPECT_FALSE(QFile::exists(converted));
}

TEST_F(WindowsFile, TypedAsTheDataPathItIsConvertedBeforeRegistering) {
    child<forms::TextBox>(form, QStringLiteral("txtDataPath"))->setText(source);
    op.answer(mb::IdYes);  // convert
    op.answer(mb::IdOK);   // the summary
    op.answer(mb::IdYes);  // register?
    op.answer(mb::IdOK);   // registered
    button(QStringLiteral("cmd登録"))->click();
    ASSERT_EQ(op.shown.size(), 4) << op.prompts().join(u'|').toStdString();
    EXPECT_EQ(op.shown[0].prompt, kConvertQuestion);
    EXPECT_EQ(op.shown[3].prompt, QStringLiteral("保守情報 を登録しました。"));
    EXPECT_EQ(settingsRow().value(QStringLiteral("DataPath")), QVariant(converted));
    EXPECT_EQ(dataPathBox(), converted);
    expectOriginalUntouched();
}

TEST_F(WindowsFile, ReadFromAnotherDiskItIsConvertedAndTheDataFileInUseStays) {
    const QByteArray dataBefore = bytes(data());
    op.choose(source);
    op.answer(mb::IdYes);
    op.answer(mb::IdOK);
    button(QStringLiteral("Command11"))->click();
    ASSERT_EQ(op.shown.size(), 2) << op.prompts().join(u'|').toStdString();
    EXPECT_EQ(op.shown[0].prompt, kConvertQuestion);
    EXPECT_TRUE(op.shown[1].prompt.contains(QStringLiteral("顧客マスタ: 3 件")));
    EXPECT_EQ(settingsRow().value(QStringLiteral("DataPath")), QVariant(converted));
    EXPECT_EQ(session.dataDbPath, converted);
    EXPECT_EQ(dataPathBox(), converted);
    EXPECT_EQ(bytes(data()), dataBefore);
    EXPECT_EQ(count(converted, QStringLiteral("顧客マスタ")), 3);
    expectOriginalUntouched();
}

TEST_F(WindowsFile, ADamagedFileIsReportedAndLeavesNothingBehind) {
    QByteArray bad = original;
    bad.replace(4 * 4096, 4096, QByteArray(4096, char(0x5a)));  // a table definition overwritten
    writeBytes(source, bad);
    original = bad;
    const QVariantMap before = settingsRow();
    op.choose(source);
    op.answer(mb::IdYes);
    op.answer(mb::IdOK);
    button(QStringLiteral("Command11"))->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_EQ(op.shown[1].style & 0xF0, mb::Critical);
    EXPECT_TRUE(op.shown[1].prompt.contains(QStringLiteral("変換できませんでした"))) << op.shown[1].prompt.toStdString();
    EXPECT_EQ(settingsRow(), before);
    EXPECT_EQ(QDir(drive + QStringLiteral("/旧")).entryList(QDir::Files), QStringList{QStringLiteral("Tqendata.mdb")});
    expectOriginalUntouched();
}

namespace tqen::testing {
namespace {

// Every report deleted at once is kept as one deletion, listed on the data
// tab and put back from there; also on a server, which keeps no snapshot.
TEST_F(Maintenance, AllReportsDeletedComeBackFromTheListOfDeletions) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    addReport(QDate(2002, 2, 15), QStringLiteral("青木工業"), QStringLiteral("鈴木"));
    load();
    auto *deletions = child<QListWidget>(form, QStringLiteral("lst削除"));
    auto *putBack = button(QStringLiteral("cmd削除を元に戻す"));
    EXPECT_EQ(deletions->count(), 0);
    EXPECT_FALSE(putBack->isEnabled());
    op.answer(mb::IdYes);
    button(QStringLiteral("Command3"))->click();
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 0);
    ASSERT_EQ(deletions->count(), 1);
    EXPECT_TRUE(deletions->item(0)->text().contains(QStringLiteral("すべての営業日報  (営業日報 2 件、2002/02/14～2002/02/15)")))
        << deletions->item(0)->text().toStdString();
    ASSERT_TRUE(putBack->isEnabled());
    op.shown.clear();
    op.answer(mb::IdYes);
    putBack->click();
    ASSERT_EQ(op.shown.size(), 2);
    EXPECT_EQ(op.shown[1].prompt, QStringLiteral("2 件の営業日報を元に戻しました。"));
    EXPECT_EQ(count(data(), QStringLiteral("営業日報")), 2);
    EXPECT_EQ(deletions->count(), 0);
    EXPECT_FALSE(putBack->isEnabled());
}

}  // namespace
}  // namespace tqen::testing
