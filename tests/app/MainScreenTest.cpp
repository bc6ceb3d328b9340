#include "app/EntryPanel.h"
#include "app/MonthCalendar.h"
#include "app/TqenMain.h"
#include "core/MakerLink.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include <QLabel>
#include "platform/forms/TextBox.h"
#include "platform/forms/QtInteraction.h"
#include "tests/app/MainScreenFixture.h"
#include "tests/support/Child.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QInputMethodEvent>
#include <QTest>
#include <QPainter>
#include <QTimer>

#include <algorithm>

#include <sqlite3.h>

namespace {

class MainScreen : public tqen::testing::MainScreenFixture {
protected:
    // The screen on February 2002 with the staff member and customer of the
    // reports the tests add.
    void loadOnFebruary2002For山田商店() {
        load();
        showMonth(QDate(2002, 2, 1));
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    }
};

// A person registers today's visit: clicks the day, finds the customer on the
// kana index, types the staff, a title and a memo, presses 登録 and Yes.
TEST_F(MainScreen, RegisteringAReportTheWayAPersonDoes) {
    addCustomer(QStringLiteral("山田商店"), QStringLiteral("やまだしょうてん"));
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおきこうぎょう"));
    load();
    const QDate today = QDate::currentDate();
    const QDate day(today.year(), today.month(), 14);
    clickCell(cellOf(day));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(day));

    child<QTabWidget>(main.get(), "SSTab1")->setCurrentIndex(0);
    child<QPushButton>(main.get(), QStringLiteral("cmd50_%1").arg(35))->click();                                 // や
    ASSERT_EQ(child<forms::DataGrid>(main.get(), "Grid参照")->RowCount(), 1);
    child<QPushButton>(main.get(), "cmd_Enter")->click();                                 // 選択
    EXPECT_EQ(child<QTabWidget>(main.get(), "SSTab1")->currentIndex(), 1);
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtふりがな")->Text(), QStringLiteral("やまだしょうてん"));

    type(child<forms::ComboBox>(main.get(), "cmb担当")->lineEdit(), QStringLiteral("佐藤"));
    type(child<forms::TextBox>(main.get(), "txtタイトル")->editor(), QStringLiteral("新製品の説明"));
    type(child<forms::TextBox>(main.get(), "txtメモ")->editor(), QStringLiteral("来月に見積りを出す。"));
    script.answer(forms::ScriptedInteraction::Enter);        // Yes is the default
    script.answer(mb::IdOK);
    child<QPushButton>(main.get(), "cmd登録")->click();

    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("営業日報 を登録します。よろしいですか"));
    EXPECT_EQ(script.shown[1].prompt, QStringLiteral("営業日報 を登録しました。"));
    const auto saved = reports();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0][QStringLiteral("日付")], QVariant(day));
    EXPECT_EQ(saved[0][QStringLiteral("顧客名")], QVariant(QStringLiteral("山田商店")));
    EXPECT_EQ(saved[0][QStringLiteral("ふりがな")], QVariant(QStringLiteral("やまだしょうてん")));
    EXPECT_EQ(saved[0][QStringLiteral("担当")], QVariant(QStringLiteral("佐藤")));
    EXPECT_EQ(saved[0][QStringLiteral("タイトル")], QVariant(QStringLiteral("新製品の説明")));
    EXPECT_EQ(saved[0][QStringLiteral("メモ")], QVariant(QStringLiteral("来月に見積りを出す。")));

    const auto staff = rows(data(), QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
    EXPECT_EQ(staff[0][QStringLiteral("sname")], QVariant(QStringLiteral("佐藤")));
    EXPECT_TRUE(staff[1][QStringLiteral("sname")].isNull());
    const auto customer = rows(data(), QStringLiteral("select * from 顧客マスタ where 名称 = '山田商店'"));
    ASSERT_EQ(customer.size(), 1);
    EXPECT_EQ(customer[0][QStringLiteral("担当")], QVariant(QStringLiteral("佐藤")));
    const auto env = rows(work(), QStringLiteral("select * from 管理"));
    ASSERT_EQ(env.size(), 1);
    EXPECT_EQ(env[0][QStringLiteral("担当")], QVariant(QStringLiteral("佐藤")));
    EXPECT_EQ(env[0][QStringLiteral("顧客名")], QVariant(QStringLiteral("山田商店")));
    EXPECT_EQ(env[0][QStringLiteral("ふりがな")], QVariant(QStringLiteral("やまだしょうてん")));

    // The screen is back on this month with the remembered staff and customer,
    // today's date, and the day marked.
    EXPECT_EQ(main->calendar()->monthShown(), today);
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb担当")->Text(), QStringLiteral("佐藤"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(today));
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(day)), MonthCalendar::ColorMarked);
    EXPECT_EQ(main->calendar()->cellForeColor(cellOf(day)), MonthCalendar::ColorWindow);
    EXPECT_TRUE(child<forms::ComboBox>(main.get(), "cmb担当")->findText(QStringLiteral("佐藤")) >= 0);
}

TEST_F(MainScreen, RegisteringTwiceUpdatesOneRowAndAnEmptyMemoKeepsTheStoredOne) {
    load();
    const QDate day(2002, 2, 14);
    auto enter = [&](const QString &title, const QString &memo) {
        child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
        child<forms::TextBox>(main.get(), "txtタイトル")->setText(title);
        child<forms::TextBox>(main.get(), "txtメモ")->setText(memo);
        script.answer(mb::IdYes);
        child<QPushButton>(main.get(), "cmd登録")->click();
    };
    enter(QStringLiteral("一回目"), QString());
    auto saved = reports();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved[0][QStringLiteral("メモ")].isNull());          // a new report without memo
    enter(QStringLiteral("二回目"), QStringLiteral("メモあり"));
    enter(QStringLiteral("三回目"), QString());
    saved = reports();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0][QStringLiteral("日付")], QVariant(day));
    EXPECT_EQ(saved[0][QStringLiteral("タイトル")], QVariant(QStringLiteral("三回目")));
    EXPECT_EQ(saved[0][QStringLiteral("メモ")], QVariant(QStringLiteral("メモあり")));
}

TEST_F(MainScreen, MissingStaffCustomerOrDateIsReportedAndNothingIsWritten) {
    load();
    struct Case { const char *staff; const char *customer; QVariant date; const char *focus; } cases[] = {
        {"", "山田商店", QStringLiteral("20020214"), "cmb担当"},
        {"佐藤", "", QStringLiteral("20020214"), "cmb顧客名"},
        {"佐藤", "山田商店", QVariant(), "txt日付"},
    };
    main->show();
    main->activateWindow();
    for (const auto &c : cases) {
        script.shown.clear();
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString::fromUtf8(c.staff));
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QString::fromUtf8(c.customer));
        child<forms::DateBox>(main.get(), "txt日付")->setValue(c.date);
        child<QPushButton>(main.get(), "cmd登録")->click();
        ASSERT_EQ(script.shown.size(), 1) << c.focus;
        EXPECT_EQ(script.shown[0].prompt, QStringLiteral("入力必須項目が空白です。"));
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QWidget *expected = main->findChild<QWidget *>(QString::fromUtf8(c.focus));
        EXPECT_TRUE(focused == expected || expected->isAncestorOf(focused)) << c.focus;
    }
    EXPECT_TRUE(reports().isEmpty());
}

TEST_F(MainScreen, AnsweringNoWritesNothingAndKeepsTheBoxes) {
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    child<forms::TextBox>(main.get(), "txtメモ")->setText(QStringLiteral("まだ途中"));
    script.answer(mb::IdNo);
    child<QPushButton>(main.get(), "cmd登録")->click();
    EXPECT_TRUE(reports().isEmpty());
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QStringLiteral("まだ途中"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
}

TEST_F(MainScreen, AFailedRegistrationSaysSoAndKeepsWhatWasTyped) {
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    child<forms::TextBox>(main.get(), "txtタイトル")->setText(QStringLiteral("大事な話"));
    child<forms::TextBox>(main.get(), "txtメモ")->setText(QStringLiteral("長いメモ"));
    // The data file is damaged after start-up.
    QFile f(data());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a database any more");
    f.close();
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("登録できませんでした"))) << script.shown[1].prompt.toStdString();
    EXPECT_EQ(script.shown[1].style & 0xf0, mb::Critical);
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("大事な話"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QStringLiteral("長いメモ"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate(2002, 2, 14)));
}

// Half a character (a lone surrogate) would be stored as U+FFFD, so that two
// different names became one, and a name beyond what the indexes hold fails
// on a server with its raw text: both are refused at the entry, nothing is
// written, and a stored look-alike name is left alone.
TEST_F(MainScreen, HalfCharactersAndOverlongNamesAreRefusedAtTheEntry) {
    addCustomer(QString::fromUtf16(u"a\uFFFDb"), QStringLiteral("えー"));
    addReport(QDate(2002, 2, 14), QString::fromUtf16(u"a\uFFFDb"), QStringLiteral("佐藤"), QStringLiteral("stored"));
    load();
    const QString lone = QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b");
    const struct {
        const char *box;
        QString text;
        const char *told;
    } cases[] = {
        {"cmb顧客名", lone, "顧客名の 2 文字目に、文字の半分だけ (U+D83D)"},
        {"cmb担当", QStringLiteral("x") + QChar(0xDC00), "担当の 2 文字目"},
        {"txtタイトル", QString(QChar(0xDBFF)), "タイトルの 1 文字目"},
        {"txtメモ", QStringLiteral("memo") + QChar(0xD800), "メモの 5 文字目"},
        {"cmb顧客名", QString(1 << 20, u'名'), "顧客名は 255 文字までです"},
        {"cmb顧客名", QString(256, u'a'), "顧客名は 255 文字までです"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.told);
        script.shown.clear();
        child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
        child<forms::TextBox>(main.get(), "txtタイトル")->setText(QStringLiteral("t"));
        child<forms::TextBox>(main.get(), "txtメモ")->setText(QStringLiteral("m"));
        if (QString::fromUtf8(c.box).startsWith(QStringLiteral("cmb")))
            child<forms::ComboBox>(main.get(), c.box)->setText(c.text);
        else
            child<forms::TextBox>(main.get(), c.box)->setText(c.text);
        child<QPushButton>(main.get(), "cmd登録")->click();
        ASSERT_EQ(script.shown.size(), 1);
        EXPECT_TRUE(script.shown[0].prompt.contains(QString::fromUtf8(c.told))) << script.shown[0].prompt.toStdString();
        const auto stored = reports();
        ASSERT_EQ(stored.size(), 1);
        EXPECT_EQ(stored[0].value(QStringLiteral("タイトル")), QVariant(QStringLiteral("stored")));
    }
    // A search for half a character finds nothing by U+FFFD; it is refused.
    script.shown.clear();
    child<QLineEdit>(main.get(), "txt検索")->setText(lone);
    child<QPushButton>(main.get(), "cmd検索")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("文字の半分だけ")));
}

// Another program holds the data file beyond the wait: the registration says
// the file is in use and to try again, not that it is no data file; once the
// other writer is done the same registration goes in.
TEST_F(MainScreen, AFailedRegistrationOnABusyFileSaysItIsInUse) {
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    child<forms::TextBox>(main.get(), "txtタイトル")->setText(QStringLiteral("大事な話"));
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(data().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_EQ(script.shown.size(), 2);
    const QString told = script.shown[1].prompt;
    EXPECT_TRUE(told.contains(QStringLiteral("他のプログラムか別の PC が使用中です"))) << told.toStdString();
    EXPECT_FALSE(told.contains(QStringLiteral("Unrecognized"))) << told.toStdString();
    EXPECT_TRUE(reports().isEmpty());
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    EXPECT_EQ(reports().size(), 1);
}

TEST_F(MainScreen, AFailedDeletionSaysSoAndKeepsTheScreen) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("t"));
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    child<forms::TextBox>(main.get(), "txtメモ")->setText(QStringLiteral("消さないで"));
    QFile::remove(data());
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd削除")->click();
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("削除できませんでした")));
    EXPECT_TRUE(script.shown[1].prompt.contains(data()));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QStringLiteral("消さないで"));
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_FALSE(QFile::exists(data()));        // never created by the attempt
}

TEST_F(MainScreen, EmptySettingsTableRemembersNothing) {
    onWork(QStringLiteral("delete * from 管理"));
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    EXPECT_EQ(reports().size(), 1);
    EXPECT_TRUE(rows(work(), QStringLiteral("select * from 管理")).isEmpty());
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb担当")->Text(), QString());
}

TEST_F(MainScreen, DeletingAsksWithTheDisplayedDateAndCustomer) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("t"));
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("鈴木"), QStringLiteral("other staff"));
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
    script.answer(forms::ScriptedInteraction::Enter);    // Enter answers No
    child<QPushButton>(main.get(), "cmd削除")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("2002年02月14日の山田商店 を削除します。よろしいですか"));
    EXPECT_EQ(script.shown[0].style, 292);
    EXPECT_EQ(reports().size(), 2);
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd削除")->click();
    const auto left = reports();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0][QStringLiteral("担当")], QVariant(QStringLiteral("鈴木")));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate::currentDate()));
}

TEST_F(MainScreen, ReadingADay) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("題"),
              QVariant());
    loadOnFebruary2002For山田商店();
    child<forms::TextBox>(main.get(), "txtメモ")->setText(QStringLiteral("前のメモ"));
    clickCell(cellOf(QDate(2002, 2, 14)));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("題"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QString());      // a Null memo empties the box
    // A day without a report empties title and memo, keeps the rest.
    child<forms::TextBox>(main.get(), "txtふりがな")->setText(QStringLiteral("やまだ"));
    clickCell(cellOf(QDate(2002, 2, 15)));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QString());
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QString());
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("山田商店"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtふりがな")->Text(), QStringLiteral("やまだ"));
    EXPECT_FALSE(child<forms::FramedPanel>(main.get(), "CnMsg")->isVisible());
}

// A report shown after another never carries the other's title or memo,
// also where its own are Null, so registering it writes nothing of the
// other report into it.
TEST_F(MainScreen, ANullTitleOrMemoEmptiesItsBoxAndRegisteringCarriesNothingOver) {
    addReport(QDate(2002, 2, 13), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("昨日の題"),
              QStringLiteral("昨日のメモ"));
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QVariant(), QVariant());
    loadOnFebruary2002For山田商店();
    clickCell(cellOf(QDate(2002, 2, 13)));
    ASSERT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("昨日の題"));
    clickCell(cellOf(QDate(2002, 2, 14)));
    EXPECT_TRUE(script.shown.isEmpty());   // nothing was typed: nothing asked
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QString());
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QString());
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    const auto saved = reports();
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved[0][QStringLiteral("タイトル")], QVariant(QStringLiteral("昨日の題")));
    EXPECT_NE(saved[1][QStringLiteral("タイトル")], QVariant(QStringLiteral("昨日の題")));
    EXPECT_TRUE(saved[1][QStringLiteral("メモ")].isNull());
}

// Text typed into the title or memo and not registered is asked about once
// before another day or closing would discard it: register, discard or stay.
TEST_F(MainScreen, TypedTextIsNeverDiscardedWithoutAQuestion) {
    const QString question = QStringLiteral("入力したタイトル・メモが登録されていません。\n登録しますか。\n\n"
                                            "「いいえ」で入力した内容を破棄します。");
    const QDate day(2002, 2, 14), other(2002, 2, 20);
    enum class Act { OtherDay, Close };
    const struct Case {
        const char *name;
        Act act;
        int answer;
        bool registered;   // the typed memo is stored
        bool stayed;       // the typed text is still on the screen
    } cases[] = {
        {"other day, register", Act::OtherDay, mb::IdYes, true, false},
        {"other day, discard", Act::OtherDay, mb::IdNo, false, false},
        {"other day, cancel", Act::OtherDay, mb::IdCancel, false, true},
        {"close, register", Act::Close, mb::IdYes, true, false},
        {"close, discard", Act::Close, mb::IdNo, false, false},
        {"close, cancel", Act::Close, mb::IdCancel, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        onData(QStringLiteral("delete * from 営業日報"));
        addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("題"), QStringLiteral("前のメモ"));
        load();
        showMonth(day);
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("山田商店"));
        clickCell(cellOf(day));
        auto *memo = child<forms::TextBox>(main.get(), "txtメモ");
        ASSERT_EQ(memo->Text(), QStringLiteral("前のメモ"));
        memo->editor()->setFocus();
        QTest::keyClick(memo->editor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(memo->editor(), QStringLiteral(" typed"));
        script.shown.clear();
        script.answer(c.answer);
        if (c.answer == mb::IdYes) script.answer(mb::IdOK);   // "registered"
        if (c.act == Act::OtherDay) clickCell(cellOf(other));
        else main->close();
        ASSERT_FALSE(script.shown.isEmpty());
        EXPECT_EQ(script.shown[0].prompt, question);
        EXPECT_EQ(script.shown[0].style & 0xF, mb::YesNoCancel);
        const int asked = int(std::count_if(script.shown.begin(), script.shown.end(),
                                            [&](const auto &s) { return s.prompt == question; }));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(rows(data(), QStringLiteral("select * from 営業日報 where 日付 = #2002/02/14#")).value(0).value(QStringLiteral("メモ")),
                  QVariant(c.registered ? QStringLiteral("前のメモ typed") : QStringLiteral("前のメモ")));
        EXPECT_EQ(main->isVisible(), c.act == Act::OtherDay || c.stayed);
        if (main->isVisible()) EXPECT_EQ(memo->Text() == QStringLiteral("前のメモ typed"), c.stayed);
        if (c.act == Act::OtherDay && !c.stayed) EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(other));
        // Once answered, nothing is asked again until something is typed.
        script.shown.clear();
        if (c.stayed) script.answer(mb::IdNo);
        main->close();
        EXPECT_EQ(script.shown.size(), c.stayed ? 1 : 0);
        main.reset();
    }
}

// Only typing makes the question: showing, registering, clearing and reading
// never ask, so every flow without typed text stays as it was.
TEST_F(MainScreen, NothingIsAskedWhenNothingWasTypedSinceShownOrRegistered) {
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("題"), QStringLiteral("メモ"));
    loadOnFebruary2002For山田商店();
    clickCell(cellOf(QDate(2002, 2, 14)));
    clickCell(cellOf(QDate(2002, 2, 15)));
    clickCell(cellOf(QDate(2002, 2, 14)));
    EXPECT_TRUE(script.shown.isEmpty());
    // Typed, then registered: the next day asks nothing.
    auto *title = child<forms::TextBox>(main.get(), "txtタイトル");
    type(title->editor(), QStringLiteral("新しい題"));
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    ASSERT_EQ(script.shown.size(), 2);
    showMonth(QDate(2002, 2, 1));
    clickCell(cellOf(QDate(2002, 2, 16)));
    // Typed, then cleared or read again: nothing asked either.
    type(title->editor(), QStringLiteral("消す"));
    child<QPushButton>(main.get(), "cmdクリア")->click();
    type(title->editor(), QStringLiteral("読み直す"));
    child<QPushButton>(main.get(), "cmd読込")->click();
    main->close();
    EXPECT_EQ(script.shown.size(), 2);
    EXPECT_EQ(reports()[0][QStringLiteral("タイトル")], QVariant(QStringLiteral("題新しい題")));
}

TEST_F(MainScreen, CalendarCellsOfAMonth) {
    load();
    struct Case { QDate month; int offset; int days; } cases[] = {
        {{2022, 1, 10}, 6, 31},   // begins on a Saturday: cells 6 to 36
        {{2004, 2, 1}, 0, 29},    // leap February beginning on a Sunday
        {{2002, 2, 14}, 5, 28},
    };
    for (const auto &c : cases) {
        showMonth(c.month);
        EXPECT_EQ(main->calendar()->cellOffset(), c.offset);
        for (int i = 0; i < 37; ++i) {
            const int day = i - c.offset + 1;
            const QString expected = day >= 1 && day <= c.days ? QString::number(day) : QString();
            EXPECT_EQ(main->calendar()->cellCaption(i), expected) << i;
        }
        // Another month: the entry date is its first day.
        EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate(c.month.year(), c.month.month(), 1)));
    }
    showMonth(QDate::currentDate());
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate::currentDate()));
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(QDate::currentDate())), MonthCalendar::ColorToday);
    EXPECT_EQ(child<QLabel>(main.get(), "LblCalendarTitle")->text(), QDate::currentDate().toString(QStringLiteral("yyyy年MM月")));
}

TEST_F(MainScreen, MarksAlternatePerReportAndFollowTheFilter) {
    const QDate d(2002, 2, 14);
    addReport(d, QStringLiteral("A"), QStringLiteral("佐藤"));
    addReport(d, QStringLiteral("B"), QStringLiteral("佐藤"));
    addReport(d.addDays(1), QStringLiteral("A"), QStringLiteral("佐藤"));
    addReport(d.addDays(1), QStringLiteral("B"), QStringLiteral("佐藤"));
    addReport(d.addDays(1), QStringLiteral("C"), QStringLiteral("鈴木"));
    addReport(QDate(2002, 3, 1), QStringLiteral("A"), QStringLiteral("佐藤"));
    load();
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QString());
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QString());
    showMonth(d);
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(d)), MonthCalendar::ColorMarkedAgain);           // two reports
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(d.addDays(1))), MonthCalendar::ColorMarked);     // three
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(d.addDays(2))), MonthCalendar::ColorButtonFace);
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("鈴木"));
    showMonth(d);
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(d)), MonthCalendar::ColorButtonFace);
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(d.addDays(1))), MonthCalendar::ColorMarked);
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("A"));
    showMonth(d);
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(d)), MonthCalendar::ColorMarked);
}

TEST_F(MainScreen, MonthButtonsAndEmptyCells) {
    load();
    main->setCalendarDate(QDate(2002, 3, 31));
    main->SetClalendar();
    child<QPushButton>(main.get(), "cmdCaldBef")->click();
    EXPECT_EQ(main->calendar()->monthShown(), QDate(2002, 2, 28));
    child<QPushButton>(main.get(), "CmdCaldNext")->click();
    child<QPushButton>(main.get(), "CmdCaldNext")->click();
    EXPECT_EQ(main->calendar()->monthShown(), QDate(2002, 4, 28));
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020410"));
    clickCell(0);                                           // before the 1st: nothing happens
    clickCell(36);                                          // after the last day
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate(2002, 4, 10)));
}

TEST_F(MainScreen, KanaIndexFindsHiraganaKatakanaAndHalfWidthReadings) {
    addCustomer(QStringLiteral("青木"), QStringLiteral("あおき"));
    addCustomer(QStringLiteral("青山"), QStringLiteral("アオヤマ"));
    addCustomer(QStringLiteral("浅野"), QStringLiteral("ｱｻﾉ"));
    addCustomer(QStringLiteral("伊藤"), QStringLiteral("いとう"));
    addCustomer(QStringLiteral("江口"), QStringLiteral("ｴｸﾞﾁ"));
    addCustomer(QStringLiteral("無読み"), QVariant());
    addCustomer(QStringLiteral("星印"), QStringLiteral("*ほし"));
    load();
    auto listed = [&](int button) {
        child<QPushButton>(main.get(), QStringLiteral("cmd50_%1").arg(button))->click();
        QStringList names;
        for (const auto &r : rows(work(), QStringLiteral("select * from w顧客参照")))
            names << r[QStringLiteral("名称")].toString();
        EXPECT_EQ(child<forms::DataGrid>(main.get(), "Grid参照")->RowCount(), names.size());
        return names;
    };
    EXPECT_EQ(listed(0), (QStringList{"青木", "青山", "浅野"}));        // あ
    EXPECT_EQ(listed(1), QStringList{"伊藤"});                         // い
    EXPECT_EQ(listed(36), QStringList{"伊藤"});                        // い of the や row
    EXPECT_EQ(listed(38), QStringList{"江口"});                        // ゑ finds ｴ
    EXPECT_EQ(listed(46).size(), 6);                                  // ゐ: every reading
    EXPECT_EQ(listed(49).size(), 6);                                  // the blank button
    EXPECT_TRUE(listed(5).isEmpty());                                 // か
    EXPECT_FALSE(child<forms::FramedPanel>(main.get(), "Msg検索中")->isVisible());
}

TEST_F(MainScreen, ChoosingFromTheReferenceList) {
    addCustomer(QStringLiteral("読みなし商会"), QStringLiteral("よみなし"));
    load();
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("そのまま"));
    child<QPushButton>(main.get(), "cmd_Enter")->click();                    // empty list: nothing changes
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("そのまま"));
    child<QTabWidget>(main.get(), "SSTab1")->setCurrentIndex(0);
    child<QPushButton>(main.get(), QStringLiteral("cmd50_%1").arg(39))->click();                    // よ
    child<forms::TextBox>(main.get(), "txtふりがな")->setText(QStringLiteral("前"));
    child<QPushButton>(main.get(), "cmd_Enter")->click();
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("読みなし商会"));
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtふりがな")->Text(), QStringLiteral("よみなし"));
}

TEST_F(MainScreen, StaffAndCustomerLists) {
    onData(QStringLiteral("update コードマスタ set sname = '鈴木' where kcode = '担当' and code = '02'"));
    onData(QStringLiteral("update コードマスタ set sname = '佐藤' where kcode = '担当' and code = '05'"));
    addCustomer(QStringLiteral("B社"), QStringLiteral("びー"), QStringLiteral("佐藤"));
    addCustomer(QStringLiteral("A社"), QStringLiteral("えー"), QStringLiteral("鈴木"));
    addRow(data(), QStringLiteral("顧客マスタ"), {{QStringLiteral("ふりがな"), QStringLiteral("なし")}});
    load();
    auto items = [](forms::ComboBox *c) {
        QStringList out;
        for (int i = 0; i < c->ListCount(); ++i) out << c->List(i);
        return out;
    };
    EXPECT_EQ(items(child<forms::ComboBox>(main.get(), "cmb担当")), (QStringList{"鈴木", "佐藤"}));
    EXPECT_EQ(items(child<forms::ComboBox>(main.get(), "cmb印刷担当")), (QStringList{"鈴木", "佐藤"}));
    EXPECT_EQ(items(child<forms::ComboBox>(main.get(), "cmb顧客名")), (QStringList{"A社", "B社"}));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(QStringLiteral("打ちかけ"));
    main->SetComb(QStringLiteral("顧客名"));
    EXPECT_EQ(items(child<forms::ComboBox>(main.get(), "cmb顧客名")), QStringList{"B社"});
    EXPECT_EQ(items(child<forms::ComboBox>(main.get(), "cmb印刷顧客名")), QStringList{"B社"});
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), QStringLiteral("打ちかけ"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("誰も担当していない"));
    main->SetComb(QStringLiteral("すべて"));
    EXPECT_TRUE(items(child<forms::ComboBox>(main.get(), "cmb顧客名")).isEmpty());
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb担当")->Text(), QStringLiteral("誰も担当していない"));
    main->SetComb(QStringLiteral("その他"));                      // does nothing
    EXPECT_EQ(items(child<forms::ComboBox>(main.get(), "cmb担当")).size(), 2);
}

TEST_F(MainScreen, NamesWithQuotesAndWildcardsAreJustText) {
    const QString odd = QStringLiteral("O'Reilly *商会 [%_#]");
    addReport(QDate(2002, 2, 14), QStringLiteral("O'Reilly 商会"), QStringLiteral("佐藤"), QStringLiteral("別の会社"));
    load();
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(odd);
    child<forms::TextBox>(main.get(), "txtふりがな")->setText(QStringLiteral("*おらいりー"));
    child<forms::TextBox>(main.get(), "txtタイトル")->setText(QStringLiteral("引用符"));
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    EXPECT_EQ(reports().size(), 2);
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(odd);
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::DateBox>(main.get(), "txt日付")->setValue(QStringLiteral("20020214"));
    main->entryPanel()->ReadNippo();
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("引用符"));
    EXPECT_EQ(rows(data(), QStringLiteral("select * from 顧客マスタ")).size(), 1);
    showMonth(QDate(2002, 2, 1));
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(QDate(2002, 2, 14))), MonthCalendar::ColorMarked);   // one, not two
}

TEST_F(MainScreen, ClearAndReadButtons) {
    load();
    showMonth(QDate(2002, 2, 1));
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
    child<forms::TextBox>(main.get(), "txtタイトル")->setText(QStringLiteral("x"));
    child<QPushButton>(main.get(), "cmdクリア")->click();
    EXPECT_EQ(main->calendar()->monthShown(), QDate::currentDate());
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb担当")->Text(), QString());
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QString());
    showMonth(QDate(2002, 2, 1));
    child<forms::TextBox>(main.get(), "txtふりがな")->setText(QStringLiteral("よみ"));
    child<QPushButton>(main.get(), "cmd読込")->click();
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtふりがな")->Text(), QString());
    EXPECT_EQ(main->calendar()->monthShown(), QDate(2002, 2, 1));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(QDate(2002, 2, 1)));
}

// The maker's picture opens the maker's web page from the mouse and from the
// keyboard, and says what it is to a screen reader.
TEST_F(MainScreen, TheMakersPictureOpensTheMakersPage) {
    load();
    auto *image = child<QToolButton>(main.get(), "Image1");
    EXPECT_FALSE(image->accessibleName().isEmpty());
    EXPECT_TRUE(image->focusPolicy() & Qt::TabFocus);
    image->click();
    image->setFocus();
    QTest::keyClick(image, Qt::Key_Space);
    EXPECT_EQ(script.opened, (QStringList{MakerWebPage(), MakerWebPage()}));
    EXPECT_TRUE(MakerWebPage().startsWith(QStringLiteral("https://")));
}

TEST_F(MainScreen, HelpButtonsOpenTheHelpPages) {
    load();
    child<QPushButton>(main.get(), "cmdHint")->click();
    child<QPushButton>(main.get(), "Command1")->click();
    EXPECT_EQ(script.opened, (QStringList{app + QStringLiteral("/help/VoRadu1.htm"),
                                          app + QStringLiteral("/help/VoRadu5.htm")}));
}

}  // namespace

namespace {

// Pictures of the screen for people to look at: set TQEN_SCREENSHOT_DIR.
TEST_F(MainScreen, CustomerIndexTabScreenshot) {
    addCustomer(QStringLiteral("青木工業"), QStringLiteral("あおきこうぎょう"));
    addCustomer(QStringLiteral("アオヤマ電機"), QStringLiteral("アオヤマデンキ"));
    addCustomer(QStringLiteral("浅野商事"), QStringLiteral("ｱｻﾉｼｮｳｼﾞ"));
    load();
    child<QTabWidget>(main.get(), "SSTab1")->setCurrentIndex(0);
    child<QPushButton>(main.get(), QStringLiteral("cmd50_%1").arg(0))->click();
    auto *grid = child<forms::DataGrid>(main.get(), "Grid参照");
    EXPECT_EQ(grid->RowCount(), 3);
    // The three columns fit the grid: no row numbers, no sideways scrolling,
    // and the reading column is not cut off.
    EXPECT_FALSE(grid->verticalHeader()->isVisible());
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    int widths = 0;
    for (int c = 0; c < 3; ++c) widths += grid->columnWidth(c);
    EXPECT_LE(widths, grid->viewport()->width());
    EXPECT_GE(grid->columnWidth(2), 60);
    const QString dir = qEnvironmentVariable("TQEN_SCREENSHOT_DIR");
    if (!dir.isEmpty()) EXPECT_TRUE(main->grab().save(dir + QStringLiteral("/customer-index.png")));
}

// With TQEN_SCREENSHOT_DIR set: the question about typed text as the
// program shows it (Qt's own message box over the main screen).
TEST_F(MainScreen, TypedTextQuestionScreenshot) {
    const QString dir = qEnvironmentVariable("TQEN_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set TQEN_SCREENSHOT_DIR to a folder to get a picture of the question";
    addReport(QDate(2002, 2, 14), QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("題"), QStringLiteral("メモ"));
    loadOnFebruary2002For山田商店();
    clickCell(cellOf(QDate(2002, 2, 14)));
    type(child<forms::TextBox>(main.get(), "txtメモ")->editor(), QStringLiteral("追記"));
    forms::QtInteraction qt;
    forms::setInteraction(&qt);
    bool pictured = false;
    std::function<void()> look = [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box) {
            QTimer::singleShot(20, look);
            return;
        }
        QPixmap picture = main->grab();
        QPainter painter(&picture);
        const QPixmap front = box->grab();
        painter.drawPixmap((picture.width() - front.width()) / 2, (picture.height() - front.height()) / 2, front);
        painter.end();
        pictured = picture.save(dir + QStringLiteral("/typed-text-question.png"));
        QTest::keyClick(box, Qt::Key_Escape);
    };
    QTimer::singleShot(20, look);
    clickCell(cellOf(QDate(2002, 2, 20)));
    forms::setInteraction(&script);
    EXPECT_TRUE(pictured);
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QStringLiteral("追記メモ"));   // Escape stays
}

}  // namespace
