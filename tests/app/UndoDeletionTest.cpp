// "元に戻す" of deleted reports on the main screen, also of a deletion made
// on the report list, as a user goes between the two screens.
#include "app/MonthCalendar.h"
#include "app/TqenMain.h"
#include "list/FrmNippoList.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"
#include "tests/support/Child.h"

#include <QPushButton>
#include <QTest>

namespace tqen::testing {
namespace {

namespace mb = forms::mb;

class MainScreenUndo : public MainScreenFixture {
protected:
    QPushButton *undo() { return child<QPushButton>(main.get(), "cmd元に戻す"); }
    void show(const QDate &day, const QString &customer, const QString &staff) {
        child<forms::DateBox>(main.get(), "txt日付")->setValue(day);
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(staff);
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(customer);
    }
    QStringList titles() {
        QStringList out;
        for (const QVariantMap &r : rows(data(), QStringLiteral("select * from 営業日報 order by 日付, 担当")))
            out << r.value(QStringLiteral("タイトル")).toString();
        return out;
    }
    const QDate day{2002, 2, 14};
};

TEST_F(MainScreenUndo, ADeletedReportComesBackAndShows) {
    addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("大事な題"), QStringLiteral("長いメモ"));
    load();
    EXPECT_FALSE(undo()->isEnabled());   // nothing deleted yet
    show(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd削除")->click();
    EXPECT_TRUE(reports().isEmpty());
    ASSERT_TRUE(undo()->isEnabled());

    // Ctrl+Z, with the focus outside the text boxes (there it undoes typing).
    script.shown.clear();
    script.answer(mb::IdYes);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    child<QPushButton>(main.get(), "cmd登録")->setFocus();
    QTest::keyClick(main->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    // A button's shortcut clicks it after a short animation.
    for (int i = 0; i < 100 && script.shown.size() < 2; ++i) QTest::qWait(20);
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("2002/02/14の山田商店 (佐藤)"))) << script.shown[0].prompt.toStdString();
    EXPECT_EQ(script.shown[1].prompt, QStringLiteral("1 件の営業日報を元に戻しました。"));
    const auto back = reports();
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0][QStringLiteral("メモ")], QVariant(QStringLiteral("長いメモ")));
    // The report is on screen, its month shown.
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtタイトル")->Text(), QStringLiteral("大事な題"));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->Value(), QVariant(day));
    EXPECT_EQ(main->calendar()->monthShown().month(), 2);
    EXPECT_FALSE(undo()->isEnabled());
}

TEST_F(MainScreenUndo, DecliningTheQuestionPutsNothingBack) {
    addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("題"));
    load();
    show(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"));
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd削除")->click();
    script.answer(mb::IdNo);
    undo()->click();
    EXPECT_TRUE(reports().isEmpty());
    EXPECT_TRUE(undo()->isEnabled());
}

// A report registered again on the same day, customer and staff member since
// the deletion is never overwritten without asking.
TEST_F(MainScreenUndo, AReportRegisteredAgainIsAskedAboutAndNeverLost) {
    const struct Case {
        int answer;
        QString kept;        // title in the book afterwards
        bool undoLeft;       // a deletion is left to put back
    } cases[] = {
        {mb::IdCancel, QStringLiteral("新しい"), true},
        {mb::IdNo, QStringLiteral("新しい"), true},
        {mb::IdYes, QStringLiteral("古い"), true},   // the new one is now the deletion
    };
    load();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        onData(QStringLiteral("delete * from 営業日報"));
        addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("古い"));
        show(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"));
        script.answer(mb::IdYes);
        child<QPushButton>(main.get(), "cmd削除")->click();
        addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("新しい"));
        script.shown.clear();
        script.answer(mb::IdYes);
        script.answer(c.answer);
        undo()->click();
        ASSERT_GE(script.shown.size(), 2);
        EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("2002/02/14  山田商店  佐藤"))) << script.shown[1].prompt.toStdString();
        EXPECT_EQ(titles(), QStringList{c.kept});
        EXPECT_EQ(undo()->isEnabled(), c.undoLeft);
    }
}

TEST_F(MainScreenUndo, TickedLinesDeletedOnTheListComeBackFromTheMainScreen) {
    addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("一"));
    addReport(day, QStringLiteral("山田商店"), QStringLiteral("鈴木"), QStringLiteral("二"));
    load();
    show(day, QStringLiteral("山田商店"), QString());
    child<QPushButton>(main.get(), "Command3")->click();
    auto *list = static_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList")));
    ASSERT_NE(list, nullptr);
    child<forms::DateBox>(list, "txt開始")->setValue(day);
    child<forms::DateBox>(list, "txt終了")->setValue(day);
    child<forms::ComboBox>(list, "cmb担当")->setText(QString());
    child<forms::ComboBox>(list, "cmb顧客名")->setText(QString());
    list->ReadList();
    auto *grid = child<forms::DataGrid>(list, "Grid日報一覧");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    for (int r = 0; r < 2; ++r) {
        grid->setFocus();
        grid->setRow(r);
        QTest::keyClick(grid, Qt::Key_Space);
    }
    script.answer(mb::IdYes);
    child<QPushButton>(list, "cmd削除")->click();
    EXPECT_TRUE(reports().isEmpty());
    EXPECT_TRUE(child<QPushButton>(list, "cmd元に戻す")->isEnabled());

    // Back on the main screen, which learns of the deletion when it is active again.
    list->close();
    main->Form_Activate();
    ASSERT_TRUE(undo()->isEnabled());
    script.shown.clear();
    script.answer(mb::IdYes);
    undo()->click();
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("営業日報 2 件"))) << script.shown[0].prompt.toStdString();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("一"), QStringLiteral("二")}));
}

}  // namespace
}  // namespace tqen::testing
